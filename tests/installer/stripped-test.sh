#!/usr/bin/env bash
# stripped-test.sh STAGE_DIR DEBUG_DIR NAME... — the files the setup program installs carry
# no debug information and no symbols, and each names its debug file in .gnu_debuglink with that file's
# checksum, so a post-mortem debugger given the build's debug folder finds the right one;
# the debug file holds the debug information and the symbols the installed file lacks.
set -euo pipefail
stage=$1 debug=$2
shift 2
objdump=x86_64-w64-mingw32-objdump
objcopy=x86_64-w64-mingw32-objcopy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

sections() { "$objdump" -h "$1" | awk '$1 ~ /^[0-9]+$/ { print $2 }'; }

for name in "$@"; do
  file=$stage/$name
  [ -f "$file" ] || fail "$name is not staged"
  leftover=$(sections "$file" | grep '^\.debug_' || true)
  [ -z "$leftover" ] || fail "$name still carries debug sections: $leftover"
  [ -z "$(x86_64-w64-mingw32-nm "$file" 2>/dev/null)" ] || fail "$name still carries its symbol table"
  [ -n "$(x86_64-w64-mingw32-nm "$debug/$name.debug" 2>/dev/null)" ] || fail "$name.debug lost the symbols"
  sections "$debug/$name.debug" | grep -qx '\.debug_info' || fail "$debug/$name.debug holds no .debug_info"
  "$objcopy" --dump-section .gnu_debuglink="$work/link" "$file" "$work/scratch" ||
    fail "$name has no .gnu_debuglink"
  python3 - "$work/link" "$debug/$name.debug" "$name.debug" <<'PY' || fail "$name: the debug link does not match its debug file"
import sys, zlib
link = open(sys.argv[1], "rb").read()
name, _, rest = link.partition(b"\0")
crc = int.from_bytes(link[(len(name) + 4) // 4 * 4:][:4], "little")
actual = zlib.crc32(open(sys.argv[2], "rb").read())
if name.decode() != sys.argv[3] or crc != actual:
    print(f"link names {name.decode()!r} crc {crc:08x}; the debug file is {sys.argv[3]!r} crc {actual:08x}")
    sys.exit(1)
PY
  echo "ok   $name: $(stat -c %s "$file") bytes installed, $(stat -c %s "$debug/$name.debug") bytes of debug file"
done
echo "$# passed, 0 failed"
