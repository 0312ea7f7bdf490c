#!/usr/bin/env bash
# The Debian packages of this build, as a user would meet them: orvane made
# by cpack and orvane-dbgsym beside it, both clean for lintian, installed
# with dpkg into an empty root and verified there, the programs run, the
# desktop entries and metainfo validated, then purged, which must leave the
# root as it was.
#   deb-package.sh <version> <with updater: ON|OFF>
set -euo pipefail
version_expected=$1
with_updater=$2
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
# dpkg wants root rights inside its root; a user namespace gives them.
if [ "$(id -u)" -ne 0 ]; then
  unshare -r true 2>/dev/null || skip "dpkg --root needs root rights or user namespaces"
  exec unshare -r "$0" "$@"
fi

work="$TMPDIR/deb"
mkdir -p "$work"
cpack -G DEB --config "$ORVANE_BUILD_DIR/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
deb=$(ls "$work"/out/orvane_*.deb)
dbgsym=$("$ORVANE_SOURCE_DIR/packaging/linux/make-dbgsym.sh" "$ORVANE_BUILD_DIR" "$deb" "$work/out") ||
  fail "make-dbgsym.sh failed"
echo "packages: $(basename "$deb") $(stat -c %s "$deb") bytes, $(basename "$dbgsym") $(stat -c %s "$dbgsym") bytes"

# --- Control data --------------------------------------------------------
control=$(dpkg-deb -f "$deb")
grep -q '^Depends: .*libddcutil4' <<<"$control" || fail "no dependency on libddcutil4: $control"
grep -q '^Depends: .*libcurl4' <<<"$control" || fail "no dependency on libcurl4: $control"
grep -q '^Depends: .*libqt5widgets5' <<<"$control" || fail "shlibdeps found no Qt: $control"
[ "$(dpkg-deb -f "$deb" Version)" = "$version_expected-1" ] || fail "version $(dpkg-deb -f "$deb" Version)"

# --- File list -----------------------------------------------------------
id=org.orvane.Orvane
expected=(
  /usr/bin/orvane /usr/bin/orvane-probe /usr/bin/orvane-sim
  /usr/lib/orvane/Orvane /usr/lib/orvane/Kestrun
  /usr/lib/orvane/icon/icon_64.png /usr/lib/orvane/icon/icon_landscape_64.png
  /usr/lib/orvane/icon/icon_cw90_64.png /usr/lib/orvane/icon/icon_ccw90_64.png
  /usr/lib/udev/rules.d/60-orvane-i2c.rules /usr/lib/modules-load.d/orvane-i2c.conf
  /usr/share/applications/$id.desktop /usr/share/applications/$id.Enrol.desktop
  /usr/share/metainfo/$id.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/$id.svg
  /usr/share/man/man1/orvane.1.gz /usr/share/man/man1/Kestrun.1.gz
  /usr/share/man/man1/orvane-probe.1.gz /usr/share/man/man1/orvane-sim.1.gz
  /usr/share/doc/orvane/README.md /usr/share/doc/orvane/linux.md /usr/share/doc/orvane/simulation.md
  /usr/share/doc/orvane/RunInfo.ini.example /usr/share/doc/orvane/copyright
  /usr/share/doc/orvane/changelog.gz /usr/share/doc/orvane/changelog.Debian.gz
  /usr/share/lintian/overrides/orvane
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for example in "$ORVANE_SOURCE_DIR"/examples/sim/*.json; do
  expected+=("/usr/share/doc/orvane/examples/sim/$(basename "$example")")
done
if [ "$with_updater" = ON ]; then
  expected+=(/usr/lib/orvane/Renovo /usr/share/man/man1/Renovo.1.gz)
fi
dpkg-deb -c "$deb" >"$work/contents"
awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' "$work/contents" | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "file list differs from the expected one (- expected, + packaged)"
grep -q '^lrwxrwxrwx .* ./usr/bin/orvane -> ../lib/orvane/Orvane$' "$work/contents" ||
  fail "/usr/bin/orvane is not a relative link to the program"

# The debug package: one compressed file of debug information a program,
# readable by all, the documentation the main package's.
dpkg-deb -c "$dbgsym" >"$work/dbgsym.contents"
grep -q '^lrwxrwxrwx .* ./usr/share/doc/orvane-dbgsym -> orvane$' "$work/dbgsym.contents" || fail "dbgsym doc link"
[ "$(grep -c '^-rw-r--r-- .*/usr/lib/debug/\.build-id/.*\.debug$' "$work/dbgsym.contents")" -ge 4 ] ||
  { cat "$work/dbgsym.contents"; fail "debug files missing or not 0644"; }
[ "$(dpkg-deb -f "$dbgsym" Depends)" = "orvane (= $version_expected-1)" ] || fail "dbgsym Depends"

# --- lintian -------------------------------------------------------------
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning --allow-root "$deb" "$dbgsym" | tee "$work/lintian.log" ||
    fail "lintian reports errors or warnings"
else
  echo "lintian is not installed; packages not checked by it"
fi

# --- Install into an empty root --------------------------------------------
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
snapshot() { (cd "$root" && find . -path ./var/lib/dpkg -prune -o -print | sort); }
snapshot >"$work/before"
# The maintainer script runs outside a chroot and sees DPKG_ROOT, so it
# leaves the running system alone; dependencies are the host's.
dpkg_root() { dpkg --root="$root" --log="$work/dpkg.log" --force-script-chrootless --force-depends "$@"; }
dpkg_root -i "$deb" "$dbgsym" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "dpkg -i failed"; }
for package in orvane orvane-dbgsym; do
  [ "$(dpkg --root="$root" -s $package | sed -n 's/^Status: //p')" = "install ok installed" ] || fail "$package not installed"
