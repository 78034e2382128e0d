#!/usr/bin/env bash
# Draws tangent-steps.png, the textbook picture of Newton's method, from the
# program's own iterates: from start 0, undamped (λ = 1) on the left and
# damped (λ = 0.5) on the right. Each run is the tangent at the iterate, the
# point where it meets the axis, and the step taken, which λ shortens. On the
# right, the first run and the run that leaves the valley of f (whose step
# lands left of the hump at -sqrt(2/3)) are drawn in full; the runs between
# and after are faint. The script computes f and its tangents only to draw
# them; every iterate is one the program printed.
# Usage: docs/tangent-steps.sh PROGRAM OUTPUT-DIRECTORY
set -euo pipefail
export LC_ALL=C
program=$1 output=$2

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT

# The hump of f, at -sqrt(2/3): a step that lands left of it has left the
# valley for the root's side.
hump=$(awk 'BEGIN { printf "%.17g", -sqrt(2 / 3) }')

# One panel's runs from start 0: "run x f(x) tangent-zero next-x colour" per
# run, for the first $2 runs with damping factor $1, and its Done line. Runs
# take colour $3; given $4, the first run keeps it, the one that leaves the
# valley takes $4, and all others a light tint of $3.
runs() {
  local lambda=$1 shown=$2 screen=$data/screen-$1
  printf 'n\n0\n%s\n500\n' "$lambda" | "$program" >"$screen"
  { echo 0; grep -E '^-?[0-9]' "$screen"; } | head -n $((shown + 1)) |
    awk -v hue="$3" -v accent="${4:-}" -v hump="$hump" '
      function f(x) { return x * x * x - 2 * x + 2 }
      function df(x) { return 3 * x * x - 2 }
      function rgb(c,   v) { split(c, v, " "); return (v[1] * 256 + v[2]) * 256 + v[3] }
      function tint(c,   v, i, t) {
        split(c, v, " ")
        for (i = 1; i <= 3; ++i) t = t * 256 + int(v[i] + 0.6 * (255 - v[i]))
        return t
      }
      NR > 1 {
        k = NR - 1
        colour = rgb(hue)
        if (accent) {
          if (!escaped && $1 < hump) { escaped = k; colour = rgb(accent) }
          else if (k > 1) colour = tint(hue)
        }
        print k, x, f(x), x - f(x) / df(x), $1, colour
      }
      { x = $1 }' >"$data/runs-$lambda"
  grep -o 'Done after: [0-9]* runs' "$screen" || echo "no Done line in 500 runs"
}
orange="211 84 0"
undamped=$(runs 1 4 "192 57 43")
damped=$(runs 0.5 15 "36 113 163" "$orange")
root=$(grep -E '^-?[0-9]' "$data/screen-0.5" | tail -n 1)
# The run that leaves the valley: its number, the iterate it starts from, where
# its tangent meets the axis, and where half of that step lands.
read -r escape from aim landing _ < <(awk -v hump="$hump" '$5 < hump { print $1, $2, $4, $5; exit }' "$data/runs-0.5")
aim=$(printf '%.3g' "$aim")
accent=$(printf '#%02x%02x%02x' $orange)

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
       with labels left offset 0.8, 0 boxed notitle
PANEL
}

gnuplot <<GNUPLOT
set terminal pngcairo size 1280,720 font ",12"
set output "$output/tangent-steps.png"
f(x) = x**3 - 2*x + 2
row(k) = -0.3 * k
set multiplot layout 1,2 title "Newton's method on f(x) = x^3 - 2x + 2 from x_0 = 0: the tangent at each iterate, and the step taken" font ",13"
set xrange [-4.3:3.0]
set yrange [-4.9:3.6]
set xtics -4, 1, 2
set ytics -4, 1, 3
set xzeroaxis lt -1 lw 1
set grid lc rgb "#e4e4e4"
# Labels on a white ground, so that no grid line runs through one.
set style textbox opaque noborder margins 1, 1
set xlabel "x"
set samples 400
set label 1 "root ${root}" at -2.05, -0.75 right front boxed
set arrow 1 from -2.0, -0.65 to ${root}, -0.06 lw 1 lc rgb "#555555" front

set title "λ = 1 (undamped): runs 1 to 4, ${undamped}"
set ylabel "f(x)"
set key at graph 0.98, graph 0.36 right box opaque samplen 2 spacing 1.15 font ",11"
$(panel 1)

set title "λ = 0.5: runs 1 to 15 of the 63, ${damped}"
unset ylabel
unset key
set label 2 "run ${escape} leaves the valley:\nthe tangent at\nx_{$((escape - 1))} = ${from} points\nto ${aim}, and half of that\nstep lands on ${landing}" \
  at -4.2, 3.3 left front boxed tc rgb "${accent}"
set label 3 "${aim}" at ${aim}, -0.3 center front boxed tc rgb "${accent}"
set label 4 "x_{${escape}}" at ${landing}, -0.3 center front boxed tc rgb "${accent}"
$(panel 0.5)
unset multiplot
GNUPLOT
