#!/usr/bin/env bash
# The Wine scripts branch on whether this machine runs 32-bit programs, and a
# machine takes only one of the branches for real. Here both run on every
# machine, with stand-in Wine commands that record how they were called, in a
# copy of the scripts whose build folder is a temporary one.
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

passed=0 failed=0
check() { # what, command...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
same() { [ "$1" = "$2" ] || { echo "  expected [$2], got [$1]"; return 1; }; }
has() { grep -qF -- "$2" "$1" || { echo "  no [$2] in $1:"; sed 's/^/    /' "$1"; return 1; }; }
lacks() { ! grep -qF -- "$2" "$1" || { echo "  unexpected [$2] in $1"; return 1; }; }

# Stand-ins: each call is written to $calls with the Wine environment it saw.
# The 32-bit loader fails like a kernel without 32-bit emulation while
# $tmp/no32 exists; wineboot makes the prefix's font folder.
wine_dir=$tmp/wine fonts=$tmp/fonts root=$tmp/checkout calls=$tmp/calls
mkdir -p "$wine_dir" "$fonts" "$root/cmake"
cp -r "$src/scripts" "$root/"
cp "$src"/cmake/*.cmake "$root/cmake/"
echo tahoma >"$fonts/tahoma.ttf"
echo tahomabd >"$fonts/tahomabd.ttf"
cat >"$wine_dir/stand-in" <<STANDIN
#!/usr/bin/env bash
name=\$(basename "\$0")
echo "\$name WINEARCH=\${WINEARCH:-} WINEPREFIX=\${WINEPREFIX:-} \$*" >>"$calls"
[ "\$name" = wine ] && [ -e "$tmp/no32" ] && exit 126
[ "\${1:-}" = wineboot ] && mkdir -p "\$WINEPREFIX/drive_c/windows/Fonts"
exit 0
STANDIN
chmod +x "$wine_dir/stand-in"
for tool in wine wine64 wineserver; do ln -s stand-in "$wine_dir/$tool"; done
export KORVANDEL_WINE_DIR=$wine_dir KORVANDEL_WINE_FONTS=$fonts

# Which build this machine's Wine runs, and with which toolchain it is made.
bits_here() { bash -c 'source "$1/scripts/wine-env.sh"; korvandel_wine_bits' _ "$root"; }
arch_of() { bash -c 'source "$1/scripts/wine-env.sh"; korvandel_arch "$2"' _ "$root" "$1"; }
check "a machine that runs 32-bit programs runs the 32-bit build" same "$(bits_here)" 32
touch "$tmp/no32"
check "a machine without 32-bit emulation runs the 64-bit build" same "$(bits_here)" 64
rm "$tmp/no32"
for bits in 32 64; do
  arch=$(arch_of $bits)
  check "the $bits-bit build has a toolchain file" test -f "$root/cmake/mingw-$arch.cmake"
done
check "32-bit builds use the i686 toolchain" same "$(arch_of 32)" i686
check "64-bit builds use the x86_64 toolchain" same "$(arch_of 64)" x86_64

# The prefix of each kind and bits: made once, with the loader of its bits.
for bits in 32 64; do
  loader=wine arch=win32 dir=wine
  [ $bits = 64 ] && loader=wine64 arch=win64 dir=wine64
  for kind in null x11; do
    : >"$calls"
    prefix=$("$root/scripts/wine-prefix.sh" $kind $bits)
    check "wine-prefix.sh $kind $bits succeeds" same $? 0
    check "the $kind $bits-bit prefix lies in the build folder" same "$prefix" "$root/build/$dir-$kind"
    check "the $kind $bits-bit prefix is booted by its own loader" \
      has "$calls" "$loader WINEARCH=$arch WINEPREFIX=$root/build/$dir-$kind wineboot -i"
    check "the $kind $bits-bit prefix waits for its server" has "$calls" "wineserver WINEARCH=$arch"
    check "the $kind $bits-bit prefix has Tahoma" test -f "$prefix/drive_c/windows/Fonts/tahomabd.ttf"
    if [ $kind = null ]; then
      check "the headless $bits-bit prefix draws on no display" has "$calls" "reg add HKCU\\Software\\Wine\\Drivers /v Graphics /d null"
    else
      check "the x11 $bits-bit prefix keeps its display" lacks "$calls" "reg add"
    fi
    : >"$calls"
    again=$("$root/scripts/wine-prefix.sh" $kind $bits)
    check "a second wine-prefix.sh $kind $bits returns the same prefix" same "$again" "$prefix"
    check "a second wine-prefix.sh $kind $bits starts no Wine" same "$(wc -l <"$calls")" 0
  done
done

# The test runner takes the loader of the build it runs.
: >"$calls"
"$root/scripts/wine-run.sh" prog.exe --gtest_brief=1
check "wine-run.sh runs 32-bit programs with the 32-bit loader" \
  has "$calls" "wine WINEARCH=win32 WINEPREFIX=$root/build/wine-null prog.exe --gtest_brief=1"
: >"$calls"
"$root/scripts/wine-run.sh" --64 prog.exe
check "wine-run.sh --64 runs 64-bit programs with the 64-bit loader" \
  has "$calls" "wine64 WINEARCH=win64 WINEPREFIX=$root/build/wine64-null prog.exe"

echo "wine_branches: $passed passed, $failed failed"
[ "$failed" = 0 ]
