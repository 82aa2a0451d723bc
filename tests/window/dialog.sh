# The error dialog's window: owned by the main window (WM_TRANSIENT_FOR), so a
# window manager keeps it above; a black frame of its own, which it needs
# where no window manager frames it, as its grey is the screen's; the
# focused button marked plainly, following Tab, answered by Enter; no pause.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_drovlan
find_main_window || finish
type_keys 500 Return 50 Return 500 Return
wait_window "^${dialog_caption}\$" || {
  fail "no dialog after typing $TYPED"
  finish
}
DIALOG_WIN=$WIN

owner=$("$XTOOL" owner "$DIALOG_WIN")
[[ $((owner)) == $((MAIN_WIN)) ]] || fail "the dialog is transient for \"$owner\", not the main window $MAIN_WIN"

eval "$(xdotool getwindowgeometry --shell "$DIALOG_WIN")"
# The buttons as the dialog lays them out: 80x24, 12 apart, centred, 16 above the bottom.
yes_x=$(((WIDTH - 172) / 2)) no_x=$(((WIDTH - 172) / 2 + 92)) button_y=$((HEIGHT - 40))

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

# The frame's corners and its middle, the box's grey inside it; beside each
# button, two pixels off its edge: black for the focused one only.
checks="0,0 $((WIDTH - 1)),$((HEIGHT - 1)) $((WIDTH / 2)),0 8,8 $((yes_x - 1)),$((button_y + 12)) $((no_x - 1)),$((button_y + 12))"
read -ra points <<<"$checks"
# shows NAME EXPECTED: waits until the dialog's pixels are EXPECTED.
shows() {
  local deadline=$(($(now_us) + 5000000))
  while colours "$1" "${points[@]}" && [[ $COLOURS != "$2" ]] && (($(now_us) < deadline)); do
    sleep 0.05
  done
  [[ $COLOURS == "$2" ]] ||
    fail "dialog, $1: pixels $checks are $COLOURS, expected $2 (image: $WORK/$1.png)"
}
shows yes-focused "000000 000000 000000 AAAAAA 000000 AAAAAA"
type_keys Tab
shows no-focused "000000 000000 000000 AAAAAA AAAAAA 000000"

# Ctrl+Num Lock, the PC's Pause: the dialog takes no pause, so neither Tab
# after it is lost; and Num Lock, off on a new server, stays off.
type_keys ctrl+Num_Lock Tab Tab
shows no-focused-again "000000 000000 000000 AAAAAA AAAAAA 000000"
[[ $("$XTOOL" numlock) == off ]] || fail "Ctrl+Num Lock in the dialog turned Num Lock on"

# Enter answers the focused button: No ends the program.
type_keys Return
if wait_exit 10; then
  expect_clean_exit "Enter with No focused"
else
  fail "Enter with No focused: the program did not end"
fi

finish
