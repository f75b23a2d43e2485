#!/usr/bin/env bash
# Builds, and runs the program or its tests, after installing what the task needs (tools/install-deps.sh).
# The builds are the CMake presets in CMakePresets.json, so an IDE finds the same ones.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  cat <<'TEXT'
Usage: ./build.sh TASK
  run            build and start the program
  test           build with warnings as errors, run every test headless
  sanitize       the test suite again, built with AddressSanitizer, LeakSanitizer and UBSan
  fuzz [s]       the file-reader fuzzers, s seconds each (default 60)
  fuzz-long [n]  each fuzzer to n inputs (default 10 M), its corpus kept in build-fuzz/
  coverage       the test suite built with gcc --coverage; line and branch coverage per folder
  bench          build and run the benchmarks
  format         format the sources with clang-format (Debian 12's, version 14)
  format-check   fail when a source is not formatted
TEXT
}

JOBS=$(nproc)

configure_build() { # preset [targets...]
  local preset=$1; shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" -j "$JOBS" --target "$@"
  else
    cmake --build --preset "$preset" -j "$JOBS"
  fi
}

# Tests draw offscreen; the runtime folder Qt wants is made here and removed on exit.
headless_env() {
  export QT_QPA_PLATFORM=offscreen
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
}

task=${1:-}
case "$task" in
  run | test | sanitize | fuzz | fuzz-long | coverage | bench) tools/install-deps.sh "${task%-long}" ;;
  format | format-check) tools/install-deps.sh format ;;
  *) usage; exit 2 ;;
esac

case "$task" in
  run)
    configure_build release numbalo
    exec ./build-release/numbalo ;;
  test)
    configure_build debug
    headless_env
    ctest --test-dir build --output-on-failure -j "$JOBS" ;;
  sanitize)
    configure_build asan
    headless_env
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" ;;
  fuzz | fuzz-long)
    targets=(fuzz_document fuzz_settings fuzz_recovery)
    configure_build fuzz "${targets[@]}"
    for target in "${targets[@]}"; do
      seeds=fuzz/corpus/${target#fuzz_}
      if [ "$task" = fuzz-long ]; then # a fixed number of inputs; what was found is kept for the next run
        corpus=build-fuzz/corpus-${target#fuzz_}; mkdir -p "$corpus"
        limit=(-runs="${2:-10000000}")
      else
        corpus=$(mktemp -d)
        limit=(-max_total_time="${2:-60}")
      fi
      cp -n "$seeds"/* "$corpus"/
      echo "== $target"
      log=build-fuzz/$target.log
      ./build-fuzz/fuzz/$target "${limit[@]}" -print_final_stats=1 "$corpus" >"$log" 2>&1 \
        || { tail -n 40 "$log"; echo "$target failed (crash input saved in the current folder)"; exit 1; }
      grep -E "DONE|^Done|^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" "$log"
      [ "$task" = fuzz-long ] || rm -rf "$corpus" # a short run's findings are not kept
    done ;;
  coverage)
    configure_build coverage
    find build-coverage -name '*.gcda' -delete
    headless_env
    status=0
    ctest --test-dir build-coverage --output-on-failure -j "$JOBS" || status=$?
    # Branches that only exceptions or the compiler's own code take would drown the rest.
    gcovr -r . --object-directory build-coverage --exclude-directories build-coverage/CMakeFiles \
      --exclude-throw-branches --exclude-unreachable-branches \
      --filter core/ --filter storage/ --filter ui/ --json build-coverage/coverage.json
    gcovr -r . -a build-coverage/coverage.json --txt build-coverage/coverage.txt
    for folder in core storage ui; do
      gcovr -r . -a build-coverage/coverage.json --filter "$folder/" -s --txt /dev/null |
        grep -E '^(lines|branches):' | paste -sd ' ' | sed "s|^|$folder/  |"
    done
    echo "Lines not run, file by file: build-coverage/coverage.txt"
    exit "$status" ;;
  format | format-check)
    check=(); [ "$task" = format-check ] && check=(--dry-run -Werror)
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 "${check[@]:--i}" ;;
  bench)
    configure_build release
    headless_env
    ./build-release/bench/numbalo_bench ;;
esac
