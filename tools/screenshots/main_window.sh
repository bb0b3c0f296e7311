#!/bin/sh
# Screenshots of the main window under Xvfb, one per view and background:
#   tools/screenshots/main_window.sh [build-dir] [out-dir]
# Writes OUT/main_window_<view>_bg<N>.png (the window cut out of the screen) for the
# channel view on every background, and the details, song-list and login views on
# background 0. Needs Xvfb, ImageMagick's import and convert, and
# build/tools/screenshots/vamu-window-preview.
set -eu
build=${1:-build}
out=${2:-$build/screenshots}
preview=$build/tools/screenshots/vamu-window-preview
[ -x "$preview" ] || { echo "build vamu-window-preview first: scripts/build default vamu-window-preview" >&2; exit 1; }
mkdir -p "$out"

width=640
height=560
display=:$(( 90 + $$ % 100 ))
Xvfb "$display" -screen 0 ${width}x${height}x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT INT TERM
sleep 1

# The window is made 380 x 250 centred in the screen and then grown to 415 downwards.
left=$(( (width - 380) / 2 ))
top=$(( (height - 250) / 2 ))

shot() {
    view=$1
    background=$2
    DISPLAY=$display QT_QPA_PLATFORM=xcb "$preview" --view "$view" --background "$background" --quit-after 2500 &
    program=$!
    sleep 1.6
    DISPLAY=$display import -window root "$out/screen.png"
    wait $program || true
    convert "$out/screen.png" -crop 380x415+${left}+${top} +repage "$out/main_window_${view}_bg${background}.png"
    rm -f "$out/screen.png"
    echo "$out/main_window_${view}_bg${background}.png"
}

for background in 0 1 2 3 4; do shot channels "$background"; done
shot details 0
shot lists 3
shot likes 1
