#!/usr/bin/env bash
# Builds a static Qt 5 for Windows (MinGW-w64) from Debian's own qtbase source
# package and installs it into a cache folder outside the checkout, keyed by
# Qt version, architecture and configure options, so each machine builds it
# once (12-20 minutes a width on two cores).
#
#   scripts/build-qt-windows.sh [x86_64|i686]      build when missing, print the prefix
#   scripts/build-qt-windows.sh --prefix ARCH      print the prefix only (empty when not built)
#
# ORVANE_QT_CACHE chooses the cache folder (default ~/.cache/orvane-qt).
# The source's checksums are checked by apt (signed Sources index) and again
# by dpkg-source against the .dsc before anything is built.
set -euo pipefail

print_only=0
if [ "${1:-}" = --prefix ]; then print_only=1; shift; fi
arch=${1:-x86_64}
case "$arch" in
  x86_64|i686) ;;
  *) echo "build-qt-windows: unknown architecture '$arch' (x86_64 or i686)" >&2; exit 2 ;;
esac
host=$arch-w64-mingw32
# HOME may be unset in a service or CI environment: the account's own home then.
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache=${ORVANE_QT_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/orvane-qt}
qt_version=5.15.8

options=(-release -static -opensource -confirm-license -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-ssl -no-openssl -qt-zlib -qt-libpng -qt-pcre
  -no-libjpeg -no-gif -no-freetype -no-fontconfig -no-harfbuzz -no-direct2d -no-vulkan
  -no-feature-sql -no-feature-testlib -no-feature-concurrent -no-feature-printer
  -no-feature-tabletevent)
key=$(printf '%s\n' "$qt_version" "$arch" "${options[@]}" | sha256sum | cut -c1-12)
prefix="$cache/qt-$qt_version-$arch-$key"

if [ "$print_only" = 1 ]; then
  [ -f "$prefix/.complete" ] && echo "$prefix"
  exit 0
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
for tool in "$host-g++-posix" "$host-gcc-posix" dpkg-source; do
  command -v "$tool" >/dev/null || {
    echo "build-qt-windows: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work="$cache/work-$arch-$key"
log="$cache/qt-$qt_version-$arch-$key.log"
mkdir -p "$cache"
# One build of a configuration at a time: a second caller waits for the
# first and then takes its result.
exec 9>"$cache/qt-$qt_version-$arch-$key.lock"
if ! flock -n 9; then
  echo "build-qt-windows: Qt for $arch is being built by another process (progress in $log); waiting" >&2
  flock 9
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
mkdir -p "$work"
echo "build-qt-windows: building Qt $qt_version for $arch once for this machine (15-25 min); progress in $log" >&2
exec 3>&2 4>&1
exec >"$log" 2>&1
trap 'echo "build-qt-windows: failed; the last lines of $log:" >&3; tail -20 "$log" >&3' ERR

# Debian's source archive, for the qtbase source package.
if ! apt-get source --print-uris qtbase-opensource-src >/dev/null 2>&1 ||
   [ -z "$(apt-get source --print-uris qtbase-opensource-src 2>/dev/null | grep "\.dsc'")" ]; then
  list=/etc/apt/sources.list.d/orvane-deb-src.sources
  if [ ! -f "$list" ]; then
    $sudo tee "$list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  $sudo apt-get update -q
fi

cd "$work"
if [ ! -d src ]; then
  rm -rf dl && mkdir dl && cd dl
  # apt checks every file against the hashes of the signed Sources index.
  apt-get source --download-only qtbase-opensource-src
  dsc=$(ls qtbase-opensource-src_*.dsc | head -1)
  # dpkg-source checks the tarballs against the .dsc and applies the patches.
  dpkg-source --require-strong-checksums -x "$dsc" ../src
  cd .. && rm -rf dl
fi

# Qt's build calls the bare tool names with the CROSS_COMPILE prefix; the
# -posix compilers are the thread model the project itself uses.
tools="$work/tools"
mkdir -p "$tools"
for t in gcc g++; do ln -sf "$(command -v "$host-$t-posix")" "$tools/$host-$t"; done
export PATH="$tools:$PATH"

rm -rf obj && mkdir obj && cd obj
../src/configure -xplatform win32-g++ -device-option CROSS_COMPILE="$host-" \
  -prefix "$prefix" "${options[@]}"
make -j"$(nproc)"
make install
touch "$prefix/.complete"
cd "$cache" && rm -rf "$work"
exec 2>&3 1>&4
echo "build-qt-windows: Qt for $arch installed in $prefix" >&2
echo "$prefix"
