#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing. `setup.sh windows` also installs
# the MinGW-w64 cross compiler and Wine that the windows preset builds and tests with.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  xvfb xauth xdotool faketime
)
if [ "${1:-}" = windows ]; then
  # wine64 runs the programs; wine gives it the `wine` and `wineboot` commands.
  packages+=(g++-mingw-w64-x86-64-posix wine64 wine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
