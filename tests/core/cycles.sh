#!/usr/bin/env bash
# Within a folder no files include each other, directly or round a ring: a file and its header
# count as one (drill/start.h and drill/start.cpp are drill/start), and each is below what it includes.
#   cycles.sh <source-dir>
set -euo pipefail
cd "$1"
bad=0
for folder in base platform kit settings users drill records shell tools; do
  [ -d "$folder" ] || continue
  edges=""
  for f in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$f" ] || continue
    from="${f%.*}"
    # Every unit is listed, also one that includes nothing of its folder.
    edges+="$from $from"$'\n'
    while IFS= read -r to; do
      to="${to%.*}"
      [ "$to" = "$from" ] || edges+="$from $to"$'\n'
    done < <(sed -n "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*\"\\($folder/[^\"]*\\)\".*|\\1|p" "$f")
  done
  if ! loops=$(printf '%s' "$edges" | tsort 2>&1 >/dev/null); then
    echo "$folder/: files include each other:"
    printf '%s\n' "$loops" | sed -n 's|^tsort: ||p' | grep -v 'input contains a loop' | sed 's|^|  |'
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "no folder has files that include each other"
exit "$bad"
