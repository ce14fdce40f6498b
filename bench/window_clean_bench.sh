#!/usr/bin/env bash
# Times the window's "Jetzt Löschen" end to end against
# `fegolin --clean-once` emptying an identical tree.
#
#   bench/window_clean_bench.sh [--files N] [--folders N] [--rounds N]
#                               [--fegolin PATH] [FOLDER]
#
# Builds the benchmark tree (bench_tree.sh) below a fresh
# scratch folder inside FOLDER (default: $TMPDIR, else /tmp) and lists a
# folder, ticked, in the hive of a private X desktop (desktop_session.sh).
# The program starts there hidden in the notification area, and a second
# start brings its window up, as a user's would. Every round fills the
# listed folder with a fresh copy of the tree twice and empties it once
# each way, in alternating order:
#   window       a click on the button "Jetzt Löschen", timed from the
#                click until the folder is empty (a click runs when the
#                button comes up; Alt+J would hold it back for Qt's 100 ms
#                picture of a pressed button);
#   --clean-once `fegolin --clean-once`, timed from its start until the
#                folder is empty (and until it has ended).
# Both are polled the same way, a glob every 2 ms. Prints the times of
# every round and the median ratio window / --clean-once of the times until
# the folder is empty.
# Builds nothing; measure a Release build:
#
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFEGOLIN_TESTS=OFF
#   cmake --build build-release --target fegolin -j2
#   bench/window_clean_bench.sh --fegolin build-release/app/fegolin /dev/shm

set -euo pipefail

files=100000
folders=1000
rounds=5
fegolin=${FEGOLIN:-build-release/app/fegolin}
base=${TMPDIR:-/tmp}

bench_usage_text="[--files N] [--folders N] [--rounds N] [--fegolin PATH] [FOLDER]"
source "$(dirname "$0")/bench_options.sh"

