#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Quorvane
# needs. Safe to run again: only missing packages are fetched.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
  libespeak-ng-dev espeak-ng-data espeak-ng
  libavcodec-dev libavutil-dev libswresample-dev zlib1g-dev liblzma-dev
  fonts-wqy-microhei fonts-arphic-uming fonts-liberation2
  xvfb xauth xdotool imagemagick poppler-utils
  sox pulseaudio pulseaudio-utils gdb
  clang libclang-rt-14-dev libbenchmark-dev
  desktop-file-utils appstream librsvg2-bin dpkg-dev fakeroot
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if ((EUID != 0)); then
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
