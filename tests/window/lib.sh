# Shared by the window tests (sourced): an Xvfb of the test's own, the program
# or the key probe started in it, keys typed with xdotool, and xwd screenshots
# compared pixel for pixel with the core's rendering of the same keys.
#
# From the test's environment: DROVLAN, REFERENCE, KEY_PROBE, XTOOL (the
# binaries) and ARTIFACTS (a folder of the test's own: screenshots, logs).

set -uo pipefail
export LC_ALL=C
# One thread per ImageMagick call: the tests run side by side.
export MAGICK_THREAD_LIMIT=1

: "${DROVLAN:?}" "${REFERENCE:?}" "${KEY_PROBE:?}" "${XTOOL:?}" "${ARTIFACTS:?}"
for tool in Xvfb xdotool xwd compare convert; do
  command -v "$tool" >/dev/null || {
    echo "missing $tool: run scripts/install-deps.sh"
    exit 1
  }
done

WORK=$ARTIFACTS
rm -rf "$WORK"
mkdir -p "$WORK"
echo "artifacts: $WORK"

failures=0
TYPED=""

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Process numbers wrap within seconds while tests run side by side, so the
# number of a process that has ended may be another test's program by now: a
# signal goes only to a process that is still the child it was started as.

# own_child PID [PARENT]: PID is running as a child of PARENT (this shell).
own_child() {
  [[ $(ps -o ppid= -p "$1" 2>/dev/null | tr -d ' ') == "${2:-$$}" ]]
}

# signal_program SIGNAL [RUN]: sends SIGNAL to the program of RUN (the latest
# run by default) if it is still running; false otherwise.
signal_program() {
  local run=${2:-$RUN}
  [[ ! -e $run.exit && -s $run.pid && -s $run.wrapper ]] || return 1
  own_child "$(<"$run.pid")" "$(<"$run.wrapper")" && kill "-$1" "$(<"$run.pid")" 2>/dev/null
}

