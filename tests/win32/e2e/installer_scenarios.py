"""The Windows installer under Wine, in the prefix the other scenarios use:
msi_install puts the programs in place with msiexec (the scenarios after it
run the installed programs), msi_repair_upgrade_remove deals with an
installation the updater has changed and then removes it, which must leave
the prefix as it was before msi_install."""

import glob
import os
import re
import subprocess
import sys
import zipfile

from harness.basics import check, read
from harness.renovo import patched_version
from harness.wine import WINDOWS_STAGE

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "packaging",
                                "windows"))
import msi  # noqa: E402

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# What removal is compared on, besides every file below C:\ but the user's
# temporary folder: the keys installers and the programs write to, whole,
# and which vendor keys exist (listing all of HKLM\Software costs 10 s).
KEYS_EXPORTED = (r"HKLM\Software\Microsoft\Windows\CurrentVersion",
                 r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion",
                 r"HKLM\Software\Classes\Installer", r"HKCU\Software")
KEYS_LISTED = (r"HKLM\Software", r"HKLM\Software\Wow6432Node")
# Windows Installer's own containers stay, empty, once it has installed
# anything, as on Windows.
INSTALLER_KEYS = re.compile(r"\\Installer(\\(Features|Products|UpgradeCodes|UserData(\\S-1-5-18"
                            r"(\\(Components|Products))?)?))?\]$")
# What the scenarios put beside the installed programs.
TEST_FILES = ("dxva2.dll", "poke.exe", "probe.exe", "RunInfo.ini", "dxva2-control.txt", "dxva2-calls.txt")


def wine_own(line):
    """What Windows Installer and Wine change in a prefix of their own
    accord: the installer's empty containers and folder, the compiled INF
    files Wine's setup functions write when they first read one, and Wine's
    own settings (HKCU\\Software\\Wine), which it fills as programs ask for
    system parameters."""
    return ((line.startswith("key ") and INSTALLER_KEYS.search(line)) or line == "file windows/Installer"
            or re.fullmatch(r"file windows/inf/\w+\.pnf", line)
            or re.match(r"(key|value) \[HKEY_CURRENT_USER\\Software\\Wine[\\\]]", line))


def installer():
    """The x86_64 installer of the Windows build beside its stage."""
    found = sorted(glob.glob(os.path.join(os.path.dirname(WINDOWS_STAGE), "Orvane-*-windows-x86_64.msi")))
    check(found, "no installer beside %s (scripts/build-windows.sh x86_64 makes it)" % WINDOWS_STAGE)
    return found[-1]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def msiexec(desk, *args):
    return desk.wine("msiexec", *args, "/qn", timeout=240)[0]


def prefix_state(desk):
    """The prefix as one set of lines: its files and folders (but the
    user's temporary folder, where the logs stay) and the registry keys
    and values above."""
    state = set()
    drive = os.path.join(desk.prefix, "drive_c")
    for folder, dirs, files in os.walk(drive):
        if os.path.samefile(folder, desk.temp):
            dirs[:] = []
            continue
        rel = os.path.relpath(folder, drive)
        state.update("file " + os.path.normpath(os.path.join(rel, n)) for n in dirs + files)
    exported = os.path.join(desk.root, "export.reg")
    for key in KEYS_EXPORTED:
        if os.path.exists(exported):
            os.remove(exported)
        if desk.reg("export", key, windows_path(exported), "/y")[0] != 0:
            continue  # not there (yet)
        with open(exported, encoding="utf-16") as f:
            text = f.read().replace("\\\n  ", "")
        current = None
        for line in text.splitlines():
            if line.startswith("["):
                current = line
                state.add("key " + line)
            elif line.strip() and current:
                state.add("value %s %s" % (current, line))
    for key in KEYS_LISTED:
        state.update("key [%s]" % line.strip() for line in desk.reg("query", key)[1].splitlines()
                     if line.startswith("HKEY_"))
    return state


def uninstall_entries(desk):
    """{product code: {value name: text}} of the Add/Remove entries named
    Orvane."""
    entries, current = {}, None
    for line in desk.reg("query", UNINSTALL_KEY, "/s")[1].splitlines():
        if line.startswith("HKEY_"):
            current = entries.setdefault(line.rsplit("\\", 1)[1], {})
        elif current is not None and line.startswith("    "):
            parts = line.strip().split(None, 2)
            if len(parts) >= 2:
                current[parts[0]] = parts[2] if len(parts) == 3 else ""
    return dict((code, values) for code, values in entries.items() if values.get("DisplayName") == "Orvane")


def installed_entry(desk, version):
    entries = uninstall_entries(desk)
    check(len(entries) == 1, "not one Add/Remove entry of Orvane: %s" % entries)
    code, values = next(iter(entries.items()))
    check(values.get("DisplayVersion") == version, "the entry shows version %s, not %s"
          % (values.get("DisplayVersion"), version))
    return code, values


