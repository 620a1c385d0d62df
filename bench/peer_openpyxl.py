#!/usr/bin/python3
"""The script a Python user would write instead of mokuji for a folder of
.xlsx questionnaires, with openpyxl: the same rows as peer_xlrd.py writes
for .xls.

For every *.xlsx in FOLDER (sorted by name): take every workbook-level
defined name that refers to exactly one cell and read that cell's value as
text (dates as yyyy/mm/dd, whole numbers without ".0"), plus the file name
and the document properties title, author and creation date. One row per
workbook; the columns are the single-cell names of the first workbook,
sorted. Writes the rows as CSV (UTF-8 with BOM).

Usage: peer_openpyxl.py FOLDER --csv OUT.csv
Needs Debian's python3-openpyxl (it starts with /usr/bin/python3, the
interpreter Debian's packages live in).
"""
import argparse
import csv
import datetime as dt
import glob
import os
import sys
import time

import openpyxl
from openpyxl.utils.cell import coordinate_to_tuple


def cell_text(v):
    if v is None:
        return ""
    if isinstance(v, bool):  # before int: a bool is an int to Python
        return "TRUE" if v else "FALSE"
    if isinstance(v, (dt.datetime, dt.date)):
        return "%04d/%02d/%02d" % (v.year, v.month, v.day)
    if isinstance(v, (int, float)):
        return "%d" % v if v == int(v) else repr(float(v))
    return str(v)  # text, and errors such as "#N/A"


def workbook_names(wb):
    """(name, sheet title, row, column) of each workbook-level single-cell name."""
    names = wb.defined_names
    # openpyxl 3.0 (Debian 12) keeps a list; 3.1 a dict by name.
    defined = names.definedName if hasattr(names, "definedName") else names.values()
    out = []
    for dn in defined:
        if dn.localSheetId is not None or dn.type != "RANGE":
            continue
        dests = list(dn.destinations)
        if len(dests) != 1 or ":" in dests[0][1]:
            continue
        title, coord = dests[0]
        row, col = coordinate_to_tuple(coord.replace("$", ""))
        out.append((dn.name, title, row, col))
    return out


def read_workbook(path):
    # read_only streams the sheet instead of building every cell with its
    # style; asking a read-only sheet for one cell streams it again from
    # the top, so each sheet is walked once down to the lowest named row.
    wb = openpyxl.load_workbook(path, read_only=True, data_only=True, keep_links=False)
    try:
        wanted = {}
        for name, title, row, col in workbook_names(wb):
            wanted.setdefault(title, []).append((name, row, col))
        values = {}
        for title, cells in wanted.items():
            if title not in wb.sheetnames:
                values.update((name, "") for name, _, _ in cells)
                continue
            last = max(row for _, row, _ in cells)
            grid = list(wb[title].iter_rows(min_row=1, max_row=last, values_only=True))
            for name, row, col in cells:
                line = grid[row - 1] if row <= len(grid) else ()
                values[name] = cell_text(line[col - 1] if col <= len(line) else None)
        p = wb.properties
        created = p.created.strftime("%Y/%m/%d %H:%M:%S") if p.created else ""
        return values, [p.title or "", p.creator or "", created]
    finally:
        wb.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("folder")
    ap.add_argument("--csv", required=True)
    a = ap.parse_args()
    t0 = time.monotonic()
    skip = os.path.abspath(a.csv)
    files = [f for f in sorted(glob.glob(os.path.join(a.folder, "*.xlsx")))
             if os.path.abspath(f) != skip]
    rows, columns = [], None
    for f in files:
        values, props = read_workbook(f)
        if columns is None:
            columns = sorted(values)
        rows.append([os.path.basename(f)] + props + [values.get(c, "") for c in columns])
    t1 = time.monotonic()
    with open(a.csv, "w", encoding="utf-8-sig", newline="") as fh:
        w = csv.writer(fh)
        w.writerow(["ファイル名", "タイトル", "作成者", "作成日時"] + (columns or []))
        w.writerows(rows)
    sys.stderr.write("peer_openpyxl: %d files; read %.3fs, csv %.3fs\n"
                     % (len(files), t1 - t0, time.monotonic() - t1))


if __name__ == "__main__":
    main()
