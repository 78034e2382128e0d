#!/usr/bin/env bash
# glibc's pow has two code paths on x86-64: one for CPUs with FMA and AVX2, one
# for the rest, which the tunable below forces. Their cubes and squares differ
# in the last bit for about one argument in 1,400, and start 4.6 with λ 0.1
# shows it in the run count: 797 runs on the first path, 988 on the second.
# Usage: pow-paths.sh PROGRAM
set -u
exe=$1

if ! grep -qw fma /proc/cpuinfo || ! grep -qw avx2 /proc/cpuinfo; then
  echo "this CPU has no FMA or no AVX2: pow has one path here, nothing to switch"
  exit 77
fi

runs() { printf 'n 4.6 0.1 2000\n' | "$@" "$exe" | sed -n 's/^Done after: \([0-9]*\) runs$/\1/p'; }
with=$(runs env -u GLIBC_TUNABLES)
without=$(runs env GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA)
[ "$with" = 797 ] || { echo "pow with FMA: expected 797 runs, got ${with:-no Done line}"; exit 1; }
[ "$without" = 988 ] || { echo "pow without FMA: expected 988 runs, got ${without:-no Done line}"; exit 1; }
