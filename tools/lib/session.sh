# Shared by the measuring and screenshot scripts under tools/: a private X display, an
# optional private audio server, a vamu-service on free ports and vamu against it, all
# ended by the EXIT trap. Source it from bash after `cd` to the source tree:
#   . tools/lib/session.sh
#   session_begin                       # work folder $SESSION_DIR, cleanup on exit
#   session_xvfb [WxH] [compositor]     # DISPLAY=:N exported
#   session_weston [WxH] [xwayland]     # WAYLAND_DISPLAY (and DISPLAY) exported
#   session_weston_shot PNG             # the weston screen as a picture
#   session_pulse                       # PULSE_SERVER exported (null sink), or a warning
#   session_service DATA [ARGS...]      # $SESSION_API, $SESSION_COMPANION
#   session_config                      # settings pointing at the service, XDG_* exported
#   session_vamu                        # $SESSION_VAMU_PID, $SESSION_WINDOW (X id)
#   session_main_window                 # $SESSION_WINDOW the main window, not the tray icon
#   session_radio_samples MINUTES CSV CHANGE_EVERY [COMMENTS_EVERY]
#                                       # the radio played and sampled, $SESSION_ALIVE
#   session_radio_summary CSV           # the summary of such a CSV
#   session_radio_plot CSV PNG          # its plot (gnuplot)
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

# session_weston [WxH] [xwayland]: weston with its headless backend on a socket of its
# own, and with "xwayland" its X server too. WAYLAND_DISPLAY (and DISPLAY) are exported
# and QT_QPA_PLATFORM is unset, so vamu chooses its platform as on a user's desktop.
# Call after session_config (weston's socket lives in its XDG_RUNTIME_DIR).
session_weston() {
    local size=${1:-1280x800} with=${2:-} socket=vamu-weston-$$ _
    command -v weston >/dev/null || { echo "weston is needed" >&2; exit 1; }
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$SESSION_DIR/runtime}
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    # --debug lets weston-screenshooter take pictures.
    weston --backend=headless-backend.so --socket="$socket" --width="${size%x*}" --height="${size#*x}" \
        --use-pixman --idle-time=0 --debug ${with:+--xwayland} >"$SESSION_DIR/weston.log" 2>&1 &
    SESSION_PIDS+=($!)
    for _ in $(seq 1 100); do [ -e "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
    [ -e "$XDG_RUNTIME_DIR/$socket" ] || { echo "weston did not start" >&2; cat "$SESSION_DIR/weston.log" >&2; exit 1; }
    export WAYLAND_DISPLAY=$socket
    unset QT_QPA_PLATFORM DISPLAY
    if [ -n "$with" ]; then
        for _ in $(seq 1 100); do grep -q 'xserver listening on display' "$SESSION_DIR/weston.log" && break; sleep 0.1; done
        DISPLAY=$(grep -o 'listening on display :[0-9]*' "$SESSION_DIR/weston.log" | head -1 | grep -o ':[0-9]*')
        [ -n "$DISPLAY" ] || { echo "weston started no Xwayland" >&2; exit 1; }
        export DISPLAY
    fi
    sleep 0.5  # the desktop shell's panel and background
}

