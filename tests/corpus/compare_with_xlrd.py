#!/usr/bin/env python3
"""Check mokuji-inspect against xlrd/olefile or openpyxl on a committed corpus.

  compare_with_xlrd.py --inspect PATH --expect expectations.tsv
                       [--reference xlrd|openpyxl] [--data DIR] [FILE...]

Without FILEs every file listed in the expectations is checked, found under
--data; with --data every file under it must also be listed, so a fixture
cannot be added without an expected outcome. Exit status 0 only when every
file behaves as its expectation says.
"""

import argparse
import json
import math
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

# The dates in both outputs are local time; the expected values are Tokyo's.
os.environ["TZ"] = "Asia/Tokyo"
time.tzset()

try:
    import xlrd_reference
except ImportError as exc:
    sys.exit("compare_with_xlrd: cannot import xlrd/olefile (%s); install "
             "python3-xlrd and python3-olefile" % exc)


class Reference:
    """The independent reader a corpus is checked against.

    name and props name it in messages (names and cells; properties: whether
    set, value); fails is the outcome of files it cannot read; with by_hand,
    files it misreads are checked against a reference written by hand
    (by-hand/<relpath>.json beside the expectations).
    """

    def __init__(self, name, props, fails, reference, by_hand=False):
        self.name, self.props, self.fails = name, props, fails
        self.reference = reference
        self.outcomes = ("ok", "error", fails) + (("ok-by-hand",) if by_hand else ())


REF = Reference("xlrd", ("xlrd/olefile", "olefile"), "ok-xlrd-fails", xlrd_reference.reference)
IGNORABLE = ("name", "position", "value", "prop", "cells")
# Differing cells shown per sheet; the rest are only counted.
CELLS_SHOWN = 5


class Expectation:
    def __init__(self, relpath, outcome, reason, ignore, note):
        self.relpath = relpath
        self.outcome = outcome
        self.reason = reason
        self.ignore = ignore  # set of (kind, key)
        self.note = note


def read_expectations(path):
    """relpath, outcome, reason, known differences.

    Known differences: space-separated kind:key items (kind one of name,
    position, value, prop, cells; key a normalised name, a property index or
    a sheet name, with %20 for a space), then "--" and the explanation, which
    is required so nobody adds one blindly.
    """
    result = {}
    problems = []
    with open(path, encoding="utf-8") as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) < 3 or cols[1] not in REF.outcomes:
                problems.append("%s:%d: want relpath<TAB>%s<TAB>reason[<TAB>known "
                                "differences]" % (path, lineno, "|".join(REF.outcomes)))
                continue
            ignore, note = set(), ""
            if len(cols) > 3 and cols[3].strip():
                items, sep, note = cols[3].partition("--")
                if not sep or not note.strip():
                    problems.append("%s:%d: known differences need '-- why'" % (path, lineno))
                for item in items.split():
                    kind, _, key = item.partition(":")
                    if kind not in IGNORABLE or not key:
                        problems.append("%s:%d: bad known difference %r" % (path, lineno, item))
                    ignore.add((kind, key.replace("%20", " ")))
            if cols[0] in result:
                problems.append("%s:%d: %s listed twice" % (path, lineno, cols[0]))
            result[cols[0]] = Expectation(cols[0], cols[1], cols[2], ignore, note.strip())
    return result, problems


def split_name(full):
    """'Sheet'!x / Sheet!x / x -> (sheet or None, local name), quotes undone."""
    if "!" not in full:
        return None, full
    sheet, _, local = full.rpartition("!")
    if len(sheet) >= 2 and sheet[0] == "'" and sheet[-1] == "'":
        sheet = sheet[1:-1].replace("''", "'")
    return sheet, local


def name_key(full):
    sheet, local = split_name(full)
    return local if sheet is None else sheet + "!" + local


def numbers_agree(a, b, currency):
    try:
        x, y = float(a), float(b)
    except (TypeError, ValueError):
        return False
    if math.isclose(x, y, rel_tol=1e-9, abs_tol=0.0):
        return True
    # A currency value is rounded to four decimals by the application.
    return currency and abs(x - y) <= 0.00005 + 1e-12


