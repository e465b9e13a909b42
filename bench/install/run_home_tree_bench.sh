#!/usr/bin/env bash
# Runs the home tree benchmark under Wine in a bench of its own: a home of
# FILES files in FOLDERS folders, walked fresh and then again.
# Usage: bench/install/run_home_tree_bench.sh BUILD_DIR [FILES] [FOLDERS]
set -euo pipefail
. "$(dirname "$0")/../bench_lib.sh"
bench_open "$1" hometreebench home_tree_bench
"$src/tests/wine/run.sh" "$bench" "$build/bin/home_tree_bench.exe" 'C:\home_tree_bench' "${2:-20000}" "${3:-200}"
