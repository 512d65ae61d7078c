#!/usr/bin/env bash
# pikazan --check-pace through the real program without a display (no DISPLAY, no QT_QPA_PLATFORM):
# the shape of what it prints and that its exit code says what its verdict line says. Whether this
# machine keeps the pace is not asserted: a loaded test machine may not.
# Usage: check-pace.sh <pikazan>
set -u
pikazan="$(readlink -f "$1")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/shell.sh"

# Not a classroom folder: the built-in 十段.
(cd "$tmp" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$pikazan" --check-pace >"$tmp/out" 2>"$tmp/err")
rc=$?
check "exit 0 or 1 (got $rc)" test "$rc" = 0 -o "$rc" = 1
same "nothing on stderr" "" "$(cat "$tmp/err")"
same "what it prints, its figures aside" \
"教室フォルダではありません: $tmp（標準の設定でしらべます）
このパソコンで数字を出すタイミングをしらべています（15秒ほど）…
十段（3桁15口3秒・標準の設定）間隔99ms・N回
　おくれ 中央値Nms 99%値Nms 最大Nms
　表示 画面なし（はかっていません）
　表示までのおくれ 最大Nms・取りこぼしN回・W
最速（3桁99口1秒）間隔1ms・N回
　おくれ 中央値Nms 99%値Nms 最大Nms
　表示 画面なし（はかっていません）
　表示までのおくれ 最大Nms・取りこぼしN回・W
判定: W（V）" \
  "$(sed -E 's/間隔([0-9]+)ms/間隔\1@/; s/-?[0-9]+(\.[0-9])?(ms|回)/N\2/g; s/ずれ(なし|あり)/W/g; s/^(判定: W)（.*）$/\1（V）/; s/@/ms/' "$tmp/out")"
if [ "$rc" = 0 ]; then verdict="判定: ずれなし"; else verdict="判定: ずれあり"; fi
check "  ... its verdict line agrees with the exit code" grep -q "^$verdict（" <(tail -n 1 "$tmp/out")

env -u DISPLAY -u QT_QPA_PLATFORM "$pikazan" --check-pace "$tmp" extra >/dev/null 2>&1
same "an argument too many: usage, exit 2" 2 "$?"

finish
