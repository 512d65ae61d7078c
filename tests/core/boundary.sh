#!/usr/bin/env bash
# The core links QtCore only and never reaches up into the screens. CMake writes the core's sources
# to a list; every project header a core file includes must be on that list, and every Qt header it
# includes must be one of QtCore's.
#   boundary.sh <core-sources.txt> <source-dir> <QtCore include dir>
set -euo pipefail
list="$1" root="$2" qtcore="$3"
mapfile -t sources <"$list"
declare -A core=()
for s in "${sources[@]}"; do core["${s#"$root"/}"]=1; done
bad=0
for s in "${sources[@]}"; do
  rel="${s#"$root"/}"
  while IFS= read -r inc; do
    case "$inc" in
      \"*) h="${inc//\"/}"
           if [ -z "${core[$h]:-}" ]; then echo "$rel includes $h, which is not core"; bad=1; fi ;;
      \<Q*) h="${inc//[<>]/}"
           if [ ! -e "$qtcore/$h" ]; then echo "$rel includes <$h>, which is not QtCore"; bad=1; fi ;;
    esac
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*\([<"][^>"]*[>"]\).*/\1/p' "$s")
done
[ "$bad" -eq 0 ] && echo "core: ${#sources[@]} files, QtCore only, no screen header"
exit "$bad"
