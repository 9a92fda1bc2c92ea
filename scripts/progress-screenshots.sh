#!/usr/bin/env bash
# progress-screenshots.sh [OUTDIR] — pictures of the copy tool's windows under Xvfb, for
# the README: OUTDIR/progress-dialog.png (the progress dialog during a real copy of a
# 2.5 GB tree), OUTDIR/overwrite-question.png (the question for a file that exists) and
# OUTDIR/setup-page.png (the first page of QuaysailSetup.exe). OUTDIR defaults to docs/.
# Needs the x64 build (Quaysail.exe, quaysail-press.exe and the setup program), xvfb-run,
# ImageMagick's import, and Wine's symbol font for the title-bar buttons (fonts-wine).
#
# It uses a prefix of its own (scripts/screenshot-prefix.sh): a copy of the test prefix with
# Wine's normal display driver, Japanese caption and menu fonts and the title-bar symbol font.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs}")
exe=$build/x64/copytool/app/Quaysail.exe
press=$build/x64/tests/ui-progress/quaysail-press.exe
setup=$build/x64/installer/QuaysailSetup.exe
for f in "$exe" "$press" "$setup"; do
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

# wait-window PNG: returns once the screen shows more than the bare desktop of one colour
# (a window has been drawn); 1 when none has after two minutes. A loaded machine takes
# its time to start Wine, so a fixed delay alone would picture an empty desktop.
cat >"$work/wait-window.sh" <<'WAIT'
#!/usr/bin/env bash
for _ in $(seq 1 240); do
  import -window root "$1.probe.png" 2>/dev/null
  [ "$(identify -format %k "$1.probe.png" 2>/dev/null || echo 0)" -gt 2 ] && exit 0
  sleep 0.5
done
exit 1
WAIT
chmod +x "$work/wait-window.sh"
export QUAY_WAIT_WINDOW=$work/wait-window.sh

# shoot PNG DELAY ANSWER SOURCE DEST: runs the copy in a virtual desktop (which draws
# title bars), pictures the screen DELAY seconds after its window appeared, then presses
# ANSWER in any open question (none: leave it) and waits for the copy to end.
cat >"$work/shoot.sh" <<'SHOOT'
#!/usr/bin/env bash
set -u
png=$1 delay=$2 answer=$3 src=$4 dst=$5
"$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=quaysail,640x400 "$QUAY_EXE" "$src" "$dst" \
  >"$png.log" 2>&1 &
run=$!
"$QUAY_WAIT_WINDOW" "$png"
sleep "$delay"
import -window root "$png"
# The question is a window of the virtual desktop: answer it from there.
[ "$answer" = none ] ||
  "$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=quaysail,640x400 "$QUAY_PRESS" "$answer" 10 >/dev/null 2>&1
wait "$run"
SHOOT
chmod +x "$work/shoot.sh"
export QUAY_ROOT=$root QUAY_EXE=$exe QUAY_PRESS=$press

xvfb-run -a -s "-screen 0 640x400x24" "$work/shoot.sh" "$work/progress.png" 3 none \
  "$(win "$work/job")" "$(win "$work/copy")"
xvfb-run -a -s "-screen 0 640x400x24" "$work/shoot.sh" "$work/question.png" 2 2 \
  "$(win "$work/question/src/月次報告書.xlsx")" "$(win "$work/question/dst")"

# The setup program's first page, which shows its version; the setup goes no further, and
# the prefix's wineserver ends it.
cat >"$work/shoot-setup.sh" <<'SHOOT'
#!/usr/bin/env bash
set -u
png=$1 delay=$2
"$QUAY_ROOT/scripts/wine-run.sh" explorer /desktop=setup,640x480 "$QUAY_SETUP" >"$png.log" 2>&1 &
run=$!
"$QUAY_WAIT_WINDOW" "$png"
sleep "$delay"
import -window root "$png"
wineserver -k
wait "$run" || true
SHOOT
chmod +x "$work/shoot-setup.sh"
export QUAY_SETUP=$setup
xvfb-run -a -s "-screen 0 640x480x24" "$work/shoot-setup.sh" "$work/setup.png" 2

cp "$work/progress.png" "$out/progress-dialog.png"
cp "$work/question.png" "$out/overwrite-question.png"
cp "$work/setup.png" "$out/setup-page.png"
echo "wrote $out/progress-dialog.png, $out/overwrite-question.png and $out/setup-page.png"
