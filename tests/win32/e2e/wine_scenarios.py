"""The Windows programs end to end under Wine: the real Orvane.exe,
Renovo.exe and Kestrun.exe on one Wine desktop (X server, tray host, one
booted prefix), with the stand-in dxva2.dll as the monitor.
Usage: wine_scenarios.py [SCENARIO ...]   (none: all but those in SEPARATE)"""

import os
import re
import shutil
import sys
import time

from harness.basics import check, read, read_text, run, wait_for, write
from harness.manifests import pack
from harness.renovo import patched_version, publish
from harness.site import Site, gzip_bomb
from harness.wine import ICON_CLASS, SCREEN, SUPPORTED_EDID, UNSUPPORTED_EDID, Scenario, WineDesktop
import installer_scenarios as installer

DESK = None
# Orvane.exe and Renovo.exe trusting the tests' key (tests/update/signing).
SIGNED_STAGE = os.environ.get("ORVANE_WINDOWS_SIGNED_STAGE", "")
TEST_KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "update", "signing",
                        "test-update.key")


# -- scenarios -------------------------------------------------------------------

def wine_desktop():
    """What the program scenarios rely on, checked without the programs: the
    EDID found the way the program finds it, the stand-in monitor's answers,
    failures, delays and hangs, rotation requests in Wine's trace, and
    notices reaching a hidden window."""
    with Scenario(DESK, "wine_desktop", programs=False) as s:
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
        reader, read_out = s.probe_running("read")
        try:
            wait_for(lambda: "hang begins" in s.calls(), 30, "the read to hang")
            time.sleep(1)
            check(reader.poll() is None, "a hung read returned")
            s.control(hang=False)
            reader.wait(30)
            check("get 0xAA 3 4" in read_text(read_out), "the released read did not answer")
        finally:
            if reader.poll() is None:
                reader.kill()
                reader.wait()

        trace = s.probe("rotate", "1", debug="-all,trace+system,err+system")
        requests = rotation_requests(trace, 1)
        check(requests and (requests[0]["dmPelsWidth"], requests[0]["dmPelsHeight"]) == (str(SCREEN[1]), str(SCREEN[0])),
              "no DMDO_90 request at the size turned in Wine's trace: %s" % trace[-1500:])

        window, said = s.probe_running("window")
        wait_for(lambda: "window ready" in read_text(said), 30, "the probe's window")
        for notice in ("suspend", "resume", "display", "settings"):
            s.poke(notice)
        check(window.wait(30) == 0, "the probe's window did not end")
        text = read_text(said)
        for line in ("notice 0x0218 4", "notice 0x0218 7", "notice 0x007E 32", "notice 0x001A 47"):
            check(line in text, "the window did not get %r: %s" % (line, text))


def start_with_supported_monitor():
    with Scenario(DESK, "start_with_supported_monitor") as s:
        s.started_orvane()
        s.wait_ticks(1)
        lines = [line[14:] for line in s.log().splitlines()]
        for line in ("Timer start", "Monitor Count Check Start: Monitor Count: 1",
                     "Monitor  0  Get Pivot info success ,AA value : 1", "Timer end "):
            check(line in lines, "the first tick lacks %r" % line)
        check(s.sets(0xCA)[:1] == [4], "0xCA 4 was not written at start: %s" % s.calls())
        icon = s.tray_icon(20)
        s.shot("tray", (icon[0] + 200, 48, max(0, icon[2] - 200), 0))


def pivot_reaches_display_settings():
    with Scenario(DESK, "pivot_reaches_display_settings") as s:
        p = s.started_orvane(debug="-all,trace+system,err+system")
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
    with Scenario(DESK, "no_supported_monitor") as s:
        try:
            DESK.set_edid(UNSUPPORTED_EDID)
            p = s.start("Orvane.exe")
            s.answer_box("Important")
            check(p.wait(30) == 0, "the program did not end with code 0 after OK")
            check(not s.desk.tray_icons(ICON_CLASS), "a tray icon was shown")
            check("Timer start" not in s.log(), "the program polled")
        finally:
            DESK.set_edid(SUPPORTED_EDID)


