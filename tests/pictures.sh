#!/usr/bin/env bash
# The pictures in docs/ are the program's own: redrawn from this build, each
# must be the committed file byte for byte.
# They were drawn with glibc's pow on its path for x86-64 CPUs with FMA and
# AVX2; on the other path some cells of the map differ.
# Usage: pictures.sh PROGRAM
set -u
if ! grep -qw fma /proc/cpuinfo || ! grep -qw avx2 /proc/cpuinfo || [ -n "${GLIBC_TUNABLES:-}" ]; then
  echo "the pictures are drawn with glibc's pow for CPUs with FMA and AVX2, not this CPU's or GLIBC_TUNABLES's"
  exit 77
fi
docs=$(dirname "$0")/../docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$docs/plot.sh" "$1" "$work" >/dev/null || exit 1
fail=0
for picture in "$work"/*.png; do
  cmp -s "$picture" "$docs/${picture##*/}" ||
    { echo "docs/${picture##*/} is not what this build draws: redraw it with bash docs/plot.sh"; fail=1; }
done
exit "$fail"
