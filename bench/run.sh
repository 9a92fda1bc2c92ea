#!/usr/bin/env bash
# bench/run.sh [DATA-FOLDER] — times the engine against its peers on the same data:
#   engine     the copy engine, headless (quaysail-engine-run.exe)
#   copyfileex the system's own copy engine, a file at a time (bench-copyfileex.exe)
#   xcopy      Wine's xcopy /E /I
#   bare       the floor: the fewest Windows calls per file, on one thread (bench-bare.exe);
#              bare/cp is the share of a ratio to cp that the platform itself costs
#   cp         the native cp -r, as the machine's reference
# Workloads: one 1 GiB file, 5000 files of 8 KiB in 50 folders, and a mixed tree; each
# copied to another drive letter and to the same drive. Repetitions are interleaved
# (BENCH_REPS, default 3) and the median is reported, with the ratio engine/peer and the
# engine's peak memory (the largest over the repetitions: its own peak working set and
# peak private bytes as it reports them, and the peak resident size Linux measured for
# its process). The data stays in DATA-FOLDER (default: a new temporary folder) for
# later runs. Build first with scripts/test.sh.
#
# Two things on this kind of machine would otherwise time the file system rather than the
# copiers, and differently for each peer depending on who ran before: the unwritten data
# of the previous copies (the kernel starts writing it back only once it is 30 s old or
# a tenth of the memory, and the copy that crosses that line is throttled), and the
# inodes of a deleted copy of thousands of files (ext4 without a journal skips recently
# freed inodes one by one for minutes, which slows every file creation next to them). So
# each timed run first writes back what is unwritten (and waits at most 20 s for what is
# still left), and a copy of many files is moved aside instead of deleted, the moved
# copies going only when the benchmark ends.
#
# To run a part only: BENCH_WORKLOADS (default "large small mixed"), BENCH_TARGETS
# ("u" another drive, "s" the same drive; default both) and BENCH_PEERS (default
# "engine copyfileex xcopy bare cp"; the ratio column needs the engine among them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
reps=${BENCH_REPS:-3}
read -r -a workloads <<<"${BENCH_WORKLOADS:-large small mixed}"
read -r -a targets <<<"${BENCH_TARGETS:-u s}"
read -r -a peers <<<"${BENCH_PEERS:-engine copyfileex xcopy bare cp}"
data=$(realpath -m "${1:-$(mktemp -d /var/tmp/quaybench.XXXXXX)}")
prefix=$build/x64/wineprefix
engine=$build/x64/tests/tools/quaysail-engine-run.exe
copyex=$build/x64/bench/bench-copyfileex.exe
bare=$build/x64/bench/bench-bare.exe
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
require_built "$engine" "$copyex" "$bare"
# S: holds the sources (and the same-drive copies), U: the copies to another drive.
start_wine "$prefix" "$data/s" "$data/u"

echo "bench: data in $data, $reps repetitions"
PYTHONPATH=$root/bench python3 - "$data/s" <<'PY'
import os, sys, random
from benchfiles import make
base = sys.argv[1]
make(os.path.join(base, 'large', 'big.bin'), 1 << 30, 1)
for d in range(50):
    for i in range(100):
        make(os.path.join(base, 'small', 'd%02d' % d, 'f%03d.bin' % i), 8192, d * 100 + i)
rnd = random.Random(7)
for i in range(400):
    size = rnd.choice([0, 1, 700, 4096, 65536, 300000, 1 << 20, 5 << 20])
    make(os.path.join(base, 'mixed', 'g%d' % (i % 9), 'h%d' % (i % 4), 'm%03d.dat' % i), size, 1000 + i)
for i in range(4):
    make(os.path.join(base, 'mixed', 'big%d.bin' % i), 48 << 20, 2000 + i)
PY

winpath() { winepath -w "$1" 2>/dev/null; }

