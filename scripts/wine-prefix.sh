#!/usr/bin/env bash
# Makes (once) the 32-bit Wine prefix that the tests run in, owned by this
# checkout and independent of ~/.wine. Argument: "null" (headless, for tests)
# or "x11" (a real display, for running the program and screenshots).
set -euo pipefail
kind=${1:-null}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix="$root/build/wine-$kind"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and they would try the network.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -f "$prefix/.korvandel-ready" ]; then
  echo "$prefix"; exit 0
fi
mkdir -p "$root/build"
exec 9>"$root/build/.wine-$kind.lock"
flock 9
if [ ! -f "$prefix/.korvandel-ready" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  if [ "$kind" = null ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  fi
  wineserver -w
  touch "$prefix/.korvandel-ready"
fi
echo "$prefix"
