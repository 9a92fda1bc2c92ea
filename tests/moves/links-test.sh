#!/usr/bin/env bash
# A source with a link back to one of its own folders. Wine shows a Linux symbolic link to
# a folder as a plain folder with its target's identity, so only the identity can tell the
# walk that it has been there: a copy and a move must end, copy every real file once, and
# a move must delete nothing that it did not copy.
source "$(dirname "$0")/runner.sh" "$1"

# The destination on D:, so that a move copies and deletes instead of renaming.
d_root=$(realpath "$prefix/dosdevices/d:")
work=$(mktemp -d "$build_dir/moves-links.XXXXXX")
dst_root=$(mktemp -d "$d_root/moves-links.XXXXXX")
trap 'rm -rf "$work" "$dst_root"' EXIT

fresh() {
  rm -rf "$work/src" "$work/reference" "$dst_root/dst"
  mkdir -p "$work/src/sub/deeper" "$dst_root/dst"
  printf 'a\n' >"$work/src/a.txt"
  head -c 70000 /dev/urandom >"$work/src/sub/b.bin"
  printf 'c\n' >"$work/src/sub/deeper/c.txt"
  ln -s ../.. "$work/src/sub/deeper/up"   # back to src itself
  ln -s .. "$work/src/sub/here"           # back to sub
  cp -a "$work/src" "$work/reference"
}

# Every real file, once, byte for byte; each link to an ancestor an empty folder.
check_copy() {
  local copy=$dst_root/dst/src
  for f in a.txt sub/b.bin sub/deeper/c.txt; do
    cmp -s "$work/reference/$f" "$copy/$f" || fail "$f was not copied"
  done
  for l in sub/deeper/up sub/here; do
    [ -d "$copy/$l" ] && [ ! -L "$copy/$l" ] || fail "$l is not a folder in the copy"
    [ -z "$(ls -A "$copy/$l")" ] || fail "$l was walked into"
  done
  [ "$(find "$copy" -type f | wc -l)" = 3 ] || fail "files copied more than once: $(find "$copy" -type f)"
}

case_name="copy"
fresh
out=$(run "$work/src" "$dst_root/dst") || fail "the copy failed: $out"
check_copy
diff -r --no-dereference "$work/reference" "$work/src" >/dev/null || fail "the source changed"
echo "ok: $case_name"

# The folders that hold the links cannot be removed (the links stay at the source, being
# no part of the move's own files): those removals fail and are skipped, nothing else.
case_name="move"
fresh
out=$(run -m --answer retry=2,all "$work/src" "$dst_root/dst") || true
grep -q '^2001 finished' <<<"$out" || fail "the move did not end: $out"
check_copy
for f in a.txt sub/b.bin sub/deeper/c.txt; do
  [ ! -e "$work/src/$f" ] || fail "$f was not deleted after its copy"
done
[ -L "$work/src/sub/deeper/up" ] && [ -L "$work/src/sub/here" ] || fail "a link was deleted"
[ "$(readlink "$work/src/sub/here")" = .. ] || fail "a link changed"
echo "ok: $case_name"
echo "2 passed, 0 failed"
