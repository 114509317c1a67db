#!/usr/bin/env python3
# Draws the address box's logo, resources/address_logo.bmp: a blue magnifying glass and the word "Search" in a
# small hand-made pixel font on white, 64 x 16 pixels, 24 bits. Run it again to reproduce the file byte for byte.
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 64, 16
WHITE = (255, 255, 255)
BLUE = (200, 110, 30)   # stored as blue, green, red
GREY = (90, 90, 90)

FONT = {  # 5 columns x 7 rows, '#' is ink
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "e": ["     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "],
    "a": ["     ", "     ", " ### ", "    #", " ####", "#   #", " ####"],
    "r": ["     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "],
    "c": ["     ", "     ", " ### ", "#    ", "#    ", "#    ", " ### "],
    "h": ["#    ", "#    ", "# ## ", "##  #", "#   #", "#   #", "#   #"],
}

pixels = [[WHITE] * WIDTH for _ in range(HEIGHT)]

# The glass: a ring of radius 4.5 around (6, 6) and a handle down to the lower right.
for y in range(HEIGHT):
    for x in range(16):
        d = ((x - 6) ** 2 + (y - 6) ** 2) ** 0.5
        if 3.6 <= d <= 5.2:
            pixels[y][x] = BLUE
for i in range(4):
    for dx, dy in ((0, 0), (1, 0), (0, 1)):
        pixels[10 + i + dy][10 + i + dx] = BLUE

x0 = 17
for letter in "Search":
    for row, line in enumerate(FONT[letter]):
        for col, ch in enumerate(line):
            if ch == "#":
                pixels[5 + row][x0 + col] = GREY
    x0 += 7

row_size = (WIDTH * 3 + 3) // 4 * 4
data = bytearray()
for y in reversed(range(HEIGHT)):  # bottom-up rows
    row = bytearray()
    for colour in pixels[y]:
        row += bytes(colour)
    data += row + bytes(row_size - len(row))
header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 2835, 2835, 0, 0)
out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources/address_logo.bmp")
out.write_bytes(header + info + data)
