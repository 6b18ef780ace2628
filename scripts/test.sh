#!/usr/bin/env bash
# Installs what is missing, builds natively and for Windows, and runs every
# test: the folder engine natively, everything else under Wine. The tests run
# from the 32-bit build, which ships; on a machine whose kernel cannot run
# 32-bit programs they run from the 64-bit build instead, and the 32-bit one is
# built and its imports checked.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh
source scripts/wine-env.sh

echo "== format (clang-format, .clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

jobs=$(nproc)
configure() { # dir, extra cmake arguments...
  local dir=$1; shift
  [ -f "build/$dir/build.ninja" ] || cmake -S . -B "build/$dir" -G Ninja "$@" >/dev/null
}

configure native
configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake

echo "== native build and tests"
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== 32-bit Windows build, its size and its imports"
cmake --build build/win32 -j "$jobs"
scripts/check-size.sh build/win32/app/Korvandel.exe
scripts/check-imports.sh build/win32/app/Korvandel.exe
if scripts/check-imports.sh build/win32/tests/imports/vista_import_probe.exe 2>/dev/null; then
  echo "check-imports let a program that imports GetTickCount64 pass" >&2
  exit 1
fi

echo "== 64-bit Windows build"
cmake --build build/win64 -j "$jobs"

bits=$(korvandel_wine_bits)
if [ "$bits" = 64 ]; then
  echo "== This machine cannot run 32-bit programs: Windows tests from the 64-bit build under Wine"
else
  echo "== Windows tests from the 32-bit build under Wine"
fi
scripts/wine-prefix.sh null "$bits" >/dev/null
# One at a time: test programs in one Wine prefix share one desktop, and a
# window of one would take the focus that another is testing.
ctest --test-dir "build/win$bits" --output-on-failure
