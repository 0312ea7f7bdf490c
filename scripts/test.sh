#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${ORVANE_BUILD_DIR:-$top/build}
cd "$build"
ctest --output-on-failure -j2 --timeout 600
