#!/usr/bin/env bash
# Failures are reported, never shown as success, and a refused run deletes
# nothing: damaged databases, rows the tree cannot show, links to missing
# files, read-only databases, output files that cannot be written, and
# lengths cut between the characters people see.
set -u
exe="$1"
tmp=$(mktemp -d)
chmod 755 "$tmp"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
db="$tmp/DB/BillDB.db"
"$exe" templates --db "$db" >/dev/null || fail "creating the database exited $?"
sq() { python3 -c 'import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); [print(*r, sep="|") for r in c.execute(sys.argv[2])]; c.commit()' "$@"; }

# A page of random bytes in the middle of the file: every command that reads
# the database says the file is damaged, exit 3, nothing on stdout.
cp "$db" "$tmp/damaged.db"
pages=$(( $(stat -c %s "$tmp/damaged.db") / 4096 ))
python3 - "$tmp/damaged.db" "$((pages / 2))" <<'PY'
import os, random, sys
random.seed(7)
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2]) * 4096)
    f.write(bytes(random.randrange(256) for _ in range(4096)))
PY
before=$(sha1sum <"$tmp/damaged.db")
for cmd in "templates" "fill --template 支票/转账支票" "template export 支票/转账支票 $tmp/x.json"; do
    # shellcheck disable=SC2086
    "$exe" $cmd --db "$tmp/damaged.db" >"$tmp/out" 2>"$tmp/err"; rc=$?
    [ $rc -eq 3 ] || fail "$cmd on a damaged database: exit $rc, expected 3 ($(cat "$tmp/err"))"
    [ ! -s "$tmp/out" ] || fail "$cmd on a damaged database printed: $(head -c 200 "$tmp/out")"
    grep -qi "damaged\|malformed" "$tmp/err" || fail "$cmd does not say the file is damaged: $(cat "$tmp/err")"
done
[ "$(sha1sum <"$tmp/damaged.db")" = "$before" ] || fail "the damaged file was changed"

# Rows without a number or a name are left out, each one named on stderr;
# the other templates are listed.
cp "$db" "$tmp/rows.db"
sq "$tmp/rows.db" "INSERT INTO BillList VALUES (90, NULL, 1)"
sq "$tmp/rows.db" "INSERT INTO BillList VALUES ('x9', '坏号', 1)"
sq "$tmp/rows.db" "INSERT INTO ClassList VALUES (NULL, '无号类')"
"$exe" templates --db "$tmp/rows.db" >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 0 ] || fail "templates with bad rows: exit $rc"
grep -qx '支票/转账支票' "$tmp/out" || fail "good rows not listed: $(cat "$tmp/out")"
[ "$(grep -c 'left out' "$tmp/err")" -eq 3 ] || fail "left-out rows not named: $(cat "$tmp/err")"
grep -q "bKey=x9" "$tmp/err" || fail "the row with a key that is no number is not named"

# A link to a missing file: refused, and the link stays.
ln -s "$tmp/nowhere/BillDB.db" "$tmp/link.db"
"$exe" templates --db "$tmp/link.db" >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 3 ] || fail "link to a missing file: exit $rc, expected 3"
[ -L "$tmp/link.db" ] || fail "the link was deleted"
[ ! -e "$tmp/nowhere" ] || fail "a folder was made behind the link"
# A database that cannot be made in a new folder takes that folder away
# again, and nothing else.
mkdir "$tmp/keep"
printf 'x' >"$tmp/keep/blocker"
"$exe" templates --db "$tmp/keep/blocker/sub/BillDB.db" >/dev/null 2>&1; rc=$?
[ $rc -eq 3 ] || fail "database under a file: exit $rc, expected 3"
[ -f "$tmp/keep/blocker" ] || fail "a file the program did not make was removed"

# Usage errors and output files that cannot be written.
for cmd in templates "fill --template 支票/转账支票" "template export 支票/转账支票 $tmp/y.json"; do
    # shellcheck disable=SC2086
    "$exe" $cmd --db "" >/dev/null 2>&1; rc=$?
    [ $rc -eq 2 ] || fail "$cmd --db \"\": exit $rc, expected 2"
done
"$exe" fill --db "$db" --template 支票/转账支票 --pdf "$tmp/missing/dir/out.pdf" >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 3 ] || fail "fill --pdf into a missing folder: exit $rc, expected 3"
[ -s "$tmp/err" ] || fail "fill --pdf into a missing folder: no message"
"$exe" template export 支票/转账支票 "$tmp/missing/dir/t.json" --db "$db" >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 3 ] || fail "export into a missing folder: exit $rc, expected 3"
"$exe" fill --db "$db" --template 支票/转账支票 --set 01508000=12x >/dev/null 2>"$tmp/err"; rc=$?
[ $rc -eq 2 ] || fail "a bad amount: exit $rc, expected 2"
"$exe" fill --db "$db" --template 支票/转账支票 --set 01508000=12 --set ABC=1 >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "an unknown key: exit $rc, expected 2"