done
# Every file of both packages as its md5sums say (relative paths).
verify=$(dpkg --root="$root" --verify orvane orvane-dbgsym 2>&1) && [ -z "$verify" ] || fail "dpkg --verify: $verify"
[ -s "$root/var/lib/dpkg/info/orvane-dbgsym.md5sums" ] || fail "orvane-dbgsym has no md5sums"

for f in "${expected[@]}"; do [ -e "$root$f" ] || fail "$f not installed"; done
version=$("$root/usr/bin/orvane" --version) || fail "orvane --version failed"
[ "$version" = "Orvane $version_expected" ] || fail "orvane --version printed \"$version\""
grep -q -- '--version' <<<"$("$root/usr/bin/orvane" --help)" || fail "orvane --help lists no --version"
# The probe names the settings files the installed Orvane reads.
grep -qx "    $root/usr/lib/orvane/RunInfo.ini" <<<"$("$root/usr/bin/orvane-probe" 2>/dev/null)" ||
  fail "orvane-probe does not name $root/usr/lib/orvane/RunInfo.ini"
for tool in "$root/usr/lib/orvane/Kestrun" "$root/usr/bin/orvane-probe" "$root/usr/bin/orvane-sim"; do
  grep -qF "$version_expected" <<<"$("$tool" --version)" || fail "$tool --version"
  "$tool" --help >/dev/null || fail "$tool --help"
done
# Kestrun's own command line is unchanged: anything else is refused.
for args in "--help 1" "--bogus" "2"; do
  rc=0; "$root/usr/lib/orvane/Kestrun" $args >/dev/null 2>&1 || rc=$?
  [ "$rc" = 2 ] || fail "Kestrun $args exited with $rc, not 2"
done
if [ "$with_updater" = ON ]; then
  [ "$("$root/usr/lib/orvane/Renovo" --version)" = "Renovo 1.0.0.0" ] || fail "Renovo --version"
fi
grep -q ', stripped' <<<"$(file -L "$root/usr/lib/orvane/Orvane")" || fail "Orvane is not stripped"

# The menu entry starts the program through the command on PATH.
entry="$root/usr/share/applications/$id.desktop"
[ "$(sed -n 's/^Exec=//p' "$entry")" = orvane ] || fail "Exec is not orvane"
[ "$(readlink -f "$root/usr/bin/orvane")" = "$(readlink -f "$root/usr/lib/orvane/Orvane")" ] ||
  fail "orvane does not lead to the program"
[ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "Icon is not the theme name $id"
[ "$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.Enrol.desktop")" = "orvane-probe --enrol --hold" ] ||
  fail "the enrolment entry does not run orvane-probe --enrol"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" "$root/usr/share/applications/$id.Enrol.desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate is not installed; desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
else
  echo "appstreamcli is not installed; metainfo not validated"
fi

# --- Purge: nothing left behind ---------------------------------------------
dpkg_root --purge orvane-dbgsym orvane >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "dpkg --purge failed"; }
snapshot >"$work/after"
diff -u "$work/before" "$work/after" || fail "purging left files behind"
echo "Debian package ok"
