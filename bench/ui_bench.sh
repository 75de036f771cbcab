#!/usr/bin/env bash
# Start-up time and peak memory of kiroku against a bare Qt Widgets window
# with one button, and the time from a player press to the item-2 picker
# with the journal and without it and with the 集計 screen open and closed
# (presses alternate, in one run), the 集計 screen's update at 2,000 events,
# 通算集計 over a folder of 200 games (its press, the screen thread's longest
# turn meanwhile, a change of a choice, its workbook, and player presses
# while it reads the folder and not, alternated),
# on a real X server (Xvfb), and the time to continue a run of 2,000 events.
# JOURNALS=N also starts kiroku with a journal folder of N saved runs of
# EVENTS (2,000) events each, none of them to offer; BASELINE=dir also starts
# another build's kiroku, both alternated with the rest. Run after a build:
#   [JOURNALS=200] [BASELINE=other/build] [RUNS=15] bench/ui_bench.sh [build dir]
set -euo pipefail
build=${1:-build}
runs=${RUNS:-15}
command -v Xvfb >/dev/null || { echo "needs Xvfb (apt-get install xvfb)"; exit 2; }
. "$(dirname "$0")/../scripts/xvfb.sh"
use_display 1280x800x24
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
work=$(mktemp -d)
mkdir -p "$work/data0"  # the probes' journals, never the user's
cd "$work"
probe() { echo "$1/bench/$2"; }
build=$(cd "$OLDPWD" && realpath "$build")
baseline=${BASELINE:+$(cd "$OLDPWD" && realpath "$BASELINE")}
# Every start in turn: the bare window, kiroku with an empty journal folder,
# kiroku with JOURNALS saved runs (when set), and the same two of a BASELINE
# build (when given), so that each sees the same machine.
variants=("bare" "kiroku|$build|$work/data0")
if [ -n "${JOURNALS:-}" ]; then
  "$(probe "$build" kiroku_probe)" journals "$work/data${JOURNALS}/kiroku/journal" "$JOURNALS" "${EVENTS:-2000}"
  echo "$JOURNALS journals, $(du -sh "$work/data${JOURNALS}/kiroku/journal" | cut -f1)"
  variants+=("kiroku, $JOURNALS journals|$build|$work/data${JOURNALS}")
fi
if [ -n "$baseline" ]; then
  variants+=("baseline|$baseline|$work/base0")
  if [ -n "${JOURNALS:-}" ]; then
    mkdir -p "$work/base${JOURNALS}" && cp -r "$work/data${JOURNALS}/kiroku" "$work/base${JOURNALS}/"
    variants+=("baseline, $JOURNALS journals|$baseline|$work/base${JOURNALS}")
  fi
fi
declare -A times peaks
for _ in $(seq "$runs"); do
  for v in "${variants[@]}"; do
    IFS='|' read -r name dir data <<<"$v"
    if [ "$name" = bare ]; then cmd=("$(probe "$build" bare_window_probe)"); else cmd=("$(probe "$dir" kiroku_probe)"); fi
    start=$(date +%s%N)
    out=$(XDG_DATA_HOME=${data:-$work/data0} "${cmd[@]}")
    end=$(date +%s%N)
    times[$name]+=" $(( (end - start) / 1000 ))"
    peaks[$name]=$(sed -n 's/^peak_kib //p' <<<"$out")
  done
done
for v in "${variants[@]}"; do
  name=${v%%|*}
  sorted=($(printf '%s\n' ${times[$name]} | sort -n))
  median=${sorted[$(( runs / 2 ))]} q1=${sorted[$(( runs / 4 ))]} q3=${sorted[$(( runs * 3 / 4 ))]}
  printf '%-26s median %d.%03d ms (quartiles %d.%03d to %d.%03d), peak %s KiB\n' "$name:" \
    $((median / 1000)) $((median % 1000)) $((q1 / 1000)) $((q1 % 1000)) $((q3 / 1000)) $((q3 % 1000)) "${peaks[$name]}"
done
export XDG_DATA_HOME=$work/data0
"$(probe "$build" kiroku_probe)" press | grep press
"$(probe "$build" kiroku_probe)" tally | grep -E "tally|press"
"$(probe "$build" kiroku_probe)" season | grep -E "season"
"$(probe "$build" kiroku_probe)" continue 2000 | grep continue || true  # builds without continuing print nothing
