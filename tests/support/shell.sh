# What the test scripts share; sourced (. "$(dirname "$0")/../support/shell.sh"), never run.

# wait_for <seconds> <shell condition>: evaluates the condition every tenth of a second until it holds
# (status 0) or the time is up (status 1).
wait_for() {
  local t=$(( $1 * 10 )); shift
  while [ $t -gt 0 ]; do eval "$1" && return 0; sleep 0.1; t=$((t - 1)); done
  return 1
}

# Counted checks: ok/bad count and print; the script ends with finish.
passed=0; failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
bad() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { # check <what> <command...>
  local what="$1"; shift
  if "$@"; then ok "$what"; else bad "$what"; fi
}
same() { # same <what> <expected> <actual>; a diff when the expected text has several lines
  if [ "$2" = "$3" ]; then ok "$1"
  elif [ "$(wc -l <<<"$2")" -gt 1 ]; then bad "$1:
$(diff <(echo "$2") <(echo "$3"))"
  else bad "$1: expected [$2], got [$3]"; fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; }

# free_display <first number>: the first display number from there that no X server holds.
free_display() {
  local n=$1
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo ":$n"
}

# current <display>: the screen size as xrandr reads it (WxH), or nothing while no server answers.
current() { DISPLAY="$1" xrandr 2>/dev/null | sed -n 's/.*current \([0-9]*\) x \([0-9]*\).*/\1x\2/p' | head -1; }

# classroom <folder> <assets>: a fresh classroom as installed (the settings, the sound, the master
# password "teacher"), replacing whatever was there.
classroom() {
  rm -rf "$1"; mkdir -p "$1/settei" "$1/user" "$1/wav"
  cp "$2/settei/settei.dat" "$1/settei/"
  cp "$2/wav/a.wav" "$1/wav/"
  printf 'teacher\r\n' > "$1/user/master.psw"
}

# start_xvfb <folder>: an 800x600 Xvfb (PZ_XVFB_SCREEN gives another, e.g. 1920x1080x24) on a display
# number the server picks itself (no race with other servers); sets xpid and disp, or returns 1 (its
# log is <folder>/xvfb.log).
start_xvfb() {
  local xvfb_dir="$1"
  Xvfb -displayfd 3 -screen 0 "${PZ_XVFB_SCREEN:-800x600x24}" -nolisten tcp 3>"$xvfb_dir/display" >"$xvfb_dir/xvfb.log" 2>&1 &
  xpid=$!
  wait_for 20 '[ -s "$xvfb_dir/display" ]' || return 1
  disp=":$(head -1 "$xvfb_dir/display")"
}
