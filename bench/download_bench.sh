#!/usr/bin/env bash
# Download benchmark: one file (256 MiB by default) from the test update
# server over loopback, fetched by the updater's DownloadFileResumable under
# Wine and by curl in the same run; prints both throughputs and their ratio.
# Usage: bench/download_bench.sh BUILD_DIR [SIZE_MIB] [ROUNDS]
# Uses its own Wine bench in BUILD_DIR/downloadbench (made and removed here).
set -euo pipefail
build="$(cd "$1" && pwd)"
size_mib="${2:-256}"
rounds="${3:-3}"
src="$(cd "$(dirname "$0")/.." && pwd)"
bench="$build/downloadbench"
exe="$build/bin/download_bench.exe"
tool="$build/bin/trust_test_ca.exe"
[ -f "$exe" ] && [ -f "$tool" ] || { echo "build the targets download_bench and trust_test_ca first" >&2; exit 2; }

cleanup() {
  "$src/tests/server/stop_server.sh" "$bench" >/dev/null 2>&1 || true
  "$src/tests/wine/teardown.sh" "$bench" >/dev/null 2>&1 || true
  rm -rf "$bench/server/root/bench" "$bench/out"
}
trap cleanup EXIT

echo "setting up the Wine bench and the server..."
"$src/tests/wine/setup.sh" "$bench" "$tool" >"$build/downloadbench.setup.log" 2>&1
"$src/tests/server/start_server.sh" "$bench" >/dev/null
port="$(cat "$bench/server.port")"
root="$bench/server/root"
mkdir -p "$root/bench"
head -c "$((size_mib * 1048576))" /dev/urandom >"$root/bench/big.bin"
url="https://localhost:$port/fs_c_get.php?fn=bench/big.bin"
expected="$(md5sum <"$root/bench/big.bin" | cut -d' ' -f1)"
out="$bench/out"
mkdir -p "$out"

# Wine's own processes talk to each other for every socket read; on a
# machine with several CPUs most of the updater's time can go to waking the
# wineserver on another CPU. The pinned run keeps Wine on one CPU (the server
# and curl are not pinned) to show how much of the gap that is.
stop_wineserver() { (export BENCH_DIR="$bench"; . "$src/tests/wine/env.sh"; wineserver -k >/dev/null 2>&1 || true); }
run_updater() {  # PIN(yes|no): the benchmark program's report goes to $out/report
  local target="Z:${out//\//\\}\\updater.bin"
  stop_wineserver
  if [ "$1" = yes ]; then
    taskset -c 0 "$src/tests/wine/run.sh" "$bench" "$exe" "$url" "$target" | tr -d '\r' >"$out/report"
  else
    "$src/tests/wine/run.sh" "$bench" "$exe" "$url" "$target" | tr -d '\r' >"$out/report"
  fi
  stop_wineserver
  [ "$(md5sum <"$out/updater.bin" | cut -d' ' -f1)" = "$expected" ] || { echo "updater: wrong bytes" >&2; exit 1; }
  rm -f "$out/updater.bin"
}

best_curl=0
best_whole=0
best_body=0
best_pinned=0
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a) ? b : a }'; }
rate_of() { sed -n "s/^$1: .* \([0-9.]*\) MiB\/s$/\1/p"; }
for round in $(seq 1 "$rounds"); do
  rm -f "$out/curl.bin"
  curl_rate="$(curl -s --cacert "$bench/tls/ca.pem" -o "$out/curl.bin" -w '%{speed_download}' "$url")"
  [ "$(md5sum <"$out/curl.bin" | cut -d' ' -f1)" = "$expected" ] || { echo "curl: wrong bytes" >&2; exit 1; }
  rm -f "$out/curl.bin"
  curl_mib="$(awk -v r="$curl_rate" 'BEGIN { printf "%.1f", r / 1048576 }')"

  run_updater no
  report="$(cat "$out/report")"
  whole_mib="$(echo "$report" | rate_of "updater DownloadFileResumable")"
  body_mib="$(echo "$report" | rate_of "updater HttpGetRange body")"
  query_s="$(echo "$report" | sed -n 's/^size query alone: \([0-9.]*\) s$/\1/p')"
  run_updater yes
  pinned_mib="$(rate_of "updater DownloadFileResumable" <"$out/report")"
  echo "round $round: curl $curl_mib MiB/s; updater: DownloadFileResumable $whole_mib MiB/s, body alone $body_mib MiB/s, a size query alone $query_s s; DownloadFileResumable with Wine on one CPU $pinned_mib MiB/s"
  best_curl="$(max "$best_curl" "$curl_mib")"
  best_whole="$(max "$best_whole" "$whole_mib")"
  best_body="$(max "$best_body" "$body_mib")"
  best_pinned="$(max "$best_pinned" "$pinned_mib")"
done
ratio() { awk -v u="$1" -v c="$best_curl" 'BEGIN { printf "%.2f", u / c }'; }
echo "best of $rounds rounds, $size_mib MiB over https://localhost (loopback):"
echo "  curl                                   $best_curl MiB/s"
echo "  updater DownloadFileResumable          $best_whole MiB/s  ratio $(ratio "$best_whole")"
echo "  updater body alone (HttpGetRange)      $best_body MiB/s  ratio $(ratio "$best_body")"
echo "  DownloadFileResumable, Wine on one CPU $best_pinned MiB/s  ratio $(ratio "$best_pinned")"
echo "  target: DownloadFileResumable >= 0.90 x curl"
