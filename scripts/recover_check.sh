#!/usr/bin/env bash
# Through the real program: starts kiroku on Xvfb, records a game with the
# mouse and keyboard (xdotool), presses データ保存 and データ登録 after the last
# press, kills kiroku with SIGKILL, and checks that kiroku-recover rebuilds
# exactly those files from the journal. Run after a build:
#   scripts/recover_check.sh [build dir]      (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
. "$root/scripts/game_driver.sh"
linux_check cmp
export XDG_DATA_HOME=$work/data

mkdir -p "$work/run"
cd "$work/run"
# A backup file for "Back Up": team 1 佐藤軍, players ソン and B\2 (CP932).
printf '\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\nB\\2\r\n' > morvane.txt

# kiroku must be up with its start-up choice before any press.
launch settei "$build/app/kiroku" || exit 1

filled_sheet
sleep 1.2
events_and_corrections
click $rec 244 508                                     # 中断/再開: paused
event 1 4 2 1
click $rec 244 508                                     # resumed
sleep 1.1
event 2 1 1 2
event 1 2 1 3
click $rec 644 508                                     # 画面切り替え
typein $sheet 536 66 Pass2                             # a label renamed after recording
click $sheet 552 448                                   # データ保存
click $sheet 552 512                                   # データ登録
shot "$work/before-kill.png"
sleep 0.3
stop_program

mkdir "$work/saved"
mv ./*list.xls ./*table.xls morvane.txt "$work/saved/"
echo "--- kiroku-recover --list"
"$build/app/kiroku-recover" --list
echo "--- kiroku-recover --out"
"$build/app/kiroku-recover" 1 --out "$work/recovered"   # saved, so named: the newest
status=0
same_files "$work/saved" "$work/recovered" || status=1
if "$build/app/kiroku-recover" 1 --out "$work/recovered" 2>/dev/null; then
  echo "FAILED: an existing file was overwritten without --force"
  status=1
else
  echo "refused to overwrite without --force"
fi
finish_check $status
