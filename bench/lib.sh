# shellcheck shell=bash
# Helpers shared by the benchmark scripts (sourced, not run). The caller sets `data`
# (the benchmark's data folder).

now() { date +%s.%N; }

# Moves an old copy out of the way: renamed aside when it holds many files, deleted
# otherwise. Deleting thousands of just-written files makes the next file creations next
# to them crawl for minutes on ext4 without a journal; the parked copies go at the end.
# shellcheck disable=SC2154  # data is the caller's
discard() {
  [ -e "$1" ] || return 0
  if [ "$(find "$1" -type f | head -n 1001 | wc -l)" -gt 1000 ]; then
    mkdir -p "$data/parked"
    mv "$1" "$data/parked/$(date +%s%N)"
  else
    rm -rf "$1"
  fi
}

# Writes back what the previous runs left (their data, and the freeing of a deleted copy),
# then waits until the page cache holds little unwritten data (or 20 s have passed): the
# run that crosses the kernel's write-back line would otherwise be throttled for the
# others' data.
settle() {
  local k left
  sync
  for ((k = 0; k < 40; k++)); do
    left=$(awk '/^(Dirty|Writeback):/ {s += $2} END {print s + 0}' /proc/meminfo)
    [ "$left" -lt 131072 ] && return 0
    sleep 0.5
  done
}

# Stops the benchmark when a program it times was not built.
require_built() {  # files...
  local f
  for f in "$@"; do
    [ -f "$f" ] || { echo "bench: $f is missing; run scripts/test.sh first" >&2; exit 2; }
  done
}

# Prepares the prefix for a benchmark: S: and U: are the two folders (a new dosdevices
# link is seen by file access at once), one wineserver lives as long as the script, and
# Wine's background processes start here, with no output attached.
# shellcheck disable=SC2154  # root is the caller's
start_wine() {  # prefix, folder for S:, folder for U:
  "$root/scripts/wine-prefix.sh" "$1"
  export WINEPREFIX=$1 WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  mkdir -p "$2" "$3"
  ln -sfn "$2" "$1/dosdevices/s:"
  ln -sfn "$3" "$1/dosdevices/u:"
  wineserver -f -p >/dev/null 2>&1 &
  server=$!
  trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true; rm -rf "$data/parked"' EXIT
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
