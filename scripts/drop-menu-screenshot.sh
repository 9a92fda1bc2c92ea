#!/usr/bin/env bash
# drop-menu-screenshot.sh [OUTDIR] — a picture of the Explorer's drop menu with the shell
# extension's two entries, as the tests' drop host (quaydrop-host.exe) shows it for two
# files dropped on a folder of another drive, under Xvfb: OUTDIR/drop-menu.png (default
# docs/). Needs the x64 build (Quaydrop.dll, Quaysail.exe, quaydrop-host.exe), xvfb-run and
# ImageMagick's import.
#
# It uses a prefix of its own (scripts/screenshot-prefix.sh): a copy of the test prefix with
# Wine's normal display driver and Japanese caption and menu fonts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs}")
dll=$build/x64/shellext/Quaydrop.dll
exe=$build/x64/copytool/app/Quaysail.exe
host=$build/x64/tests/shellext/quaydrop-host.exe
for f in "$dll" "$exe" "$host"; do
  [ -f "$f" ] || { echo "drop-menu-screenshot: $f is missing; build the x64 tree first" >&2; exit 2; }
done
mkdir -p "$out"

work=$(mktemp -d "${TMPDIR:-/tmp}/quay-dropmenu.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/screenshot-prefix.sh" "$build/x64/wineprefix" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all

# The handler with the copy tool beside it, two files, and a folder to drop them on.
mkdir -p "$work/program" "$work/写真" "$work/target"
cp "$dll" "$exe" "$work/program/"
head -c 100K /dev/urandom >"$work/写真/旅行1.jpg"
head -c 100K /dev/urandom >"$work/写真/旅行2.jpg"
win() { winepath -w "$1"; }

cat >"$work/shoot.sh" <<'SHOOT'
#!/usr/bin/env bash
set -u
png=$1
shift
"$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=quaydrop,520x260 "$@" >"$png.log" 2>&1 &
sleep 5
import -window root "$png"
wineserver -k 2>/dev/null || true
wait
SHOOT
chmod +x "$work/shoot.sh"
export QUAY_ROOT=$root

xvfb-run -a -s "-screen 0 520x260x24" "$work/shoot.sh" "$work/drop-menu.png" "$host" \
  "$(win "$work/program/Quaydrop.dll")" "$(win "$work/target")" \
  "$(win "$work/写真/旅行1.jpg")" "$(win "$work/写真/旅行2.jpg")"
cp "$work/drop-menu.png" "$out/drop-menu.png"
echo "wrote $out/drop-menu.png"
