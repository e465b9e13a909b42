#!/usr/bin/env bash
# Prepares the Wine test bench: Korean locale, display, a fresh prefix of the
# mode's bitness (ARKENFEL_ARCH, see mode.sh) with the virtual desktop switched on, trust for the test CA (when one is
# given) and a persistent wineserver. Usage: setup.sh BENCH_DIR [CA_TOOL [CA_CERT]]
# With CA_TOOL alone, a fresh test CA and localhost certificate are made in
# BENCH_DIR/tls (tests/server/make_test_ca.sh) and that CA is trusted; the
# attacker's CA made with them goes into the user's own ROOT store only.
set -euo pipefail
BENCH_DIR="$1"; export BENCH_DIR
here="$(cd "$(dirname "$0")" && pwd)"

"$here/../server/stop_server.sh" "$BENCH_DIR" >/dev/null 2>&1 || true
"$here/teardown.sh" "$BENCH_DIR" >/dev/null 2>&1 || true
rm -rf "$BENCH_DIR"
mkdir -p "$BENCH_DIR/locale"

# Wine needs the Linux locale to exist, or it cannot create files with Korean names.
localedef -i ko_KR -f UTF-8 "$BENCH_DIR/locale/ko_KR.UTF-8" >/dev/null 2>&1 || {
  echo "setup: localedef for ko_KR.UTF-8 failed (is the 'locales' package installed?)" >&2; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number itself and writes it to the fifo.
  mkfifo "$BENCH_DIR/displayfd"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$BENCH_DIR/displayfd" >/dev/null 2>&1 &
  echo $! > "$BENCH_DIR/xvfb.pid"
  read -r -t 20 number < "$BENCH_DIR/displayfd" || { echo "setup: Xvfb did not start" >&2; exit 1; }
  rm -f "$BENCH_DIR/displayfd"
  echo ":$number" > "$BENCH_DIR/display"
else
  echo "$DISPLAY" > "$BENCH_DIR/display"
fi

. "$here/env.sh"
echo "$ARKENFEL_ARCH" > "$BENCH_DIR/arch"
"$ARKENFEL_WINE" wineboot -i >"$BENCH_DIR/wineboot.log" 2>&1
# The virtual desktop spares the ~2 s wait Wine makes on every hidden top-level
# window when no window manager runs.
"$ARKENFEL_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$ARKENFEL_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
ca_tool="${2:-}"
ca_cert="${3:-}"
if [ -n "$ca_tool" ] && [ ! -f "$ca_tool" ]; then
  # A partial build (only some test targets) may lack the tool: the bench
  # still serves every test that needs no TLS.
  echo "setup: $ca_tool is not built; the test CA is not trusted" >&2
  ca_tool=""
fi
user_ca=""
if [ -n "$ca_tool" ] && [ -z "$ca_cert" ]; then
  "$here/../server/make_test_ca.sh" "$BENCH_DIR/tls" >/dev/null
  ca_cert="$BENCH_DIR/tls/ca.der"
  user_ca="$BENCH_DIR/tls/user_ca.der"
fi
if [ -n "$ca_tool" ]; then
  "$ARKENFEL_WINE" "$ca_tool" "Z:${ca_cert//\//\\}" >"$BENCH_DIR/trust.log" 2>&1 || {
    echo "setup: trusting the test CA failed" >&2; cat "$BENCH_DIR/trust.log" >&2; exit 1; }
fi
# What any standard user can do: an attacker's CA in the user's own ROOT
# store. The userroot server's certificate is signed by it.
if [ -n "$user_ca" ]; then
  "$ARKENFEL_WINE" "$ca_tool" --user "Z:${user_ca//\//\\}" >>"$BENCH_DIR/trust.log" 2>&1 || {
    echo "setup: adding the user's own root failed" >&2; cat "$BENCH_DIR/trust.log" >&2; exit 1; }
fi
"$ARKENFEL_WINESERVER" -w
"$ARKENFEL_WINESERVER" -p >/dev/null 2>&1 </dev/null &
echo "bench ready ($ARKENFEL_ARCH): WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
