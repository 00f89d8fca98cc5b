# Sourced by the Wine scripts. Two targets, each with its own build tree and
# its own Wine prefix inside it, never ~/.wine:
#   VORLEN_ARCH=x64  build/x64, a win64 prefix, the 64-bit loader
#   VORLEN_ARCH=x86  build/x86, a win32 prefix, the 32-bit loader
# VORLEN_BUILD may name another build tree; the prefix follows it.
# The loader is always named explicitly: Debian's /usr/bin/wine takes the
# 32-bit one whenever it is installed, even where the kernel cannot run it.
_vorlen_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VORLEN_ARCH=${VORLEN_ARCH:-x64}
export VORLEN_BUILD=${VORLEN_BUILD:-$_vorlen_root/build/$VORLEN_ARCH}
export WINEPREFIX=${WINEPREFIX:-$VORLEN_BUILD/wine}
case $VORLEN_ARCH in
  x64) export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 ;;
  x86) export WINEARCH=win32 WINELOADER=${VORLEN_WINE32:-/usr/lib/wine/wine} ;;
  *) echo "VORLEN_ARCH must be x64 or x86, not '$VORLEN_ARCH'" >&2; return 1 ;;
esac
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installers on first start: they would try to download.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Prints x64 or x86 for a Windows program, from the machine field of its PE header.
vorlen_pe_arch() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    8664) echo x64 ;;
    014c) echo x86 ;;
    *) return 1 ;;
  esac
}

# The 32-bit loader is the only way Wine runs 32-bit programs here; whether this
# machine can execute it is found out by trying, not guessed from the hardware.
# On failure VORLEN_X86_REFUSAL holds what the attempt said.
vorlen_can_run_x86() {
  local loader=${VORLEN_WINE32:-/usr/lib/wine/wine}
  VORLEN_X86_REFUSAL=$( (exec "$loader" --version) 2>&1 >/dev/null) && return 0
  # bash words an exec failure as "<script>: line N: <loader>: <reason>".
  VORLEN_X86_REFUSAL=$(printf '%s\n' "$VORLEN_X86_REFUSAL" | head -n 1 | sed 's/^.*line [0-9]*: //')
  VORLEN_X86_REFUSAL=${VORLEN_X86_REFUSAL:-$loader failed}
  return 1
}
