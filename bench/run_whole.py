#!/usr/bin/env python3
"""Times whole unattended mokuji runs over 1,000 questionnaires, side by side
with reading the same files raw and with the scripts a user would write
instead.

Four commands get the same folder, in rounds that alternate
(mokuji, raw read, xlrd, SheetJS, mokuji, ...) because the machines this
runs on are shared and noisy; medians are reported.

  mokuji     the unattended run, MOKUJI_OPENER=true so no list is shown
  raw read   mokuji-raw-read: the same workbooks read whole and thrown
             away, the floor under any run (aim: mokuji within 4 times it)
  xlrd       peer_xlrd.py, the Python script a user would write
  SheetJS    peer-sheetjs/peer_sheetjs.js under Node.js, the same in
             JavaScript; installed with npm ci into a copy inside the work
             folder, and left out with a note when node or npm is missing
             or the install fails

Wall time is taken here; CPU time from the rusage of /usr/bin/time (Debian
package "time") and its child, which counts microseconds where time's own
report has hundredths; peak resident memory from /usr/bin/time.

Cases (--cases, comma-separated):
  generated-new     mokuji on the generated folder, list file deleted
                    before each round, so every round creates it
  generated-update  the list file of the previous case left in place
  corpus-new        the LibreOffice corpus; columns from its first
                    workbook's names (20 cells and a range, no property
                    columns)
  corpus-update     the corpus with the generated folder's list file
                    copied in, so the same 20 names and 5 property columns
                    are read
  xlsx-new          mokuji --extensions xlsx on the generated folder's
                    workbooks saved as .xlsx by LibreOffice (soffice; done
                    once and kept in the work folder), list file deleted
                    before each round; timed beside the raw read of the
                    same files and openpyxl (peer_openpyxl.py) instead of
                    xlrd and SheetJS, in a table of its own, with a check
                    that openpyxl's rows agree with mokuji's list
  stress            mokuji alone on the files of make_stress.py: each
                    workbook as the only source and as the list file beside
                    the four example questionnaires, the 1000 MiB of text
                    as the only source, as a source beside the examples and
                    as the list file. A non-zero exit status is reported,
                    not taken as a failure: refusing such a file is a
                    legitimate outcome.
  subfolders        the corpus spread over 50 subfolders, 20 workbooks
                    each (some two or three levels deep, some named in
                    Japanese or with blanks), listed with mokuji -r; timed
                    beside the same 1,000 flat with mokuji and with
                    mokuji -r, in rounds that alternate the three, for a
                    new list and for an update, in a table of its own
                    (aim: the tree within 1.2 times the flat folder)
  cold              the corpus, new list, with the page cache dropped
                    before every run (sync, then 3 into
                    /proc/sys/vm/drop_caches; only as root, else skipped
                    with a note) and the programs' own files read back in,
                    so that only the folder is cold: mokuji against the
                    raw read, alternating, in a table of its own (aim:
                    mokuji within 1.0 times the raw read)
  10k               the corpus copied ten times under other names, 10,000
                    workbooks: mokuji against the raw read, new list and
                    update, in a table of its own (aim: a peak of at most
                    32 MiB)
  tiny-list         make_stress.py's tiny_list.xls (32 MB, 8,000,000
                    records of four bytes) as the list file beside the four
                    example questionnaires, updated (aim: a peak of at most
                    twice the file's size plus 32 MiB)

The peers get the same folder; a list file there is moved aside while they
run, as they would otherwise read it as one more workbook.

With --wine MOKUJI_EXE the Windows program is timed instead, run by Wine
in the prefix WINEPREFIX names (a persistent wineserver is kept for the
measurement, so Wine's start-up is not counted again for every run).

Usage: bench/run_whole.py [--build DIR] [--mokuji EXE | --wine MOKUJI_EXE] [--peer PY]
                          [--sheetjs DIR] [--openpyxl PY] [--soffice EXE] [--corpus TAR]
                          [--count N] [--rounds N] [--cases LIST] [--stress] [--work DIR]
"""
import argparse
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tarfile
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
SHARED = os.environ.get("MOKUJI_SHARED_BENCH",
                        os.path.normpath(os.path.join(REPO, "..", "shared", "bench")))
LIST_FILE = "00_目次.xls"
TIME = "/usr/bin/time"  # Debian package "time"
EXAMPLES = os.path.join(REPO, "examples", "questionnaires")
MiB = 1024.0 * 1024.0

COMMANDS = ("mokuji", "raw read", "xlrd", "SheetJS")
XLSX_COMMANDS = ("mokuji", "raw read", "openpyxl")
CASES = ("generated-new", "generated-update", "corpus-new", "corpus-update", "stress", "xlsx-new",
         "subfolders", "cold", "10k", "tiny-list")
