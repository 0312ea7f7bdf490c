#!/usr/bin/env bash
# Cross-builds the Windows layer, Kestrun.exe and the Wine suite with
# MinGW-w64 (x86_64 and i686) and runs the suites under Wine in a throw-away
# prefix on a private X server. Exit 77 (skipped) only when the tools are
# genuinely missing.
set -u
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

src=${ORVANE_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
build=${ORVANE_BUILD_DIR:-$src/build}
scratch=${ORVANE_TEST_DIR:-$(mktemp -d)}
jobs=${ORVANE_WIN32_JOBS:-2}

for tool in cmake x86_64-w64-mingw32-g++ i686-w64-mingw32-g++ x86_64-w64-mingw32-windres wine xvfb-run; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ -f /usr/src/googletest/CMakeLists.txt ] || skip "googletest sources are not installed"

archs="x86_64 i686"
for arch in $archs; do
  dir="$build/win32-$arch"
  echo "== building $arch in $dir"
  cmake -S "$src/platform/win32" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-$arch.cmake" >"$scratch/cmake-$arch.log" 2>&1 \
    || { cat "$scratch/cmake-$arch.log"; fail "configuring $arch"; }
  cmake --build "$dir" -j "$jobs" >"$scratch/build-$arch.log" 2>&1 \
    || { tail -50 "$scratch/build-$arch.log"; fail "building $arch"; }
  if grep -q "warning:" "$scratch/build-$arch.log"; then
    grep "warning:" "$scratch/build-$arch.log"
    fail "the $arch build has warnings"
  fi
done

# The Qt glue cannot be linked here (no Qt for MinGW), but it must at least
# compile for Windows: checked against the system's Qt headers.
qt=/usr/include/x86_64-linux-gnu/qt5
if [ -d "$qt/QtWidgets" ]; then
  echo "== compiling the Qt glue for Windows (syntax only)"
  x86_64-w64-mingw32-g++ -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes \
      -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
      -I"$src" -I"$src/platform/include" -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" \
      "$src/platform/win32/qt/NativeEventGlue.cpp" || fail "the Qt glue does not compile for Windows"
fi

# 32-bit programs need Wine's 32-bit half (wine32:i386) and a kernel that
# runs 32-bit code (some virtual machines are built without it).
run_archs="x86_64"
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  run_archs="x86_64 i686"
else
  echo "NOTE: 32-bit Wine cannot run here (wine32 missing or no 32-bit support in the kernel); the i686 build is compiled but not run"
  # Debian's wine wrapper prefers the 32-bit loader whenever it is installed,
  # even where it cannot run: go straight to the 64-bit one.
  if [ -x /usr/lib/wine/wine64 ]; then
    mkdir -p "$scratch/bin"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$scratch/bin/$name"
      chmod +x "$scratch/bin/$name"
    done
    export PATH="$scratch/bin:$PATH"
  fi
fi

export WINEPREFIX="$scratch/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
inner="$scratch/run-under-x.sh"
cat >"$inner" <<INNER
set -u
status=0
wineboot -i >"$scratch/wineboot.log" 2>&1
wineserver -w
for arch in $run_archs; do
  echo "== running the \$arch suite under Wine"
  # The Windows build of the programs of the same width, when there is one.
  unset ORVANE_WINDOWS_STAGE
  if [ -f "$build/windows-\$arch/stage/Orvane.exe" ]; then
    export ORVANE_WINDOWS_STAGE="\$(winepath -w "$build/windows-\$arch/stage")"
  fi
  export ORVANE_WINDOWS_WIDTH=\$arch
  timeout 300 wine "$build/win32-\$arch/stage/win32_suite.exe" || status=1
  wineserver -w
done
# Where 32-bit code cannot run, the 64-bit suite still reads the 32-bit
# programs' resources and headers (as Windows reads them, without running them).
case " $run_archs " in
  *" i686 "*) ;;
  *)
    if [ -f "$build/windows-i686/stage/Orvane.exe" ]; then
      echo "== reading the i686 programs from the x86_64 suite"
      export ORVANE_WINDOWS_STAGE="\$(winepath -w "$build/windows-i686/stage")" ORVANE_WINDOWS_WIDTH=i686
      timeout 120 wine "$build/win32-x86_64/stage/win32_suite.exe" --gtest_filter='WindowsPrograms.*' || status=1
    fi ;;
esac
exit \$status
INNER
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$inner"
status=$?
wineserver -k >/dev/null 2>&1
exit $status
