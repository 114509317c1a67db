#!/usr/bin/env python3
# Draws the tree control's glyph strips into resources/: six check-image strips of 25 squares of 16 x 16 (index 0
# empty; radio buttons 1-8, check boxes 9-16, mixed boxes 17-20, push buttons 21-24, each group in the order
# normal, hot, pressed, disabled, unchecked before checked), the utility strip (drop marks, sort arrows, hot-track
# underline pieces) and the two shaded expand buttons of 9 x 9. All but the XP strip use only white, silver, grey
# and black besides the magenta mask, so that loading maps them to the system colours. It also draws the wheel
# panning marks: three 32 x 32 images (a disc with the arrows of the directions the view can move, magenta around it)
# and the images of eleven monochrome 32 x 32 cursors, three like the images and eight with one arrow pointing where
# the view moves, each with its hot spot in the middle. Run it again to reproduce the files byte for byte.
import struct
import sys
from pathlib import Path

OUT = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources"

MASK = (255, 0, 255)
WHITE, SILVER, GREY, BLACK = (255, 255, 255), (192, 192, 192), (128, 128, 128), (0, 0, 0)
XP_BORDER, XP_FACE, XP_HOT, XP_PRESSED, XP_MARK = (28, 81, 128), (244, 244, 240), (255, 222, 150), (176, 176, 167), (
    33, 161, 33)
SIZE = 16

CHECK_MARK = [(3, 5), (3, 6), (3, 7), (4, 6), (4, 7), (4, 8), (5, 7), (5, 8), (5, 9), (6, 6), (6, 7), (6, 8), (7, 5),
              (7, 6), (7, 7), (8, 4), (8, 5), (8, 6), (9, 3), (9, 4), (9, 5)]
TICK_MARK = [(2, 6), (3, 7), (4, 8), (5, 9), (6, 8), (7, 7), (8, 6), (9, 5), (10, 4), (3, 6), (4, 7), (5, 8), (6, 7),
             (7, 6), (8, 5), (9, 4)]
MIXED_MARK = [(x, y) for x in range(3, 10) for y in range(5, 8)]
DOT_MARK = [(x, y) for x in range(5, 8) for y in range(5, 8)] + [(6, 4), (6, 8), (4, 6), (8, 6)]


def blank(w=SIZE, h=SIZE):
    return [[MASK] * w for _ in range(h)]


def box(style, fill, border_light, border_dark, mark, mark_color):
    px = blank()
    x0, y0 = 1, 1  # the 13 x 13 box within the square
    for y in range(13):
        for x in range(13):
            px[y0 + y][x0 + x] = fill
    if style == "flat":
        for i in range(13):
            px[y0][x0 + i] = px[y0 + 12][x0 + i] = px[y0 + i][x0] = px[y0 + i][x0 + 12] = border_dark
    else:
        for i in range(13):
            px[y0][x0 + i] = px[y0 + i][x0] = border_dark
            px[y0 + 12][x0 + i] = px[y0 + i][x0 + 12] = border_light
        for i in range(1, 12):
            px[y0 + 1][x0 + i] = px[y0 + i][x0 + 1] = BLACK if style == "3d" else border_dark
            px[y0 + 11][x0 + i] = px[y0 + i][x0 + 11] = SILVER if style == "3d" else border_light
    for x, y in mark:
        px[y0 + y][x0 + x] = mark_color
    return px


def radio(fill, ring, mark_color, checked):
    px = blank()
    cx = cy = 7
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= 5.5:
                px[y][x] = fill
            elif d <= 6.6:
                px[y][x] = ring if (x + y) <= cx + cy else WHITE
    if checked:
        for x, y in DOT_MARK:
            px[y + 1][x + 1] = mark_color
    return px


def push_button(pressed, disabled):
    px = blank()
    for y in range(1, 14):
        for x in range(1, 14):
            px[y][x] = SILVER
    light, dark = (GREY, WHITE) if pressed else (WHITE, GREY)
    for i in range(1, 14):
        px[1][i] = px[i][1] = light
        px[13][i] = px[i][13] = BLACK if not pressed else dark
        px[12][i] = px[i][12] = dark if i < 13 and i > 1 else px[12][i]
    if disabled:
        for i in range(5, 10):
            px[7][i] = GREY
    return px


