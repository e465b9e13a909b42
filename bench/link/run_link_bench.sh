#!/usr/bin/env bash
# Delivery over a simulated real link (see run_link_bench.py): the updater
# with and without a key, curl one at a time and N in parallel, plain WinINet
# and the link's floors, for 200 files of 4 KiB
# and for one file of 32 MiB, over 50 ms round trips at 100 Mbit/s.
# Usage: bench/link/run_link_bench.sh BUILD_DIR [--rtt-ms N] [--rate-mbit N]
#                                     [--files N] [--file-kib N] [--large-mib N]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_build "$1" Arkenfel_Update Arkenfel_Update_signed arkenfel_release_list uidriver trust_test_ca wininet_floor
shift
exec /usr/bin/python3 "$src/bench/link/run_link_bench.py" "$build" "$@"
