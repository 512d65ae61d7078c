#!/usr/bin/env bash
# Runs a command on the X display it is given (by with-openbox.sh or without-wm.sh, started at
# 3286x1080) made into two monitors side by side, a primary 1366x768 panel and a 1920x1080 projector,
# with an 800x600 mode the desktop could be switched to. The panel's name is not ASCII: Qt names its
# screen from the name's bytes one by one, and its factor must still reach it.
# Usage: two-monitors.sh <command> [args...]; exits with the command's status.
set -u
# Xvfb forgets its monitors when its last client leaves: one stays connected throughout.
. "$(dirname "$0")/../support/shell.sh"
said="$(mktemp)"
xprop -root -spy WM_NAME >"$said" 2>&1 &
holder=$!
trap 'kill $holder 2>/dev/null; rm -f "$said"' EXIT
wait_for 10 '[ -s "$said" ]' || { echo "two-monitors: no X display" >&2; exit 1; }
{ xrandr --newmode 800x600 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync &&
  xrandr --addmode screen 800x600 &&
  xrandr --setmonitor '*パネル' 1366/344x768/194+0+0 none &&
  xrandr --setmonitor PROJECTOR 1920/508x1080/286+1366+0 screen; } >/dev/null ||
  { echo "two-monitors: xrandr could not lay out the monitors" >&2; exit 1; }
"$@"
