#!/usr/bin/env bash
# Installs what is missing, builds Korvandel.exe and starts it under Wine.
# Without a display it takes a screenshot under Xvfb instead and says where.
# On a machine that cannot run 32-bit programs the 64-bit build is started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh
source scripts/wine-env.sh
bits=$(korvandel_wine_bits)
arch=$([ "$bits" = 64 ] && echo x86_64 || echo i686)
[ -f "build/win$bits/build.ninja" ] ||
  cmake -S . -B "build/win$bits" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null
cmake --build "build/win$bits" --target Korvandel -j "$(nproc)"
echo "Built build/win$bits/app/Korvandel.exe"

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
