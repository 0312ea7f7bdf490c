"""Both programs as a user meets them: the real Orvane, Renovo and Kestrun
on an X server with a tray host, simulated monitors and a local update site.
Usage: scenarios.py [SCENARIO ...]"""

import os
import shutil
import sys
import time
import xml.etree.ElementTree as ET

from harness.basics import ARTIFACTS, MEMORY_BOUNDED, boxes_in, check, free_port, read, run, wait_for, write
from harness.manifests import HOSTILE_MANIFESTS, hostile_site
from harness.renovo import patched_version, publish, snapshot, tree_bytes
from harness.site import Site, gzip_bomb
from harness.system import Session


def start_and_pivot():
    with Session() as s:
        s.started()
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
    with Session() as s:
        s.started()
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
    with Session() as s:
        s.started()
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
    with Session(adjust=inactive) as s:
        s.started()
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
    with Session() as s:
        s.started()
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
    with Session() as s:
        p = s.started()
        s.click_menu(s.open_tray_menu(), -1)
        check(p.wait(20) == 0, "Orvane did not end with code 0")
        check(s.vcp(0, "0xCA") == 5 and s.vcp(1, "0xCA") == 5, "0xCA was not 5 on both monitors at exit")
        wait_for(lambda: s.tray_icon() is None, 10, "the tray icon to go")


def second_start():
    with Session() as s:
        first = s.started()
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
    with Session() as s:
        runtime = os.path.join(s.root, "runtime")
        os.makedirs(runtime)
        os.chmod(runtime, 0o500)
        env = {"XDG_RUNTIME_DIR": runtime}
        first = s.started(extra_env=env)
        second = s.start_orvane(extra_env=env)
        s.answer_box("Orvane is already running!")
        check(second.wait(20) == 1, "the second start did not end with code 1")
        check(first.poll() is None, "the first instance ended")
        os.chmod(runtime, 0o700)


def no_supported_monitor():
    with Session(example="one-4k.json", adjust=lambda t: t.replace('"id": "uhd",', '"id": "uhd", "attached": false,')) as s:
        p = s.start_orvane()
        s.answer_box("Important")
        check(p.wait(20) == 0, "the program did not end with code 0 after OK")
        check(s.tray_icon() is None, "a tray icon was shown")
        check("Timer start" not in s.log(), "the program polled")


def run_at_log_on():
    with Session() as s:
        entry = os.path.join(s.config, "autostart", "Orvane.desktop")
        s.started()
        s.click_menu(s.open_tray_menu(), 3)
        wait_for(lambda: os.path.exists(entry), 15, "the autostart entry")
        s.click_menu(s.open_tray_menu(), 3)
        wait_for(lambda: not os.path.exists(entry), 15, "the autostart entry to go")


# -- updates ------------------------------------------------------------------

def check_for_updates(s):
    """Tray menu: Monitor, Status, Setting, Run at Startup, About, Check For Updates."""
    s.click_menu(s.open_tray_menu(), 5)


def manifest_time(text):
    return time.mktime(time.strptime(text, "%m/%d/%Y %I:%M:%S %p"))


def boxes_said(process, said=None):
    """The boxes an unattended run announced on its standard error since the
    last call, appended to `said` when given."""
    os.set_blocking(process.stderr.fileno(), False)
    chunks = []
    while True:
        try:
            chunk = os.read(process.stderr.fileno(), 65536)
        except BlockingIOError:
            break
        if not chunk:
            break
        chunks.append(chunk)
    new = boxes_in(b"".join(chunks).decode(errors="replace"))
    if said is None:
        return new
    said.extend(new)
    return said


# The update runs answer their boxes unattended (ORVANE_AUTO_CONFIRM): the
# updater's completion box closes by itself on this bare X server once the
# updated program restarts, which a scenario cannot tell from a real answer.
# Each box is announced on standard error with its exact title and text.
UNATTENDED = {"ORVANE_AUTO_CONFIRM": "1"}


def restarted(s):
    return wait_for(lambda: [a for _, a in s.orvane_processes() if a[1:] == ["1"]], 30,
                    "Orvane restarted with argument 1")


def update_accepted():
    with Session() as s, Site(os.path.join(s.root, "site")) as site:
        release = os.path.join(s.root, "release")
        os.makedirs(release)
        shutil.copy(os.path.join(s.install, "Orvane"), release)
        patched_version(os.path.join(release, "Orvane"), 1, 3, 0, 0)
        publish(release, site.folder, "1.3.0.0")
        first = s.started(extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host))
        check_for_updates(s)
        check(first.wait(20) == 0, "Orvane did not end for the update")
        restarted(s)
        said = boxes_said(first)
        check("box: question | Confirm to update new version  | The new software version is available.<br/> "
              "Do you want to update to the latest version?" in said, "no update question: %s" % said)
        check("box: information | Update | Application update completely!" in said, "no completion box: %s" % said)
        check(read(os.path.join(release, "Orvane")) == read(os.path.join(s.install, "Orvane")),
              "the installed Orvane is not the new build")
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


