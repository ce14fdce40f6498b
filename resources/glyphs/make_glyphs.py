#!/usr/bin/env python3
"""Draws the check list box glyphs as 16-colour BMP files.

Every glyph is one bitmap of two equal cells side by side: the left cell
shows the checked box, the right cell the unchecked one. Two palette
entries carry a meaning for the list box: magenta pixels are the mark and
take the mark colour, olive pixels take the list's background colour.
Everything else is drawn as it stands.

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


FRAMES = {
    # A single sunken edge around a white box.
    "sunken": lambda: box(13, [("G", "W")], "W"),
    # A thin black line around a white box.
    "flat": lambda: box(13, [("K", "K")], "W"),
    # A raised edge, like a button, around a light grey box.
    "raised": lambda: box(13, [("W", "K"), ("S", "G")], "S"),
    # A black line around a box that shows the list's background.
    "transparent": lambda: box(13, [("K", "K")], "O"),
    # The double sunken edge of a classic 3-D check box.
    "3d": lambda: box(13, [("G", "W"), ("K", "S")], "W"),
    # The smaller flat box with a grey line.
    "flatwin": lambda: box(11, [("G", "G")], "W"),
}

GLYPHS = [
    ("KITBMSCHECK", "sunken", TICK),
    ("KITBMFCHECK", "flat", TICK),
    ("KITBMRCHECK", "raised", TICK),
    ("KITBMTCHECK", "transparent", TICK),
    ("KITBM3DCHECK", "3d", TICK),
    ("KITBMSCROSS", "sunken", CROSS),
    ("KITBMFCROSS", "flat", CROSS),
    ("KITBMRCROSS", "raised", CROSS),
    ("KITBMTCROSS", "transparent", CROSS),
    ("KITBM3DCROSS", "3d", CROSS),
    ("KITBMSDIAM", "sunken", DIAMOND),
    ("KITBMFDIAM", "flat", DIAMOND),
    ("KITBMRDIAM", "raised", DIAMOND),
    ("KITBM3DDIAM", "3d", DIAMOND),
    ("KITBMFCHECKWIN", "flatwin", TICK),
]


def glyph(frame, mark):
    checked = FRAMES[frame]()
    unchecked = FRAMES[frame]()
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
            out.write(bmp_4bit(glyph(frame, mark)))


if __name__ == "__main__":
    main()
