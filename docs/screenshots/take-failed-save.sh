#!/usr/bin/env bash
# Takes the picture of the window after a save that failed: the hive lives
# on a small file system of its own, which is filled up before "Speichern"
# is pressed, as a full disk would be. Needs root, for the mount; the hive,
# configuration, runtime and temp folders are the script's own.
#
#   docs/screenshots/take-failed-save.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:59}

. "$here/shot-session.sh"
disk="$work/disk"
mkdir -p "$disk" "$work/tmp"
mount -t tmpfs -o size=1m tmpfs "$disk"
trap 'kill "$app" 2>/dev/null || true; sleep 0.5; umount "$disk" 2>/dev/null || true; cleanup' EXIT

# A first start: the window opens on the folder page.
FEGOLIN_REGISTRY="$disk/registry.db" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" "$binary" -ns &
app=$!
wait_for_main_window 10
eval "$(xdotool getwindowgeometry --shell "$window")"

# Tick "User Temp" (the script's own temp folder; nothing is cleaned), fill
# the disk, then press "Speichern".
xdotool mousemove $((X + 19)) $((Y + 105)) click 1
dd if=/dev/zero of="$disk/fill" bs=4k 2>/dev/null || true
xdotool mousemove $((X + 400)) $((Y + 75)) click 1
xdotool mousemove 0 0
crop "$window" save-failed
