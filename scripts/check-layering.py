#!/usr/bin/python3
"""Keeps the includes between the folders of mokuji pointing one way.

Each folder of src/ is a library; tools/ and bench/ use them. LAYERS below
orders them bottom-up, and a file may include a header of its own folder or
of a folder below it, never above. The includes that point up today are
listed in KNOWN, each with why it is there; the check fails on any other
include that points up, and on a KNOWN one that is gone, so that the list
only shrinks.

    scripts/check-layering.py          check (status 1 on a failure)
    scripts/check-layering.py --list   the includes between folders, counted
"""
import argparse
import collections
import os
import re
import subprocess
import sys

# Bottom-up. The engine's layers first, as their libraries link; the object
# model's interface sits below the engine's object model, which implements
# it. Then the tool side: the run (engine) below the desktop it reports to
# (platform), the front ends above both, the programs on top.
LAYERS = [
    "src/native/calendar",  # civil days, OLE dates, the 1900 and 1904 date systems
    "src/native/text",  # UTF-16, code pages, ASCII case, hex: shared with the tool side
    "src/native/io",  # bounds-checked bytes
    "src/native/cfb",  # the compound file
    "src/native/propset",  # document property streams
    "src/native/biff",  # records and the read model, the one table of record ids
    "src/native/crypto",  # workbooks enciphered with the default password
    "src/native/format",  # number formats
    "src/native/formula",  # name formulas, cell references
    "src/native/book",  # the editable workbook and its writer
    "src/native/input",  # typed cell entries
    "src/native/zip",  # the zip container of .xlsx workbooks
    "src/native/xml",  # XML parts as events
    "src/native/xlsx",  # zip-based workbooks in the binary model's terms
    "src/native/xlsx_writer",  # the binary model's workbook as SpreadsheetML parts
    "src/native/xlsx_update",  # a zip-based workbook edited in the model, saved part by part
    "src/automation",  # the spreadsheet object model's interface
    "src/automation/native",  # its backend over the engine
    "src/os",  # files, shell, paths
    "src/os/win32",  # Windows' file system and shell
    "src/automation/com",  # the object model's backend over the spreadsheet application
    "src/ui",  # the texts the program shows, in the user's language
    "src/dialogs",  # the common dialog wrapper over the system's dialogs
    "src/view",  # what a run needs of whatever shows it
    "src/list_file",  # the list file's format: its columns read, its rows written
    "src/run",  # a run: the folder gathered, the rows read, the list written
    "src/window",  # the main window's logic, whichever front end draws it
    "src/console",  # the front end without a window
    "src/qt",  # the Qt window and dialogs
    "src/win32",  # the Win32 window and dialogs
    "src/app",  # the programs
    "tools",  # mokuji-inspect
    "bench",  # benchmarks
]

# Includes that point up today, as (including file, included header): why.
KNOWN = {
}

SOURCE = re.compile(r"\.(c|cc|cpp|cxx|h|hh|hpp|hxx|rc)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
# Quoted includes are found beside the including file, then here (the
# include folder every library of src/ exports).
INCLUDE_ROOT = "src"


def folder_of(path, rank):
    """The deepest folder of LAYERS that holds path, or None."""
    directory = os.path.dirname(path)
    while directory:
        if directory in rank:
            return directory
        directory = os.path.dirname(directory)
    return None


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as source:
        for line in source:
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            for base in (os.path.dirname(path), INCLUDE_ROOT):
                target = os.path.normpath(os.path.join(base, name))
                if os.path.isfile(target):
                    yield name, target
                    break
            # Not in the tree (a third-party header in quotes): outside the
            # layering; a missing one of ours fails the build instead.


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true",
                        help="print the includes between folders with their counts")
    args = parser.parse_args()
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

    rank = {folder: i for i, folder in enumerate(LAYERS)}
    assert len(rank) == len(LAYERS), "a folder is twice in LAYERS"
    tracked = subprocess.run(["git", "ls-files", "-z", "--", "src", "tools", "bench"],
                             check=True, capture_output=True, text=True).stdout.split("\0")

    failures = []
    edges = collections.Counter()
    upward = set()
    seen_known = set()
    for path in sorted(p for p in tracked if SOURCE.search(p)):
        source_folder = folder_of(path, rank)
        if source_folder is None:
            failures.append(f"{path}: its folder is not in LAYERS; place it in the order")
            continue
        for name, target in includes(path):
            target_folder = folder_of(target, rank)
            if target_folder is None or target_folder == source_folder:
                continue
            edges[source_folder, target_folder] += 1
            if rank[target_folder] < rank[source_folder]:
                continue
            upward.add((source_folder, target_folder))
            if (path, name) in KNOWN:
                seen_known.add((path, name))
            else:
                failures.append(f"{path}: includes \"{name}\": {source_folder} is below "
                                f"{target_folder} in LAYERS")
    for path, name in sorted(set(KNOWN) - seen_known):
        failures.append(f"{path}: no longer includes \"{name}\" up the layering; "
                        "take it off KNOWN")

    if args.list:
        for (source_folder, target_folder), count in sorted(
                edges.items(), key=lambda e: (-rank[e[0][0]], -rank[e[0][1]])):
            mark = "  (up)" if (source_folder, target_folder) in upward else ""
            print(f"{source_folder} -> {target_folder}: {count}{mark}")
    for failure in failures:
        print(f"check-layering: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"check-layering: {sum(edges.values())} includes between {len(LAYERS)} folders, "
          f"{len(KNOWN)} known to point up", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
