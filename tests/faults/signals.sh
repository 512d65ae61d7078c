#!/usr/bin/env bash
# The real program under signals, on Xorg with the dummy driver (real display modes: it starts at
# 1024x768 and the program switches to 800x600):
#  - SIGKILL to the program's whole process group: the display guard, in a session of its own,
#    outlives the group and puts the display back;
#  - SIGTERM and SIGHUP to the group: the program ends through its own close with exit code 0
#    (not 141, death by SIGPIPE from writing to a guard that the same signal had killed) and the
#    display is back;
#  - SIGTERM or SIGHUP with a message box up: the program ends within a second, exit code 0;
#  - no display at all, or one that cannot be reached: one line in Japanese and English, exit 1
#    (not Qt's abort, 134).
# Usage: signals.sh <pikazan binary> <assets folder> <xorg-dummy.conf>
set -u
. "$(dirname "$0")/../support/shell.sh"
bin="$(readlink -f "$1")"; assets="$(readlink -f "$2")"; conf="$(readlink -f "$3")"
tmp="$(mktemp -d)"
xpid=""; prog=""
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cleanup() {
  [ -n "$prog" ] && kill -KILL -- "-$prog" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null; rm -rf "$tmp"
}
trap cleanup EXIT

# Starts the program as the leader of a process group of its own (setsid), so that a signal to
# "its group" reaches the program and whatever it started in that group, and not this script.
start_program() {
  classroom "$tmp/work" "$assets"
  (cd "$tmp/work" && DISPLAY="$1" QT_QPA_PLATFORM=xcb exec setsid "$bin" >"$tmp/program.log" 2>&1) &
  prog=$!
}
exit_code_of() { wait "$1"; echo $?; }

# --- without a display ---
classroom "$tmp/work" "$assets"
out="$(cd "$tmp/work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$bin" 2>&1)"; rc=$?
echo "no display: exit $rc: $out"
[ "$rc" = 1 ] || fail "without a display the program ended with $rc, not 1"
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || fail "without a display the program said more than one line"
printf '%s' "$out" | grep -q 'デスクトップ' || fail "the line has no Japanese"
printf '%s' "$out" | grep -q 'desktop' || fail "the line has no English"
out="$(cd "$tmp/work" && env -u WAYLAND_DISPLAY DISPLAY=:1999 QT_QPA_PLATFORM=xcb timeout 20 "$bin" 2>&1)"; rc=$?
echo "unreachable display: exit $rc: $out"
[ "$rc" = 1 ] || fail "with an unreachable display the program ended with $rc, not 1"
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || fail "with an unreachable display the program said more than one line"

# --- Xorg with the dummy driver ---
disp="$(free_display 81)"
Xorg "$disp" -config "$conf" -noreset -nolisten tcp -logfile "$tmp/xorg.log" >/dev/null 2>&1 &
xpid=$!
wait_for 20 '[ -n "$(current "$disp")" ]' || { fail "Xorg with the dummy driver did not start"; exit 1; }
[ "$(current "$disp")" = "1024x768" ] || { fail "expected 1024x768 before the run"; exit 1; }

for sig in KILL TERM HUP; do
  start_program "$disp"
  if ! wait_for 20 '[ "$(current "$disp")" = "800x600" ]'; then
    fail "SIG$sig run: the program did not switch to 800x600: $(cat "$tmp/program.log")"
    kill -KILL -- "-$prog" 2>/dev/null; prog=""; continue
  fi
  sleep 2 # the splash, then the main menu
  kill -"$sig" -- "-$prog"
  if ! wait_for 15 '! kill -0 $prog 2>/dev/null'; then
    fail "SIG$sig to the group did not end the program"
    kill -KILL -- "-$prog" 2>/dev/null
  fi
  rc="$(exit_code_of "$prog")"; prog=""
  wait_for 10 '[ "$(current "$disp")" = "1024x768" ]'
  after="$(current "$disp")"
  echo "SIG$sig to the group: exit $rc, display $after"
  [ "$after" = "1024x768" ] || fail "SIG$sig to the group left the display at $after"
  case $sig in
    KILL) [ "$rc" = 137 ] || fail "SIGKILL: exit $rc" ;;
    *) [ "$rc" = 0 ] || fail "SIG$sig to the group: exit $rc, not 0 ($(tail -3 "$tmp/program.log"))" ;;
  esac
  # Back to the starting mode for the next round, whatever happened. (A guard ends by itself
  # once it has put the display back or has been told that the program did.)
  DISPLAY="$disp" xrandr -s 1024x768 >/dev/null 2>&1
done

# --- a box up: the warning about a kept line whose child is gone (none is registered here) ---
# A logout must not wait for somebody to answer it: SIGTERM ends the program within a second.
for sig in TERM HUP; do
  classroom "$tmp/work" "$assets"
  mkdir -p -m 700 "$tmp/state/pikazan/pending"
  printf 'pikazan-pending 1\n%s\nいない\n１級,2024/1/01,8,2,合格\n' "$(readlink -f "$tmp/work")" \
    >"$tmp/state/pikazan/pending/0000000000000000-00000001-1.line"
  chmod 600 "$tmp/state/pikazan/pending/"*.line
  (cd "$tmp/work" && DISPLAY="$disp" QT_QPA_PLATFORM=xcb XDG_STATE_HOME="$tmp/state" exec setsid "$bin" >"$tmp/program.log" 2>&1) &
  prog=$!
  if ! wait_for 20 'DISPLAY="$disp" xdotool search --name "^警告$" >/dev/null 2>&1'; then
    fail "SIG$sig with a box up: the warning did not come up: $(cat "$tmp/program.log")"
    kill -KILL -- "-$prog" 2>/dev/null; prog=""; rm -rf "$tmp/state"; continue
  fi
  kill -"$sig" -- "-$prog"
  ended=no
  wait_for 1 '! kill -0 $prog 2>/dev/null' && ended=yes
  [ "$ended" = yes ] || { fail "SIG$sig with a box up: still running after a second"; kill -KILL -- "-$prog" 2>/dev/null; }
  rc="$(exit_code_of "$prog")"; prog=""
  echo "SIG$sig with a box up: ended within a second: $ended, exit $rc"
  [ "$rc" = 0 ] || fail "SIG$sig with a box up: exit $rc, not 0"
  wait_for 10 '[ "$(current "$disp")" = "1024x768" ]'
  DISPLAY="$disp" xrandr -s 1024x768 >/dev/null 2>&1
  rm -rf "$tmp/state"
done

[ "$failures" = 0 ] && echo "PASS" || { echo "$failures failure(s)"; exit 1; }
