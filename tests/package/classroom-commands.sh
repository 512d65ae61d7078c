#!/usr/bin/env bash
# The administrator's classroom commands through the real program, without a display:
# pikazan --setup-classroom DIR and pikazan --set-master-password DIR, the password on standard
# input (a pipe, and a terminal where it is typed twice without echo); exit codes, the one line
# each prints, what lands on disk; and the teacher's pikazan --export-csv FILE [DIR] and
# pikazan --certificate NAME FILE.pdf [DIR], and pikazan --class-sheet(-blank) GRADE SET FILE.pdf [DIR].
# Usage: classroom-commands.sh <pikazan: the program or the launcher> <the classroom template>
set -u
pikazan="$(readlink -f "$1")"; template="$(readlink -f "$2")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/shell.sh"

# run <stdin text> <args...>: sets rc, out, err. No display of any kind: the commands need none.
run() {
  local input="$1"; shift
  printf '%s' "$input" | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$pikazan" "$@" \
    >"$tmp/out" 2>"$tmp/err"
  rc=$?; out="$(cat "$tmp/out")"; err="$(cat "$tmp/err")"
}
hex() { od -An -tx1 "$1" | tr -d ' \n'; }

# A shared room: a group-writable folder of some group other than root's, as IT makes it.
room="$tmp/共有 room"
mkdir "$room"
group="$(getent group users | cut -d: -f1)"; group="${group:-$(id -gn)}"
chgrp "$group" "$room" && chmod 0775 "$room"

run $'sensei 1\n' --setup-classroom "$room"
same "setup: exit 0" 0 "$rc"
same "  ... one line" "教室フォルダを用意しました: $room（グループ $group で共有）" "$out"
same "  ... nothing on stderr" "" "$err"
for f in settei/settei.dat wav/a.wav; do
  check "  ... $f is the template's" cmp -s "$template/$f" "$room/$f"
done
same "  ... the master password, one cp932 line with CR LF" "73656e7365692031" "$(hex "$room/user/master.psw" | sed 's/0d0a$//')"
same "  ... folders setgid and group-writable, of the room's group; user/ and wav/ sticky" \
  "drwxrwsr-x $group
drwxrwsr-t $group
drwxrwsr-t $group" "$(cd "$room" && stat -c '%A %G' settei user wav)"
same "  ... settings group-writable, the master password and the sound only group-readable" "-rw-rw-r-- $group
-rw-r----- $group
-rw-r--r-- $group" "$(cd "$room" && stat -c '%A %G' settei/settei.dat user/master.psw wav/a.wav)"

before="$(cd "$room" && find . -printf '%p %m %s\n' | sort; cat user/master.psw)"
run $'other\n' --setup-classroom "$room"
same "setup of a laid-out folder: exit 1" 1 "$rc"
check "  ... saying so on stderr, naming it, in one line" \
  test "$(wc -l <<<"$err")" = 1 -a -n "$(grep -F "もう用意されています: $room" <<<"$err")"
same "  ... nothing on stdout" "" "$out"
same "  ... nothing changed" "$before" "$(cd "$room" && find . -printf '%p %m %s\n' | sort; cat user/master.psw)"

run $'pw\n' --setup-classroom "$tmp/no such folder"
same "setup of a folder that does not exist: exit 1" 1 "$rc"
check "  ... naming it" grep -qF "見つかりません: $tmp/no such folder" <<<"$err"
check "  ... and not making it" test ! -e "$tmp/no such folder"

mkdir "$tmp/empty"
run '' --setup-classroom "$tmp/empty"
same "setup without a password on stdin: exit 1" 1 "$rc"
same "  ... nothing laid out" "" "$(ls -A "$tmp/empty")"

