# Sourced. Decides how this host runs the project's Windows programs:
#   i686    the 32-bit build in a 32-bit Wine prefix (what ships);
#   x86_64  the same sources built for 64-bit Windows in a 64-bit prefix, for
#           hosts whose kernel cannot execute 32-bit programs at all.
# ARKENFEL_TEST_ARCH=i686|x86_64 forces a mode; otherwise the host is probed
# by running a tiny 32-bit Linux program. After arkenfel_choose_arch,
# ARKENFEL_ARCH holds the mode and ARKENFEL_ARCH_WHY the reason.

# Runs a 96-byte static i386 ELF that only exits with status 42. Nothing but
# executing one tells whether the kernel runs 32-bit programs: the same
# packages install on hosts that can and on hosts that cannot.
arkenfel_host_runs_32bit() {
  local probe rc
  probe="$(mktemp "${TMPDIR:-/tmp}/arkenfel-probe32.XXXXXX")"
  # ELF header, one loadable segment at 0x08048000, then:
  # mov ebx, 42 / mov eax, 1 (exit) / int 0x80
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00' >>"$probe"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80' >>"$probe"
  chmod +x "$probe"
  ("$probe") >/dev/null 2>&1
  rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

arkenfel_choose_arch() {
  case "${ARKENFEL_TEST_ARCH:-}" in
    i686)
      arkenfel_host_runs_32bit || {
        echo "mode: i686 was asked for (ARKENFEL_TEST_ARCH), but this host cannot run 32-bit programs" >&2
        return 1; }
      ARKENFEL_ARCH=i686; ARKENFEL_ARCH_WHY="forced by ARKENFEL_TEST_ARCH" ;;
    x86_64)
      ARKENFEL_ARCH=x86_64; ARKENFEL_ARCH_WHY="forced by ARKENFEL_TEST_ARCH" ;;
    "")
      if arkenfel_host_runs_32bit; then
        ARKENFEL_ARCH=i686; ARKENFEL_ARCH_WHY="this host runs 32-bit programs"
      else
        ARKENFEL_ARCH=x86_64; ARKENFEL_ARCH_WHY="this host cannot run 32-bit programs"
      fi ;;
    *)
      echo "ARKENFEL_TEST_ARCH must be i686 or x86_64, not '$ARKENFEL_TEST_ARCH'" >&2
      return 1 ;;
  esac
  export ARKENFEL_ARCH ARKENFEL_ARCH_WHY
}

# For the two commands: chooses the mode, installs what it needs (apt output
# in ARKENFEL_INSTALL_LOG) and then prints the mode line. A host that runs
# 32-bit programs but cannot get 32-bit Wine from its package mirror (a mirror
# caught mid-sync serves i386 indexes that do not match) runs the x86_64 mode
# instead, unless a mode was forced; the line says so.
arkenfel_prepare_arch() {
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  ARKENFEL_INSTALL_LOG="${TMPDIR:-/tmp}/arkenfel-install-deps.log"
  arkenfel_choose_arch || return 1
  if ! "$root/tools/install-deps.sh" >"$ARKENFEL_INSTALL_LOG" 2>&1; then
    if [ "$ARKENFEL_ARCH" != i686 ] || [ -n "${ARKENFEL_TEST_ARCH:-}" ] ||
       ! ARKENFEL_ARCH=x86_64 "$root/tools/install-deps.sh" >>"$ARKENFEL_INSTALL_LOG" 2>&1; then
      echo "mode: $(arkenfel_describe_arch "$ARKENFEL_ARCH"): installing what it needs failed:" >&2
      tail -n 20 "$ARKENFEL_INSTALL_LOG" >&2
      return 1
    fi
    ARKENFEL_ARCH=x86_64
    ARKENFEL_ARCH_WHY="this host runs 32-bit programs, but 32-bit Wine could not be installed (apt: $ARKENFEL_INSTALL_LOG)"
  fi
  export ARKENFEL_ARCH ARKENFEL_ARCH_WHY
  echo "mode: $(arkenfel_describe_arch "$ARKENFEL_ARCH"): $ARKENFEL_ARCH_WHY"
}

# The mode of a build folder as its configuration recorded it; nothing for a
# folder not configured yet.
arkenfel_arch_of_build() {
  [ -f "$1/CMakeCache.txt" ] || return 0
  sed -n 's/^ARKENFEL_ARCH:[A-Z]*=//p' "$1/CMakeCache.txt"
}

arkenfel_describe_arch() {
  case "$1" in
    i686) echo "i686 (32-bit build, 32-bit Wine prefix)" ;;
    x86_64) echo "x86_64 (64-bit build, 64-bit Wine prefix; the shipped programs are still the 32-bit build)" ;;
  esac
}

arkenfel_toolchain_file() {
  echo "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/cmake/mingw-w64-$1.cmake"
}

# For scripts handed a build folder (the benchmarks): run in that build's
# mode, and say so on the first line.
arkenfel_use_build_arch() {
  ARKENFEL_ARCH="$(arkenfel_arch_of_build "$1")"
  [ -n "$ARKENFEL_ARCH" ] || { echo "$1 records no ARKENFEL_ARCH: configure it again" >&2; return 1; }
  ARKENFEL_ARCH_WHY="the build in $1 is configured for it"
  export ARKENFEL_ARCH ARKENFEL_ARCH_WHY
  echo "mode: $(arkenfel_describe_arch "$ARKENFEL_ARCH"): $ARKENFEL_ARCH_WHY"
}
