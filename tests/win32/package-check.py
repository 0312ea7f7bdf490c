#!/usr/bin/env python3
"""The Windows installers of the builds below $ORVANE_BUILD_DIR, read with
msitools, and Authenticode signing with a throw-away certificate. The x64
installer is run under Wine (e2e/installer_scenarios.py); the x86 one is
only read, so its tables are checked in full. Exit 77 (skipped) without the
x86_64 build or the tools."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

SOURCE = os.environ.get("ORVANE_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("ORVANE_BUILD_DIR") or os.path.join(SOURCE, "build")
sys.path.insert(0, os.path.join(SOURCE, "packaging", "windows"))
import msi  # noqa: E402

UPGRADE_CODE = "{84E77768-2040-484C-AB49-3C0B0895B8E3}"
PROGRAMS = ("Orvane.exe", "Renovo.exe", "Kestrun.exe")
# Per width: summary template, Program Files folder, component bits (256:
# 64-bit), launch conditions besides the downgrade refusal.
WIDTHS = {
    "x86_64": ("x64;1033", "ProgramFiles64Folder", 256, set()),
    "i686": ("Intel;1033", "ProgramFilesFolder", 0, {"NOT VersionNT64"}),
}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what, flush=True)
    return condition


def run(*command, **kw):
    return subprocess.run(command, capture_output=True, text=True, **kw)


def table(path, name):
    """Rows of one table (msiinfo export: three header lines first)."""
    return [line.split("\t") for line in run("msiinfo", "export", path, name).stdout.splitlines()[3:]]


def check_tables(path, arch, version, folder):
    """One installer's tables against the programs in folder."""
    label = "%s (%s)" % (os.path.basename(path), arch)
    template, program_files, bits, conditions = WIDTHS[arch]
    check("Template: %s" % template in run("msiinfo", "suminfo", path).stdout, "%s: not %s" % (label, template))
    props = dict(r[:2] for r in table(path, "Property"))
    for key, want in (("ALLUSERS", "1"), ("ProductVersion", version), ("UpgradeCode", UPGRADE_CODE)):
        check(props.get(key) == want, "%s: %s is %r" % (label, key, props.get(key)))
    dirs = dict((r[0], (r[1], r[2])) for r in table(path, "Directory"))
    check(dirs.get("INSTALLDIR") == (program_files, "Orvane"), "%s: installs into %s" % (label, dirs.get("INSTALLDIR")))
    attrs = set(int(r[3]) & 256 for r in table(path, "Component"))
    check(attrs == {bits}, "%s: component widths %s" % (label, attrs))

    files = dict((r[0], r[4]) for r in table(path, "File"))
    hashed = set(r[0] for r in table(path, "MsiFileHash"))
    removed = set((r[2], r[3], r[4]) for r in table(path, "RemoveFile"))
    for name in PROGRAMS:
        want = msi.file_version(os.path.join(folder, name))
        check(files.get(name) == want and name not in hashed and (name, "INSTALLDIR", "2") in removed,
              "%s: %s has version %r (resource: %s), hash row %s, removal by name %s"
              % (label, name, files.get(name), want, name in hashed, (name, "INSTALLDIR", "2") in removed))

    upgrades = sorted((r[1], r[2], r[4], r[6]) for r in table(path, "Upgrade") if r[0] == UPGRADE_CODE)
    check(upgrades == [("0.0.0", version, "768", "OLDERVERSIONBEINGUPGRADED"),
                       (version, "", "2", "NEWERVERSIONDETECTED")], "%s: upgrade rows %s" % (label, upgrades))
    launch = set(r[0] for r in table(path, "LaunchCondition"))
    check(launch == {"NOT NEWERVERSIONDETECTED"} | conditions, "%s: launch conditions %s" % (label, launch))
    # The old version goes before the new one comes; the Run value goes
    # (18 program from an installed file + 64 exit code ignored + 1024
    # deferred + 2048 as the system) while Kestrun.exe is still there.
    seq = dict((r[0], (r[1], int(r[2]))) for r in table(path, "InstallExecuteSequence"))
    at = lambda action: seq.get(action, ("", -1))[1]  # noqa: E731
    check(at("InstallValidate") < at("RemoveExistingProducts") < at("InstallInitialize"),
          "%s: RemoveExistingProducts at %d" % (label, at("RemoveExistingProducts")))
    actions = dict((r[0], r[1:4]) for r in table(path, "CustomAction"))
    check(actions.get("DeleteRunValue") == ["3154", "Kestrun.exe", "0"] and at("InstallInitialize")
          < at("DeleteRunValue") < at("RemoveFiles") and seq["DeleteRunValue"][0] ==
          'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE', "%s: Run value removal %s at %s"
          % (label, actions.get("DeleteRunValue"), seq.get("DeleteRunValue")))


