#!/usr/bin/env bash
# The native test suite under the sanitizers, each kind in a build folder of
# its own (gcc's sanitizers: nothing to install beyond what test.sh needs):
#
#   scripts/sanitize.sh asan [ctest options]   AddressSanitizer with UndefinedBehaviorSanitizer,
#                                              every native test (build-asan/)
#   scripts/sanitize.sh tsan [ctest options]   ThreadSanitizer, the tests of the threaded
#                                              parts (build-tsan/)
#
# ctest options narrow the run further (-R NAME). A report fails its test.
# What the runtimes must not report, and why, is in scripts/sanitize/*.supp.
# scripts/test.sh stays the CI command; this is run by hand after changes to
# threads, parsers or memory handling.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:?usage: sanitize.sh asan|tsan [ctest options]}
shift
supp="$top/scripts/sanitize"
case "$kind" in
  asan)
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    # The Windows programs' tests need the cross build (test.sh), the
    # package test builds a tree of its own.
    select=(-E '^win32_|^linux_deb_package_test$')
    # verify_asan_link_order: the DDC/CI emulator is preloaded ahead of the runtime.
    # fast_unwind_on_malloc=0: stacks through Qt (built without frame pointers)
    # reach the caller, for the suppressions to name.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0:detect_stack_use_after_return=1:fast_unwind_on_malloc=0"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    ;;
  tsan)
    flags="-fsanitize=thread -fno-omit-frame-pointer"
    # The VCP workers and their watchdogs, the DDC/CI call threads (with the
    # emulated monitors), the notice watchers, the updater's download.
    select=(-R '^(ddc_|monitor_vcp_access_test|monitor_supported_list_test|linux_ddc_monitors_test|linux_session|sim_platform_test|ui_main_window_test|update_download_test|update_renovo_test|system_sleep_and_resume|system_monitors_come_and_go)')
    # ignore_noninstrumented_modules: Qt (and glib under it) is not built
    # with the thread checker and hands data between its threads under its
    # own futex locks (posted events, QThread's end, QWaitCondition), which
    # the runtime cannot see; the memory their own calls touch is not checked
    # (this program's code still is, in every thread).
    export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
    ;;
  *)
    echo "usage: sanitize.sh asan|tsan [ctest options]" >&2
    exit 2
    ;;
esac

# The scenario scripts leave out their bounds on memory (tests/harness).
export ORVANE_SANITIZER=$kind
"$top/scripts/install-deps.sh"
build=${ORVANE_SANITIZE_BUILD_DIR:-$top/build-$kind}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=OFF -DORVANE_TEST_TIMEOUT_FACTOR=3 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$flags" -DCMAKE_MODULE_LINKER_FLAGS="$flags" >/dev/null
nice -n 5 cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j2 --timeout 900 "${select[@]}" "$@"
