#!/usr/bin/env bash
# Runs a command on a fresh 800x600 Xvfb display managed by openbox, as on a child's desktop:
# clicks focus and raise the window under the pointer, transients stay above their parents.
# Usage: with-openbox.sh <command> [args...]; exits with the command's status, or 1 when the X server
# or the window manager does not come up.
set -u
. "$(dirname "$0")/../support/shell.sh"
tmp="$(mktemp -d)"
xpid=""; wmpid=""
cleanup() {
  [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "with-openbox: $*" >&2; [ -f "$tmp/openbox.log" ] && tail -20 "$tmp/openbox.log" >&2; exit 1; }

for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup installs it)"
done

start_xvfb "$tmp" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"

# The distribution's own configuration, not a user's: the same rules on every machine.
HOME="$tmp" DISPLAY="$disp" openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml >"$tmp/openbox.log" 2>&1 &
wmpid=$!
wait_for 20 'DISPLAY="$disp" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' \
  || fail "openbox did not take the display"

DISPLAY="$disp" QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill -0 "$wmpid" 2>/dev/null || { echo "with-openbox: openbox died during the run" >&2; [ $rc -eq 0 ] && rc=1; }
exit $rc
