#!/usr/bin/python3
"""Edits a workbook in LibreOffice itself, as a user would, and saves it.

    libreoffice_edit.py FILE STEP [STEP ...]

Each step is one word with its arguments after colons; rows and columns
count from 1, sheets are named:

    insert-rows:SHEET:ROW:COUNT     rows inserted above ROW
    delete-rows:SHEET:ROW:COUNT
    insert-columns:SHEET:COLUMN:COUNT
    copy-sheet:SHEET:NEW_NAME       the copy goes behind the last sheet
    set:SHEET:ROW:COLUMN:TEXT       typed as a user types it (numbers stay numbers)
    set-text:SHEET:ROW:COLUMN:TEXT  kept as text
    comment:SHEET:ROW:COLUMN:TEXT   a comment on the cell
    add-sheet:NAME                  a new sheet behind the last one
    chart:SHEET:ROW:COLUMN:ROWS:COLUMNS  a bar chart of that block, beside it

The file is saved in its own format (a .xls stays an Excel 97 file) through
LibreOffice's UNO interface, with a profile of its own so that a user's
LibreOffice is never touched. Exits non-zero, naming the step, when a step
cannot be done.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue

FILTERS = {".xls": "MS Excel 97", ".xlsx": "Calc MS Excel 2007 XML", ".ods": "calc8"}


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect(pipe, process):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.time() + 60
    while True:
        try:
            return resolver.resolve(
                "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            if process.poll() is not None or time.time() > deadline:
                raise SystemExit("LibreOffice did not start")
            time.sleep(0.2)


def sheet_of(doc, name):
    sheets = doc.Sheets
    if not sheets.hasByName(name):
        raise SystemExit("no sheet %r (sheets: %s)" % (name, ", ".join(sheets.ElementNames)))
    return sheets.getByName(name)


def apply(doc, step):
    word, *args = step.split(":")
    if word == "insert-rows":
        sheet_of(doc, args[0]).Rows.insertByIndex(int(args[1]) - 1, int(args[2]))
    elif word == "delete-rows":
        sheet_of(doc, args[0]).Rows.removeByIndex(int(args[1]) - 1, int(args[2]))
    elif word == "insert-columns":
        sheet_of(doc, args[0]).Columns.insertByIndex(int(args[1]) - 1, int(args[2]))
    elif word == "copy-sheet":
        doc.Sheets.copyByName(args[0], args[1], doc.Sheets.Count)
    elif word in ("set", "set-text"):
        text = ":".join(args[3:])
        cell = sheet_of(doc, args[0]).getCellByPosition(int(args[2]) - 1, int(args[1]) - 1)
        if word == "set-text":
            cell.String = text
        else:
            cell.Formula = text
    elif word == "comment":
        sheet = sheet_of(doc, args[0])
        cell = sheet.getCellByPosition(int(args[2]) - 1, int(args[1]) - 1)
        sheet.Annotations.insertNew(cell.CellAddress, ":".join(args[3:]))
    elif word == "add-sheet":
        doc.Sheets.insertNewByName(args[0], doc.Sheets.Count)
    elif word == "chart":
        from com.sun.star.awt import Rectangle
        sheet = sheet_of(doc, args[0])
        row, col, rows, cols = (int(a) - 1 for a in args[1:5])
        block = sheet.getCellRangeByPosition(col, row, col + cols, row + rows).RangeAddress
        sheet.Charts.addNewByName("chart%d" % sheet.Charts.Count,
                                  Rectangle(1000, 1000, 10000, 6000), (block,), True, True)
    else:
        raise SystemExit("unknown step %r" % step)


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    path = os.path.abspath(argv[1])
    steps = argv[2:]
    profile = tempfile.mkdtemp(prefix="lo-edit-")
    pipe = "mokuji_edit_%d" % os.getpid()
    process = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
         "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
         "--accept=pipe,name=%s;urp;" % pipe],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        ctx = connect(pipe, process)
        desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        url = uno.systemPathToFileUrl(path)
        doc = desktop.loadComponentFromURL(url, "_blank", 0, (prop("Hidden", True),))
        if doc is None:
            raise SystemExit("LibreOffice could not open " + path)
        for step in steps:
            apply(doc, step)
        filt = FILTERS[os.path.splitext(path)[1].lower()]
        doc.storeToURL(url, (prop("FilterName", filt),))
        doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass  # the bridge goes down with the office
    finally:
        try:
            process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv)
