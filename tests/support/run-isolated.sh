#!/usr/bin/env bash
# Runs one test command in a fresh scratch folder: TMPDIR, HOME and the XDG
# folders all point inside it, so no test touches the user's real log,
# settings or autostart entries. The folder is removed afterwards unless
# ORVANE_KEEP_TEST_DIRS is set. The scenario scripts find their harness
# (tests/harness) through PYTHONPATH and leave no compiled copies in it.
set -u
tests=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d "${ORVANE_TEST_ROOT:-/tmp}/orvane-test.XXXXXX")
mkdir -p "$root/tmp" "$root/home" "$root/config" "$root/runtime" "$root/data" "$root/cache"
chmod 700 "$root/runtime"
export TMPDIR="$root/tmp" HOME="$root/home" XDG_CONFIG_HOME="$root/config" \
       XDG_RUNTIME_DIR="$root/runtime" XDG_DATA_HOME="$root/data" XDG_CACHE_HOME="$root/cache" \
       ORVANE_TEST_DIR="$root" PYTHONPATH="$tests${PYTHONPATH:+:$PYTHONPATH}" PYTHONDONTWRITEBYTECODE=1
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
unset ORVANE_PLATFORM ORVANE_SITE_HOST
"$@"
rc=$?
[ -n "${ORVANE_KEEP_TEST_DIRS:-}" ] || rm -rf "$root"
exit $rc
