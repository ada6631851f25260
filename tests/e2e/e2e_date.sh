#!/bin/bash
# The date command against the built program: formatted dates, digits that
# leave a field unchanged, and usage errors.
set -u
exe="$1"
fail=0

check() { # expected-output expected-status args...
    local want="$1" want_rc="$2"
    shift 2
    local got rc
    got="$("$exe" date "$@" 2>/dev/null)"
    rc=$?
    if [[ "$got" != "$want" || $rc -ne $want_rc ]]; then
        echo "FAIL: date $* gave '$got' (exit $rc), expected '$want' (exit $want_rc)"
        fail=1
    fi
}

check "2026年12月06日" 0 04010501060107 20261206
check "贰零贰陆年零壹拾月零贰拾日" 0 04050503060307 20261020
check "December 06,2026" 0 06019907000103 20261206
check "Dec" 0 02000008000000 12
check "" 0 07010501060107 20261206
check "" 0 04010501060107 2026-12-06
check "" 2 04010501060107
check "" 2 04010501060107 20261206 extra

# An order that shows nothing still ends its line; digits that are not a
# date print nothing at all.
[[ "$("$exe" date 07010501060107 20261206 | od -An -c | tr -d ' ')" == '\n' ]] || { echo "FAIL: empty date line"; fail=1; }
[[ -z "$("$exe" date 04010501060107 abc | od -An -c)" ]] || { echo "FAIL: non-numeric printed"; fail=1; }
"$exe" date 2>&1 >/dev/null | grep -q "usage: billprint date STYLE DIGITS" || { echo "FAIL: usage text"; fail=1; }

exit $fail
