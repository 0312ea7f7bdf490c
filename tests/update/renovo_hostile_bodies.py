#!/usr/bin/env python3
"""The real Renovo against a hostile site's bodies and a hostile machine:
manifests that crash a recursive or entity-expanding reader, bodies without
end or announced too large, bodies that trickle, packed files with data
after their stream, redirects, a link planted in the installation, a link at
the log's place and a FIFO for RunInfo.ini. Each run must end (exit 0, no
signal) in little memory, keep nothing over the caps on disk and install
nothing it should not. Prints the figures it measured."""
import os
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from updatesite import SCRATCH, STAGE, TMPDIR, Server, read, renovo_log, write  # noqa: E402

failures = []
MANIFEST_CAP = 4 * 1024 * 1024
PACKED_CAP = 256 * 1024 * 1024 + 1024 * 1024 + 4
PEAK_LIMIT_KB = 100 * 1024
# Short limits so the trickles end within seconds: a 2 s stall rule, and a
# floor rate that gives the manifest 2.1 s and a packed file 6 s in all.
LIMITS = {"ORVANE_DOWNLOAD_STALL_MS": "2000", "ORVANE_DOWNLOAD_MIN_RATE": str(64 * 1024 * 1024)}


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def packed(data):
    return struct.pack(">I", len(data)) + zlib.compress(data)


def entry(file, packed_name, size, sub_dir=""):
    return ('<e file="%s"><p>%s</p><v></v><d>3/5/2024 2:3:7 PM</d><s>%d</s><u>%s</u></e>'
            % (file, packed_name, size, sub_dir))


def tree_bytes(root):
    total = 0
    for folder, _, names in os.walk(root):
        for name in names:
            try:
                total += os.lstat(os.path.join(folder, name)).st_size
            except OSError:
                pass
    return total


