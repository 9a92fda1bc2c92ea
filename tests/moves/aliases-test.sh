#!/usr/bin/env bash
# A job whose destination reaches the source under another name: a drive letter mapped to
# the source's folder, the \\?\ form, an 8.3 short name, a hard link. The headless runner
# does each job under Wine on real files; each must end without a question, report the
# error the case calls for, and leave every source byte as it was.
source "$(dirname "$0")/runner.sh" "$1"
# The Z: form of a Linux path: winepath -w would prefer the letter mapped below.
zpath() { printf 'Z:%s' "${1//\//\\}"; }
short() { LC_ALL=ja_JP.UTF-8 WINEPREFIX=$prefix WINEDEBUG=-all winepath -s "$1"; }

work=$(mktemp -d "$build_dir/moves-aliases.XXXXXX")
letter=m
link="$prefix/dosdevices/$letter:"
trap 'rm -f "$link"; rm -rf "$work"' EXIT
base=$work/base
reference=$work/reference
# A running wineserver resolves a new dosdevices link at its next file access.
ln -sfn "$base" "$link"
M="${letter^^}:"

fresh() {
  rm -rf "$base" "$reference"
  mkdir -p "$base/Long Folder Name/sub" "$base/links/src" "$base/links/dst"
  printf 'top\n' >"$base/Long Folder Name/a.txt"
  head -c 70000 /dev/urandom >"$base/Long Folder Name/sub/b.bin"
  printf 'loose file\n' >"$base/file.txt"
  head -c 5000 /dev/urandom >"$base/links/src/f.bin"
  ln "$base/links/src/f.bin" "$base/links/dst/f.bin"
  cp -a "$base" "$reference"
}

# case: name, expected line pattern, runner arguments...
check() {
  case_name=$1
  local expected=$2
  shift 2
  fresh
  local out
  out=$(run --answer overwrite=5,all --answer retry=2,all "$@") && fail "the job reported no error: $out"
  grep -q '^2003 ' <<<"$out" && fail "a question was asked: $out"
  grep -qE "$expected" <<<"$out" || fail "no '$expected' in: $out"
  diff -r "$reference" "$base" >/dev/null || fail "a source changed: $(diff -r "$reference" "$base" || true)"
  # The hard link still is one file with two names, with all its bytes.
  [ "$(stat -c %i "$base/links/src/f.bin")" = "$(stat -c %i "$base/links/dst/f.bin")" ] || fail "the hard link was split"
  echo "ok: $case_name"
}

fresh
long=$(zpath "$base/Long Folder Name")
short=$(short "$base/Long Folder Name")
case "$short" in *'~'*) ;; *) fail "Wine gave no short name for $long: $short" ;; esac
file=$(zpath "$base/file.txt")
links=$(zpath "$base/links")

# The copy of a folder into a folder of its own, by another name: refused before any
# question (type 11, the destination inside the source).
check "inside the source, through a drive letter" '^2002 error type=11$' "$long" "$M\\Long Folder Name\\sub"
check "inside the source, through \\\\?\\" '^2002 error type=11$' "$long" "\\\\?\\$long\\sub"
check "inside the source, through its short name" '^2002 error type=11$' "$long" "$short\\sub\\new"
# A move into the folder the source is already in: nothing to do (type 1).
check "a move into its own folder, through a drive letter" '^2002 error type=1$' -m "$file" "$M\\"
check "a move of a folder into its own parent, through the short name" '^2002 error type=1$' -m "$long" \
  "$(short "$base")"
# A copy onto itself, and a move onto a second name of the same file: an error of that item
# (80, the file exists), with "overwrite all" given: neither is truncated nor deleted.
check "a copy of a file onto itself, through a drive letter" "^2002 error windows error=80 path=$M\\\\file.txt$" \
  "$file" "$M\\"
check "a copy of a folder onto itself, through a drive letter" \
  "^2002 error windows error=80 path=$M\\\\Long Folder Name$" "$long" "$M\\"
# (Through the other letter: on one letter the move would be a rename, which Wine makes a
# quiet no-op between two names of one file.)
check "a move onto a hard link of the same file" "^2002 error windows error=80 path=$M\\\\links\\\\dst\\\\f\\.bin$" -m \
  "$links\\src\\f.bin" "$M\\links\\dst"
echo "8 passed, 0 failed"
