#!/usr/bin/env bash
# Starts the reference update server on https://localhost:<port>, in the
# background, with everything it writes kept under <state-dir>.
# Usage: run-local.sh <server-root> <port> <cert> <key> <state-dir>
#   <server-root>  folder served as fn=vantero/...: holds gateway.ini and the
#                  version folders
#   <cert> <key>   PEM certificate (for localhost) and its key
# Stop it with stop-local.sh <state-dir>. The access log, with each request's
# Range header, is <state-dir>/access.log; errors go to <state-dir>/error.log.
set -euo pipefail
if [ $# -ne 5 ]; then
  echo "usage: $0 <server-root> <port> <cert> <key> <state-dir>" >&2
  exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/local-nginx.sh"
root="$(realpath "$1")"
[ -d "$root" ] || { echo "run-local: server root $root is not a folder" >&2; exit 1; }
local_nginx_open "$2" "$3" "$4" "$5"
local_nginx_conf "$root" arkenfel "" "        root $root;
        include $here/arkenfel-locations.conf;"
local_nginx_start "update server" "root $root"
