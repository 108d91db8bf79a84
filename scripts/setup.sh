#!/usr/bin/env bash
# Installs what building, running and testing Pannex need, from Debian's packages;
# given package names, installs only those that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev python3
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth x11-apps x11-utils imagemagick fonts-dejavu-core zip unzip
  # Wine's own fonts (the caption buttons' glyphs, its dialog font) and a font
  # for Chinese, Japanese and Korean names.
  fonts-wine fonts-wqy-microhei
  clang libclang-rt-14-dev
)
[ $# -eq 0 ] || packages=("$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
