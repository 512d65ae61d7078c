#!/usr/bin/env bash
# The program's folders include each other one way only, bottom up:
#   base < platform < kit < settings < users < drill < records < shell < tools
# A file may include its own folder and the folders before it in this order, never one after it.
# Every form counts: "folder/x.h", <folder/x.h>, and a path from the file's own folder ("../folder/x.h").
#   folders.sh <source-dir>
set -euo pipefail
cd "$1"
root=$PWD
order=(base platform kit settings users drill records shell tools)
declare -A rank=()
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done
bad=0
for folder in "${order[@]}"; do
  for f in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$f" ] || continue
    while IFS= read -r inc; do
      case "$inc" in
        ./* | ../*) path=$(realpath -m -s --relative-to="$root" "$folder/$inc") ;;
        *) path=$inc ;;
      esac
      case "$path" in
        ../*) echo "$f includes $inc, outside the source tree"; bad=1; continue ;;
        */*) to=${path%%/*} ;;
        *) continue ;; # a file of its own folder, or a system header
      esac
      [ -n "${rank[$to]:-}" ] || continue
      if [ "${rank[$to]}" -gt "${rank[$folder]}" ]; then
        echo "$f includes $inc: $to/ comes after $folder/"
        bad=1
      fi
    done < <(sed -n 's@^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\([^">]*\)[">].*@\1@p' "$f")
  done
done
[ "$bad" -eq 0 ] && echo "folders: ${order[*]}, each includes only itself and those before it"
exit "$bad"
