#!/usr/bin/env bash
# Installs what is missing and configures a build folder whose updater talks
# to a local update server: the one place the local address is decided for the
# test suite and the demo. Usage: tools/configure-local.sh BUILD_DIR
# The build is for the mode in ARKENFEL_ARCH (tests/wine/mode.sh; chosen here
# when unset). ARKENFEL_LOCAL_PORT picks another port (default 47443), so that
# two checkouts can run their suites side by side.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${ARKENFEL_LOCAL_PORT:-47443}"
. "$root/tests/wine/mode.sh"
[ -n "${ARKENFEL_ARCH:-}" ] || arkenfel_choose_arch
"$root/tools/install-deps.sh"
existing="$(arkenfel_arch_of_build "$1")"
if [ -n "$existing" ] && [ "$existing" != "$ARKENFEL_ARCH" ]; then
  echo "configure: $1 holds an $existing build; give the $ARKENFEL_ARCH build another folder" >&2
  exit 1
fi
cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$(arkenfel_toolchain_file "$ARKENFEL_ARCH")" \
      -DUPDATE_SERVER_URL="https://localhost:$port/fs_c_get.php?fn=vantero" >/dev/null
