#!/usr/bin/env python3
"""Draws the builder's artwork and writes it into the folder named on the
command line (created if missing):

  builder.ico     application icon: a folder with a gear, one 32 x 32 image
                  with 256 colours (2238 bytes, make-stub-icons.py's writer)
  banner.avi      wizard page banner, 496 x 48, 30 frames of 100 ms: a parcel
                  sliding along a gradient strip among twinkling sparkles
  intro-left.avi  introduction page picture, 146 x 285, 36 frames of 66.667 ms:
                  files and folders falling into an open carton
  intro-top.avi   introduction page title, 304 x 112, 21 frames of 200 ms: the
                  word Varnoquist in a pixel font with a shimmer passing over it
  logmarks.bmp    build log marks, 48 x 16, 24 bits: green ball, red ball, empty
  checkboxes.bmp  check box states, 39 x 13, 24 bits: unused navy square,
                  navy empty box, red box with a red tick

The clips are uncompressed 8-bit AVI files for the Animation control, which
takes the colour of a frame's first pixel as transparent: every clip keeps
its corners in a plain background colour (palette index 0) that nothing else
uses. The bitmaps use magenta as their transparent colour. Everything is drawn
from code, so each run writes the same bytes.

Usage: python3 make-builder-art.py OUTPUT_FOLDER
"""
import math
import os
import runpy
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BACKGROUND = (240, 240, 240)
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)


