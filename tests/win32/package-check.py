#!/usr/bin/env python3
"""The Windows packages of the builds below $ORVANE_BUILD_DIR, read without
Windows: the installer's tables (msiinfo) for each width, the programs in
the installer against the ZIP's, and Authenticode signing with a
throw-away certificate (scripts/package-windows.sh into a scratch folder,
checked with osslsigncode). What the installer does is run under Wine
(e2e/wine_scenarios.py). Exit 77 (skipped) without the x86_64 build or the
tools."""

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
# Per width: summary template, the Program Files folder, component attribute
# bits (256: 64-bit), launch conditions beyond the downgrade refusal.
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
    """The rows of one table as lists of strings (msiinfo export: three
    header lines, then tab-separated rows)."""
    out = run("msiinfo", "export", path, name)
    if out.returncode != 0:
        return []
    return [line.split("\t") for line in out.stdout.splitlines()[3:]]


def check_tables(path, arch, version, programs):
    """One installer's tables; programs: {name: version} it must carry."""
    label = "%s (%s)" % (os.path.basename(path), arch)
    template, program_files, bits, conditions = WIDTHS[arch]
    summary = run("msiinfo", "suminfo", path).stdout
    check("Template: %s" % template in summary, "%s: not a %s package: %s" % (label, template, summary))
    props = dict((r[0], r[1]) for r in table(path, "Property"))
    for key, want in (("ALLUSERS", "1"), ("ProductVersion", version), ("UpgradeCode", UPGRADE_CODE),
                      ("ProductName", "Orvane"), ("ARPPRODUCTICON", "Orvane.ico")):
        check(props.get(key) == want, "%s: %s is %r, not %r" % (label, key, props.get(key), want))
    check([r[0] for r in table(path, "Icon")] == ["Orvane.ico"], "%s: no product icon" % label)
    dirs = dict((r[0], (r[1], r[2])) for r in table(path, "Directory"))
    check(dirs.get("INSTALLDIR") == (program_files, "Orvane"),
          "%s: installs into %s, not %s\\Orvane" % (label, dirs.get("INSTALLDIR"), program_files))
    attrs = [int(r[3]) & 256 for r in table(path, "Component")]
    check(attrs and all(a == bits for a in attrs), "%s: components not all of its width: %s" % (label, attrs))

    files = dict((r[0], r) for r in table(path, "File"))
    hashed = set(r[0] for r in table(path, "MsiFileHash"))
    removed = dict((r[2], r) for r in table(path, "RemoveFile"))
    for name, want in programs.items():
        row = files.get(name)
        if not check(row is not None, "%s: %s is missing" % (label, name)):
            continue
        check(row[4] == want, "%s: %s has version %r in the File table, its resource says %s"
              % (label, name, row[4], want))
        check(name not in hashed, "%s: the versioned %s has a hash row" % (label, name))
        check(name in removed and removed[name][4] == "2" and removed[name][3] == "INSTALLDIR",
              "%s: %s is not removed by name on uninstall" % (label, name))

    upgrades = sorted((r[1], r[2], r[4], r[6]) for r in table(path, "Upgrade") if r[0] == UPGRADE_CODE)
    check(upgrades == [("0.0.0", version, "768", "OLDERVERSIONBEINGUPGRADED"),
                       (version, "", "2", "NEWERVERSIONDETECTED")],
          "%s: the upgrade rows are %s" % (label, upgrades))
    launch = set(r[0] for r in table(path, "LaunchCondition"))
    check(launch == {"NOT NEWERVERSIONDETECTED"} | conditions, "%s: launch conditions %s" % (label, launch))
    sequence = dict((r[0], (r[1], int(r[2]))) for r in table(path, "InstallExecuteSequence"))
    order = [sequence.get(a, ("", 0))[1] for a in ("InstallValidate", "RemoveExistingProducts", "InstallInitialize")]
    check(order[0] < order[1] < order[2], "%s: the old version is not removed before the new one goes in: %s"
          % (label, order))
    actions = dict((r[0], r[1:4]) for r in table(path, "CustomAction"))
    # 18 (program from an installed file) + 64 (exit code ignored) + 1024
    # (deferred) + 2048 (as the system, not the user).
    check(actions.get("DeleteRunValue") == ["3154", "Kestrun.exe", "0"], "%s: the Run value's removal is %s"
          % (label, actions.get("DeleteRunValue")))
    delete = sequence.get("DeleteRunValue", ("", 0))
    check(delete[0] == 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE' and
          sequence.get("RemoveShortcuts", ("", 1 << 30))[1] <= delete[1] < sequence.get("RemoveFiles", ("", 0))[1],
          "%s: the Run value's removal is scheduled %s" % (label, delete))
    shortcuts = [(r[1], r[2], r[4]) for r in table(path, "Shortcut")]
    check(shortcuts == [("ProgramMenuFolder", "Orvane", "[#Orvane.exe]")], "%s: shortcuts %s" % (label, shortcuts))


