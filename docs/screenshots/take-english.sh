#!/usr/bin/env bash
# Takes the five pages of the main window with the language set to English
# under a private Xvfb display, with a hive, configuration and runtime folder
# of its own, so the user's settings are neither used nor changed.
#
#   docs/screenshots/take-english.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:58}

. "$here/shot-session.sh"

# English (Language 1), no splash. The display has no notification area,
# so the window shows by itself, on the Info page, once the program has
# given a late panel its chance.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\r\n"Language"=dword:00000001\r\n"Show Splash"=dword:00000000\r\n' \
  >"$work/english.reg"
FEGOLIN_REGISTRY="$work/registry.db" "$binary" --reg-import "$work/english.reg"
FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR=/var/tmp "$binary" &
app=$!
wait_for_main_window 20
xdotool windowfocus --sync "$window"

# Ctrl+Tab moves to the next page: info, help, status, folders, options.
crop "$window" en-4-info
for page in en-5-help en-1-status en-2-folders en-3-options; do
  xdotool key --window "$window" ctrl+Tab
  crop "$window" "$page"
done
