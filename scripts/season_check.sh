#!/usr/bin/env bash
# Through the real program on Xvfb: three games saved by clicks, each in a run
# of its own (other rosters and prefixes, the team on either side); then
# 通算集計's copy (xclip) and its workbook, written through the save dialog
# and read back with openpyxl, compared cell by cell with what this script
# adds up itself from its presses.
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
mkdir -p "$work/games" && cd "$work/games"
for game in "${games[@]}"; do
  IFS='|' read -r prefix t1 p1 t2 p2 events <<<"$game"
  stop_program
  export XDG_DATA_HOME=$work/data-$prefix  # no earlier run is offered
  # What "Back Up" reads: team, 16 players, team, 16 players, 10 and 10 labels.
  { for side in "$t1,$p1" "$t2,$p2"; do printf '%s\n' ${side//,/ }; printf '\n%.0s' $(seq $((17 - $(tr -cd , <<<"$side" | wc -c) - 1))); done
    printf '%s\n' Shoot パス '' '' '' '' '' '' '' '' Left 右 '' '' '' '' '' '' '' ''
  } | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >morvane.txt
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
click $sheet 672 512            # 通算集計
window 通算集計 >/dev/null || exit 1
sleep 1                         # read on a thread of its own
click 通算集計 568 224 0.5      # コピー
xclip -o -selection clipboard >"$work/copied.txt"
click 通算集計 680 224          # Excel に保存: the save dialog, with the name offered
dialog=$(window "Excel に保存" 10) || exit 1
xdotool mousemove --window "$dialog" 20 20 sleep 0.3 key Return
for _ in $(seq 50); do [ -f 通算集計_青葉.xlsx ] && break; sleep 0.2; done
shot "$work/saved.png"

status=0
GAMES=$(printf '%s\n' "${games[@]}") "$py" - "$work/copied.txt" <<'EOF' || status=$?
import datetime, os, sys
import openpyxl

# 青葉, in all three games, is the team shown first.
games = [line.split('|') for line in os.environ['GAMES'].splitlines()]
labels2, labels3, team = ['Shoot', 'パス'], ['Left', '右'], '青葉'
players, played, counts = [], {}, {}
for prefix, t1, p1, t2, p2, events in games:
    side, roster = (1, p1.split(',')) if t1 == team else (2, p2.split(','))
    for name in roster:
        players += [name] if name not in players else []
        played[name] = played.get(name, 0) + 1
    for t, p, i2, i3 in (map(int, e.split('.')) for e in events.split() if int(e[0]) == side):
        key = (labels3[i3 - 1], roster[p - 1], labels2[i2 - 1])
        counts[key] = counts.get(key, 0) + 1

def table(category):
    rows = [[category or '合計', '試合数'] + labels2 + ['合計']]
    for p in players:
        cells = [sum(v for (k, q, m), v in counts.items() if q == p and m == l and category in (None, k)) for l in labels2]
        rows.append([p, played[p]] + cells + [sum(cells)])
    return rows + [['合計', len(games)] + [sum(r[i] for r in rows[1:]) for i in range(2, len(labels2) + 3)]]

failed = []
copied = open(sys.argv[1], encoding='utf-8', newline='').read()
expected = ''.join('\t'.join(map(str, row)) + '\r\n' for row in table(None))
failed += [f'copy: {copied!r} != {expected!r}'] if copied != expected else []
book = openpyxl.load_workbook('通算集計_青葉.xlsx')
failed += [f'sheets {book.sheetnames}'] if book.sheetnames != ['合計'] + labels3 + ['試合'] else []
for name, category in zip(book.sheetnames, [None] + labels3):
    got = [list(r) for r in book[name].iter_rows(values_only=True)]
    failed += [f'{name}: {got} != {table(category)}'] if got != table(category) else []
got = [list(r) for r in book['試合'].iter_rows(values_only=True)]
failed += [f'試合: {got}'] if got[0] != ['日付', 'ファイル', 'チーム1', 'チーム2'] or len(got) != len(games) + 1 else []
for row, (prefix, t1, p1, t2, p2, events) in zip(got[1:], games):
    changed = datetime.datetime.fromtimestamp(os.stat(prefix + 'table.xls').st_mtime)
    if row[1:] != [prefix, t1, t2] or not isinstance(row[0], datetime.datetime) or abs(row[0] - changed).total_seconds() >= 60:
        failed.append(f'試合 {row}, changed {changed}')
print('\n'.join(failed) or f'same: the copy and {len(book.sheetnames)} sheets, cell by cell')
sys.exit(1 if failed else 0)
EOF
finish_check $status
