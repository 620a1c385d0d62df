#!/usr/bin/env python3
"""Writes the stress files that run_whole.py --stress times mokuji on.

  blank_grid.xls      a workbook whose one sheet is all blank cells, every
                      one of the 65,536 rows × 256 columns a BIFF8 sheet can
                      hold (MULBLANK records), about 34 MB
  tiny_records.xls    a workbook of small value records only (RK, NUMBER and
                      BOOLERR cells, 256 to a row), about 32 MB
  not_a_workbook.xls  1000 MiB of text
  tiny_list.xls       a workbook whose sheet holds, after its few cells,
                      8,000,000 records of four bytes (a header, no body) of
                      a kind no reader knows and every reader must carry
                      through unread, about 32 MB: made to be updated as a
                      list file (run_whole.py --cases tiny-list), and only
                      with --only

Both workbooks carry workbook-level names on a number and a text cell (and
the tiny one on a Boolean), so that either serves as a questionnaire whose
names give the list's columns.

The bytes are written here, compound file and records alike, with nothing
but the standard library: mokuji's own engine must not be the judge of
files meant to test it. Both workbooks were checked once by hand to open in
xlrd 1.2.0 (Debian's python3-xlrd: sheet size, cell values and names) and
to convert to CSV with LibreOffice 7.4 (soffice --headless --convert-to csv).

Usage: bench/make_stress.py FOLDER [--only NAME ...]
"""
import argparse
import os
import struct
import sys
import time

# Compound file: version 3, 512-byte sectors, as spreadsheet programs write
# workbooks of this size. A stream of 4096 bytes or more lives in the big
# sectors, so the mini stream is never needed here.
SECTOR = 512
FREESECT, ENDOFCHAIN, FATSECT, DIFSECT, NOSTREAM = (0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD,
                                                    0xFFFFFFFC, 0xFFFFFFFF)
HEADER_DIFAT = 109          # FAT sector numbers held by the header itself
PER_SECTOR = SECTOR // 4    # sector numbers in one FAT or DIFAT sector


def directory_entry(name, kind, child, start, size):
    """One 128-byte directory entry; kind 5 is the root, 2 a stream, 0 unused."""
    encoded = (name + "\0").encode("utf-16-le") if name else b""
    return (encoded.ljust(64, b"\0")
            + struct.pack("<HBBIII", len(encoded), kind, 1, NOSTREAM, NOSTREAM, child)
            + bytes(16 + 4 + 8 + 8)  # class id, state bits, creation and change times
            + struct.pack("<IQ", start, size))


