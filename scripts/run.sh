#!/usr/bin/env bash
# Starts the x86-64 vorlen.exe under Wine on the user's display, with the
# arguments passed on (a database path, for example):
#
#   scripts/run.sh [notes.data]
#
# It runs in a Wine prefix of its own, build/x64/wine-app, with Wine's X11
# driver (the test suite's prefix selects the null driver, which shows
# nothing). Without a usable display it starts a virtual one (Xvfb) and says
# so. `make run` builds what is missing first.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export VORLEN_ARCH=x64
export VORLEN_BUILD=${VORLEN_BUILD:-$root/build/x64}
export WINEPREFIX=$VORLEN_BUILD/wine-app
source "$root/scripts/wine-env.sh"

program=$VORLEN_BUILD/app/vorlen.exe
[ -f "$program" ] || { echo "run: $program is missing; run 'make run' to build it" >&2; exit 1; }

xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  display=
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      display=:$n
      break
    fi
  done
  [ -n "$display" ] || { echo "run: no display, and no free number for a virtual one" >&2; exit 1; }
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X${display#:}" ] || { echo "run: the virtual display did not start" >&2; exit 1; }
  export DISPLAY=$display
  echo "run: no display here; Vorlen runs on the virtual display $display (Xvfb, 1280x800)."
  echo "run: to look at it: DISPLAY=$display import -window root vorlen.png"
fi

if [ ! -f "$WINEPREFIX/.vorlen-ready" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.vorlen-ready"
fi

# Paths of existing files are handed over in Windows form; anything else as given.
arguments=()
for argument in "$@"; do
  if [ -e "$argument" ]; then
    arguments+=("$("$WINELOADER" winepath -w "$(realpath "$argument")" 2>/dev/null)")
  else
    arguments+=("$argument")
  fi
done

status=0
"$WINELOADER" "$program" "${arguments[@]}" || status=$?
wineserver -w
exit "$status"
