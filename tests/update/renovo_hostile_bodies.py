#!/usr/bin/env python3
"""The real Renovo against a hostile site's bodies and a hostile machine.
Manifests: a recursive or entity-expanding reader's crashers, bodies without
end, announced too large, trickling, redirected, gzip bombs with and without
a length, header and cookie floods, status, header and chunk-size lines
without end. Packed files: each of harness.manifests' failing files beside a
legitimate one. The machine: a full installation and a full temporary
folder (a small tmpfs, where one can be mounted), a run killed at every
rename and link it makes, a link planted in the installation, a link at the
log's place and a FIFO for RunInfo.ini. Each run must end (exit 0, no
signal) within its limit in little memory, keep nothing over the caps on
disk, show the right box, start the program again and leave the
installation wholly old or wholly new. Prints the figures it measured."""
import os
import shutil
import subprocess

from harness.basics import MEMORY_BOUNDED, SCRATCH, STAGE, TMPDIR, Tally, read, write
from harness.manifests import HOSTILE_MANIFESTS, entry, failing_files, manifest, pack
from harness.renovo import (RESTART_RECORDER, Measured, install_renovo, renovo_env, renovo_log, restarted, snapshot,
                            tree_bytes)
from harness.site import Site, gzip_bomb

check = Tally()
MANIFEST_CAP = 4 * 1024 * 1024
PACKED_CAP = 256 * 1024 * 1024 + 1024 * 1024 + 4
PEAK_LIMIT_KB = 100 * 1024
# Short limits so the trickles end within seconds: a 2 s stall rule, and a
# floor rate that gives the manifest 2.1 s and a packed file 6 s in all.
LIMITS = {"ORVANE_DOWNLOAD_STALL_MS": "2000", "ORVANE_DOWNLOAD_MIN_RATE": str(64 * 1024 * 1024)}
OPEN_ERROR = "box: information | title | open error!"
FAILED = "box: warning | Renovo | Server connect failed, can't update SW."
COMPLETE = "box: information | Update | Application update completely!"


def run(name, install, site_url, env=None):
    """Runs Renovo; returns (the boxes it announced, most bytes seen in the
    temporary folder while it ran)."""
    r = Measured(install, site_url, dict(LIMITS, **(env or {})), watch=TMPDIR)
    print("%-34s exit %3d  peak %6.1f MB  %5.1f s  temp folder at most %9d bytes  %s"
          % (name, r.returncode, r.peak_kb / 1024, r.seconds, r.peak_disk, r.boxes[-1:]))
    check(r.returncode == 0, "%s: exit status %d" % (name, r.returncode))
    check(not MEMORY_BOUNDED or r.peak_kb < PEAK_LIMIT_KB, "%s: peak memory %d KiB" % (name, r.peak_kb))
    check(restarted(install), "%s: program not started again" % name)
    os.remove(os.path.join(install, "restarted.txt"))
    return r.boxes, r.peak_disk


def fresh_install(name, folder=None):
    install = install_renovo(folder or os.path.join(SCRATCH, name), program=RESTART_RECORDER, mtime=1600000000)
    for old in ["good.txt", "victim.bin"]:
        write(os.path.join(install, old), b"old " + old.encode(), 1600000000)
    return install


class SmallFileSystem:
    """A tmpfs of `size` bytes mounted on `path` (as root), unmounted on exit."""

    def __init__(self, path, size):
        os.makedirs(path, exist_ok=True)
        self.path = path
        self.mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", path],
                                      capture_output=True).returncode == 0

    def fill_leaving(self, left):
        with open(os.path.join(self.path, "filler"), "wb") as f:
            while os.statvfs(self.path).f_bavail * os.statvfs(self.path).f_frsize > left:
                f.write(b"f" * 4096)
                f.flush()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.mounted:
            subprocess.run(["umount", "-l", self.path])