def mix(a, b, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def ramp(colours, a, b, n):
    """Appends n colours running from a to b; returns their palette indices."""
    first = len(colours)
    colours.extend(mix(a, b, i / (n - 1)) for i in range(n))
    return list(range(first, first + n))


def add(colours, **named):
    """Appends named colours; returns a dict of their palette indices."""
    first = len(colours)
    colours.extend(named.values())
    return {name: first + i for i, name in enumerate(named)}


class Canvas:
    """A top-down grid of palette indices; drawing outside it is clipped."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(w * h)

    def copy(self):
        other = Canvas(self.w, self.h)
        other.px[:] = self.px
        return other

    def put(self, x, y, index):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = index

    def rect(self, x0, y0, x1, y1, index):
        """Fills from (x0, y0) to (x1, y1), both corners included."""
        x0, x1 = max(x0, 0), min(x1, self.w - 1)
        if x0 > x1:
            return
        run = bytes([index]) * (x1 - x0 + 1)
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            self.px[y * self.w + x0:y * self.w + x1 + 1] = run


def panel(w, h, r, shade):
    """A canvas holding a panel with corners rounded to radius r, coloured by
    shade(x, y), on the plain background."""
    cv = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            cx, cy = min(max(x, r), w - 1 - r), min(max(y, r), h - 1 - r)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                cv.px[y * w + x] = shade(x, y)
    return cv


def sparkle(cv, x, y, size, core, glow):
    """A four-pointed star with arms of the given length (0 draws nothing)."""
    if size > 0:
        cv.put(x, y, core)
    for d in range(1, size + 1):
        colour = core if d < size - 1 else glow
        for dx, dy in ((d, 0), (-d, 0), (0, d), (0, -d)):
            cv.put(x + dx, y + dy, colour)


def twinkle(frame, phase, period):
    """Star size over a period: grows to 3, shrinks, then rests at 0."""
    return max(0, 3 - abs((frame + phase) % period - 3))


def carton(cv, x, y, w, h, d, c, part="closed"):
    """A box seen from above and the right: front face w by h at (x, y), top
    and right side faces d pixels deep. "closed" draws a taped parcel; an open
    carton is drawn as "back" before what falls into it and "front" after."""
    o = c["outline"]
    if part != "front":
        if part == "back":  # the far flap, standing up
            cv.rect(x + d, y - d - 8, x + w - 1 + d, y - d, o)
            cv.rect(x + d + 1, y - d - 7, x + w - 2 + d, y - d - 1, c["light"])
        for i in range(1, d + 1):
            cv.rect(x + i, y - i, x + w - 1 + i, y - i, c["inside" if part == "back" else "light"])
            if part == "closed":
                cv.rect(x + w // 2 - 2 + i, y - i, x + w // 2 + 1 + i, y - i, c["tape"])
        cv.rect(x + d, y - d, x + w - 1 + d, y - d, o)
    if part != "back":
        for i in range(1, d + 1):
            cv.rect(x + w - 1 + i, y - i, x + w - 1 + i, y + h - 1 - i, c["shade"])
        cv.rect(x + w - 1 + d, y - d, x + w - 1 + d, y + h - 1 - d, o)
        cv.rect(x, y, x + w - 1, y + h - 1, o)
        cv.rect(x + 1, y + 1, x + w - 2, y + h - 2, c["box"])
        for i in range(d + 1):  # the slanted edges
            cv.put(x + i, y - i, o)
            cv.put(x + w - 1 + i, y + h - 1 - i, o)
        if part == "closed":
            cv.rect(x + w // 2 - 2, y + 1, x + w // 2 + 1, y + h // 3, c["tape"])
        else:  # the near flap, folded down over the front
            for i in range(9):
                cv.rect(x - i // 2, y + i, x + w - 1 - i // 2, y + i, o)
                cv.rect(x + 1 - i // 2, y + i, x + w - 2 - i // 2, y + i, c["light"])
            cv.rect(x - 4, y + 9, x + w - 5, y + 9, o)


CARTON = dict(outline=(70, 45, 20), box=(200, 150, 85), shade=(150, 100, 50),
              light=(230, 195, 135), tape=(240, 225, 175), inside=(95, 60, 30))


def write_avi(path, usec, colours, frames):
    """Writes uncompressed 8-bit frames (Canvas objects) as an AVI file with
    one video stream and an index of key frames."""
    assert len(colours) <= 256 and BACKGROUND not in colours[1:]
    colours = colours + [(0, 0, 0)] * (256 - len(colours))
    w, h = frames[0].w, frames[0].h
    stride = (w + 3) & ~3
    size = stride * h
    rate = round(1000000 / usec)

    def chunk(fourcc, data):
        return fourcc + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)

    def bottom_up(cv):
        pad = b"\0" * (stride - w)
        return b"".join(bytes(cv.px[y * w:(y + 1) * w]) + pad for y in reversed(range(h)))

    avih = struct.pack("<14I", usec, size * rate, 0, 0x10, len(frames), 0, 1, size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, rate, 0,
                       len(frames), size, 0xFFFFFFFF, 0, 0, 0, w, h)
    strf = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, size, 0, 0, 256, 0)
    strf += b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)
    strl = chunk(b"LIST", b"strl" + chunk(b"strh", strh) + chunk(b"strf", strf))
    hdrl = chunk(b"LIST", b"hdrl" + chunk(b"avih", avih) + strl)
    movi, index = [], []
    offset = 4  # idx1 offsets count from the 'movi' fourcc
    for cv in frames:
        movi.append(chunk(b"00db", bottom_up(cv)))
        index.append(struct.pack("<4sIII", b"00db", 0x10, offset, size))
        offset += len(movi[-1])
    movi = chunk(b"LIST", b"movi" + b"".join(movi))
    with open(path, "wb") as f:
        f.write(chunk(b"RIFF", b"AVI " + hdrl + movi + chunk(b"idx1", b"".join(index))))


def write_bmp(path, w, h, pixel):
    """Writes a 24-bit BMP; pixel(x, y) gives the RGB colour, y from the top."""
    stride = (w * 3 + 3) & ~3
    rows = b"".join(bytes(v for x in range(w) for v in pixel(x, y)[::-1]).ljust(stride, b"\0")
                    for y in reversed(range(h)))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


def banner():
    w, h = 496, 48
    colours = [BACKGROUND]
    plain = ramp(colours, (25, 45, 110), (30, 150, 160), 64)
    gloss = ramp(colours, (60, 80, 140), (75, 175, 185), 64)
    c = add(colours, trail=(140, 200, 225), star=WHITE, glow=(250, 225, 120), **CARTON)
    base = panel(w, h, 8, lambda x, y: (gloss if y < 18 else plain)[x * 64 // w])
    stars = [(14 + 34 * i + i * 7 % 11, 7 + i * 13 % 31, i * 7 % 10) for i in range(14)]
    frames = []
    for f in range(30):
        cv = base.copy()
        for x, y, phase in stars:
            sparkle(cv, x, y, twinkle(f, phase, 10), c["star"], c["glow"])
        for k in range(2):  # two parcels half a lap apart, so one is always in view
            x = round(((f / 30 + k / 2) % 1) * (w + 80)) - 40
            for dy, length in ((22, 14), (28, 22), (34, 10)):
                cv.rect(x - length - 4, dy, x - 4, dy, c["trail"])
            carton(cv, x, 20, 24, 18, 6, c)
        frames.append(cv)
    return colours, frames


def intro_left():
    w, h = 146, 285
    colours = [BACKGROUND]
    sky = ramp(colours, (215, 232, 252), (95, 140, 210), 64)
    c = add(colours, ground=(70, 105, 170), paper=WHITE, line=(150, 160, 180),
            fold=(205, 210, 220), edge=(60, 70, 90), folder=(235, 190, 60),
            folder_dark=(185, 135, 25), star=WHITE, glow=(255, 240, 170), **CARTON)
    base = panel(w, h, 10, lambda x, y: sky[y * 64 // h])
    for y in range(262, 272):  # the carton's shadow on the ground
        half = round(60 * math.sqrt(1 - ((y - 267) / 5.5) ** 2))
        base.rect(73 - half, y, 73 + half, y, c["ground"])
    bx, by, bw, bh, bd = 28, 214, 82, 52, 12

    def sheet(cv, x, y):
        cv.rect(x, y, x + 13, y + 17, c["edge"])
        cv.rect(x + 1, y + 1, x + 12, y + 16, c["paper"])
        for i in range(5):  # dog-eared corner
            cv.rect(x + 8 + i, y + 1 + i, x + 12, y + 1 + i, c["fold"] if i else c["edge"])
            cv.put(x + 8, y + 1 + i, c["edge"])
        for ly in range(y + 7, y + 16, 2):
            cv.rect(x + 3, ly, x + 10 - (ly % 3), ly, c["line"])

    def folder(cv, x, y):
        cv.rect(x, y, x + 7, y + 3, c["folder_dark"])
        cv.rect(x, y + 2, x + 17, y + 13, c["folder_dark"])
        cv.rect(x + 1, y + 4, x + 17, y + 13, c["folder"])
        cv.rect(x + 1, y + 13, x + 17, y + 13, c["edge"])

    flyers = [(20, 30, sheet), (100, -18, folder), (52, 22, sheet), (116, -24, sheet)]
    frames = []
    for f in range(36):
        cv = base.copy()
        for i in range(6):
            sparkle(cv, 18 + i * 23, 24 + i * 37 % 120, twinkle(f, i * 5, 12), c["star"], c["glow"])
        carton(cv, bx, by, bw, bh, bd, c, "back")
        for k, (sx, bulge, draw) in enumerate(flyers):
            t = ((f + 9 * k) % 36) / 36
            ex = bx + bw // 2 + bd // 2 - 8
            draw(cv, round(sx + (ex - sx) * t + bulge * math.sin(math.pi * t)),
                 round(-24 + (by + 2 + 24) * t * t))
        carton(cv, bx, by, bw, bh, bd, c, "front")
        frames.append(cv)
    return colours, frames


# A small pixel font, just the letters of the name: rows of 5 (or fewer)
# columns, top to bottom; lower case sits on row 6, q reaches down to row 8.
FONT = {
    "V": "#...# #...# #...# #...# .#.#. .#.#. ..#..",
    "a": "..... ..... .###. ....# .#### #...# .####",
    "r": "..... ..... #.##. ##..# #.... #.... #....",
    "n": "..... ..... #.##. ##..# #...# #...# #...#",
    "o": "..... ..... .###. #...# #...# #...# .###.",
    "q": "..... ..... .#### #...# #...# #...# .#### ....# ....#",
    "u": "..... ..... #...# #...# #...# #..## .##.#",
    "i": ".#. ... ##. .#. .#. .#. ###",
    "s": "..... ..... .#### #.... .###. ....# ####.",
    "t": ".#... .#... ####. .#... .#... .#..# ..##.",
}


def intro_top():
    w, h, scale, word = 304, 112, 4, "Varnoquist"
    colours = [BACKGROUND]
    # Word colours: 12 steps from top to bottom, each in 4 shimmer strengths.
    ink = []
    for i in range(12):
        colour = mix((95, 155, 245), (25, 50, 150), i / 11)
        ink.append(ramp(colours, colour, mix(colour, WHITE, 0.9), 4))
    c = add(colours, outline=(15, 25, 70), shadow=(165, 175, 200), star=WHITE,
            glow=(255, 215, 90))
    bar = ramp(colours, (250, 205, 70), (225, 110, 30), 32)
    width = sum(len(FONT[ch].split()[0]) + 1 for ch in word) - 1
    x0, y0 = (w - width * scale) // 2, 32
    text = set()
    for ch in word:
        rows = FONT[ch].split()
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "#":
                    text.update((x0 + gx * scale + i, y0 + gy * scale + j)
                                for i in range(scale) for j in range(scale))
        x0 += (len(rows[0]) + 1) * scale
    ring = {(x + dx, y + dy) for (x, y) in text for dx in (-1, 0, 1) for dy in (-1, 0, 1)} - text
    base = Canvas(w, h)
    for (x, y) in text | ring:
        base.put(x + 3, y + 3, c["shadow"])
    for (x, y) in ring:
        base.put(x, y, c["outline"])
    left, bottom = (w - width * scale) // 2, y0 + 9 * scale + 6  # below the q
    for y in range(bottom, bottom + 5):
        inset = 1 if y in (bottom, bottom + 4) else 0
        for x in range(left + inset, left + width * scale - inset):
            base.put(x, y, bar[(x - left) * 32 // (width * scale)])
    frames = []
    for f in range(21):
        cv = base.copy()
        band = -60 + f * 30  # crosses the word in the first 14 frames, then rests
        for (x, y) in text:
            d = abs(x - band + (y - y0) // 2)
            cv.put(x, y, ink[min((y - y0) * 12 // (9 * scale), 11)][
                3 if d < 5 else 2 if d < 10 else 1 if d < 16 else 0])
        for sx, sy, start in ((left + 2, y0 - 4, 2), (left + 39 * scale, y0 - 3, 12),
                              (left + width * scale - 2, bottom + 2, 15)):
            sparkle(cv, sx, sy, twinkle(f, 3 - start, 21), c["star"], c["glow"])
        frames.append(cv)
    return colours, frames


def builder_icon(icons):
    """A yellow folder holding papers, with a steel gear in front."""
    img = icons["blank"]()
    fill, frame = icons["fill"], icons["frame"]
    fill(img, 2, 4, 12, 8, "gold_dark")
    fill(img, 1, 7, 29, 27, "gold_dark")
    frame(img, 2, 4, 12, 7, "outline")
    frame(img, 1, 7, 29, 27, "outline")
    fill(img, 4, 9, 26, 12, "tape")
    frame(img, 4, 9, 26, 13, "outline")
    fill(img, 1, 12, 29, 27, "gold")
    frame(img, 1, 12, 29, 27, "outline")

    def gear(x, y):
        dx, dy = x - 22, y - 22
        tooth = (math.atan2(dy, dx) * 6 / (2 * math.pi) + 0.25) % 1 < 0.5
        return 2.5 < math.hypot(dx, dy) <= (9.2 if tooth else 6.6)

    for y in range(12, 32):
        for x in range(12, 32):
            if gear(x, y):
                rim = not all(gear(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                img[y][x] = "outline" if rim else "steel_dark" if x + y > 46 else "steel"
    return icons["icon_file"](img)


def ball(x, y, colour):
    dx, dy = x - 7.5, y - 7.5
    r = math.hypot(dx, dy) / 7.3
    if r > 1:
        return MAGENTA
    if r > 0.87:
        return mix(colour, (0, 0, 0), 0.45)
    nx, ny, nz = dx / 7.3, dy / 7.3, math.sqrt(1 - r * r)
    light = max(0.0, -0.45 * nx - 0.55 * ny + 0.7 * nz)  # lit from the top left
    shaded = mix((0, 0, 0), colour, 0.35 + 0.65 * light)
    return mix(shaded, WHITE, max(0.0, light - 0.75) * 3)


NAVY, RED = (0, 0, 128), (255, 0, 0)


def checkbox(x, y, kind):
    # 0: a navy square (never shown), 1: a navy empty box, 2: a red box
    # with a red tick.
    if kind == 0:
        return NAVY
    ink = NAVY if kind == 1 else RED
    if x in (0, 12) or y in (0, 12):
        return ink
    tick = kind == 2 and 3 <= x <= 9 and 0 <= y - (5, 6, 7, 6, 5, 4, 3)[x - 3] <= 2
    return ink if tick else WHITE


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-builder-art.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons = runpy.run_path(os.path.join(HERE, "make-stub-icons.py"))
    with open(os.path.join(out, "builder.ico"), "wb") as f:
        f.write(builder_icon(icons))
    for name, usec, draw in (("banner.avi", 100000, banner), ("intro-left.avi", 66667, intro_left),
                             ("intro-top.avi", 200000, intro_top)):
        write_avi(os.path.join(out, name), usec, *draw())
    marks = ((40, 175, 50), (215, 45, 35))
    write_bmp(os.path.join(out, "logmarks.bmp"), 48, 16,
              lambda x, y: ball(x % 16, y, marks[x // 16]) if x < 32 else MAGENTA)
    write_bmp(os.path.join(out, "checkboxes.bmp"), 39, 13,
              lambda x, y: checkbox(x % 13, y, x // 13))


if __name__ == "__main__":
    main()
