#!/usr/bin/env bash
# Runs the release-check benchmarks under Wine in a bench of their own: a
# large release signed and verified at two sizes, and the SHA-256 check of a
# 1 GiB file against a plain read.
# Usage: bench/integrity/run_integrity_bench.sh BUILD_DIR [SMALL_COUNT] [FILE_MIB]
set -euo pipefail
build="$(cd "$1" && pwd)"
small="${2:-2000}"
file_mib="${3:-1024}"
src="$(cd "$(dirname "$0")/../.." && pwd)"
. "$src/tests/wine/mode.sh"
arkenfel_use_build_arch "$build"
bench="$build/integritybench"
for exe in signed_release_bench sha256_bench; do
  [ -f "$build/bin/$exe.exe" ] || { echo "build the targets signed_release_bench and sha256_bench first" >&2; exit 2; }
done

cleanup() {
  "$src/tests/wine/teardown.sh" "$bench" >/dev/null 2>&1 || true
  rm -rf "$bench"
}
trap cleanup EXIT

echo "setting up the Wine bench..."
"$src/tests/wine/setup.sh" "$bench" >"$build/integritybench.setup.log" 2>&1
status=0
"$src/tests/wine/run.sh" "$bench" "$build/bin/signed_release_bench.exe" 'C:\integrity_release_bench' "$small" || status=1

big="$bench/big.bin"
head -c "$((file_mib * 1048576))" /dev/urandom >"$big"
"$src/tests/wine/run.sh" "$bench" "$build/bin/sha256_bench.exe" "Z:${big//\//\\}" 5 || status=1
exit $status
