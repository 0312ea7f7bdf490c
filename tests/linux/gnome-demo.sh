#!/usr/bin/env bash
# Demonstration mode end to end: Orvane on simulated monitors in a headless
# GNOME session; a pivot read over simulated DDC/CI turns the compositor's
# real monitor.
set -u
command -v mutter >/dev/null || { echo "mutter is not installed; nothing to check"; exit 0; }
[ -x "$ORVANE_STAGE_DIR/Orvane" ] || { echo "Orvane is not built; nothing to check"; exit 0; }
exec dbus-run-session -- bash -s <<'INNER'
set -u
work="$TMPDIR/demo"; mkdir -p "$work"
cp "$ORVANE_SOURCE_DIR/examples/sim/one-4k.json" "$work/sim.json"
. "$ORVANE_SOURCE_DIR/tests/support/headless-gnome.sh"
env -u DISPLAY XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=demo XDG_CURRENT_DESKTOP=GNOME QT_QPA_PLATFORM=offscreen \
  ORVANE_AUTO_CONFIRM=1 ORVANE_PLATFORM="sim:$work/sim.json" ORVANE_SESSION_ROTATION=primary \
  "$ORVANE_STAGE_DIR/Orvane" >"$work/out.txt" 2>"$work/err.txt" &
orvane_pid=$!
wait_for 30 grep -q "handed on to the session display" "$work/err.txt" || { echo "FAIL: demo mode not on"; cat "$work/err.txt"; finish 1; }
turned() { display_state | grep -q "(0, 0, 1.0, uint32 1,"; }
"$ORVANE_STAGE_DIR/orvane-sim" "$work/sim.json" pivot 0 2 >/dev/null
wait_for 30 turned || { echo "FAIL: the compositor's monitor was not turned"; display_state; finish 1; }
landscape() { display_state | grep -q "(0, 0, 1.0, uint32 0,"; }
"$ORVANE_STAGE_DIR/orvane-sim" "$work/sim.json" pivot 0 1 >/dev/null
wait_for 30 landscape || { echo "FAIL: the compositor's monitor did not turn back"; display_state; finish 1; }
[ ! -s "$work/out.txt" ] || { echo "FAIL: output on stdout"; cat "$work/out.txt"; finish 1; }
echo "demo ok"
finish 0
INNER
