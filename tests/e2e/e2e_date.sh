#!/bin/bash
# The date command against the built program: formatted dates, and usage
# errors for style codes and digits that are no date.
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
# Style codes that name no order, digits that are no date: exit 2, nothing printed.
for bad in "07010501060107 20261206" "0401050106010 20261206" "04010501060107x 20261206" \
           "\"\" 20261206" "04010501060107 2026-12-06" "04010501060107 99999999" \
           "04010501060107 1" "04010501060107 20260230" "04010501060107 \"\"" \
           "04010501060107 ２０２６１２０６" "02000008000000 13" "03000000000801 32" "02000008000000 0"; do
    eval "check '' 2 $bad"
done
check "" 2 04010501060107
check "" 2 04010501060107 20261206 extra

check "2026" 0 01010000000000 2026
"$exe" date 04010501060107 99999999 2>&1 >/dev/null | grep -q '"99999999" is not a date' || { echo "FAIL: message for 99999999"; fail=1; }
"$exe" date 2>&1 >/dev/null | grep -q "usage: billprint date STYLE DIGITS" || { echo "FAIL: usage text"; fail=1; }

exit $fail
