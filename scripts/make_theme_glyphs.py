#!/usr/bin/env python3
# Draws the toolbar themes' stock glyph strip into resources/theme_glyphs.bmp: a 64 x 16 one-bit bitmap of four
# 16 x 16 glyphs, white on black (close cross, maximise box, minimise bar, restore symbol), which the themes load
# with white as the mask colour, so that each glyph's mask is the glyph itself. Run it again to reproduce the file
# byte for byte.
import struct
import sys
from pathlib import Path

OUT = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources"
SIZE, COUNT = 16, 4


def close_cross():
    points = set()
    for i in range(8):
        points |= {(4 + i, 4 + i), (5 + i, 4 + i), (11 - i, 4 + i), (12 - i, 4 + i)}
    return points


def box(left, top, right, bottom, title_rows=2):
    points = set()
    for x in range(left, right + 1):
        for y in range(top, top + title_rows):
            points.add((x, y))
        points.add((x, bottom))
    for y in range(top, bottom + 1):
        points.add((left, y))
        points.add((right, y))
    return points


def maximise_box():
    return box(3, 3, 12, 12)


def minimise_bar():
    return {(x, y) for x in range(4, 11) for y in (11, 12)}


def restore_symbol():
    back = {(x, y) for x, y in box(6, 2, 13, 8) if not (6 <= x <= 10 and 5 <= y <= 8)}
    return back | box(3, 6, 10, 12)


def main():
    glyphs = [close_cross(), maximise_box(), minimise_bar(), restore_symbol()]
    width = SIZE * COUNT
    stride = ((width + 31) // 32) * 4
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        bits = bytearray(stride)
        for index, glyph in enumerate(glyphs):
            for x in range(SIZE):
                if (x, y) in glyph:
                    column = index * SIZE + x
                    bits[column // 8] |= 0x80 >> (column % 8)
        rows.append(bytes(bits))
    pixels = b"".join(rows)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    (OUT / "theme_glyphs.bmp").write_bytes(header + info + palette + pixels)


if __name__ == "__main__":
    main()
