"""One Wine desktop for the end-to-end runs of the Windows programs: the
test desktop (harness.desktop) with a throw-away Wine prefix booted once and
kept alive by a persistent wineserver, the EDID of a supported model in
Wine's registry, and per scenario a scratch installation of the Windows
programs with the stand-in dxva2.dll beside them."""

import glob
import os
import shutil
import subprocess
import tempfile
import time

from harness.basics import ARTIFACTS, STAGE, Failure, boxes_in, check, kill, processes, read_text, wait_for
from harness.desktop import Desktop

WINE = os.environ.get("ORVANE_WINE", "")
WINDOWS_STAGE = os.environ.get("ORVANE_WINDOWS_STAGE", "")
STANDIN = os.environ.get("ORVANE_STANDIN_DIR", "")

SCREEN = (1280, 1024)
# Wine's monitor; the program finds its EDID through the instance whose
# Driver value matches the monitor's device id.
MONITOR_KEY = r"HKLM\SYSTEM\CurrentControlSet\Enum\DISPLAY\Default_Monitor\0000&0000\Device Parameters"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
ICON_CLASS = '"explorer\\.exe" "explorer\\.exe"'
PROGRAM_CLASS = '"orvane\\.exe" "orvane\\.exe"'


def make_edid(product, width, height, name, serial, maker="ORV"):
    """The 128-byte EDID block of a monitor, from the programs' own builder
    (orvane-sim of the native build), so the harness cannot drift from what
    the program reads."""
    out = subprocess.run([os.path.join(STAGE, "orvane-sim"), "edid", "--maker", maker, "--product", "0x%04X" % product,
                          "--size", "%dx%d" % (width, height), "--name", name, "--serial", serial],
                         check=True, capture_output=True, text=True).stdout
    return bytes.fromhex(out.strip())


SUPPORTED_EDID = make_edid(0x4F10, SCREEN[0], SCREEN[1], "ORV-E2E", "SNE2E0001")
UNSUPPORTED_EDID = make_edid(0x1234, SCREEN[0], SCREEN[1], "OTHER", "SNOTHER01")


def wine_processes(text):
    """(pid, command line) of the processes whose command line contains text."""
    return [(pid, " ".join(argv)) for pid, argv in processes(lambda argv: text.lower() in " ".join(argv).lower())]


