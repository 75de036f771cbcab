#!/usr/bin/env bash
# Drives kiroku.exe under Wine and the Linux build of the same source through
# the same presses on an Xvfb display, then checks that both wrote the same
# export files under the right names, that 集計 and 通算集計 put the same
# Unicode text on the clipboard, and that 通算集計's workbooks hold the same
# cells. Screenshots of every screen are kept.
#   scripts/windows-smoke.sh [kiroku.exe] [linux kiroku]
# Needs xvfb, xdotool, imagemagick, xclip, wine, fonts-ipafont-gothic and
# python3-openpyxl.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build-windows/app/kiroku.exe}")
linux=$(realpath "${2:-$root/build/app/kiroku}")
out=${KIROKU_SMOKE_OUT:-$root/build-windows/smoke}

rm -rf "$out/linux" "$out/windows" "$out/shots"
mkdir -p "$out/linux" "$out/windows" "$out/shots"

work=$out
. "$root/scripts/game_driver.sh"
use_display 1024x768x24 "$out/xvfb.log"

. "$root/scripts/wine_prefix.sh"
wine_prefix "$out/wineprefix"

# The setup the operator read back with "Back Up", in CP932: team 1 東高 with
# 佐藤, 鈴木, 表; team 2 西高 with 田中, 山本, ソフト; item 2 ｼｭｰﾄ, パス, 反則;
# item 3 成功, 失敗, 表. 表 and ソ end in the byte of "\".
write_backup() {
  local empty13='\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n'
  local empty7='\r\n\r\n\r\n\r\n\r\n\r\n\r\n'
  printf '\x93\x8c\x8d\x82\r\n\x8d\xb2\x93\xa1\r\n\x97\xe9\x96\xd8\r\n\x95\x5c\r\n'"$empty13" >"$1"
  printf '\x90\xbc\x8d\x82\r\n\x93\x63\x92\x86\r\n\x8e\x52\x96\x7b\r\n\x83\x5c\x83\x74\x83\x67\r\n'"$empty13" >>"$1"
  printf '\xbc\xad\xb0\xc4\r\n\x83\x70\x83\x58\r\n\x94\xbd\x91\xa5\r\n'"$empty7" >>"$1"
  printf '\x90\xac\x8c\xf7\r\n\x8e\xb8\x94\x73\r\n\x95\x5c\r\n'"$empty7" >>"$1"
}

pause=0.5 window_wait=60
second=秋季表 book=通算集計_東高.xlsx
snap() { [ -z "${shots:-}" ] || shot "$out/shots/$shots-$1.png"; }

# Every press of the smoke test, by screen caption and the centre of the control.
drive() {
  sleep 2
  snap 1-startup-choice
  click settei 186 231          # "Back Up"
  click settei 384 220          # OK
  snap 2-setup-sheet
  click データ入力 412 512      # 入力切替
  window 項目１ >/dev/null
  snap 3-recording
  # スタート and at once 中断/再開, within the clock's first second: every
  # event is stamped 00：00 in both runs.
  click 項目１ 92 508 0
  click 項目１ 244 508
  # An event: 佐藤, ｼｭｰﾄ, 成功.
  click 項目１ 116 268
  window 項目２ >/dev/null
  snap 4-item2
  click 項目２ 120 104
  window 項目４ >/dev/null
  snap 5-item3
  click 項目４ 104 116
  # 田中 taken back on the item-2 picker, then 山本, パス taken back on the
  # item-3 picker, then 反則, 失敗.
  click 項目１ 116 380
  click 項目２ 564 396          # 修正
  click 項目１ 204 380
  click 項目２ 236 104
  click 項目４ 508 360          # 修正
  click 項目２ 348 104
  click 項目４ 228 116
  # The item-3 choice of that event taken back on the recording screen: 表.
  click 項目１ 380 508          # 修正
  click 項目４ 352 116
  # An event: 表, パス, 成功.
  click 項目１ 292 268
  click 項目２ 236 104
  click 項目４ 104 116
  snap 6-recording-events
  click 項目１ 512 508          # 集計
  window 集計 >/dev/null
  snap 7-tally
  click 集計 224 17             # コピー: the desktop's clipboard, as UTF-8
  xclip -o -selection clipboard >"$copied" || true
  xdotool windowraise "$(window 項目１)"  # 集計 covers part of it
  click 項目１ 644 508          # 画面切り替え
  click データ入力 552 448      # データ保存
  sleep 2
  snap 8-saved
  season
  xdotool windowraise "$(window データ入力)"  # 通算集計 covers part of it
  click データ入力 672 448      # 終了
}

# 通算集計 over the game just saved and the same game under a second Japanese
# prefix whose 表 ends in the byte of "\": both listed, the copy, and the
# workbook through the save dialog with the name it offers.
season() {
  local name
  for name in list.xls table.xls; do cp -p "$dir/ファイル名$name" "$dir/$second$name"; done
  click データ入力 672 512      # 通算集計
  window 通算集計 >/dev/null || return 0
  sleep 2                       # read on a thread of its own
  snap 9-season
  click 通算集計 568 224        # コピー
  xclip -o -selection clipboard >"$season_copied" || true
  click 通算集計 680 224        # Excel に保存
  local dialog
  dialog=$(window "Excel に保存" 10) || return 0
  snap 10-season-save
  xdotool windowfocus "$dialog" mousemove --window "$dialog" 20 20 sleep 0.5 key Return
  for _ in $(seq 50); do [ -f "$dir/$book" ] && break; sleep 0.2; done
}

