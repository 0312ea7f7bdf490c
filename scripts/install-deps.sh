#!/usr/bin/env bash
# Installs the Debian packages of the lists in scripts/deps/. Idempotent;
# runs apt-get only when a package is missing. Needs root (or sudo).
#
#   install-deps.sh               every list: building, running and testing
#   install-deps.sh base linux    only the lists named (scripts/deps/NAME.txt)
#
# Lists whose names end in "-test", and win32 (the Windows cross build and
# its Wine suite), are needed by the tests only. Lists in deps/on-request/
# (the fuzzing compiler) are left out of "every list": they are installed
# when named, as in install-deps.sh on-request/fuzz.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then
  lists=()
  for f in "$here"/deps/*.txt; do lists+=("$(basename "$f" .txt)"); done
else
  lists=("$@")
fi
files=()
for name in "${lists[@]}"; do
  [ -f "$here/deps/$name.txt" ] || { echo "install-deps: no list scripts/deps/$name.txt" >&2; exit 2; }
  files+=("$here/deps/$name.txt")
  # A list that needs more than package names (an extra architecture, say)
  # has a NAME.pre.sh beside it; it runs first, as root.
  if [ -e "$here/deps/$name.pre.sh" ]; then bash "$here/deps/$name.pre.sh"; fi
done
packages=$(grep -hv '^\s*#' "${files[@]}" | tr -s ' \t' '\n' | grep -v '^$' | sort -u)
missing=()
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present (${lists[*]})"
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
