"""Orvane and orvane-probe on the real Linux platform (X server of their own,
tray host) with one emulated monitor on the I2C bus behind the X output, at
the default trace level: the program writes 0xCA = 4 at start, follows a
pivot read over DDC/CI in its tray, says once that the X server (Xvfb, whose
RandR offers only "normal") refused the rotation, and writes 0xCA = 5 when
it ends from its menu.
Usage: program_on_the_wire.py EMU_COMMAND PRELOAD"""

import os
import subprocess
import sys
import time

from harness.basics import Failure, check, wait_for
from harness.system import Session

EMU, PRELOAD = sys.argv[1], sys.argv[2]


def emu(*args):
    out = subprocess.run([EMU] + [str(a) for a in args], capture_output=True, text=True, timeout=20)
    check(out.returncode == 0, "ddc-emu %s failed: %s" % (args, out.stderr))
    return out.stdout


def picture(s):
    """The tray's picture, None while the icon is not drawn yet."""
    try:
        return s.tray_picture()
    except Failure:
        return None


def writes(state):
    return [tuple(int(v, 0) for v in line.split()) for line in emu("writes", state, 0).splitlines()]


def main():
    with Session(example="one-4k.json") as s:
        folder = os.path.join(s.root, "emu")
        os.makedirs(folder)
        # Xvfb's one output is named "screen" and has no EDID; the program
        # takes the EDID of the DRM connector of that name.
        state = emu("create", folder, 1, "--connector", "screen").strip()
        s.env.pop("ORVANE_PLATFORM")
        s.env.update({"LD_PRELOAD": PRELOAD, "ORVANE_DDC_EMU": state})
        os.remove(os.path.join(s.install, "RunInfo.ini"))  # the default trace level

        probe = subprocess.run([os.path.join(s.install, "orvane-probe")], env=s.env, capture_output=True,
                               text=True, timeout=60)
        check(probe.returncode == 0, "orvane-probe found no supported monitor: %r %r" % (probe.stdout, probe.stderr))
        check(probe.stdout.splitlines()[-2:] == ["Monitors found: 1, answering DDC/CI: 1", "Supported monitors: 1"],
              "orvane-probe printed %r" % probe.stdout)
        check("Total Monitor:" not in probe.stderr, "enumeration lines without --verbose: %r" % probe.stderr)
        check(writes(state) == [], "orvane-probe wrote to the monitor: %s" % writes(state))

        p = s.start_orvane()
        wait_for(lambda: writes(state) == [(0xCA, 4)], 30, "0xCA = 4 at start")
        wait_for(s.tray_icon, 20, "the tray icon")
        wait_for(lambda: picture(s) == "landscape", 10, "the landscape picture in the tray")

        emu("set", state, 0, "0xAA", 2)
        wait_for(lambda: picture(s) == "cw90", 15, "the CW 90 picture in the tray")
        s.wait_log("Rotation refused: screen to orientation 1 (", timeout=15)
        time.sleep(6)  # two more ticks, each asking again
        log = s.log()
        check(log.count("Rotation refused:") == 1, "the refusal was not said exactly once: %s" % log)
        check("DISP_CHANGE_BADMODE, the output's CRTC offers only the rotations: normal" in log,
              "the X server's answer is not in the log: %s" % log)
        check("Timer start" not in log, "debug lines at the default trace level")
        print(next(line for line in log.splitlines() if "Rotation refused:" in line))

        s.click_menu(s.open_tray_menu(), -1)
        check(p.wait(20) == 0, "Orvane did not end with code 0")
        check(writes(state) == [(0xCA, 4), (0xCA, 5)], "0xCA = 5 not written at exit: %s" % writes(state))
    print("program on the wire ok")


if __name__ == "__main__":
    main()
