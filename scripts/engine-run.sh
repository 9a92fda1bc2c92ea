#!/usr/bin/env bash
# engine-run.sh [-m] [-q] [--answer KIND=VALUE[,all]]... SOURCE... DEST
# Runs one copy (or, with -m, move) job with the engine under Wine, without a window,
# printing one line per notification and a summary line. Paths may be Linux paths
# (converted with winepath) or Windows paths. Uses WINEPREFIX when it is set, else the
# project's test prefix. Exit code 0 only when the job finished without an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
exe="$build/x64/tests/tools/quaysail-engine-run.exe"
if [ ! -f "$exe" ]; then
  echo "engine-run: $exe is missing; run scripts/test.sh (or build the x64 tree) first" >&2
  exit 2
fi
if [ -n "${WINEPREFIX:-}" ]; then
  prefix=$WINEPREFIX
  run=("$root/scripts/wine-run.sh")
else
  prefix=$build/x64/wineprefix
  "$root/scripts/wine-prefix.sh" "$prefix"
  run=("$root/scripts/wine-run.sh" --prefix "$prefix")
fi

args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --answer) args+=("$1" "$2"); shift 2 ;;
    -m|-q) args+=("$1"); shift ;;
    # In the UTF-8 locale the engine runs in, or a non-ASCII name comes back as "?".
    /*) args+=("$(LC_ALL=ja_JP.UTF-8 WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$1")"); shift ;;
    *) args+=("$1"); shift ;;
  esac
done
exec "${run[@]}" "$exe" "${args[@]}"
