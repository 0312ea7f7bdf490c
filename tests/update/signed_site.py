#!/usr/bin/env python3
"""Signed updates with the real programs: renovo-publish --sign writes a
signed site, a Renovo built with the tests' key installs it, and every
forgery (unsigned, altered manifest, altered file, a stranger's key) and every
replay (an older sequence, an expired manifest) is refused with the
updater's box, nothing installed and the program started again."""
import os
import shutil
import subprocess

from harness.basics import SCRATCH, STAGE, Tally, boxes_in, read, write
from harness.manifests import pack
from harness.renovo import RESTART_RECORDER, install_renovo, publish, renovo_log, restarted, run_renovo
from harness.site import Site

KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "signing", "test-update.key")
SIGNED_RENOVO = os.path.join(os.environ.get("ORVANE_BUILD_DIR", ""), "tests", "renovo-signed")
REFUSED = "box: warning | Renovo | Server connect failed, can't update SW."
COMPLETE = "box: information | Update | Application update completely!"
check = Tally()

release = os.path.join(SCRATCH, "release")
write(os.path.join(release, "Orvane"), RESTART_RECORDER, mode=0o755)
write(os.path.join(release, "data", "lib.dat"), os.urandom(50 * 1024))
old_program = RESTART_RECORDER + b"# old\n"


def signed(site, *extra):
    shutil.rmtree(site, ignore_errors=True)
    publish(release, site, "1.2.0.0", *extra)


def install(name, sequence=None):
    folder = install_renovo(os.path.join(SCRATCH, name), renovo=SIGNED_RENOVO, program=old_program, mtime=1600000000)
    if sequence is not None:
        write(os.path.join(folder, "UpdateSequence"), b"%d\n" % sequence)
    return folder


def run(name, folder, site_dir):
    result = run_renovo(folder, site.url(os.path.basename(site_dir) + "/"))
    said = boxes_in(result.stderr.decode(errors="replace"))
    check(result.returncode == 0, "%s: exit status %d" % (name, result.returncode))
    check(restarted(folder), name + ": not restarted")
    return said


with Site(os.path.join(SCRATCH, "www")) as site:
    # A key pair of renovo-publish's own: its public key prints as base64.
    stranger = os.path.join(SCRATCH, "stranger.key")
    out = subprocess.run([os.path.join(STAGE, "renovo-publish"), "--generate-key", stranger],
                         capture_output=True, text=True)
    check(len(out.stdout.strip()) == 44 and os.stat(stranger).st_mode & 0o077 == 0, "key generation: " + out.stdout)

    good = os.path.join(site.root, "good")
    signed(good, "--sign", KEY, "--sequence", "5")
    check(os.path.exists(os.path.join(good, "ServerManifest.xml.sig")), "no detached signature")
    folder = install("install-good", sequence=4)
    said = run("good site", folder, good)
    check(COMPLETE in said, "good site: %s" % said)
    check(read(os.path.join(folder, "Orvane")) == RESTART_RECORDER, "good site: program not installed")
    check(read(os.path.join(folder, "data", "lib.dat")) == read(os.path.join(release, "data", "lib.dat")),
          "good site: data not installed")
    check(read(os.path.join(folder, "UpdateSequence")).strip() == b"5", "accepted sequence not kept")

    def forged(name, make, sequence=None, what="Refused"):
        where = os.path.join(site.root, name.replace(" ", "-"))
        make(where)
        folder = install("install-" + name.replace(" ", "-"), sequence)
        said = run(name, folder, where)
        check(REFUSED in said and COMPLETE not in said, "%s: %s" % (name, said))
        check(read(os.path.join(folder, "Orvane")) == old_program, name + ": program replaced")
        check(not os.path.exists(os.path.join(folder, "data")), name + ": data installed")
        check(what in renovo_log(), "%s: no %r in the log" % (name, what))

    def unsigned(where):
        signed(where, "--sign", KEY)
        os.remove(os.path.join(where, "ServerManifest.xml.sig"))

    def altered_manifest(where):
        signed(where, "--sign", KEY)
        path = os.path.join(where, "ServerManifest.xml")
        write(path, read(path).replace(b"1.2.0.0", b"1.2.0.1"))

    def altered_file(where):
        signed(where, "--sign", KEY)
        write(os.path.join(where, "Orvane.qz"), pack(RESTART_RECORDER.replace(b"echo", b"ECHO")))

    forged("unsigned", unsigned, what="no signature")
    forged("altered manifest", altered_manifest, what="bad signature")
    forged("altered file", altered_file, what="hash differs")
    forged("stranger's key", lambda where: signed(where, "--sign", stranger), what="bad signature")
    forged("older sequence", lambda where: signed(where, "--sign", KEY, "--sequence", "5"), sequence=6,
           what="older than the accepted 6")
    forged("expired", lambda where: signed(where, "--sign", KEY, "--expires", "2020-01-01T00:00:00Z"), what="expired")
check.finish("signed site")