def write_compound_file(path, stream_name, stream):
    """Writes a compound file holding one stream next to the root."""
    data_sectors = -(-len(stream) // SECTOR)
    dir_sectors = 1  # the root, the stream and two unused entries
    fat_sectors = difat_sectors = 0
    # The FAT must also map its own sectors and those of the DIFAT: grow both
    # until they cover everything.
    while True:
        total = data_sectors + dir_sectors + fat_sectors + difat_sectors
        need_fat = -(-total // PER_SECTOR)
        need_difat = max(0, -(-(need_fat - HEADER_DIFAT) // (PER_SECTOR - 1)))
        if (need_fat, need_difat) == (fat_sectors, difat_sectors):
            break
        fat_sectors, difat_sectors = need_fat, need_difat
    dir_start = data_sectors
    fat_start = dir_start + dir_sectors
    difat_start = fat_start + fat_sectors
    total = difat_start + difat_sectors

    fat = list(range(1, data_sectors)) + [ENDOFCHAIN]
    fat += [ENDOFCHAIN] * dir_sectors
    fat += [FATSECT] * fat_sectors + [DIFSECT] * difat_sectors
    fat += [FREESECT] * (fat_sectors * PER_SECTOR - len(fat))

    fat_locations = list(range(fat_start, fat_start + fat_sectors))
    header_difat = fat_locations[:HEADER_DIFAT]
    header_difat += [FREESECT] * (HEADER_DIFAT - len(header_difat))
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16)
              + struct.pack("<HHHHH", 0x003E, 3, 0xFFFE, 9, 6) + bytes(6)
              + struct.pack("<IIIIIIIII", 0, fat_sectors, dir_start, 0, 4096, ENDOFCHAIN, 0,
                            difat_start if difat_sectors else ENDOFCHAIN, difat_sectors)
              + struct.pack("<109I", *header_difat))
    assert len(header) == SECTOR

    directory = (directory_entry("Root Entry", 5, 1, ENDOFCHAIN, 0)
                 + directory_entry(stream_name, 2, NOSTREAM, 0, len(stream))
                 + directory_entry("", 0, NOSTREAM, 0, 0) * 2)

    difat = b""
    rest = fat_locations[HEADER_DIFAT:]
    for i in range(difat_sectors):
        chunk = rest[i * (PER_SECTOR - 1):(i + 1) * (PER_SECTOR - 1)]
        chunk += [FREESECT] * (PER_SECTOR - 1 - len(chunk))
        following = difat_start + i + 1 if i + 1 < difat_sectors else ENDOFCHAIN
        difat += struct.pack("<%dI" % PER_SECTOR, *(chunk + [following]))

    with open(path, "wb") as out:
        out.write(header)
        out.write(stream)
        out.write(bytes(data_sectors * SECTOR - len(stream)))
        out.write(directory)
        out.write(struct.pack("<%dI" % len(fat), *fat))
        out.write(difat)
    assert os.path.getsize(path) == SECTOR * (1 + total)


# BIFF8 record types
BOF, EOF, CODEPAGE, WINDOW1, DATEMODE = 0x0809, 0x000A, 0x0042, 0x003D, 0x0022
FONT, XF, STYLE, BOUNDSHEET, SUPBOOK, EXTERNSHEET, NAME = (0x0031, 0x00E0, 0x0293, 0x0085,
                                                          0x01AE, 0x0017, 0x0018)
SST, EXTSST, INDEX, DEFAULTROWHEIGHT, DEFCOLWIDTH, DIMENSIONS = (0x00FC, 0x00FF, 0x020B, 0x0225,
                                                                0x0055, 0x0200)
ROW, DBCELL, WINDOW2 = 0x0208, 0x00D7, 0x023E
NUMBER, LABELSST, RK, BOOLERR, MULBLANK = 0x0203, 0x00FD, 0x027E, 0x0205, 0x00BE

ROWS, COLUMNS = 65536, 256   # the most a BIFF8 sheet holds
ROWS_PER_BLOCK = 32          # rows that one DBCELL indexes
CELL_XF = 15                 # the default cell format, after the 15 style formats
MAX_RECORD = 8224


def record(kind, body=b""):
    assert len(body) <= MAX_RECORD, (hex(kind), len(body))
    return struct.pack("<HH", kind, len(body)) + body


def unicode_string(text, length_bytes=2):
    """A BIFF8 string of UTF-16 units: length, flags 1 (two bytes a unit), units."""
    units = text.encode("utf-16-le")
    return struct.pack("<HB" if length_bytes == 2 else "<BB", len(units) // 2, 1) + units


def style_xf(parent_style):
    # Locked; a style format has parent 0xFFF, a cell format its style's index.
    kind = 0xFFF5 if parent_style else 0x0001
    used = 0xF4 if parent_style else 0xF8
    return record(XF, struct.pack("<HHHBBBBIIH", 0, 0, kind, 0x20, 0, 0, used, 0, 0, 0x20C0))


def workbook_globals(sheet_name, names, strings, sheet_offset):
    """The workbook globals; names are (name, row, column) on sheet 0."""
    out = [record(BOF, struct.pack("<HHHHII", 0x0600, 0x0005, 0x0DBB, 0x07CC, 0x41, 0x06)),
           record(CODEPAGE, struct.pack("<H", 1200)),
           record(WINDOW1, struct.pack("<HHHHHHHHH", 0, 0, 0x4000, 0x2000, 0x38, 0, 0, 1, 600)),
           record(DATEMODE, struct.pack("<H", 0))]
    # Four fonts: font index 4 does not exist in BIFF, so four are the usual.
    font = record(FONT, struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0)
                  + unicode_string("Arial", 1))
    out += [font] * 4
    out += [style_xf(True)] * 15 + [style_xf(False)]
    out.append(record(STYLE, struct.pack("<HBB", 0x8000, 0, 0xFF)))  # Normal
    out.append(record(BOUNDSHEET, struct.pack("<IBB", sheet_offset, 0, 0)
                      + unicode_string(sheet_name, 1)))
    # Names refer to cells through the internal book's one sheet.
    out.append(record(SUPBOOK, struct.pack("<HH", 1, 0x0401)))
    out.append(record(EXTERNSHEET, struct.pack("<HHHH", 1, 0, 0, 0)))
    for name, row, col in names:
        units = name.encode("utf-16-le")
        formula = struct.pack("<BHHH", 0x3A, 0, row, col)  # PtgRef3d, absolute
        out.append(record(NAME, struct.pack("<HBBHHHBBBB", 0, 0, len(units) // 2, len(formula),
                                            0, 0, 0, 0, 0, 0)
                          + b"\x01" + units + formula))
    sst_body = struct.pack("<II", len(strings), len(strings))
    offsets = []
    for s in strings:
        offsets.append(4 + len(sst_body))
        sst_body += unicode_string(s)
    sst_start = sum(map(len, out))
    out.append(record(SST, sst_body))
    # One bucket of up to 8 strings: where the first of them starts.
    out.append(record(EXTSST, struct.pack("<H", 8)
                      + b"".join(struct.pack("<IHH", sst_start + offsets[i], offsets[i], 0)
                                 for i in range(0, len(strings), 8))))
    out.append(record(EOF))
    return b"".join(out)


def worksheet(rows, start, tail=b""):
    """The sheet's substream, for a stream position start of its BOF; rows
    are (row, first column, last column + 1, [cell records in column order]);
    tail, records that follow the cells."""
    blocks = [rows[i:i + ROWS_PER_BLOCK] for i in range(0, len(rows), ROWS_PER_BLOCK)]
    first_row, last_row = rows[0][0], rows[-1][0] + 1
    first_col = min(r[1] for r in rows)
    last_col = max(r[2] for r in rows)
    bof = record(BOF, struct.pack("<HHHHII", 0x0600, 0x0010, 0x0DBB, 0x07CC, 0x41, 0x06))
    index_size = 4 + 16 + 4 * len(blocks)
    head = [record(DEFAULTROWHEIGHT, struct.pack("<HH", 0, 0xFF)),
            record(DEFCOLWIDTH, struct.pack("<H", 8))]
    defcolwidth_at = start + len(bof) + index_size + len(head[0])
    head.append(record(DIMENSIONS, struct.pack("<IIHHH", first_row, last_row, first_col,
                                               last_col, 0)))
    pos = start + len(bof) + index_size + sum(map(len, head))
    body, dbcells = [], []
    for block in blocks:
        row_records = b"".join(
            record(ROW, struct.pack("<HHHHHHHH", r, c0, c1, 0xFF, 0, 0, 0x0100, CELL_XF))
            for r, c0, c1, _ in block)
        block_start = pos
        body.append(row_records)
        pos += len(row_records)
        # From the second ROW record to the first row's cells, then from
        # each row's first cell to the next row's.
        steps = [len(row_records) - 20]
        for _, _, _, cells in block:
            cells = b"".join(cells)
            body.append(cells)
            pos += len(cells)
            steps.append(len(cells))
        dbcells.append(pos)
        dbcell = record(DBCELL, struct.pack("<I", pos - block_start)
                        + struct.pack("<%dH" % len(block), *steps[:-1]))
        body.append(dbcell)
        pos += len(dbcell)
    index = record(INDEX, struct.pack("<IIII", 0, first_row, last_row, defcolwidth_at)
                   + struct.pack("<%dI" % len(dbcells), *dbcells))
    assert len(index) == index_size
    window2 = record(WINDOW2, struct.pack("<HHHHHHHHH", 0x06B6, 0, 0, 0x40, 0, 0, 0, 0, 0))
    return b"".join([bof, index] + head + body + [tail, window2, record(EOF)])


def workbook_stream(rows, names, strings, tail=b""):
    glob = workbook_globals("回答票", names, strings, 0)
    # The sheet's position only changes a number, never the globals' size.
    glob = workbook_globals("回答票", names, strings, len(glob))
    return glob + worksheet(rows, len(glob), tail)


def blank_grid():
    """Every cell blank but the two named ones at the top left."""
    strings = ["ストレス 太郎"]
    names = [("回答者名", 0, 1), ("点数", 0, 0)]
    rows = []
    full = struct.pack("<%dH" % COLUMNS, *[CELL_XF] * COLUMNS)
    for r in range(ROWS):
        if r == 0:
            cells = [record(NUMBER, struct.pack("<HHHd", 0, 0, CELL_XF, 42.0)),
                     record(LABELSST, struct.pack("<HHHI", 0, 1, CELL_XF, 0)),
                     record(MULBLANK, struct.pack("<HH", 0, 2) + full[4:]
                            + struct.pack("<H", COLUMNS - 1))]
        else:
            cells = [record(MULBLANK, struct.pack("<HH", r, 0) + full
                            + struct.pack("<H", COLUMNS - 1))]
        rows.append((r, 0, COLUMNS, cells))
    return workbook_stream(rows, names, strings)


def rk_value(i):
    """Integers, hundredths and halves: the three RK encodings in turn."""
    k = i % 3
    if k == 0:
        return (i << 2) | 2                  # an integer
    if k == 1:
        return ((i * 7 + 1) << 2) | 3        # an integer / 100
    # Few enough bits that the lower 34 bits of the double are zero.
    high = struct.unpack("<Q", struct.pack("<d", i % 4096 + 0.5))[0] >> 32
    return high & 0xFFFFFFFC                 # the upper 30 bits of a double


def tiny_records(size):
    """Rows of RK, NUMBER and BOOLERR cells until the stream is about size."""
    strings = ["小さな記録"]
    names = [("回答者名", 0, 1), ("点数", 0, 0), ("確認", 0, 2)]
    rows = []
    per_row = 0
    r = 0
    while r < ROWS and (per_row == 0 or r * per_row < size):
        cells = []
        for c in range(COLUMNS):
            if r == 0 and c < 3:
                cells.append([record(NUMBER, struct.pack("<HHHd", 0, 0, CELL_XF, 42.0)),
                              record(LABELSST, struct.pack("<HHHI", 0, 1, CELL_XF, 0)),
                              record(BOOLERR, struct.pack("<HHHBB", 0, 2, CELL_XF, 1, 0))][c])
                continue
            k = (r + c) % 8
            if k < 5:
                cells.append(record(RK, struct.pack("<HHHI", r, c, CELL_XF, rk_value(r * c))))
            elif k < 7:
                cells.append(record(NUMBER, struct.pack("<HHHd", r, c, CELL_XF, r / (c + 1))))
            else:
                # A Boolean or one of the error values #NULL!, #DIV/0! and #N/A.
                err = (r + c) % 4
                value = (0x00, 0x07, 0x2A)[err - 1] if err else (r & 1)
                cells.append(record(BOOLERR, struct.pack("<HHHBB", r, c, CELL_XF, value,
                                                         1 if err else 0)))
        if per_row == 0:
            per_row = sum(map(len, cells)) + 20  # with its ROW record
        rows.append((r, 0, COLUMNS, cells))
        r += 1
    return workbook_stream(rows, names, strings)


# Not assigned to any record in BIFF8: readers skip it, writers that keep
# what they do not know copy it back.
UNKNOWN = 0x01F0


def tiny_list(count=8000 * 1000):
    """The two named cells, then count records that are nothing but a header."""
    strings = ["小さな記録"]
    names = [("回答者名", 0, 1), ("点数", 0, 0)]
    rows = [(0, 0, 2, [record(NUMBER, struct.pack("<HHHd", 0, 0, CELL_XF, 42.0)),
                       record(LABELSST, struct.pack("<HHHI", 0, 1, CELL_XF, 0))])]
    return workbook_stream(rows, names, strings, record(UNKNOWN) * count)


def not_a_workbook(path, mib=1000):
    """Lines of text, written a mebibyte at a time."""
    line = "This file is plain text and no workbook at all; its name only says .xls.\n"
    chunk = (line * (1024 * 1024 // len(line) + 1))[:1024 * 1024].encode("ascii")
    with open(path, "wb") as out:
        for _ in range(mib):
            out.write(chunk)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("folder")
    ap.add_argument("--only", nargs="+",
                    choices=["blank_grid", "tiny_records", "not_a_workbook", "tiny_list"])
    args = ap.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    for name in args.only or ["blank_grid", "tiny_records", "not_a_workbook"]:
        t0 = time.perf_counter()
        path = os.path.join(args.folder, name + ".xls")
        if name == "blank_grid":
            write_compound_file(path, "Workbook", blank_grid())
        elif name == "tiny_records":
            write_compound_file(path, "Workbook", tiny_records(32 * 1000 * 1000))
        elif name == "tiny_list":
            write_compound_file(path, "Workbook", tiny_list())
        else:
            not_a_workbook(path)
        print("%s: %.1f MiB in %.1f s" % (path, os.path.getsize(path) / 2**20,
                                          time.perf_counter() - t0), file=sys.stderr)


if __name__ == "__main__":
    main()
