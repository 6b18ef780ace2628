#!/usr/bin/env bash
# Runs a Windows program under Wine in the checkout's headless prefix.
# ctest uses it as the emulator of the cross builds. Usage: wine-run.sh [--64] program args...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bits=32
if [ "${1:-}" = --64 ]; then bits=64; shift; fi
WINEPREFIX=$("$root/scripts/wine-prefix.sh" "${KORVANDEL_WINE_KIND:-null}" "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"
exec "$KORVANDEL_WINE" "$@"
