#!/usr/bin/env bash
# The toolkit gallery on a high-density screen: QT_SCALE_FACTOR=2 under Xvfb with a
# compositor, so host windows, their shadows and controls are drawn at twice the
# resolution (text and vector parts sharp, theme pictures from the 2x atlas).
#   1. gallery-2x.png          the gallery's main window and its round window
#   2. gallery-buttons-2x.png  the buttons page alone
# Both are the whole screen (1800 x 1100 device pixels).
# Usage: tools/screenshots/gallery_2x.sh [OUTPUT_DIR]   (default: screenshots/)
# Needs a built gallery (scripts/build default vamu-gallery), Xvfb, xcompmgr and
# ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/lib/session.sh

gallery=$SESSION_BUILD/tools/gallery/vamu-gallery
[ -x "$gallery" ] || { echo "missing $gallery: scripts/build default vamu-gallery" >&2; exit 1; }
out=${1:-screenshots}
mkdir -p "$out"
# Only the display is needed here, not the program and its service.
SESSION_DIR=$(mktemp -d /tmp/vamu-session-XXXXXX)
trap session_end EXIT
trap 'exit 130' INT TERM
session_xvfb 1800x1100 compositor
export QT_SCALE_FACTOR=2

shot() {
    local name=$1
    shift
    "$gallery" --no-open --quit-after 3000 "$@" 2>"$SESSION_DIR/gallery.log" &
    local program=$!
    sleep 2
    import -window root "$out/$name"
    wait "$program" || true
    echo "$out/$name"
}

shot gallery-2x.png
shot gallery-buttons-2x.png --page buttons
