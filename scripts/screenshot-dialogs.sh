#!/usr/bin/env bash
# Starts Pannex on a virtual display over a demonstration folder, works it the
# way a user would (commands sent to the window, buttons clicked) and saves its
# dialogs as they appear: the progress window of a running copy, the overwrite
# question, the attributes of a mixed selection, the drive properties and the
# keyboard reference.
#   scripts/screenshot-dialogs.sh [folder]    (default docs; writes
#                                              screenshot-progress.png,
#                                              -overwrite, -attributes, -drive, -help,
#                                              -jobs, -viewer, -viewer-hex,
#                                              -search, -quick-search, -tabs)
set -euo pipefail
cd "$(dirname "$0")/.."
folder="$(realpath -m "${1:-docs}")"
PX_SKIP_SANITIZERS=1 scripts/build.sh >/dev/null
unset DISPLAY
export WINEPREFIX="$PWD/build/wineprefix-screenshot"
source scripts/wine-env.sh
px_start_display
px_prepare_prefix
px_set_scale "${PX_SCREENSHOT_DPI:-96}"

# id NAME: the number res/resource.h gives NAME (IDOK and IDCANCEL are Windows').
id() {
  case "$1" in
    IDOK) echo 1 ;;
    IDCANCEL) echo 2 ;;
    *) awk -v name="$1" '$1 == "#define" && $2 == name { print $3 }' "$PX_ROOT/res/resource.h" ;;
  esac
}

