#!/usr/bin/env bash
# The real program on a desktop managed by openbox (run by with-openbox.sh): one taskbar entry, the
# main menu's, named after the program; window class and icon name "pikazan" that a desktop file can
# match; the login dialog without an entry of its own, belonging to the main menu; おわる still ends it.
# Usage: program-hints.sh <pikazan binary> <assets folder>
set -u
. "$(dirname "$0")/../support/shell.sh"
bin="$(readlink -f "$1")"; assets="$(readlink -f "$2")"
tmp="$(mktemp -d)"; ppid_=""
cleanup() { [ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

clients() { xprop -root _NET_CLIENT_LIST | sed -n 's/.*# //p' | tr ',' ' '; }
prop() { xprop -id "$1" "$2" 2>/dev/null; }
with_entry() { for w in $(clients); do prop "$w" _NET_WM_STATE | grep -q SKIP_TASKBAR || echo "$w"; done; }

classroom "$tmp/work" "$assets"
(cd "$tmp/work" && exec "$bin" >"$tmp/program.log" 2>&1) &
ppid_=$!

# After the splash, the main menu alone.
wait_for 20 '[ "$(with_entry | wc -w)" = 1 ] && prop "$(with_entry)" _NET_WM_NAME | grep -q "main\|検定用"' \
  || fail "no main menu with a taskbar entry: $(cat "$tmp/program.log")"
sleep 1
menu="$(with_entry)"
for w in $(clients); do
  [ "$(prop "$w" WM_CLASS)" = 'WM_CLASS(STRING) = "pikazan", "pikazan"' ] || fail "window $w: $(prop "$w" WM_CLASS)"
done
prop "$menu" _NET_WM_NAME | grep -q '"検定用ぴかざん"' || fail "the entry's name: $(prop "$menu" _NET_WM_NAME)"
prop "$menu" _NET_WM_ICON_NAME | grep -q '"pikazan"' || fail "the icon name: $(prop "$menu" _NET_WM_ICON_NAME)"
prop "$menu" WM_ICON_NAME | grep -q '"pikazan"' || fail "the ICCCM icon name: $(prop "$menu" WM_ICON_NAME)"
echo "main menu $menu: class pikazan, entry 検定用ぴかざん"

# ユーザー選択: the login dialog has no entry of its own and belongs to the main menu.
xdotool mousemove 380 135 click 1
wait_for 10 '[ "$(clients | wc -w)" = 2 ]' || fail "the login dialog did not open"
sleep 0.5
[ "$(with_entry)" = "$menu" ] || fail "taskbar entries: $(with_entry)"
for w in $(clients); do
  [ "$w" = "$menu" ] && continue
  prop "$w" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "login dialog: $(prop "$w" _NET_WM_STATE)"
  [ "$(printf '%d' "$(prop "$w" WM_TRANSIENT_FOR | sed -n 's/.*# //p')")" = "$(printf '%d' "$menu")" ] \
    || fail "login dialog belongs to $(prop "$w" WM_TRANSIENT_FOR), not the menu $menu"
  [ "$(prop "$w" WM_CLASS)" = 'WM_CLASS(STRING) = "pikazan", "pikazan"' ] || fail "login dialog: $(prop "$w" WM_CLASS)"
done
echo "login dialog: no entry, transient for the main menu"

# おわる (its picture, below the dialog) ends the program.
xdotool mousemove 420 510 click 1
wait_for 10 '! kill -0 $ppid_ 2>/dev/null' || fail "おわる did not end the program"
ppid_=""
echo "1 passed, 0 failed"