session_weston_shot() {
    local out=$1 shot
    rm -f "$SESSION_DIR"/wayland-screenshot-*.png
    (cd "$SESSION_DIR" && timeout 10 weston-screenshooter >/dev/null 2>&1) || { echo "weston-screenshooter failed" >&2; return 1; }
    shot=$(ls "$SESSION_DIR"/wayland-screenshot-*.png 2>/dev/null | head -1)
    [ -n "$shot" ] || { echo "weston wrote no screenshot" >&2; return 1; }
    mv "$shot" "$out"
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
# With VAMU_WRAP set (e.g. "heaptrack -o /tmp/vamu"), vamu runs under that command, which
# must start it as its direct child or exec it; $SESSION_VAMU_PID is then vamu's own process.
session_vamu() {
    local _ wrapper
    # shellcheck disable=SC2086  # the wrapper is a command line on purpose
    ${VAMU_WRAP:-} "$SESSION_BUILD/src/app/vamu" "$@" >"$SESSION_DIR/vamu.log" 2>&1 &
    SESSION_PIDS+=($!)
    SESSION_VAMU_PID=$!
    if [ -n "${VAMU_WRAP:-}" ]; then
        wrapper=$SESSION_VAMU_PID
        SESSION_VAMU_PID=
        for _ in $(seq 1 300); do
            # A wrapper that execs (env, nice) becomes vamu itself.
            if [ "$(cat "/proc/$wrapper/comm" 2>/dev/null)" = vamu ]; then SESSION_VAMU_PID=$wrapper; break; fi
            SESSION_VAMU_PID=$(pgrep -P "$wrapper" -x vamu | head -1 || true)
            [ -n "$SESSION_VAMU_PID" ] && break
            sleep 0.1
        done
        [ -n "$SESSION_VAMU_PID" ] || { echo "vamu did not start under $VAMU_WRAP" >&2; cat "$SESSION_DIR/vamu.log" >&2; exit 1; }
        # Ended before its wrapper, which then writes its results.
        [ "$SESSION_VAMU_PID" = "$wrapper" ] || SESSION_PIDS+=("$SESSION_VAMU_PID")
    fi
    SESSION_WINDOW=
    for _ in $(seq 1 300); do
        SESSION_WINDOW=$(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name '.' 2>/dev/null | head -1 || true)
        [ -n "$SESSION_WINDOW" ] && return 0
        kill -0 "$SESSION_VAMU_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "vamu showed no window" >&2
    cat "$SESSION_DIR/vamu.log" >&2
    exit 1
}

# With a tray the first window vamu shows may be its icon or its comment strip (150 px
# high): this waits for the main window, the tallest, and makes it $SESSION_WINDOW.
session_main_window() {
    local height _
    for _ in $(seq 1 100); do
        read -r height SESSION_WINDOW < <(for w in $(xdotool search --onlyvisible --pid "$SESSION_VAMU_PID" --name '.' 2>/dev/null); do
            echo "$(xdotool getwindowgeometry --shell "$w" | awk -F= '/^HEIGHT/ { print $2 }') $w"
        done | sort -n | tail -1) || true
        [ "${height:-0}" -gt 160 ] && return 0
        sleep 0.1
    done
    echo "vamu showed no main window" >&2
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
# The program's own memory: its share of the libraries and fonts changes as other
# programs map and unmap them, so it moves the PSS by tens of MiB on a shared machine.
pss_anon_kib() { awk '/^Pss_Anon:/ { print $2; exit }' "/proc/$1/smaps_rollup"; }
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }  # utime + stime
# thread_stats PID: "tid name cpu_ms switches" for every thread (the first thread is
# named NAME(UI)): its time on a processor from the scheduler's own count (exact, unlike
# the 10 ms ticks of /proc/PID/stat), and its context switches, about one per wake-up.
thread_stats() {
    local task
    for task in /proc/"$1"/task/*; do
        awk -v tid="${task##*/}" -v pid="$1" '
            FILENAME ~ /\/stat$/ { name = $0; sub(/^[^(]*\(/, "", name); sub(/\).*$/, "", name); gsub(/ /, "_", name)
                                 if (tid == pid) name = name "(UI)" }
            FILENAME ~ /schedstat$/ { ms = $1 / 1e6 }
            /^(non)?voluntary_ctxt_switches:/ { switches += $2 }
            END { printf "%s %s %.1f %d\n", tid, name, ms, switches }' "$task/stat" "$task/schedstat" "$task/status" 2>/dev/null || true
    done
}
# thread_report BEFORE AFTER SECONDS: the busiest threads between two thread_stats, and
# the whole process.
thread_report() {
    echo "threads by processor time (% of a core) and wake-ups a second:"
    join <(sort "$1") <(sort "$2") |
        awk -v s="$3" '{ cpu = ($6 - $3) / 10 / s; wake = ($7 - $4) / s; all += cpu; woke += wake
                         printf "  %-16s %7.2f %8.1f\n", $2, cpu, wake }
                       END { printf "  %-16s %7.2f %8.1f\n", "(all)", all, woke }' | sort -k2 -g -r | head -7
}
thread_count() { awk '/^Threads:/ { print $2 }' "/proc/$1/status"; }
fd_count() { ls "/proc/$1/fd" | wc -l; }

