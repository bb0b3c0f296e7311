#!/usr/bin/env bash
# Screenshots of the song details, a download and the update offer, under Xvfb with a compositor:
#   1. details-update.png    the update box at start (the service offers version 2.40)
#   2. details-view.png      a song of the first channel plays; its details view (cover clicked)
#   3. details-download.png  the same song downloading: the "%NN" caption on the download button
# Usage: tools/screenshots/details.sh [OUTPUT_DIR]   (default: screenshots/)
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

# Songs arrive at 24 kB/s so the download shows its progress for a while.
build/service/vamu-service --data "$work/service" --api-port 0 --companion-port 0 \
  --update "2.40,http://127.0.0.1/vamu-2.40,歌曲详情与下载进度, 其他" --stream all=throttle:24000 \
  >"$work/service.log" 2>&1 & pids+=($!)
for _ in $(seq 1 100); do grep -q '^.*api http' "$work/service.log" && break; sleep 0.1; done
api=$(grep -o 'api http://[0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
companion=$(grep -o 'companion [0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
mkdir -p "$work/config/vamu"
printf '[配置文件]\nserver=%s\ncompanion=%s\n下载提示=0\n' "$api" "$companion" | iconv -f UTF-8 -t GB18030 >"$work/config/vamu/vamu.ini"

DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work \
  build/src/app/vamu >"$work/vamu.log" 2>&1 & pids+=($!)
sleep 3
DISPLAY=$display import -window root "$out/details-update.png"
DISPLAY=$display xdotool key Escape
sleep 1

window=$(DISPLAY=$display xdotool search --name '^VAMU' | head -1)
geometry=$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")
eval "$geometry"
# The first channel tile: page 0 starts 40 px below the window's top, the tile at (20, 30).
DISPLAY=$display xdotool mousemove $((X + 50)) $((Y + 40 + 30 + 30)) click 1
sleep 5
# The player's cover (the panel at 345 from the top) opens the details view.
geometry=$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")
eval "$geometry"
DISPLAY=$display xdotool mousemove $((X + ${COVER_X:-43})) $((Y + ${COVER_Y:-${HEIGHT}-41})) click 1
sleep 2
DISPLAY=$display import -window root "$out/details-view.png"
# The download button: the tool bar's fifth control, 300..360 px from the bar's left.
DISPLAY=$display xdotool mousemove $((X + 5 + 330)) $((Y + 30 + 15)) click 1
sleep 3
DISPLAY=$display import -window root "$out/details-download.png"
echo "screenshots: $out/details-update.png $out/details-view.png $out/details-download.png"
