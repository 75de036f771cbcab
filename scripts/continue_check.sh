#!/usr/bin/env bash
# Through the real program: records a game on Xvfb with the mouse and keyboard
# (xdotool), kills kiroku with SIGKILL right after a player press, starts it
# again, answers its offer with Enter, finishes the event, records more and
# presses データ保存 and データ登録. The files must be byte for byte those of
# the same presses made in one run that was never interrupted. The clock is
# paused right after スタート, so every event of both runs is stamped 00:00.
# Run after a build:
#   scripts/continue_check.sh [build dir]     (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
for tool in Xvfb xdotool cmp; do
  command -v $tool >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)"; exit 2; }
done
work=$(mktemp -d)
. "$root/scripts/game_driver.sh"
export XDG_RUNTIME_DIR=$work LANG=C.UTF-8
use_display 1280x800x24 "$work/xvfb.log"

# The game up to a player press whose event is left open.
before_the_crash() {
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
  click $rec 244 508             # 中断/再開: the clock stands at 00:00
  event 1 1 1 1
  event 2 2 2 2
  player 1 4; click $pick2 564 396                       # 修正 on the item-2 picker
  player 2 1; item2 1; click $pick3 508 360; item2 2; item3 1  # 修正 on the item-3 picker
  click $rec 380 508; item3 2                            # 修正 on the recording screen
  event 1 4 2 1
  player 2 2                                             # half entered
}
after_the_crash() {
  item2 2; item3 1
  [ -z "${1:-}" ] || shot "$1"
  event 1 2 1 3
  event 2 1 1 2
  click $rec 380 508; item3 3                            # 修正 on a continued event
  click $rec 644 508                                     # 画面切り替え
  click $sheet 552 448                                   # データ保存
  click $sheet 552 512                                   # データ登録
  sleep 0.3
}
# A backup file for "Back Up": team 1 佐藤軍, players ソン and B\2 (CP932).
backup_file() { printf '\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\nB\\2\r\n' > morvane.txt; }

echo "--- never interrupted"
export XDG_DATA_HOME=$work/data-whole
mkdir -p "$work/whole" && cd "$work/whole" && backup_file
launch settei "$build/app/kiroku" || exit 1
before_the_crash
after_the_crash
stop_program

echo "--- killed after a player press, continued"
export XDG_DATA_HOME=$work/data-continued
mkdir -p "$work/continued" && cd "$work/continued" && backup_file
launch settei "$build/app/kiroku" || exit 1
before_the_crash
sleep 0.5                      # the journal writes within about 25 ms
stop_program
rm morvane.txt                 # the game must come back from the journal alone
launch kiroku "$build/app/kiroku" || { echo "FAILED: no offer of the unsaved game"; exit 1; }
sleep 0.3
shot "$work/offer.png"
answer Return                  # the default answer: 続きから記録
window $pick2 >/dev/null || { echo "FAILED: the half-entered event's picker is not shown"; exit 1; }
sleep 0.3
shot "$work/continued.png"
if xdotool search --onlyvisible --name '^settei$' >/dev/null 2>&1; then
  echo "FAILED: the start-up choice was shown"; exit 1
fi
after_the_crash "$work/continued-recording.png"
stop_program

status=0
for f in "$work/whole"/*; do
  name=$(basename "$f")
  if cmp "$f" "$work/continued/$name"; then echo "same: $name"; else echo "DIFFERENT: $name"; status=1; fi
done
[ "$(ls "$work/whole" | wc -l)" -eq 3 ] || { echo "files: $(ls "$work/whole")"; status=1; }
if [ $status -eq 0 ] && [ -z "${KEEP_WORK:-}" ]; then
  rm -rf "$work"
else
  echo "files and screenshots in $work"
fi
exit $status
