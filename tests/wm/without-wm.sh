#!/usr/bin/env bash
# Runs a command on a fresh 800x600 Xvfb display with no window manager, as in a kiosk-like room:
# nobody moves the keyboard on when a window goes away, nobody frames or stacks the windows.
# Usage: without-wm.sh <command> [args...]; exits with the command's status, or 1 when the X server
# does not come up.
set -u
. "$(dirname "$0")/../support/shell.sh"
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

start_xvfb "$tmp" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"

DISPLAY="$disp" QT_QPA_PLATFORM=xcb "$@"
