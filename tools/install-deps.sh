#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root, and only what
# is missing. ARKENFEL_ARCH (tests/wine/mode.sh; chosen here when unset) says
# which Wine the tests run under:
#   i686    32-bit Wine (wine32 from the i386 architecture);
#   x86_64  64-bit Wine only, and the x86_64 MinGW-w64 toolchain.
# Both build the shipped 32-bit programs, so both get the i686 toolchain. The
# rest: Xvfb, the Korean locale sources and fonts, GoogleTest's sources,
# OpenSSL, nginx, curl, ImageMagick (window pictures) and xdotool (keys typed
# into the window by the tests); for the parts of the release tool built for
# Linux itself, the host's g++, GoogleTest's libraries and OpenSSL's headers.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${ARKENFEL_ARCH:-}" ]; then
  . "$root/tests/wine/mode.sh"
  arkenfel_choose_arch
fi
packages=(cmake make g++-mingw-w64-i686 mingw-w64-tools wine64 xvfb xauth
          fonts-nanum locales googletest python3 openssl nginx-light curl imagemagick xdotool
          g++ libgtest-dev libssl-dev)
case "$ARKENFEL_ARCH" in
  i686) packages+=(wine32:i386) ;;
  x86_64) packages+=(g++-mingw-w64-x86-64) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
if [ "$ARKENFEL_ARCH" = i686 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
# A mirror caught in a sync fails one index now and then ("File has
# unexpected size"); the install is tried with the indexes that did come, and
# the whole is tried again after a pause before the command gives up.
for attempt in 1 2 3; do
  apt-get update -q || echo "install-deps: some package indexes did not update (attempt $attempt)" >&2
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    exit 0
  fi
  [ "$attempt" -eq 3 ] && exit 1
  echo "install-deps: apt-get install failed (attempt $attempt); trying again in 30 s" >&2
  sleep 30
done
