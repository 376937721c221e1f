#!/usr/bin/env python3
"""Draws the extractor's two icons and writes them as single-image icon files
of 32 x 32 pixels with 256 colours (2238 bytes each):

  stub-icon.ico      program icon (group 8001): a parcel with a down arrow
  password-icon.ico  password dialog icon (group 8002): a padlock

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


def icon_file(img):
    colours = palette()
    xor_size = SIZE * SIZE  # 8 bits per pixel, rows already 4-byte aligned
    and_size = SIZE * 4  # 1 bit per pixel, 4 bytes per row
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         xor_size + and_size, 0, 0, 256, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    rows = img[::-1]  # bottom-up
    pixels = bytes(INDEX[c] for row in rows for c in row)
    mask = bytearray()
    for row in rows:
        bits = 0
        for x, c in enumerate(row):
            if c == "clear":
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    image = header + table + pixels + bytes(mask)
    assert len(image) == 2216
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 0, 0, 0, 0, len(image), 22)
    data = directory + image
    assert len(data) == 2238
    # The stub must never hold the meta data marker or a zip local header.
    for forbidden in (b"[VQ]", b"PK\x03\x04"):
        if forbidden in data:
            sys.exit("icon holds a forbidden byte sequence %r" % forbidden)
    return data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, img in (("stub-icon.ico", parcel()), ("password-icon.ico", padlock())):
        with open(os.path.join(here, name), "wb") as f:
            f.write(icon_file(img))


if __name__ == "__main__":
    main()
