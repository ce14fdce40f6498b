# The options the benchmark scripts share, sourced by them (bash). A script
# sets its defaults and `bench_usage_text`, handles its own options and
# hands every other word to bench_option:
#
#   source bench/bench_options.sh
#   while (($#)); do
#     case "$1" in
#       --mine) ...; shift 2 ;;
#       *) bench_option "$@"; shift "$bench_taken" ;;
#     esac
#   done
#   fegolin=$(bench_program)

bench_usage() {
  echo "usage: $0 $bench_usage_text" >&2
  exit 2
}

# The word as a number of at least 1.
bench_positive() {
  [[ "$1" =~ ^[1-9][0-9]*$ ]] || bench_usage
  echo "$1"
}

# --files N, --folders N, --rounds N, --fegolin PATH and a folder (for
# scripts whose usage names one); sets bench_taken to the words it took.
bench_option() {
  case "$1" in
    --files | --folders | --rounds | --fegolin) (($# > 1)) || bench_usage ;;
  esac
  bench_taken=2
  case "$1" in
    --files) files=$(bench_positive "$2") ;;
    --folders) folders=$(bench_positive "$2") ;;
    --rounds) rounds=$(bench_positive "$2") ;;
    --fegolin) fegolin=$2 ;;
    -*) bench_usage ;;
    *)
      [[ "$bench_usage_text" == *FOLDER* ]] || bench_usage
      base=$1
      bench_taken=1
      ;;
  esac
}

# The program to time, as a full path.
bench_program() {
  [[ -x "$fegolin" ]] || { echo "$0: no fegolin program at $fegolin (see --fegolin)" >&2; exit 2; }
  realpath "$fegolin"
}
