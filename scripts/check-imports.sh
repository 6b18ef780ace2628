#!/usr/bin/env bash
# Fails when a Windows program imports a function that Windows XP SP3 lacks:
# such a program does not start there at all. Every import must stand in
# scripts/xp-imports.txt ("DLL function", one a line), so that a new one is
# added on purpose, after checking that XP has it. Functions of later systems
# are looked up at run time instead. Usage: check-imports.sh program.exe
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$1
allowed="$root/scripts/xp-imports.txt"
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || objdump=x86_64-w64-mingw32-objdump

# Lines of the import table look like "<tab>vma<tab> hint  Name"; imports by
# ordinal have no name and are listed by number.
imports=$("$objdump" -p "$exe" | awk '
  /^\tDLL Name:/ { dll = toupper($3); next }
  /^$/ { next }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }
  /^The Export Tables|^PE File Base Relocations/ { dll = "" }' | sort -u)
[ -n "$imports" ] || { echo "check-imports: no imports read from $exe" >&2; exit 1; }

unknown=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | sort -u))
if [ -n "$unknown" ]; then
  echo "check-imports: $exe imports what is not on the Windows XP list ($allowed):" >&2
  echo "$unknown" | sed 's/^/  /' >&2
  exit 1
fi
echo "check-imports: $(echo "$imports" | wc -l) imports of $(basename "$exe"), all present in Windows XP SP3"
