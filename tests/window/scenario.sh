# The real program typed into with xdotool shows, pixel for pixel, what the
# core renders for the same keys: the title screen at start, the first
# results, one change pass; then Q ends it.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_drovlan
find_main_window || finish

# Right after the start: black text on light grey, the height prompt waiting.
reference start
wait_screen start
colours=$(convert "$WORK/shot.xwd" -format '%k %[hex:p{0,0}]' info: 2>&1)
[[ $colours == "2 AAAAAA" ]] ||
  fail "start screen: colours and top-left pixel \"$colours\", expected \"2 AAAAAA\" (black text on AAAAAA)"

# keys so far | reference | a line the screen must hold
steps=(
  "1000 Return 100 Return -1 Return|first-results|Distance to 70 dBu (3.16 mV) contour: 31.5 miles or 50.7 kilometers"
  "d|change-prompt|Contour field strength in dBu/m (-1 = presets)?"
  "54 Return|change-54|Distance to 54 dBu contour: 55 miles or 88.5 kilometers"
)
all=()
for row in "${steps[@]}"; do
  IFS='|' read -r typed name line <<<"$row"
  read -ra now <<<"$typed"
  all+=("${now[@]}")
  reference "$name" "${all[@]}" || continue
  grep -qF "$line" "$WORK/$name.txt" || fail "reference $name lacks \"$line\":$(echo; cat "$WORK/$name.txt")"
  type_keys "${now[@]}"
  wait_screen "$name"
done
# After D and 54 the result area holds that one line and the menu.
n=$(grep -c 'Distance to' "$WORK/change-54.txt")
((n == 1)) || fail "reference change-54 has $n result lines, expected 1"

t0=$EPOCHREALTIME
type_keys Q
if wait_exit 10; then
  expect_clean_exit "Q at the menu"
  echo "Q: ended $(ms_between "$t0" "$EXIT_TIME") ms after the key"
else
  fail "the program did not end after Q"
fi
[[ -s $RUN.out ]] && fail "the program wrote to standard output: $(<"$RUN.out")"

finish
