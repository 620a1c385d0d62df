#!/usr/bin/python3
"""The Windows installer under Wine, as a user gets it.

Installs mokuji-<version>-setup.exe silently in the Wine prefix WINEPREFIX
names, checks the installed files, the three shortcuts and the uninstall
key, reads the desktop shortcut's target from its .lnk file and runs that
target on a copy of examples/questionnaires (the list must have its four
rows and go to the opener, our stand-in for the spreadsheet program), then
uninstalls silently and checks that nothing is left. Each failure names what
is wrong; the exit status is 1 when one did. Run by scripts/test-windows.sh
after the other Windows tests, with no wineserver running.

Every Wine command writes to files, never to a pipe: the helper processes
Wine starts would keep a pipe open after the command ends.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

import xlrd

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\mokuji"
SHORTCUT = "mokuji.lnk"
LIST_FILE = "00_目次.xls"

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("installer test: FAILED: " + what, flush=True)
    return ok


class Wine:
    def __init__(self, work):
        self.work = work
        self.prefix = os.environ["WINEPREFIX"]
        self.env = dict(os.environ, WINEDEBUG="-all",
                        # Shortcuts saved under Wine would become menu entries
                        # and desktop files of the Linux user.
                        WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.env.pop("DISPLAY", None)
        self.env.pop("WAYLAND_DISPLAY", None)

    def run(self, *args, env=None, timeout=120):
        """Status, standard output and error (CR LF made LF) of wine ARGS."""
        with open(os.path.join(self.work, "out"), "w+b") as out, \
                open(os.path.join(self.work, "err"), "w+b") as err:
            try:
                status = subprocess.run(("wine",) + args, stdin=subprocess.DEVNULL, stdout=out,
                                        stderr=err, env=dict(self.env, **(env or {})),
                                        cwd=self.work, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                return -1, "", "(did not end within %d s)" % timeout
            out.seek(0)
            err.seek(0)
            # Wine's own tools write the ANSI code page; mokuji writes UTF-8.
            text = [f.read().replace(b"\r\n", b"\n") for f in (out, err)]
        return status, text[0].decode("cp932", "replace"), text[1].decode("utf-8", "replace")

    def wait(self):
        """Until every process of the prefix has ended, and its server."""
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=120, check=False)
        except subprocess.TimeoutExpired:
            check(False, "the prefix's processes had not ended 120 s after the uninstall")

    def unix(self, path):
        """The Linux path of a path on drive C: or Z:."""
        drive, rest = path[0].lower(), path[2:].replace("\\", "/")
        return rest if drive == "z" else os.path.join(self.prefix, "dosdevices", drive + ":") + rest


def windows(path):
    """Wine shows the Linux root as drive Z:."""
    return "Z:" + path.replace("/", "\\")


def shell_link(path):
    """The target and the string data of a shell link (.lnk), as
    [MS-SHLLINK] lays them out: the header, the ID list (skipped), the link
    info with the target's local path, then the counted strings."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x2:  # HasLinkInfo
        size, header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, pos)

        def text(at, wide):
            if wide:
                end = at
                while data[end:end + 2] != b"\0\0":
                    end += 2
                return data[at:end].decode("utf-16-le")
            return data[at:data.index(b"\0", at)].decode("cp932")

        if info_flags & 0x1:  # VolumeIDAndLocalBasePath
            if header >= 0x24:  # the Unicode copies follow the offsets
                base, suffix = struct.unpack_from("<2I", data, pos + 28)
            target = text(pos + base, header >= 0x24) + text(pos + suffix, header >= 0x24)
        pos += size
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative path"), (0x10, "working folder"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            width = 2 if flags & 0x80 else 1  # IsUnicode
            # Wine counts the string's terminating zero as well.
            strings[name] = data[pos + 2:pos + 2 + count * width].decode(
                "utf-16-le" if width == 2 else "cp932").rstrip("\0")
            pos += 2 + count * width
    return target, strings


