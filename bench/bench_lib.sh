# Sourced by the benchmark scripts. bench_build BUILD_DIR TARGET... runs the
# script in the mode of the build it is given (saying so on its first line)
# and checks that the named programs are built; sets build and src.
bench_build() {
  build="$(cd "$1" && pwd)"
  shift
  src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  . "$src/tests/wine/mode.sh"
  arkenfel_use_build_arch "$build"
  local target
  for target in "$@"; do
    [ -f "$build/bin/$target.exe" ] || { echo "build the targets $* first" >&2; exit 2; }
  done
}

# bench_open BUILD_DIR NAME [--trust] TARGET... does the same and sets up a
# Wine bench of its own in BUILD_DIR/NAME (trusting the test CA with --trust)
# that is removed when the script ends. Sets build, src and bench; a script
# with more to clean up defines bench_cleanup, which runs first.
bench_open() {
  local build_dir="$1" name="$2" trust=()
  shift 2
  if [ "${1:-}" = --trust ]; then
    shift
    set -- "$@" trust_test_ca
    bench_build "$build_dir" "$@"
    trust=("$build/bin/trust_test_ca.exe")
  else
    bench_build "$build_dir" "$@"
  fi
  bench="$build/$name"
  trap bench_close EXIT
  echo "setting up the Wine bench..."
  "$src/tests/wine/setup.sh" "$bench" "${trust[@]}" >"$bench.setup.log" 2>&1
}

# bench_serve starts the test update server in the bench opened (stopped
# when the script ends) and sets port.
bench_serve() {
  bench_serving=1
  "$src/tests/server/start_server.sh" "$bench" >/dev/null
  port="$(cat "$bench/server.port")"
}

bench_close() {
  declare -F bench_cleanup >/dev/null && bench_cleanup
  if [ -n "${bench_serving:-}" ]; then "$src/tests/server/stop_server.sh" "$bench" >/dev/null 2>&1 || true; fi
  "$src/tests/wine/teardown.sh" "$bench" >/dev/null 2>&1 || true
  rm -rf "$bench"
}

# The Windows path of a file of the bench.
bench_win_path() { local path="$1"; echo "Z:${path//\//\\}"; }
