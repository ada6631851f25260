#!/usr/bin/env bash
# The "words" command: words and a newline on stdout, nothing else; usage
# errors and amounts that cannot be put into words (a usage error too) exit
# 2 with a message on stderr only.
set -u
exe="$1"
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

expect() { # status stdout args...
    local status="$1" want="$2"
    shift 2
    "$exe" words "$@" >"$tmp/out" 2>"$tmp/err"
    local got=$?
    if [ "$got" != "$status" ]; then
        echo "FAIL: words $* exited $got, expected $status"; cat "$tmp/err"; fail=1; return
    fi
    if [ "$status" = 0 ]; then
        printf '%s\n' "$want" | cmp -s - "$tmp/out" ||
            { echo "FAIL: words $*: got [$(cat "$tmp/out")], expected [$want]"; fail=1; }
        [ -s "$tmp/err" ] && { echo "FAIL: words $* wrote to stderr"; fail=1; }
    else
        [ -s "$tmp/out" ] && { echo "FAIL: words $* wrote to stdout"; fail=1; }
        [ -s "$tmp/err" ] || { echo "FAIL: words $* gave no message"; fail=1; }
    fi
}

expect 0 "壹仟贰佰叁拾肆圆伍角陆分" chinese 1234.56
expect 0 "壹圆整" chinese 100
expect 0 "壹佰圆整" chinese 100 --places 0
expect 0 "壹圆零伍厘" chinese 1.005 --places=3
expect 0 "" chinese 00000000000
expect 0 "One Thousand Two Hundred And Thirty-Four Dollars And Fifty-Six Cent Only" english 1234.56
expect 0 "Ten Thousand  Dollars Only" english 10000
expect 0 "Two Billion   And One Dollars Only" english 2000000001
expect 2 "" chinese 12345678901234567.00
expect 0 "Overflow 21" english 1000000000000000000000
expect 2 "" chinese abc
expect 2 "" english -5
expect 2 "" chinese
expect 2 "" french 12
expect 2 "" chinese 12 --places 4
expect 2 "" chinese 12 --places x
expect 2 "" english 12 --places 2
expect 2 "" english 12 13
expect 2 "" english 12 --bogus

[ "$fail" = 0 ] && echo "words: all checks passed"
exit "$fail"