# Lengths count the characters people see: an emoji or a letter with its
# accent at the limit is kept whole or left out whole, never cut in half.
key=$(sq "$db" "SELECT cKey FROM '支票_转账支票' WHERE cType=6 AND CAST(cValue AS INTEGER) BETWEEN 3 AND 40 AND substr(cKey,4,2)='07' ORDER BY cKey LIMIT 1")
limit=$(sq "$db" "SELECT CAST(cValue AS INTEGER) FROM '支票_转账支票' WHERE cType=6 AND cKey='$key'")
[ -n "$key" ] || fail "no text field with a length limit on the cheque"
pad=$(printf 'a%.0s' $(seq 2 "$limit"))
for tail in "😀" "👍🏽" "e$(printf '\u0301')" "👨‍👩‍👧"; do
    "$exe" fill --db "$db" --template 支票/转账支票 --set "$key=$pad$tail$tail" >"$tmp/out.json" 2>"$tmp/err" \
        || fail "fill with $tail exited $?: $(cat "$tmp/err")"
    python3 - "$tmp/out.json" "$key" "$pad$tail" <<'PY' || fail "length limit cut \"$tail\""
import json, sys
raw = open(sys.argv[1], encoding="utf-8").read()
assert "\\ud8" not in raw.lower() and "\\udc" not in raw.lower(), "a surrogate escape in the JSON"
f = {x["key"]: x["text"] for x in json.loads(raw)["fields"]}
assert f[sys.argv[2]] == sys.argv[3], (f[sys.argv[2]], sys.argv[3])
PY
done

# A database the user cannot write (a root-owned installation) opens
# read-only: it lists and fills, its journal mode and bytes stay, and a
# change is refused with a message.
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    mkdir -p "$tmp/ro/DB" && cp "$db" "$tmp/ro/DB/BillDB.db"
    chmod 755 "$tmp/ro" "$tmp/ro/DB" && chmod 644 "$tmp/ro/DB/BillDB.db"
    before=$(sha1sum <"$tmp/ro/DB/BillDB.db")
    as_user() { runuser -u nobody -- env HOME="$tmp" XDG_RUNTIME_DIR= "$@"; }
    as_user "$exe" templates --db "$tmp/ro/DB/BillDB.db" >"$tmp/out" 2>"$tmp/err" \
        || fail "read-only templates exited $?: $(cat "$tmp/err")"
    grep -qx '支票/转账支票' "$tmp/out" || fail "read-only database lists nothing"
    as_user "$exe" fill --db "$tmp/ro/DB/BillDB.db" --template 支票/转账支票 >/dev/null 2>"$tmp/err" \
        || fail "read-only fill exited $?: $(cat "$tmp/err")"
    "$exe" template export 支票/转账支票 "$tmp/t.json" --db "$db" >/dev/null || fail "export exited $?"
    chmod 644 "$tmp/t.json"
    as_user "$exe" template import "$tmp/t.json" --as 支票/只读副本 --db "$tmp/ro/DB/BillDB.db" >/dev/null 2>"$tmp/err"; rc=$?
    [ $rc -eq 3 ] || fail "import into a read-only database: exit $rc, expected 3"
    grep -q "只读" "$tmp/err" || fail "the refusal does not say the database is read-only: $(cat "$tmp/err")"
    [ "$(sha1sum <"$tmp/ro/DB/BillDB.db")" = "$before" ] || fail "the read-only database was changed"
    [ -z "$(ls "$tmp/ro/DB" | grep -v '^BillDB.db$')" ] || fail "files were left beside it: $(ls "$tmp/ro/DB")"
    # One that an earlier version left in write-ahead mode opens as well.
    sq "$tmp/ro/DB/BillDB.db" "PRAGMA journal_mode=WAL" >/dev/null
    chmod 644 "$tmp/ro/DB/BillDB.db"
    as_user "$exe" templates --db "$tmp/ro/DB/BillDB.db" >"$tmp/out" 2>"$tmp/err" \
        || fail "read-only WAL database: exit $?: $(cat "$tmp/err")"
    grep -qx '支票/转账支票' "$tmp/out" || fail "read-only WAL database lists nothing"
    # The owner's next start puts it back into the ordinary journal mode.
    "$exe" templates --db "$tmp/ro/DB/BillDB.db" >/dev/null || fail "owner's start exited $?"
    [ "$(sq "$tmp/ro/DB/BillDB.db" "PRAGMA journal_mode")" = delete ] || fail "still in write-ahead mode"
fi
echo "1 passed, 0 failed"
