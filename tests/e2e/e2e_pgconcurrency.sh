#!/usr/bin/env bash
# Two workstations print at once into one server database: 2 x 100
# "billprint fill --pdf" processes, run 20 at a time each, record 200 bills
# in the template's register, none lost and none doubled. Skips (77) without
# the test server of tools/start-postgres.sh, or while fill records nothing.
set -u
exe="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
url=${BILLPRINT_PG_URL:-$(cat "${BILLPRINT_PG_URL_FILE:-/tmp/billprint-pg.url}" 2>/dev/null)}
if [ -z "$url" ] || ! psql "$url" -Atqc 'SELECT 1' >/dev/null 2>&1; then
    echo "skipped: no test server (tools/start-postgres.sh)"
    exit 77
fi
psql "$url" -qc 'DROP DATABASE IF EXISTS bp_e2e_concurrent WITH (FORCE)' -c 'CREATE DATABASE bp_e2e_concurrent' \
    >/dev/null 2>&1 || fail "could not create the database"
db=${url%/*}/bp_e2e_concurrent
template=支票/转账支票
register='"H_支票_转账支票"'
rows() { psql "$db" -Atc "SELECT COUNT(*) FROM $register"; }

# Workstations starting together on an empty database set it up once.
for i in 1 2 3 4; do "$exe" templates --db "$db" >"$tmp/list$i" 2>"$tmp/err$i" & done
wait
for i in 2 3 4; do cmp -s "$tmp/list1" "$tmp/list$i" || fail "start $i listed other templates: $(cat "$tmp/err$i")"; done
[ "$(psql "$db" -Atc 'SELECT COUNT(*) FROM "ClassList"')" = "$(grep -c . <(cut -d/ -f1 "$tmp/list1" | sort -u))" ] \
    || fail "the default data was set up more than once"

"$exe" fill --template "$template" --db "$db" --set 00606000=1.00 --pdf "$tmp/probe.pdf" >/dev/null \
    || fail "fill --pdf exited $?"
before=$(rows)
if [ "$before" -eq 0 ]; then
    echo "skipped: fill --pdf records no bills in the register yet"
    exit 77
fi

station() { # NUMBER: 100 bills of its own amounts
    seq 1 100 | xargs -P 20 -I{} sh -c \
        "\"$exe\" fill --template $template --db '$db' --set 00606000=$1{}.00 --pdf '$tmp/$1-{}.pdf' >/dev/null 2>>'$tmp/err-$1' || echo {} >>'$tmp/failed-$1'"
}
station 1 &
station 2 &
wait
[ ! -s "$tmp/failed-1" ] && [ ! -s "$tmp/failed-2" ] \
    || fail "some prints failed: $(cat "$tmp"/failed-* | wc -l); $(head -3 "$tmp"/err-*)"
after=$(rows)
[ $((after - before)) -eq 200 ] || fail "$((after - before)) bills recorded, expected 200"
# Each bill once, each with a number of its own.
[ "$(psql "$db" -Atc "SELECT COUNT(DISTINCT \"RegNo\") FROM $register")" = "$after" ] || fail "two bills share a number"
amounts=$(psql "$db" -Atc "SELECT COUNT(*) FROM $register WHERE \"RegNo\" > 1")
[ "$amounts" = 200 ] || fail "$amounts bills after the first, expected 200"
distinct=$(psql "$db" -Atc "SELECT COUNT(DISTINCT \"00606000\") FROM $register")
[ "$distinct" = "$after" ] || fail "$distinct different amounts among $after bills: one was recorded twice"
echo "1 passed, 0 failed"
