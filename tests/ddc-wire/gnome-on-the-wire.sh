#!/usr/bin/env bash
# Orvane on the real Linux platform in a headless GNOME session, with an
# emulated monitor on the I2C bus behind the compositor's monitor. Its model
# is not on the list: Orvane says how to add it and ends; orvane-probe
# --enrol refuses it while it does not turn and adds it once it turns; then
# Orvane follows it: a pivot read over DDC/CI turns the compositor's monitor
# and back.
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
state=$("$DDC_EMU" create "$work/emu" 1 --connector Meta-0 --size 1920x1080 --product 0x1234) || exit 1
. "$ORVANE_SOURCE_DIR/tests/support/headless-gnome.sh"
session() {
  env -u DISPLAY XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wire XDG_CURRENT_DESKTOP=GNOME QT_QPA_PLATFORM=offscreen \
    ORVANE_AUTO_CONFIRM=1 LD_PRELOAD="$DDC_PRELOAD" ORVANE_DDC_EMU="$state" "$@"
}
settings="$XDG_CONFIG_HOME/orvane/RunInfo.ini"

# Not on the list: the box names the enrolment, and the program ends.
session "$ORVANE_STAGE_DIR/Orvane" >"$work/out.txt" 2>"$work/err.txt"
grep -q "Not on the list of supported models: ORV1234. To have such a monitor followed, run orvane-probe --enrol" \
  "$work/err.txt" || { echo "FAIL: the box does not point to the enrolment"; cat "$work/err.txt"; finish 1; }

# A monitor that does not turn is not added.
session "$ORVANE_STAGE_DIR/orvane-probe" --enrol --yes --time-limit 3 >"$work/refused.txt" 2>&1 &&
  { echo "FAIL: enrolled without a turn"; cat "$work/refused.txt"; finish 1; }
grep -q "No turn seen within 3 s from .*(model ORV1234): not added" "$work/refused.txt" ||
  { echo "FAIL: no clear refusal"; cat "$work/refused.txt"; finish 1; }
[ ! -e "$settings" ] || { echo "FAIL: settings written without a turn"; cat "$settings"; finish 1; }

# A monitor that turns while the probe watches is added.
session "$ORVANE_STAGE_DIR/orvane-probe" --enrol --yes --time-limit 60 >"$work/enrol.txt" 2>&1 &
probe=$!
wait_for 30 grep -q "now landscape" "$work/enrol.txt" || { echo "FAIL: the probe does not watch"; cat "$work/enrol.txt"; finish 1; }
"$DDC_EMU" set "$state" 0 0xAA 2
wait "$probe" || { echo "FAIL: the probe did not enrol"; cat "$work/enrol.txt"; finish 1; }
grep -qx "Models=ORV1234" "$settings" || { echo "FAIL: settings"; cat "$work/enrol.txt" "$settings"; finish 1; }
grep -q "Wrote to $settings:" "$work/enrol.txt" || { echo "FAIL: not told what was written"; cat "$work/enrol.txt"; finish 1; }

# Orvane follows it now: it stands turned, so the compositor's monitor turns.
session "$ORVANE_STAGE_DIR/Orvane" >"$work/out.txt" 2>"$work/err.txt" &
orvane_pid=$!
started() { "$DDC_EMU" writes "$state" 0 | grep -qx "0xCA 4"; }
wait_for 30 started || { echo "FAIL: 0xCA = 4 not written at start"; cat "$work/err.txt"; finish 1; }
turned() { display_state | grep -q "(0, 0, 1.0, uint32 1,"; }
wait_for 30 turned || { echo "FAIL: the compositor's monitor was not turned"; display_state; cat "$work/err.txt"; finish 1; }
landscape() { display_state | grep -q "(0, 0, 1.0, uint32 0,"; }
"$DDC_EMU" set "$state" 0 0xAA 1
wait_for 30 landscape || { echo "FAIL: the compositor's monitor did not turn back"; display_state; finish 1; }
echo "gnome on the wire ok"
finish 0
INNER
