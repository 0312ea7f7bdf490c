#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${ORVANE_BUILD_DIR:-$top/build}
# The Windows programs (x86_64) for the Wine tests, in $build/windows-x86_64,
# and Orvane.exe and Renovo.exe trusting the tests' key for the signed-update
# check (about a minute more: ccache gives it the first tree's objects); Qt
# for Windows is built first when this machine has none yet (once, 15-25
# minutes, progress in its log file).
ORVANE_BUILD_DIR=$build "$top/scripts/build-windows.sh" --signed-test x86_64
cd "$build"
ctest --output-on-failure -j2 --timeout 600