demo="$WINEPREFIX/drive_c/Demo"
rm -rf "$demo"
mkdir -p "$demo/Documents/Letters" "$demo/Backup" "$demo/Videos"
printf '%*s' 1234567 '' >"$demo/Documents/Annual report.pdf"
printf '%*s' 48213 '' >"$demo/Documents/Budget.xlsx"
printf 'notes\r\n' >"$demo/Documents/notes.txt"
printf '%*s' 2048 '' >"$demo/Documents/Ελληνικό κείμενο.txt"
printf '%*s' 731 '' >"$demo/Documents/Ünïcödé names.md"
printf 'Dear ...\r\n' >"$demo/Documents/Letters/Bank.txt"
touch -d '2026-11-03 09:41' "$demo/Documents"/* "$demo/Documents/Letters"/*
# An older budget in the backup: copying the new one over it asks first.
printf '%*s' 39977 '' >"$demo/Backup/Budget.xlsx"
touch -d '2026-10-12 17:05' "$demo/Backup/Budget.xlsx"
# A large file (sparse: no room taken until copied) keeps the progress window up.
truncate -s 6G "$demo/Videos/Harbour tour.mp4"
printf '%*s' 4096 '' >"$demo/Videos/Harbour tour.srt"
touch -d '2026-11-02 18:20' "$demo/Videos"/*

start="$PX_ROOT/build/screenshot-start"
rm -rf "$start"
cp -r build/win/out "$start"
cp build/win/window_remote.exe build/win/window_capture.exe "$start/"
cd "$start"
remote() { wine window_remote.exe "$@" | tr -d '\r'; }

# begin LEFT RIGHT: starts Pannex with these panel folders, the left one active.
begin() {
  printf '[Left]\r\nPath=%s\r\n[Right]\r\nPath=%s\r\n[Options]\r\nDivider=500\r\n' "$1" "$2" >PX.ini
  wine Pannex.exe &
  remote ready
}
# finish: ends the program (and a run still going) without a trace.
finish() {
  wineserver -k || true
  sleep 1
}
# shoot GEOMETRY OUTPUT: saves that part of the window with its dialogs, read
# from the program's own surfaces (the X screen shows a dialog as a black box).
shoot() {
  wine window_capture.exe - shot.bmp
  convert shot.bmp -crop "$1" +repage "$2"
  echo "saved $2"
}

# The progress window, while a copy of the large file runs.
begin 'C:\Demo\Videos\' 'C:\Demo\Backup\'
remote command "$(id ID_KEY_SELECT_ALL)"
remote command "$(id ID_MENU_COPY)"
remote press "$(id IDC_TARGET_EDIT)" "$(id IDOK)"
geometry=$(remote wait "$(id IDC_PROGRESS_FILE_BAR)")
sleep 2
shoot "$geometry" "$folder/screenshot-progress.png"
finish
rm -f "$demo/Backup/Harbour tour."*

# The job list with two copies sent to the background: the large file's copy
# runs, and a second copy to the same drive waits its turn.
begin 'C:\Demo\Videos\' 'C:\Demo\Backup\'
remote command "$(id ID_KEY_SELECT_ALL)"
remote command "$(id ID_MENU_COPY)"
remote press "$(id IDC_TARGET_EDIT)" "$(id IDC_BACKGROUND)"
remote command "$(id ID_KEY_SELECT_ALL)"
remote command "$(id ID_MENU_COPY)"
remote press "$(id IDC_TARGET_EDIT)" "$(id IDC_BACKGROUND)"
remote command "$(id ID_MENU_JOBS)"
geometry=$(remote wait "$(id IDC_JOB_LIST)")
sleep 3
shoot "$geometry" "$folder/screenshot-jobs.png"
finish
rm -f "$demo/Backup/Harbour tour."* "$demo/Backup/"~px*

# The overwrite question: the documents copied into the backup.
begin 'C:\Demo\Documents\' 'C:\Demo\Backup\'
remote command "$(id ID_KEY_SELECT_ALL)"
remote command "$(id ID_MENU_COPY)"
remote press "$(id IDC_TARGET_EDIT)" "$(id IDOK)"
shoot "$(remote wait "$(id IDC_OVERWRITE_TARGET_FACTS)")" "$folder/screenshot-overwrite.png"
finish

# The attributes of a selection of which only some are read-only.
chmod a-w "$demo/Documents/Annual report.pdf" "$demo/Documents/notes.txt"
begin 'C:\Demo\Documents\' 'C:\Demo\'
remote command "$(id ID_KEY_SELECT_ALL)"
remote command "$(id ID_MENU_ATTRIBUTES)"
shoot "$(remote wait "$(id IDC_ATTR_GROUP)")" "$folder/screenshot-attributes.png"
finish
chmod u+w "$demo/Documents"/*

# The drive's properties, and the keyboard reference (F1).
begin 'C:\Demo\' 'C:\Demo\Documents\'
remote command "$(id ID_MENU_DRIVE_PROPERTIES)"
shoot "$(remote wait "$(id IDC_DRIVE_BAR)")" "$folder/screenshot-drive.png"
remote press "$(id IDC_DRIVE_BAR)" "$(id IDOK)"
remote command "$(id ID_KEY_HELP)"
shoot "$(remote wait "$(id IDC_HELP_TEXT)")" "$folder/screenshot-help.png"
finish

# The search (Alt+F7) over the whole demonstration folder: its results page.
begin 'C:\Demo\' 'C:\Demo\Documents\'
remote command "$(id ID_MENU_SEARCH)"
geometry=$(remote wait "$(id IDC_SEARCH_TABS)")
remote press "$(id IDC_SEARCH_TABS)" "$(id IDC_SEARCH_START)"
sleep 2
shoot "$geometry" "$folder/screenshot-search.png"
finish
# The viewer (F3): a text file as text, then the same bytes in hex.
mkdir -p "$demo/Viewer"
printf 'Pannex 1.4 \xe2\x80\x93 release notes\r\n\r\nNew:\r\n\t* F3 views a file: text, hex or a picture, at once on files of any size.\r\n\t* N and P step through the files of the panel.\r\n\t* Find text or hex bytes; Ctrl+G goes to a line.\r\n\r\nLanguages:\r\n\tDeutsch: Gr\xc3\xbc\xc3\x9fe aus M\xc3\xbcnchen\r\n\t\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac: \xce\xba\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1\r\n\t\xd0\xa0\xd1\x83\xd1\x81\xd1\x81\xd0\xba\xd0\xb8\xd0\xb9: \xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\r\n' >"$demo/Viewer/Release notes.txt"
printf '[Left]\r\nPath=C:\\Demo\\Viewer\\\r\n[Right]\r\nPath=C:\\Demo\\\r\n[Options]\r\nDivider=500\r\n[Viewer]\r\nLeft=40\r\nTop=40\r\nWidth=720\r\nHeight=420\r\n' >PX.ini
wine Pannex.exe &
remote ready
remote key 40  # Down, from ".." to the file
remote command "$(id ID_MENU_VIEW)"
sleep 2
wine window_capture.exe "=$(id IDC_VIEWER_PANE)" shot.bmp
convert shot.bmp "$folder/screenshot-viewer.png"
echo "saved $folder/screenshot-viewer.png"
remote post "$(id IDC_VIEWER_PANE)" "$(id ID_VIEWER_HEX)"
wine window_capture.exe "=$(id IDC_VIEWER_PANE)" shot.bmp
convert shot.bmp "$folder/screenshot-viewer-hex.png"
echo "saved $folder/screenshot-viewer-hex.png"
finish
# Quick search: a folder's size counted by Space, then letters typed (the
# setting that lets letters alone start the search is on).
printf '[Left]\r\nPath=C:\\Demo\\\r\nTabName=190\r\nTabSize=80\r\nTabDate=110\r\nTabAttr=45\r\n[Right]\r\nPath=C:\\Demo\\Documents\\\r\nTabName=190\r\nTabSize=80\r\nTabDate=110\r\nTabAttr=45\r\n[Options]\r\nDivider=500\r\nQuickSearchLetters=1\r\n' >PX.ini
printf '%*s' 5000000 '' >"$demo/setup.exe"
printf 'read me\r\n' >"$demo/README.txt"
wine Pannex.exe &
remote ready
remote key 40  # Down, from ".." to Backup
remote key 40  # Documents
remote key 32  # Space: marked and counted
remote key 45  # Insert: Videos marked too
sleep 1
remote type 'se'
wine window_capture.exe - shot.bmp
convert shot.bmp -crop +0+24 +repage -resize 1024x "$folder/screenshot-quick-search.png"
echo "saved $folder/screenshot-quick-search.png"
finish
# Tabs: three on the left, the second one current; the right side has one.
printf '[Left]\r\nPath=C:\\Demo\\Documents\\\r\nTabName=190\r\nTabSize=80\r\nTabDate=110\r\nTabAttr=45\r\n[Right]\r\nPath=C:\\Demo\\\r\nTabName=190\r\nTabSize=80\r\nTabDate=110\r\nTabAttr=45\r\n[Options]\r\nDivider=500\r\n[Tabs]\r\nLeftCount=3\r\nLeftCurrent=2\r\nLeft1Path=C:\\Demo\\\r\nLeft2Path=C:\\Demo\\Documents\\\r\nLeft3Path=C:\\Demo\\Videos\\\r\n' >PX.ini
wine Pannex.exe &
remote ready
wine window_capture.exe - shot.bmp
convert shot.bmp -crop +0+24 +repage -resize 1024x "$folder/screenshot-tabs.png"
echo "saved $folder/screenshot-tabs.png"
finish
rm -rf "$demo"
