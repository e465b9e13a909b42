#!/usr/bin/env bash
# Installs what is missing and configures a build folder whose updater talks
# to a local update server: the one place the local address is decided for the
# test suite and the demo. Usage: tools/configure-local.sh BUILD_DIR
# ARKENFEL_LOCAL_PORT picks another port (default 47443), so that two checkouts
# can run their suites side by side.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${ARKENFEL_LOCAL_PORT:-47443}"
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release \
      -DUPDATE_SERVER_URL="https://localhost:$port/fs_c_get.php?fn=vantero" >/dev/null
