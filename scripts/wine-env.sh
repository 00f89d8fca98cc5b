# Sourced by the Wine scripts: one prefix inside the build tree, never ~/.wine.
# VORLEN_BUILD may name another build tree; the prefix follows it.
_vorlen_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VORLEN_BUILD=${VORLEN_BUILD:-$_vorlen_root/build}
export WINEPREFIX=${WINEPREFIX:-$VORLEN_BUILD/wine}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installers on first start: they would try to download.
export WINEDLLOVERRIDES="mscoree,mshtml="
