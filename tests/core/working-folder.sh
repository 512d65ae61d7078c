#!/usr/bin/env bash
# The program is handed its classroom by name: below shell/ nothing reads or changes the folder the
# process was started in (the shell reads it once, for a command given without a folder).
#   working-folder.sh <source-dir>
set -euo pipefail
cd "$1"
pattern='QDir::setCurrent|QDir::currentPath|QDir::current\(|QDir\(\)|QDir\(QStringLiteral\("\."\)\)|\bchdir\(|\bfchdir\(|\bgetcwd\(|get_current_dir_name'
found=$(grep -rnE --include='*.cpp' --include='*.h' "$pattern" base platform kit settings users drill records || true)
if [ -n "$found" ]; then
  echo "below shell/, the working folder is used:"
  printf '%s\n' "$found" | sed 's|^|  |'
  exit 1
fi
echo "nothing below shell/ uses the working folder"
