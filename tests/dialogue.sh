#!/usr/bin/env bash
# One dialogue: types NAME.in into the program and expects the screen back to
# the byte, nothing on standard error, and exit status 0. The screen is
# NAME.PLATFORM.out for the first of PLATFORMS that has one, else NAME.out;
# with LINE_ENDS=crlf (Windows) every line of it ends in CR LF instead.
# Usage: dialogue.sh PROGRAM CASE "PLATFORMS" [LAUNCHER...]
set -u
exe=$1 case=$2 expected=$2.out
for platform in $3; do
  [ -e "$case.$platform.out" ] && { expected=$case.$platform.out; break; }
done
shift 3
out=$(mktemp) err=$(mktemp) screen=$(mktemp)
trap 'rm -f "$out" "$err" "$screen"' EXIT
if [ "${LINE_ENDS:-lf}" = crlf ]; then sed -z 's/\n/\r\n/g' "$expected" >"$screen"; else cp "$expected" "$screen"; fi

# A runaway program must not fill the disk: its screen may outgrow the
# expected one by 64 KiB (ulimit counts KiB), and SIGXFSZ ends it there.
(ulimit -f $(($(wc -c <"$screen") / 1024 + 64)); exec "$@" "$exe" <"$case.in" >"$out" 2>"$err")
status=$? fail=0
cmp -s "$out" "$screen" || { echo "screen differs from ${expected##*/} (expected, got):"; diff "$screen" "$out" | cat -A | head -20; fail=1; }
[ "$status" -eq 0 ] || { echo "exit status $status"; fail=1; }
[ ! -s "$err" ] || { echo "standard error:"; head -20 "$err"; fail=1; }
exit "$fail"