# Ends the programs this test started that still run; the X servers last and
# gently, so that they take their sockets with them.
xvfb_pids=()
wm_pids=()
cleanup() {
  local pid file
  for file in "$WORK"/run*.pid; do [[ -e $file ]] && signal_program KILL "${file%.pid}"; done
  for pid in "${wm_pids[@]}"; do own_child "$pid" && kill -TERM "$pid" 2>/dev/null; done
  for pid in "${xvfb_pids[@]}"; do own_child "$pid" && kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT

finish() {
  if ((failures > 0)); then
    echo "$failures check(s) failed; artifacts in $WORK"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

now_us() { echo "${EPOCHREALTIME/./}"; }
# Milliseconds from one EPOCHREALTIME value to another.
ms_between() { echo $(((${2/./} - ${1/./}) / 1000)); }

# --- the X server -------------------------------------------------------------------

# start_xvfb [XVFB_ARGS...]: a server on a free display, answering; exports DISPLAY.
start_xvfb() {
  local file=$WORK/display attempt i number
  for attempt in 1 2 3; do
    : >"$file"
    # -noreset: a server that resets after its last client refuses the next one meanwhile.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" 3>"$file" 2>>"$WORK/xvfb.log" &
    XVFB_PID=$!
    xvfb_pids+=("$XVFB_PID")
    # The number is there once its line is complete.
    number=""
    for ((i = 0; i < 500; i++)); do
      IFS= read -r number <"$file" && break
      own_child "$XVFB_PID" || break
      sleep 0.02
    done
    if [[ $number =~ ^[0-9]+$ ]]; then
      export DISPLAY=:$number
      for ((i = 0; i < 100; i++)); do
        "$XTOOL" windows >/dev/null 2>&1 && return 0
        sleep 0.02
      done
      echo "Xvfb on $DISPLAY does not answer; starting another"
    fi
    own_child "$XVFB_PID" && kill -TERM "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  done
  echo "Xvfb did not start:"
  cat "$WORK/xvfb.log"
  exit 1
}

# start_openbox: a real window manager on the server, managing windows once it returns.
start_openbox() {
  command -v openbox >/dev/null || {
    echo "missing openbox: run scripts/install-deps.sh"
    exit 1
  }
  openbox --sm-disable >>"$WORK/openbox.log" 2>&1 &
  wm_pids+=($!)
  local i
  for ((i = 0; i < 500; i++)); do
    "$XTOOL" property root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 && return 0
    sleep 0.02
  done
  echo "openbox did not start:"
  cat "$WORK/openbox.log"
  exit 1
}

# --- the program under test -----------------------------------------------------------

run_count=0
# start_program COMMAND...: runs it in the background with its standard output
# and error kept in $RUN.out and $RUN.err (STDIN_FROM, STDOUT_TO redirect them);
# signal_program signals it. The moment it exits and its exit code land in
# $RUN.exit.
start_program() {
  run_count=$((run_count + 1))
  RUN=$WORK/run$run_count
  TYPED=""
  local in=${STDIN_FROM:-/dev/null} out=${STDOUT_TO:-$RUN.out}
  echo "run $run_count: $*"
  (
    echo "$BASHPID" >"$RUN.wrapper"
    "$@" <"$in" >"$out" 2>"$RUN.err" &
    echo $! >"$RUN.pid"
    wait $!
    echo "$? $EPOCHREALTIME" >"$RUN.exit.tmp"
    mv "$RUN.exit.tmp" "$RUN.exit"
  ) &
  while [[ ! -s $RUN.pid ]]; do sleep 0.005; done
}

# The calculator, its window in the top-left corner of the screen.
start_drovlan() {
  start_program "$DROVLAN" -geometry +0+0 "$@"
}

# wait_exit SECONDS: sets EXIT_CODE and EXIT_TIME (an EPOCHREALTIME); fails on timeout.
wait_exit() {
  local deadline=$(($(now_us) + $1 * 1000000))
  while [[ ! -e $RUN.exit ]]; do
    if (($(now_us) > deadline)); then
      EXIT_CODE=""
      EXIT_TIME=""
      return 1
    fi
    sleep 0.002
  done
  read -r EXIT_CODE EXIT_TIME <"$RUN.exit"
}

program_alive() { [[ ! -e $RUN.exit ]]; }

# expect_clean_exit WHAT: exit code 0 and nothing on standard error.
expect_clean_exit() {
  if [[ $EXIT_CODE != 0 ]]; then fail "$1: exit code $EXIT_CODE, expected 0 (typed: $TYPED)"; fi
  if [[ -s $RUN.err ]]; then
    fail "$1: standard error not empty (typed: $TYPED):"
    sed 's/^/  | /' "$RUN.err"
  fi
}

# --- windows ---------------------------------------------------------------------------

# wait_window PATTERN [SECONDS]: WIN and WIN_NAME of the first (lowest) viewable
# top-level window whose name matches the regular expression.
wait_window() {
  local pattern=$1 deadline=$(($(now_us) + ${2:-10} * 1000000)) id name
  while :; do
    while IFS=$'\t' read -r id name; do
      if [[ $name =~ $pattern ]]; then
        WIN=$id
        WIN_NAME=$name
        return 0
      fi
    done < <("$XTOOL" windows 2>/dev/null)
    (($(now_us) > deadline)) && return 1
    sleep 0.01
  done
}

window_open() {
  "$XTOOL" windows 2>/dev/null | cut -f2 | grep -qxF "$1"
}

# The program's main window (the first window with a name: a window manager has
# windows of its own), focused for the keys to come.
find_main_window() {
  if ! wait_window '.'; then
    fail "no window appeared"
    cat "$RUN.err"
    return 1
  fi
  MAIN_WIN=$WIN
  xdotool windowfocus --sync "$MAIN_WIN" 2>>"$WORK/xdotool.log"
}

dialog_caption="Unhandled Error #6 - drovlan"

# reach STATE KEYS...: starts the program and types its way to STATE: waits
# until the screen shows it (a reference named after STATE), or for STATE
# "error dialog" until the dialog opens (DIALOG_WIN).
reach() {
  local state=$1 name=${1// /-}
  shift
  [[ -e $WORK/$name.ppm ]] || reference "$name" "$@" || return 1
  start_drovlan
  find_main_window || return 1
  type_keys "$@"
  if [[ $state != "error dialog" ]]; then
    wait_screen "$name"
    return
  fi
  # The dialog stands over the main window: its opening is the sign.
  if ! wait_window "^${dialog_caption}\$"; then
    fail "$state: no dialog \"$dialog_caption\" after typing $TYPED"
    return 1
  fi
  DIALOG_WIN=$WIN
}

# --- keys ------------------------------------------------------------------------------

# keys WORD...: xdotool key names; a word made of digits, point, minus, plus
# and E stands for its characters ("-1.5" is minus 1 period 5).
keys() {
  local word c i
  KEYS=()
  for word in "$@"; do
    if [[ $word =~ ^[-+.0-9][-+.0-9Ee]*$ ]]; then
      for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        case $c in
          -) KEYS+=(minus) ;;
          +) KEYS+=(plus) ;;
          .) KEYS+=(period) ;;
          *) KEYS+=("$c") ;;
        esac
      done
    else
      KEYS+=("$word")
    fi
  done
}

