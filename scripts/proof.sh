#!/usr/bin/env bash
# Proof against bad input. Builds every test once more with the address and undefined-behaviour
# sanitizers (LeakSanitizer on) in build-asan/ and runs them, then builds the libFuzzer targets
# in build-fuzz/ and runs each for TARNWICK_FUZZ_SECONDS (30) over a copy of its corpus.
# Any sanitizer report, failed test, crash or broken property fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
asan_build=${TARNWICK_ASAN_BUILD_DIR:-$root/build-asan}
fuzz_build=${TARNWICK_FUZZ_BUILD_DIR:-$root/build-fuzz}
fuzz_seconds=${TARNWICK_FUZZ_SECONDS:-30}
jobs=${TARNWICK_JOBS:-$(nproc)}

# Clang and its sanitizer and libFuzzer runtimes; llvm-symbolizer for readable reports.
"$root/scripts/install-deps.sh" clang libclang-rt-14-dev llvm-14 ninja-build

started=$SECONDS

# Builds into a log beside the build; shows its end only when the build fails.
build_quietly() {
  local build=$1
  shift
  if ! cmake --build "$build" -j "$jobs" "$@" >"$build/build.log" 2>&1; then
    tail -n 60 "$build/build.log" >&2
    echo "Build in $build failed; the whole log is $build/build.log" >&2
    exit 1
  fi
}
# -O1: a sanitized -O2 build of everything takes twice as long and finds nothing more.
sanitized=(-G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
           "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g" -DTARNWICK_BUILD_BENCH=OFF)

echo "== Sanitizer build in $asan_build"
cmake -S "$root" -B "$asan_build" "${sanitized[@]}" -DTARNWICK_BUILD_FUZZ=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
build_quietly "$asan_build"

# Reports go to files as well as to the test's output: a report from a child process (the
# settings probe, the simulated board) fails the run even when its parent passes.
reports=$(mktemp -d -t tarnwick-sanitizer.XXXXXX)
trap 'rm -rf "$reports"' EXIT
export QT_QPA_PLATFORM=offscreen
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
# LeakSanitizer reports no leak of Qt's here, so nothing is suppressed.

echo "== Tests under the sanitizers"
status=0
(cd "$asan_build" && ctest --output-on-failure --timeout 300 -j "$jobs") \
  | tee "$asan_build/ctest.log" || status=$?
report_count=$(find "$reports" -type f | wc -l)
if [[ $report_count -gt 0 ]]; then
  echo "Sanitizer reports:" >&2
  for report in "$reports"/*; do
    echo "--- $(basename "$report")" >&2
    cat "$report" >&2
  done
  status=1
fi
echo "== Sanitizer run: $([[ $status -eq 0 ]] && echo passed || echo FAILED):" \
     "$(grep -E 'tests passed' "$asan_build/ctest.log" | tail -n 1)," \
     "$report_count sanitizer reports, $((SECONDS - started)) s so far"
[[ $status -eq 0 ]] || exit "$status"

echo "== Fuzz build in $fuzz_build"
cmake -S "$root" -B "$fuzz_build" "${sanitized[@]}" -DTARNWICK_BUILD_FUZZ=ON >/dev/null
build_quietly "$fuzz_build" --target tarnwick_fuzzers

unset ASAN_OPTIONS UBSAN_OPTIONS
"$root/fuzz/run-fuzzers.sh" "$fuzz_build/fuzz" "$fuzz_seconds"
echo "== Proof passed in $((SECONDS - started)) s"
