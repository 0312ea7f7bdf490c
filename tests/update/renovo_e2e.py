#!/usr/bin/env python3
"""The real Renovo against a site served on 127.0.0.1: out-of-date files are
replaced and stamped with the manifest dates, the updater itself is left
alone, the program is started again with "1", and a second run finds
everything up to date."""
import os
import subprocess
import time

from harness.basics import SCRATCH, TMPDIR, Tally, read, write
from harness.renovo import RESTART_RECORDER, install_renovo, publish, renovo_log, restarted, run_renovo
from harness.site import Site

check = Tally()
# Whole-second local times, as the manifest can express them.
T_PROGRAM = time.mktime((2024, 3, 5, 14, 3, 7, 0, 0, -1))
T_DATA = time.mktime((2024, 3, 6, 9, 15, 0, 0, 0, -1))
T_OLD = time.mktime((2023, 1, 1, 8, 0, 0, 0, 0, -1))

release = os.path.join(SCRATCH, "release")
install = os.path.join(SCRATCH, "install")
site = Site(os.path.join(SCRATCH, "www"))

write(os.path.join(release, "Orvane"), RESTART_RECORDER, T_PROGRAM, 0o755)
write(os.path.join(release, "lib.dat"), os.urandom(200 * 1024), T_DATA)
write(os.path.join(release, "icon", "icon_64.png"), b"new icon bytes", T_DATA)
write(os.path.join(release, "lang", "strings.txt"), b"", T_DATA)  # a new, empty file in a new folder
write(os.path.join(release, "Renovo"), b"a stand-in that must never be installed", T_DATA)
write(os.path.join(release, "same.txt"), b"unchanged", T_OLD)
publish(release, site.folder)

install_renovo(install, program=b"#!/bin/sh\necho old > \"$(dirname \"$0\")/old-ran.txt\"\n", mtime=T_OLD)
renovo_before = read(os.path.join(install, "Renovo"))
write(os.path.join(install, "lib.dat"), b"old library", T_OLD)
write(os.path.join(install, "icon", "icon_64.png"), b"old icon bytes", T_OLD)  # same size, older
write(os.path.join(install, "same.txt"), b"unchanged", T_OLD)
write(os.path.join(install, "local.txt"), b"not listed", T_OLD)

with site:
    url = site.url("dept-rkwt/Orvane/")
    first = run_renovo(install, url)
    stderr = first.stderr.decode()
    check(first.returncode == 0, "first run exit code 0, got %d: %s" % (first.returncode, stderr))
    check("box: information | Update | Application update completely!" in stderr, "completion box: " + stderr)

    for name, stamp in (("Orvane", T_PROGRAM), ("lib.dat", T_DATA), ("icon/icon_64.png", T_DATA),
                        ("lang/strings.txt", T_DATA)):
        path = os.path.join(install, name)
        check(os.path.exists(path) and read(path) == read(os.path.join(release, name)), name + " replaced")
        check(os.path.exists(path) and int(os.stat(path).st_mtime) == int(stamp), name + " stamped")
    check(os.access(os.path.join(install, "Orvane"), os.X_OK), "program still executable")
    check(read(os.path.join(install, "Renovo")) == renovo_before, "updater not replaced")
    check(read(os.path.join(install, "local.txt")) == b"not listed", "unlisted file kept")
    check(restarted(install, args=b"1\n"), "new program restarted with \"1\"")
    check(not os.path.exists(os.path.join(install, "old-ran.txt")), "old program not started")
    check("/dept-rkwt/Orvane/Renovo.qz" not in site.requests, "updater's packed file never fetched")
    check("/dept-rkwt/Orvane/same.txt.qz" not in site.requests, "up-to-date file not fetched")
    log = renovo_log()
    check('"%s/lib.dat"    true' % install in log, "decision line for lib.dat in the log")
    check('"%s/same.txt"    false' % install in log, "decision line for same.txt in the log")
    check("DDC/CI" not in log and "Display backend" not in log, "no monitor or display lines in the log: " + log)
    work = os.path.join(TMPDIR, "Renovo")
    check(os.path.isdir(work) and not os.path.exists(os.path.join(work, "ServerManifest.xml")),
          "local manifest removed after the run")
    check(not any(f.endswith(".renovo-new") for _, _, fs in os.walk(install) for f in fs), "no staged copies left")

    # Second run: everything is current, only the manifest is fetched.
    os.remove(os.path.join(install, "restarted.txt"))
    stamps = {n: os.stat(os.path.join(install, n)).st_mtime_ns for n in ("Orvane", "lib.dat")}
    site.requests.clear()
    second = run_renovo(install, url)
    check(second.returncode == 0, "second run exit code 0")
    check(site.requests == ["/dept-rkwt/Orvane/ServerManifest.xml"],
          "second run fetched only the manifest: %s" % site.requests)
    log = renovo_log()
    check("    true" not in log.replace('Renovo"    true', ""), "second run judged every file up to date")
    check({n: os.stat(os.path.join(install, n)).st_mtime_ns for n in stamps} == stamps, "nothing touched again")
    check(restarted(install), "restarted after the second run too")

    # A base URL without its trailing "/": the names are still appended as
    # they are, with no separator added.
    site.requests.clear()
    run_renovo(install, url.rstrip("/"), timeout=60)
    check(site.requests == ["/dept-rkwt/OrvaneServerManifest.xml"],
          "plain concatenation of the base URL: %s" % site.requests)

    # Too few arguments: the warning, exit code 0, nothing fetched.
    site.requests.clear()
    short = subprocess.run([os.path.join(install, "Renovo"), "Orvane", url],
                           env=dict(os.environ, ORVANE_AUTO_CONFIRM="1"), stderr=subprocess.PIPE, timeout=60)
    check(short.returncode == 0, "short command line exit code 0")
    check(b"box: warning | Renovo | Server connect failed, can't update SW." in short.stderr, "missing-arguments box")
    check(site.requests == [], "nothing fetched without arguments")

# Site unreachable: stops at "open error!" and stays; nothing replaced.
before = read(os.path.join(install, "lib.dat"))
down = run_renovo(install, url, timeout=60)
check(b"box: information | title | open error!" in down.stderr, "open error box when the site is down")
check(down.returncode == 0, "exit code 0 when the site is down")
check(b"Application update completely!" not in down.stderr, "no completion claimed when the site is down")
check(read(os.path.join(install, "lib.dat")) == before, "nothing replaced when the site is down")
check.finish("renovo end to end")
