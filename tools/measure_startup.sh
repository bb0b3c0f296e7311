#!/usr/bin/env bash
# Cold start of vamu to its main window's first present, with the service already running.
#   tools/measure_startup.sh [RUNS] [offscreen]      (default 20 runs under Xvfb)
# Each run is a new process started by this script; the program's start-up probe
# (VAMU_TRACE_STARTUP=1, see bench/README.md) prints the Unix time of the first present
# and ends the program (VAMU_EXIT_AFTER_FIRST_PRESENT=1). The figure is that time less the
# time taken just before the process was started, so it includes loading the program
# and its libraries. Settings and the file cache are warm after the first run (reported
# apart); the figures are of the runs after it. Prints median, p90, min and max.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib/session.sh

runs=${1:-20}
platform=${2:-xcb}
session_begin
if [ "$platform" = offscreen ]; then export QT_QPA_PLATFORM=offscreen; else session_xvfb 1280x800; fi
session_pulse  # the engine opens its audio output before the window shows, as on a desktop
session_service "$SESSION_DIR/service" --small-catalogue --generator-threads 0
session_config

startOnce() {
    local started line
    started=$EPOCHREALTIME
    line=$(VAMU_TRACE_STARTUP=1 VAMU_EXIT_AFTER_FIRST_PRESENT=1 "$SESSION_BUILD/src/app/vamu" 2>&1 |
           grep -m1 'first present at' || true)
    [ -n "$line" ] || { echo "run without a first present" >&2; return 1; }
    awk -v line="$line" -v started="$started" 'BEGIN {
        split(line, w, " "); printf "%.1f %s\n", (w[5] - started) * 1000, w[7] }'
}

first=$(startOnce)
samples=()
inProcess=()
for _ in $(seq 1 "$runs"); do
    read -r total afterMain < <(startOnce)
    samples+=("$total")
    inProcess+=("$afterMain")
done

stats() {  # median p90 min max of the arguments
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        i = int(0.9 * NR + 0.999999); if (i < 1) i = 1
        printf "%8.1f %8.1f %8.1f %8.1f", m, v[i], v[1], v[NR] }'
}
echo "cold start to the first present ($runs runs, platform $platform; first run $(echo "$first" | cut -d' ' -f1) ms apart)"
printf '%-34s %8s %8s %8s %8s\n' "" median p90 min max
printf '%-34s %s\n' "process start -> first present (ms)" "$(stats "${samples[@]}")"
printf '%-34s %s\n' "main() -> first present (ms)" "$(stats "${inProcess[@]}")"
