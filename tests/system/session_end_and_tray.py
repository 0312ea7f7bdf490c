"""Orvane as a citizen of a Linux desktop: a stop signal ends it the way
closing it does, and a desktop without a notification area is told through
its notification service and gets the icon once a tray host starts.
Usage: session_end_and_tray.py [SCENARIO ...]"""

import os
import signal
import sys

from harness.basics import check, read_text, run, wait_for
from harness.system import Session


def stopped_by_signal():
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        with Session() as s:
            p = s.started()
            p.send_signal(number)
            check(p.wait(20) == 0, "Orvane did not end with code 0 on %s" % number.name)
            check(s.vcp(0, "0xCA") == 5 and s.vcp(1, "0xCA") == 5,
                  "0xCA was not 5 on both monitors after %s" % number.name)
            check("**********************************End Session" in s.log(), "the end was not logged")


def session_bus(s):
    """A message bus of the session's own with the test notification
    service on it; returns (bus address, file the service writes to)."""
    read_end, write_end = os.pipe()
    s.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=%d" % write_end],
            pass_fds=[write_end])
    os.close(write_end)
    with os.fdopen(read_end) as out:
        address = out.readline().strip()
    check(address.startswith("unix:"), "the message bus did not start")
    said = os.path.join(s.root, "notifications.txt")
    env = dict(s.env, DBUS_SESSION_BUS_ADDRESS=address)
    with open(said, "w") as f:
        s.spawn([os.environ["ORVANE_NOTIFICATION_SERVICE"]], env=env, stdout=f)
    wait_for(lambda: "ready" in read_text(said), 10, "the notification service")
    return address, said


def no_tray_host():
    with Session(tray=False) as s:
        address, said = session_bus(s)
        s.started(extra_env={"DBUS_SESSION_BUS_ADDRESS": address})
        s.wait_log("No notification area:", timeout=10)
        wait_for(lambda: "Orvane is running without an icon | This desktop has no notification area" in
                 read_text(said), 10, "the desktop notification")
        check(read_text(said).count("Orvane is running without an icon") == 1, "told more than once")
        check("To end it meanwhile, run: pkill -TERM -ix orvane" in read_text(said), "not told how to end it")
        check(s.tray_icon() is None, "an icon without a tray host")
        s.start_tray_host()
        wait_for(s.tray_icon, 20, "the tray icon once the tray host runs")
        s.wait_log("Notification area found", timeout=10)
        check(read_text(said).count("Orvane is running without an icon") == 1, "told more than once")


SCENARIOS = {
    "stopped_by_signal": stopped_by_signal,
    "no_tray_host": no_tray_host,
}

if __name__ == "__main__":
    sys.exit(run(SCENARIOS))