gzip_bomb(1)  # made before the runs, whose stall limit is shorter than its making
with Site(os.path.join(SCRATCH, "www")) as site:
    # The manifest itself: refused, nothing changes, the program is started
    # again. A manifest that does not come stops the run with "open error!",
    # one that does not parse with no box; one asking for more than a run
    # may bring fails it before any packed file is fetched.
    write(os.path.join(site.root, "m", "ServerManifest.xml"), b"<m/>" + b" " * 9000)
    for name, body in HOSTILE_MANIFESTS.items():
        write(os.path.join(site.root, name, "ServerManifest.xml"), body)
    write(os.path.join(site.root, "shared", "ServerManifest.xml"),
          manifest(*[entry("f%d.bin" % n, "one.qz", 1 << 20) for n in range(4096)]))
    write(os.path.join(site.root, "total", "ServerManifest.xml"),
          manifest(*[entry("f%d.bin" % n, "f%d.qz" % n, 1 << 20) for n in range(4096)]))
    for name, prefix, expect, box in [
            ("manifest nested", "nested/", "Manifest not readable:", None),
            ("manifest entities", "entities/", "Manifest not readable:", None),
            ("endless manifest", "endless/m/", "larger than the limit", OPEN_ERROR),
            ("huge manifest", "huge/m/", "larger than the limit", OPEN_ERROR),
            ("cut-off manifest", "short/m/", "Failure", OPEN_ERROR),
            ("trickling manifest", "trickle/100/m/", "not complete after", OPEN_ERROR),
            ("redirected manifest", "redirect/m/", "HTTP status 302", OPEN_ERROR),
            ("gzip bomb with a length", "bomb/1/m/", "content coding", OPEN_ERROR),
            ("gzip bomb without a length", "bomb-chunked/1/m/", "content coding", OPEN_ERROR),
            ("100000 headers", "headers/100000/m/", "more than 100 header lines", OPEN_ERROR),
            ("20000 cookies", "cookies/20000/m/", "more than 100 header lines", OPEN_ERROR),
            ("endless header line", "header-line/m/", "Failure", OPEN_ERROR),
            ("endless status line", "status-line/m/", "Failure", OPEN_ERROR),
            ("endless chunk size", "chunk-size/m/", "hexadecimal", OPEN_ERROR),
            # No body data ever arrives: the stall rule or, when the head
            # itself came late, the overall limit 62 ms after it ends this.
            ("endless chunk-size line", "chunk-extension/m/", ("no data for 2000 ms", "not complete after"),
             OPEN_ERROR),
            ("4096 entries, one packed file", "shared/", "more than 4 entries name", FAILED),
            ("4096 entries of 1 MiB", "total/", "add up to more than 1073741824 bytes", FAILED)]:
        install = fresh_install("install-" + prefix.replace("/", "-"))
        before = snapshot(install)
        asked = len(site.requests)
        boxes, disk = run(name, install, site.url(prefix))
        check(any(e in renovo_log() for e in (expect if isinstance(expect, tuple) else (expect,))),
              "%s: no %r in the log: %s" % (name, expect, renovo_log()[-600:]))
        check(disk <= MANIFEST_CAP + 1024 * 1024, "%s: %d bytes in the temporary folder" % (name, disk))
        check(boxes == ([box] if box else []), "%s: %s" % (name, boxes))
        check(snapshot(install, ["restarted.txt"]) == before, "%s: the installation changed" % name)
        check(not [r for r in site.requests[asked:] if not r.endswith("ServerManifest.xml")],
              "%s: fetched %s" % (name, site.requests[asked:]))

    # Packed files: each failing one beside a legitimate one fails the whole
    # run; the installation stays the old release, byte for byte.
    good = b"the new legitimate file"
    files = os.path.join(site.root, "files")
    write(os.path.join(files, "good.qz"), pack(good))
    for label, victim, expect in failing_files(files):
        folder = os.path.join(site.root, "f-" + label.replace(" ", "-").replace(",", ""))
        shutil.copytree(files, folder, dirs_exist_ok=True)
        write(os.path.join(folder, "ServerManifest.xml"),
              manifest(entry("good.txt", "good.qz", len(good), date="3/5/2030 2:3:7 PM"), victim))
        install = fresh_install("install-" + os.path.basename(folder))
        before = snapshot(install)
        boxes, disk = run("packed: " + label, install, site.url(os.path.basename(folder) + "/"))
        check(expect in renovo_log(), "%s: no %r in the log" % (label, expect))
        check(FAILED in boxes and COMPLETE not in boxes, "%s: %s" % (label, boxes))
        check(snapshot(install, ["restarted.txt"]) == before, "%s: the installation changed" % label)
        check(disk <= PACKED_CAP + MANIFEST_CAP, "%s: %d bytes in the temporary folder" % (label, disk))
        check(tree_bytes(os.path.join(TMPDIR, "Renovo")) == 0, "%s: files left in the working folder" % label)

    # A release of several files for the machine's turn.
    release = os.path.join(site.root, "release")
    names = ["good.txt", "victim.bin"] + ["lib%02d.dat" % n for n in range(8)]
    new = {name: os.urandom(256 * 1024) for name in names}
    write(os.path.join(release, "ServerManifest.xml"),
          manifest(*[entry(name, name + ".qz", len(data), date="3/5/2030 2:3:7 PM") for name, data in new.items()]))
    for name, data in new.items():
        write(os.path.join(release, name + ".qz"), pack(data))

    # The same release without sizes, which the free-space check cannot see
    # coming, and with a manifest padded beyond a write buffer.
    for folder, sizes, pad in [("nosize", False, b""), ("padded", True, b" " * 9000)]:
        shutil.copytree(release, os.path.join(site.root, folder))
        write(os.path.join(site.root, folder, "ServerManifest.xml"), manifest(*[
            entry(name, name + ".qz", len(data) if sizes else "", date="3/5/2030 2:3:7 PM")
            for name, data in new.items()])[:-4] + pad + b"</m>")

    # A full disk in the installation or in the temporary folder: the old
    # release stays byte for byte, nothing is left half written.
    renovo_size = os.path.getsize(os.path.join(STAGE, "Renovo"))
    for label, where, left, folder, box, expect in [
            ("installation", "install", 1 << 20, "release/", FAILED, "bytes free for"),
            ("installation, no sizes", "install", 1 << 20, "nosize/", FAILED, "cannot write"),
            ("temporary folder", "tmp", 1 << 20, "release/", FAILED, "Update failed"),
            ("temporary folder, manifest", "tmp", 8192, "padded/", OPEN_ERROR, "Failure")]:
        with SmallFileSystem(os.path.join(SCRATCH, "small"), renovo_size + (4 << 20)) as small:
            if not small.mounted:
                print("full %s: skipped, no tmpfs can be mounted here" % label)
                continue
            install = fresh_install("full", os.path.join(small.path, "install") if where == "install" else None)
            tmp = os.path.join(small.path, "tmp") if where == "tmp" else TMPDIR
            os.makedirs(tmp, exist_ok=True)
            small.fill_leaving(left)
            before = snapshot(install)
            boxes, _ = run("full " + label, install, site.url(folder), {"TMPDIR": tmp})
            check(boxes == [box], "full %s: %s" % (label, boxes))
            check(snapshot(install, ["restarted.txt"]) == before, "full %s: the installation changed" % label)
            check(tree_bytes(os.path.join(tmp, "Renovo")) == 0, "full %s: files left in the working folder" % label)
            if where == "install":
                check(expect in renovo_log(), "full %s: no %r in the log" % (label, expect))
            shutil.rmtree(install)

    # Killed (SIGKILL) at each rename and at each link it makes: every file
    # stays whole, old or new, and the next run leaves the new release.
    install = fresh_install("install-killed")
    old = {name: read(os.path.join(install, name)) for name in ["good.txt", "victim.bin"]}
    whole = True
    kills = 0
    for call in ["rename", "link"]:
        for at in range(1, 30):
            result = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call,
                                     "-e", "inject=%s:signal=KILL:when=%d" % (call, at),
                                     os.path.join(install, "Renovo"), "Orvane", site.url("release/"),
                                     "ServerManifest.xml"],
                                    env=renovo_env(LIMITS), capture_output=True)
            if COMPLETE.encode() in result.stderr:
                break  # fewer calls than `at`: the run went through
            kills += 1
            for name in names:
                path = os.path.join(install, name)
                now = read(path) if os.path.exists(path) else None
                if now not in (new[name], old.get(name)):
                    whole = False
                    print("killed at %s %d: %s is neither old nor new" % (call, at, name))
            # The next run puts the interrupted swap right before anything else.
            boxes, _ = run("run after a kill at %s %d" % (call, at), install, site.url("release/"))
            check(COMPLETE in boxes, "after a kill at %s %d: %s" % (call, at, boxes))
            check(all(read(os.path.join(install, name)) == data for name, data in new.items()),
                  "after a kill at %s %d: not the new release" % (call, at))
            check(not os.path.exists(os.path.join(install, "UpdateJournal")), "journal left after a kill")
            for name, data in old.items():
                write(os.path.join(install, name), data, 1600000000)
            for name in names[2:]:
                os.remove(os.path.join(install, name))
    print("killed %d times; every file whole after each kill: %s" % (kills, whole))
    check(whole and kills >= 10, "kills: %d, whole: %s" % (kills, whole))

    # A link planted inside the installation: that entry is refused, the
    # rest goes in.
    write(os.path.join(site.root, "link", "good.qz"), pack(good))
    write(os.path.join(site.root, "link", "ServerManifest.xml"), manifest(
        entry("through-link.txt", "good.qz", len(good), "/sub"), entry("good.txt", "good.qz", len(good))))
    install = fresh_install("install-link")
    outside = os.path.join(SCRATCH, "outside")
    os.makedirs(outside)
    os.symlink(outside, os.path.join(install, "sub"))
    boxes, _ = run("link in the installation", install, site.url("link/"))
    check(read(os.path.join(install, "good.txt")) == good, "legitimate file not installed")
    check(os.listdir(outside) == [], "written through the link: %s" % os.listdir(outside))
    check(COMPLETE in boxes, "run not completed: %s" % boxes)

    # The log's place holds a link to someone's file; RunInfo.ini is a FIFO.
    victim = os.path.join(SCRATCH, "victim.txt")
    write(victim, b"precious")
    os.remove(os.path.join(TMPDIR, "Renovo_log.txt"))
    os.symlink(victim, os.path.join(TMPDIR, "Renovo_log.txt"))
    install = fresh_install("install-fifo")
    os.remove(os.path.join(install, "RunInfo.ini"))
    os.mkfifo(os.path.join(install, "RunInfo.ini"))
    write(os.path.join(site.root, "empty", "ServerManifest.xml"), manifest())
    boxes, _ = run("log link, settings FIFO", install, site.url("empty/"))
    check(read(victim) == b"precious", "the log was written through the link")
    check(COMPLETE in boxes, "run not completed: %s" % boxes)
    os.remove(os.path.join(TMPDIR, "Renovo_log.txt"))
check.finish("renovo hostile bodies")
