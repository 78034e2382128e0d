#!/usr/bin/env bash
# A screen that cannot be written must not pass for success: with standard
# output on a full disk (/dev/full) or closed, the program says so in one line
# on standard error and exits with status 1.
# Usage: unwritable-screen.sh PROGRAM [LAUNCHER...]
set -u
exe=$1 launcher=("${@:2}")
err=$(mktemp)
trap 'rm -f "$err"' EXIT
exec {report}>&1

# Runs the program with the standard output that check is given.
check() {
  echo y | "${launcher[@]}" "$exe" 2>"$err"
  local status=$?
  [ "$status" -eq 1 ] || { echo "screen $1: exit status $status, expected 1" >&"$report"; exit 1; }
  [ "$(wc -l <"$err")" -eq 1 ] ||
    { echo "screen $1: expected one line on standard error, got:" >&"$report"; cat "$err" >&"$report"; exit 1; }
}
check "on a full disk" >/dev/full
check "closed" >&-
