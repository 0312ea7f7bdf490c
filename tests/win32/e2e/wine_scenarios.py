"""The Windows programs end to end under Wine: the real Orvane.exe,
Renovo.exe and Kestrun.exe on one Wine desktop (X server, tray host, one
booted prefix), with the stand-in dxva2.dll as the monitor.
Usage: scenarios.py [SCENARIO ...]   (none: all but those in SEPARATE)"""

import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from winedesk import (RUN_KEY, SCREEN, SUPPORTED_EDID, UNSUPPORTED_EDID, Desktop, Failure, Scenario, check,  # noqa: E402
                      wait_for)

DESK = None
# Orvane.exe and Renovo.exe trusting the tests' key (tests/update/signing).
SIGNED_STAGE = os.environ.get("ORVANE_WINDOWS_SIGNED_STAGE", "")
TEST_KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "update", "signing",
                        "test-update.key")


def scenario(name):
    return Scenario(DESK, name)


def started(s, *args, extra_env=None, debug=None):
    p = s.start("Orvane.exe", *args, extra_env=extra_env, debug=debug)
    try:
        s.wait_log("Timer end ", timeout=60)
    except Failure:
        raise Failure("no tick logged (exit %s): %s" % (p.poll(), s.stderr_of(p)[-1500:]))
    return p


