#!/usr/bin/env bash
# Stops the test update servers that start_server.sh started.
# Usage: stop_server.sh BENCH_DIR [NAME]
set -uo pipefail
BENCH_DIR="$1"
name="${2:-server}"
for pidfile in "$BENCH_DIR/$name/server.pid" "$BENCH_DIR/$name/untrusted.pid" "$BENCH_DIR/$name/userroot.pid"; do
  [ -f "$pidfile" ] || continue
  pid="$(cat "$pidfile")"
  if kill "$pid" 2>/dev/null; then
    # A zombie counts as gone: whoever adopted it may reap it late.
    for _ in $(seq 1 50); do
      state="$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)"
      [ -z "$state" ] || [ "$state" = Z ] && break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$pidfile"
done
rm -f "$BENCH_DIR/$name.port" "$BENCH_DIR/$name.untrusted.port" "$BENCH_DIR/$name.userroot.port"
exit 0