# The settings caption button (the gear, third from the right, 237 px into the window
# of the default skin) opens the settings menu (six items with the default settings);
# its first item flips 弹幕. The button acts on a click only after the pointer has come
# over it.
session_open_settings_menu() {
    local _
    SESSION_MENU=
    session_window_origin
    xdotool mousemove $(( WINDOW_X + 225 )) $(( WINDOW_Y + 13 ))
    sleep 0.3
    xdotool mousemove $(( WINDOW_X + 237 )) $(( WINDOW_Y + 13 ))
    sleep 0.3
    xdotool click 1
    for _ in $(seq 1 20); do
        sleep 0.2
        SESSION_MENU=$(session_menu_window)
        [ -n "$SESSION_MENU" ] && return 0
    done
    echo "note: the settings menu did not open" >&2
}

session_toggle_comments() {
    session_open_settings_menu
    [ -n "$SESSION_MENU" ] || return 0
    session_menu_item 1 6 "$SESSION_MENU"
    sleep 0.5
}

# The popup menu on screen: a small visible window other than the main one (the
# comment strip is wider).
session_menu_window() {
    local w g
    for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null || true); do
        [ "$w" = "$SESSION_WINDOW" ] && continue
        g=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
        ( eval "$g"; [ "$WIDTH" -lt 200 ] && [ "$HEIGHT" -gt 40 ] && [ "$HEIGHT" -lt 250 ] ) && echo "$w"
    done | tail -1 || true
}

# session_menu_item I N WINDOW: clicks item I of the N items of a menu window.
session_menu_item() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$3")"
    xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + 1 + (HEIGHT - 2) * (2 * $1 - 1) / (2 * $2) ))
    sleep 0.2
    xdotool click 1
}

# 弹幕 as the program last wrote it: 1 on (also when not written yet), 0 off.
session_comments_setting() {
    local value
    value=$(iconv -f GB18030 -t UTF-8 "$XDG_CONFIG_HOME/vamu/vamu.ini" 2>/dev/null | sed -n 's/^弹幕=//p' | tail -1 | tr -d '\r')
    echo "${value:-1}"
}

