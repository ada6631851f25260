#!/usr/bin/env bash
# billprint batch: spreadsheet files in UTF-8 and GBK printed into one PDF,
# each page the same as the bill filled alone and its texts at the template's
# positions; copies; bad rows listed with nothing printed; the exit statuses.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is missing"
db="$tmp/DB/BillDB.db"
cheque="支票/转账支票"
"$exe" templates --db "$db" >/dev/null || fail "cannot create the database"

# The same three bills (and a blank line) saved as a spreadsheet program
# would: UTF-8 with a byte-order mark and CRLF, header by name; GBK with the
# header by key; amounts with thousands separators in quotes, a purpose with
# a comma and quotes, dates with and without dashes.
python3 - "$tmp" <<'PY' || fail "cannot write the CSV files"
import sys
tmp = sys.argv[1]
names = ["出票日期", "收款人", "小写金额", "用途", "付款行名称", "出票人账号"]
keys = ["00606000", "01107002", "01508000", "01907006", "00907001", "01307003"]
rows = [
    ["2026-12-07", "上海浦江贸易有限公司", '"1,234.56"', '"货款,含""运费"""', "工商银行上海分行", "6222 0210 0100"],
    ["20261208", "北京朝阳商贸有限公司", "88", "服务费", "建设银行", "6217 0000 1111"],
    ["", "", "", "", "", ""],
    ["2026/12/9", "深圳南山科技有限公司", "0.05", "退款", "招商银行", "6225 8888 0000"],
]
def text(header):
    return "\r\n".join(",".join(r) for r in [header] + rows) + "\r\n"
open(tmp + "/utf8.csv", "wb").write(b"\xef\xbb\xbf" + text(names).encode("utf-8"))
open(tmp + "/gbk.csv", "wb").write(text(keys).encode("gbk"))
PY

for enc in utf8 gbk; do
    "$exe" batch --db "$db" --template "$cheque" --csv "$tmp/$enc.csv" --pdf "$tmp/$enc.pdf" \
        >"$tmp/$enc.json" 2>"$tmp/$enc.err" || fail "$enc batch exited $?: $(cat "$tmp/$enc.err")"
    [ ! -s "$tmp/$enc.err" ] || fail "$enc: stderr not empty without a terminal: $(cat "$tmp/$enc.err")"
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert d["bills"]==3 and d["printed"]==3 and d["pages"]==3, d' \
        "$tmp/$enc.json" || fail "$enc summary: $(cat "$tmp/$enc.json")"
done

