#!/usr/bin/env bash
# Screenshots of the comments' settings window and of a strip it tuned, under Xvfb with
# a compositor:
#   comment-settings.png         the screen: comments at 60 % opacity, repeated texts
#                                merged with their "×N", and the window "弹幕设置" opened
#                                from the settings menu over the main window
#   comment-settings-window.png  the window alone
#   comment-menu.png             the strip around a comment clicked with Ctrl held: its
#                                menu "隐藏此条" / "屏蔽此用户"
# The settings start as 弹幕透明度=60 and 弹幕合并=1; a song with at least forty comments,
# two of their texts repeated, plays by its link.
# Usage: tools/screenshots/comment_settings.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build default vamu vamu-service), Xvfb, xcompmgr, xdotool,
# curl and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/lib/session.sh

out=${1:-screenshots}
mkdir -p "$out"
session_begin
session_xvfb 1600x900 compositor
# The full demo catalogue: its songs last long enough for the comments to cross.
session_service "$SESSION_DIR/service" --log-requests
session_config
printf '弹幕透明度=60\n弹幕合并=1\n' | iconv -f UTF-8 -t GB18030 >>"$XDG_CONFIG_HOME/vamu/vamu.ini"
# A song with at least forty comments, two of their texts repeated, played by its link.
song=
for id in $(seq 20001 20200); do
    texts=$(curl -s "$SESSION_API/bullet/get?sound_id=$id&limit=120" | grep -o '"content": *"[^"]*"' || true)
    count=$(printf '%s' "$texts" | grep -c . || true)
    repeated=$(printf '%s\n' "$texts" | sort | uniq -d | grep -c . || true)
    if [ "$count" -ge 40 ] && [ "$repeated" -ge 2 ]; then song=$id; break; fi
done
[ -n "$song" ] || { echo "no song with repeated comments in the catalogue" >&2; exit 1; }
echo "song $song: $count comments, $repeated texts repeated"
asked=$(grep -c '/bullet/get' "$SESSION_DIR/service.log" || true)
session_vamu "vamu:song/$song"
session_main_window
# It asks for its comments once it has played 2 s (a song the service still makes takes longer).
for _ in $(seq 1 600); do
    [ "$(grep -c '/bullet/get' "$SESSION_DIR/service.log" || true)" -gt "$asked" ] && break
    sleep 0.1
done

sleep 5  # the first comments drift in
# Ctrl held: the comment under the pointer takes the click. The first pixel of lane 1's
# middle row, seen just now, that is not the desktop's is a comment's avatar (it drifts
# 2 px every 30 ms meanwhile); 40 px on lies its bubble.
strip=$(for w in $(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name '.' 2>/dev/null); do
    ( eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$HEIGHT" = 150 ] ) && echo "$w"
done | head -1 || true)
[ -n "$strip" ] || { echo "no comment strip on screen" >&2; for w in $(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name "." 2>/dev/null); do xdotool getwindowgeometry "$w" >&2; done; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$strip")"
xdotool keydown ctrl
import -window root "$SESSION_DIR/now.png"
row=$(( Y + 10 + 15 ))
white=$(convert "$SESSION_DIR/now.png" -crop "${WIDTH}x1+${X}+${row}" +repage txt:- |
    awk -F'[ ,:]+' '!/^#/ { colour = $0; sub(/.*#/, "", colour); sub(/ .*/, "", colour)
                            if (first == "") first = colour; else if (colour != first) { print $1; exit } }' || true)
[ -n "$white" ] || { xdotool keyup ctrl; echo "no comment in lane 1" >&2; exit 1; }
pointer=$(( X + white + 40 ))
xdotool mousemove "$pointer" "$row"
sleep 0.15
xdotool click 1
sleep 0.8
left=$(( pointer > 300 ? pointer - 300 : 0 ))
import -window root -crop "600x200+${left}+0" +repage "$out/comment-menu.png"
xdotool key Escape
xdotool keyup ctrl
sleep 0.5

# The gear's menu, its second item "弹幕设置...".
session_open_settings_menu
[ -n "$SESSION_MENU" ] || { echo "the settings menu did not open" >&2; exit 1; }
session_menu_item 2 6 "$SESSION_MENU"
settings=
for _ in $(seq 1 50); do
    # vamu's window of the settings window's size (xdotool's name search is not reliable
    # for Chinese titles).
    settings=$(for w in $(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name '.' 2>/dev/null); do
        ( eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" = 300 ] && [ "$HEIGHT" = 390 ] ) && echo "$w"
    done | head -1 || true)
    [ -n "$settings" ] && break
    sleep 0.1
done
[ -n "$settings" ] || { echo "the window 弹幕设置 did not open" >&2; exit 1; }
xdotool mousemove 5 600  # off the windows: no control shows its hover look
sleep 8
import -window root "$out/comment-settings.png"
# Cut from the screen: the window's own contents alone would lose what the compositor blends.
eval "$(xdotool getwindowgeometry --shell "$settings")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/comment-settings-window.png"

echo "screenshots: $out/comment-settings.png $out/comment-settings-window.png $out/comment-menu.png"
