#!/usr/bin/env python3
"""Signed updates with the real programs: renovo-publish --sign writes a
signed site, a Renovo built with the tests' key installs it, and every
forgery (unsigned, altered manifest, altered file, a stranger's key), every
replay (an older sequence, an expired manifest), the other site's manifest
and every damaged accepted-sequence record is refused with the updater's
box, nothing installed and the program started again; a file older than the
installed one is kept out."""
import os
import shutil
import subprocess

from harness.basics import SCRATCH, STAGE, Tally, boxes_in, read, write
from harness.manifests import pack
from harness.renovo import RESTART_RECORDER, install_renovo, publish, renovo_log, restarted, run_renovo
from harness.site import Site, gzip_bomb

KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "signing", "test-update.key")
SIGNED_RENOVO = os.path.join(os.environ.get("ORVANE_BUILD_DIR", ""), "tests", "renovo-signed")
REFUSED = "box: warning | Renovo | Server connect failed, can't update SW."
COMPLETE = "box: information | Update | Application update completely!"
check = Tally()

release = os.path.join(SCRATCH, "release")
write(os.path.join(release, "Orvane"), RESTART_RECORDER, mode=0o755)
write(os.path.join(release, "data", "lib.dat"), os.urandom(50 * 1024))
old_program = RESTART_RECORDER + b"# old\n"


PRODUCTION = "dept-rkwt/Orvane/"
TEST = "dept-rkwt/Orvane_Test/"


def signed(site, *extra, channel="production", at=None):
    """Publishes the release for a channel below `site`, at that channel's
    path unless `at` names the other one."""
    where = os.path.join(site, at or (PRODUCTION if channel == "production" else TEST))
    shutil.rmtree(where, ignore_errors=True)
    publish(release, where, "1.2.0.0", *extra, *(["--channel", channel] if "--sign" in extra else []))


def install(name, sequence=b"0\n"):
    """An installation as a signed build ships it: with its sequence record
    (None: without)."""
    folder = install_renovo(os.path.join(SCRATCH, name), renovo=SIGNED_RENOVO, program=old_program, mtime=1600000000)
    if isinstance(sequence, bytes):
        write(os.path.join(folder, "UpdateSequence"), sequence)
    return folder


def run(name, folder, site_dir, path=PRODUCTION):
    result = run_renovo(folder, site.url(os.path.basename(site_dir) + "/" + path))
    said = boxes_in(result.stderr.decode(errors="replace"))
    check(result.returncode == 0, "%s: exit status %d" % (name, result.returncode))
    check(restarted(folder), name + ": not restarted")
    return said


