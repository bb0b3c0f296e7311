#!/usr/bin/env bash
# What a ticked "自动登陆" leaves behind, with a keyring and without one: the program on
# Xvfb logs in with the demo account as a user does (clicks and typing), ends by SIGTERM
# (as a logout ends it), and the settings file and the keyring's items are printed.
#   keyring     gnome-keyring-daemon unlocked on a private session bus
#   no keyring  no session bus at all
# Usage: tools/keyring_login.sh
# Needs a built tree (scripts/build default vamu vamu-service), Xvfb, xdotool, dbus-daemon,
# gnome-keyring-daemon and secret-tool (package libsecret-tools).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

login_and_show() {  # $1: a caption for the printout
    session_service "$SESSION_DIR/service-$2" --small-catalogue
    session_config
    session_vamu
    session_main_window
    sleep 2
    session_window_origin
    at() { xdotool mousemove $(( WINDOW_X + $1 )) $(( WINDOW_Y + $2 )) click 1; sleep "${3:-0.5}"; }
    at 175 45            # "播放列表": the song-list view
    at 307 82            # the "我喜欢的" tab
    at 205 157           # the account box
    xdotool type --delay 40 13800138000
    at 205 192           # the password box
    xdotool type --delay 40 vamu1234
    at 190 235           # "自动登陆"
    at 140 235 3         # "登陆"
    [ -n "${KEYRING_SHOT:-}" ] && import -window root "$KEYRING_SHOT-$2.png"
    kill -TERM "$SESSION_VAMU_PID"
    wait "$SESSION_VAMU_PID" 2>/dev/null || true
    echo "== $1: the settings file's login keys =="
    iconv -f GB18030 -t UTF-8 "$XDG_CONFIG_HOME/vamu/vamu.ini" | grep -E '^(自动登陆|userdata|cookie)=' || echo "(none)"
    echo "== $1: the keyring's items of application vamu =="
    secret-tool search --all application vamu 2>&1 | sed 's/"password":"[^"]*"/"password":"<hidden>"/' || true
    grep '^vamu: .*keyring' "$SESSION_DIR/vamu.log" || true
}

session_begin
session_xvfb 1280x800

# Without a keyring first: no session bus at all.
DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/vamu-bus login_and_show "no keyring" plain

# A bus of our own that starts nothing by itself (a desktop's bus would start a keyring that
# asks for a new password), and the keyring on it, unlocked as a desktop's login does.
cat >"$SESSION_DIR/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$SESSION_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
bus=$(dbus-daemon --config-file="$SESSION_DIR/bus.conf" --fork --print-pid=1)
SESSION_PIDS+=("$bus")
export DBUS_SESSION_BUS_ADDRESS=unix:path=$SESSION_DIR/bus
mkdir -p "$SESSION_DIR/keyring" "$SESSION_DIR/home"
HOME=$SESSION_DIR/home gnome-keyring-daemon --foreground --components=secrets \
    --control-directory="$SESSION_DIR/keyring" --unlock >/dev/null 2>&1 <<<"known password" &
SESSION_PIDS+=($!)
sleep 1
rm -rf "$XDG_CONFIG_HOME"
login_and_show "keyring" keyring