def run(name, install, site_url, env=None):
    """Runs Renovo; returns (exit status, peak memory in KiB, seconds, most
    bytes seen in the temporary folder while it ran)."""
    full_env = dict(os.environ, ORVANE_AUTO_CONFIRM="1", QT_QPA_PLATFORM="offscreen", **LIMITS)
    full_env.update(env or {})
    start = time.monotonic()
    proc = subprocess.Popen([os.path.join(install, "Renovo"), "Orvane", site_url, "ServerManifest.xml"],
                            env=full_env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    peak_disk = [0]
    done = threading.Event()

    def watch():
        while not done.is_set():
            peak_disk[0] = max(peak_disk[0], tree_bytes(TMPDIR))
            time.sleep(0.02)

    watcher = threading.Thread(target=watch)
    watcher.start()
    killer = threading.Timer(90, proc.kill)
    killer.start()
    _, status, usage = os.wait4(proc.pid, 0)
    killer.cancel()
    done.set()
    watcher.join()
    proc.returncode = os.waitstatus_to_exitcode(status)
    boxes = [line for line in proc.stderr.read().decode(errors="replace").splitlines() if line.startswith("box: ")]
    seconds = time.monotonic() - start
    print("%-28s exit %3d  peak %6.1f MB  %5.1f s  temp folder at most %8d bytes"
          % (name, proc.returncode, usage.ru_maxrss / 1024, seconds, peak_disk[0]))
    check(proc.returncode == 0, "%s: exit status %d" % (name, proc.returncode))
    check(usage.ru_maxrss < PEAK_LIMIT_KB, "%s: peak memory %d KiB" % (name, usage.ru_maxrss))
    return boxes, peak_disk[0]


def fresh_install(name):
    install = os.path.join(SCRATCH, name)
    os.makedirs(install)
    shutil.copy2(os.path.join(STAGE, "Renovo"), os.path.join(install, "Renovo"))
    write(os.path.join(install, "RunInfo.ini"), b"[TraceSet]\nTraceLevel=4\n")
    write(os.path.join(install, "Orvane"), b"#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n",
          mode=0o755)
    return install


site = os.path.join(SCRATCH, "www")
os.makedirs(site)
server = Server(site)
try:
    # Manifests a recursive DOM reader crashes on or expands without bound.
    for name, body in [
            ("nested", b"<a>" * 25000 + b"</a>" * 25000),
            ("entities", b'<!DOCTYPE m [<!ENTITY e "' + b"x" * 4000 + b'">]><m>'
             + b'<f file="&e;"/>' * 12000 + b"</m>")]:
        write(os.path.join(site, name, "ServerManifest.xml"), body)
        install = fresh_install("install-" + name)
        run("manifest " + name, install, server.url(name + "/"))
        check("Manifest not readable:" in renovo_log(), "%s: not refused as not readable" % name)

    # Manifest bodies: without end, announced too large, trickling, redirected.
    for name, prefix, expect in [("endless manifest", "endless/", "larger than the limit"),
                                 ("huge manifest", "huge/", "larger than the limit"),
                                 ("trickling manifest", "trickle/100/", "not complete after"),
                                 ("redirected manifest", "redirect/", "HTTP status 302")]:
        install = fresh_install("install-" + prefix.split("/")[0])
        boxes, disk = run(name, install, server.url(prefix))
        check(expect in renovo_log(), "%s: no %r in the log" % (name, expect))
        check(disk <= MANIFEST_CAP + 1024 * 1024, "%s: %d bytes in the temporary folder" % (name, disk))
        check("box: information | title | open error!" in boxes, "%s: no open error box: %s" % (name, boxes))

    # Packed files: without end, trickling, with data after the stream; a
    # link planted inside the installation.
    good = b"the one legitimate file"
    write(os.path.join(site, "files", "good.qz"), packed(good))
    write(os.path.join(site, "files", "trailing.qz"), packed(b"t" * 100) + b"appended by the site")
    write(os.path.join(site, "files", "ServerManifest.xml"), (
        "<m>" + entry("endless.bin", "endless-x.qz", 100) + entry("trickle.bin", "trickle-x.qz", 100)
        + entry("trailing.bin", "trailing.qz", 100) + entry("through-link.txt", "good.qz", len(good), "/sub")
        + entry("good.txt", "good.qz", len(good)) + "</m>").encode())
    install = fresh_install("install-files")
    outside = os.path.join(SCRATCH, "outside")
    os.makedirs(outside)
    os.symlink(outside, os.path.join(install, "sub"))
    for victim in ["endless.bin", "trickle.bin", "trailing.bin"]:
        write(os.path.join(install, victim), b"old " + victim.encode())
    boxes, disk = run("packed bodies", install, server.url("files/"))
    log = renovo_log()
    check(read(os.path.join(install, "good.txt")) == good, "legitimate file not installed")
    for victim in ["endless.bin", "trickle.bin", "trailing.bin"]:
        check(read(os.path.join(install, victim)) == b"old " + victim.encode(), victim + " changed")
    check(os.listdir(outside) == [], "written through the link: %s" % os.listdir(outside))
    check("larger than the limit" in log and "not complete after" in log, "endless or trickling file not cut off")
    check("data after the end of the packed stream" in log, "trailing data accepted")
    check(disk <= PACKED_CAP + MANIFEST_CAP, "%d bytes in the temporary folder" % disk)
    check("box: information | Update | Application update completely!" in boxes, "run not completed: %s" % boxes)
    work = os.path.join(TMPDIR, "Renovo")
    check(tree_bytes(work) == 0, "files left in the working folder")

    # The log's place holds a link to someone's file; RunInfo.ini is a FIFO.
    victim = os.path.join(SCRATCH, "victim.txt")
    write(victim, b"precious")
    os.remove(os.path.join(TMPDIR, "Renovo_log.txt"))
    os.symlink(victim, os.path.join(TMPDIR, "Renovo_log.txt"))
    install = fresh_install("install-fifo")
    os.remove(os.path.join(install, "RunInfo.ini"))
    os.mkfifo(os.path.join(install, "RunInfo.ini"))
    write(os.path.join(site, "empty", "ServerManifest.xml"), b"<m/>")
    boxes, _ = run("log link, settings FIFO", install, server.url("empty/"))
    check(read(victim) == b"precious", "the log was written through the link")
    check("box: information | Update | Application update completely!" in boxes, "run not completed: %s" % boxes)
    os.remove(os.path.join(TMPDIR, "Renovo_log.txt"))
finally:
    server.close()

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("renovo hostile bodies: all checks passed")
