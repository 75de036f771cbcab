#!/usr/bin/env bash
# Wakeups of the whole kiroku process in 10 s idle on the setup sheet: the
# context switches (voluntary and not) of all its threads, from
# /proc/PID/task/*/status, before and after the 10 s.
#   [TALLY=1] bench/idle_wakeups.sh [build dir] [seconds]      (Linux, needs Xvfb and xdotool)
# TALLY=1 first opens the 集計 screen from the recording screen and goes back
# to the sheet, so that it stands open beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-10}
work=$(mktemp -d)
xvfb= kiroku=
cleanup() {
  [ -n "$kiroku" ] && kill -9 "$kiroku" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
. "$root/scripts/xvfb.sh"
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work LANG=C.UTF-8
cd "$work"
start_xvfb 1280x800x24 "$work/xvfb.log"
xvfb=$XVFB_PID
export DISPLAY=$XVFB_DISPLAY
"$build/app/kiroku" >"$work/kiroku.log" 2>&1 &
kiroku=$!
disown
w=
for _ in $(seq 300); do
  w=$(xdotool search --onlyvisible --name '^settei$' 2>/dev/null | head -1) && [ -n "$w" ] && break
  sleep 0.1
done
[ -n "$w" ] || { echo "kiroku did not start"; exit 1; }
xdotool mousemove --window "$w" 114 184 click 1   # New List
sleep 0.2
xdotool mousemove --window "$w" 384 220 click 1   # OK: the setup sheet
sleep 2
if [ -n "${TALLY:-}" ]; then
  xdotool mousemove --window "$(xdotool search --onlyvisible --name '^データ入力$' | head -1)" 412 512 click 1  # 入力切替
  sleep 0.5
  rec=$(xdotool search --onlyvisible --name '^項目１$' | head -1)
  xdotool mousemove --window "$rec" 512 508 click 1  # 集計
  sleep 0.5
  xdotool mousemove --window "$rec" 644 508 click 1  # 画面切り替え
  sleep 2
fi
[ -z "${SHOT:-}" ] || import -window root "$SHOT"
switches() {
  local total=0 v
  for f in /proc/"$kiroku"/task/*/status; do
    v=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s}' "$f" 2>/dev/null) || continue
    total=$((total + ${v:-0}))
  done
  echo "$total"
}
threads=$(ls /proc/"$kiroku"/task | wc -l)
before=$(switches)
sleep "$seconds"
after=$(switches)
echo "kiroku ($build): $((after - before)) wakeups in ${seconds} s idle on the setup sheet${TALLY:+ with 集計 open}, $threads threads"
