#!/usr/bin/env bash
# Makes orvane-dbgsym beside the orvane package cpack made from a build
# folder, laid out as Debian's own debug packages are: each program's debug
# information, compressed, under /usr/lib/debug/.build-id/, where debuggers
# look it up by the build id the stripped program keeps; the documentation
# folder is the main package's. (cpack's own debug package lists absolute
# paths in its md5sums, ships no documentation and leaves the files
# uncompressed.) With SOURCE_DATE_EPOCH set, no file time is later.
#   make-dbgsym.sh BUILD_FOLDER ORVANE_DEB OUTPUT_FOLDER
set -euo pipefail
build=$1
deb=$2
out=$3
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
work=$(mktemp -d "${TMPDIR:-/tmp}/dbgsym.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The programs as installed, unstripped.
DESTDIR="$work/unstripped" cmake --install "$build" --component orvane >/dev/null
root="$work/root"
ids=()
while IFS= read -r -d '' file; do
  id=$(readelf -n "$file" 2>/dev/null | sed -n 's/^ *Build ID: //p')
  [ -n "$id" ] || continue
  ids+=("$id")
  mkdir -p "$root/usr/lib/debug/.build-id/${id:0:2}"
  objcopy --only-keep-debug --compress-debug-sections "$file" "$root/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
done < <(find "$work/unstripped" -type f -perm -u+x -print0 | LC_ALL=C sort -z)
[ ${#ids[@]} -gt 0 ] || { echo "make-dbgsym: no program with a build id in $build" >&2; exit 1; }
mkdir -p "$root/usr/share/doc" "$root/DEBIAN"
ln -s orvane "$root/usr/share/doc/orvane-dbgsym"
find "$root/usr" -type d -exec chmod 0755 {} +
find "$root/usr" -type f -exec chmod 0644 {} +
(cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
cat >"$root/DEBIAN/control" <<CONTROL
Package: orvane-dbgsym
Source: orvane
Version: $version
Auto-Built-Package: debug-symbols
Architecture: $arch
Maintainer: $(dpkg-deb -f "$deb" Maintainer)
Installed-Size: $(du -sk --apparent-size "$root/usr" | cut -f1)
Depends: orvane (= $version)
Section: debug
Priority: optional
Description: debug symbols for orvane
Build-Ids: $(printf '%s\n' "${ids[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
CONTROL
chmod 0644 "$root/DEBIAN/md5sums" "$root/DEBIAN/control"
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  find "$root" -newermt "@$SOURCE_DATE_EPOCH" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
fi
dpkg-deb --root-owner-group -Zxz -b "$root" "$out/orvane-dbgsym_${version}_${arch}.deb" >/dev/null
echo "$out/orvane-dbgsym_${version}_${arch}.deb"
