#!/usr/bin/env bash
# Every shipped template, filled and printed with `fill --pdf`: each printed
# text must start within 0.25 mm of its field's position on the page
# (pdftotext -bbox), and a money field's fen digit must stand in its last
# column.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v pdftotext >/dev/null || fail "pdftotext (poppler-utils) is missing"

db="$tmp/BillDB.db"
"$exe" templates --db "$db" >"$tmp/templates" || fail "templates exited $?"
[ -s "$tmp/templates" ] || fail "no templates shipped"

while IFS= read -r template; do
  python3 - "$exe" "$db" "$template" "$tmp" <<'PY' || fail "$template: positions are off"
import json, re, sqlite3, subprocess, sys
exe, db, template, tmp = sys.argv[1:5]
cls, bill = template.split("/", 1)
rows = sqlite3.connect(db).execute(
    'SELECT "cKey", "cType", "cValue" FROM "%s"' % (cls + "_" + bill).replace('"', '""')).fetchall()
props = {}
for key, ctype, value in rows:
    props.setdefault(key, {})[int(ctype)] = value or ""

# Fill every input field: texts and dates as a user would, the amount, ticks.
args = [exe, "fill", "--db", db, "--template", template]
for key, p in sorted(props.items()):
    kind = int(key[3:5])
    if kind == 7 and not p.get(12, "").strip():
        args += ["--set", "%s=字%s" % (key, key[:3])]
    elif kind == 6 and not p.get(12, "").strip():
        args += ["--set", key + "=20261207"]
    elif kind == 8 and not p.get(12, "").strip():
        args += ["--set", key + "=1234.56"]
    elif kind == 5:
        args += ["--set", key + "=√"]
pdf = tmp + "/page.pdf"
out = subprocess.run(args + ["--pdf", pdf], capture_output=True, text=True)
assert out.returncode == 0, out.stderr
shown = {f["key"]: f["text"] for f in json.loads(out.stdout)["fields"]}
html = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True).stdout
words = [(float(a), float(b), w) for a, b, w in
         re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>', html)]
pt = lambda twips: float(twips) / 20.0  # 1440 twips and 72 points to the inch
tolerance = 0.25 / 25.4 * 72

def near(x, y, text):
    return any(abs(wx - x) <= tolerance and abs(wy - y) <= tolerance and w.startswith(text[:1])
               for wx, wy, w in words)

checked = 0
for key, p in props.items():
    kind = int(key[3:5])
    text = shown.get(key, "").strip()
    if kind not in (5, 6, 7) or not text or not p.get(1, "").strip():
        continue
    x, y = pt(p[1]), pt(p[2])
    assert near(x, y, text.split()[0]), "%s %r not at %.2f,%.2f pt" % (key, text, x, y)
    checked += 1
for key, p in props.items():
    if int(key[3:5]) != 8 or not p.get(20, "").strip() or 100 not in p:
        continue
    digits = shown.get(key, "").lstrip("0")
    if not digits:
        continue
    x, y = pt(int(p[1]) + int(p[100])), pt(p[2])
    assert near(x, y, digits[-1]), "%s: fen digit %s not at %.2f,%.2f pt" % (key, digits[-1], x, y)
    checked += 1
assert checked >= 3, "only %d texts checked" % checked
print("%s: %d positions checked" % (template, checked))
PY
done <"$tmp/templates"
echo "1 passed, 0 failed"
