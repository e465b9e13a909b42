#!/usr/bin/env bash
# Runs the two discovery benchmarks under Wine in a bench of their own:
# the list comparison at two sizes, and the fingerprint of a 1 GiB file
# against a plain read. Usage: bench/discovery/run_discovery_bench.sh BUILD_DIR [SMALL_COUNT] [FILE_MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" discoverybench list_bench fingerprint_bench
small="${2:-2000}"
file_mib="${3:-1024}"
status=0
"$src/tests/wine/run.sh" "$bench" "$build/bin/list_bench.exe" 'C:\discovery_list_bench' "$small" || status=1

big="$bench/big.bin"
head -c "$((file_mib * 1048576))" /dev/urandom >"$big"
"$src/tests/wine/run.sh" "$bench" "$build/bin/fingerprint_bench.exe" "$(bench_win_path "$big")" 5 || status=1
exit $status
