#!/usr/bin/env bash
# Processor and memory of vamu while a song with many comments plays and they drift
# across the strip, the main window hidden (closed to the tray), under Xvfb with a
# compositor and a system tray (trayer).
#   tools/measure_comments.sh [SECONDS] [MIN_COMMENTS]   (defaults 60 and 120)
#   VAMU_PACING=1 tools/measure_comments.sh ...   also the strip's frame pacing (every
#       frame is then logged, which costs a little); QT_SCALE_FACTOR=2 for ratio 2
# The longest song of the service's hot list with at least MIN_COMMENTS comments is
# played by id (a vamu: link). The main window is then closed with 最小化 = 1, so it hides, and after
# 5 s of settling the process is measured for SECONDS: processor time from
# /proc/PID/stat over the wall time, PSS from /proc/PID/smaps_rollup every second (mean
# and peak, avatars included: they arrive in the first seconds), and each thread's share
# and wake-ups. Then mpv plays the same song for SECONDS as the reference.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

seconds=${1:-60}
minComments=${2:-120}
ticksPerSecond=$(getconf CLK_TCK)
session_begin
session_xvfb 1920x1080 compositor
session_pulse
session_service "$SESSION_BUILD/bench-service" --generator-threads 0 --log-requests
session_config
printf '最小化=1\n' | iconv -f UTF-8 -t GB18030 >>"$XDG_CONFIG_HOME/vamu/vamu.ini"

# The longest song of the hot list with at least MIN_COMMENTS comments, played by id
# through a vamu: link (it then repeats, and its comments start again each time).
song=$(for page in 1 2 3 4 5; do curl -s "$SESSION_API/sound/hot?page=$page&limit=20"; echo; done | python3 -c "
import json, sys
best = None
for line in sys.stdin:
    if not line.strip(): continue
    for s in json.loads(line).get('result', {}).get('data', []):
        if s['comment_count'] >= $minComments and (best is None or s['duration'] > best[1]):
            best = (s['id'], s['duration'], s['comment_count'])
print(*best if best else ())")
read -r songId duration count <<<"$song"
# A tray for the program's icon: without one the close button only minimises.
command -v trayer >/dev/null || { echo "needs trayer (a system tray) for the hidden window" >&2; exit 1; }
trayer --edge bottom --align right --widthtype request --height 24 >"$SESSION_DIR/trayer.log" 2>&1 &
SESSION_PIDS+=($!)
sleep 0.5
[ -n "${songId:-}" ] || { echo "no song with $minComments comments in the hot list" >&2; exit 1; }
[ "${VAMU_PACING:-}" = 1 ] && export VAMU_TRACE_FRAMES=1
session_vamu "vamu:song/$songId"
session_main_window
for _ in $(seq 1 100); do grep -q '/bullet/get' "$SESSION_DIR/service.log" && break; sleep 0.1; done
grep -q '/bullet/get' "$SESSION_DIR/service.log" || { echo "vamu asked for no comments" >&2; exit 1; }

# The close button is the rightmost caption button, at the window's top right corner.
eval "$(xdotool getwindowgeometry --shell "$SESSION_WINDOW")"
xdotool mousemove $(( X + WIDTH - 12 )) $(( Y + 8 )) click 1
sleep 2
if xwininfo -id "$SESSION_WINDOW" | grep -q 'IsViewable'; then
    echo "the main window did not hide" >&2
    exit 1
fi
sleep 5

pid=$SESSION_VAMU_PID
# VAMU_PERF=FILE: also records where the processor time goes (perf report -i FILE).
if [ -n "${VAMU_PERF:-}" ]; then
    perf record -q -F ${VAMU_PERF_RATE:-499} --call-graph dwarf,16384 -p "$pid" -o "$VAMU_PERF" -- sleep "$seconds" >/dev/null 2>&1 &
fi
thread_stats "$pid" >"$SESSION_DIR/threads0"
framesFrom=$(wc -l <"$SESSION_DIR/vamu.log")
start=$EPOCHREALTIME
ticks0=$(cpu_ticks "$pid")
sum=0 n=0 peak=0
for _ in $(seq 1 "$seconds"); do
    sleep 1
    pss=$(pss_kib "$pid")
    sum=$(( sum + pss )); n=$(( n + 1 ))
    [ "$pss" -gt "$peak" ] && peak=$pss
done
ticks1=$(cpu_ticks "$pid")
end=$EPOCHREALTIME
thread_stats "$pid" >"$SESSION_DIR/threads1"
framesTo=$(wc -l <"$SESSION_DIR/vamu.log")
kill -0 "$pid" || { echo "vamu ended during the measurement" >&2; exit 1; }
strip=$(xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null | wc -l)
kill "$pid"; wait "$pid" 2>/dev/null || true

# The reference: mpv playing the same song for as long, to the same sound server.
mpv --no-config --no-video --no-terminal --ao=pulse --loop-file=inf "$SESSION_API/media/sound/$songId.mp3" \
    >"$SESSION_DIR/mpv.log" 2>&1 &
SESSION_PIDS+=($!)
mpvPid=$!
sleep 5
mpvTicks0=$(cpu_ticks "$mpvPid"); mpvStart=$EPOCHREALTIME
sleep "$seconds"
mpvTicks1=$(cpu_ticks "$mpvPid"); mpvEnd=$EPOCHREALTIME

echo "comments while playing, main window hidden, ${seconds} s after 5 s of settling; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "song $songId ($duration s, repeating) with $count comments; windows still shown: $strip (the comment strip)"
awk -v t="$(( ticks1 - ticks0 ))" -v hz="$ticksPerSecond" -v s="$start" -v e="$end" -v sum="$sum" -v n="$n" -v peak="$peak" \
    'BEGIN { printf "CPU %.2f %% of a core, PSS mean %.1f MiB, peak %.1f MiB\n", 100 * t / hz / (e - s), sum / n / 1024, peak / 1024 }'
awk -v t="$(( mpvTicks1 - mpvTicks0 ))" -v hz="$ticksPerSecond" -v s="$mpvStart" -v e="$mpvEnd" \
    'BEGIN { printf "mpv --no-video on the same song: CPU %.2f %% of a core\n", 100 * t / hz / (e - s) }'
printf "vamu's "; thread_report "$SESSION_DIR/threads0" "$SESSION_DIR/threads1" "$seconds"
if [ "${VAMU_PACING:-}" = 1 ]; then
    # The strip is the window with the most frames; the intervals between its frames.
    sed -n "$(( framesFrom + 1 )),${framesTo}p" "$SESSION_DIR/vamu.log" | awk '$2 == "frame" { print $3, $4 }' >"$SESSION_DIR/frames"
    strip=$(cut -d' ' -f1 "$SESSION_DIR/frames" | sort | uniq -c | sort -n -r | awk 'NR == 1 { print $2 }')
    awk -v w="$strip" '$1 == w { if (seen) print $2 - last; last = $2; seen = 1 }' "$SESSION_DIR/frames" | sort -g |
        awk '{ d[NR] = $1; if ($1 > 45) over++ }
             END { if (NR == 0) { print "no frames logged"; exit }
                   p = int(NR * 0.99); if (p < 1) p = 1
                   printf "strip frames %d, interval median %.1f ms, 99th percentile %.1f ms, worst %.1f ms, over 45 ms: %d\n",
                          NR + 1, d[int((NR + 1) / 2)], d[p], d[NR], over }'
fi
