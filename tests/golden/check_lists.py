#!/usr/bin/python3
"""Keeps the lists mokuji makes exactly as they were recorded.

For every folder of workbooks here (the example questionnaires and each
folder of tests/data/corpus) mokuji makes a new list, then updates it in a
second run, and the same as 00_目次.xlsx, which must read cell for cell as
the .xls list does. Each .xls list is written out as two readers see it: xlrd, with its
formatting, and mokuji-inspect, our own reader. The run's exit status and
messages come along. The text must equal the recorded one in
tests/golden/lists/ byte for byte, so work on speed or memory changes
nothing a user sees. Record anew (after a change that is meant to show)
with --record, and read the diff before committing it.

Only what legitimately varies is left out: the list's own save times and
the temporary folder's path.
"""
import argparse
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile

import xlrd

LIST_FILE = "00_目次.xls"
# The list's creation and save times are those of the run.
RUN_TIME_PROPERTIES = {10, 11, 12}


def xf_text(book, xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    fmt = book.format_map.get(xf.format_key)
    al, bo, bg = xf.alignment, xf.border, xf.background
    return "fmt=%r font=%s/%d%s%s/c%d al=%d,%d,%d,%d bd=%d%d%d%d bg=%d/%d" % (
        fmt.format_str if fmt else None, font.name, font.height, "b" if font.bold else "",
        "i" if font.italic else "", font.colour_index, al.hor_align, al.vert_align,
        al.text_wrapped, al.rotation, bo.left_line_style, bo.right_line_style,
        bo.top_line_style, bo.bottom_line_style, bg.fill_pattern, bg.pattern_colour_index)


def value_text(book, cell):
    if cell.ctype == xlrd.XL_CELL_DATE:
        try:
            return "date %s" % (datetime.datetime(*xlrd.xldate_as_tuple(cell.value, book.datemode)),)
        except xlrd.xldate.XLDateError:
            return "date %r" % cell.value
    if cell.ctype == xlrd.XL_CELL_ERROR:
        return "error %s" % xlrd.error_text_from_code.get(cell.value, cell.value)
    return "%s %r" % (xlrd.sheet.ctype_text.get(cell.ctype, cell.ctype), cell.value)


def as_xlrd_sees(path):
    book = xlrd.open_workbook(path, formatting_info=True, on_demand=False)
    out = ["datemode %d, %d sheets" % (book.datemode, book.nsheets)]
    for name in sorted(book.name_obj_list, key=lambda n: (n.name, n.scope)):
        out.append("name %r scope %d formula %r" % (name.name, name.scope,
                                                    getattr(name, "formula_text", None)))
        if name.result is not None and name.result.kind == xlrd.oREF:
            out.append("  refers %r" % (name.result.value,))
    for sheet in book.sheets():
        out.append("sheet %r visibility %d selected %d shown %d, %d × %d" % (
            sheet.name, sheet.visibility, sheet.sheet_selected, sheet.sheet_visible,
            sheet.nrows, sheet.ncols))
        out.append("  merged %r" % sorted(sheet.merged_cells))
        for col, info in sorted(sheet.colinfo_map.items()):
            out.append("  col %d width %d hidden %d xf %d" % (col, info.width, info.hidden,
                                                             info.xf_index))
        for row, info in sorted(sheet.rowinfo_map.items()):
            out.append("  row %d height %d hidden %d" % (row, info.height, info.hidden))
        for r in range(sheet.nrows):
            for c in range(sheet.row_len(r)):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                out.append("  %d,%d %s | %s" % (r, c, value_text(book, cell),
                                               xf_text(book, cell.xf_index)))
        for (r, c), link in sorted(sheet.hyperlink_map.items()):
            out.append("  link %d,%d %s %r %r %r" % (r, c, link.type, link.url_or_path,
                                                    link.textmark, link.desc))
    return out


def as_we_see(inspect, path):
    done = subprocess.run([inspect, "--cells", path], capture_output=True, text=True)
    report = json.loads(done.stdout)[0]
    report.pop("file", None)
    for prop in report.get("properties", []):
        if prop["index"] in RUN_TIME_PROPERTIES and prop.get("set"):
            prop["value"] = "(time of the run)"
    return json.dumps(report, ensure_ascii=False, indent=0, sort_keys=True).splitlines()


def run(mokuji, folder):
    env = dict(os.environ, MOKUJI_OPENER="true", TZ="Asia/Tokyo")
    # The messages recorded are the program's own Japanese, whatever the
    # user's locale.
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
        env.pop(name, None)
    env["LANG"] = "C.UTF-8"
    done = subprocess.run([mokuji, folder], capture_output=True, env=env)
    messages = done.stderr.decode("utf-8", "replace").replace(folder, "FOLDER")
    return ["status %d" % done.returncode] + [
        "  " + line for line in messages.splitlines() if not line.startswith("caption:")]


def xlsx_twin_differences(args, source, work):
    """The same folder listed as 00_目次.xlsx, new and updated, must read
    cell for cell as the .xls list does (openpyxl against xlrd)."""
    compare = os.path.join(args.repo, "tests", "support", "compare_list_formats.py")
    folders = {}
    for kind in ("xls", "xlsx"):
        folders[kind] = os.path.join(work, "twin-" + kind, os.path.basename(source))
        shutil.copytree(source, folders[kind], ignore=shutil.ignore_patterns(LIST_FILE))
    problems = []
    for title in ("new list", "update"):
        for kind, folder in folders.items():
            env = dict(os.environ, MOKUJI_OPENER="true", TZ="Asia/Tokyo")
            env.pop("DISPLAY", None)
            env.pop("WAYLAND_DISPLAY", None)
            subprocess.run([args.mokuji, "--list", kind, folder], capture_output=True, env=env)
        xls = os.path.join(folders["xls"], LIST_FILE)
        xlsx = os.path.join(folders["xlsx"], LIST_FILE + "x")
        if os.path.exists(xls) != os.path.exists(xlsx):
            problems.append("%s: only one of the twins has a list" % title)
            continue
        if not os.path.exists(xls):
            continue
        done = subprocess.run([sys.executable, compare, xls, xlsx], capture_output=True,
                              text=True)
        if done.stdout != "same\n":
            problems.append("%s: %s%s" % (title, done.stdout, done.stderr))
    return problems


def describe(args, source, work):
    folder = os.path.join(work, os.path.basename(source))
    shutil.copytree(source, folder, ignore=shutil.ignore_patterns(LIST_FILE))
    out = []
    for title in ("new list", "update"):
        out.append("== %s" % title)
        out += run(args.mokuji, folder)
        listed = os.path.join(folder, LIST_FILE)
        if not os.path.exists(listed):
            out.append("no list")
            continue
        out.append("-- xlrd")
        out += as_xlrd_sees(listed)
        out.append("-- mokuji-inspect")
        out += as_we_see(args.inspect, listed)
    return "\n".join(out) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--mokuji", required=True)
    ap.add_argument("--inspect", required=True)
    ap.add_argument("--repo", default=os.path.dirname(os.path.dirname(
        os.path.dirname(os.path.abspath(__file__)))))
    ap.add_argument("--record", action="store_true")
    args = ap.parse_args()

    expected_dir = os.path.join(args.repo, "tests", "golden", "lists")
    corpus = os.path.join(args.repo, "tests", "data", "corpus")
    sources = [os.path.join(args.repo, "examples", "questionnaires")] + sorted(
        os.path.join(corpus, d) for d in os.listdir(corpus))
    failed = []
    with tempfile.TemporaryDirectory(prefix="mokuji-golden-") as work:
        for source in sources:
            text = describe(args, source, work)
            if not args.record:
                for problem in xlsx_twin_differences(args, source, work):
                    failed.append(os.path.basename(source) + " as .xlsx")
                    print("the .xlsx list of %s differs, %s" % (source, problem))
            expected = os.path.join(expected_dir, os.path.basename(source) + ".txt")
            if args.record:
                os.makedirs(expected_dir, exist_ok=True)
                with open(expected, "w", encoding="utf-8") as fh:
                    fh.write(text)
                continue
            try:
                with open(expected, encoding="utf-8") as fh:
                    recorded = fh.read()
            except FileNotFoundError:
                recorded = None
            if recorded != text:
                failed.append(os.path.basename(source))
                got = os.path.join(work, "..", "mokuji-golden-" + os.path.basename(source) + ".txt")
                with open(got, "w", encoding="utf-8") as fh:
                    fh.write(text)
                print("differs: %s (this run's text: %s)" % (source, os.path.abspath(got)))
    if failed:
        sys.exit("%d of %d lists differ from the recorded ones: %s" % (
            len(failed), len(sources), ", ".join(failed)))
    print("%d folders, %s" % (len(sources), "recorded" if args.record else "as recorded"))


if __name__ == "__main__":
    main()
