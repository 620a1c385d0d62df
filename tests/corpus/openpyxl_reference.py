#!/usr/bin/env python3
"""Second opinion on what mokuji-inspect should print for zip-based workbooks.

The same JSON shape as xlrd_reference.py, from openpyxl (data_only=True) for
names and cells, and from the package's property parts for the properties
openpyxl does not read. Whatever cannot be settled from here is marked
"unsupported" in the same way, so the comparer skips it.

Usage: openpyxl_reference.py [--cells] FILE...   (set TZ=Asia/Tokyo for the dates)
"""

import datetime
import json
import os
import re
import sys
import warnings
import xml.etree.ElementTree as ET

import xlrd
from openpyxl.cell.text import Text
from openpyxl.packaging.core import DocumentProperties
from openpyxl.packaging.relationship import get_dependents
from openpyxl.packaging.workbook import WorkbookPackage
from openpyxl.reader.excel import ExcelReader
from openpyxl.styles.numbers import BUILTIN_FORMATS
from openpyxl.styles.stylesheet import apply_stylesheet
from openpyxl.utils.cell import range_boundaries
from openpyxl.utils.datetime import MAC_EPOCH, to_excel
from openpyxl.utils.escape import unescape
from openpyxl.worksheet._read_only import ReadOnlyWorksheet
from openpyxl.xml.constants import SHARED_STRINGS, SHEET_MAIN_NS
from openpyxl.xml.functions import fromstring, iterparse

import xlrd_reference as common

# openpyxl warns about every part it skips; the check has no use for that.
warnings.filterwarnings("ignore", module="openpyxl")

MAX_ROW, MAX_COLUMN = 1048576, 16384

# Where each property index lives: (part, element, kind); the extended part's
# elements are read here because openpyxl 3.0 leaves that part unread.
CORE, APP = "core", "app"
SOURCES = {
    1: (CORE, "title", "text"), 2: (CORE, "subject", "text"),
    3: (CORE, "creator", "text"), 4: (CORE, "keywords", "text"),
    5: (CORE, "description", "text"), 6: (APP, "Template", "text"),
    7: (CORE, "lastModifiedBy", "text"), 8: (CORE, "revision", "text"),
    9: (APP, "Application", "text"), 10: (CORE, "lastPrinted", "date"),
    11: (CORE, "created", "date"), 12: (CORE, "modified", "date"),
    13: (APP, "TotalTime", "count"), 14: (APP, "Pages", "count"),
    15: (APP, "Words", "count"), 16: (APP, "Characters", "count"),
    17: (APP, "DocSecurity", "count"), 18: (CORE, "category", "text"),
    19: (APP, "PresentationFormat", "text"), 20: (APP, "Manager", "text"),
    21: (APP, "Company", "text"), 23: (APP, "Lines", "count"),
    24: (APP, "Paragraphs", "count"), 25: (APP, "Slides", "count"),
    26: (APP, "Notes", "count"), 27: (APP, "HiddenSlides", "count"),
    28: (APP, "MMClips", "count"), 29: (APP, "HyperlinkBase", "text"),
    30: (APP, "CharactersWithSpaces", "count"),
}
LABELS = {p[0]: p[4] for p in common.PROPERTIES}


def _local(tag):
    return tag.rpartition("}")[2]


def _property_parts(archive):
    """The core and extended property parts the package's relationships name.

    openpyxl looks for the core part at one fixed place; the application
    follows the relationship, and some writers put it elsewhere.
    """
    parts = {}
    for rel in get_dependents(archive, "_rels/.rels").Relationship:
        kind = CORE if rel.Type.endswith("/core-properties") else (
            APP if rel.Type.endswith("/extended-properties") else None)
        if kind and kind not in parts and rel.TargetMode != "External":
            try:
                parts[kind] = fromstring(archive.read(rel.target))
            except (KeyError, ET.ParseError):
                pass
    return parts


def read_properties(archive):
    parts = _property_parts(archive)
    core_props = DocumentProperties.from_tree(parts[CORE]) if CORE in parts else None
    core, app = ({_local(e.tag): e.text for e in parts.get(k, [])} for k in (CORE, APP))
    out = []
    for index in range(1, 31):
        prop = {"index": index, "name": LABELS[index]}
        out.append(prop)
        if index not in SOURCES:
            prop["set"] = False  # number of bytes: not kept in these parts
            continue
        part, element, kind = SOURCES[index]
        text = (core if part == CORE else app).get(element)
        # openpyxl stamps "now" into a missing creation or change date, so
        # whether a property is there at all comes from the part itself.
        prop["set"] = bool(text)
        if not text:
            continue
        if kind == "text":
            value = getattr(core_props, element) if part == CORE else text
        elif kind == "date":
            value = common._local_date(getattr(core_props, element, None))
        else:
            value = text.strip() if text.strip().isdigit() else None
            value = str(int(value)) if value else None
        if value is None:
            prop["unsupported"] = True
        else:
            prop["value"] = value
    return out


