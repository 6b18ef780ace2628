#!/usr/bin/env bash
# Runs a Windows test program under Wine with two drive letters mapped to
# folders of their own, each with its own volume serial, and a third letter
# left free. Wine keeps drive letters as links in the prefix's "dosdevices"
# folder, reads a drive's serial from ".windows-serial" in its root, and learns
# of new links when its server starts: the links are made while none runs.
# The program finds the drives in KORVANDEL_MAPPED_DRIVES ("R:1234ABCD S:0BADF00D")
# and the free letter in KORVANDEL_FREE_DRIVE. Usage: mapped_drives.sh [--64] program args...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bits=32
wine_args=()
if [ "${1:-}" = --64 ]; then bits=64 wine_args=(--64); shift; fi
WINEPREFIX=$("$root/scripts/wine-prefix.sh" null "$bits")
export WINEPREFIX
source "$root/scripts/wine-env.sh" "$bits"

folders=$(mktemp -d)
links=()
cleanup() {
  [ ${#links[@]} -gt 0 ] && rm -f "${links[@]}"
  rm -rf "$folders"
}
trap cleanup EXIT

free_letters=()
for letter in r s t u v w x y; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || [ -L "$WINEPREFIX/dosdevices/$letter:" ] || free_letters+=("$letter")
done
[ ${#free_letters[@]} -ge 3 ] || { echo "mapped_drives: no three free drive letters in $WINEPREFIX" >&2; exit 1; }

mapped=
serials=(1234ABCD 0BADF00D)
for i in 0 1; do
  letter=${free_letters[i]}
  mkdir -p "$folders/$letter"
  echo "${serials[i]}" >"$folders/$letter/.windows-serial"
  ln -s "$folders/$letter" "$WINEPREFIX/dosdevices/$letter:"
  links+=("$WINEPREFIX/dosdevices/$letter:")
  mapped+="${letter^^}:${serials[i]} "
done
"$KORVANDEL_WINESERVER" -w
export KORVANDEL_MAPPED_DRIVES=${mapped% } KORVANDEL_FREE_DRIVE=${free_letters[2]^^}:
"$root/scripts/wine-run.sh" "${wine_args[@]}" "$@"
