#!/usr/bin/env bash
# The main job: install what is missing, build, and show what a host sees of Sorrel.so.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORREL_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
"$build/host/sorrel-inspect" "$build/plugin/Sorrel.so"
