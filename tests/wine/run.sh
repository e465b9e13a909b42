#!/usr/bin/env bash
# Runs one Windows program of the test build in the bench's prefix.
# Usage: run.sh BENCH_DIR PROGRAM [ARGS...]
# Output goes to files first: Wine processes may outlive the command and keep
# inherited pipes open, which would hang a test runner reading them.
set -uo pipefail
BENCH_DIR="$1"; shift; export BENCH_DIR
here="$(cd "$(dirname "$0")" && pwd)"
[ -d "$BENCH_DIR/prefix" ] || { echo "run: the Wine bench is not set up ($BENCH_DIR)" >&2; exit 2; }
. "$here/env.sh"
log="$(mktemp "$BENCH_DIR/run.XXXXXX")"
"$ARKENFEL_WINE" "$@" >"$log.out" 2>"$log.err" </dev/null
rc=$?
cat "$log.out"; cat "$log.err" >&2
rm -f "$log" "$log.out" "$log.err"
exit $rc
