#!/usr/bin/env python3
"""Second opinion on what mokuji-inspect should print, from xlrd and olefile.

Prints one JSON array shaped like mokuji-inspect's output. Whatever these
readers cannot settle is marked instead of guessed, so the comparer can skip
it:
  - a name's "unsupported" list holds "presence" (the application's Names
    collection may or may not list it), "position" (sheet/row/column
    unknown) or "value" (the cell text is not predictable from here);
  - a property's "unsupported": true means olefile cannot read it faithfully;
  - a file's "unsupported": true means xlrd could not open it at all.
A single-cell value that may be formatted as currency carries "currency":
true, because the application then rounds it to four decimals.

With --cells each file also gets "sheets": the worksheets xlrd reads, in
order, each with "cells": {"R1C1": fields} for every cell that is not empty,
fields shaped like a single-cell name's (value or error, currency,
unsupported).

Usage: xlrd_reference.py [--cells] FILE...   (set TZ=Asia/Tokyo for the dates)
"""

import datetime
import json
import os
import re
import sys

import olefile
import xlrd
from xlrd import formula as xf

# The property table of the automation interface, index -> (stream, property
# id, kind, label). The labels only make the output readable; the comparer
# matches by index.
SI = "\x05SummaryInformation"
DSI = "\x05DocumentSummaryInformation"
PROPERTIES = [
    (1, SI, 2, "text", "タイトル"),
    (2, SI, 3, "text", "サブタイトル"),
    (3, SI, 4, "text", "作成者"),
    (4, SI, 5, "text", "キーワード"),
    (5, SI, 6, "text", "コメント"),
    (6, SI, 7, "text", "テンプレート"),
    (7, SI, 8, "text", "更新者"),
    (8, SI, 9, "text", "改訂番号"),
    (9, SI, 18, "text", "アプリケーション名"),
    (10, SI, 11, "date", "印刷日時"),
    (11, SI, 12, "date", "作成日時"),
    (12, SI, 13, "date", "更新日時"),
    # olefile hands back the editing time as raw seconds; how the automation
    # interface renders a duration is not something it can tell us.
    (13, SI, 10, None, "編集時間"),
    (14, SI, 14, "count", "ページ数"),
    (15, SI, 15, "count", "単語数"),
    (16, SI, 16, "count", "文字数"),
    (17, SI, 19, "count", "セキュリティ"),
    (18, DSI, 2, "text", "分類"),
    (19, DSI, 3, "text", "形式"),
    (20, DSI, 14, "text", "管理者"),
    (21, DSI, 15, "text", "会社名"),
    (22, DSI, 4, "count", "バイト数"),
    (23, DSI, 5, "count", "行数"),
    (24, DSI, 6, "count", "段落数"),
    (25, DSI, 7, "count", "スライド数"),
    (26, DSI, 8, "count", "ノート数"),
    (27, DSI, 9, "count", "非表示スライド数"),
    (28, DSI, 10, "count", "マルチメディア クリップ数"),
    # The hyperlink base lives in the user-defined section, which olefile
    # does not read.
    (29, DSI, None, None, "ハイパーリンクの基点"),
    (30, DSI, 17, "count", "文字数 (スペースを含む)"),
]
PROPERTY_TYPE = {"text": 4, "date": 3, "count": 1}

# Code pages as the property streams name them; olefile leaves 8-bit
# strings undecoded.
CODEPAGES = {932: "cp932", 1252: "cp1252", 1251: "cp1251", 1250: "cp1250",
             1253: "cp1253", 1254: "cp1254", 936: "gbk", 949: "cp949",
             950: "cp950", 10000: "mac_roman", 65001: "utf-8", 437: "cp437",
             850: "cp850", 874: "cp874", 1255: "cp1255", 1256: "cp1256",
             1257: "cp1257", 1258: "cp1258"}

# Characters that make the application quote a sheet name in "Sheet!name".
# Its exact rule is not known here, so the comparer ignores quoting; this
# only keeps the output close to what it would print.
_PLAIN_SHEET = re.compile(r"^[^\s!'\"()\[\]{}<>,;:+\-*/=&^%~@#$|\\?]+$")


def sheet_prefix(sheet):
    if _PLAIN_SHEET.match(sheet) and not sheet[0].isdigit():
        return sheet
    return "'" + sheet.replace("'", "''") + "'"


def number_text(v):
    # %.15G is what the automation interface gives for a double in text.
    if v == 0:
        return "0"
    return "%.15G" % v


def _looks_currency(fmt):
    # A currency format makes the application hand out a Currency value
    # (four decimals). Its test is internal, so any currency sign counts.
    return any(c in fmt for c in "¥$€£\\") or "[$" in fmt