def check_strip(kind):
    """The 25 check images of one kind; XP uses colours of its own and is not colour-mapped."""
    xp = kind == "xp"
    style = {"flat": "flat", "xp": "flat"}.get(kind, "3d")
    mark = TICK_MARK if kind in ("light_tick", "dark_tick") else CHECK_MARK
    normal_fill = SILVER if kind in ("dark_check", "dark_tick") else (XP_FACE if xp else WHITE)
    hot_fill = XP_HOT if xp else (WHITE if normal_fill == SILVER else SILVER)
    pressed_fill = XP_PRESSED if xp else GREY
    disabled_fill = SILVER
    light, dark = (XP_BORDER, XP_BORDER) if xp else (WHITE, GREY)
    mark_color = XP_MARK if xp else BLACK
    fills = {"normal": normal_fill, "hot": hot_fill, "pressed": pressed_fill, "disabled": disabled_fill}
    looks = ["normal", "hot", "pressed", "disabled"]
    frames = [blank()]
    for checked in (False, True):
        for look in looks:
            marker = GREY if look == "disabled" else mark_color
            frames.append(radio(fills[look], dark if xp else GREY, marker, checked))
    for checked in (False, True):
        for look in looks:
            marker = GREY if look == "disabled" else mark_color
            frames.append(box(style, fills[look], light, dark, mark if checked else [], marker))
    for look in looks:
        marker = GREY if look == "disabled" else mark_color
        frames.append(box(style, fills[look], light, dark, MIXED_MARK, marker))
    for look in looks:
        frames.append(push_button(look == "pressed", look == "disabled"))
    assert len(frames) == 25
    return frames


def utility_strip():
    frames = []
    # Drop marks: an arrow pointing right (left edge of a column) and one pointing left.
    for direction in (1, -1):
        px = blank()
        for i in range(5):
            for y in range(7 - i, 8 + i):
                x = 5 + i if direction > 0 else 10 - i
                px[y][x] = BLACK
        frames.append(px)
    # Sort glyphs: up and down triangles, in black and in grey.
    for color in (BLACK, GREY):
        for up in (True, False):
            px = blank()
            for row in range(4):
                y = 6 + row if up else 9 - row
                for x in range(7 - row, 8 + row + 1):
                    px[y][x] = color
            frames.append(px)
    # Hot-track underline: left end, middle and right end pieces.
    for piece in ("left", "middle", "right"):
        px = blank()
        start = 2 if piece == "left" else 0
        end = 13 if piece == "right" else SIZE
        for x in range(start, end):
            px[14][x] = BLACK
        frames.append(px)
    return frames


def shaded_button(plus):
    px = [[GREY] * 9 for _ in range(9)]
    for y in range(1, 8):
        for x in range(1, 8):
            shade = 255 - (x + y) * 6
            px[y][x] = (shade, shade, shade)
    for x in range(2, 7):
        px[4][x] = BLACK
    if plus:
        for y in range(2, 7):
            px[y][4] = BLACK
    return px


def strip(frames):
    return [sum((f[y] for f in frames), []) for y in range(len(frames[0]))]


def bitmap24(pixels):
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) // 4 * 4
    data = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0") for row in reversed(pixels))
    file_header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    return file_header + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data


for kind in ("light_check", "dark_check", "light_tick", "dark_tick", "flat", "xp"):
    (OUT / f"tree_{kind}.bmp").write_bytes(bitmap24(strip(check_strip(kind))))
(OUT / "tree_utilities.bmp").write_bytes(bitmap24(strip(utility_strip())))
(OUT / "tree_button_minus.bmp").write_bytes(bitmap24(shaded_button(False)))
(OUT / "tree_button_plus.bmp").write_bytes(bitmap24(shaded_button(True)))


