#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs the program or its tests.
#   ./build.sh run       install what is missing, build, start the program
#   ./build.sh test      install what is missing, build with warnings as errors, run every test headless
#   ./build.sh sanitize  the test suite again, built with AddressSanitizer, LeakSanitizer and UBSan
#   ./build.sh fuzz [s]  the file-reader fuzzers, s seconds each (default 60)
#   ./build.sh fuzz-long [n]  each fuzzer to n inputs (default 10 M), its corpus kept in build-fuzz/
#   ./build.sh coverage  the test suite built with gcc --coverage; line and branch coverage per folder
#   ./build.sh bench     build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-translations-l10n
  fonts-ipafont-gothic fonts-liberation2 fonts-dejavu-core
  xvfb xauth x11-utils xdotool imagemagick
  dbus dbus-x11 at-spi2-core python3 python3-pyatspi
  desktop-file-utils shared-mime-info
  clang libclang-rt-14-dev gcovr)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

JOBS=$(nproc)

configure_build() { # dir, extra cmake options...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

headless_env() {
  export QT_QPA_PLATFORM=offscreen
  XDG_RUNTIME_DIR=$(mktemp -d); chmod 700 "$XDG_RUNTIME_DIR"; export XDG_RUNTIME_DIR
}

case "${1:-}" in
  run)
    install_missing
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build-release -j "$JOBS" --target numbalo
    exec ./build-release/numbalo ;;
  test)
    install_missing
    configure_build build -DCMAKE_BUILD_TYPE=Debug -DNUMBALO_WERROR=ON
    headless_env
    ctest --test-dir build --output-on-failure -j "$JOBS" ;;
  sanitize)
    install_missing
    configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DNUMBALO_WERROR=ON -DNUMBALO_SANITIZE=ON \
      -DCMAKE_CXX_COMPILER=clang++
    headless_env
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" ;;
  fuzz|fuzz-long)
    install_missing
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMBALO_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    targets=(fuzz_document fuzz_settings fuzz_recovery)
    cmake --build build-fuzz -j "$JOBS" --target "${targets[@]}"
    for target in "${targets[@]}"; do
      seeds=fuzz/corpus/${target#fuzz_}
      if [ "$1" = fuzz-long ]; then # a fixed number of inputs; what was found is kept for the next run
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
      [ "$1" = fuzz-long ] || rm -rf "$corpus" # a short run's findings are not kept
    done ;;
  coverage)
    install_missing
    configure_build build-coverage -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
      -DCMAKE_EXE_LINKER_FLAGS=--coverage
    find build-coverage -name '*.gcda' -delete
    headless_env
    status=0
    ctest --test-dir build-coverage --output-on-failure -j "$JOBS" || status=$?
    # Branches that only exceptions or the compiler's own code take would drown the rest.
    gcovr -r . --object-directory build-coverage --exclude-directories build-coverage/CMakeFiles --exclude-throw-branches --exclude-unreachable-branches \
      --filter core/ --filter storage/ --filter ui/ --json build-coverage/coverage.json
    gcovr -r . -a build-coverage/coverage.json --txt build-coverage/coverage.txt
    for folder in core storage ui; do
      gcovr -r . -a build-coverage/coverage.json --filter "$folder/" -s --txt /dev/null |
        grep -E '^(lines|branches):' | paste -sd ' ' | sed "s|^|$folder/  |"
    done
    echo "Lines not run, file by file: build-coverage/coverage.txt"
    exit "$status" ;;
  bench)
    install_missing
    configure_build build-release -DCMAKE_BUILD_TYPE=RelWithDebInfo
    headless_env
    ./build-release/bench/numbalo_bench ;;
  *)
    sed -n '2,10p' "$0"; exit 2 ;;
esac
