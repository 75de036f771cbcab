#!/usr/bin/env bash
# The real program ended by SIGTERM (as a logout or `systemctl stop` does) a
# moment after its last press: the press and the run's end are in the
# journal, and the program exits as after "終了".
# Usage: session_end_test.sh <build dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
. "$root/scripts/game_driver.sh"
linux_check
on_end() { rm -rf "$work"; }
export XDG_DATA_HOME=$work/data
cd "$work"
printf '\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\n' >morvane.txt   # for "Back Up"

launch settei "$build/app/kiroku" || exit 1
click settei 114 228 0.3   # Back Up
click settei 384 220 0.05  # OK: the backup's cells are recorded
stop_program TERM
[ "$stopped_with" -eq 0 ] || { echo "FAIL: kiroku exited $stopped_with on SIGTERM"; exit 1; }
journal=$(ls "$XDG_DATA_HOME"/kiroku/journal/*.journal)
kinds=$(cut -f3 "$journal" | tr '\n' ' ')
echo "journal: $kinds"
case $kinds in
*"backup end ") echo "the last press and the end are in the journal" ;;
*) echo "FAIL: the journal does not end in the backup's record and the end"; exit 1 ;;
esac
