#!/usr/bin/env bash
# Draws run-count-map.png from the program's own output: for every start point
# from -4 to 4 (step 0.025) and damping factor from 0.05 to 2 (step 0.025), the
# result of one run of the program with the built-in limit of 500 runs.
# Usage: docs/run-count-map.sh PROGRAM OUTPUT-DIRECTORY
set -euo pipefail
export LC_ALL=C
program=$1 output=$2

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

# The two ways of not finishing, as red green blue.
finite="190 190 190" infinite="214 39 40"
hex() { printf '#%02x%02x%02x' "$@"; }

# One row of the map: every start point for one damping factor. The last line
# of each run is its result: the Done line, or the last iterate when the limit
# came first. A cell is "start lambda runs red green blue alpha result": the
# runs are coloured by the palette, the two ways of not finishing by the RGBA.
row() {
  local lambda=$1 start i
  for ((i = -160; i <= 160; ++i)); do
    printf -v start '%.3f' "$((i * 25))e-3"
    "$program" <<<"n $start $lambda 500"
    echo "= $start"
  done | awk -v lambda="$lambda" -v finite="$finite" -v infinite="$infinite" '
    /^= / {
      if (last ~ /^Done after: /) { split(last, word, " "); print $2, lambda, word[3], 0, 0, 0, 0, "done" }
      else if (last ~ /inf|nan/) print $2, lambda, "NaN", infinite, 255, "infinite"
      else print $2, lambda, "NaN", finite, 255, "finite"
      next
    }
    { last = $0 }' >"$data/row-$lambda"
}
export -f row
export program data finite infinite
seq 2 80 | awk '{ printf "%.3f\n", $1 / 40 }' | xargs -P "$(nproc)" -I{} bash -c 'row {}'
cat "$data"/row-* >"$data/map"

cells=$(wc -l <"$data/map")
count() { awk -v result="$1" '$8 == result' "$data/map" | wc -l; }

gnuplot <<GNUPLOT
set terminal pngcairo size 960,640 font ",11"
set output "$output/run-count-map.png"
set title "Damped Newton on f(x) = x^3 - 2x + 2: runs until the Done line, at most 500" font ",13"
set xlabel "start point"
set ylabel "damping factor λ"
set xrange [-4.0125:4.0125]
set yrange [0.0375:2.0125]
set xtics 1
set ytics 0.25
set logscale cb
set cbrange [1:500]
set cbtics (1, 2, 5, 10, 20, 50, 100, 200, 500)
set cblabel "runs until the Done line (log scale)"
set palette defined (0 "#fde725", 0.25 "#5ec962", 0.5 "#21918c", 0.75 "#3b528b", 1 "#440154")
set key outside bottom center horizontal
set ytics add ("undamped  1" 1, "built in  0.5" 0.5)
set xtics add ("built-in start  0" 0)
set label "" at 0, 0.5 front point pt 6 ps 1.6 lw 2 lc rgb "white"
plot "$data/map" using 1:2:3 with image notitle, \
     "$data/map" using 1:2:4:5:6:7 with rgbalpha notitle, \
     keyentry with boxes fill solid border lc rgb "black" fc rgb "$(hex $finite)" \
       title "no Done line, iterates still finite: $(count finite) of $cells", \
     keyentry with boxes fill solid border lc rgb "black" fc rgb "$(hex $infinite)" \
       title "no Done line, iterates infinite or NaN: $(count infinite)"
GNUPLOT
