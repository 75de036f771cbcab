#!/usr/bin/env bash
# Start-up time and peak memory of kiroku against a bare Qt Widgets window
# with one button, and the time from a player press to the item-2 picker
# with the journal and without it and with the 集計 screen open and closed
# (presses alternate, in one run), the 集計 screen's update at 2,000 events,
# on a real X server (Xvfb), and the time to continue a run of 2,000 events.
# JOURNALS=N first fills the journal folder with N saved runs of EVENTS
# (2,000) events each, none of them to offer. Run after a build:
#   [JOURNALS=200] bench/ui_bench.sh [build dir]
set -euo pipefail
build=${1:-build}
runs=${RUNS:-15}
command -v Xvfb >/dev/null || { echo "needs Xvfb (apt-get install xvfb)"; exit 2; }
. "$(dirname "$0")/../scripts/xvfb.sh"
use_display 1280x800x24
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data  # the probes' journals, never the user's
cd "$work"
if [ -n "${JOURNALS:-}" ]; then
  "$OLDPWD/$build/bench/kiroku_probe" journals "$XDG_DATA_HOME/kiroku/journal" "$JOURNALS" "${EVENTS:-2000}"
  echo "$(ls "$XDG_DATA_HOME/kiroku/journal" | wc -l) journals, $(du -sh "$XDG_DATA_HOME/kiroku/journal" | cut -f1)"
fi

measure() {  # prints the median wall time in ms and the last peak memory
  local times=() peak=0 start end out
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    out=$("$@")
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
    peak=$(sed -n 's/^peak_kib //p' <<<"$out")
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  printf '%s.%03d ms, peak %s KiB\n' $((median / 1000)) $((median % 1000)) "$peak"
}

for round in 1 2; do
  echo "round $round"
  echo "  bare window: $(measure "$OLDPWD/$build/bench/bare_window_probe")"
  echo "  kiroku:      $(measure "$OLDPWD/$build/bench/kiroku_probe")"
done
"$OLDPWD/$build/bench/kiroku_probe" press | grep press
"$OLDPWD/$build/bench/kiroku_probe" tally | grep -E "tally|press"
"$OLDPWD/$build/bench/kiroku_probe" continue 2000 | grep continue || true  # builds without continuing print nothing
