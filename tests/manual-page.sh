#!/usr/bin/env bash
# The manual page's example screens, as mandoc and as groff render them, must
# be the program's own: the pipe example is run as printed, and the terminal
# example is played as a person types it, each answer echoed once the program
# waits for it. The message shown under DIAGNOSTICS must be the program's on a
# full disk. Renderers drop blanks at line ends, so those are not compared.
# Usage: manual-page.sh PROGRAM PAGE
set -u
exe=$(realpath "$1") page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="${exe%/*}:$PATH"

# The literal display that starts with the line "$ COMMAND...", unindented,
# without blanks at line ends or empty lines at its end.
example() {
  start=$1 awk '
    !found && index($0, "$ " ENVIRON["start"]) { found = 1; indent = index($0, "$") }
    !found { next }
    NF && match($0, /^ */) && RLENGTH < indent - 1 { exit }
    { line[++n] = substr($0, indent) }
    END { while (n && line[n] == "") --n; for (i = 1; i <= n; ++i) print line[i] }' |
    sed 's/[[:blank:]]*$//'
}

# The screen of the program at a terminal: everything it writes, and each of
# the answers echoed when it has gone quiet, waiting for one. Bash unsets
# program_PID once the coprocess has ended, so its pid is kept at the start.
play() {
  local answer char pid
  coproc program { exec damped-newton; }
  pid=$program_PID
  exec {screen}<&"${program[0]}" {keys}>&"${program[1]}"
  echo '$ damped-newton'
  for answer in "$@" ''; do
    while IFS= read -r -d '' -N 1 -t 0.5 char <&"$screen"; do printf %s "$char"; done
    [ -n "$answer" ] && { echo "$answer"; echo "$answer" >&"$keys"; }
  done
  wait "$pid"
}

# Played in this shell, not in a pipeline, so that an error in the script
# ends the check with it.
play n -2 1 10 0 >"$work/played" || { echo "the terminal example ended with status $?"; exit 1; }
sed 's/[[:blank:]]*$//' "$work/played" >"$work/terminal"
message=$(echo y | damped-newton 2>&1 >/dev/full)
fail=0
for renderer in mandoc "groff -mandoc"; do
  $renderer -Tutf8 "$page" 2>/dev/null | col -bx >"$work/page"
  command=$(grep -m 1 -o '\$ printf.*' "$work/page")
  [ -n "$command" ] || { echo "$renderer: no pipe example on the page"; fail=1; continue; }
  example "${command#\$ }" <"$work/page" >"$work/shown"
  { echo "$command"; bash -c "${command#\$ }"; } | sed 's/[[:blank:]]*$//' >"$work/real"
  diff "$work/shown" "$work/real" >"$work/diff" ||
    { echo "$renderer: the pipe example is not the program's screen (shown, real):"; cat "$work/diff"; fail=1; }

  example damped-newton <"$work/page" >"$work/shown"
  diff "$work/shown" "$work/terminal" >"$work/diff" ||
    { echo "$renderer: the terminal example is not the program's screen (shown, real):"; cat "$work/diff"; fail=1; }

  sed 's/^ *//' "$work/page" | grep -qxF -- "$message" ||
    { echo "$renderer: the page does not show the message: $message"; fail=1; }
done
exit "$fail"
