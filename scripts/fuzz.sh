#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and fuzzes each one for a
# while from the seeds in tests/fuzz/corpus/. New inputs go to
# build-fuzz/corpus/<target>, crashes to build-fuzz/findings/.
#     scripts/fuzz.sh [seconds per target, default 30] [target ...]
#     scripts/fuzz.sh --seeds     rewrites the seed corpus from the plug-in's own output
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORREL_FUZZ_BUILD_DIR:-$top/build-fuzz}
targets=(set_chunk state_file controller_map midi_events midi_file)

SORREL_EXTRA_PACKAGES="clang-14 libfuzzer-14-dev" "$top/scripts/install-deps.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -G Ninja \
  -DSORREL_FUZZ=ON -DSORREL_TESTS=OFF -DSORREL_BENCHMARKS=OFF
cmake --build "$build" --target fuzz_targets fuzz_seed_writer

if [ "${1:-}" = "--seeds" ]; then
  "$build/tests/fuzz/fuzz_seed_writer" "$top/tests/fuzz/corpus"
  cp "$top/examples/demo.mid" "$top/tests/fuzz/corpus/midi_file/demo.mid"
  exit 0
fi

seconds=${1:-30}
shift || true
[ $# -gt 0 ] && targets=("$@")

mkdir -p "$build/findings"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  echo "== fuzz_$target for ${seconds}s"
  # A fixed seed keeps a CI run repeatable; one worker and bounded memory.
  log="$build/findings/$target.log"
  if ! "$build/tests/fuzz/fuzz_$target" -seed=1 -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
      "$build/corpus/$target" "$top/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz_$target failed; the input is in $build/findings/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$log" || true
done
