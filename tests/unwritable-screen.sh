#!/usr/bin/env bash
# A screen that cannot be written or closed must not pass for success: the
# program ends the run at the first lost line, says why in one line on
# standard error, written whole in one call, and exits with status 1. A reader
# that goes away still ends it by SIGPIPE, as any filter; where there are no
# signals (WebAssembly) that write fails with EPIPE, as any other.
# Usage: unwritable-screen.sh writes|closed|pipe|broken-pipe PROGRAM [LAUNCHER...]
#        unwritable-screen.sh close PROGRAM CLOSE-FAILS [LAUNCHER...]
# CLOSE-FAILS is tests/stdout-close-fails.c built, which runs the rest of the
# launcher. With LINE_ENDS=crlf (Windows) the line on standard error ends in
# CR LF.
set -u
check=$1 exe=$2 launcher=("${@:3}")
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
exec {report}>&1
fail() { printf '%s\n' "$@" >&"$report"; exit 1; }
[ "${LINE_ENDS:-lf}" = crlf ] && line_end=$'\r\n' || line_end=$'\n'

# Types $2 into the program, with the standard output the call is given, and
# expects status $3 and standard error $4, within 10 seconds.
expect() {
  printf '%s\n' "$2" | timeout 10 "${launcher[@]}" "$exe" 2>"$work/err"
  local status=$?
  ((status != 124)) || fail "$1: still running after 10 seconds"
  [ "$status" -eq "$3" ] || fail "$1: exit status $status, expected $3"
  cmp -s "$work/err" <(printf %s "${4:+$4$line_end}") ||
    fail "$1: standard error should be ${4:+the line: }${4:-empty}" "  it is (cat -A):" "$(cat -A "$work/err")"
}
full="damped-newton: write error: No space left on device"

case $check in
writes)
  expect "the built-in run on a full disk" y 1 "$full" >/dev/full
  # Overflowing pows set errno too: the reason given must still be the
  # write's. And a run whose every line is NaN ends at the first, not the limit.
  expect "two billion NaN lines on a full disk" "n 1e200 0.5 2000000000" 1 "$full" >/dev/full
  ;;
closed)
  expect "the built-in run with standard output closed" y 1 \
    "damped-newton: write error: Bad file descriptor" >&-
  ;;
close)
  expect "the built-in run, its close failing" y 1 \
    "damped-newton: write error: Input/output error" >"$work/screen"
  cmp -s "$work/screen" "$here/dialogues/builtin-values.out" ||
    fail "the built-in run, its close failing: the screen before it is not whole:" \
         "$(diff "$here/dialogues/builtin-values.out" "$work/screen" | head -5)"
  # The line must reach a standard error that others share in one piece.
  # LeakSanitizer cannot run under strace, and would say so on standard error.
  if command -v strace >/dev/null; then
    echo y | ASAN_OPTIONS=detect_leaks=0 strace -o "$work/trace" -e trace=write "${launcher[@]}" "$exe" >/dev/null 2>&1
    writes=$(grep -c '^write(2,' "$work/trace")
    [ "$writes" -eq 1 ] || fail "the line on standard error took $writes write calls, not one"
  else
    echo "strace is missing (apt-get install strace): the close was checked, the line's write calls cannot be counted"
    exit 77
  fi
  ;;
pipe)
  expect "two billion NaN lines into a pipe closed after one" "n 1e200 0.5 2000000000" 141 "" \
    > >(head -n 1 >/dev/null)
  ;;
broken-pipe)
  expect "two billion NaN lines into a pipe closed after one, SIGPIPE ignored" \
    "n 1e200 0.5 2000000000" 1 "damped-newton: write error: Broken pipe" > >(head -n 1 >/dev/null)
  ;;
*)
  fail "no check $check: writes, closed, close, pipe or broken-pipe"
  ;;
esac
