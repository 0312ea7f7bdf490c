"""Orvane as a citizen of a Linux desktop: a stop signal ends it the way
closing it does, and a desktop without a notification area is told through
its notification service and gets the icon once a tray host starts.
Usage: session_end_and_tray.py [SCENARIO ...]"""

import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Session, check, run, wait_for  # noqa: E402


def started(s, extra_env=None):
    p = s.start_orvane(extra_env=extra_env)
    s.wait_log("Timer end ", timeout=30)
    return p


def stopped_by_signal():
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        s = Session()
        try:
            p = started(s)
            p.send_signal(number)
            check(p.wait(20) == 0, "Orvane did not end with code 0 on %s" % number.name)
            check(s.vcp(0, "0xCA") == 5 and s.vcp(1, "0xCA") == 5,
                  "0xCA was not 5 on both monitors after %s" % number.name)
            check("**********************************End Session" in s.log(), "the end was not logged")
        finally:
            s.close()


def session_bus(s):
    """A message bus of the session's own with the test notification
    service on it; returns (bus address, file the service writes to)."""
    read_end, write_end = os.pipe()
    s._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=%d" % write_end],
             pass_fds=[write_end])
    os.close(write_end)
    with os.fdopen(read_end) as out:
        address = out.readline().strip()
    check(address.startswith("unix:"), "the message bus did not start")
    said = os.path.join(s.root, "notifications.txt")
    env = dict(s.env, DBUS_SESSION_BUS_ADDRESS=address)
    with open(said, "w") as f:
        s._spawn([os.environ["ORVANE_NOTIFICATION_SERVICE"]], env=env, stdout=f)
    wait_for(lambda: "ready" in open(said).read(), 10, "the notification service")
    return address, said


def no_tray_host():
    s = Session(tray=False)
    try:
        address, said = session_bus(s)
        started(s, extra_env={"DBUS_SESSION_BUS_ADDRESS": address})
        s.wait_log("No notification area:", timeout=10)
        wait_for(lambda: "Orvane is running without an icon | This desktop has no notification area" in
                 open(said).read(), 10, "the desktop notification")
        check(open(said).read().count("Orvane is running without an icon") == 1, "told more than once")
        check(s.tray_icon() is None, "an icon without a tray host")
        s._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                  "--height", "32", "--transparent", "false", "--tint", "0x303030"], env=s.env)
        wait_for(s.tray_icon, 20, "the tray icon once the tray host runs")
        s.wait_log("Notification area found", timeout=10)
        check(open(said).read().count("Orvane is running without an icon") == 1, "told more than once")
    finally:
        s.close()


SCENARIOS = {
    "stopped_by_signal": stopped_by_signal,
    "no_tray_host": no_tray_host,
}

if __name__ == "__main__":
    sys.exit(run(SCENARIOS))
