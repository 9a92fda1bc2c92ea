#!/usr/bin/env bash
# map-drive.sh PREFIX LETTER FOLDER — maps a drive letter of the test prefix to a fresh, empty
# folder, so a test can list a real drive root without walking the whole of C: or D:.
# A running wineserver sees a new dosdevices link at once for file access (only the list of
# logical drives stays as it was), so nothing needs restarting.
# map-drive.sh --remove PREFIX LETTER FOLDER — takes the letter and the folder away again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
remove=0
if [ "${1:-}" = "--remove" ]; then
  remove=1
  shift
fi
prefix=$(realpath -m "$1")
letter=$(printf '%s' "$2" | tr 'A-Z' 'a-z')
folder=$(realpath -m "$3")
link="$prefix/dosdevices/$letter:"

if [ $remove = 1 ]; then
  rm -f "$link"
  rm -rf "$folder"
  exit 0
fi
"$here/../../scripts/wine-prefix.sh" "$prefix"
rm -rf "$folder"
mkdir -p "$folder"
ln -sfn "$folder" "$link"
