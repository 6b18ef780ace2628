#!/usr/bin/env bash
# Walks the ways an edit used to be lost through the real window, under Xvfb, keyboard only
# (Alt+V compares, Alt+K copies, Enter closes the report), and prints what each folder holds
# after each step; pictures of the window and the reports go to build/try-edits/.
#   1. both sides edited since the last run       5. a name that is another file's short name
#   2. an older version restored on one side     6. both roots on volumes of serial 0, whose
#   3. a file dated in the future                   folders have the same file index
#   4. the target edited between "Vergleichen"    7. a user's own files named like temporary ones
#      and "Kopieren"
# Case 6 mounts two tmpfs volumes and needs root; it is left out otherwise.
# Usage: scripts/try-edits.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
bits=$(korvandel_wine_bits)
exe="$root/build/win$bits/app/Korvandel.exe"
[ -f "$root/build/win$bits/build.ninja" ] ||
  cmake -S "$root" -B "$root/build/win$bits" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$(korvandel_arch "$bits").cmake" >/dev/null
cmake --build "$root/build/win$bits" --target Korvandel -j "$(nproc)" >/dev/null

export KORVANDEL_WINE_KIND=x11
WINEPREFIX=$("$root/scripts/wine-prefix.sh" x11 "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"

work="$root/build/try-edits"
mounts=()
cleanup() {
  "$KORVANDEL_WINESERVER" -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/e:" "$WINEPREFIX/dosdevices/f:"
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  [ -z "${korvandel_xvfb:-}" ] || kill "$korvandel_xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for m in "$work"/vol-*; do umount "$m" 2>/dev/null || true; done
rm -rf "$work"
mkdir -p "$work"
korvandel_start_xvfb "$work" 1024x768
computer=$("$KORVANDEL_WINE" cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')

# Drive letter -> folder; Wine learns of drive links when its server starts.
map_drive() { # letter, folder
  "$KORVANDEL_WINESERVER" -k 2>/dev/null || true
  "$KORVANDEL_WINESERVER" -w 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/$1:"
  ln -s "$2" "$WINEPREFIX/dosdevices/$1:"
}

# Every file below a folder: path, size, last-write time and its first line.
show() { # title, folder
  echo "  $1:"
  (cd "$2" && find . -type f ! -name Korvandel.exe ! -name '*.prp' ! -name '~Korvandel Stand*' |
    LC_ALL=C sort | while read -r f; do
      printf '    %-44s %5s B  %s  "%s"\n' "${f#./}" "$(stat -c %s "$f")" \
        "$(date -r "$f" '+%Y-%m-%d %H:%M:%S')" "$(head -n 1 "$f" | cut -c1-40)"
    done)
}

win=
start_program() { # drive folder holding Korvandel.exe, stick folder, computer folder (Windows paths)
  cp "$exe" "$1/Korvandel.exe"
  printf '[%s]\r\nStick=%s\r\nDisk=%s\r\n' "$computer" "$2" "$3" >"$1/Settings.prp"
  "$KORVANDEL_WINE" 'E:\Korvandel.exe' >/dev/null 2>&1 &
  win=$(korvandel_wait_window)
}
shoot() { # window, picture name
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$2.png"
  echo "  picture: build/try-edits/$2.png"
}
keys() { # keys...
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key "$@"
}
compare() { # picture name
  keys alt+v
  sleep 3
  shoot "$win" "$1"
}
copy() { # picture name of the report
  keys alt+k
  local report
  report=$(korvandel_wait_report "$win")
  shoot "$report" "$1"
  xdotool windowfocus --sync "$report" 2>/dev/null || true
  xdotool key Return
  sleep 2
}
quit() {
  keys alt+F4
  sleep 2
  "$KORVANDEL_WINESERVER" -w 2>/dev/null || true
}

# --- Cases 1 to 5 and 7: the stick at E:\Sync, the computer's folder C:\Users\Anna\Dokumente.
drive="$work/stick"
stick="$drive/Sync"
disk="$WINEPREFIX/drive_c/users/Anna/Dokumente"
rm -rf "$WINEPREFIX/drive_c/users/Anna"
mkdir -p "$stick" "$disk/Kurz" "$disk/Unterordner"
for f in "1 Brief.txt" "2 Tabelle.txt" "4 Bericht.txt"; do
  echo "erste Fassung von $f" >"$disk/$f"
  touch -d '2026-11-02 09:00' "$disk/$f"
done
echo "vom falsch gestellten Computer" >"$disk/3 Zukunft.txt"
touch -d '2035-06-01 12:00' "$disk/3 Zukunft.txt"
echo "die Datei mit dem langen Namen" >"$disk/Kurz/Program Files.txt"
echo "eigene Datei des Nutzers" >"$disk/Unterordner/~kv0badf00d.tmp"
echo "eigene Datei des Nutzers" >"$disk/Unterordner/~Korvandel-0badf00d.tmp"
mkdir -p "$stick/Unterordner"
echo "vom Stick" >"$stick/Unterordner/neu.txt"
map_drive e "$drive"
short=$("$KORVANDEL_WINE" cmd /c 'dir /x C:\users\Anna\Dokumente\Kurz' 2>/dev/null |
  tr -d '\r' | awk '/ Program Files\.txt$/ { print $(NF - 2) }')
[ -n "$short" ] || { echo "No short name for Program Files.txt" >&2; exit 1; }

start_program "$drive" 'E:\Sync' 'C:\Users\Anna\Dokumente'
echo "== First run: the computer's files go to the stick, both sides are then in step"
compare 0-compare
copy 0-report
show "stick E:\\Sync" "$stick"
show "computer C:\\Users\\Anna\\Dokumente" "$disk"

echo "== Edits since the last run"
echo "   1: '1 Brief.txt' edited on the stick, later on the computer"
echo "Fassung vom Stick" >"$stick/1 Brief.txt"
touch -d '-20 minutes' "$stick/1 Brief.txt"
echo "Fassung vom Computer" >"$disk/1 Brief.txt"
touch -d '-10 minutes' "$disk/1 Brief.txt"
echo "   2: an older version of '2 Tabelle.txt' restored on the computer (dated 2020)"
echo "aus der Sicherung" >"$disk/2 Tabelle.txt"
touch -d '2020-03-01 08:00' "$disk/2 Tabelle.txt"
echo "   3: '3 Zukunft.txt' (dated 2035 on both sides) edited on the stick today"
echo "heute auf dem Stick bearbeitet" >"$stick/3 Zukunft.txt"
echo "   4: '4 Bericht.txt' edited on the stick (and on the computer after \"Vergleichen\")"
echo "Bericht vom Stick" >"$stick/4 Bericht.txt"
echo "   5: 'Kurz\\$short' made on the stick: the short name of 'Kurz\\Program Files.txt'"
echo "eine andere Datei" >"$stick/Kurz/$short"
echo "   7: 'Unterordner\\neu 2.txt' made on the stick, to be copied beside the user's ~ files"
echo "noch einer vom Stick" >"$stick/Unterordner/neu 2.txt"
compare 1-compare
echo "   4: now '4 Bericht.txt' is edited on the computer too"
echo "Bericht am Computer, nach dem Vergleich" >"$disk/4 Bericht.txt"
copy 1-report
keys Tab
sleep 1
shoot "$win" 1-after-copy
show "stick E:\\Sync" "$stick"
show "computer C:\\Users\\Anna\\Dokumente" "$disk"

echo "== Next run: what is left"
compare 2-compare
copy 2-report
show "stick E:\\Sync" "$stick"
show "computer C:\\Users\\Anna\\Dokumente" "$disk"
quit

# --- Case 6: the stick folder is the root of one volume, the computer's folder "Daten" on
# another; neither has a serial, and "E:\Daten" and "F:\Daten" have the same file index
# (tmpfs numbers each volume's files from the same start).
if [ "$(id -u)" != 0 ]; then
  echo "== Case 6 left out: mounting volumes needs root"
  exit 0
fi
echo "== 6: the stick folder E:\\ (a volume) and the computer's folder F:\\Daten (another volume)"
for v in a b; do
  mkdir -p "$work/vol-$v"
  mount -t tmpfs -o size=16m none "$work/vol-$v"
  mounts+=("$work/vol-$v")
  mkdir "$work/vol-$v/Daten"
done
echo "auf dem Stick" >"$work/vol-a/Daten/vom Stick.txt"
echo "auf dem Computer" >"$work/vol-b/Daten/vom Computer.txt"
echo "   file index of E:\\Daten and F:\\Daten: $(stat -c %i "$work/vol-a/Daten") and $(stat -c %i "$work/vol-b/Daten")"
map_drive f "$work/vol-b"
map_drive e "$work/vol-a"
start_program "$work/vol-a" 'E:\' 'F:\Daten'
compare 6-compare
copy 6-report
show "stick E:\\" "$work/vol-a"
show "computer F:\\Daten" "$work/vol-b/Daten"
quit
