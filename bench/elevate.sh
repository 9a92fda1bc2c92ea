#!/usr/bin/env bash
# bench/elevate.sh [REPETITIONS] — figures of the elevation pipe's records (see
# ElevateRecords.cpp): the size of one relayed event and the time of one notification
# after 1 minute, 1 hour and 10 hours of speed samples, with every sample kept (before)
# and the last one kept (after); and the hand-over of a job's status of 1 000, 100 000 and
# 1 000 000 items. Built natively, optimised and without sanitizers, in build/bench-native.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}/bench-native
reps=${1:-5}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench-elevate-records >/dev/null
"$build/bench/bench-elevate-records" event "$reps"
"$build/bench/bench-elevate-records" handover "$reps"
