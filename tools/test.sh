#!/usr/bin/env bash
# One command: install what is missing, build everything (the release tool for
# Linux too, with the host's compiler, in <build>/native) and run every test:
# the Windows programs under Wine, the Linux tool natively.
# Usage: tools/test.sh [build-folder]   (default: build-test-<mode>)
# The mode (tests/wine/mode.sh) is i686 where this host runs 32-bit programs
# and x86_64 where it cannot; ARKENFEL_TEST_ARCH=i686|x86_64 forces one.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tests/wine/mode.sh"
arkenfel_prepare_arch
build="$(realpath -m "${1:-$root/build-test-$ARKENFEL_ARCH}")"
"$root/tools/configure-local.sh" "$build"
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
