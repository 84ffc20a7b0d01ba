#!/usr/bin/env python3
"""Draws Quillex's icon (quillex.ico: a filter funnel over a chip, 16x16 and 32x32,
32-bit with alpha) and its toolbar bitmap (toolbar.bmp: 16x15 buttons "about" and
"check filters", 4-bit, light grey background) and writes them beside this script.

The shapes are described in a unit square and sampled 8x8 times per pixel, so both icon
sizes come from one drawing. Run it again after changing a shape; nothing else reads it.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUB = 8  # samples per pixel along each axis

# Colours (R, G, B)
OUTLINE = (16, 40, 72)
FUNNEL_LIGHT = (120, 200, 235)
FUNNEL_DARK = (20, 110, 170)
CHIP = (70, 74, 82)
CHIP_MARK = (150, 156, 166)
PIN = (210, 170, 60)


def in_funnel(u, v):
    if 0.06 <= v < 0.17:                      # rim
        return 0.06 <= u <= 0.94
    if 0.17 <= v < 0.50:                      # cone
        t = (v - 0.17) / 0.33
        half = 0.42 - t * (0.42 - 0.09)
        return abs(u - 0.5) <= half
    if 0.50 <= v < 0.66:                      # spout
        return abs(u - 0.5) <= 0.09
    return False


def in_chip(u, v):
    return 0.18 <= u <= 0.82 and 0.70 <= v <= 0.88


def in_pin(u, v):
    if not 0.88 < v <= 0.99:
        return False
    for centre in (0.28, 0.42, 0.58, 0.72):
        if abs(u - centre) <= 0.045:
            return True
    return False


def shape_at(u, v):
    if in_funnel(u, v):
        return 1
    if in_chip(u, v):
        return 2
    if in_pin(u, v):
        return 3
    return 0


def render(size):
    """Returns rows of (r, g, b, a) for a size x size icon, top row first."""
    n = size * SUB
    grid = [[shape_at((x + 0.5) / n, (y + 0.5) / n) for x in range(n)] for y in range(n)]
    # A sample is outline when a sample about one pixel away is of another shape.
    reach = max(1, SUB * 9 // 10)

    def edge(x, y):
        s = grid[y][x]
        for dx, dy in ((reach, 0), (-reach, 0), (0, reach), (0, -reach),
                       (reach * 7 // 10, reach * 7 // 10), (-reach * 7 // 10, reach * 7 // 10),
                       (reach * 7 // 10, -reach * 7 // 10), (-reach * 7 // 10, -reach * 7 // 10)):
            xx, yy = x + dx, y + dy
            if not (0 <= xx < n and 0 <= yy < n) or grid[yy][xx] != s:
                return True
        return False

    def colour(x, y):
        s = grid[y][x]
        u, v = (x + 0.5) / n, (y + 0.5) / n
        if s == 3:
            return PIN
        if edge(x, y):
            return OUTLINE
        if s == 1:
            t = min(1.0, max(0.0, (u - 0.15) / 0.7))
            return tuple(int(a + (b - a) * t) for a, b in zip(FUNNEL_LIGHT, FUNNEL_DARK))
        if 0.76 <= v <= 0.80 and 0.30 <= u <= 0.50:
            return CHIP_MARK
        return CHIP

    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(py * SUB, (py + 1) * SUB):
                for sx in range(px * SUB, (px + 1) * SUB):
                    if grid[sy][sx]:
                        c = colour(sx, sy)
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                row.append((r // a, g // a, b // a, a * 255 // (SUB * SUB)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico_image(size):
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask


def write_ico(path, sizes):
    images = [ico_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# The standard 16-colour palette, so a toolbar loader can map grey to the button face.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
GREY, NAVY, BLUE, WHITE, CYAN, BLACK = 7, 4, 12, 15, 14, 0

# The check button: a magnifying glass over a grey page.
CHECK = [
    "................",
    "...NNNNN........",
    "..NWWWWWN.......",
    ".NWCCWWWWN......",
    ".NWCWWWWWN......",
    ".NWWWWWWWN......",
    ".NWWWWWWWN......",
    ".NWWWWWWWN......",
    "..NWWWWWN.......",
    "...NNNNNKK......",
    "........KKK.....",
    ".........KKK....",
    "..........KKK...",
    "...........KK...",
    "................",
]

# The about button: a blue disc with a white "i".
ABOUT = [
    "................",
    ".....NNNNNN.....",
    "...NNBBBBBBNN...",
    "..NBBBBWWBBBBN..",
    "..NBBBBWWBBBBN..",
    ".NBBBBBBBBBBBBN.",
    ".NBBBBWWWBBBBBN.",
    ".NBBBBBWWBBBBBN.",
    ".NBBBBBWWBBBBBN.",
    ".NBBBBBWWBBBBBN.",
    "..NBBBBWWBBBBN..",
    "..NBBBWWWWBBBN..",
    "...NNBBBBBBNN...",
    ".....NNNNNN.....",
    "................",
]


# The buttons' images, left to right as the toolbar resource lists its buttons.
BUTTONS = [ABOUT, CHECK]


def write_toolbar_bmp(path):
    index = {".": GREY, "N": NAVY, "B": BLUE, "W": WHITE, "C": CYAN, "K": BLACK}
    width, height = 16 * len(BUTTONS), 15
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b""
    for y in reversed(range(height)):
        row = bytearray(stride)
        line = "".join(image[y] for image in BUTTONS)
        for x, ch in enumerate(line):
            row[x // 2] |= index[ch] << (0 if x % 2 else 4)
        pixels += bytes(row)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + pixels)


if __name__ == "__main__":
    write_ico(os.path.join(HERE, "quillex.ico"), [16, 32])
    write_toolbar_bmp(os.path.join(HERE, "toolbar.bmp"))
