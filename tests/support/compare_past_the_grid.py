#!/usr/bin/python3
"""An .xlsx list that went on past the .xls grid, against its .xls twin.

    compare_past_the_grid.py LIST.xls LIST.xlsx [LIST-xls.csv LIST-xlsx.csv]

Prints the .xlsx list's shape as openpyxl reads it (the last row and column
holding a value, the last row's first values, the last header), then
"same" when every cell of the .xls list (xlrd) reads the same in the .xlsx
one (openpyxl), and, with LibreOffice's CSV exports of both, when every
field of the .xls export is the field of the .xlsx export in its place;
else each difference on a line of its own.
"""

import csv
import datetime
import sys

import openpyxl
import xlrd


def typed(cell):
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return None
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return bool(cell.value)
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return cell.value
    return float(cell.value)


def value_of(v):
    if isinstance(v, datetime.datetime):
        return float(openpyxl.utils.datetime.to_excel(v))
    if isinstance(v, (int, float)) and not isinstance(v, bool):
        return float(v)
    return v


def main(xls_path, xlsx_path, csvs):
    ws = openpyxl.load_workbook(xlsx_path, read_only=True)["目次"]
    rows = [[value_of(v) for v in row] for row in ws.iter_rows(values_only=True)]
    last_row = max(i for i, row in enumerate(rows) if any(v is not None for v in row))
    last_col = max(c for row in rows for c, v in enumerate(row) if v is not None)
    header = next(i for i, row in enumerate(rows) if "No." in row)
    print("rows %d columns %d" % (last_row + 1, last_col + 1))
    print("last row %s" % [v for v in rows[last_row] if v is not None][:2])
    print("last header %s" % rows[header][last_col])

    out = []
    xs = xlrd.open_workbook(xls_path, ragged_rows=True).sheet_by_name("目次")
    for r in range(xs.nrows):
        for c in range(xs.row_len(r)):
            old = typed(xs.cell(r, c))
            new = rows[r][c] if r < len(rows) and c < len(rows[r]) else None
            if old != new and len(out) < 10:
                out.append("%s: %r / %r" % (openpyxl.utils.get_column_letter(c + 1) + str(r + 1),
                                            old, new))
    if csvs:
        with open(csvs[0], encoding="utf-8") as a, open(csvs[1], encoding="utf-8") as b:
            old_lines, new_lines = list(csv.reader(a)), list(csv.reader(b))
        if len(new_lines) < len(old_lines):
            out.append("LibreOffice: %d lines / %d" % (len(old_lines), len(new_lines)))
        for i, (old, new) in enumerate(zip(old_lines, new_lines)):
            if new[:len(old)] != old and len(out) < 20:
                out.append("LibreOffice line %d: %r / %r" % (i + 1, old[:6], new[:6]))
    print("\n".join(out) if out else "same")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3:5])
