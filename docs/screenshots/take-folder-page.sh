#!/usr/bin/env bash
# Takes the screenshots of the folder page and of the folder dialog under a
# private Xvfb display, with a hive, home, configuration, runtime and temp
# folder of its own: two folders are added through the dialog, one is renamed
# through the list's menu, two entries are ticked. Nothing is cleaned, and
# "Windows Temp" (the real /tmp) is never ticked.
#
#   docs/screenshots/take-folder-page.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:58}

. "$here/shot-session.sh"
mkdir -p "$work/tmp" "$work/home/Bilder" "$work/home/Downloads" "$work/home/Musik" "$work/home/Projekte/Build"

# A first start with a German system: the window opens on the folder page.
LANG=de_DE.UTF-8 HOME="$work/home" FEGOLIN_REGISTRY="$work/registry.db" \
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" "$binary" -ns &
app=$!

gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  echo "window $1 stays" >&2
  exit 1
}


window=$(find_window '^Fegolin$')
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$Y
# Window coordinates of the add button and of the list's rows (16 pixels).
click_at() { xdotool mousemove $((left + $1)) $((top + $2)) click "$3"; }
row() { echo $((105 + 16 * $1)); }

# The dialog opens at the home folder: into Projekte, then Build.
click_at 100 75 1
dialog=$(find_window '^Ausgew.*Ordner:$')
xdotool key Right Down Down Down Down Right Down
crop "$dialog" folder-dialog
xdotool key Return
gone '^Ausgew.*Ordner:$'

# Downloads, the second folder of the home folder.
click_at 100 75 1
find_window '^Ausgew.*Ordner:$' >/dev/null
xdotool key Right Down Down Return
gone '^Ausgew.*Ordner:$'

# Rows now: Build, Downloads, User Temp, Windows Temp. Tick Build and the
# private User Temp, then rename Build through the list's menu.
click_at 19 "$(row 0)" 1
click_at 19 "$(row 2)" 1
click_at 80 "$(row 0)" 3
sleep 0.5
xdotool key Down Return
find_window '^Eintrag umbenennen$' >/dev/null
xdotool key ctrl+a
xdotool type --delay 30 "  Projekt Build mit einem langen Namen  "
xdotool key Return
gone '^Eintrag umbenennen$'
click_at 80 "$(row 1)" 1
xdotool mousemove 0 0
crop "$window" folder-page
