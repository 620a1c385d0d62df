#!/usr/bin/python3
"""Installs the build into a temporary DESTDIR under the prefix /usr, as a
package would, and checks what a desktop gets: exactly the files meant
(no test or benchmark among them), the desktop entry and the metainfo as
their validators judge them, the manual page rendered without a warning,
and the installed program run on a copy of the example folder, on the
console and, when xvfb-run is there, with a window whose module is loaded
from the installed module folder. With xdg-utils, it checks that the
install leaves the default applications of folders and workbooks as they
were.
"""
import argparse
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
LIST_FILE = "00_目次.xls"

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def timed(label, command, **kwargs):
    begun = time.monotonic()
    done = subprocess.run(command, capture_output=True, text=True, **kwargs)
    print("%s: %.2f s, exit status %d" % (label, time.monotonic() - begun, done.returncode))
    return done


def expected_files(args):
    files = {"bin/mokuji", "bin/mokuji-inspect", args.moduledir + "/mokuji-desktop.so",
             "share/applications/%s.desktop" % args.app_id,
             "share/metainfo/%s.metainfo.xml" % args.app_id,
             "share/man/man1/mokuji.1.gz", "share/man/man1/mokuji-inspect.1.gz",
             "share/man/ja/man1/mokuji.1.gz",
             "share/doc/mokuji/README.md", "share/doc/mokuji/copyright",
             "share/doc/mokuji/changelog.gz"}
    files |= {"share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, args.app_id) for n in ICON_SIZES}
    # The pictures and pages the README links to lie beside it.
    docs = Path(__file__).resolve().parents[2] / "docs"
    files |= {"share/doc/mokuji/docs/" + p.name for p in docs.iterdir()
              if p.suffix in (".png", ".md")}
    return files


def check_readme_links(usr):
    doc = usr / "share/doc/mokuji"
    readme = (doc / "README.md").read_text(encoding="utf-8")
    links = set(re.findall(r"\]\((docs/[^)#\s]+)", readme))
    missing = sorted(link for link in links if not (doc / link).is_file())
    check(links and not missing, "the installed README's links to docs/ lead nowhere: %s" % missing)


def check_layout(args, usr):
    found = {str(p.relative_to(usr)) for p in usr.rglob("*") if not p.is_dir()}
    want = expected_files(args)
    check(found == want, "installed files: missing %s, unexpected %s"
          % (sorted(want - found), sorted(found - want)))
    check_readme_links(usr)
    for program in ("bin/mokuji", "bin/mokuji-inspect"):
        check(os.access(usr / program, os.X_OK), program + " is not executable")
    with gzip.open(usr / "share/doc/mokuji/changelog.gz", "rt", encoding="utf-8") as changelog:
        newest = changelog.readline()
    check(newest.startswith("mokuji (%s) " % args.version),
          "changelog: newest entry %r, project version %s" % (newest, args.version))
    for n in ICON_SIZES:
        png = (usr / ("share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, args.app_id))).read_bytes()
        check(png[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", png[16:24]) == (n, n),
              "icon %dx%d is no PNG of that size" % (n, n))


def check_desktop_files(args, usr):
    desktop = usr / ("share/applications/%s.desktop" % args.app_id)
    metainfo = usr / ("share/metainfo/%s.metainfo.xml" % args.app_id)
    done = timed("desktop-file-validate", [args.desktop_file_validate, str(desktop)])
    check(done.returncode == 0 and not done.stdout.strip(),
          "desktop entry: " + done.stdout + done.stderr)
    entry = desktop.read_text(encoding="utf-8")
    check("\nIcon=%s\n" % args.app_id in entry and "\nExec=mokuji %F\n" in entry,
          "desktop entry: Icon is not the id or Exec does not take files")
    # Pedantic notes are printed, not failed: the id's capital letter is
    # one (cid-contains-uppercase-letter), as in most desktop ids.
    done = timed("appstreamcli validate", [args.appstreamcli, "validate", "--no-net",
                                           "--pedantic", str(metainfo)])
    print(done.stdout.strip())
    check(done.returncode == 0 and not re.search(r"^[EW]: ", done.stdout, re.M),
          "metainfo: " + done.stdout + done.stderr)
    releases = re.findall(r'<release version="([^"]+)"', metainfo.read_text(encoding="utf-8"))
    check(releases[:1] == [args.version],
          "metainfo: newest release %s, project version %s" % (releases[:1], args.version))
    check("<launchable type=\"desktop-id\">%s.desktop<" % args.app_id in metainfo.read_text(
        encoding="utf-8"), "metainfo: launchable is not the desktop entry")
    # UTF-8, for the list file's name; warnings are on standard error.
    for page, says in (("man1/mokuji", LIST_FILE), ("man1/mokuji-inspect", "JSON"),
                       ("ja/man1/mokuji", "目次ファイル")):
        done = timed("man --warnings " + page,
                     [args.man, "--warnings", "-l", str(usr / ("share/man/%s.1.gz" % page))],
                     env=dict(os.environ, LC_ALL="C.UTF-8", MANPAGER="cat", MANWIDTH="80"))
        check(done.returncode == 0 and not done.stderr and says in done.stdout
              and "mokuji " + args.version_text in done.stdout,
              "manual page %s: warnings %r, or no %s or version %s in it"
              % (page, done.stderr, says, args.version_text))


# What a desktop opens folders and workbooks with; installing mokuji must
# leave every one of them as it was.
OPENED_TYPES = ("inode/directory", "application/vnd.ms-excel", "application/x-msexcel",
                "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
                "application/vnd.ms-excel.sheet.macroEnabled.12")


def defaults_of(args, work, data_dirs):
    """What xdg-mime names as the default of each opened type on a desktop
    with no choice of its own (no mimeapps.list) whose applications are
    those of data_dirs, as after a package's update-desktop-database."""
    for d in data_dirs:
        done = timed("update-desktop-database", [args.update_desktop_database,
                                                 str(d / "applications")])
        check(done.returncode == 0, "update-desktop-database: " + done.stdout + done.stderr)
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("XDG_", "KDE_", "GNOME_", "DESKTOP_SESSION"))}
    env.update(XDG_DATA_HOME=str(work / "home/.local/share"),
               XDG_CONFIG_HOME=str(work / "home/.config"), HOME=str(work / "home"),
               XDG_CONFIG_DIRS=str(work / "etc/xdg"),
               XDG_DATA_DIRS=":".join(str(d) for d in data_dirs))
    answers = {}
    for mime in OPENED_TYPES:
        done = subprocess.run([args.xdg_mime, "query", "default", mime], capture_output=True,
                              text=True, env=env)
        answers[mime] = done.stdout.strip()
    return answers


def check_no_default_taken(args, usr, work):
    system = work / "system-share"
    (system / "applications").mkdir(parents=True)
    # A file manager that declares folders, as every desktop has one, but
    # is nobody's chosen default.
    (system / "applications/files.desktop").write_text(
        "[Desktop Entry]\nType=Application\nName=Files\nExec=files %U\n"
        "MimeType=inode/directory;\n", encoding="utf-8")
    before = defaults_of(args, work, [system])
    after = defaults_of(args, work, [usr / "share", system])
    check(before == after, "installing changed the default applications: before %s, after %s"
          % (before, after))
    cache = usr / "share/applications/mimeinfo.cache"
    listed = cache.read_text(encoding="utf-8") if cache.exists() else ""
    check(args.app_id not in listed,
          "the desktop entry makes mokuji a candidate default:\n" + listed)


def run_installed(args, usr, work, label, wrapper=()):
    """Runs the installed program on a copy of the example folder; returns
    the window modules the loader opened (its log, on standard error like
    that of every process the run starts, which the pipe waits for)."""
    folder = work / label
    shutil.copytree(args.examples, folder)
    (folder / LIST_FILE).unlink(missing_ok=True)
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LD_DEBUG_OUTPUT")}
    env.update(MOKUJI_OPENER="true", LD_DEBUG="files")
    done = timed("installed mokuji, " + label, [*wrapper, str(usr / "bin/mokuji"), str(folder)],
                 env=env, timeout=180)
    loader = re.compile(r"^\s*\d+:\t")
    said = "".join(line for line in done.stderr.splitlines(True) if not loader.match(line))
    check(done.returncode == 0 and (folder / LIST_FILE).is_file(),
          "%s: exit status %d, list %s\n%s" % (label, done.returncode,
                                               "written" if (folder / LIST_FILE).exists()
                                               else "not written", said))
    check("no window" not in said, "%s: %s" % (label, said))
    return set(re.findall(r"file=(\S*mokuji-desktop\.so) \[0\];  generating link map",
                          done.stderr))


def main():
    parser = argparse.ArgumentParser()
    # --version as packages compare it, --version-text as the programs show it.
    for option in ("--build", "--cmake", "--moduledir", "--app-id", "--version", "--version-text",
                   "--examples", "--desktop-file-validate", "--appstreamcli", "--man"):
        parser.add_argument(option, required=True)
    parser.add_argument("--xdg-mime")
    parser.add_argument("--update-desktop-database")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="mokuji-install-") as tmp:
        work = Path(tmp)
        root = work / "root"
        done = timed("cmake --install", [args.cmake, "--install", args.build, "--prefix", "/usr"],
                     env=dict(os.environ, DESTDIR=str(root)))
        check(done.returncode == 0, "cmake --install: " + done.stdout + done.stderr)
        usr = root / "usr"
        check_layout(args, usr)
        check_desktop_files(args, usr)
        if args.xdg_mime and args.update_desktop_database:
            check_no_default_taken(args, usr, work)
        else:
            print("no xdg-mime or update-desktop-database: the default applications are not checked")
        loaded = run_installed(args, usr, work, "console")
        check(not loaded, "console run loaded the window: %s" % loaded)
        xvfb = shutil.which("xvfb-run")
        if xvfb:
            loaded = run_installed(args, usr, work, "window", (xvfb, "-a"))
            module = os.path.normpath(usr / args.moduledir / "mokuji-desktop.so")
            check({os.path.normpath(p) for p in loaded} == {module},
                  "window run loaded %s, not %s" % (sorted(loaded) or "no window", module))
        else:
            print("no xvfb-run: the run with a window is left out")
    print("%d failed" % len(failures) if failures else "installed tree as meant")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
