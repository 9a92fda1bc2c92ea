#!/usr/bin/env bash
# bench/move-matrices.sh [COUNT] [SEED] — the long form of the two matrices that the tests
# run in a short form: a move of the mixed tree killed with TerminateProcess at COUNT
# random points (the real Quaysail.exe), and a copy or move cancelled at COUNT random
# points (default 100 each). SEED repeats an earlier run; without it each matrix draws
# one and prints it. Prints each matrix's summary line and exits non-zero when a point
# lost or damaged a file. Build first with scripts/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
count=${1:-100}
export QUAY_MATRIX_COUNT=$count
[ -n "${2:-}" ] && export QUAY_MATRIX_SEED=$2
prefix=$build/x64/wineprefix
"$root/scripts/wine-prefix.sh" "$prefix"
status=0
for matrix in crash cancel; do
  exe=$build/x64/tests/moves/moves_${matrix}_matrix.exe
  [ -f "$exe" ] || { echo "move-matrices: $exe is missing; build the x64 tree first" >&2; exit 2; }
  # The test program runs from its own folder, as under CTest.
  if (cd "$(dirname "$exe")" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe"); then
    echo "$matrix matrix: $count points passed"
  else
    code=$?
    [ $code = 77 ] && echo "$matrix matrix: skipped" || { echo "$matrix matrix: FAILED"; status=1; }
  fi
done
exit $status
