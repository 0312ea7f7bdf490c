#!/usr/bin/env bash
# Builds the Windows programs, their ZIP and their installer:
#
#   scripts/build-windows.sh [--signed-test] [x86_64|i686|all]      (default: all)
#
# For each width: Qt for Windows from the per-machine cache (built once by
# scripts/build-qt-windows.sh when missing, 15-25 minutes), then the whole
# tree cross-built into <build>/windows-<arch> (<build> is $ORVANE_BUILD_DIR,
# default build/), then packed by scripts/package-windows.sh. Results:
#
#   <build>/windows-<arch>/stage/{Orvane,Renovo,Kestrun}.exe   (+ icon/, RunInfo.ini.example)
#   <build>/windows-<arch>/Orvane-<version>-windows-<arch>.zip
#   <build>/windows-<arch>/Orvane-<version>-windows-<arch>.msi
#
# ORVANE_SIGN_CERT and ORVANE_SIGN_KEY (scripts/package-windows.sh) sign the
# packed programs and the installer with that certificate; unset, nothing
# is signed.
#
# ORVANE_UPDATE_PUBLIC_KEY=<base64 key>[,<base64 key>...] in the environment
# builds programs that take only updates signed with one of those keys
# (renovo/README.md); unset or empty, the plain site format.
#
# --signed-test also builds Orvane.exe and Renovo.exe trusting the tests' key
# (tests/update/signing) into <build>/windows-<arch>-signed-test/stage, for
# the Wine end-to-end check of signed updates; nothing is packed from it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$top/build}
signed_test=no
if [ "${1:-}" = --signed-test ]; then
  signed_test=yes
  shift
fi
case "${1:-all}" in
  x86_64|i686) archs=$1 ;;
  all) archs="x86_64 i686" ;;
  *) echo "usage: $0 [--signed-test] [x86_64|i686|all]" >&2; exit 2 ;;
esac
jobs=${ORVANE_JOBS:-$(nproc)}
# The tree trusting the tests' key compiles nearly all its objects exactly as
# the first tree does: with paths below the source folder hashed relative to
# each object's folder, ccache hands it the first tree's objects.
if [ "$signed_test" = yes ] && [ -z "${CCACHE_BASEDIR:-}" ] && command -v ccache >/dev/null &&
   [ -z "$(ccache -k base_dir 2>/dev/null)" ]; then
  export CCACHE_BASEDIR=$top
fi
test_key=$(awk '$1 == "public" { print $2 }' "$top/tests/update/signing/test-update.key")

# configure_and_build <arch> <Qt> <folder> <public keys> [target ...]: no
# targets builds them all. The keys are always passed, so an earlier run's
# keys never stay in the folder's cache.
configure_and_build() {
  local arch=$1 qt=$2 dir=$3 keys=$4
  shift 4
  local log="$dir/build.log" targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  mkdir -p "$dir"
  cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" \
        -DORVANE_QT_PREFIX="$qt" -DORVANE_UPDATE_PUBLIC_KEY="$keys" >"$log" 2>&1 ||
    { tail -30 "$log" >&2; echo "build-windows: configuring $dir failed (log: $log)" >&2; exit 1; }
  cmake --build "$dir" -j"$jobs" "${targets[@]}" >>"$log" 2>&1 ||
    { grep -E "error|Error" "$log" | head -30 >&2; echo "build-windows: building $dir failed (log: $log)" >&2; exit 1; }
  if grep -q "warning:" "$log"; then
    grep "warning:" "$log" >&2
    echo "build-windows: the build in $dir has warnings (log: $log)" >&2
    exit 1
  fi
}

for arch in $archs; do
  qt=$("$top/scripts/build-qt-windows.sh" "$arch")
  dir="$build/windows-$arch"
  echo "build-windows: $arch against $qt into $dir" >&2
  start=$(date +%s)
  configure_and_build "$arch" "$qt" "$dir" "${ORVANE_UPDATE_PUBLIC_KEY:-}"
  "$top/scripts/package-windows.sh" "$dir" "$arch" >>"$dir/build.log" 2>&1 ||
    { tail -20 "$dir/build.log" >&2; echo "build-windows: packing $arch failed (log: $dir/build.log)" >&2; exit 1; }
  echo "build-windows: $arch done in $(( $(date +%s) - start )) s:" >&2
  (cd "$dir" && ls -l stage/Orvane.exe stage/Renovo.exe stage/Kestrun.exe Orvane-*.zip Orvane-*.msi) >&2
  if [ "$signed_test" = yes ]; then
    start=$(date +%s)
    configure_and_build "$arch" "$qt" "$dir-signed-test" "$test_key" Orvane Renovo
    echo "build-windows: $arch trusting the tests' key done in $(( $(date +%s) - start )) s:" >&2
    (cd "$dir-signed-test" && ls -l stage/Orvane.exe stage/Renovo.exe) >&2
  fi
done
