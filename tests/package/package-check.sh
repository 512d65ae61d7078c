#!/usr/bin/env bash
# The Debian package as a school gets it:
#  1. it builds (cpack, from the build folder as it is);
#  2. it holds exactly the files it must, with their modes, and declares its dependencies;
#  3. lintian finds no error or warning (but the maintainer's e-mail address), nor missing hardening;
#     its copyright, changelog and manual page are there and agree with the project;
#     its desktop file and AppStream metainfo pass their validators and agree with each other,
#     with the icon and with the program's window class;
#  4. its launcher picks the classroom folder and lays it out without overwriting, never lays out
#     the machine's folder, refuses a bad machine file naming the line, and says every refusal in
#     the program's message mode (against a stub program, no display needed);
#  5. its launcher passes the classroom commands to the unpacked program, which finds its template;
#  6. unpacked into a temporary root, it starts through its launcher under Xvfb, lays out a fresh
#     classroom folder and shows the main menu; a second start leaves every file as it was; a
#     refusal shows the program's message box.
# Usage: package-check.sh <build folder> <source folder> <project version>
set -u
. "$(dirname "$0")/../support/shell.sh"
build="$(readlink -f "$1")"; src="$(readlink -f "$2")"; version="$3"
tmp="$(mktemp -d)"
xpid=""; ppid_=""