KEY_DELAY=${KEY_DELAY:-12}
# type_keys WORD...: typed into the focused window, remembered in TYPED.
type_keys() {
  keys "$@"
  ((${#KEYS[@]} == 0)) && return 0
  TYPED+="${TYPED:+ }${KEYS[*]}"
  xdotool key --delay "$KEY_DELAY" "${KEYS[@]}" 2>>"$WORK/xdotool.log"
}

# tap_keys KEYSYM...: the keys that carry them, pressed as they are into the
# focused window (xtool tap), remembered in TYPED.
tap_keys() {
  TYPED+="${TYPED:+ }tap:$*"
  "$XTOOL" tap "$@" 2>>"$WORK/xdotool.log"
}

# --- screens -----------------------------------------------------------------------------

# reference NAME WORD...: the core's screen after those keys, as $WORK/NAME.ppm,
# NAME-nocursor.ppm and NAME.txt; REF_STATE is waiting, dialog or finished.
reference() {
  local name=$1
  shift
  keys "$@"
  REF_STATE=$("$REFERENCE" "$WORK/$name" "${KEYS[@]}") || {
    fail "reference $name could not be rendered"
    return 1
  }
}

# screen_is NAME [EXTRACT]: the main window shows reference NAME now, in either
# phase of the text cursor; EXTRACT (WxH+X+Y) limits the comparison to a region.
screen_is() {
  local ref=$WORK/$1 img
  local -a region=()
  [[ -n ${2:-} ]] && region=(-extract "$2")
  xwd -id "$MAIN_WIN" -silent >"$WORK/shot.xwd" 2>/dev/null || return 1
  for img in "$ref.ppm" "$ref-nocursor.ppm"; do
    LAST_AE=$(compare -metric AE "${region[@]}" "$img" "$WORK/shot.xwd" null: 2>&1)
    [[ $LAST_AE == 0 ]] && return 0
  done
  return 1
}

# wait_screen NAME [SECONDS] [EXTRACT]: waits until the window shows reference
# NAME; otherwise keeps what it saw and says where.
wait_screen() {
  local name=$1 deadline=$(($(now_us) + ${2:-10} * 1000000)) region=${3:-}
  while :; do
    screen_is "$name" "$region" && return 0
    (($(now_us) > deadline)) && break
    sleep 0.05
  done
  local seen=$WORK/$name-seen.png diff=$WORK/$name-diff.png
  convert "$WORK/shot.xwd" "$seen" 2>/dev/null
  compare ${region:+-extract "$region"} "$WORK/$name-nocursor.ppm" "$WORK/shot.xwd" "$diff" 2>/dev/null
  fail "screen $name${region:+ (region $region)} not shown after typing: ${TYPED:-nothing}
  $LAST_AE pixels differ; seen: $seen; expected: $WORK/$name.ppm; differences: $diff
  the expected screen as text:"
  sed 's/^/  /' "$WORK/$name.txt"
  return 1
}

# --- the key probe -------------------------------------------------------------------------

# start_probe [ARGS...]: the probe with its commands on a pipe; probe_say sends one.
start_probe() {
  rm -f "$WORK/probe.in" "$WORK/probe.out"
  mkfifo "$WORK/probe.in" "$WORK/probe.out"
  STDIN_FROM=$WORK/probe.in STDOUT_TO=$WORK/probe.out start_program "$KEY_PROBE" -geometry +0+0 "$@"
  exec {PROBE_IN}>"$WORK/probe.in"
  exec {PROBE_OUT}<"$WORK/probe.out"
}

# probe_say COMMAND: PROBE_REPLY is the probe's answer line.
probe_say() {
  echo "$1" >&"$PROBE_IN"
  PROBE_REPLY=""
  if ! read -r -t 10 -u "$PROBE_OUT" PROBE_REPLY; then
    fail "the probe did not answer \"$1\""
    return 1
  fi
}

stop_probe() {
  echo quit >&"$PROBE_IN"
  wait_exit 10 || fail "the probe did not end after quit"
  exec {PROBE_IN}>&- {PROBE_OUT}<&-
}
