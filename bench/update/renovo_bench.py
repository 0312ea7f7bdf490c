#!/usr/bin/env python3
"""Times the real Renovo and reports its peak memory for two sites served on
127.0.0.1: 200 files of 64 KiB, and one file of 100 MiB; then for each
hostile answer of the test site (gzip bombs for the manifest, a packed file
without a listed size and the signature, header and cookie floods, lines
without end), with the default limits. Prints figures only; it asserts
nothing about them.

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
from harness.manifests import entry, manifest  # noqa: E402
from harness.site import Site, gzip_bomb  # noqa: E402


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


# (label, misbehaviour of the manifest's answer or {name: misbehaviour})
HOSTILE = [
    ("gzip manifest 1 MiB", "bomb/1"),
    ("gzip manifest 8 MiB", "bomb/8"),
    ("gzip manifest 8 MiB, chunked", "bomb-chunked/8"),
    ("gzip packed file 8 MiB", {"x.qz": "bomb/8"}),
    ("gzip signature 8 MiB", {"ServerManifest.xml.sig": "bomb/8"}),
    ("100,000 headers", "headers/100000"),
    ("300,000 headers", "headers/300000"),
    ("20,000 Set-Cookie lines", "cookies/20000"),
    ("endless header line", "header-line"),
    ("endless status line", "status-line"),
    ("endless chunk size", "chunk-size"),
    ("endless chunk-size line", "chunk-extension"),
]


def run_hostile(root):
    """Each hostile answer against a fresh installation; the signature case
    with the Renovo trusting the tests' key, where the build has one."""
    signed = os.path.join(os.environ.get("ORVANE_BUILD_DIR", os.path.dirname(STAGE)), "tests", "renovo-signed")
    gzip_bomb(8)
    with Site(os.path.join(root, "hostile-site")) as site:
        write(os.path.join(site.folder, "ServerManifest.xml"), manifest(entry("victim.bin", "x.qz")))
        for n, (label, how) in enumerate(HOSTILE):
            renovo = signed if "signature" in label else None
            if renovo and not os.path.exists(renovo):
                print("%-30s skipped: no %s" % (label, renovo))
                continue
            install = install_renovo(os.path.join(root, "hostile-%d" % n), trace_level=1, renovo=renovo,
                                     program=b"#!/bin/sh\nexit 0\n")
            write(os.path.join(install, "UpdateSequence"), b"0\n")
            tmp = os.path.join(root, "hostile-tmp-%d" % n)
            os.makedirs(tmp)
            site.misbehave = how
            run = Measured(install, site.url("dept-rkwt/Orvane/"), {"TMPDIR": tmp}, limit_s=600)
            site.misbehave = None
            print("%-30s exit %d  wall %6.2f s (incl. 1.00 s show delay)  user %5.2f s  sys %5.2f s  "
                  "peak RSS %6.1f MiB  %s" % (label, run.returncode, run.seconds, run.usage.ru_utime,
                                              run.usage.ru_stime, run.peak_kb / 1024.0, run.boxes[-1:]))


def main():
    if not os.path.exists(os.path.join(STAGE, "Renovo")):
        sys.exit("renovo_bench: no Renovo in %r (give the stage folder)" % STAGE)
    root = tempfile.mkdtemp(prefix="renovo-bench.")
    try:
        run_case(root, "200 x 64 KiB", [("f%03d.bin" % i, 64 * 1024) for i in range(200)])
        run_case(root, "1 x 100 MiB", [("big.bin", 100 * 1024 * 1024)])
        run_hostile(root)
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
