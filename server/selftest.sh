#!/usr/bin/env bash
# Checks the reference update server end to end with curl: a throw-away test
# CA and localhost certificate, a small server root, run-local.sh on a free
# port, then whole-file and ranged requests, refused names and missing files.
# Cleans up (server and files) on every path. Exit code 0 when all checks pass.
. "$(dirname "$0")/selftest-lib.sh"
state="$work/state"
selftest_states+=("$state")

# Server root: gateway.ini, one version folder; a secret next to the root
# that no request may reach.
root="$work/site/vantero"
mkdir -p "$root/2026.12a/data" "$root/2026.12a/bin"
printf '2026.12a\r\nbeta=2026.12a\r\n' > "$root/gateway.ini"
head -c 70000 /dev/urandom > "$root/2026.12a/data/blob.bin"
printf 'MZ-tool' > "$root/2026.12a/bin/a+b(1)~x.exe"
printf 'SECRET-OUTSIDE' > "$work/site/secret.txt"
printf 'SECRET-STATE' > "$work/secret.txt"

port="$(free_port)"
"$here/run-local.sh" "$root" "$port" "$work/localhost.pem" "$work/localhost.key" "$state" >/dev/null

base="https://localhost:$port/fs_c_get.php?fn="

get "$port" vantero/gateway.ini
if [ "$status" = 200 ] && cmp -s "$work/body" "$root/gateway.ini" && [ "$(header Content-Length)" = "$(stat -c %s "$root/gateway.ini")" ]; then
  pass "gateway.ini: 200, Content-Length and bytes"
else fail "gateway.ini: status $status, Content-Length $(header Content-Length)"; fi

get "$port" vantero/2026.12a/data/blob.bin
if [ "$status" = 200 ] && cmp -s "$work/body" "$root/2026.12a/data/blob.bin" &&
   [ "$(header Content-Length)" = 70000 ]; then pass "whole file: 200 with Content-Length 70000"
else fail "whole file: status $status, Content-Length $(header Content-Length)"; fi

if [ "$(header Cache-Control)" = "public, max-age=31536000, immutable" ]; then
  pass "version folder file: cacheable for ever"
else fail "version folder file: Cache-Control $(header Cache-Control)"; fi
get "$port" vantero/gateway.ini
if [ "$(header Cache-Control)" = "public, max-age=60" ]; then pass "gateway.ini: cacheable briefly"
else fail "gateway.ini: Cache-Control $(header Cache-Control)"; fi

get "$port" vantero/2026.12a/data/blob.bin -H 'Range: bytes=1000-33767'
if [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c +1001 "$root/2026.12a/data/blob.bin" | head -c 32768) &&
   [ "$(header Content-Range)" = "bytes 1000-33767/70000" ]; then pass "range: 206 with exactly the bytes asked for"
else fail "range: status $status, Content-Range $(header Content-Range)"; fi

get "$port" vantero/2026.12a/data/blob.bin -H 'Range: bytes=69999-69999'
if [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c 1 "$root/2026.12a/data/blob.bin"); then
  pass "range: the last byte alone"
else fail "range of the last byte: status $status"; fi

get "$port" 'vantero/2026.12a/bin/a+b(1)~x.exe'
if [ "$status" = 200 ] && [ "$(cat "$work/body")" = 'MZ-tool' ]; then pass "names with +()~ are served"
else fail "name with +()~: status $status"; fi

for fn in vantero/2026.12a/missing.dll vantero/2026.12a/data vantero/nope/gateway.ini; do
  get "$port" "$fn"
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
  get "$port" "$fn"
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

# A release of thousands of files over one kept connection: more requests
# than nginx's default allows on one.
conns="$(connections_for "$port" vantero/gateway.ini 1500 "$state/access.log")"
if [ "$conns" = 1 ]; then pass "1500 requests over one kept connection"
else fail "1500 requests took $conns connections"; fi

"$here/stop-local.sh" "$state"
if [ ! -e "$state/nginx.pid" ] && ! curl -sk -o /dev/null --max-time 1 "https://127.0.0.1:$port/"; then
  pass "stop-local stops the server"
else fail "the server still answers after stop-local"; fi

finish
