#!/usr/bin/env python3
"""Draws the six 16 x 16 images of the main window's image list.

Each image is a 16-line picture below; every character picks a colour from
PALETTE ('.' is transparent). Run it after changing a picture; the PNGs it
writes next to this script are committed, so the build needs no Python.

The program shows these pixels where an image is shown at exactly 16 x 16
device pixels. At any other size or screen density it renders the SVG
drawing of the same name beside this script: change the two together.
"""
import os
import struct
import zlib

PALETTE = {
    '.': (0, 0, 0, 0),
    'k': (32, 32, 32, 255),      # outline
    'y': (244, 200, 66, 255),    # folder
    'o': (196, 140, 24, 255),    # folder shade
    'g': (40, 160, 60, 255),     # plus
    'G': (20, 100, 35, 255),     # plus edge
    'r': (210, 40, 40, 255),     # cross
    'R': (140, 20, 20, 255),     # cross edge
    'b': (70, 110, 190, 255),    # disk
    'B': (35, 60, 120, 255),     # disk edge
    'w': (250, 250, 250, 255),   # label, paper
    's': (160, 160, 160, 255),   # metal
    'S': (100, 100, 100, 255),   # metal shade
    'p': (240, 170, 60, 255),    # pencil body
    't': (230, 200, 150, 255),   # pencil wood
    'e': (230, 120, 140, 255),   # eraser
    'a': (40, 120, 200, 255),    # arrow
    'A': (20, 70, 130, 255),     # arrow edge
}

IMAGES = [
    # 0: choose a folder and add it to the list
    ("0_add_directory", [
        "................",
        "................",
        ".kkkkk..........",
        "kyyyyyk.........",
        "kyyyyyykkkkkkk..",
        "kyyyyyyyyyyyyk..",
        "koooooooooooook.",
        "kyyyyyyyyyyyyyk.",
        "kyyyyyyyyyGGGk..",
        "kyyyyyyyyyGgGk..",
        "kyyyyyyGGGGgGGGG",
        "kyyyyyyGgggggggG",
        "kkkkkkkGGGGgGGGG",
        "..........GgG...",
        "..........GGG...",
        "................",
    ]),
    # 1: store the list
    ("1_save", [
        "................",
        ".BBBBBBBBBBBBBB.",
        ".BbbwwwwwwwwbbB.",
        ".BbbwwwwwwwwbbB.",
        ".BbbwwwwwwwwbbB.",
        ".BbbwwwwwwwwbbB.",
        ".BbbbbbbbbbbbbB.",
        ".BbbbbbbbbbbbbB.",
        ".BbbssssssssbbB.",
        ".BbbsSSsssssbbB.",
        ".BbbsSSsssssbbB.",
        ".BbbsSSsssssbbB.",
        ".BbbssssssssbbB.",
        "..BBBBBBBBBBBBB.",
        "................",
        "................",
    ]),
    # 2: remove one entry
    ("2_delete_entry", [
        "................",
        "................",
        "..RR........RR..",
        ".RrrR......RrrR.",
        ".RrrrR....RrrrR.",
        "..RrrrR..RrrrR..",
        "...RrrrRRrrrR...",
        "....RrrrrrrR....",
        "....RrrrrrrR....",
        "...RrrrRRrrrR...",
        "..RrrrR..RrrrR..",
        ".RrrrR....RrrrR.",
        ".RrrR......RrrR.",
        "..RR........RR..",
        "................",
        "................",
    ]),
    # 3: remove all entries
    ("3_delete_all", [
        "......kkkk......",
        "..kkkkkssskkkk..",
        ".kssssssssssssk.",
        ".kkkkkkkkkkkkkk.",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "..kssSssSssSsk..",
        "...kkkkkkkkkk...",
        "................",
    ]),
    # 4: rename an entry
    ("4_rename_entry", [
        "................",
        "...........kk...",
        "..........keek..",
        ".........kseeek.",
        "........kpssek..",
        ".......kpppsk...",
        "......kpppppk...",
        ".....kpppppk....",
        "....kpppppk.....",
        "...kpppppk......",
        "..ktppppk.......",
        "..kttppk........",
        ".kkttkk.........",
        ".kkkk...........",
        "................",
        "kkkkkkkkkkkkkkkk",
    ]),
    # 5: back to the default entries
    ("5_default_entries", [
        "................",
        ".....AAAAAA.....",
        "...AAaaaaaaAA...",
        "..AaaAAAAAAaaA..",
        ".AaaA......AaA..",
        ".AaA.......AAAAA",
        "AaaA........AaaA",
        "AaA........AaaaA",
        "AaA.........AaA.",
        "AaaA.........A..",
        ".AaA............",
        ".AaaA......AA...",
        "..AaaAAAAAAaaA..",
        "...AAaaaaaaAA...",
        ".....AAAAAA.....",
        "................",
    ]),
]


def png(rows):
    raw = b"".join(b"\0" + b"".join(bytes(PALETTE[c]) for c in row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", 16, 16, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, rows in IMAGES:
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        with open(os.path.join(here, name + ".png"), "wb") as f:
            f.write(png(rows))


if __name__ == "__main__":
    main()
