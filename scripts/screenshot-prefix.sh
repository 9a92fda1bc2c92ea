#!/usr/bin/env bash
# screenshot-prefix.sh TESTPREFIX PREFIX — makes PREFIX, a copy of the test prefix for
# pictures: Wine's normal display driver instead of the null one, and Japanese caption and
# menu fonts (IPAGothic, 12 pixels; the caption bold) so title bars and menus are legible.
# Used by progress-screenshots.sh and drop-menu-screenshot.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$1"
cp -a "$1" "$2"
rm -f "$2"/.quay-prefix-v1.lock
export WINEPREFIX=$2 WINEDEBUG=-all
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
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
