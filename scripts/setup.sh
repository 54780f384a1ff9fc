#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Hoardscope needs. Safe to run again: when
# everything is there already it changes nothing and asks no package server.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsqlite3-dev sqlite3 media-types libcurl4-openssl-dev
  qt6-base-dev qt6-svg-dev qt6-webengine-dev libgl-dev adwaita-icon-theme dbus dbus-x11
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine64 libwine-dev
  xvfb xauth
  librsvg2-bin python3 fp-utils xdg-utils
  wixl man-db
  zlib1g-dev libbrotli-dev libzstd-dev libz-mingw-w64-dev chromium firefox-esr
  clang libclang-rt-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
