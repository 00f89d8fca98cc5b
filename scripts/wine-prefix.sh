#!/usr/bin/env bash
# Creates the Wine prefix of one target (VORLEN_ARCH) on first use: fonts
# copied in, and the null display driver so that windows can be created and
# tested without any X server. A prefix made by an older version of this
# script is brought up to date.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

PREFIX_VERSION=3
marker="$WINEPREFIX/.vorlen-ready"
[ "$(cat "$marker" 2>/dev/null)" = "$PREFIX_VERSION" ] && exit 0

reg_add() {
  "$WINELOADER" reg add "$@" /f </dev/null >/dev/null 2>&1
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX ($WINEARCH)"
  mkdir -p "$WINEPREFIX"
  env -u DISPLAY "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
fi
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -f /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
reg_add 'HKCU\Software\Wine\Drivers' /v Graphics /d null
# A crashing program must end with a failing exit status at once; the crash
# dialog would wait for a click that never comes under the null driver.
reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
wineserver -w
echo "$PREFIX_VERSION" > "$marker"
