#!/usr/bin/env bash
# The real display layer against real X servers, driving the real program:
#  1. Xorg with the dummy driver (1024x768, 800x600, 640x480): the program switches to 800x600 at
#     start; after おわる, and after SIGTERM, the independent xrandr client reads 1024x768 again.
#  2. Xvfb, which has one fixed mode: the program runs at that size, its layout drawn scaled, and
#     quitting touches nothing.
#  3. Xvfb at 1920x1080: the layout drawn 1.8 times as large, centred; clicks where the controls are
#     seen open the registration dialog (at its place on the centred layout) and end the program.
# Usage: display-modes.sh <pikazan binary> <assets folder>
set -u
. "$(dirname "$0")/../support/shell.sh"
bin="$(readlink -f "$1")"; assets="$(readlink -f "$2")"
here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
xpid=""
fail() { echo "FAIL: $*"; [ -f "$tmp/xorg.log" ] && tail -20 "$tmp/xorg.log"; cleanup; exit 1; }
cleanup() { [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }

start_program() { # start_program <display>
  classroom "$tmp/work" "$assets"
  (cd "$tmp/work" && exec env -u QT_SCALE_FACTOR -u PIKAZAN_DISPLAY DISPLAY="$1" QT_QPA_PLATFORM=xcb "$bin" \
     >"$tmp/program.log" 2>&1) &
  ppid_=$!
}

# after_splash <display>: the main menu is shown only once the splash (modal, it takes no click) has
# closed, so its window being mapped is the moment; then a moment for it to take input. A fixed sleep
# was too short on a loaded machine.
after_splash() {
  shown_names() { # the names of the program's mapped windows (xdotool's --name misses non-Latin titles)
    local w
    for w in $(DISPLAY="$1" xdotool search --onlyvisible --classname '^pikazan$' 2>/dev/null); do
      DISPLAY="$1" xdotool getwindowname "$w" 2>/dev/null
    done
  }
  local on="$1" # wait_for's own arguments are $1 inside its condition
  wait_for 30 'shown_names "$on" | grep -qx "検定用ぴかざん"' \
    || fail "no main menu on $on: $(cat "$tmp/program.log")"
  sleep 0.5
}

# --- 1. Xorg with the dummy driver ---
disp="$(free_display 71)"
Xorg "$disp" -config "$here/xorg-dummy.conf" -noreset -nolisten tcp -logfile "$tmp/xorg.log" >/dev/null 2>&1 &
xpid=$!
wait_for 20 '[ -n "$(current "$disp")" ]' || fail "Xorg with the dummy driver did not start"
before="$(current "$disp")"
echo "xorg-dummy before: $before"
[ "$before" = "1024x768" ] || fail "expected 1024x768 before the run, got $before"

start_program "$disp"
wait_for 30 '[ "$(current "$disp")" = "800x600" ]' || fail "the program did not switch to 800x600 (reads $(current "$disp")): $(cat "$tmp/program.log")"
echo "xorg-dummy during: $(current "$disp")"
after_splash "$disp"
# おわる: a click on its caption (the main menu fills the 800x600 display at 0,0).
DISPLAY="$disp" xdotool mousemove 400 485 click 1
wait_for 10 '! kill -0 $ppid_ 2>/dev/null' || { kill -9 $ppid_; fail "おわる did not end the program"; }
after="$(current "$disp")"
echo "xorg-dummy after おわる: $after"
[ "$after" = "1024x768" ] || fail "the display was not restored after おわる: $after"

start_program "$disp"
wait_for 10 '[ "$(current "$disp")" = "800x600" ]' || fail "second run did not switch"
sleep 1
kill -TERM $ppid_
wait_for 10 '! kill -0 $ppid_ 2>/dev/null' || { kill -9 $ppid_; fail "SIGTERM did not end the program"; }
after="$(current "$disp")"
echo "xorg-dummy after SIGTERM: $after"
[ "$after" = "1024x768" ] || fail "the display was not restored after SIGTERM: $after"

# A crash or SIGKILL, which the program cannot handle: its guard process puts the display back.
start_program "$disp"
wait_for 10 '[ "$(current "$disp")" = "800x600" ]' || fail "third run did not switch"
sleep 1
kill -KILL $ppid_
wait_for 10 '[ "$(current "$disp")" = "1024x768" ]' || fail "the display stayed at $(current "$disp") after SIGKILL"
echo "xorg-dummy after SIGKILL: $(current "$disp")"
kill "$xpid"; wait "$xpid" 2>/dev/null; xpid=""

# --- 2. Xvfb: one mode only, nothing to switch ---
disp="$(free_display 71)"
Xvfb "$disp" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
wait_for 20 '[ -n "$(current "$disp")" ]' || fail "Xvfb did not start"
start_program "$disp"
after_splash "$disp"
during="$(current "$disp")"
echo "xvfb during: $during"
[ "$during" = "1024x768" ] || fail "Xvfb mode changed to $during"
kill -0 $ppid_ 2>/dev/null || fail "the program did not keep running without an 800x600 mode: $(cat "$tmp/program.log")"
# おわる (320..524 x 432..546 on the layout) drawn 1.28 times as large: 1024x768 is 800x600 scaled.
DISPLAY="$disp" xdotool mousemove 540 626 click 1
wait_for 10 '! kill -0 $ppid_ 2>/dev/null' || { kill -9 $ppid_; fail "おわる did not end the program on Xvfb"; }
[ "$(current "$disp")" = "1024x768" ] || fail "Xvfb mode changed after quitting"
if grep -qiE 'malloc|segmentation|abort' "$tmp/program.log"; then fail "the program failed on exit: $(cat "$tmp/program.log")"; fi
kill "$xpid"; wait "$xpid" 2>/dev/null; xpid=""

# --- 3. Xvfb at 1920x1080: 1.8 times, the layout's left edge at 240 ---
disp="$(free_display 71)"
Xvfb "$disp" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
wait_for 20 '[ -n "$(current "$disp")" ]' || fail "Xvfb at 1920x1080 did not start"
rm -rf "$tmp/work"
start_program "$disp"
after_splash "$disp"
# とうろくする's picture (512..716 x 0..114): its middle, 614,57, is seen at 240 + 1.8 * 614, 1.8 * 57.
DISPLAY="$disp" xdotool mousemove 1345 103 click 1
wait_for 10 'DISPLAY="$disp" xdotool search --onlyvisible --name "^とうろく$" >/dev/null 2>&1' \
  || fail "a click on とうろくする at its scaled place opened no registration dialog"
reg="$(DISPLAY="$disp" xdotool search --onlyvisible --name "^とうろく$" | head -1)"
geo="$(DISPLAY="$disp" xdotool getwindowgeometry "$reg" | tr -s ' ' | sed -n 's/^ Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')"
# Designed at 201,142 on the layout: (133 + 201) * 1.8, 142 * 1.8, within a pixel of rounding.
read -r gx gy <<<"$geo"
[ "${gx:-0}" -ge 600 ] && [ "${gx:-0}" -le 602 ] && [ "${gy:-0}" -ge 254 ] && [ "${gy:-0}" -le 257 ] \
  || fail "the registration dialog stands at $geo, not at its place on the centred layout (601 256)"
# おわる's middle (below the dialog, which stays open), 422,489, seen at 240 + 1.8 * 422, 1.8 * 489.
DISPLAY="$disp" xdotool mousemove 1000 880 click 1
wait_for 10 '! kill -0 $ppid_ 2>/dev/null' || { kill -9 $ppid_; fail "おわる at its scaled place did not end the program"; }
[ "$(current "$disp")" = "1920x1080" ] || fail "Xvfb mode changed after quitting at 1920x1080"

cleanup
echo "1 passed, 0 failed"
