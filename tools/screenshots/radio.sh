#!/usr/bin/env bash
# Screenshots of the program as a user sees it, under Xvfb with a compositor:
#   1. radio-start.png   the main window with the channel grid
#   2. radio-playing.png after a click on the first channel tile: the player plays its song
# Both are the whole screen, so that the program's other windows show too.
# Usage: tools/screenshots/radio.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build default vamu vamu-service), Xvfb, xcompmgr, xdotool
# and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/lib/session.sh

out=${1:-screenshots}
mkdir -p "$out"
session_begin
session_xvfb 1280x800 compositor
session_service "$SESSION_DIR/service" --small-catalogue
session_config
session_vamu

# The grid has come when the tiles' pictures are drawn; the service answers at once.
sleep 3
import -window root "$out/radio-start.png"

session_click_tile 1
# Playing once the title names the song ("VAMU  - NAME"), then a few seconds of progress.
for _ in $(seq 1 100); do
    xdotool getwindowname "$SESSION_WINDOW" | grep -q -- ' - ' && break
    sleep 0.1
done
sleep 3
import -window root "$out/radio-playing.png"
echo "window title: $(xdotool getwindowname "$SESSION_WINDOW")"
echo "screenshots: $out/radio-start.png $out/radio-playing.png"
