#!/usr/bin/env bash
# Configures and builds everything (64-bit and 32-bit Windows, the platform-free pieces
# natively under AddressSanitizer and UndefinedBehaviorSanitizer, and the libFuzzer
# targets with clang), then runs every test: the native ones directly, each fuzz target
# briefly, the Windows ones under Wine.
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

echo "== fuzz targets (clang)"
configure "$build/fuzz" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build "$build/fuzz" -j "$jobs" --target quay_fuzz

echo "== windows x86_64"
configure "$build/x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
cmake --build "$build/x64" -j "$jobs"

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
echo "== native tests"
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$build/native" --output-on-failure -j "$jobs" || status=1
echo "== fuzz targets, briefly"
ctest --test-dir "$build/fuzz" -L fuzz --output-on-failure || status=1
echo "== windows tests (Wine)"
ctest --test-dir "$build/x64" --output-on-failure -j "$jobs" || status=1
exit $status
