#!/usr/bin/env bash
# billprint fill: the bank templates filled from the command line, the rules'
# results in the JSON, the PDF, and the exit statuses.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
db="$tmp/DB/BillDB.db"
cheque="支票/转账支票"

list=$("$exe" templates --db "$db") || fail "templates exited $?"
for t in 通用票据/通用凭证 支票/转账支票 支票/现金支票 结算凭证/进账单 结算凭证/电汇凭证; do
    echo "$list" | grep -qx "$t" || fail "$t not listed"
    "$exe" fill --db "$db" --template "$t" >"$tmp/out.json" 2>"$tmp/err" || fail "fill $t exited $?: $(cat "$tmp/err")"
    python3 - "$tmp/out.json" "$t" <<'PY' || fail "bad JSON for $t"
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
assert d["template"] == sys.argv[2], d["template"]
keys = [f["key"] for f in d["fields"]]
assert keys and keys == sorted(keys), keys
for f in d["fields"]:
    assert len(f["key"]) == 8 and int(f["key"][3:5]) == f["kind"] and f["kind"] in (4, 5, 6, 7, 8), f
    if f["kind"] == 8:
        assert set(f["text"]) == {"0"}, f
PY
done

# A transfer cheque: the stub copies the date, payee, amount and purpose;
# the amount in words goes into its box without "人民币", which the form
# prints before the box.
"$exe" fill --db "$db" --template "$cheque" --set 00606000=20240105 --set 01107002=上海浦江贸易有限公司 \
    --set 01508000=1234.56 --set 01907006=货款 --pdf "$tmp/cheque.pdf" >"$tmp/cheque.json" 2>"$tmp/err" \
    || fail "filled cheque exited $?: $(cat "$tmp/err")"
python3 - "$tmp/cheque.json" <<'PY' || fail "cheque fields wrong: $(cat "$tmp/cheque.json")"
import json, sys
f = {x["key"]: x["text"] for x in json.load(open(sys.argv[1], encoding="utf-8"))["fields"]}
expect = {
    "00606000": "贰零贰肆 零壹 零伍 ", "00706001": "2024年01月05日",
    "01107002": "上海浦江贸易有限公司", "02307008": "上海浦江贸易有限公司",
    "01508000": "00000123456", "01607004": "壹仟贰佰叁拾肆圆伍角陆分", "01707005": "",
    "02507009": "￥1234.56", "01907006": "货款", "02707010": "货款",
}
for k, v in expect.items():
    assert f[k] == v, (k, f[k], v)
PY
[ -s "$tmp/cheque.pdf" ] || fail "no PDF written"
if command -v pdftotext >/dev/null; then
    pdftotext "$tmp/cheque.pdf" - | grep -q "壹仟贰佰叁拾肆圆伍角陆分" || fail "amount in words not in the PDF"
fi

# A deposit slip of half a yuan: jiao and fen columns, words 伍角整.
"$exe" fill --db "$db" --template 结算凭证/进账单 --set 01808000=.5 >"$tmp/slip.json" || fail "slip exited $?"
python3 -c 'import json,sys; f={x["key"]:x["text"] for x in json.load(open(sys.argv[1],encoding="utf-8"))["fields"]}; assert f["01808000"]=="00000000050" and f["01907006"]=="伍角整", f' \
    "$tmp/slip.json" || fail "slip amount wrong"

# A small database of its own: a class name holding "/" and quotes, a date
# copied into a field before it and one after it, and a sum with blanks
# around its target key.
python3 - "$tmp/own.db" <<'PY' || fail "could not build own.db"
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.execute('CREATE TABLE "AppInfo" ("appName" VARCHAR(50), "appValue" VARCHAR(255))')
c.execute('CREATE TABLE "ClassList" ("cKey" INTEGER, "cName" VARCHAR(50))')
c.execute('CREATE TABLE "BillList" ("bKey" INTEGER, "bName" VARCHAR(50), "cKey" INTEGER)')
c.execute('CREATE TABLE "LanguageSet" ("LName" VARCHAR(50), "LType" SMALLINT, "LCaptionCHJ" VARCHAR(50), "LValue" VARCHAR(255))')
c.execute("INSERT INTO ClassList VALUES (1, ?)", ("A/B 'x'",))
c.execute("INSERT INTO BillList VALUES (1, 'my bill', 1)")
c.execute("INSERT INTO BillList VALUES (2, 'empty', 1)")
t = "A/B 'x'_my bill"
for name in (t, "H_" + t, "A/B 'x'_empty", "H_A/B 'x'_empty"):
    c.execute('CREATE TABLE "%s" ("cKey" VARCHAR(50), "cName" VARCHAR(50), "cType" SMALLINT, "cValue" VARCHAR(50))' % name)
place = [(1, "100"), (2, "100"), (3, "2400"), (4, "300")]
fields = {
    "00000000": [(0, "bill"), (3, "12000"), (4, "5000")],
    "00106001": [(0, "copy before")] + place + [(6, "6"), (12, "00206000")],
    "00206000": [(0, "date")] + place + [(6, "8"), (11, "04010501060107")],
    "00306002": [(0, "copy after")] + place + [(6, "8"), (11, "04050503060307"), (12, "00206000")],
    "00407001": [(0, "a")] + place + [(6, "20"), (24, "1"), (25, "1"), (26, "00507002  ")],
    "00507002": [(0, "sum")] + place + [(6, "20"), (15, None), (16, "元")],
    # A money field without a highest column is one box for the whole amount.
    "00608000": [(0, "box")] + place + [(6, "20")],
    "00707003": [(0, "words")] + place + [(6, "40"), (11, "0102"), (12, "00608000"), (13, "00608000"), (15, ""), (16, "")],
    "00807004": [(0, "english")] + place + [(6, "100"), (11, "0103"), (12, "00608000"), (13, "00608000"), (15, ""), (16, "")],
}
for key, props in fields.items():
    for k, v in props:
        c.execute('INSERT INTO "%s" VALUES (?,?,?,?)' % t, (key, "p%d" % k, k, v))
