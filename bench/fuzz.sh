#!/usr/bin/env bash
# bench/fuzz.sh SECONDS — runs every fuzz target (one per parser of bytes from another
# process, listed in build/fuzz/fuzz-targets.txt) for SECONDS each, one after the other,
# and prints per target the inputs run, libFuzzer's coverage figures (cov: edges reached,
# ft: features) and the size of the corpus, then any finding with its reproducer.
#
# Unlike the suite's short runs, which start from the seeds each time, the corpus found
# here is kept (build/fuzz/fuzz-corpus/TARGET) and the next run goes on from it; a
# random seed each run. A finding is kept in build/fuzz/fuzz-findings/TARGET-*; rerun it
# with the target program and that file as its argument. The exit code is 1 when any
# target found something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
seconds=${1:?usage: bench/fuzz.sh SECONDS}

"$root/scripts/fuzz-build.sh" >/dev/null
list=$build/fuzz/fuzz-targets.txt
findings=$build/fuzz/fuzz-findings
mkdir -p "$findings"

status=0
printf '%-24s %10s %8s %8s %14s  %s\n' target runs cov ft corpus finding
while read -r name program seeds maxlen; do
  corpus=$build/fuzz/fuzz-corpus/$name
  mkdir -p "$corpus"
  log=$build/fuzz/fuzz-corpus/$name.log
  result=ok
  if ! "$program" -max_total_time="$seconds" -max_len="$maxlen" -malloc_limit_mb=16 -rss_limit_mb=1024 \
      -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" "$seeds" >"$log" 2>&1; then
    result="FOUND (see $log)"
    status=1
  fi
  last=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED|NEW|REDUCE|pulse)' "$log" | tail -n 1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  size=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  printf '%-24s %10s %8s %8s %14s  %s\n' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${size:-?}" "$result"
done <"$list"
exit $status