run_peer() {  # peer workload target-drive(s|u) -> prints seconds
  local peer=$1 w=$2 t=$3
  local out="$data/$t/out-$peer"
  discard "$out"
  mkdir -p "$out"
  local src_win="S:\\$w" dst_win="${t^^}:\\out-$peer"
  local start end
  settle
  start=$(now)
  case $peer in
    engine)
      # GNU time, when there, adds the peak resident size of the process as Linux saw it.
      if [ -x /usr/bin/time ]; then
        /usr/bin/time -f 'linux-max-rss-kib=%M' -a -o "$data/engine-$w-$t.log" \
          wine "$engine" -q "$src_win" "$dst_win" >> "$data/engine-$w-$t.log" 2>&1
      else
        wine "$engine" -q "$src_win" "$dst_win" >> "$data/engine-$w-$t.log" 2>&1
      fi ;;
    copyfileex) wine "$copyex" "$src_win" "$dst_win\\$w" >/dev/null 2>&1 ;;
    bare) wine "$bare" "$src_win" "$dst_win\\$w" >/dev/null 2>&1 ;;
    xcopy) wine xcopy /E /I /Q /Y "$src_win" "$dst_win\\$w" >/dev/null 2>&1 ;;
    cp) cp -r "$data/s/$w" "$out/" ;;
  esac
  end=$(now)
  # Every peer must have produced the whole tree, or its time means nothing.
  local want have
  want=$(du -sb --apparent-size "$data/s/$w" | cut -f1)
  have=$(du -sb --apparent-size "$out/$w" 2>/dev/null | cut -f1 || echo 0)
  if [ "$want" != "$have" ]; then
    echo "bench: $peer copied $have of $want bytes of $w" >&2
    echo "nan"
    return
  fi
  python3 -c "print('%.3f' % ($end - $start))"
}

median() { python3 -c "import sys,statistics; v=[float(x) for x in sys.argv[1:] if x!='nan']; print('%.3f' % statistics.median(v) if v else 'nan')" "$@"; }

largest() {  # largest() KEY LOG -> the largest KEY=value in LOG, or ?
  local v
  v=$(grep -o "$1=[0-9]*" "$2" 2>/dev/null | cut -d= -f2 | sort -n | tail -1 || true)
  echo "${v:-?}"
}

printf '%-8s %-12s %-11s %10s %12s\n' workload destination peer median-s engine/peer
for w in "${workloads[@]}"; do
  for t in "${targets[@]}"; do
    declare -A times=()
    : > "$data/engine-$w-$t.log"
    for ((r = 0; r < reps; r++)); do
      # Rotate the order so that no peer always runs right after the data was written.
      for ((k = 0; k < ${#peers[@]}; k++)); do
        p=${peers[$(( (k + r) % ${#peers[@]} ))]}
        times[$p]+="$(run_peer "$p" "$w" "$t") "
      done
    done
    dest=$([ "$t" = u ] && echo "other-drive" || echo "same-drive")
    emed=$(median ${times[engine]:-nan})
    for p in "${peers[@]}"; do
      m=$(median ${times[$p]})
      ratio=$(python3 -c "import sys; e,m=sys.argv[1:]; print('nan' if 'nan' in (e,m) or float(m)==0 else '%.2f' % (float(e)/float(m)))" "$emed" "$m")
      printf '%-8s %-12s %-11s %10s %12s\n' "$w" "$dest" "$p" "$m" "$ratio"
    done
    if [ -n "${times[engine]:-}" ]; then
      log="$data/engine-$w-$t.log"
      printf '%-8s %-12s engine peak working set: %s KiB (private %s KiB, Linux max RSS %s KiB)\n' "$w" "$dest" \
        "$(largest peak-working-set-kib "$log")" "$(largest peak-pagefile-kib "$log")" "$(largest linux-max-rss-kib "$log")"
    fi
    unset times
    for o in "$data/$t"/out-*; do discard "$o"; done
  done
done