def _builtin_date(cell):
    """Whether the cell has a built-in format openpyxl does not know that
    xlrd's table of built-in formats calls a date (the East Asian ones)."""
    fmt_id = cell.style_array.numFmtId
    return (fmt_id not in BUILTIN_FORMATS
            and xlrd.formatting.std_format_code_types.get(fmt_id) == xlrd.formatting.FDT)


def undo_partial_unescaping(reader):
    """Shared strings as stored, so that cell_fields can unescape them.

    openpyxl 3.0 has the "_xHHHH_" unescaping but does not apply it; its
    reader only deletes "x005F_", after which an escaped "_x000D_" can no
    longer be told from a carriage return.
    """
    ct = reader.package.find(SHARED_STRINGS)
    if ct is not None:
        tag = "{%s}si" % SHEET_MAIN_NS
        with reader.archive.open(ct.PartName[1:]) as src:
            reader.shared_strings[:] = [Text.from_tree(node).content
                                        for _, node in iterparse(src) if node.tag == tag]


def cell_fields(cell, epoch):
    """The text the application shows for one openpyxl cell, as fields."""
    v, t = cell.value, cell.data_type
    if v is None or v == "":
        return {"value": ""}
    if t == "e":
        return {"error": v}
    if t == "b" or isinstance(v, bool):
        return {"value": "True" if v else "False"}
    if isinstance(v, str):
        return {"value": unescape(v)}
    datemode = 1 if epoch == MAC_EPOCH else 0
    if isinstance(v, (int, float)) and _builtin_date(cell):
        text = common.date_text(v, datemode)
        return {"value": text} if text else {"value": common.number_text(v),
                                              "unsupported": ["value"]}
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
        try:
            serial = to_excel(v, epoch)
        except (ValueError, OverflowError):
            return {"value": str(v), "unsupported": ["value"]}
        text = common.date_text(serial, datemode) if serial is not None else None
        if text is None:
            return {"value": str(v), "unsupported": ["value"]}
        return {"value": text}
    fields = {"value": common.number_text(v)}
    if common._looks_currency(cell.number_format or ""):
        fields["currency"] = True
    return fields


def sheet_cells(ws, epoch):
    cells = {}
    ws.reset_dimensions()  # the stored dimension may be wrong or missing
    for row in ws.iter_rows():
        for cell in row:
            if not hasattr(cell, "row") or cell.value is None:
                continue  # padding between the cells a row stores
            fields = cell_fields(cell, epoch)
            if fields.get("value") == "" and "error" not in fields:
                continue
            cells["R%dC%d" % (cell.row, cell.column)] = fields
    return cells


_ABSOLUTE_CORNER = re.compile(r"(\$[A-Za-z]+)?(\$[0-9]+)?")


def _absolute(ref):
    return all(side and _ABSOLUTE_CORNER.fullmatch(side) for side in ref.split(":"))


def name_entry(defn, sheet_names, worksheets, sheet_cells_of):
    """One defined name as mokuji-inspect shows it, from openpyxl's parse."""
    local = defn.name[len("_xlnm."):] if defn.name.startswith("_xlnm.") else defn.name
    entry = {"sheet": None}
    unsupported = []
    scope = defn.localSheetId
    if scope is None:
        entry["name"], entry["scope"] = local, "workbook"
    elif 0 <= scope < len(sheet_names):
        entry["name"] = common.sheet_prefix(sheet_names[scope]) + "!" + local
        entry["scope"] = sheet_names[scope]
    else:
        entry["name"], entry["scope"] = "*!" + local, None
        unsupported.append("presence")
    if defn.function or defn.vbProcedure or local.startswith("_xlfn."):
        unsupported += ["presence", "position", "value"]
    try:
        kind = defn.type
        dests = list(defn.destinations) if kind == "RANGE" else []
        external = defn.is_external
    except Exception:  # openpyxl's tokenizer gives up on some texts
        kind, dests, external = None, [], False
    if kind in ("NUMBER", "TEXT", "LOGICAL", "ERROR") or external:
        pass  # a constant, #REF! or another workbook: no range
    elif kind != "RANGE" or len(dests) != 1:
        unsupported += ["position", "value"]  # formulas, unions
    else:
        sheet, ref = dests[0]
        target = next((s for s in sheet_names if s.lower() == (sheet or "").lower()), None)
        try:
            min_col, min_row, max_col, max_row = range_boundaries(ref.replace("$", ""))
        except (ValueError, TypeError):
            target = None
        if target is None:
            pass  # a sheet that is not there: #REF!
        elif target not in worksheets or not _absolute(ref):
            # Chart or macro sheets; relative references, which the
            # application resolves against the active cell.
            unsupported += ["position", "value"]
        else:
            min_row, min_col = min_row or 1, min_col or 1
            max_row, max_col = max_row or MAX_ROW, max_col or MAX_COLUMN
            entry.update(sheet=target, row=min_row, column=min_col)
            if (max_row, max_col) != (min_row, min_col):
                entry["rows"] = max_row - min_row + 1
                entry["columns"] = max_col - min_col + 1
            else:
                found = sheet_cells_of(target)
                fields = {"unsupported": ["value"]} if found is None else dict(
                    found.get("R%dC%d" % (min_row, min_col), {"value": ""}))
                unsupported += fields.pop("unsupported", [])
                entry.update(fields)
    if unsupported:
        entry["unsupported"] = sorted(set(unsupported))
    return entry


