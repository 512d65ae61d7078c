#!/usr/bin/env bash
# An exception must never travel through Qt's frames: every lambda the drill's screens connect to a
# signal runs under the error guard (pz::guarded). Lists each connect whose handler is a bare lambda.
#   guarded-connects.sh <source-dir>
set -euo pipefail
root="$1"
cd "$root"
bare=$(perl -0ne 'while (/connect\(((?:[^;{]|\{[^}]*\})*?),\s*\[[^\]]*\]\s*(\([^)]*\))?\s*\{/g) {
                      my $l = (substr($_, 0, $-[0]) =~ tr/\n//) + 1; print "$ARGV:$l\n"; }' drill/*.cpp)
if [ -n "$bare" ]; then
  echo "connected without the guard:"
  echo "$bare"
  exit 1
fi
echo "drill: every connected lambda runs under the guard"
