#!/usr/bin/env bash
# Builds the Debian package: a build folder configured for distribution
# (prefix /usr, no updater, Release with the system's hardening flags), then
# cpack -G DEB in it. The package lands in that folder.
#   scripts/package-deb.sh [build folder]      default: build-deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake takes no CPPFLAGS: the preprocessor flags go with the compiler's.
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
nice -n 10 cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DORVANE_WITH_UPDATER=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF
nice -n 10 cmake --build "$build" -j "$(nproc)"
(cd "$build" && nice -n 10 cpack -G DEB)
ls -l "$build"/*.deb "$build"/*.ddeb 2>/dev/null || true
