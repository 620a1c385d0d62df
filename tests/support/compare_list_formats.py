#!/usr/bin/python3
"""Whether a list written as .xlsx reads as its .xls twin does.

    compare_list_formats.py LIST.xls LIST.xlsx

xlrd reads the .xls, openpyxl the .xlsx; for every sheet the values and
their types, number formats, fills, borders, fonts, hidden rows, column
widths and links, and the workbook's names, are compared. Prints "same", or
each difference on a line of its own.
"""

import sys
from urllib.parse import unquote

import openpyxl
import xlrd

BORDER_NAMES = {0: None, 1: "thin", 2: "medium", 3: "dashed", 4: "dotted", 5: "thick",
                6: "double", 7: "hair"}


def main(xls_path, xlsx_path):
    old = xlrd.open_workbook(xls_path, formatting_info=True)
    new = openpyxl.load_workbook(xlsx_path)
    out = []
    if old.sheet_names() != new.sheetnames:
        out.append("sheets %r / %r" % (old.sheet_names(), new.sheetnames))
    for index, name in enumerate(old.sheet_names()):
        if name not in new.sheetnames:
            continue
        xs, ws = old.sheet_by_index(index), new[name]
        for r in range(xs.nrows):
            hidden = bool(xs.rowinfo_map.get(r) and xs.rowinfo_map[r].hidden)
            if hidden != bool(ws.row_dimensions[r + 1].hidden):
                out.append("%s row %d hidden %s / %s" % (name, r + 1, hidden,
                                                          ws.row_dimensions[r + 1].hidden))
            for c in range(xs.ncols):
                compare_cell(old, xs, ws, r, c, out)
        widths = {}
        for dimension in ws.column_dimensions.values():
            for c in range(dimension.min or 0, (dimension.max or 0) + 1):
                widths[c] = dimension.width
        for c, info in xs.colinfo_map.items():
            width = widths.get(c + 1)
            if abs(info.width / 256.0 - (width or 0)) > 0.01:
                out.append("%s column %d width %s / %s" % (name, c + 1, info.width / 256.0, width))
        # A link is the file it leads to: a relative URL's escapes decoded,
        # a file link's folders parted by "/".
        old_links = {(h.frowx, h.fcolx): unquote(h.url_or_path.replace("\\", "/"))
                     for h in xs.hyperlink_list}
        new_links = {(c.row - 1, c.column - 1): unquote(c.hyperlink.target)
                     for row in ws.iter_rows() for c in row if c.hyperlink}
        if old_links != new_links:
            out.append("%s links %r / %r" % (name, sorted(old_links.items())[:3],
                                              sorted(new_links.items())[:3]))
    old_names = {}
    for n in old.name_obj_list:
        sheet, rlo, _, clo, _ = n.area2d()
        old_names[n.name] = (sheet.name, rlo, clo)
    new_names = {}
    for n in new.defined_names.definedName:
        for sheet, ref in n.destinations:
            col, row = openpyxl.utils.cell.coordinate_from_string(ref.replace("$", "").split(":")[0])
            new_names[n.name] = (sheet, row - 1, openpyxl.utils.column_index_from_string(col) - 1)
    if old_names != new_names:
        out.append("names %r / %r" % (old_names, new_names))
    print("\n".join(out) if out else "same")


def compare_cell(book, xs, ws, r, c, out):
    cell = xs.cell(r, c)
    new = ws.cell(r + 1, c + 1)
    where = "%s!%s" % (xs.name, new.coordinate)
    xf = book.xf_list[cell.xf_index]
    fmt = book.format_map[xf.format_key].format_str
    value = new.value
    if cell.ctype == xlrd.XL_CELL_DATE:
        value = openpyxl.utils.datetime.to_excel(value) if value is not None else None
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        expected = None
    elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
        expected = bool(cell.value)
    elif cell.ctype == xlrd.XL_CELL_ERROR:
        expected = xlrd.error_text_from_code[cell.value]
    else:
        expected = cell.value
    if expected != value or (cell.ctype == xlrd.XL_CELL_TEXT) != isinstance(value, str):
        out.append("%s value %r / %r" % (where, expected, value))
    # A built-in format is the same format by its number, whatever text
    # each reader gives it.
    new_id = new._style.numFmtId if new._style is not None else 0
    same_builtin = xf.format_key < 164 and xf.format_key == new_id
    if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE) and fmt != new.number_format \
            and not same_builtin:
        out.append("%s format %r / %r" % (where, fmt, new.number_format))
    font = book.font_list[xf.font_index]
    if font.name != new.font.name or abs(font.height / 20.0 - new.font.sz) > 0.01 \
            or bool(font.bold) != bool(new.font.b):
        out.append("%s font %s %s / %s %s" % (where, font.name, font.height / 20.0,
                                               new.font.name, new.font.sz))
    back = xf.background
    if back.fill_pattern:
        if new.fill.patternType is None or new.fill.fgColor.indexed != back.pattern_colour_index:
            out.append("%s fill %s / %s" % (where, back.pattern_colour_index,
                                             new.fill.fgColor.indexed))
    elif new.fill.patternType not in (None, "none"):
        out.append("%s fill none / %s" % (where, new.fill.patternType))
    for side in ("left", "right", "top", "bottom"):
        old_style = BORDER_NAMES.get(getattr(xf.border, side + "_line_style"), "other")
        new_style = getattr(new.border, side).style
        if old_style != new_style:
            out.append("%s border %s %s / %s" % (where, side, old_style, new_style))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
