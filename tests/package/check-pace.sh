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
# Every figure in milliseconds with one decimal, never below zero; the verdict line as the exit
# code says, and a pace judged ずれあり only when the verdict is.
if [ "$rc" = 0 ]; then
  verdict="判定: ずれなし（このパソコンは数字を1フレーム 16.7ms 以内に出せます）"; word="ずれなし"
else
  verdict="判定: ずれあり（このパソコンでは数字が1フレーム 16.7ms より遅れることがあります）"; word="W"
fi
same "what it prints, its figures in their shape" \
"教室フォルダではありません: $tmp（標準の設定でしらべます）
このパソコンで数字を出すタイミングをしらべています（15秒ほど）…
十段（3桁15口3秒・標準の設定）間隔99ms・N回
　おくれ 中央値Nms 99%値Nms 最大Nms
　表示 画面なし（はかっていません）
　表示までのおくれ 最大Nms・取りこぼしN回・$word
最速（3桁99口1秒）間隔1ms・N回
　おくれ 中央値Nms 99%値Nms 最大Nms
　表示 画面なし（はかっていません）
　表示までのおくれ 最大Nms・取りこぼしN回・$word
$verdict" \
  "$(sed -E '$!{s/[0-9]+\.[0-9]ms/Nms/g; s/[0-9]+回/N回/g}' "$tmp/out" |
     if [ "$rc" = 0 ]; then cat; else sed -E 's/・ずれ(なし|あり)$/・W/'; fi)"
if [ "$rc" = 1 ]; then
  check "  ... a pace judged ずれあり, as the verdict is" grep -q "・ずれあり$" "$tmp/out"
fi
check "  ... median, 99th percentile, worst in that order" \
  awk -F'[^0-9.]+' '/おくれ 中央値/ { if (!($2 + 0 <= $4 + 0 && $4 + 0 <= $5 + 0)) bad = 1; n++ } END { exit bad || n != 2 }' "$tmp/out"

env -u DISPLAY -u QT_QPA_PLATFORM "$pikazan" --check-pace "$tmp" extra >/dev/null 2>&1
same "an argument too many: usage, exit 2" 2 "$?"

finish
