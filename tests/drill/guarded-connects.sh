#!/usr/bin/env bash
# An exception must never travel through Qt's frames: every handler the screens connect to a signal
# runs under the error guard (pz::guarded), a lambda or a member function alike. Lists each connect
# of the screen folders whose handler is not wrapped.
#   guarded-connects.sh <source-dir>
set -euo pipefail
root="$1"
cd "$root"
bare=$(perl -0ne 'while (/\bconnect(\((?:[^()]++|(?1))*\))/g) {
                      my ($args, $at) = ($1, $-[0]);
                      next if $args =~ /pz::guarded/;
                      my $members = () = $args =~ /&\w+(?:::\w+)+/g;
                      next unless $args =~ /\[[^\]]*\]\s*(\([^)]*\))?\s*(mutable\s*)?\{/ || $members >= 2;
                      my $l = (substr($_, 0, $at) =~ tr/\n//) + 1; print "$ARGV:$l\n"; }' \
           kit/*.cpp settings/*.cpp users/*.cpp drill/*.cpp records/*.cpp shell/*.cpp)
if [ -n "$bare" ]; then
  echo "connected without the guard:"
  echo "$bare"
  exit 1
fi
echo "screens: every connected handler runs under the guard"