run $'新しい\r\n' --set-master-password "$room"
same "set-master-password: exit 0" 0 "$rc"
same "  ... one line" "マスターパスワードを変えました: $room" "$out"
same "  ... stored in cp932 (a CR LF typed in is one line end)" "905682b582a20d0a" "$(hex "$room/user/master.psw")"
same "  ... still the group's to read, nobody else's" "-rw-r----- $group" "$(stat -c '%A %G' "$room/user/master.psw")"
head -c 32768 /dev/zero | tr '\0' 'a' >"$tmp/long"; echo >>"$tmp/long"
run "$(cat "$tmp/long")" --set-master-password "$room"
same "a master password longer than the box takes: exit 1" 1 "$rc"
check "  ... naming the limit" grep -qF "32767文字まで" <<<"$err"
same "  ... the password kept" "905682b582a20d0a" "$(hex "$room/user/master.psw")"
run $'\n' --set-master-password "$room"
same "an empty master password: exit 1" 1 "$rc"
same "  ... the password kept" "905682b582a20d0a" "$(hex "$room/user/master.psw")"
run $'x\n' --set-master-password "$tmp/empty"
same "set-master-password on a folder without user/: exit 1" 1 "$rc"
check "  ... naming it" grep -qF "$tmp/empty" <<<"$err"

# A child's new password: the history untouched, the file's mode and group kept.
printf '\xe7\xb4\x9a/\xe6\x97\xa5\xe4\xbb\x98\r\n' >"$room/user/たろう.dat"
printf 'old\r\n' >"$room/user/たろう.psw"; chmod 0640 "$room/user/たろう.psw"
run $'neko 2\n' --set-password たろう "$room"
same "set-password: exit 0, one line" "0 たろうさんのパスワードを変えました: $room" "$rc $out"
same "  ... stored in cp932 with CR LF" "6e656b6f20320d0a" "$(hex "$room/user/たろう.psw")"
same "  ... mode and group kept" "-rw-r----- $group" "$(stat -c '%A %G' "$room/user/たろう.psw")"
same "  ... the history untouched" "e7b49a2fe697a5e4bb980d0a" "$(hex "$room/user/たろう.dat")"
run $'x\n' --set-password じろう "$room"
same "set-password for nobody: exit 1, naming the name" "1 1" "$rc $(grep -c 'じろう' <<<"$err")"
run $'\n' --set-password たろう "$room"
same "an empty password: exit 1, the password kept" "1 6e656b6f20320d0a" "$rc $(hex "$room/user/たろう.psw")"
run $'x\n' --set-password たろう
same "set-password in a folder that is no classroom: exit 1" 1 "$rc"
run '' --set-password
same "set-password without a name: usage, exit 2" 2 "$rc"
rm "$room/user/たろう.dat" "$room/user/たろう.psw"

# The class from a list: each line's outcome, the new children with the room's group, a list that
# is all new, and one that names no file.
printf 'saki,s1,3組\r\nken\r\n\r\nＳＡＫＩ\r\n' >"$tmp/list.csv"
run '' --add-users "$tmp/list.csv" "$room"
same "add-users with a look-alike: exit 1" 1 "$rc"
same "  ... the room, then line 1" "教室フォルダ: $room
1行目「saki」: 登録します（パスワード s1、組 3組）" "$(head -n 2 <<<"$out")"
check "  ... line 2's password made up, six easy characters" grep -qE '^2行目「ken」: 登録します（パスワード [a-hjkmnp-z2-9]{6}、作りました）$' <<<"$out"
same "  ... line 4 refused, the total" "4行目「ＳＡＫＩ」: 登録しません。1行目の「saki」と、文字の幅かかなの種類だけがちがいます
2人を登録しました（登録ずみ 0人、登録しなかった行 1）。" "$(tail -n 2 <<<"$out")"
same "  ... the password in cp932, of the room's group" "73310d0a -rw-r----- $group" "$(hex "$room/user/saki.psw") $(stat -c '%A %G' "$room/user/saki.psw")"
printf 'yuki\nmai\n' >"$tmp/list2.txt"
run '' --add-users "$tmp/list2.txt" "$room"
same "add-users, all new: exit 0" "0 2人を登録しました（登録ずみ 0人、登録しなかった行 0）。" "$rc $(tail -n 1 <<<"$out")"
run '' --add-users "$tmp/list2.txt" "$room"
same "  ... again: exit 1, each left as it is" "1 2" "$rc $(grep -c 'もう登録されています' <<<"$out")"
run '' --add-users "$tmp/no list" "$room"
same "add-users without a list: exit 2" 2 "$rc"
run '' --add-users
same "add-users without arguments: exit 2" 2 "$rc"
rm "$room/user/"{saki,ken,yuki,mai}.{dat,psw}

