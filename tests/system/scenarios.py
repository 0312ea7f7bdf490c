"""Both programs as a user meets them: the real Orvane, Renovo and Kestrun
on an X server with a tray host, simulated monitors and a local update site.
Usage: scenarios.py [SCENARIO ...]"""

import contextlib
import http.server
import os
import shutil
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ARTIFACTS, Session, check, free_port, run, wait_for  # noqa: E402

RING = "\u02da"


@contextlib.contextmanager
def session(**kw):
    s = Session(**kw)
    try:
        yield s
    finally:
        s.close()


def started(s, *args, extra_env=None):
    p = s.start_orvane(*args, extra_env=extra_env)
    s.wait_log("Timer end ", timeout=30)
    return p


def start_and_pivot():
    with session() as s:
        started(s)
        lines = s.log_lines()
        check(s.vcp(0, "0xCA") == 4 and s.vcp(1, "0xCA") == 4, "0xCA was not 4 on both monitors at start")
        for line in ("Timer start", "Monitor Count Check Start: Monitor Count: 2",
                     "Monitor  0  Get Pivot info success ,AA value : 1", "Timer end "):
            check(line in lines, "first tick lacks %r" % line)
        wait_for(s.tray_icon, 20, "the tray icon")
        check(s.tray_picture() == "landscape", "tray does not show landscape at start")

        ticks = s.log().count("Timer end ")
        s.sim_cmd("pivot", 0, 2)
        s.wait_log("Timer end ", count=ticks + 2, timeout=15)
        shown = s.display_state(0)
        check(shown.get("orientation") == 1, "display 1 not at DMDO_90: %s" % shown)
        check((shown.get("width"), shown.get("height"), shown.get("frequency")) == (1440, 2560, 144),
              "display 1 not at the turned native size and best rate: %s" % shown)
        wait_for(lambda: s.tray_picture() == "cw90", 10, "the CW 90 picture in the tray")


def menu_by_mouse():
    with session() as s:
        started(s)
        menu = s.open_tray_menu()
        shot = s.screenshot(os.path.join(s.root, "tray-menu.png"), (menu[1] + 80, menu[2] + 40, menu[3] - 80, 0))
        if ARTIFACTS:
            os.makedirs(ARTIFACTS, exist_ok=True)
            shutil.copy(shot, os.path.join(ARTIFACTS, "tray-menu.png"))
        # Setting (third row) -> CCW 90 (the submenu's last row).
        s.click_menu(s.open_submenu(menu, 2), -1)
        s.wait_log("manaul rotation", timeout=10)
        wait_for(lambda: s.display_state(0).get("orientation") == 3, 10, "display 1 at DMDO_270")
        ticks = s.log().count("Timer end ")
        s.sim_cmd("pivot", 0, 2)
        s.wait_log("Timer end ", count=ticks + 2, timeout=15)
        check(s.display_state(0).get("orientation") == 3, "a pivot moved a pinned monitor")
        check(s.tray_picture() == "landscape", "pinned monitor's tray picture is not landscape")
        # "Auto" brings the reading back.
        menu = s.open_tray_menu()
        s.click_menu(s.open_submenu(menu, 2), 0)
        wait_for(lambda: s.display_state(0).get("orientation") == 1, 10, "display 1 back at the reading (DMDO_90)")


def monitors_come_and_go():
    with session() as s:
        started(s)
        s.sim_cmd("unplug", 1)
        s.wait_log("Monitor Count Changed : Monitor Count: 2", timeout=15)
        s.wait_log("Monitor Reload info End : Monitor Count: 1", timeout=15)
        s.sim_cmd("plug", 1)
        s.wait_log("Monitor Reload info End : Monitor Count: 2", timeout=15)
        s.wait_log("Timer end ", count=s.log().count("Timer end ") + 1, timeout=15)
        sub = s.open_submenu(s.open_tray_menu(), 0)
        check(40 < sub[2] < 60, "the monitor submenu is not two entries high: %s" % (sub,))