# Cases with a table of their own, not that of the four commands.
OWN_TABLE = ("stress", "subfolders", "cold", "10k", "tiny-list")
XLSX_CASES = ("xlsx-new",)
# What mokuji should run at least this many times faster than, over .xlsx.
XLSX_AIM = 20
# The most a tree of subfolders may cost against the same workbooks flat.
TREE_AIM = 1.2
# The most a run on a cold cache may cost against reading its files.
COLD_AIM = 1.0
# The most a run over 10,000 workbooks may hold, in MiB.
TEN_THOUSAND_AIM = 32


class Measured:
    def __init__(self, wall, peak, cpu, status):
        self.wall, self.peak, self.cpu, self.status = wall, peak, cpu, status


def run_measured(argv, env, log, check=True):
    """Runs argv to completion; returns its Measured wall s, peak MiB, CPU s
    and exit status. With check, a failure ends the benchmark."""
    # Peak memory comes from /usr/bin/time, not from this script's wait4():
    # a child forked from the Python interpreter starts with the
    # interpreter's pages counted in its peak, which would add about 15 MiB.
    # CPU time does come from wait4(): time's own process adds well under a
    # millisecond, and its report rounds to hundredths, too coarse for a
    # raw read that takes a few of them.
    stats = os.path.join(os.path.dirname(log), "time.out")
    with open(log, "ab") as out:
        t0 = time.perf_counter()
        child = subprocess.Popen([TIME, "-f", "%M", "-o", stats] + argv, env=env,
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - t0
    child.returncode = os.waitstatus_to_exitcode(status)
    if check and child.returncode != 0:
        sys.exit("%s failed with status %d (see %s)" % (argv[0], child.returncode, log))
    with open(stats) as fh:
        # A failed command's report starts with a line of its own.
        kib = fh.read().split()[-1]
    # CPU time varies less than wall time when other jobs share the cores.
    return Measured(wall, int(kib) / 1024.0, usage.ru_utime + usage.ru_stime, child.returncode)


# Run in the peer's interpreter, the one that has xlrd.
SHAPE = """
import sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
header = 2  # header row 3 of a list file mokuji created
rows = sum(1 for r in range(header + 3, sheet.nrows) if sheet.cell_value(r, 1) != "")
cols = sum(1 for c in range(2, sheet.ncols) if sheet.cell_value(header, c) != "")
print(rows, cols)
"""


def list_shape(python, path):
    """Data rows and columns (FILE名 included) of a list file, or None."""
    done = subprocess.run([python, "-c", SHAPE, path], capture_output=True, text=True)
    return tuple(map(int, done.stdout.split())) if done.returncode == 0 else None


# Run in the peer's interpreter: compares a peer's CSV with mokuji's list,
# cell by cell as text. The peer's title, author and creation date are the
# list's property columns; its P_ names are cells there, not properties,
# and are left out. The list holds a date property as its day.
SAME_ROWS = """
import csv, sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
sheet = book.sheet_by_index(0)
header = [sheet.cell_value(2, c) for c in range(sheet.ncols)]

def text(cell):
    if cell.ctype == xlrd.XL_CELL_DATE:
        return "%04d/%02d/%02d" % xlrd.xldate_as_tuple(cell.value, book.datemode)[:3]
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        v = cell.value
        return "%d" % v if v == int(v) else repr(v)
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return "TRUE" if cell.value else "FALSE"
    return "" if cell.ctype == xlrd.XL_CELL_EMPTY else str(cell.value)

listed = {}
for r in range(5, sheet.nrows):
    cells = {h: text(sheet.cell(r, c)) for c, h in enumerate(header) if h}
    if cells.get("FILE名"):
        listed[cells["FILE名"]] = cells
with open(sys.argv[2], encoding="utf-8-sig", newline="") as fh:
    peer = list(csv.reader(fh))
as_listed = {"タイトル": "P_タイトル", "作成者": "P_作成者", "作成日時": "P_作成日時"}
columns = [(i, as_listed.get(h, h)) for i, h in enumerate(peer[0])
           if i > 0 and (h in as_listed or not h.startswith("P_"))]
compared = [(i, h) for i, h in columns if h in header]
agree, differ = 0, []
for row in peer[1:]:
    got = listed.get(row[0])
    wrong = ["no row"] if got is None else [
        "%s: %r, list %r" % (h, row[i][:10] if h == "P_作成日時" else row[i], got[h])
        for i, h in compared if (row[i][:10] if h == "P_作成日時" else row[i]) != got[h]]
    if wrong:
        differ.append("%s: %s" % (row[0], "; ".join(wrong)))
    else:
        agree += 1
print(agree, len(peer) - 1, len(listed), len(compared))
for line in differ[:5]:
    print(line)
"""


def same_rows(python, listed, peer_csv):
    """How many of a peer's CSV rows agree with mokuji's list, and what differs."""
    done = subprocess.run([python, "-c", SAME_ROWS, listed, peer_csv], capture_output=True,
                          text=True)
    if done.returncode != 0:
        return "openpyxl's rows could not be compared: %s" % (
            done.stderr.strip().splitlines() or ["?"])[-1]
    lines = done.stdout.splitlines()
    agree, peer_rows, list_rows, columns = map(int, lines[0].split())
    return ("openpyxl's rows agree with mokuji's list in %d of %d (%d rows listed, %d columns "
            "compared)%s" % (agree, peer_rows, list_rows, columns,
                             "".join("\n  differs: " + l for l in lines[1:])))


class Case:
    def __init__(self, key, title, folder, fresh, commands=COMMANDS):
        self.key, self.title, self.folder, self.fresh = key, title, folder, fresh
        self.results = {name: [] for name in commands}
        self.shape = None
        self.agreement = None


def windows_path(path):
    # Wine shows the Linux root as drive Z:, and on Windows only "\\" separates.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def mokuji_command(args, folder, extensions=None, recursive=False):
    option = ["--extensions", extensions] if extensions else []
    if recursive:
        option.append("-r")
    if args.wine:
        return ["wine", args.wine] + option + [windows_path(folder)]
    return [args.mokuji] + option + [folder]


def sheetjs_script(args, work):
    """peer_sheetjs.js ready to run, or None after a note on why not."""
    def skip(why):
        print("SheetJS left out: %s" % why, file=sys.stderr)
        return None

    for tool in ("node", "npm"):
        if not shutil.which(tool):
            return skip("no %s on the PATH" % tool)
    script = os.path.join(args.sheetjs, "peer_sheetjs.js")
    if not os.path.exists(script):
        return skip("missing: %s" % script)
    if os.path.isdir(os.path.join(args.sheetjs, "node_modules")):
        return script
    # The shared folder is read-only and used by others: install into a
    # copy of the peer's own files instead.
    copy = os.path.join(work, "peer-sheetjs")
    if not os.path.isdir(os.path.join(copy, "node_modules")):
        os.makedirs(copy, exist_ok=True)
        for name in ("package.json", "package-lock.json", "peer_sheetjs.js"):
            shutil.copyfile(os.path.join(args.sheetjs, name), os.path.join(copy, name))
        print("installing SheetJS: npm ci in %s" % copy, file=sys.stderr)
        done = subprocess.run(["npm", "ci", "--no-audit", "--no-fund"], cwd=copy,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if done.returncode != 0:
            shutil.rmtree(os.path.join(copy, "node_modules"), ignore_errors=True)
            # npm's first error line says what went wrong; its last, where its log is.
            said = done.stderr.strip().splitlines() or ["?"]
            return skip("npm ci failed: %s" % next((l for l in said if "err" in l.lower()),
                                                    said[0]))
    return os.path.join(copy, "peer_sheetjs.js")


def measure(case, args, work, env):
    listed = os.path.join(case.folder, LIST_FILE)
    aside = os.path.join(work, "aside-" + LIST_FILE)
    log = os.path.join(work, "run.log")
    if case.key in XLSX_CASES:
        # openpyxl takes only *.xlsx, so the list file may stay.
        peer_csv = os.path.join(work, "openpyxl.csv")
        commands = [("mokuji", mokuji_command(args, case.folder, "xlsx"), env, False),
                    ("raw read", [args.raw, "--extensions", "xlsx", case.folder], None, False),
                    ("openpyxl", [args.python, args.openpyxl, case.folder, "--csv", peer_csv],
                     None, False)]
    elif case.key.startswith("10k"):
        # The peers would take minutes a round and say nothing new.
        commands = [("mokuji", mokuji_command(args, case.folder), env, False),
                    ("raw read", [args.raw, case.folder], None, False)]
    else:
        commands = [("mokuji", mokuji_command(args, case.folder), env, False),
                    ("raw read", [args.raw, case.folder], None, False),
                    ("xlrd", [args.python, args.peer, case.folder, "--csv",
                              os.path.join(work, "xlrd.csv")], None, True)]
        if args.sheetjs_script:
            commands.append(("SheetJS", ["node", args.sheetjs_script, case.folder,
                                         os.path.join(work, "sheetjs.csv")], None, True))
    # One unmeasured round warms the file cache and the page cache of every
    # program's binaries and libraries.
    for r in range(args.rounds + 1):
        if case.fresh and os.path.exists(listed):
            os.remove(listed)
        for name, argv, command_env, list_aside in commands:
            if list_aside:
                shutil.move(listed, aside)
            result = run_measured(argv, command_env, log)
            if list_aside:
                shutil.move(aside, listed)
            if r:
                case.results[name].append(result)
        if r == 0:
            case.shape = list_shape(args.python, listed)
            if case.key in XLSX_CASES:
                case.agreement = same_rows(args.python, listed, peer_csv)
    if case.fresh:
        os.remove(listed)


def medians(results):
    """(median wall, median CPU, largest peak) of one command's rounds, or None."""
    if not results:
        return None
    return (statistics.median(m.wall for m in results), statistics.median(m.cpu for m in results),
            max(m.peak for m in results))


def ratio(a, b, digits=1):
    return "%.*f×" % (digits, a[0] / b[0]) if a and b else "–"


def row(case, commands, ratios, digits=1):
    cells = [case.title, "%d × %d" % case.shape if case.shape else "?"]
    stats = {name: medians(case.results[name]) for name in commands}
    for name in commands:
        s = stats[name]
        cells += ["%.3f s" % s[0], "%.3f s" % s[1], "%.1f MiB" % s[2]] if s else ["–"] * 3
    cells += [ratio(stats[a], stats[b], digits) for a, b in ratios]
    return "| " + " | ".join(cells) + " |"


def print_rows(cases, commands, ratios, digits=1):
    """The table of cases by command, then the ratios of wall time (a / b)."""
    header = ["case", "rows × columns"]
    for name in commands:
        header += ["%s wall" % name, "%s CPU" % name, "%s peak" % name]
    header += ["%s / %s" % pair for pair in ratios]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for case in cases:
        print(row(case, commands, ratios, digits))


def print_table(cases, args):
    print_rows(cases, COMMANDS,
               [("mokuji", "raw read"), ("xlrd", "mokuji"), ("SheetJS", "mokuji")])
    met = sum(1 for c in cases
              if c.results["raw read"] and medians(c.results["mokuji"])[0]
              <= 4 * medians(c.results["raw read"])[0])
    print("\nmedians of %d alternating rounds; peak = largest maximum RSS of the rounds; "
          "ratios of wall time; mokuji within 4× the raw read in %d of %d cases"
          % (args.rounds, met, len(cases)))


def print_xlsx_table(cases, args):
    print_rows(cases, XLSX_COMMANDS, [("mokuji", "raw read"), ("openpyxl", "mokuji")])
    met = sum(1 for c in cases if medians(c.results["mokuji"])[0] * XLSX_AIM
              <= medians(c.results["openpyxl"])[0])
    print("\nmedians of %d alternating rounds; peak = largest maximum RSS of the rounds; "
          "ratios of wall time; mokuji at least %d× faster than openpyxl in %d of %d cases"
          % (args.rounds, XLSX_AIM, met, len(cases)))
    for case in cases:
        print("%s: %s" % (case.title, case.agreement))


def stress_files(work, names):
    """The folder of make_stress.py's files of those names, each made on
    its first use."""
    folder = os.path.join(work, "stress-files")
    missing = [n[:-4] for n in names if not os.path.exists(os.path.join(folder, n))]
    if missing:
        subprocess.run([sys.executable, os.path.join(HERE, "make_stress.py"), folder, "--only"]
                       + missing, check=True)
    return folder


def xlsx_twins(args, generated, work):
    """The generated folder's workbooks saved as .xlsx by LibreOffice, made on
    the first use: converting takes minutes, timing takes seconds."""
    folder = os.path.join(work, "generated-xlsx")
    sources = sorted(n for n in os.listdir(generated) if n.endswith(".xls") and n != LIST_FILE)
    if os.path.isdir(folder) and all(os.path.exists(os.path.join(folder, n + "x"))
                                     for n in sources):
        return folder
    soffice = shutil.which(args.soffice)
    if not soffice:
        sys.exit("xlsx-new needs LibreOffice to convert the workbooks: no %s" % args.soffice)
    # Converted beside the cache and moved in whole, so that a conversion
    # cut short is not taken for the cache next time.
    partial = folder + ".partial"
    shutil.rmtree(partial, ignore_errors=True)
    # A profile of its own: with the user's, a LibreOffice already running
    # would take the files over and the command return before they exist.
    profile = pathlib.Path(os.path.join(work, "soffice-profile")).as_uri()
    t0 = time.perf_counter()

    def missing():
        return [n for n in sources if not os.path.exists(os.path.join(partial, n + "x"))]

    # In batches, and what a batch left out once more: LibreOffice has been
    # seen to stop a long conversion part way and still exit with 0.
    with open(os.path.join(work, "soffice.log"), "wb") as log:
        for _ in range(2):
            left = missing()
            for at in range(0, len(left), 100):
                subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless",
                                "--norestore", "--convert-to", "xlsx", "--outdir", partial]
                               + [os.path.join(generated, n) for n in left[at:at + 100]],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=log, check=True)
    left_over = missing()
    if left_over:
        sys.exit("LibreOffice did not convert %d workbooks, %s first (see %s)"
                 % (len(left_over), left_over[0], os.path.join(work, "soffice.log")))
    shutil.rmtree(folder, ignore_errors=True)
    os.rename(partial, folder)
    print("converted %d workbooks to .xlsx in %.1f s" % (len(sources), time.perf_counter() - t0),
          file=sys.stderr)
    return folder


