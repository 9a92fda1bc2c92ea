#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test the project.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ git python3
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 mingw-w64-tools
  wine wine64 libwine-dev
  xvfb xauth x11-apps imagemagick fonts-ipafont-gothic
  # The symbol font Wine draws title-bar buttons with (without it they show as "0 1 r").
  fonts-wine
  # makensis and its 64-bit stubs and plug-ins (target amd64-unicode), for QuaysailSetup.exe.
  nsis
  locales
  # The fuzz targets: clang 14, and the package with its libFuzzer runtime
  # (libclang_rt.fuzzer*.a, which -fsanitize=fuzzer links).
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The texts the tests check are the Japanese ones: Wine takes the user locale from LANG,
# which needs the glibc locale to exist.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

echo "setup: done"
