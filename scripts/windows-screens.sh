#!/usr/bin/env bash
# Shows all seven screens at the display scales of operators' laptops, keeps a
# screenshot of each, and checks that each screen lies wholly on the display
# (its buttons are inside it, so they can all be clicked).
#   scripts/windows-screens.sh linux [build/app/kiroku]       QT_SCALE_FACTOR on Xvfb
#   scripts/windows-screens.sh wine  [build-windows/app/kiroku.exe]   LogPixels in Wine
# Display sizes and scales: 1920x1080 at 100, 125, 150 and 175 %, 1366x768 at
# 100 and 125 %. Needs xvfb, xdotool, imagemagick (and wine for the second).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-linux}
case $mode in
  linux) binary=$(realpath "${2:-$root/build/app/kiroku}") ;;
  wine) binary=$(realpath "${2:-$root/build-windows/app/kiroku.exe}") ;;
  *) echo "usage: $0 linux|wine [program]" >&2; exit 2 ;;
esac
out=${KIROKU_SCREENS_OUT:-$root/build-windows/screens}/$mode
rm -rf "$out"
mkdir -p "$out"
cases=${KIROKU_SCREENS_CASES:-"1920x1080:96 1920x1080:120 1920x1080:144 1920x1080:168 1366x768:96 1366x768:120"}

work=$out
. "$root/scripts/game_driver.sh"
. "$root/scripts/wine_prefix.sh"

# A setup with a player on each team and labels on both pickers (CP932):
# 東高 with 佐藤; 西高 with 田中; item 2 ｼｭｰﾄ; item 3 成功.
write_backup() {
  local empty15='\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n'
  local empty9='\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n'
  printf '\x93\x8c\x8d\x82\r\n\x8d\xb2\x93\xa1\r\n'"$empty15" >"$1"
  printf '\x90\xbc\x8d\x82\r\n\x93\x63\x92\x86\r\n'"$empty15" >>"$1"
  printf '\xbc\xad\xb0\xc4\r\n'"$empty9" >>"$1"
  printf '\x90\xac\x8c\xf7\r\n'"$empty9" >>"$1"
}

pause=0.7 window_wait=60
status=0
# The screen's window, frame and all where the program draws its own, on the display.
check() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  id=$(window "$1")
  sleep "$pause"
  eval "$(xdotool getwindowgeometry --shell "$id")"
  shot "$out/$tag-$2.png"
  local verdict=fits
  if [ "$X" -lt 0 ] || [ "$Y" -lt 0 ] || [ $((X + WIDTH)) -gt "$sw" ] || [ $((Y + HEIGHT)) -gt "$sh" ]; then
    verdict=OUTSIDE
    status=1
  fi
  printf '%-14s %-12s %5d,%-5d %5dx%-5d %s\n' "$tag" "$2" "$X" "$Y" "$WIDTH" "$HEIGHT" "$verdict"
}

for c in $cases; do
  geometry=${c%%:*} dpi=${c##*:}
  sw=${geometry%x*} sh=${geometry#*x}
  scale=$(awk "BEGIN{print $dpi / 96}")
  tag=${geometry}-${dpi}
  use_display "${geometry}x24" "$out/xvfb.log"
  xvfb=$XVFB_PID
  dir=$out/$tag
  mkdir -p "$dir"
  write_backup "$dir/morvane.txt"
  cd "$dir"
  if [ "$mode" = linux ]; then
    # Journals of its own for each case: the last one was left with a game unsaved.
    XDG_DATA_HOME=$dir/data QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale launch settei "$binary" || exit 1
  else
    wine_prefix "$out/../wineprefix"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver --wait
    offx=$(awk "BEGIN{print int(4 * $scale)}") offy=$(awk "BEGIN{print int(23 * $scale)}") pause=1.5
    launch settei wine "$binary" || exit 1
  fi
  cd "$root"
  sleep 2
  check settei 5-choice
  click settei 186 231          # "Back Up"
  click settei 384 220          # OK
  check データ入力 1-sheet
  click データ入力 412 512      # 入力切替
  check 項目１ 2-recording
  click 項目１ 92 508           # スタート
  click 項目１ 116 268          # 佐藤
  check 項目２ 3-item2
  click 項目２ 120 104          # ｼｭｰﾄ
  check 項目４ 4-item3
  click 項目４ 104 116          # 成功
  click 項目１ 512 508          # 集計
  check 集計 6-tally
  xdotool windowraise "$(window 項目１)"  # 集計 covers part of it
  click 項目１ 644 508          # 画面切り替え
  click データ入力 672 512      # 通算集計
  check 通算集計 7-season
  stop_program TERM
  [ "$mode" = wine ] && { wineserver -k || true; }
  kill "$xvfb" 2>/dev/null || true
  sleep 0.5
done
echo "screenshots in $out"
[ $status -eq 0 ] && echo "every screen on the display" || echo "a screen lies OUTSIDE the display"
exit $status
