#!/usr/bin/env bash
# End-to-end check of a real window: starts a Windows program under Xvfb on a
# Wine virtual desktop, waits for its window, saves the desktop as a PNG file
# and closes the window.
#
#   scripts/screenshot.sh [-t TITLE] [-w SECONDS] [-s WIDTHxHEIGHT] OUTPUT.png PROGRAM.exe [ARGUMENTS...]
#
#   -t  title of the window to wait for (default "Vorlen")
#   -w  how long to wait for it (default 60 seconds)
#   -s  size of the virtual desktop (default 1280x800)
#
# It runs the x86-64 build in a Wine prefix of its own (build/x64/wine-desktop, with a virtual desktop
# and the X11 driver), so it neither disturbs nor is disturbed by the test
# suite's prefix, whose null display driver shows nothing. Exit status 0 means
# the window appeared, the picture was written and the window closed again.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
title=Vorlen
wait_seconds=60
size=1280x800
while getopts "t:w:s:" option; do
  case $option in
    t) title=$OPTARG ;;
    w) wait_seconds=$OPTARG ;;
    s) size=$OPTARG ;;
    *) sed -n '5,10p' "$0" >&2; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -lt 2 ]; then
  sed -n '5,10p' "$0" >&2
  exit 1
fi
output=$(realpath -m "$1")
# A path to a file, or the name of a program that Wine itself finds.
program=$2
[ -e "$program" ] && program=$(realpath "$program")
shift 2

export VORLEN_ARCH=x64
export VORLEN_BUILD=${VORLEN_BUILD:-$root/build/x64}
export WINEPREFIX=$VORLEN_BUILD/wine-desktop
source "$root/scripts/wine-env.sh"

shot_exe=$VORLEN_BUILD/tests/support/window_shot.exe
if [ ! -f "$shot_exe" ]; then
  echo "screenshot: building window_shot"
  cmake --build "$VORLEN_BUILD" --target window_shot >/dev/null
fi

if [ ! -f "$WINEPREFIX/.vorlen-ready" ]; then
  echo "screenshot: creating $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  env -u DISPLAY "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Every program of this prefix runs on the one virtual desktop "Vorlen".
  "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Vorlen /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vorlen-ready"
fi

display=
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    display=:$n
    break
  fi
done
[ -n "$display" ] || { echo "screenshot: no free X display number" >&2; exit 1; }

xvfb_pid=
cleanup() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X${display#:}" ] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=$display

"$WINELOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Vorlen /d "$size" /f </dev/null >/dev/null 2>&1
"$WINELOADER" "$program" "$@" </dev/null >/dev/null 2>&1 &

mkdir -p "$(dirname "$output")"
rm -f "$output"
status=0
"$WINELOADER" "$shot_exe" "$title" "$("$WINELOADER" winepath -w "$output" 2>/dev/null)" "$wait_seconds" </dev/null || status=$?
if [ "$status" -eq 0 ] && [ -s "$output" ]; then
  echo "screenshot: $output"
else
  echo "screenshot: failed (status $status)" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
