#!/usr/bin/env bash
# wine-prefix.sh PREFIX — creates and configures a Wine prefix for the tests, once:
# no display (Wine's null driver), Japanese UI font, and extra drive letters
# mapped to folders next to the prefix (D: is a second drive for cross-drive cases,
# T: a 16 MiB file system for a nearly full disk).
set -euo pipefail
prefix=$(realpath -m "$1")
stamp="$prefix/.quay-prefix-v1"
drives="$prefix-drives"

# T: is a tiny file system, so a test can meet a nearly full disk (writes fail with 112).
# A mount does not survive a reboot, so this is checked on every call. Without it T: is a
# plain folder of the big disk, and the free-space test skips itself; say so here, where
# the cause can be seen (mounting needs root).
mkdir -p "$drives/t"
if ! mountpoint -q "$drives/t"; then
  if ! error=$(mount -t tmpfs -o size=16m quaytest "$drives/t" 2>&1); then
    echo "wine-prefix: cannot mount the 16 MiB file system for T: on $drives/t: ${error:-mount failed}" >&2
    echo "wine-prefix: the free-space test will be skipped" >&2
  fi
fi
if [ -f "$stamp" ]; then
  # Prefixes made before T: existed learn it at their next wineserver start.
  [ -L "$prefix/dosdevices/t:" ] || ln -sfn "$drives/t" "$prefix/dosdevices/t:"
  exit 0
fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
     /v 'MS UI Gothic' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
     /v 'MS Shell Dlg' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
wineserver -w

mkdir -p "$drives/d"
ln -sfn "$drives/d" "$prefix/dosdevices/d:"
ln -sfn "$drives/t" "$prefix/dosdevices/t:"
# A drive letter becomes known to a running wineserver only after a restart.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
touch "$stamp"
