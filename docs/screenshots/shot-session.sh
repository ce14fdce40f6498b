# Sourced by the screenshot scripts, with $here and $display set: a private
# Xvfb display, a scratch folder $work (with config/ and run/), the program
# started into $app ended on exit, `find_window PATTERN [SECONDS]`, which
# prints the id of a window once it shows, `wait_for_main_window [SECONDS]`,
# which sets $window to the program's main window (20 s by default), and
# `crop WINDOW NAME`, which saves the window as it shows on the screen to
# $here/NAME.png. FEGOLIN_SHOT_SCREEN sets the screen (1024x768x24 by
# default).
work=$(mktemp -d)
mkdir -p "$work/config" "$work/run"
chmod 700 "$work/run"
Xvfb "$display" -screen 0 "${FEGOLIN_SHOT_SCREEN:-1024x768x24}" >/dev/null 2>&1 &
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

crop() {
  sleep 1
  import -window root "$work/root.png"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$here/$2.png"
}

# The first window whose title matches PATTERN, once it shows (within
# SECONDS, 10 by default).
find_window() {
  local id=
  for _ in $(seq $((${2:-10} * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "no window $1" >&2; exit 1; }
  echo "$id"
}

wait_for_main_window() {
  window=$(find_window '^Fegolin$' "${1:-20}") || exit 1
  sleep 1
}
