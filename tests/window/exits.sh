# Every way out ends the process with exit code 0 and nothing on standard
# error, at each prompt and at the menu. With the error dialog open, the
# user's ways (the close button, Alt+F4, Ctrl+Break) wait for its answer and
# the system's (signals) end it at once. A wait here only catches a hang; how
# fast each way ends is make bench's figure: with EXIT_TIMES set, each ending
# appends "WAY|STATE|MS" to that file, timed from what ended it: for a request
# that the dialog held, WAY is "WAY+ANSWER", timed from the answer.
#   exits.sh close | alt-f4 | ctrl-break | sigint | sigterm | sighup | keys | yes-chain
#   exits.sh repeat COUNT WAY...   COUNT starts, each ending at the menu by the
#                                  next WAY in turn (h: the height prompt shows)
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

# request WAY: sends it to the running program.
request() {
  case $1 in
    close) "$XTOOL" close "$MAIN_WIN" ;;
    # Another client destroying the window, as a session ending may.
    destroyed) xdotool windowclose "$MAIN_WIN" ;;
    alt-f4) type_keys alt+F4 ;;
    ctrl-break) type_keys ctrl+Break ;;
    sigint) signal_program INT ;;
    sigterm) signal_program TERM ;;
    sighup) signal_program HUP ;;
    click-no)
      # The No button: right of the centre, on the row of buttons at the bottom.
      eval "$(xdotool getwindowgeometry --shell "$DIALOG_WIN")"
      xdotool mousemove --window "$DIALOG_WIN" $((WIDTH / 2 + 46)) $((HEIGHT - 28)) click 1
      ;;
    *) type_keys "$1" ;;
  esac
}

# ended_by WHAT T0 TIMES_KEY: the request made at T0 (an EPOCHREALTIME) ends
# the program cleanly within 10 s; its time goes to EXIT_TIMES as "TIMES_KEY|MS".
ended_by() {
  local what=$1 t0=$2 key=$3 ms
  if ! wait_exit 10; then
    fail "$what: still running 10 s after the request (typed: $TYPED)"
    return 1
  fi
  ms=$(ms_between "$t0" "$EXIT_TIME")
  echo "$what: exit code $EXIT_CODE after $ms ms"
  expect_clean_exit "$what"
  [[ -n ${EXIT_TIMES:-} ]] && echo "$key|$ms" >>"$EXIT_TIMES"
  [[ -s $RUN.out ]] && fail "$what: standard output: $(<"$RUN.out")"
  return 0
}

# ends STATE WAY: at STATE, WAY ends the program cleanly.
ends() {
  local state=$1 how=$2 row keys_there=""
  for row in "${states[@]}"; do [[ ${row%%|*} == "$state" ]] && keys_there=${row#*|}; done
  read -ra there <<<"$keys_there"
  if reach "$state" "${there[@]}"; then
    local t0=$EPOCHREALTIME
    request "$how"
    ended_by "$how at the $state" "$t0" "$how|$state"
  fi
  signal_program KILL
}

# holds WAY ANSWER: with the error dialog open, WAY leaves the program and the
# dialog running; ANSWER (y or n) then ends it, or (sigterm) the system does.
holds() {
  local how=$1 answer=$2
  local what="$how with the dialog open, then $answer"
  reach "error dialog" 500 Return 50 Return 500 Return || return
  request "$how"
  # A negative check: an ending within the second is the fault.
  sleep 1
  if ! program_alive; then
    fail "$what: ended before the answer (exit: $(<"$RUN.exit"))"
    return
  fi
  window_open "$dialog_caption" || fail "$what: the dialog closed before the answer"
  local t0=$EPOCHREALTIME
  request "$answer"
  ended_by "$what" "$t0" "$how+$answer|error dialog"
  signal_program KILL
}

# repeat COUNT WAY...: COUNT starts in a row, each at the menu for 0 to 0.6 s
# before the next WAY in turn; every one must end the program (h: show the
# height prompt). A request lost now and then shows only over many starts.
repeat() {
  local count=$1 i how pause lost=0
  shift
  local ways=("$@")
  reference menu 1000 Return 100 Return -1 Return || return
  reference height-again 1000 Return 100 Return -1 Return h || return
  for ((i = 0; i < count; i++)); do
    how=${ways[i % ${#ways[@]}]}
    start_drovlan
    find_main_window || return
    type_keys 1000 Return 100 Return -1 Return
    wait_screen menu || return
    pause=0.$((i % 7))
    sleep "$pause"
    request "$how"
    if [[ $how == h ]]; then
      wait_screen height-again || lost=$((lost + 1))
      signal_program TERM
      wait_exit 10 || fail "start $((i + 1)): SIGTERM at the height prompt did not end it"
      continue
    fi
    if wait_exit 5; then
      expect_clean_exit "start $((i + 1)): $how at the menu after $pause s"
    else
      lost=$((lost + 1))
      fail "start $((i + 1)): $how at the menu after $pause s: still running 5 s later"
      signal_program KILL
    fi
  done
  echo "$count starts, ways ${ways[*]}: $lost lost"
}

start_xvfb

case $way in
  close | alt-f4 | ctrl-break)
    for row in "${states[@]}"; do
      [[ ${row%%|*} == "error dialog" ]] || ends "${row%%|*}" "$way"
    done
    holds "$way" y
    holds "$way" n
    ;;
  sigint | sigterm | sighup)
    for row in "${states[@]}"; do ends "${row%%|*}" "$way"; done
    # A close held by the dialog does not hold the system's request.
    [[ $way == sigterm ]] && holds close sigterm
    ;;
  repeat)
    repeat "${@:2}"
    ;;
  keys)
    ends menu Q
    ends menu q
    # Ctrl+Pause gives Break on a PC keymap, and xdotool types Break as it.
    ends menu ctrl+Pause
    ends menu Break
    ends "error dialog" N
    ends "error dialog" n
    ends "error dialog" click-no
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
