"""A desktop of the test's own for the system tests: an X server, a tray host,
a scratch installation of the staged programs, simulated monitors and,
where needed, a local update site. Everything started here is stopped by
Session.close()."""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time

STAGE = os.environ["ORVANE_STAGE_DIR"]
SOURCE = os.environ["ORVANE_SOURCE_DIR"]
SCRATCH = os.environ.get("ORVANE_TEST_DIR") or tempfile.gettempdir()
ARTIFACTS = os.environ.get("ORVANE_ARTIFACT_DIR")


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def stop_processes(processes, grace=5):
    """Ends what a run started, newest first: asked, then killed after
    `grace` seconds."""
    for p in reversed(processes):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(grace)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait(5)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Session:
    def __init__(self, example="two-plus-unsupported.json", tray=True, adjust=None):
        self.processes = []
        try:
            self._setup(example, tray, adjust)
        except BaseException:
            self.close()
            raise

    def _setup(self, example, tray, adjust):
        self.root = tempfile.mkdtemp(prefix="system-", dir=SCRATCH)
        self.install = os.path.join(self.root, "install")
        shutil.copytree(STAGE, self.install)
        with open(os.path.join(self.install, "RunInfo.ini"), "w") as f:
            f.write("[TraceSet]\nTraceLevel=4\n")
        self.tmp = os.path.join(self.root, "tmp")
        self.config = os.path.join(self.root, "config")
        os.makedirs(self.tmp)
        os.makedirs(self.config)
        self.sim = os.path.join(self.root, "sim.json")
        with open(os.path.join(SOURCE, "examples", "sim", example)) as f:
            text = f.read()
        text = re.sub(r'"delayMs": \d+', '"delayMs": 5', text)
        if adjust:
            text = adjust(text)
        with open(self.sim, "w") as f:
            f.write(text)
        # The server picks a free display number itself, so scenarios can run
        # side by side.
        read_end, write_end = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                    pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        check(number.isdigit(), "the X server did not start")
        self.display = ":" + number
        # No key repeat: on a loaded machine a key press whose release comes
        # late would repeat into whatever window shows next.
        subprocess.run(["xset", "-display", self.display, "r", "off"], check=True, timeout=20)
        self.env = dict(os.environ)
        self.env.update({"DISPLAY": self.display, "TMPDIR": self.tmp, "XDG_CONFIG_HOME": self.config,
                         "ORVANE_PLATFORM": "sim:" + self.sim, "QT_QPA_PLATFORM": "xcb"})
        for key in ("ORVANE_AUTO_CONFIRM", "ORVANE_SITE_HOST"):
            self.env.pop(key, None)
        if tray:
            self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                         "--height", "32", "--transparent", "false", "--tint", "0x303030"], env=self.env)
            wait_for(lambda: "\"panel\"" in self.tree(), 10, "the tray host")

    # -- processes ---------------------------------------------------------
    def _spawn(self, args, **kw):
        p = subprocess.Popen(args, env=kw.pop("env", None), stdout=kw.pop("stdout", subprocess.DEVNULL),
                             stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
        self.processes.append(p)
        return p

    def start_orvane(self, *args, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        return self._spawn([os.path.join(self.install, "Orvane")] + list(args), env=env,
                           stderr=subprocess.PIPE, cwd=self.root)

    def orvane_processes(self):
        """(pid, argv) of every Orvane running from this installation."""
        found = []
        exe = os.path.join(self.install, "Orvane")
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    argv = [a.decode() for a in f.read().split(b"\0") if a]
            except OSError:
                continue
            if argv and argv[0] == exe:
                found.append((int(pid), argv))
        return found

    def close(self):
        for pid, _ in (self.orvane_processes() if hasattr(self, "install") else []):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        stop_processes(self.processes)

    # -- what the program writes ---------------------------------------------
    def log(self, name="Orvane_log.txt"):
        try:
            with open(os.path.join(self.tmp, name), encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

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

    def state(self):
        return json.loads(self.sim_cmd("show"))

    def display_state(self, index):
        return self.state()["displays"][index]

    def vcp(self, monitor, code):
        return int(self.sim_cmd("get", monitor, code).strip(), 0)

    # -- the screen ----------------------------------------------------------
    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True,
                              text=True, timeout=20).stdout

    def tree(self):
        return subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

    def windows(self, name, popups=True):
        """(id, w, h, x, y) of the mapped top-level windows with that title;
        popups=False leaves out menus and tool tips (override-redirect)."""
        found = []
        pattern = re.compile(r'^\s+(0x[0-9a-f]+) "%s": \(.*?\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)'
                             % re.escape(name))
        for line in self.tree().splitlines():
            m = pattern.match(line)
            if m:
                wid = m.group(1)
                state = subprocess.run(["xwininfo", "-id", wid], env=self.env, capture_output=True,
                                       text=True).stdout
                if "IsViewable" in state and (popups or "Override Redirect State: no" in state):
                    found.append((wid,) + tuple(int(g) for g in m.groups()[1:]))
        return found

    def tray_icon(self):
        """Geometry (w, h, x, y) of our icon embedded in the tray host, or None."""
        lines = self.tree().splitlines()
        inside = False
        for line in lines:
            if '"panel": ("panel" "trayer")' in line:
                inside = True
                continue
            m = re.match(r'^\s+0x[0-9a-f]+ "Orvane": \("Orvane" "Orvane"\)\s+(\d+)x(\d+)\+\d+\+\d+\s+\+(-?\d+)\+(-?\d+)',
                         line)
            if inside and m:
                w, h, x, y = (int(g) for g in m.groups())
                if w <= 64 and h <= 64:
                    return (w, h, x, y)
        return None

    def screenshot(self, path, crop=None):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=30)
        if crop:
            w, h, x, y = crop
            subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path],
                           check=True, timeout=30)
        return path

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

    def keys(self, *keys):
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
            self.xdotool("windowfocus", "--sync", wid)
            self.xdotool("key", key)
            wait_for(gone, 5, "the box " + repr(title) + " to close")
        return wid


def run(scenarios):
    """Runs the scenario named on the command line (all when none)."""
    import sys
    names = sys.argv[1:] or list(scenarios)
    passed = failed = 0
    for name in names:
        session = None
        started = time.monotonic()
        try:
            scenarios[name]()
            passed += 1
            print("PASS %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
        except Exception as error:  # a failed scenario must not hide the others
            failed += 1
            print("FAIL %s: %s" % (name, error), flush=True)
            import traceback
            traceback.print_exc()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0
