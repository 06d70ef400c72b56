#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SORREL_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
