#!/usr/bin/env python3
"""The real Renovo against crafted hostile manifests (harness.manifests'
hostile site): every hostile entry is refused and skipped, only the one
legitimate entry may change the installation; nothing outside it and the
working folder may appear."""
import os

from harness.basics import SCRATCH, TMPDIR, Tally, read, write
from harness.manifests import hostile_site
from harness.renovo import RESTART_RECORDER, install_renovo, renovo_log, restarted, run_renovo, snapshot
from harness.site import Site

check = Tally()
install = os.path.join(SCRATCH, "install")
outside = os.path.join(SCRATCH, "outside")
os.makedirs(outside, exist_ok=True)
site = Site(os.path.join(SCRATCH, "www"))
good_path, good, victims = hostile_site(site.root, outside)

install_renovo(install, program=RESTART_RECORDER, mtime=1600000000)
for name in victims:
    write(os.path.join(install, name), b"old content of " + name.encode(), 1600000000)

work = os.path.join(TMPDIR, "Renovo")
skip = ["www", os.path.relpath(work, SCRATCH), os.path.relpath(os.path.join(TMPDIR, "Renovo_log.txt"), SCRATCH),
        "install"]
outside_before = snapshot(SCRATCH, skip)
install_before = snapshot(install)

with site:
    result = run_renovo(install, site.url())
    check(result.returncode == 0, "exit code 0, got %d: %s" % (result.returncode, result.stderr.decode()))

install_after = snapshot(install)
added = set(install_after) - set(install_before)
check(added <= {"data/", good_path, "restarted.txt"}, "only the legitimate entry added: %s" % sorted(added))
check(read(os.path.join(install, good_path)) == good, "legitimate entry installed")
for name, before in install_before.items():
    check(install_after.get(name) == before, "%s unchanged" % name)
outside_after = snapshot(SCRATCH, skip)
check(outside_after == outside_before,
      "nothing outside the installation and working folders: %s" % sorted(set(outside_after) ^ set(outside_before)))
work_files = [os.path.join(f, n) for f, _, ns in os.walk(work) for n in ns]
check(work_files == [], "working folder left empty: %s" % work_files)
check(not any("evil" in f for f in site.requests), "no hostile packed file fetched: %s" % site.requests)
log = renovo_log()
check(log.count("Refused manifest entry:") >= 40, "each hostile entry refused in the log")
check("box: information | Update | Application update completely!" in result.stderr.decode(), "run not completed")
check(restarted(install), "program restarted")
check.finish("renovo hostile manifests")
