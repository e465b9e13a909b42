#!/usr/bin/env bash
# Publishing a release of 4 files (1 GiB by default), each with a block
# index, signed with the test release key: twice with the Windows tool under
# Wine, twice with the Linux tool (<build>/native). Beside them, on the same
# files, the machine's own SHA-256 rates (sha256sum and openssl dgst
# -sha256): the tool hashes every byte twice (the file and its blocks), so
# half of openssl's rate is what hashing allows a tool that reads each byte
# once. The last lines give the Linux tool's rate as a share of openssl's
# (aim: 0.5 or more) and as a multiple of the Windows tool's (aim: 3 or more).
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

native="$build/native/arkenfel_release_list"
[ -x "$native" ] || { echo "the build has no Linux release tool ($native)" >&2; exit 2; }
clean() { rm -f "$release"/*.blkidx "$release/Arkenfel_List.ini" "$release/Arkenfel_Release.sig"; }
declare -A best

# Times one command (the folder cleaned first) and keeps the best of its kind.
timed() {
  local kind="$1" label="$2"; shift 2
  clean
  local start end took
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  took="$(seconds "$start" "$end")"
  row "$label" "$took"
  if [ -z "${best[$kind]:-}" ] || python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) < float(sys.argv[2]) else 1)' "$took" "${best[$kind]}"; then
    best[$kind]="$took"
  fi
}

echo "publishing $total_mib MiB in 4 files, indexed and signed"
for run in 1 2; do
  timed wine "Windows tool under Wine, run $run" "$src/tests/wine/run.sh" "$bench" "$build/bin/arkenfel_release_list.exe" \
    --release "$(bench_win_path "$release")" --sign "$(bench_win_path "$key")"
done
for run in 1 2; do
  timed native "Linux tool, run $run" "$native" --release "$release" --sign "$key"
done
timed sha256sum "sha256sum (the same files, once)" sha256sum "$release"/a.pak "$release"/b.pak "$release"/c.pak "$release"/d.pak
timed openssl "openssl dgst -sha256 (the same files, once)" openssl dgst -sha256 "$release"/a.pak "$release"/b.pak "$release"/c.pak "$release"/d.pak
python3 - "${best[native]}" "${best[openssl]}" "${best[wine]}" <<'RATIOS'
import sys
native, openssl, wine = map(float, sys.argv[1:])
print("Linux tool / openssl rate: %.2f (aim >= 0.5)" % (openssl / native))
print("Linux tool / Windows tool under Wine: %.2f x (aim >= 3)" % (wine / native))
RATIOS
