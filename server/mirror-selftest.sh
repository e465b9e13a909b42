#!/usr/bin/env bash
# Checks the mirror configuration end to end with curl: a reference server
# (the origin) and a mirror in front of it (run-mirror-local.sh), each on a
# free port, then what players get from the mirror and what the origin gives
# it, read from the origin's access log. Cleans up on every path. Exit code 0
# when all checks pass.
. "$(dirname "$0")/selftest-lib.sh"
origin="$work/origin"
mirror="$work/mirror"
selftest_states+=("$origin" "$mirror")

root="$work/site/vantero"
mkdir -p "$root/2026.12a/data"
printf '2026.12a\r\n' > "$root/gateway.ini"
head -c 2500000 /dev/urandom > "$root/2026.12a/data/world.pak"
head -c 3000000 /dev/urandom > "$root/2026.12a/data/maps.pak"
file="$root/2026.12a/data/world.pak"

origin_port="$(free_port)"
"$here/run-local.sh" "$root" "$origin_port" "$work/localhost.pem" "$work/localhost.key" "$origin" >/dev/null
port="$(free_port)"
start_mirror() {
  "$here/run-mirror-local.sh" "$origin_port" "$work/ca.pem" "$port" "$work/localhost.pem" "$work/localhost.key" \
    "$mirror" >/dev/null
}
start_mirror
seen=0
# origin_asked: the origin's access log lines since the last call, in $asked.
origin_asked() {
  asked="$(tail -n +"$((seen + 1))" "$origin/access.log")"
  seen="$(wc -l < "$origin/access.log")"
}
origin_asked

get "$port" vantero/2026.12a/data/world.pak
origin_asked
if [ "$status" = 200 ] && cmp -s "$work/body" "$file" && [ "$(header Content-Length)" = 2500000 ]; then
  pass "whole file through a cold mirror: 200, Content-Length and bytes"
else fail "whole file through a cold mirror: status $status, Content-Length $(header Content-Length)"; fi
if [ "$(echo "$asked" | grep -o 'range="[^"]*"' | tr '\n' ' ')" = \
     'range="bytes=0-1048575" range="bytes=1048576-2097151" range="bytes=2097152-3145727" ' ]; then
  pass "the origin is asked for the file's three 1 MiB slices"
else fail "the origin was asked: $asked"; fi
if [ "$(header Cache-Control)" = "public, max-age=31536000, immutable" ]; then
  pass "the origin's cache lifetime reaches the player"
else fail "Cache-Control $(header Cache-Control)"; fi

get "$port" vantero/2026.12a/data/world.pak
get "$port" vantero/2026.12a/data/world.pak -H 'Range: bytes=1048000-1049999'
range_ok=$([ "$status" = 206 ] && cmp -s "$work/body" <(tail -c +1048001 "$file" | head -c 2000) &&
           [ "$(header Content-Range)" = "bytes 1048000-1049999/2500000" ] && echo yes || true)
get "$port" vantero/2026.12a/data/world.pak -H 'Range: bytes=2499999-2499999'
origin_asked
if [ -n "$range_ok" ] && [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c 1 "$file") && [ -z "$asked" ]; then
  pass "a warm mirror answers the file and ranges across slices alone"
else fail "warm mirror: status $status, origin asked: $asked"; fi

get "$port" vantero/2026.12a/data/maps.pak -H 'Range: bytes=1500000-1500999'
origin_asked
if [ "$status" = 206 ] && cmp -s "$work/body" <(tail -c +1500001 "$root/2026.12a/data/maps.pak" | head -c 1000) &&
   [ "$(echo "$asked" | wc -l)" = 1 ] && echo "$asked" | grep -q '206 1048576 range="bytes=1048576-2097151"'; then
  pass "a range of a cold file costs the origin the one slice it lies in"
else fail "range of a cold file: status $status, origin asked: $asked"; fi

get "$port" vantero/gateway.ini
origin_asked
if [ "$status" = 200 ] && cmp -s "$work/body" "$root/gateway.ini" && [ "$(header Cache-Control)" = "public, max-age=60" ]; then
  pass "gateway.ini through the mirror"
else fail "gateway.ini: status $status, Cache-Control $(header Cache-Control)"; fi
# How long the mirror keeps each entry: the header nginx writes at the start
# of a cache file (format version 5: valid_sec at offset 8, date at 40).
lifetimes="$(/usr/bin/python3 - "$mirror/cache" <<'PY'
import os, struct, sys
for folder, _, names in os.walk(sys.argv[1]):
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read(4096)
        version, valid = struct.unpack_from("<Qq", data, 0)
        date, = struct.unpack_from("<q", data, 40)
        key = data[data.index(b"\nKEY: ") + 6:].split(b"\n", 1)[0].decode()
        print("%s v%d %d" % (key.split(" ")[0], version, valid - date))
PY
)"
if [ "$(echo "$lifetimes" | sort -u | tr '\n' ' ')" = \
     "2026.12a/data/maps.pak v5 31536000 2026.12a/data/world.pak v5 31536000 gateway.ini v5 60 " ]; then
  pass "kept: gateway.ini a minute, version folder files a year"
else fail "cache lifetimes: $lifetimes"; fi

get "$port" 'vantero/2026.12a/data/world.pak&fn=vantero/gateway.ini&x=1'
origin_asked
if [ "$status" = 200 ] && cmp -s "$work/body" "$file" && [ -z "$asked" ]; then
  pass "other query text is answered from the cache, never passed on"
else fail "extra query text: status $status, origin asked: $asked"; fi

for fn in vantero/2026.12a/missing.dll vantero/2026.12a/missing.dll; do get "$port" "$fn"; done
origin_asked
if [ "$status" = 404 ] && [ "$(echo "$asked" | grep -c missing.dll)" = 2 ]; then pass "a 404 is not kept"
else fail "404: status $status, origin asked: $asked"; fi

refused=0
for fn in 'vantero/../secret.txt' 'vantero/%2e%2e/secret.txt' 'vantero//gateway.ini' 'secret.txt' ''; do
  get "$port" "$fn"
  [ "$status" = 403 ] || refused=$((refused + 1))
done
status_post="$(curl -s --cacert "$work/ca.pem" --max-time 5 -o /dev/null -w '%{http_code}' -X POST \
               "https://localhost:$port/fs_c_get.php?fn=vantero/gateway.ini")" || status_post=curl-error
origin_asked
if [ "$refused" = 0 ] && [ "$status_post" = 403 ] && [ -z "$asked" ]; then
  pass "names the origin refuses, and POST, are refused at the mirror"
else fail "refusals: $refused not 403, POST $status_post, origin asked: $asked"; fi

"$here/stop-local.sh" "$mirror"
start_mirror
get "$port" vantero/2026.12a/data/world.pak -H 'Range: bytes=0-1023'
origin_asked
if [ "$status" = 206 ] && cmp -s "$work/body" <(head -c 1024 "$file") && [ -z "$asked" ]; then
  pass "the cache outlives a restart of the mirror"
else fail "after a restart: status $status, origin asked: $asked"; fi

conns="$(connections_for "$port" vantero/gateway.ini 1500 "$mirror/access.log")"
if [ "$conns" = 1 ]; then pass "1500 requests over one kept connection"
else fail "1500 requests took $conns connections"; fi

finish
