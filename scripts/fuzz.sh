#!/usr/bin/env bash
# A fuzzing campaign: builds the fuzz targets (fuzz/) with clang, libFuzzer,
# ASan and UBSan into build-fuzz/ (or $ORVANE_FUZZ_BUILD_DIR) and runs them.
#
#   scripts/fuzz.sh [--merge] [TARGET|all] [SECONDS]   (default: all, 300 s each)
#
# A target (edid, manifest, ...: fuzz/targets/TARGET.cpp) starts from its seed
# corpus and past findings (fuzz/corpus/TARGET, fuzz/regressions/TARGET) and
# grows a working corpus of its own in <build>/corpus/TARGET, kept between
# runs. A finding (crash, sanitizer report, failed check, time-out) is saved
# in <build>/findings/TARGET/; the run's log is <build>/logs/TARGET.log, and
# its last lines give the executions and the coverage reached (cov, ft).
# --merge then adds the working corpus's inputs that reach coverage the seed
# corpus does not to fuzz/corpus/TARGET. ORVANE_FUZZ_ARGS adds libFuzzer
# options (-runs=10000000 runs that many inputs instead of for a time).
# The fuzzing compiler is installed first (scripts/deps/on-request/fuzz.txt).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_FUZZ_BUILD_DIR:-$top/build-fuzz}
merge=no
if [ "${1:-}" = --merge ]; then
  merge=yes
  shift
fi
which=${1:-all}
seconds=${2:-300}

"$top/scripts/install-deps.sh" base linux wayland monitor update on-request/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON >/dev/null
fi
if [ "$which" = all ]; then
  nice -n 10 cmake --build "$build" -j"$(nproc)" --target fuzz_all
  targets=$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')
else
  nice -n 10 cmake --build "$build" -j"$(nproc)" --target "fuzz_$which"
  targets=$which
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/fuzz/lsan.supp:print_suppressions=0}
status=0
for name in $targets; do
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  # The targets that read files write one per input: in memory where there is room.
  scratch="$build/tmp/$name"
  [ -d /dev/shm ] && [ -w /dev/shm ] && scratch="/dev/shm/orvane-fuzz-$name-$$"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  rm -rf "$scratch" && mkdir -p "$scratch"
  options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
           -artifact_prefix="$findings/")
  [ -f "$top/fuzz/dict/$name.dict" ] && options+=(-dict="$top/fuzz/dict/$name.dict")
  seeds=("$top/fuzz/corpus/$name")
  [ -d "$top/fuzz/regressions/$name" ] && seeds+=("$top/fuzz/regressions/$name")
  # shellcheck disable=SC2086
  if TMPDIR=$scratch nice -n 10 "$build/fuzz/fuzz_$name" "${options[@]}" ${ORVANE_FUZZ_ARGS:-} "$work" "${seeds[@]}" \
      >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $findings/)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  echo "fuzz $name: ${runs:-?} executions, ${coverage:-no coverage line}: $result"
  if [ "$merge" = yes ] && [ "$result" = ok ]; then
    TMPDIR=$scratch "$build/fuzz/fuzz_$name" -merge=1 "$top/fuzz/corpus/$name" "$work" >>"$log" 2>&1
  fi
  rm -rf "$scratch"
done
exit $status
