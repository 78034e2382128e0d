#!/usr/bin/env bash
# A screen that cannot be written must not pass for success: with standard
# output on a full disk (/dev/full) or closed, the program ends the run at the
# first lost line, says why in one line on standard error and exits with
# status 1. A reader that goes away still ends it by SIGPIPE, as any filter.
# Usage: unwritable-screen.sh PROGRAM [LAUNCHER...]
set -u
exe=$1 launcher=("${@:2}")
err=$(mktemp)
trap 'rm -f "$err"' EXIT
exec {report}>&1
fail() { printf '%s\n' "$@" >&"$report"; exit 1; }

# Types $2 into the program, with the standard output the call is given, and
# expects status $3 and standard error $4, within 10 seconds.
check() {
  printf '%s\n' "$2" | timeout 10 "${launcher[@]}" "$exe" 2>"$err"
  local status=$?
  ((status != 124)) || fail "$1: still running after 10 seconds"
  [ "$status" -eq "$3" ] || fail "$1: exit status $status, expected $3"
  cmp -s "$err" <(printf %s "${4:+$4$'\n'}") ||
    fail "$1: standard error should be ${4:+the line: }${4:-empty}" "  it is (cat -A):" "$(cat -A "$err")"
}
full="damped-newton: write error: No space left on device"
check "the built-in run on a full disk" y 1 "$full" >/dev/full
check "the built-in run with standard output closed" y 1 \
  "damped-newton: write error: Bad file descriptor" >&-
# Overflowing pows set errno too: the reason given must still be the write's.
# And a run whose every line is NaN ends at the first, not the limit.
check "two billion NaN lines on a full disk" "n 1e200 0.5 2000000000" 1 "$full" >/dev/full
check "two billion NaN lines into a pipe closed after one" "n 1e200 0.5 2000000000" 141 "" \
  > >(head -n 1 >/dev/null)
