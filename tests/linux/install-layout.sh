#!/usr/bin/env bash
# cmake --install --component folder lays out a self-contained folder that
# works from where it lands: programs, pictures, settings example and a menu
# entry naming them.
set -euo pipefail
target="$TMPDIR/install root/Orvane \$1"
output=$(cmake --install "$ORVANE_BUILD_DIR" --prefix "$target" --component folder 2>&1) || { echo "$output"; exit 1; }
if ! grep -q 'orvane.desktop' <<<"$output"; then
  echo "install rules are not part of this configuration; nothing to check"
  exit 0
fi
fail() { echo "FAIL: $*"; exit 1; }
for f in Orvane Renovo Kestrun; do [ -x "$target/$f" ] || fail "$f missing or not executable"; done
[ -f "$target/icon/icon_64.png" ] || fail "icon/icon_64.png missing"
[ -f "$target/RunInfo.ini.example" ] || fail "RunInfo.ini.example missing"
[ -f "$target/share/icons/hicolor/64x64/apps/orvane.png" ] || fail "hicolor icon missing"
entry="$target/share/applications/orvane.desktop"
expected="Exec=\"$(printf '%s' "$target" | sed 's/\$/\\\\$/g')/Orvane\""
grep -qxF "$expected" "$entry" || { cat "$entry"; fail "Exec does not name the installed Orvane"; }
# The installed Kestrun writes an autostart entry for the installed Orvane.
"$target/Kestrun" 1 || fail "Kestrun 1 failed"
grep -q "^Exec=\".*install root/Orvane" "$XDG_CONFIG_HOME/autostart/Orvane.desktop" || fail "autostart entry wrong"
"$target/Kestrun" 0 || fail "Kestrun 0 failed"
[ ! -e "$XDG_CONFIG_HOME/autostart/Orvane.desktop" ] || fail "autostart entry left behind"
echo "install layout ok"
