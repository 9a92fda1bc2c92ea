#!/usr/bin/env bash
# bench/run.sh [DATA-FOLDER] — times the engine against three peers on the same data:
#   engine     the copy engine, headless (quaysail-engine-run.exe)
#   copyfileex the system's own copy engine, a file at a time (bench-copyfileex.exe)
#   xcopy      Wine's xcopy /E /I
#   cp         the native cp -r, as the machine's reference
# Workloads: one 1 GiB file, 5000 files of 8 KiB in 50 folders, and a mixed tree; each
# copied to another drive letter and to the same drive. Repetitions are interleaved
# (BENCH_REPS, default 3) and the median is reported, with the ratio engine/peer and the
# engine's peak memory. The data stays in DATA-FOLDER (default: a new temporary folder)
# for later runs. Build first with scripts/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
reps=${BENCH_REPS:-3}
data=$(realpath -m "${1:-$(mktemp -d /var/tmp/quaybench.XXXXXX)}")
prefix=$build/x64/wineprefix
engine=$build/x64/tests/tools/quaysail-engine-run.exe
copyex=$build/x64/bench/bench-copyfileex.exe
for f in "$engine" "$copyex"; do
  [ -f "$f" ] || { echo "bench: $f is missing; run scripts/test.sh first" >&2; exit 2; }
done

"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Two drive letters of their own: S: holds the sources (and the same-drive copies),
# U: the copies to another drive. A new dosdevices link is seen by file access at once.
mkdir -p "$data/s" "$data/u"
ln -sfn "$data/s" "$prefix/dosdevices/s:"
ln -sfn "$data/u" "$prefix/dosdevices/u:"
wineserver -f -p >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

echo "bench: data in $data, $reps repetitions"
python3 - "$data/s" <<'PY'
import os, sys, random
base = sys.argv[1]
def make(path, size, seed):
    if os.path.exists(path) and os.path.getsize(path) == size: return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    rnd = random.Random(seed)
    block = rnd.randbytes(1 << 20)
    with open(path, 'wb') as f:
        left = size
        while left:
            n = min(left, len(block)); f.write(block[:n]); left -= n
            block = block[1:] + block[:1]
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

now() { date +%s.%N; }
winpath() { winepath -w "$1" 2>/dev/null; }

run_peer() {  # peer workload target-drive(s|u) -> prints seconds
  local peer=$1 w=$2 t=$3
  local out="$data/$t/out-$peer"
  rm -rf "$out"
  mkdir -p "$out"
  local src_win="S:\\$w" dst_win="${t^^}:\\out-$peer"
  local start end
  start=$(now)
  case $peer in
    engine) wine "$engine" -q "$src_win" "$dst_win" > "$data/engine-$w-$t.log" 2>&1 ;;
    copyfileex) wine "$copyex" "$src_win" "$dst_win\\$w" >/dev/null 2>&1 ;;
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

peers=(engine copyfileex xcopy cp)
printf '%-8s %-12s %-11s %10s %12s\n' workload destination peer median-s engine/peer
for w in large small mixed; do
  for t in u s; do
    declare -A times=()
    for ((r = 0; r < reps; r++)); do
      # Rotate the order so that no peer always runs right after the data was written.
      for ((k = 0; k < ${#peers[@]}; k++)); do
        p=${peers[$(( (k + r) % ${#peers[@]} ))]}
        times[$p]+="$(run_peer "$p" "$w" "$t") "
      done
    done
    dest=$([ "$t" = u ] && echo "other-drive" || echo "same-drive")
    emed=$(median ${times[engine]})
    for p in "${peers[@]}"; do
      m=$(median ${times[$p]})
      ratio=$(python3 -c "import sys; e,m=sys.argv[1:]; print('nan' if 'nan' in (e,m) or float(m)==0 else '%.2f' % (float(e)/float(m)))" "$emed" "$m")
      printf '%-8s %-12s %-11s %10s %12s\n' "$w" "$dest" "$p" "$m" "$ratio"
    done
    peak=$(grep -o 'peak-working-set-kib=[0-9]*' "$data/engine-$w-$t.log" | cut -d= -f2 || true)
    printf '%-8s %-12s engine peak working set: %s KiB\n' "$w" "$dest" "${peak:-?}"
    unset times
    rm -rf "$data/$t"/out-*
  done
done
