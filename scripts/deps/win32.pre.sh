#!/usr/bin/env bash
# wine32 (the 32-bit half of Wine, for the i686 suite) is an i386 package.
set -euo pipefail
if [ "$(dpkg --print-architecture)" = amd64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture i386
fi
