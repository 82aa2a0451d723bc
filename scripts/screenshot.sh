#!/usr/bin/env bash
# make screenshot: the README's picture, taken from the real window on an Xvfb
# of its own once it shows the results for the five preset contours (1000 ft,
# 100 kW, -1), checked pixel for pixel against the core's rendering of the
# same keys. Builds nothing: it takes the programs of a built tree (make
# screenshot builds them). Run it again after a change to the screen.
#
#   scripts/screenshot.sh [TREE] [PNG]    (build and docs/screenshot.png by default)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tree=$(cd "${1:-$root/build}" && pwd) || exit 1
png=$(realpath -m "${2:-$root/docs/screenshot.png}")

# The window tests' helpers, with this tree's programs.
export DROVLAN=$tree/drovlan REFERENCE=$tree/tests/window_reference \
  KEY_PROBE=$tree/tests/window_key_probe XTOOL=$tree/tests/window_xtool \
  ARTIFACTS=$tree/screenshot
for program in "$DROVLAN" "$REFERENCE" "$XTOOL"; do
  [[ -x $program ]] || {
    echo "screenshot: $program is not built (make screenshot builds it)" >&2
    exit 1
  }
done
# shellcheck source=../tests/window/lib.sh source-path=SCRIPTDIR
source "$root/tests/window/lib.sh"

start_xvfb
presets=(1000 Return 100 Return -1 Return)
reference presets "${presets[@]}" || finish
start_drovlan
find_main_window || finish
type_keys "${presets[@]}"
# The change menu shows no text cursor, so the picture is the same each time.
wait_screen presets 30 || finish

mkdir -p "$(dirname "$png")"
# Text on grey: a palette PNG, without the time stamps that would change it each time.
if ! convert "$WORK/shot.xwd" -strip -define png:exclude-chunks=date,time "PNG8:$png"; then
  fail "could not write $png"
  finish
fi
echo "screenshot: $png ($(stat -c %s "$png") bytes)"
type_keys q
wait_exit 10 || fail "the program did not end after q"
finish
