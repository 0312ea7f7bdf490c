"""One Wine desktop for the end-to-end runs of the Windows programs: an X
server with a tray host, a throw-away Wine prefix booted once and kept alive
by a persistent wineserver, the EDID of a supported model in Wine's registry,
and per scenario a scratch installation of the Windows programs with the
stand-in dxva2.dll beside them. Everything started here is stopped by
close()."""

import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "system"))
from harness import Failure, check, stop_processes, wait_for  # noqa: E402,F401

WINE = os.environ["ORVANE_WINE"]
WINDOWS_STAGE = os.environ["ORVANE_WINDOWS_STAGE"]
STANDIN = os.environ["ORVANE_STANDIN_DIR"]
SCRATCH = os.environ.get("ORVANE_TEST_DIR") or tempfile.gettempdir()
ARTIFACTS = os.environ.get("ORVANE_ARTIFACT_DIR")

SCREEN = (1280, 1024)
# Wine's monitor; the program finds its EDID through the instance whose
# Driver value matches the monitor's device id.
MONITOR_KEY = r"HKLM\SYSTEM\CurrentControlSet\Enum\DISPLAY\Default_Monitor\0000&0000\Device Parameters"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"


def make_edid(product, width, height, name, serial, maker="ORV"):
    """A 128-byte EDID block with the fields the program reads: product
    code, preferred timing (native size), serial and name descriptors."""
    e = bytearray(128)
    e[0:8] = bytes([0, 255, 255, 255, 255, 255, 255, 0])
    mid = ((ord(maker[0]) - 64) << 10) | ((ord(maker[1]) - 64) << 5) | (ord(maker[2]) - 64)
    e[8:12] = bytes([mid >> 8, mid & 255, product & 255, product >> 8])
    e[16:25] = bytes([1, 33, 1, 4, 0xA5, 60, 34, 0x78, 0x3A])
    e[38:54] = b"\x01" * 16
    e[54:62] = bytes([0x08, 0xE8, width & 255, 160, (width >> 8) << 4, height & 255, 62, (height >> 8) << 4])
    e[71] = 0x1E
    for at, tag, text in ((72, 0xFF, serial), (90, 0xFC, name)):
        e[at + 3] = tag
        e[at + 5:at + 18] = (text[:13] + "\n" + " " * 13)[:13].encode()
    e[111] = 0x10
    e[127] = (256 - sum(e[:127]) % 256) % 256
    return bytes(e)


SUPPORTED_EDID = make_edid(0x4F10, SCREEN[0], SCREEN[1], "ORV-E2E", "SNE2E0001")
UNSUPPORTED_EDID = make_edid(0x1234, SCREEN[0], SCREEN[1], "OTHER", "SNOTHER01")


