#!/usr/bin/env bash
# Builds the core and its tests natively, and the Windows program with its
# tests and benchmark; stages the program with its companion files in build/win/out.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"

if [ "${PX_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPX_SANITIZE=ON >/dev/null
  cmake --build build/sanitize -j "$jobs"
fi

cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/win -j "$jobs"

out=build/win/out
mkdir -p "$out"
cp build/win/Pannex.exe "$out/"
rm -rf "$out/Language" "$out/Menu" "$out/ToolBar"
cp -r Language Menu ToolBar "$out/"
cp build/win/Menu.dll "$out/Menu/"
cp build/win/ToolBar.dll "$out/ToolBar/"
