#!/usr/bin/env bash
# Starts the test update server for a test run, in the background, on a free
# port. Usage: start_server.sh BENCH_DIR
# State lives in BENCH_DIR/server: root/ (served), control/ (fault plans),
# requests.log, server.pid, server.out; the port goes to BENCH_DIR/server.port.
# A second server serves the same tree with a certificate nobody trusts; its
# port goes to BENCH_DIR/server.untrusted.port.
set -euo pipefail
BENCH_DIR="$1"
here="$(cd "$(dirname "$0")" && pwd)"
state="$BENCH_DIR/server"
tls="$BENCH_DIR/tls"
[ -f "$tls/localhost.pem" ] || { echo "start_server: no test certificate in $tls (bench not set up?)" >&2; exit 1; }

"$here/stop_server.sh" "$BENCH_DIR" || true
rm -rf "$state" "$BENCH_DIR/server.port" "$BENCH_DIR/server.untrusted.port"
mkdir -p "$state/root" "$state/control"
: > "$state/requests.log"

# setsid + files for every stream: the server outlives this script and must
# not hold CTest's pipes open.
setsid /usr/bin/python3 "$here/update_server.py" \
  --root "$state/root" --control "$state/control" --log "$state/requests.log" \
  --cert "$tls/localhost.pem" --key "$tls/localhost.key" \
  --port 0 --port-file "$BENCH_DIR/server.port" --pid-file "$state/server.pid" \
  </dev/null >"$state/server.out" 2>&1 &
setsid /usr/bin/python3 "$here/update_server.py" \
  --root "$state/root" --control "$state/control" --log "$state/requests.log" \
  --cert "$tls/untrusted.pem" --key "$tls/untrusted.key" \
  --port 0 --port-file "$BENCH_DIR/server.untrusted.port" --pid-file "$state/untrusted.pid" \
  </dev/null >"$state/untrusted.out" 2>&1 &

for _ in $(seq 1 100); do
  if [ -s "$BENCH_DIR/server.port" ]; then
    port="$(cat "$BENCH_DIR/server.port")"
    if [ -s "$BENCH_DIR/server.untrusted.port" ] &&
       curl -s -o /dev/null --cacert "$tls/ca.pem" "https://localhost:$port/fs_c_get.php?fn="; then
      echo "update server on https://localhost:$port (state: $state)"
      exit 0
    fi
  fi
  sleep 0.1
done
echo "start_server: the server did not come up" >&2
cat "$state/server.out" >&2 || true
exit 1
