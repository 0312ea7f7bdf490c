"""The Linux programs as a user meets them: a scratch installation of the
staged programs on a desktop of the test's own (harness.desktop), over
simulated monitors, and what the user does with the tray icon and its menu."""

import json
import os
import re
import shutil
import subprocess
import time

from harness.basics import SOURCE, STAGE, Failure, check, kill, processes, read_text, wait_for, write
from harness.desktop import Desktop

ICON_CLASS = '"Orvane" "Orvane"'


class Session(Desktop):
    def __init__(self, example="two-plus-unsupported.json", tray=True, adjust=None):
        self.example, self.adjust = example, adjust
        super().__init__(screen=(1280, 800), tray=tray, name="system")

    def setup(self):
        self.install = os.path.join(self.root, "install")
        shutil.copytree(STAGE, self.install)
        write(os.path.join(self.install, "RunInfo.ini"), b"[TraceSet]\nTraceLevel=4\n")
        self.tmp = os.path.join(self.root, "tmp")
        self.config = os.path.join(self.root, "config")
        os.makedirs(self.tmp)
        os.makedirs(self.config)
        self.sim = os.path.join(self.root, "sim.json")
        text = re.sub(r'"delayMs": \d+', '"delayMs": 5', read_text(os.path.join(SOURCE, "examples", "sim", self.example)))
        write(self.sim, (self.adjust(text) if self.adjust else text).encode())
        self.env.update({"TMPDIR": self.tmp, "XDG_CONFIG_HOME": self.config, "ORVANE_PLATFORM": "sim:" + self.sim,
                         "QT_QPA_PLATFORM": "xcb"})

    # -- processes ---------------------------------------------------------
    def start_orvane(self, *args, extra_env=None):
        return self.spawn([os.path.join(self.install, "Orvane")] + list(args), env=dict(self.env, **(extra_env or {})),
                          stderr=subprocess.PIPE, cwd=self.root)

    def started(self, *args, extra_env=None):
        """Orvane started and through its first tick."""
        p = self.start_orvane(*args, extra_env=extra_env)
        self.wait_log("Timer end ", timeout=30)
        return p

    def orvane_processes(self):
        """(pid, argv) of every Orvane running from this installation."""
        exe = os.path.join(self.install, "Orvane")
        return processes(lambda argv: argv[0] == exe)

    def close(self):
        if hasattr(self, "install"):
            kill(pid for pid, _ in self.orvane_processes())
        super().close()

    # -- what the program writes ---------------------------------------------
    def log(self, name="Orvane_log.txt"):
        return read_text(os.path.join(self.tmp, name))

    def log_lines(self):
        return [line[14:] for line in self.log().splitlines()]

    def wait_log(self, text, timeout=20, count=1):
        wait_for(lambda: self.log().count(text) >= count, timeout, repr(text) + " in the log")

    # -- the simulated monitors --------------------------------------------
    def sim_cmd(self, *args):
        out = subprocess.run([os.path.join(self.install, "orvane-sim"), self.sim] + [str(a) for a in args],
                             capture_output=True, text=True, timeout=20)
        check(out.returncode == 0, "orvane-sim %s failed: %s" % (args, out.stderr))
        return out.stdout

    def display_state(self, index):
        return json.loads(self.sim_cmd("show"))["displays"][index]

    def vcp(self, monitor, code):
        return int(self.sim_cmd("get", monitor, code).strip(), 0)

    # -- the tray icon and its menu -----------------------------------------
    def tray_icon(self):
        """Geometry (w, h, x, y) of our icon embedded in the tray host, or None."""
        return next((icon for icon in self.tray_icons(ICON_CLASS) if icon[0] <= 64 and icon[1] <= 64), None)

    def tray_picture(self):
        """Which picture the tray shows, judged from the screen: the screen of
        the drawn monitor is wide (landscape) or tall (turned); for a turned
        one the arrow's head sits on the side the turn went to."""
        icon = self.tray_icon()
        check(icon is not None, "no tray icon on the screen")
        path = self.screenshot(os.path.join(self.root, "tray.png"), icon)
        pixels = subprocess.run(["convert", path, "txt:-"], capture_output=True, text=True).stdout
        teal, yellow = [], []
        for line in pixels.splitlines()[1:]:
            m = re.match(r"(\d+),(\d+): \((\d+),(\d+),(\d+)", line)
            if not m:
                continue
            x, y, r, g, b = (int(v) for v in m.groups())
            if r < 140 and g > 140 and b > 140 and abs(g - b) < 40:
                teal.append((x, y))
            elif r > 200 and g > 140 and b < 90:
                yellow.append((x, y))
        check(teal, "the tray picture shows no monitor screen")
        width = max(x for x, _ in teal) - min(x for x, _ in teal)
        height = max(y for _, y in teal) - min(y for _, y in teal)
        if width > height:
            return "landscape"
        centre = (max(x for x, _ in teal) + min(x for x, _ in teal)) / 2.0
        mean = sum(x for x, _ in yellow) / max(1, len(yellow))
        return "cw90" if mean > centre else "ccw90"

    def open_tray_menu(self):
        # The tray menu is the popup with all eight rows; the icon's tool tip
        # is a popup of its own, one line high.
        menus = lambda: [win for win in self.windows("Orvane") if win[1] < 400 and 150 < win[2] < 400]  # noqa: E731
        menu = None
        # Right after a menu or a box closed, the X server without a window
        # manager may still hand the next click to the closing popup; a
        # right-click that opened nothing is repeated.
        for attempt in range(3):
            w, h, x, y = wait_for(self.tray_icon, 20, "the tray icon")
            self.xdotool("mousemove", x + w // 2, y + h // 2)
            time.sleep(0.3)
            self.xdotool("click", "3")
            try:
                menu = wait_for(menus, 4, "the tray menu")[0]
                break
            except Failure:
                self.xdotool("mousemove", 5, 790)
                time.sleep(0.5)
        check(menu is not None, "the tray menu did not open")
        # The menu opens under the pointer; off it, no row is hovered and no
        # submenu opens by itself.
        self.xdotool("mousemove", 5, 790)
        time.sleep(0.3)
        return menu

    # Menu rows are 25 pixels high with a 12 pixel half-row from the frame to
    # the first centre; the last row sits 13 pixels above the bottom edge.
    @staticmethod
    def menu_row(menu, row):
        """Screen point of a menu row: 0 the first, -1 the last (below the
        separator of the tray menu)."""
        _, w, h, x, y = menu
        return (x + w // 2, y + h - 13 if row < 0 else y + 12 + 25 * row)

    def click_menu(self, menu, row):
        px, py = self.menu_row(menu, row)
        self.xdotool("mousemove", px, py)
        # A submenu that opened under the pointer holds the highlight for
        # the style's sloppy-close time (one second); the row takes it after.
        time.sleep(1.2)
        self.xdotool("mousemove", px + 1, py)
        time.sleep(0.2)
        self.xdotool("click", "1")

    def open_submenu(self, menu, row):
        """Hovers a row with a submenu and returns the submenu's window."""
        before = {w[0] for w in self.windows("Orvane")}
        px, py = self.menu_row(menu, row)
        self.xdotool("mousemove", px - 20, py)
        self.xdotool("mousemove", px, py)
        return wait_for(lambda: [w for w in self.windows("Orvane") if w[0] not in before and w[1] < 400
                                 and w[2] > 30], 10, "the submenu")[0]
