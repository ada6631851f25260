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
echo "1 passed, 0 failed"
