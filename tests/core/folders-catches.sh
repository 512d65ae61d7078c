#!/usr/bin/env bash
# folders.sh itself: on a small tree of its own, each way of reaching down the order is caught, and
# what stays within it is not.
#   folders-catches.sh <folders.sh>
set -euo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{base,platform,kit,settings,users,drill,records,shell,tools}
fails=0
# expect <0|1> <file> <include line>: a tree where only that file includes anything.
expect() {
  local want=$1 file=$2 line=$3
  find "$tree" -type f -delete
  printf '%s\n' "$line" > "$tree/$file"
  local got=0 out
  out=$(bash "$check" "$tree" 2>&1) || got=1
  if [ "$got" != "$want" ]; then
    echo "FAIL: $file with '$line' gave $got, wanted $want: $out"
    fails=1
  fi
}
expect 1 kit/a.h '#include "drill/x.h"'
expect 1 kit/a.cpp '#include "../drill/x.h"'
expect 1 kit/a.cpp '  #  include "./../records/x.h"'
expect 1 kit/a.cpp '#include <shell/x.h>'
expect 1 shell/a.cpp '#include "tools/classroom.h"'
expect 1 drill/a.cpp '#include "../../outside.h"'
expect 0 tools/a.cpp '#include "shell/x.h"'
expect 0 drill/a.cpp '#include "../kit/x.h"'
expect 0 drill/a.cpp '#include "x.h"'
expect 0 drill/a.cpp '#include <QtCore/QString>'
expect 0 kit/a.cpp '#include "kit/x.h"'
[ "$fails" -eq 0 ] && echo "folders.sh catches every form"
exit "$fails"
