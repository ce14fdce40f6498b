#!/usr/bin/env bash
# How fast the program's tray icon appears and how much memory the program
# holds while it waits in the notification area.
#
#   bench/idle_bench.sh [--rounds N] [--settle SECONDS] [--fegolin PATH]
#
# Starts a private X desktop (Xvfb and trayer, see desktop_session.sh) with
# a stored configuration, so that the program starts hidden behind its icon
# as it does on every start but the first. Each round starts `fegolin -ns`,
# measures the time from the start until its icon shows in trayer, and
# after SETTLE seconds (default 5) reads Rss and Pss from
# /proc/PID/smaps_rollup; then ends the program. Prints every round and the
# medians. Builds nothing; measure a Release build:
#
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFEGOLIN_TESTS=OFF
#   cmake --build build-release --target fegolin -j2
#   bench/idle_bench.sh --fegolin build-release/app/fegolin
#
# Pss shares libraries with every other process that maps them, so it
# moves with what else runs on the machine; Rss does not.

set -euo pipefail

rounds=5
settle=5
fegolin=${FEGOLIN:-build-release/app/fegolin}

bench_usage_text="[--rounds N] [--settle SECONDS] [--fegolin PATH]"
source "$(dirname "$0")/bench_options.sh"

while (($#)); do
  case "$1" in
    --settle) (($# > 1)) || bench_usage; settle=$(bench_positive "$2"); shift 2 ;;
    --files | --folders) bench_usage ;;
    *) bench_option "$@"; shift "$bench_taken" ;;
  esac
done
fegolin=$(bench_program)
source "$(dirname "$0")/desktop_session.sh"

mkdir -p "${TMPDIR:-/tmp}"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/fegolin-idle-bench-XXXXXX")
pid=
cleanup() {
  [[ -z "$pid" ]] || { kill "$pid" && wait "$pid"; } 2>/dev/null || true
  desktop_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
desktop_start "$scratch"

# The program's key exists: not a first start, so the window stays hidden.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\r\n"Show Splash"=dword:00000001\r\n"Show Tipps on Startup"=dword:00000000\r\n' \
  >"$scratch/options.reg"
desktop_import "$fegolin" "$scratch/options.reg"

# smaps_rollup's value in kB.
rollup() {
  awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/smaps_rollup"
}

mb() {
  awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

icons=()
rsss=()
psss=()
for ((round = 1; round <= rounds; round++)); do
  start=$(desktop_usec)
  "$fegolin" -ns >"$scratch/fegolin.log" 2>&1 &
  pid=$!
  desktop_wait 20 desktop_icon_shown || { echo "$0: no tray icon: $(cat "$scratch/fegolin.log")" >&2; exit 1; }
  icon_ms=$((($(desktop_usec) - start) / 1000))
  sleep "$(awk -v s="$settle" -v e="$(($(desktop_usec) - start))" 'BEGIN { r = s - e / 1e6; print (r > 0 ? r : 0) }')"
  rss=$(rollup Rss)
  pss=$(rollup Pss)
  anon=$(rollup Pss_Anon)
  if window=$(desktop_main_window); then
    echo "$0: the window shows ($window): not an idle program in the tray" >&2
    exit 1
  fi
  kill "$pid"
  wait "$pid" || true
  pid=
  icons+=("$icon_ms")
  rsss+=("$rss")
  psss+=("$pss")
  printf 'round %d: tray icon after %d ms; after %d s: Rss %s MB, Pss %s MB (anonymous %s MB)\n' \
    "$round" "$icon_ms" "$settle" "$(mb "$rss")" "$(mb "$pss")" "$(mb "$anon")"
done

printf 'median of %d rounds: tray icon after %s ms; Rss %s MB, Pss %s MB\n' "$rounds" \
  "$(printf '%s\n' "${icons[@]}" | median)" "$(mb "$(printf '%s\n' "${rsss[@]}" | median)")" \
  "$(mb "$(printf '%s\n' "${psss[@]}" | median)")"
