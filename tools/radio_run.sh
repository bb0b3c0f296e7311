#!/usr/bin/env bash
# A long radio run (not part of CI): vamu plays the radio under Xvfb for MINUTES
# (default 30) while its PSS, threads, open descriptors and processor time are sampled
# every minute into a CSV; every CHANGE_EVERY minutes (default 7) a channel tile is
# clicked (tiles 1..10 in turn), as a listener would switch channels now and then.
#   tools/radio_run.sh [MINUTES] [CSV] [CHANGE_EVERY]
# CSV defaults to radio_run.csv. Audio goes to a private PulseAudio null sink when
# pulseaudio is installed. The service runs on loopback with the full catalogue kept in
# $VAMU_BUILD/bench-service. Prints a summary at the end (session_radio_summary in
# tools/lib/session.sh): PSS first/last/peak and its growth over the second half,
# thread and descriptor ranges, processor share, songs requested, and whether the
# program was still alive. tools/soak is the longer run that also switches comments.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

minutes=${1:-30}
csv=${2:-radio_run.csv}
changeEvery=${3:-7}
session_begin
session_xvfb 1280x800
session_pulse
session_service "$SESSION_BUILD/bench-service" --generator-threads 0 --log-requests
session_config
session_vamu
sleep 3
session_radio_samples "$minutes" "$csv" "$changeEvery"

echo "radio run: $minutes min planned, channel change every $changeEvery min, samples in $csv, vamu alive at the end: $SESSION_ALIVE"
session_radio_summary "$csv"
[ "$SESSION_ALIVE" = yes ]
