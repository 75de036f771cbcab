#!/usr/bin/env bash
# Wakeups of the whole kiroku process in 10 s idle on the setup sheet: the
# context switches (voluntary and not) of all its threads, from
# /proc/PID/task/*/status, before and after the 10 s.
#   [TALLY=1] [SEASON=1] bench/idle_wakeups.sh [build dir] [seconds]      (Linux, needs Xvfb and xdotool)
# TALLY=1 first opens the 集計 screen from the recording screen and goes back
# to the sheet, so that it stands open beside it; SEASON=1 opens 通算集計 over
# the folder, which holds a saved game.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-10}
. "$root/scripts/game_driver.sh"
linux_check
on_end() { rm -rf "$work"; }
export XDG_DATA_HOME=$work/data
cd "$work"
launch settei "$build/app/kiroku" || exit 1
click settei 114 184 0.2   # New List
click settei 384 220 2     # OK: the setup sheet
if [ -n "${TALLY:-}" ]; then
  click $sheet 412 512 0.5   # 入力切替
  click $rec 512 508 0.5     # 集計
  click $rec 644 508 2       # 画面切り替え
fi
if [ -n "${SEASON:-}" ]; then
  click $sheet 552 448 0.5   # データ保存: a game to read
  click $sheet 672 512 2     # 通算集計
fi
[ -z "${SHOT:-}" ] || shot "$SHOT"
switches() {
  local total=0 v
  for f in /proc/"$program"/task/*/status; do
    v=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s}' "$f" 2>/dev/null) || continue
    total=$((total + ${v:-0}))
  done
  echo "$total"
}
threads=$(ls /proc/"$program"/task | wc -l)
before=$(switches)
sleep "$seconds"
after=$(switches)
echo "kiroku ($build): $((after - before)) wakeups in ${seconds} s idle on the setup sheet${TALLY:+ with 集計 open}${SEASON:+ with 通算集計 open}, $threads threads"
