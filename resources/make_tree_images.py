#!/usr/bin/env python3
"""Writes the tree's state images (16 by 16 pixels) as PNG files beside this script.

The pictures are kept here as text so that they can be changed without an image editor;
run the script again after changing one.
"""

import os

from make_icons import parse, write_png

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


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, art in PICTURES.items():
        pixels = parse(art, PALETTE)
        if len(pixels) != 16 or len(pixels[0]) != 16:
            raise ValueError("tree picture %s is not 16 by 16" % name)
        write_png(os.path.join(here, name + ".png"), pixels)


if __name__ == "__main__":
    main()
