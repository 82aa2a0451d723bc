# Keys typed in the real window reach the layer's queue with the PC's codes:
# a character key as its byte, a key without one as 0 and its scan code, a
# modifier alone as nothing; the queue keeps 15 keys and loses the 16th.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_probe
find_main_window || finish

# xdotool keys | what the probe reads (each key before the closing "x")
cases=(
  "Return|13"
  "Escape|27"
  "BackSpace|8"
  "Tab|9"
  "ctrl+h|8"
  "ctrl+p|16"
  "ctrl+d|4"
  "ctrl+q|17"
  "a A 7 space minus period|97 65 55 32 45 46"
  "Up|0/72"
  "Down|0/80"
  "Left|0/75"
  "Right|0/77"
  "Home|0/71"
  "End|0/79"
  "Prior|0/73"
  "Next|0/81"
  "Insert|0/82"
  "Delete|0/83"
  "F1 F2 F3 F4 F5|0/59 0/60 0/61 0/62 0/63"
  "F6 F7 F8 F9 F10|0/64 0/65 0/66 0/67 0/68"
  "F11|0/133"
  "F12|0/134"
  "Shift_L|"
  "Shift_R|"
  "Control_L|"
  "Control_R|"
  "Alt_L|"
)
for row in "${cases[@]}"; do
  IFS='|' read -r typed expected <<<"$row"
  read -ra names <<<"$typed"
  type_keys "${names[@]}" x
  probe_say keys || continue
  [[ $PROBE_REPLY == "keys${expected:+ $expected}" ]] ||
    fail "typed $typed: the probe read \"$PROBE_REPLY\", expected \"keys${expected:+ $expected}\""
done

# Pause, and Ctrl+Num Lock as well: the next key resumes and is not queued.
for pause in Pause ctrl+Num_Lock; do
  type_keys "$pause" a b x
  probe_say keys
  [[ $PROBE_REPLY == "keys 98" ]] || fail "typed $pause a b: the probe read \"$PROBE_REPLY\", expected \"keys 98\""
done

# Ctrl+Num Lock is the PC's Pause: Num Lock stays as it was, on or off. The
# keypad's 1 and 2 are tapped as they are, so that Num Lock decides what they
# give: 1 and 2 with it on, End and Down with it off. Then the same with the
# keys after it in one burst, pressed before Num Lock is back; and with the
# key's release going to no window, so that Num Lock is put back at the next
# key, and Num Lock pressed later still toggles.
# numlock_case WHAT EXPECTED: the probe read keys EXPECTED and Num Lock is $lock.
numlock_case() {
  probe_say keys || return
  [[ $PROBE_REPLY == "keys $2" ]] ||
    fail "Num Lock $lock, $1: the probe read \"$PROBE_REPLY\", expected \"keys $2\""
  local now
  now=$("$XTOOL" numlock)
  [[ $now == "$lock" ]] || fail "Num Lock $lock, $1: Num Lock is $now afterwards"
}
# numlock_to on|off: Num Lock pressed in the window if it is not so already.
numlock_to() {
  [[ $("$XTOOL" numlock) == "$1" ]] && return
  tap_keys Num_Lock x
  probe_say keys
  [[ $PROBE_REPLY == keys ]] || fail "Num Lock pressed: the probe read \"$PROBE_REPLY\""
  [[ $("$XTOOL" numlock) == "$1" ]] || fail "Num Lock pressed in the window did not turn it $1"
}
for lock in on off; do
  [[ $lock == on ]] && codes=(49 50) || codes=(0/79 0/80)
  numlock_to "$lock"
  tap_keys KP_1
  type_keys ctrl+Num_Lock 5
  tap_keys KP_2
  type_keys x
  numlock_case "keypad 1, Ctrl+Num Lock, 5, keypad 2" "${codes[*]}"

  numlock_to "$lock"
  tap_keys Control_L+Num_Lock 5 KP_2 x
  numlock_case "Ctrl+Num Lock, 5, keypad 2 in one burst" "${codes[1]}"

  numlock_to "$lock"
  xdotool keydown ctrl+Num_Lock 2>>"$WORK/xdotool.log"
  "$XTOOL" unfocus
  xdotool keyup ctrl+Num_Lock 2>>"$WORK/xdotool.log"
  xdotool windowfocus --sync "$MAIN_WIN" 2>>"$WORK/xdotool.log"
  type_keys 5
  tap_keys KP_2
  type_keys x
  numlock_case "Ctrl+Num Lock released elsewhere, 5, keypad 2" "${codes[1]}"
done
numlock_to on # after the last release that went elsewhere

# Paused, the probe runs no statement: the count it shows stops until a key.
# shots SECONDS SAME: two images of the window 0.3 s apart are the same (SAME
# 1) or differ (SAME 0), within SECONDS.
shots() {
  local deadline=$(($(now_us) + $1 * 1000000)) same
  xwd -id "$MAIN_WIN" -silent >"$WORK/before.xwd"
  while (($(now_us) < deadline)); do
    sleep 0.3
    xwd -id "$MAIN_WIN" -silent >"$WORK/after.xwd"
    cmp -s "$WORK/before.xwd" "$WORK/after.xwd" && same=1 || same=0
    ((same == $2)) && return 0
    mv "$WORK/after.xwd" "$WORK/before.xwd"
  done
  return 1
}
probe_say counter
shots 10 0 || fail "the probe's count did not move"
type_keys Pause
shots 10 1 || fail "after Pause the probe's count went on"
type_keys a
shots 10 0 || fail "the probe's count did not move again after the key that ends the pause"
probe_say count
[[ $PROBE_REPLY == "count 0" ]] || fail "the key that ended the pause was queued: \"$PROBE_REPLY\""

# Sixteen keys while nothing reads: the first fifteen wait, the sixteenth is lost.
letters=(a b c d e f g h i j k l m n o p)
type_keys "${letters[@]}"
deadline=$(($(now_us) + 5000000))
while probe_say count && [[ $PROBE_REPLY != "count 15" ]] && (($(now_us) < deadline)); do
  sleep 0.02
done
sleep 0.3 # room for a late sixteenth key to show up
probe_say drain
expected="drain 97 98 99 100 101 102 103 104 105 106 107 108 109 110 111"
[[ $PROBE_REPLY == "$expected" ]] ||
  fail "typed sixteen keys ${letters[*]}: the probe read \"$PROBE_REPLY\", expected \"$expected\""
# The queue takes keys again once read.
type_keys z x
probe_say keys
[[ $PROBE_REPLY == "keys 122" ]] || fail "typed z after the full queue: the probe read \"$PROBE_REPLY\""

stop_probe
expect_clean_exit "key probe"
finish
