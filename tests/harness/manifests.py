"""What an update site holds: packed files, the manifest naming them, and a
hostile site with one legitimate entry among every form that must be
refused."""

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
    legitimate entry, and every entry that could leave the installation or
    working folder (`outside` stands for a folder beyond both), a
    decompression bomb, a header that lies about the unpacked size, a packed
    size that disagrees with the manifest, a cut-off and a missing packed
    file, and the updater itself. Returns (the legitimate entry's path in the
    installation, its content, the installation files the hostile entries
    name, which must stay as they are)."""
    payload = b"written by a hostile entry"
    size = str(len(payload))
    write(os.path.join(site, "evil.qz"), pack(payload))
    entries = []
    # The file name in every form that could leave the folder.
    for name in ["../evil-file", "..\\evil-file", "../../evil-file", os.path.join(outside, "abs-evil"),
                 "C:evil", "C:\\evil", "\\\\server\\share\\evil", "//server/share/evil", "evil:stream", "CON",
                 "nul.txt", "evil.", "evil ", "sub/evil", "sub\\evil", ".."]:
        entries.append(entry(name, "evil.qz", size))
    # The packed name: leaves the working folder, or is a URL of its own.
    for name in ["../evil.qz", "..\\evil.qz", "../../outside/evil.qz", os.path.join(outside, "evil.qz"),
                 "C:evil.qz", "http://127.0.0.1:1/evil.qz", "//127.0.0.1:1/evil.qz", "%2e%2e%2fevil.qz",
                 "evil.qz?x", "AUX.qz"]:
        entries.append(entry("packed-target.txt", name, size))
    # The folder.
    for sub in ["/..", "/../outside", "..", "outside", "/a/b", "/", "\\..", "/C:", "//server", "/con", "/x."]:
        entries.append(entry("subdir-target.txt", "evil.qz", size, sub))
    # A bomb declared truthfully, and the same behind a header that claims 1 KiB.
    zeros = bomb()
    write(os.path.join(site, "bomb.qz"), struct.pack(">I", 300 * 1024 * 1024) + zeros)
    write(os.path.join(site, "liar.qz"), struct.pack(">I", 1024) + zeros)
    entries.append(entry("victim-bomb.bin", "bomb.qz"))
    entries.append(entry("victim-liar.bin", "liar.qz"))
    # The unpacked length differs from the manifest's size.
    write(os.path.join(site, "mismatch.qz"), pack(b"m" * 5000))
    entries.append(entry("victim-mismatch.bin", "mismatch.qz", "4000"))
    # A packed file cut in half, served completely.
    whole = pack(os.urandom(100 * 1024))
    write(os.path.join(site, "truncated.qz"), whole[: len(whole) // 2])
    entries.append(entry("victim-truncated.bin", "truncated.qz"))
    # A packed file the site does not have.
    entries.append(entry("victim-missing.bin", "absent.qz"))
    # The updater itself in any letter case, and the one legitimate entry.
    entries.append(entry("RENOVO.EXE", "evil.qz", size))
    entries.append(entry("Renovo", "evil.qz", size))
    good = b"the one legitimate file"
    write(os.path.join(site, "good.qz"), pack(good))
    entries.append(entry("good.txt", "good.qz", str(len(good)), "/data"))
    write(os.path.join(site, "ServerManifest.xml"), manifest(*entries))
    victims = ["victim-bomb.bin", "victim-liar.bin", "victim-mismatch.bin", "victim-truncated.bin",
               "victim-missing.bin"]
    return os.path.join("data", "good.txt"), good, victims
