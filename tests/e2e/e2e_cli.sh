#!/usr/bin/env bash
# The program's own options, answered without a display: --help and
# --version exit 0, a mistake on the window's command line exits 2 with a
# usage line, and values that begin with a dash stay values.
set -u
exe=$(readlink -f "$1")
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bad() { echo "FAIL: $*"; fail=1; }
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$exe" "$@" >"$tmp/out" 2>"$tmp/err"; }

for help in --help -h "words --help" "fill --template 支票/转账支票 --help"; do
    # shellcheck disable=SC2086
    nodisplay $help; rc=$?
    [ $rc = 0 ] || bad "$help exited $rc: $(cat "$tmp/err")"
    grep -q '^usage: billprint \[--db PATH\]' "$tmp/out" || bad "$help: no usage on stdout"
    grep -q 'billprint batch --template' "$tmp/out" || bad "$help: the commands are not listed"
    [ -s "$tmp/err" ] && bad "$help wrote to stderr: $(cat "$tmp/err")"
done

for version in --version -v; do
    nodisplay $version; rc=$?
    [ $rc = 0 ] || bad "$version exited $rc: $(cat "$tmp/err")"
    grep -Eqx 'billprint [0-9]+\.[0-9]+(\.[0-9]+)?' "$tmp/out" || bad "$version printed: $(cat "$tmp/out")"
done

# Usage errors of the window: exit 2, a usage line, no window needed.
for args in "--bogus" "--db" "stray" "-x" "--version --db x.db" "--db x.db extra"; do
    # shellcheck disable=SC2086
    nodisplay $args; rc=$?
    [ $rc = 2 ] || bad "\"$args\" exited $rc, expected 2: $(cat "$tmp/err")"
    grep -q '^usage: billprint' "$tmp/err" || bad "\"$args\": no usage line on stderr: $(cat "$tmp/err")"
    [ -s "$tmp/out" ] && bad "\"$args\" wrote to stdout"
done

# An option given last without its value is a usage error, never a file
# named "--".
(cd "$tmp" && "$exe" templates --db >/dev/null 2>&1); rc=$?
[ $rc = 2 ] || bad "templates --db exited $rc, expected 2"
[ -e "$tmp/--" ] && bad "templates --db created a file named --"

# Option values and words may begin with a dash.
# (-1 reaches the date command as its digits, which are no date.)
nodisplay date 04010501060107 -1; rc=$?
[ $rc = 2 ] && grep -q '"-1" is not a date' "$tmp/err" || bad "date with a word beginning with a dash exited $rc: $(cat "$tmp/err")"
nodisplay words chinese 1.005 --places=3; rc=$?
[ "$(cat "$tmp/out")" = "壹圆零伍厘" ] || bad "--places=3 gave $(cat "$tmp/out")"

[ $fail = 0 ] && echo "cli: all checks passed"
exit $fail
