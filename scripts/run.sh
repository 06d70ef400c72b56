#!/usr/bin/env bash
# The main job: install what is missing, build, and render the demo song
# through Sorrel.so into build/demo.wav.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORREL_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
"$build/tools/sorrel-render" "$top/examples/demo.mid" -o "$build/demo.wav"
echo "wrote $build/demo.wav"
