#!/usr/bin/env bash
# Runs the two discovery benchmarks under Wine in a bench of their own:
# the list comparison at two sizes, and the fingerprint of a 1 GiB file
# against a plain read. Usage: bench/discovery/run_discovery_bench.sh BUILD_DIR [SMALL_COUNT] [FILE_MIB]
set -euo pipefail
build="$(cd "$1" && pwd)"
small="${2:-2000}"
file_mib="${3:-1024}"
src="$(cd "$(dirname "$0")/../.." && pwd)"
. "$src/tests/wine/mode.sh"
arkenfel_use_build_arch "$build"
bench="$build/discoverybench"
for exe in list_bench fingerprint_bench; do
  [ -f "$build/bin/$exe.exe" ] || { echo "build the targets list_bench and fingerprint_bench first" >&2; exit 2; }
done

cleanup() {
  "$src/tests/wine/teardown.sh" "$bench" >/dev/null 2>&1 || true
  rm -rf "$bench"
}
trap cleanup EXIT

echo "setting up the Wine bench..."
"$src/tests/wine/setup.sh" "$bench" >"$build/discoverybench.setup.log" 2>&1
status=0
"$src/tests/wine/run.sh" "$bench" "$build/bin/list_bench.exe" 'C:\discovery_list_bench' "$small" || status=1

big="$bench/big.bin"
head -c "$((file_mib * 1048576))" /dev/urandom >"$big"
"$src/tests/wine/run.sh" "$bench" "$build/bin/fingerprint_bench.exe" "Z:${big//\//\\}" 5 || status=1
exit $status