run '' --setup-classroom
same "no folder: usage, exit 2" 2 "$rc"
for option in --no-such-option --export-cvs; do
  run '' "$option"
  same "$option: usage on stderr, exit 2, no window tried" "2 使い方: pikazan " "$rc $(head -n 1 <<<"$err" | grep -o '^使い方: pikazan ')"
  same "  ... nothing on stdout" "" "$out"
done
run $'pw\n' --setup-classroom --teacher "no-such-account-$$" "$tmp/empty"
same "setup for a teacher's account that does not exist: exit 1" 1 "$rc"
same "  ... nothing laid out" "" "$(ls -A "$tmp/empty")"

# Two set-ups on one new folder at once: one lays it out, the other is refused and changes nothing.
wins=0
for try in $(seq 20); do
  race="$tmp/race$try"; mkdir "$race"; chgrp "$group" "$race"; chmod 2770 "$race"
  for who in 1 2; do
    (printf 'pw%s\n' "$who" | env -u DISPLAY "$pikazan" --setup-classroom "$race" >"$tmp/race.out$who" 2>&1
     echo $? >"$tmp/race.rc$who") &
  done
  wait
  rcs="$(cat "$tmp/race.rc1")$(cat "$tmp/race.rc2")"
  case "$rcs" in
    01) winner=1 loser=2 ;;
    10) winner=2 loser=1 ;;
    *) bad "race $try: exit codes $rcs: $(cat "$tmp/race.out1" "$tmp/race.out2")"; continue ;;
  esac
  if [ "$(tr -d '\r' <"$race/user/master.psw")" = "pw$winner" ] && grep -qF "もう用意されています" "$tmp/race.out$loser" \
     && [ "$(ls -A "$race/user" | grep -vx '\.lock' | paste -sd' ')" = "master.psw" ] && [ -z "$(ls -A "$race/user/.lock" 2>/dev/null)" ]; then
    wins=$((wins + 1))
  else
    bad "race $try: $(cat "$tmp/race.out$loser"), master.psw $(cat "$race/user/master.psw"), user/ $(ls -A "$race/user")"
  fi
done
same "20 races of two set-ups: one laid out, the other refused as laid out, each time" 20 "$wins"
run '' --set-master-password a b
same "two folders: usage, exit 2" 2 "$rc"

# On a terminal: asked twice, nothing echoed; two different entries change nothing.
tty() { # tty <first> <second> <args...>: the program on a pseudo-terminal; prints its screen, sets rc
  local first="$1" second="$2"; shift 2
  python3 - "$first" "$second" "$pikazan" "$@" <<'EOF' >"$tmp/screen"
import os, pty, select, signal, sys, time
first, second, argv = sys.argv[1], sys.argv[2], sys.argv[3:]
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
pid, fd = pty.fork()
if pid == 0:
    os.execve(argv[0], argv, env)
screen = b""
deadline = time.time() + 20
def read_until(text):
    global screen
    while (text is None or text.encode() not in screen) and time.time() < deadline:
        if not select.select([fd], [], [], 0.2)[0]:
            continue
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            return
        if not chunk:
            return
        screen += chunk
read_until("マスターパスワード: ")
os.write(fd, (first + "\n").encode())
read_until("もう一度: ")
os.write(fd, (second + "\n").encode())
read_until(None)
if time.time() >= deadline:
    os.kill(pid, signal.SIGKILL)
_, status = os.waitpid(pid, 0)
sys.stdout.write(screen.decode(errors="replace").replace("\r", ""))
sys.exit(os.waitstatus_to_exitcode(status))
EOF
  rc=$?
}
tty hidden-one hidden-two --set-master-password "$room"
same "a terminal, two different entries: exit 1" 1 "$rc"
check "  ... asked twice" grep -q 'マスターパスワード: .*もう一度: \|もう一度: ' "$tmp/screen"
check "  ... nothing typed is shown" test -z "$(grep -o 'hidden' "$tmp/screen")"
same "  ... the password kept" "905682b582a20d0a" "$(hex "$room/user/master.psw")"
tty secret7 secret7 --set-master-password "$room"
same "a terminal, the same entry twice: exit 0" 0 "$rc"
check "  ... nothing typed is shown" test -z "$(grep -o 'secret' "$tmp/screen")"
same "  ... stored" "736563726574370d0a" "$(hex "$room/user/master.psw")"

