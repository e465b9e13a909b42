# Sourced by the Wine bench scripts. One throw-away prefix per build folder.
# BENCH_DIR is the folder that holds the prefix, the locale and the state of
# the display and wineserver started for a test run.
: "${BENCH_DIR:?BENCH_DIR must name the test bench folder}"
export WINEPREFIX="$BENCH_DIR/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, and no desktop entries written into the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LOCPATH="$BENCH_DIR/locale"
export LC_ALL=ko_KR.UTF-8 2>/dev/null
if [ -f "$BENCH_DIR/display" ]; then
  DISPLAY="$(cat "$BENCH_DIR/display")"
  export DISPLAY
fi
