#!/usr/bin/env bash
# Installs what is missing, builds Korvandel.exe and starts it under Wine.
# Without a display it takes a screenshot under Xvfb instead and says where.
# The 32-bit build, which ships, is always built; on a machine that cannot run
# 32-bit programs the 64-bit build is built too and started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh
source scripts/wine-env.sh
bits=$(korvandel_wine_bits)
build() { # bits
  [ -f "build/win$1/build.ninja" ] ||
    cmake -S . -B "build/win$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$(korvandel_arch "$1").cmake" >/dev/null
  cmake --build "build/win$1" --target Korvandel -j "$(nproc)"
  echo "Built build/win$1/app/Korvandel.exe"
}
build 32
[ "$bits" = 32 ] || build "$bits"

if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set). To use the window, run this from a desktop session,"
  echo "or copy build/win32/app/Korvandel.exe to a Windows computer. Taking a screenshot under Xvfb:"
  scripts/screenshot.sh "$root/build/screenshot.png"
  exit 0
fi
WINEPREFIX=$(scripts/wine-prefix.sh x11 "$bits")
export WINEPREFIX
source scripts/wine-env.sh "$bits"
exec "$KORVANDEL_WINE" "build/win$bits/app/Korvandel.exe"