run() {
  local dir=$1
  shift
  write_backup "$dir/morvane.txt"
  cd "$dir"
  launch settei "$@" || exit 1
  cd "$root"
  drive
  for _ in $(seq 20); do kill -0 "$program" 2>/dev/null || break; sleep 0.5; done
  stop_program TERM
}

echo "Linux build: $linux"
# A journal folder of its own: the user's could hold a game to offer.
export XDG_DATA_HOME=$out/linux-data
rm -rf "$XDG_DATA_HOME"
copied=$out/linux-copied.txt season_copied=$out/linux-season.txt shots=linux QT_QPA_PLATFORM=xcb run "$out/linux" "$linux"
echo "Windows build under Wine: $exe"
copied=$out/windows-copied.txt season_copied=$out/windows-season.txt offx=4 offy=23 pause=1.5 shots=windows run "$out/windows" wine "$exe"
wineserver --wait || true

status=0
list=$'\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe5\x90\x8d'  # ファイル名 as the desktop shows it
for name in "${list}list.xls" "${list}table.xls"; do
  if [ ! -f "$out/windows/$name" ] || [ ! -f "$out/linux/$name" ]; then
    echo "FAIL: $name missing"; ls "$out/windows" "$out/linux"; status=1
  elif cmp "$out/windows/$name" "$out/linux/$name"; then
    echo "same bytes: $name ($(wc -c <"$out/windows/$name") bytes)"
  else
    status=1
  fi
done
# Both runs recorded the events, not just empty lists: 佐藤 and 表 are in the list.
if [ $status -eq 0 ]; then
  LC_ALL=C grep -qF $'\x8d\xb2\x93\xa1' "$out/windows/${list}list.xls" &&
    LC_ALL=C grep -qF $'\x95\x5c\t' "$out/windows/${list}list.xls" || { echo "FAIL: events missing"; status=1; }
fi

# The copy of 集計 under Wine is the Linux build's, Unicode text with 佐藤 in it.
# Wine hands the desktop the Windows clipboard's text with its CR LF as LF.
if [ -s "$out/windows-copied.txt" ] && cmp "$out/windows-copied.txt" <(tr -d '\r' <"$out/linux-copied.txt") &&
  grep -qF 佐藤 "$out/windows-copied.txt"; then
  echo "same text: 集計's copy ($(wc -c <"$out/windows-copied.txt") bytes)"
else
  echo "FAIL: 集計's copy differs or is missing"; status=1
fi

# 通算集計 under Wine: the same copy as the Linux build's of the same folder,
# and a workbook with the same cells, both games listed under their Japanese
# prefixes (the dates are each folder's own).
if [ -s "$out/windows-season.txt" ] && cmp "$out/windows-season.txt" <(tr -d '\r' <"$out/linux-season.txt") &&
  grep -qF 佐藤 "$out/windows-season.txt"; then
  echo "same text: 通算集計's copy ($(wc -c <"$out/windows-season.txt") bytes)"
else
  echo "FAIL: 通算集計's copy differs or is missing"; status=1
fi
/usr/bin/python3 - "$out/linux/$book" "$out/windows/$book" ファイル名 "$second" <<'EOF' || status=1
import datetime, sys
import openpyxl

linux, windows = (openpyxl.load_workbook(f) for f in sys.argv[1:3])
failed = [f'sheets {windows.sheetnames} != {linux.sheetnames}'] if windows.sheetnames != linux.sheetnames else []
for name in linux.sheetnames:
    a, b = ([list(r) for r in book[name].iter_rows(values_only=True)] for book in (linux, windows))
    if name == '試合':
        failed += [f'試合 {b}'] if not all(isinstance(r[0], datetime.datetime) for r in b[1:]) else []
        failed += [f'試合 prefixes {b}'] if sorted(r[1] for r in b[1:]) != sorted(sys.argv[3:]) else []
        a, b = [r[1:] for r in a], [r[1:] for r in b]
    failed += [f'{name}: {b} != {a}'] if a != b else []
print('\n'.join(failed) or f'same cells: 通算集計\'s workbook, {len(linux.sheetnames)} sheets')
sys.exit(1 if failed else 0)
EOF

# A list file that may not be written: the error box of the file layer, and
# the file as it was.
if [ $status -eq 0 ]; then
  dir=$out/windows
  chmod a-w "$dir/${list}list.xls"
  before=$(md5sum <"$dir/${list}list.xls")
  offx=4 offy=23 pause=1.5
  cd "$dir"
  launch settei wine "$exe" || exit 1
  cd "$root"
  sleep 2
  click settei 186 185          # "New List"
  click settei 384 220          # OK
  click データ入力 552 448      # データ保存
  if window kiroku >/dev/null; then
    shot "$out/shots/windows-11-error-box.png"
    echo "error box shown for a read-only list file"
  else
    echo "FAIL: no error box"; status=1
  fi
  [ "$(md5sum <"$dir/${list}list.xls")" = "$before" ] || { echo "FAIL: read-only list file changed"; status=1; }
  chmod u+w "$dir/${list}list.xls"
  stop_program TERM
  wineserver -k || true
fi
echo "screenshots in $out/shots"
[ $status -eq 0 ] && echo "smoke test passed" || echo "smoke test FAILED"
exit $status
