#!/usr/bin/env bash
# Start-up time and peak memory of kiroku against a bare Qt Widgets window
# with one button, and the time from a player press to the item-2 picker
# with the journal and without it (presses alternate, in one run),
# on a real X server (Xvfb). Run after a build: bench/ui_bench.sh [build dir]
set -euo pipefail
build=${1:-build}
runs=${RUNS:-15}
command -v Xvfb >/dev/null || { echo "needs Xvfb (apt-get install xvfb)"; exit 2; }
. "$(dirname "$0")/../scripts/xvfb.sh"
start_xvfb 1280x800x24 || exit 1
trap 'kill $XVFB_PID' EXIT
export DISPLAY=$XVFB_DISPLAY
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
cd "$work"

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
