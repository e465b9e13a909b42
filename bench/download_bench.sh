#!/usr/bin/env bash
# Download benchmark: one file (256 MiB by default) from the test update
# server over loopback, fetched in the same run by curl (native Linux), by a
# plain WinINet GET into a file (the floor that Wine itself allows) and by the
# updater's DownloadFileResumable under Wine; prints the throughputs and the
# updater's ratios to the floor and to curl.
# Usage: bench/download_bench.sh BUILD_DIR [SIZE_MIB] [ROUNDS]
# Uses its own Wine bench in BUILD_DIR/downloadbench (made and removed here).
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_open "$1" downloadbench --trust download_bench wininet_floor
size_mib="${2:-256}"
rounds="${3:-3}"
exe="$build/bin/download_bench.exe"
floor_exe="$build/bin/wininet_floor.exe"
bench_serve
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
stop_wineserver() { (export BENCH_DIR="$bench"; . "$src/tests/wine/env.sh"; "$ARKENFEL_WINESERVER" -k >/dev/null 2>&1 || true); }
run_windows() {  # PIN(yes|no) PROGRAM: its report goes to $out/report, its download is checked
  local target pin=()
  target="$(bench_win_path "$out/download.bin")"
  [ "$1" = yes ] && pin=(taskset -c 0)
  stop_wineserver
  "${pin[@]}" "$src/tests/wine/run.sh" "$bench" "$2" "$url" "$target" | tr -d '\r' >"$out/report"
  stop_wineserver
  [ "$(md5sum <"$out/download.bin" | cut -d' ' -f1)" = "$expected" ] || { echo "$2: wrong bytes" >&2; exit 1; }
  rm -f "$out/download.bin"
}

best_curl=0
best_floor=0
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

  run_windows no "$floor_exe"
  floor_mib="$(rate_of "plain WinINet GET" <"$out/report")"
  run_windows no "$exe"
  report="$(cat "$out/report")"
  whole_mib="$(echo "$report" | rate_of "updater DownloadFileResumable")"
  body_mib="$(echo "$report" | rate_of "updater HttpGetRange body")"
  query_s="$(echo "$report" | sed -n 's/^size query alone: \([0-9.]*\) s$/\1/p')"
  run_windows yes "$exe"
  pinned_mib="$(rate_of "updater DownloadFileResumable" <"$out/report")"
  echo "round $round: curl $curl_mib MiB/s; plain WinINet GET $floor_mib MiB/s; updater: DownloadFileResumable $whole_mib MiB/s, body alone $body_mib MiB/s, a size query alone $query_s s; DownloadFileResumable with Wine on one CPU $pinned_mib MiB/s"
  best_curl="$(max "$best_curl" "$curl_mib")"
  best_floor="$(max "$best_floor" "$floor_mib")"
  best_whole="$(max "$best_whole" "$whole_mib")"
  best_body="$(max "$best_body" "$body_mib")"
  best_pinned="$(max "$best_pinned" "$pinned_mib")"
done
ratio() { awk -v u="$1" -v c="$2" 'BEGIN { printf "%.2f", u / c }'; }
row() { printf '  %-40s %7s MiB/s  x floor %s  x curl %s\n' "$1" "$2" "$(ratio "$2" "$best_floor")" "$(ratio "$2" "$best_curl")"; }
echo "best of $rounds rounds, $size_mib MiB over https://localhost (loopback), mode $ARKENFEL_ARCH:"
printf '  %-40s %7s MiB/s\n' "curl (native Linux, OpenSSL)" "$best_curl"
row "floor: plain WinINet GET into a file" "$best_floor"
row "updater body alone (HttpGetRange)" "$best_body"
row "updater DownloadFileResumable" "$best_whole"
row "DownloadFileResumable, Wine on one CPU" "$best_pinned"
echo "  DownloadFileResumable includes its size query, a whole-file GET whose unread"
echo "  body Wine drains when the handle closes (see 'a size query alone' above)."
echo "  target: updater body alone >= 0.90 x floor"
