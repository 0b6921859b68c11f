#!/usr/bin/env python3
"""Writes the editor's icons as PNG files beside this script.

The toolbar pictures are 16 by 15 pixel art kept here as text so that they can be changed
without an image editor; run the script again after changing one.
"""

import os
import struct
import zlib

PALETTE = {
    ".": (0, 0, 0, 0),
    "k": (0, 0, 0, 255),
    "w": (255, 255, 255, 255),
    "l": (192, 192, 192, 255),
    "g": (128, 128, 128, 255),
    "y": (255, 255, 0, 255),
    "Y": (128, 128, 0, 255),
    "b": (0, 0, 128, 255),
    "B": (0, 0, 255, 255),
    "c": (0, 128, 128, 255),
    "C": (0, 255, 255, 255),
    "r": (128, 0, 0, 255),
    "R": (255, 0, 0, 255),
    "G": (0, 128, 0, 255),
}

TOOLBAR = {
    "new": """
................
...kkkkkkk......
...kwwwwwkk.....
...kwwwwwkwk....
...kwwwwwkkkk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kwwwwwwwwk...
...kkkkkkkkkk...
................
""",
    "open": """
................
...........kkk..
..........k...kk
..............kk
..kkkk.......kkk
.kyyyyk.........
.kyyyyykkkkkkk..
.kyyyyyyyyyyyk..
.kyykkkkkkkkkkkk
.kyykYYYYYYYYYYk
.kykYYYYYYYYYYk.
.kykYYYYYYYYYk..
.kkYYYYYYYYYYk..
.kkkkkkkkkkkk...
................
""",
    "save": """
................
.kkkkkkkkkkkkkk.
.kckwwwwwwwwkck.
.kckwwwwwwwwkkk.
.kckwwwwwwwwkck.
.kckwwwwwwwwkck.
.kcckkkkkkkkcck.
.kccccccccccccck
.kcckkkkkkkkcck.
.kcckllllklkcck.
.kcckllllklkcck.
.kcckllllklkcck.
..kkkkkkkkkkkkk.
................
................
""",
    "cut": """
................
....k.....k.....
....k.....k.....
....k.....k.....
....kk...kk.....
.....k...k......
.....kk.kk......
......kkk.......
.......k........
......BkB.......
....BBB.BBB.....
...B..B.B..B....
...B..B.B..B....
...B..B.B..B....
....BB...BB.....
""",
    "copy": """
................
kkkkkk..........
kwwwwkk.........
kwkkwkwk........
kwwwwkkkkkkk....
kwkkkkwwwwwkk...
kwwwkwkkwwwkwk..
kwkkkwwwwwwkkkk.
kwwwkwkkkkwwwwk.
kkkkkwwwwwwwwwk.
.....wkkkkkkkwk.
.....kwwwwwwwwk.
.....kwkkkkkkwk.
.....kwwwwwwwwk.
.....kkkkkkkkkk.
""",
    "paste": """
.....kkkk.......
.kkkkyyyykkkk...
kYYkyykkyykYYk..
kYkwwwwwwwwkYk..
kYkkkkkkkkkkYk..
kYYYYYYYYYYYYk..
kYYYYYYkkkkkkkk.
kYYYYYYkwwwwwkwk
kYYYYYYkwkkkwkkk
kYYYYYYkwwwwwwwk
kYYYYYYkwkkkkkwk
kYYYYYYkwwwwwwwk
.kkkkkkkwkkkkkwk
.......kwwwwwwwk
.......kkkkkkkkk
""",
    "print": """
................
....kkkkkkkkk...
...kwwwwwwwwk...
...kwkkkkkkwk...
..kwwwwwwwwk....
..kwkkkkkwwk....
.kkkkkkkkkkkkkk.
kllllllllllllkk.
kkkkkkkkkkkkkklk
klllllllllllGGkk
kllllllllllllklk
kkkkkkkkkkkkkkkk
.klllllllllllkk.
..kkkkkkkkkkk...
................
""",
    "about": """
................
.....kkkkkk.....
....kBBBBBBk....
...kBBwwwwBBk...
...kBwwkkwwBk...
...kBkkBkwwBk...
...kBBBBkwwBk...
...kBBBkwwBBk...
....kBBkwwBk....
.....kBBBBk.....
.....kBwwBk.....
.....kBwwBk.....
......kkkk......
................
................
""",
    "contexthelp": """
k...............
kk..............
kwk.............
kwwk......kkkk..
kwwwk....kBwwBk.
kwwwwk..kBkkwwBk
kwwwwwk.kBBkwwBk
kwwkkkk.kBBkwBBk
kwk.kwk..kBwwBk.
kk..kwk...kBBk..
k....kwk..kwwk..
.....kwk..kwwk..
......kk...kk...
................
................
""",
    "translate": """
kkkkkkkk........
kwwwwwwk........
kwwBBwwk........
kwBwwBwk........
kwBBBBwk........
kwBwwBwkkkkkkkk.
kwBwwBwkwwwwwwk.
kwwwwwwkwRRRRwk.
kkkkkkkkwwRwwwk.
.......kwwRwwwk.
.......kwRRRRwk.
.......kwwRwwwk.
.......kwRwRwwk.
.......kwwwwwwk.
.......kkkkkkkk.
""",
}

