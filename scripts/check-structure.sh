#!/usr/bin/env bash
# Keeps the shape of the code: the main window's code stays in app/, nothing
# below app/ includes it, each layer includes only those below it
# (core, framework, panels, then fileops, ui and the viewer), and the portable core
# includes no platform header.
set -uo pipefail
cd "$(dirname "$0")/.."

status=0
check() {  # check <what is wrong> <git grep arguments...>
  local what=$1
  shift
  local found
  found=$(git grep -n "$@" 2>/dev/null)
  if [ -n "$found" ]; then
    echo "structure: $what"
    echo "$found"
    status=1
  fi
}

check "main window code outside app/" -e 'MainWindow::' -- panels ui fileops framework core viewer
check "app/ included from below it" -e '#include "app/' -- panels ui fileops core framework viewer
check "platform header in the portable core" -E -e '#include <(windows|commctrl|shellapi|shlobj)\.h>' -- core
check "framework/ naming the panels (it lies below them)" -E -e '#include "(panels|ui|fileops)/|\b(PanelPair|FilePanel)\b' -- framework
check "panels/ including ui/ (ui lies above the panels)" -e '#include "ui/' -- panels
check "fileops/ using a panel dialog (a shared chooser lives in framework/)" -E -e '#include "panels/[A-Za-z]*Dialog\.h"' -- fileops
check "viewer/ included from below it (it stands beside fileops/ and ui/)" -e '#include "viewer/' -- core framework panels fileops ui
check "viewer/ including panels, fileops or ui (it reaches them through the main window)" -E -e '#include "(panels|fileops|ui)/' -- viewer
check "a file name through an ANSI function" -E -e '\b(FindFirstFileA|CreateFileA|MoveFileA|DeleteFileA|ShellExecuteA|ShellExecuteExA|SHFileOperationA|GetFileAttributesA|CreateDirectoryA|RemoveDirectoryA|SetFileAttributesA)\b' -- app panels ui fileops framework viewer

[ "$status" -eq 0 ] && echo "structure: ok"
exit "$status"
