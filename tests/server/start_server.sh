#!/usr/bin/env bash
# Starts a test update server for a test run, in the background.
# Usage: start_server.sh BENCH_DIR [NAME [PORT]]
# NAME (default "server") names its state folder BENCH_DIR/NAME: root/ (served),
# control/ (fault plans), requests.log, server.pid, server.out. It listens on
# PORT (default: a free one), written to BENCH_DIR/NAME.port. A twin serves
# the same tree with a certificate nobody trusts, on a free port written to
# BENCH_DIR/NAME.untrusted.port, and another with a certificate that only a
# CA in the user's own ROOT store signed, on BENCH_DIR/NAME.userroot.port.
set -euo pipefail
BENCH_DIR="$1"
name="${2:-server}"
port_wanted="${3:-0}"
here="$(cd "$(dirname "$0")" && pwd)"
state="$BENCH_DIR/$name"
tls="$BENCH_DIR/tls"
port_file="$BENCH_DIR/$name.port"
twin_port_file="$BENCH_DIR/$name.untrusted.port"
user_port_file="$BENCH_DIR/$name.userroot.port"
[ -f "$tls/localhost.pem" ] || { echo "start_server: no test certificate in $tls (bench not set up?)" >&2; exit 1; }

"$here/stop_server.sh" "$BENCH_DIR" "$name" || true
rm -rf "$state" "$port_file" "$twin_port_file" "$user_port_file"
mkdir -p "$state/root" "$state/control"
: > "$state/requests.log"

# setsid + files for every stream: the servers outlive this script and must
# not hold CTest's pipes open.
serve() {  # CERT_BASE PORT PORT_FILE PID_FILE OUT_FILE
  setsid /usr/bin/python3 "$here/update_server.py" \
    --root "$state/root" --control "$state/control" --log "$state/requests.log" \
    --cert "$tls/$1.pem" --key "$tls/$1.key" \
    --port "$2" --port-file "$3" --pid-file "$4" </dev/null >"$5" 2>&1 &
}
serve localhost "$port_wanted" "$port_file" "$state/server.pid" "$state/server.out"
serve untrusted 0 "$twin_port_file" "$state/untrusted.pid" "$state/untrusted.out"
if [ -f "$tls/userroot.pem" ]; then
  serve userroot 0 "$user_port_file" "$state/userroot.pid" "$state/userroot.out"
fi

for _ in $(seq 1 100); do
  if [ -s "$port_file" ] && [ -s "$twin_port_file" ] && { [ ! -f "$tls/userroot.pem" ] || [ -s "$user_port_file" ]; }; then
    port="$(cat "$port_file")"
    if curl -s -o /dev/null --cacert "$tls/ca.pem" "https://localhost:$port/fs_c_get.php?fn="; then
      echo "update server on https://localhost:$port (state: $state)"
      exit 0
    fi
  fi
  sleep 0.1
done
echo "start_server: the server did not come up" >&2
cat "$state/server.out" "$state/untrusted.out" "$state/userroot.out" >&2 || true
exit 1