# session_radio_samples MINUTES CSV CHANGE_EVERY [COMMENTS_EVERY]: plays channel tile 1,
# then samples the program every minute into CSV for MINUTES minutes; every CHANGE_EVERY
# minutes the next tile (1..10 in turn) is clicked, and every COMMENTS_EVERY minutes
# (0: never) the comments go off for one minute, half-way between channel changes.
# Sets SESSION_ALIVE to yes or no (the program ended before the last sample).
session_radio_samples() {
    local minutes=$1 csv=$2 changeEvery=$3 commentsEvery=${4:-0} tile=1 minute wait songs lists title phase
    local offAt=$(( changeEvery / 2 ))
    session_click_tile 1
    echo "minute,seconds,pss_kib,pss_anon_kib,threads,fds,cpu_ticks,songs_requested,comment_requests,comments,tile,title" >"$csv"
    local started=$EPOCHREALTIME
    SESSION_ALIVE=yes
    for minute in $(seq 0 "$minutes"); do
        if [ "$minute" -gt 0 ]; then
            # Sleep to the minute mark of the run, not a minute after the previous sample.
            wait=$(awk -v s="$started" -v now="$EPOCHREALTIME" -v m="$minute" 'BEGIN { w = s + 60 * m - now; print (w > 0 ? w : 0) }')
            sleep "$wait"
        fi
        if ! kill -0 "$SESSION_VAMU_PID" 2>/dev/null; then SESSION_ALIVE=no; break; fi
        songs=$(grep -c 'GET /media/sound/' "$SESSION_DIR/service.log" || true)
        lists=$(grep -c 'GET /bullet/get' "$SESSION_DIR/service.log" || true)
        title=$(xdotool getwindowname "$SESSION_WINDOW" 2>/dev/null | tr ',' ' ' || true)
        printf '%d,%.1f,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s\n' "$minute" "$(awk -v s="$started" -v now="$EPOCHREALTIME" 'BEGIN { print now - s }')" \
            "$(pss_kib "$SESSION_VAMU_PID")" "$(pss_anon_kib "$SESSION_VAMU_PID")" "$(thread_count "$SESSION_VAMU_PID")" "$(fd_count "$SESSION_VAMU_PID")" \
            "$(cpu_ticks "$SESSION_VAMU_PID")" "$songs" "$lists" "$(session_comments_setting)" "$tile" "$title" >>"$csv"
        if [ "$minute" -eq 0 ] || [ "$minute" -ge "$minutes" ]; then continue; fi
        # Changes right after a sample, so that each sample sees a settled player.
        if [ $(( minute % changeEvery )) -eq 0 ]; then
            tile=$(( tile % 10 + 1 ))
            session_click_tile "$tile"
        fi
        if [ "$commentsEvery" -gt 0 ]; then
            phase=$(( minute % commentsEvery ))
            if [ "$phase" -eq "$offAt" ] && [ "$(session_comments_setting)" = 1 ]; then
                session_toggle_comments
            elif [ "$phase" -eq $(( offAt + 1 )) ] && [ "$(session_comments_setting)" = 0 ]; then
                session_toggle_comments
            fi
        fi
    done
}

