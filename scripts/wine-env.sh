# Sourced with 32 or 64: sets the Wine loader for that kind of Windows program
# ($KORVANDEL_WINE), its server ($KORVANDEL_WINESERVER) and the environment
# every Wine call here shares. KORVANDEL_WINE_DIR and KORVANDEL_WINE_FONTS name
# where Wine and its fonts are (Debian's places by default), so that the
# script tests can put stand-ins there.
# No Mono or Gecko: nothing here needs them, and they would try the network.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
korvandel_wine_dir=${KORVANDEL_WINE_DIR:-/usr/lib/wine}
export KORVANDEL_WINESERVER="$korvandel_wine_dir/wineserver"
export KORVANDEL_WINE_FONTS=${KORVANDEL_WINE_FONTS:-/usr/share/wine/fonts}
if [ "${1:-32}" = 64 ]; then
  export WINEARCH=win64 KORVANDEL_WINE="$korvandel_wine_dir/wine64"
else
  export WINEARCH=win32 KORVANDEL_WINE="$korvandel_wine_dir/wine"
fi

# True when this machine runs 32-bit programs: some kernels come without
# 32-bit emulation, and then only the 64-bit build can be run under Wine.
korvandel_runs_32bit() {
  "$korvandel_wine_dir/wine" --version >/dev/null 2>&1
}

# 64 where 32-bit programs cannot run here, else 32.
korvandel_wine_bits() {
  if korvandel_runs_32bit; then echo 32; else echo 64; fi
}

# The cross toolchain of a build of the given bits: i686 or x86_64.
korvandel_arch() {
  if [ "$1" = 64 ]; then echo x86_64; else echo i686; fi
}

# The folder of the checkout's Wine prefix of a kind (null or x11) and bits.
korvandel_prefix_dir() { # root, kind, bits
  if [ "$3" = 64 ]; then echo "$1/build/wine64-$2"; else echo "$1/build/wine-$2"; fi
}

# Starts Xvfb on a free display (it picks one and writes its number, so that
# a second run or another X server never gets our windows) and exports
# DISPLAY; korvandel_xvfb holds its process. Arguments: a scratch folder and
# the screen's size (WxH, 1024x768 when not given).
korvandel_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "${2:-1024x768}x24" -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  korvandel_xvfb=$!
  for _ in $(seq 1 40); do
    [ -s "$1/display" ] && break
    sleep 0.25
  done
  [ -s "$1/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$1/display")"
}

# Prints the id of Korvandel's main window once it shows (within 20 s), or fails.
korvandel_wait_window() {
  local win=
  for _ in $(seq 1 40); do
    win=$(xdotool search --name '^Korvandel$' 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.5
  done
  [ -n "$win" ] || { echo "The window did not appear" >&2; return 1; }
  sleep 2
  echo "$win"
}

# Prints the id of the report that a run shows beside the main window given
# (within 30 s), or fails.
korvandel_wait_report() { # main window
  local shown=
  for _ in $(seq 1 60); do
    sleep 0.5
    for w in $(xdotool search --name '^Korvandel$' 2>/dev/null || true); do
      [ "$w" != "$1" ] && shown=$w
    done
    [ -n "$shown" ] && break
  done
  [ -n "$shown" ] || { echo "The report did not appear" >&2; return 1; }
  sleep 2
  echo "$shown"
}