gzip_bomb(1)  # made before any run waits for it
with Site(os.path.join(SCRATCH, "www")) as site:
    # A key pair of renovo-publish's own: its public key prints as base64.
    stranger = os.path.join(SCRATCH, "stranger.key")
    out = subprocess.run([os.path.join(STAGE, "renovo-publish"), "--generate-key", stranger],
                         capture_output=True, text=True)
    check(len(out.stdout.strip()) == 44 and os.stat(stranger).st_mode & 0o077 == 0, "key generation: " + out.stdout)

    good = os.path.join(site.root, "good")
    signed(good, "--sign", KEY, "--sequence", "5")
    check(os.path.exists(os.path.join(good, PRODUCTION, "ServerManifest.xml.sig")), "no detached signature")
    folder = install("install-good", sequence=b"4\n")
    said = run("good site", folder, good)
    check(COMPLETE in said, "good site: %s" % said)
    check(read(os.path.join(folder, "Orvane")) == RESTART_RECORDER, "good site: program not installed")
    check(read(os.path.join(folder, "data", "lib.dat")) == read(os.path.join(release, "data", "lib.dat")),
          "good site: data not installed")
    check(read(os.path.join(folder, "UpdateSequence")).strip() == b"5", "accepted sequence not kept")

    def forged(name, make, sequence=b"0\n", what="Refused", path=PRODUCTION, signature=None):
        """`signature`: how the site misbehaves when asked for the signature."""
        where = os.path.join(site.root, name.replace(" ", "-").replace("'", ""))
        make(where)
        folder = install("install-" + os.path.basename(where), sequence)
        if isinstance(sequence, str):  # a folder, not a file
            os.makedirs(os.path.join(folder, "UpdateSequence"))
        site.misbehave = signature and {"ServerManifest.xml.sig": signature}
        said = run(name, folder, where, path)
        site.misbehave = None
        check(REFUSED in said and COMPLETE not in said, "%s: %s" % (name, said))
        check(read(os.path.join(folder, "Orvane")) == old_program, name + ": program replaced")
        check(not os.path.exists(os.path.join(folder, "data", "lib.dat")), name + ": data installed")
        check(what in renovo_log(), "%s: no %r in the log" % (name, what))

    def unsigned(where):
        signed(where, "--sign", KEY)
        os.remove(os.path.join(where, PRODUCTION, "ServerManifest.xml.sig"))

    def altered_manifest(where):
        signed(where, "--sign", KEY)
        path = os.path.join(where, PRODUCTION, "ServerManifest.xml")
        write(path, read(path).replace(b"1.2.0.0", b"1.2.0.1"))

    def altered_file(where):
        signed(where, "--sign", KEY)
        write(os.path.join(where, PRODUCTION, "Orvane.qz"), pack(RESTART_RECORDER.replace(b"echo", b"ECHO")))

    forged("unsigned", unsigned, what="no signature")
    forged("altered manifest", altered_manifest, what="bad signature")
    forged("altered file", altered_file, what="hash differs")
    forged("stranger's key", lambda where: signed(where, "--sign", stranger), what="bad signature")
    forged("older sequence", lambda where: signed(where, "--sign", KEY, "--sequence", "5"), sequence=b"6\n",
           what="older than the accepted 6")
    forged("expired", lambda where: signed(where, "--sign", KEY, "--expires", "2020-01-01T00:00:00Z"), what="expired")
    # A hostile signature file, however big it unpacks or however long it is.
    for label, how, what in [("gzip bomb", "bomb/1", "content coding"), ("without end", "endless", "limit of 4096"),
                             ("header flood", "headers/100000", "more than 100 header lines")]:
        forged("signature " + label, lambda where: signed(where, "--sign", KEY), signature=how, what=what)
    # The test site's manifest at the production address, and back.
    forged("test site's manifest", lambda where: signed(where, "--sign", KEY, channel="test", at=PRODUCTION),
           what='signed for the \\"test\\" site')
    forged("production manifest at the test address", lambda where: signed(where, "--sign", KEY, at=TEST), path=TEST,
           what='signed for the \\"production\\" site')
    # Every damaged form of the accepted-sequence record.
    for label, record in [("missing", None), ("empty", b""), ("garbled", b"5x\n"), ("padded", b" 5\n"),
                          ("no line end", b"5"), ("negative", b"-1\n"), ("leading zero", b"05\n"),
                          ("two lines", b"5\n\n"), ("a folder", "folder")]:
        forged("record " + label, lambda where: signed(where, "--sign", KEY), sequence=record,
               what="the accepted-sequence record is")
    # Published with an old date: the installed program is newer and stays;
    # the missing data file comes.
    older = os.path.join(site.root, "older")
    signed(older, "--sign", KEY, "--date", "1/1/2001 1:0:0 AM")
    folder = install("install-older")
    said = run("older file", folder, older)
    check(COMPLETE in said, "older file: %s" % said)
    check(read(os.path.join(folder, "Orvane")) == old_program, "older file: the newer program was replaced")
    check(os.path.exists(os.path.join(folder, "data", "lib.dat")), "older file: the missing file was not installed")
    check("Kept the installed file, newer than the manifest's" in renovo_log(), "older file: not in the log")
check.finish("signed site")