def second_start():
    with Scenario(DESK, "second_start") as s:
        first = s.started_orvane()
        before = s.log()
        second = s.start("Orvane.exe")
        s.answer_box("Orvane is already running!")
        check(second.wait(30) == 1, "the second start did not end with code 1")
        check(first.poll() is None, "the first instance ended")
        check(s.log().startswith(before), "the first instance's log was cut")


def hanging_monitor():
    with Scenario(DESK, "hanging_monitor") as s:
        p = s.started_orvane()
        s.control(hang=True)
        s.wait_log("Get Vcp Thread Abort", timeout=30)
        # The abandoned read is still inside the monitor; the program goes on
        # ticking and its tray menu still opens.
        s.wait_ticks(1)
        check(p.poll() is None, "the program ended")
        check("hang begins" in s.calls() and "hang ends" not in s.calls(), "the read did not hang")
        menu = s.open_tray_menu()
        s.shot("menu-while-hung")
        DESK.keys("Escape", window=menu[0])
        s.control(hang=False)
        wait_for(lambda: "hang ends" in s.calls(), 10, "the hung read to return")
        s.wait_log("Get Pivot info success", count=s.log().count("Get Pivot info success") + 1)


def exit_from_menu():
    with Scenario(DESK, "exit_from_menu") as s:
        p = s.started_orvane()
        s.menu_choose(1)
        check(p.wait(30) == 0, "Orvane did not end with code 0")
        check(s.sets(0xCA) == [4, 5], "0xCA was not 4 then 5: %s" % s.sets(0xCA))
        wait_for(lambda: not DESK.tray_icons(ICON_CLASS), 15, "the tray icon to go")
        s.shot("after-exit")


def run_at_log_on():
    with Scenario(DESK, "run_at_log_on") as s:
        s.started_orvane()
        s.menu_choose(4)
        written = wait_for(DESK.run_value, 30, "the Run value")
        check("Orvane.exe" in written and s.names(written), "the Run value names another program: %s" % written)
        # Unticked from the menu, as the user would.
        s.menu_choose(4)
        wait_for(lambda: DESK.run_value() is None, 30, "the Run value to go")


def sleep_resume_and_display_change():
    with Scenario(DESK, "sleep_resume_and_display_change") as s:
        s.started_orvane()
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


def new_build(s):
    """A copy of the installed Orvane.exe with a higher version, in a
    release folder of the scenario's own."""
    release = os.path.join(s.root, "release")
    os.makedirs(release)
    shutil.copy(os.path.join(s.install, "Orvane.exe"), release)
    patched_version(os.path.join(release, "Orvane.exe"), 1, 3, 0, 0)
    return release


def update_from_menu():
    """WinHTTP against the hostile site first: each check ends with the
    network box and installs nothing; then the real update."""
    with Scenario(DESK, "update_from_menu") as s, Site(os.path.join(s.root, "site")) as site:
        release = new_build(s)
        publish(release, site.folder, "1.3.0.0")
        gzip_bomb(1)  # made before a check waits for it
        first = s.started_orvane(extra_env={"ORVANE_AUTO_CONFIRM": "1", "ORVANE_SITE_HOST": site.host,
                                            "ORVANE_DOWNLOAD_STALL_MS": "5000"})
        failed = "box: information | Orvane | Network connection is failed , please try to check later!"
        for n, (how, why) in enumerate([("bomb/1", "content coding"), ("headers/1000", "more than 100 header lines"),
                                        ("endless", "larger than the limit"), ("header-line", "Failure"),
                                        ("status-line", "Failure"), ("chunk-size", "Failure")]):
            site.misbehave = how
            s.menu_choose(2)
            wait_for(lambda: s.boxes_said(first).count(failed) > n, 60, "the network box after " + how)
            check(why in s.log(), "%s: no %r in the log: %s"
                  % (how, why, [line for line in s.log().splitlines() if "Failure" in line or "ok" in line]))
            check(first.poll() is None and not s.processes("Renovo.exe"), how + ": the updater ran")
        site.misbehave = None
        s.menu_choose(2)
        check(first.wait(60) == 0, "Orvane did not end for the update")
        s.restarted()
        said = s.boxes_said(first)
        check(any("Confirm to update new version" in b for b in said), "no update question: %s" % said)
        check(read(os.path.join(release, "Orvane.exe")) == read(os.path.join(s.install, "Orvane.exe")),
              "the installed Orvane.exe is not the new build")
        # The new build starts like the first: 0xCA 4 again, then its ticks.
        wait_for(lambda: s.sets(0xCA).count(4) >= 2, 60, "the restarted program's 0xCA 4")
        s.wait_log("Timer end ", timeout=60)
        s.shot("restarted")


