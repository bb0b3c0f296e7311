#!/usr/bin/env bash
# Installs the build tree given as $1 into a temporary prefix and checks what lands there.
set -uo pipefail
build=${1:?usage: install_test.sh BUILD_DIR}
prefix=$(mktemp -d "${TMPDIR:-/tmp}/vamu-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log"; rm -f "$prefix.log"
  echo "FAIL: cmake --install (are vamu and vamu-service built?)"
  exit 1
fi
rm -f "$prefix.log"

for program in vamu vamu-service; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an installed program"
done

# Only what users need: the two programs, the desktop entry and the icons.
unexpected=$(cd "$prefix" && find . -type f | sort | grep -v -E \
  '^\./bin/vamu$|^\./bin/vamu-service$|^\./share/applications/vamu\.desktop$|^\./share/icons/hicolor/([0-9]+x[0-9]+/apps/vamu\.png|scalable/apps/vamu\.svg)$')
[ -z "$unexpected" ] || fail "installed but not for users: $unexpected"

# Each picture is the size its folder names (width and height from the PNG header).
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/vamu.png"
  if [ ! -f "$icon" ]; then fail "no ${size}x${size} icon"; continue; fi
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "${size}x${size} icon is no PNG"
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "${size}x${size} icon is $(png_size "$icon")"
done
svg="$prefix/share/icons/hicolor/scalable/apps/vamu.svg"
if [ -f "$svg" ]; then
  grep -q '<svg ' "$svg" && grep -q '</svg>' "$svg" || fail "vamu.svg is no SVG document"
else
  fail "no scalable icon"
fi

entry="$prefix/share/applications/vamu.desktop"
if [ -f "$entry" ]; then
  for line in 'Type=Application' 'Name=vamu' 'Exec=vamu %u' 'Icon=vamu' 'MimeType=x-scheme-handler/vamu;' \
              'StartupWMClass=vamu' 'Categories=AudioVideo;Audio;Player;'; do
    grep -qxF "$line" "$entry" || fail "vamu.desktop lacks '$line'"
  done
  grep -q '^Comment=' "$entry" && grep -q '^Comment\[zh_CN\]=' "$entry" || fail "vamu.desktop lacks a Comment"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses vamu.desktop"
  else
    echo "desktop-file-validate is missing (Debian package desktop-file-utils): the entry is not validated"
  fi
else
  fail "no share/applications/vamu.desktop"
fi

# The installed program's first start puts the installed entry on the desktop, starting
# the installed program by its path.
if [ -x "$prefix/bin/vamu" ] && [ -f "$entry" ]; then
  home="$prefix/home"
  mkdir -p "$home/Desktop"
  env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$prefix/bin/vamu" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 200); do
    [ -f "$home/Desktop/vamu.desktop" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  launcher="$home/Desktop/vamu.desktop"
  if [ -f "$launcher" ]; then
    grep -qxF "Exec=\"$prefix/bin/vamu\" %u" "$launcher" || fail "the launcher does not start the installed program: $(grep '^Exec=' "$launcher")"
    grep -q '^Comment\[zh_CN\]=' "$launcher" || fail "the launcher is not the installed entry"
    [ -f "$home/.local/share/icons/hicolor/128x128/apps/vamu.png" ] || fail "the launcher's icon was not copied"
    if command -v desktop-file-validate >/dev/null; then
      desktop-file-validate "$launcher" || fail "desktop-file-validate refuses the desktop launcher"
    fi
  else
    fail "the installed program's first start made no desktop launcher"
  fi
fi

[ "$failures" -eq 0 ] && echo "install layout: all checks passed"
exit $((failures > 0))
