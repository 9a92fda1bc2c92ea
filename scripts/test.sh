#!/usr/bin/env bash
# Configures and builds everything (64-bit and 32-bit Windows, the platform-free pieces
# natively under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets
# with clang), then runs every test: the native ones directly, each fuzz target for a
# short fixed number of inputs, the Windows ones under Wine. It ends with a summary that
# names every skipped test (with its reason) and every failed one, and exits non-zero on
# any failure, also when a tree registered no test at all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAY_BUILD_DIR:-$root/build}
jobs=$(nproc)

configure() {  # dir, extra cmake arguments...
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}

echo "== native (sanitizers)"
configure "$build/native" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build "$build/native" -j "$jobs"

echo "== windows x86_64"
configure "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
cmake --build "$build/x64" -j "$jobs"

echo "== fuzz targets (clang, libFuzzer)"
QUAY_BUILD_DIR=$build QUAY_JOBS=$jobs "$root/scripts/fuzz-build.sh"

echo "== windows i686 (build check)"
configure "$build/i686" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"
cmake --build "$build/i686" -j "$jobs"

echo "== wine prefix"
prefix="$build/x64/wineprefix"
"$root/scripts/wine-prefix.sh" "$prefix"
# One persistent wineserver for the whole run keeps each test's Wine start short.
WINEPREFIX="$prefix" wineserver -f -p &
server=$!
stop_server() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap stop_server EXIT
WINEPREFIX="$prefix" WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1 || true

status=0
# Each run also writes a JUnit report, from which the summary at the end names what was
# skipped and what failed.
run_tests() {  # label, tree, ctest arguments...
  local label=$1 tree=$2
  shift 2
  rm -f "$tree/ctest-junit.xml"
  ctest --test-dir "$tree" --output-on-failure --no-tests=error --output-junit "$tree/ctest-junit.xml" "$@" ||
    status=1
  reports+=("$label=$tree/ctest-junit.xml")
}
reports=()
echo "== native tests"
ASAN_OPTIONS=detect_leaks=0 run_tests native "$build/native" -j "$jobs"
echo "== fuzz targets"
run_tests fuzz "$build/fuzz" -j "$jobs"
echo "== windows tests (Wine)"
run_tests windows "$build/x64" -j "$jobs"
python3 "$root/scripts/test-summary.py" "${reports[@]}"
exit $status
