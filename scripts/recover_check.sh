#!/usr/bin/env bash
# Through the real program: starts kiroku on Xvfb, records a game with the
# mouse and keyboard (xdotool), presses データ保存 and データ登録 after the last
# press, kills kiroku with SIGKILL, and checks that kiroku-recover rebuilds
# exactly those files from the journal. Run after a build:
#   scripts/recover_check.sh [build dir]      (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
for tool in Xvfb xdotool cmp; do
  command -v $tool >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)"; exit 2; }
done
work=$(mktemp -d)
. "$root/scripts/game_driver.sh"
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work LANG=C.UTF-8
use_display 1280x800x24 "$work/xvfb.log"

mkdir -p "$work/run"
cd "$work/run"
# A backup file for "Back Up": team 1 佐藤軍, players ソン and B\2 (CP932).
printf '\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\nB\\2\r\n' > morvane.txt

# kiroku must be up with its start-up choice before any press.
launch settei "$build/app/kiroku" || exit 1

click settei 114 228          # Back Up
click settei 384 220          # OK
typein $sheet 110 110 Zed      # team 1, player 4
click $sheet 176 516           # コピー
typein $sheet 225 30 Rivals    # team 2's name
typein $sheet 420 66 Shoot     # item-2 labels
typein $sheet 536 66 Pass
typein $sheet 420 282 Left     # item-3 labels
typein $sheet 536 282 Right
typein $sheet 652 282 右側      # typed as Japanese: CP932 in the files
typein $sheet 420 450 game_    # the file-name prefix
click $sheet 412 512           # 入力切替
click $rec 92 508              # スタート
sleep 1.2
event 1 1 1 1
event 2 2 2 2
player 1 4; click $pick2 564 396                       # 修正 on the item-2 picker
player 2 1; item2 1; click $pick3 508 360; item2 2; item3 1  # 修正 on the item-3 picker
click $rec 380 508; item3 2                            # 修正 on the recording screen
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
for f in "$work/saved"/*; do
  name=$(basename "$f")
  if cmp "$f" "$work/recovered/$name"; then echo "same: $name"; else echo "DIFFERENT: $name"; status=1; fi
done
[ "$(ls "$work/recovered" | wc -l)" -eq 3 ] || { echo "recovered: $(ls "$work/recovered")"; status=1; }
if "$build/app/kiroku-recover" 1 --out "$work/recovered" 2>/dev/null; then
  echo "FAILED: an existing file was overwritten without --force"
  status=1
else
  echo "refused to overwrite without --force"
fi
if [ $status -eq 0 ] && [ -z "${KEEP_WORK:-}" ]; then
  rm -rf "$work"
else
  echo "files and screenshots in $work"
fi
exit $status
