#!/usr/bin/env bash
# scripts/link-pruned.sh on a small 32-bit program: a function that nothing
# calls is left out, the ones that run and the unwinder's stay, every unwind
# entry is checked, and the start-up lists and thread-local template have no
# sections of their own.
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cxx=i686-w64-mingw32-g++-win32
command -v "$cxx" >/dev/null || { echo "FAILED: $cxx is missing"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/program.cpp" <<'PROGRAM'
#include <stdexcept>
int NothingCallsThis(int x) {
    if (x > 3)
        throw std::runtime_error("never");
    return x * 7;
}
int Thrower(int x) {
    if (x > 3)
        throw std::runtime_error("big");
    return x;
}
int main(int argc, char**) {
    try {
        return Thrower(argc);
    } catch (const std::exception&) {
        return 42;
    }
}
PROGRAM
cd "$tmp" || exit 1
"$cxx" -Os -ffunction-sections -fdata-sections -c program.cpp -o program.o || exit 1
if ! "$src/scripts/link-pruned.sh" "$cxx" -static -Wl,--gc-sections program.o -o program.exe \
  2>link.txt; then
  echo "FAILED: the link"
  cat link.txt
  exit 1
fi

failed=0
symbols=$(i686-w64-mingw32-nm program.exe)
for kept in __Z7Throweri _main ___gxx_personality_v0; do
  grep -q " [Tt] $kept\$" <<<"$symbols" || { echo "FAILED: $kept is missing"; failed=1; }
done
if grep -q " [Tt] __Z16NothingCallsThisi\$" <<<"$symbols"; then
  echo "FAILED: the function nothing calls is still there"
  failed=1
fi
sections=$(i686-w64-mingw32-objdump -h program.exe | awk '$1 ~ /^[0-9]+$/ { print $2 }')
for gone in .CRT .tls; do
  if grep -qx -- "$gone" <<<"$sections"; then
    echo "FAILED: $gone is still a section of its own"
    failed=1
  fi
done
grep -qx .eh_frame <<<"$sections" || { echo "FAILED: no unwind tables"; failed=1; }
[ "$failed" = 0 ] && echo "link-pruned: all checks passed"
exit "$failed"
