#!/usr/bin/python3
"""Brings po/en.po up to the texts of the sources.

Every text given to ui::Text as a literal in src/ and tools/ that the
catalogue lacks is added with empty English, which the build refuses until
it is written; entries no text uses any more are listed. Texts given through a named
constant outside the window's folders are not seen here: the build names
those when their entry is missing.

    scripts/update-po.py           add the missing texts
    scripts/update-po.py --check   change nothing; status 1 on a missing or unused entry
"""
import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PO = ROOT / "po" / "en.po"
CALL = re.compile(r'\bText\(\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)')
# The interface's own named texts; the list file's (its names, its headers)
# are data and stay out.
CONSTANT_FOLDERS = ("src/window/", "src/qt/", "src/win32/", "src/dialogs/")
CONSTANT = re.compile(
    r'(?:constexpr (?:const char\*|std::string_view) k\w+ =|\{0x[0-9A-F]+,)\s*((?:"(?:[^"\\\n]|\\.)*"\s*)+)[;}]')
PIECE = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


def source_texts():
    found = {}
    for path in sorted([*ROOT.glob("src/**/*.cpp"), *ROOT.glob("src/**/*.h"),
                        *ROOT.glob("tools/**/*.cpp")]):
        text = path.read_text(encoding="utf-8")
        where = path.relative_to(ROOT).as_posix()
        patterns = (CALL, CONSTANT) if where.startswith(CONSTANT_FOLDERS) else (CALL,)
        for pattern in patterns:
            for match in pattern.finditer(text):
                pieces = PIECE.findall(match.group(1))
                # \u3000 in a C++ literal is the character itself in the catalogue.
                key = re.sub(r"\\u([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)),
                             "".join(pieces))
                if pattern is CALL or re.search(r"[^\x00-\x7f]", key):
                    line = text.count("\n", 0, match.start()) + 1
                    found.setdefault(key, f"{where}:{line}")
    return found


def catalogue_keys(po_text):
    keys, current, field = [], None, None
    for line in po_text.splitlines():
        line = line.strip()
        if line.startswith("msgid "):
            current, field = [line[6:]], "id"
        elif line.startswith("msgstr "):
            keys.append("".join(p[1:-1] for p in current))
            field = "str"
        elif line.startswith('"') and field == "id":
            current.append(line)
    return [k for k in keys if k]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="change nothing, fail on a difference")
    args = parser.parse_args()
    po_text = PO.read_text(encoding="utf-8")
    have = set(catalogue_keys(po_text))
    texts = source_texts()
    added = [k for k in texts if k not in have]
    unused = sorted(have - set(texts))
    for key in unused:
        print(f"not used: {key}", file=sys.stderr)
    if args.check:
        for key in added:
            print(f"{texts[key]}: no entry: {key}", file=sys.stderr)
        return 1 if added or unused else 0
    with PO.open("a", encoding="utf-8") as po:
        for key in added:
            po.write(f'\n#: {texts[key]}\nmsgid "{key}"\nmsgstr ""\n')
    print(f"{len(added)} added, {len(unused)} not used")
    return 0


if __name__ == "__main__":
    sys.exit(main())
