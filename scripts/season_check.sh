#!/usr/bin/env bash
# Through the real program on Xvfb: three games saved by clicks, each in a run
# of its own, with other rosters, the team on either side and other prefixes;
# then 通算集計: its copy read with xclip, and the workbook written through the
# save dialog and read back with openpyxl, both compared cell by cell with
# what this script adds up itself from the presses it made.
#   scripts/season_check.sh [build dir]   (KEEP_WORK=1 keeps the files and screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
. "$root/scripts/game_driver.sh"
linux_check xclip iconv
py=/usr/bin/python3  # Debian's, which python3-openpyxl is for
"$py" -c 'import openpyxl' 2>/dev/null || { echo "needs python3-openpyxl"; exit 2; }

# prefix|team 1|its players|team 2|its players|events (team.player.item2.item3)
games=("g1_|青葉|佐藤,Ann,Bob|Reds|Cy,Dan|1.1.1.1 1.2.2.1 1.1.1.2 2.1.1.1"
       "g2_|Blues|Eve|青葉|Ann,佐藤,Fay|2.1.1.2 2.3.2.2 1.1.2.1"
       "g3_|青葉|Bob,Gus|Reds|Cy|1.1.2.1 1.2.1.1 2.1.1.1")
labels2=(Shoot パス) labels3=(Left 右)

# The sheet that "Back Up" reads: team, 16 players, team, 16 players, 10 and 10 labels.
backup_file() {
  local p
  {
    for side in 1 2; do
      IFS=',' read -ra p <<<"$([ $side = 1 ] && echo "$3" || echo "$5")"
      echo "$([ $side = 1 ] && echo "$2" || echo "$4")"
      for i in $(seq 0 15); do echo "${p[$i]:-}"; done
    done
    for i in 0 1 2 3 4 5 6 7 8 9; do echo "${labels2[$i]:-}"; done
    for i in 0 1 2 3 4 5 6 7 8 9; do echo "${labels3[$i]:-}"; done
  } | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >morvane.txt
}

mkdir -p "$work/games" && cd "$work/games"
n=0
for game in "${games[@]}"; do
  IFS='|' read -r prefix t1 p1 t2 p2 events <<<"$game"
  stop_program
  n=$((n + 1))
  export XDG_DATA_HOME=$work/data$n  # a journal of its own: no earlier run is offered
  backup_file "$prefix" "$t1" "$p1" "$t2" "$p2"
  launch settei "$build/app/kiroku" || exit 1
  click settei 114 228          # Back Up
  click settei 384 220          # OK
  typein $sheet 420 450 "$prefix"
  click $sheet 412 512          # 入力切替
  click $rec 92 508             # スタート
  for e in $events; do IFS=. read -r t p i2 i3 <<<"$e"; event "$t" "$p" "$i2" "$i3"; done
  click $rec 644 508            # 画面切り替え
  click $sheet 552 448          # データ保存
done
rm morvane.txt
sleep 1

click $sheet 672 512            # 通算集計
window 通算集計 >/dev/null || exit 1
sleep 1                         # the folder is read on its own thread
shot "$work/season.png"
click 通算集計 568 224 0.5      # コピー
xclip -o -selection clipboard >"$work/copied.txt"
click 通算集計 680 224          # Excel に保存: the save dialog, the name offered
dialog=$(window "Excel に保存" 10) || exit 1
xdotool mousemove --window "$dialog" 20 20
sleep 0.3
xdotool key Return
for _ in $(seq 50); do [ -f 通算集計_青葉.xlsx ] && break; sleep 0.2; done
shot "$work/saved.png"

status=0
GAMES=$(printf '%s\n' "${games[@]}") LABELS2="${labels2[*]}" LABELS3="${labels3[*]}" "$py" - "$work/copied.txt" <<'EOF' || status=$?
import datetime, os, sys
import openpyxl

# The games as played, added up for the team in most games (青葉 plays all three).
games = [line.split('|') for line in os.environ['GAMES'].splitlines()]
labels2, labels3 = os.environ['LABELS2'].split(), os.environ['LABELS3'].split()
team = '青葉'
players, played = [], {}
counts = {}  # (category, player, label) -> count
for prefix, t1, p1, t2, p2, events in games:
    side = 1 if t1 == team else 2
    roster = (p1 if side == 1 else p2).split(',')
    for name in roster:
        if name not in players:
            players.append(name)
        played[name] = played.get(name, 0) + 1
    for e in events.split():
        t, p, i2, i3 = map(int, e.split('.'))
        if t == side:
            key = (labels3[i3 - 1], roster[p - 1], labels2[i2 - 1])
            counts[key] = counts.get(key, 0) + 1

def table(category):
    c = lambda p, l: sum(v for (k, q, m), v in counts.items() if q == p and m == l and category in (None, k))
    rows = [[category or '合計', '試合数'] + labels2 + ['合計']]
    for p in players:
        cells = [c(p, l) for l in labels2]
        rows.append([p, played[p]] + cells + [sum(cells)])
    sums = [sum(r[i] for r in rows[1:]) for i in range(2, len(labels2) + 3)]
    return rows + [['合計', len(games)] + sums]

failed = []
copied = open(sys.argv[1], encoding='utf-8', newline='').read()
expected = ''.join('\t'.join(str(v) for v in row) + '\r\n' for row in table(None))
if copied != expected:
    failed.append(f'copy: {copied!r} != {expected!r}')

book = openpyxl.load_workbook('通算集計_青葉.xlsx')
sheets = [None] + labels3
if book.sheetnames != ['合計'] + labels3 + ['試合']:
    failed.append(f'sheets {book.sheetnames}')
for name, category in zip(book.sheetnames, sheets):
    got = [list(r) for r in book[name].iter_rows(values_only=True)]
    if got != table(category):
        failed.append(f'{name}: {got} != {table(category)}')
got = [list(r) for r in book['試合'].iter_rows(values_only=True)]
if got[0] != ['日付', 'ファイル', 'チーム1', 'チーム2']:
    failed.append(f'試合 header {got[0]}')
for row, (prefix, t1, p1, t2, p2, events) in zip(got[1:], games):
    changed = datetime.datetime.fromtimestamp(os.stat(prefix + 'table.xls').st_mtime)
    if row[1:] != [prefix, t1, t2] or not isinstance(row[0], datetime.datetime) or abs(row[0] - changed).total_seconds() >= 60:
        failed.append(f'試合 {row}, changed {changed}')
if len(got) != len(games) + 1:
    failed.append(f'試合 has {len(got) - 1} games')
print('\n'.join(failed) or f'same: the copy and {len(book.sheetnames)} sheets, cell by cell')
sys.exit(1 if failed else 0)
EOF
finish_check $status
