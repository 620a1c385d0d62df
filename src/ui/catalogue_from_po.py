#!/usr/bin/python3
"""Writes the English catalogue of po/en.po as a C++ header the program
builds in, so both platforms carry it with nothing to load at run time.

    catalogue_from_po.py en.po english_catalogue.h

A msgid is the Japanese text as the program writes it, a msgstr its English
text. Both are kept as the .po file quotes them: its escapes are C's, so the
quoted pieces are C++ string literals as they stand. The build stops on an
entry without English, on one given twice, and on English that does not
insert the same numbered values ({1}, {2}...) as its Japanese.
"""
import re
import sys

PLACEHOLDER = re.compile(r"\{[1-9]\}")
QUOTED = re.compile(r'^"((?:[^"\\]|\\.)*)"\s*$')


def entries(path):
    """(line, msgid pieces, msgstr pieces) of each entry, header left out."""
    found, field, current, start = [], None, {}, 0

    def close():
        if "msgid" in current:
            found.append((start, current["msgid"], current.get("msgstr", [])))
        current.clear()

    with open(path, encoding="utf-8") as po:
        for number, line in enumerate(po, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            keyword, _, rest = line.partition(" ")
            if keyword in ("msgid", "msgstr"):
                if keyword == "msgid":
                    close()
                    start = number
                field = keyword
                line = rest
            quoted = QUOTED.match(line)
            if not quoted or field is None:
                sys.exit(f"{path}:{number}: not a quoted text: {line}")
            current.setdefault(field, []).append(quoted.group(1))
    close()
    return [e for e in found if "".join(e[1])]


def main():
    source, target = sys.argv[1:3]
    seen, rows = set(), []
    for line, msgid, msgstr in entries(source):
        key = "".join(msgid)
        where = f"{source}:{line}"
        if key in seen:
            sys.exit(f"{where}: given twice")
        seen.add(key)
        if not "".join(msgstr):
            sys.exit(f"{where}: no English")
        if sorted(PLACEHOLDER.findall(key)) != sorted(PLACEHOLDER.findall("".join(msgstr))):
            sys.exit(f"{where}: the English does not insert the same values")
        literal = lambda pieces: " ".join(f'"{p}"' for p in pieces if p) or '""'
        rows.append(f"    {{{literal(msgid)},\n     {literal(msgstr)}}},\n")
    with open(target, "w", encoding="utf-8") as out:
        out.write("// Written by catalogue_from_po.py from po/en.po; edit that instead.\n")
        out.write("#pragma once\n\n#include <array>\n\n#include \"ui/entry.h\"\n\n")
        out.write("namespace mokuji::ui {\n\n")
        out.write(f"inline constexpr std::array<Entry, {len(rows)}> kCatalogue = {{{{\n")
        out.writelines(rows)
        out.write("}};\n\n}  // namespace mokuji::ui\n")


if __name__ == "__main__":
    main()
