#!/usr/bin/env bash
# Stops the server that run-local.sh started for <state-dir>, and only that
# one: the pid file must name an nginx master started with this state folder.
# Usage: stop-local.sh <state-dir>
set -uo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 <state-dir>" >&2
  exit 2
fi
state="$(realpath -m "$1")"
pidfile="$state/nginx.pid"
[ -s "$pidfile" ] || exit 0
pid="$(cat "$pidfile")"
if ! tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -q "nginx.*$state/nginx.conf"; then
  rm -f "$pidfile"   # stale: that process is gone or is not ours
  exit 0
fi
kill -TERM "$pid" 2>/dev/null || true
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || { rm -f "$pidfile"; exit 0; }
  sleep 0.1
done
# Its workers would outlive a killed master; they are its own children.
workers="$(pgrep -P "$pid" || true)"
kill -KILL "$pid" $workers 2>/dev/null || true
rm -f "$pidfile"
echo "stop-local: nginx $pid had to be killed" >&2
exit 0
