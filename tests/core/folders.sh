#!/usr/bin/env bash
# The program's folders include each other one way only, bottom up:
#   base < platform < kit < settings < users < drill < records < shell
# A file may include its own folder and the folders before it in this order, never one after it.
#   folders.sh <source-dir>
set -euo pipefail
cd "$1"
order=(base platform kit settings users drill records shell)
declare -A rank=()
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done
bad=0
for folder in "${order[@]}"; do
  for f in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$f" ] || continue
    while IFS= read -r to; do
      [ -n "${rank[$to]:-}" ] || continue
      if [ "${rank[$to]}" -gt "${rank[$folder]}" ]; then
        echo "$f includes $to/, which comes after $folder/"
        bad=1
      fi
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)/.*|\1|p' "$f")
  done
done
[ "$bad" -eq 0 ] && echo "folders: ${order[*]}, each includes only itself and those before it"
exit "$bad"