def date_text(serial, datemode):
    """Text for a date-formatted number, or None when it is not settled."""
    if serial < 0 or serial >= 2958466:
        return None
    days = int(serial)
    frac = serial - days
    secs = int(round(frac * 86400.0))
    if secs >= 86400 or (frac > 0 and secs == 0):
        # Rounding crosses a second or day boundary; the application's own
        # rounding there is not known.
        return None
    if datemode == 1:
        if days == 0 and frac > 0:
            return None  # a bare time in the 1904 system: unclear rendering
        date = datetime.date(1904, 1, 1) + datetime.timedelta(days=days)
    else:
        if days == 0:
            if frac == 0:
                return None  # serial 0 is "1900/01/00" to the application
            date = None
        elif days == 60:
            return None  # 1900/02/29 exists only in the application
        elif days < 60:
            date = datetime.date(1899, 12, 31) + datetime.timedelta(days=days)
        else:
            date = datetime.date(1899, 12, 30) + datetime.timedelta(days=days)
    parts = []
    if date is not None:
        parts.append("%d/%02d/%02d" % (date.year, date.month, date.day))
    if secs or date is None:
        parts.append("%d:%02d:%02d" % (secs // 3600, secs // 60 % 60, secs % 60))
    return " ".join(parts)


def cell_entry(book, sheet, rowx, colx):
    """The value part of a single-cell name: (fields, unsupported list)."""
    if rowx >= sheet.nrows or colx >= sheet.row_len(rowx):
        return {"value": ""}, []
    cell = sheet.cell(rowx, colx)
    t = cell.ctype
    if t in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        return {"value": ""}, []
    if t == xlrd.XL_CELL_TEXT:
        return {"value": cell.value}, []
    if t == xlrd.XL_CELL_BOOLEAN:
        return {"value": "True" if cell.value else "False"}, []
    if t == xlrd.XL_CELL_ERROR:
        return {"error": xlrd.error_text_from_code.get(cell.value, "#?")}, []
    if t == xlrd.XL_CELL_DATE:
        text = date_text(cell.value, book.datemode)
        if text is None:
            return {"value": number_text(cell.value)}, ["value"]
        return {"value": text}, []
    if t == xlrd.XL_CELL_NUMBER:
        fields = {"value": number_text(cell.value)}
        fmt = _format_of(book, cell)
        if fmt is None or _looks_currency(fmt):
            fields["currency"] = True
        return fields, []
    return {}, ["value"]


def _format_of(book, cell):
    try:
        xf_rec = book.xf_list[cell.xf_index]
        return book.format_map[xf_rec.format_key].format_str
    except (AttributeError, IndexError, KeyError, TypeError):
        return None


def sheet_cells(book, sheet):
    """{"R<row>C<col>": fields} for the cells of sheet that are not empty.

    A text cell holding "" counts as empty: the application shows nothing
    there either.
    """
    cells = {}
    for rowx in range(sheet.nrows):
        for colx in range(sheet.row_len(rowx)):
            fields, unsupported = cell_entry(book, sheet, rowx, colx)
            if fields.get("value") == "" and "error" not in fields and not unsupported:
                continue
            if unsupported:
                fields["unsupported"] = unsupported
            cells["R%dC%d" % (rowx + 1, colx + 1)] = fields
    return cells


def name_entry(book, nobj):
    names = book.sheet_names()
    unsupported = []
    entry = {}
    if nobj.scope == -1:
        entry["name"] = nobj.name
        entry["scope"] = "workbook"
    elif nobj.scope is not None and 0 <= nobj.scope < len(names):
        entry["name"] = sheet_prefix(names[nobj.scope]) + "!" + nobj.name
        entry["scope"] = names[nobj.scope]
    else:
        # Local to a chart, macro or dialog sheet whose name xlrd drops, or
        # an index that leads nowhere.
        entry["name"] = "*!" + nobj.name
        entry["scope"] = None
        unsupported.append("presence")
    if (nobj.macro or nobj.func or nobj.binary or nobj.name.startswith("_xlfn.")
            or nobj.name == "??Unknown??"):
        # Macro, function and placeholder names: whether the Names
        # collection lists them is not settled here.
        if "presence" not in unsupported:
            unsupported.append("presence")
    res = nobj.result
    entry["sheet"] = None
    if res is None or nobj.macro or nobj.binary:
        unsupported += ["position", "value"]
    elif res.kind in (xf.oNUM, xf.oSTRG, xf.oBOOL, xf.oERR):
        pass  # a constant or #REF!: refers to no range
    elif res.kind == xf.oREF and res.value and len(res.value) == 1:
        shlo, shhi, rlo, rhi, clo, chi = res.value[0].coords
        if 0 <= shlo and shhi == shlo + 1 and rhi > rlo and chi > clo:
            entry["sheet"] = names[shlo]
            entry["row"] = rlo + 1
            entry["column"] = clo + 1
            if rhi - rlo > 1 or chi - clo > 1:
                entry["rows"] = rhi - rlo
                entry["columns"] = chi - clo
            else:
                fields, unsup = cell_entry(book, book.sheet_by_index(shlo), rlo, clo)
                entry.update(fields)
                unsupported += unsup
        elif shlo in (-2, -4):
            pass  # deleted sheet (#REF!) or another workbook
        else:
            # Across several sheets, a macro sheet, or what xlrd flags as
            # inconsistent: no single range to compare.
            unsupported += ["position", "value"]
    else:
        # Unions, relative references, formulas xlrd does not evaluate.
        unsupported += ["position", "value"]
    if unsupported:
        entry["unsupported"] = sorted(set(unsupported))
    return entry


def _safe_name_entry(book, nobj):
    try:
        return name_entry(book, nobj)
    except Exception:
        # xlrd's view of this name is inconsistent; keep it out of the check.
        return {"name": "*!" + str(nobj.name), "scope": None, "sheet": None,
                "unsupported": ["position", "presence", "value"]}


def _decode(raw, codepage):
    # The terminating zero counts in the stored length; olefile keeps it for
    # UTF-16 strings.
    if isinstance(raw, str):
        return raw.rstrip("\x00")
    if codepage is not None:
        codepage &= 0xFFFF  # stored as a signed 16-bit value: 65001 is -535
    if codepage == 1200:
        return None  # olefile strips the zero bytes of UTF-16 text
    enc = CODEPAGES.get(codepage, "cp1252" if codepage is None else None)
    if enc is None:
        return None
    try:
        return raw.decode(enc)
    except UnicodeDecodeError:
        return None


def _local_date(value):
    if not isinstance(value, datetime.datetime) or value.year < 1980:
        return None  # zero or absurd FILETIMEs: rendering not settled
    local = value.replace(tzinfo=datetime.timezone.utc).astimezone()
    return "%04d/%02d/%02d" % (local.year, local.month, local.day)


def read_properties(path):
    streams = {}
    ole = olefile.OleFileIO(path)
    try:
        for stream in (SI, DSI):
            if ole.exists(stream):
                streams[stream] = ole.getproperties(stream, convert_time=True,
                                                    no_conversion=[10])
    finally:
        ole.close()
    out = []
    for index, stream, pid, kind, label in PROPERTIES:
        prop = {"index": index, "name": label}
        props = streams.get(stream, {})
        if kind is None or pid is None:
            prop["unsupported"] = True
        elif pid not in props:
            prop["set"] = False
        else:
            raw = props[pid]
            prop["set"] = True
            prop["type"] = PROPERTY_TYPE[kind]
            if kind == "text":
                value = _decode(raw, props.get(1)) if isinstance(raw, (bytes, str)) else None
            elif kind == "date":
                value = _local_date(raw)
            else:
                value = str(raw) if isinstance(raw, int) and not isinstance(raw, bool) else None
            if value is None:
                prop["unsupported"] = True
            else:
                prop["value"] = value
        out.append(prop)
    return out


def reference(path, cells=False):
    entry = {"file": os.path.basename(path), "error": None, "names": [],
             "properties": []}
    try:
        try:
            book = xlrd.open_workbook(path, formatting_info=True,
                                      logfile=open(os.devnull, "w"))
        except NotImplementedError:
            book = xlrd.open_workbook(path, logfile=open(os.devnull, "w"))
    except Exception as exc:  # xlrd raises many kinds on odd files
        entry["error"] = "xlrd: %s: %s" % (type(exc).__name__, exc)
        entry["unsupported"] = True
        return entry
    entry["biff_version"] = book.biff_version
    entry["names"] = [_safe_name_entry(book, n) for n in book.name_obj_list]
    if cells:
        # xlrd keeps worksheets only: chart, macro and module sheets are
        # absent here, not empty.
        entry["sheets"] = [{"name": sh.name, "cells": sheet_cells(book, sh)}
                           for sh in book.sheets()]
    try:
        entry["properties"] = read_properties(path)
    except Exception as exc:
        entry["properties"] = [{"index": i, "name": p[4], "unsupported": True}
                               for i, p in enumerate(PROPERTIES, 1)]
        entry["properties_error"] = "olefile: %s: %s" % (type(exc).__name__, exc)
    return entry


def main(argv, describe=None, usage=__doc__):
    """The command line of a reference script: [--cells] FILE..., each
    file described by describe(path, cells) (this module's reference)."""
    describe = describe or reference
    cells = bool(argv) and argv[0] == "--cells"
    if cells:
        argv = argv[1:]
    if not argv:
        print(usage, file=sys.stderr)
        return 2
    print(json.dumps([describe(p, cells) for p in argv], ensure_ascii=False, indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
