# The X display going away under the program ends it the same way every time:
# exit code 1 and the message of a lost connection, at a prompt, at the menu
# and with the error dialog open, whether the server ends cleanly (SIGTERM:
# it destroys the windows first) or is killed, or another client kills the
# program's connection (xkill). In the last case the display lives on, and the
# program's own second connection sees the main window destroyed as well: held
# stopped meanwhile, as on a busy machine, the program finds both at once. A
# window destroyed by another client while the connection lives is an ending
# with exit code 0 (exits.sh).
#   lost_display.sh [ROUNDS]   each case ROUNDS times (default 2)
source "$(dirname "$0")/lib.sh"

rounds=${1:-2}
lost_message="drovlan: the connection to the X display was lost"

# state | keys that lead there
states=(
  "height prompt|"
  "menu|1000 Return 100 Return -1 Return"
  "error dialog|500 Return 50 Return 500 Return"
)

for ((round = 1; round <= rounds; round++)); do
  for row in "${states[@]}"; do
    state=${row%%|*}
    read -ra there <<<"${row#*|}"
    for way in TERM KILL xkill; do
      case $way in
        xkill) what="the program's connection killed at the $state, the program stopped meanwhile" ;;
        *) what="the server ended by SIG$way at the $state" ;;
      esac
      what+=" (round $round)"
      start_xvfb
      reach "$state" "${there[@]}" || continue
      if [[ $way == xkill ]]; then
        signal_program STOP
        xdotool windowkill "$MAIN_WIN" 2>>"$WORK/xdotool.log"
        # Until the destruction has reached the program's second connection.
        "$XTOOL" windows >/dev/null 2>&1
        signal_program CONT
      else
        own_child "$XVFB_PID" && kill "-$way" "$XVFB_PID"
      fi
      if ! wait_exit 10; then
        fail "$what: still running 10 s later"
        signal_program KILL
        continue
      fi
      if [[ $EXIT_CODE != 1 || $(<"$RUN.err") != "$lost_message" ]]; then
        fail "$what: exit code $EXIT_CODE, expected 1; standard error:
$(sed 's/^/  | /' "$RUN.err")
  expected: $lost_message"
      else
        echo "$what: exit code 1 and the message"
      fi
    done
  done
done

finish
