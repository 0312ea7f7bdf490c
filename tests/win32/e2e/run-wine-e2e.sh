#!/usr/bin/env bash
# The Windows programs end to end under Wine: builds the stand-in monitor
# (dxva2.dll) and the notice sender with MinGW-w64, then runs the scenarios
# against the Windows build's Orvane.exe, Renovo.exe and Kestrun.exe on one
# private X server and Wine prefix. Exit 77 (skipped) only when Wine or the
# desktop tools are missing, or, once the Wine desktop itself has been checked,
# when the Windows build is; for signed_update, when the build trusting the
# tests' key is missing.
set -u
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

here=$(cd "$(dirname "$0")" && pwd)
src=${ORVANE_SOURCE_DIR:-$(cd "$here/../../.." && pwd)}
build=${ORVANE_BUILD_DIR:-$src/build}
scratch=${ORVANE_TEST_DIR:-$(mktemp -d)}
stage=${ORVANE_WINDOWS_STAGE:-$build/windows-x86_64/stage}

for tool in x86_64-w64-mingw32-gcc wineserver Xvfb trayer xdotool xwininfo xset import convert python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
# The 64-bit loader itself: the wine wrapper prefers the 32-bit one, which
# not every machine can run.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
[ -n "$wine" ] && [ -x "$wine" ] || skip "the 64-bit Wine loader is not installed"
programs=yes
for exe in Orvane.exe Renovo.exe Kestrun.exe; do
  [ -f "$stage/$exe" ] || { programs="no: $stage/$exe is missing (scripts/build-windows.sh x86_64 builds it)"; break; }
done
[ "$programs" != yes ] || [ -x "${ORVANE_STAGE_DIR:-}/renovo-publish" ] || skip "renovo-publish is not built"
# The signed update scenario runs the programs built trusting the tests' key.
signed_stage=${ORVANE_WINDOWS_SIGNED_STAGE:-$build/windows-x86_64-signed-test/stage}
case " $* " in
  *" signed_update "*)
    for exe in Orvane.exe Renovo.exe; do
      [ -f "$signed_stage/$exe" ] ||
        skip "$signed_stage/$exe is missing (scripts/build-windows.sh --signed-test x86_64 builds it)"
    done ;;
esac

standin="$scratch/standin"
mkdir -p "$standin"
cflags="-O2 -s -Wall -Wextra -Werror -static-libgcc"
x86_64-w64-mingw32-gcc $cflags -shared -o "$standin/dxva2.dll" "$here/standin/dxva2.c" "$here/standin/dxva2.def" \
  -Wl,--kill-at || fail "building the stand-in dxva2.dll"
x86_64-w64-mingw32-gcc $cflags -municode -o "$standin/poke.exe" "$here/standin/poke.c" || fail "building poke.exe"
x86_64-w64-mingw32-gcc $cflags -municode -o "$standin/probe.exe" "$here/standin/probe.c" -ladvapi32 ||
  fail "building probe.exe"

export ORVANE_WINE="$wine" ORVANE_WINDOWS_STAGE="$stage" ORVANE_WINDOWS_SIGNED_STAGE="$signed_stage"
export ORVANE_STANDIN_DIR="$standin" ORVANE_TEST_DIR="$scratch"
if [ "$programs" != yes ]; then
  # Without the programs the desktop and the stand-ins are still checked.
  python3 "$here/wine_scenarios.py" wine_desktop || exit 1
  skip "the program scenarios need the Windows build ($programs)"
fi
exec python3 "$here/wine_scenarios.py" "$@"
