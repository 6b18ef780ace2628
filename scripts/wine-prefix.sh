#!/usr/bin/env bash
# Makes (once) the Wine prefix that the tests run in, owned by this checkout and
# independent of ~/.wine. Arguments: "null" (headless, for tests) or "x11" (a
# real display, for running the program and screenshots); then 32 (default)
# or 64, the kind of Windows programs the prefix runs. Prints the prefix.
set -euo pipefail
kind=${1:-null}
bits=${2:-32}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh" "$bits"
prefix=$(korvandel_prefix_dir "$root" "$kind" "$bits")
export WINEPREFIX="$prefix"

# The mark names what a prefix holds; a prefix made by an older script is made again.
ready="$prefix/.korvandel-ready-tahoma"
if [ -f "$ready" ]; then
  echo "$prefix"; exit 0
fi
mkdir -p "$root/build"
exec 9>"$root/build/.wine$bits-$kind.lock"
flock 9
if [ ! -f "$ready" ]; then
  rm -rf "$prefix"
  "$KORVANDEL_WINE" wineboot -i >/dev/null 2>&1 || true
  if [ "$kind" = null ]; then
    "$KORVANDEL_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  fi
  "$KORVANDEL_WINESERVER" -w
  # The window is drawn in Tahoma. Wine's own Tahoma (fonts-wine) is not on
  # its font path here, so the prefix gets a copy where Windows keeps fonts.
  cp "$KORVANDEL_WINE_FONTS/tahoma.ttf" "$KORVANDEL_WINE_FONTS/tahomabd.ttf" "$prefix/drive_c/windows/Fonts/"
  touch "$ready"
fi
echo "$prefix"
