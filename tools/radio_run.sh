#!/usr/bin/env bash
# A long radio run (not part of CI): vamu plays the radio under Xvfb for MINUTES
# (default 30) while its PSS, threads, open descriptors and processor time are sampled
# every minute into a CSV; every CHANGE_EVERY minutes (default 7) a channel tile is
# clicked (tiles 1..10 in turn), as a listener would switch channels now and then.
#   tools/radio_run.sh [MINUTES] [CSV] [CHANGE_EVERY]
# CSV defaults to radio_run.csv. Audio goes to a private PulseAudio null sink when
# pulseaudio is installed. The service runs on loopback with the full catalogue kept in
# $VAMU_BUILD/bench-service. Prints a summary at the end: PSS first/last/peak and
# its trend per hour over the second half, thread and descriptor ranges, processor share,
# songs requested, and whether the program was still alive. The trend needs 10 minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

minutes=${1:-30}
csv=${2:-radio_run.csv}
changeEvery=${3:-7}
ticksPerSecond=$(getconf CLK_TCK)
session_begin
session_xvfb 1280x800
session_pulse
session_service "$SESSION_BUILD/bench-service" --generator-threads 0 --log-requests
session_config
session_vamu
sleep 3
session_click_tile 1
tile=1
echo "minute,seconds,pss_kib,threads,fds,cpu_ticks,songs_requested,tile,title" >"$csv"

started=$EPOCHREALTIME
alive=yes
for minute in $(seq 0 "$minutes"); do
    if [ "$minute" -gt 0 ]; then
        # Sleep to the minute mark of the run, not a minute after the previous sample.
        wait=$(awk -v s="$started" -v now="$EPOCHREALTIME" -v m="$minute" 'BEGIN { w = s + 60 * m - now; print (w > 0 ? w : 0) }')
        sleep "$wait"
    fi
    if ! kill -0 "$SESSION_VAMU_PID" 2>/dev/null; then alive=no; break; fi
    songs=$(grep -c 'GET /media/sound/' "$SESSION_DIR/service.log" || true)
    title=$(xdotool getwindowname "$SESSION_WINDOW" 2>/dev/null | tr ',' ' ' || true)
    printf '%d,%.1f,%s,%s,%s,%s,%s,%s,%s\n' "$minute" "$(awk -v s="$started" -v now="$EPOCHREALTIME" 'BEGIN { print now - s }')" \
        "$(pss_kib "$SESSION_VAMU_PID")" "$(thread_count "$SESSION_VAMU_PID")" "$(fd_count "$SESSION_VAMU_PID")" \
        "$(cpu_ticks "$SESSION_VAMU_PID")" "$songs" "$tile" "$title" >>"$csv"
    # A change of channel right after a sample, so that each sample sees a settled player.
    if [ "$minute" -gt 0 ] && [ $(( minute % changeEvery )) -eq 0 ] && [ "$minute" -lt "$minutes" ]; then
        tile=$(( tile % 10 + 1 ))
        session_click_tile "$tile"
    fi
done

echo "radio run: $minutes min planned, channel change every $changeEvery min, samples in $csv, vamu alive at the end: $alive"
awk -F, -v hz="$ticksPerSecond" 'NR > 1 {
        n++; m[n] = $1; t[n] = $2; pss[n] = $3; th[n] = $4; fd[n] = $5; cpu[n] = $6; songs = $7
        if (n == 1 || $3 > peak) peak = $3
        if (n == 1 || $4 < thMin) thMin = $4; if (n == 1 || $4 > thMax) thMax = $4
        if (n == 1 || $5 < fdMin) fdMin = $5; if (n == 1 || $5 > fdMax) fdMax = $5
    }
    END {
        if (n < 2) { print "too few samples"; exit }
        printf "PSS MiB: first %.1f, last %.1f, peak %.1f", pss[1] / 1024, pss[n] / 1024, peak / 1024
        # The trend: a least-squares slope over the second half, once there are enough
        # samples for the song-to-song swings to even out.
        if (n >= 11) {
            half = int((n + 1) / 2); k = 0; sx = sy = sxx = sxy = 0
            for (i = half; i <= n; i++) { k++; x = t[i] / 3600; y = pss[i] / 1024; sx += x; sy += y; sxx += x * x; sxy += x * y }
            printf "; trend over the second half %+.1f MiB/h\n", (k * sxy - sx * sy) / (k * sxx - sx * sx)
        } else {
            printf "; too short a run for a trend\n"
        }
        printf "threads %d..%d, open descriptors %d..%d\n", thMin, thMax, fdMin, fdMax
        printf "processor: %.2f %% of a core over %.0f s; songs requested: %d\n", 100 * (cpu[n] - cpu[1]) / hz / (t[n] - t[1]), t[n] - t[1], songs
    }' "$csv"
[ "$alive" = yes ]
