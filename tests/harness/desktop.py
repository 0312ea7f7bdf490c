"""An X server of the test's own with a tray host, and what a scenario does
on it: find windows, shoot the screen, press keys, answer boxes. The server
picks a free display number itself, so scenarios can run side by side.
Everything started here is stopped by close()."""

import os
import re
import subprocess
import tempfile
import time

from harness.basics import SCRATCH, Failure, check, stop_processes, wait_for

TRAY_HOST = ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
             "--transparent", "false", "--tint", "0x303030"]
# A line of `xwininfo -root -tree` for a top-level window: id, name, class,
# size, and position on the screen.
TOP_LEVEL = r'^     (0x[0-9a-f]+) %s\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)'


class Desktop:
    def __init__(self, screen=(1280, 800), tray=True, name="desktop"):
        self.processes = []
        self.grace = 5
        try:
            self.root = tempfile.mkdtemp(prefix=name + "-", dir=SCRATCH)
            read_end, write_end = os.pipe()
            self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % screen,
                        "-nolisten", "tcp"], pass_fds=[write_end])
            os.close(write_end)
            with os.fdopen(read_end) as numbers:
                number = numbers.readline().strip()
            check(number.isdigit(), "the X server did not start")
            self.display = ":" + number
            self.env = dict(os.environ, DISPLAY=self.display)
            for key in ("ORVANE_AUTO_CONFIRM", "ORVANE_SITE_HOST", "ORVANE_PLATFORM"):
                self.env.pop(key, None)
            # No key repeat: on a loaded machine a key press whose release
            # comes late would repeat into whatever window shows next.
            subprocess.run(["xset", "r", "off"], env=self.env, check=True, timeout=20)
            if tray:
                self.start_tray_host()
            self.setup()
        except BaseException:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def setup(self):
        """What a desktop of a kind adds once the tray host runs."""

    def start_tray_host(self):
        self.spawn(TRAY_HOST, env=self.env)
        wait_for(lambda: '"panel"' in self.tree(), 10, "the tray host")

    def spawn(self, args, **kw):
        p = subprocess.Popen(args, env=kw.pop("env", None), stdout=kw.pop("stdout", subprocess.DEVNULL),
                             stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
        self.processes.append(p)
        return p

    def close(self):
        stop_processes(self.processes, self.grace)

    # -- the screen ------------------------------------------------------------
    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True,
                              text=True, timeout=20).stdout

    def tree(self):
        return subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

    def windows(self, title=None, wm_class=None, popups=True, keep=None):
        """(id, w, h, x, y) of the mapped top-level windows with that title
        (or of that class, a pattern); popups=False leaves out menus and tool
        tips (override-redirect); keep(id, xwininfo's text) may choose
        instead."""
        what = r'"%s": \(.*?\)' % re.escape(title) if title is not None else r'.*\(%s\)' % wm_class
        pattern = re.compile(TOP_LEVEL % what, re.I if wm_class else 0)
        if keep is None:
            keep = lambda wid, state: popups or "Override Redirect State: no" in state  # noqa: E731
        found = []
        for line in self.tree().splitlines():
            m = pattern.match(line)
            if m:
                state = self.window_state(m.group(1))
                if "IsViewable" in state and keep(m.group(1), state):
                    found.append((m.group(1),) + tuple(int(g) for g in m.groups()[1:]))
        return found

    def window_state(self, wid):
        return subprocess.run(["xwininfo", "-id", wid], env=self.env, capture_output=True, text=True).stdout

    def tray_icons(self, wm_class):
        """Geometry (w, h, x, y) of the icons of that class docked in the tray
        host."""
        icons, inside = [], False
        pattern = re.compile(r'^\s+0x[0-9a-f]+ .*\(%s\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)' % wm_class)
        for line in self.tree().splitlines():
            if '"panel": ("panel" "trayer")' in line:
                inside = True
                continue
            if inside and line.startswith("     0x"):
                break
            m = pattern.match(line)
            if inside and m:
                icons.append(tuple(int(g) for g in m.groups()))
        return icons

    def screenshot(self, path, crop=None):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=30)
        if crop:
            w, h, x, y = crop
            subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path],
                           check=True, timeout=30)
        return path

    def keys(self, *keys, window=None):
        """Real key presses, into `window` once it has the focus."""
        if window:
            self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", key)
            time.sleep(0.15)

    def answer_box(self, title, key="Return", timeout=20):
        """Presses key in the box with that title and waits until it closed.
        The key goes first to the box alone (not through the keyboard, so
        nothing of it reaches a window that shows up next); a box that did not
        take it gets the focus and a real key press."""
        wid = wait_for(lambda: self.windows(title, popups=False), timeout, "the box " + repr(title))[0][0]
        gone = lambda: wid not in [w[0] for w in self.windows(title, popups=False)]  # noqa: E731
        self.xdotool("key", "--window", wid, key)
        try:
            wait_for(gone, 3, "the box to close")
        except Failure:
            self.keys(key, window=wid)
            wait_for(gone, 5, "the box " + repr(title) + " to close")
        return wid
