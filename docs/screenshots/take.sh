#!/usr/bin/env bash
# Takes the screenshots of the five pages of the main window, the splash
# and the welcome tips under a private Xvfb display, with a hive,
# configuration and runtime folder of its own, so the user's settings are
# neither used nor changed.
#
#   docs/screenshots/take.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:57}

. "$here/shot-session.sh"

# A first start: the window opens on the folder page by itself. A user
# temp folder apart from /tmp gives the list its second default entry;
# nothing is ticked, so nothing is cleaned.
FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR=/var/tmp "$binary" -ns &
app=$!
wait_for_main_window 10
xdotool windowfocus --sync "$window"

shot() { crop "$window" "$1"; }

# Ctrl+Tab moves to the next page: folders, options, info, help, status.
shot 2-verzeichnis
for page in 3-optionen 4-info 5-hilfe 1-status; do
  xdotool key --window "$window" ctrl+Tab
  shot "$page"
  if [ "$page" = 4-info ]; then
    # At this size the Info page scrolls: the credits at its end.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 200)) $((Y + 150)) click --repeat 10 5
    xdotool mousemove 0 0
    shot 4-info-unten
  fi
done

# Start-up: the splash of an ordinary start, then the welcome tips of a
# start with "Show Tipps on Startup" on. Each in a hive of its own.
kill "$app"
wait "$app" 2>/dev/null || true
app=

# The mapped window titled "Fegolin" (or $2) with the size $1 (or any
# size), once it shows. From the window tree: xdotool does not list the
# splash.
wait_for_window() {
  local id
  for _ in $(seq 50); do
    id=$(xwininfo -root -tree | awk -v title="\"${2:-Fegolin}\":" -v size="${1}+" \
      '$2 == title && (size == "any+" || index($0, " " size) > 0) { print $1 }' | while read -r w; do
      xwininfo -id "$w" | grep -q 'Map State: IsViewable' && echo "$w"
    done | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  echo "no window ${2:-Fegolin} of size $1" >&2
  exit 1
}

start_fresh() {
  rm -f "$work/registry.db"
  if [ -n "${1:-}" ]; then
    FEGOLIN_REGISTRY="$work/registry.db" "$binary" --reg-import "$1"
  fi
  FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/run" TMPDIR=/var/tmp "$binary" &
  app=$!
}

start_fresh
window=$(wait_for_window 306x206)
shot 6-splash
kill "$app"
wait "$app" 2>/dev/null || true

printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\r\n"Show Splash"=dword:00000000\r\n"Show Tipps on Startup"=dword:00000001\r\n' \
  >"$work/tips.reg"
start_fresh "$work/tips.reg"
window=$(wait_for_window any Willkommen)
shot 7-tipps
