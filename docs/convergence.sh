#!/usr/bin/env bash
# Draws convergence.png from the program's own output: the iterate against
# the run, from the built-in start 0 with the built-in limit of 500 runs, for
# damping factors 1, 0.5 and 0.25.
# Usage: docs/convergence.sh PROGRAM OUTPUT-DIRECTORY
set -euo pipefail
export LC_ALL=C
program=$1 output=$2

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
panels=()
for lambda in 1 0.5 0.25; do
  printf 'n\n0\n%s\n500\n' "$lambda" | "$program" >"$data/screen"
  # Iterate lines are the ones that are numbers; run 0 is the start point.
  { echo "0 0"; grep -E '^-?[0-9]' "$data/screen" | awk '{ print NR, $1 }'; } >"$data/$lambda"
  ending=$(grep -o 'Done after: [0-9]* runs' "$data/screen" || echo "no Done line, stopped by the limit")
  panels+=("$lambda" "$ending")
done

top=$(awk '$2 > max { max = $2 } END { printf "%.0f", max }' "$data/0.25")

gnuplot <<GNUPLOT
set terminal pngcairo size 900,900 font ",11"
set output "$output/convergence.png"
set multiplot layout 3,1 title "Damped Newton on f(x) = x^3 - 2x + 2 from x = 0" font ",13"
set ylabel "iterate x"
set yrange [-2.3:2.3]
set grid
root = -1.76929
set key top right
plot "$data/${panels[0]}" every ::0::40 with linespoints pt 7 ps 0.6 lc rgb "#c0392b" \
       title "λ = ${panels[0]}: ${panels[1]} (first 40 of 500 runs shown)", \
     root with lines dt 2 lc rgb "#555555" title "root -1.76929"
plot "$data/${panels[2]}" with linespoints pt 7 ps 0.6 lc rgb "#2471a3" \
       title "λ = ${panels[2]}: ${panels[3]}", \
     root with lines dt 2 lc rgb "#555555" notitle
set xlabel "run   (λ = 0.25 climbs up to ${top}: iterates above 4 run off the top)"
set yrange [-5.2:4]
set key bottom right
plot "$data/${panels[4]}" with linespoints pt 7 ps 0.4 lc rgb "#1e8449" \
       title "λ = ${panels[4]}: ${panels[5]}", \
     root with lines dt 2 lc rgb "#555555" notitle
unset multiplot
GNUPLOT
