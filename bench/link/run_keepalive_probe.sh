#!/usr/bin/env bash
# Which series of WinINet requests keep one connection, directly and over the
# simulated link (see run_keepalive_probe.py).
# Usage: bench/link/run_keepalive_probe.sh BUILD_DIR [--idle]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_build "$1" keepalive_probe trust_test_ca
shift
exec /usr/bin/python3 "$src/bench/link/run_keepalive_probe.py" "$build" "$@"
