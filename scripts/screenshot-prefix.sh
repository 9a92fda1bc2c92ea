#!/usr/bin/env bash
# screenshot-prefix.sh TESTPREFIX PREFIX — makes PREFIX, a copy of the test prefix for
# pictures: Wine's normal display driver instead of the null one, Japanese caption and
# menu fonts (IPAGothic, 12 pixels; the caption bold) so title bars and menus are legible,
# and the symbol font of the title-bar buttons.
# Used by progress-screenshots.sh and drop-menu-screenshot.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$1"
cp -a "$1" "$2"
rm -f "$2"/.quay-prefix-v1.lock
export WINEPREFIX=$2 WINEDEBUG=-all
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
# The title-bar buttons are glyphs of Wine's symbol font (fonts-wine), which this Wine
# takes from the prefix's own font folder only: without it they show as "0 1 r".
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] || { echo "screenshot-prefix: $marlett is missing; install fonts-wine" >&2; exit 2; }
mkdir -p "$2/drive_c/windows/Fonts"
cp "$marlett" "$2/drive_c/windows/Fonts/"
# A LOGFONTW: 12 pixels, the weight given, SHIFTJIS_CHARSET, face IPAGothic.
font() {
  python3 -c '
import struct, sys
face = "IPAGothic"
lf = struct.pack("<iiiiiBBBBBBBB", -12, 0, 0, 0, int(sys.argv[1]), 0, 0, 0, 0x80, 0, 0, 0, 0x22)
print((lf + face.encode("utf-16le") + bytes(64 - 2 * len(face))).hex())' "$1"
}
metrics='HKCU\Control Panel\Desktop\WindowMetrics'
wine reg add "$metrics" /v CaptionFont /t REG_BINARY /d "$(font 700)" /f >/dev/null 2>&1
wine reg add "$metrics" /v MenuFont /t REG_BINARY /d "$(font 400)" /f >/dev/null 2>&1
wineserver -w
