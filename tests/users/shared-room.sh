#!/usr/bin/env bash
# A computer room on one shared folder, with real accounts: a group and three accounts in it, each
# with its own primary group. IT (root) lays the room out with pikazan --setup-classroom in a
# setgid folder of the group, naming account 3 the teacher's. Account 1 registers the children and
# saves the settings, account 2 records their drills (and registers one of its own), account 3, the
# teacher's, deletes children of both. Every line must land and every file and folder must be the
# group's, with the group's rights, whatever the accounts' umask (022 as usual; account 2 even 077);
# but a password is nobody's to read outside the group, and a pupil's account can neither write nor
# remove the master password, nor remove another account's files (user/ is sticky): its deletion of
# such a child is refused aloud with nothing deleted. An account outside the group reads nothing.
# Then the children's history files are read-only for a moment: account 2's drills are kept aside in its own
# state folder, and land exactly once when the folder is writable again (the line of a child
# deleted meanwhile is dropped, and said so).
#   shared-room.sh <pikazan> <faults_helper>     (needs root; exits 77, skipped, otherwise)
set -uo pipefail
. "$(dirname "$0")/../support/shell.sh"
pikazan=$(realpath "$1"); helper=$(realpath "$2")
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to make accounts"; exit 77; }
for tool in groupadd useradd setpriv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

tag="pz$$$RANDOM"; tag="${tag:0:12}"
group="${tag}g" one="${tag}a" two="${tag}b" three="${tag}c" outside="${tag}o"
tmp=$(mktemp -d)
cleanup() {
  for who in "$one" "$two" "$three" "$outside"; do userdel "$who" 2>/dev/null; groupdel "$who" 2>/dev/null; done
  groupdel "$group" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
groupadd "$group" || { echo "cannot make a group"; exit 1; }
chmod 0755 "$tmp"
for who in "$one" "$two" "$three"; do
  useradd -M -U -G "$group" -s /usr/sbin/nologin -d "$tmp" "$who" || { echo "cannot make $who"; exit 1; }
  # Each account's own state folder, where its unwritten drill lines wait.
  install -d -m 0700 -o "$who" -g "$who" "$tmp/state-$who"
done
useradd -M -U -s /usr/sbin/nologin -d "$tmp" "$outside" || { echo "cannot make $outside"; exit 1; }
room="$tmp/room"
mkdir "$room" && chgrp "$group" "$room" && chmod 2770 "$room"

starts() { # starts <what> <prefix> <actual>
  case "$3" in "$2"*) ok "$1" ;; *) bad "$1: expected [$2...], got [$3]" ;; esac
}
# as ACCOUNT UMASK helper-args...: the helper on the classroom folder, as that account.
as() {
  local who="$1" mask="$2"; shift 2
  (cd / && umask "$mask" && XDG_STATE_HOME="$tmp/state-$who" \
     setpriv --reuid="$who" --regid="$who" --init-groups -- "$helper" --classroom "$room" "$@" 2>&1)
}
modes() { stat -c '%a %G' "$room/$1" 2>/dev/null; }
# shell ACCOUNT command: a shell command in the classroom folder as that account (a pupil with a shell).
shell() { (cd "$room" 2>/dev/null; setpriv --reuid="$1" --regid="$1" --init-groups -- sh -c "$2" 2>/dev/null); }
header='級/段,日付,正解数,不正解数,合否'
l1='１０級,2026/12/07,9,1,合格' l2='９級,2026/12/07,5,5,不合格' l3='８級,2026/12/08,10,0,合格'
l4='７級,2026/12/08,8,2,合格' l5='６級,2026/12/09,7,3,不合格'

printf 'sensei\n' | "$pikazan" --setup-classroom --teacher "$three" "$room" >"$tmp/out" 2>&1
same "IT lays the room out" "教室フォルダを用意しました: $room（グループ $group で共有）" "$(cat "$tmp/out")"

