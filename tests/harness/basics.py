"""What every scenario script shares: checks that stop or tally, waiting with
a deadline, the scenario runner, the processes of this machine and the
folders the test runner hands over."""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback

STAGE = os.environ.get("ORVANE_STAGE_DIR", "")
SOURCE = os.environ.get("ORVANE_SOURCE_DIR", "")
SCRATCH = os.environ.get("ORVANE_TEST_DIR") or tempfile.gettempdir()
TMPDIR = os.environ.get("TMPDIR", "/tmp")
ARTIFACTS = os.environ.get("ORVANE_ARTIFACT_DIR")
# Under a sanitizer (scripts/sanitize.sh) every process carries some 100 MB
# of shadow memory and quarantine: bounds on its memory say nothing there.
MEMORY_BOUNDED = not os.environ.get("ORVANE_SANITIZER")


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Tally:
    """Checks that go on after a failure, for scripts that report every
    broken promise of one long run: check = Tally(); check(ok, what); ...;
    check.finish("name")."""

    def __init__(self):
        self.failures = []

    def __call__(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL:", what, flush=True)
        return condition

    def finish(self, name):
        if self.failures:
            print("%d check(s) failed" % len(self.failures))
            sys.exit(1)
        print("%s: all checks passed" % name)


def wait_for(condition, timeout, what=None):
    """Polls condition until it returns something true, and returns that.
    At the deadline: raises a Failure naming `what`, or without one returns
    what condition says then."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            if what is None:
                return condition()
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def run(scenarios, separate=None, shared=None):
    """Runs the scenarios named on the command line (all of `scenarios` when
    none; those in `separate` only when named), each on its own so one failure
    hides no other. `shared` makes what they all use (closed at the end)."""
    names = sys.argv[1:] or list(scenarios)
    table = dict(scenarios, **(separate or {}))
    # A test runner's timeout ends the run through the cleanup below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    began = time.monotonic()
    passed = failed = 0
    common = shared() if shared else None
    try:
        for name in names:
            started = time.monotonic()
            try:
                table[name]()
                passed += 1
                print("PASS %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
            except Exception as error:  # a failed scenario must not hide the others
                failed += 1
                print("FAIL %s: %s" % (name, error), flush=True)
                traceback.print_exc()
    finally:
        if common:
            common.close()
    print("(%.1f s in all)" % (time.monotonic() - began))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


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


def processes(matches):
    """(pid, argv) of every process of this machine whose argument list
    `matches` (a function of the list)."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                argv = [a.decode(errors="replace") for a in f.read().split(b"\0") if a]
        except OSError:
            continue
        if argv and matches(argv):
            found.append((int(pid), argv))
    return found


def kill(pids):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass


def free_port():
    """A TCP port on 127.0.0.1 that nothing listens on."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def boxes_in(text):
    """The boxes an unattended program announced on its standard error."""
    return [line for line in text.splitlines() if line.startswith("box: ")]


def write(path, data, mtime=None, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)
    if mtime is not None:
        os.utime(path, (mtime, mtime))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def read_text(path):
    """A log's text, empty while the file is not there."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""