def menu_survives_reload():
    # One monitor device not active: the count check differs on every tick,
    # so every tick reloads the monitors and rebuilds the menus.
    inactive = lambda t: t.replace('"id": "office",', '"id": "office", "active": false,')  # noqa: E731
    with session(adjust=inactive) as s:
        started(s)
        s.wait_log("Monitor Reload info End : Monitor Count: 2", timeout=15)
        # Opened right after a tick: the next reload comes while it is open.
        s.wait_log("Timer end ", count=s.log().count("Timer end ") + 1, timeout=15)
        menu = s.open_tray_menu()
        s.wait_log("Monitor Reload info End", count=s.log().count("Monitor Reload info End") + 1, timeout=15)
        check(menu[0] in [w[0] for w in s.windows("Orvane")], "the open menu went with the reload")
        # Setting -> CCW 90 of the replaced menu still takes the click.
        s.click_menu(s.open_submenu(menu, 2), -1)
        wait_for(lambda: s.display_state(0).get("orientation") == 3, 10, "display 1 at DMDO_270")


def sleep_and_resume():
    with session() as s:
        started(s)
        s.sim_cmd("notice", "suspend")
        s.wait_log("**********************************Power Suspend", timeout=10)
        time.sleep(0.5)
        before = s.log().count("Timer start")
        time.sleep(6)
        check(s.log().count("Timer start") == before, "a tick ran while suspended")
        s.sim_cmd("notice", "resume")
        s.wait_log("**********************************Power Resume", timeout=10)
        s.wait_log("Timer start", count=before + 1, timeout=10)


def exit_from_menu():
    with session() as s:
        p = started(s)
        s.click_menu(s.open_tray_menu(), -1)
        check(p.wait(20) == 0, "Orvane did not end with code 0")
        check(s.vcp(0, "0xCA") == 5 and s.vcp(1, "0xCA") == 5, "0xCA was not 5 on both monitors at exit")
        wait_for(lambda: s.tray_icon() is None, 10, "the tray icon to go")


def second_start():
    with session() as s:
        first = started(s)
        before = s.log()
        second = s.start_orvane()
        s.answer_box("Orvane is already running!")
        check(second.wait(20) == 1, "the second start did not end with code 1")
        check(first.poll() is None, "the first instance ended")
        check(s.log().startswith(before), "the first instance's log was cut")


def second_start_without_lock_folder():
    # The runtime folder the lock normally lives in cannot be written: the
    # lock falls back to another per-user folder and still refuses a second
    # start.
    with session() as s:
        runtime = os.path.join(s.root, "runtime")
        os.makedirs(runtime)
        os.chmod(runtime, 0o500)
        env = {"XDG_RUNTIME_DIR": runtime}
        first = started(s, extra_env=env)
        second = s.start_orvane(extra_env=env)
        s.answer_box("Orvane is already running!")
        check(second.wait(20) == 1, "the second start did not end with code 1")
        check(first.poll() is None, "the first instance ended")
        os.chmod(runtime, 0o700)


def no_supported_monitor():
    with session(example="one-4k.json", adjust=lambda t: t.replace('"id": "uhd",', '"id": "uhd", "attached": false,')) as s:
        p = s.start_orvane()
        s.answer_box("Important")
        check(p.wait(20) == 0, "the program did not end with code 0 after OK")
        check(s.tray_icon() is None, "a tray icon was shown")
        check("Timer start" not in s.log(), "the program polled")


def run_at_log_on():
    with session() as s:
        entry = os.path.join(s.config, "autostart", "Orvane.desktop")
        started(s)
        s.click_menu(s.open_tray_menu(), 3)
        wait_for(lambda: os.path.exists(entry), 15, "the autostart entry")
        s.click_menu(s.open_tray_menu(), 3)
        wait_for(lambda: not os.path.exists(entry), 15, "the autostart entry to go")


# -- updates ------------------------------------------------------------------

