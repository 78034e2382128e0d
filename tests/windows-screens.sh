#!/usr/bin/env bash
# The Windows screens are facts, not captures: the Linux program, with a pow
# that multiplies whole powers as MinGW-w64's does and with NaN spelled
# without its sign as MinGW-w64's printf spells it, must print the screen
# that the Windows build is held to in every dialogue: NAME.mingw-w64.out
# where the platform differs, else NAME.out. A NAME.mingw-w64.out that is no
# different from NAME.out fails too.
# Usage: windows-screens.sh PROGRAM   (built with GCC and libstdc++, as MinGW-w64's)
set -u
exe=$(realpath "$1") dialogues=$(dirname "$0")/dialogues
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -shared -fPIC -O2 -ffp-contract=off -o "$work/libwhole-powers-multiplied.so" \
  "$(dirname "$0")/whole-powers-multiplied.c" || exit 1

fail=0 count=0
while IFS= read -r input; do
  case=${input%.in}
  windows=$case.mingw-w64.out
  [ -e "$windows" ] || windows=$case.out
  LD_PRELOAD=$work/libwhole-powers-multiplied.so "$exe" <"$input" 2>&1 |
    sed 's/^-nan$/nan/' >"$work/screen"
  cmp -s "$work/screen" "$windows" ||
    { echo "${case#"$dialogues"/}: not what ${windows##*/} holds"; diff "$windows" "$work/screen" | head -5; fail=1; }
  [ "$windows" = "$case.out" ] || ! cmp -s "$windows" "$case.out" ||
    { echo "${case#"$dialogues"/}: ${windows##*/} is the same as NAME.out"; fail=1; }
  count=$((count + 1))
done < <(find "$dialogues" -name '*.in' | sort)
((count > 0)) || { echo "no dialogues found in $dialogues"; exit 1; }
exit "$fail"