class WineDesktop(Desktop):
    """The X server, tray host and Wine prefix shared by all scenarios."""

    # The folder the installer put the programs in, once it has: the
    # scenarios then run them there instead of in a copy of the stage.
    installed = None

    def __init__(self):
        super().__init__(screen=SCREEN, name="wine-e2e")

    def setup(self):
        self.grace = 10
        self.prefix = os.path.join(self.root, "prefix")
        self.env.update({"WINEPREFIX": self.prefix, "WINEARCH": "win64", "WINELOADER": WINE, "WINEDEBUG": "-all",
                         # No Mono/Gecko prompts; the stand-in beside the
                         # program before Wine's own dxva2; no menu entries
                         # for the Start-menu shortcuts installers make.
                         "WINEDLLOVERRIDES": "mscoree,mshtml=;dxva2=n,b;winemenubuilder.exe=d"})
        # One wineserver and one desktop process for the whole run: Wine
        # rewrites the monitor's registry key whenever the desktop process
        # starts, so a command prompt waiting for input keeps both alive and
        # the EDID is written once that desktop is up.
        os.makedirs(self.prefix)
        self.server = self.spawn(["wineserver", "-f", "-p"], env=self.env)
        code, out = self.wine("wineboot", "-i", timeout=240)
        check(code == 0, "wineboot failed: %s" % out[-2000:])
        self.keeper = self.spawn([WINE, "cmd"], env=self.env, stdin=subprocess.PIPE)
        wait_for(lambda: wine_processes("explorer.exe /desktop"), 60, "Wine's desktop process")
        for attempt in range(10):
            try:
                self.set_edid(SUPPORTED_EDID)
                break
            except Failure:
                if attempt == 9:
                    raise
                time.sleep(1)
        users = [u for u in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*")) if
                 os.path.basename(u) != "Public"]
        check(len(users) == 1, "no single user folder in the prefix: %s" % users)
        # The programs' %TEMP%: Wine's user folder has "Temp" at its top.
        self.temp = os.path.join(users[0], "Temp")
        if not os.path.isdir(self.temp):
            self.temp = os.path.join(users[0], "AppData", "Local", "Temp")

    def close(self):
        if hasattr(self, "prefix"):
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        super().close()

    # -- Wine ------------------------------------------------------------------
    def wine(self, *args, env=None, cwd=None, timeout=60):
        """Runs a Windows program to its end; (exit code, its output). The
        output goes through a file: a Wine process may hand its standard
        handles on to helpers that outlive it, and a pipe would then not end."""
        with tempfile.TemporaryFile(dir=self.root) as out:
            p = subprocess.Popen([WINE] + list(args), env=env or self.env, cwd=cwd, stdout=out,
                                 stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
            try:
                code = p.wait(timeout)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
                raise Failure("%s did not end within %d s" % (os.path.basename(args[0]), timeout))
            out.seek(0)
            return code, out.read().decode(errors="replace")

    def reg(self, *args):
        """reg.exe of the 64-bit registry view; (exit code, output)."""
        return self.wine("reg", *args, "/reg:64")

    def set_edid(self, edid):
        code, _ = self.reg("add", MONITOR_KEY, "/v", "EDID", "/t", "REG_BINARY", "/d", edid.hex(), "/f")
        check(code == 0, "writing the EDID failed")
        _, shown = self.reg("query", MONITOR_KEY, "/v", "EDID")
        check(edid.hex().upper() in shown.upper(), "the EDID did not stay in the registry: %s" % shown)

    def run_value(self):
        """The Run entry the program wrote for itself, or None."""
        code, out = self.reg("query", RUN_KEY, "/v", "Orvane")
        return out if code == 0 and "Orvane" in out else None

    # -- the screen --------------------------------------------------------------
    def popups(self):
        """Mapped popup windows of the programs: menus, tool tips. Wine maps a
        popup as an override-redirect X window until it has once been active
        (as a tray menu is); after that it maps it as a managed window that
        stays above and off the task bar."""
        def popup(wid, state):
            if "Override Redirect State: yes" in state:
                return True
            states = subprocess.run(["xprop", "-id", wid, "_NET_WM_STATE"], env=self.env, capture_output=True,
                                    text=True).stdout
            return "_NET_WM_STATE_ABOVE" in states and "_NET_WM_STATE_SKIP_TASKBAR" in states
        return self.windows(wm_class=PROGRAM_CLASS, keep=popup)


class Scenario:
    """A scratch installation of the Windows programs on the shared desktop,
    the stand-in monitor beside them, and what the scenario started."""

    def __init__(self, desk, name, programs=True, stage=WINDOWS_STAGE):
        self.desk = desk
        self.name = name
        self.root = os.path.join(desk.root, name)
        installed = programs and stage == WINDOWS_STAGE and desk.installed
        self.install = installed or os.path.join(self.root, "install")
        # What the command lines of this installation's programs contain, in
        # either form: /tmp/.../NAME/install or Z:\tmp\...\NAME\install.
        self.marker = "program files\\orvane\\" if installed else name.lower()
        if installed:
            os.makedirs(self.root)
        elif programs:
            shutil.copytree(stage, self.install)
        else:
            os.makedirs(self.install)
        for f in ("dxva2.dll", "poke.exe", "probe.exe"):
            shutil.copy(os.path.join(STANDIN, f), self.install)
        # The installed programs' folder keeps the calls of the scenarios
        # before.
        if os.path.exists(os.path.join(self.install, "dxva2-calls.txt")):
            os.remove(os.path.join(self.install, "dxva2-calls.txt"))
        with open(os.path.join(self.install, "RunInfo.ini"), "w") as f:
            f.write("[TraceSet]\nTraceLevel=4\n")
        self.control(vcp={0xAA: (1, 4)})
        self.started = []
        self.shots = 0
        for log in ("Orvane_log.txt", "Renovo_log.txt"):
            try:
                os.remove(os.path.join(desk.temp, log))
            except FileNotFoundError:
                pass

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    # -- the stand-in monitor ----------------------------------------------------
    def control(self, monitors=1, delay=0, fail=False, hang=False, vcp=None):
        if vcp is not None:
            self.vcp_values = dict(vcp)
        lines = ["monitors %d" % monitors, "delay %d" % delay, "fail %d" % int(fail), "hang %d" % int(hang)]
        lines += ["vcp 0x%02X %d %d" % (code, cur, mx) for code, (cur, mx) in sorted(self.vcp_values.items())]
        path = os.path.join(self.install, "dxva2-control.txt")
        with open(path + ".new", "w") as f:
            f.write("\n".join(lines) + "\n")
        os.replace(path + ".new", path)

    def calls(self):
        return [line.split(" ", 1)[1].strip() for line in read_text(os.path.join(self.install, "dxva2-calls.txt"))
                .splitlines() if " " in line]

    def sets(self, code):
        """The values written to a VCP code, in order."""
        found = []
        for call in self.calls():
            parts = call.split()
            if parts[0] == "set" and parts[2] == "0x%02X" % code and parts[-1] == "ok":
                found.append(int(parts[3]))
        return found

    # -- the programs ------------------------------------------------------------
    def start(self, program="Orvane.exe", *args, extra_env=None, debug=None):
        env = dict(self.desk.env, **(extra_env or {}))
        if debug:
            env["WINEDEBUG"] = debug
        err = open(os.path.join(self.root, "%s-%d.err" % (program, len(self.started))), "wb")
        p = subprocess.Popen([WINE, os.path.join(self.install, program)] + list(args), env=env,
                             stdout=subprocess.DEVNULL, stderr=err, cwd=self.install)
        p.err_path = err.name
        err.close()
        self.started.append(p)
        return p

    def started_orvane(self, *args, extra_env=None, debug=None):
        """Orvane.exe started and through its first tick."""
        p = self.start("Orvane.exe", *args, extra_env=extra_env, debug=debug)
        try:
            self.wait_log("Timer end ", timeout=60)
        except Failure:
            raise Failure("no tick logged (exit %s): %s" % (p.poll(), self.stderr_of(p)[-1500:]))
        return p

    def probe(self, *args, debug=None):
        """Runs the desktop probe beside the stand-in; its output."""
        env = dict(self.desk.env)
        if debug:
            env["WINEDEBUG"] = debug
        return self.desk.wine(os.path.join(self.install, "probe.exe"), *args, env=env, cwd=self.install)[1]

    def probe_running(self, *args):
        """The desktop probe started beside the stand-in, left running;
        (its process, the file its output goes to)."""
        out = os.path.join(self.root, args[0] + ".out")
        with open(out, "w") as f:
            p = subprocess.Popen([WINE, os.path.join(self.install, "probe.exe")] + list(args), env=self.desk.env,
                                 cwd=self.install, stdout=f)
        return p, out

    def poke(self, notice):
        code, out = self.desk.wine(os.path.join(self.install, "poke.exe"), "Orvane", notice)
        check(code == 0, "no notice %s reached the program: %s" % (notice, out))
        return out

    @staticmethod
    def stderr_of(p):
        return read_text(p.err_path)

    def boxes_said(self, p):
        return boxes_in(self.stderr_of(p))

    def processes(self, exe="Orvane.exe"):
        """(pid, command line) of every process of that program in this
        scenario's installation, however it was started."""
        return [(pid, line) for pid, line in wine_processes(exe) if self.names(line)]

    def names(self, text):
        """Whether a path or command line in text lies in this installation."""
        return self.marker in text.lower().replace("/", "\\")

    def restarted(self, other_than=None, timeout=60):
        """Pid of the Orvane.exe the updater started again (argument "1")."""
        try:
            return wait_for(lambda: [p for p, c in self.processes("Orvane.exe") if p != other_than
                                     and c.rstrip().endswith(" 1")], timeout, "Orvane.exe restarted with argument 1")[0]
        except Failure as error:
            raise Failure("%s; the updater logged: %s" % (error, self.log("Renovo_log.txt")[-1500:]))

    def log(self, name="Orvane_log.txt"):
        return read_text(os.path.join(self.desk.temp, name))

    def wait_log(self, text, timeout=30, count=1):
        wait_for(lambda: self.log().count(text) >= count, timeout, repr(text) + " in the log")

    def wait_ticks(self, more=1, timeout=30):
        self.wait_log("Timer end ", timeout=timeout, count=self.log().count("Timer end ") + more)

    # -- the screen --------------------------------------------------------------
    def shot(self, label, crop=None):
        """A screenshot kept as an artefact of the scenario."""
        self.shots += 1
        base = os.path.join(ARTIFACTS, "wine", self.name) if ARTIFACTS else os.path.join(self.root, "shots")
        return self.desk.screenshot(os.path.join(base, "%02d-%s.png" % (self.shots, label)), crop)

    def tray_icon(self, timeout=30):
        return wait_for(lambda: (self.desk.tray_icons(ICON_CLASS) or [None])[0], timeout, "the tray icon")

    def answer_box(self, title, key="Return", timeout=30):
        """Wine takes real key presses into the window that has the X focus,
        not keys sent to a window."""
        wid = wait_for(lambda: self.desk.windows(title), timeout, "the box " + repr(title))[0][0]
        time.sleep(0.5)
        self.shot("box")
        for _ in range(3):
            self.desk.keys(key, window=wid)
            try:
                wait_for(lambda: wid not in [w[0] for w in self.desk.windows(title)], 4, "the box to close")
                return
            except Failure:
                pass
        raise Failure("the box %r did not close" % title)

    def open_tray_menu(self):
        """Right-clicks the program's tray icon; the menu is the program's
        popup (Qt shows it again in the same window, so any mapped one
        counts)."""
        for _ in range(4):
            w, h, x, y = self.tray_icon()
            self.desk.xdotool("mousemove", x + w // 2, y + h // 2)
            time.sleep(0.3)
            self.desk.xdotool("click", "3")
            try:
                return wait_for(lambda: [p for p in self.desk.popups() if p[2] > 100], 5, "the tray menu")[0]
            except Failure:
                self.desk.xdotool("mousemove", 5, 1000)
                time.sleep(1.5)
        raise Failure("the tray menu did not open")

    def menu_choose(self, from_bottom):
        """Opens the tray menu and picks an entry counted from its end by the
        keyboard: 1 is Exit, 2 Check For Updates, 4 Run at Startup."""
        menu = self.open_tray_menu()
        time.sleep(0.3)
        self.shot("tray-menu", (menu[1] + 40, menu[2] + 40, max(0, menu[3] - 40), max(0, menu[4] - 40)))
        self.desk.keys(*(["Up"] * from_bottom + ["Return"]), window=menu[0])
        wait_for(lambda: menu[0] not in [p[0] for p in self.desk.popups()], 10, "the tray menu to close")

    def close(self):
        for p in self.started:
            if p.poll() is None:
                p.kill()
        kill(pid for exe in ("Orvane.exe", "Renovo.exe", "Kestrun.exe") for pid, _ in self.processes(exe))
        for p in self.started:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                pass
        wait_for(lambda: not self.processes("Orvane.exe"), 10, "the scenario's programs to end")
        # A killed program's tray icon goes once the tray notices its window
        # has gone.
        wait_for(lambda: not self.desk.tray_icons(ICON_CLASS), 15, "the tray to empty")
