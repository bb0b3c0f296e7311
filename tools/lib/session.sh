# Shared by the measuring and screenshot scripts under tools/: a private X display, an
# optional private audio server, a vamu-service on free ports and vamu against it, all
# ended by the EXIT trap. Source it from bash after `cd` to the source tree:
#   . tools/lib/session.sh
#   session_begin                       # work folder $SESSION_DIR, cleanup on exit
#   session_xvfb [WxH] [compositor]     # DISPLAY=:N exported
#   session_pulse                       # PULSE_SERVER exported (null sink), or a warning
#   session_service DATA [ARGS...]      # $SESSION_API, $SESSION_COMPANION
#   session_config                      # settings pointing at the service, XDG_* exported
#   session_vamu                        # $SESSION_VAMU_PID, $SESSION_WINDOW (X id)
# Binaries come from ${VAMU_BUILD:-build}.

SESSION_BUILD=${VAMU_BUILD:-build}
SESSION_PIDS=()

session_end() {
    local i
    # Newest first: the program before the service, the service before the display.
    for (( i=${#SESSION_PIDS[@]}-1; i>=0; i-- )); do kill "${SESSION_PIDS[i]}" 2>/dev/null || true; done
    for (( i=${#SESSION_PIDS[@]}-1; i>=0; i-- )); do wait "${SESSION_PIDS[i]}" 2>/dev/null || true; done
    [ -n "${SESSION_DIR:-}" ] && [ -z "${SESSION_KEEP:-}" ] && rm -rf "$SESSION_DIR"
    return 0
}

session_begin() {
    for binary in "$SESSION_BUILD/src/app/vamu" "$SESSION_BUILD/service/vamu-service"; do
        [ -x "$binary" ] || { echo "missing $binary: scripts/build default vamu vamu-service" >&2; exit 1; }
    done
    SESSION_DIR=$(mktemp -d /tmp/vamu-session-XXXXXX)
    trap session_end EXIT
    trap 'exit 130' INT TERM
}

# Starts Xvfb on the first free display from :90, and xcompmgr when asked.
session_xvfb() {
    local size=${1:-1280x800} compositor=${2:-} n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$SESSION_DIR/xvfb.log" 2>&1 &
        SESSION_PIDS+=($!)
        local _
        for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "${SESSION_PIDS[-1]}" 2>/dev/null; then
            export DISPLAY=":$n"
            export QT_QPA_PLATFORM=xcb
            if [ -n "$compositor" ]; then
                xcompmgr >"$SESSION_DIR/xcompmgr.log" 2>&1 &
                SESSION_PIDS+=($!)
                sleep 0.3
            fi
            return 0
        fi
    done
    echo "no free X display" >&2
    exit 1
}

# A private PulseAudio server with a null sink, so that vamu and the reference player
# write to the same kind of device; without pulseaudio both use their silent fallbacks.
session_pulse() {
    if ! command -v pulseaudio >/dev/null; then
        echo "note: no pulseaudio; vamu uses its silent output" >&2
        return 0
    fi
    local dir=$SESSION_DIR/pulse _
    mkdir -p "$dir"
    printf 'load-module module-null-sink sink_name=bench rate=44100 channels=2 format=s16le\nload-module module-native-protocol-unix auth-anonymous=1 socket=%s/native\nset-default-sink bench\n' \
        "$dir" >"$dir/default.pa"
    HOME=$dir XDG_RUNTIME_DIR=$dir pulseaudio -n -F "$dir/default.pa" --daemonize=no --exit-idle-time=-1 \
        --use-pid-file=no --disable-shm=yes --log-target="file:$dir/log" &
    SESSION_PIDS+=($!)
    export PULSE_SERVER="unix:$dir/native"
    for _ in $(seq 1 100); do
        pactl info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "pulseaudio did not come up (see $dir/log)" >&2
    exit 1
}

# session_service DATA_DIR [ARGS...]: the service on free ports; DATA_DIR may be kept
# between runs so that its songs are made only once.
session_service() {
    local data=$1 _
    shift
    mkdir -p "$data"
    "$SESSION_BUILD/service/vamu-service" --data "$data" --api-port 0 --companion-port 0 "$@" \
        >"$SESSION_DIR/service.log" 2>&1 &
    SESSION_PIDS+=($!)
    SESSION_SERVICE_PID=${SESSION_PIDS[-1]}
    for _ in $(seq 1 600); do
        grep -q 'api http' "$SESSION_DIR/service.log" 2>/dev/null && break
        kill -0 "$SESSION_SERVICE_PID" 2>/dev/null || { cat "$SESSION_DIR/service.log" >&2; exit 1; }
        sleep 0.1
    done
    SESSION_API=$(grep -o 'api http://[0-9.:]*' "$SESSION_DIR/service.log" | head -1 | cut -d' ' -f2)
    SESSION_COMPANION=$(grep -o 'companion [0-9.:]*' "$SESSION_DIR/service.log" | head -1 | cut -d' ' -f2)
    [ -n "$SESSION_API" ] || { echo "the service did not start" >&2; cat "$SESSION_DIR/service.log" >&2; exit 1; }
}

# The settings file is GB18030 text, as the program reads it.
session_config() {
    export HOME=$SESSION_DIR/home XDG_CONFIG_HOME=$SESSION_DIR/config XDG_DATA_HOME=$SESSION_DIR/data
    export XDG_RUNTIME_DIR=$SESSION_DIR/runtime
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/vamu" "$XDG_DATA_HOME"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    printf '[配置文件]\nserver=%s\ncompanion=%s\n' "$SESSION_API" "$SESSION_COMPANION" |
        iconv -f UTF-8 -t GB18030 >"$XDG_CONFIG_HOME/vamu/vamu.ini"
}

# Starts vamu and waits for its main window (titled "VAMU..." by default).
session_vamu() {
    local _
    "$SESSION_BUILD/src/app/vamu" "$@" >"$SESSION_DIR/vamu.log" 2>&1 &
    SESSION_PIDS+=($!)
    SESSION_VAMU_PID=${SESSION_PIDS[-1]}
    SESSION_WINDOW=
    for _ in $(seq 1 100); do
        SESSION_WINDOW=$(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name '.' 2>/dev/null | head -1 || true)
        [ -n "$SESSION_WINDOW" ] && return 0
        kill -0 "$SESSION_VAMU_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "vamu showed no window" >&2
    cat "$SESSION_DIR/vamu.log" >&2
    exit 1
}

# Window origin on the screen: sets WINDOW_X and WINDOW_Y.
session_window_origin() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$SESSION_WINDOW")"
    WINDOW_X=$X
    WINDOW_Y=$Y
}

# Clicks the channel tile N (1..10) of the grid: the channel page starts 40 px down the
# window; tiles are 60 px, four to a row, 90 px apart from (20, 30).
session_click_tile() {
    local index=$(( $1 - 1 ))
    session_window_origin
    xdotool mousemove $(( WINDOW_X + 20 + 90 * (index % 4) + 30 )) $(( WINDOW_Y + 40 + 30 + 90 * (index / 4) + 30 )) click 1
}

# Memory and processor figures of a process from /proc.
pss_kib() { awk '/^Pss:/ { print $2; exit }' "/proc/$1/smaps_rollup"; }
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }  # utime + stime
thread_count() { awk '/^Threads:/ { print $2 }' "/proc/$1/status"; }
fd_count() { ls "/proc/$1/fd" | wc -l; }
