#!/usr/bin/env bash
# One command: install what is missing, build everything, run every test under
# Wine. Usage: tools/test.sh [build-folder]   (default: build-test)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-test}"
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DUPDATE_SERVER_URL="https://localhost:47443/fs_c_get.php?fn=vantero" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