while (($#)); do
  bench_option "$@"
  shift "$bench_taken"
done
fegolin=$(bench_program)
here=$(dirname "$0")
source "$here/desktop_session.sh"
source "$here/bench_tree.sh"

mkdir -p "$base"
scratch=$(mktemp -d "$(realpath "$base")/fegolin-window-bench-XXXXXX")
pid=
cleanup() {
  [[ -z "$pid" ]] || { kill "$pid" && wait "$pid"; } 2>/dev/null || true
  desktop_stop
  chmod -R u+w "$scratch" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

template=$scratch/template
clean=$scratch/clean
bench_tree "$template" "$files" "$folders"
entries=$(find "$template" -mindepth 1 | wc -l)
mkdir "$clean"
echo "trees of $files files in $folders folders ($entries entries) below $scratch"

# The tree ticked, no splash, and the clean timer as far off as it goes.
desktop_start "$scratch"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Norvalt\Fegolin]' '"Show Splash"=dword:00000000' \
  '"Show Tipps on Startup"=dword:00000000' '"Run Interval"=dword:00000002' \
  '"Run Interval Value"=dword:00000063' '' \
  '[HKEY_CURRENT_USER\Software\Norvalt\Fegolin\Paths]' '"Display Name 0"="Bench"' \
  "\"Directory 0\"=\"$clean\"" '"State 0"=dword:00000001' >"$scratch/list.reg"
desktop_import "$fegolin" "$scratch/list.reg"

"$fegolin" -ns >"$scratch/fegolin.log" 2>&1 &
pid=$!
desktop_wait 20 desktop_icon_shown || { echo "$0: no tray icon: $(cat "$scratch/fegolin.log")" >&2; exit 1; }
# A second start shows the running instance's window and ends.
"$fegolin" -ns >/dev/null 2>&1
desktop_wait 20 desktop_main_window >/dev/null || { echo "$0: the window did not show" >&2; exit 1; }
window=$(desktop_main_window)
read -r wx wy ww wh < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 }
  /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
# The button is the first of the three in a row 303 pixels wide at the
# right of the window, 42 pixels high, above the status bar.
xdotool mousemove --sync $((wx + ww - 258)) $((wy + wh - 43))

fill() {
  cp -a "$template/." "$clean/"
  sync -f "$clean"
}

# The folder holds nothing any more. A glob and a read with a time-out
# poll without starting a process.
exec {pause}<> <(:)
shopt -s dotglob nullglob
folder_empty() {
  local left=("$clean"/*)
  ((${#left[@]} == 0))
}

# Polls until the folder is empty; started at `start` (microseconds),
# given up after `limit` seconds, while `process` lives.
wait_empty() {
  local start=$1 limit=$2 process=$3 what=$4
  until folder_empty; do
    kill -0 "$process" 2>/dev/null || return 0
    if (($(desktop_usec) - start > limit * 1000000)); then
      echo "$0: $what did not empty the folder within $limit s" >&2
      exit 1
    fi
    read -r -t 0.002 -u "$pause" || true
  done
}

seconds() {
  awk -v us="$1" 'BEGIN { printf "%.3f", us / 1e6 }'
}

# Seconds from the click until the folder is empty.
run_window() {
  local start
  start=$(desktop_usec)
  xdotool mousedown 1 mouseup 1
  wait_empty "$start" "${1:-600}" "$pid" "a click on the button"
  folder_empty || { echo "$0: the program ended: $(cat "$scratch/fegolin.log")" >&2; exit 1; }
  seconds $(($(desktop_usec) - start))
}

# Seconds from the start until the folder is empty, polled the same way as
# for the window so that both share the machine with the same poller, and
# until the program has ended.
run_clean_once() {
  local start once emptied
  start=$(desktop_usec)
  "$fegolin" --clean-once >"$scratch/once.out" 2>&1 &
  once=$!
  wait_empty "$start" 600 "$once" "fegolin --clean-once"
  emptied=$(($(desktop_usec) - start))
  wait "$once" || true
  local ended=$(($(desktop_usec) - start))
  local out
  out=$(cat "$scratch/once.out")
  if [[ "$out" != "$clean: $entries removed, 0 kept, 0 failed, "*" freed" ]] || ! folder_empty; then
    echo "$0: --clean-once did not empty the tree: $out" >&2
    exit 1
  fi
  echo "$(seconds "$emptied") $(seconds "$ended")"
}

# A first click on a single file shows that the pointer is on the button.
touch "$clean/first"
run_window 10 >/dev/null

# What --clean-once costs with nothing to remove (start, hive, list): its
# share of every --clean-once time below.
idle_once=()
for ((i = 0; i < 5; i++)); do
  start=$(desktop_usec)
  "$fegolin" --clean-once >/dev/null 2>&1
  idle_once+=($(($(desktop_usec) - start)))
done
printf 'fegolin --clean-once on the empty folder: %s s (median of 5)\n' \
  "$(printf '%s\n' "${idle_once[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", v[3] / 1e6 }')"

ratios=()
for ((round = 1; round <= rounds; round++)); do
  # Alternate who goes first so a warm cache favours neither.
  if ((round % 2 == 1)); then
    fill; w=$(run_window)
    fill; read -r c ended < <(run_clean_once)
  else
    fill; read -r c ended < <(run_clean_once)
    fill; w=$(run_window)
  fi
  [[ -n "$w" && -n "$c" ]] || exit 1
  ratio=$(awk -v a="$w" -v b="$c" 'BEGIN { printf "%.3f", a / b }')
  ratios+=("$ratio")
  printf 'round %d: empty after: window %s s, --clean-once %s s (ended after %s s), ratio %s\n' \
    "$round" "$w" "$c" "$ended" "$ratio"
done

median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo "median ratio window / --clean-once: $median"
if [[ -s "$scratch/fegolin.log" ]]; then
  echo "the program wrote:" >&2
  tail -n 20 "$scratch/fegolin.log" >&2
fi
