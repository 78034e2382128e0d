#!/usr/bin/env bash
# The page's module with its functions' names, for a profile to name them:
# the wasm preset's objects linked again and given the same passes as
# web/damped-newton.wasm (binaryen's -O3, which clang runs at the link, then
# asyncify and -O2), keeping the names that those drop.
# Usage: bench/named-module.sh [BUILD-WASM-FOLDER] [OUTPUT]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-wasm} output=${2:-$build/damped-newton-named.wasm}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wasm-ld-14 -m wasm32 -L/usr/lib/wasm32-wasi /usr/lib/wasm32-wasi/crt1-reactor.o --entry _initialize \
  --export=__main_void --global-base=65536 --export=__global_base \
  "$build"/CMakeFiles/damped-newton.dir/src/*.obj -lc++ -lc++abi -lc \
  "$(clang-14 --print-libgcc-file-name --target=wasm32-wasi)" -o "$work/linked.wasm"
wasm-opt -g -O3 "$work/linked.wasm" -o "$work/optimised.wasm"
calls=wasi_snapshot_preview1.fd_read,wasi_snapshot_preview1.fd_write,wasi_snapshot_preview1.fd_close
wasm-opt -g --asyncify --pass-arg=asyncify-imports@$calls -O2 "$work/optimised.wasm" -o "$output"
echo "$output"
