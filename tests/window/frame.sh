# However little of each frame the window redraws, it shows the core's image
# pixel for pixel: after each key typed, in each phase of the blinking cursor,
# after the error dialog closed, and resized: the largest whole multiple of the
# image centred on black, a smaller window scaled down with its proportions
# kept, and back at 640x400.
source "$(dirname "$0")/lib.sh"

# Room for a 1280x800 window.
start_xvfb -screen 0 1400x900x24
start_drovlan
find_main_window || finish

all=()
# step NAME KEYS...: types the keys and waits for the core's screen after all keys so far.
step() {
  local name=$1
  shift
  keys "$@"
  all+=("${KEYS[@]}")
  reference "$name" "${all[@]}" || return 1
  type_keys "$@"
  wait_screen "$name"
}

# wait_phase NAME cursor|nocursor: the window shows that one phase of the
# reference within 5 s (the cursor changes phase about four times a second).
wait_phase() {
  local img=$WORK/$1.ppm deadline=$(($(now_us) + 5000000))
  [[ $2 == nocursor ]] && img=$WORK/$1-nocursor.ppm
  while (($(now_us) < deadline)); do
    xwd -id "$MAIN_WIN" -silent >"$WORK/shot.xwd" 2>/dev/null &&
      LAST_AE=$(compare -metric AE "$img" "$WORK/shot.xwd" null: 2>&1) &&
      [[ $LAST_AE == 0 ]] && return 0
    sleep 0.02
  done
  convert "$WORK/shot.xwd" "$WORK/$1-$2-seen.png" 2>/dev/null
  fail "screen $1 never shown in its $2 phase (typed: $TYPED); $LAST_AE pixels differ; seen: $WORK/$1-$2-seen.png"
  return 1
}

# Both phases of the blink, twice over: each blink redraws the cursor's cell alone.
blinks() {
  local round
  for round in 1 2; do
    wait_phase "$1" cursor && wait_phase "$1" nocursor || return 1
  done
}

# resize W H: the window at that size, as the window system reports it.
resize() {
  xdotool windowsize --sync "$MAIN_WIN" "$1" "$2" 2>>"$WORK/xdotool.log"
  eval "$(xdotool getwindowgeometry --shell "$MAIN_WIN" 2>/dev/null)"
  [[ $WIDTH == "$1" && $HEIGHT == "$2" ]] || fail "resized to $1x$2, the window is ${WIDTH}x$HEIGHT"
}

# placed NAME W H: reference NAME as a WxH window shows it, as NAME@WxH: the
# largest whole multiple of the image that fits, centred on black.
placed() {
  local name=$1 w=$2 h=$3 k x y suffix
  k=$((w / 640 < h / 400 ? w / 640 : h / 400))
  x=$(((w - 640 * k) / 2)) y=$(((h - 400 * k) / 2))
  for suffix in "" -nocursor; do
    convert -size "${w}x$h" xc:black \( "$WORK/$name$suffix.ppm" -scale "$((k * 100))%" \) \
      -geometry "+$x+$y" -composite "$WORK/$name@${w}x$h$suffix.ppm"
  done
  cp "$WORK/$name.txt" "$WORK/$name@${w}x$h.txt"
}

# Typing at the height prompt: each key changes two cells, the echo and the cursor.
step start
blinks start
step typed-1 1
step typed-10 0
step typed-100 0
step typed-10-again BackSpace
blinks typed-10-again

# The error dialog, answered Yes: the window shows the result and the menu again.
keys 0 Return 50 Return 500 Return
all+=("${KEYS[@]}")
type_keys 0 Return 50 Return 500 Return
wait_window "^${dialog_caption}\$" || fail "no dialog after typing $TYPED"
step after-yes y
window_open "$dialog_caption" && fail "Y: the dialog is still open"

# Resized: at 1000x700 the image once, centred; at 1280x800 twice its size; a
# new contour level typed at both sizes, the cursor blinking there.
last=after-yes
for size in "1000 700" "1280 800"; do
  read -r w h <<<"$size"
  resize "$w" "$h"
  placed "$last" "$w" "$h"
  wait_screen "$last@${w}x$h"
  cp "$WORK/shot.xwd" "$WORK/resized-${w}x$h.xwd"
  keys d
  all+=("${KEYS[@]}")
  reference "level-at-${w}x$h" "${all[@]}"
  placed "level-at-${w}x$h" "$w" "$h"
  type_keys d
  blinks "level-at-${w}x$h@${w}x$h"
  keys 54 Return
  all+=("${KEYS[@]}")
  reference "typed-at-${w}x$h" "${all[@]}"
  type_keys 54 Return
  placed "typed-at-${w}x$h" "$w" "$h"
  wait_screen "typed-at-${w}x$h@${w}x$h"
  last=typed-at-${w}x$h