def compare_name(key, ref, got, ignore, out):
    unsupported = set(ref.get("unsupported", []))
    if ref.get("scope") is not None and got.get("scope") is not None:
        ref_scope = ref["scope"]
        got_scope = got["scope"]
        if got_scope != "workbook":
            got_scope = split_name(got_scope + "!x")[0]
        if ref_scope != got_scope:
            out.append("name %s: scope %s=%r mokuji=%r" % (key, REF.name, ref_scope, got["scope"]))
    if "position" in unsupported or ("position", key) in ignore:
        return
    if ref.get("sheet") is None:
        if got.get("sheet") is not None:
            out.append("name %s: %s sees no range, mokuji has %s R%sC%s"
                       % (key, REF.name, got.get("sheet"), got.get("row"), got.get("column")))
        return
    for field, default in (("sheet", None), ("row", None), ("column", None),
                           ("rows", 1), ("columns", 1)):
        want = ref.get(field, default)
        have = got.get(field, default)
        if want != have:
            out.append("name %s: %s %s=%r mokuji=%r" % (key, field, REF.name, want, have))
    single = "rows" not in ref and "columns" not in ref
    if not single or "value" in unsupported or ("value", key) in ignore:
        return
    if "error" in ref:
        if "error" not in got or "value" in got:
            out.append("name %s: %s sees error cell %s, mokuji gives value=%r"
                       % (key, REF.name, ref["error"], got.get("value")))
        return
    if "error" in got:
        out.append("name %s: value %s=%r, mokuji gives error %r"
                   % (key, REF.name, ref["value"], got["error"]))
        return
    want, have = ref["value"], got.get("value")
    if have is None:
        out.append("name %s: single cell but mokuji gives no value (%s %r)"
                   % (key, REF.name, want))
    elif want != have and not numbers_agree(want, have, ref.get("currency", False)):
        out.append("name %s: value %s=%r mokuji=%r" % (key, REF.name, want, have))


def compare_names(ref_names, got_names, ignore, out):
    refs, gots = {}, {}
    for n in ref_names:
        refs.setdefault(name_key(n["name"]), []).append(n)
    for n in got_names:
        if not isinstance(n, dict) or not isinstance(n.get("name"), str):
            out.append("names: malformed entry %r" % (n,))
            continue
        gots.setdefault(name_key(n["name"]), []).append(n)
    # Names whose sheet the reference cannot name ("*!x") excuse any sheet-level
    # namesake on the mokuji side.
    wildcard = {k[2:] for k in refs if k.startswith("*!")}
    for key in sorted(set(refs) | set(gots)):
        if key.startswith("*!"):
            continue
        r, g = refs.get(key, []), gots.get(key, [])
        if ("name", key) in ignore:
            continue
        required = [n for n in r if "presence" not in n.get("unsupported", [])]
        if len(g) < len(required):
            out.append("name %s: missing from mokuji (%s lists it %d time(s))"
                       % (key, REF.name, len(required)))
            continue
        if len(g) > len(r) and not (len(r) == 0 and split_name(key)[1] in wildcard):
            out.append("name %s: mokuji lists it %d time(s), %s %d"
                       % (key, len(g), REF.name, len(r)))
            continue
        for ref, got in zip(r, g):
            compare_name(key, ref, got, ignore, out)


def compare_properties(ref_props, got_props, ignore, out):
    by_index = {}
    for p in got_props:
        if isinstance(p, dict) and isinstance(p.get("index"), int):
            by_index.setdefault(p["index"], []).append(p)
    if sorted(by_index) != list(range(1, 31)) or any(len(v) != 1 for v in by_index.values()):
        out.append("properties: want indexes 1..30 once each, got %s"
                   % sorted(i for i, v in by_index.items() for _ in v))
    for ref in ref_props:
        i = ref["index"]
        if ref.get("unsupported") or ("prop", str(i)) in ignore or i not in by_index:
            continue
        got = by_index[i][0]
        if bool(got.get("set")) != ref["set"]:
            out.append("property %d (%s): set %s=%s mokuji=%s%s"
                       % (i, ref["name"], REF.props[0], ref["set"], got.get("set"),
                          " (%s value %r)" % (REF.props[1], ref.get("value"))
                          if ref["set"] else ""))
        elif ref["set"] and got.get("value") != ref["value"]:
            out.append("property %d (%s): value %s=%r mokuji=%r"
                       % (i, ref["name"], REF.props[1], ref["value"], got.get("value")))


