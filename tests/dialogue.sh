#!/usr/bin/env bash
# One dialogue: types NAME.in into the program and expects NAME.out back to
# the byte, nothing on standard error, and exit status 0.
# Usage: dialogue.sh PROGRAM CASE [LAUNCHER...]
set -u
exe=$1 case=$2
shift 2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

"$@" "$exe" <"$case.in" >"$out" 2>"$err"
status=$? fail=0
cmp -s "$out" "$case.out" || { echo "screen differs (expected, got):"; diff "$case.out" "$out" | head -20; fail=1; }
[ "$status" -eq 0 ] || { echo "exit status $status"; fail=1; }
[ ! -s "$err" ] || { echo "standard error:"; head -20 "$err"; fail=1; }
exit "$fail"