def msi_install(desk):
    """A fresh prefix meets the installer: msiexec /i puts the ZIP's folder
    into C:\\Program Files\\Orvane, the shortcut into the Start menu and an
    Add/Remove entry with version, location, uninstall command and icon."""
    package = installer()
    version = msi.file_version(os.path.join(WINDOWS_STAGE, "Orvane.exe"))
    desk.before_install = prefix_state(desk)
    check(msiexec(desk, "/i", windows_path(package)) == 0, "msiexec /i failed")
    folder = os.path.join(desk.prefix, "drive_c", "Program Files", "Orvane")
    installed = set(os.path.relpath(os.path.join(d, n), folder) for d, _, names in os.walk(folder) for n in names)
    with zipfile.ZipFile(package[:-4] + ".zip") as z:
        top = os.path.basename(package)[:-4] + "/"
        zipped = dict((n[len(top):], n) for n in z.namelist() if not n.endswith("/"))
        check(installed == set(zipped), "the installed files are not the ZIP's: %s"
              % sorted(installed ^ set(zipped)))
        for name in ("Orvane.exe", "Renovo.exe", "Kestrun.exe", "icon/icon_64.png"):
            check(read(os.path.join(folder, name)) == z.read(zipped[name]), "%s is not the ZIP's" % name)
    # Wine gives a per-machine installation the user's Start menu.
    check(glob.glob(os.path.join(desk.prefix, "drive_c", "**", "Start Menu", "Programs", "Orvane.lnk"),
                    recursive=True), "no Start-menu shortcut")
    code, values = installed_entry(desk, version)
    check(values.get("UninstallString", "").lower() == "msiexec.exe /x" + code.lower(),
          "uninstall command %r" % values.get("UninstallString"))
    check(values.get("InstallLocation") == "C:\\Program Files\\Orvane\\", "location %r" % values.get("InstallLocation"))
    check(values.get("Publisher") == "Orvane", "publisher %r" % values.get("Publisher"))
    check(os.path.isfile(os.path.join(desk.prefix, "drive_c", "windows", "Installer", code, "Orvane.ico")),
          "the entry's icon was not kept")
    desk.installed = folder


def msi_repair_upgrade_remove(desk):
    """The installer and the updater together, then removal: a repair puts
    back a missing file and keeps the program the updater made newer; an
    upgrade replaces the installation, updated or not, and an older
    installer is refused; removal, over a newer program again, deletes the
    Run value and leaves the prefix as it was before msi_install, the logs in
    %TEMP% apart."""
    folder = desk.installed
    check(folder, "msi_install has not run")
    package = installer()
    version = msi.file_version(os.path.join(WINDOWS_STAGE, "Orvane.exe"))
    orvane = os.path.join(folder, "Orvane.exe")
    updated = read(orvane)
    check(msi.file_version(orvane) != version, "the installed Orvane.exe was not updated (update_from_menu)")

    icon = os.path.join(folder, "icon", "icon_cw90_64.png")
    os.remove(icon)
    check(msiexec(desk, "/i", windows_path(package), "REINSTALL=ALL", "REINSTALLMODE=omus") == 0, "repair failed")
    check(os.path.isfile(icon), "the repair did not put the missing icon back")
    check(read(orvane) == updated, "the repair replaced the updated Orvane.exe")

    # The next release: the ZIP's folder with Orvane.exe two minor versions on.
    major, minor = (int(n) for n in version.split(".")[:2])
    newer = "%d.%d.0.0" % (major, minor + 2)
    work = os.path.join(desk.root, "upgrade")
    with zipfile.ZipFile(package[:-4] + ".zip") as z:
        z.extractall(work)
    release = os.path.join(work, os.path.basename(package)[:-4])
    patched_version(os.path.join(release, "Orvane.exe"), major, minor + 2, 0, 0)
    upgrade = os.path.join(work, "Orvane-%s-windows-x86_64.msi" % newer)
    out = subprocess.run([sys.executable, msi.__file__, release, upgrade, "--version", newer, "--arch", "x86_64",
                          "--icon", os.path.join(os.path.dirname(WINDOWS_STAGE), "icon", "orvane.ico")],
                         capture_output=True, text=True)
    check(out.returncode == 0, "building the upgrade failed: %s" % out.stderr)
    check(msiexec(desk, "/i", windows_path(upgrade)) == 0, "the upgrade failed")
    installed_entry(desk, newer)
    for name in ("Orvane.exe", "Renovo.exe", "Kestrun.exe"):
        check(read(os.path.join(folder, name)) == read(os.path.join(release, name)), "%s is not the upgrade's" % name)

    # 1603 (a launch condition stopped it), of which the host sees the low
    # byte.
    check(msiexec(desk, "/i", windows_path(package)) == 1603 & 0xFF, "the older installer was not refused")
    installed_entry(desk, newer)
    check(read(orvane) == read(os.path.join(release, "Orvane.exe")), "the refused installer changed Orvane.exe")

    # Removed over a program the updater made newer again (Windows Installer
    # leaves such a file unless it is named for removal), and with the Run
    # value written.
    patched_version(orvane, major, minor + 3, 0, 0)
    code, out = desk.wine(os.path.join(folder, "Kestrun.exe"), "1")
    check(code == 0 and desk.run_value(), "Kestrun.exe 1 wrote no Run value: %s" % out)
    for name in TEST_FILES:
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    check(msiexec(desk, "/x", windows_path(upgrade)) == 0, "msiexec /x failed")
    desk.installed = None
    check(desk.run_value() is None, "the Run value stayed")
    check(os.path.isfile(os.path.join(desk.temp, "Orvane_log.txt")), "the removal took the user's log")
    left = sorted(line for line in prefix_state(desk) ^ desk.before_install if not wine_own(line))
    check(not left, "the prefix is not as before the installation: %s" % left[:20])