def _error_text(code):
    if isinstance(code, int) and not isinstance(code, bool):
        return xlrd_reference.xlrd.error_text_from_code.get(code - 2000, "#%d?" % code)
    return None


def _got_cells(cells, sheet, out):
    """mokuji's [row, column, text(, error)] list as {"R1C1": fields}."""
    result = {}
    for c in cells:
        ok = (isinstance(c, list) and len(c) in (3, 4)
              and all(isinstance(x, int) and not isinstance(x, bool) and x > 0 for x in c[:2]))
        if ok and len(c) == 3:
            ok = isinstance(c[2], str)
        elif ok:
            ok = c[2] is None and _error_text(c[3]) is not None
        if not ok:
            out.append("sheet %s: malformed cell %r" % (sheet, c))
            continue
        key = "R%dC%d" % (c[0], c[1])
        if key in result:
            out.append("sheet %s: cell %s listed twice" % (sheet, key))
        if len(c) == 4:
            result[key] = {"error": _error_text(c[3])}
        elif c[2] != "":  # an empty text shows as nothing, as in the references
            result[key] = {"value": c[2]}
    return result


def _shown(text):
    # A cell can hold a page of text; the start is enough to find it.
    text = repr(text)
    return text if len(text) <= 80 else text[:77] + "..."


def _cell_difference(ref, got):
    """Why one cell disagrees, or None when it agrees."""
    if ref is None:
        return "%s empty, mokuji %s" % (REF.name, _shown(got.get("value", got.get("error"))))
    if "unsupported" in ref:
        return None
    want = ref.get("value", ref.get("error"))
    if got is None:
        return "%s %s, mokuji empty" % (REF.name, _shown(want))
    if "error" in ref or "error" in got:
        if ref.get("error") != got.get("error"):
            return "%s %s, mokuji %s" % (REF.name, _shown(want),
                                         _shown(got.get("value", got.get("error"))))
        return None
    if want == got["value"] or numbers_agree(want, got["value"], ref.get("currency", False)):
        return None
    return "%s %s, mokuji %s" % (REF.name, _shown(want), _shown(got["value"]))


def compare_cells(ref_sheets, got_sheets, ignore, out):
    """Every cell of every worksheet the reference reads, sheet matched by name."""
    if not isinstance(got_sheets, list):
        out.append("sheets: not a list (%r)" % (got_sheets,))
        return
    gots = {}
    for g in got_sheets:
        if not isinstance(g, dict) or not isinstance(g.get("name"), str):
            out.append("sheets: malformed entry %r" % (g,))
        elif g["name"] in gots:
            out.append("sheets: %s listed twice" % g["name"])
        else:
            gots[g["name"]] = g
    ref_names = {r["name"] for r in ref_sheets}
    for name, g in gots.items():
        # The references drop chart, macro and module sheets, which have no
        # cells here.
        if name not in ref_names and g.get("cells") is not None:
            out.append("sheet %s: mokuji lists cells, %s has no such worksheet" % (name, REF.name))
    for ref in ref_sheets:
        name = ref["name"]
        known = ("cells", name) in ignore
        g = gots.get(name)
        if g is None:
            out.append("sheet %s: missing from mokuji" % name)
            continue
        if not isinstance(g.get("cells"), list):
            out.append("sheet %s: mokuji gives no cells (%s)" % (name, g.get("error", "null")))
            continue
        diffs = []
        got_cells = _got_cells(g["cells"], name, diffs)
        want_cells = ref["cells"]
        # Row-major like the file, so the first differences shown are the
        # top-left ones.
        order = sorted(set(want_cells) | set(got_cells),
                       key=lambda k: tuple(int(x) for x in k[1:].split("C")))
        for key in order:
            why = _cell_difference(want_cells.get(key), got_cells.get(key))
            if why:
                diffs.append("%s %s" % (key, why))
        if known:
            if not diffs:
                out.append("sheet %s: every cell agrees now; drop the known difference "
                           "cells:%s" % (name, name.replace(" ", "%20")))
            continue
        for d in diffs[:CELLS_SHOWN]:
            out.append("sheet %s: %s" % (name, d))
        if diffs:
            out.append("sheet %s: %d cell(s) differ (of %d %s, %d mokuji)"
                       % (name, len(diffs), len(want_cells), REF.name, len(got_cells)))