same "account 1 registers たろう" "ok" "$(as "$one" 022 register たろう pw1)"
same "account 1 registers はな" "ok" "$(as "$one" 022 register はな pw2)"
same "account 1 saves the settings" "ok" "$(as "$one" 022 save-settings)"
same "account 2 reads たろう's password" "ok pw1" "$(as "$two" 077 read-password たろう)"
same "account 2 records たろう's drill" "ok " "$(as "$two" 077 drill たろう "$l1")"
# The pace file beside a history: made by one account, written by the others.
p1="2026/12/07 10:00:00,１０級,567$(printf ',0.1,0.2%.0s' 1 2 3 4 5 6 7 8 9 10),ずれなし"
same "account 2 keeps たろう's pace" "ok" "$(as "$two" 077 pace たろう "$p1")"
same "account 1 keeps たろう's pace" "ok" "$(as "$one" 022 pace たろう "$p1")"
same "account 1 keeps はな's pace" "ok" "$(as "$one" 022 pace はな "$p1")"
same "account 2 registers じろう" "ok" "$(as "$two" 077 register じろう pw3)"
same "account 2 saves the settings again" "ok" "$(as "$two" 077 save-settings)"
same "account 1 records じろう's drill" "ok " "$(as "$one" 022 drill じろう "$l2")"
same "じろう's history" "ok $header|$l2" "$(as "$two" 077 read-history じろう)"
same "account 3, the teacher's, deletes はな, account 1's" "ok" "$(as "$three" 022 delete はな)"
refused='refused 「たろう」のファイルには、ほかのアカウントが作ったものがあるので、このアカウントでは削除できません。\n先生のアカウントで削除して下さい。'
same "account 2 deleting たろう, account 1's: refused aloud" "$refused" "$(as "$two" 077 delete たろう)"
same "account 1 deleting たろう, whose pace file account 2 made: refused" "$refused" "$(as "$one" 022 delete たろう)"
same "  ... nothing half deleted" "3" "$(ls "$room/user" | grep -c '^たろう\.')"
same "account 2 registers さぶろう and deletes it again, all its own" "ok|ok" "$(as "$two" 077 register さぶろう pw4)|$(as "$two" 077 delete さぶろう)"

# What a pupil's account with a shell could do to the teacher's door.
check "account 1 cannot remove master.psw" test -n "$(shell "$one" 'rm -f user/master.psw || echo refused')"
check "account 1 cannot rename じろう.psw, account 2's, away" test -n "$(shell "$one" 'mv user/じろう.psw x || echo refused')"
check "account 1 cannot overwrite master.psw" test -n "$(shell "$one" "printf 'taro\r\n' > user/master.psw || echo refused")"
same "  ... so the master password stands" "sensei" "$(tr -d '\r' <"$room/user/master.psw")"
same "  ... and じろう's" "ok pw3" "$(as "$two" 077 read-password じろう)"
same "an account outside the group reads no password" "" "$(setpriv --reuid="$outside" --regid="$outside" --init-groups -- cat "$room/user/master.psw" "$room/user/たろう.psw" 2>/dev/null)"
same "the users left" "じろう|たろう" "$(as "$three" 022 list | sed 's/^ok //' | tr '|' '\n' | LC_ALL=C sort | paste -sd'|')"

# The children's history files read-only for a moment (the folder itself would not do: appending
# to a file that is there needs no right on the folder): the lines wait, said so.
chmod 0444 "$room/user/たろう.dat" "$room/user/じろう.dat"
starts "account 2 records たろう's drill, not written" "kept " "$(as "$two" 077 drill たろう "$l3")"
starts "account 2 records じろう's drill, not written" "kept " "$(as "$two" 077 drill じろう "$l4")"
same "both wait in account 2's own state folder, private" "600 $two
600 $two" "$(find "$tmp/state-$two/pikazan/pending" -name '*.line' -exec stat -c '%a %U' {} + 2>/dev/null)"
same "nothing was written meanwhile" "ok $header|$l1" "$(as "$one" 022 read-history たろう)"
chmod 0660 "$room/user/たろう.dat" "$room/user/じろう.dat"
same "account 3 deletes じろう meanwhile" "ok" "$(as "$three" 022 delete じろう)"
out=$(as "$two" 077 drill たろう "$l5")
starts "account 2's next drill lands, then the kept ones" "ok " "$out"
starts "  ... and じろう's, deleted meanwhile, is dropped aloud" "ok 書き込めずにとっておいた記録のうち" "$out"
case "$out" in *"じろう $l4"*) ok "  ... naming the dropped line" ;; *) bad "the dropped line is not named: $out" ;; esac
same "the next start appends nothing more" "ok " "$(as "$two" 077 flush-pending)"
same "every line landed once, the kept ones after the drill that wrote again" \
  "ok $header|$l1|$l5|$l3" "$(as "$one" 022 read-history たろう)"
same "nothing waits any more" "" "$(find "$tmp/state-$two/pikazan/pending" -name '*.line' 2>/dev/null)"

