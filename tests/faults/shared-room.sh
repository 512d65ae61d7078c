#!/usr/bin/env bash
# A computer room's shared classroom, with real accounts: IT (root) lays it out with
# pikazan --setup-classroom in a setgid folder of the room's group; then one pupil's account
# registers a child through the user store and another pupil's account appends that child's drill
# and registers a child of its own. Every file lands with the room's group and the folder's modes.
# Needs root (to make the group and the accounts, removed again at the end); skipped otherwise.
# The accounts use umask 002 here; that the usual 022 works as well is the folder's own business.
# Usage: shared-room.sh <pikazan> <faults_helper>
set -u
pikazan="$(readlink -f "$1")"; helper="$(readlink -f "$2")"
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root"; exit 77; }
for tool in setpriv useradd groupadd; do command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }; done

tag="pz$$$RANDOM"; tag="${tag:0:12}"
group="${tag}g"; one="${tag}a"; two="${tag}b"
tmp="$(mktemp -d)"
cleanup() {
  userdel "$one" 2>/dev/null; userdel "$two" 2>/dev/null; groupdel "$group" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
. "$(dirname "$0")/../support/shell.sh"

groupadd "$group" || { echo "cannot make a group"; exit 1; }
for account in "$one" "$two"; do
  useradd -M -N -G "$group" -d /nonexistent -s /usr/sbin/nologin "$account" || { echo "cannot make $account"; exit 1; }
done
chmod 0755 "$tmp"
room="$tmp/room"
mkdir "$room" && chgrp "$group" "$room" && chmod 2775 "$room"

printf 'sensei\n' | "$pikazan" --setup-classroom "$room" >"$tmp/out" 2>&1
same "IT lays the room out" "教室フォルダを用意しました: $room（グループ $group で共有）" "$(cat "$tmp/out")"

as() { # as <account> <helper args...>: the user store in the room, as that account would run it
  local account="$1"; shift
  (cd "$room" && umask 002 && setpriv --reuid="$account" --regid=users --init-groups -- "$helper" "$@") 2>&1
}
same "account 1 registers a child" "ok" "$(as "$one" register はな pw1)"
same "account 2 reads the child's password" "ok pw1" "$(as "$two" read-password はな)"
same "account 2 appends the child's drill" "ok" "$(as "$two" append はな '１０級,2026/12/07,9,1,合格')"
same "account 2 registers a child of its own" "ok" "$(as "$two" register たろう pw2)"
same "account 1 appends to that one" "ok" "$(as "$one" append たろう '９級,2026/12/07,5,5,不合格')"
same "every line landed" "ok 級/段,日付,正解数,不正解数,合否|１０級,2026/12/07,9,1,合格" "$(as "$one" read-history はな)"
same "  ... in both histories" "ok 級/段,日付,正解数,不正解数,合否|９級,2026/12/07,5,5,不合格" "$(as "$two" read-history たろう)"
same "every folder and file carries the room's group" "" \
  "$(find "$room" ! -group "$group" -printf '%p %g\n')"
same "the folders are setgid and group-writable" "" \
  "$(find "$room" -mindepth 1 -type d ! -perm -2070 -printf '%p %m\n')"
same "the files are group-readable and writable" "" \
  "$(find "$room" -type f ! -perm -0060 -printf '%p %m\n')"

finish
