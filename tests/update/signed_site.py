#!/usr/bin/env python3
"""Signed updates with the real programs: renovo-publish --sign writes a
signed site, a Renovo built with the tests' key installs it, and every
forgery (unsigned, altered manifest, altered file, a stranger's key) and every
replay (an older sequence, an expired manifest) is refused with the
updater's box, nothing installed and the program started again."""
import os
import shutil
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from updatesite import SCRATCH, STAGE, Server, read, renovo_log, run_renovo, wait_for, write  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
KEY = os.path.join(HERE, "signing", "test-update.key")
SIGNED_RENOVO = os.path.join(os.environ.get("ORVANE_BUILD_DIR", ""), "tests", "renovo-signed")
REFUSED = "box: warning | Renovo | Server connect failed, can't update SW."
COMPLETE = "box: information | Update | Application update completely!"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def publish(release, site, *extra):
    if os.path.exists(site):
        shutil.rmtree(site)
    out = subprocess.run([os.path.join(STAGE, "renovo-publish"), release, "1.2.0.0", site, *extra],
                         capture_output=True, text=True)
    check(out.returncode == 0, "publishing failed: " + out.stderr)
    return out


release = os.path.join(SCRATCH, "release")
new_program = b"#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n"
write(os.path.join(release, "Orvane"), new_program, mode=0o755)
write(os.path.join(release, "data", "lib.dat"), os.urandom(50 * 1024))
old_program = b"#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n# old\n"


def install(name, sequence=None):
    folder = os.path.join(SCRATCH, name)
    os.makedirs(folder)
    shutil.copy2(SIGNED_RENOVO, os.path.join(folder, "Renovo"))
    write(os.path.join(folder, "RunInfo.ini"), b"[TraceSet]\nTraceLevel=4\n")
    write(os.path.join(folder, "Orvane"), old_program, 1600000000, 0o755)
    if sequence is not None:
        write(os.path.join(folder, "UpdateSequence"), b"%d\n" % sequence)
    return folder


def run(name, folder, site_dir):
    result = run_renovo(folder, server.url(os.path.basename(site_dir) + "/"))
    said = [line for line in result.stderr.decode(errors="replace").splitlines() if line.startswith("box: ")]
    check(result.returncode == 0, "%s: exit status %d" % (name, result.returncode))
    check(wait_for(lambda: os.path.exists(os.path.join(folder, "restarted.txt")), 10), name + ": not restarted")
    return said


www = os.path.join(SCRATCH, "www")
server = Server(www)
try:
    # A key pair of renovo-publish's own: its public key prints as base64.
    stranger = os.path.join(SCRATCH, "stranger.key")
    out = subprocess.run([os.path.join(STAGE, "renovo-publish"), "--generate-key", stranger],
                         capture_output=True, text=True)
    check(len(out.stdout.strip()) == 44 and os.stat(stranger).st_mode & 0o077 == 0, "key generation: " + out.stdout)

    good = os.path.join(www, "good")
    publish(release, good, "--sign", KEY, "--sequence", "5")
    check(os.path.exists(os.path.join(good, "ServerManifest.xml.sig")), "no detached signature")
    folder = install("install-good", sequence=4)
    said = run("good site", folder, good)
    check(COMPLETE in said, "good site: %s" % said)
    check(read(os.path.join(folder, "Orvane")) == new_program, "good site: program not installed")
    check(read(os.path.join(folder, "data", "lib.dat")) == read(os.path.join(release, "data", "lib.dat")),
          "good site: data not installed")
    check(read(os.path.join(folder, "UpdateSequence")).strip() == b"5", "accepted sequence not kept")

    def forged(name, make, sequence=None, what="Refused"):
        site = os.path.join(www, name.replace(" ", "-"))
        make(site)
        folder = install("install-" + name.replace(" ", "-"), sequence)
        said = run(name, folder, site)
        check(REFUSED in said and COMPLETE not in said, "%s: %s" % (name, said))
        check(read(os.path.join(folder, "Orvane")) == old_program, name + ": program replaced")
        check(not os.path.exists(os.path.join(folder, "data")), name + ": data installed")
        check(what in renovo_log(), "%s: no %r in the log" % (name, what))

    def unsigned(site):
        publish(release, site, "--sign", KEY)
        os.remove(os.path.join(site, "ServerManifest.xml.sig"))

    def altered_manifest(site):
        publish(release, site, "--sign", KEY)
        path = os.path.join(site, "ServerManifest.xml")
        write(path, read(path).replace(b"1.2.0.0", b"1.2.0.1"))

    def altered_file(site):
        publish(release, site, "--sign", KEY)
        other = new_program.replace(b"echo", b"ECHO")
        write(os.path.join(site, "Orvane.qz"), struct.pack(">I", len(other)) + zlib.compress(other))

    forged("unsigned", unsigned, what="no signature")
    forged("altered manifest", altered_manifest, what="bad signature")
    forged("altered file", altered_file, what="hash differs")
    forged("stranger's key", lambda site: publish(release, site, "--sign", stranger), what="bad signature")
    forged("older sequence", lambda site: publish(release, site, "--sign", KEY, "--sequence", "5"), sequence=6,
           what="older than the accepted 6")
    forged("expired", lambda site: publish(release, site, "--sign", KEY, "--expires", "2020-01-01T00:00:00Z"),
           what="expired")
finally:
    server.close()

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("signed site: all checks passed")
