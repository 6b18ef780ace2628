#!/usr/bin/env bash
# Times the start of Korvandel against a program with one plain window
# (bench/bench_startup.cpp), under Wine on Xvfb, from the build this machine
# runs: both programs copied to a scratch folder, Korvandel with a settings
# file that names two folders, as on a stick in use. Usage:
# scripts/bench-startup.sh [ROUNDS]   (after scripts/test.sh; 7 rounds by default)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-7}
source "$root/scripts/wine-env.sh"
bits=$(korvandel_wine_bits)
build="$root/build/win$bits"
for exe in app/Korvandel.exe bench/startup_window.exe bench/bench_startup.exe; do
  [ -f "$build/$exe" ] || { echo "Build first: $build/$exe is missing" >&2; exit 1; }
done

work="$root/build/bench-startup"
rm -rf "$work"
mkdir -p "$work/stick" "$work/disk"
cp "$build/app/Korvandel.exe" "$build/bench/startup_window.exe" "$work/"

export KORVANDEL_WINE_KIND=x11
WINEPREFIX=$("$root/scripts/wine-prefix.sh" x11 "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"
cleanup() {
  "$KORVANDEL_WINESERVER" -k 2>/dev/null || true
  [ -z "${korvandel_xvfb:-}" ] || kill "$korvandel_xvfb" 2>/dev/null || true
}
trap cleanup EXIT
korvandel_start_xvfb "$work"

to_win() { echo "Z:${1//\//\\}"; }
computer=$("$KORVANDEL_WINE" cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')
printf '[%s]\r\nStick=%s\r\nDisk=%s\r\n' "$computer" "$(to_win "$work/stick")" \
  "$(to_win "$work/disk")" >"$work/Settings.prp"
"$KORVANDEL_WINE" "$build/bench/bench_startup.exe" "$(to_win "$work/Korvandel.exe")" \
  "$(to_win "$work/startup_window.exe")" "$rounds"
