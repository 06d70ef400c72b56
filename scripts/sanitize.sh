#!/usr/bin/env bash
# Builds and runs the tests under the sanitizers: every test with AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan/, the threading tests with
# ThreadSanitizer in build-tsan/. Any report fails the run.
#     scripts/sanitize.sh [address|thread]   (both when no argument is given)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"

configure() {
  cmake -S "$top" -B "$1" -G Ninja -DSORREL_SANITIZE="$2" -DSORREL_BENCHMARKS=OFF
}

address() {
  local build=${SORREL_ASAN_BUILD_DIR:-$top/build-asan}
  configure "$build" address
  cmake --build "$build"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -E Amsynth
  # Debian's amsynth leaks on its own, and it is unloaded before the leak report
  # could name it; its tests run without leak detection.
  ASAN_OPTIONS=detect_leaks=0:strict_string_checks=1 \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -R Amsynth
}

thread() {
  local build=${SORREL_TSAN_BUILD_DIR:-$top/build-tsan}
  configure "$build" thread
  cmake --build "$build" --target concurrency_tests
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir "$build" --output-on-failure -R '^ConcurrentHost\.'
}

case "${1:-both}" in
  address) address ;;
  thread) thread ;;
  both) address; thread ;;
  *) echo "usage: $0 [address|thread]" >&2; exit 2 ;;
esac
