#!/usr/bin/env bash
# Runs a Windows test program under Wine with a drive letter on a real FAT32 file
# system: an image made by mkfs.vfat, its stick folder filled by mtools (which
# writes long names as FAT keeps them, in UTF-16), mounted by fusefat and mapped
# as a drive (which Wine 8 reports as NTFS, so the 4 GiB check is not tried
# here). The program finds the drive in
# KORVANDEL_FAT_DRIVE ("F:"), the free bytes that the image counts in
# KORVANDEL_FAT_FREE (fusefat tells the system none), and in
# KORVANDEL_FAT_UNICODE_NAMES whether the mount makes names outside ASCII (1) or
# refuses them (0, as fusefat 0.1 does).
# Exits with 77, which ctest counts as skipped, where a tool or /dev/fuse is
# missing or the mount fails. Usage: fat_stick.sh [--64] program args...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bits=32
wine_args=()
if [ "${1:-}" = --64 ]; then bits=64 wine_args=(--64); shift; fi

skip() { echo "fat_stick: skipped: $*" >&2; exit 77; }
for tool in mkfs.vfat mcopy mmd mdir fusefat fusermount; do
  command -v "$tool" >/dev/null || skip "$tool is missing (dosfstools, mtools, fusefat)"
done
[ -c /dev/fuse ] || skip "/dev/fuse is missing"

WINEPREFIX=$("$root/scripts/wine-prefix.sh" null "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"

work=$(mktemp -d)
mount="$work/mount"
links=()
mounted=
cleanup() {
  [ ${#links[@]} -gt 0 ] && rm -f "${links[@]}"
  [ -n "$mounted" ] && fusermount -u "$mount" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

letter=
for l in f g h i j k l m n o p q; do
  if ! [ -e "$WINEPREFIX/dosdevices/$l:" ] && ! [ -L "$WINEPREFIX/dosdevices/$l:" ]; then
    letter=$l
    break
  fi
done
[ -n "$letter" ] || { echo "fat_stick: no free drive letter in $WINEPREFIX" >&2; exit 1; }

# FAT32 with one sector per cluster: the smallest image that is still FAT32.
image="$work/stick.img"
truncate -s 40M "$image"
mkfs.vfat -F 32 -s 1 -n KVSTICK "$image" >/dev/null
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8
mmd -i "$image" ::/Sync
# Odd seconds, which FAT cannot hold.
for name in 'Grüße.txt' 'Привет.txt' 'Liste.txt'; do
  printf 'stick: %s' "$name" >"$work/$name"
  touch -d '2024-06-01 10:00:03' "$work/$name"
  mcopy -m -i "$image" "$work/$name" "::/Sync/$name"
done
free=$(mdir -i "$image" ::/ | sed -n 's/^ *\([0-9 ]*[0-9]\) bytes free$/\1/p' | tr -d ' ')
[ -n "$free" ] || { echo "fat_stick: mdir told no free space" >&2; exit 1; }

mkdir "$mount"
fusefat -o rw+ "$image" "$mount" >/dev/null 2>&1 || skip "fusefat cannot mount here"
mounted=1
unicode=0
if touch "$mount/Ä-probe" 2>/dev/null; then
  unicode=1
  rm -f "$mount/Ä-probe"
fi

ln -s "$mount" "$WINEPREFIX/dosdevices/$letter:"
links+=("$WINEPREFIX/dosdevices/$letter:")
"$KORVANDEL_WINESERVER" -w
export KORVANDEL_FAT_DRIVE=${letter^^}: KORVANDEL_FAT_FREE=$free KORVANDEL_FAT_UNICODE_NAMES=$unicode
"$root/scripts/wine-run.sh" "${wine_args[@]}" "$@"
