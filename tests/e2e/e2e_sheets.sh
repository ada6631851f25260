#!/usr/bin/env bash
# billprint batch --input with workbooks (.xlsx, .xls and an .et, as
# LibreOffice saved them): the pages' texts and the register rows the same
# as for the same bills in CSV; --sheet; hostile and bad files refused with
# nothing printed; history --xlsx, its cells, and a write that fails.
set -u
exe="$1"
src="${BILLPRINT_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}"
fixtures="$src/tests/fixtures"
tmp=$(mktemp -d)
trap 'umount "$tmp/full" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is missing"
db="$tmp/DB/BillDB.db"
cheque="支票/转账支票"
"$exe" templates --db "$db" >/dev/null || fail "cannot create the database"

# The fixture's bills as CSV: what the workbook's cells show.
printf '收款人,小写金额,出票日期,用途,出票人账号\n上海浦江贸易有限公司,1234.10,2026-12-07,货款,6222021001001234567\n北京朝阳商贸有限公司,0.30,2026-12-08,服务费,6217000011112222333\n,,,,\n深圳南山科技有限公司,88,2026/12/9,,62258888\n' >"$tmp/same.csv"
cp "$fixtures/cheques.xls" "$tmp/wps.et"

pages() { pdfinfo "$1" | sed -n 's/^Pages: *//p'; }
for input in same.csv:"$tmp/same.csv" xlsx:"$fixtures/cheques-lo.xlsx" xls:"$fixtures/cheques.xls" \
             xls1904:"$fixtures/cheques-1904.xls" et:"$tmp/wps.et"; do
    name=${input%%:*}
    file=${input#*:}
    "$exe" batch --db "$db" --template "$cheque" --input "$file" --pdf "$tmp/$name.pdf" >"$tmp/$name.json" 2>"$tmp/err" \
        || fail "$name: batch exited $?: $(cat "$tmp/err")"
    grep -q '"bills":3' "$tmp/$name.json" || fail "$name: $(cat "$tmp/$name.json")"
    [ "$(pages "$tmp/$name.pdf")" = 3 ] || fail "$name: not 3 pages"
    pdftotext -layout "$tmp/$name.pdf" "$tmp/$name.txt"
    if [ "$name" != same.csv ]; then
        diff "$tmp/same.csv.txt" "$tmp/$name.txt" >/dev/null || fail "$name: pages differ from the CSV's: $(diff "$tmp/same.csv.txt" "$tmp/$name.txt" | head)"
    fi
done
for words in 壹仟贰佰叁拾肆圆壹角整 叁角整 捌拾捌圆整 上海浦江贸易有限公司 2026年12月07日; do
    grep -q "$words" "$tmp/xlsx.txt" || fail "\"$words\" not printed from the workbook"
done

# The register: each workbook's bills as the CSV's, amounts with two decimals.
"$exe" history --db "$db" --template "$cheque" >"$tmp/h.json" || fail "history failed"
python3 - "$tmp/h.json" <<'PY' || fail "register rows: $(head -c 600 "$tmp/h.json")"
import json, sys
rows = json.load(open(sys.argv[1]))["rows"]
assert len(rows) == 15, len(rows)
def values(r):
    f = {x["key"]: x["text"] for x in r["fields"]}
    return (f["01107002"], f["01508000"], f["00606000"])
batches = [[values(r) for r in rows[i:i + 3]] for i in range(0, 15, 3)]
assert all(b == batches[0] for b in batches), batches
assert ("北京朝阳商贸有限公司", "0.30", "20261208") in batches[0], batches[0]
assert ("上海浦江贸易有限公司", "1234.10", "20261207") in batches[0], batches[0]
PY

# --sheet picks the sheet; a formula's value prints.
"$exe" batch --db "$db" --template "$cheque" --input "$fixtures/cheques.xls" --sheet 第二批 --pdf "$tmp/second.pdf" \
    >/dev/null 2>"$tmp/err" || fail "--sheet exited $?: $(cat "$tmp/err")"
pdftotext "$tmp/second.pdf" - | grep -q "贰仟柒佰壹拾伍圆玖角整" || fail "the second sheet's formula amount"

# Bad and hostile files: refused with a message, exit 2 or 3, nothing printed.
expect() {
    local want=$1 message=$2; shift 2
    echo keep >"$tmp/x.pdf"
    "$exe" batch --db "$db" --template "$cheque" "$@" --pdf "$tmp/x.pdf" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ $got -eq "$want" ] || fail "batch $* exited $got, not $want: $(cat "$tmp/err")"
    grep -q "$message" "$tmp/err" || fail "batch $*: \"$message\" not said: $(cat "$tmp/err")"
    [ "$(cat "$tmp/x.pdf")" = keep ] || fail "batch $* touched the PDF"
}
head -c 3000 "$fixtures/cheques-lo.xlsx" >"$tmp/cut.xlsx"
head -c 4000 "$fixtures/cheques.xls" >"$tmp/cut.xls"
printf 'PK\003\004 not really a zip' >"$tmp/fake.xlsx"
python3 - "$tmp" <<'PY'
import sys, zipfile
tmp = sys.argv[1]
# 600 MB of blanks in the sheet: a few hundred kilobytes packed.
rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
with zipfile.ZipFile(tmp + "/bomb.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("_rels/.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="r" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % rel)
    z.writestr("xl/workbook.xml", '<workbook xmlns:r="%s"><sheets><sheet name="S" r:id="s"/></sheets></workbook>' % rel)
    z.writestr("xl/_rels/workbook.xml.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
               '<Relationship Id="s" Type="%s/worksheet" Target="sheet.xml"/></Relationships>' % rel)
    with z.open("xl/sheet.xml", "w", force_zip64=True) as f:
        f.write(b"<worksheet><sheetData>")
        block = b" " * (1 << 20)
        for _ in range(600):
            f.write(block)
        f.write(b"</sheetData></worksheet>")
