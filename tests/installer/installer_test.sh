#!/usr/bin/env bash
# The setup program as a Windows user without administrator rights meets it:
# built from this build's programs, run silently in a fresh Wine prefix with
# no display, then the uninstaller run silently.
#
#   installer_test.sh SOURCE_DIR BUILD_DIR VERSION ARCH
#
# Exit status 77: this machine cannot run the target's programs (skipped).
set -euo pipefail

root=$1 build=$2 version=$3 arch=$4
source "$root/scripts/wine-env.sh"
if [ "$arch" = x86 ] && ! vorlen_can_run_x86; then
  echo "skipped: $VORLEN_X86_REFUSAL"
  exit 77
fi

work=$(mktemp -d)
export WINEPREFIX=$work/prefix
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
# Wine links the prefix's Documents and Desktop to the home folder: a home of
# its own keeps the test's card files out of the real one.
export HOME=$work/home
mkdir -p "$HOME"

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
reg_value() { # KEY VALUE-NAME (empty: the default value)
  local args=(/v "$2")
  [ -z "$2" ] && args=(/ve)
  "$WINELOADER" reg query "$1" "${args[@]}" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -n 1
}
reg_key_exists() { "$WINELOADER" reg query "$1" </dev/null >/dev/null 2>&1; }
reg_key_missing() { ! reg_key_exists "$1"; }
runs() { "$WINELOADER" "$@" </dev/null >/dev/null 2>&1; }

payload=$work/payload
mkdir -p "$payload"
cp "$build/app/vorlen.exe" "$build/cli/vorlen-cli.exe" "$payload/"
sed "s/@ARCH@/$arch/g; s/@VERSION@/$version/g" "$root/resources/dist-readme.txt" > "$payload/README.txt"
makensis -V2 -DVERSION="$version" -DVERSION_QUAD="$(echo "$version.0.0.0" | cut -d. -f1-4)" -DARCH="$arch" \
  -DSOURCE="$payload" -DICON="$root/resources/vorlen.ico" -DSHORTCUT_TOOL="$build/installer/shortcut-app-id.exe" \
  -DOUTFILE="$work/vorlen-setup.exe" \
  "$root/installer/vorlen.nsi"

"$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
"$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
"$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w

user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/.. | grep -v /Public/ | head -n 1)
user_dir=$(cd "$user_dir/.." && pwd)
installed=$user_dir/AppData/Local/Programs/Vorlen
start_menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
settings=$user_dir/AppData/Local/Vorlen
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlen'

# What the user owns before setup runs, and must still own after the uninstaller.
mkdir -p "$settings" "$user_dir/Documents/Backups"
echo settings > "$settings/Vorlen1.2.config"
echo backup > "$user_dir/Documents/Backups/notes-1.data"

"$WINELOADER" "$work/vorlen-setup.exe" /S </dev/null >/dev/null 2>&1
wineserver -w

check "the programs are installed per user" test -f "$installed/vorlen.exe" -a -f "$installed/vorlen-cli.exe" \
  -a -f "$installed/uninstall.exe"
check "a Start menu shortcut" test -f "$start_menu/Vorlen.lnk"
# Giving the shortcut the program's id rewrites it: it must still start the
# installed program. (Wine's shell keeps no such id, so the id itself can
# only be seen on Windows.)
check "the Start menu shortcut starts the installed program" \
  grep -q 'Programs\\Vorlen\\vorlen\.exe' <(strings -e l "$start_menu/Vorlen.lnk"; strings "$start_menu/Vorlen.lnk")
check "no desktop shortcut unless chosen" test ! -e "$user_dir/Desktop/Vorlen.lnk"
check "the uninstall entry names the version" test "$(reg_value "$uninstall_key" DisplayVersion)" = "$version"
check "the uninstall entry has a quiet uninstall" \
  test "$(reg_value "$uninstall_key" QuietUninstallString)" = '"C:\users\'"$(basename "$user_dir")"'\AppData\Local\Programs\Vorlen\uninstall.exe" /S'
check "the uninstall entry has a size" test -n "$(reg_value "$uninstall_key" EstimatedSize)"
check ".data points at the program's ProgID" test "$(reg_value 'HKCU\Software\Classes\.data' '')" = Vorlen.CardDatabase
command=$(reg_value 'HKCU\Software\Classes\Vorlen.CardDatabase\shell\open\command' '')
check "the open command quotes the program" test "$command" = \
  '"C:\users\'"$(basename "$user_dir")"'\AppData\Local\Programs\Vorlen\vorlen.exe" "%1"'
check "nothing machine-wide" reg_key_missing 'HKLM\Software\Classes\Vorlen.CardDatabase'

# The installed companion works: it makes the card file the shell then opens.
card='C:\users\'"$(basename "$user_dir")"'\Documents\notes.data'
check "the installed vorlen-cli.exe runs" runs "$installed/vorlen-cli.exe" create "$card"
check "the card file was made" test -f "$user_dir/Documents/notes.data"

# Opened as the shell opens it: Wine's shell reads only the machine's
# classes, so the user's open command is run the way Explorer would run it.
open_command=${command//%1/$card}
eval "set -- $(printf '%s' "$open_command" | sed 's/\\/\\\\/g')"
"$WINELOADER" "$@" </dev/null >/dev/null 2>&1 &
opened=no
for _ in $(seq 1 60); do
  if pgrep -af 'Programs\\Vorlen\\vorlen\.exe' | grep -q 'notes\.data'; then opened=yes; break; fi
  sleep 0.5
done
check "the card file opens in the installed program" test $opened = yes
wineserver -k >/dev/null 2>&1 || true
wineserver -w

"$WINELOADER" "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs on from a copy of itself: wait for the prefix to go quiet.
wineserver -w

check "the program folder is gone" test ! -e "$installed"
check "the Start menu shortcut is gone" test ! -e "$start_menu/Vorlen.lnk"
check "the uninstall entry is gone" reg_key_missing "$uninstall_key"
check "the ProgID is gone" reg_key_missing 'HKCU\Software\Classes\Vorlen.CardDatabase'
check ".data no longer points at it" test "$(reg_value 'HKCU\Software\Classes\.data' '')" != Vorlen.CardDatabase
check "the card file stays" test -f "$user_dir/Documents/notes.data"
check "the backup stays" test "$(cat "$user_dir/Documents/Backups/notes-1.data")" = backup
check "the settings stay" test "$(cat "$settings/Vorlen1.2.config")" = settings

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installer: all checks passed"
