#!/usr/bin/env bash
# Starts a mirror of a local update server (run-local.sh) on
# https://localhost:<port>, in the background: nginx as a caching proxy, with
# its cache and everything else it writes under <state-dir>.
# Usage: run-mirror-local.sh <origin-port> <origin-ca> <port> <cert> <key> <state-dir>
#   <origin-port>  port of the origin, https://localhost:<origin-port>
#   <origin-ca>    PEM certificate(s) the origin's certificate is checked against
#   <cert> <key>   the mirror's own PEM certificate (for localhost) and its key
# Stop it with stop-local.sh <state-dir>; the cache in <state-dir>/cache stays
# for the next start. The access log, with the cache's answer (HIT or MISS) of
# each request, is <state-dir>/access.log.
set -euo pipefail
if [ $# -ne 6 ]; then
  echo "usage: $0 <origin-port> <origin-ca> <port> <cert> <key> <state-dir>" >&2
  exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/local-nginx.sh"
origin_port="$1"
[[ "$origin_port" =~ ^[0-9]+$ ]] || { echo "run-mirror-local: bad origin port '$origin_port'" >&2; exit 1; }
origin_ca="$(realpath "$2")"
[ -r "$origin_ca" ] || { echo "run-mirror-local: cannot read $origin_ca" >&2; exit 1; }
local_nginx_open "$3" "$4" "$5" "$6"
mkdir -p "$state/cache"
local_nginx_conf "$state" arkenfel_mirror "
    proxy_cache_path $state/cache levels=1:2 keys_zone=arkenfel_mirror:10m max_size=10g inactive=30d
                     use_temp_path=off;
    upstream arkenfel_origin {
        server 127.0.0.1:$origin_port;
        keepalive 8;
    }
    map \"\" \$arkenfel_origin_host {
        default localhost;
    }" "        proxy_ssl_trusted_certificate $origin_ca;
        include $here/arkenfel-mirror-locations.conf;"
local_nginx_start "mirror of https://localhost:$origin_port" "cache $state/cache"
