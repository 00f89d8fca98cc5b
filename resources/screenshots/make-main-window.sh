#!/usr/bin/env bash
# Makes main-window.png: the real x86-64 program with a small card database
# open, captured by scripts/screenshot.sh and cut to the window.
#
#   resources/screenshots/make-main-window.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/x64
cli="$root/scripts/vorlen-cli"
notes=$(mktemp -d)/notes.data
trap 'rm -rf "$(dirname "$notes")"' EXIT

"$cli" create "$notes" >/dev/null
for title in "Projects" "Reading list" "Journal"; do "$cli" add "$notes" --title "$title" >/dev/null; done
"$cli" add "$notes" --parent 1 --title "Vorlen 2.0" >/dev/null
"$cli" add "$notes" --parent 1 --title "Garden shed" >/dev/null
"$cli" add "$notes" --parent 3 --title "Monday" >/dev/null
content=$(dirname "$notes")/projects.rtf
printf '%s' '{\rtf1\ansi{\fonttbl{\f0 Verdana;}}\f0\fs24 {\b Projects}\par Things in progress this spring:\par - the main window\par - the garden shed\par}' > "$content"
"$cli" put "$notes" 1 "$content" >/dev/null

# The database sits where a user would keep it, so the caption shows a Windows path.
folder=$build/wine-desktop/drive_c/Notes
mkdir -p "$folder"
cp "$notes" "$folder/notes.data"
shot=$(dirname "$notes")/desktop.png
"$root/scripts/screenshot.sh" "$shot" "$build/app/vorlen.exe" 'C:\Notes\notes.data'
# The window is 700 x 700 and centred on the 1280 x 800 desktop.
convert "$shot" -crop 700x700+290+50 +repage "$root/resources/screenshots/main-window.png"
echo "made resources/screenshots/main-window.png"
