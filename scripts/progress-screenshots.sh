#!/usr/bin/env bash
# progress-screenshots.sh [OUTDIR] — pictures of the copy tool's windows under Xvfb, for
# the README: OUTDIR/progress-dialog.png (the progress dialog during a real copy of a
# 2.5 GB tree) and OUTDIR/overwrite-question.png (the question for a file that exists).
# OUTDIR defaults to docs/. Needs the x64 build (Quaysail.exe and quaysail-press.exe),
# xvfb-run and ImageMagick's import.
#
# It uses a prefix of its own (scripts/screenshot-prefix.sh): a copy of the test prefix with
# Wine's normal display driver and Japanese caption and menu fonts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs}")
exe=$build/x64/copytool/app/Quaysail.exe
press=$build/x64/tests/ui-progress/quaysail-press.exe
for f in "$exe" "$press"; do
  [ -f "$f" ] || { echo "progress-screenshots: $f is missing; build the x64 tree first" >&2; exit 2; }
done
mkdir -p "$out"

work=$(mktemp -d "${TMPDIR:-/tmp}/quay-shots.XXXXXX")
prefix=$work/prefix
cleanup() {
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/screenshot-prefix.sh" "$build/x64/wineprefix" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all

# A tree that takes several seconds to copy, and a file that is already at its destination.
mkdir -p "$work/job/写真" "$work/job/資料" "$work/copy" "$work/question/src" "$work/question/dst"
for i in $(seq 1 10); do head -c 256M /dev/urandom >"$work/job/写真/photo$i.raw"; done
for i in $(seq 1 200); do head -c 100K /dev/urandom >"$work/job/資料/doc$i.txt"; done
head -c 180000 /dev/urandom >"$work/question/src/月次報告書.xlsx"
head -c 150000 /dev/urandom >"$work/question/dst/月次報告書.xlsx"
touch -d '2026-11-30 17:45' "$work/question/dst/月次報告書.xlsx"

win() { winepath -w "$1"; }

# shoot PNG DELAY ANSWER SOURCE DEST: runs the copy in a virtual desktop (which draws
# title bars), pictures the screen after DELAY seconds, then presses ANSWER in any open
# question (none: leave it) and waits for the copy to end.
cat >"$work/shoot.sh" <<'SHOOT'
#!/usr/bin/env bash
set -u
png=$1 delay=$2 answer=$3 src=$4 dst=$5
"$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=quaysail,640x400 "$QUAY_EXE" "$src" "$dst" \
  >"$png.log" 2>&1 &
run=$!
sleep "$delay"
import -window root "$png"
# The question is a window of the virtual desktop: answer it from there.
[ "$answer" = none ] ||
  "$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=quaysail,640x400 "$QUAY_PRESS" "$answer" 10 >/dev/null 2>&1
wait "$run"
SHOOT
chmod +x "$work/shoot.sh"
export QUAY_ROOT=$root QUAY_EXE=$exe QUAY_PRESS=$press

xvfb-run -a -s "-screen 0 640x400x24" "$work/shoot.sh" "$work/progress.png" 4 none \
  "$(win "$work/job")" "$(win "$work/copy")"
xvfb-run -a -s "-screen 0 640x400x24" "$work/shoot.sh" "$work/question.png" 3 2 \
  "$(win "$work/question/src/月次報告書.xlsx")" "$(win "$work/question/dst")"

cp "$work/progress.png" "$out/progress-dialog.png"
cp "$work/question.png" "$out/overwrite-question.png"
echo "wrote $out/progress-dialog.png and $out/overwrite-question.png"
