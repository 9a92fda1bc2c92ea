#!/usr/bin/env bash
# bench/program.sh [DATA-FOLDER [OTHER-DRIVE-FOLDER]] — times the real copy tool as a user
# starts it: Quaysail.exe through its start-up, its progress dialog (unseen, Wine's null
# display driver) and its exit, against the system's own copy engine in a console program
# (bench-copyfileex.exe, CopyFileExW a file at a time) started the same way.
#
# Peers (BENCH_PEERS, default "tool tool-script copyfileex"):
#   tool         wine Quaysail.exe SOURCE DEST, with a persistent wineserver
#   tool-script  scripts/quaysail SOURCE DEST with Linux paths, as a user types it
#   copyfileex   wine bench-copyfileex.exe SOURCE DEST, started as "tool" is
# Further builds of Quaysail.exe join as peers through BENCH_TOOLS="NAME=PATH ...", each
# started both ways (NAME and NAME-script); so an older build runs interleaved with this
# one, on the same data and under the same load.
# Workloads (BENCH_WORKLOADS, default "one hundred large"): a folder with one 4 KiB file,
# a folder with 100 files of 8 KiB, and a folder with one 1 GiB file. The copies go to
# another drive letter (BENCH_TARGETS "u") or within the source's drive ("s"); default
# both. S: is DATA-FOLDER/s; U: is OTHER-DRIVE-FOLDER when given (another file system,
# for a copy across drives), DATA-FOLDER/u otherwise. On a tmpfs (/dev/shm/...) no disk
# write-back is timed.
#
# Each workload runs one uncounted warm-up round of every peer, then BENCH_REPS (default
# 5) rounds, the order rotated each round so that no peer always follows the same one.
# A run counts only when its copy has every byte of the source (compared with cmp).
# Reported: min, median and max seconds per peer, and the ratio of its median to the
# median of copyfileex. Build first with scripts/test.sh (or the targets Quaysail and
# bench-copyfileex of the x64 tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
reps=${BENCH_REPS:-5}
read -r -a workloads <<<"${BENCH_WORKLOADS:-one hundred large}"
read -r -a targets <<<"${BENCH_TARGETS:-u s}"
read -r -a peers <<<"${BENCH_PEERS:-tool tool-script copyfileex}"
read -r -a extra <<<"${BENCH_TOOLS:-}"
data=$(realpath -m "${1:-$(mktemp -d /var/tmp/quaybench.XXXXXX)}")
other=$(realpath -m "${2:-$data/u}")
# A prefix of its own, so that a benchmark can run beside the tests.
prefix=${BENCH_PREFIX:-$build/x64/wineprefix-bench}
copyex=$build/x64/bench/bench-copyfileex.exe

declare -A exe=([tool]=$build/x64/copytool/app/Quaysail.exe)
for e in "${extra[@]}"; do
  name=${e%%=*}
  exe[$name]=$(realpath -m "${e#*=}")
  peers+=("$name" "$name-script")
done
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
require_built "$copyex" "${exe[@]}"
start_wine "$prefix" "$data/s" "$other"

echo "bench: data in $data (S:) and $other (U:), $reps rounds after one warm-up round"
PYTHONPATH=$root/bench python3 - "$data/s" <<'PY'
import os, sys
from benchfiles import make
base = sys.argv[1]
make(os.path.join(base, 'one', 'a.txt'), 4096, 1)
for i in range(100):
    make(os.path.join(base, 'hundred', 'f%03d.bin' % i), 8192, 100 + i)
make(os.path.join(base, 'large', 'big.bin'), 1 << 30, 2)
PY

run_peer() {  # peer workload target(s|u) -> prints seconds, or nan when the copy is wrong
  local peer=$1 w=$2 t=$3
  local folder=$data/s
  [ "$t" = u ] && folder=$other
  local out="$folder/out-$peer"
  discard "$out"
  mkdir -p "$out"
  local dst_win="${t^^}:\\out-$peer" start end status=0
  settle
  start=$(now)
  case $peer in
    copyfileex) wine "$copyex" "S:\\$w" "$dst_win\\$w" >/dev/null 2>&1 || status=$? ;;
    *-script)
      # The user's own prefix, given as WINEPREFIX, and Linux paths.
      QUAYSAIL_EXE=${exe[${peer%-script}]} "$root/scripts/quaysail" "$data/s/$w" "$out" \
        >/dev/null 2>&1 </dev/null || status=$? ;;
    *) wine "${exe[$peer]}" "S:\\$w" "$dst_win" >/dev/null 2>&1 </dev/null || status=$? ;;
  esac
  end=$(now)
  if ! cmp_tree "$data/s/$w" "$out/$w"; then
    echo "bench: $peer ($w, $t) left an incomplete or wrong copy (exit $status)" >&2
    echo nan
    return
  fi
  python3 -c "print('%.3f' % ($end - $start))"
}

# The same files with the same bytes on both sides.
cmp_tree() {
  local a=$1 b=$2 f
  [ -d "$b" ] || return 1
  [ "$(cd "$a" && find . -type f | sort)" = "$(cd "$b" && find . -type f | sort)" ] || return 1
  while IFS= read -r f; do
    cmp -s "$a/$f" "$b/$f" || return 1
  done < <(cd "$a" && find . -type f)
}

stats() {  # times... -> "min median max" or "nan nan nan"
  python3 -c "
import sys, statistics
v = [float(x) for x in sys.argv[1:] if x != 'nan']
print('%.3f %.3f %.3f' % (min(v), statistics.median(v), max(v)) if v else 'nan nan nan')" "$@"
}

printf '%-8s %-12s %-16s %8s %8s %8s %6s %10s\n' workload destination peer min median max runs /copyfileex
for w in "${workloads[@]}"; do
  for t in "${targets[@]}"; do
    declare -A times=()
    for ((r = -1; r < reps; r++)); do
      for ((k = 0; k < ${#peers[@]}; k++)); do
        p=${peers[$(( (k + r + 1) % ${#peers[@]} ))]}
        s=$(run_peer "$p" "$w" "$t")
        # Round -1 warms the page cache, Wine's loaded libraries and the file system's
        # free lists; it is not counted.
        [ "$r" -ge 0 ] && times[$p]+="$s "
      done
    done
    dest=$([ "$t" = u ] && echo "other-drive" || echo "same-drive")
    read -r _ peer_median _ <<<"$(stats ${times[copyfileex]:-nan})"
    for p in "${peers[@]}"; do
      read -r lo mid hi <<<"$(stats ${times[$p]})"
      n=$(for x in ${times[$p]}; do [ "$x" != nan ] && echo; done | wc -l)
      ratio=$(python3 -c "import sys; a,b=sys.argv[1:]; print('nan' if 'nan' in (a,b) or float(b)==0 else '%.2f' % (float(a)/float(b)))" "$mid" "$peer_median")
      printf '%-8s %-12s %-16s %8s %8s %8s %6s %10s\n' "$w" "$dest" "$p" "$lo" "$mid" "$hi" "$n/$reps" "$ratio"
    done
    unset times
    for o in "$data/s"/out-* "$other"/out-*; do discard "$o"; done
  done
done
