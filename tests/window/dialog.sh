# The error dialog's window: owned by the main window (WM_TRANSIENT_FOR), so a
# window manager keeps it above; a black frame of its own, which it needs
# where no window manager frames it, as its grey is the screen's; the focused
# button marked plainly, following Tab, answered by Enter; no pause. Only an
# answer closes it: its own close request and Alt+F4 typed in it leave it open
# and answering, and it asks a window manager for no close button. A close of
# the main window meanwhile waits for the answer.
#   dialog.sh [openbox]   without a window manager, or under openbox
source "$(dirname "$0")/lib.sh"

wm=${1:-}
start_xvfb
[[ $wm == openbox ]] && start_openbox
reach "error dialog" 500 Return 50 Return 500 Return || finish

owner=$("$XTOOL" property "$DIALOG_WIN" WM_TRANSIENT_FOR)
[[ $((owner)) == $((MAIN_WIN)) ]] || fail "the dialog is transient for \"$owner\", not the main window $MAIN_WIN"
# Functions given, moving only: no close, resize, minimise or maximise.
hints=$("$XTOOL" property "$DIALOG_WIN" _MOTIF_WM_HINTS | tr '\n' ' ')
[[ $hints == "0x1 0x4 0x0 0x0 0x0 " ]] || fail "the dialog's _MOTIF_WM_HINTS are \"$hints\", expected moving only"

# focused WINDOW: WINDOW has the keyboard focus, within 5 s (a window manager
# gives it when it gets round to it).
focused() {
  local deadline=$(($(now_us) + 5000000))
  until [[ $(($(xdotool getwindowfocus 2>/dev/null))) == $(($1)) ]]; do
    (($(now_us) > deadline)) && return 1
    sleep 0.05
  done
}
if [[ $wm == openbox ]]; then
  # openbox's own binding turns Alt+F4 below into the focused box's close request.
  focused "$DIALOG_WIN" || fail "under $wm the dialog did not get the focus"
else
  xdotool windowfocus --sync "$DIALOG_WIN" 2>>"$WORK/xdotool.log"
fi
for way in "close request" "Alt+F4"; do
  case $way in
    "close request") "$XTOOL" close "$DIALOG_WIN" ;;
    Alt+F4) type_keys alt+F4 ;;
  esac
  # A negative check: an ending or a closed box within the second is the fault.
  sleep 1
  program_alive || fail "${wm:-no window manager}: the dialog's $way ended the program (exit: $(<"$RUN.exit"))"
  window_open "$dialog_caption" || fail "${wm:-no window manager}: the dialog's $way closed it"
  focused "$DIALOG_WIN" || fail "${wm:-no window manager}: the dialog lost the focus to its $way"
done
program_alive || finish

# colours NAME X,Y...: the colours of those pixels of the dialog, as RRGGBB words.
colours() {
  local name=$1 format="" p
  shift
  xwd -id "$DIALOG_WIN" -silent >"$WORK/$name.xwd"
  convert "xwd:$WORK/$name.xwd" "$WORK/$name.png"
  for p in "$@"; do format+="%[hex:p{$p}] "; done
  COLOURS=$(convert "$WORK/$name.png" -format "$format" info:)
  COLOURS=${COLOURS% }
}

# shows NAME EXPECTED: waits until the dialog's frame, its grey inside, and
# the pixels two off the left edge of each button are EXPECTED: black beside
# the focused button only.
shows() {
  local deadline=$(($(now_us) + 5000000)) WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$DIALOG_WIN")"
  # The buttons as the dialog lays them out: 80x24, 12 apart, centred, 16 above the bottom.
  local yes_x=$(((WIDTH - 172) / 2)) no_x=$(((WIDTH - 172) / 2 + 92)) button_y=$((HEIGHT - 40))
  local checks="0,0 $((WIDTH - 1)),$((HEIGHT - 1)) $((WIDTH / 2)),0 8,8 $((yes_x - 1)),$((button_y + 12)) $((no_x - 1)),$((button_y + 12))"
  local -a points
  read -ra points <<<"$checks"
  while colours "$1" "${points[@]}" && [[ $COLOURS != "$2" ]] && (($(now_us) < deadline)); do
    sleep 0.05
  done
  [[ $COLOURS == "$2" ]] ||
    fail "dialog, $1: pixels $checks are $COLOURS, expected $2 (image: $WORK/$1.png)"
}
shows yes-focused "000000 000000 000000 AAAAAA 000000 AAAAAA"

# Enter answers the focused button: Yes goes on, with no ending held by the
# attempts to close the box.
reference after-yes 500 Return 50 Return 500 Return Return
type_keys Return
wait_screen after-yes
sleep 1
program_alive || fail "${wm:-no window manager}: Yes after closing the box ended the program (exit: $(<"$RUN.exit"))"

# A second box: Tab moves the focus to No; the main window's close meanwhile
# waits for the answer; Enter then presses No, which ends the program.
[[ $wm == openbox ]] && ! focused "$MAIN_WIN" && fail "under $wm the main window did not get the focus back"
first_dialog=$DIALOG_WIN
type_keys d 500 Return
if ! wait_window "^${dialog_caption}\$" || [[ $WIN == "$first_dialog" ]]; then
  fail "no second dialog after typing $TYPED"
  finish
fi
DIALOG_WIN=$WIN
type_keys Tab
shows no-focused "000000 000000 000000 AAAAAA AAAAAA 000000"

# Ctrl+Num Lock, the PC's Pause: the dialog takes no pause, so neither Tab
# after it is lost; and Num Lock, off on a new server, stays off.
type_keys ctrl+Num_Lock Tab Tab
shows no-focused-again "000000 000000 000000 AAAAAA AAAAAA 000000"
[[ $("$XTOOL" numlock) == off ]] || fail "Ctrl+Num Lock in the dialog turned Num Lock on"

"$XTOOL" close "$MAIN_WIN"
sleep 1
program_alive || fail "${wm:-no window manager}: the main window's close did not wait for the dialog"
type_keys Return
if wait_exit 10; then
  expect_clean_exit "Enter with No focused"
else
  fail "Enter with No focused: the program did not end"
fi

finish
