#!/usr/bin/env bash
# Batch printing, timed: 1,000 transfer cheques from a CSV file into one PDF
# with `billprint batch`, beside
#  - the PDF writer's floor (bench/pdf_floor.cpp): the same print items at
#    the same places in the same fonts written by a bare QPdfWriter/QPainter
#    program, no database, no rules (its items dumped beforehand by
#    bench/floor_items.cpp, not timed); both run in turn three times and the
#    medians of their processor times compared;
#  - glabels-3-batch merging a 1,000-row CSV into a comparable A4 page of
#    14 text objects, when glabels is installed (apt-get install glabels);
# then the peak memory of a 10,000-bill run against a 1-bill run (the pages
# are streamed, not held).
#
#   bash bench/batch_vs_glabels.sh [path/to/billprint]
#
# Goals: billprint at most 1.5 times the floor's processor time and at least
# 20 times faster than glabels; the 10,000-bill run's peak memory at most
# 1.5 times the 1-bill run's.
set -euo pipefail
exe=$(realpath "${1:-build/billprint}")
benchdir=$(dirname "$exe")/bench
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
[ -x /usr/bin/time ] || { echo "needs GNU time (apt-get install time)" >&2; exit 1; }
glabels=$(command -v glabels-3-batch || true)

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
"$benchdir/floor_items" "$db" 支票/转账支票 "$tmp/bills1000.csv" "$tmp/bills1000.items"
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
ours_cpus=() floor_cpus=()
for _ in 1 2 3; do
    read -r ours ours_cpu ours_kb < <(batch 1000)
    ours_cpus+=("$ours_cpu")
    read -r floor floor_cpu floor_kb < <(measure "$benchdir/pdf_floor" "$tmp/bills1000.items" "$tmp/floor.pdf")
    floor_cpus+=("$floor_cpu")
done
ours_cpu=$(median "${ours_cpus[@]}")
floor_cpu=$(median "${floor_cpus[@]}")
pages=$(pdfinfo "$tmp/out1000.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
floor_pages=$(pdfinfo "$tmp/floor.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
read -r _ _ one_kb < <(batch 1)
read -r big big_cpu big_kb < <(batch 10000)

ratio() { python3 -c "print('%.2f' % ($1 / max($2, 0.01)))"; }
echo "billprint batch, 1,000 cheques:   ${ours} s wall, ${ours_cpu} s CPU (median of 3), ${pages:-?} pages, peak ${ours_kb} KiB"
echo "PDF writer floor, same items:     ${floor} s wall, ${floor_cpu} s CPU (median of 3), ${floor_pages:-?} pages, peak ${floor_kb} KiB"
echo "billprint / floor:                $(ratio "$ours_cpu" "$floor_cpu") x CPU (goal: at most 1.5 x)"
if [ -n "$glabels" ]; then
    read -r theirs theirs_cpu theirs_kb < <(measure "$glabels" -o "$tmp/glabels.pdf" "$tmp/cheque.glabels")
    their_pages=$(pdfinfo "$tmp/glabels.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    echo "glabels-3-batch, 1,000 labels:    ${theirs} s wall, ${theirs_cpu} s CPU, ${their_pages:-?} pages, peak ${theirs_kb} KiB"
    echo "speed-up over glabels:            $(ratio "$theirs_cpu" "$ours_cpu") x CPU (goal: at least 20 x)"
else
    echo "glabels-3-batch:                  not installed (apt-get install glabels), left out"
fi
echo "billprint batch, 1 bill:          peak ${one_kb} KiB"
echo "billprint batch, 10,000 bills:    ${big} s wall, ${big_cpu} s CPU, peak ${big_kb} KiB"
echo "memory 10,000 / 1:                $(ratio "$big_kb" "$one_kb") x (goal: at most 1.5 x)"
