#!/usr/bin/env python3
"""The real Renovo against a hostile site's bodies and a hostile machine:
manifests that crash a recursive or entity-expanding reader, bodies without
end or announced too large, bodies that trickle, packed files with data
after their stream, redirects, a link planted in the installation, a link at
the log's place and a FIFO for RunInfo.ini. Each run must end (exit 0, no
signal) in little memory, keep nothing over the caps on disk and install
nothing it should not. Prints the figures it measured."""
import os

from harness.basics import SCRATCH, TMPDIR, Tally, read, write
from harness.manifests import HOSTILE_MANIFESTS, entry, manifest, pack
from harness.renovo import RESTART_RECORDER, Measured, install_renovo, renovo_log, tree_bytes
from harness.site import Site

check = Tally()
MANIFEST_CAP = 4 * 1024 * 1024
PACKED_CAP = 256 * 1024 * 1024 + 1024 * 1024 + 4
PEAK_LIMIT_KB = 100 * 1024
# Short limits so the trickles end within seconds: a 2 s stall rule, and a
# floor rate that gives the manifest 2.1 s and a packed file 6 s in all.
LIMITS = {"ORVANE_DOWNLOAD_STALL_MS": "2000", "ORVANE_DOWNLOAD_MIN_RATE": str(64 * 1024 * 1024)}


def run(name, install, site_url):
    """Runs Renovo; returns (the boxes it announced, most bytes seen in the
    temporary folder while it ran)."""
    r = Measured(install, site_url, LIMITS, watch=TMPDIR)
    print("%-28s exit %3d  peak %6.1f MB  %5.1f s  temp folder at most %8d bytes"
          % (name, r.returncode, r.usage.ru_maxrss / 1024, r.seconds, r.peak_disk))
    check(r.returncode == 0, "%s: exit status %d" % (name, r.returncode))
    check(r.usage.ru_maxrss < PEAK_LIMIT_KB, "%s: peak memory %d KiB" % (name, r.usage.ru_maxrss))
    return r.boxes, r.peak_disk


def fresh_install(name):
    return install_renovo(os.path.join(SCRATCH, name), program=RESTART_RECORDER)


with Site(os.path.join(SCRATCH, "www")) as site:
    for name, body in HOSTILE_MANIFESTS.items():
        write(os.path.join(site.root, name, "ServerManifest.xml"), body)
        run("manifest " + name, fresh_install("install-" + name), site.url(name + "/"))
        check("Manifest not readable:" in renovo_log(), "%s: not refused as not readable" % name)

    # Manifest bodies: without end, announced too large, trickling, redirected.
    for name, prefix, expect in [("endless manifest", "endless/", "larger than the limit"),
                                 ("huge manifest", "huge/", "larger than the limit"),
                                 ("trickling manifest", "trickle/100/", "not complete after"),
                                 ("redirected manifest", "redirect/", "HTTP status 302")]:
        boxes, disk = run(name, fresh_install("install-" + prefix.split("/")[0]), site.url(prefix))
        check(expect in renovo_log(), "%s: no %r in the log" % (name, expect))
        check(disk <= MANIFEST_CAP + 1024 * 1024, "%s: %d bytes in the temporary folder" % (name, disk))
        check("box: information | title | open error!" in boxes, "%s: no open error box: %s" % (name, boxes))

    # Packed files: without end, trickling, with data after the stream; a
    # link planted inside the installation.
    good = b"the one legitimate file"
    files = os.path.join(site.root, "files")
    write(os.path.join(files, "good.qz"), pack(good))
    write(os.path.join(files, "trailing.qz"), pack(b"t" * 100) + b"appended by the site")
    write(os.path.join(files, "ServerManifest.xml"), manifest(
        entry("endless.bin", "endless-x.qz", 100), entry("trickle.bin", "trickle-x.qz", 100),
        entry("trailing.bin", "trailing.qz", 100), entry("through-link.txt", "good.qz", len(good), "/sub"),
        entry("good.txt", "good.qz", len(good))))
    install = fresh_install("install-files")
    outside = os.path.join(SCRATCH, "outside")
    os.makedirs(outside)
    os.symlink(outside, os.path.join(install, "sub"))
    for victim in ["endless.bin", "trickle.bin", "trailing.bin"]:
        write(os.path.join(install, victim), b"old " + victim.encode())
    boxes, disk = run("packed bodies", install, site.url("files/"))
    log = renovo_log()
    check(read(os.path.join(install, "good.txt")) == good, "legitimate file not installed")
    for victim in ["endless.bin", "trickle.bin", "trailing.bin"]:
        check(read(os.path.join(install, victim)) == b"old " + victim.encode(), victim + " changed")
    check(os.listdir(outside) == [], "written through the link: %s" % os.listdir(outside))
    check("larger than the limit" in log and "not complete after" in log, "endless or trickling file not cut off")
    check("data after the end of the packed stream" in log, "trailing data accepted")
    check(disk <= PACKED_CAP + MANIFEST_CAP, "%d bytes in the temporary folder" % disk)
    check("box: information | Update | Application update completely!" in boxes, "run not completed: %s" % boxes)
    check(tree_bytes(os.path.join(TMPDIR, "Renovo")) == 0, "files left in the working folder")

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
    check("box: information | Update | Application update completely!" in boxes, "run not completed: %s" % boxes)
    os.remove(os.path.join(TMPDIR, "Renovo_log.txt"))
check.finish("renovo hostile bodies")
