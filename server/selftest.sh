#!/usr/bin/env bash
# Checks the reference update server end to end with curl: a throw-away test
# CA and localhost certificate, a small server root, run-local.sh on a free
# port, then whole-file and ranged requests, refused names and missing files.
# Cleans up (server and files) on every path. Exit code 0 when all checks pass.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
state="$work/state"
cleanup() {
  "$here/stop-local.sh" "$state" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1" >&2; failures=$((failures + 1)); }

# Test CA and a certificate for localhost signed by it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Arkenfel selftest CA" \
  -keyout "$work/ca.key" -out "$work/ca.pem" >/dev/null 2>&1
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
  -keyout "$work/localhost.key" -out "$work/localhost.csr" >/dev/null 2>&1
printf 'subjectAltName=DNS:localhost\n' > "$work/ext.cnf"
openssl x509 -req -in "$work/localhost.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
  -days 2 -extfile "$work/ext.cnf" -out "$work/localhost.pem" >/dev/null 2>&1

# Server root: gateway.ini, one version folder; a secret next to the root
# that no request may reach.
root="$work/site/vantero"
mkdir -p "$root/2026.12a/data" "$root/2026.12a/bin"
printf '2026.12a\r\nbeta=2026.12a\r\n' > "$root/gateway.ini"
head -c 70000 /dev/urandom > "$root/2026.12a/data/blob.bin"
printf 'MZ-tool' > "$root/2026.12a/bin/a+b(1)~x.exe"
printf 'SECRET-OUTSIDE' > "$work/site/secret.txt"
printf 'SECRET-STATE' > "$work/secret.txt"

port="$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
"$here/run-local.sh" "$root" "$port" "$work/localhost.pem" "$work/localhost.key" "$state" >/dev/null

base="https://localhost:$port/fs_c_get.php?fn="
# get NAME [curl args...]: status in $status, body in $work/body, headers in $work/headers
get() {
  local fn="$1"; shift
  status="$(curl -s --path-as-is --cacert "$work/ca.pem" --max-time 5 -o "$work/body" -D "$work/headers" \
            -w '%{http_code}' "$@" "$base$fn")" || status="curl-error"
}
header() { tr -d '\r' < "$work/headers" | sed -n "s/^$1: //Ip" | head -n1; }

get vantero/gateway.ini
if [ "$status" = 200 ] && cmp -s "$work/body" "$root/gateway.ini" && [ "$(header Content-Length)" = "$(stat -c %s "$root/gateway.ini")" ]; then
  pass "gateway.ini: 200, Content-Length and bytes"
else fail "gateway.ini: status $status, Content-Length $(header Content-Length)"; fi

get vantero/2026.12a/data/blob.bin
if [ "$status" = 200 ] && cmp -s "$work/body" "$root/2026.12a/data/blob.bin" &&
   [ "$(header Content-Length)" = 70000 ]; then pass "whole file: 200 with Content-Length 70000"
else fail "whole file: status $status, Content-Length $(header Content-Length)"; fi

if [ "$(header Cache-Control)" = "public, max-age=31536000, immutable" ]; then
  pass "version folder file: cacheable for ever"
else fail "version folder file: Cache-Control $(header Cache-Control)"; fi
get vantero/gateway.ini
if [ "$(header Cache-Control)" = "public, max-age=60" ]; then pass "gateway.ini: cacheable briefly"
else fail "gateway.ini: Cache-Control $(header Cache-Control)"; fi

get vantero/2026.12a/data/blob.bin -H 'Range: bytes=1000-33767'
if [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c +1001 "$root/2026.12a/data/blob.bin" | head -c 32768) &&
   [ "$(header Content-Range)" = "bytes 1000-33767/70000" ]; then pass "range: 206 with exactly the bytes asked for"
else fail "range: status $status, Content-Range $(header Content-Range)"; fi

get vantero/2026.12a/data/blob.bin -H 'Range: bytes=69999-69999'
if [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c 1 "$root/2026.12a/data/blob.bin"); then
  pass "range: the last byte alone"
else fail "range of the last byte: status $status"; fi

get 'vantero/2026.12a/bin/a+b(1)~x.exe'
if [ "$status" = 200 ] && [ "$(cat "$work/body")" = 'MZ-tool' ]; then pass "names with +()~ are served"
else fail "name with +()~: status $status"; fi

for fn in vantero/2026.12a/missing.dll vantero/2026.12a/data vantero/nope/gateway.ini; do
  get "$fn"
  if [ "$status" = 404 ] && [ -z "$(header Cache-Control)" ]; then pass "404 for $fn, not cacheable"
  else fail "$fn: status $status, want 404 without Cache-Control (got '$(header Cache-Control)')"; fi
done

# Names that leave the root or that the server does not accept: refused,
# and never the secret.
for fn in 'vantero/../secret.txt' 'vantero/../../secret.txt' 'vantero/2026.12a/../../secret.txt' \
          'vantero/./gateway.ini' 'vantero//gateway.ini' 'vantero/%2e%2e/secret.txt' \
          'vantero%2F..%2Fsecret.txt' 'vantero/..%2Fsecret.txt' 'vantero/%2e%2e%2f%2e%2e%2fsecret.txt' \
          'vantero\..\secret.txt' 'vantero/..\secret.txt' '/etc/passwd' '../secret.txt' \
          'vantero/.hidden' 'secret.txt' 'vantero' 'vantero/' '' 'vantero/gateway.ini%00.txt' \
          'vantero/gateway.ini/'; do
  get "$fn"
  if [ "$status" != 403 ] && [ "$status" != 404 ]; then fail "fn=$fn: status $status, want 403 or 404"
  elif grep -q SECRET "$work/body"; then fail "fn=$fn: the secret was served"
  else pass "refused fn=$fn ($status)"; fi
done

# Paths other than the script itself, and methods other than GET, are refused.
status="$(curl -s --path-as-is --cacert "$work/ca.pem" --max-time 5 -o "$work/body" -w '%{http_code}' \
          "https://localhost:$port/../secret.txt")" || status="curl-error"
if [ "$status" = 404 ] || [ "$status" = 400 ]; then pass "other paths: $status"; else fail "other path: status $status"; fi
status="$(curl -s --cacert "$work/ca.pem" --max-time 5 -o /dev/null -w '%{http_code}' -X POST \
          "${base}vantero/gateway.ini")" || status="curl-error"
if [ "$status" = 403 ]; then pass "POST refused"; else fail "POST: status $status, want 403"; fi

if grep -q 'range="bytes=1000-33767"' "$state/access.log"; then pass "access log records the Range header"
else fail "access log has no Range header"; fi

"$here/stop-local.sh" "$state"
if [ ! -e "$state/nginx.pid" ] && ! curl -sk -o /dev/null --max-time 1 "https://127.0.0.1:$port/"; then
  pass "stop-local stops the server"
else fail "the server still answers after stop-local"; fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