# The teacher's CSV export, without a display: the classroom is only read, the file goes where asked.
printf '級/段,日付,正解数,不正解数,合否\r\n１０級,2026/12/1,9,1,合格\r\n' | iconv -f UTF-8 -t CP932 >"$room/user/はな,こ.dat"
before="$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
mkdir "$tmp/csv"
cd "$tmp/csv" && run '' --export-csv k.csv "$room"; cd - >/dev/null
same "export-csv: exit 0" 0 "$rc"
same "  ... the folder it used, then what it did" "教室フォルダ: $room
1人の記録（1回分）を保存しました: $tmp/csv/k.csv" "$out"
same "  ... cp932, CR LF, the name quoted" \
  "$(printf '名前,級/段,日付,正解数,不正解数,合否\r\n"はな,こ",１０級,2026/12/1,9,1,合格\r\n' | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')" \
  "$(hex "$tmp/csv/k.csv")"
# No folder given: the program alone works in the current folder; the launcher takes the one the
# program would start in (here the user's own, which is the room through a link).
mkdir -p "$tmp/data/pikazan" && ln -s "$room" "$tmp/data/pikazan/classroom"
cd "$room" && PIKAZAN_CONF="$tmp/none.conf" XDG_DATA_HOME="$tmp/data" run '' --export-csv "$tmp/csv/here.csv"; cd - >/dev/null
same "export-csv with no folder given: exit 0" 0 "$rc"
check "  ... saying which folder" grep -qE "^教室フォルダ: ($room|$tmp/data/pikazan/classroom)\$" <<<"$out"
check "  ... the same file" cmp -s "$tmp/csv/k.csv" "$tmp/csv/here.csv"
run '' --export-csv "$room/user/k.dat" "$room"
same "export-csv into the classroom: exit 1" 1 "$rc"
check "  ... saying why" grep -qF "教室フォルダの中には保存できません" <<<"$err"
run '' --export-csv "$tmp/csv/x.csv" "$tmp/empty"
same "export-csv of a folder without user/: exit 1" 1 "$rc"
check "  ... naming it" grep -qF "$tmp/empty" <<<"$err"
same "  ... the classroom untouched by all of these" "$before" "$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
run '' --export-csv
same "export-csv without a file: usage, exit 2" 2 "$rc"

# The certificate: はな,こ has passed, ゆき has not.
printf '級/段,日付,正解数,不正解数,合否\r\n９級,2026/12/2,3,7,不合格\r\n' | iconv -f UTF-8 -t CP932 >"$room/user/ゆき.dat"
before="$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
run '' --certificate 'はな,こ' "$tmp/csv/c.pdf" "$room"
same "certificate: exit 0" 0 "$rc"
same "  ... the folder, then one line" "教室フォルダ: $room
はな,こさんの合格証（１０級）を保存しました: $tmp/csv/c.pdf" "$out"
same "  ... the page's text" "合格証 はな,こ さん １０級 合格 2026年12月1日 検定用ぴかざん" \
  "$(pdftotext "$tmp/csv/c.pdf" - | grep -E '合格証|さん$|級 合格|年|ぴかざん' | tr '\n' ' ' | sed 's/ $//')"
