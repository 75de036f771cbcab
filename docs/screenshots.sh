#!/usr/bin/env bash
# Takes the README's screenshots as an operator sees the screens: kiroku on
# Xvfb (with openbox for title bars when it is installed), a sample game's
# setup read back with "Back Up", and a few events recorded with the mouse.
# Usage: docs/screenshots.sh [build dir]   (needs xvfb, xdotool, imagemagick)
set -euo pipefail
docs=$(cd "$(dirname "$0")" && pwd)
kiroku=$(cd "${1:-$docs/../build}" && pwd)/app/kiroku
[ -x "$kiroku" ] || { echo "build kiroku first: cmake --build build --target kiroku"; exit 2; }
work=$(mktemp -d)
. "$docs/../scripts/xvfb.sh"
start_xvfb 1024x768x24 || exit 1
export DISPLAY=$XVFB_DISPLAY
pids=("$XVFB_PID")
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi

# A sample game: 54 lines of the backup file (team, 16 players, team, 16 players,
# 10 labels of item 2, 10 of item 3), in CP932 with CR LF.
{
  printf '%s\n' 青葉FC 佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 山田 '' '' '' ''
  printf '%s\n' 若草SC 松本 井上 木村 林 清水 山崎 森 池田 橋本 阿部 石川 '' '' '' '' ''
  printf '%s\n' シュート パス ドリブル タックル クリア '' '' '' '' ''
  printf '%s\n' 成功 失敗 ファウル '' '' '' '' '' '' ''
} | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$work/morvane.txt"

cd "$work"
"$kiroku" &
pids+=($!)

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
click() { # screen caption, x, y in its client area
  xdotool mousemove --window "$(window "$1")" "$2" "$3" click 1
  sleep 0.6
}
shot() { # screen caption, file
  import -frame -window "$(window "$1")" "$docs/$2"
}

sleep 2
click settei 114 228        # "Back Up"
click settei 383 220        # OK
xdotool mousemove --window "$(window データ入力)" 420 450 click --repeat 3 1 type "20261208_"
sleep 0.6
shot データ入力 setup-sheet.png

click データ入力 412 512    # 入力切替
click 項目１ 92 508         # スタート
event() { # player button (1-32), item-2 button (1-10), item-3 button (1-10)
  local k=$((($1 - 1) % 8)) tops=(248 296 360 408)
  sleep 1.5
  click 項目１ $((116 + 88 * k)) $((tops[($1 - 1) / 8] + 20))
  click 項目２ $((120 + 112 * (($2 - 1) % 5))) $((104 + 88 * (($2 - 1) / 5)))
  click 項目４ $((104 + 120 * (($3 - 1) % 5))) $((116 + 88 * (($3 - 1) / 5)))
}
event 3 2 1
event 18 1 2
event 5 1 1
event 10 3 1
event 20 4 3
event 7 2 2
sleep 1
shot 項目１ recording-screen.png
click 項目１ 512 508         # 集計
shot 集計 tally-screen.png
echo "saved $docs/setup-sheet.png, $docs/recording-screen.png and $docs/tally-screen.png"
