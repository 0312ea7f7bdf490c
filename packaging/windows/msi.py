#!/usr/bin/env python3
"""Builds the Windows installer of an installed Orvane folder with wixl.

    msi.py FOLDER OUTPUT.msi --version a.b.c.d --arch x86_64|i686 --icon ICON.ico

FOLDER is what `cmake --install <Windows build> --strip` lays out. Its file
list becomes a WiX fragment (one component per file, so the installer
judges each file on its own) compiled together with Orvane.wxs beside this
script.

The updater replaces programs in the installed folder with newer ones, and
the installer has to live with that. Executables therefore carry the
version of their version resource in the File table, so a repair keeps a
newer program the updater put in place; and each is also named in the
RemoveFile table, because Windows Installer leaves a file newer than its
own on removal, which would keep the program and its folder after an
uninstall."""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
from xml.sax.saxutils import quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
ARCHES = {"x86_64": ("x64", "yes", "ProgramFiles64Folder"), "i686": ("x86", "no", "ProgramFilesFolder")}


def file_version(path):
    """The file version of a PE file's version resource as "a.b.c.d", or
    None without one. The fixed record follows the UTF-16 key
    VS_VERSION_INFO, aligned to 4 bytes; its signature alone would also
    match a reader's code."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        return None
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    at = data.find(key)
    while at >= 0:
        record = (at + len(key) + 3) & ~3
        if record + 16 <= len(data):
            signature, layout, ms, ls = struct.unpack_from("<IIII", data, record)
            if signature == 0xFEEF04BD and layout == 0x00010000:
                return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        at = data.find(key, at + 1)
    return None


def element_id(prefix, relative):
    """A WiX identifier for a path below the folder: letters, digits, "_"
    and "." only, at most 72 characters."""
    text = prefix + re.sub(r"[^A-Za-z0-9_.]", "_", relative)
    if len(text) > 72 or not re.match(r"[A-Za-z_]", text):
        raise SystemExit("msi.py: no usable identifier for %s" % relative)
    return text


def fragment(folder, source, win64):
    """The WiX fragment of every file below folder, named in it as below
    source: the directories under INSTALLDIR and the component group
    ProgramFiles. Top-level files get their name as file id (Orvane.wxs
    refers to Orvane.exe and Kestrun.exe). Also returns the versioned files
    as (file id, component, directory id, name, version)."""
    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">', "  <Fragment>",
             '    <DirectoryRef Id="INSTALLDIR">']
    components, ids, versioned = [], set(), []

    def directory(path, relative, directory_id, depth):
        indent = "  " * depth
        for name in sorted(os.listdir(path)):
            full = os.path.join(path, name)
            rel = relative + "/" + name if relative else name
            if os.path.isdir(full):
                sub_id = element_id("dir_", rel)
                lines.append("%s<Directory Id=%s Name=%s>" % (indent, quoteattr(sub_id), quoteattr(name)))
                directory(full, rel, sub_id, depth + 1)
                lines.append("%s</Directory>" % indent)
                continue
            file_id = element_id("f_" if relative else "", rel)
            if file_id.lower() in ids:
                raise SystemExit("msi.py: two files give the identifier %s" % file_id)
            ids.add(file_id.lower())
            component = element_id("c_", rel)
            components.append(component)
            version = file_version(full) if name.lower().endswith((".exe", ".dll")) else None
            if version:
                versioned.append((file_id, component, directory_id, name, version))
            lines.append('%s<Component Id=%s Guid="*" Win64="%s">' % (indent, quoteattr(component), win64))
            lines.append('%s  <File Id=%s Name=%s Source=%s KeyPath="yes" />'
                         % (indent, quoteattr(file_id), quoteattr(name), quoteattr(source + "/" + rel)))
            lines.append("%s</Component>" % indent)

    directory(folder, "", "INSTALLDIR", 3)
    lines += ["    </DirectoryRef>", '    <ComponentGroup Id="ProgramFiles">']
    lines += ["      <ComponentRef Id=%s />" % quoteattr(c) for c in components]
    lines += ["    </ComponentGroup>", "  </Fragment>", "</Wix>", ""]
    return "\n".join(lines), versioned


def fixups(versioned, product_version):
    """What Debian 12's wixl (0.101) cannot write, as SQL on the database it
    wrote: the file versions, without hash rows for those files (Windows
    Installer compares their versions instead), their removal by name, and
    the upgrade of the same version (Orvane.wxs: IncludeMaximum)."""
    queries = []
    for file_id, component, directory_id, name, version in versioned:
        queries += ["UPDATE `File` SET `Version` = '%s' WHERE `File` = '%s'" % (version, file_id),
                    "DELETE FROM `MsiFileHash` WHERE `File_` = '%s'" % file_id,
                    # 2: when the component is removed.
                    "INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) "
                    "VALUES ('rm_%s', '%s', '%s', '%s', 2)" % (file_id, component, name, directory_id)]
    # The attributes are part of the row's key: the row is written again,
    # with 256 + 512 (minimum and maximum included).
    with open(os.path.join(HERE, "Orvane.wxs"), encoding="utf-8") as f:
        code = re.search(r'UpgradeCode="([0-9A-F-]+)"', f.read()).group(1)
    queries += ["DELETE FROM `Upgrade` WHERE `ActionProperty` = 'OLDERVERSIONBEINGUPGRADED'",
                "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMin`, `VersionMax`, `Attributes`, `ActionProperty`) "
                "VALUES ('{%s}', '0.0.0', '%s', 768, 'OLDERVERSIONBEINGUPGRADED')" % (code, product_version)]
    return queries


def run(command, what, cwd=None):
    done = subprocess.run(command, capture_output=True, text=True, cwd=cwd)
    # wixl reports what it cannot build as warnings and goes on. It also
    # calls every shortcut that is not advertised "unimplemented", but
    # writes it as given.
    said = [line for line in (done.stdout + done.stderr).splitlines()
            if line.strip() and not line.endswith(": unimplemented")]
    if done.returncode != 0 or said:
        sys.stderr.write("\n".join(said) + "\n")
        raise SystemExit("msi.py: %s failed" % what)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder")
    parser.add_argument("output")
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True, choices=sorted(ARCHES))
    parser.add_argument("--icon", required=True)
    args = parser.parse_args()
    if not re.fullmatch(r"\d+\.\d+\.\d+\.\d+", args.version):
        raise SystemExit("msi.py: the version must be a.b.c.d, not %r" % args.version)
    # The installer's version is what Add/Remove Programs shows and what
    # upgrades compare: it must be the program's own.
    program = file_version(os.path.join(args.folder, "Orvane.exe"))
    if program != args.version:
        raise SystemExit("msi.py: Orvane.exe in %s has version %s, not %s" % (args.folder, program, args.version))
    wixl_arch, win64, program_files = ARCHES[args.arch]
    output = os.path.abspath(args.output)
    with tempfile.TemporaryDirectory(prefix="orvane-msi-") as work:
        # wixl looks for sources below its working folder only.
        os.symlink(os.path.abspath(args.folder), os.path.join(work, "root"))
        os.symlink(os.path.abspath(args.icon), os.path.join(work, "Orvane.ico"))
        text, versioned = fragment(args.folder, "root", win64)
        with open(os.path.join(work, "Files.wxs"), "w", encoding="utf-8") as f:
            f.write(text)
        run(["wixl", "-a", wixl_arch, "-o", output, "-D", "Version=" + args.version, "-D", "Win64=" + win64,
             "-D", "ProgramFilesDir=" + program_files, "-D", "Icon=Orvane.ico",
             os.path.join(HERE, "Orvane.wxs"), "Files.wxs"], "wixl", cwd=work)
        run(["msibuild", output] + [arg for q in fixups(versioned, args.version) for arg in ("-q", q)], "msibuild")
    return 0


if __name__ == "__main__":
    sys.exit(main())
