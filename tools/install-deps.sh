#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root, and only what
# is missing: the 32-bit MinGW-w64 toolchain, 32-bit Wine, Xvfb, the Korean
# locale sources and fonts, GoogleTest's sources, OpenSSL, nginx, curl, ImageMagick
# (window pictures) and xdotool (keys typed into the window by the tests).
set -euo pipefail
packages=(cmake make g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 wine64 xvfb xauth
          fonts-nanum locales googletest python3 openssl nginx-light curl imagemagick xdotool)
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
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
