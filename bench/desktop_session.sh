# A private X desktop for the benchmarks that run the windowed program,
# sourced by them (bash). Xvfb on a free display and trayer as the
# notification area; the program gets configuration, runtime, temp and home
# folders and a registry hive of its own below the benchmark's scratch
# folder, and nothing of the surrounding desktop (no session bus, no
# Wayland): its icon goes into trayer through the X embedding protocol.
#
#   source bench/desktop_session.sh
#   desktop_start "$scratch"          # exports DISPLAY, FEGOLIN_REGISTRY, ...
#   ... desktop_icon_shown ...
#   desktop_stop                      # also from an EXIT trap
#
# Needs Xvfb, trayer, xdotool and xwininfo (xvfb, trayer, xdotool,
# x11-utils in scripts/install-deps.sh).

desktop_xvfb_pid=
desktop_tray_pid=
desktop_panel=

desktop_fail() {
  echo "desktop session: $*" >&2
  exit 1
}

# Microseconds since the epoch, without starting a process.
desktop_usec() {
  echo "${EPOCHREALTIME//[.,]/}"
}

# Polls the command until it succeeds; false after `seconds`.
desktop_wait() {
  local deadline=$(($(desktop_usec) + $1 * 1000000))
  shift
  until "$@"; do
    (($(desktop_usec) < deadline)) || return 1
    sleep 0.005
  done
}

desktop_viewable() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# trayer's panel window, once it shows.
desktop_find_panel() {
  desktop_panel=$(xwininfo -root -tree 2>/dev/null |
    awk '/"panel": \("panel" "trayer"\)/ { print $1; exit }')
  [[ -n "$desktop_panel" ]] && desktop_viewable "$desktop_panel"
}

desktop_start() {
  local scratch=$1
  local home=$scratch/desktop
  mkdir -p "$home"/{config,home,tmp,logs}
  # Socket paths must fit into 108 bytes: the runtime folder lives in /tmp.
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/fegolin-bench-XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER QT_QPA_PLATFORMTHEME \
    DESKTOP_SESSION XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
  export XDG_RUNTIME_DIR XDG_CONFIG_HOME=$home/config HOME=$home/home TMPDIR=$home/tmp
  export FEGOLIN_REGISTRY=$home/registry.db QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1

  # Xvfb writes the display number it chose to descriptor 3 once it
  # takes connections.
  : >"$home/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -dpi 96 -noreset \
    3>"$home/display" >"$home/logs/xvfb.log" 2>&1 &
  desktop_xvfb_pid=$!
  desktop_wait 15 grep -q . "$home/display" || desktop_fail "Xvfb did not start: $(cat "$home/logs/xvfb.log")"
  export DISPLAY=:$(head -n 1 "$home/display")

  trayer --edge top --align right --SetDockType true --transparent false --tint 0x202020 \
    --widthtype request --height 24 >"$home/logs/trayer.log" 2>&1 &
  desktop_tray_pid=$!
  desktop_wait 15 desktop_find_panel || desktop_fail "trayer did not show its panel"
}

desktop_stop() {
  local pid
  for pid in $desktop_tray_pid $desktop_xvfb_pid; do
    # Their exit status is the signal's; nothing to stop for.
    { kill "$pid" && wait "$pid"; } 2>/dev/null || true
  done
  desktop_tray_pid=
  desktop_xvfb_pid=
  [[ -z "${XDG_RUNTIME_DIR:-}" || "$XDG_RUNTIME_DIR" != /tmp/fegolin-bench-* ]] || rm -rf "$XDG_RUNTIME_DIR"
}

# Imports a registry file (the program's own --reg-import) into the hive.
desktop_import() {
  "$1" --reg-import "$2" >/dev/null || desktop_fail "cannot import $2"
}

# The program's icon is embedded in trayer's panel and shows.
desktop_icon_shown() {
  local window
  for window in $(xwininfo -tree -id "$desktop_panel" 2>/dev/null |
    awk '/\("fegolin" "Fegolin"\)/ { print $1 }'); do
    desktop_viewable "$window" && return 0
  done
  return 1
}

# The program's main window (any of its windows larger than an icon) shows.
desktop_main_window() {
  local window
  for window in $(xdotool search --onlyvisible --classname '^fegolin$' 2>/dev/null); do
    if xwininfo -id "$window" 2>/dev/null | awk '/Width:/ { w = $2 } END { exit !(w > 30) }'; then
      echo "$window"
      return 0
    fi
  done
  return 1
}
