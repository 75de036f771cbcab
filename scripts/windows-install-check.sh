#!/usr/bin/env bash
# Proves the Windows installer under Wine, in a Wine prefix and an Xvfb of
# its own: a silent install, the Start-menu shortcut and its working folder,
# the uninstall entry, kiroku started as the shortcut starts it writing
# "データ保存"'s files into Documents\kiroku, and a silent uninstall that
# removes the program and keeps those files and the journal.
#   scripts/windows-install-check.sh [setup.exe] [--no-run]
# --no-run leaves out starting kiroku (for an installer built around a
# stand-in exe). Needs wine, xvfb, xdotool, imagemagick, fonts-ipafont-gothic.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(kiroku VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
setup=$(realpath "${1:-$root/build-windows/kiroku-$version-setup.exe}")
run_kiroku=1
[ "${2:-}" = --no-run ] && run_kiroku=0
out=${KIROKU_INSTALL_CHECK_OUT:-$root/build-windows/install-check}

rm -rf "$out" && mkdir -p "$out/home"
status=0
fail() { echo "FAIL: $*"; status=1; }

work=$out
. "$root/scripts/game_driver.sh"
on_end() { wineserver -k 2>/dev/null || true; }
use_display 1024x768x24 "$out/xvfb.log"

# A home of its own, so that the prefix's Documents is no folder of this machine's user.
# Wine needs a UTF-8 locale to pass Japanese names on.
export LC_ALL=C.UTF-8
export HOME=$out/home
. "$root/scripts/wine_prefix.sh"
wine_prefix "$out/wineprefix"

# The folders as Windows names them, and where they are below the prefix.
winvar() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix() { winepath -u "$1" 2>/dev/null; }
local_app=$(winvar LOCALAPPDATA)
profile=$(winvar USERPROFILE)
programs="$local_app\\Programs\\kiroku"
documents="$profile\\Documents\\kiroku"
menu=$(unix "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
lnk="$menu/試合記録 kiroku.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\kiroku'

echo "silent install of $setup"
wine "$setup" /S
wineserver --wait
for file in kiroku.exe kiroku-recover.exe uninstall.exe readme.txt LICENSE.txt; do
  [ -s "$(unix "$programs\\$file")" ] || fail "$file is not in $programs"
done
# A few of the notices, those of libxlsxwriter and what it bundles among them.
for notice in Qt-LGPL-3.0.txt libxlsxwriter.txt MPL-2.0.txt zlib.txt; do
  [ -s "$(unix "$programs\\notices\\$notice")" ] || fail "notices\\$notice is not in $programs"
done

if [ -f "$lnk" ]; then
  fields=$("$root/scripts/lnk_fields.py" "$lnk")
  echo "$fields" | sed 's/^/shortcut: /'
  [ "$(echo "$fields" | sed -n 's/^workdir=//p')" = "$documents" ] || fail "the shortcut's working folder is not $documents"
  [ "$(echo "$fields" | sed -n 's/^target=//p')" = "$programs\\kiroku.exe" ] || fail "the shortcut does not start kiroku.exe"
else
  fail "no Start-menu shortcut $lnk"
fi

# Exported as a .reg file (UTF-16), which keeps the Japanese name that the
# console's code page would not.
wine reg export "$key" "$(winepath -w "$out/entry.reg")" /y >/dev/null 2>&1 || true
iconv -f UTF-16 -t UTF-8 "$out/entry.reg" 2>/dev/null | tr -d '\r' >"$out/uninstall-entry.txt" || true
sed -n 's/^"/entry: "/p' "$out/uninstall-entry.txt"
value() { sed -n "s/^\"$1\"=//p" "$out/uninstall-entry.txt" | sed -e 's/^"\(.*\)"$/\1/' -e 's/\\\(.\)/\1/g'; }
[ "$(value DisplayName)" = "試合記録 kiroku" ] || fail "DisplayName"
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion"
[ -n "$(value Publisher)" ] || fail "Publisher"
[ "$(value DisplayIcon)" = "$programs\\kiroku.exe,0" ] || fail "DisplayIcon"
[ "$(value InstallLocation)" = "$programs" ] || fail "InstallLocation"
[ "$(value UninstallString)" = "\"$programs\\uninstall.exe\"" ] || fail "UninstallString"
[ "$(value QuietUninstallString)" = "\"$programs\\uninstall.exe\" /S" ] || fail "QuietUninstallString"
for dword in NoModify NoRepair; do [ "$(value $dword)" = dword:00000001 ] || fail "$dword"; done
size=$(value EstimatedSize)
[ "$((16#${size#dword:}))" -gt 0 ] || fail "EstimatedSize"

list=$'\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe5\x90\x8d'  # ファイル名 as the desktop shows it
saved=$(unix "$documents")
if [ $run_kiroku = 1 ]; then
  # Started as the shortcut starts it: its target in its working folder.
  offx=4 offy=23 pause=1.5 window_wait=60
  wine start /d "$documents" "$programs\\kiroku.exe" >"$out/kiroku.log" 2>&1
  window settei >/dev/null
  sleep 2
  shot "$out/started.png"
  click settei 186 185          # "New List"
  click settei 384 220          # OK
  click データ入力 552 448      # データ保存
  sleep 2
  shot "$out/saved.png"
  click データ入力 672 448      # 終了
  wineserver --wait
  for name in "${list}list.xls" "${list}table.xls"; do
    [ -s "$saved/$name" ] || fail "データ保存 did not write $name into $documents"
  done
  ls "$(unix "$local_app\\kiroku\\journal")"/*.journal >/dev/null 2>&1 || fail "no journal in $local_app\\kiroku\\journal"
else
  # What the operator's files stand for when kiroku is not run.
  printf 'x\r\n' >"$saved/${list}list.xls"
fi
find "$saved" "$(unix "$local_app\\kiroku")" -type f 2>/dev/null | sort >"$out/kept-before.txt" || true

echo "silent uninstall, as Settings' quiet uninstall string runs it"
wine "$programs\\uninstall.exe" /S
# The uninstaller copies itself away and returns at once; it is done when its folder is gone.
for _ in $(seq 120); do [ -e "$(unix "$programs")" ] || break; sleep 0.5; done
wineserver --wait
[ -e "$(unix "$programs")" ] && fail "$programs is still there: $(ls "$(unix "$programs")")"
[ -e "$lnk" ] && fail "the shortcut is still there"
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is still there"
find "$saved" "$(unix "$local_app\\kiroku")" -type f 2>/dev/null | sort >"$out/kept-after.txt" || true
[ -s "$out/kept-before.txt" ] && cmp -s "$out/kept-before.txt" "$out/kept-after.txt" ||
  fail "the uninstall did not keep the operator's files: $(diff "$out/kept-before.txt" "$out/kept-after.txt")"
sed "s|^$out/|kept: |" "$out/kept-after.txt"

[ $status -eq 0 ] && echo "install check passed" || echo "install check FAILED"
exit $status
