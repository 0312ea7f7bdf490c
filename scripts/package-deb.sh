#!/usr/bin/env bash
# Builds the Debian packages orvane and orvane-dbgsym from this source tree,
# on a fresh Debian 12 as well: installs what building and packaging need
# (scripts/deps/: base linux wayland monitor update package), configures a
# build folder for distribution (prefix /usr, no updater, Release with debug
# information and the system's hardening flags), makes the package with
# cpack -G DEB and the debug symbols package from the same programs. The
# packages land in the build folder.
#   scripts/package-deb.sh [build folder]      default: build-deb
#
# Two runs on the same source give the same bytes: SOURCE_DATE_EPOCH is the
# release date of this version in CHANGELOG.md (unless the caller sets it),
# every file time in the packages is clamped to it, and the compiler writes
# the source and build folders into the programs as "." and "build".
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$here/build-deb}" && cd "${1:-$here/build-deb}" && pwd)
"$here/scripts/install-deps.sh" base linux wayland monitor update package

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
  released=$(grep -m1 "^## ${version//./\\.}[^0-9]" "$here/CHANGELOG.md" | grep -o '[0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\}') ||
    { echo "package-deb: CHANGELOG.md has no dated heading for $version" >&2; exit 1; }
  SOURCE_DATE_EPOCH=$(date -u -d "$released 12:00" +%s)
fi
export SOURCE_DATE_EPOCH

# A compiler cache may hand back an object compiled from another place with
# the same code but other paths in its debug information.
export CCACHE_DISABLE=1
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake takes no CPPFLAGS: the preprocessor flags go with the compiler's.
# dpkg-buildflags maps the folder it runs in; the build folder may lie
# elsewhere, and the later map wins where both match.
maps="-ffile-prefix-map=$here=. -ffile-prefix-map=$build=build"
flags() { (cd "$here" && dpkg-buildflags --get "$1"); }
CFLAGS="$(flags CFLAGS) $(flags CPPFLAGS) $maps"
CXXFLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS) $maps"
LDFLAGS=$(flags LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
nice -n 10 cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DORVANE_WITH_UPDATER=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF
nice -n 10 cmake --build "$build" -j "$(nproc)"
rm -f "$build"/*.deb "$build"/*.ddeb
(cd "$build" && nice -n 10 cpack -G DEB)

"$here/packaging/linux/make-dbgsym.sh" "$build" "$(ls "$build"/orvane_*.deb)" "$build" >/dev/null
ls -l "$build"/*.deb