def run_inspect(inspect, files):
    """mokuji-inspect's objects for files, its exit status and any problem."""
    env = dict(os.environ, TZ="Asia/Tokyo")
    try:
        proc = subprocess.run([inspect, "--cells"] + files, capture_output=True, env=env,
                              timeout=60 + 5 * len(files))
    except (OSError, subprocess.TimeoutExpired) as exc:
        return None, None, "cannot run %s: %s" % (inspect, exc)
    try:
        doc = json.loads(proc.stdout.decode("utf-8"))
    except (UnicodeDecodeError, ValueError) as exc:
        tail = proc.stderr.decode("utf-8", "replace")[-2000:]
        return None, proc.returncode, "output is not JSON (%s), exit %s, stderr:\n%s" % (
            exc, proc.returncode, tail)
    if not isinstance(doc, list) or len(doc) != len(files):
        return None, proc.returncode, "want a JSON array of %d objects, got %s" % (
            len(files), type(doc).__name__ if not isinstance(doc, list) else len(doc))
    return doc, proc.returncode, None


LABELS = {p[0]: p[4] for p in xlrd_reference.PROPERTIES}


def by_hand_reference(expect, exp):
    """The reference written by hand for a file the reader misreads.

    {"names": [entries as the reference gives them], "properties": {"index":
    "text"}}; a property not listed is not set.
    """
    path = os.path.join(os.path.dirname(expect), "by-hand", exp.relpath + ".json")
    with open(path, encoding="utf-8") as f:
        hand = json.load(f)
    props = hand.get("properties", {})
    return {"names": hand.get("names", []),
            "properties": [dict({"index": i, "name": LABELS[i], "set": str(i) in props},
                                **({"value": props[str(i)]} if str(i) in props else {}))
                           for i in range(1, 31)]}


def check_file(path, exp, got, expect):
    """Disagreements for one file (empty list when it behaves as expected)."""
    out = []
    if not isinstance(got, dict) or "error" not in got:
        return ["malformed object %r" % (got,)]
    if got.get("file") not in (path, os.path.basename(path), exp.relpath):
        out.append("object names file %r, expected %r" % (got.get("file"), path))
    opened = got["error"] is None
    if exp.outcome == "error":
        if opened:
            out.append("now opens, update expectations (listed as error: %s)" % exp.reason)
        elif got.get("names") or got.get("properties") or got.get("sheets"):
            out.append("error %r but names/properties/sheets are not empty" % got["error"])
        return out
    if not opened:
        out.append("does not open: %r (expected %s)" % (got["error"], exp.outcome))
        return out
    ref = REF.reference(path, cells=True)
    if exp.outcome in (REF.fails, "ok-by-hand"):
        if not ref.get("unsupported"):
            out.append("%s opens it now; change the expectation to ok" % REF.name)
            return out
        if exp.outcome == REF.fails:
            return out
        try:
            hand = by_hand_reference(expect, exp)
        except (OSError, ValueError) as exc:
            return out + ["no usable reference by hand: %s" % exc]
        return compare_file(hand, got, exp,
                            Reference("by hand", ("by hand", "by hand"), REF.fails, None), out)
    elif ref.get("unsupported"):
        out.append("%s cannot open it (%s); expectation %s?" % (REF.name, ref["error"], REF.fails))
        return out
    return compare_file(ref, got, exp, REF, out)


