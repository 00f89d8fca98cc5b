#!/usr/bin/env bash
# Creates the Wine prefix on first use: fonts copied in, and the null display
# driver so that windows can be created and tested without any X server.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

[ -f "$WINEPREFIX/.vorlen-ready" ] && exit 0

echo "wine-prefix: creating $WINEPREFIX"
mkdir -p "$WINEPREFIX"
env -u DISPLAY wineboot -i </dev/null >/dev/null 2>&1
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -f /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.vorlen-ready"