def registry_values(wine):
    """The uninstall key's values by name, or None when it is not there."""
    status, out, _ = wine.run("reg", "query", UNINSTALL_KEY)
    if status != 0:
        return None
    values = {}
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) == 3 else ""
    return values


def list_rows(path):
    """The data rows of a list: rows under the header whose No. is a number."""
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return [sheet.row_values(r)[1:3] for r in range(sheet.nrows)
            if sheet.ncols > 2 and sheet.cell_type(r, 1) == xlrd.XL_CELL_NUMBER]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--installer", required=True, help="mokuji-<version>-setup.exe")
    parser.add_argument("--version", required=True, help="the version it installs")
    parser.add_argument("--opener", required=True, help="record_opened.exe of the Windows build")
    args = parser.parse_args()
    if not os.environ.get("WINEPREFIX"):
        parser.error("WINEPREFIX names no Wine prefix")
    begun = time.monotonic()
    work = tempfile.mkdtemp(prefix="mokuji-installer-")
    try:
        test(Wine(work), work, args)
    except Exception:  # noqa: BLE001 - told, and counted as a failure
        traceback.print_exc()
        check(False, "the test stopped, see the traceback above")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("installer test: %s in %.0f s" % ("%d failures" % len(failures) if failures else "passed",
                                            time.monotonic() - begun))
    return 1 if failures else 0


