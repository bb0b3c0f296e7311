#!/usr/bin/env bash
# Screenshots of the program as a user sees it, under Xvfb with a compositor:
#   1. radio-start.png   the main window with the channel grid
#   2. radio-playing.png after a click on the first channel tile: the song list and the player
# Usage: tools/screenshots/radio.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build), Xvfb, xcompmgr, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-screenshots}
mkdir -p "$out"
work=$(mktemp -d)
display=:$(( 90 + RANDOM % 9 ))
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
DISPLAY=$display xcompmgr >/dev/null 2>&1 & pids+=($!)

build/service/vamu-service --data "$work/service" --api-port 0 --companion-port 0 --small-catalogue \
  >"$work/service.log" 2>&1 & pids+=($!)
for _ in $(seq 1 100); do grep -q '^.*api http' "$work/service.log" && break; sleep 0.1; done
api=$(grep -o 'api http://[0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
companion=$(grep -o 'companion [0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
mkdir -p "$work/config/vamu"
printf '[配置文件]\nserver=%s\ncompanion=%s\n' "$api" "$companion" | iconv -f UTF-8 -t GB18030 >"$work/config/vamu/vamu.ini"

DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work \
  build/src/app/vamu >"$work/vamu.log" 2>&1 & pids+=($!)
sleep 3
window=$(DISPLAY=$display xdotool search --name '^VAMU' | head -1)
DISPLAY=$display import -window root "$out/radio-start.png"
# The first channel tile: page 0 starts 40 px below the window's top, the tile at (20, 30).
geometry=$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")
eval "$geometry"
DISPLAY=$display xdotool mousemove $((X + 50)) $((Y + 40 + 30 + 30)) click 1
sleep 4
DISPLAY=$display import -window root "$out/radio-playing.png"
echo "screenshots: $out/radio-start.png $out/radio-playing.png"
