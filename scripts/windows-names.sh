#!/usr/bin/env bash
# Gives kiroku.exe, under Wine, file-name prefixes that Windows refuses or
# would take for something else (a stream, a device, a shorter name), presses
# "データ保存" for each, and checks that every press failed with code 3 (the
# run's journal holds each save's code) and that no file of any name appeared
# in the folder. Then starts it from the temporary folder, as Explorer does
# from inside a zip, and checks that the warning comes before the start-up
# choice. Screenshots of the boxes are kept.
#   scripts/windows-names.sh [build-windows/app/kiroku.exe]
# Needs xvfb, xdotool, imagemagick, wine and fonts-ipafont-gothic.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$root/build-windows/app/kiroku.exe}")
out=${KIROKU_NAMES_OUT:-$root/build-windows/names}
rm -rf "$out/work" "$out/shots"
mkdir -p "$out/work" "$out/shots"

work=$out
. "$root/scripts/game_driver.sh"
use_display 1024x768x24 "$out/xvfb.log"
. "$root/scripts/wine_prefix.sh"
wine_prefix "$out/wineprefix"

offx=4 offy=23 pause=1.5 window_wait=60

# The prefixes, each followed by "list.xls" and "table.xls" when saved.
prefixes=('12:30' 'a?b' 'a*b' 'a<b' 'a>b' 'a|b' 'a"b' 'nul.' 'CON.' 'Com1.' 'lpt9.' 'aux/' 'dot./' 'blank /')
status=0
folder=$out/work  # where the saves go: nothing may appear in it
cd "$folder"
launch settei wine "$exe" || exit 1
sleep 2
click settei 186 185          # "New List"
click settei 384 220          # OK
n=0
for prefix in "${prefixes[@]}"; do
  n=$((n + 1))
  click データ入力 420 450      # the file-name prefix
  xdotool key ctrl+a BackSpace
  xdotool type --delay 80 "$prefix"
  sleep 0.5
  click データ入力 552 448      # データ保存
  if window kiroku 20 >/dev/null; then
    shot "$out/shots/$(printf %02d $n)-box.png"
    answer Return && gone kiroku || { echo "FAIL: the box for '$prefix' did not close"; status=1; }
  else
    echo "FAIL: no box for '$prefix'"; status=1
  fi
  left=$(ls -A "$folder")
  if [ -n "$left" ]; then echo "FAIL: '$prefix' left: $left"; status=1; rm -rf "${folder:?}"/* "${folder:?}"/.[!.]* 2>/dev/null || true; fi
done
click データ入力 672 448      # 終了
for _ in $(seq 20); do kill -0 "$program" 2>/dev/null || break; sleep 0.5; done
stop_program TERM
cd "$out"
wineserver --wait || true

# Each save's code, in the order of the presses.
journal=$(ls -t "$WINEPREFIX"/drive_c/users/*/AppData/Local/kiroku/journal/*.journal 2>/dev/null | head -n 1 || true)
codes=$( [ -n "$journal" ] && LC_ALL=C awk -F'\t' '$3 == "save" { printf "%s ", $4 }' "$journal" || true)
expected=$(for _ in "${prefixes[@]}"; do printf '3 '; done)
echo "codes of the ${#prefixes[@]} saves: $codes"
[ "$codes" = "$expected" ] || { echo "FAIL: expected $expected"; status=1; }

# Started from the temporary folder: the warning, then the start-up choice.
temp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
zip="$temp/Temp1_kiroku.zip"
mkdir -p "$zip"
cd "$zip"
launch '(kiroku|settei)' wine "$exe" || exit 1
cd "$out"
if window kiroku >/dev/null; then
  sleep 1
  shot "$out/shots/temp-warning.png"
  if shown settei; then
    echo "FAIL: the start-up choice came before the warning"; status=1
  fi
  answer Return && gone kiroku || { echo "FAIL: the warning did not close"; status=1; }
  if window settei 30 >/dev/null; then
    echo "warning shown in the temporary folder, then the start-up choice"
    shot "$out/shots/temp-choice.png"
  else
    echo "FAIL: no start-up choice after the warning"; status=1
  fi
else
  echo "FAIL: no warning in the temporary folder"; status=1
fi
stop_program TERM
wineserver -k || true
rm -rf "$zip"

echo "screenshots in $out/shots"
[ $status -eq 0 ] && echo "names check passed" || echo "names check FAILED"
exit $status
