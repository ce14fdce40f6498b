# The benchmark tree, sourced by the benchmark scripts (bash): `files`
# small files spread evenly over `folders` folders in ten groups, every
# tenth file read-only, every twentieth a dot-file, every tenth folder
# read-only; the tree clean_once_bench.sh builds.
#
#   source bench/bench_tree.sh
#   bench_tree "$template" "$files" "$folders"

bench_tree() {
  local template=$1 files=$2 folders=$3
  local groups=$((folders < 10 ? folders : 10))
  local content="Fegolin benchmark file: a few bytes of ordinary content."
  local f i dir name readonly
  # No command substitutions in the loop: a process per file would make
  # building the tree take longer than everything else.
  for ((f = 0; f < folders; f++)); do
    dir=$template/group$((f % groups))/folder$f
    mkdir -p "$dir"
    readonly=()
    for ((i = f; i < files; i += folders)); do
      printf -v name 'file%06d.dat' "$i"
      ((i % 20 == 7)) && name=.$name
      printf '%s\n' "$content" >"$dir/$name"
      ((i % 10 == 3)) && readonly+=("$dir/$name")
    done
    # In batches: a folder may hold more names than one command line.
    ((${#readonly[@]} == 0)) || printf '%s\0' "${readonly[@]}" | xargs -0 chmod 444
  done
  for ((f = 5; f < folders; f += 10)); do
    chmod 555 "$template/group$((f % groups))/folder$f"
  done
}
