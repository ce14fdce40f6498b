#!/usr/bin/env bash
# Takes the pictures of Fegolin away from an X11 notification area, each in
# a hive, configuration and runtime folder of its own, so the user's
# settings are neither used nor changed:
#
#   wayland-weston.png   a first start as a native Wayland client of headless
#                        weston, in weston's own screenshot
#   no-tray-taskbar.png  a later start on an X desktop with a task bar and no
#                        notification area (openbox and tint2): the window
#                        shows by itself and has its entry on the task bar
#
#   docs/screenshots/take-desktops.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=$(realpath "${1:-"$here/../../build/app/fegolin"}")
display=${FEGOLIN_SHOT_DISPLAY:-:58}

"$here/../../scripts/install-deps.sh" weston qt6-wayland xvfb openbox tint2 imagemagick x11-utils

# Short: the sockets in the runtime folder must fit a socket address.
work=$(mktemp -d /tmp/fegolin-shots-XXXXXX)
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A user temp folder apart from /tmp gives the list its second default
# entry; nothing is ticked, so nothing is cleaned.
session() { # NAME: the environment of one private session
  mkdir -p "$work/$1/config"
  echo FEGOLIN_REGISTRY="$work/$1/registry.db" XDG_CONFIG_HOME="$work/$1/config" XDG_RUNTIME_DIR="$work" \
    TMPDIR=/var/tmp
}

# --- Wayland: headless weston, a first start ---------------------------------
(cd "$work" && XDG_RUNTIME_DIR="$work" exec weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 \
  --socket=wayland-shots --idle-time=0 --no-config --debug) >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$work/wayland-shots" ] && break; sleep 0.1; done
env -u DISPLAY $(session wayland) WAYLAND_DISPLAY=wayland-shots QT_QPA_PLATFORM=wayland \
  "$binary" -ns >"$work/wayland.log" 2>&1 &
wayland_app=$!
pids+=($wayland_app)
sleep 3
(cd "$work" && rm -f wayland-screenshot-*.png &&
  env XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY=wayland-shots weston-screenshooter)
mv "$work"/wayland-screenshot-*.png "$here/wayland-weston.png"
# Gone before the next start, which would otherwise find it running and
# bring it forward instead.
kill "$wayland_app"
wait "$wayland_app" 2>/dev/null || true

# --- X11 with a task bar and no notification area: a later start ----------
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
cat >"$work/tint2rc" <<'EOF'
# A task bar and a clock; no system tray.
rounded = 0
border_width = 0
background_color = #202020 100
border_color = #202020 100
rounded = 0
border_width = 1
background_color = #404040 100
border_color = #808080 100
panel_items = TC
panel_size = 100% 30
panel_position = bottom center horizontal
panel_background_id = 1
taskbar_mode = single_desktop
task_text = 1
task_icon = 1
task_maximum_size = 200 30
task_background_id = 0
task_active_background_id = 2
task_font_color = #ffffff 100
task_active_font_color = #ffffff 100
time1_format = %H:%M
clock_font_color = #ffffff 100
EOF
tint2 -c "$work/tint2rc" >/dev/null 2>&1 &
pids+=($!)
sleep 1
env $(session x11) "$binary" --reg-import <(printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"Show Splash"=dword:00000000\r\n' \
  '[HKEY_CURRENT_USER\Software\Norvalt\Fegolin]')
env $(session x11) QT_QPA_PLATFORM=xcb "$binary" >"$work/x11.log" 2>&1 &
pids+=($!)
# A late panel's chance, then the window.
sleep 5
import -window root "$here/no-tray-taskbar.png"
