#!/usr/bin/env python3
"""Writes CodePageTables.cpp: the upper half (bytes 80h..FFh) of every character table ESC t
selects, from the system's codec tables. Run once; its output is checked in beside it.

    python3 vprinter/paper/make_code_pages.py NODE_MODULES > vprinter/paper/CodePageTables.cpp

Most tables come from Python's codecs; PC851 from iconv (Python has no codec for it). Two
tables are in no codec of the system: PC853 and the Katakana page with its block and line
graphics. Those are read from the character tables of the pinned npm package
@point-of-sale/codepage-encoder (the receipts rig under tests/vprinter/receipts installs it
into NODE_MODULES), and the Katakana page's letters are checked against the system's JIS X
0201 codec.
"""

import codecs
import json
import os
import subprocess
import sys

# ESC t number, the name the log gives, where the table comes from.
PAGES = [
    (0, "PC437", "py:cp437"),
    (1, "Katakana", "npm:epson/katakana"),
    (2, "PC850", "py:cp850"),
    (3, "PC860", "py:cp860"),
    (4, "PC863", "py:cp863"),
    (5, "PC865", "py:cp865"),
    (11, "PC851", "iconv:CP851"),
    (12, "PC853", "npm:cp853"),
    (13, "PC857", "py:cp857"),
    (14, "PC737", "py:cp737"),
    (15, "ISO8859-7", "py:iso8859_7"),
    (16, "WPC1252", "py:cp1252"),
    (17, "PC866", "py:cp866"),
    (18, "PC852", "py:cp852"),
    (19, "PC858", "py:cp858"),
    (32, "PC720", "py:cp720"),
    (33, "WPC775", "py:cp775"),
    (34, "PC855", "py:cp855"),
    (35, "PC861", "py:cp861"),
    (36, "PC862", "py:cp862"),
    (37, "PC864", "py:cp864"),
    (38, "PC869", "py:cp869"),
    (39, "ISO8859-2", "py:iso8859_2"),
    (40, "ISO8859-15", "py:iso8859_15"),
    (44, "PC1125", "py:cp1125"),
    (45, "WPC1250", "py:cp1250"),
    (46, "WPC1251", "py:cp1251"),
    (47, "WPC1253", "py:cp1253"),
    (48, "WPC1254", "py:cp1254"),
    (49, "WPC1255", "py:cp1255"),
    (50, "WPC1256", "py:cp1256"),
    (51, "WPC1257", "py:cp1257"),
    (52, "WPC1258", "py:cp1258"),
    (53, "KZ-1048", "py:kz1048"),
]


def single(codepoints):
    """A decoded byte as one code point, or 0 where the table leaves the byte undefined (or
    maps it to a control character, which prints nothing)."""
    if len(codepoints) != 1:
        return 0
    cp = ord(codepoints)
    return 0 if cp < 0x20 or 0x7F <= cp < 0xA0 or cp == 0xFFFD else cp


def from_python(name):
    out = []
    for b in range(0x80, 0x100):
        try:
            out.append(single(bytes([b]).decode(name)))
        except UnicodeDecodeError:
            out.append(0)
    return out


def from_iconv(name):
    out = []
    for b in range(0x80, 0x100):
        r = subprocess.run(["iconv", "-f", name, "-t", "UTF-8"], input=bytes([b]),
                           capture_output=True, check=False)
        out.append(single(r.stdout.decode("utf-8")) if r.returncode == 0 else 0)
    return out


def from_npm(node_modules, name):
    script = (
        "const E = require(process.argv[1] + '/@point-of-sale/codepage-encoder');"
        "const d = E.getEncoding(process.argv[2]);"
        "const s = d.codepoints || d; const out = [];"
        "for (let b = 128; b < 256; b++) out.push(s[b] === undefined ? 0 : s[b]);"
        "console.log(JSON.stringify(out));")
    r = subprocess.run(["node", "-e", script, node_modules, name], capture_output=True,
                       check=True, text=True)
    return [single(chr(v)) if v else 0 for v in json.loads(r.stdout)]


def check_katakana(table):
    # The letters (A1h..DFh) are JIS X 0201's half-width katakana.
    for b in range(0xA1, 0xE0):
        expected = ord(bytes([b]).decode("shift_jis"))
        if table[b - 0x80] != expected:
            sys.exit("Katakana table disagrees with JIS X 0201 at %02Xh" % b)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    node_modules = os.path.abspath(sys.argv[1])
    print("// Written by make_code_pages.py from the system's codec tables; do not edit.")
    print('#include "vprinter/paper/CodePageTables.h"')
    print()
    print("namespace qw77::vprinter {")
    print()
    print("// Eight bytes a row, the row's first byte at its end.")
    print("// clang-format off")
    print("const CodePageTable kCodePageTables[] = {")
    for number, name, source in PAGES:
        kind, codec = source.split(":", 1)
        if kind == "py":
            table = from_python(codec)
        elif kind == "iconv":
            table = from_iconv(codec)
        else:
            table = from_npm(node_modules, codec)
        if number == 1:
            check_katakana(table)
        print("    {%d, \"%s\", {" % (number, name))
        for row in range(0, 128, 8):
            print("        " + " ".join("0x%04X," % v for v in table[row:row + 8]) +
                  "  // %02Xh" % (0x80 + row))
        print("    }},")
    print("};")
    print("// clang-format on")
    print()
    print("const std::size_t kCodePageTableCount = std::size(kCodePageTables);")
    print()
    print("}  // namespace qw77::vprinter")


if __name__ == "__main__":
    main()
