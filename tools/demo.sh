#!/usr/bin/env bash
# The local demo in one command: installs what is missing, builds the updater
# for a local update server, publishes a sample release, serves it with the
# reference nginx server over HTTPS and lets the updater install it in a Wine
# prefix. Run it again: everything is up to date. Then --second-release
# publishes a next release with a changed archive and shows what it cost,
# and --repair damages the installation and repairs it.
# Usage: tools/demo.sh [--fresh] [--second-release | --repair]
# Runs in the mode of tests/wine/mode.sh, like the tests.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tests/wine/mode.sh"
arkenfel_prepare_arch
build="$root/build-demo-$ARKENFEL_ARCH"
"$root/tools/configure-local.sh" "$build"
# The demo's own release key, made here once and never committed: the demo
# build carries its public half and the demo signs its release with the other.
keys="$build/demo-key"
if [ ! -s "$keys/release.pub.pem" ]; then
  mkdir -p "$keys"
  openssl genrsa -traditional -out "$keys/release.pem" 3072 2>/dev/null
  openssl rsa -in "$keys/release.pem" -pubout -out "$keys/release.pub.pem" 2>/dev/null
fi
cmake "$build" -DARKENFEL_RELEASE_PUBLIC_KEY="$keys/release.pub.pem" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Arkenfel_Update UpdateHelper arkenfel_release_list \
      uidriver trust_test_ca fixture_sleeper discovery_version_1005 >/dev/null
/usr/bin/python3 "$root/tools/demo.py" "$build" "$@"
