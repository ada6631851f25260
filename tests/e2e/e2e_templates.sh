#!/usr/bin/env bash
# billprint templates: list, exit codes, and a database that is not one.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$("$exe" templates --db "$tmp/new/BillDB.db") || fail "templates on a new database exited $?"
echo "$out" | grep -qx '通用票据/通用凭证' || fail "default template not listed: $out"
[ -f "$tmp/new/BillDB.db" ] || fail "no default database was created"

printf 'this is not a database' > "$tmp/bad.db"
"$exe" templates --db "$tmp/bad.db" >"$tmp/out" 2>"$tmp/err"; rc=$?
[ $rc -eq 3 ] || fail "unusable database: exit $rc, expected 3"
[ ! -s "$tmp/out" ] || fail "unusable database printed on stdout"
grep -q "bad.db" "$tmp/err" || fail "message does not name the file"
[ "$(cat "$tmp/bad.db")" = 'this is not a database' ] || fail "the bad file was changed"

"$exe" templates --bogus >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "unknown option: exit $rc, expected 2"
"$exe" nonsense >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "unknown command: exit $rc, expected 2"
# Tree order and the rows a tree would not show.
cp "$tmp/new/BillDB.db" "$tmp/rows.db"
python3 - "$tmp/rows.db" <<'PY' || fail "could not prepare the rows database"
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.execute("DELETE FROM ClassList"); c.execute("DELETE FROM BillList")
c.executemany("INSERT INTO ClassList VALUES (?,?)", [(2, "B类"), (1, "A'类"), (2, "dup")])
c.executemany("INSERT INTO BillList VALUES (?,?,?)", [(1, "x", 1), (2, "y", 2), (3, "z", 1), (4, "orphan", 9)])
c.commit()
PY
out=$("$exe" templates --db "$tmp/rows.db") || fail "templates on custom rows exited $?"
[ "$out" = "$(printf "B类/y\nA'类/x\nA'类/z")" ] || fail "unexpected tree order: $out"
python3 -c "import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); c.execute('INSERT INTO BillList VALUES (5,NULL,1)'); c.commit()" "$tmp/rows.db"
out=$("$exe" templates --db "$tmp/rows.db" 2>"$tmp/err") || fail "templates with a Null name exited $?"
[ "$out" = "$(printf "B类/y\nA'类/x\nA'类/z")" ] || fail "a template row without a name hides the others: $out"
grep -q "left out.*bKey=5, bName=NULL" "$tmp/err" || fail "the row without a name is not named: $(cat "$tmp/err")"
echo "1 passed, 0 failed"
