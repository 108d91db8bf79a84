#!/usr/bin/env bash
# Keeps the shape of the code: the main window's code stays in app/, nothing
# below app/ includes it, and the portable core includes no platform header.
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

check "main window code outside app/" -e 'MainWindow::' -- panels ui fileops framework core
check "app/ included from below it" -e '#include "app/' -- panels ui fileops core framework
check "platform header in the portable core" -E -e '#include <(windows|commctrl|shellapi|shlobj)\.h>' -- core
check "a file name through an ANSI function" -E -e '\b(FindFirstFileA|CreateFileA|MoveFileA|DeleteFileA|ShellExecuteA|ShellExecuteExA|SHFileOperationA|GetFileAttributesA|CreateDirectoryA|RemoveDirectoryA|SetFileAttributesA)\b' -- app panels ui fileops framework

[ "$status" -eq 0 ] && echo "structure: ok"
exit "$status"
