"""What an update site holds: packed files, the manifest naming them, a
hostile site with one legitimate entry among every form that must be
refused, and the packed files that must fail a whole run."""

import os
import struct
import zlib
from xml.sax.saxutils import escape, quoteattr

from harness.basics import write

DATE = "3/5/2024 2:3:7 PM"
# Manifests a recursive reader crashes on or an entity-expanding one expands
# without bound.
HOSTILE_MANIFESTS = {
    "nested": b"<a>" * 25000 + b"</a>" * 25000,
    "entities": b'<!DOCTYPE m [<!ENTITY e "' + b"x" * 4000 + b'">]><m>' + b'<f file="&e;"/>' * 12000 + b"</m>",
}


def pack(data, declared=None):
    """The packed format (Qt's qCompress): the big-endian unpacked length,
    then a zlib stream."""
    return struct.pack(">I", len(data) if declared is None else declared) + zlib.compress(data)


def entry(file, packed, size="", sub_dir="", version="", date=DATE):
    return ("<e file=%s><p>%s</p><v>%s</v><d>%s</d><s>%s</s><u>%s</u></e>"
            % (quoteattr(file), escape(packed), escape(version), date, size, escape(sub_dir)))


def manifest(*entries):
    return ("<m>" + "".join(entries) + "</m>").encode()


def bomb():
    """A zlib stream of 300 MiB of zeros, made a MiB at a time."""
    stream, zeros = zlib.compressobj(9), bytes(1 << 20)
    return b"".join(stream.compress(zeros) for _ in range(300)) + stream.flush()


def hostile_site(site, outside):
    """Writes a manifest and its packed files into the site folder: one
    legitimate entry among every entry that must be refused and skipped:
    names that could leave the installation or working folder (`outside`
    stands for a folder beyond both), names of the updater's own records,
    and the updater itself. Each names a packed file of its own, so that
    the manifest stays within the entries a packed file may have. Returns
    (the legitimate entry's path in the installation, its content, the
    installation files the hostile entries name, which must stay as they
    are)."""
    payload = b"written by a hostile entry"
    size = str(len(payload))
    packed = iter("evil%d.qz" % n for n in range(1000))
    entries = []
    # The file name in every form that could leave the folder, and the
    # updater's own records.
    for name in ["../evil-file", "..\\evil-file", "../../evil-file", os.path.join(outside, "abs-evil"),
                 "C:evil", "C:\\evil", "\\\\server\\share\\evil", "//server/share/evil", "evil:stream", "CON",
                 "nul.txt", "evil.", "evil ", "sub/evil", "sub\\evil", "..", "UpdateSequence", "UpdateJournal",
                 "RunInfo.ini", "Orvane.renovo-new", "Orvane.RENOVO-OLD", "Renovo_log.txt"]:
        entries.append(entry(name, next(packed), size))
    # The packed name: leaves the working folder, or is a URL of its own.
    for name in ["../evil.qz", "..\\evil.qz", "../../outside/evil.qz", os.path.join(outside, "evil.qz"),
                 "C:evil.qz", "http://127.0.0.1:1/evil.qz", "//127.0.0.1:1/evil.qz", "%2e%2e%2fevil.qz",
                 "evil.qz?x", "AUX.qz", "evil.qz.renovo-part-abcdef"]:
        entries.append(entry("packed-target.txt", name, size))
    # The folder.
    for sub in ["/..", "/../outside", "..", "outside", "/a/b", "/", "\\..", "/C:", "//server", "/con", "/x."]:
        entries.append(entry("subdir-target.txt", next(packed), size, sub))
    # The updater itself in any letter case, and the one legitimate entry.
    entries.append(entry("RENOVO.EXE", next(packed), size))
    entries.append(entry("Renovo", next(packed), size))
    for name in ["evil%d.qz" % n for n in range(40)]:
        write(os.path.join(site, name), pack(payload))
    good = b"the one legitimate file"
    write(os.path.join(site, "good.qz"), pack(good))
    entries.append(entry("good.txt", "good.qz", str(len(good)), "/data"))
    write(os.path.join(site, "ServerManifest.xml"), manifest(*entries))
    return os.path.join("data", "good.txt"), good, ["UpdateSequence"]


def failing_files(site):
    """Writes packed files into the site folder each of which must fail a
    whole update run, and returns [(label, its manifest entry, what the log
    says about it)]; "-x.qz" names pick one of the site's misbehaviours."""
    zeros = bomb()
    write(os.path.join(site, "bomb.qz"), struct.pack(">I", 300 * 1024 * 1024) + zeros)
    write(os.path.join(site, "liar.qz"), struct.pack(">I", 1024) + zeros)
    write(os.path.join(site, "mismatch.qz"), pack(b"m" * 5000))
    whole = pack(os.urandom(100 * 1024))
    write(os.path.join(site, "truncated.qz"), whole[: len(whole) // 2])
    write(os.path.join(site, "trailing.qz"), pack(b"t" * 100) + b"appended by the site")
    # Served gzip-coded: the bomb again, one more layer down.
    for coded in ["gzip-x.qz", "gzip-chunked-x.qz", "headers-x.qz", "cookies-x.qz"]:
        write(os.path.join(site, coded), struct.pack(">I", 1024) + zeros)
    return [
        ("bomb declared", entry("victim.bin", "bomb.qz"), "above the limit"),
        ("bomb, lying header", entry("victim.bin", "liar.qz"), "unpacks to more than the declared 1024 bytes"),
        ("size mismatch", entry("victim.bin", "mismatch.qz", "4000"), "declares 5000 bytes, the manifest 4000"),
        ("cut off", entry("victim.bin", "truncated.qz"), "packed data is cut short"),
        ("missing", entry("victim.bin", "absent.qz"), "HTTP status 404"),
        ("trailing data", entry("victim.bin", "trailing.qz", "100"), "data after the end of the packed stream"),
        ("endless", entry("victim.bin", "endless-x.qz", "100"), "larger than the limit"),
        ("trickle", entry("victim.bin", "trickle-x.qz", "100"), "not complete after"),
        ("gzip, no size", entry("victim.bin", "gzip-x.qz"), "content coding"),
        ("gzip chunked, no size", entry("victim.bin", "gzip-chunked-x.qz"), "content coding"),
        ("header flood", entry("victim.bin", "headers-x.qz", "1024"), "more than 100 header lines"),
        ("cookie flood", entry("victim.bin", "cookies-x.qz", "1024"), "more than 100 header lines"),
    ]
