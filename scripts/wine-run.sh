#!/usr/bin/env bash
# Runs a Windows program under Wine in the checkout's headless prefix.
# ctest uses it as the emulator of the cross build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINEPREFIX=$("$root/scripts/wine-prefix.sh" "${KORVANDEL_WINE_KIND:-null}")
export WINEPREFIX WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
