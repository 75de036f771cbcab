#!/usr/bin/env bash
# Through the real program: records a game on Xvfb with the mouse and keyboard
# (xdotool), kills kiroku with SIGKILL right after a player press, starts it
# again, answers its offer with Enter, finishes the event, records more and
# presses データ保存 and データ登録. The files must be byte for byte those of
# the same presses made in one run that was never interrupted. The continued
# run also opens 集計 and copies it just before データ保存: the copy must be
# the table file's blocks over all categories, and opening it must change
# no file. The clock is
# paused right after スタート, so every event of both runs is stamped 00:00.
# Run after a build:
#   scripts/continue_check.sh [build dir]     (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
. "$root/scripts/game_driver.sh"
linux_check cmp xclip iconv

# The game up to a player press whose event is left open.
before_the_crash() {
  filled_sheet
  click $rec 244 508             # 中断/再開: the clock stands at 00:00
  events_and_corrections
  event 1 4 2 1
  player 2 2                                             # half entered
}
after_the_crash() {
  item2 2; item3 1
  [ -z "${1:-}" ] || shot "$1"
  event 1 2 1 3
  event 2 1 1 2
  click $rec 380 508; item3 3                            # 修正 on a continued event
  if [ -n "${1:-}" ]; then
    click $rec 512 508                                   # 集計
    shot "$work/tally.png"
    click 集計 224 17                                    # コピー
    xclip -o -selection clipboard | iconv -f UTF-8 -t CP932 >"$work/copied.txt"
    xdotool windowraise "$(window $rec)"                 # 集計 covers part of it on a narrow display
  fi
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
if shown settei; then
  echo "FAILED: the start-up choice was shown"; exit 1
fi
after_the_crash "$work/continued-recording.png"
stop_program

status=0
same_files "$work/whole" "$work/continued" || status=1
# Team 1's block over all categories (lines 191 to 208), an empty line, team 2's (400 to 417).
awk 'BEGIN { FS = OFS = "\t" } (NR >= 191 && NR <= 208) || NR == 399 || (NR >= 400 && NR <= 417) {
       line = ""; if (NR != 399) { line = $1; for (j = 2; j <= 12; ++j) line = line OFS $j }
       print line "\r" }' RS='\r\n' ORS='\n' "$work/continued/game_table.xls" >"$work/expected-copy.txt"
if cmp "$work/expected-copy.txt" "$work/copied.txt"; then echo "same: 集計's copy"; else echo "DIFFERENT: 集計's copy"; status=1; fi
finish_check $status
