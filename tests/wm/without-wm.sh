#!/usr/bin/env bash
# Runs a command on a fresh 800x600 Xvfb display with no window manager, as in a kiosk-like room:
# nobody moves the keyboard on when a window goes away, nobody frames or stacks the windows.
# Usage: without-wm.sh <command> [args...]; exits with the command's status, or 1 when the X server
# does not come up.
set -u
tmp="$(mktemp -d)"
xpid=""
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "without-wm: $*" >&2; exit 1; }

for tool in Xvfb xdotool xprop; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup installs it)"
done

wait_for() { # wait_for <seconds> <shell condition>
  local t=$(( $1 * 10 )); shift
  while [ $t -gt 0 ]; do eval "$1" && return 0; sleep 0.1; t=$((t - 1)); done
  return 1
}

# The server picks a free display number itself and writes it to fd 3: no race with other servers.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xpid=$!
wait_for 20 '[ -s "$tmp/display" ]' || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
disp=":$(head -1 "$tmp/display")"

DISPLAY="$disp" QT_QPA_PLATFORM=xcb "$@"
