#!/usr/bin/env bash
# Runs the release-check benchmarks under Wine in a bench of their own: a
# large release signed and verified at two sizes, the SHA-256 check of a
# 1 GiB file against a plain read, and the check of a 64 MiB client before
# its start against SHA-256 in memory.
# Usage: bench/integrity/run_integrity_bench.sh BUILD_DIR [SMALL_COUNT] [FILE_MIB] [CLIENT_MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" integritybench signed_release_bench sha256_bench client_check_bench
small="${2:-2000}"
file_mib="${3:-1024}"
status=0
"$src/tests/wine/run.sh" "$bench" "$build/bin/signed_release_bench.exe" 'C:\integrity_release_bench' "$small" || status=1

big="$bench/big.bin"
head -c "$((file_mib * 1048576))" /dev/urandom >"$big"
"$src/tests/wine/run.sh" "$bench" "$build/bin/sha256_bench.exe" "$(bench_win_path "$big")" 5 || status=1
rm -f "$big"
"$src/tests/wine/run.sh" "$bench" "$build/bin/client_check_bench.exe" 'C:\client_check_bench' "${4:-64}" 5 || status=1
exit $status
