#!/usr/bin/env bash
# The real program beside openbox (run by with-openbox.sh), driven by the real keyboard and pointer:
# a child registers, 「登録しました」 is dismissed, and the registration dialog has left the screen
# and stays gone, the main menu active again. Three rounds: Enter all the way, Space on the button
# and on OK, and everything clicked.
# Usage: registration-closes.sh <pikazan binary> <assets folder>
set -u
. "$(dirname "$0")/../support/shell.sh"
bin="$(readlink -f "$1")"; assets="$(readlink -f "$2")"
tmp="$(mktemp -d)"; ppid_=""
cleanup() { [ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/program.log" ] && cat "$tmp/program.log"; exit 1; }

clients() { xprop -root _NET_CLIENT_LIST | sed -n 's/.*# //p' | tr ',' ' '; }
name_of() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^[^=]*= "\(.*\)"$/\1/p'; }
# The managed windows with this title, one id a line.
named() { for w in $(clients); do [ "$(name_of "$w")" = "$1" ] && echo "$w"; done; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# The client area's top-left on the screen, as "X Y".
origin() { xwininfo -id "$1" | sed -n 's/.*Absolute upper-left [XY]: *\(-\?[0-9]*\)/\1/p' | tr '\n' ' '; }
size_of() { xwininfo -id "$1" | sed -n 's/.*\(Width\|Height\): *\([0-9]*\)/\2/p' | tr '\n' ' '; }
click_in() { # click_in <window> <x> <y>: a click at a point of the window's client area
  local o; read -r -a o <<<"$(origin "$1")"
  xdotool mousemove $((o[0] + $2)) $((o[1] + $3)) click 1; sleep 0.3
}
active() { printf '%d' "$(xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')"; }

classroom "$tmp/work" "$assets"
(cd "$tmp/work" && exec "$bin" >"$tmp/program.log" 2>&1) &
ppid_=$!
wait_for 20 '[ -n "$(named 検定用ぴかざん)" ]' || fail "no main menu"
sleep 1
menu="$(named 検定用ぴかざん)"
[ "$(wc -w <<<"$menu")" = 1 ] || fail "windows named 検定用ぴかざん: $menu"

# register <name> <password> <how>: how is Return, space or click.
register() {
  local name="$1" pass="$2" how="$3" reg box
  xdotool mousemove 622 56 click 1 # とうろくする
  wait_for 10 '[ -n "$(named とうろく)" ]' || fail "$how: the registration dialog did not open"
  reg="$(named とうろく)"
  wait_for 5 '[ "$(active)" = "$(printf %d "$reg")" ]' || fail "$how: the registration dialog is not active"
  sleep 0.5
  if [ "$how" = click ]; then
    click_in "$reg" 248 68; xdotool type --delay 40 "$name"
    click_in "$reg" 248 164; xdotool type --delay 40 "$pass"
    click_in "$reg" 100 228 # とうろくする
  else
    xdotool type --delay 40 "$name"; xdotool key Return
    xdotool type --delay 40 "$pass"; xdotool key Return # to the button
    sleep 0.3; xdotool key "$how"
  fi
  wait_for 10 '[ -n "$(named 検定用ぴかざん | grep -v "^$menu$")" ]' || fail "$how: no 登録しました box"
  box="$(named 検定用ぴかざん | grep -v "^$menu$")"
  same "$how: $name's password file" "$(printf '%s\r' "$pass")" "$(cat "$tmp/work/user/$name.psw")"
  viewable "$reg" || bad "$how: the registration dialog left before its box was dismissed"
  sleep 0.5
  if [ "$how" = click ]; then
    local s; read -r -a s <<<"$(size_of "$box")"
    click_in "$box" $((s[0] - 40)) $((s[1] - 25)) # OK, at the box's lower right
  else
    xdotool key "$how"
  fi
  wait_for 5 '[ -z "$(named 検定用ぴかざん | grep -v "^$menu$")" ]' || fail "$how: the box stayed"
  # Gone, and still gone a moment later (nothing brings it back empty).
  check "$how: the registration dialog closed" wait_for 5 '[ -z "$(named とうろく)" ] && ! viewable "$reg"'
  sleep 1.5
  check "$how: the registration dialog stays closed" eval '[ -z "$(named とうろく)" ] && ! viewable "$reg"'
  same "$how: the main menu is active" "$(printf %d "$menu")" "$(active)"
}

register jiro pass2 Return
register saburo pass3 space
register hanako pass4 click
same "the three children" "hanako.dat jiro.dat saburo.dat" "$(cd "$tmp/work/user" && ls ./*.dat | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')"
kill -0 "$ppid_" 2>/dev/null || bad "the program ended"
finish
