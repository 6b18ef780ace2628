#!/usr/bin/env bash
# Starts Korvandel (the build this machine can run) under Xvfb with two prepared folders, presses "Vergleichen"
# and writes a PNG of the window. Usage: scripts/screenshot.sh [out.png] [--no-compare]
# With --report-ok or --report-fail it also presses "Kopieren" (with one target blocked for
# --report-fail) and writes a PNG of the report instead; --native as a further argument shows
# the report in the system's task dialog (a build of the program that forces that face).
# With --copy-fail it copies with one target blocked, closes the report and selects an item,
# so the window shows the failed item with its warning mark. With --select it selects the
# first item of "Auf den Stick" after the comparison. With --dpi N the screen has N pixels per
# inch (Wine's LogPixels) for this run; the prefix is set back to 96 afterwards. With
# --conflict it compares and copies once, so that both folders are in step, then edits
# "Notizen.txt" on both sides and compares again: the window shows the conflict; with
# --report-ok as well it copies and writes a PNG of the report that counts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshot.png}")
compare=1
report=
native=0
copyfail=0
select=0
conflict=0
dpi=96
args=("${@:2}")
for ((i = 0; i < ${#args[@]}; i++)); do
  arg=${args[i]}
  case "$arg" in
    --dpi)
      dpi=${args[i + 1]:-}
      i=$((i + 1))
      [[ "$dpi" =~ ^[1-9][0-9]*$ ]] || { echo "--dpi needs a number of pixels per inch" >&2; exit 1; }
      ;;
    --no-compare) compare=0 ;;
    --report-ok) report=ok ;;
    --report-fail) report=fail ;;
    --native) native=1 ;;
    --copy-fail) report=fail copyfail=1 ;;
    --select) select=1 ;;
    --conflict) conflict=1 ;;
    *) echo "Unknown argument: $arg" >&2; exit 1 ;;
  esac
done
source "$root/scripts/wine-env.sh"
bits=$(korvandel_wine_bits)
exe="$root/build/win$bits/app/Korvandel.exe"
[ "$native" = 1 ] && exe="$root/build/win$bits/tests/app/KorvandelNativeFace.exe"
[ -f "$exe" ] || { echo "Build first: scripts/run.sh builds $exe" >&2; exit 1; }

work="$root/build/screenshot"
rm -rf "$work"
mkdir -p "$work/stick/Briefe" "$work/disk/Fotos"
cp "$exe" "$work/Korvandel.exe"
echo "Entwurf" >"$work/stick/Briefe/Antrag.txt"
echo "Liste" >"$work/stick/Einkauf & Co.txt"
echo "neu" >"$work/stick/Notizen.txt"
echo "alt" >"$work/disk/Notizen.txt"
touch -d '2024-01-01 10:00' "$work/disk/Notizen.txt"
if [ "$report" = fail ]; then
  # A file where the copy needs a folder: "Briefe/Antrag.txt" cannot be copied.
  echo "kein Ordner" >"$work/disk/Briefe"
fi
echo "Urlaub" >"$work/disk/Fotos/Strand.jpg"
echo "Bericht" >"$work/disk/Bericht.doc"

export KORVANDEL_WINE_KIND=x11
WINEPREFIX=$("$root/scripts/wine-prefix.sh" x11 "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"

# Xvfb picks a free display and writes its number, so that a second run or
# another X server never gets our window.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
# Wine reads the resolution at start: set it first, and back to 96 when done
# (after the program has ended), so that other screenshots stay at 96.
set_dpi() {
  "$KORVANDEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$KORVANDEL_WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
cleanup() {
  "$KORVANDEL_WINESERVER" -k 2>/dev/null || true
  if [ "$dpi" != 96 ]; then
    set_dpi 96 || true
    "$KORVANDEL_WINESERVER" -w 2>/dev/null || true
  fi
  kill $xvfb 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 40); do
  [ -s "$work/display" ] && break
  sleep 0.25
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
if [ "$dpi" != 96 ]; then
  set_dpi "$dpi"
fi

computer=$("$KORVANDEL_WINE" cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')
to_win() { echo "Z:${1//\//\\}"; }
printf '[%s]\r\nStick=%s\r\nDisk=%s\r\n' "$computer" "$(to_win "$work/stick")" \
  "$(to_win "$work/disk")" >"$work/Settings.prp"

"$KORVANDEL_WINE" "$work/Korvandel.exe" &
for _ in $(seq 1 40); do
  win=$(xdotool search --name '^Korvandel$' 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  sleep 0.5
done
[ -n "${win:-}" ] || { echo "The window did not appear" >&2; exit 1; }
sleep 2
eval "$(xdotool getwindowgeometry --shell "$win")"
# The window's layout is given at 96 pixels per inch and grows with the screen's.
px() { echo $((($1 * dpi + 48) / 96)); }
# "Vergleichen" sits at (221, 70) on the panel, 27 pixels below the top.
press_compare() {
  xdotool mousemove $((X + $(px 271))) $((Y + $(px $((27 + 86))))) click 1
  sleep 2
  xdotool mousemove $((X + $(px 100))) $((Y + $(px 200)))
  sleep 1
}
# "Kopieren" sits at (221, 399) on the panel; prints the report's window.
press_copy() {
  xdotool mousemove $((X + $(px 271))) $((Y + $(px $((27 + 415))))) click 1
  local shown=
  for _ in $(seq 1 40); do
    sleep 0.5
    for w in $(xdotool search --name '^Korvandel$' 2>/dev/null || true); do
      [ "$w" != "$win" ] && shown=$w
    done
    [ -n "$shown" ] && break
  done
  [ -n "$shown" ] || { echo "The report did not appear" >&2; exit 1; }
  sleep 2
  echo "$shown"
}
if [ "$conflict" = 1 ]; then
  press_compare
  first=$(press_copy)
  xdotool windowactivate --sync "$first" key Return 2>/dev/null || xdotool key Return
  sleep 2
  # Edited on both sides since: the computer's edit is the newer.
  echo "neu vom Stick, nochmals bearbeitet" >"$work/stick/Notizen.txt"
  touch -d '-2 minutes' "$work/stick/Notizen.txt"
  echo "am Computer bearbeitet" >"$work/disk/Notizen.txt"
fi
[ "$compare" = 1 ] && press_compare
# The first item of "Auf den Stick" (the list at (8, 125) on the panel).
select_first_item() {
  xdotool mousemove $((X + $(px 60))) $((Y + $(px $((27 + 131))))) click 1
  sleep 1
  xdotool mousemove $((X + $(px 100))) $((Y + $(px $((27 + 250)))))
  sleep 1
}
[ "$select" = 1 ] && select_first_item
if [ -n "$report" ]; then
  shot=$(press_copy)
  if [ "$copyfail" = 1 ]; then
    xdotool windowactivate --sync "$shot" key Return 2>/dev/null || xdotool key Return
    sleep 2
    select_first_item
  else
    eval "$(xdotool getwindowgeometry --shell "$shot")"
  fi
fi
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "$out"
