# The window's title: the program's own, also when it was set before the window
# opened, and a title set while the window is open reaches its title bar.
source "$(dirname "$0")/lib.sh"

title="Drovlan - A Quorvantel - V2.01"

# wait_title EXPECTED: the main window's name becomes EXPECTED within 5 s.
wait_title() {
  local deadline=$(($(now_us) + 5000000)) name=""
  while :; do
    name=$(xdotool getwindowname "$MAIN_WIN" 2>/dev/null)
    [[ $name == "$1" ]] && return 0
    (($(now_us) > deadline)) && break
    sleep 0.02
  done
  fail "window title \"$name\", expected \"$1\" (run $run_count: $(<"$RUN.err"))"
}

start_xvfb

# The calculator sets its title on its own thread, before or after the window opens.
start_drovlan
find_main_window && wait_title "$title"
signal_program TERM
wait_exit 10 || fail "the program did not end on SIGTERM"

# Title set before the window opened | set while it is open.
#  probe arguments                   | name when first seen | then set | name then
cases=(
  "--title-first|$title|Another title|Another title"
  "|Untitled|$title|$title"
)
for row in "${cases[@]}"; do
  IFS='|' read -r args first later expected <<<"$row"
  if [[ -n $args ]]; then start_probe "$args" "$first"; else start_probe; fi
  if wait_window ''; then
    MAIN_WIN=$WIN
    [[ $WIN_NAME == "$first" ]] ||
      fail "probe ${args:-without a title}: the window opened as \"$WIN_NAME\", expected \"$first\""
    probe_say "title $later" && wait_title "$expected"
  else
    fail "probe ${args:-without a title}: no window appeared"
  fi
  stop_probe
  expect_clean_exit "probe ${args:-without a title}"
done

finish
