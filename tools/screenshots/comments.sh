#!/usr/bin/env bash
# A screenshot of bullet comments drifting across the top of the screen, under Xvfb
# with a compositor:
#   comments.png   the comment strip over the desktop while a channel's song plays
# It plays the first channel tile and moves on ("我要换歌") until a song with at least
# five comments plays, then waits for them to drift in. A song whose MP3 the service
# is still making when it should have played 2 s asks for no comments: the next one.
# Usage: tools/screenshots/comments.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build), Xvfb, xcompmgr, xdotool, curl and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-screenshots}
mkdir -p "$out"
work=$(mktemp -d)
display=:$(( 80 + RANDOM % 9 ))
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
DISPLAY=$display xcompmgr >/dev/null 2>&1 & pids+=($!)

# The full demo catalogue: its songs last long enough for the comments to cross.
build/service/vamu-service --data "$work/service" --api-port 0 --companion-port 0 --log-requests \
  >"$work/service.log" 2>&1 & pids+=($!)
for _ in $(seq 1 300); do grep -q 'api http' "$work/service.log" && break; sleep 0.1; done
api=$(grep -o 'api http://[0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
companion=$(grep -o 'companion [0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
mkdir -p "$work/config/vamu"
printf '[配置文件]\nserver=%s\ncompanion=%s\n' "$api" "$companion" | iconv -f UTF-8 -t GB18030 >"$work/config/vamu/vamu.ini"

DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work \
  build/src/app/vamu >"$work/vamu.log" 2>&1 & pids+=($!)
sleep 3
window=$(DISPLAY=$display xdotool search --name '^VAMU' | head -1)
eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
# The first channel tile: page 0 starts 40 px below the window's top, the tile at (20, 30).
DISPLAY=$display xdotool mousemove $((X + 50)) $((Y + 40 + 30 + 30)) click 1

# Each song asks for its comments 2 s after it starts; count what the service answers.
seen=0
for attempt in $(seq 1 12); do
  for _ in $(seq 1 300); do
    requests=$(grep -c '/bullet/get' "$work/service.log" || true)
    [ "$requests" -gt "$seen" ] && break
    sleep 0.1
  done
  requests=$(grep -c '/bullet/get' "$work/service.log" || true)
  if [ "$requests" -gt "$seen" ]; then
    seen=$requests
    path=$(grep -o 'GET /bullet/get[^ ]*' "$work/service.log" | tail -1 | cut -d' ' -f2)
    count=$(curl -s "$api$path" | grep -o '"content"' | wc -l)
    echo "song $attempt: $count comments"
    [ "$count" -ge 5 ] && break
  else
    echo "song $attempt: still buffering at 2 s, no comments"
  fi
  # "我要换歌" in the tool bar (page 2 at (5, 30), the button 210 px in, 80 x 30).
  DISPLAY=$display xdotool mousemove $((X + 5 + 210 + 40)) $((Y + 30 + 15)) click 1
done
sleep 12
DISPLAY=$display import -window root "$out/comments.png"
echo "screenshot: $out/comments.png"