# ---- wheel panning marks
PAN_SIZE = 32
PAN_CENTRE = PAN_SIZE / 2
DIRECTIONS = {"n": (0, -1), "s": (0, 1), "e": (1, 0), "w": (-1, 0), "ne": (1, -1), "se": (1, 1), "nw": (-1, -1),
              "sw": (-1, 1)}


def in_arrow(x, y, direction, base, tip, half_width):
    """Whether the pixel's centre lies in the triangle pointing along direction from base to tip (distances from
    the middle)."""
    dx, dy = direction
    length = (dx * dx + dy * dy) ** 0.5
    dx, dy = dx / length, dy / length
    px, py = x + 0.5 - PAN_CENTRE, y + 0.5 - PAN_CENTRE
    along, across = px * dx + py * dy, px * -dy + py * dx
    return base <= along <= tip and abs(across) <= half_width * (tip - along) / (tip - base)


def in_disc(x, y, radius):
    return (x + 0.5 - PAN_CENTRE) ** 2 + (y + 0.5 - PAN_CENTRE) ** 2 <= radius * radius


def outlined(filled):
    """'.' for the filled pixels, '#' for the ring of pixels touching them, ' ' elsewhere."""
    def near(x, y):
        return any(filled(x + i, y + j) for i in (-1, 0, 1) for j in (-1, 0, 1))
    return ["".join("." if filled(x, y) else "#" if near(x, y) else " " for x in range(PAN_SIZE))
            for y in range(PAN_SIZE)]


def panning_mark(names):
    """The disc with black arrows towards each direction named and a black dot in the middle; '#' black,
    '.' white, ' ' outside."""
    rows = []
    for y in range(PAN_SIZE):
        row = ""
        for x in range(PAN_SIZE):
            if not in_disc(x, y, 15.5):
                row += " "
            elif not in_disc(x, y, 14.5) or in_disc(x, y, 2.5) or any(
                    in_arrow(x, y, DIRECTIONS[n], 6, 13, 5) for n in names):
                row += "#"
            else:
                row += "."
        rows.append(row)
    return rows


def direction_cursor(name):
    """A small ring at the hot spot and one white, black-edged arrow pointing where the view moves."""
    ring = outlined(lambda x, y: in_disc(x, y, 3))
    arrow = outlined(lambda x, y: in_arrow(x, y, DIRECTIONS[name], 5, 15, 5))
    return ["".join(a if a != " " else r for a, r in zip(arrow_row, ring_row)) for arrow_row, ring_row in
            zip(arrow, ring)]


def mark_bitmap(rows):
    colours = {" ": MASK, "#": BLACK, ".": WHITE}
    return bitmap24([[colours[c] for c in row] for row in rows])


def cursor_image(rows):
    """One cursor image as the platform makes cursors from resource data: the hot spot (the middle), then a
    monochrome DIB of twice the height, the XOR mask over the AND mask. tree.rc keeps it as raw data: the linker
    fails on a program whose resource files hold cursors in more than one of them."""
    size = PAN_SIZE
    xor_mask, and_mask = b"", b""
    for row in reversed(rows):
        xor_mask += int("".join("1" if c == "." else "0" for c in row), 2).to_bytes(size // 8, "big")
        and_mask += int("".join("1" if c == " " else "0" for c in row), 2).to_bytes(size // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    hot_spot = size // 2
    return struct.pack("<HH", hot_spot, hot_spot) + header + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + xor_mask + and_mask


PAN_MARKS = {"movens": ("n", "s"), "moveew": ("e", "w"), "moveall": ("n", "s", "e", "w")}
for mark, names in PAN_MARKS.items():
    (OUT / f"tree_{mark}.bmp").write_bytes(mark_bitmap(panning_mark(names)))
    (OUT / f"tree_{mark}_cursor.bin").write_bytes(cursor_image(panning_mark(names)))
for name in DIRECTIONS:
    (OUT / f"tree_move{name}_cursor.bin").write_bytes(cursor_image(direction_cursor(name)))
