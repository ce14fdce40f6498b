#!/usr/bin/env python3
"""Draws the check list box glyphs as 16-colour BMP files.

Every glyph is one bitmap of two equal cells side by side: the left cell
shows the checked box, the right cell the unchecked one. Two palette
entries carry a meaning for the list box: magenta pixels are the mark and
take the mark colour, olive pixels take the list's background colour.
Everything else is drawn as it stands.

Each glyph comes twice: at its own size for screens with one device pixel
per point, and as NAME@2x.bmp at twice the size, with the box's lines twice
as thick and the mark drawn finely, for screens with two or more.

The generated files are committed, so the build never needs Python; run
this script again only after changing a drawing:

    python3 resources/glyphs/make_glyphs.py
"""

import os
import struct

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Drawing letters and their palette index.
INK = {
    "K": 0,   # black
    "O": 3,   # olive: takes the list's background
    "S": 7,   # light grey
    "G": 8,   # dark grey
    "M": 13,  # magenta: the mark
    "W": 15,  # white
}

# Marks, 7 x 7, placed in the middle of the box.
TICK = [
    "......M",
    ".....MM",
    "M...MMM",
    "MM.MMM.",
    "MMMMM..",
    ".MMM...",
    "..M....",
]
CROSS = [
    "MM...MM",
    "MMM.MMM",
    ".MMMMM.",
    "..MMM..",
    ".MMMMM.",
    "MMM.MMM",
    "MM...MM",
]
DIAMOND = [
    "...M...",
    "..MMM..",
    ".MMMMM.",
    "MMMMMMM",
    ".MMMMM.",
    "..MMM..",
    "...M...",
]

# The same marks at twice the size, 14 x 14.
TICK_2X = [
    "............MM",
    "...........MMM",
    "..........MMMM",
    "..........MMMM",
    ".........MMMM.",
    "........MMMM..",
    "MMM....MMMM...",
    "MMMM..MMMM....",
    "MMMMMMMMMM....",
    ".MMMMMMMM.....",
    "..MMMMMM......",
    "...MMMM.......",
    "....MM........",
    "..............",
]
CROSS_2X = [
    "MMM........MMM",
    "MMMM......MMMM",
    "MMMMM....MMMMM",
    ".MMMMM..MMMMM.",
    "..MMMMMMMMMM..",
    "...MMMMMMMM...",
    "....MMMMMM....",
    "....MMMMMM....",
    "...MMMMMMMM...",
    "..MMMMMMMMMM..",
    ".MMMMM..MMMMM.",
    "MMMMM....MMMMM",
    "MMMM......MMMM",
    "MMM........MMM",
]
DIAMOND_2X = [
    "......MM......",
    ".....MMMM.....",
    "....MMMMMM....",
    "...MMMMMMMM...",
    "..MMMMMMMMMM..",
    ".MMMMMMMMMMMM.",
    "MMMMMMMMMMMMMM",
    "MMMMMMMMMMMMMM",
    ".MMMMMMMMMMMM.",
    "..MMMMMMMMMM..",
    "...MMMMMMMM...",
    "....MMMMMM....",
    ".....MMMM.....",
    "......MM......",
]
# Each mark at its own size and at twice the size.
MARKS = {
    "tick": (TICK, TICK_2X),
    "cross": (CROSS, CROSS_2X),
    "diamond": (DIAMOND, DIAMOND_2X),
}


def box(size, rings, fill):
    """A square box: `rings` lists (top-left, bottom-right) colours from the
    outside in, `fill` paints the inside."""
    cell = [[fill] * size for _ in range(size)]
    for depth, (light_side, dark_side) in enumerate(rings):
        last = size - 1 - depth
        for i in range(depth, last + 1):
            cell[depth][i] = light_side      # top edge
            cell[i][depth] = light_side      # left edge
            cell[last][i] = dark_side        # bottom edge
            cell[i][last] = dark_side        # right edge
        # The corners where the two sides meet belong to the lower side.
        cell[depth][last] = dark_side
        cell[last][depth] = dark_side
    return cell


def box_2x(size, rings, fill):
    """The same box at twice the size: every ring two pixels wide."""
    return box(2 * size, [ring for ring in rings for _ in range(2)], fill)


FRAMES = {
    # A single sunken edge around a white box.
    "sunken": lambda draw: draw(13, [("G", "W")], "W"),
    # A thin black line around a white box.
    "flat": lambda draw: draw(13, [("K", "K")], "W"),
    # A raised edge, like a button, around a light grey box.
    "raised": lambda draw: draw(13, [("W", "K"), ("S", "G")], "S"),
    # A black line around a box that shows the list's background.
    "transparent": lambda draw: draw(13, [("K", "K")], "O"),
    # The double sunken edge of a classic 3-D check box.
    "3d": lambda draw: draw(13, [("G", "W"), ("K", "S")], "W"),
    # The smaller flat box with a grey line.
    "flatwin": lambda draw: draw(11, [("G", "G")], "W"),
}

GLYPHS = [
    ("KITBMSCHECK", "sunken", "tick"),
    ("KITBMFCHECK", "flat", "tick"),
    ("KITBMRCHECK", "raised", "tick"),
    ("KITBMTCHECK", "transparent", "tick"),
    ("KITBM3DCHECK", "3d", "tick"),
    ("KITBMSCROSS", "sunken", "cross"),
    ("KITBMFCROSS", "flat", "cross"),
    ("KITBMRCROSS", "raised", "cross"),
    ("KITBMTCROSS", "transparent", "cross"),
    ("KITBM3DCROSS", "3d", "cross"),
    ("KITBMSDIAM", "sunken", "diamond"),
    ("KITBMFDIAM", "flat", "diamond"),
    ("KITBMRDIAM", "raised", "diamond"),
    ("KITBM3DDIAM", "3d", "diamond"),
    ("KITBMFCHECKWIN", "flatwin", "tick"),
]


def glyph(frame, mark, draw=box):
    checked = FRAMES[frame](draw)
    unchecked = FRAMES[frame](draw)
    offset = (len(checked) - len(mark)) // 2
    for y, row in enumerate(mark):
        for x, ch in enumerate(row):
            if ch == "M":
                checked[offset + y][offset + x] = "M"
    return [left + right for left, right in zip(checked, unchecked)]


def bmp_4bit(rows):
    """A bottom-up, uncompressed 4-bit BMP with the 16-colour palette."""
    height = len(rows)
    width = len(rows[0])
    stride = ((width + 1) // 2 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            index = INK[ch]
            if x % 2 == 0:
                line[x // 2] |= index << 4
            else:
                line[x // 2] |= index
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 0)
    return header + info + palette + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, frame, mark in GLYPHS:
        with open(os.path.join(here, name + ".bmp"), "wb") as out:
            out.write(bmp_4bit(glyph(frame, MARKS[mark][0])))
        with open(os.path.join(here, name + "@2x.bmp"), "wb") as out:
            out.write(bmp_4bit(glyph(frame, MARKS[mark][1], box_2x)))


if __name__ == "__main__":
    main()