# The template windows' own icon: a page with a small tree drawn on it.
CHILD = """
..kkkkkkkkkk....
..kwwwwwwwwkk...
..kwbbbwwwwkwk..
..kwbkwwwwwkkkk.
..kwkkbbbwwwwwk.
..kwkwbkwwwwwwk.
..kwkwkkggggwwk.
..kwkwkwwwwwwwk.
..kwkkbbbwwwwwk.
..kwkwbkwwwwwwk.
..kwkwkkggggwwk.
..kwwwwwwwwwwwk.
..kwwwwwwwwwwwk.
..kwwwwwwwwwwwk.
..kkkkkkkkkkkkk.
................
"""


def parse(art, palette=PALETTE):
    rows = [row for row in art.strip("\n").split("\n")]
    width = len(rows[0])
    for row in rows:
        if len(row) != width:
            raise ValueError("ragged picture row: %r" % row)
    return [[palette[ch] for ch in row] for row in rows]


def write_png(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\x00" + b"".join(struct.pack("4B", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def app_icon(size):
    """A blue book with a white page carrying lines of text and a red T."""
    px = [[PALETTE["."] for _ in range(size)] for _ in range(size)]
    s = size / 32.0

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    black = PALETTE["k"]
    fill(3, 2, 29, 30, black)
    fill(4, 3, 28, 29, PALETTE["b"])
    fill(7, 3, 28, 27, black)
    fill(8, 3, 27, 26, PALETTE["w"])
    fill(4, 3, 6, 29, PALETTE["B"])
    for top in (14, 17, 20, 23):
        fill(10, top, 25, top + 1, PALETTE["g"])
    fill(10, 5, 25, 8, PALETTE["R"])
    fill(16, 8, 19, 13, PALETTE["R"])
    return px


def app_icon_svg():
    """The application icon as a scalable picture: the same rectangles on a 32 unit grid."""
    def hexa(name):
        r, g, b, _ = PALETTE[name]
        return "#%02x%02x%02x" % (r, g, b)

    rects = [(3, 2, 29, 30, "k"), (4, 3, 28, 29, "b"), (7, 3, 28, 27, "k"), (8, 3, 27, 26, "w"),
             (4, 3, 6, 29, "B")]
    rects += [(10, top, 25, top + 1, "g") for top in (14, 17, 20, 23)]
    rects += [(10, 5, 25, 8, "R"), (16, 8, 19, 13, "R")]
    body = "".join('  <rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n'
                   % (x0, y0, x1 - x0, y1 - y0, hexa(c)) for x0, y0, x1, y1, c in rects)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            'viewBox="0 0 32 32" shape-rendering="crispEdges">\n' + body + '</svg>\n')


# Sizes of the installed application icon, beside the scalable one.
ICON_SIZES = (16, 32, 48, 64, 128, 256)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, art in TOOLBAR.items():
        pixels = parse(art)
        if len(pixels) != 15 or len(pixels[0]) != 16:
            raise ValueError("toolbar picture %s is not 16 by 15" % name)
        write_png(os.path.join(here, name + ".png"), pixels)
    write_png(os.path.join(here, "template.png"), parse(CHILD))
    write_png(os.path.join(here, "tessary.png"), app_icon(32))
    write_png(os.path.join(here, "tessary48.png"), app_icon(48))
    icons = os.path.join(here, "icons")
    os.makedirs(icons, exist_ok=True)
    for size in ICON_SIZES:
        write_png(os.path.join(icons, "tessary-%d.png" % size), app_icon(size))
    with open(os.path.join(icons, "tessary.svg"), "w") as f:
        f.write(app_icon_svg())


if __name__ == "__main__":
    main()
