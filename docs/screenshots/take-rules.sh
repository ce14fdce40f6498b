#!/usr/bin/env bash
# Takes the screenshots of the cleaning rules under a private Xvfb display,
# with a hive, home, configuration, runtime and temp folder of its own: the
# preview of three ticked folders (a session temp folder with the kind of
# entries the default patterns keep and one a program holds open, a download
# folder, and the home folder, which a run refuses), the folder page with the
# refused entries greyed, and the "Erweitert" dialog. Nothing is cleaned.
#
#   docs/screenshots/take-rules.sh [path/to/fegolin]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary=${1:-"$here/../../build/app/fegolin"}
display=${FEGOLIN_SHOT_DISPLAY:-:59}

. "$here/shot-session.sh"
holder=
trap '[ -n "$holder" ] && kill "$holder" 2>/dev/null; cleanup' EXIT

home="$work/home"
session="$work/tmp"
mkdir -p "$home/Downloads" "$session/.X11-unix" "$session/.ICE-unix" "$session/ssh-Xq3b9PdL" \
  "$session/tmux-1000" "$session/build-7781/obj" "$session/systemd-private-4c1e-colord.service-Rk2x/tmp"
head -c 184320 /dev/zero >"$session/krb5cc_1000"
: >"$session/.X0-lock"
: >"$session/.X11-unix/X0"
: >"$session/ssh-Xq3b9PdL/agent.1423"
: >"$session/tmux-1000/default"
head -c 2400000 /dev/zero >"$session/bericht-entwurf.pdf"
head -c 51200 /dev/zero >"$session/build-7781/obj/main.o"
head -c 20480 /dev/zero >"$session/build-7781/obj/util.o"
head -c 8192 /dev/zero >"$session/build-7781/build.log"
head -c 1048576 /dev/zero >"$session/mozilla-temp-41"
# A program still writing its log: in use, so it stays.
head -c 4096 /dev/zero >"$session/player.log"
sleep 600 <"$session/player.log" &
holder=$!
head -c 7340032 /dev/zero >"$home/Downloads/setup-2.4.1.tar.gz"
head -c 340000 /dev/zero >"$home/Downloads/rechnung-0917.pdf"
head -c 91000 /dev/zero >"$home/Downloads/foto.jpg.part"

# The list, and the keep patterns as the dialog's OK stores them.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Norvalt\Fegolin]' '"Show Splash"=dword:00000000' \
  '"Keep Patterns"="krb5cc_*;.X*-lock;.X11-unix;.ICE-unix;.XIM-unix;.font-unix;systemd-private-*;ssh-*;tmux-*;gpg-*"' '' \
  '[HKEY_CURRENT_USER\Software\Norvalt\Fegolin\Paths]' \
  '"Display Name 0"="Sitzung"' "\"Directory 0\"=\"$session\"" '"State 0"=dword:00000001' \
  '"Display Name 1"="Downloads"' "\"Directory 1\"=\"$home/Downloads\"" '"State 1"=dword:00000001' \
  '"Display Name 2"="Persönlich"' "\"Directory 2\"=\"$home\"" '"State 2"=dword:00000001' \
  '"Display Name 3"="Altes Projekt"' "\"Directory 3\"=\"$home/Projekt-alt/tmp\"" '"State 3"=dword:00000000' \
  '' >"$work/rules.reg"
export LANG=de_DE.UTF-8 HOME="$home" FEGOLIN_REGISTRY="$work/registry.db" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR="$session"
"$binary" --reg-import "$work/rules.reg"

# A later start lives in the notification area: trayer at the top right,
# with Fegolin's icon as its only one.
trayer --edge top --align right --widthtype request --height 24 --transparent false \
  --tint 0x202020 >/dev/null 2>&1 &
tray=$!
trap '[ -n "$holder" ] && kill "$holder" 2>/dev/null; kill "$tray" 2>/dev/null; cleanup' EXIT
sleep 1
"$binary" -ns &
app=$!
sleep 3
icon_x=1012
icon_y=12

# The icon's menu: "Vorschau..." opens the preview without the window.
xdotool mousemove "$icon_x" "$icon_y" click 3
sleep 0.5
xdotool key v
preview=$(find_window '^Vorschau$')
sleep 0.5
xdotool windowsize "$preview" 640 460
crop "$preview" preview
xdotool windowfocus --sync "$preview"
xdotool key Escape

# A click on the icon shows the window on the Info page; three pages on is
# the folder page, with the entries a run refuses in grey, and the hint of
# the home folder's entry under the pointer.
xdotool mousemove "$icon_x" "$icon_y" click 1
window=$(find_window '^Fegolin$')
sleep 1
xdotool windowfocus --sync "$window"
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 14)) $((Y + 105 + 16 * 2 + 8))
sleep 2
# The hint reaches past the window's right edge: the picture takes it along.
sleep 1
import -window root "$work/root.png"
convert "$work/root.png" -crop "$((WIDTH + 48))x${HEIGHT}+${X}+${Y}" +repage "$here/folder-page-refused.png"

# The Options page, its "Erweitert..." dialog with the age ticked.
xdotool mousemove 0 400
xdotool key ctrl+Tab
sleep 0.5
xdotool key alt+r
dialog=$(find_window '^Erweiterte Optionen$')
sleep 0.5
xdotool windowfocus --sync "$dialog"
xdotool key alt+n
crop "$dialog" advanced-dialog
xdotool key Escape
