"""Orvane and orvane-probe on the real Linux platform (X server of their own,
tray host) with one emulated monitor on the I2C bus behind the X output: the
program writes 0xCA = 4 at start, follows a pivot read over DDC/CI and
writes 0xCA = 5 when it ends from its menu.
Usage: program_on_the_wire.py EMU_COMMAND PRELOAD"""

import os
import subprocess
import sys

from harness.basics import check, wait_for
from harness.system import Session

EMU, PRELOAD = sys.argv[1], sys.argv[2]


def emu(*args):
    out = subprocess.run([EMU] + [str(a) for a in args], capture_output=True, text=True, timeout=20)
    check(out.returncode == 0, "ddc-emu %s failed: %s" % (args, out.stderr))
    return out.stdout


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

        probe = subprocess.run([os.path.join(s.install, "orvane-probe")], env=s.env, capture_output=True,
                               text=True, timeout=60)
        check(probe.returncode == 0, "orvane-probe found no supported monitor: %r %r" % (probe.stdout, probe.stderr))
        check(probe.stdout.splitlines()[-1].strip() == "Supported monitors: 1", "orvane-probe printed %r" % probe.stdout)
        check(writes(state) == [], "orvane-probe wrote to the monitor: %s" % writes(state))

        p = s.started()
        check(writes(state) == [(0xCA, 4)], "0xCA = 4 not written at start: %s" % writes(state))
        check("Monitor  0  Get Pivot info success ,AA value : 1" in s.log_lines(), "no pivot read over DDC/CI")
        wait_for(s.tray_icon, 20, "the tray icon")

        ticks = s.log().count("Timer end ")
        emu("set", state, 0, "0xAA", 2)
        s.wait_log("Monitor  0  Get Pivot info success ,AA value : 2", timeout=15)
        s.wait_log("Timer end ", count=ticks + 2, timeout=15)
        wait_for(lambda: s.tray_picture() == "cw90", 10, "the CW 90 picture in the tray")

        s.click_menu(s.open_tray_menu(), -1)
        check(p.wait(20) == 0, "Orvane did not end with code 0")
        check(writes(state) == [(0xCA, 4), (0xCA, 5)], "0xCA = 5 not written at exit: %s" % writes(state))
    print("program on the wire ok")


if __name__ == "__main__":
    main()
