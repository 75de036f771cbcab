# Sourced by the scripts that drive the Linux kiroku with xdotool on an X
# display of their own. The caller sets $work, where a screenshot of the
# screen goes when an awaited window never shows.
#
# Coordinates are within a window's client area, as kiroku lays it out.
window() {  # the visible window of a caption
  local w
  for _ in $(seq 50); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  import -window root "$work/fail.png"
  exit 1
}
click() {  # caption, x, y within the window's client area
  local w
  w=$(window "$1") || exit 1
  xdotool mousemove --window "$w" "$2" "$3" click 1
  sleep 0.15
}
typein() {  # caption, x, y, text: replaces a field's text
  local w
  w=$(window "$1") || exit 1
  xdotool mousemove --window "$w" "$2" "$3" click --repeat 3 1
  sleep 0.1
  xdotool type --delay 20 "$4"
  xdotool key Return
  sleep 0.15
}
sheet=データ入力 rec=項目１ pick2=項目２ pick3=項目４
player() { click $rec $((116 + 88 * ((${2} - 1) % 8))) $(( ($1 == 1 ? 248 : 360) + (${2} > 8 ? 48 : 0) + 20 )); }
item2() { local x=(0 120 236 348 456 560); click $pick2 "${x[$1]}" 104; }
item3() { local x=(0 104 228 352 472 592); click $pick3 "${x[$1]}" 116; }
event() { player "$1" "$2"; item2 "$3"; item3 "$4"; }