def _sheet_error(entry, name, exc):
    entry.setdefault("sheet_errors", {})[name] = "%s: %s" % (type(exc).__name__, exc)


def read_worksheets(reader, entry):
    """{name: openpyxl's read-only worksheet, or None if it cannot read it}.

    A sheet openpyxl cannot read (a broken part) leaves the rest of the
    workbook to compare. Macro sheets are left out: openpyxl would read them
    as worksheets, the application gives them no cells.
    """
    worksheets = {}
    for sheet, rel in reader.parser.find_sheets():
        if rel.target not in reader.valid_files or not rel.Type.endswith("/worksheet"):
            continue
        try:
            worksheets[sheet.name] = ReadOnlyWorksheet(reader.wb, sheet.name, rel.target,
                                                       reader.shared_strings)
        except Exception as exc:
            worksheets[sheet.name] = None
            _sheet_error(entry, sheet.name, exc)
    return worksheets


def reference(path, cells=False):
    entry = {"file": os.path.basename(path), "error": None, "names": [], "properties": []}
    try:
        reader = ExcelReader(path, read_only=True, data_only=True, keep_links=False)
        # ExcelReader.read() but for moving print areas and titles onto their
        # sheets, which fails on those of macro sheets; the names are read
        # from the workbook part below.
        reader.read_manifest()
        reader.read_strings()
        reader.read_workbook()
        reader.read_theme()
        apply_stylesheet(reader.archive, reader.wb)
        undo_partial_unescaping(reader)
        wb = reader.wb
        worksheets = read_worksheets(reader, entry)
        # The name list as stored: openpyxl's own drops filter ranges, which
        # the application lists.
        package = WorkbookPackage.from_tree(
            fromstring(reader.archive.read(reader.parser.workbook_part_name)))
        sheet_names = [s.name for s in package.sheets]
        if not any(True for _ in reader.parser.find_sheets()):
            # Strict workbooks: openpyxl sees their sheets' names but not
            # where their parts are.
            raise ValueError("openpyxl finds no sheet parts")
    except Exception as exc:  # openpyxl raises many kinds on odd files
        entry["error"] = "openpyxl: %s: %s" % (type(exc).__name__, exc)
        entry["unsupported"] = True
        return entry
    epoch = wb.epoch
    read = {}

    def sheet_cells_of(name):
        if name not in read:
            try:
                read[name] = sheet_cells(worksheets[name], epoch) if worksheets[name] else None
            except Exception as exc:
                read[name] = None
                _sheet_error(entry, name, exc)
        return read[name]

    if cells:
        entry["sheets"] = [{"name": name, "cells": sheet_cells_of(name)} for name in worksheets
                           if sheet_cells_of(name) is not None]
    names = package.definedNames.definedName if package.definedNames else []
    entry["names"] = [name_entry(d, sheet_names, worksheets, sheet_cells_of) for d in names]
    try:
        entry["properties"] = read_properties(reader.archive)
    except Exception as exc:
        entry["properties"] = [{"index": i, "name": LABELS[i], "unsupported": True}
                               for i in range(1, 31)]
        entry["properties_error"] = "openpyxl: %s: %s" % (type(exc).__name__, exc)
    reader.archive.close()
    return entry


if __name__ == "__main__":
    sys.exit(common.main(sys.argv[1:], reference, __doc__))
