#!/usr/bin/env bash
# Batch printing, timed: 1,000 transfer cheques from a CSV file into one PDF
# with `billprint batch`, beside glabels-3-batch merging a 1,000-row CSV
# into a comparable A4 page of 14 text objects; then the peak memory of a
# 10,000-bill run against a 1-bill run (the pages are streamed, not held).
#
#   bash bench/batch_vs_glabels.sh [path/to/billprint]
#
# Installs glabels (and GNU time) from Debian when they are missing: run it
# by hand, never in CI. Goals: billprint at least 20 times faster than
# glabels, and the 10,000-bill run's peak memory at most 1.5 times the
# 1-bill run's.
set -euo pipefail
exe=$(realpath "${1:-build/billprint}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen

need() {
    command -v "$1" >/dev/null && return 0
    echo "installing $2 ..." >&2
    apt-get install -y --no-install-recommends "$2" >/dev/null
}
need glabels-3-batch glabels
[ -x /usr/bin/time ] || need /usr/bin/time time

# The bills: every input field of the transfer cheque filled (with the
# rules' copies and amount in words, 14 printed texts or more a page).
python3 - "$tmp" <<'PY'
import sys
tmp = sys.argv[1]
header = "出票日期,付款行名称,收款人,出票人账号,小写金额,用途,密码,附加信息"
keys = "date,bank,payee,account,amount,purpose,code,note,words,stubdate,stubpayee,stubamount,stubpurpose,sign"
def row(i):
    return ["2026%02d%02d" % (i % 12 + 1, i % 28 + 1), "工商银行第%d支行" % (i % 90),
            "第%d号供应商公司" % i, "6222%012d" % i, "%d.%02d" % (1000 + i, i % 100),
            "货款", "%04d-%04d" % (i % 9999, i * 7 % 9999), "批次%d" % (i // 100)]
for n in (1, 1000, 10000):
    with open("%s/bills%d.csv" % (tmp, n), "w", encoding="utf-8") as f:
        f.write(header + "\n")
        for i in range(1, n + 1):
            f.write(",".join(row(i)) + "\n")
# glabels: the same values plus the derived texts as merge fields.
with open(tmp + "/glabels.csv", "w", encoding="utf-8") as f:
    f.write(keys + "\n")
    for i in range(1, 1001):
        r = row(i)
        f.write(",".join(r + ["人民币壹仟圆整", r[0], r[2], "￥" + r[4], r[5], "￥"]) + "\n")
objects = []
for n, key in enumerate(keys.split(",")):
    x, y = 20 + (n % 3) * 90, 15 + (n // 3) * 12
    objects.append(
        '<Object-text x="%dmm" y="%dmm" w="85mm" h="8mm" justify="Left" auto_shrink="False" '
        'a0="1" a1="0" a2="0" a3="1" a4="0" a5="0"><Span font_family="WenQuanYi Micro Hei" '
        'font_size="11" font_weight="Regular" font_italic="False" color="0x000000ff" '
        'line_spacing="1"><Field name="%s"/></Span></Object-text>' % (x, y, key))
open(tmp + "/cheque.glabels", "w", encoding="utf-8").write(
    '<?xml version="1.0"?>\n<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">'
    '<Template brand="billprint" part="cheque" size="A4" description="A4 landscape cheque">'
    '<Meta category="label"/><Label-rectangle id="0" width="297mm" height="210mm" round="0mm" '
    'x_waste="0mm" y_waste="0mm"><Markup-margin size="0mm"/><Layout nx="1" ny="1" x0="0mm" y0="0mm" '
    'dx="297mm" dy="210mm"/></Label-rectangle></Template><Objects id="0" rotate="False">'
    + "".join(objects) + '</Objects><Merge type="Text/Comma/Line1Keys" src="%s/glabels.csv"/>'
    '</Glabels-document>\n' % tmp)
PY

db="$tmp/DB/BillDB.db"
"$exe" templates --db "$db" >/dev/null

# Wall time and processor time (user + system) in seconds and peak resident
# memory in KiB of one command. On a machine shared with other work the
# processor time is the steadier figure.
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$tmp/time" "$@" >/dev/null 2>"$tmp/stderr" \
        || { cat "$tmp/stderr" >&2; return 1; }
    read -r wall user sys kb <"$tmp/time"
    echo "$wall $(python3 -c "print('%.2f' % ($user + $sys))") $kb"
}
batch() {
    measure "$exe" batch --db "$db" --template 支票/转账支票 --csv "$tmp/bills$1.csv" --pdf "$tmp/out$1.pdf"
}

batch 1 >/dev/null # warm the file cache
read -r ours ours_cpu ours_kb < <(batch 1000)
pages=$(pdfinfo "$tmp/out1000.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
read -r theirs theirs_cpu theirs_kb < <(measure glabels-3-batch -o "$tmp/glabels.pdf" "$tmp/cheque.glabels")
their_pages=$(pdfinfo "$tmp/glabels.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
read -r _ _ one_kb < <(batch 1)
read -r big big_cpu big_kb < <(batch 10000)

ratio() { python3 -c "print('%.1f' % ($1 / max($2, 0.01)))"; }
echo "billprint batch, 1,000 cheques:   ${ours} s wall, ${ours_cpu} s CPU, ${pages:-?} pages, peak ${ours_kb} KiB"
echo "glabels-3-batch, 1,000 labels:    ${theirs} s wall, ${theirs_cpu} s CPU, ${their_pages:-?} pages, peak ${theirs_kb} KiB"
echo "speed-up:                         $(ratio "$theirs" "$ours") x wall, $(ratio "$theirs_cpu" "$ours_cpu") x CPU (goal: at least 20 x)"
echo "billprint batch, 1 bill:          peak ${one_kb} KiB"
echo "billprint batch, 10,000 bills:    ${big} s wall, ${big_cpu} s CPU, peak ${big_kb} KiB"
echo "memory 10,000 / 1:                $(python3 -c "print('%.2f' % ($big_kb / $one_kb))") x (goal: at most 1.5 x)"
