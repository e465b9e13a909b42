#!/usr/bin/env bash
# The local demo in one command: installs what is missing, builds the updater
# for a local update server, publishes a sample release, serves it with the
# reference nginx server over HTTPS and lets the updater install it in a Wine
# prefix. Run it again: everything is up to date. Usage: tools/demo.sh [--fresh]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-demo"
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DUPDATE_SERVER_URL="https://localhost:47443/fs_c_get.php?fn=vantero" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Arkenfel_Update UpdateHelper arkenfel_release_list \
      uidriver trust_test_ca fixture_sleeper discovery_version_1005 >/dev/null
/usr/bin/python3 "$root/tools/demo.py" "$build" "$@"
