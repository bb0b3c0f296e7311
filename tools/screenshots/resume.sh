#!/usr/bin/env bash
# Screenshots of a song walked back to and of a song coming back after an exit, under
# Xvfb with a compositor and a system tray (trayer):
#   1. tray-menu.png  after two songs, the tray icon's menu with "上一首" in it
#   2. resumed.png    the program started again after a SIGTERM: the last song shows
#                     paused at its place, nothing playing yet
# Usage: tools/screenshots/resume.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build default vamu vamu-service), Xvfb, xcompmgr, trayer,
# xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/lib/session.sh

out=${1:-screenshots}
mkdir -p "$out"
session_begin
session_xvfb 1280x800 compositor
command -v trayer >/dev/null || { echo "needs trayer (a system tray)" >&2; exit 1; }
trayer --edge bottom --align right --widthtype request --height 24 >"$SESSION_DIR/trayer.log" 2>&1 &
SESSION_PIDS+=($!)
sleep 0.5
session_service "$SESSION_DIR/service" --small-catalogue
session_config
session_vamu
session_main_window

wait_for_song() {  # the title names a song ("VAMU  - NAME") other than $1
    local _ title
    for _ in $(seq 1 100); do
        title=$(xdotool getwindowname "$SESSION_WINDOW")
        [[ "$title" == *' - '* && "$title" != "${1:-}" ]] && { echo "$title"; return 0; }
        sleep 0.1
    done
    echo "no song played" >&2
    exit 1
}

sleep 3
session_click_tile 1
first=$(wait_for_song)
sleep 1
# "我要换歌": the second button of the panel's row under the title.
session_window_origin
xdotool mousemove $(( WINDOW_X + 5 + 210 + 40 )) $(( WINDOW_Y + 30 + 15 )) click 1
second=$(wait_for_song "$first")
sleep 0.5  # the songs last five seconds: the exit comes in the middle of this one

# The tray icon: vamu's smallest window, embedded in trayer's at the bottom right; a right
# click opens its menu.
icon=$(for w in $(xdotool search --pid "$SESSION_VAMU_PID" --name '.*' 2>/dev/null); do
    xwininfo -id "$w" | awk -v w="$w" '/Map State: IsViewable/ { v = 1 } /Height:/ { h = $2 } END { if (v && h >= 16) print h, w }'
done | sort -n | head -1 | cut -d' ' -f2)
eval "$(xdotool getwindowgeometry --shell "$icon")"
xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 )) click 3
sleep 1
import -window root "$out/tray-menu.png"
xdotool key Escape

# The way a logout ends it, then a start as the next morning's.
kill -TERM "$SESSION_VAMU_PID"
wait "$SESSION_VAMU_PID" 2>/dev/null || true
session_vamu
session_main_window
sleep 3
import -window root "$out/resumed.png"
echo "played: $first, then $second; after the restart: $(xdotool getwindowname "$SESSION_WINDOW")"
echo "screenshots: $out/tray-menu.png $out/resumed.png"