done
convert "$WORK/resized-1000x700.xwd" "$WORK/resized-1000x700.png"
convert "$WORK/resized-1280x800.xwd" "$WORK/resized-1280x800.png"

# shrunk NAME: within 10 s the 400x300 window shows reference NAME scaled down to
# 400x250 with filtering, black above and below. Nearest texels, a stretched
# image or one a row off lie further from ImageMagick's filtered reduction than
# the bound.
shrunk() {
  local ref=$WORK/$1@400x300.ppm deadline=$(($(now_us) + 10000000)) error bars
  convert "$WORK/$1-nocursor.ppm" -resize 400x250 -background black -gravity center \
    -extent 400x300 "$ref"
  while :; do
    xwd -id "$MAIN_WIN" -silent >"$WORK/shot.xwd" 2>/dev/null
    error=$(compare -metric RMSE "$ref" "$WORK/shot.xwd" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p')
    bars=$(convert "$WORK/shot.xwd" \( +clone -crop 400x25+0+0 \) \( -clone 0 -crop 400x25+0+275 \) \
      -delete 0 -append -format '%[fx:maxima.r+maxima.g+maxima.b]' info: 2>&1)
    if [[ -n $error ]] && awk -v e="$error" 'BEGIN {exit !(e < 0.05)}' && [[ $bars == 0 ]]; then
      echo "$1 at 400x300: RMSE $error"
      convert "$WORK/shot.xwd" "$WORK/$1-small.png"
      return 0
    fi
    if (($(now_us) > deadline)); then
      convert "$WORK/shot.xwd" "$WORK/$1-small-seen.png"
      fail "at 400x300: not reference $1 scaled to 400x250 on black (typed: $TYPED): RMSE ${error:-?} (bound 0.05), brightest in the bars $bars; seen: $WORK/$1-small-seen.png"
      return 1
    fi
    sleep 0.05
  done
}

# Smaller than the image, and typed into there; what the typing left must be
# what shrinking the window after it shows.
resize 400 300
shrunk "$last"
keys d
all+=("${KEYS[@]}")
reference level-small "${all[@]}"
type_keys d
shrunk level-small
keys 70 Return
all+=("${KEYS[@]}")
reference typed-small "${all[@]}"
type_keys 70 Return
shrunk typed-small
# The bound of shrunk also takes a frame drawn before the last key was: what
# the typing left is the screen once it stays the same for half a second
# (at the menu no cursor blinks).
deadline=$(($(now_us) + 10000000))
while :; do
  xwd -id "$MAIN_WIN" -silent >"$WORK/typed-small.xwd" 2>/dev/null
  sleep 0.5
  xwd -id "$MAIN_WIN" -silent >"$WORK/shot.xwd" 2>/dev/null
  [[ $(compare -metric AE "$WORK/typed-small.xwd" "$WORK/shot.xwd" null: 2>&1) == 0 ]] && break
  if (($(now_us) > deadline)); then
    fail "at 400x300: the screen after typing $TYPED never stayed the same for half a second"
    break
  fi
done
convert "$WORK/typed-small.xwd" "$WORK/typed-small-typed.png"

# Back at the image's own size: nearest texels again, pixel for pixel.
resize 640 400
wait_screen typed-small
resize 400 300
deadline=$(($(now_us) + 5000000))
while :; do
  xwd -id "$MAIN_WIN" -silent >"$WORK/shot.xwd" 2>/dev/null
  LAST_AE=$(compare -metric AE "$WORK/typed-small.xwd" "$WORK/shot.xwd" null: 2>&1)
  [[ $LAST_AE == 0 ]] && break
  if (($(now_us) > deadline)); then
    convert "$WORK/shot.xwd" "$WORK/typed-small-resized.png"
    fail "at 400x300: typing there left another image than shrinking after it ($LAST_AE pixels differ): $WORK/typed-small-typed.png, $WORK/typed-small-resized.png"
    break
  fi
  sleep 0.05
done
resize 640 400
wait_screen typed-small

type_keys Q
if wait_exit 10; then
  expect_clean_exit "Q after the resizes"
else
  fail "the program did not end after Q"
fi

finish
