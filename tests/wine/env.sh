# Sourced by everything that runs a Windows program of the project: the bench
# scripts, the end-to-end harness (through env_of.sh), the demo and the
# benchmarks. One throw-away prefix per bench folder. BENCH_DIR is the folder
# that holds the prefix, the locale and the state of the display and
# wineserver started for it.
#
# ARKENFEL_ARCH (i686 or x86_64, see mode.sh) picks Wine's own loader and
# server directly. Debian's wine, wineboot and winepath wrappers are never
# used: they pick the 32-bit loader whenever it is installed, even on a host
# that cannot run it. Callers run "$ARKENFEL_WINE" and "$ARKENFEL_WINESERVER".
: "${BENCH_DIR:?BENCH_DIR must name the test bench folder}"
if [ -z "${ARKENFEL_ARCH:-}" ] && [ -f "$BENCH_DIR/arch" ]; then
  ARKENFEL_ARCH="$(cat "$BENCH_DIR/arch")"
fi
case "${ARKENFEL_ARCH:-i686}" in
  i686)
    export ARKENFEL_ARCH=i686 WINEARCH=win32
    export ARKENFEL_WINE=/usr/lib/wine/wine ARKENFEL_WINESERVER=/usr/lib/wine/wineserver32 ;;
  x86_64)
    export ARKENFEL_ARCH=x86_64 WINEARCH=win64
    export ARKENFEL_WINE=/usr/lib/wine/wine64 ARKENFEL_WINESERVER=/usr/lib/wine/wineserver64 ;;
  *)
    echo "env: ARKENFEL_ARCH must be i686 or x86_64, not '$ARKENFEL_ARCH'" >&2
    return 1 ;;
esac
# The loader starts helper processes (wineboot, services) and finds the server
# through these two.
export WINELOADER="$ARKENFEL_WINE" WINESERVER="$ARKENFEL_WINESERVER"
export WINEPREFIX="$BENCH_DIR/prefix"
export WINEDEBUG="${ARKENFEL_WINEDEBUG:--all}"
# No Mono or Gecko installer prompts, and no desktop entries written into the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LOCPATH="$BENCH_DIR/locale"
export LC_ALL=ko_KR.UTF-8 2>/dev/null
if [ -f "$BENCH_DIR/display" ]; then
  DISPLAY="$(cat "$BENCH_DIR/display")"
  export DISPLAY
fi