c.commit()
PY
"$exe" fill --db "$tmp/own.db" --template "A/B 'x'/my bill" --set 00206000=20240105 --set 00407001=0.5 \
    >"$tmp/own.json" 2>"$tmp/err" || fail "own template exited $?: $(cat "$tmp/err")"
python3 - "$tmp/own.json" <<'PY' || fail "own template fields wrong: $(cat "$tmp/own.json")"
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
assert d["template"] == "A/B 'x'/my bill", d["template"]
f = {x["key"]: x["text"] for x in d["fields"]}
expect = {"00206000": "2024年01月05日", "00106001": "2024年0",
          "00306002": "贰零贰肆年零壹月零伍日", "00507002": ".50元"}
for k, v in expect.items():
    assert f[k] == v, (k, f[k], v)
PY
# The single box takes the amount as typed, point included.
"$exe" fill --db "$tmp/own.db" --template "A/B 'x'/my bill" --set 00608000=1234.56 >"$tmp/box.json" 2>"$tmp/err" \
    || fail "single box exited $?: $(cat "$tmp/err")"
python3 - "$tmp/box.json" <<'PY' || fail "single box fields wrong: $(cat "$tmp/box.json")"
import json, sys
f = {x["key"]: x["text"] for x in json.load(open(sys.argv[1], encoding="utf-8"))["fields"]}
assert f["00608000"] == "1234.56", f["00608000"]
assert f["00707003"] == "壹仟贰佰叁拾肆圆伍角陆分", f["00707003"]
assert f["00807004"] == "One Thousand Two Hundred And Thirty-Four Dollars And Fifty-Six Cent Only", f["00807004"]
PY
# A template without rows opens as an empty bill.
"$exe" fill --db "$tmp/own.db" --template "A/B 'x'/empty" --pdf "$tmp/empty.pdf" >"$tmp/empty.json" 2>"$tmp/err" \
    || fail "empty template exited $?: $(cat "$tmp/err")"
python3 -c 'import json,sys; d=json.load(open(sys.argv[1],encoding="utf-8")); assert d["fields"] == [], d' \
    "$tmp/empty.json" || fail "empty template: $(cat "$tmp/empty.json")"

expect_exit() {
    local want="$1"; shift
    "$exe" fill "$@" >"$tmp/out" 2>"$tmp/err"; local rc=$?
    [ $rc -eq "$want" ] || fail "fill $*: exit $rc, expected $want"
    [ -s "$tmp/err" ] || fail "fill $*: no message on stderr"
    [ ! -s "$tmp/out" ] || fail "fill $*: output on a failure"
}
expect_exit 2 --db "$db"
expect_exit 2 --db "$db" --template "$cheque" --bogus
expect_exit 2 --db "$db" --template "$cheque" --set 99907999=1
expect_exit 2 --db "$db" --template "$cheque" --set no-equals-sign
expect_exit 2 --db "$db" --template "$cheque" --set =1
expect_exit 2 --db "$db" --template "$cheque" --set 01508000=12,50
# An amount with more digits than the columns cannot be printed: never cut.
expect_exit 4 --db "$db" --template "$cheque" --set 01508000=123456789012.00
# A date that does not exist, or a text longer than its box, is never
# printed: no PDF is written.
expect_exit 4 --db "$db" --template "$cheque" --set 00606000=20260230 --pdf "$tmp/bad.pdf"
expect_exit 4 --db "$db" --template "$cheque" --set 00606000=202612 --pdf "$tmp/bad.pdf"
# Words over the amount in words that say another amount: a void cheque.
expect_exit 4 --db "$db" --template "$cheque" --set 01508000=1234.56 --set 01707005=XYZ --pdf "$tmp/bad.pdf"
expect_exit 4 --db "$db" --template "$cheque" --set 01508000=1234.56 --set 01607004=壹圆整 --pdf "$tmp/bad.pdf"
"$exe" fill --db "$db" --template "$cheque" --set 01508000=1234.56 --set 01607004=壹仟贰佰叁拾肆圆伍角陆分 \
    --pdf "$tmp/same.pdf" >/dev/null 2>&1 || fail "fill refused the amount in words the rules give"
expect_exit 4 --db "$db" --template "$cheque" --set 01907006=上海浦江贸易有限公司第二分公司财务部门 --pdf "$tmp/bad.pdf"
[ ! -e "$tmp/bad.pdf" ] || fail "a PDF was written for a bill that cannot be printed"
# The same date without --pdf only shows what the bill holds.
"$exe" fill --db "$db" --template "$cheque" --set 00606000=20260230 >/dev/null 2>&1 || fail "fill without --pdf refused a bill it only shows"
expect_exit 2 --db "$db" --template "$cheque" --set 00104000=label
expect_exit 3 --db "$db" --template 支票/没有这张票
printf 'this is not a database' > "$tmp/bad.db"
expect_exit 3 --db "$tmp/bad.db" --template "$cheque"
echo "1 passed, 0 failed"
