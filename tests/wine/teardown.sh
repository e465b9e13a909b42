#!/usr/bin/env bash
# Ends everything the bench started: Wine processes, the wineserver, Xvfb.
set -uo pipefail
BENCH_DIR="$1"; export BENCH_DIR
here="$(cd "$(dirname "$0")" && pwd)"
[ -d "$BENCH_DIR" ] || exit 0
. "$here/env.sh"
[ -d "$WINEPREFIX" ] && timeout 20 "$ARKENFEL_WINESERVER" -k >/dev/null 2>&1
if [ -f "$BENCH_DIR/xvfb.pid" ]; then
  kill "$(cat "$BENCH_DIR/xvfb.pid")" 2>/dev/null
  rm -f "$BENCH_DIR/xvfb.pid" "$BENCH_DIR/display"
fi
exit 0
