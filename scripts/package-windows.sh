#!/usr/bin/env bash
# Packs a Windows build of the tree (scripts/build-windows.sh runs this):
#
#   scripts/package-windows.sh <build folder> <x86_64|i686> [<output folder>]
#
# The installed folder (cmake --install --strip) goes into
#
#   <output>/Orvane-<version>-windows-<arch>.zip   unpack anywhere
#   <output>/Orvane-<version>-windows-<arch>.msi   the installer (wixl)
#
# <output> defaults to the build folder. With a code-signing certificate in
# the environment the programs are signed before they are packed, and the
# installer after it is built (osslsigncode, Authenticode, SHA-256):
#
#   ORVANE_SIGN_CERT            the certificate (chain), PEM or DER
#   ORVANE_SIGN_KEY             its private key, PEM or DER
#   ORVANE_SIGN_PASSWORD_FILE   a file holding the key's password (optional)
#   ORVANE_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamping service (optional;
#                               without one the signatures end with the
#                               certificate)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 <build folder> <x86_64|i686> [<output folder>]" >&2; exit 2; }
dir=$(cd "$1" && pwd)
arch=$2
out=${3:-$dir}
case "$arch" in x86_64|i686) ;; *) echo "package-windows: no such width: $arch" >&2; exit 2 ;; esac
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
[ -n "$version" ] || { echo "package-windows: $dir is not a configured build" >&2; exit 1; }
name=Orvane-$version-windows-$arch
for tool in wixl msibuild python3; do
  command -v "$tool" >/dev/null ||
    { echo "package-windows: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

sign=()
if [ -n "${ORVANE_SIGN_CERT:-}" ]; then
  [ -n "${ORVANE_SIGN_KEY:-}" ] || { echo "package-windows: ORVANE_SIGN_CERT needs ORVANE_SIGN_KEY" >&2; exit 1; }
  command -v osslsigncode >/dev/null ||
    { echo "package-windows: osslsigncode is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
  sign=(osslsigncode sign -certs "$ORVANE_SIGN_CERT" -key "$ORVANE_SIGN_KEY" -h sha256 -n Orvane)
  [ -z "${ORVANE_SIGN_PASSWORD_FILE:-}" ] || sign+=(-readpass "$ORVANE_SIGN_PASSWORD_FILE")
  [ -z "${ORVANE_SIGN_TIMESTAMP_URL:-}" ] || sign+=(-ts "$ORVANE_SIGN_TIMESTAMP_URL")
fi
# sign_file <file>: signs it in place when a certificate is given.
sign_file() {
  [ ${#sign[@]} -gt 0 ] || return 0
  rm -f "$1.signed"
  "${sign[@]}" -in "$1" -out "$1.signed" >/dev/null ||
    { echo "package-windows: signing $1 failed" >&2; exit 1; }
  mv "$1.signed" "$1"
}

mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "$out/.pack-XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/$name
cmake --install "$dir" --prefix "$root" --strip >"$work/install.log" ||
  { cat "$work/install.log" >&2; echo "package-windows: installing $dir failed" >&2; exit 1; }
# Stripped first: stripping after signing would break the signatures.
for exe in "$root"/*.exe; do
  sign_file "$exe"
done
rm -f "$out/$name.zip" "$out/$name.msi"
(cd "$work" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
python3 "$top/packaging/windows/msi.py" "$root" "$out/$name.msi" --version "$version" --arch "$arch" \
  --icon "$dir/icon/orvane.ico"
sign_file "$out/$name.msi"
