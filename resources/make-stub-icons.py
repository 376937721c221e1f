#!/usr/bin/env python3
"""Draws the extractor's two icons and writes them as single-image icon files
of 32 x 32 pixels:

  stub-icon.ico      program icon (group 8001): a parcel with a down arrow,
                     256 colours (2238 bytes)
  password-icon.ico  password dialog icon (group 8002): a padlock, 16 colours
                     (766 bytes): it uses fewer, and the stub is smaller so

The program icon is also the builder's stub icon reference, so its directory
follows the one kind of icon a build accepts: planes and bit count 0, image
size 2216 at offset 22. Run from anywhere: python3 make-stub-icons.py
"""
import os
import struct
import sys

SIZE = 32

# Palette: index 0 transparent black, then a few named colours, the rest a
# 6x6x6 colour cube and a grey ramp so the table is a full 256 entries.
NAMED = {
    "clear": (0, 0, 0),
    "outline": (40, 30, 20),
    "box": (196, 150, 90),
    "box_dark": (150, 105, 55),
    "box_light": (225, 190, 130),
    "tape": (235, 220, 170),
    "arrow": (30, 110, 200),
    "arrow_dark": (15, 60, 130),
    "steel": (170, 175, 185),
    "steel_dark": (95, 100, 110),
    "gold": (230, 185, 40),
    "gold_dark": (160, 115, 10),
    "keyhole": (25, 25, 25),
}


def palette():
    colours = list(NAMED.values())
    for r in range(6):
        for g in range(6):
            for b in range(6):
                colours.append((r * 51, g * 51, b * 51))
    grey = 8
    while len(colours) < 256:
        colours.append((grey, grey, grey))
        grey += 8
    return colours[:256]


INDEX = {name: i for i, name in enumerate(NAMED)}


def blank():
    return [["clear"] * SIZE for _ in range(SIZE)]


def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = colour
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = colour


def parcel():
    img = blank()
    # Lid and body of an open carton, shaded on the right.
    fill(img, 4, 10, 27, 29, "box")
    fill(img, 20, 10, 27, 29, "box_dark")
    fill(img, 2, 6, 29, 10, "box_light")
    frame(img, 4, 10, 27, 29, "outline")
    frame(img, 2, 6, 29, 10, "outline")
    fill(img, 14, 11, 17, 28, "tape")
    # Down arrow into the carton.
    fill(img, 14, 0, 17, 12, "arrow")
    for row in range(6):
        fill(img, 10 + row, 12 + row, 21 - row, 12 + row, "arrow")
    for row in range(6):
        img[12 + row][10 + row] = "arrow_dark"
        img[12 + row][21 - row] = "arrow_dark"
    return img


def padlock():
    img = blank()
    # Shackle.
    for y in range(3, 16):
        for x in range(8, 24):
            dx, dy = x - 15.5, y - 12.0
            r2 = dx * dx + dy * dy
            if 36 <= r2 <= 64 and (y <= 12 or x < 11 or x > 20):
                img[y][x] = "steel_dark" if r2 > 52 else "steel"
    # Body with a keyhole.
    fill(img, 5, 14, 26, 30, "gold")
    fill(img, 5, 27, 26, 30, "gold_dark")
    frame(img, 5, 14, 26, 30, "outline")
    fill(img, 14, 18, 17, 21, "keyhole")
    fill(img, 15, 22, 16, 26, "keyhole")
    return img


def icon_file(img, bits=8):
    colours = palette()[:1 << bits]
    row_size = SIZE * bits // 8  # rows already 4-byte aligned
    xor_size = row_size * SIZE
    and_size = SIZE * 4  # 1 bit per pixel, 4 bytes per row
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bits, 0,
                         xor_size + and_size, 0, 0, len(colours), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    rows = img[::-1]  # bottom-up
    pixels = bytearray()
    for row in rows:
        indices = [INDEX[c] for c in row]
        if bits == 4:  # two pixels a byte, the left one in the high half
            indices = [indices[x] << 4 | indices[x + 1] for x in range(0, SIZE, 2)]
        pixels += bytes(indices)
    mask = bytearray()
    for row in rows:
        bits_set = 0
        for x, c in enumerate(row):
            if c == "clear":
                bits_set |= 1 << (31 - x)
        mask += struct.pack(">I", bits_set)
    image = header + table + bytes(pixels) + bytes(mask)
    assert len(image) == 40 + 4 * len(colours) + xor_size + and_size
    # The program icon's directory as the builder's reference has it: colour
    # count, planes and bit count 0.
    count, planes, bit_count = (0, 0, 0) if bits == 8 else (1 << bits, 1, bits)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, count, 0, planes, bit_count, len(image), 22)
    data = directory + image
    # The stub must never hold the meta data marker or a zip local header.
    for forbidden in (b"[VQ]", b"PK\x03\x04"):
        if forbidden in data:
            sys.exit("icon holds a forbidden byte sequence %r" % forbidden)
    return data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, img, bits in (("stub-icon.ico", parcel(), 8), ("password-icon.ico", padlock(), 4)):
        with open(os.path.join(here, name), "wb") as f:
            f.write(icon_file(img, bits))


if __name__ == "__main__":
    main()
