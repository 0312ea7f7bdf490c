#!/usr/bin/env bash
# Builds the programs and runs the tray program's main job.
#
# With supported DDC/CI monitors attached, Orvane runs on them for real.
# Otherwise it runs on simulated monitors (examples/sim/two-plus-unsupported.json,
# copied to a state file that orvane-sim drives). Without a desktop session
# (no DISPLAY) it brings its own X server and tray host and, since nobody can
# click there, takes a short scripted tour: pivot a monitor, watch the desktop
# and the tray follow, then exit.
#
#   scripts/run.sh              build, then run
#   ORVANE_SIM=path.json scripts/run.sh   run on a simulation description of your own
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Only what building and running need; scripts/test.sh installs the rest
# (test framework, X tools, the Windows cross build and Wine).
"$top/scripts/install-deps.sh" base linux wayland monitor update
build=${ORVANE_BUILD_DIR:-$top/build}
stage=$build/stage
# CMake's and make's progress go to a log; warnings and errors still show.
# CMake names a missing package on standard output only, hence the log's
# tail when the build fails.
mkdir -p "$build"
build_log=$build/run-build.log
echo "run.sh: building the programs into $stage (progress in $build_log)"
if ! "$top/scripts/build.sh" -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF >"$build_log"; then
  echo "run.sh: the build failed; the last lines of $build_log:" >&2
  tail -n 25 "$build_log" >&2
  exit 1
fi

state_dir=$(mktemp -d "${TMPDIR:-/tmp}/orvane-demo.XXXXXX")

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$state_dir"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  # The server picks a free display number and writes it to fd 3; a fixed
  # number could attach to somebody else's server.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$state_dir/display" >/dev/null 2>&1 & pids+=($!)
  for _ in $(seq 100); do [ -s "$state_dir/display" ] && break; sleep 0.1; done
  [ -s "$state_dir/display" ] || { echo "run.sh: the private X server did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$state_dir/display" | tr -d '[:space:]')"
  trayer --edge top --align right --widthtype request --height 32 >/dev/null 2>&1 & pids+=($!)
  headless=1
else
  headless=0
fi

if [ -z "${ORVANE_SIM:-}" ] && "$stage/orvane-probe" >/dev/null 2>&1; then
  echo "Supported monitors found: running Orvane on them."
  unset ORVANE_PLATFORM
  exec "$stage/Orvane"
fi

sim="$state_dir/monitors.json"
cp "${ORVANE_SIM:-$top/examples/sim/two-plus-unsupported.json}" "$sim"
export ORVANE_PLATFORM="sim:$sim"
# Where the program keeps its log: $TMPDIR, else $XDG_RUNTIME_DIR, else a
# private folder of this user.
log="${TMPDIR:-${XDG_RUNTIME_DIR:-/tmp/orvane-$(id -u)}}/Orvane_log.txt"
[ -f "$stage/RunInfo.ini" ] || printf '[TraceSet]\nTraceLevel=4\n' > "$stage/RunInfo.ini"

cat <<EOT
No supported monitor attached: Orvane runs on simulated monitors.
  state file: $sim
  log:        $log
Pivot the first monitor clockwise and watch the tray icon turn:
  $stage/orvane-sim $sim pivot 0 2
Back to landscape, unplug the second monitor, show the simulated state:
  $stage/orvane-sim $sim pivot 0 1
  $stage/orvane-sim $sim unplug 1
  $stage/orvane-sim $sim show
EOT

if [ "$headless" = 0 ]; then
  exec "$stage/Orvane"
fi

# Orvane empties its log at start; a log left by an earlier run would let
# the wait below pass before this Orvane has polled once.
rm -f "$log"
"$stage/Orvane" & orvane=$!; pids+=($orvane)
wait_for() { for _ in $(seq 100); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
wait_for "Timer end" || { echo "Orvane did not start polling"; exit 1; }
echo; echo "== first tick done; pivoting monitor 0 to portrait (VCP 0xAA = 2)"
"$stage/orvane-sim" "$sim" pivot 0 2
sleep 6
grep -E "Get Pivot info (success|failed)" "$log" | tail -2
echo; echo "== simulated displays now:"
"$stage/orvane-sim" "$sim" show | python3 -c 'import json,sys; s=json.load(sys.stdin); [print("  ", d.get("deviceName", d.get("name")), {k: d[k] for k in d if k in ("orientation","width","height","frequency")}) for d in s.get("displays", [])]' || "$stage/orvane-sim" "$sim" show
echo; echo "== ending Orvane"
kill "$orvane"; wait "$orvane" 2>/dev/null || true