def test(wine, work, args):
    if not check(os.path.isfile(args.installer), "no installer %s: the Windows build makes it "
                 "when makensis is installed (Debian package nsis)" % args.installer):
        return
    status, out, err = wine.run("cmd", "/c", "echo", "%USERPROFILE%;%LOCALAPPDATA%;%APPDATA%")
    folders = out.strip().split(";")
    if not check(status == 0 and len(folders) == 3, "no user folders from cmd: %r %r" % (out, err)):
        return
    profile, local, roaming = folders
    # Wine links the profile's desktop to the Linux home; the installer's
    # shortcut goes to a folder of the prefix's own instead.
    desktop = wine.unix(profile + r"\Desktop")
    if os.path.islink(desktop):
        os.unlink(desktop)
        os.mkdir(desktop)
    folder = local + r"\Programs\mokuji"
    program = folder + r"\mokuji.exe"
    shortcuts = {"desktop": desktop,
                 "Start menu": wine.unix(roaming + r"\Microsoft\Windows\Start Menu\Programs"),
                 "Send to": wine.unix(roaming + r"\Microsoft\Windows\SendTo")}
    shortcuts = {where: os.path.join(path, SHORTCUT) for where, path in shortcuts.items()}

    # Installed silently, for this user.
    status, _, err = wine.run(windows(os.path.abspath(args.installer)), "/S")
    if not check(status == 0, "the silent install ended with status %d %s" % (status, err)):
        return
    installed = sorted(os.listdir(wine.unix(folder))) if os.path.isdir(wine.unix(folder)) else None
    expected = sorted(["README.md", "docs", "mokuji.exe", "mokuji-inspect.exe", "uninstall.exe"] +
                      (["LICENSE.txt"] if os.path.isfile(os.path.join(ROOT, "LICENSE")) else []))
    check(installed == expected, "%s holds %s, not %s" % (folder, installed, expected))
    # Every page and picture the README links to is there beside it.
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as readme:
        linked = sorted(set(re.findall(r"\(docs/([^)#\s]+)", readme.read())))
    docs = wine.unix(folder + r"\docs")
    present = sorted(os.listdir(docs)) if os.path.isdir(docs) else []
    check(not set(linked) - set(present),
          "the README links to %s, missing in %s" % (sorted(set(linked) - set(present)), docs))
    links = {}
    for where, link in shortcuts.items():
        if not check(os.path.isfile(link), "no %s shortcut %s" % (where, link)):
            continue
        try:
            target, strings = links[where] = shell_link(link)
        except (ValueError, IndexError, struct.error) as e:
            check(False, "the %s shortcut %s is not a shell link: %s" % (where, link, e))
            continue
        check((target or "").lower() == program.lower(),
              "the %s shortcut starts %r, not %s" % (where, target, program))
        check(strings.get("working folder", "").lower() == folder.lower(),
              "the %s shortcut starts in %r, not %s" % (where, strings.get("working folder"),
                                                          folder))
    values = registry_values(wine)
    if check(values is not None, "no key " + UNINSTALL_KEY):
        for name, value in (("DisplayName", "mokuji"), ("DisplayVersion", args.version),
                            ("Publisher", "the mokuji project"), ("InstallLocation", folder),
                            ("DisplayIcon", program + ",0"),
                            ("UninstallString", '"%s\\uninstall.exe"' % folder),
                            ("QuietUninstallString", '"%s\\uninstall.exe" /S' % folder),
                            ("NoModify", "0x1"), ("NoRepair", "0x1")):
            check(values.get(name) == value, "%s is %r in the uninstall key, not %r" %
                  (name, values.get(name), value))

    # The desktop shortcut's target, given a folder as a drop would give it;
    # the list goes to the stand-in opener, which writes down what it got.
    target = links.get("desktop", [None])[0]
    if (target or "").lower() == program.lower():
        answers = os.path.join(work, "アンケート 回答")
        examples = os.path.join(ROOT, "examples", "questionnaires")
        # Without the list the example command may have left there.
        shutil.copytree(examples, answers, ignore=shutil.ignore_patterns(LIST_FILE))
        opened = os.path.join(work, "opened.txt")
        command = '"%s" "%%1"' % windows(os.path.abspath(args.opener))
        for key, value in (("HKCR\\.xls", "mokuji.installer.workbook"),
                           ("HKCR\\mokuji.installer.workbook\\shell\\Open\\command", command)):
            check(wine.run("reg", "add", key, "/ve", "/d", value, "/f")[0] == 0, "reg add " + key)
        status, _, err = wine.run(target, windows(answers),
                                  env={"MOKUJI_OPENED_RECORD": windows(opened)})
        check(status == 0, "the installed program ended with status %d:\n%s" % (status, err))
        names = sorted(n for n in os.listdir(examples) if n.endswith(".xls") and n != LIST_FILE)
        rows = list_rows(os.path.join(answers, LIST_FILE)) if os.path.isfile(
            os.path.join(answers, LIST_FILE)) else None
        check(rows == [[i + 1, n] for i, n in enumerate(names)],
              "the installed program's list has the rows %s, not the %d of %s" %
              (rows, len(names), names))
        # The opener may still be starting when the program has ended.
        for _ in range(100):
            if os.path.isfile(opened) and open(opened, "rb").read().endswith(b"\n"):
                break
            time.sleep(0.1)
        got = open(opened, encoding="utf-8").read() if os.path.isfile(opened) else "nothing"
        check(got == windows(os.path.join(answers, LIST_FILE)) + "\n",
              "the opener was given %r, not the list" % got)

    # Uninstalled silently: the uninstaller runs on from a copy of itself,
    # so the prefix is waited for.
    status, _, err = wine.run(folder + r"\uninstall.exe", "/S")
    check(status == 0, "the silent uninstall ended with status %d %s" % (status, err))
    wine.wait()
    check(not os.path.exists(wine.unix(folder)), "%s is still there after the uninstall: %s" %
          (folder, os.listdir(wine.unix(folder)) if os.path.isdir(wine.unix(folder)) else ""))
    for where, link in shortcuts.items():
        check(not os.path.lexists(link), "the %s shortcut %s is still there" % (where, link))
    check(registry_values(wine) is None, UNINSTALL_KEY + " is still there after the uninstall")


if __name__ == "__main__":
    sys.exit(main())
