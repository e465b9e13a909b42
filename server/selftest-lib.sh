# Sourced by the self-tests of the reference server and of the mirror: a
# throw-away folder with a test CA and a localhost certificate signed by it,
# removed with every server started for it on every exit, and the checks'
# bookkeeping. Sets here and work; a self-test names its servers' state
# folders in selftest_states so they are stopped.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
selftest_states=()
selftest_cleanup() {
  local state
  for state in "${selftest_states[@]}"; do
    "$here/stop-local.sh" "$state" >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap selftest_cleanup EXIT INT TERM

failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1" >&2; failures=$((failures + 1)); }
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Arkenfel selftest CA" \
  -keyout "$work/ca.key" -out "$work/ca.pem" >/dev/null 2>&1
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
  -keyout "$work/localhost.key" -out "$work/localhost.csr" >/dev/null 2>&1
printf 'subjectAltName=DNS:localhost\n' > "$work/ext.cnf"
openssl x509 -req -in "$work/localhost.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
  -days 2 -extfile "$work/ext.cnf" -out "$work/localhost.pem" >/dev/null 2>&1

free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# get PORT NAME [curl args...]: status in $status, body in $work/body,
# headers in $work/headers
get() {
  local port="$1" fn="$2"; shift 2
  status="$(curl -s --path-as-is --cacert "$work/ca.pem" --max-time 5 -o "$work/body" -D "$work/headers" \
            -w '%{http_code}' "$@" "https://localhost:$port/fs_c_get.php?fn=$fn")" || status="curl-error"
}
header() { tr -d '\r' < "$work/headers" | sed -n "s/^$1: //Ip" | head -n1; }

# connections_for PORT NAME COUNT LOG: asks for NAME COUNT times in one curl
# run, which keeps one connection while the server lets it; prints how many
# connections the server's access log LOG shows for them (its conn= field).
connections_for() {
  local port="$1" fn="$2" count="$3" log="$4" i
  : > "$work/urls"
  for i in $(seq 1 "$count"); do
    printf 'url = "https://localhost:%s/fs_c_get.php?fn=%s"\noutput = "/dev/null"\n' "$port" "$fn" >> "$work/urls"
  done
  curl -s --cacert "$work/ca.pem" --max-time 60 -K "$work/urls" || true
  grep -F "fn=$fn " "$log" | tail -n "$count" | sed -n 's/.* conn=\([0-9]*\)\/.*/\1/p' | sort -u | wc -l
}