run '' --certificate 'ゆき' "$tmp/csv/y.pdf" "$room"
same "certificate without a pass: exit 1" 1 "$rc"
check "  ... saying so" grep -qF "ゆきさんにはまだ合格した級がありません" <<<"$err"
check "  ... no file" test ! -e "$tmp/csv/y.pdf"
run '' --certificate 'はな,こ' "$room/c.pdf" "$room"
same "certificate into the classroom: exit 1" 1 "$rc"
ln -s "$room/user/ゆき.dat" "$tmp/csv/link.pdf"
run '' --certificate 'はな,こ' "$tmp/csv/link.pdf" "$room"
same "certificate through a link to a history: exit 1, saying why" "1 1" "$rc $(grep -c 'リンク' <<<"$err")"
cp "$tmp/csv/c.pdf" "$tmp/good.pdf"
(trap '' XFSZ; ulimit -f 4; run '' --certificate 'はな,こ' "$tmp/csv/c.pdf" "$room"; echo "$rc" >"$tmp/rc")
same "certificate on a full disk: exit 1" 1 "$(cat "$tmp/rc")"
check "  ... the old certificate whole" cmp -s "$tmp/good.pdf" "$tmp/csv/c.pdf"
(trap - XFSZ; ulimit -f 4; run '' --certificate 'はな,こ' "$tmp/csv/c.pdf" "$room"; echo "$rc" >"$tmp/rc")
same "certificate past a file size limit, the signal not ignored: exit 1, no temporary left" "1 0" \
  "$(cat "$tmp/rc") $(find "$tmp/csv" -name '.pikazan-out-*' | wc -l)"
check "  ... the old certificate whole" cmp -s "$tmp/good.pdf" "$tmp/csv/c.pdf"
check "  ... no temporary left" test -z "$(find "$tmp/csv" -name '.pikazan-*')"
mkdir "$tmp/mnt"
if [ "$(id -u)" -eq 0 ] && mount --bind "$room" "$tmp/mnt" 2>/dev/null; then
  run '' --certificate 'はな,こ' "$tmp/mnt/user/ゆき.dat" "$room"
  same "certificate onto a history through a second mount: exit 1" 1 "$rc"
  run '' --export-csv "$tmp/mnt/user/evil.dat" "$room"
  same "export-csv into the classroom through a second mount: exit 1" 1 "$rc"
  umount "$tmp/mnt"
else
  echo "SKIP: a second mount of the classroom needs root"
fi
same "  ... the classroom untouched" "$before" "$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
mkdir -m 1777 "$tmp/public"
(umask 077; run '' --export-csv "$tmp/public/k.csv" "$room")
same "export-csv into a folder open to all follows the umask" 600 "$(stat -c %a "$tmp/public/k.csv")"
# Another classroom's history (its heading in cp932, and a line) is no file an export may replace.
mkdir -p "$tmp/other/user"
printf '\x8b\x89/\x92i,\x93\xfa\x95t,\x90\xb3\x89\xf0\x90\x94,\x95s\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\n1\x8b\x89,2024/1/01,9,1,\x8d\x87\x8ai\r\n' >"$tmp/other/user/jiro.dat"
cp "$tmp/other/user/jiro.dat" "$tmp/jiro.kept"
run '' --export-csv "$tmp/other/user/jiro.dat" "$room"
same "export-csv over another classroom's history: exit 1, naming it" "1 1" "$rc $(grep -c 'jiro.dat' <<<"$err")"
check "  ... that history whole" cmp -s "$tmp/jiro.kept" "$tmp/other/user/jiro.dat"
run '' --export-csv "$tmp/public/k.csv" "$room"
same "export-csv over an earlier export: exit 0" 0 "$rc"
# A name whose bytes are no UTF-8, and one ending in "/": refused, nothing written under another name.
run '' --export-csv "$tmp/public/$(printf 'k\377.csv')" "$room"
same "export-csv to a name that is no UTF-8: exit 1, nothing written" "1 1" "$rc $(ls -A "$tmp/public" | wc -l)"
run '' --certificate 'はな,こ' "$tmp/public/c.pdf/" "$room"
same "certificate to a name ending in /: exit 1, nothing written" "1 1" "$rc $(ls -A "$tmp/public" | wc -l)"
run '' --certificate 'はな,こ'
same "certificate without a file: usage, exit 2" 2 "$rc"

