# Sourced with 32 or 64: sets the Wine loader for that kind of Windows program
# ($KORVANDEL_WINE) and the environment every Wine call here shares.
# No Mono or Gecko: nothing here needs them, and they would try the network.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${1:-32}" = 64 ]; then
  export WINEARCH=win64 KORVANDEL_WINE=/usr/lib/wine/wine64
else
  export WINEARCH=win32 KORVANDEL_WINE=wine
fi

# True when this machine runs 32-bit programs: some kernels come without
# 32-bit emulation, and then only the 64-bit build can be run under Wine.
korvandel_runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# 64 where 32-bit programs cannot run here, else 32.
korvandel_wine_bits() {
  if korvandel_runs_32bit; then echo 32; else echo 64; fi
}
