#!/usr/bin/env python3
"""The real Renovo against crafted hostile manifests: every entry that could
leave the installation or working folder, a decompression bomb, a packed
size that disagrees with the manifest and a truncated packed file. Only the
one legitimate entry may change the installation; nothing outside it and the
working folder may appear."""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from updatesite import (SCRATCH, TMPDIR, Server, install_renovo, read, renovo_log, run_renovo, snapshot, wait_for,
                        write)

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def packed(data, declared=None):
    """Qt's qCompress layout: big-endian length, then a zlib stream."""
    return struct.pack(">I", len(data) if declared is None else declared) + zlib.compress(data)


def entry(file, packed_name, size="", sub_dir="", version="", date="3/5/2024 2:3:7 PM"):
    return ('<e file="%s"><p>%s</p><v>%s</v><d>%s</d><s>%s</s><u>%s</u></e>'
            % (file, packed_name, version, date, size, sub_dir))


site = os.path.join(SCRATCH, "www")
install = os.path.join(SCRATCH, "install")
outside = os.path.join(SCRATCH, "outside")
os.makedirs(outside, exist_ok=True)
payload = b"written by a hostile entry"
write(os.path.join(site, "evil.qz"), packed(payload))

entries = []
# The file name in every form that could leave the folder.
for name in ["../evil-file", "..\\evil-file", "../../evil-file", os.path.join(outside, "abs-evil"),
             "C:evil", "C:\\evil", "\\\\server\\share\\evil", "//server/share/evil", "evil:stream", "CON",
             "nul.txt", "evil.", "evil ", "sub/evil", ".."]:
    entries.append(entry(name, "evil.qz", str(len(payload))))
# The packed name: leaves the working folder, or is a URL of its own.
for name in ["../evil.qz", "..\\evil.qz", "../../outside/evil.qz", os.path.join(outside, "evil.qz"), "C:evil.qz",
             "http://127.0.0.1:1/evil.qz", "//127.0.0.1:1/evil.qz", "%2e%2e%2fevil.qz", "evil.qz?x", "AUX.qz"]:
    entries.append(entry("packed-target.txt", name, str(len(payload))))
# The folder.
for sub in ["/..", "/../outside", "..", "outside", "/a/b", "/", "\\..", "/C:", "//server", "/con", "/x."]:
    entries.append(entry("subdir-target.txt", "evil.qz", str(len(payload)), sub))
# A bomb: 300 MiB of zeros declared truthfully, and 300 MiB behind a header that claims 1 KiB.
bomb = zlib.compress(b"\0" * (300 * 1024 * 1024), 9)
write(os.path.join(site, "bomb.qz"), struct.pack(">I", 300 * 1024 * 1024) + bomb)
write(os.path.join(site, "liar.qz"), struct.pack(">I", 1024) + bomb)
entries.append(entry("victim-bomb.bin", "bomb.qz"))
entries.append(entry("victim-liar.bin", "liar.qz"))
# Declared length differs from the manifest's size.
write(os.path.join(site, "mismatch.qz"), packed(b"m" * 5000))
entries.append(entry("victim-mismatch.bin", "mismatch.qz", "4000"))
# A truncated packed file, served completely.
whole = packed(os.urandom(100 * 1024))
write(os.path.join(site, "truncated.qz"), whole[: len(whole) // 2])
entries.append(entry("victim-truncated.bin", "truncated.qz"))
# A packed file the site does not have.
entries.append(entry("victim-missing.bin", "absent.qz"))
# The updater itself in any letter case, and one legitimate entry.
entries.append(entry("RENOVO.EXE", "evil.qz", str(len(payload))))
entries.append(entry("Renovo", "evil.qz", str(len(payload))))
good = b"the one legitimate file"
write(os.path.join(site, "good.qz"), packed(good))
entries.append(entry("good.txt", "good.qz", str(len(good)), "/data"))
write(os.path.join(site, "ServerManifest.xml"), ("<m>" + "".join(entries) + "</m>").encode())

install_renovo(install)
for name in ["victim-bomb.bin", "victim-liar.bin", "victim-mismatch.bin", "victim-truncated.bin",
             "victim-missing.bin"]:
    write(os.path.join(install, name), b"old content of " + name.encode(), 1600000000)
stand_in = b"#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n"
write(os.path.join(install, "Orvane"), stand_in, 1600000000, 0o755)

work = os.path.join(TMPDIR, "Renovo")
requests = os.path.join(SCRATCH, "requests.log")
skip = ["www", "requests.log", os.path.relpath(work, SCRATCH),
        os.path.relpath(os.path.join(TMPDIR, "Renovo_log.txt"), SCRATCH), "install"]
outside_before = snapshot(SCRATCH, skip)
install_before = snapshot(install)

server = Server(site, log=requests)
try:
    result = run_renovo(install, server.url())
    check(result.returncode == 0, "exit code 0, got %d: %s" % (result.returncode, result.stderr.decode()))
finally:
    server.close()

install_after = snapshot(install)
added = set(install_after) - set(install_before)
check(added <= {"data/", "data/good.txt", "restarted.txt"}, "only the legitimate entry added: %s" % sorted(added))
check(read(os.path.join(install, "data", "good.txt")) == good, "legitimate entry installed")
for name, before in install_before.items():
    check(install_after.get(name) == before, "%s unchanged" % name)
outside_after = snapshot(SCRATCH, skip)
check(outside_after == outside_before,
      "nothing outside the installation and working folders: %s"
      % sorted(set(outside_after) ^ set(outside_before)))
work_files = [os.path.join(f, n) for f, _, ns in os.walk(work) for n in ns]
check(work_files == [], "working folder left empty: %s" % work_files)
fetched = read(requests).decode().split()
check(not any("evil" in f for f in fetched), "no hostile packed file fetched: %s" % fetched)
log = renovo_log()
check(log.count("Refused manifest entry:") >= 30, "each hostile entry refused in the log")
check("above the limit" in log, "bomb refused from its header")
check("unpacks to more than the declared 1024 bytes" in log, "lying header stopped at its declared length")
check(wait_for(lambda: os.path.exists(os.path.join(install, "restarted.txt")), 10), "program restarted")

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("renovo hostile manifests: all checks passed")
