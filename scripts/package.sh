#!/usr/bin/env bash
# Builds Pannex and packs the portable release, dist/Pannex-<version>-win64.zip:
# the program with its language files, icon libraries, toolbar layout and a
# README for its users, all at the top of the archive.
set -euo pipefail
cd "$(dirname "$0")/.."

# The version the executable carries, so the archive's name cannot disagree with it.
version=$(sed -n 's/^ *VALUE "ProductVersion", *"\([0-9.]*\)".*/\1/p' res/Pannex.rc | head -1)
if [ -z "$version" ]; then
  echo "package.sh: no ProductVersion in res/Pannex.rc" >&2
  exit 1
fi
if ! command -v zip >/dev/null; then
  echo "package.sh: zip is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi

[ "${PX_PACKAGE_SKIP_BUILD:-0}" = 1 ] || scripts/build.sh

out=build/win/out
required=(
  Pannex.exe
  Language/English.lng Language/English.kbr Language/German.lng Language/German.kbr
  Menu/Menu.dll ToolBar/ToolBar.dll ToolBar/Standart.ini
)
missing=()
for file in "${required[@]}"; do
  [ -s "$out/$file" ] || missing+=("$out/$file")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package.sh: the build did not produce these files, so there is no package:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

name=Pannex-$version-win64
stage=build/package/$name
rm -rf "$stage"
mkdir -p "$stage/Language" "$stage/Menu" "$stage/ToolBar" dist
cp "$out/Pannex.exe" "$stage/"
cp "$out"/Language/*.lng "$out"/Language/*.kbr "$stage/Language/"
cp "$out/Menu/Menu.dll" "$stage/Menu/"
cp "$out/ToolBar/ToolBar.dll" "$out/ToolBar/Standart.ini" "$stage/ToolBar/"
# Windows line ends, so that every editor shows the lines.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' docs/release-README.txt >"$stage/README.txt"

archive=$PWD/dist/$name.zip
rm -f "$archive"
# -X: no Unix owners or extra times, which Windows users have no use for.
(cd "$stage" && zip -q -X -r "$archive" Pannex.exe README.txt Language Menu ToolBar)
echo "Packed $(unzip -Z1 "$archive" | grep -vc '/$') files into dist/$name.zip"
