#!/usr/bin/env bash
# Installs what is missing, builds natively and for Windows, and runs every
# test: the folder engine natively, everything under 32-bit Wine. The 64-bit
# Windows build is compiled to keep it building; its tests are not run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh

jobs=$(nproc)
configure() { # dir, extra cmake arguments...
  local dir=$1; shift
  [ -f "build/$dir/build.ninja" ] || cmake -S . -B "build/$dir" -G Ninja "$@" >/dev/null
}

configure native
configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DKORVANDEL_TESTS=OFF

echo "== native build and tests"
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== 32-bit Windows build and tests under Wine"
cmake --build build/win32 -j "$jobs"
scripts/wine-prefix.sh null >/dev/null
ctest --test-dir build/win32 --output-on-failure -j "$jobs"

echo "== 64-bit Windows build"
cmake --build build/win64 -j "$jobs"
