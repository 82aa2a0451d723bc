#!/usr/bin/env bash
# `make bench`: every benchmark, then the calculator's real window measured
# beside a reference in the same run, on an Xvfb of its own:
#   idle CPU at the change menu      beside xterm showing static text
#   idle CPU at a prompt             beside xterm -bc, its cursor blinking too
#   key-to-pixel latency, 50 keys    beside xterm echoing the same keys; the
#                                    entry cell polled, and the whole window
#   CPU time of one redraw           a cursor blink, a full screen, a swap alone,
#                                    beside the whole frames drawn before
#   start-up to the first text       beside xterm and a bare freeglut window
#   frame render                     beside a memcpy of the same bytes
#   peak memory at the change menu   beside a freeglut program that only clears
#   each way out, request to exit    at each prompt, the menu and the dialog
# Ends with a table of figures, references and goals; docs/performance.md
# explains them.
#
# Usage: bench/run_figures.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
app=$build/drovlan
probe=$build/bench/xprobe
baseline=$build/bench/min_glut
frame_cost=$build/bench/frame_cost
benchmarks=$build/bench/benchmarks
tests=$build/tests
for f in "$app" "$probe" "$baseline" "$frame_cost" "$benchmarks" "$tests/window_reference" \
  "$tests/window_key_probe" "$tests/window_xtool"; do
  [ -x "$f" ] || { echo "run_figures: $f is missing; build first" >&2; exit 1; }
done

title="Drovlan - A Quorvantel - V2.01"
term_title="figures-xterm"
blink_title="figures-xterm-bc"
idle_seconds=10
latency_keys=50
startup_runs=10

work=$(mktemp -d)
started=()  # every process this script started, ended on the way out
# A process that ended by itself frees its number for others: signal only a
# process that is still this script's child.
own_child() { [ "$(ps -o ppid= -p "$1" 2>/dev/null | tr -d ' ')" = "$$" ]; }
cleanup() {
  local pid
  for pid in "${started[@]}"; do own_child "$pid" && kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say() { printf '%s\n' "$*" >&2; }

# --- the figures of a process ---------------------------------------------------
ticks_per_second=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Run time of all its threads in ns, finer than the ticks.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }

# idle PID -> "ticks ns" used over idle_seconds; the X server's beside it.
idle_cost() {
  local pid=$1 t0 n0 x0 t1 n1 x1
  t0=$(cpu_ticks "$pid"); n0=$(cpu_ns "$pid"); x0=$(cpu_ticks "$xvfb")
  sleep "$idle_seconds"
  t1=$(cpu_ticks "$pid"); n1=$(cpu_ns "$pid"); x1=$(cpu_ticks "$xvfb")
  echo "$((t1 - t0)) $((n1 - n0)) $((x1 - x0))"
}

percent_of_ticks() { awk -v t="$1" -v hz="$ticks_per_second" -v s="$idle_seconds" \
  'BEGIN {printf "%.2f", 100 * t / hz / s}'; }
percent_of_ns() { awk -v n="$1" -v s="$idle_seconds" 'BEGIN {printf "%.4f", 100 * n / 1e9 / s}'; }

