#!/usr/bin/env bash
# Draws every picture in docs/ from the program's own output, with gnuplot
# (Debian: gnuplot-nox). The same program gives the same bytes each time.
# Usage: docs/plot.sh [PROGRAM [OUTPUT-DIRECTORY]]   (default: build/damped-newton docs)
set -euo pipefail
here=$(dirname "$0")
program=$(realpath -m "${1:-$here/../build/damped-newton}")
output=$(realpath -m "${2:-$here}")
[ -x "$program" ] || { echo "no program at $program: build it first (see README.md)" >&2; exit 1; }
command -v gnuplot >/dev/null || { echo "gnuplot is missing (apt-get install gnuplot-nox)" >&2; exit 1; }
mkdir -p "$output"

for picture in convergence tangent-steps run-count-map; do
  bash "$here/$picture.sh" "$program" "$output"
  echo "wrote $output/$picture.png"
done
