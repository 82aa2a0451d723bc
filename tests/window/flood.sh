# 10,000 random keys as fast as xdotool types them, across prompts, menu and
# error dialogs: the program stays alive, then the known sequence shows the
# five preset results and Q ends it with exit code 0.
#   flood.sh [SEED]
source "$(dirname "$0")/lib.sh"

seed=${1:-${FLOOD_SEED:-$(date +%s)}}
total=10000
chunk=500
echo "flood seed $seed (flood.sh $seed repeats this flood)"
RANDOM=$seed

# Digits, point, minus, E, Enter, Backspace, arrows and every letter but Q and
# N, which would end the program at the menu or in a dialog. An arrow is always
# followed by y: an arrow taken by a dialog moves its focus to No, and the
# next Enter would answer No; the y answers Yes first.
letters=()
for l in {a..z} {A..Z}; do [[ $l == [QqNn] ]] || letters+=("$l"); done
arrows=(Up Down Left Right)
next_keys() {
  local r=$((RANDOM % 100))
  if ((r < 40)); then FLOOD+=($((RANDOM % 10)))
  elif ((r < 45)); then FLOOD+=(period)
  elif ((r < 50)); then FLOOD+=(minus)
  elif ((r < 55)); then FLOOD+=(E)
  elif ((r < 70)); then FLOOD+=(Return)
  elif ((r < 75)); then FLOOD+=(BackSpace)
  elif ((r < 80)); then FLOOD+=("${arrows[RANDOM % 4]}" y)
  else FLOOD+=("${letters[RANDOM % ${#letters[@]}]}")
  fi
}

start_xvfb
start_drovlan
find_main_window || finish

# The rows 16 to 23 (columns 1 to 78, which the menu blanks) and the menu row alone.
results_region=624x128+0+240
menu_region=624x16+0+352
reference presets 1000 Return 100 Return -1 Return
reference start

t0=$EPOCHREALTIME
sent=0
while ((sent < total)); do
  FLOOD=()
  while ((${#FLOOD[@]} < chunk && sent + ${#FLOOD[@]} < total)); do next_keys; done
  xdotool key --delay 0 "${FLOOD[@]}" 2>>"$WORK/xdotool.log"
  printf '%s\n' "${FLOOD[@]}" >>"$WORK/flood-keys.txt"
  sent=$((sent + ${#FLOOD[@]}))
  if ! program_alive; then
    wait_exit 1
    fail "the program ended during the flood, after $sent keys (exit code $EXIT_CODE; keys in $WORK/flood-keys.txt)"
    finish
  fi
done
echo "flood: $sent keys typed in $(ms_between "$t0" "$EPOCHREALTIME") ms"
TYPED="(the flood: $WORK/flood-keys.txt)"

# menu_or_dialog SECONDS: waits for the menu on row 23, answering Y to any
# dialog on the way; with DRAIN set it types "1 Return" while neither shows,
# which ends any entry (the power prompt refuses Enter alone) and at the menu
# only shows the results again.
menu_or_dialog() {
  local deadline=$(($(now_us) + $1 * 1000000))
  while (($(now_us) < deadline)); do
    if window_open "$dialog_caption"; then
      type_keys y
    elif screen_is presets "$menu_region"; then
      # Twice, apart: a key still queued would take the menu away again.
      sleep 0.2
      window_open "$dialog_caption" || ! screen_is presets "$menu_region" || return 0
      continue
    elif [[ -n ${DRAIN:-} ]]; then
      type_keys 1 Return
    fi
    sleep 0.1
  done
  xwd -id "$MAIN_WIN" -silent | convert xwd:- "$WORK/no-menu.png"
  fail "no menu within $1 s (screen: $WORK/no-menu.png; typed after the flood: $TYPED)"
  return 1
}

sleep 0.3
program_alive || fail "the program ended after the flood"
TYPED=""
DRAIN=1 menu_or_dialog 30 || finish
echo "drained to the menu with: ${TYPED:-nothing}"

# The known sequence, slowly, each value once the screen is ready for it.
for step in "h 1000" "p 100" "d -1"; do
  read -r letter value <<<"$step"
  type_keys "$letter"
  wait_screen start 10 "$menu_region" || finish  # the menu is gone: the prompt waits
  type_keys "$value" Return
  [[ $letter == d ]] || menu_or_dialog 10 || finish
done
wait_screen presets 10 "$results_region"
program_alive || fail "the program ended during the known sequence"

t0=$EPOCHREALTIME
type_keys Q
if wait_exit 10; then
  echo "Q: exit code $EXIT_CODE after $(ms_between "$t0" "$EXIT_TIME") ms"
  expect_clean_exit "Q after the flood"
else
  fail "the program did not end after Q"
fi

finish