# みんなでフラッシュ's paper: the key and the answer sheet of a set, with the room's settings.
before="$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
run '' --class-sheet 10級 42 "$tmp/csv/key.pdf" "$room"
same "class-sheet: exit 0, the folder, then one line" "0 教室フォルダ: $room
「答え」（１０級　セット番号 0042）を保存しました: $tmp/csv/key.pdf" "$rc $out"
same "  ... the key's first and last questions" "1. 3 + 7 + 1 + 7 = 18|10. 7 + 6 + 8 + 9 = 30" \
  "$(pdftotext "$tmp/csv/key.pdf" - | grep -E '^(1|10)\. ' | paste -sd '|')"
run '' --class-sheet-blank 初段 ００４２ "$tmp/csv/sheet.pdf" "$room"
same "class-sheet-blank: exit 0, a full-width set number" "0 初段 セット番号 0042" \
  "$rc $(pdftotext -layout "$tmp/csv/sheet.pdf" - | grep -m1 'セット番号' | sed 's/[ 　]\+/ /g; s/^ //')"
check "  ... no sums on the answer sheet" test -z "$(pdftotext "$tmp/csv/sheet.pdf" - | grep -F ' = ')"
for bad in "11級|42" "10級|10000" "10級|-1" "10級|4 2" "|42"; do
  run '' --class-sheet "${bad%%|*}" "${bad#*|}" "$tmp/csv/bad.pdf" "$room"
  same "class-sheet ${bad}: usage, exit 2" "2 使い方" "$rc $(grep -o '^使い方' <<<"$err")"
done
check "  ... no file for any of them" test ! -e "$tmp/csv/bad.pdf"
run '' --class-sheet 10級 42 "$room/key.pdf" "$room"
same "class-sheet into the classroom: exit 1" 1 "$rc"
run '' --class-sheet-blank 10級 42 "$tmp/csv/link.pdf" "$room"
same "class-sheet-blank through a link to a history: exit 1" "1 1" "$rc $(grep -c 'リンク' <<<"$err")"
cp "$tmp/csv/key.pdf" "$tmp/goodkey.pdf"
(trap '' XFSZ; ulimit -f 4; run '' --class-sheet 10級 42 "$tmp/csv/key.pdf" "$room"; echo "$rc" >"$tmp/rc")
same "class-sheet on a full disk: exit 1, the old key whole" "1 same" "$(cat "$tmp/rc") $(cmp -s "$tmp/goodkey.pdf" "$tmp/csv/key.pdf" && echo same)"
same "  ... the classroom untouched by all of these" "$before" "$(cd "$room" && find . -printf '%p %m %s %T@\n' | sort)"
cp -r "$room" "$tmp/fast room" && printf '1\r\n4\r\n0.001\r\n' >"$tmp/fast"
tail -n +4 "$room/settei/settei.dat" >>"$tmp/fast" && cp "$tmp/fast" "$tmp/fast room/settei/settei.dat"
run '' --class-sheet 10級 42 "$tmp/csv/fast.pdf" "$tmp/fast room"
same "class-sheet of a grade too fast to flash: exit 1, saying so" "1 1" "$rc $(grep -c 'フラッシュできません' <<<"$err")"
run '' --class-sheet 10級 42
same "class-sheet without a file: usage, exit 2" 2 "$rc"
run '' --class-sheet-blank -n 3 10級 42 "$tmp/csv/three.pdf" "$room"
same "class-sheet-blank -n 3: exit 0, four sheets of three boxes" "0 4 4" \
  "$rc $(pdftotext "$tmp/csv/three.pdf" - | grep -c '名前') $(pdftotext -raw "$tmp/csv/three.pdf" - | grep -c '／3\|/3')"
run '' --class-sheet -n 3 10級 42 "$tmp/csv/key3.pdf" "$room"
same "class-sheet -n 3: exit 0, three questions" "0 3" "$rc $(pdftotext "$tmp/csv/key3.pdf" - | grep -c ' = ')"
run '' --class-sheet -n 11 10級 42 "$tmp/csv/key11.pdf" "$room"
same "class-sheet -n 11: usage, exit 2, nothing written" "2 no" "$rc $(test -e "$tmp/csv/key11.pdf" && echo yes || echo no)"

finish
