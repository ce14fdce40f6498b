#!/usr/bin/env bash
# Takes the pictures of Fegolin at two device pixels per point
# (QT_SCALE_FACTOR=2), as on a 4K screen at 200 %, under a private Xvfb
# display with a hive, configuration and runtime folder of its own:
#
#   scale2-verzeichnis.png  the folder page: action images, check list glyphs
#   scale2-info.png         the Info page with its picture
#   scale2-status.png       the Status page
#   scale2-splash.png       the splash of an ordinary start
#   scale2-tray.png         the icon in a notification area (trayer) 44
#                           pixels high
#
#   docs/screenshots/take-scale2.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:59}
export FEGOLIN_SHOT_SCREEN=2048x1536x24

. "$here/shot-session.sh"
export QT_SCALE_FACTOR=2

# Two folders of the scratch tree on the list, one of them ticked, so the
# list shows both glyph cells; no splash. Nothing in them to clean.
mkdir -p "$work/Cache" "$work/Temp"
cat >"$work/list.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]
"Show Splash"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]
"Display Name 0"="Cache"
"Directory 0"="$work/Cache/"
"State 0"=dword:00000001
"Display Name 1"="Temp"
"Directory 1"="$work/Temp/"
"State 1"=dword:00000000
REG
env FEGOLIN_REGISTRY="$work/registry.db" "$binary" --reg-import "$work/list.reg"

start() {
  FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/run" TMPDIR=/var/tmp "$binary" "$@" &
  app=$!
}

# No notification area here: the window shows by itself after a few seconds.
start
wait_for_main_window 20
xdotool windowfocus --sync "$window"

# A later start opens on the Info page; Ctrl+Tab moves to the next page:
# help, status, folders.
crop "$window" scale2-info
next_page() { xdotool key --window "$window" ctrl+Tab; sleep 0.5; }
next_page
next_page
crop "$window" scale2-status
next_page
crop "$window" scale2-verzeichnis
kill "$app"
wait "$app" 2>/dev/null || true
app=

# The splash of an ordinary start: 306 x 206 points, 612 x 412 pixels.
rm -f "$work/registry.db"
start
for _ in $(seq 50); do
  splash=$(xwininfo -root -tree | awk '$2 == "\"Fegolin\":" && index($0, " 612x412+") > 0 { print $1 }' | head -n 1)
  [ -n "$splash" ] && break
  sleep 0.1
done
[ -n "$splash" ] || { echo "no splash" >&2; exit 1; }
crop "$splash" scale2-splash
kill "$app"
wait "$app" 2>/dev/null || true
app=

# The icon in the notification area of a panel 22 points high.
trayer --edge top --align right --widthtype request --height 44 --SetDockType true >/dev/null 2>&1 &
trayer_pid=$!
trap 'kill "$trayer_pid" 2>/dev/null || true; cleanup' EXIT
sleep 2
start -ns
sleep 5
panel=$(xdotool search --name '^panel$' | head -n 1)
crop "$panel" scale2-tray
