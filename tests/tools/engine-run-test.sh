#!/usr/bin/env bash
# The headless runner end to end, as the benchmarks and a developer use it: Linux paths in,
# a copy, a second copy that meets every file again (skip for all), and a move; the bytes
# are compared with diff and the exit codes and summary lines checked.
set -euo pipefail
build_dir=$1    # the x64 build folder
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "$build_dir/engine-run-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
run() { QUAY_BUILD_DIR=$(dirname "$build_dir") "$root/scripts/engine-run.sh" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

src=$work/src
mkdir -p "$src/sub/深い" "$work/copy" "$work/moved"
printf 'hello\n' > "$src/a.txt"
head -c 300000 /dev/urandom > "$src/sub/b.bin"
: > "$src/sub/深い/空.txt"
head -c 5000 /dev/urandom > "$src/sub/深い/データ.dat"

out=$(run "$src" "$work/copy") || fail "copy exited $?: $out"
diff -r "$src" "$work/copy/src" || fail "copy differs"
grep -q '^2100 enumerated bytes=305006 ' <<<"$out" || fail "totals: $out"
grep -q '^summary: ok errors=0 questions=0 items=7/7 bytes=305006/305006' <<<"$out" || fail "summary: $out"

# Everything exists now: the folders are merged (asked once, for all), the files are
# skipped (asked once, for all), and nothing changes.
touch -d '2001-01-01' "$work/copy/src/a.txt"
out=$(run --answer overwrite=5,all --answer overwrite=2,all "$src" "$work/copy") || true
[ "$(grep -c '^2003 question overwrite ' <<<"$out")" = 2 ] || fail "not one merge and one skip-all: $out"
grep -q -- "-> answer=5 all$" <<<"$out" || fail "the folder was not merged: $out"
[ "$(stat -c %Y "$work/copy/src/a.txt")" = "$(date -d 2001-01-01 +%s)" ] || fail "a skipped file was rewritten"

# An unanswered question is cancelled, and the run says it failed.
if out=$(run "$src" "$work/copy"); then fail "a cancelled run exited 0: $out"; fi
grep -q '^2002 error type=5' <<<"$out" || fail "no cancel reported: $out"

# The tree as it was, to compare the move with: the move takes the source away.
cp -a "$src" "$work/original"
out=$(run -m "$src" "$work/moved") || fail "move exited $?: $out"
[ ! -e "$src" ] || fail "the moved source is still there"
diff -r "$work/original" "$work/moved/src" || fail "the moved tree differs from the source"
[ -f "$work/moved/src/sub/深い/空.txt" ] || fail "an empty file was lost in the move"
echo "1 passed, 0 failed"