def wine_processes(text):
    """Pids of the processes whose command line contains text."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                line = f.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if text.lower() in line.lower():
            found.append((int(pid), line.strip()))
    return found


class Desktop:
    """The X server, tray host and Wine prefix shared by all scenarios."""

    def __init__(self):
        self.processes = []
        try:
            self._setup()
        except BaseException:
            self.close()
            raise

    def _setup(self):
        self.root = tempfile.mkdtemp(prefix="wine-e2e-", dir=SCRATCH)
        read_end, write_end = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
                    pass_fds=[write_end])
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        check(number.isdigit(), "the X server did not start")
        self.env = dict(os.environ)
        for key in ("ORVANE_AUTO_CONFIRM", "ORVANE_SITE_HOST", "ORVANE_PLATFORM"):
            self.env.pop(key, None)
        self.prefix = os.path.join(self.root, "prefix")
        self.env.update({"DISPLAY": ":" + number, "WINEPREFIX": self.prefix, "WINEARCH": "win64",
                         "WINELOADER": WINE, "WINEDEBUG": "-all",
                         # No Mono/Gecko prompts; the stand-in beside the
                         # program before Wine's own dxva2.
                         "WINEDLLOVERRIDES": "mscoree,mshtml=;dxva2=n,b"})
        subprocess.run(["xset", "r", "off"], env=self.env, check=True, timeout=20)
        self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                     "--transparent", "false", "--tint", "0x303030"], env=self.env)
        wait_for(lambda: '"panel"' in self.tree(), 10, "the tray host")
        # One wineserver and one desktop process for the whole run: Wine
        # rewrites the monitor's registry key whenever the desktop process
        # starts, so a command prompt waiting for input keeps both alive and
        # the EDID is written once that desktop is up.
        os.makedirs(self.prefix)
        self.server = self._spawn(["wineserver", "-f", "-p"], env=self.env)
        code, out = self.wine("wineboot", "-i", timeout=240)
        check(code == 0, "wineboot failed: %s" % out[-2000:])
        self.keeper = self._spawn([WINE, "cmd"], env=self.env, stdin=subprocess.PIPE)
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

    def _spawn(self, args, **kw):
        p = subprocess.Popen(args, env=kw.pop("env", None), stdout=kw.pop("stdout", subprocess.DEVNULL),
                             stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
        self.processes.append(p)
        return p

    def close(self):
        if hasattr(self, "env"):
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        stop_processes(self.processes, grace=10)

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

    # -- the screen --------------------------------------------------------------
    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True,
                              text=True, timeout=20).stdout

    def tree(self):
        return subprocess.run(["xwininfo", "-root", "-tree"], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

    def windows(self, title):
        """(id, w, h, x, y) of the mapped top-level windows with that title."""
        found = []
        pattern = re.compile(r'^     (0x[0-9a-f]+) "%s": \(.*?\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)'
                             % re.escape(title))
        for line in self.tree().splitlines():
            m = pattern.match(line)
            if m:
                state = subprocess.run(["xwininfo", "-id", m.group(1)], env=self.env, capture_output=True,
                                       text=True).stdout
                if "IsViewable" in state:
                    found.append((m.group(1),) + tuple(int(g) for g in m.groups()[1:]))
        return found

    def tray_icons(self):
        """Geometry (w, h, x, y) of the Wine icons docked in the tray host."""
        icons, inside = [], False
        for line in self.tree().splitlines():
            if '"panel": ("panel" "trayer")' in line:
                inside = True
                continue
            if inside and re.match(r"^     0x", line):
                break
            m = re.match(r'^\s+0x[0-9a-f]+ .*\("explorer\.exe" "explorer\.exe"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+'
                         r'\s+\+(-?\d+)\+(-?\d+)', line)
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

    def press(self, wid, *keys):
        """Keys to a window: Wine takes real key presses into the window
        that has the X focus, not keys sent to a window."""
        self.xdotool("windowfocus", "--sync", wid)
        for key in keys:
            self.xdotool("key", key)
            time.sleep(0.15)


class Scenario:
    """A scratch installation of the Windows programs on the shared desktop,
    the stand-in monitor beside them, and what the scenario started."""

    def __init__(self, desk, name, programs=True, stage=WINDOWS_STAGE):
        self.desk = desk
        self.name = name
        self.root = os.path.join(desk.root, name)
        self.install = os.path.join(self.root, "install")
        if programs:
            shutil.copytree(stage, self.install)
        else:
            os.makedirs(self.install)
        for f in ("dxva2.dll", "poke.exe", "probe.exe"):
            shutil.copy(os.path.join(STANDIN, f), self.install)
        with open(os.path.join(self.install, "RunInfo.ini"), "w") as f:
            f.write("[TraceSet]\nTraceLevel=4\n")
        self.control(vcp={0xAA: (1, 4)})
        self.started = []
        self.shots = 0
        for name in ("Orvane_log.txt", "Renovo_log.txt"):
            try:
                os.remove(os.path.join(desk.temp, name))
            except FileNotFoundError:
                pass

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
        try:
            with open(os.path.join(self.install, "dxva2-calls.txt")) as f:
                return [line.split(" ", 1)[1].strip() for line in f if " " in line]
        except FileNotFoundError:
            return []

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
        env = dict(self.desk.env)
        env.update(extra_env or {})
        if debug:
            env["WINEDEBUG"] = debug
        err = open(os.path.join(self.root, "%s-%d.err" % (program, len(self.started))), "wb")
        p = subprocess.Popen([WINE, os.path.join(self.install, program)] + list(args), env=env,
                             stdout=subprocess.DEVNULL, stderr=err, cwd=self.install)
        p.err_path = err.name
        err.close()
        self.started.append(p)
        return p

    def probe(self, *args, debug=None):
        """Runs the desktop probe beside the stand-in; its output."""
        env = dict(self.desk.env)
        if debug:
            env["WINEDEBUG"] = debug
        return self.desk.wine(os.path.join(self.install, "probe.exe"), *args, env=env, cwd=self.install)[1]

    @staticmethod
    def stderr_of(p):
        with open(p.err_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def boxes_said(self, p):
        return [line for line in self.stderr_of(p).splitlines() if line.startswith("box: ")]

    def processes(self, exe="Orvane.exe"):
        """(pid, command line) of every process of that program in this
        scenario's installation, however it was started."""
        folder = os.path.basename(self.root)
        return [(pid, line) for pid, line in wine_processes(exe) if folder in line]

    def log(self, name="Orvane_log.txt"):
        try:
            with open(os.path.join(self.desk.temp, name), encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def wait_log(self, text, timeout=30, count=1):
        wait_for(lambda: self.log().count(text) >= count, timeout, repr(text) + " in the log")

    def wait_ticks(self, more=1, timeout=30):
        self.wait_log("Timer end ", timeout=timeout, count=self.log().count("Timer end ") + more)

    def shot(self, label, crop=None):
        """A screenshot kept as an artefact of the scenario."""
        self.shots += 1
        base = os.path.join(ARTIFACTS, "wine", self.name) if ARTIFACTS else os.path.join(self.root, "shots")
        return self.desk.screenshot(os.path.join(base, "%02d-%s.png" % (self.shots, label)), crop)

    def answer_box(self, title, key="Return", timeout=30):
        wid = wait_for(lambda: self.desk.windows(title), timeout, "the box " + repr(title))[0][0]
        time.sleep(0.5)
        self.shot("box")
        for _ in range(3):
            self.desk.press(wid, key)
            try:
                wait_for(lambda: wid not in [w[0] for w in self.desk.windows(title)], 4, "the box to close")
                return
            except Failure:
                pass
        raise Failure("the box %r did not close" % title)

    def poke(self, notice):
        code, out = self.desk.wine(os.path.join(self.install, "poke.exe"), "Orvane", notice)
        check(code == 0, "no notice %s reached the program: %s" % (notice, out))
        return out

    def close(self):
        for p in self.started:
            if p.poll() is None:
                p.kill()
        for pid, _ in self.processes("Orvane.exe") + self.processes("Renovo.exe") + self.processes("Kestrun.exe"):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        for p in self.started:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                pass
        wait_for(lambda: not self.processes("Orvane.exe"), 10, "the scenario's programs to end")
        # A killed program's tray icon goes once the tray notices its window
        # has gone.
        wait_for(lambda: not self.desk.tray_icons(), 15, "the tray to empty")
