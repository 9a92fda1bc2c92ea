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
