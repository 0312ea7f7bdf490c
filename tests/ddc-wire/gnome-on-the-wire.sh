#!/usr/bin/env bash
# Orvane on the real Linux platform in a headless GNOME session, with an
# emulated monitor on the I2C bus behind the compositor's monitor: a pivot
# read over DDC/CI turns the compositor's monitor and back.
# Usage: gnome-on-the-wire.sh DDC_EMU PRELOAD
set -u
command -v mutter >/dev/null || { echo "mutter is not installed; nothing to check"; exit 0; }
[ -x "$ORVANE_STAGE_DIR/Orvane" ] || { echo "Orvane is not built; nothing to check"; exit 0; }
export DDC_EMU="$1" DDC_PRELOAD="$2"
exec dbus-run-session -- bash -s <<'INNER'
set -u
work="$TMPDIR/wire"; mkdir -p "$work/emu"
# The headless compositor's monitor is "Meta-0"; its EDID comes from the DRM
# connector of that name, which the emulation provides with the same monitor.
state=$("$DDC_EMU" create "$work/emu" 1 --connector Meta-0 --size 1920x1080) || exit 1
. "$ORVANE_SOURCE_DIR/tests/support/headless-gnome.sh"
env -u DISPLAY XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wire XDG_CURRENT_DESKTOP=GNOME QT_QPA_PLATFORM=offscreen \
  ORVANE_AUTO_CONFIRM=1 LD_PRELOAD="$DDC_PRELOAD" ORVANE_DDC_EMU="$state" \
  "$ORVANE_STAGE_DIR/Orvane" >"$work/out.txt" 2>"$work/err.txt" &
orvane_pid=$!
started() { "$DDC_EMU" writes "$state" 0 | grep -qx "0xCA 4"; }
wait_for 30 started || { echo "FAIL: 0xCA = 4 not written at start"; cat "$work/err.txt"; finish 1; }
turned() { display_state | grep -q "(0, 0, 1.0, uint32 1,"; }
"$DDC_EMU" set "$state" 0 0xAA 2
wait_for 30 turned || { echo "FAIL: the compositor's monitor was not turned"; display_state; cat "$work/err.txt"; finish 1; }
landscape() { display_state | grep -q "(0, 0, 1.0, uint32 0,"; }
"$DDC_EMU" set "$state" 0 0xAA 1
wait_for 30 landscape || { echo "FAIL: the compositor's monitor did not turn back"; display_state; finish 1; }
echo "gnome on the wire ok"
finish 0
INNER
