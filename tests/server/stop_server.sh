#!/usr/bin/env bash
# Stops the test update server that start_server.sh started for BENCH_DIR.
set -uo pipefail
BENCH_DIR="$1"
pidfile="$BENCH_DIR/server/server.pid"
[ -f "$pidfile" ] || exit 0
pid="$(cat "$pidfile")"
if kill "$pid" 2>/dev/null; then
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
fi
rm -f "$pidfile" "$BENCH_DIR/server.port"
exit 0