median() { sort -n "$1" | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
worst() { sort -n "$1" | tail -1; }

# Ends a process this script started and forgets it, so that its number,
# once free, is never signalled again.
finish() {
  local pid=$1 i kept=()
  own_child "$pid" && kill -TERM "$pid" 2>/dev/null || true
  for i in $(seq 100); do own_child "$pid" || break; sleep 0.05; done
  own_child "$pid" && kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for i in "${started[@]}"; do [ "$i" = "$pid" ] || kept+=("$i"); done
  started=("${kept[@]}")
}

# --- the display ----------------------------------------------------------------
say "== starting Xvfb"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
  2>"$work/xvfb.log" &
xvfb=$!
started+=("$xvfb")
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { say "Xvfb did not start:"; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
say "   on $DISPLAY"

renderer=$("$baseline" --renderer 2>/dev/null || echo "unknown")

# --- the benchmarks -------------------------------------------------------------
say "== benchmarks"
"$benchmarks" --benchmark_out="$work/bench.json" --benchmark_out_format=json >&2
bench_ns() {
  awk -v want="$1" '
    /"name":/ { gsub(/[",]/, "", $2); name = $2 }
    /"real_time":/ && name == want { gsub(/,/, "", $2); t = $2 }
    /"time_unit":/ && name == want { gsub(/[",]/, "", $2); u = $2 }
    END { f = (u == "us") ? 1e3 : (u == "ms") ? 1e6 : (u == "s") ? 1e9 : 1; printf "%.1f", t * f }' \
    "$work/bench.json"
}
render_ns=$(bench_ns BM_render_frame)
copy_ns=$(bench_ns BM_copy_frame)

# --- the calculator ---------------------------------------------------------------
# Row 4's heading, row 23's menu and the height entry's cell (row 10, column 37,
# without the cursor's two rows), in window pixels.
heading=(152 48 288 16)
menu_row=(112 352 320 16)
entry_cell=(288 144 8 14)
black=000000 grey=AAAAAA white=FFFFFF

say "== the calculator at its change menu"
"$app" 2>"$work/app.log" &
app_pid=$!
started+=("$app_pid")
"$probe" shows "$title" "${heading[@]}" "$black" "$grey" 10000
"$probe" keys "$title" 1 0 0 0 Return 1 0 0 Return minus 1 Return
"$probe" shows "$title" "${menu_row[@]}" "$black" "$grey" 5000
sleep 1
read -r app_ticks app_ns app_x < <(idle_cost "$app_pid")
app_peak=$(peak_kb "$app_pid")
say "   idle: $app_ticks ticks, $app_ns ns; peak $app_peak kB"

say "== the calculator at the height prompt, its cursor blinking"
"$probe" keys "$title" h
sleep 1
read -r prompt_ticks prompt_ns prompt_x < <(idle_cost "$app_pid")
say "   idle: $prompt_ticks ticks, $prompt_ns ns"

say "== the calculator's key-to-pixel latency ($latency_keys keys at the height prompt)"
"$probe" latency "$title" "${entry_cell[@]}" "$latency_keys" 1 BackSpace >"$work/app_latency"
"$probe" latency "$title" 0 0 0 0 "$latency_keys" 1 BackSpace >"$work/app_latency_whole"
finish "$app_pid"

# --- xterm ------------------------------------------------------------------------
term_text="THEORETICAL COVERAGE CONTOURS FOR FM"
term_cmd=(xterm -T "$term_title" +bc +sb -fg black -bg white -geometry 80x25
  -e sh -c "echo $term_text; exec cat")

say "== xterm showing static text"
"${term_cmd[@]}" 2>/dev/null &
term_pid=$!
started+=("$term_pid")
"$probe" shows "$term_title" 12 0 200 18 "$black" "$white" 10000
sleep 1
read -r term_ticks term_ns term_x < <(idle_cost "$term_pid")
term_peak=$(peak_kb "$term_pid")
say "   idle: $term_ticks ticks, $term_ns ns; peak $term_peak kB"
say "== xterm's key-to-pixel latency"
"$probe" latency "$term_title" 0 0 0 0 "$latency_keys" 1 BackSpace >"$work/term_latency"
finish "$term_pid"

say "== xterm -bc, its cursor blinking"
blink_cmd=(xterm -T "$blink_title" -bc +sb -fg black -bg white -geometry 80x25
  -e sh -c "echo $term_text; exec cat")
"${blink_cmd[@]}" 2>/dev/null &
blink_pid=$!
started+=("$blink_pid")
"$probe" shows "$blink_title" 12 0 200 18 "$black" "$white" 10000
# Focused, as the calculator is: xterm blinks its cursor only then.
"$probe" keys "$blink_title"
sleep 1
read -r blink_ticks blink_ns blink_x < <(idle_cost "$blink_pid")
say "   idle: $blink_ticks ticks, $blink_ns ns"
finish "$blink_pid"

# --- one redraw ---------------------------------------------------------------------
# "NAME cpu render upload draw swap wall" per kind of frame, in ms.
say "== the CPU time of one redraw"
"$frame_cost" >"$work/frames" 2>/dev/null
LP_NUM_THREADS=0 "$frame_cost" >"$work/frames_one_thread" 2>/dev/null
"$frame_cost" --single-sample >"$work/frames_single_sample" 2>/dev/null
# frame FILE NAME FIELD: one figure (2 cpu, 3 render, 4 upload, 5 draw, 6 swap, 7 wall).
frame() { awk -v n="$2" -v f="$3" '$1 == n {print $f}' "$work/$1"; }
# frame_split FILE NAME: "cpu ms (render a, upload b, draw c, swap d)".
frame_split() {
  awk -v n="$2" '$1 == n {printf "%.2f ms (render %.3f, upload %.3f, draw %.3f, swap %.2f)", $2, $3, $4, $5, $6}' \
    "$work/$1"
}

# --- the freeglut baselines ---------------------------------------------------------
say "== freeglut baselines"
# peak_of_baseline VARIABLE WINDOW_NAME [OPTION]: the baseline's peak memory, shown.
peak_of_baseline() {
  local into=$1 name=$2 pid
  shift 2
  "$baseline" "$@" 2>/dev/null &
  pid=$!
  started+=("$pid")
  "$probe" find "$name" 10000 >/dev/null
  sleep 1
  printf -v "$into" '%s' "$(peak_kb "$pid")"
  finish "$pid"
}
peak_of_baseline base_peak baseline
peak_of_baseline textured_peak "textured baseline" --textured

# --- start-up ---------------------------------------------------------------------
say "== start-up, $startup_runs runs each"
: >"$work/app_start"
: >"$work/term_start"
: >"$work/base_start"
: >"$work/textured_start"
for _ in $(seq "$startup_runs"); do
  "$probe" startup "$title" "${heading[@]}" "$black" "$grey" -- "$app" >>"$work/app_start" \
    2>>"$work/app.log"
  "$probe" startup "$term_title" 12 0 200 18 "$black" "$white" -- "${term_cmd[@]}" \
    >>"$work/term_start" 2>/dev/null
  "$probe" startup baseline 100 100 16 16 A8A8A8 A8A8A8 -- "$baseline" >>"$work/base_start" \
    2>/dev/null
  "$probe" startup "textured baseline" 100 100 16 16 "$grey" "$grey" -- "$baseline" --textured \
    >>"$work/textured_start" 2>/dev/null
done

# --- the ways out -------------------------------------------------------------------
# The window tests' own runs, each on an Xvfb of its own, with the time from each
# request to the process's exit written down.
say "== every way out, request to exit"
: >"$work/exit_times"
for way in close alt-f4 ctrl-break sigint sigterm sighup keys; do
  DROVLAN=$app REFERENCE=$tests/window_reference KEY_PROBE=$tests/window_key_probe \
    XTOOL=$tests/window_xtool ARTIFACTS=$work/exits-$way EXIT_TIMES=$work/exit_times \
    bash "$(dirname "$0")/../tests/window/exits.sh" "$way" >"$work/exits-$way.log" 2>&1 ||
    say "   exits.sh $way failed: $(grep FAIL "$work/exits-$way.log" | head -3)"
done

# --- the table ----------------------------------------------------------------------
verdict() { if awk "BEGIN {exit !($1)}"; then echo "met"; else echo "NOT met"; fi; }

app_pct=$(percent_of_ticks "$app_ticks")
term_pct=$(percent_of_ticks "$term_ticks")
app_lat_med=$(median "$work/app_latency")
app_lat_max=$(worst "$work/app_latency")
term_lat_med=$(median "$work/term_latency")
term_lat_max=$(worst "$work/term_latency")
app_whole_med=$(median "$work/app_latency_whole")
app_whole_max=$(worst "$work/app_latency_whole")
prompt_pct=$(percent_of_ns "$prompt_ns")
blink_pct=$(percent_of_ns "$blink_ns")
blinks=$(awk -v s="$idle_seconds" 'BEGIN {printf "%.1f", s * 1000 / 266}')
app_start=$(median "$work/app_start")
term_start=$(median "$work/term_start")
base_start=$(median "$work/base_start")
textured_start=$(median "$work/textured_start")
mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

cpu_model=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
os_name=$(. /etc/os-release && echo "$PRETTY_NAME")

{
  echo
  echo "Machine: $cpu_model, $(nproc) cores, $os_name; GL: $renderer"
  echo
  printf '| %-30s | %-22s | %-30s | %-30s | %-7s |\n' figure drovlan reference goal verdict
  printf '|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..32})" "$(printf -- '-%.0s' {1..24})" \
    "$(printf -- '-%.0s' {1..32})" "$(printf -- '-%.0s' {1..32})" "$(printf -- '-%.0s' {1..9})"
  row() { printf '| %-30s | %-22s | %-30s | %-30s | %-7s |\n' "$@"; }
  row "idle CPU, ${idle_seconds} s at the menu" "$app_pct % ($app_ticks ticks)" \
    "xterm $term_pct % ($term_ticks ticks)" "< 0.5 %, at most 2x xterm" \
    "$(verdict "$app_pct < 0.5 && $app_ticks <= 2 * $term_ticks")"
  row "  the same, thread run time" "$(percent_of_ns "$app_ns") %" "xterm $(percent_of_ns "$term_ns") %" \
    "(finer than ticks)" ""
  row "  the X server meanwhile" "$(percent_of_ticks "$app_x") %" "xterm's $(percent_of_ticks "$term_x") %" "" ""
  row "idle CPU, ${idle_seconds} s at a prompt" "$prompt_pct % ($prompt_ticks ticks)" \
    "xterm -bc $blink_pct % ($blink_ticks ticks)" "< 0.5 %, <= 2x xterm -bc + 0.2" \
    "$(verdict "$prompt_pct < 0.5 && $prompt_pct <= 2 * $blink_pct + 0.2")"
  row "  the X server meanwhile" "$(percent_of_ticks "$prompt_x") %" \
    "xterm -bc's $(percent_of_ticks "$blink_x") %" "" ""
  row "  CPU per cursor blink" "$(awk -v n="$prompt_ns" -v b="$blinks" 'BEGIN {printf "%.2f", n / 1e6 / b}') ms" \
    "($blinks blinks in ${idle_seconds} s)" "" ""
  row "key to pixel, median of $latency_keys" "$app_lat_med ms" "xterm $term_lat_med ms" \
    "<= 16.7 ms, at most 2x xterm" \
    "$(verdict "$app_lat_med <= 16.7 && $app_lat_med <= 2 * $term_lat_med")"
  row "key to pixel, worst of $latency_keys" "$app_lat_max ms" "xterm $term_lat_max ms" "" ""
  row "key to pixel, whole window, median" "$app_whole_med ms" "xterm $term_lat_med ms" \
    "<= 8 ms, <= 1.5x xterm" "$(verdict "$app_whole_med <= 8 && $app_whole_med <= 1.5 * $term_lat_med")"
  row "  worst of $latency_keys" "$app_whole_max ms" "xterm $term_lat_max ms" "" ""
  row "redraw, cursor blink (CPU)" "$(frame_split frames blink)" "whole frame $(frame frames whole-blink 2) ms" \
    "< 1 ms" "$(verdict "$(frame frames blink 2) < 1")"
  row "  blinks 266 ms apart" "$(frame_split frames blink-apart)" "" "" ""
  row "redraw, full screen (CPU)" "$(frame_split frames full)" "whole frame $(frame frames whole-full 2) ms" "" ""
  row "  swap of an unchanged frame" "$(frame frames unchanged 2) ms" "" "(the renderer's floor)" ""
  row "  LP_NUM_THREADS=0" "blink $(frame frames_one_thread blink 2) ms ($(frame frames_one_thread blink-apart 2) apart), full $(frame frames_one_thread full 2) ms" \
    "swap alone $(frame frames_one_thread unchanged 2) ms" "" ""
  row "  no multisampling" "blink $(frame frames_single_sample blink 2) ms ($(frame frames_single_sample blink-apart 2) apart), full $(frame frames_single_sample full 2) ms" \
    "swap alone $(frame frames_single_sample unchanged 2) ms" "" ""
  row "start-up, median of $startup_runs" "$app_start ms" "xterm $term_start ms" \
    "no slower than xterm" "$(verdict "$app_start <= $term_start")"
  row "  freeglut clear-only window" "$app_start ms" "$base_start ms" "<= 1.1x the bare window" \
    "$(verdict "$app_start <= 1.1 * $base_start")"
  row "  freeglut textured quad" "" "$textured_start ms" "(the same drawing alone)" ""
  row "frame render (80x25 cells)" "$(awk -v n="$render_ns" 'BEGIN {printf "%.1f", n / 1000}') us" \
    "memcpy $(awk -v n="$copy_ns" 'BEGIN {printf "%.1f", n / 1000}') us" "at most 2x memcpy" \
    "$(verdict "$render_ns <= 2 * $copy_ns")"
  row "peak memory (VmHWM) at menu" "$(mb "$app_peak") MB" "freeglut clear $(mb "$base_peak") MB" \
    "at most baseline + 5 MB" "$(verdict "$app_peak <= $base_peak + 5120")"
  row "  freeglut textured quad" "" "$(mb "$textured_peak") MB" "(the same drawing alone)" ""
  row "  xterm" "" "$(mb "$term_peak") MB" "" ""
  # One row per way out: the slowest of its states, and which.
  ways=$(cut -d'|' -f1 "$work/exit_times" | awk '!seen[$0]++')
  for way in $ways; do
    read -r slow_ms slow_state < <(awk -F'|' -v w="$way" '$1 == w {print $3, $2}' \
      "$work/exit_times" | sort -n | tail -1)
    n=$(awk -F'|' -v w="$way" '$1 == w' "$work/exit_times" | wc -l)
    row "way out: $way" "$slow_ms ms (slowest of $n)" "at the $slow_state" "ends within 200 ms" \
      "$(verdict "$slow_ms <= 200")"
  done
  echo
} | tee "$build/bench-figures.md"
echo "What each figure measures, where the time goes and why a goal is not met: docs/performance.md"
