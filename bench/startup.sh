#!/usr/bin/env bash
# Start-up of billprint to the first paint of its main window, in
# instructions counted by callgrind (repeatable on a busy machine, unlike
# wall or processor times), all in one run on the same display:
#  1. beside a bare main window and beside one with the same menu bar,
#     toolbar, status bar and template tree (bench/bare_window.cpp);
#  2. on a fresh database and on one whose register holds ROWS printed
#     bills (default 1,000,000), which should cost the same.
# Goals: at most 1.3 x the furnished window; the big database within 5 %
# of the fresh one. The processor times (median of 5 runs) are printed too.
# usage: bench/startup.sh [BUILD_DIR] [ROWS]
set -euo pipefail
# Measure on a real X display (Xvfb when there is none): that is where the
# program runs, and every window pays the display connection alike.
if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s '-screen 0 1366x768x24' bash "$0" "$@"
fi
build=$(realpath "${1:-build}")
rows=${2:-1000000}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export BILLPRINT_QUIT_WHEN_SHOWN=1 HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"
mkdir -p "$HOME"
exe="$build/billprint"
fresh="$tmp/fresh.db"
big="$tmp/big.db"
"$exe" templates --db "$fresh" >"$tmp/tree.txt" # creates the database

# The big register: one bill printed the ordinary way (so the register has
# its columns), then ROWS more like it written straight into the table, and
# the search index made anew from them as an upgrade makes it.
cp "$fresh" "$big"
"$exe" fill --db "$big" --template 支票/转账支票 --set 01107002=上海浦江贸易有限公司 --set 01508000=1234.56 \
    --pdf "$tmp/one.pdf" >/dev/null
table='"H_支票_转账支票"'
sqlite3 "$big" <<SQL
BEGIN;
INSERT INTO $table ("WriteDate","RegNo","RegStatus","RegPrinter","RegCopies","RegUser",
                    "01107002","01508000","RegText")
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
SELECT strftime('%Y-%m-%dT%H:%M:%S', '2025-12-01 08:00:00', '+' || (i * 30) || ' seconds'), i + 1, 'printed',
       'HP LaserJet', 1, 'teller', '收款单位' || (i % 5000) || '有限公司', (100 + i) || '.00',
       'hp laserjet' || char(10) || 'teller' || char(10) || '收款单位' || (i % 5000) || '有限公司' || char(10) || (100 + i) || '.00'
FROM n;
COMMIT;
SQL
for tag in $(sqlite3 "$big" "SELECT name FROM sqlite_master WHERE type = 'index' AND substr(name, 1, 10) = 'regsearch_'"); do
  sqlite3 "$big" "DROP TABLE IF EXISTS \"${tag}_text\"; DROP INDEX \"$tag\";"
done
"$exe" templates --db "$big" >/dev/null # the upgrade indexes the register once
bytes=$(stat -c %s "$big")

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null \
    | awk '/Collected :/ {print $NF}' | tail -1
}
cpu_ms() {
  local times=()
  for _ in 1 2 3 4 5; do
    /usr/bin/time -f '%U %S' -o "$tmp/time" "$@" >/dev/null 2>&1
    times+=("$(awk '{printf "%d", ($1 + $2) * 1000}' "$tmp/time")")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

bare=$(instructions "$build/bench/bare_window")
furnished=$(instructions "$build/bench/bare_window" --furnished "$tmp/tree.txt")
prog=$(instructions "$exe" --db "$fresh")
progbig=$(instructions "$exe" --db "$big")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
printf '%-44s %14s instructions, %5s ms CPU\n' "bare main window:" "$bare" "$(cpu_ms "$build/bench/bare_window")"
printf '%-44s %14s instructions, %5s ms CPU\n' "furnished main window:" "$furnished" \
  "$(cpu_ms "$build/bench/bare_window" --furnished "$tmp/tree.txt")"
printf '%-44s %14s instructions, %5s ms CPU\n' "billprint, fresh database:" "$prog" "$(cpu_ms "$exe" --db "$fresh")"
printf '%-44s %14s instructions, %5s ms CPU\n' "billprint, $rows register rows ($((bytes >> 20)) MiB):" \
  "$progbig" "$(cpu_ms "$exe" --db "$big")"
echo "ratio to the bare window:      $(ratio "$prog" "$bare")"
echo "ratio to the furnished window: $(ratio "$prog" "$furnished") (goal: at most 1.3)"
echo "big database / fresh:          $(ratio "$progbig" "$prog") (goal: at most 1.05)"
