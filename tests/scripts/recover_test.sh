#!/usr/bin/env bash
# kiroku-recover from the outside: its exit status for each kind of fault,
# the run it takes by default, JOURNAL as a number, a name or a path, and
# what --force may and may not replace. The journals are written here line
# by line, their checksums worked out by gzip.
# Usage: recover_test.sh <build dir>
set -euo pipefail
recover=$(cd "$1" && pwd)/app/kiroku-recover
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data LANG=C.UTF-8
journals=$XDG_DATA_HOME/kiroku/journal
mkdir -p "$journals"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs it with its output in out.txt and err.txt.
expect() {
  local want=$1 got=0
  shift
  "$@" >out.txt 2>err.txt || got=$?
  [ "$got" -eq "$want" ] || fail "$* exited $got, not $want: $(cat err.txt)"
}
says() { grep -qF -- "$2" "$1" || fail "$1 does not say \"$2\": $(cat "$1")"; }

# line NUMBER KIND FIELDS...: one journal line, LF included.
line() {
  local body
  body=$(IFS=$'\t'; printf '%s' "$1	0	${*:2}")
  local crc
  crc=$(printf '%s' "$body" | gzip -c | tail -c8 | head -c4 | od -An -tx4 | tr -d ' \n')
  printf '%s\t%s\n' "$body" "$crc"
}
# game STAMP PID: a run's header and two events of team 1 東高校 (CP932).
game() {
  line 0 journal 1 "$1" "$2"
  line 1 cell 1 1 $'\x93\x8c\x8d\x82\x8d\x5a'
  line 2 switch
  line 3 player 1 1 00:01 A
  line 4 item2 1 x
  line 5 item3 1 y
  line 6 player 1 2 00:02 B
  line 7 item2 2 x
  line 8 item3 2 y
}

expect 0 "$recover" --version
says out.txt "kiroku-recover 1.0.0"
says out.txt "GNU General Public License, version 3 or later"
expect 0 "$recover" --list
says out.txt "no journals"
expect 1 "$recover" --out o
says err.txt "--list"
expect 2 "$recover" --out
expect 2 "$recover" --list --out o
expect 2 "$recover" --bogus
# Where iconv has no CP932 (its module named but missing), the journals are not read.
mkdir gconv && printf 'module\tCP932//\tINTERNAL\t/none\t1\nmodule\tINTERNAL\tCP932//\t/none\t1\n' >gconv/gconv-modules
expect 1 env GCONV_PATH="$work/gconv" "$recover" --list
says err.txt "cannot convert the code page CP932"

saved=$journals/20261201-100000-11.journal
unsaved=$journals/20261202-100000-22.journal
fresh=$journals/20261203-100000-33.journal
{ game 20261201-100000 11; line 9 save 0; line 10 end; } >"$saved"
game 20261202-100000 22 >"$unsaved"
line 0 journal 1 20261203-100000 33 >"$fresh"   # a run just begun, with nothing yet
# File times that contradict the names: the names decide.
touch -d '2026-12-05 10:00' "$saved"
touch -d '2026-11-01 10:00' "$fresh"

expect 0 "$recover" --list
[ "$(grep -c journal out.txt)" -eq 4 ] || fail "--list: $(cat out.txt)"
sed -n 2p out.txt | grep -q 20261203-100000-33 || fail "--list is not newest by name first: $(cat out.txt)"
sed -n 3p out.txt | grep -q 'team 1: 2 events.*exported after last event: no' || fail "--list line 2: $(cat out.txt)"
sed -n 4p out.txt | grep -q 'exported after last event: yes.*ended: normally' || fail "--list line 3: $(cat out.txt)"

expect 0 "$recover" --out default
says out.txt "run of 2026-12-02 10:00:00 (process 22)"
for which in 2 20261202-100000-22 20261202-100000-22.journal "$unsaved"; do
  rm -rf chosen
  expect 0 "$recover" "$which" --out chosen
  for f in default/*; do cmp -s "$f" "chosen/${f#default/}" || fail "\"$which\" rebuilt another $f"; done
done
[ "$(ls default | wc -l)" -eq 3 ] || fail "default holds $(ls default)"
expect 1 "$recover" 4 --out none
says err.txt "there is no journal number 4"
expect 1 "$recover" 99999999999999999999999 --out none
says err.txt "there is no journal number 99999999999999999999999"
expect 1 "$recover" 20261209-000000-1 --out none
says err.txt "cannot read the journal"

# Existing files stay unless --force; a link is never written through.
mkdir kept
printf 'keep\r\n' >kept/morvane.txt
expect 1 "$recover" --out kept
says err.txt "kept/morvane.txt exists"
[ "$(cat kept/morvane.txt)" = $'keep\r' ] || fail "an existing file was replaced without --force"
[ "$(ls kept)" = morvane.txt ] || fail "something was written beside a refused file: $(ls kept)"
expect 0 "$recover" --out kept --force
cmp -s default/morvane.txt kept/morvane.txt || fail "--force did not replace morvane.txt"
mkdir linked
printf 'elsewhere\n' >elsewhere.txt
ln -s ../elsewhere.txt linked/morvane.txt
expect 1 "$recover" --out linked --force
says err.txt "is a symbolic link"
[ "$(cat elsewhere.txt)" = elsewhere ] || fail "--force wrote through a symbolic link"
[ -L linked/morvane.txt ] || fail "the link was replaced"
[ "$(ls linked)" = morvane.txt ] || fail "something was written beside a link: $(ls linked)"

# A fault after the event list file was written: that file is named.
mkdir -p "partial/$(ls default | grep 'table\.xls$')"
expect 4 "$recover" --out partial --force
says err.txt "list.xls was written before the failure"
says err.txt "morvane.txt was not written"
[ "$(ls partial | wc -l)" -eq 2 ] || fail "partial holds $(ls partial)"

# Damage: a middle line changed, then a whole last line changed (not a cut).
for at in 5 9; do
  sed "${at}s/item/itex/" "$unsaved" >"$journals/20261204-100000-44.journal"
  rm -rf damaged
  expect 3 "$recover" 20261204-100000-44 --out damaged
  says err.txt "line $at is damaged"
  [ "$(ls damaged | wc -l)" -eq 3 ] || fail "a damaged journal wrote $(ls damaged)"
  expect 1 "$recover" 20261204-100000-44 --out damaged
  head -1 err.txt | grep -q "line $at is damaged" || fail "the damage is not told first: $(cat err.txt)"
  says err.txt "exists"
done
expect 0 "$recover" --list
says out.txt "[damaged at line 9]"
head -c -3 "$unsaved" >"$journals/20261204-100000-44.journal"   # the last line cut short
expect 0 "$recover" 20261204-100000-44 --out cut
says out.txt "cut off"

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
