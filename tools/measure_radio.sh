#!/usr/bin/env bash
# Processor and memory of vamu playing the radio with its main window shown, and of
# `mpv --no-video` playing the same song as a reference.
#   tools/measure_radio.sh [SECONDS]     (default 60 per player)
# Under Xvfb, both players write to a private PulseAudio null sink (when pulseaudio is
# installed). vamu starts against a vamu-service on loopback (full catalogue, kept in
# $VAMU_BUILD/bench-service so its songs are made once), the first channel tile is
# clicked, and after 5 s of settling the process is measured for SECONDS: processor
# time from /proc/PID/stat (utime + stime) over the wall time, PSS from
# /proc/PID/smaps_rollup every 5 s (mean and peak). mpv then plays the song vamu was
# playing when its measurement began, looped, and is measured the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

seconds=${1:-60}
ticksPerSecond=$(getconf CLK_TCK)
session_begin
session_xvfb 1280x800
session_pulse
session_service "$SESSION_BUILD/bench-service" --generator-threads 0 --log-requests
session_config

# measure PID SECONDS: prints "cpu% pssMeanMiB pssPeakMiB"
measure() {
    local pid=$1 duration=$2 start end ticks0 ticks1 sum=0 count=0 peak=0 pss _
    start=$EPOCHREALTIME
    ticks0=$(cpu_ticks "$pid")
    for _ in $(seq 1 $(( duration / 5 ))); do
        sleep 5
        pss=$(pss_kib "$pid")
        sum=$(( sum + pss )); count=$(( count + 1 ))
        [ "$pss" -gt "$peak" ] && peak=$pss
    done
    ticks1=$(cpu_ticks "$pid")
    end=$EPOCHREALTIME
    awk -v t="$(( ticks1 - ticks0 ))" -v hz="$ticksPerSecond" -v s="$start" -v e="$end" -v sum="$sum" -v n="$count" -v peak="$peak" \
        'BEGIN { printf "%.2f %.1f %.1f\n", 100 * t / hz / (e - s), sum / n / 1024, peak / 1024 }'
}

lastSong() { grep -o 'GET /media/sound/[^ ]*' "$SESSION_DIR/service.log" | tail -1 | cut -d' ' -f2; }

session_vamu
sleep 3  # the channel grid
session_click_tile 1
sleep 5
song=$(lastSong)
[ -n "$song" ] || { echo "vamu requested no song" >&2; cat "$SESSION_DIR/vamu.log" >&2; exit 1; }
thread_stats "$SESSION_VAMU_PID" >"$SESSION_DIR/threads0"
read -r vamuCpu vamuPss vamuPeak < <(measure "$SESSION_VAMU_PID" "$seconds")
thread_stats "$SESSION_VAMU_PID" >"$SESSION_DIR/threads1"
songs=$(grep -c 'GET /media/sound/' "$SESSION_DIR/service.log")
title=$(xdotool getwindowname "$SESSION_WINDOW")
kill "$SESSION_VAMU_PID"; wait "$SESSION_VAMU_PID" 2>/dev/null || true

mpv --no-config --no-video --no-terminal --ao=pulse --loop-file=inf "$SESSION_API$song" >"$SESSION_DIR/mpv.log" 2>&1 &
SESSION_PIDS+=($!)
mpvPid=$!
sleep 5
read -r mpvCpu mpvPss mpvPeak < <(measure "$mpvPid" "$seconds")

echo "radio playback, ${seconds} s each, after 5 s of settling; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "vamu: first channel tile, $songs song(s) requested, window title at the end: $title"
echo "mpv:  $song looped, audio output ${PULSE_SERVER:+pulse null sink}"
printf '%-28s %12s %14s %14s\n' "" "CPU % core" "PSS mean MiB" "PSS peak MiB"
printf '%-28s %12s %14s %14s\n' "vamu (window shown)" "$vamuCpu" "$vamuPss" "$vamuPeak"
printf '%-28s %12s %14s %14s\n' "mpv --no-video" "$mpvCpu" "$mpvPss" "$mpvPeak"
printf "vamu's "; thread_report "$SESSION_DIR/threads0" "$SESSION_DIR/threads1" "$seconds"
