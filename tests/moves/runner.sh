# Sourced by the scripts of this folder, with the x64 build folder as $1: the test prefix,
# the headless runner on it, and a failure that names the case.
set -euo pipefail
build_dir=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
prefix=$build_dir/wineprefix
"$root/scripts/wine-prefix.sh" "$prefix"
run() { QUAY_BUILD_DIR=$(dirname "$build_dir") WINEPREFIX=$prefix "$root/scripts/engine-run.sh" "$@"; }
fail() { echo "FAIL: $case_name: $*"; exit 1; }