# session_radio_summary CSV: PSS first/last/peak; the growth over the window (the last
# 60 minutes of a run of 90 minutes or more, else its second half) by the least-squares
# line across the window and by the means of three samples at its ends, the same for
# the anonymous part (the program's own memory, see pss_anon_kib); thread and
# descriptor ranges over the run and the window; processor share; songs and comment
# lists requested, with the longest stretch without a new song; and the budget: PSS and
# anonymous PSS growth <= 5 MiB per hour of window, no thread or descriptor count in the window above
# the highest before it.
session_radio_summary() {
    awk -F, -v hz="$(getconf CLK_TCK)" 'NR > 1 {
            n++; m[n] = $1; t[n] = $2; pss[n] = $3 / 1024; anon[n] = $4 / 1024; th[n] = $5; fd[n] = $6; cpu[n] = $7; songs[n] = $8; lists = $9
            if ($10 == 0) off++
            if (n == 1 || pss[n] > peak) peak = pss[n]
            if (n == 1 || anon[n] > anonPeak) anonPeak = anon[n]
        }
        # The growth of a[first..n] by the least-squares line; sets slope (MiB/h).
        function growthOf(a,    i, k, x, sx, sy, sxx, sxy) {
            k = sx = sy = sxx = sxy = 0
            for (i = first; i <= n; i++) { k++; x = t[i] / 3600; sx += x; sy += a[i]; sxx += x * x; sxy += x * a[i] }
            slope = k > 2 ? (k * sxy - sx * sy) / (k * sxx - sx * sx) : 0
            return slope * (t[n] - t[first]) / 3600
        }
        function range(a, from, to,    i) {
            lo = hi = a[from]
            for (i = from; i <= to; i++) { if (a[i] < lo) lo = a[i]; if (a[i] > hi) hi = a[i] }
        }
        function mean3(a, at,    i, s, k) { s = k = 0; for (i = at - 1; i <= at + 1; i++) if (i >= 1 && i <= n) { s += a[i]; k++ } return s / k }
        END {
            if (n < 2) { print "too few samples"; exit }
            window = m[n] - m[1] >= 90 ? 60 : (m[n] - m[1]) / 2
            first = n
            for (i = 1; i <= n; i++) if (m[i] >= m[n] - window) { first = i; break }
            printf "PSS MiB: first %.1f, last %.1f, peak %.1f; anonymous part: first %.1f, last %.1f, peak %.1f\n", \
                pss[1], pss[n], peak, anon[1], anon[n], anonPeak
            growth = growthOf(pss)
            printf "PSS growth over minutes %d..%d: %+.1f MiB by the least-squares line (%+.1f MiB/h), %+.1f MiB end to end\n", \
                m[first], m[n], growth, slope, mean3(pss, n) - mean3(pss, first)
            anonGrowth = growthOf(anon)
            printf "anonymous PSS growth over the same minutes: %+.1f MiB by the least-squares line (%+.1f MiB/h), %+.1f MiB end to end\n", \
                anonGrowth, slope, mean3(anon, n) - mean3(anon, first)
            range(th, 1, n); printf "threads %d..%d", lo, hi
            range(th, first, n); windowThreads = hi; printf " (window %d..%d)", lo, hi
            range(fd, 1, n); printf ", open descriptors %d..%d", lo, hi
            range(fd, first, n); windowFds = hi; printf " (window %d..%d)\n", lo, hi
            threadsFlat = fdsFlat = 1
            if (first > 1) {
                range(th, 1, first - 1); threadsFlat = windowThreads <= hi
                range(fd, 1, first - 1); fdsFlat = windowFds <= hi
            }
            stall = 0; since = m[1]
            for (i = 2; i <= n; i++) {
                if (songs[i] > songs[i - 1]) since = m[i]
                else if (m[i] - since > stall) stall = m[i] - since
            }
            printf "processor: %.2f %% of a core over %.0f s; songs requested: %d (longest stretch without a new one: %d min); comment lists requested: %d; samples with comments off: %d\n", \
                100 * (cpu[n] - cpu[1]) / hz / (t[n] - t[1]), t[n] - t[1], songs[n], stall, lists, off
            budget = 5 * window / 60
            printf "budget: PSS growth %s, anonymous PSS growth %s (<= %.1f MiB), threads %s, descriptors %s\n", \
                growth <= budget ? "ok" : "OVER", anonGrowth <= budget ? "ok" : "OVER", budget, \
                threadsFlat ? "flat" : "NEW HIGHS", fdsFlat ? "flat" : "NEW HIGHS"
        }' "$1"
}

# session_radio_plot CSV PNG: PSS and its anonymous part (MiB, left axis), threads and descriptors (right axis)
# by minute, the minutes with the comments off marked grey.
session_radio_plot() {
    command -v gnuplot >/dev/null || { echo "note: no gnuplot, no plot" >&2; return 0; }
    gnuplot <<PLOT
set terminal pngcairo size 1200,600 font ",10"
set output "$2"
set datafile separator ","
set title "vamu radio run: PSS (all and anonymous), threads and open descriptors"
set xlabel "minute"
set ylabel "PSS (MiB)"
set y2label "count"
set ytics nomirror
set y2tics
set grid
set key top left
plot "$1" using 1:(\$10 == 0 ? \$3 / 1024 : 1/0) with points pt 7 ps 1.5 lc rgb "#a0a0a0" title "comments off", \
     "" using 1:(\$3 / 1024) with linespoints pt 7 ps 0.5 lw 2 lc rgb "#d04040" title "PSS MiB", \
     "" using 1:(\$4 / 1024) with linespoints pt 7 ps 0.5 lw 2 lc rgb "#e09020" title "anonymous PSS MiB", \
     "" using 1:5 axes x1y2 with steps lw 1.5 lc rgb "#4060c0" title "threads", \
     "" using 1:6 axes x1y2 with steps lw 1.5 lc rgb "#40a040" title "open descriptors"
PLOT
}
