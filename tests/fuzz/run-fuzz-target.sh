#!/usr/bin/env bash
# run-fuzz-target.sh PROGRAM SEEDS WORK [LIBFUZZER OPTIONS...] — one run of a fuzz target
# from its seed corpus, as the suite's CTest test does: the inputs it finds go to WORK
# (emptied first, so every run starts from the seeds alone and is repeatable), a crash
# to WORK/artifacts. Prints libFuzzer's last status line (runs, coverage) and, on a
# finding, the reproducer's path; the exit code is libFuzzer's.
set -uo pipefail
program=$1 seeds=$2 work=$3
shift 3
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
log="$work/log.txt"
# Limits in the target's terms: a single allocation above 16 MiB can only be sized from
# the input (every input is at most a few KiB), and with the sanitizers 1 GiB of memory
# in all is a leak or a runaway.
"$program" -malloc_limit_mb=16 -rss_limit_mb=1024 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds" >"$log" 2>&1
status=$?
grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -n 1
grep -E '^stat::number_of_executed_units' "$log"
if [ $status -ne 0 ]; then
  cat "$log"
  for artifact in "$work"/artifacts/*; do
    [ -e "$artifact" ] && echo "reproduce with: $program $artifact"
  done
fi
exit $status
