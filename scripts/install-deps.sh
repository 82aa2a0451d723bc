#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang clang-format clang-tidy libclang-rt-14-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps x11-utils imagemagick xterm
  unifont valgrind
  libxtst-dev libxext-dev
)

missing=()
for p in "${packages[@]}"; do
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
