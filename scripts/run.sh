#!/usr/bin/env bash
# Installs what is missing, builds Korvandel.exe and starts it under Wine.
# Without a display it takes a screenshot under Xvfb instead and says where.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh
[ -f build/win32/build.ninja ] ||
  cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win32 --target Korvandel -j "$(nproc)"
echo "Built build/win32/app/Korvandel.exe"

if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set). To use the window, run this from a desktop session,"
  echo "or copy build/win32/app/Korvandel.exe to a Windows computer. Taking a screenshot under Xvfb:"
  scripts/screenshot.sh "$root/build/screenshot.png"
  exit 0
fi
WINEPREFIX=$(scripts/wine-prefix.sh x11)
export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine build/win32/app/Korvandel.exe