# The sounds are the teacher's, in a sticky folder: a pupil's account neither removes nor spoils them.
same "the set-up's wav/: setgid and sticky, the teacher's" "3770 $group $three" "$(modes wav) $(stat -c %U "$room/wav")"
same "  ... a.wav the teacher's, the group only reads it" "640 $group $three" "$(modes wav/a.wav) $(stat -c %U "$room/wav/a.wav")"
cp "$room/wav/a.wav" "$tmp/a.wav.kept"
check "account 1 cannot remove wav/a.wav" test -n "$(shell "$one" 'rm -f wav/a.wav || echo refused')"
check "account 1 cannot rename wav/a.wav away" test -n "$(shell "$one" 'mv wav/a.wav wav/b.wav || echo refused')"
check "account 1 cannot overwrite wav/a.wav" test -n "$(shell "$one" 'printf x > wav/a.wav || echo refused')"
check "  ... so the sound stands" cmp -s "$tmp/a.wav.kept" "$room/wav/a.wav"
# settei.dat stays every account's to save, so a pupil's account can remove it: the room's PCs then
# refuse to start, naming the repair, which brings back exactly that file and nothing else.
shell "$one" 'rm -f settei/settei.dat'
same "account 1 can remove settei.dat" "no" "$(test -e "$room/settei/settei.dat" && echo yes || echo no)"
lsusers() { (cd "$room/user" && LC_ALL=C find . -printf '%p %m %U %s %T@\n' | LC_ALL=C sort); }
users_before="$(lsusers)"
inst0="$tmp/inst0"; mkdir -p "$inst0/bin" "$inst0/prog" "$inst0/tmpl"
sed 's|@PZ_BIN_TO_PRIVATE@|../prog|; s|@PZ_BIN_TO_TEMPLATE@|../tmpl|' "$(dirname "$0")/../../packaging/pikazan.in" >"$inst0/bin/pikazan"
printf '#!/bin/sh\nexit 0\n' >"$inst0/prog/pikazan"
printf 'classroom=%s\n' "$room" >"$tmp/pikazan.conf"
chmod -R a+rX "$inst0" "$tmp/pikazan.conf" && chmod 0755 "$inst0/bin/pikazan" "$inst0/prog/pikazan"
refusal="$(HOME="$tmp" PIKAZAN_CONF="$tmp/pikazan.conf" setpriv --reuid="$two" --regid="$two" --init-groups -- "$inst0/bin/pikazan" 2>&1 </dev/null)"
case "$refusal" in *"pikazan --repair-classroom $room"*) ok "the launcher's refusal names the repair" ;; *) bad "the launcher's refusal: $refusal" ;; esac
out="$(cd "$tmp" && setpriv --reuid="$three" --regid="$three" --init-groups -- "$pikazan" --repair-classroom "$room" 2>&1)"
same "the teacher's repair brings back settei.dat alone" "教室フォルダ: $room
もどしました: settei/settei.dat" "$out"
same "  ... with the room's group and rights" "660 $group" "$(modes settei/settei.dat)"
check "  ... the package's defaults" cmp -s "$(dirname "$0")/../../assets/settei/settei.dat" "$room/settei/settei.dat"
same "  ... user/ untouched" "$users_before" "$(lsusers)"
shell "$one" "printf 'damaged\r\n' > settei/settei.dat"
same "a repair with nothing missing replaces nothing, not even a damaged file" "教室フォルダ: $room
足りないファイルはありません。|damaged" \
  "$(setpriv --reuid="$three" --regid="$three" --init-groups -- "$pikazan" --repair-classroom "$room" 2>&1)|$(tr -d '\r' <"$room/settei/settei.dat")"
cp "$(dirname "$0")/../../assets/settei/settei.dat" "$room/settei/settei.dat"
rm -rf "$room/wav"
same "a repair as root brings back wav/ and its sound" "教室フォルダ: $room
もどしました: wav/
もどしました: wav/a.wav" "$("$pikazan" --repair-classroom "$room" 2>&1)"
same "  ... wav/ sticky again, its sound not the group's to write" "3770 $group|640 $group" "$(modes wav)|$(modes wav/a.wav)"
same "a repair of a folder without user/ is refused" "1" "$("$pikazan" --repair-classroom "$tmp" >/dev/null 2>&1; echo $?)"

