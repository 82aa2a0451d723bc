# Every way out ends the process with exit code 0 and nothing on standard
# error, at each prompt, at the menu and with the error dialog open. A wait
# here only catches a hang; how fast each way ends is make bench's figure:
# with EXIT_TIMES set, each ending appends "WAY|STATE|MS" to that file.
#   exits.sh close | alt-f4 | sigint | sigterm | keys | yes-chain
source "$(dirname "$0")/lib.sh"

way=${1:?which way out}

# state | keys that lead there
states=(
  "height prompt|"
  "power prompt|1000 Return"
  "contour prompt|1000 Return 100 Return"
  "menu|1000 Return 100 Return -1 Return"
  "error dialog|500 Return 50 Return 500 Return"
)

# reach STATE KEYS...: starts the program and types its way to STATE.
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

# request WAY: sends it to the running program.
request() {
  case $1 in
    close) "$XTOOL" close "$MAIN_WIN" ;;
    close-dialog) "$XTOOL" close "$DIALOG_WIN" ;;
    # Another client destroying the window, as a session ending may.
    destroyed) xdotool windowclose "$MAIN_WIN" ;;
    alt-f4) type_keys alt+F4 ;;
    sigint) kill -INT "$PROGRAM_PID" ;;
    sigterm) kill -TERM "$PROGRAM_PID" ;;
    click-no)
      # The No button: right of the centre, on the row of buttons at the bottom.
      eval "$(xdotool getwindowgeometry --shell "$DIALOG_WIN")"
      xdotool mousemove --window "$DIALOG_WIN" $((WIDTH / 2 + 46)) $((HEIGHT - 28)) click 1
      ;;
    *) type_keys "$1" ;;
  esac
}

# ends STATE WAY: at STATE, WAY ends the program cleanly.
ends() {
  local state=$1 how=$2 row keys_there="" ms
  for row in "${states[@]}"; do [[ ${row%%|*} == "$state" ]] && keys_there=${row#*|}; done
  read -ra there <<<"$keys_there"
  if reach "$state" "${there[@]}"; then
    local t0=$EPOCHREALTIME
    request "$how"
    if wait_exit 10; then
      ms=$(ms_between "$t0" "$EXIT_TIME")
      echo "$how at the $state: exit code $EXIT_CODE after $ms ms"
      expect_clean_exit "$how at the $state"
      [[ -n ${EXIT_TIMES:-} ]] && echo "$how|$state|$ms" >>"$EXIT_TIMES"
      [[ -s $RUN.out ]] && fail "$how at the $state: standard output: $(<"$RUN.out")"
    else
      fail "$how at the $state: still running 10 s after the request (typed: $TYPED)"
    fi
  fi
  kill -KILL "$PROGRAM_PID" 2>/dev/null
}

start_xvfb

case $way in
  close | alt-f4 | sigint | sigterm)
    for row in "${states[@]}"; do ends "${row%%|*}" "$way"; done
    ;;
  keys)
    ends menu Q
    ends menu q
    ends "error dialog" N
    ends "error dialog" n
    ends "error dialog" click-no
    # Closing the dialog's own window counts as No.
    ends "error dialog" close-dialog
    ends menu destroyed
    ends "error dialog" destroyed
    # Yes goes on: the dialog closes, the result line and the menu follow.
    keys 500 Return 50 Return 500 Return
    yes_keys=("${KEYS[@]}" y)
    if reach "error dialog" "${KEYS[@]}"; then
      reference after-yes "${yes_keys[@]}"
      [[ $REF_STATE == waiting ]] || fail "reference after-yes: state $REF_STATE, expected waiting"
      type_keys y
      wait_screen after-yes
      window_open "$dialog_caption" && fail "Y: the dialog is still open"
      program_alive || fail "Y: the program ended"
      type_keys q
      wait_exit 10 || fail "q after Y: the program did not end"
      expect_clean_exit "q after Y in the dialog"
      echo "Y at the error dialog: went on to the result line and the menu; q then ended it"
    fi
    ;;
  yes-chain)
    # 100 ft, 10^30 kW: each preset but the last overflows, so every showing
    # of the results brings four dialogs one after another. Y to each, many
    # times over: a Yes must never count as No for the dialog that follows.
    rounds=12
    keys 100 Return 1E30 Return -1 Return
    first=("${KEYS[@]}")
    reference chain-menu "${first[@]}" y y y y
    [[ $REF_STATE == waiting ]] || fail "reference chain-menu: state $REF_STATE, expected waiting"
    start_drovlan
    find_main_window || finish
    type_keys "${first[@]}"
    # new_dialog: waits up to 5 s for a dialog window other than the last one.
    new_dialog() {
      local deadline=$(($(now_us) + 5000000))
      while (($(now_us) < deadline)); do
        wait_window "^${dialog_caption}\$" 1 && [[ $WIN != "$last" ]] && last=$WIN && return 0
        program_alive || return 1
      done
      return 1
    }
    answered=0 last=""
    while ((answered < rounds * 4)) && new_dialog; do
      type_keys y
      answered=$((answered + 1))
      # At the menu: the results, and their dialogs, once more.
      ((answered % 4 == 0 && answered < rounds * 4)) && type_keys Return
    done
    echo "answered $answered dialogs with Y"
    program_alive || fail "the program ended after $answered dialogs answered Y (exit: $(<"$RUN.exit"))"
    ((answered == rounds * 4)) || fail "only $answered of $((rounds * 4)) dialogs came up"
    wait_screen chain-menu
    type_keys q
    wait_exit 10 || fail "q after the dialogs: the program did not end"
    expect_clean_exit "q after the dialogs"
    ;;
  *)
    echo "unknown way out $way"
    exit 2
    ;;
esac

finish