def signed_update():
    """The programs trusting the tests' key: Orvane's check refuses an
    unsigned manifest, Renovo a file whose hash differs from the signed
    manifest's, nothing installed either time; the signed site is installed
    and the new build started."""
    with Scenario(DESK, "signed_update", stage=SIGNED_STAGE) as s, Site(os.path.join(s.root, "site")) as site:
        installed = os.path.join(s.install, "Orvane.exe")
        old = read(installed)
        new = os.path.join(new_build(s), "Orvane.exe")

        def signed_site():
            shutil.rmtree(site.folder, ignore_errors=True)
            publish(os.path.dirname(new), site.folder, "1.3.0.0", "--sign", TEST_KEY, "--channel", "production")

        def restarted_after(pid):
            pid = s.restarted(other_than=pid)
            s.wait_ticks(1, timeout=60)
            return pid

        signed_site()
        os.remove(os.path.join(site.folder, "ServerManifest.xml.sig"))
        first = s.started_orvane(extra_env={"ORVANE_AUTO_CONFIRM": "1", "ORVANE_SITE_HOST": site.host})
        s.menu_choose(2)
        try:
            s.wait_log("Refused manifest", timeout=60)
        except Exception:
            print("Orvane's log ends:\n" + s.log()[-3000:])
            raise
        check("no signature" in s.log(), "the unsigned manifest was refused for another reason: %s" % s.log()[-800:])
        wait_for(lambda: [b for b in s.boxes_said(first) if "Network connection is failed" in b], 10,
                 "the box of the refused manifest")
        check(first.poll() is None and not s.processes("Renovo.exe"), "the updater ran for an unsigned manifest")
        check(read(installed) == old, "an unsigned site was installed")

        signed_site()
        forged = bytearray(read(new))
        forged[-1] ^= 1
        write(os.path.join(site.folder, "Orvane.exe.qz"), pack(bytes(forged)))
        pid = [p for p, _ in s.processes("Orvane.exe")][0]
        s.menu_choose(2)
        check(first.wait(60) == 0, "Orvane did not end for the update")
        pid = restarted_after(pid)
        check("hash differs" in s.log("Renovo_log.txt"), "no refused file in the updater's log: %s"
              % s.log("Renovo_log.txt")[-800:])
        check(read(installed) == old, "a file whose hash differs was installed")

        signed_site()
        s.menu_choose(2)
        restarted_after(pid)
        check(read(installed) == read(new), "the installed Orvane.exe is not the signed site's")
        s.shot("restarted")


SCENARIOS = {
    "wine_desktop": wine_desktop,
    # From here on the scenarios run the installed programs.
    "msi_install": lambda: installer.msi_install(DESK),
    "start_with_supported_monitor": start_with_supported_monitor,
    "pivot_reaches_display_settings": pivot_reaches_display_settings,
    "no_supported_monitor": no_supported_monitor,
    "second_start": second_start,
    "hanging_monitor": hanging_monitor,
    "exit_from_menu": exit_from_menu,
    "run_at_log_on": run_at_log_on,
    "sleep_resume_and_display_change": sleep_resume_and_display_change,
    "update_from_menu": update_from_menu,
    "msi_repair_upgrade_remove": lambda: installer.msi_repair_upgrade_remove(DESK),
}
# Run only when named: they need a build of their own.
SEPARATE = {
    "signed_update": signed_update,
}


def desktop():
    global DESK
    began = time.monotonic()
    DESK = WineDesktop()
    print("Wine desktop ready (%.1f s)" % (time.monotonic() - began), flush=True)
    return DESK


if __name__ == "__main__":
    sys.exit(run(SCENARIOS, SEPARATE, shared=desktop))