with zipfile.ZipFile(tmp + "/notabook.xlsx", "w") as z:
    z.writestr("readme.txt", "hello")
PY
expect 3 "已加密" --input "$fixtures/encrypted.xlsx"
expect 3 "已加密" --input "$fixtures/encrypted.xls"
expect 3 "已损坏或不完整" --input "$tmp/cut.xlsx"
expect 3 "已损坏或不完整" --input "$tmp/cut.xls"
expect 3 "已损坏或不完整" --input "$tmp/fake.xlsx"
expect 3 "不是 Excel 工作簿" --input "$tmp/notabook.xlsx"
expect 3 "解压后太大" --input "$tmp/bomb.xlsx"
expect 2 "没有名为“没有”的工作表" --input "$fixtures/cheques-lo.xlsx" --sheet 没有
expect 2 "没有工作表" --input "$tmp/same.csv" --sheet 付款
expect 2 "needs --input" --csv "$tmp/same.csv" --sheet 付款
expect 2 "not both" --csv "$tmp/same.csv" --input "$tmp/same.csv"
# --csv reads CSV only, as it always has.
expect 3 "另存为" --csv "$fixtures/cheques-lo.xlsx"

# history --xlsx: a workbook with the register's rows and kinds.
"$exe" history --db "$db" --template "$cheque" --xlsx "$tmp/register.xlsx" >"$tmp/h.out" 2>"$tmp/err" \
    || fail "history --xlsx exited $?: $(cat "$tmp/err")"
grep -q '"rows":16' "$tmp/h.out" || fail "history --xlsx summary: $(cat "$tmp/h.out")"
python3 - "$tmp/register.xlsx" <<'PY' || fail "the register workbook"
import re, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
sheet = z.read("xl/worksheets/sheet1.xml").decode()
assert 'state="frozen"' in sheet and 'ySplit="1"' in sheet, "no frozen header"
assert sheet.count("<row ") == 17, sheet.count("<row ")
assert re.search(r'<c r="[A-Z]+\d+" s="\d+"><v>1234.1</v></c>', sheet), "the amount is no number"
assert "<t>6222021001001234567</t>" in sheet, "the account is not text"
assert "<t>已打印</t>" in sheet
assert 'formatCode="0.00"' in z.read("xl/styles.xml").decode()
PY
"$exe" history --db "$db" --template "$cheque" --xlsx "$tmp/r.xlsx" --csv >/dev/null 2>&1
[ $? -eq 2 ] || fail "--xlsx with --csv not a usage error"

# A full disk: exit 3, nothing at the target, an existing file kept.
mkdir "$tmp/full"
if mount -t tmpfs -o size=64k tmpfs "$tmp/full" 2>/dev/null; then
    echo keep >"$tmp/full/register.xlsx"
    head -c 200000 /dev/zero >"$tmp/full/filler" 2>/dev/null # fills it
    "$exe" history --db "$db" --template "$cheque" --xlsx "$tmp/full/register.xlsx" >/dev/null 2>"$tmp/err"
    status=$?
    [ $status -eq 3 ] || fail "history --xlsx on a full disk exited $status: $(cat "$tmp/err")"
    [ "$(cat "$tmp/full/register.xlsx")" = keep ] || fail "the existing file was touched"
    [ "$(ls -A "$tmp/full" | sort | tr '\n' ' ')" = "filler register.xlsx " ] || fail "left behind: $(ls -A "$tmp/full")"
    umount "$tmp/full"
else
    echo "note: no tmpfs (not root?): the full-disk case is left out"
fi
echo "1 passed, 0 failed"
