#!/usr/bin/env bash
# Publishing under Wine: a release of 4 files (1 GiB by default), each with a
# block index, signed with the test release key, published twice with the
# release tool. Beside it, on the same files, the machine's own SHA-256 rates
# (sha256sum and openssl dgst -sha256): the tool hashes every byte twice (the
# file and its blocks), so half of openssl's rate is what hashing allows a
# tool that reads each byte once.
# Usage: bench/publish/run_publish_bench.sh BUILD_DIR [FILE_MIB]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" publishbench arkenfel_release_list
file_mib="${2:-256}"
release="$bench/release"
mkdir -p "$release"
for name in a b c d; do head -c $((file_mib * 1048576)) /dev/urandom >"$release/$name.pak"; done
total_mib=$((file_mib * 4))
key="$build/fixtures/integrity/test_release_key.pem"
[ -f "$key" ] || { echo "the build has no test release key ($key)" >&2; exit 2; }

seconds() { python3 -c 'import sys; print("%.2f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$1" "$2"; }
rate() { python3 -c 'import sys; print("%.0f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$1" "$2"; }
row() { printf '%-44s %8s s %8s MiB/s\n' "$1" "$2" "$(rate "$total_mib" "$2")"; }

echo "publishing $total_mib MiB in 4 files, indexed and signed"
for run in 1 2; do
  rm -f "$release"/*.blkidx "$release/Arkenfel_List.ini" "$release/Arkenfel_Release.sig"
  start=$(date +%s.%N)
  "$src/tests/wine/run.sh" "$bench" "$build/bin/arkenfel_release_list.exe" --release "$(bench_win_path "$release")" \
    --sign "$(bench_win_path "$key")" >/dev/null
  row "release tool under Wine, run $run" "$(seconds "$start" "$(date +%s.%N)")"
done
for tool in sha256sum "openssl dgst -sha256"; do
  start=$(date +%s.%N)
  $tool "$release"/*.pak >/dev/null
  row "$tool (the same files, once)" "$(seconds "$start" "$(date +%s.%N)")"
done
