#!/usr/bin/env bash
# The program on the desktops it meets, one picture each, and the checks a person
# would make there:
#   xvfb-openbox.png     Xvfb with openbox (no compositor: shape masks): comments drift in
#                        the strip at the top
#   xvfb-composited.png  the same with a compositor (xcompmgr): per-pixel alpha, no rim
#   weston-xwayland.png  weston (headless) with Xwayland, WAYLAND_DISPLAY and DISPLAY both
#                        set: vamu chooses X11, the strip is unframed at the top
#   weston-wayland.png   weston alone (no DISPLAY): vamu runs on Wayland, no strip
#   readme.png           the main window with comments, cropped and scaled for README.md
# Each case prints what it checked: the platform vamu chose and why, the strip's place,
# its window manager states and type, and its parent (a frame or the root). Usage: tools/screenshots/desktops.sh [OUTPUT_DIR] [CASE...]
# (default: screenshots/, every case). Needs a built tree (scripts/build default vamu
# vamu-service), Xvfb, openbox, xcompmgr, weston, Xwayland, qt6-wayland, xdotool,
# x11-utils, curl and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-screenshots}
shift || true
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(xvfb-openbox xvfb-composited weston-xwayland weston-wayland)
mkdir -p "$out"
data=${VAMU_SHOT_DATA:-/tmp/vamu-shot-service}  # kept: the demo songs are made once

# Plays channel tile 1 and moves on ("我要换歌") until a song with at least five
# comments plays, then lets them drift in (the way tools/screenshots/comments.sh does).
play_until_comments() {
    local seen=0 requests path count attempt _
    session_click_tile 1
    for attempt in $(seq 1 8); do
        for _ in $(seq 1 300); do
            requests=$(grep -c '/bullet/get' "$SESSION_DIR/service.log" || true)
            [ "$requests" -gt "$seen" ] && break
            sleep 0.1
        done
        requests=$(grep -c '/bullet/get' "$SESSION_DIR/service.log" || true)
        if [ "$requests" -gt "$seen" ]; then
            seen=$requests
            path=$(grep -o 'GET /bullet/get[^ ]*' "$SESSION_DIR/service.log" | tail -1 | cut -d' ' -f2)
            count=$(curl -s "$SESSION_API$path" | grep -o '"content"' | wc -l)
            [ "$count" -ge 5 ] && { sleep 10; return 0; }
        fi
        session_window_origin
        xdotool mousemove $(( WINDOW_X + 5 + 210 + 40 )) $(( WINDOW_Y + 30 + 15 )) click 1
    done
    echo "note: no song with five comments came" >&2
}

# The strip: vamu's window of the notification type (a window manager's frame around
# it, if any, has none).
strip_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null || true); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_NOTIFICATION' && { echo "$w"; return 0; }
    done
    return 0
}

report_strip() {
    local strip
    strip=$(strip_window)
    [ -n "$strip" ] || { echo "  strip: not shown"; return 0; }
    echo "  strip: $(xwininfo -id "$strip" | grep -E 'Absolute upper-left|Width|Height' | tr -s ' ' | tr '\n' ' ')"
    echo "  strip: $(xprop -id "$strip" _NET_WM_STATE _NET_WM_WINDOW_TYPE | tr '\n' ' ')"
    echo "  strip's parent: $(xwininfo -children -id "$strip" | grep -o 'Parent window id: [^ ]* [^ ]*')"
}

run_case() {
    local name=$1
    (
        . tools/lib/session.sh
        session_begin
        session_service "$data" --log-requests
        session_config
        case "$name" in
            xvfb-openbox|xvfb-composited)
                session_xvfb 1280x800 $([ "$name" = xvfb-composited ] && echo compositor)
                xsetroot -solid '#35424f' 2>/dev/null || true
                openbox >"$SESSION_DIR/openbox.log" 2>&1 &
                SESSION_PIDS+=($!)
                sleep 1
                unset QT_QPA_PLATFORM
                ;;
            weston-xwayland) session_weston 1280x800 xwayland ;;
            weston-wayland) session_weston 1280x800 ;;
        esac
        echo "== $name"
        if [ "$name" = weston-wayland ]; then
            "$SESSION_BUILD/src/app/vamu" >"$SESSION_DIR/vamu.log" 2>&1 &
            SESSION_PIDS+=($!)
            SESSION_VAMU_PID=$!
            sleep 5
            grep 'platform' "$SESSION_DIR/vamu.log" | sed 's/^/  /'
            session_weston_shot "$out/$name.png"
        else
            session_vamu
            grep 'platform' "$SESSION_DIR/vamu.log" | sed 's/^/  /'
            if [ "$name" = weston-xwayland ]; then
                # weston's headless backend has no pointer: Xwayland takes no synthetic
                # clicks there, so nothing plays and nothing is clicked through.
                sleep 2
                report_strip
                session_weston_shot "$out/$name.png"
                echo "  picture: $out/$name.png"
                exit 0
            fi
            play_until_comments
            report_strip
            import -window root "$out/$name.png"
            if [ "$name" = xvfb-composited ]; then
                # The main window and the strip above it, small enough for the README.
                local X Y WIDTH HEIGHT SCREEN WINDOW
                eval "$(xdotool getwindowgeometry --shell "$SESSION_WINDOW")"
                convert "$out/$name.png" -crop "1280x$(( Y + HEIGHT + 10 ))+0+0" +repage -resize 50% \
                    -strip -colors 128 "$out/readme.png"
            fi
        fi
        echo "  picture: $out/$name.png"
    )
}

for c in "${cases[@]}"; do run_case "$c"; done
