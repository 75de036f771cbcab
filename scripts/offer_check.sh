#!/usr/bin/env bash
# Through the real program on Xvfb, the edges of the offer at start; each
# case plays a short game, kills kiroku with SIGKILL and starts it again:
#   quit    a SIGTERM while the offer is up leaves the game to the next start
#   clock   a game played under a clock gone back to 2000-01-01, after an
#           offer answered 新しく始める there, is offered at the next start
#   damage  a journal with a middle line changed on disk is continued, and a
#           box that blocks nothing says so
#   twice   a second kiroku started while the first offers or continues the
#           game asks nothing; the first killed unanswered leaves it to the next
#   update  the journals that c5ec9c2 and 2a6798b left, with the newer game
#           declined (tests/recovery/before_count), offer nothing
# and, as root, a game killed is offered, and once declined never again:
#   exfat   the data folder on exFAT through FUSE (no hard links, no unnamed files)
#   noproc  every start in a mount namespace without /proc
# Where the machine allows no such mount, they say so and are skipped (77).
#   scripts/offer_check.sh [build dir] [case...]   (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
cases=("$@")
[ $# -gt 0 ] || cases=(quit clock damage twice update)
faketime=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
. "$root/scripts/game_driver.sh"
[ -n "$faketime" ] || { echo "needs libfaketime (apt-get install faketime)"; exit 2; }
linux_check

kiroku=$build/app/kiroku
# A clock that starts at 2000-01-01 and runs on, for kiroku alone (its own
# process, so that it can be killed), with the timers' steady clock as it is.
flat_battery=(env LD_PRELOAD="$faketime" FAKETIME='@2000-01-01 10:00:00' DONT_FAKE_MONOTONIC=1
              ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
# A setup read back with "Back Up": a player on each team, a label for each item.
backup_file() {
  { printf 'A\r\nP\r\n'; printf '\r\n%.0s' {1..15}; printf 'B\r\nQ\r\n'; printf '\r\n%.0s' {1..15}
    printf 'x\r\n'; printf '\r\n%.0s' {1..9}; printf 'y\r\n'; printf '\r\n%.0s' {1..9}; } >morvane.txt
}
# Starts kiroku ($@ before it, such as a clock of its own): true when it
# asks first, false when it shows the start-up choice.
offered() {
  launch '(kiroku|settei)' "$@" "$kiroku" || exit 1
  sleep 0.3
  shown kiroku
}
# From the start-up choice: events recorded, then the run killed.
game() {
  click settei 114 228          # Back Up
  click settei 384 220          # OK
  click $sheet 412 512          # 入力切替
  click $rec 92 508             # スタート
  for ((e = 1; e <= $1; e++)); do event $((e % 2 + 1)) 1 1 1; done
  sleep 0.5                     # the journal writes within about 25 ms
  stop_program
}
# A second kiroku beside the running one, ended again: the caption it shows first.
second_start() {
  "$kiroku" >>"$work/kiroku.log" 2>&1 &
  local pid=$! name=
  end_with_script $pid
  for _ in $(seq 300); do
    name=$(xdotool search --all --onlyvisible --pid $pid --name '^(kiroku|settei)$' getwindowname 2>/dev/null) && break
    sleep 0.1
  done
  kill -KILL $pid
  wait $pid 2>/dev/null || true
  echo "$name"
}
failed() { echo "FAILED ($case): $*"; shot "$work/$case-failed.png"; this_failed=1 status=1; }
skipped() { echo "skipped ($case): $*"; this_skipped=1; }

case_quit() {
  launch settei "$kiroku"; game 1
  offered || { failed "no offer after the kill"; return; }
  stop_program TERM             # a logoff while the question is up
  offered || failed "a SIGTERM while the offer was up retired the game"
}
case_clock() {
  launch settei "$kiroku"; game 1
  offered "${flat_battery[@]}" || { failed "no offer after the kill"; return; }
  answer Escape                 # 新しく始める, under the old date
  window settei >/dev/null || { failed "no start-up choice after 新しく始める"; return; }
  game 2
  offered "${flat_battery[@]}" || failed "the game played under the clock gone back was not offered"
}
case_damage() {
  launch settei "$kiroku"; game 3
  local journal=("$XDG_DATA_HOME"/kiroku/journal/*.journal)
  # The second event's player press: the first event before it stays whole.
  awk -F'\t' -v OFS='\t' '$3 == "player" && ++n == 2 { $3 = "playeR" } 1' "$journal" >"$work/damaged"
  mv "$work/damaged" "$journal"
  offered || { failed "no offer of the damaged journal"; return; }
  answer Return                 # 続きから記録
  window $rec >/dev/null || { failed "the game was not continued"; return; }
  window kiroku >/dev/null 2>&1 || { failed "the continuation said nothing of the damage"; return; }
  shot "$work/damage-warning.png"
  player 1 1                    # the box blocks nothing
  window $pick2 >/dev/null || failed "the warning blocked the recording screen"
}
case_twice() {
  launch settei "$kiroku"; game 1
  offered || { failed "no offer after the kill"; return; }
  [ "$(second_start)" = settei ] || failed "a second kiroku asked about the game the first offers"
  stop_program                  # no answer
  offered || { failed "the game was not offered again"; return; }
  answer Return                 # 続きから記録
  window $rec >/dev/null || { failed "the game was not continued"; return; }
  [ "$(second_start)" = settei ] || failed "a second kiroku asked about the game the first continues"
}
case_update() {
  mkdir -p data/kiroku && cp -r "$root/tests/recovery/before_count" data/kiroku/journal
  touch data/kiroku/journal/*   # young, whatever the date today
  ! offered || failed "a game answered under 2a6798b was offered"
}

offered_once() {
  launch settei "$kiroku"; game 1
  compgen -G "$XDG_DATA_HOME/kiroku/journal/*.journal" >/dev/null || { failed "the killed run left no journal"; return; }
  offered || { failed "no offer after the kill"; return; }
  answer Escape                 # 新しく始める
  window settei >/dev/null || { failed "no start-up choice after 新しく始める"; return; }
  stop_program
  ! offered || failed "the declined game was offered again"
}
on_end() { umount -l "${XDG_DATA_HOME:-/nonexistent}" 2>/dev/null || true; [ -z "${loop:-}" ] || losetup -d "$loop" || true; loop=; }
case_exfat() {
  truncate -s 64M "$work/exfat.img" && mkfs.exfat "$work/exfat.img" >/dev/null 2>&1 || { skipped "no mkfs.exfat"; return; }
  # exfat-fuse run as root wants a block device.
  loop=$(losetup -f --show "$work/exfat.img" 2>/dev/null) || { skipped "no loop device may be set up"; return; }
  mkdir -p "$XDG_DATA_HOME" && mount.exfat-fuse "$loop" "$XDG_DATA_HOME" >/dev/null 2>&1 ||
    { skipped "no FUSE mount of exFAT is allowed"; return; }
  ! ln "$work/$case/morvane.txt" "$XDG_DATA_HOME/linked" 2>/dev/null || { failed "this exFAT takes hard links"; return; }
  offered_once
}
case_noproc() {
  unshare -m sh -c 'umount -l /proc && ! [ -e /proc/self ]' 2>/dev/null || { skipped "no namespace without /proc"; return; }
  local real=$kiroku
  kiroku=$work/noproc/kiroku  # one process from here to kiroku, the one killed
  printf '#!/bin/sh\nexec unshare -m sh -c '"'umount -l /proc && exec \"\$0\"'"' %s\n' "$real" >"$kiroku"
  chmod +x "$kiroku"
  offered_once
  kiroku=$real
}

status=0 ran=0
for case in "${cases[@]}"; do
  mkdir -p "$work/$case" && cd "$work/$case" && backup_file
  export XDG_DATA_HOME=$work/$case/data
  SECONDS=0 this_failed= this_skipped=
  "case_$case"
  stop_program
  on_end
  [ -n "$this_skipped" ] || ran=1
  [ -n "$this_failed$this_skipped" ] || echo "ok ($case): ${SECONDS} s"
done
[ $ran = 1 ] || { rm -rf "$work"; exit 77; }
finish_check $status
