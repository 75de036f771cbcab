#!/usr/bin/env bash
# The real program ended by SIGTERM (as a logout or `systemctl stop` does) a
# moment after its last press: the press and the run's end are in the
# journal, and the program exits as after "終了".
# Usage: session_end_test.sh <build dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
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
printf '\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\n' >morvane.txt   # for "Back Up"

start_xvfb 1280x800x24 "$work/xvfb.log"
xvfb=$XVFB_PID
export DISPLAY=$XVFB_DISPLAY
"$build/app/kiroku" >"$work/kiroku.log" 2>&1 &
kiroku=$!
w=
for _ in $(seq 300); do
  w=$(xdotool search --onlyvisible --name '^settei$' 2>/dev/null | head -1) && [ -n "$w" ] && break
  sleep 0.1
done
[ -n "$w" ] || { echo "kiroku did not start"; cat "$work/kiroku.log"; exit 1; }
xdotool mousemove --window "$w" 114 228 click 1   # Back Up
sleep 0.3
xdotool mousemove --window "$w" 384 220 click 1   # OK: the backup's cells are recorded
sleep 0.05
kill -TERM "$kiroku"
status=0
wait "$kiroku" || status=$?
kiroku=
[ "$status" -eq 0 ] || { echo "FAIL: kiroku exited $status on SIGTERM"; exit 1; }
journal=$(ls "$XDG_DATA_HOME"/kiroku/journal/*.journal)
kinds=$(cut -f3 "$journal" | tr '\n' ' ')
echo "journal: $kinds"
case $kinds in
*"backup end ") echo "the last press and the end are in the journal" ;;
*) echo "FAIL: the journal does not end in the backup's record and the end"; exit 1 ;;
esac
