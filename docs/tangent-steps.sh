#!/usr/bin/env bash
# Draws tangent-steps.png, the textbook picture of Newton's method, from the
# program's own iterates: from start 0, undamped (λ = 1) on the left and
# damped (λ = 0.5) on the right. Each run is the tangent at the iterate, the
# point where it meets the axis, and the step taken, which λ shortens. The
# script computes f and its tangents only to draw them; every iterate is one
# the program printed.
# Usage: docs/tangent-steps.sh PROGRAM OUTPUT-DIRECTORY
set -euo pipefail
export LC_ALL=C
program=$1 output=$2

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

# One panel's runs from start 0: "run x f(x) tangent-zero next-x colour" per
# run, for the first $2 runs with damping factor $1, and its caption.
runs() {
  local lambda=$1 shown=$2 screen=$data/screen-$1
  printf 'n\n0\n%s\n500\n' "$lambda" | "$program" >"$screen"
  { echo 0; grep -E '^-?[0-9]' "$screen"; } | head -n $((shown + 1)) |
    awk -v shown="$shown" -v hue="$3" '
      function f(x) { return x * x * x - 2 * x + 2 }
      function df(x) { return 3 * x * x - 2 }
      # Later runs darker: from a light tint of the hue to the hue itself.
      function colour(k,   t, c, i, rgb) {
        t = shown > 1 ? (k - 1) / (shown - 1) : 1
        split(hue, c, " ")
        for (i = 1; i <= 3; ++i) rgb = rgb * 256 + int(c[i] + (1 - t) * 0.45 * (255 - c[i]))
        return rgb
      }
      NR > 1 { print NR - 1, x, f(x), x - f(x) / df(x), $1, colour(NR - 1) }
      { x = $1 }' >"$data/runs-$lambda"
  grep -o 'Done after: [0-9]* runs' "$screen" || echo "no Done line in 500 runs"
}
undamped=$(runs 1 4 "192 57 43")
damped=$(runs 0.5 15 "36 113 163")
root=$(grep -E '^-?[0-9]' "$data/screen-0.5" | tail -n 1)

# Steps run by run form a ladder under the axis, one row per run. Both panels
# draw the same things, from their own runs file; the left one has the key.
panel() {
  cat <<PANEL
plot f(x) with lines lw 2 lc rgb "black" title "f(x)", \
     "$data/runs-$1" using 5:(0):(0):(f(\$5)):6 with vectors nohead dt 3 lw 1 lc rgb variable notitle, \
     "" using 2:3:(\$4 - \$2):(-\$3):6 with vectors nohead lw 2 lc rgb variable title "tangent at the iterate", \
     "" using 2:3:6 with points pt 7 ps 1.1 lc rgb variable title "iterate on the curve", \
     "" using 4:(0):6 with points pt 6 ps 1.8 lw 2 lc rgb variable title "where the tangent meets the axis", \
     "" using 5:(0):6 with points pt 7 ps 0.7 lc rgb variable title "where the step lands", \
     "" using 2:(row(\$1)):(\$5 - \$2):(0):6 with vectors head filled size screen 0.008,25 lw 2 lc rgb variable \
       title "the step taken, one row per run", \
     "" using (\$5 > \$2 ? \$5 : \$2):(row(\$1)):(sprintf("x_{%d} = %s", \$1, strcol(5))) \
       with labels left offset 0.8, 0 notitle
PANEL
}

gnuplot <<GNUPLOT
set terminal pngcairo size 1100,660 font ",12"
set output "$output/tangent-steps.png"
f(x) = x**3 - 2*x + 2
row(k) = -0.3 * k
set multiplot layout 1,2 title "Newton's method on f(x) = x^3 - 2x + 2 from x_0 = 0: the tangent at each iterate, and the step taken" font ",13"
set xrange [-2.2:2.45]
set yrange [-4.9:3.6]
set xtics -2, 1, 2
set ytics -4, 1, 3
set xzeroaxis lt -1 lw 1
set grid lc rgb "#e4e4e4"
set xlabel "x"
set samples 400
set label 1 "root ${root}" at -1.7, -0.55 left front
set arrow 1 from -1.72, -0.42 to ${root}, -0.06 lw 1 lc rgb "#555555" front

set title "λ = 1 (undamped): runs 1 to 4, ${undamped}"
set ylabel "f(x)"
set key at graph 0.98, graph 0.36 right box opaque samplen 2 spacing 1.15 font ",11"
$(panel 1)

set title "λ = 0.5: runs 1 to 15 of the 63, ${damped}"
unset ylabel
unset key
$(panel 0.5)
unset multiplot
GNUPLOT
