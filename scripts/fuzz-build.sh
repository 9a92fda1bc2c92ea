#!/usr/bin/env bash
# fuzz-build.sh — configures and builds the fuzz tree ($QUAY_BUILD_DIR/fuzz, default
# build/fuzz): clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, the
# platform-free pieces and one fuzz target per parser of another process's bytes (see
# cmake/QuayFuzz.cmake). scripts/test.sh runs the targets briefly, bench/fuzz.sh for as
# long as asked. Optimised (with debug information): unoptimised instrumented code spends
# most of its time in libFuzzer's feature bookkeeping instead of in the parsers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUAY_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build/fuzz" --target quay_fuzz_targets -j "${QUAY_JOBS:-$(nproc)}"
