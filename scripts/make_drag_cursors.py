#!/usr/bin/env python3
# Draws the two cursors of item drag and drop in menus into resources/: the move cursor (the arrow pointer with a
# small framed entry under its tip) and the copy cursor (the same with a plus sign beside the entry). Each is a
# monochrome 32 x 32 cursor with its hot spot at the arrow's tip, kept as the raw image data from which the platform
# makes cursors (see toolbars.rc). Run it again to reproduce the files byte for byte.
import struct
import sys
from pathlib import Path

OUT = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources"
SIZE = 32

# '#' black, '.' white, ' ' transparent.
ARROW = [
    "#",
    "##",
    "#.#",
    "#..#",
    "#...#",
    "#....#",
    "#.....#",
    "#......#",
    "#.......#",
    "#........#",
    "#.....#####",
    "#..#..#",
    "#.# #..#",
    "##  #..#",
    "#    #..#",
    "     #..#",
    "      ##",
]
# The dragged entry: a white box with a black frame and two text lines.
ENTRY = [
    "############",
    "#..........#",
    "#.######...#",
    "#..........#",
    "#.#######..#",
    "#..........#",
    "############",
]
# The copy mark: a framed plus sign.
PLUS = [
    "#########",
    "#.......#",
    "#...#...#",
    "#...#...#",
    "#.#####.#",
    "#...#...#",
    "#...#...#",
    "#.......#",
    "#########",
]
HOT_SPOT = (0, 0)


def canvas():
    return [[" "] * SIZE for _ in range(SIZE)]


def paste(rows, picture, left, top):
    for y, line in enumerate(picture):
        for x, c in enumerate(line):
            if c != " ":
                rows[top + y][left + x] = c


def cursor(with_plus):
    rows = canvas()
    paste(rows, ARROW, 0, 0)
    paste(rows, ENTRY, 8, 18)
    if with_plus:
        paste(rows, PLUS, 21, 22)
    return ["".join(row) for row in rows]


def cursor_image(rows):
    """The hot spot, then a monochrome DIB of twice the height: the XOR mask over the AND mask, bottom row first."""
    xor_mask, and_mask = b"", b""
    for row in reversed(rows):
        xor_mask += int("".join("1" if c == "." else "0" for c in row), 2).to_bytes(SIZE // 8, "big")
        and_mask += int("".join("1" if c == " " else "0" for c in row), 2).to_bytes(SIZE // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    return struct.pack("<HH", *HOT_SPOT) + header + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + xor_mask + and_mask


(OUT / "toolbar_drag_item_cursor.bin").write_bytes(cursor_image(cursor(False)))
(OUT / "toolbar_add_item_cursor.bin").write_bytes(cursor_image(cursor(True)))