cleanup() {
  [ -n "$ppid_" ] && kill -KILL "$ppid_" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
give_up() { bad "$1"; finish; exit 1; }

# --- 1. The package builds ---
arch="$(dpkg --print-architecture)"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  give_up "cpack failed: $(tail -20 "$tmp/cpack.log")"
deb="$tmp/pkg/pikazan_${version}_${arch}.deb"
[ -f "$deb" ] || give_up "no $(basename "$deb") among: $(ls "$tmp/pkg")"
ok "the package builds: $(basename "$deb")"

# --- 2. What it holds and what it needs ---
# Every file and link (not folder): mode, owner, path. Nothing more may come along (tests, tools).
listing="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort)"
appid="$(sed -n 's:.* \./usr/share/metainfo/\(.*\)\.metainfo\.xml$:\1:p' <<<"$listing" | head -1)"
expected="$(sort <<EOF
-rw-r--r-- root/root ./etc/pikazan/pikazan.conf
-rwxr-xr-x root/root ./usr/bin/pikazan
-rwxr-xr-x root/root ./usr/lib/pikazan/pikazan
-rwxr-xr-x root/root ./usr/lib/pikazan/pikazan-display-guard
-rw-r--r-- root/root ./usr/share/applications/pikazan.desktop
-rw-r--r-- root/root ./usr/share/metainfo/$appid.metainfo.xml
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/pikazan.svg
$(for s in 16 22 24 32 48 64 128 256; do echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${s}x$s/apps/pikazan.png"; done)
-rw-r--r-- root/root ./usr/share/pikazan/classroom/settei/settei.dat
-rw-r--r-- root/root ./usr/share/pikazan/classroom/user/master.psw
-rw-r--r-- root/root ./usr/share/pikazan/classroom/wav/a.wav
-rw-r--r-- root/root ./usr/share/doc/pikazan/copyright
-rw-r--r-- root/root ./usr/share/doc/pikazan/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/pikazan/guide.md
$(cd "$src/docs" && for f in images/*.png; do echo "-rw-r--r-- root/root ./usr/share/doc/pikazan/$f"; done)
-rw-r--r-- root/root ./usr/share/man/man1/pikazan.1.gz
EOF
)"
if [ "$listing" = "$expected" ]; then ok "dpkg-deb -c lists the program, guard, launcher, template, desktop file, metainfo, icons, docs"
else bad "dpkg-deb -c differs from what the package must hold:
$(diff <(echo "$expected") <(echo "$listing"))"; fi

same "package name" "pikazan" "$(dpkg-deb -f "$deb" Package)"
same "package version is the project's" "$version" "$(dpkg-deb -f "$deb" Version)"
same "architecture" "$arch" "$(dpkg-deb -f "$deb" Architecture)"
depends="$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)"
for p in libqt6widgets6 libqt6multimedia6 libx11-6 libxrandr2 libc6 \
         fonts-ipafont-gothic gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
  check "depends on $p" grep -qx "$p" <<<"$depends"
done
same "the machine's classroom setting is a conffile" "/etc/pikazan/pikazan.conf" \
  "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null)"

# --- 3. Unpacked: template, icons, desktop file, metainfo ---
root="$tmp/root"
dpkg -x "$deb" "$root" || give_up "dpkg -x failed"

# What a school's IT checks: lintian finds nothing but the maintainer's missing e-mail address, which
# waits for the project owner's decision; the terms, the changes and the manual page are readable.
# The address is missing twice: in the control file and in the changelog's trailer line.
lintian_out="$(lintian --tag-display-limit 0 -I "$deb" 2>&1)"
same "lintian: no error or warning but the maintainer's missing e-mail address" "" \
  "$(grep -E '^[EW]: ' <<<"$lintian_out" | grep -v -x -e 'E: pikazan: malformed-contact Maintainer .*' \
     -e 'E: pikazan: bogus-mail-host-in-debian-changelog pikazan developers <> .*')"
# The display guard's one fortifiable call, read() of one byte into a char, is proven safe when it is
# compiled, so no checked variant is linked and lintian cannot tell.
same "  ... built with the hardening flags (fortify, relro, bindnow), no .comment section" "" \
  "$(grep -E 'hardening-no-|binary-has-unneeded-section' <<<"$lintian_out" |
     grep -v -x 'I: pikazan: hardening-no-fortify-functions \[usr/lib/pikazan/pikazan-display-guard\]')"
doc="$root/usr/share/doc/pikazan"
check "the copyright file is machine-readable (DEP-5)" \
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
same "  ... it states the metainfo's project licence for every file" \
  "$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$src/packaging/pikazan.metainfo.xml.in")" \
  "$(awk '/^Files: \*$/ { f = 1; next } f && /^License:/ { print $2; exit }' "$doc/copyright")"
check "  ... as the LICENSE file does" grep -qF "$(sed -n 's/^License: //p' "$doc/copyright" | head -1)" "$src/LICENSE"
same "the changelog's latest entry is this version" "$version" \
  "$(zcat "$doc/changelog.gz" | sed -n '1s/^pikazan (\([^)]*\)).*/\1/p')"
check "the manual page formats without a warning" \
  test -z "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/pikazan.1.gz" 2>&1 >/dev/null)"
for option in --setup-classroom --set-master-password --message -h; do
  check "  ... it describes $option" grep -q -- "$option" <<<"$(MANWIDTH=200 man -l "$root/usr/share/man/man1/pikazan.1.gz" 2>/dev/null)"
done
for png in $(grep -o 'images/[^)]*\.png' "$doc/guide.md"); do
  check "the guide's $png is in the package" test -f "$doc/$png"
done
check "no .comment section in the programs" \
  bash -c "! readelf -S '$root/usr/lib/pikazan/pikazan' '$root/usr/lib/pikazan/pikazan-display-guard' | grep -q '\.comment'"
tpl="$root/usr/share/pikazan/classroom"
for f in settei/settei.dat user/master.psw wav/a.wav; do
  check "template $f is the program's own, byte for byte" cmp -s "$src/assets/$f" "$tpl/$f"
done
same "the template's master password is empty" "0" "$(stat -c %s "$tpl/user/master.psw")"

check "the icon PNGs were rendered from the committed drawing (run packaging/icons/render.sh)" \
  bash -c "cd '$src/packaging/icons' && sha256sum --quiet -c pikazan.svg.sha256"
for s in 16 22 24 32 48 64 128 256; do
  check "icon ${s}x$s is a ${s}x$s PNG" \
    grep -q "PNG image data, $s x $s," <<<"$(file "$root/usr/share/icons/hicolor/${s}x$s/apps/pikazan.png")"
done

desktop="$root/usr/share/applications/pikazan.desktop"
metainfo="$root/usr/share/metainfo/$appid.metainfo.xml"
check "desktop-file-validate" desktop-file-validate "$desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
key() { sed -n "s/^$1=//p" "$desktop" | head -1; }
same "menu name" "検定用ぴかざん" "$(key Name)"
check "an English generic name" test -n "$(key GenericName)"
check "in the Education category" grep -q '\(^\|;\)Education;' <<<"$(key Categories)"
exec_word="$(key Exec | awk '{ print $1 }')"
check "Exec ($exec_word) is the launcher the package puts on the PATH" test -x "$root/usr/bin/$exec_word"
check "Icon ($(key Icon)) is the package's icon" test -f "$root/usr/share/icons/hicolor/scalable/apps/$(key Icon).svg"
same "metainfo launches this desktop file" "pikazan.desktop" \
  "$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")"
same "metainfo id" "$appid" "$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")"
same "metainfo release is the project's version" "$version" \
  "$(sed -n 's:.*<release version="\([^"]*\)".*:\1:p' "$metainfo")"

# --- 4. The launcher's choice of folder, against a stub program that reports where it ran ---
fake="$tmp/fake"
mkdir -p "$fake/usr/bin" "$fake/usr/lib/pikazan" "$fake/usr/share/pikazan"
cp "$root/usr/bin/pikazan" "$fake/usr/bin/"
cp -r "$tpl" "$fake/usr/share/pikazan/"
# The stub notes the classroom it was handed (--classroom DIR, else "cwd:" and the folder it ran
# in) and how many other arguments it had, or, in the message mode, the text it was given to show.
cat >"$fake/usr/lib/pikazan/pikazan" <<'EOF'
#!/bin/sh
if [ "${1-}" = --message ]; then printf '%s\n' "$2" >"$STUB_MSG"; exit 0; fi
if [ "${1-}" = --classroom ]; then room="$2"; shift 2; else room="cwd:$PWD"; fi
echo "$room $#" >"$STUB_LOG"
printf '%s|' "$@" >"$STUB_LOG.args"
printf '%s' "${PIKAZAN_DISPLAY-unset}" >"$STUB_LOG.display"
EOF
chmod +x "$fake/usr/lib/pikazan/pikazan"
home="$tmp/home"; mkdir -p "$home"
launch() { # launch <machine file> <XDG_DATA_HOME or -> [folder...]; then ran tells where the stub ran
  # A display (never opened: the stub stands for the program), as on a desktop: a refusal goes to
  # stderr and to the program's message box.
  rm -f "$tmp/stub.log" "$tmp/stub.msg"
  local conf="$1" xdg="$2"; shift 2
  if [ "$xdg" = - ]; then
    (cd "$tmp" && env -u XDG_DATA_HOME HOME="$home" PIKAZAN_CONF="$conf" STUB_LOG="$tmp/stub.log" STUB_MSG="$tmp/stub.msg" DISPLAY=:none \
      "$fake/usr/bin/pikazan" "$@") >"$tmp/launch.log" 2>&1 </dev/null
  else
    (cd "$tmp" && env HOME="$home" XDG_DATA_HOME="$xdg" PIKAZAN_CONF="$conf" STUB_LOG="$tmp/stub.log" STUB_MSG="$tmp/stub.msg" DISPLAY=:none \
      "$fake/usr/bin/pikazan" "$@") >"$tmp/launch.log" 2>&1 </dev/null
  fi
  launch_rc=$?
}
ran() { cat "$tmp/stub.log" 2>/dev/null; } # "folder argc", or nothing when the program was not started
args() { cat "$tmp/stub.log.args" 2>/dev/null; } # the arguments, each followed by |
laid_out() { # laid_out <folder>: holds the template's three files, as they are
  local f
  for f in settei/settei.dat user/master.psw wav/a.wav; do cmp -s "$tpl/$f" "$1/$f" || return 1; done
}
noconf="$tmp/no-such.conf"
shipped="$root/etc/pikazan/pikazan.conf"

mkdir -p "$tmp/xdg"
launch "$noconf" "$tmp/xdg"
same "no folder given, nothing set for the machine: \$XDG_DATA_HOME/pikazan/classroom, no arguments" \
  "$tmp/xdg/pikazan/classroom 0" "$(ran)"
check "  ... laid out from the template" laid_out "$tmp/xdg/pikazan/classroom"
launch "$shipped" "$tmp/xdg"
same "the shipped machine file sets nothing" \
  "$tmp/xdg/pikazan/classroom 0" "$(ran)"
launch "$noconf" -
same "without XDG_DATA_HOME: ~/.local/share/pikazan/classroom" \
  "$home/.local/share/pikazan/classroom 0" "$(ran)"
check "  ... laid out from the template" laid_out "$home/.local/share/pikazan/classroom"
launch "$noconf" "relative/data"
same "a relative XDG_DATA_HOME is not used" \
  "$home/.local/share/pikazan/classroom 0" "$(ran)"
check "  ... nor created" test ! -e "$tmp/relative"

# The teacher's commands without a folder get the one the program would start in, last.
launch "$noconf" "$tmp/xdg" --export-csv k.csv
same "export-csv, no folder given: the user's own" "--export-csv|k.csv|$tmp/xdg/pikazan/classroom|" "$(args)"
launch "$noconf" "$tmp/xdg" --check-pace
same "check-pace, no folder given: the user's own" "--check-pace|$tmp/xdg/pikazan/classroom|" "$(args)"
printf 'classroom=%s\n' "$tmp/共有" >"$tmp/teacher.conf"
launch "$tmp/teacher.conf" "$tmp/xdg" --certificate はな c.pdf
same "certificate, no folder given: the machine's" "--certificate|はな|c.pdf|$tmp/共有|" "$(args)"
check "  ... neither made nor laid out" test ! -e "$tmp/共有"
launch "$tmp/teacher.conf" "$tmp/xdg" --class-sheet-blank 初段 0042 s.pdf
same "class-sheet-blank, no folder given: the machine's" "--class-sheet-blank|初段|0042|s.pdf|$tmp/共有|" "$(args)"
launch "$tmp/teacher.conf" "$tmp/xdg" --export-csv k.csv "教室 3"
same "a folder given is passed as it is" "--export-csv|k.csv|教室 3|" "$(args)"

launch "$noconf" "$tmp/xdg" "教室 2"
same "a folder given, relative, with a space and Japanese in its name" \
  "$tmp/教室 2 0" "$(ran)"
check "  ... laid out from the template" laid_out "$tmp/教室 2"

# The machine's folder. A row: its name | the machine file (printf format; @ stands for the test's
# folder) | where the program runs, "" when it does not | what the refusal says (grep -E), "" for none.
# "room" is laid out (less its sound and master password, which the launcher must not copy there),
# "mnt" an empty mount point, "half" lacks wav/.
mkdir -p "$tmp/m/room/settei" "$tmp/m/room/user" "$tmp/m/room/wav" "$tmp/m/mnt" "$tmp/m/half/settei" "$tmp/m/half/user"
cp "$tpl/settei/settei.dat" "$tmp/m/room/settei/"; cp "$tpl/settei/settei.dat" "$tmp/m/half/settei/"
while IFS='|' read -r name file runs says; do
  [ -n "$name" ] || continue
  printf "${file//@/$tmp/m}" >"$tmp/machine.conf"
  launch "$tmp/machine.conf" "$tmp/xdg"
  same "machine file: $name" "${runs//@/$tmp/m}" "$(ran)"
  if [ -n "$says" ]; then
    check "  ... fails, saying: $says" test "$launch_rc" -ne 0
    check "  ... on stderr" grep -qsE "$says" "$tmp/launch.log"
    check "  ... and in the program's message box" grep -qsE "$says" "$tmp/stub.msg"
  else
    same "  ... no message" "" "$(cat "$tmp/launch.log" "$tmp/stub.msg" 2>/dev/null)"
  fi
done <<'EOF'
laid out (CR LF, spaces, the last line counts)|# the room\r\nclassroom=/elsewhere\r\n  classroom = @/room  \r\n|@/room 0|
an empty line before the last one|classroom=\nclassroom=@/room\n|@/room 0|
missing (share not mounted, no mount point)|classroom=@/unmounted\n||見つかりません.*ネットワークドライブ.*/unmounted
an empty mount point (share not mounted)|classroom=@/mnt\n||準備ができていません.*ネットワークドライブ.*/mnt
laid out in part|classroom=@/half\n||準備ができていません
a later empty line|classroom=@/room\r\n# off for now\r\nclassroom=\r\n||machine\.conf の 3 行目: classroom= に教室フォルダが書かれていません
a later line of spaces|classroom=@/room\n  classroom =   \n||machine\.conf の 2 行目: classroom= に教室フォルダが書かれていません
relative|classroom=share/pikazan\n||machine\.conf の 1 行目: classroom= は / で始まるフォルダにしてください
EOF
# The machine's display choice: a row is its name | the machine file | what the program is given
# ("" when it does not start) | what the refusal says (grep -E), "" for none.
while IFS='|' read -r name file given says; do
  [ -n "$name" ] || continue
  printf "$file" >"$tmp/machine.conf"
  rm -f "$tmp/stub.log.display"
  launch "$tmp/machine.conf" "$tmp/xdg"
  same "display: $name" "$given" "$(cat "$tmp/stub.log.display" 2>/dev/null)"
  if [ -n "$says" ]; then
    check "  ... fails, saying: $says" test "$launch_rc" -ne 0
    check "  ... on stderr" grep -qsE "$says" "$tmp/launch.log"
    check "  ... and in the program's message box" grep -qsE "$says" "$tmp/stub.msg"
  fi
done <<'EOF'
no line: switch|# nothing\n|switch|
scale, CR LF and spaces|# a panel\r\n  display =  scale  \r\n|scale|
the last line counts|display=scale\ndisplay=switch\n|switch|
a misspelt value|display=Scale\n||machine\.conf の 1 行目: display= は switch か scale にしてください: Scale
a later empty value|display=scale\n\ndisplay=\n||machine\.conf の 3 行目: display= は switch か scale
EOF

check "the launcher made no local folder for a missing share" test ! -e "$tmp/m/unmounted"
same "  ... and laid out nothing in an empty or half one, nor in a laid-out one" "" \
  "$(cd "$tmp/m" && find mnt half room -mindepth 1 | grep -v -x -e half/settei -e half/settei/settei.dat -e half/user \
     -e room/settei -e room/settei/settei.dat -e room/user -e room/wav)"
printf 'classroom=%s\n' "$tmp/m/room" >"$tmp/room.conf"
launch "$tmp/room.conf" "$tmp/xdg" "$tmp/mine"
same "a folder given beats the machine's" "$tmp/mine 0" "$(ran)"

: >"$tmp/plainfile"
launch "$noconf" "$tmp/xdg" "$tmp/plainfile/room"
same "a folder that cannot be made: the program does not start" "" "$(ran)"
check "  ... with a failure" test "$launch_rc" -ne 0
launch "$noconf" "$tmp/xdg" a b
same "two arguments: the program does not start" "" "$(ran)"
same "  ... usage error" "2" "$launch_rc"
launch "$noconf" "$tmp/xdg" -x
same "an unknown option is not taken for a folder" "" "$(ran)"
check "  ... and no folder -x is made" test ! -e "$tmp/-x"

# A classroom in use: the teacher's grades, a master password, a child; its sound was deleted.
used="$tmp/used"
mkdir -p "$used"
cp -r "$tpl/." "$used/"
printf '2\r\n5\r\n4\r\n' >"$used/settei/settei.dat"
printf 'teacher\r\n' >"$used/user/master.psw"
printf 'pw\r\n' >"$used/user/hanako.psw"
rm "$used/wav/a.wav"
touch -d '2001-02-03 04:05:06' "$used/settei/settei.dat" "$used/user/master.psw" "$used/user/hanako.psw"
state() { # every entry: type, path, size, mode, mtime; then every file's bytes
  (cd "$1" && find . -printf '%y %p %s %m %T@\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum)
}
before="$(state "$used" | grep -v ' ./wav')"
launch "$noconf" "$tmp/xdg" "$used"
same "a folder in use starts" "$used 0" "$(ran)"
same "  ... its files are left as they were" "$before" "$(state "$used" | grep -v ' ./wav')"
check "  ... the missing sound comes back from the template" cmp -s "$tpl/wav/a.wav" "$used/wav/a.wav"
same "  ... no half-copied file is left behind" "" "$(find "$used" -name '*pikazan-new*')"

# --- 5. The classroom commands through the launcher, reaching the unpacked program and its template ---
if bash "$src/tests/package/classroom-commands.sh" "$root/usr/bin/pikazan" "$tpl" >"$tmp/classroom.log" 2>&1; then
  ok "the launcher passes --setup-classroom and --set-master-password to the program ($(tail -1 "$tmp/classroom.log"))"
else
  bad "the classroom commands through the launcher:
$(grep -v '^ok:' "$tmp/classroom.log")"
fi

# --- 6. The real program, unpacked, started through its launcher under Xvfb ---
disp="$(free_display 81)"
Xvfb "$disp" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
wait_for 20 "DISPLAY=$disp xdotool getdisplaygeometry >/dev/null 2>&1" || give_up "Xvfb did not start"

classroom="$home/.local/share/pikazan/classroom"
rm -rf "$home/.local"
wmclass="$(key StartupWMClass)"
main_window() { # the program's visible window titled "main" (its taskbar name may be another)
  local w
  for w in $(DISPLAY="$disp" xdotool search --onlyvisible --classname '^pikazan$' 2>/dev/null); do
    DISPLAY="$disp" xprop -id "$w" WM_NAME _NET_WM_NAME 2>/dev/null | grep -q '= "main"$' && { echo "$w"; return; }
  done
}
start() { # start <log>: the launcher as the menu runs it, without XDG_DATA_HOME, with the shipped machine file
  (cd "$home" && exec env -u XDG_DATA_HOME HOME="$home" PIKAZAN_CONF="$shipped" DISPLAY="$disp" \
    QT_QPA_PLATFORM=xcb "$root/usr/bin/pikazan") >"$1" 2>&1 </dev/null &
  ppid_=$!
  wait_for 20 '[ -n "$(main_window)" ]'
}
stop() {
  kill -TERM "$ppid_" 2>/dev/null
  wait_for 10 "! kill -0 $ppid_ 2>/dev/null" || { bad "the program did not end on SIGTERM"; kill -KILL "$ppid_"; }
  wait "$ppid_" 2>/dev/null; ppid_=""
}
pixel() { convert "$tmp/shot.png" -format "%[pixel:p{$1}]" info:; }

if start "$tmp/run1.log"; then
  ok "first start: the main menu shows"
  check "  ... in a classroom folder laid out from the template" laid_out "$classroom"
  same "  ... it is the packaged program" "$root/usr/lib/pikazan/pikazan" "$(readlink "/proc/$ppid_/exe")"
  same "  ... handed that folder by name, nothing else" "--classroom|$classroom|" "$(tr '\0' '\n' <"/proc/$ppid_/cmdline" | tail -n +2 | tr '\n' '|')"
  win="$(main_window)"
  # Desktops match StartupWMClass exactly against the instance or the class name of WM_CLASS.
  classes="$(DISPLAY="$disp" xprop -id "$win" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\(.*\)"$/\1\n\2/p')"
  check "  ... its window class matches the desktop file's StartupWMClass ($wmclass)" grep -qFx "$wmclass" <<<"$classes"
  DISPLAY="$disp" import -window root "$tmp/shot.png" 2>/dev/null
  same "  ... the menu's dark blue fills the screen" "srgb(0,0,160)" "$(pixel 700,300)"
  check "  ... with its buttons drawn (先生用 at the top left)" \
    grep -qE '^srgb\((2[0-9]{2}),(2[0-9]{2}),(2[0-9]{2})\)$' <<<"$(pixel 40,30)"
  stop
else
  bad "first start: no main menu within 20 s: $(cat "$tmp/run1.log")"
  [ -n "$ppid_" ] && kill -KILL "$ppid_" 2>/dev/null; ppid_=""
fi

# The second start finds a classroom in use and must leave it byte for byte as it is.
if [ -d "$classroom/user" ]; then
  printf '3\r\n7\r\n9\r\n' >"$classroom/settei/settei.dat"
  printf 'teacher\r\n' >"$classroom/user/master.psw"
  printf 'pw\r\n' >"$classroom/user/taro.psw"
  touch -d '2001-02-03 04:05:06' "$classroom/settei/settei.dat" "$classroom/user/master.psw"
  before="$(state "$classroom")"
  if start "$tmp/run2.log"; then
    ok "second start: the main menu shows"
    same "  ... on the same folder" "--classroom|$classroom|" "$(tr '\0' '\n' <"/proc/$ppid_/cmdline" | tail -n +2 | tr '\n' '|')"
    stop
    same "  ... every file is left byte for byte as it was" "$before" "$(state "$classroom")"
  else
    bad "second start: no main menu within 20 s: $(cat "$tmp/run2.log")"
  fi
fi

# A refusal as it is met from the menu, on a desktop without a dialog tool: the program's own box,
# titled with the program's title, and no screen; Enter closes it and the launcher fails.
mkdir -p "$tmp/mountpoint"
printf 'classroom=%s\n' "$tmp/mountpoint" >"$tmp/mountpoint.conf"
(cd "$home" && exec env HOME="$home" PIKAZAN_CONF="$tmp/mountpoint.conf" DISPLAY="$disp" QT_QPA_PLATFORM=xcb \
  "$root/usr/bin/pikazan") >"$tmp/refused.log" 2>&1 </dev/null &
ppid_=$!
windows() { DISPLAY="$disp" xdotool search --onlyvisible --classname '^pikazan$' 2>/dev/null; }
if wait_for 20 '[ -n "$(windows)" ]'; then
  sleep 0.5
  same "a refusal shows one window of the program, no screen" "1" "$(windows | wc -l)"
  same "  ... titled with the program's title" '_NET_WM_NAME(UTF8_STRING) = "検定用ぴかざん"' \
    "$(DISPLAY="$disp" xprop -id "$(windows | head -1)" _NET_WM_NAME)"
  check "  ... the refusal on stderr too" grep -q '準備ができていません' "$tmp/refused.log"
  same "  ... the mount point is left empty" "" "$(ls -A "$tmp/mountpoint")"
  DISPLAY="$disp" xdotool key Return
  if wait_for 10 "! kill -0 $ppid_ 2>/dev/null"; then
    wait "$ppid_"; rc=$?
    same "  ... Enter closes it, and the launcher fails" "1" "$rc"
  else
    bad "  ... Enter did not close it"
  fi
  ppid_=""
else
  bad "a refusal: no window within 20 s: $(cat "$tmp/refused.log")"
fi

finish
