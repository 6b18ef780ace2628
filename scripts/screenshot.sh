#!/usr/bin/env bash
# Starts Korvandel (the build this machine can run, built first when needed) under Xvfb with two
# prepared folders, presses "Vergleichen" and writes a PNG of the window. As a user has it, the
# program runs from a stick at E: (a drive letter of the prefix, mapped to a folder) that holds
# the folder E:\Sync, and the computer's folder is C:\Users\Anna\Dokumente.
# Usage: scripts/screenshot.sh [out.png] [--no-compare]
# With --report-ok or --report-fail it also presses "Kopieren" (with one target blocked for
# --report-fail) and writes a PNG of the report instead; --native as a further argument shows
# the report in the system's task dialog (a build of the program that forces that face).
# With --copy-fail it copies with one target blocked, closes the report and selects an item,
# so the window shows the failed item with its warning mark. With --select it selects the
# first item of "Auf den Stick" after the comparison. With --dpi N the screen has N pixels per
# inch (Wine's LogPixels) for this run; the prefix is set back to 96 afterwards. With
# --system-menu a window manager runs, and Alt+Space opens the system menu and Escape closes
# it again before the picture is taken. With --conflict it compares and copies once, so that
# both folders are in step, then edits "Notizen.txt" on both sides and compares again: the
# window shows the conflict; with --report-ok as well it copies and writes a PNG of the report
# that counts it. With --other-root the stick folder is the stick's root E:\ and the computer
# folder is E:\Daten inside it: the window shows that folder left out of the stick's walk.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshot.png}")
compare=1
report=
native=0
copyfail=0
select=0
systemmenu=0
conflict=0
otherroot=0
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
    --system-menu) systemmenu=1 ;;
    --conflict) conflict=1 ;;
    --other-root) otherroot=1 ;;
    *) echo "Unknown argument: $arg" >&2; exit 1 ;;
  esac
done
source "$root/scripts/wine-env.sh"
bits=$(korvandel_wine_bits)
target=Korvandel exe="$root/build/win$bits/app/Korvandel.exe"
if [ "$native" = 1 ]; then
  target=KorvandelNativeFace exe="$root/build/win$bits/tests/app/KorvandelNativeFace.exe"
fi
[ -f "$root/build/win$bits/build.ninja" ] ||
  cmake -S "$root" -B "$root/build/win$bits" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$(korvandel_arch "$bits").cmake" >/dev/null
cmake --build "$root/build/win$bits" --target "$target" -j "$(nproc)" >/dev/null

export KORVANDEL_WINE_KIND=x11
WINEPREFIX=$("$root/scripts/wine-prefix.sh" x11 "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"

# The stick: the program and its settings in its root, the user's files in Sync.
work="$root/build/screenshot"
rm -rf "$work"
drive="$work/stick"
stick="$drive/Sync"
mkdir -p "$stick/Briefe" "$stick/Steuer 2025"
cp "$exe" "$drive/Korvandel.exe"
echo "Entwurf" >"$stick/Briefe/Antrag Elterngeld.txt"
echo "Liste" >"$stick/Einkauf & Co.txt"
echo "Belege" >"$stick/Steuer 2025/Rechnung Handwerker.pdf"
echo "neu" >"$stick/Notizen.txt"

# The computer's folder, on the prefix's C: drive.
disk="$WINEPREFIX/drive_c/users/Anna/Dokumente"
rm -rf "$WINEPREFIX/drive_c/users/Anna"
mkdir -p "$disk/Fotos/Urlaub Ostsee" "$disk/Rezepte"
echo "alt" >"$disk/Notizen.txt"
touch -d '2024-01-01 10:00' "$disk/Notizen.txt"
if [ "$report" = fail ]; then
  # A file where the copy needs a folder: "Briefe\Antrag Elterngeld.txt" cannot be copied.
  echo "kein Ordner" >"$disk/Briefe"
fi
echo "Urlaub" >"$disk/Fotos/Urlaub Ostsee/Strand.jpg"
echo "Bewerbung" >"$disk/Bewerbung Stadtwerke.doc"
echo "Teig" >"$disk/Rezepte/Apfelkuchen.txt"

# E: is a link in the prefix's dosdevices folder, and Wine reads the stick's
# serial from .windows-serial in its root. Wine learns of drive links when its
# server starts: none may be running that knows the old set.
serial=4B56A5E1
echo "$serial" >"$drive/.windows-serial"
"$KORVANDEL_WINESERVER" -k 2>/dev/null || true
"$KORVANDEL_WINESERVER" -w 2>/dev/null || true
stick_link="$WINEPREFIX/dosdevices/e:"
rm -f "$stick_link"
ln -s "$drive" "$stick_link"

wm=
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
  rm -f "$stick_link"
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "${korvandel_xvfb:-}" ] || kill "$korvandel_xvfb" 2>/dev/null || true
}
trap cleanup EXIT
# The screen grows with its resolution, so that the whole window fits.
korvandel_start_xvfb "$work" "$((1024 * dpi / 96))x$((768 * dpi / 96))"
if [ "$systemmenu" = 1 ]; then
  evilwm >/dev/null 2>&1 &
  wm=$!
fi
if [ "$dpi" != 96 ]; then
  set_dpi "$dpi"
fi

computer=$("$KORVANDEL_WINE" cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')
stick_text='E:\Sync' disk_text='C:\Users\Anna\Dokumente'
if [ "$otherroot" = 1 ]; then
  mkdir -p "$drive/Daten"
  echo "Haushalt" >"$drive/Daten/Haushaltsbuch.xlsx"
  stick_text='E:\' disk_text='E:\Daten'
fi
printf '[%s]\r\nStick=%s\r\nDisk=%s\r\nStickSerial=%s\r\n' \
  "$computer" "$stick_text" "$disk_text" "$serial" >"$drive/Settings.prp"

"$KORVANDEL_WINE" 'E:\Korvandel.exe' &
win=$(korvandel_wait_window)
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
  korvandel_wait_report "$win"
}
if [ "$conflict" = 1 ]; then
  press_compare
  first=$(press_copy)
  xdotool windowactivate --sync "$first" key Return 2>/dev/null || xdotool key Return
  sleep 2
  # Edited on both sides since: the computer's edit is the newer.
  echo "neu vom Stick, nochmals bearbeitet" >"$stick/Notizen.txt"
  touch -d '-2 minutes' "$stick/Notizen.txt"
  echo "am Computer bearbeitet" >"$disk/Notizen.txt"
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
if [ "$systemmenu" = 1 ]; then
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  xdotool key alt+space
  sleep 1
  xdotool key Escape
  sleep 2
fi
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "$out"
