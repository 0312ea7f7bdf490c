#!/usr/bin/env bash
# Configures and builds into build/ (or $ORVANE_BUILD_DIR). Tests and
# benchmarks are built unless the arguments (passed to cmake) say otherwise:
#   build.sh -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF   the programs only
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=ON "$@"
cmake --build "$build" -j"$(nproc)"
