#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demonstration
# need (the lists in scripts/deps/). Idempotent; runs apt-get only when a
# package is missing. Needs root (or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Areas that need more than a package name (an extra architecture, say)
# put a *.pre.sh beside their list; it runs first, as root.
for hook in "$here"/deps/*.pre.sh; do
  [ -e "$hook" ] && bash "$hook"
done
packages=$(grep -hv '^\s*#' "$here"/deps/*.txt | tr -s ' \t' '\n' | grep -v '^$' | sort -u)
missing=()
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
