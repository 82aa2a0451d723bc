#!/usr/bin/env bash
# Installs the Debian packages that a group of tasks needs, the ones missing only:
#
#   scripts/install-deps.sh [GROUP...]   (no group: every group)
#
#   run     build the calculator and open its window
#   test    build every program of the tree and run every test: the window
#           tests' X server, window manager and tools, clang and libFuzzer for
#           the fuzz targets and the clang build
#   bench   the tests' packages and xterm, the reference of the window figures
#   lint    clang-tidy, with the libraries that the tests and benchmarks include
#   format  clang-format
#   glyphs  GNU Unifont and Python, for scripts/make_glyphs.py
#
# Idempotent: does nothing when every package of the groups is installed.
set -euo pipefail

build=(build-essential cmake libglut-dev libglew-dev libglu1-mesa-dev libgl-dev libx11-dev)
test_libraries=(libgtest-dev libbenchmark-dev libxtst-dev libxext-dev)

packages_of() {
  case $1 in
    run) echo "${build[@]}" libgl1-mesa-dri ;;
    test)
      packages_of run
      echo "${test_libraries[@]}" clang libclang-rt-14-dev xvfb openbox xdotool x11-apps imagemagick
      ;;
    bench) packages_of test; echo xterm ;;
    lint) echo "${build[@]}" "${test_libraries[@]}" clang-tidy ;;
    format) echo clang-format ;;
    glyphs) echo unifont python3 ;;
    *)
      echo "install-deps: no group '$1' (run, test, bench, lint, format, glyphs)" >&2
      exit 2
      ;;
  esac
}

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(run test bench lint format glyphs)
packages=()
for g in "${groups[@]}"; do
  list=$(packages_of "$g") || exit 2
  # shellcheck disable=SC2206 # one package a word
  packages+=($list)
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
