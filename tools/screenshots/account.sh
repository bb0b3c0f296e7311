#!/usr/bin/env bash
# Screenshots of the account and the personal library, under Xvfb with a compositor,
# typed and clicked as a user does (xdotool):
#   1. account-login.png      the "我喜欢的" tab without a login: the login panel, filled in
#   2. account-likes.png      after "登陆": the demo account's 45 likes and the search bar
#   3. account-sync.png       "同步" of the collection menu (a collection file of three
#                             songs written beforehand): the summary box
#   4. account-search.png     a search for "列车": ten results, "搜索" as their uploader
#   5. account-register.png   the registration window of "注册账号" (after logging out)
# Usage: tools/screenshots/account.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built tree (scripts/build), Xvfb, xcompmgr, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/lib/session.sh
out=${1:-screenshots}
mkdir -p "$out"
work=$(mktemp -d)
# A display nobody else uses (other scripts may run at the same time).
n=$(( 90 + RANDOM % 9 ))
while [ -e "/tmp/.X$n-lock" ]; do n=$(( n + 1 )); done
display=:$n
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
DISPLAY=$display xcompmgr >/dev/null 2>&1 & pids+=($!)
export DISPLAY=$display

build/service/vamu-service --data "$work/service" --api-port 0 --companion-port 0 --small-catalogue \
  >"$work/service.log" 2>&1 & pids+=($!)
for _ in $(seq 1 100); do grep -q '^.*api http' "$work/service.log" && break; sleep 0.1; done
api=$(grep -o 'api http://[0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
companion=$(grep -o 'companion [0-9.:]*' "$work/service.log" | head -1 | cut -d' ' -f2)
mkdir -p "$work/config/vamu" "$work/data/vamu"
printf '[配置文件]\nserver=%s\ncompanion=%s\n' "$api" "$companion" | iconv -f UTF-8 -t GB18030 >"$work/config/vamu/vamu.ini"
# A collection of three songs, in the file format of earlier versions (GBK, CR LF).
for id in 20001 20002 20003; do
  printf '%s/media/sound/%s.mp3-这是分隔符-收藏的歌 %s-这是分隔符-vamu-这是分隔符-%s\r\n' "$api" "$id" "$id" "$id"
done | iconv -f UTF-8 -t GBK >"$work/data/vamu/Collection"

XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work build/src/app/vamu >"$work/vamu.log" 2>&1 & pids+=($!)
sleep 3
window=$(xdotool search --name '^VAMU' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# The popup menu that a right click opened (the shared helper's search).
menu_window() { SESSION_WINDOW=$window session_menu_window; }
# The message box on screen: its "确认" sits at its bottom right.
close_message_box() {
  local w g
  for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null || true); do
    [ "$w" = "$window" ] && continue
    g=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
    if ( eval "$g"; [ "$WIDTH" -ge 250 ] && [ "$WIDTH" -le 330 ] && [ "$HEIGHT" -lt 200 ] ); then
      eval "$g"
      xdotool mousemove $((X + WIDTH - 40)) $((Y + HEIGHT - 17)) click 1
    fi
  done
  return 0
}
# Clicks item $1 of the $2 items of the menu window $3.
menu_item() {
  eval "$(xdotool getwindowgeometry --shell "$3")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 1 + (HEIGHT - 2) * (2 * $1 - 1) / (2 * $2))) click 1
}
# Window coordinates of the main window's controls (see app/layout_*.cpp).
at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep "${3:-0.5}"; }
at 175 45            # "播放列表": the song-list view
at 307 82            # the "我喜欢的" tab
at 205 157           # the account box
xdotool type --delay 40 13800138000
at 205 192           # the password box
xdotool type --delay 40 vamu1234
at 190 235           # "自动登陆"
import -window root "$out/account-login.png"
at 140 235 3         # "登陆"
import -window root "$out/account-likes.png"
at 65 82             # the "我的收藏" tab
at 100 140 0.2       # its first row
xdotool mousemove $((X + 100)) $((Y + 140)) click 3
sleep 1
menu=$(menu_window)
[ -n "$menu" ] && menu_item 2 3 "$menu"      # "同步"
sleep 4
import -window root "$out/account-sync.png"
close_message_box
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
at 307 82            # back to "我喜欢的"
at 95 118            # the search box (it empties when it takes the focus)
xdotool type --delay 60 列车
at 245 120 2         # "搜索"
import -window root "$out/account-search.png"
at 200 200 0.2
xdotool mousemove $((X + 200)) $((Y + 200)) click 3
sleep 1
menu=$(menu_window)
[ -n "$menu" ] && menu_item 5 5 "$menu"      # "注销"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
at 180 260 2         # "注册账号"
import -window root "$out/account-register.png"
echo "screenshots: $out/account-login.png $out/account-likes.png $out/account-search.png $out/account-sync.png $out/account-register.png"
