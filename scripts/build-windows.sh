#!/usr/bin/env bash
# Builds the Windows programs and their ZIP distribution:
#
#   scripts/build-windows.sh [x86_64|i686|all]      (default: all)
#
# For each width: Qt for Windows from the per-machine cache (built once by
# scripts/build-qt-windows.sh when missing, 15-25 minutes), then the whole
# tree cross-built into <build>/windows-<arch> (<build> is $ORVANE_BUILD_DIR,
# default build/), then cpack. Results:
#
#   <build>/windows-<arch>/stage/{Orvane,Renovo,Kestrun}.exe   (+ icon/, RunInfo.ini.example)
#   <build>/windows-<arch>/Orvane-<version>-windows-<arch>.zip
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$top/build}
case "${1:-all}" in
  x86_64|i686) archs=$1 ;;
  all) archs="x86_64 i686" ;;
  *) echo "usage: $0 [x86_64|i686|all]" >&2; exit 2 ;;
esac
jobs=${ORVANE_JOBS:-$(nproc)}

for arch in $archs; do
  qt=$("$top/scripts/build-qt-windows.sh" "$arch")
  dir="$build/windows-$arch"
  log="$dir/build.log"
  mkdir -p "$dir"
  echo "build-windows: $arch against $qt into $dir" >&2
  start=$(date +%s)
  cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" \
        -DORVANE_QT_PREFIX="$qt" >"$log" 2>&1 ||
    { tail -30 "$log" >&2; echo "build-windows: configuring $arch failed (log: $log)" >&2; exit 1; }
  cmake --build "$dir" -j"$jobs" >>"$log" 2>&1 ||
    { grep -E "error|Error" "$log" | head -30 >&2; echo "build-windows: building $arch failed (log: $log)" >&2; exit 1; }
  if grep -q "warning:" "$log"; then
    grep "warning:" "$log" >&2
    echo "build-windows: the $arch build has warnings (log: $log)" >&2
    exit 1
  fi
  (cd "$dir" && cpack -G ZIP >>"$log" 2>&1) ||
    { tail -20 "$log" >&2; echo "build-windows: packing $arch failed (log: $log)" >&2; exit 1; }
  echo "build-windows: $arch done in $(( $(date +%s) - start )) s:" >&2
  (cd "$dir" && ls -l stage/Orvane.exe stage/Renovo.exe stage/Kestrun.exe Orvane-*.zip) >&2
done
