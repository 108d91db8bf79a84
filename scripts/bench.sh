#!/usr/bin/env bash
# Builds Pannex and runs the benchmarks under Wine:
#   scripts/bench.sh [entries]      (default 100000; the folder is made once, in C:\)
# The file-operations benchmark's sources (about 1.1 GiB) are made in C:\pxops
# and the viewer's files (about 1.1 GiB on disk) in C:\pxviewer; both are
# removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
PX_SKIP_SANITIZERS=1 scripts/build.sh >/dev/null
source scripts/wine-env.sh
px_start_display
px_prepare_prefix
entries="${1:-100000}"
python3 tools/make_bench_folder.py "$WINEPREFIX/drive_c/pxbench-$entries" "$entries"
cd build/win
wine listing_bench.exe "$entries" | tr -d '\r'
python3 ../../tools/make_bench_tree.py "$WINEPREFIX/drive_c/pxtree-10000" 10000
wine tree_bench.exe | tr -d '\r'
wine menu_bench.exe | tr -d '\r'
python3 ../../tools/make_search_tree.py "$WINEPREFIX/drive_c/pxsearch-tree" 1000 100
wine search_bench.exe | tr -d '\r'
python3 ../../tools/make_ops_bench.py "$WINEPREFIX/drive_c/pxops"
wine fileops_bench.exe | tr -d '\r'
rm -rf "$WINEPREFIX/drive_c/pxops"
# The viewer's files: 10 GiB sparse, 1 GiB of text, a 6000 x 4000 JPEG (about 1.1 GiB on disk).
wine viewer_bench.exe 'C:\pxviewer' | tr -d '\r'
rm -rf "$WINEPREFIX/drive_c/pxviewer"
# Quick search, quick filter, marking and comparing on the listing's folder,
# counting sizes on the search's tree (both made above and kept).
wine keyboard_bench.exe "C:\\pxbench-$entries" 'C:\pxsearch-tree' | tr -d '\r'
# The panels following the disk, and tabs: a copy of the listing's folder that
# the benchmark adds files to (and removes them from), removed afterwards.
python3 ../../tools/make_bench_folder.py "$WINEPREFIX/drive_c/pxlive-$entries" "$entries"
wine live_bench.exe "C:\\pxlive-$entries" | tr -d '\r'
rm -rf "$WINEPREFIX/drive_c/pxlive-$entries"
# Start-up at 200 % against 100 %: the staged program, from its own folder
# (the scale is put back to 100 % afterwards).
(cd out && cp ../startup_bench.exe . && wine startup_bench.exe | tr -d '\r'; rm -f startup_bench.exe PX.ini)
