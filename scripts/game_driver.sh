# Sourced by the scripts that drive kiroku with xdotool on an X display of
# their own: the Linux program, or kiroku.exe under Wine. The caller sets
# $work, where the program's output goes (kiroku.log) and a screenshot when
# an awaited window never shows (fail.png).
#
# Settings, each with its default:
#   offx=0 offy=0  where the client area starts within the X window (Wine
#                  draws a frame of its own: 4 and 23 at 100 %)
#   scale=1        the display's scale: coordinates are given at 100 %
#   pause=0.15     seconds after each press
#   window_wait=5  seconds a window is awaited
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
offx=${offx:-0} offy=${offy:-0} scale=${scale:-1} pause=${pause:-0.15} window_wait=${window_wait:-5}
program=

# needs TOOL...: ends the script (status 2) when a tool is not installed.
needs() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/deps.sh lists the test packages)"; exit 2; }
  done
}
# linux_display: an Xvfb of 1280x800 for the Linux program, its log in $work,
# and kiroku's runtime folder there and a UTF-8 locale.
linux_display() {
  export XDG_RUNTIME_DIR=$work LANG=C.UTF-8
  use_display 1280x800x24 "$work/xvfb.log"
}
# linux_check [TOOL...]: a check of the Linux program begins: Xvfb, xdotool
# and the tools given are there, $work is new, and linux_display.
linux_check() {
  needs Xvfb xdotool "$@"
  work=$(mktemp -d)
  linux_display
}
# same_files EXPECTED GOT: the three files that データ保存 and データ登録
# write, in both folders, byte for byte the same.
same_files() {
  local f name same=0
  for f in "$1"/*; do
    name=$(basename "$f")
    if cmp "$f" "$2/$name"; then echo "same: $name"; else echo "DIFFERENT: $name"; same=1; fi
  done
  for f in "$1" "$2"; do [ "$(ls "$f" | wc -l)" -eq 3 ] || { echo "files in $f: $(ls "$f")"; same=1; }; done
  return $same
}
# finish_check STATUS: exits with it, and keeps $work only when the check
# failed or KEEP_WORK is set.
finish_check() {
  if [ "$1" -eq 0 ] && [ -z "${KEEP_WORK:-}" ]; then rm -rf "$work"; else echo "files and screenshots in $work"; fi
  exit "$1"
}

# shot FILE: the whole screen, where ImageMagick is installed.
shot() { ! command -v import >/dev/null || import -window root "$1" 2>/dev/null || true; }

shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }  # caption: one is on the screen now
window() {  # caption [seconds]: the visible window of a caption
  local w
  for _ in $(seq $((${2:-$window_wait} * 10))); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1) && [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  shot "$work/fail.png"
  return 1
}
gone() {  # caption [seconds]: true once no window of the caption is visible
  for _ in $(seq $((${2:-$window_wait} * 10))); do
    shown "$1" || return 0
    sleep 0.1
  done
  return 1
}
at() {  # x or y at 100 %, and the offset: within the X window
  if [ "$scale" = 1 ]; then echo $(($2 + $1)); else awk "BEGIN{print int($2 + $1 * $scale)}"; fi
}
click() {  # caption, x, y within the window's client area [, pause]
  local w
  w=$(window "$1") || exit 1
  xdotool mousemove --window "$w" "$(at "$2" "$offx")" "$(at "$3" "$offy")" click 1
  sleep "${4:-$pause}"
}
typein() {  # caption, x, y, text: replaces a field's text
  local w
  w=$(window "$1") || exit 1
  xdotool mousemove --window "$w" "$(at "$2" "$offx")" "$(at "$3" "$offy")" click --repeat 3 1
  sleep 0.1
  if LC_ALL=C grep -q '[^ -~]' <<<"$4"; then
    # xdotool types a character outside the keymap by remapping a key for a
    # moment, and on a busy machine the first one can be lost: paste it.
    printf %s "$4" | xclip -selection clipboard
    xdotool key ctrl+v
  else
    xdotool type --delay 20 "$4"
  fi
  xdotool key Return
  sleep "$pause"
}
# The answer to the box captioned kiroku: a key (Return, Escape), given where
# the pointer is.
answer() {
  local w
  w=$(window kiroku) || return 1
  xdotool mousemove --window "$w" 20 20
  sleep 0.1
  xdotool key "$1"
  sleep "$pause"
}

# launch CAPTION COMMAND...: starts the program in the background ($program)
# and waits for its window of that caption; a start that cannot reach the
# display is tried again.
launch() {
  local caption=$1 attempt
  shift
  end_with_script
  for attempt in 1 2 3; do
    "$@" >>"$work/kiroku.log" 2>&1 &
    program=$!
    for _ in $(seq 300); do
      shown "$caption" && return 0
      kill -0 "$program" 2>/dev/null || break
      sleep 0.1
    done
    echo "no \"$caption\" from $1 (attempt $attempt):"
    tail -n 20 "$work/kiroku.log"
    stop_program
  done
  return 1
}
# stop_program [SIGNAL]: ends the program (at once, as a crash or a flat
# battery would, unless a signal is given) and waits for it; its exit status
# in $stopped_with.
stop_program() {
  [ -n "$program" ] || return 0
  kill -"${1:-KILL}" "$program" 2>/dev/null || true
  stopped_with=0
  wait "$program" 2>/dev/null || stopped_with=$?
  program=
}

# The screens' captions and the presses of a game.
sheet=データ入力 rec=項目１ pick2=項目２ pick3=項目４
player() { click $rec $((116 + 88 * ((${2} - 1) % 8))) $(( ($1 == 1 ? 248 : 360) + (${2} > 8 ? 48 : 0) + 20 )); }
item2() { local x=(0 120 236 348 456 560); click $pick2 "${x[($1 - 1) % 5 + 1]}" $((104 + ($1 > 5 ? 88 : 0))); }
item3() { local x=(0 104 228 352 472 592); click $pick3 "${x[($1 - 1) % 5 + 1]}" $((116 + ($1 > 5 ? 88 : 0))); }
event() { player "$1" "$2"; item2 "$3"; item3 "$4"; }

# From the start-up choice: a sheet read back with "Back Up" and typed on
# (names, labels, one typed in Japanese, and the file-name prefix), then
# 入力切替 and スタート.
filled_sheet() {
  click settei 114 228          # Back Up
  click settei 384 220          # OK
  typein $sheet 110 110 Zed      # team 1, player 4
  click $sheet 176 516           # コピー
  typein $sheet 225 30 Rivals    # team 2's name
  typein $sheet 420 66 Shoot     # item-2 labels
  typein $sheet 536 66 Pass
  typein $sheet 420 282 Left     # item-3 labels
  typein $sheet 536 282 Right
  typein $sheet 652 282 右側      # entered as Japanese: CP932 in the files
  typein $sheet 420 450 game_    # the file-name prefix
  click $sheet 412 512           # 入力切替
  click $rec 92 508              # スタート
}
# Two events, then a correction on each of the three screens.
events_and_corrections() {
  event 1 1 1 1
  event 2 2 2 2
  player 1 4; click $pick2 564 396                       # 修正 on the item-2 picker
  player 2 1; item2 1; click $pick3 508 360; item2 2; item3 1  # 修正 on the item-3 picker
  click $rec 380 508; item3 2                            # 修正 on the recording screen
}