def compare_file(ref, got, exp, reference, out):
    """Adds the disagreements of got with ref to out, the messages naming
    the reference as given."""
    global REF
    saved, REF = REF, reference
    try:
        if not isinstance(got.get("names"), list) or not isinstance(got.get("properties"), list):
            return out + ["names/properties are not lists"]
        compare_names(ref["names"], got["names"], exp.ignore, out)
        compare_properties(ref["properties"], got["properties"], exp.ignore, out)
        if got.get("sheets") is None:
            out.append("no sheets in the output (%s)"
                       % got.get("sheets_error", "--cells ignored?"))
        elif "sheets" in ref:  # a reference by hand has none
            compare_cells(ref["sheets"], got["sheets"], exp.ignore, out)
        return out
    finally:
        REF = saved


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--inspect", required=True)
    ap.add_argument("--expect", required=True)
    ap.add_argument("--data", help="folder the relpaths of the expectations start from")
    ap.add_argument("--reference", choices=("xlrd", "openpyxl"), default="xlrd",
                    help="xlrd and olefile for .xls files, openpyxl for zip-based ones")
    ap.add_argument("files", nargs="*")
    args = ap.parse_args(argv)
    global REF
    if args.reference == "openpyxl":
        try:
            import openpyxl_reference
        except ImportError as exc:
            sys.exit("compare_with_xlrd: cannot import openpyxl (%s); install "
                     "python3-openpyxl" % exc)
        REF = Reference("openpyxl", ("openpyxl", "openpyxl"), "ok-openpyxl-fails",
                        openpyxl_reference.reference, by_hand=True)

    expectations, failures = read_expectations(args.expect)
    by_base = {}
    for rel in expectations:
        by_base.setdefault(os.path.basename(rel), []).append(rel)

    pairs = []  # (path, expectation)
    if args.files:
        for f in args.files:
            rel = None
            if args.data:
                r = os.path.relpath(os.path.abspath(f), os.path.abspath(args.data))
                rel = r if r in expectations else None
            if rel is None and len(by_base.get(os.path.basename(f), [])) == 1:
                rel = by_base[os.path.basename(f)][0]
            if rel is None:
                failures.append("%s: not in %s" % (f, args.expect))
            else:
                pairs.append((f, expectations[rel]))
    elif args.data:
        on_disk = set()
        for root, _, names in os.walk(args.data):
            for n in names:
                on_disk.add(os.path.relpath(os.path.join(root, n), args.data))
        for rel in sorted(on_disk - set(expectations)):
            failures.append("%s: in %s but not in %s" % (rel, args.data, args.expect))
        for rel in sorted(set(expectations) - on_disk):
            failures.append("%s: listed but missing from %s" % (rel, args.data))
        pairs = [(os.path.join(args.data, rel), expectations[rel])
                 for rel in sorted(expectations) if rel in on_disk]
    else:
        ap.error("give FILEs or --data")

    checked = 0
    if pairs:
        files = [p for p, _ in pairs]
        doc, rc, problem = run_inspect(args.inspect, files)
        if problem and doc is None and rc is None:
            failures.append(problem)  # not runnable at all: no use retrying
            results = [(None, None, "not run")] * len(files)
        elif problem:
            failures.append("mokuji-inspect on all files: " + problem)
            # Run them one by one to name the file that breaks it.
            results = []
            for f in files:
                d, r, p = run_inspect(args.inspect, [f])
                results.append((d[0] if d else None, r, p))
        else:
            results = [(obj, None, None) for obj in doc]
            all_opened = all(isinstance(o, dict) and o.get("error") is None for o in doc)
            if all_opened and rc != 0:
                failures.append("mokuji-inspect exited %s although every file opened" % rc)
            if not all_opened and rc == 0:
                failures.append("mokuji-inspect exited 0 although a file failed to open")
            if rc is not None and rc < 0:
                failures.append("mokuji-inspect died from signal %d" % -rc)
        for (path, exp), (obj, rc1, problem1) in zip(pairs, results):
            if problem1 == "not run":
                continue
            checked += 1
            if problem1:
                diffs = ["mokuji-inspect: " + problem1]
            elif rc1 is not None and rc1 < 0:
                diffs = ["mokuji-inspect died from signal %d" % -rc1]
            else:
                diffs = check_file(path, exp, obj, args.expect)
            if diffs:
                failures.append("%s [%s]\n    %s" % (exp.relpath, exp.outcome,
                                                     "\n    ".join(diffs)))

    for f in failures:
        print("FAIL " + f)
    print("%d file(s) checked, %d problem(s)" % (checked, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
