#!/usr/bin/env bash
# wine-run.sh [--capture] [--started] [--prefix PREFIX] PROGRAM [ARGS...] — runs a Windows
# program under Wine with the Japanese user locale. With --prefix it is one of the
# project's own prefixes, made and configured for the tests on first use; without it
# WINEPREFIX is the user's prefix, used as it is. --started: the caller has already run a
# Wine program with its output going elsewhere, which started Wine's background processes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
capture=0
started=0
if [ "${1:-}" = "--capture" ]; then
  capture=1
  shift
fi
if [ "${1:-}" = "--started" ]; then
  started=1
  shift
fi
if [ "${1:-}" = "--prefix" ]; then
  prefix=$2
  shift 2
  "$here/wine-prefix.sh" "$prefix"
else
  prefix=${WINEPREFIX:?no Wine prefix given}
fi
export WINEPREFIX=$(realpath -m "$prefix")
export WINEDEBUG=${QUAY_WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Wine's own background processes (services, device manager) start with the first
# program and inherit its output; start them here with no output attached, or a test
# runner reading this program's output would wait for them to end.
[ $started = 1 ] || wine cmd /c exit </dev/null >/dev/null 2>&1 || true
if [ $capture = 0 ]; then
  exec wine "$@"
fi
# Under a test runner: a process that Wine starts on the program's behalf (the desktop
# window process among them) inherits the program's output and outlives it. Writing to a
# file of our own keeps the runner from waiting on such a process until its time-out.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out"' EXIT
status=0
wine "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
