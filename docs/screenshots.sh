#!/usr/bin/env bash
# Takes the README's screenshots as an operator sees the screens: kiroku on
# Xvfb (with openbox for title bars when it is installed), a sample game's
# setup read back with "Back Up", a few events recorded with the mouse, and
# three games saved for 通算集計.
# Usage: docs/screenshots.sh [build dir]   (needs xvfb, xdotool, imagemagick)
set -euo pipefail
docs=$(cd "$(dirname "$0")" && pwd)
kiroku=$(cd "${1:-$docs/../build}" && pwd)/app/kiroku
[ -x "$kiroku" ] || { echo "build kiroku first: cmake --build build --target kiroku"; exit 2; }
work=$(mktemp -d)
. "$docs/../scripts/game_driver.sh"
on_end() { rm -rf "$work"; }
pause=0.6 window_wait=30
export XDG_DATA_HOME=$work/data  # journals of its own: no earlier game is offered
use_display 1024x768x24
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  end_with_script $!
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
launch settei "$kiroku" || exit 1
framed() { # screen caption, file: the window with its frame
  import -frame -window "$(window "$1")" "$docs/$2"
}

sleep 2
click settei 114 228        # "Back Up"
click settei 383 220        # OK
typein $sheet 420 450 "20261208_"
framed $sheet setup-sheet.png

click $sheet 412 512        # 入力切替
click $rec 92 508           # スタート
play() { # team, player, item 2, item 3: a few seconds apart
  sleep 1.5
  event "$@"
}
play 1 3 2 1
play 2 2 1 2
play 1 5 1 1
play 1 10 3 1
play 2 4 4 3
play 1 7 2 2
sleep 1
framed $rec recording-screen.png
click $rec 512 508          # 集計
framed 集計 tally-screen.png

# Three games saved a week apart, for 通算集計 to add up.
xdotool windowraise "$(window $rec)"
click $rec 644 508          # 画面切り替え
click $sheet 552 448        # データ保存
for prefix in 20261215_ 20261222_; do
  typein $sheet 420 450 "$prefix"
  click $sheet 412 512      # 入力切替
  play 1 2 1 2
  play 2 6 2 1
  play 1 3 5 3
  click $rec 644 508        # 画面切り替え
  click $sheet 552 448      # データ保存
done
click $sheet 672 512        # 通算集計
sleep 2                     # the folder is read on its own thread
framed 通算集計 season-screen.png
echo "saved $docs/setup-sheet.png, $docs/recording-screen.png, $docs/tally-screen.png and $docs/season-screen.png"