def extracted(path, into):
    os.makedirs(into)
    out = run("msiextract", "-C", into, path)
    check(out.returncode == 0, "msiextract %s: %s" % (path, out.stderr))
    found = glob.glob(os.path.join(into, "**", "Orvane.exe"), recursive=True)
    return os.path.dirname(found[0]) if found else into


def main():
    for tool in ("wixl", "msibuild", "msiinfo", "msiextract", "osslsigncode", "openssl"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed (scripts/install-deps.sh installs it)" % tool)
            return 77
    work = tempfile.mkdtemp(prefix="package-", dir=os.environ.get("TMPDIR"))
    checked = []
    for arch in ("x86_64", "i686"):
        packages = sorted(glob.glob(os.path.join(BUILD, "windows-" + arch, "Orvane-*-windows-%s.msi" % arch)))
        if not packages:
            continue
        path = packages[-1]
        version = os.path.basename(path).split("-")[1]
        folder = extracted(path, os.path.join(work, arch))
        programs = dict((n, msi.file_version(os.path.join(folder, n))) for n in ("Orvane.exe", "Renovo.exe", "Kestrun.exe"))
        check(programs["Orvane.exe"] == version, "%s: Orvane.exe has version %s" % (path, programs["Orvane.exe"]))
        check_tables(path, arch, version, programs)
        # The installer and the ZIP carry the same programs.
        with zipfile.ZipFile(path[:-4] + ".zip") as z:
            for name in programs:
                with open(os.path.join(folder, name), "rb") as f:
                    check(z.read("%s/%s" % (os.path.basename(path)[:-4], name)) == f.read(),
                          "%s differs between the ZIP and the installer (%s)" % (name, arch))
        checked.append(arch)
        check(run("osslsigncode", "verify", "-in", path).returncode != 0, "%s is signed without a certificate" % path)
    if "x86_64" not in checked:
        print("SKIP: no x86_64 installer below %s (scripts/build-windows.sh x86_64 builds it)" % BUILD)
        return 77
    x64_folder = os.path.join(work, "x86_64")
    x64_folder = os.path.dirname(glob.glob(os.path.join(x64_folder, "**", "Orvane.exe"), recursive=True)[0])
    if "i686" not in checked:
        # The 32-bit programs are not built here: the x86 package's own rows
        # are checked on one made from the 64-bit files.
        print("NOTE: no i686 build; the x86 tables are checked on a package of the x86_64 files")
        path = os.path.join(work, "x86-of-x86_64.msi")
        out = run(sys.executable, os.path.join(SOURCE, "packaging", "windows", "msi.py"), x64_folder, path,
                  "--version", version_of(x64_folder), "--arch", "i686",
                  "--icon", os.path.join(BUILD, "windows-x86_64", "icon", "orvane.ico"))
        if check(out.returncode == 0, "msi.py --arch i686 failed: %s" % out.stderr):
            check_tables(path, "i686", version_of(x64_folder),
                         dict((n, msi.file_version(os.path.join(x64_folder, n))) for n in
                              ("Orvane.exe", "Renovo.exe", "Kestrun.exe")))

    # Signing: a throw-away certificate, the x86_64 build packed again.
    cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
    out = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
              "-subj", "/CN=Orvane test signing", "-addext", "extendedKeyUsage=codeSigning")
    if not check(out.returncode == 0, "openssl: %s" % out.stderr):
        return 1
    signed = os.path.join(work, "signed")
    env = dict(os.environ, ORVANE_SIGN_CERT=cert, ORVANE_SIGN_KEY=key)
    out = run(os.path.join(SOURCE, "scripts", "package-windows.sh"), os.path.join(BUILD, "windows-x86_64"),
              "x86_64", signed, env=env)
    if check(out.returncode == 0, "package-windows.sh with a certificate: %s" % out.stderr[-2000:]):
        package = glob.glob(os.path.join(signed, "*.msi"))[0]
        inside = extracted(package, os.path.join(work, "signed-msi"))
        with zipfile.ZipFile(package[:-4] + ".zip") as z:
            z.extractall(os.path.join(work, "signed-zip"))
        zipped = os.path.join(work, "signed-zip", os.path.basename(package)[:-4])
        for path in [package] + [os.path.join(d, n) for d in (inside, zipped)
                                 for n in ("Orvane.exe", "Renovo.exe", "Kestrun.exe")]:
            out = run("osslsigncode", "verify", "-CAfile", cert, "-in", path)
            check(out.returncode == 0 and "Signature verification: ok" in out.stdout,
                  "%s is not signed by the certificate: %s" % (path, (out.stdout + out.stderr)[-600:]))
        check(msi.file_version(os.path.join(inside, "Orvane.exe")) == version_of(x64_folder),
              "signing lost Orvane.exe's version")
    print("%s: %d failures" % (", ".join(checked), len(failures)))
    return 1 if failures else 0


def version_of(folder):
    return msi.file_version(os.path.join(folder, "Orvane.exe"))


if __name__ == "__main__":
    sys.exit(main())
