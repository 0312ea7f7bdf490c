"""Releases and the real updater: publishing a release folder as a site,
patching a program's version record, laying out an installation, running
Renovo and measuring what it took, and reading what it left."""

import hashlib
import os
import shutil
import struct
import subprocess
import threading
import time

from harness.basics import STAGE, TMPDIR, boxes_in, check, read, read_text, wait_for, write

# A program stand-in that records the arguments it was started with.
RESTART_RECORDER = b"#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n"


def publish(release, site, version="1.2.0.0", *extra, tool=None):
    """renovo-publish (the staged one unless `tool` names another)."""
    out = subprocess.run([tool or os.path.join(STAGE, "renovo-publish"), release, version, site, *extra],
                         capture_output=True, text=True)
    check(out.returncode == 0, "publishing failed: " + out.stderr)
    return out


def patched_version(path, major, minor, build, revision):
    """Rewrites the fixed version record embedded in an executable."""
    data = bytearray(read(path))
    # The signature also stands in the reader's code; the record is the one
    # followed by the structure version 1.0.
    at = data.find(struct.pack("<II", 0xFEEF04BD, 0x00010000))
    check(at >= 0, "no version record in " + path)
    struct.pack_into("<II", data, at + 8, (major << 16) | minor, (build << 16) | revision)
    write(path, bytes(data))


def install_renovo(folder, trace_level=4, renovo=None, program=None, mtime=None):
    """An installation folder with the staged Renovo (or `renovo`), a
    RunInfo.ini and, when given, the program the updater starts again."""
    os.makedirs(folder, exist_ok=True)
    shutil.copy2(renovo or os.path.join(STAGE, "Renovo"), os.path.join(folder, "Renovo"))
    write(os.path.join(folder, "RunInfo.ini"), b"[TraceSet]\nTraceLevel=%d\n" % trace_level)
    if program is not None:
        write(os.path.join(folder, "Orvane"), program, mtime, 0o755)
    return folder


def renovo_env(extra=None):
    return dict(os.environ, ORVANE_AUTO_CONFIRM="1", QT_QPA_PLATFORM="offscreen", **(extra or {}))


def run_renovo(folder, site_url, restart="Orvane", timeout=120, extra_env=None):
    return subprocess.run([os.path.join(folder, "Renovo"), restart, site_url, "ServerManifest.xml"],
                          env=renovo_env(extra_env), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


class Measured:
    """One Renovo run to its end: exit status, resource use (CPU times),
    its own peak memory in KiB (peak_kb, sampled every 20 ms), seconds, the
    boxes it announced and the most bytes seen in `watch` (a folder) while
    it ran."""

    def __init__(self, folder, site_url, extra_env=None, watch=None, limit_s=90):
        start = time.monotonic()
        proc = subprocess.Popen([os.path.join(folder, "Renovo"), "Orvane", site_url, "ServerManifest.xml"],
                                env=renovo_env(extra_env), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.peak_disk = 0
        self.peak_kb = 0
        done = threading.Event()

        def look():
            while not done.is_set():
                if watch:
                    self.peak_disk = max(self.peak_disk, tree_bytes(watch))
                self.peak_kb = max(self.peak_kb, peak_memory(proc.pid))
                time.sleep(0.02)

        watcher = threading.Thread(target=look)
        watcher.start()
        killer = threading.Timer(limit_s, proc.kill)
        killer.start()
        stderr = []
        reader = threading.Thread(target=lambda: stderr.append(proc.stderr.read()))
        reader.start()
        _, status, self.usage = os.wait4(proc.pid, 0)
        killer.cancel()
        done.set()
        watcher.join()
        reader.join()
        self.seconds = time.monotonic() - start
        self.returncode = os.waitstatus_to_exitcode(status)
        self.boxes = boxes_in(stderr[0].decode(errors="replace"))


def peak_memory(pid):
    """The process's own peak resident size so far in KiB (0 once it has
    ended). Unlike a child's ru_maxrss it leaves out the forking process's
    peak, which a child inherits up to its exec."""
    try:
        with open("/proc/%d/status" % pid) as f:
            return next((int(line.split()[1]) for line in f if line.startswith("VmHWM:")), 0)
    except OSError:
        return 0


def renovo_log():
    return read_text(os.path.join(TMPDIR, "Renovo_log.txt"))


def restarted(folder, timeout=10, args=None):
    """Whether the recorder stand-in was started again (with `args`)."""
    path = os.path.join(folder, "restarted.txt")
    return bool(wait_for(lambda: os.path.exists(path) and (args is None or read(path) == args), timeout))


def tree_bytes(root):
    total = 0
    for folder, _, names in os.walk(root):
        for name in names:
            try:
                total += os.lstat(os.path.join(folder, name)).st_size
            except OSError:
                pass
    return total


def snapshot(root, skip=()):
    """{relative path: (size, mtime_ns, content hash)} of every file below
    root, folders as "path/": None; `skip` names relative paths left out."""
    result = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            if any(rel == s or rel.startswith(s + os.sep) for s in skip):
                continue
            if os.path.isdir(path) and not os.path.islink(path):
                result[rel + "/"] = None
                continue
            st = os.lstat(path)
            result[rel] = (st.st_size, st.st_mtime_ns, hashlib.sha1(read(path)).hexdigest())
    return result