def subfolder_names():
    """The 50 subfolders of the tree, relative, "/" between levels: most one
    level down, some two or three, some named in Japanese or with blanks,
    as departments and months are kept."""
    names = []
    for i in range(50):
        if i % 10 == 0:
            names.append("営業部/第%d課" % (i // 10 + 1))
        elif i % 10 == 1:
            names.append("開発部/2026 春/班 %02d" % i)
        elif i % 10 == 2:
            names.append("総務部 %02d" % i)
        else:
            names.append("dept%02d" % i)
    return names


def spread_over_subfolders(corpus, work):
    """The corpus's workbooks copied flat and spread over the subfolders, 20
    each in the order of their names; made on the first use."""
    sources = sorted(n for n in os.listdir(corpus) if n.endswith(".xls") and n != LIST_FILE)
    flat = os.path.join(work, "subfolders-flat")
    tree = os.path.join(work, "subfolders-tree")
    names = subfolder_names()
    per = -(-len(sources) // len(names))
    placed = [(n, names[k // per]) for k, n in enumerate(sources)]
    if all(os.path.exists(os.path.join(flat, n)) and os.path.exists(os.path.join(tree, d, n))
           for n, d in placed):
        return flat, tree, len(sources)
    for folder in (flat, tree):
        shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(flat)
    for n, d in placed:
        os.makedirs(os.path.join(tree, d), exist_ok=True)
        # Copies, not links: the file cache then holds each tree's own files.
        shutil.copyfile(os.path.join(corpus, n), os.path.join(flat, n))
        shutil.copyfile(os.path.join(corpus, n), os.path.join(tree, d, n))
    return flat, tree, len(sources)


def subfolders(args, work, env, corpus):
    """Times the tree against the same workbooks flat; prints its table."""
    flat, tree, count = spread_over_subfolders(corpus, work)
    log = os.path.join(work, "run.log")
    commands = (("flat: mokuji", flat, False), ("flat: mokuji -r", flat, True),
                ("tree: mokuji -r", tree, True))
    names = tuple(name for name, _, _ in commands)
    cases = [Case("subfolders-new", "new list", None, True, names),
             Case("subfolders-update", "update", None, False, names)]
    shapes = {}
    for case in cases:
        print("measuring: subfolders, %s" % case.title, file=sys.stderr)
        for r in range(args.rounds + 1):
            # Each round starts with the next command, so that none always
            # follows the same one (and finds its caches the same way).
            for name, folder, recursive in commands[r % 3:] + commands[:r % 3]:
                listed = os.path.join(folder, LIST_FILE)
                if case.fresh and os.path.exists(listed):
                    os.remove(listed)
                result = run_measured(mokuji_command(args, folder, recursive=recursive), env, log)
                if r:
                    case.results[name].append(result)
                else:
                    shapes[name] = list_shape(args.python, listed)
        case.shape = shapes["tree: mokuji -r"]
    for folder in (flat, tree):
        os.remove(os.path.join(folder, LIST_FILE))
    print_rows(cases, names, [("tree: mokuji -r", "flat: mokuji"),
                              ("flat: mokuji -r", "flat: mokuji")], digits=2)
    met = sum(1 for c in cases if medians(c.results["tree: mokuji -r"])[0]
              <= TREE_AIM * medians(c.results["flat: mokuji"])[0])
    print("\nmedians of %d alternating rounds; %d workbooks, flat and in %d subfolders; "
          "ratios of wall time; the tree within %.1f× the flat folder in %d of %d cases"
          % (args.rounds, count, len(subfolder_names()), TREE_AIM, met, len(cases)))
    # The three lists must be the same list, or the times compare nothing.
    for name, shape in sorted(shapes.items()):
        if not shape or shape[0] != count or shape != shapes["flat: mokuji"]:
            print("%s: the list has %s rows × columns, the flat one %s"
                  % (name, "%d × %d" % shape if shape else "no readable",
                     "%d × %d" % shapes["flat: mokuji"] if shapes["flat: mokuji"] else "none"))


STRESS_ROLES = [("blank_grid.xls", "only source"), ("blank_grid.xls", "list file"),
                ("tiny_records.xls", "only source"), ("tiny_records.xls", "list file"),
                ("not_a_workbook.xls", "only source"), ("not_a_workbook.xls", "source beside 4"),
                ("not_a_workbook.xls", "list file")]


def stress(args, work, env, roles):
    """Times mokuji over each stress file in the roles given, (file, role)."""
    files = stress_files(work, sorted({name for name, _ in roles}))
    lines, messages = [], []
    for name, role in roles:
        source = os.path.join(files, name)
        size = os.path.getsize(source)
        folder = os.path.join(work, "stress", "%s-%s" % (name[:-4], role.replace(" ", "-")))
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        if role != "only source":
            for q in sorted(os.listdir(EXAMPLES)):
                if q.endswith(".xls") and q != LIST_FILE:
                    shutil.copy(os.path.join(EXAMPLES, q), folder)
        listed = os.path.join(folder, LIST_FILE)
        if role == "list file":
            # A copy, as the run may rewrite it; put back when it did.
            shutil.copyfile(source, listed)
            kept = os.stat(listed)
        else:
            # A source is only ever read, so a link spares copying 1000 MiB.
            try:
                os.link(source, os.path.join(folder, name))
            except OSError:
                shutil.copyfile(source, os.path.join(folder, name))
        log = os.path.join(work, "stress.log")
        results = []
        print("measuring: %s as %s" % (name, role), file=sys.stderr)
        for r in range(args.rounds + 1):
            if role == "list file":
                now = os.stat(listed) if os.path.exists(listed) else None
                if now is None or (now.st_size, now.st_mtime_ns) != (kept.st_size,
                                                                     kept.st_mtime_ns):
                    shutil.copyfile(source, listed)
                    kept = os.stat(listed)
            elif os.path.exists(listed):
                os.remove(listed)
            if os.path.exists(log):
                os.remove(log)
            result = run_measured(mokuji_command(args, folder), env, log, check=False)
            if r:
                results.append(result)
        # What the last round said and left, for the report below the table.
        with open(log, "rb") as fh:
            # The case's folder is this machine's: shown as FOLDER.
            text = fh.read().decode("utf-8", "replace").replace(folder, "FOLDER")
            said = [line for line in text.splitlines()
                    if line.strip() and not line.startswith("caption:")]
        if not os.path.exists(listed):
            left = "no list"
        elif role == "list file" and os.stat(listed).st_mtime_ns == kept.st_mtime_ns:
            left = "list unchanged"
        else:
            left = "list of %.1f KiB" % (os.path.getsize(listed) / 1024.0)
        wall, cpu, peak = medians(results)
        aim = 2 * size / MiB + 32
        statuses = sorted({m.status for m in results})
        lines.append("| %s | %s | %.1f MiB | %.3f s | %.3f s | %.1f MiB | %.1f MiB: %s | %s | %s |"
                     % (name, role, size / MiB, wall, cpu, peak, aim,
                        "met" if peak <= aim else "not met",
                        ", ".join(map(str, statuses)), left))
        messages.append("%s as %s: %s" % (name, role, " / ".join(said) if said else "(nothing)"))
        shutil.rmtree(folder)
    print("| stress file | as | size | mokuji wall | mokuji CPU | mokuji peak "
          "| aim: peak ≤ 2 × size + 32 MiB | exit status | afterwards |")
    print("|---|---|---|---|---|---|---|---|---|")
    for line in lines:
        print(line)
    print("\nmedians of %d rounds; \"source beside 4\" and \"list file\" have the four example "
          "questionnaires beside the file; what mokuji wrote besides its captions:" % args.rounds)
    for m in messages:
        print("- " + m)

def drop_caches():
    """Empties the page cache, folders and inodes included, after writing
    out what is dirty; False when this process may not."""
    if os.geteuid() != 0:
        return False
    os.sync()
    try:
        with open("/proc/sys/vm/drop_caches", "w") as fh:
            fh.write("3\n")
    except OSError:
        return False
    return True


def program_files(exe):
    """The program and the shared libraries it loads, as ldd lists them."""
    files = [exe]
    done = subprocess.run(["ldd", exe], capture_output=True, text=True)
    for line in done.stdout.splitlines():
        parts = line.split()
        path = parts[2] if len(parts) > 2 and parts[1] == "=>" else parts[0] if parts else ""
        if path.startswith("/"):
            files.append(path)
    return files


def read_back(files):
    for path in files:
        with open(path, "rb") as fh:
            while fh.read(1 << 20):
                pass


def cold(args, work, env, corpus):
    """Times mokuji against the raw read, each on a dropped page cache."""
    if args.wine:
        print("cold: left out, the Linux program only (Wine's own files would be cold too)")
        return
    if corpus is None:
        print("cold: left out, no corpus at %s" % args.corpus)
        return
    if not drop_caches():
        print("cold: left out, dropping the page cache needs root "
              "(sync; echo 3 > /proc/sys/vm/drop_caches)")
        return
    # What a user meets is a folder not read before, by a program that
    # has run before: its own files are read back in after each drop.
    programs = sorted(set(program_files(args.mokuji) + program_files(args.raw) + [TIME]))
    log = os.path.join(work, "run.log")
    listed = os.path.join(corpus, LIST_FILE)
    commands = (("mokuji", mokuji_command(args, corpus), env),
                ("raw read", [args.raw, corpus], None))
    case = Case("cold", "corpus, new list, cold cache", corpus, True, ("mokuji", "raw read"))
    print("measuring: %s" % case.title, file=sys.stderr)
    for r in range(args.rounds):
        for name, argv, command_env in commands[r % 2:] + commands[:r % 2]:
            if name == "mokuji" and os.path.exists(listed):
                os.remove(listed)
            drop_caches()
            read_back(programs)
            case.results[name].append(run_measured(argv, command_env, log))
            if name == "mokuji" and case.shape is None:
                case.shape = list_shape(args.python, listed)
    if os.path.exists(listed):
        os.remove(listed)
    print_rows([case], ("mokuji", "raw read"), [("mokuji", "raw read")], digits=2)
    ratio_of = medians(case.results["mokuji"])[0] / medians(case.results["raw read"])[0]
    print("\nmedians of %d rounds, each command on a page cache dropped just before it "
          "(the programs' own files read back in), the two alternating; ratio of wall time; "
          "mokuji within %.1f× the raw read: %s"
          % (args.rounds, COLD_AIM, "met" if ratio_of <= COLD_AIM else "not met"))


def copied_ten_times(corpus, work):
    """The corpus's workbooks copied ten times, the copies numbered on from
    the last of them; made on the first use."""
    sources = sorted(n for n in os.listdir(corpus) if n.endswith(".xls") and n != LIST_FILE)
    folder = os.path.join(work, "corpus-10k")
    named = []
    for k in range(10):
        for i, n in enumerate(sources):
            stem, number = n[:-4].rstrip("0123456789"), n[:-4][len(n[:-4].rstrip("0123456789")):]
            if number:
                named.append((n, "%s%0*d.xls" % (stem, len(number),
                                                 int(number) + k * len(sources))))
            else:
                named.append((n, "%s_%d.xls" % (n[:-4], k) if k else n))
    if all(os.path.exists(os.path.join(folder, new)) for _, new in named):
        return folder
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for old, new in named:
        # Copies, not links: ten times the files, in the file cache too.
        shutil.copyfile(os.path.join(corpus, old), os.path.join(folder, new))
    return folder


def print_ten_thousand_table(cases, args):
    print_rows(cases, ("mokuji", "raw read"), [("mokuji", "raw read")])
    met = sum(1 for c in cases if medians(c.results["mokuji"])[2] <= TEN_THOUSAND_AIM)
    print("\nmedians of %d alternating rounds; peak = largest maximum RSS of the rounds; "
          "ratio of wall time; mokuji's peak within %d MiB in %d of %d cases"
          % (args.rounds, TEN_THOUSAND_AIM, met, len(cases)))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=os.path.join(REPO, "build", "release"),
                    help="build folder holding src/app/mokuji and, in bench/, "
                         "mokuji-make-questionnaires and mokuji-raw-read")
    ap.add_argument("--mokuji")
    ap.add_argument("--wine", help="mokuji.exe, run with wine instead of the Linux program")
    ap.add_argument("--maker")
    ap.add_argument("--raw", help="mokuji-raw-read (default: in the build folder's bench)")
    ap.add_argument("--peer", default=os.path.join(SHARED, "peer_xlrd.py"))
    ap.add_argument("--sheetjs", default=os.path.join(SHARED, "peer-sheetjs"),
                    help="folder of peer_sheetjs.js and its package-lock.json")
    ap.add_argument("--openpyxl", default=os.path.join(HERE, "peer_openpyxl.py"),
                    help="the openpyxl script of the xlsx-new case")
    ap.add_argument("--soffice", default="soffice",
                    help="LibreOffice, which saves the xlsx-new case's workbooks as .xlsx")
    ap.add_argument("--python", default="/usr/bin/python3",
                    help="the interpreter that has python3-xlrd, python3-olefile and "
                         "python3-openpyxl")
    ap.add_argument("--corpus", default=os.path.join(SHARED, "corpus1000.tar.gz"),
                    help="tar.gz of a corpus folder; skipped when missing")
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--cases", default=",".join(CASES[:4]),
                    help="comma-separated, of: %s" % ", ".join(CASES))
    ap.add_argument("--stress", action="store_true", help="the stress case as well")
    ap.add_argument("--work", help="keep the folders here (default: a temporary folder)")
    args = ap.parse_args()
    if args.rounds < 1:
        sys.exit("--rounds must be 1 or more")
    args.mokuji = args.mokuji or os.path.join(args.build, "src", "app", "mokuji")
    args.maker = args.maker or os.path.join(args.build, "bench", "mokuji-make-questionnaires")
    args.raw = args.raw or os.path.join(args.build, "bench", "mokuji-raw-read")
    wanted = [c for c in args.cases.split(",") if c]
    if args.stress and "stress" not in wanted:
        wanted.append("stress")
    unknown = [c for c in wanted if c not in CASES]
    if unknown:
        sys.exit("unknown case: %s (known: %s)" % (", ".join(unknown), ", ".join(CASES)))
    table = [c for c in wanted if c not in OWN_TABLE and c not in XLSX_CASES]
    xlsx_table = [c for c in wanted if c in XLSX_CASES]
    needed = [args.wine or args.mokuji, TIME]
    if table:
        needed += [args.raw, args.peer]
    if xlsx_table:
        needed += [args.raw, args.openpyxl]
    if set(wanted) & {"cold", "10k"}:
        needed.append(args.raw)
    if set(wanted) & {"generated-new", "generated-update", "corpus-update", "xlsx-new"}:
        needed.append(args.maker)
    for exe in needed:
        if not os.path.exists(exe):
            sys.exit("missing: %s" % exe)

    # Whatever else the machine is doing shows in its load; say so with
    # the numbers.
    with open("/proc/loadavg") as fh:
        load = " ".join(fh.read().split()[:3])
    print("load average before the run: %s (1, 5, 15 min); cores: %d"
          % (load, len(os.sched_getaffinity(0))))

    work = os.path.abspath(args.work) if args.work else tempfile.mkdtemp(prefix="mokuji-whole-")
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, MOKUJI_OPENER="true")
    if args.wine:
        # Without a display the program reports on standard error and shows
        # no window; Wine stays quiet.
        env.pop("DISPLAY", None)
        env["WINEDEBUG"] = "-all"
        subprocess.run(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        subprocess.run(["wine", "wineboot"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    args.sheetjs_script = sheetjs_script(args, work) if table else None

    generated = os.path.join(work, "generated")
    if set(wanted) & {"generated-new", "generated-update", "corpus-update", "xlsx-new"} and \
            not os.path.isdir(generated):
        t0 = time.perf_counter()
        subprocess.run([args.maker, str(args.count), generated], check=True)
        print("generated %d workbooks in %.1f s" % (args.count, time.perf_counter() - t0),
              file=sys.stderr)
    cases = [Case("generated-new", "generated, new list", generated, True),
             Case("generated-update", "generated, update", generated, False)]

    corpus = None
    if "subfolders" in wanted and not os.path.exists(args.corpus):
        sys.exit("the subfolders case spreads the corpus: missing %s" % args.corpus)
    if set(wanted) & {"corpus-new", "corpus-update", "subfolders", "cold", "10k"} and \
            os.path.exists(args.corpus):
        corpus_root = os.path.join(work, "corpus")
        if not os.path.isdir(corpus_root):
            with tarfile.open(args.corpus) as tar:
                try:
                    tar.extractall(corpus_root, filter="data")
                except TypeError:  # an interpreter older than extraction filters
                    tar.extractall(corpus_root)
        subdirs = [os.path.join(corpus_root, d) for d in os.listdir(corpus_root)]
        corpus = next((d for d in subdirs if os.path.isdir(d)), corpus_root)
        cases += [Case("corpus-new", "corpus, new list", corpus, True),
                  Case("corpus-update", "corpus, update", corpus, False)]
    cases = [c for c in cases if c.key in table]
    ten_thousand = []
    if "10k" in wanted:
        if corpus is None:
            print("10k: left out, no corpus at %s" % args.corpus, file=sys.stderr)
        else:
            folder = copied_ten_times(corpus, work)
            ten_thousand = [Case("10k-new", "corpus × 10, new list", folder, True,
                                 ("mokuji", "raw read")),
                            Case("10k-update", "corpus × 10, update", folder, False,
                                 ("mokuji", "raw read"))]

    for case in cases:
        if case.key == "corpus-update":
            # Same columns as the generated folder, properties included.
            listed = os.path.join(generated, LIST_FILE)
            run_measured(mokuji_command(args, generated), env, os.path.join(work, "run.log"))
            shutil.copy(listed, os.path.join(corpus, LIST_FILE))
            os.remove(listed)
        print("measuring: %s" % case.title, file=sys.stderr)
        measure(case, args, work, env)

    xlsx_cases = []
    if xlsx_table:
        twins = xlsx_twins(args, generated, work)
        xlsx_cases.append(Case("xlsx-new", "generated as .xlsx, new list", twins, True,
                               XLSX_COMMANDS))
    for case in xlsx_cases + ten_thousand:
        print("measuring: %s" % case.title, file=sys.stderr)
        measure(case, args, work, env)

    if cases:
        print_table(cases, args)
    if xlsx_cases:
        if cases:
            print()
        print_xlsx_table(xlsx_cases, args)
    if "subfolders" in wanted:
        if cases or xlsx_cases:
            print()
        subfolders(args, work, env, corpus)
    printed = cases or xlsx_cases or "subfolders" in wanted
    if "stress" in wanted:
        if printed:
            print()
        stress(args, work, env, STRESS_ROLES)
        printed = True
    if ten_thousand:
        if printed:
            print()
        print_ten_thousand_table(ten_thousand, args)
        printed = True
    if "tiny-list" in wanted:
        if printed:
            print()
        stress(args, work, env, [("tiny_list.xls", "list file")])
        printed = True
    if "cold" in wanted:
        if printed:
            print()
        cold(args, work, env, corpus)
    with open("/proc/loadavg") as fh:
        print("\nload average after the run: %s" % " ".join(fh.read().split()[:3]))
    if args.wine:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    if args.work:
        print("folders kept in %s" % work)
    else:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