def patched_version(path, major, minor, build, revision):
    """Rewrites the fixed version record embedded in an executable."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    # The signature also stands in the reader's code; the record is the one
    # followed by the structure version 1.0.
    at = data.find(struct.pack("<II", 0xFEEF04BD, 0x00010000))
    check(at >= 0, "no version record in " + path)
    struct.pack_into("<II", data, at + 8, (major << 16) | minor, (build << 16) | revision)
    with open(path, "wb") as f:
        f.write(data)


class Site:
    """An update site served over HTTP on 127.0.0.1 from a folder."""

    def __init__(self, root):
        self.root = root
        self.folder = os.path.join(root, "dept-rkwt", "Orvane")
        os.makedirs(self.folder, exist_ok=True)
        handler = lambda *a, **kw: Quiet(*a, directory=root, **kw)  # noqa: E731
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.host = "127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def check_for_updates(s):
    """Tray menu: Monitor, Status, Setting, Run at Startup, About, Check For Updates."""
    s.click_menu(s.open_tray_menu(), 5)


def manifest_time(text):
    return time.mktime(time.strptime(text, "%m/%d/%Y %I:%M:%S %p"))


def boxes_said(process):
    """The boxes an unattended run announced on its standard error."""
    import fcntl
    fd = process.stderr.fileno()
    fcntl.fcntl(fd, fcntl.F_SETFL, os.O_NONBLOCK)
    chunks = []
    while True:
        try:
            chunk = os.read(fd, 65536)
        except BlockingIOError:
            break
        if not chunk:
            break
        chunks.append(chunk)
    return [line for line in b"".join(chunks).decode(errors="replace").splitlines() if line.startswith("box: ")]


# The update runs answer their boxes unattended (ORVANE_AUTO_CONFIRM): the
# updater's completion box closes by itself on this bare X server once the
# updated program restarts, which a scenario cannot tell from a real answer.
# Each box is announced on standard error with its exact title and text.
UNATTENDED = {"ORVANE_AUTO_CONFIRM": "1"}


def update_accepted():
    with session() as s:
        release = os.path.join(s.root, "release")
        os.makedirs(release)
        shutil.copy(os.path.join(s.install, "Orvane"), release)
        patched_version(os.path.join(release, "Orvane"), 1, 3, 0, 0)
        site = Site(os.path.join(s.root, "site"))
        try:
            out = subprocess.run([os.path.join(s.install, "renovo-publish"), release, "1.3.0.0", site.folder],
                                 capture_output=True, text=True, env=s.env)
            check(out.returncode == 0, "publishing failed: " + out.stderr)
            first = started(s, extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host))
            check_for_updates(s)
            check(first.wait(20) == 0, "Orvane did not end for the update")
            restarted = wait_for(lambda: [a for _, a in s.orvane_processes() if a[1:] == ["1"]], 30,
                                 "Orvane restarted with argument 1")
            check(restarted, "no restarted Orvane")
            said = boxes_said(first)
            check("box: question | Confirm to update new version  | The new software version is available.<br/> "
                  "Do you want to update to the latest version?" in said, "no update question: %s" % said)
            check("box: information | Update | Application update completely!" in said,
                  "no completion box: %s" % said)
            with open(os.path.join(release, "Orvane"), "rb") as a, open(os.path.join(s.install, "Orvane"), "rb") as b:
                check(a.read() == b.read(), "the installed Orvane is not the new build")
            import xml.etree.ElementTree as ET
            date = [e[2].text for e in ET.parse(os.path.join(site.folder, "ServerManifest.xml")).getroot()
                    if e.get("file") == "Orvane"][0]
            check(abs(os.path.getmtime(os.path.join(s.install, "Orvane")) - manifest_time(date)) < 1,
                  "the installed file is not stamped with the manifest date")
            # The new instance finds nothing more to do.
            s.wait_log("Timer end ", timeout=30)
            check_for_updates(s)
            wait_for(lambda: "box: information | Orvane | Your software is latest!" in boxes_said(first), 20,
                     "the up-to-date box")
            check("  true" not in s.log(), "a file was still judged out of date")
        finally:
            site.close()


def hostile_entries(site_folder):
    """A manifest with one good entry and entries that try to leave the
    installation, a decompression bomb and a cut-off packed file."""
    import zlib
    def pack(data):
        return struct.pack(">I", len(data)) + zlib.compress(data)
    def put(name, data):
        with open(os.path.join(site_folder, name), "wb") as f:
            f.write(data)
    good = b"the new readme\n"
    put("readme.pak", pack(good))
    put("evil.pak", pack(b"escaped\n"))
    put("bomb.pak", struct.pack(">I", 1 << 30) + zlib.compress(b"x" * 1000))
    whole = pack(b"y" * 100000)
    put("cut.pak", whole[: len(whole) // 2])
    date = "1/2/2030 3:04:05 PM"
    entries = [("readme.txt", "readme.pak", str(len(good)), "")]
    for file, packed, sub in [("../escaped.txt", "evil.pak", ""), ("ok.txt", "../evil.pak", ""),
                              ("ok2.txt", "evil.pak", "/../outside"), ("ok3.txt", "evil.pak", "/a/b"),
                              ("/tmp/abs.txt", "evil.pak", ""), ("C:evil.txt", "evil.pak", ""),
                              ("CON", "evil.pak", ""), ("trail.txt.", "evil.pak", ""),
                              ("trail.txt ", "evil.pak", ""), ("\\\\server\\share.txt", "evil.pak", ""),
                              ("url.txt", "http://127.0.0.1:9/evil.pak", ""), ("url2.txt", "//evil/x.pak", ""),
                              ("sub\\x.txt", "evil.pak", ""), ("..", "evil.pak", "")]:
        entries.append((file, packed, "8", sub))
    entries.append(("bomb.dat", "bomb.pak", "1000", ""))
    entries.append(("config.dat", "cut.pak", "100000", ""))
    from xml.sax.saxutils import quoteattr, escape
    rows = "".join("<entry file=%s><p>%s</p><v></v><d>%s</d><s>%s</s><u>%s</u></entry>"
                   % (quoteattr(f), escape(p), date, size, escape(sub)) for f, p, size, sub in entries)
    put("ServerManifest.xml", ("<files>%s</files>" % rows).encode())


class HostileSite:
    """Answers the manifest request with the body named by `mode`."""

    def __init__(self):
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                body = site.bodies.get(site.mode)
                try:
                    if body is not None:
                        self.send_response(200)
                        self.send_header("Content-Length", str(len(body)))
                        self.end_headers()
                        self.wfile.write(body)
                        return
                    self.send_response(200)
                    self.send_header("Transfer-Encoding", "chunked")
                    self.end_headers()
                    block = b"<m>" + b"x" * (1 << 20)
                    while site.mode in ("endless", "trickle"):
                        data = block if site.mode == "endless" else b"x"
                        self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data))
                        self.wfile.flush()
                        if site.mode == "trickle":
                            time.sleep(0.2)
                except OSError:
                    pass
                self.close_connection = True

        self.mode = None
        self.bodies = {"nested": b"<a>" * 25000 + b"</a>" * 25000,
                       "entities": b'<!DOCTYPE m [<!ENTITY e "' + b"x" * 4000 + b'">]><m>'
                       + b'<f file="&e;"/>' * 12000 + b"</m>"}
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.host = "127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.mode = None
        self.server.shutdown()
        self.server.server_close()


def folder_bytes(root):
    total = 0
    for folder, _, names in os.walk(root):
        for name in names:
            with contextlib.suppress(OSError):
                total += os.lstat(os.path.join(folder, name)).st_size
    return total


def update_hostile_bodies():
    # Manifests that crash or swamp a DOM reader, bodies without end and a
    # trickle: each check ends with its box, Orvane keeps running in little
    # memory and the temporary folder never holds more than the cap.
    with session() as s:
        site = HostileSite()
        limits = {"ORVANE_DOWNLOAD_STALL_MS": "2000", "ORVANE_DOWNLOAD_MIN_RATE": str(64 << 20)}
        latest = "box: information | Orvane | Your software is latest!"
        failed = "box: information | Orvane | Network connection is failed , please try to check later!"
        try:
            p = started(s, extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host, **limits))
            said = []
            peak_disk = 0
            before = peak_memory(p.pid)
            for mode, box in [("nested", latest), ("entities", latest), ("endless", failed), ("trickle", failed)]:
                site.mode = mode
                begin = time.monotonic()
                check_for_updates(s)
                count = len(said)
                deadline = time.monotonic() + 60
                while time.monotonic() < deadline and p.poll() is None:
                    peak_disk = max(peak_disk, folder_bytes(s.tmp))
                    if len(boxes_said_all(p, said)) > count:
                        break
                    time.sleep(0.02)
                site.mode = None
                check(p.poll() is None, "Orvane ended on the %s manifest (status %s)" % (mode, p.poll()))
                check(said and said[-1] == box, "%s: %s" % (mode, said[-1:]))
                print("%-9s answered after %4.1f s" % (mode, time.monotonic() - begin))
            peak = peak_memory(p.pid)
            print("Orvane peak memory %.1f MB (%.1f MB before the checks), temporary folder at most %d bytes"
                  % (peak / 1024, before / 1024, peak_disk))
            # The GUI's own footprint (X connection, fonts) is most of it; the
            # hostile bodies may add little.
            check(peak < 100 * 1024 and peak - before < 16 * 1024, "peak memory %d KiB" % peak)
            check(peak_disk <= (4 << 20) + (1 << 20), "%d bytes in the temporary folder" % peak_disk)
        finally:
            site.close()


def peak_memory(pid):
    """Highest resident size of the process so far, in KiB."""
    with open("/proc/%d/status" % pid) as f:
        return [int(line.split()[1]) for line in f if line.startswith("VmHWM:")][0]


def boxes_said_all(process, said):
    """Appends the boxes announced since the last call to `said`."""
    said.extend(boxes_said(process))
    return said


def tree_listing(root, skip):
    """Every path below root outside the skipped folders (the simulation's
    own lock file aside)."""
    found = set()
    for folder, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if os.path.join(folder, d) not in skip]
        for name in files + dirs:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found - {"sim.json.lock"}


def update_hostile_site():
    # Unreachable site: the network box, and the program keeps running.
    with session() as s:
        p = started(s, extra_env={"ORVANE_SITE_HOST": "127.0.0.1:%d" % free_port()})
        check_for_updates(s)
        s.answer_box("Orvane")
        time.sleep(0.5)
        check(p.poll() is None, "Orvane ended after a failed check")
        check("Failure" in s.log(), "the failed download was not logged")

    # A hostile site: only the legitimate entry lands, nothing leaves the
    # installation, the bomb and the cut-off file change nothing.
    with session() as s:
        site = Site(os.path.join(s.root, "site"))
        try:
            hostile_entries(site.folder)
            with open(os.path.join(s.install, "config.dat"), "wb") as f:
                f.write(b"precious settings")
            before_install = {n: open(os.path.join(s.install, n), "rb").read()
                              for n in os.listdir(s.install) if os.path.isfile(os.path.join(s.install, n))}
            skip = {os.path.join(s.root, "tmp"), os.path.join(s.root, "install"), os.path.join(s.root, "site")}
            before_root = tree_listing(s.root, skip)
            first = started(s, extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host))
            check_for_updates(s)
            check(first.wait(20) == 0, "Orvane did not end for the update")
            wait_for(lambda: [a for _, a in s.orvane_processes() if a[1:] == ["1"]], 20, "Orvane restarted")
            check(tree_listing(s.root, skip) == before_root,
                  "files appeared outside the installation: %s" % (tree_listing(s.root, skip) - before_root))
            check(not os.path.exists("/tmp/abs.txt"), "an absolute path was written")
            with open(os.path.join(s.install, "readme.txt"), "rb") as f:
                check(f.read() == b"the new readme\n", "the legitimate entry was not installed")
            after = {n for n in os.listdir(s.install) if os.path.isfile(os.path.join(s.install, n))}
            check(after - set(before_install) == {"readme.txt"}, "unexpected files in the installation: %s"
                  % (after - set(before_install) - {"readme.txt"}))
            for name, data in before_install.items():
                with open(os.path.join(s.install, name), "rb") as f:
                    check(f.read() == data, name + " changed")
        finally:
            site.close()


SCENARIOS = {
    "start_and_pivot": start_and_pivot,
    "menu_by_mouse": menu_by_mouse,
    "monitors_come_and_go": monitors_come_and_go,
    "menu_survives_reload": menu_survives_reload,
    "sleep_and_resume": sleep_and_resume,
    "exit_from_menu": exit_from_menu,
    "second_start": second_start,
    "no_supported_monitor": no_supported_monitor,
    "update_accepted": update_accepted,
    "update_hostile_site": update_hostile_site,
    "update_hostile_bodies": update_hostile_bodies,
    "second_start_without_lock_folder": second_start_without_lock_folder,
    "run_at_log_on": run_at_log_on,
}

if __name__ == "__main__":
    sys.exit(run(SCENARIOS))
