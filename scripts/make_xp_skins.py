#!/usr/bin/env python3
# Draws the XP-look controls' skins into resources/: the push button strip (5 frames of 18 x 21, 24 bits), the
# check box and radio button strips (6 frames of 13 x 13, 8 bits) and the hand cursor (32 x 32, monochrome).
# Run it again to reproduce the files byte for byte.
import struct
import sys
from pathlib import Path

OUT = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources"

FACE = (236, 233, 216)          # what shows around the rounded corners, as red, green, blue
BORDER = (0, 60, 116)
DISABLED_BORDER = (201, 199, 186)
HOT_LIGHT, HOT_DARK = (255, 240, 207), (248, 179, 48)
FOCUS_LIGHT, FOCUS_DARK = (206, 231, 255), (105, 130, 238)
CHECK = (33, 161, 33)
DISABLED_CHECK = (202, 200, 187)


def blend(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def button_frame(kind):
    w, h = 18, 21
    top, bottom = {
        "normal": ((255, 255, 255), (226, 223, 211)),
        "pressed": ((214, 210, 194), (240, 239, 232)),
        "disabled": ((245, 244, 234), (245, 244, 234)),
        "hot": ((255, 255, 250), (230, 226, 214)),
        "focused": ((252, 253, 255), (222, 224, 228)),
    }[kind]
    border = DISABLED_BORDER if kind == "disabled" else BORDER
    px = [[blend(top, bottom, y / (h - 1)) for _ in range(w)] for y in range(h)]
    for x in range(w):
        px[0][x] = px[h - 1][x] = border
    for y in range(h):
        px[y][0] = px[y][w - 1] = border
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        px[y][x] = FACE
    for x, y in ((1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)):
        px[y][x] = blend(border, FACE, 0.5)
    if kind in ("hot", "focused"):
        light, dark = (HOT_LIGHT, HOT_DARK) if kind == "hot" else (FOCUS_LIGHT, FOCUS_DARK)
        for x in range(2, w - 2):
            px[1][x], px[h - 2][x] = light, dark
        for y in range(2, h - 2):
            px[y][1] = px[y][w - 2] = blend(light, dark, y / (h - 1))
    return px


def box_frame(radio, checked, state):
    size = 13
    border = DISABLED_BORDER if state == "disabled" else (28, 81, 128)
    fill_top, fill_bottom = ((255, 255, 255), (255, 255, 255)) if state == "disabled" else ((220, 220, 215),
                                                                                            (255, 255, 255))
    background = (248, 246, 230)  # the check box's own colour, around a radio button's circle
    px = [[background] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            d = ((x - 6) ** 2 + (y - 6) ** 2) ** 0.5
            inside = d <= 5.3 if radio else True
            edge = (5.3 >= d > 4.4) if radio else (x in (0, size - 1) or y in (0, size - 1))
            ring = (4.4 >= d > 3.5) if radio else (x in (1, size - 2) or y in (1, size - 2))
            if edge:
                px[y][x] = border
            elif inside:
                px[y][x] = blend(fill_top, fill_bottom, y / (size - 1))
                if ring and state == "hot":
                    px[y][x] = blend(HOT_LIGHT, HOT_DARK, y / (size - 1))
    if checked:
        mark = DISABLED_CHECK if state == "disabled" else CHECK
        if radio:
            for y in range(size):
                for x in range(size):
                    if ((x - 6) ** 2 + (y - 6) ** 2) ** 0.5 <= 2.3:
                        px[y][x] = mark
        else:
            for x, y in ((3, 5), (3, 6), (4, 6), (4, 7), (5, 7), (5, 8), (6, 7), (6, 6), (7, 6), (7, 5), (8, 5),
                         (8, 4), (9, 4), (9, 3), (3, 7), (4, 8), (5, 9), (6, 8), (7, 7), (8, 6), (9, 5)):
                px[y][x] = mark
    return px


def strip(frames):
    h = len(frames[0])
    return [sum((f[y] for f in frames), []) for y in range(h)]


def bmp(pixels, bits):
    h, w = len(pixels), len(pixels[0])
    palette = []
    if bits == 8:
        for row in pixels:
            for c in row:
                if c not in palette:
                    palette.append(c)
        assert len(palette) <= 256
    row_size = (w * bits // 8 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes([palette.index((r, g, b))]) if bits == 8 else bytes([b, g, r])
        data += line + bytes(row_size - len(line))
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835, len(palette), 0)
    return header + info + table + data


HAND = [  # '#' black outline, '.' white inside; the finger tip at (5, 0) is the hot spot
    "    ##          ",
    "   #..#         ",
    "   #..#         ",
    "   #..#         ",
    "   #..###       ",
    "   #..#..###    ",
    "   #..#..#..##  ",
    "## #..#..#..#.# ",
    "#..#........#..#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........# ",
    "   #..........# ",
    "    #........#  ",
    "    ##########  ",
]


def cursor():
    size = 32
    xor, and_ = bytearray(), bytearray()
    for y in reversed(range(size)):
        xbits, abits = 0, 0
        for x in range(size):
            ch = HAND[y][x] if y < len(HAND) and x < len(HAND[y]) else " "
            xbits = (xbits << 1) | (ch == ".")
            abits = (abits << 1) | (ch == " ")
        xor += xbits.to_bytes(4, "big")
        and_ += abits.to_bytes(4, "big")
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    image = info + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 5, 0, len(image), 22)
    return directory + image


kinds = ["normal", "pressed", "disabled", "hot", "focused"]
(OUT / "xp_button.bmp").write_bytes(bmp(strip([button_frame(k) for k in kinds]), 24))
for name, radio in (("xp_checkbox.bmp", False), ("xp_radiobox.bmp", True)):
    frames = [box_frame(radio, c, s) for c, s in ((False, "normal"), (True, "normal"), (False, "disabled"),
                                                  (True, "disabled"), (False, "hot"), (True, "hot"))]
    (OUT / name).write_bytes(bmp(strip(frames), 8))
(OUT / "xp_hand.cur").write_bytes(cursor())
