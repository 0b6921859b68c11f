#!/usr/bin/env python3
"""Writes the tree's state images (16 by 16 pixels) as PNG files beside this script.

The pictures are kept here as text so that they can be changed without an image editor;
run the script again after changing one.
"""

import os
import struct
import zlib

PALETTE = {
    ".": (0, 0, 0, 0),
    "k": (0, 0, 0, 255),
    "w": (255, 255, 255, 255),
    "l": (224, 224, 224, 255),
    "g": (128, 128, 128, 255),
    "y": (255, 255, 0, 255),
    "b": (0, 0, 128, 255),
    "B": (0, 64, 192, 255),
}

PICTURES = {
    "closedbook": """
................
...kkkkkkkkkk...
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBByyyyyBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbBBBBBBBBBk..
..kbkkkkkkkkkk..
..kbwwwwwwwwwk..
...kkkkkkkkkkk..
................
""",
    "openbook": """
................
................
..kkk......kkk..
.kwwwkk..kkwwwk.
kwwwwwwkkwwwwwwk
kwggggwkkwggggwk
kwwwwwwkkwwwwwwk
kwggggwkkwggggwk
kwwwwwwkkwwwwwwk
kwggggwkkwggggwk
kwwwwwwkkwwwwwwk
kwwkkkwkkwkkkwwk
kkkBBBkkkkBBBkkk
.kBBBBBBBBBBBBk.
..kkkkkkkkkkkk..
................
""",
    "page": """
................
..kkkkkkkk......
..kwwwwwwkk.....
..kwwwwwwkwk....
..kwggggwkkkk...
..kwwwwwwwwwk...
..kwggggggwwk...
..kwwwwwwwwwk...
..kwggggggwwk...
..kwwwwwwwwwk...
..kwggggggwwk...
..kwwwwwwwwwk...
..kwggggggwwk...
..kwwwwwwwwwk...
..kkkkkkkkkkk...
................
""",
}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, rows):
    height = len(rows)
    width = len(rows[0])
    raw = b"".join(
        b"\x00" + b"".join(bytes(PALETTE[c]) for c in row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, art in PICTURES.items():
        rows = art.strip("\n").split("\n")
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        write_png(os.path.join(here, name + ".png"), rows)


if __name__ == "__main__":
    main()