def open_tray_menu(s):
    """Right-clicks the program's tray icon; the menu is the program's popup
    (Qt shows it again in the same window, so any mapped one counts)."""
    for _ in range(4):
        w, h, x, y = wait_for(lambda: (s.desk.tray_icons() or [None])[0], 30, "the tray icon")
        s.desk.xdotool("mousemove", x + w // 2, y + h // 2)
        time.sleep(0.3)
        s.desk.xdotool("click", "3")
        try:
            return wait_for(lambda: [p for p in popups(s) if p[2] > 100], 5,
                            "the tray menu")[0]
        except Failure:
            s.desk.xdotool("mousemove", 5, 1000)
            time.sleep(1.5)
    raise Failure("the tray menu did not open")


def popups(s):
    """Mapped popup windows of the programs: menus, tool tips. Wine maps a
    popup as an override-redirect X window until it has once been active (as
    a tray menu is); after that it maps it as a managed window that stays
    above and off the task bar."""
    found = []
    for line in s.desk.tree().splitlines():
        m = re.match(r'^     (0x[0-9a-f]+) .*\("orvane\.exe" "orvane\.exe"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                     r'\+(-?\d+)\+(-?\d+)', line, re.I)
        if not m:
            continue
        state = subprocess.run(["xwininfo", "-id", m.group(1)], env=s.desk.env, capture_output=True,
                               text=True).stdout
        if "IsViewable" not in state:
            continue
        if "Override Redirect State: yes" in state or popup_state(s, m.group(1)):
            found.append((m.group(1),) + tuple(int(g) for g in m.groups()[1:]))
    return found


def popup_state(s, wid):
    states = subprocess.run(["xprop", "-id", wid, "_NET_WM_STATE"], env=s.desk.env, capture_output=True,
                            text=True).stdout
    return "_NET_WM_STATE_ABOVE" in states and "_NET_WM_STATE_SKIP_TASKBAR" in states


def menu_choose(s, from_bottom):
    """Opens the tray menu and picks an entry counted from its end by the
    keyboard: 1 is Exit, 2 Check For Updates, 4 Run at Startup."""
    menu = open_tray_menu(s)
    time.sleep(0.3)
    s.shot("tray-menu", (menu[1] + 40, menu[2] + 40, max(0, menu[3] - 40), max(0, menu[4] - 40)))
    s.desk.press(menu[0], *(["Up"] * from_bottom + ["Return"]))
    wait_for(lambda: menu[0] not in [p[0] for p in popups(s)], 10, "the tray menu to close")


# -- scenarios -------------------------------------------------------------------

def wine_desktop():
    """What the program scenarios rely on, checked without the programs: the
    EDID found the way the program finds it, the stand-in monitor's answers,
    failures, delays and hangs, rotation requests in Wine's trace, and
    notices reaching a hidden window."""
    s = Scenario(DESK, "wine_desktop", programs=False)
    try:
        s.control(vcp={0xAA: (3, 4)})
        out = s.probe("monitor")
        for line in ("edid 4F10 %dx%d" % SCREEN, "monitors 1 Stand-in DDC monitor 0", "get 0xAA 3 4",
                     "set 0xCA 4 ok"):
            check(line in out, "the probe did not report %r: %s" % (line, out))
        check(s.sets(0xCA) == [4] and any(c.endswith("0xAA -> 3 4") for c in s.calls()),
              "the stand-in did not record the calls: %s" % s.calls())

        s.control(fail=True)
        check("get 0xAA fail" in s.probe("read"), "a failing monitor answered")
        check(s.calls()[-1].endswith("0xAA -> fail"), "the failure was not recorded: %s" % s.calls()[-1:])
        s.control(delay=300)
        check("get 0xAA 3 4" in s.probe("read"), "a slow monitor did not answer")

        s.control(hang=True)
        read_out = os.path.join(s.root, "read.out")
        with open(read_out, "w") as out_file:
            reader = subprocess.Popen([DESK.env["WINELOADER"], os.path.join(s.install, "probe.exe"), "read"],
                                      env=DESK.env, cwd=s.install, stdout=out_file)
        try:
            wait_for(lambda: "hang begins" in s.calls(), 30, "the read to hang")
            time.sleep(1)
            check(reader.poll() is None, "a hung read returned")
            s.control(hang=False)
            reader.wait(30)
            check("get 0xAA 3 4" in open(read_out).read(), "the released read did not answer")
        finally:
            if reader.poll() is None:
                reader.kill()
                reader.wait()

        trace = s.probe("rotate", "1", debug="-all,trace+system,err+system")
        requests = rotation_requests(trace, 1)
        check(requests and (requests[0]["dmPelsWidth"], requests[0]["dmPelsHeight"]) == (str(SCREEN[1]), str(SCREEN[0])),
              "no DMDO_90 request at the size turned in Wine's trace: %s" % trace[-1500:])

        said = os.path.join(s.root, "window.out")
        with open(said, "w") as out_file:
            window = subprocess.Popen([DESK.env["WINELOADER"], os.path.join(s.install, "probe.exe"), "window"],
                                      env=DESK.env, cwd=s.install, stdout=out_file)
        wait_for(lambda: "window ready" in open(said).read(), 30, "the probe's window")
        for notice in ("suspend", "resume", "display", "settings"):
            s.poke(notice)
        check(window.wait(30) == 0, "the probe's window did not end")
        text = open(said).read()
        for line in ("notice 0x0218 4", "notice 0x0218 7", "notice 0x007E 32", "notice 0x001A 47"):
            check(line in text, "the window did not get %r: %s" % (line, text))
    finally:
        s.close()


def start_with_supported_monitor():
    s = scenario("start_with_supported_monitor")
    try:
        started(s)
        s.wait_ticks(1)
        lines = [line[14:] for line in s.log().splitlines()]
        for line in ("Timer start", "Monitor Count Check Start: Monitor Count: 1",
                     "Monitor  0  Get Pivot info success ,AA value : 1", "Timer end "):
            check(line in lines, "the first tick lacks %r" % line)
        check(s.sets(0xCA)[:1] == [4], "0xCA 4 was not written at start: %s" % s.calls())
        icon = wait_for(lambda: (s.desk.tray_icons() or [None])[0], 20, "the tray icon")
        s.shot("tray", (icon[0] + 200, 48, max(0, icon[2] - 200), 0))
    finally:
        s.close()


def pivot_reaches_display_settings():
    s = scenario("pivot_reaches_display_settings")
    try:
        p = started(s, debug="-all,trace+system,err+system")
        for reading, orientation in ((2, 1), (4, 3)):
            s.control(vcp={0xAA: (reading, 4)})
            wait_for(lambda: rotation_requests(s.stderr_of(p), orientation), 30,
                     "a request for orientation %d after reading %d" % (orientation, reading))
            s.shot("pivot-%d" % reading)
        for orientation in (1, 3):
            request = rotation_requests(s.stderr_of(p), orientation)[0]
            check(request["dmPelsWidth"] == "1024" and request["dmPelsHeight"] == "1280",
                  "DMDO %d not at the native size turned: %s" % (orientation, request))
            check("DISPLAYORIENTATION" in request["dmFields"], "no orientation field: %s" % request)
        # Xvfb cannot turn: Wine refuses the mode and the program polls on.
        ticks = s.log().count("Timer end ")
        s.wait_ticks(1)
        check(p.poll() is None and s.log().count("Timer end ") > ticks, "the program stopped polling")
    finally:
        s.close()


def rotation_requests(trace, orientation):
    """The ChangeDisplaySettingsExW requests Wine traced for that DMDO_*."""
    found = []
    for line in trace.splitlines():
        if "trace_devmode" not in line:
            continue
        fields = dict(re.findall(r"(\w+)=(\S+)", line))
        if fields.get("dmDisplayOrientation") == str(orientation):
            found.append(fields)
    return found


def no_supported_monitor():
    s = scenario("no_supported_monitor")
    try:
        DESK.set_edid(UNSUPPORTED_EDID)
        p = s.start("Orvane.exe")
        s.answer_box("Important")
        check(p.wait(30) == 0, "the program did not end with code 0 after OK")
        check(not DESK.tray_icons(), "a tray icon was shown")
        check("Timer start" not in s.log(), "the program polled")
    finally:
        DESK.set_edid(SUPPORTED_EDID)
        s.close()


def second_start():
    s = scenario("second_start")
    try:
        first = started(s)
        before = s.log()
        second = s.start("Orvane.exe")
        s.answer_box("Orvane is already running!")
        check(second.wait(30) == 1, "the second start did not end with code 1")
        check(first.poll() is None, "the first instance ended")
        check(s.log().startswith(before), "the first instance's log was cut")
    finally:
        s.close()


def hanging_monitor():
    s = scenario("hanging_monitor")
    try:
        p = started(s)
        s.control(hang=True)
        s.wait_log("Get Vcp Thread Abort", timeout=30)
        # The abandoned read is still inside the monitor; the program goes on
        # ticking and its tray menu still opens.
        s.wait_ticks(1)
        check(p.poll() is None, "the program ended")
        check("hang begins" in s.calls() and "hang ends" not in s.calls(), "the read did not hang")
        menu = open_tray_menu(s)
        s.shot("menu-while-hung")
        DESK.press(menu[0], "Escape")
        s.control(hang=False)
        wait_for(lambda: "hang ends" in s.calls(), 10, "the hung read to return")
        s.wait_log("Get Pivot info success", count=s.log().count("Get Pivot info success") + 1)
    finally:
        s.close()


def exit_from_menu():
    s = scenario("exit_from_menu")
    try:
        p = started(s)
        menu_choose(s, 1)
        check(p.wait(30) == 0, "Orvane did not end with code 0")
        check(s.sets(0xCA) == [4, 5], "0xCA was not 4 then 5: %s" % s.sets(0xCA))
        wait_for(lambda: not DESK.tray_icons(), 15, "the tray icon to go")
        s.shot("after-exit")
    finally:
        s.close()


def run_value():
    code, out = DESK.reg("query", RUN_KEY, "/v", "Orvane")
    return out if code == 0 and "Orvane" in out else None


def run_at_log_on():
    s = scenario("run_at_log_on")
    try:
        started(s)
        menu_choose(s, 4)
        written = wait_for(run_value, 30, "the Run value")
        check("Orvane.exe" in written and s.name in written, "the Run value names another program: %s" % written)
        # Unticked from the menu, as the user would.
        menu_choose(s, 4)
        wait_for(lambda: run_value() is None, 30, "the Run value to go")
    finally:
        s.close()


def sleep_resume_and_display_change():
    s = scenario("sleep_resume_and_display_change")
    try:
        started(s)
        s.poke("suspend")
        s.wait_log("**********************************Power Suspend", timeout=10)
        time.sleep(0.5)
        before = s.log().count("Timer start")
        time.sleep(6)
        check(s.log().count("Timer start") == before, "a tick ran while suspended")
        s.poke("resume")
        s.wait_log("**********************************Power Resume", timeout=10)
        s.wait_log("Timer start", count=before + 1, timeout=10)
        s.poke("display")
        s.wait_log("**********************************Display Change", timeout=10)
        s.poke("settings")
        s.wait_log("**********************************SPI_SETWORKAREA", timeout=10)
    finally:
        s.close()


def system_scenarios():
    """The Linux system tests' update site and version patching."""
    import importlib.util
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "system", "scenarios.py")
    loader_info = importlib.util.spec_from_file_location("system_scenarios", path)
    module = importlib.util.module_from_spec(loader_info)
    loader_info.loader.exec_module(module)
    return module


def update_from_menu():
    system = system_scenarios()
    Site, patched_version = system.Site, system.patched_version
    s = scenario("update_from_menu")
    site = None
    try:
        release = os.path.join(s.root, "release")
        os.makedirs(release)
        shutil.copy(os.path.join(s.install, "Orvane.exe"), release)
        patched_version(os.path.join(release, "Orvane.exe"), 1, 3, 0, 0)
        site = Site(os.path.join(s.root, "site"))
        publish = os.path.join(os.environ["ORVANE_STAGE_DIR"], "renovo-publish")
        out = subprocess.run([publish, release, "1.3.0.0", site.folder], capture_output=True, text=True)
        check(out.returncode == 0, "publishing failed: " + out.stderr)
        unattended = {"ORVANE_AUTO_CONFIRM": "1", "ORVANE_SITE_HOST": site.host}
        first = started(s, extra_env=unattended)
        menu_choose(s, 2)
        check(first.wait(60) == 0, "Orvane did not end for the update")
        try:
            wait_for(lambda: [c for _, c in s.processes("Orvane.exe") if c.rstrip().endswith(" 1")], 60,
                     "Orvane.exe restarted with argument 1")
        except Failure as error:
            raise Failure("%s; the updater logged: %s" % (error, s.log("Renovo_log.txt")[-1500:]))
        said = s.boxes_said(first)
        check(any("Confirm to update new version" in b for b in said), "no update question: %s" % said)
        with open(os.path.join(release, "Orvane.exe"), "rb") as a, \
                open(os.path.join(s.install, "Orvane.exe"), "rb") as b:
            check(a.read() == b.read(), "the installed Orvane.exe is not the new build")
        # The new build starts like the first: 0xCA 4 again, then its ticks.
        wait_for(lambda: s.sets(0xCA).count(4) >= 2, 60, "the restarted program's 0xCA 4")
        s.wait_log("Timer end ", timeout=60)
        s.shot("restarted")
    finally:
        if site:
            site.close()
        s.close()


def signed_update():
    """The programs trusting the tests' key: Orvane's check refuses an
    unsigned manifest, Renovo a file whose hash differs from the signed
    manifest's, nothing installed either time; the signed site is installed
    and the new build started."""
    system = system_scenarios()
    s = Scenario(DESK, "signed_update", stage=SIGNED_STAGE)
    site = None
    try:
        installed = os.path.join(s.install, "Orvane.exe")
        with open(installed, "rb") as f:
            old = f.read()
        release = os.path.join(s.root, "release")
        os.makedirs(release)
        new_build = os.path.join(release, "Orvane.exe")
        shutil.copy(installed, new_build)
        system.patched_version(new_build, 1, 3, 0, 0)
        site = system.Site(os.path.join(s.root, "site"))
        publish = os.path.join(os.environ["ORVANE_STAGE_DIR"], "renovo-publish")

        def signed_site():
            shutil.rmtree(site.folder, ignore_errors=True)
            out = subprocess.run([publish, release, "1.3.0.0", site.folder, "--sign", TEST_KEY],
                                 capture_output=True, text=True)
            check(out.returncode == 0, "publishing failed: " + out.stderr)

        def restarted_after(pid):
            try:
                wait_for(lambda: [p for p, c in s.processes("Orvane.exe") if p != pid and c.rstrip().endswith(" 1")],
                         60, "Orvane.exe restarted with argument 1")
            except Failure as error:
                raise Failure("%s; the updater logged: %s" % (error, s.log("Renovo_log.txt")[-1500:]))
            s.wait_ticks(1, timeout=60)
            return [p for p, c in s.processes("Orvane.exe") if p != pid][0]

        def installed_is(data):
            with open(installed, "rb") as f:
                return f.read() == data

        signed_site()
        os.remove(os.path.join(site.folder, "ServerManifest.xml.sig"))
        first = started(s, extra_env={"ORVANE_AUTO_CONFIRM": "1", "ORVANE_SITE_HOST": site.host})
        menu_choose(s, 2)
        s.wait_log("Refused manifest", timeout=60)
        check("no signature" in s.log(), "the unsigned manifest was refused for another reason: %s" % s.log()[-800:])
        wait_for(lambda: [b for b in s.boxes_said(first) if "Network connection is failed" in b], 10,
                 "the box of the refused manifest")
        check(first.poll() is None and not s.processes("Renovo.exe"), "the updater ran for an unsigned manifest")
        check(installed_is(old), "an unsigned site was installed")

        signed_site()
        with open(new_build, "rb") as f:
            forged = bytearray(f.read())
        forged[-1] ^= 1
        with open(os.path.join(site.folder, "Orvane.exe.qz"), "wb") as f:
            f.write(struct.pack(">I", len(forged)) + zlib.compress(bytes(forged), 1))
        pid = [p for p, _ in s.processes("Orvane.exe")][0]
        menu_choose(s, 2)
        check(first.wait(60) == 0, "Orvane did not end for the update")
        pid = restarted_after(pid)
        check("hash differs" in s.log("Renovo_log.txt"), "no refused file in the updater's log: %s"
              % s.log("Renovo_log.txt")[-800:])
        check(installed_is(old), "a file whose hash differs was installed")

        signed_site()
        menu_choose(s, 2)
        restarted_after(pid)
        with open(new_build, "rb") as f:
            check(installed_is(f.read()), "the installed Orvane.exe is not the signed site's")
        s.shot("restarted")
    finally:
        if site:
            site.close()
        s.close()


SCENARIOS = {
    "wine_desktop": wine_desktop,
    "start_with_supported_monitor": start_with_supported_monitor,
    "pivot_reaches_display_settings": pivot_reaches_display_settings,
    "no_supported_monitor": no_supported_monitor,
    "second_start": second_start,
    "hanging_monitor": hanging_monitor,
    "exit_from_menu": exit_from_menu,
    "run_at_log_on": run_at_log_on,
    "sleep_resume_and_display_change": sleep_resume_and_display_change,
    "update_from_menu": update_from_menu,
}
# Run only when named: they need a build of their own.
SEPARATE = {
    "signed_update": signed_update,
}


def main():
    global DESK
    names = sys.argv[1:] or list(SCENARIOS)
    # A test runner's timeout ends the run through the cleanup below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    began = time.monotonic()
    DESK = Desktop()
    print("Wine desktop ready (%.1f s)" % (time.monotonic() - began), flush=True)
    passed = failed = 0
    try:
        for name in names:
            at = time.monotonic()
            try:
                (SCENARIOS.get(name) or SEPARATE[name])()
                passed += 1
                print("PASS %s (%.1f s)" % (name, time.monotonic() - at), flush=True)
            except Exception as error:  # one failed scenario must not hide the others
                failed += 1
                print("FAIL %s: %s" % (name, error), flush=True)
                import traceback
                traceback.print_exc()
    finally:
        DESK.close()
    print("%d passed, %d failed (%.1f s)" % (passed, failed, time.monotonic() - began))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