# Each page against the same bill filled alone with `fill --pdf`: the same
# words at the same places; and the payee, date and fen digit at the field's
# position in the template.
python3 - "$exe" "$db" "$tmp" <<'PY' || fail "pages differ from the bills filled alone"
import re, sqlite3, subprocess, sys
exe, db, tmp = sys.argv[1:4]
tolerance = 0.25 / 25.4 * 72
def words(pdf, page):
    html = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, text=True, check=True).stdout
    return [(float(a), float(b), w, float(c)) for a, b, c, w in
            re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>', html)]
def pages(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    return int(re.search(r"Pages:\s+(\d+)", info).group(1))
bills = [
    {"00606000": "20261207", "01107002": "上海浦江贸易有限公司", "01508000": "1234.56", "01907006": '货款,含"运费"',
     "00907001": "工商银行上海分行", "01307003": "6222 0210 0100"},
    {"00606000": "20261208", "01107002": "北京朝阳商贸有限公司", "01508000": "88", "01907006": "服务费",
     "00907001": "建设银行", "01307003": "6217 0000 1111"},
    {"00606000": "20261209", "01107002": "深圳南山科技有限公司", "01508000": "0.05", "01907006": "退款",
     "00907001": "招商银行", "01307003": "6225 8888 0000"},
]
props = {}
for key, ctype, value in sqlite3.connect(db).execute('SELECT "cKey","cType","cValue" FROM "支票_转账支票"'):
    props.setdefault(key, {})[int(ctype)] = value or ""
pt = lambda twips: float(twips) / 20.0
for enc in ("utf8", "gbk"):
    pdf = "%s/%s.pdf" % (tmp, enc)
    assert pages(pdf) == 3, (enc, pages(pdf))
    for n, bill in enumerate(bills, 1):
        single = "%s/single%d.pdf" % (tmp, n)
        args = [exe, "fill", "--db", db, "--template", "支票/转账支票", "--pdf", single]
        for k, v in bill.items():
            args += ["--set", "%s=%s" % (k, v)]
        subprocess.run(args, check=True, capture_output=True)
        got, want = sorted(words(pdf, n)), sorted(words(single, 1))
        assert len(got) == len(want) and len(got) >= 14, (enc, n, len(got), len(want))
        for (gx, gy, gw, _), (wx, wy, ww, _) in zip(got, want):
            assert gw == ww and abs(gx - wx) <= tolerance and abs(gy - wy) <= tolerance, (enc, n, gw, ww)
        at = lambda key, text: any(abs(x - pt(props[key][1])) <= tolerance and abs(y - pt(props[key][2])) <= tolerance
                                   and w.startswith(text) for x, y, w, _ in got)
        assert at("01107002", bill["01107002"][:2]), (enc, n, "payee")
        assert at("00706001", "2026年"), (enc, n, "stub date")
        fen = pt(int(props["01508000"][1]) + int(props["01508000"][100]))
        digit = str(round(float(bill["01508000"]) * 100))[-1]
        # The fen digit stands in the last column (a word may join it to the sign).
        assert any(x - tolerance <= fen <= x2 and w.endswith(digit) for x, y, w, x2 in got), (enc, n, "fen")
print("pages match")
PY

# On a terminal the bills are counted on stderr as they go.
if command -v script >/dev/null; then
    script -qec "'$exe' batch --db '$db' --template '$cheque' --csv '$tmp/utf8.csv' --pdf '$tmp/tty.pdf' >/dev/null" \
        /dev/null >"$tmp/tty" 2>&1 || fail "batch on a terminal exited $?: $(cat "$tmp/tty")"
    grep -q "bill 3/3" "$tmp/tty" || fail "no progress on a terminal: $(cat "$tmp/tty")"
fi

# Copies: each bill's copies one after the other.
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/utf8.csv" --pdf "$tmp/copies.pdf" --copies 2 \
    >"$tmp/copies.json" 2>"$tmp/err" || fail "copies exited $?: $(cat "$tmp/err")"
pdfinfo "$tmp/copies.pdf" | grep -Eq "^Pages: +6$" || fail "2 copies of 3 bills are not 6 pages"
[ "$(pdftotext -f 1 -l 1 "$tmp/copies.pdf" -)" = "$(pdftotext -f 2 -l 2 "$tmp/copies.pdf" -)" ] \
    || fail "the second page is not the first bill's copy"
pdftotext -f 3 -l 3 "$tmp/copies.pdf" - | grep -q "北京朝阳" || fail "page 3 is not the second bill"

# Bad rows: every one listed, nothing printed, an existing file untouched.
python3 - "$tmp/bad.csv" <<'PY'
import sys
open(sys.argv[1], "w", encoding="utf-8").write(
    "收款人,小写金额,出票日期,附加信息\n"
    "甲公司,12a,20261207,\n"                 # row 2: not an amount
    "乙公司,100,20260231,\n"                 # row 3: no such date
    "丙公司,100,20261207,\"两行\n附言\"\n"   # row 4: two lines in a one-line box
    "丁公司,1234567890,20261207,\n"          # row 5 (as a spreadsheet counts): too many digits
    "戊公司,5,20261207,\n")                  # row 6: fine
PY
echo keep >"$tmp/bad.pdf"
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/bad.csv" --pdf "$tmp/bad.pdf" >"$tmp/out" 2>"$tmp/err"
status=$?
[ $status -eq 4 ] || fail "bad rows exited $status, not 4: $(cat "$tmp/err")"
[ "$(cat "$tmp/bad.pdf")" = keep ] || fail "the PDF file was touched"
for line in "row 2, field 小写金额: " "row 3, field 出票日期: 日期 20260231 不存在" \
            "row 4, field 附加信息: 文字有 2 行" "row 5, field 小写金额: 金额 1234567890 超出"; do
    grep -qF "$line" "$tmp/err" || fail "\"$line\" not listed: $(cat "$tmp/err")"
done
grep -q "row 6" "$tmp/err" && fail "a good row was listed"
[ "$(grep -c '^row ' "$tmp/err")" -eq 4 ] || fail "not exactly the four bad rows: $(cat "$tmp/err")"
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/bad.csv" --dry-run >/dev/null 2>"$tmp/dry"
[ $? -eq 4 ] || fail "dry run of bad rows did not exit 4"
diff <(grep '^row ' "$tmp/err") <(grep '^row ' "$tmp/dry") >/dev/null || fail "dry run lists other rows"
"$exe" batch --db "$db" --template "$cheque" --csv "$tmp/gbk.csv" --dry-run >"$tmp/dry.json" 2>&1 \
    || fail "dry run of good rows exited $?"
grep -q '"dryRun":true' "$tmp/dry.json" || fail "dry run summary: $(cat "$tmp/dry.json")"

# Exit statuses: usage 2 (options, header), cannot open 3, cannot print 4.
expect() {
    local want=$1; shift
    "$exe" batch --db "$db" "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    [ $got -eq "$want" ] || fail "batch $* exited $got, not $want: $(cat "$tmp/err")"
}
expect 2 --template "$cheque" --pdf "$tmp/x.pdf"
expect 2 --template "$cheque" --csv "$tmp/utf8.csv"
expect 2 --template "$cheque" --csv "$tmp/utf8.csv" --pdf "$tmp/x.pdf" --printer Any
expect 2 --template "$cheque" --csv "$tmp/utf8.csv" --pdf "$tmp/x.pdf" --copies 0
expect 2 --template "$cheque" --csv "$tmp/utf8.csv" --printer "no such queue"
printf '收款人,付款人,收款人：\n甲,乙,丙\n' >"$tmp/header.csv"
expect 2 --template "$cheque" --csv "$tmp/header.csv" --pdf "$tmp/x.pdf"
grep -qF 'column 2 "付款人": ' "$tmp/err" || fail "unknown header not named: $(cat "$tmp/err")"
grep -qF 'column 3 "收款人：": ' "$tmp/err" || fail "label header not named: $(cat "$tmp/err")"
expect 3 --template "$cheque" --csv "$tmp/missing.csv" --pdf "$tmp/x.pdf"
expect 3 --template "支票/没有这个" --csv "$tmp/utf8.csv" --pdf "$tmp/x.pdf"
printf '收款人,小写金额\n甲,1\n"乙,2\n' >"$tmp/open.csv"
expect 4 --template "$cheque" --csv "$tmp/open.csv" --pdf "$tmp/x.pdf"
grep -q "引号直到文件末尾都没有闭合" "$tmp/err" || fail "unterminated quote not explained: $(cat "$tmp/err")"
printf '收款人,小写金额\n' >"$tmp/empty.csv"
expect 4 --template "$cheque" --csv "$tmp/empty.csv" --pdf "$tmp/x.pdf"
[ ! -e "$tmp/x.pdf" ] || fail "a PDF was written by a failing run"
echo "1 passed, 0 failed"
