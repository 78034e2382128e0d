#!/usr/bin/env bash
# Talks to the program through pipes, as a person at a terminal would: each
# prompt must be on screen before the program waits for its answer, and after
# the run the program must keep waiting until one more number is typed. With
# LINE_ENDS=crlf (Windows) every line on screen ends in CR LF.
# Usage: terminal.sh PROGRAM [LAUNCHER...]
set -u
exe=$1 launcher=("${@:2}")

start() {
  coproc prog { exec "${launcher[@]}" "$exe"; }
  pid=$prog_PID
  exec {screen}<&"${prog[0]}" {keys}>&"${prog[1]}"
}
fail() { printf '%s\n' "$@"; exit 1; }

# Reads up to $1 characters of screen, waiting at most $2 seconds, into $seen.
look() { seen=; IFS= read -r -d '' -N "$1" -t "$2" seen <&"$screen"; }

# The next text on screen must be exactly $1.
expect() {
  local text=$1
  [ "${LINE_ENDS:-lf}" = crlf ] && text=${text//$'\n'/$'\r\n'}
  look "${#text}" 5
  [ "$seen" = "$text" ] || fail "expected $(printf %q "$text")" "     got $(printf %q "$seen")"
}

# Nothing more comes, and the screen stays open: the program waits for input.
waiting() {
  look 1 0.3
  (($? > 128)) || fail "expected the program to wait, got $(printf %q "${seen:-end of output}")"
}

# The program has closed its screen and exited with status 0.
finished() {
  look 1 5
  (($? == 1)) || fail "expected the program to end, got $(printf %q "${seen:-no end}")"
  wait "$pid" || fail "exit status $?"
  exec {screen}<&- {keys}>&-
}

# Each screen text, then what the user types once it is there and the
# program waits: the last answer is the number for the final wait.
screens=($'y for default values / n to input values\n' n
         'enter startpoint (double): ' 0
         $'\nenter lambda (double): ' 1
         $'\nenter maxRuns int: ' 4
         $'\n\n1\n0\n1\n0\n' 7)
start
for ((i = 0; i < ${#screens[@]}; i += 2)); do
  expect "${screens[i]}"
  waiting
  echo "${screens[i + 1]}" >&"$keys"
done
finished

# Answers typed on one line, then the whole screen: the final read finds
# input left over, or a failed stream, and the program ends without waiting.
ends_at_once() {
  start
  echo "$1" >&"$keys"
  expect $'y for default values / n to input values\nenter startpoint (double): \nenter lambda (double): \nenter maxRuns int: \n\n'"$2"
  finished
}
# A limit typed as 2.5 reads as 2 and leaves ".5" for the final read.
ends_at_once "n 0 0.5 2.5" $'0.5\n0.95\n'
# A limit past the 32-bit range fails its read: the run goes on to the largest
# limit there is, and the final read takes nothing.
ends_at_once "n -2 1 3000000000" $'-1.8\n-1.76995\n-1.76929\n-1.76929\n-1.76929\nDone after: 6 runs\n'