def update_hostile_bodies():
    # Manifests that crash or swamp a DOM reader, bodies without end, a
    # trickle, gzip bombs, header and cookie floods and lines without end:
    # each check ends with its box, Orvane keeps running in little memory,
    # its polling goes on during the checks and the temporary folder never
    # holds more than the cap.
    gzip_bomb(8)
    with Session() as s, Site(os.path.join(s.root, "site")) as site:
        limits = {"ORVANE_DOWNLOAD_STALL_MS": "2000", "ORVANE_DOWNLOAD_MIN_RATE": str(64 << 20)}
        latest = "box: information | Orvane | Your software is latest!"
        failed = "box: information | Orvane | Network connection is failed , please try to check later!"
        p = s.started(extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host, **limits))
        said = []
        peak_disk = 0
        before = peak_memory(p.pid)
        ticks = s.log().count("Timer end ")
        for mode, box in [("nested", latest), ("entities", latest), ("endless", failed), ("trickle", failed),
                          ("bomb/1", failed), ("bomb/8", failed), ("bomb-chunked/8", failed),
                          ("headers/300000", failed), ("cookies/20000", failed),
                          ("header-line", failed), ("chunk-size", failed)]:
            if mode in HOSTILE_MANIFESTS:
                write(os.path.join(site.folder, "ServerManifest.xml"), HOSTILE_MANIFESTS[mode])
            else:
                site.misbehave = mode
            begin = time.monotonic()
            check_for_updates(s)
            count = len(said)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and p.poll() is None:
                peak_disk = max(peak_disk, tree_bytes(s.tmp))
                if len(boxes_said(p, said)) > count:
                    break
                time.sleep(0.02)
            site.misbehave = None
            check(p.poll() is None, "Orvane ended on the %s manifest (status %s)" % (mode, p.poll()))
            check(said and said[-1] == box, "%s: %s" % (mode, said[-1:]))
            print("%-15s answered after %4.1f s, peak memory so far %.1f MB"
                  % (mode, time.monotonic() - begin, peak_memory(p.pid) / 1024))
        peak = peak_memory(p.pid)
        starts = [line[:12] for line in s.log().splitlines() if line[14:].startswith("Timer start")]
        seconds = [int(t[0:2]) * 3600 + int(t[3:5]) * 60 + int(t[6:8]) + int(t[9:12]) / 1000 for t in starts]
        gaps = [b - a for a, b in zip(seconds, seconds[1:]) if b >= a]
        print("Orvane peak memory %.1f MB (%.1f MB before the checks), temporary folder at most %d bytes, "
              "%d ticks during the checks, longest time between ticks %.2f s"
              % (peak / 1024, before / 1024, peak_disk, s.log().count("Timer end ") - ticks, max(gaps)))
        # The GUI's own footprint (X connection, fonts) is most of it; the
        # hostile bodies may add little.
        check(not MEMORY_BOUNDED or (peak < 100 * 1024 and peak - before < 16 * 1024), "peak memory %d KiB" % peak)
        check(peak_disk <= (4 << 20) + (1 << 20), "%d bytes in the temporary folder" % peak_disk)
        check(s.log().count("Timer end ") > ticks, "the polling stopped during the checks")


def peak_memory(pid):
    """Highest resident size of the process so far, in KiB."""
    with open("/proc/%d/status" % pid) as f:
        return [int(line.split()[1]) for line in f if line.startswith("VmHWM:")][0]


def update_hostile_site():
    # Unreachable site: the network box, and the program keeps running.
    with Session() as s:
        p = s.started(extra_env={"ORVANE_SITE_HOST": "127.0.0.1:%d" % free_port()})
        check_for_updates(s)
        s.answer_box("Orvane")
        time.sleep(0.5)
        check(p.poll() is None, "Orvane ended after a failed check")
        check("Failure" in s.log(), "the failed download was not logged")

    # A hostile site: only the legitimate entry lands, nothing leaves the
    # installation, the bombs and the cut-off file change nothing.
    with Session() as s, Site(os.path.join(s.root, "site")) as site:
        outside = os.path.join(s.root, "outside")
        good_path, good, victims = hostile_site(site.folder, outside)
        for name in victims:
            write(os.path.join(s.install, name), b"precious " + name.encode())
        skip = ["tmp", "install", "site", "sim.json.lock"]
        before_root = set(snapshot(s.root, skip))
        before_install = snapshot(s.install)
        first = s.started(extra_env=dict(UNATTENDED, ORVANE_SITE_HOST=site.host))
        check_for_updates(s)
        check(first.wait(20) == 0, "Orvane did not end for the update")
        restarted(s)
        after_root = set(snapshot(s.root, skip))
        check(after_root == before_root, "files appeared outside the installation: %s" % (after_root - before_root))
        check(read(os.path.join(s.install, good_path)) == good, "the legitimate entry was not installed")
        after_install = snapshot(s.install)
        added = {n for n in set(after_install) - set(before_install) if not n.endswith("/")}
        check(added == {good_path}, "unexpected files in the installation: %s" % (added - {good_path}))
        for name, was in before_install.items():
            check(name.endswith("/") or after_install.get(name) == was, name + " changed")


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
