#!/usr/bin/env bash
# billprint history: the bills printed by fill --pdf and by batch, newest
# first, as JSON and as CSV; the date range; a dry run and a refused bill
# record nothing; the exit statuses.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
db="$tmp/DB/BillDB.db"
cheque="支票/转账支票"
"$exe" templates --db "$db" >/dev/null || fail "cannot create the database"

"$exe" fill --db "$db" --template "$cheque" --set 01107002=甲公司 --set 01508000=1234.5 \
    --set 00606000=20261208 --pdf "$tmp/a.pdf" >/dev/null 2>"$tmp/err" || fail "fill exited $?: $(cat "$tmp/err")"
# A bill that cannot be printed, and one that is only shown: no rows.
"$exe" fill --db "$db" --template "$cheque" --set 01508000=123456789012345 --pdf "$tmp/x.pdf" >/dev/null 2>&1
[ $? -eq 4 ] || fail "an amount too long did not exit 4"
"$exe" fill --db "$db" --template "$cheque" --set 01107002=只看看 >/dev/null || fail "fill without --pdf failed"
printf '收款人,小写金额\r\n乙公司,88\r\n"丙,""公司""",7\r\n' >"$tmp/bills.csv"
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/bills.csv" --dry-run >/dev/null || fail "dry run failed"
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/bills.csv" --pdf "$tmp/b.pdf" --copies 2 >/dev/null \
    || fail "batch failed"

"$exe" history --db "$db" --template "$cheque" >"$tmp/h.json" 2>"$tmp/err" || fail "history exited $?: $(cat "$tmp/err")"
python3 - "$tmp/h.json" <<'PY' || fail "history JSON: $(cat "$tmp/h.json")"
import json, sys
d = json.load(open(sys.argv[1]))
assert d["template"] == "支票/转账支票", d["template"]
rows = d["rows"]
payees = [next(f["text"] for f in r["fields"] if f["key"] == "01107002") for r in rows]
assert payees == ['丙,"公司"', "乙公司", "甲公司"], payees
assert all(r["status"] == "printed" for r in rows)
assert [r["written"] for r in rows] == sorted((r["written"] for r in rows), reverse=True)
first = {f["key"]: f for f in rows[-1]["fields"]}
assert first["01508000"]["text"] == "1234.50" and first["01508000"]["name"] == "小写金额", first["01508000"]
assert first["00606000"]["text"] == "20261208", first["00606000"]
assert set(rows[0]) == {"written", "status", "fields"}, rows[0].keys()
PY

"$exe" history --db "$db" --template "$cheque" --csv >"$tmp/h.csv" || fail "history --csv failed"
python3 - "$tmp/h.csv" <<'PY' || fail "history CSV: $(cat "$tmp/h.csv")"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8", newline="")))
assert rows[0][:6] == ["打印时间", "状态", "作废原因", "打印机", "份数", "操作员"], rows[0]
payee = rows[0].index("收款人")
assert [r[payee] for r in rows[1:]] == ['丙,"公司"', "乙公司", "甲公司"], rows
assert rows[1][4] == "2" and rows[3][4] == "1", rows
PY

today=$(date +%Y-%m-%d)
tomorrow=$(date -d tomorrow +%Y%m%d)
n() { python3 -c 'import json,sys; print(len(json.load(sys.stdin)["rows"]))'; }
[ "$("$exe" history --db "$db" --template "$cheque" --from "$today" --to "$today" | n)" = 3 ] || fail "today's range"
[ "$("$exe" history --db "$db" --template "$cheque" --from "$tomorrow" | n)" = 0 ] || fail "from tomorrow"

"$exe" history --db "$db" --template "$cheque" --from 2026-02-30 >/dev/null 2>&1; [ $? -eq 2 ] || fail "bad date not 2"
"$exe" history --db "$db" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no template not 2"
"$exe" history --db "$db" --template "$cheque" extra >/dev/null 2>&1; [ $? -eq 2 ] || fail "extra word not 2"
"$exe" history --db "$db" --template 支票/没有 >/dev/null 2>&1; [ $? -eq 3 ] || fail "unknown template not 3"
mkdir "$tmp/dir.db"
"$exe" history --db "$tmp/dir.db" --template "$cheque" >/dev/null 2>&1; [ $? -eq 3 ] || fail "unopenable database not 3"
echo "PASS"
