#!/usr/bin/env bash
# The real Quaysail.exe through scripts/quaysail, as a user runs it, on the paths users
# take: a mixed tree (a folder and a loose file) copied and moved to another drive letter
# and within one drive. Each result is compared with the sources as they were: the bytes
# of every file, the folders (empty ones too) and the files' last-write times.
#
# D: and C: of the test prefix are folders of one Linux file system, where Wine's
# MoveFileW would move a file across letters by renaming it. A move to another letter
# must copy and then delete, so its files must be new files there (other inode numbers
# than the sources'); a move within a drive is a rename, which keeps them.
set -euo pipefail
build_dir=$1    # the x64 build folder
root=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$build_dir/wineprefix
"$root/scripts/wine-prefix.sh" "$prefix"
fail() { echo "FAIL: $*"; exit 1; }

# The letters as the prefix maps them.
c_root=$(realpath "$prefix/drive_c")
d_root=$(realpath "$prefix/dosdevices/d:")
[ "$c_root" != "$d_root" ] || fail "C: and D: are the same folder"
name=quaysail-script-test.$$
work_c=$c_root/$name
work_d=$d_root/$name
trap 'rm -rf "$work_c" "$work_d"' EXIT
mkdir -p "$work_c" "$work_d"

# The tree every run starts from; kept aside unchanged as the reference.
template=$work_c/template
mkdir -p "$template/src/sub/深い/より深い" "$template/src/空のフォルダ"
: >"$template/src/空.txt"
printf 'x' >"$template/src/one.txt"
head -c 65537 /dev/urandom >"$template/src/sub/step-and-one.bin"
head -c $((3 * 1048576 + 1)) /dev/urandom >"$template/src/sub/深い/データ.dat"
printf 'deep\n' >"$template/src/sub/深い/より深い/a.txt"
printf 'loose file\n' >"$template/単独.txt"
day=1
while IFS= read -r -d '' file; do
  touch -d "2011-03-$(printf %02d $day) 10:20:30" "$file"
  day=$((day + 1))
done < <(find "$template" -type f -print0 | sort -z)

# One order for sort and join; and the scripts must get Japanese names through to Wine
# whatever the caller's locale.
export LC_ALL=C
# Every folder, and every file with its size and last-write time, below a folder.
facts() {
  (cd "$1" && {
    find . -mindepth 1 -type d -printf '%P folder\n'
    find . -mindepth 1 -type f -printf '%P file %s %TY-%Tm-%Td %TH:%TM:%TS\n'
  } | sort)
}
# Every file with its inode number.
inodes() { (cd "$1" && find . -mindepth 1 -type f -printf '%P %i\n' | sort); }

# scripts/quaysail with the test prefix and no display. Without a display a question or an
# error box (a source that does not exist, say) would wait for an answer: the time limit
# turns that into a failure.
quaysail() {  # [-m] SOURCE... DEST
  local status=0
  env -u DISPLAY -u WINEPREFIX QUAY_BUILD_DIR="$(dirname "$build_dir")" \
    timeout 120 "$root/scripts/quaysail" "$@" || status=$?
  [ $status = 0 ] || fail "scripts/quaysail $* exited $status"
}

# One run: a fresh copy of the template below SOURCE-ROOT, the job into DEST-ROOT/dst.
# Linux paths, or Windows ones (C:\... and D:\...) when the run says so.
run() {  # label, copy|move, source root (Linux), destination root (Linux), linux|windows
  local label=$1 operation=$2 from=$3/$1 to=$4/$1-dst form=$5
  mkdir -p "$from" "$to"
  cp -a "$template/." "$from/"
  local before
  before=$(inodes "$from")
  local sources=("$from/src" "$from/単独.txt") dest=$to
  if [ "$form" = windows ]; then
    sources=("$(windows_path "$from/src")" "$(windows_path "$from/単独.txt")")
    dest=$(windows_path "$to")
  fi
  if [ "$operation" = move ]; then quaysail -m "${sources[@]}" "$dest"; else quaysail "${sources[@]}" "$dest"; fi

  diff -r "$template" "$to" >/dev/null || { diff -r "$template" "$to" || true; fail "$label: the copy differs"; }
  [ "$(facts "$to")" = "$(facts "$template")" ] ||
    fail "$label: names, sizes or times differ:
$(diff <(facts "$template") <(facts "$to") || true)"
  if [ "$operation" = copy ]; then
    [ "$(facts "$from")" = "$(facts "$template")" ] || fail "$label: the copy changed its sources"
  else
    [ ! -e "$from/src" ] && [ ! -e "$from/単独.txt" ] || fail "$label: a moved source is still there"
    # Each file's inode before the move beside its copy's: the same for a rename, never
    # the same for a copy (made while its source still existed).
    local pairs same
    pairs=$(join <(echo "$before") <(inodes "$to"))
    [ "$(wc -l <<<"$pairs")" = "$(wc -l <<<"$before")" ] || fail "$label: files missing after the move"
    same=$(awk '$2 == $3' <<<"$pairs")
    if [ "$3" = "$4" ]; then
      [ "$same" = "$pairs" ] || fail "$label: a move within the drive did not rename: $pairs"
    else
      [ -z "$same" ] || fail "$label: a move to another drive letter renamed instead of copying: $same"
    fi
  fi
  echo "ok   $label"
}

# The Windows form of a Linux path below one of the two drive folders.
windows_path() {
  local path=$1
  case "$path" in
    "$c_root"/*) printf 'C:%s\n' "${path#"$c_root"}" | tr / '\\' ;;
    "$d_root"/*) printf 'D:%s\n' "${path#"$d_root"}" | tr / '\\' ;;
    *) fail "$path is on neither drive" ;;
  esac
}

run copy-to-other-letter copy "$work_c" "$work_d" windows
run move-to-other-letter move "$work_c" "$work_d" windows
run copy-within-drive copy "$work_c" "$work_c" linux
run move-within-drive move "$work_c" "$work_c" linux
echo "4 passed, 0 failed"
