#!/usr/bin/env bash
# A computer room on one shared folder, with real accounts: a group and two accounts in it, each with
# its own primary group and its own umask, on a setgid group folder (2775) laid out bare. Account 1
# registers a child and saves the settings; account 2 records a drill for that child, registers one
# of its own and saves the settings again. Every step must work, and every file and folder they made
# must be the group's, with the group's rights.
#   shared-room.sh <faults_helper>     (needs root; exits 77, skipped, otherwise)
set -uo pipefail
. "$(dirname "$0")/../support/shell.sh"
helper=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to make accounts"; exit 77; }
for tool in groupadd useradd setpriv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

tag="pz$$"
room_group="${tag}room" one="${tag}one" two="${tag}two"
tmp=$(mktemp -d)
cleanup() {
  userdel "$one" 2>/dev/null; userdel "$two" 2>/dev/null
  groupdel "$one" 2>/dev/null; groupdel "$two" 2>/dev/null; groupdel "$room_group" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
groupadd "$room_group"
for who in "$one" "$two"; do
  useradd -M -U -G "$room_group" -s /usr/sbin/nologin -d "$tmp" "$who" || exit 1
done

chmod 0755 "$tmp"
room="$tmp/room"
mkdir "$room" "$room/settei"
chgrp -R "$room_group" "$room"
chmod 2775 "$room" "$room/settei"

# as ACCOUNT UMASK helper-args...: the helper in the classroom folder, as that account.
as() {
  local who="$1" mask="$2"; shift 2
  (cd "$room" && umask "$mask" && setpriv --reuid="$who" --regid="$who" --init-groups -- "$helper" "$@" 2>&1)
}
modes() { stat -c '%a %G' "$room/$1" 2>/dev/null; }

line='１０級,2026/12/07,9,1,合格'
same "account 1 registers たろう (umask 022)" "ok" "$(as "$one" 022 register たろう pw1)"
same "account 1 saves the settings (umask 022)" "ok" "$(as "$one" 022 save-settings)"
same "account 2 records たろう's drill (umask 077)" "ok" "$(as "$two" 077 append たろう "$line")"
same "account 2 registers はなこ (umask 077)" "ok" "$(as "$two" 077 register はなこ pw2)"
same "account 2 saves the settings again (umask 077)" "ok" "$(as "$two" 077 save-settings)"
same "account 1 records はなこ's drill (umask 022)" "ok" "$(as "$one" 022 append はなこ "$line")"
same "たろう's history" "ok 級/段,日付,正解数,不正解数,合否|$line" "$(as "$two" 077 read-history たろう)"
same "はなこ's history" "ok 級/段,日付,正解数,不正解数,合否|$line" "$(as "$one" 022 read-history はなこ)"

same "user/ (made by account 1)" "2775 $room_group" "$(modes user)"
for f in user/たろう.dat user/たろう.psw user/はなこ.dat user/はなこ.psw settei/settei.dat; do
  same "$f" "664 $room_group" "$(modes "$f")"
done
same "nothing else left in user/" "たろう.dat たろう.psw はなこ.dat はなこ.psw" "$(cd "$room/user" && LC_ALL=C ls -A | tr '\n' ' ' | sed 's/ $//')"
finish
