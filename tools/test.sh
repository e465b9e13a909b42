#!/usr/bin/env bash
# One command: install what is missing, build everything, run every test under
# Wine. Usage: tools/test.sh [build-folder]   (default: build-test)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-test}"
"$root/tools/configure-local.sh" "$build"
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
