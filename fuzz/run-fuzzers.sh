#!/usr/bin/env bash
# Runs every fuzz target in a build folder for the given seconds each, over a copy of its
# committed corpus (the run's new inputs never touch the repository), and prints one line per
# target: executions, coverage (libFuzzer's cov and ft) and the corpus size. A crash, a
# sanitizer report or a broken property fails the run; the input that did it is kept in
# <build folder>/crashes/.
#   fuzz/run-fuzzers.sh build-fuzz/fuzz 30
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:?usage: run-fuzzers.sh BUILD_FUZZ_FOLDER SECONDS}
seconds=${2:-30}
bin=$(cd "$bin" && pwd)

work=$(mktemp -d -t tarnwick-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$bin/crashes" "$work/tmp"
# The targets' own temporary files (the mender's settings files, the board's config folder)
# go with the run's folder too.
export TMPDIR="$work/tmp"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/lib/llvm-14/bin/llvm-symbolizer}
export QT_QPA_PLATFORM=offscreen

failed=0
for seeds in "$here"/corpus/*/; do
  name=$(basename "$seeds")
  target="$bin/$name"
  [[ -x $target ]] || { echo "$name: not built in $bin" >&2; failed=1; continue; }
  corpus="$work/$name"
  cp -r "$seeds" "$corpus"
  log="$work/$name.log"
  status=0
  "$target" -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$bin/crashes/$name-" "$corpus" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  progress=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$progress")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$progress")
  inputs=$(find "$corpus" -type f | wc -l)
  if [[ $status -eq 0 ]]; then
    printf 'fuzz %-22s ok      %9s execs in %s s, cov %s, ft %s, corpus %s inputs\n' \
      "$name" "${execs:-?}" "$seconds" "${cov:-?}" "${ft:-?}" "$inputs"
  else
    failed=1
    printf 'fuzz %-22s FAILED  after %s execs (exit %s)\n' "$name" "${execs:-?}" "$status"
    grep -E 'ERROR|property broken|SUMMARY|Test unit written|==[0-9]+==' "$log" | head -n 40 >&2 || true
    tail -n 40 "$log" >&2
  fi
done
exit "$failed"
