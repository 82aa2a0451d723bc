# -geometry places the 640x400 window, also by an offset from the right or
# the bottom of the 1024x768 screen, with or without a size of its own (the
# window keeps 640x400). No window manager: the offsets are the window's own.
source "$(dirname "$0")/lib.sh"

start_xvfb

# -geometry | where the window stands
cases=(
  "+0+0|0,0"
  "+100+50|100,50"
  "-10+10|374,10"
  "+5-20|5,348"
  "-0-0|384,368"
  "640x400-10-10|374,358"
  "800x600-0+0|384,0"
)
for row in "${cases[@]}"; do
  IFS='|' read -r geometry expected <<<"$row"
  start_program "$DROVLAN" -geometry "$geometry"
  if find_main_window; then
    eval "$(xdotool getwindowgeometry --shell "$MAIN_WIN")"
    [[ "$X,$Y ${WIDTH}x$HEIGHT" == "$expected 640x400" ]] ||
      fail "-geometry $geometry: the window stands at $X,$Y, ${WIDTH}x$HEIGHT; expected $expected, 640x400"
  fi
  signal_program TERM
  wait_exit 10 || fail "-geometry $geometry: SIGTERM did not end the program"
done

finish