def unpacked(path, into):
    check(run("msiextract", "-C", into, path).returncode == 0, "msiextract %s failed" % path)
    found = glob.glob(os.path.join(into, "**", "Orvane.exe"), recursive=True)
    return os.path.dirname(found[0]) if found else into


def main():
    for tool in ("wixl", "msibuild", "msiinfo", "msiextract", "osslsigncode", "openssl"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed (scripts/install-deps.sh installs it)" % tool)
            return 77
    work = tempfile.mkdtemp(prefix="package-", dir=os.environ.get("TMPDIR"))
    built = dict((arch, sorted(glob.glob(os.path.join(BUILD, "windows-" + arch, "Orvane-*-windows-%s.msi" % arch))))
                 for arch in WIDTHS)
    if not built["x86_64"]:
        print("SKIP: no x86_64 installer below %s (scripts/build-windows.sh x86_64 builds it)" % BUILD)
        return 77
    folders = {}
    for arch, packages in built.items():
        if packages:
            path = packages[-1]
            version = os.path.basename(path).split("-")[1]
            folders[arch] = unpacked(path, os.path.join(work, arch))
            check_tables(path, arch, version, folders[arch])
            check(run("osslsigncode", "verify", "-in", path).returncode != 0, "%s is signed unasked" % path)
        else:
            # No 32-bit programs built here: the x86 rows, on a package of
            # the 64-bit files.
            print("NOTE: no %s build; its tables are checked on a package of the x86_64 files" % arch)
            x64 = folders["x86_64"]
            path, version = os.path.join(work, "as-%s.msi" % arch), msi.file_version(os.path.join(x64, "Orvane.exe"))
            out = run(sys.executable, msi.__file__, x64, path, "--version", version, "--arch", arch,
                      "--icon", os.path.join(BUILD, "windows-x86_64", "icon", "orvane.ico"))
            if check(out.returncode == 0, "msi.py --arch %s: %s" % (arch, out.stderr)):
                check_tables(path, arch, version, x64)

    cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
    out = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
              "-subj", "/CN=Orvane test signing", "-addext", "extendedKeyUsage=codeSigning")
    signed = os.path.join(work, "signed")
    if check(out.returncode == 0, "openssl: %s" % out.stderr):
        out = run(os.path.join(SOURCE, "scripts", "package-windows.sh"), os.path.join(BUILD, "windows-x86_64"),
                  "x86_64", signed, env=dict(os.environ, ORVANE_SIGN_CERT=cert, ORVANE_SIGN_KEY=key))
    if check(out.returncode == 0 and glob.glob(os.path.join(signed, "*.msi")), "signed packing: %s" % out.stderr):
        package = glob.glob(os.path.join(signed, "*.msi"))[0]
        with zipfile.ZipFile(package[:-4] + ".zip") as z:
            z.extractall(os.path.join(work, "signed-zip"))
        inside = [unpacked(package, os.path.join(work, "signed-msi")),
                  os.path.join(work, "signed-zip", os.path.basename(package)[:-4])]
        for path in [package] + [os.path.join(d, n) for d in inside for n in PROGRAMS]:
            out = run("osslsigncode", "verify", "-CAfile", cert, "-in", path)
            check(out.returncode == 0 and "Signature verification: ok" in out.stdout,
                  "%s is not signed by the certificate: %s" % (path, (out.stdout + out.stderr)[-600:]))
        check(msi.file_version(os.path.join(inside[0], "Orvane.exe")) == msi.file_version(
            os.path.join(folders["x86_64"], "Orvane.exe")), "signing changed Orvane.exe's version")
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