# A settings file and the sounds gone: the launcher lays them out again, as account 2 (umask 077),
# with the room's group and rights.
inst="$tmp/inst"; mkdir -p "$inst/bin" "$inst/prog" "$inst/tmpl"
sed 's|@PZ_BIN_TO_PRIVATE@|../prog|; s|@PZ_BIN_TO_TEMPLATE@|../tmpl|' "$(dirname "$0")/../../packaging/pikazan.in" >"$inst/bin/pikazan"
printf '#!/bin/sh\nexit 0\n' >"$inst/prog/pikazan"
cp -r "$room/settei" "$room/wav" "$inst/tmpl/" && chmod -R a+rX "$inst" && chmod 0755 "$inst/bin/pikazan" "$inst/prog/pikazan"
rm -f "$room/settei/settei.dat" && rm -rf "$room/wav"
same "account 2's launcher lays the room out again" "0" \
  "$(cd "$tmp" && umask 077 && HOME="$tmp" setpriv --reuid="$two" --regid="$two" --init-groups -- "$inst/bin/pikazan" "$room" >/dev/null 2>&1; echo $?)"
same "user/: setgid and sticky, the teacher's" "3770 $group $three" "$(modes user) $(stat -c %U "$room/user")"
same "settei/ and wav/" "2770 $group|2770 $group" "$(modes settei)|$(modes wav)"
for f in user/たろう.dat user/たろう.pace settei/settei.dat wav/a.wav; do
  same "$f" "660 $group" "$(modes "$f")"
done
same "master.psw: the teacher's, the group reads it" "640 $group $three" "$(modes user/master.psw) $(stat -c %U "$room/user/master.psw")"
same "たろう.psw: account 1's, the group reads it" "640 $group $one" "$(modes user/たろう.psw) $(stat -c %U "$room/user/たろう.psw")"
same "every folder and file carries the room's group" "" "$(find "$room" ! -group "$group" -printf '%p %g\n')"
same "the files but passwords are group-readable and writable" "" "$(find "$room" -type f ! -name '*.psw' ! -perm -0060 -printf '%p %m\n')"
same "nothing is for others" "" "$(find "$room" -perm /0007 -printf '%p %m\n')"
same "たろう's pace: its header and both lines" "3" "$(grep -c $'\r$' "$room/user/たろう.pace")"
same "the lock's own folder: the group's to take over in, and empty" "2770 $group|" "$(modes user/.lock)|$(ls -A "$room/user/.lock")"
same "nothing else left in user/ (はな's pace went with her)" ".lock master.psw たろう.dat たろう.pace たろう.psw" \
  "$(cd "$room/user" && LC_ALL=C ls -A | grep -vx '\.pikazan\.lock' | paste -sd' ')"

# The lock's own folder is the set-up's: a pupil's account can neither remove nor close it.
check "account 1 cannot remove user/.lock" test -n "$(shell "$one" 'rmdir user/.lock || echo refused')"
check "account 1 cannot close user/.lock" test -n "$(shell "$one" 'chmod 0700 user/.lock || echo refused')"
# A room whose lock folder is gone (or an old room that never had one made by the set-up): a pupil's
# account puts its own file there first. The others' lines land all the same, under the classroom
# folder's lock, and the note names the file and its owner; so does the teacher's repair.
rmdir "$room/user/.lock"
shell "$one" 'touch user/.lock && chmod 0600 user/.lock'
l6='５級,2026/12/10,9,1,合格'
note="user/.lock は $one のファイルで、教室のロックには使えません（先生のアカウントか root のものでないと、ほかのアカウントの保存を止められるため）。ロックは教室フォルダの .pikazan.lock でとります。user/.lock は先生のアカウントか root で消してください。"
out=$(as "$two" 077 drill たろう "$l6")
case "$out" in *"$note"*) ok "a pupil's file at user/.lock: named with its owner" ;; *) bad "no note naming user/.lock: $out" ;; esac
case "$out" in *"ok "*) ok "  ... and account 2's line lands" ;; *) bad "account 2's line: $out" ;; esac
case "$(as "$one" 022 read-history たろう)" in *"|$l6") ok "  ... at the end of たろう's history" ;; *) bad "たろう's history lacks the line" ;; esac
same "  ... no lock or temporary of it left" "" "$(cd "$room" && ls -A | grep '^\.pikazan')"
out="$(cd "$tmp" && setpriv --reuid="$three" --regid="$three" --init-groups -- "$pikazan" --repair-classroom "$room" 2>&1)"
case "$out" in *"$note"*) ok "the teacher's repair names it" ;; *) bad "the repair does not name user/.lock: $out" ;; esac
same "  ... and leaves it where it is" "$one" "$(stat -c %U "$room/user/.lock")"
finish
