#!/usr/bin/env python3
"""Times the real Renovo and reports its peak memory for two sites served on
127.0.0.1: 200 files of 64 KiB, and one file of 100 MiB. Prints figures only;
it asserts nothing about them.

Usage: PYTHONPATH=tests renovo_bench.py [STAGE_DIR]   (default: $ORVANE_STAGE_DIR)
"""
import os
import shutil
import sys
import tempfile
import time

if len(sys.argv) > 1:
    os.environ["ORVANE_STAGE_DIR"] = os.path.abspath(sys.argv[1])
from harness.basics import STAGE, write  # noqa: E402  (reads the stage folder when imported)
from harness.renovo import Measured, install_renovo, publish  # noqa: E402
from harness.site import Site  # noqa: E402


def write_random(path, size):
    # In pieces: a forked child inherits the parent's peak memory up to its
    # exec, so the bench itself must stay small.
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        for offset in range(0, size, 1 << 20):
            f.write(os.urandom(min(1 << 20, size - offset)))


def run_case(root, label, files):
    release = os.path.join(root, label, "release")
    install = os.path.join(root, label, "install")
    tmp = os.path.join(root, label, "tmp")
    os.makedirs(tmp)
    old = time.time() - 86400 * 30
    for name, size in files:
        write_random(os.path.join(release, name), size)
    with Site(os.path.join(root, label, "site")) as site:
        start = time.monotonic()
        publish(release, site.root)
        publish_s = time.monotonic() - start
        install_renovo(install, trace_level=1, program=b"#!/bin/sh\nexit 0\n")
        for name, _ in files:
            write(os.path.join(install, name), b"old", old)
        run = Measured(install, site.url(), {"TMPDIR": tmp})
    replaced = sum(1 for name, size in files if os.path.getsize(os.path.join(install, name)) == size)
    total = sum(size for _, size in files)
    print("%-22s files %4d  bytes %10d  replaced %4d  exit %d  wall %6.2f s (incl. 1.00 s show delay)  "
          "user %5.2f s  sys %5.2f s  peak RSS %7.1f MiB  publish %5.2f s"
          % (label, len(files), total, replaced, run.returncode, run.seconds, run.usage.ru_utime,
             run.usage.ru_stime, run.peak_kb / 1024.0, publish_s))


def main():
    if not os.path.exists(os.path.join(STAGE, "Renovo")):
        sys.exit("renovo_bench: no Renovo in %r (give the stage folder)" % STAGE)
    root = tempfile.mkdtemp(prefix="renovo-bench.")
    try:
        run_case(root, "200 x 64 KiB", [("f%03d.bin" % i, 64 * 1024) for i in range(200)])
        run_case(root, "1 x 100 MiB", [("big.bin", 100 * 1024 * 1024)])
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
