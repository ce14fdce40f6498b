#!/usr/bin/env bash
# Times the whole program emptying a listed folder, `fegolin --clean-once`,
# against `rm -rf` of an identical copy of the tree.
#
#   bench/clean_once_bench.sh [--files N] [--folders N] [--chain N] [--rounds N]
#                             [--threads N] [--fegolin PATH] [FOLDER]
#
# Builds one template tree (bench_tree.sh) below a fresh scratch folder
# inside FOLDER (default: $TMPDIR, else /tmp): folders in ten groups, files
# spread evenly over them, every tenth file read-only, every twentieth a dot-file, every
# tenth folder read-only. Lists a copy of it, ticked, in a hive of its own
# (FEGOLIN_REGISTRY, filled with --reg-import). Every round makes two fresh
# copies, empties one with `fegolin --clean-once` and removes the other with
# `rm -rf`, in alternating order, and prints both times; the median ratio
# fegolin/rm closes the report. --chain N builds a chain of N nested folders
# with a file in each instead, and both commands then run with 256 open
# files allowed. --threads N sets FEGOLIN_CLEAN_THREADS (1: the sequential
# walk). Measure a Release build:
#
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-release --target fegolin -j2
#   bench/clean_once_bench.sh --fegolin build-release/app/fegolin

set -euo pipefail

files=100000
folders=1000
chain=0
rounds=5
fegolin=${FEGOLIN:-build-release/app/fegolin}
base=${TMPDIR:-/tmp}

bench_usage_text="[--files N] [--folders N] [--chain N] [--rounds N] [--threads N] [--fegolin PATH] [FOLDER]"
source "$(dirname "$0")/bench_options.sh"

while (($#)); do
  case "$1" in
    --chain) (($# > 1)) || bench_usage; chain=$(bench_positive "$2"); shift 2 ;;
    --threads) (($# > 1)) || bench_usage; export FEGOLIN_CLEAN_THREADS=$(bench_positive "$2"); shift 2 ;;
    *) bench_option "$@"; shift "$bench_taken" ;;
  esac
done
fegolin=$(bench_program)
mkdir -p "$base"
scratch=$(mktemp -d "$(realpath "$base")/fegolin-clean-once-bench-XXXXXX")
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT

source "$(dirname "$0")/bench_tree.sh"

template=$scratch/template
clean=$scratch/clean
removed=$scratch/rm
export FEGOLIN_REGISTRY=$scratch/registry.db

# Wall, user and system seconds of one command.
timed() {
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" >"$scratch/out" 2>&1; } 2>&1
}

run_clean() {
  "$fegolin" --clean-once
}

# An ordinary user's rm cannot delete from the read-only folders: the tree
# is made writable first, inside the timing, as emptying it by hand would.
run_rm() {
  [[ $(id -u) == 0 ]] || chmod -R u+w "$removed"
  rm -rf "$removed"
}

# A chain of folders, each holding a file and the next folder, built
# relative to each folder in turn: a path of 10,000 components is far too
# long to name in one go, and a shell's cd slows down with every level.
build_chain() {
  mkdir -p "$1"
  python3 - "$1" "$chain" <<'PY'
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_DIRECTORY)
for _ in range(int(sys.argv[2])):
    os.mkdir("d", dir_fd=fd)
    os.close(os.open("f", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
    below = os.open("d", os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
    os.close(fd)
    fd = below
PY
}

# A fresh copy of the tree at $1. cp cannot copy a chain deeper than a path
# may be long: the chain is built anew instead.
make_copy() {
  if ((chain > 0)); then
    build_chain "$1"
  else
    cp -a "$template" "$1"
  fi
}

if ((chain > 0)); then
  entries=$((2 * chain))
  ulimit -n 256
else
  bench_tree "$template" "$files" "$folders"
  entries=$(find "$template" -mindepth 1 | wc -l)
fi
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]\r\n"Display Name 0"="Bench"\r\n"Directory 0"="%s"\r\n"State 0"=dword:00000001\r\n' \
  "$clean" >"$scratch/list.reg"
"$fegolin" --reg-import "$scratch/list.reg"
if ((chain > 0)); then
  echo "chains of $chain folders with a file in each ($entries entries) below $scratch"
else
  echo "trees of $files files in $folders folders ($entries entries) below $scratch"
fi

ratios=()
for ((round = 1; round <= rounds; round++)); do
  make_copy "$clean"
  make_copy "$removed"
  sync -f "$scratch"
  # Alternate who goes first so a warm cache favours neither.
  if ((round % 2 == 1)); then
    read -r c_wall c_user c_sys < <(timed run_clean)
    c_out=$(cat "$scratch/out")
    read -r r_wall r_user r_sys < <(timed run_rm)
  else
    read -r r_wall r_user r_sys < <(timed run_rm)
    read -r c_wall c_user c_sys < <(timed run_clean)
    c_out=$(cat "$scratch/out")
  fi
  if [[ "$c_out" != "$clean: $entries removed, 0 kept, 0 failed, "*" freed" || -n "$(ls -A "$clean")" ||
        -e "$removed" ]]; then
    echo "$0: round $round did not empty the trees: $c_out" >&2
    exit 1
  fi
  rmdir "$clean"
  ratio=$(awk -v a="$c_wall" -v b="$r_wall" 'BEGIN { printf "%.3f", a / b }')
  ratios+=("$ratio")
  printf 'round %d: fegolin --clean-once %.3f s (cpu %.3f s), rm -rf %.3f s (cpu %.3f s), ratio %s\n' \
    "$round" "$c_wall" "$(awk -v u="$c_user" -v s="$c_sys" 'BEGIN { print u + s }')" \
    "$r_wall" "$(awk -v u="$r_user" -v s="$r_sys" 'BEGIN { print u + s }')" "$ratio"
done

median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo "median ratio fegolin --clean-once / rm -rf: $median"
