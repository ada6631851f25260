#!/usr/bin/env bash
# billprint template export/import: every shipped template exported and
# imported again fills in exactly as the original; names hard for SQL work;
# each refusal has its exit status and a message, and leaves the database
# as it was.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
db="$tmp/DB/BillDB.db"
templates=(通用票据/通用凭证 支票/转账支票 支票/现金支票 结算凭证/进账单 结算凭证/电汇凭证)
"$exe" templates --db "$db" >/dev/null || fail "could not create the database"

# --set arguments for every field that takes input, from a fill's JSON
# (NUL separated): money 1234.56, a date, a text with quotes, a tick.
sets() {
    python3 - "$1" <<'PY'
import json, sys
for f in json.load(open(sys.argv[1], encoding="utf-8"))["fields"]:
    value = {8: "12.34", 6: "20240105", 7: "甲'\"乙", 5: "√"}.get(f["kind"])
    if value is not None:
        sys.stdout.write("--set\0%s=%s\0" % (f["key"], value))
PY
}
fill() { # DB TEMPLATE OUT [sets file]
    local args=()
    [ $# -ge 4 ] && mapfile -d '' args <"$4"
    "$exe" fill --db "$1" --template "$2" "${args[@]}" >"$3" 2>"$tmp/fill.err" || fail "fill $2 exited $?: $(cat "$tmp/fill.err")"
}
dump() { # every table's rows, as one digest
    python3 - "$1" <<'PY'
import hashlib, sqlite3, sys
c = sqlite3.connect(sys.argv[1])
h = hashlib.sha1()
for (name, sql) in sorted(c.execute("SELECT name, sql FROM sqlite_master")):
    h.update(repr((name, sql)).encode())
    if sql and sql.startswith("CREATE TABLE"):
        rows = c.execute('SELECT * FROM "%s"' % name.replace('"', '""')).fetchall()
        h.update(repr(sorted(map(repr, rows))).encode())
print(h.hexdigest())
PY
}

# Each shipped template: export, import under another name, fill both with
# the same values: the same fields; the imported one exports to the same file.
for t in "${templates[@]}"; do
    name=${t#*/}
    fill "$db" "$t" "$tmp/blank.json"
    sets "$tmp/blank.json" >"$tmp/sets"
    fill "$db" "$t" "$tmp/orig.json" "$tmp/sets"
    "$exe" template export "$t" "$tmp/$name.json" --db "$db" >/dev/null || fail "export $t exited $?"
    "$exe" template import "$tmp/$name.json" --db "$db" --as "导入 'x'/$name" >/dev/null || fail "import $t exited $?"
    fill "$db" "导入 'x'/$name" "$tmp/copy.json" "$tmp/sets"
    python3 - "$tmp/orig.json" "$tmp/copy.json" <<'PY' || fail "fill of the imported $t differs"
import json, sys
a, b = (json.load(open(p, encoding="utf-8")) for p in sys.argv[1:3])
assert a["fields"] and a["fields"] == b["fields"], (a, b)
assert any(f["text"] for f in a["fields"] if f["kind"] != 4), "no value was entered"
PY
    "$exe" template export "导入 'x'/$name" "$tmp/again.json" --db "$db" >/dev/null || fail "export of the import exited $?"
    diff <(grep -v '"class"\|"template"' "$tmp/$name.json") <(grep -v '"class"\|"template"' "$tmp/again.json") >/dev/null \
        || fail "export after import differs for $t"
done

# Into a database that lost them: the same names, and byte-identical fill output.
fresh="$tmp/fresh/BillDB.db"
"$exe" templates --db "$fresh" >/dev/null || fail "could not create the second database"
python3 - "$fresh" <<'PY' || fail "could not remove the shipped templates"
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
for (cls, name) in c.execute('SELECT c.cName, b.bName FROM BillList b JOIN ClassList c ON c.cKey=b.cKey').fetchall():
    c.execute('DROP TABLE "%s_%s"' % (cls, name)); c.execute('DROP TABLE "H_%s_%s"' % (cls, name))
c.execute("DELETE FROM BillList"); c.execute("DELETE FROM ColumnDescriptions"); c.commit()
PY
for t in "${templates[@]}"; do
    name=${t#*/}
    "$exe" template import "$tmp/$name.json" --db "$fresh" >/dev/null || fail "import of $t into the second database exited $?"
    fill "$db" "$t" "$tmp/blank.json"
    sets "$tmp/blank.json" >"$tmp/sets"
    fill "$db" "$t" "$tmp/a.json" "$tmp/sets"
    fill "$fresh" "$t" "$tmp/b.json" "$tmp/sets"
    cmp -s "$tmp/a.json" "$tmp/b.json" || fail "fill of $t differs after the round trip"
done

# Names with quotes, slashes, spaces and Chinese.
odd="A'B \"C\"/转 账/支票"
"$exe" template import "$tmp/转账支票.json" --db "$db" --as "$odd" >/dev/null || fail "import as $odd exited $?"
"$exe" templates --db "$db" | grep -qxF "$odd" || fail "$odd not listed"
fill "$db" "$odd" "$tmp/odd.json"
"$exe" template export "$odd" "$tmp/odd file.json" --db "$db" >/dev/null || fail "export of $odd exited $?"
python3 -c 'import json,sys; d=json.load(open(sys.argv[1],encoding="utf-8")); assert (d["class"], d["template"]) == ("A'"'"'B \"C\"", "转 账/支票"), d["class"]' \
    "$tmp/odd file.json" || fail "names in the file are wrong"

# Usage errors: exit 2.
expect() { # STATUS MESSAGE-PART ARGS...
    local want=$1 part=$2
    shift 2
    "$exe" "$@" >"$tmp/out" 2>"$tmp/err"
    local rc=$?
    [ $rc -eq "$want" ] || fail "billprint $*: exit $rc, expected $want ($(cat "$tmp/err"))"
    grep -qF -- "$part" "$tmp/err" || fail "billprint $*: message lacks \"$part\": $(cat "$tmp/err")"
}
expect 2 "缺少 export 或 import" template --db "$db"
expect 2 "不认识的操作" template copy a b --db "$db"
expect 2 "缺少参数" template export 支票/转账支票 --db "$db"
expect 2 "多余的参数" template import a b --db "$db"
expect 2 "--as 只用于 import" template export 支票/转账支票 x.json --as a/b --db "$db"
expect 2 "类别/模板" template import "$tmp/转账支票.json" --as 无斜杠 --db "$db"
expect 2 "unknown option" template import "$tmp/转账支票.json" --bogus --db "$db"

# Cannot open or write: exit 3, the database untouched.
before=$(dump "$db")
expect 3 "没有模板“支票/无此模板”" template export 支票/无此模板 "$tmp/x.json" --db "$db"
expect 3 "无法写入模板文件" template export 支票/转账支票 "$tmp/no/such/dir/x.json" --db "$db"
expect 3 "无法打开模板文件" template import "$tmp/missing.json" --db "$db"
expect 3 "--as" template import "$tmp/转账支票.json" --db "$db"
head -c 3000 "$tmp/转账支票.json" >"$tmp/truncated.json"
expect 3 "不完整" template import "$tmp/truncated.json" --db "$db" --as 新/甲
sed 's/"version": 1,/"version": 7,/' "$tmp/转账支票.json" >"$tmp/newer.json"
expect 3 "版本是 7" template import "$tmp/newer.json" --db "$db" --as 新/乙
sed '0,/"kind": 4,/s//"kind": "4",/' "$tmp/转账支票.json" >"$tmp/types.json"
expect 3 "“kind”" template import "$tmp/types.json" --db "$db" --as 新/丙
python3 - "$tmp/转账支票.json" "$tmp/long.json" "$tmp/many.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
long = json.loads(json.dumps(d)); long["fields"][0]["properties"][0]["value"] = "长" * (10 * 1024 * 1024)
long["fields"][0]["name"] = long["fields"][0]["properties"][0]["value"]
json.dump(long, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
d["fields"] = d["fields"] * 60
json.dump(d, open(sys.argv[3], "w", encoding="utf-8"), ensure_ascii=False)
PY
expect 3 "文件太大" template import "$tmp/long.json" --db "$db" --as 新/丁
python3 -c 'import json,sys; d=json.load(open(sys.argv[1],encoding="utf-8")); d["fields"][0]["properties"][0]["value"]="x"*(5*1024*1024); d["fields"][0]["name"]=d["fields"][0]["properties"][0]["value"]; json.dump(d,open(sys.argv[2],"w"))' \
    "$tmp/转账支票.json" "$tmp/long5.json"
expect 3 "太长" template import "$tmp/long5.json" --db "$db" --as 新/戊
expect 3 "最多 1000 项" template import "$tmp/many.json" --db "$db" --as 新/己
[ "$(dump "$db")" = "$before" ] || fail "a refused command changed the database"
"$exe" templates --db "$db" | grep -q '^新/' && fail "a refused import left a class behind"
echo "1 passed, 0 failed"
