# Without a display, or on a display without GLX, the program ends with exit
# code 1 and a message on standard error, prints nothing on standard output
# and opens no window.
source "$(dirname "$0")/lib.sh"

# A display number that nothing serves: no socket and no lock file.
unserved=900
while [[ -e /tmp/.X11-unix/X$unserved || -e /tmp/.X$unserved-lock ]]; do unserved=$((unserved + 1)); done

# check_refused WHAT: the run just started ended as a refusal should.
check_refused() {
  if ! wait_exit 20; then
    fail "$1: still running after 20 s"
    return
  fi
  [[ $EXIT_CODE == 1 ]] || fail "$1: exit code $EXIT_CODE, expected 1"
  [[ -s $RUN.err ]] || fail "$1: no message on standard error"
  [[ -s $RUN.out ]] && fail "$1: standard output: $(<"$RUN.out")"
  echo "$1: exit code $EXIT_CODE, standard error: $(<"$RUN.err")"
}

start_program env -u DISPLAY "$DROVLAN"
check_refused "DISPLAY unset"
start_program env DISPLAY=:$unserved "$DROVLAN"
check_refused "DISPLAY=:$unserved, served by nothing"

# A server without GLX, watched for any window the program might create.
start_xvfb -extension GLX
mkfifo "$WORK/watch.in"
STDIN_FROM=$WORK/watch.in start_program "$XTOOL" watch
exec {watch_in}>"$WORK/watch.in"
watch_run=$RUN
until [[ -s $watch_run.out ]]; do sleep 0.01; done
start_drovlan
check_refused "a display without GLX"
exec {watch_in}>&-
RUN=$watch_run
wait_exit 10 || fail "the window watcher did not end"
grep -q '^created' "$RUN.out" && fail "a display without GLX: windows were created: $(grep '^created' "$RUN.out")"

finish
