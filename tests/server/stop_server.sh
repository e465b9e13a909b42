#!/usr/bin/env bash
# Stops the test update servers that start_server.sh started for BENCH_DIR.
set -uo pipefail
BENCH_DIR="$1"
for pidfile in "$BENCH_DIR/server/server.pid" "$BENCH_DIR/server/untrusted.pid"; do
  [ -f "$pidfile" ] || continue
  pid="$(cat "$pidfile")"
  if kill "$pid" 2>/dev/null; then
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$pidfile"
done
rm -f "$BENCH_DIR/server.port" "$BENCH_DIR/server.untrusted.port"
exit 0
