#!/usr/bin/env bash
# Takes the screenshots of the five pages of the main window under a
# private Xvfb display, with a hive, configuration and runtime folder of its
# own, so the user's settings are neither used nor changed.
#
#   docs/screenshots/take.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:57}

work=$(mktemp -d)
mkdir -p "$work/config" "$work/run"
chmod 700 "$work/run"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
sleep 2

# A first start: the window opens on the folder page by itself. A user
# temp folder apart from /tmp gives the list its second default entry;
# nothing is ticked, so nothing is cleaned.
FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR=/var/tmp "$binary" -ns &
app=$!
window=
for _ in $(seq 50); do
  window=$(xdotool search --onlyvisible --name '^Fegolin$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "no window" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$window"

shot() {
  sleep 1
  import -window root "$work/root.png"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$here/$1.png"
}

# Ctrl+Tab moves to the next page: folders, options, info, help, status.
shot 2-verzeichnis
for page in 3-optionen 4-info 5-hilfe 1-status; do
  xdotool key --window "$window" ctrl+Tab
  shot "$page"
done
