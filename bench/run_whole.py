#!/usr/bin/env python3
"""Times whole unattended mokuji runs over 1,000 questionnaires, side by side
with the xlrd script a user would write instead.

Rounds alternate (mokuji, script, mokuji, script, ...) because the machines
this runs on are shared and noisy; medians are reported. Wall time is taken
here, CPU time and peak resident memory by /usr/bin/time (Debian package
"time").

Cases:
  generated, new list   mokuji on the generated folder, list file deleted
                        before each round, so every round creates it
  generated, update     the list file of the previous case left in place
  corpus, new list      the LibreOffice corpus; columns from its first
                        workbook's names (20 cells and a range, no
                        property columns)
  corpus, update        the corpus with the generated folder's list file
                        copied in, so the same 20 names and 5 property
                        columns are read

The script gets the same folder; a list file there is moved aside while it
runs, as it would otherwise read that file as one more workbook.

With --wine MOKUJI_EXE the Windows program is timed instead, run by Wine
in the prefix WINEPREFIX names (a persistent wineserver is kept for the
measurement, so Wine's start-up is not counted again for every run).

Usage: bench/run_whole.py [--build DIR] [--mokuji EXE | --wine MOKUJI_EXE] [--peer PY]
                          [--corpus TAR] [--count N] [--rounds N] [--work DIR]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tarfile
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
SHARED = os.environ.get("MOKUJI_SHARED_BENCH", "/work/shared/bench")
LIST_FILE = "00_目次.xls"
TIME = "/usr/bin/time"  # Debian package "time"


def run_measured(argv, env, log):
    """Runs argv to completion; returns (wall s, peak RSS MiB, CPU s)."""
    # Peak memory comes from /usr/bin/time, not from this script's wait4():
    # a child forked from the Python interpreter starts with the
    # interpreter's pages counted in its peak, which would add about 15 MiB.
    stats = os.path.join(os.path.dirname(log), "time.out")
    with open(log, "ab") as out:
        t0 = time.perf_counter()
        done = subprocess.run([TIME, "-f", "%U %S %M", "-o", stats] + argv, env=env,
                              stdout=out, stderr=out)
        wall = time.perf_counter() - t0
    if done.returncode != 0:
        sys.exit("%s failed with status %d (see %s)" % (argv[0], done.returncode, log))
    with open(stats) as fh:
        user, system, kib = fh.read().split()[-3:]
    # CPU time varies less than wall time when other jobs share the cores.
    return wall, int(kib) / 1024.0, float(user) + float(system)


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


class Case:
    def __init__(self, title, folder, fresh):
        self.title, self.folder, self.fresh = title, folder, fresh
        self.a, self.b = [], []


def windows_path(path):
    # Wine shows the Linux root as drive Z:, and on Windows only "\\" separates.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def mokuji_command(args, folder):
    if args.wine:
        return ["wine", args.wine, windows_path(folder)]
    return [args.mokuji, folder]


def measure(case, args, work, env):
    listed = os.path.join(case.folder, LIST_FILE)
    aside = os.path.join(work, "aside-" + LIST_FILE)
    csv_out = os.path.join(work, "peer.csv")
    log = os.path.join(work, "run.log")
    mokuji = mokuji_command(args, case.folder)
    peer = [args.python, args.peer, case.folder, "--csv", csv_out]
    # One unmeasured round each warms the file cache and the page cache of
    # both programs' binaries and libraries.
    for r in range(args.rounds + 1):
        if case.fresh and os.path.exists(listed):
            os.remove(listed)
        a = run_measured(mokuji, env, log)
        if not case.fresh or r == 0:
            shape = list_shape(args.python, listed)
        shutil.move(listed, aside)
        b = run_measured(peer, None, log)
        shutil.move(aside, listed)
        if r:
            case.a.append(a)
            case.b.append(b)
    case.shape = shape
    if case.fresh:
        os.remove(listed)


def row(case):
    a_wall, a_cpu = (statistics.median(r[i] for r in case.a) for i in (0, 2))
    b_wall, b_cpu = (statistics.median(r[i] for r in case.b) for i in (0, 2))
    a_mem = max(r[1] for r in case.a)
    b_mem = max(r[1] for r in case.b)
    shape = "%d × %d" % case.shape if case.shape else "?"
    return ("| %s | %s | %.3f s | %.3f s | %.1f MiB | %.2f s | %.2f s | %.1f MiB | %.0f× | %.1f× |"
            % (case.title, shape, a_wall, a_cpu, a_mem, b_wall, b_cpu, b_mem, b_wall / a_wall,
               b_mem / a_mem))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=os.path.join(REPO, "build-bench"),
                    help="build folder holding src/app/mokuji and bench/mokuji-make-questionnaires")
    ap.add_argument("--mokuji")
    ap.add_argument("--wine", help="mokuji.exe, run with wine instead of the Linux program")
    ap.add_argument("--maker")
    ap.add_argument("--peer", default=os.path.join(SHARED, "peer_xlrd.py"))
    ap.add_argument("--python", default="/usr/bin/python3",
                    help="the interpreter that has python3-xlrd and python3-olefile")
    ap.add_argument("--corpus", default=os.path.join(SHARED, "corpus1000.tar.gz"),
                    help="tar.gz of a corpus folder; skipped when missing")
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--work", help="keep the folders here (default: a temporary folder)")
    args = ap.parse_args()
    args.mokuji = args.mokuji or os.path.join(args.build, "src", "app", "mokuji")
    args.maker = args.maker or os.path.join(args.build, "bench", "mokuji-make-questionnaires")
    for exe in (args.wine or args.mokuji, args.maker, args.peer, TIME):
        if not os.path.exists(exe):
            sys.exit("missing: %s" % exe)

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

    generated = os.path.join(work, "generated")
    if not os.path.isdir(generated):
        t0 = time.perf_counter()
        subprocess.run([args.maker, str(args.count), generated], check=True)
        print("generated %d workbooks in %.1f s" % (args.count, time.perf_counter() - t0),
              file=sys.stderr)
    cases = [Case("generated, new list", generated, True),
             Case("generated, update", generated, False)]

    corpus = None
    if os.path.exists(args.corpus):
        corpus_root = os.path.join(work, "corpus")
        if not os.path.isdir(corpus_root):
            with tarfile.open(args.corpus) as tar:
                try:
                    tar.extractall(corpus_root, filter="data")
                except TypeError:  # an interpreter older than extraction filters
                    tar.extractall(corpus_root)
        subdirs = [os.path.join(corpus_root, d) for d in os.listdir(corpus_root)]
        corpus = next((d for d in subdirs if os.path.isdir(d)), corpus_root)
        cases += [Case("corpus, new list", corpus, True), Case("corpus, update", corpus, False)]

    for case in cases:
        if case.title == "corpus, update":
            # Same columns as the generated folder, properties included.
            run_measured(mokuji_command(args, generated), env, os.path.join(work, "run.log"))
            shutil.copy(os.path.join(generated, LIST_FILE), os.path.join(corpus, LIST_FILE))
        print("measuring: %s" % case.title, file=sys.stderr)
        measure(case, args, work, env)

    print("| case | rows × columns | mokuji wall | mokuji CPU | mokuji peak | script wall "
          "| script CPU | script peak | wall ratio | memory ratio |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for case in cases:
        print(row(case))
    print("\nmedians of %d alternating rounds; peak = largest maximum RSS of the rounds; "
          "ratios are script / mokuji" % args.rounds)
    if args.wine:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    if args.work:
        print("folders kept in %s" % work)
    else:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
