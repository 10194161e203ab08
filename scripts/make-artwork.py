#!/usr/bin/env python3
"""Regenerate the Quorvane artwork: res/quorvane.ico and res/sidebar.bmp.

Everything is drawn pixel by pixel in the 16-colour VGA palette so the
pictures look at home on a 16-colour display and the output is
byte-identical from run to run (no timestamps, no external libraries).
"""

import os
import struct
import sys

# Standard 16-colour Windows palette, in palette-index order (0xRRGGBB).
PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000,
    0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
    0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]

(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE) = range(16)

CLEAR = None  # transparent pixel (icons only)

# One step darker for each colour, used for cast shadows.
DARKER = {WHITE: SILVER, SILVER: GREY, GREY: BLACK, TEAL: NAVY, NAVY: BLACK,
          BLUE: NAVY, CYAN: TEAL, LIME: GREEN, YELLOW: OLIVE, RED: MAROON,
          MAGENTA: PURPLE, GREEN: BLACK, OLIVE: BLACK, MAROON: BLACK,
          PURPLE: BLACK}


def bayer(n):
    """n x n ordered-dither matrix (n a power of two), values 0 .. n*n-1."""
    m = [[0]]
    while len(m) < n:
        s = len(m)
        m = [[4 * m[y % s][x % s] + (0, 2, 3, 1)[(y // s) * 2 + (x // s)]
              for x in range(2 * s)] for y in range(2 * s)]
    return m


BAYER8 = bayer(8)


class Canvas:
    """A grid of palette indices with a few drawing primitives.

    All rectangle coordinates are inclusive; drawing clips silently so
    shapes may hang over the edge.
    """

    def __init__(self, width, height, fill=CLEAR):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.px[y][x]

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """Light top/left, dark bottom/right: raised, or sunk if swapped."""
        self.hline(x0, x1, y0, light)
        self.vline(x0, y0, y1, light)
        self.hline(x0, x1, y1, dark)
        self.vline(x1, y0, y1, dark)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x1 > x0 else -1), (1 if y1 > y0 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if (x0, y0) == (x1, y1):
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dither(self, x, y, a, b, t):
        """Ordered-dither between colours a and b; t=0 gives a, t=1 gives b."""
        n = len(BAYER8)
        level = BAYER8[y % n][x % n]
        self.put(x, y, b if t * n * n > level + 0.5 else a)

    def shadow(self, x0, y0, x1, y1, notch=0):
        """Darken a rectangle (less a notched top-right corner) one step per
        colour, so a shadow on dithered sky keeps the sky's pattern rather
        than adding a second one."""
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            right = min(x1, x1 - notch + (y - y0))
            for x in range(max(0, x0), min(self.width, right + 1)):
                c = self.px[y][x]
                self.px[y][x] = DARKER.get(c, c)

    def stamp(self, x0, y0, rows, colours):
        """Copy hand-placed pixels; unmapped characters are left alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.put(x0 + dx, y0 + dy, colours[ch])


# --------------------------------------------------------------------------
# The floppy disk motif, shared by the large icon and the sidebar.

def floppy_notch(w):
    return max(3, w // 9)


def draw_floppy(cv, x0, y0, w, h, band=None, write_protect=False):
    """A 3.5-inch disk seen from the front, top-left corner at (x0, y0).

    `band` colours the label's header stripe; the write-protect window is
    only worth drawing when the disk is big.
    """
    x1, y1 = x0 + w - 1, y0 + h - 1
    notch = floppy_notch(w)

    # Body with the notched top-right corner left unpainted.
    for i in range(notch):
        cv.hline(x0, x1 - notch + i, y0 + i, NAVY)
    cv.rect(x0, y0 + notch, x1, y1, NAVY)
    cv.hline(x0, x1 - notch, y0, BLACK)
    cv.vline(x0, y0, y1, BLACK)
    cv.hline(x0, x1, y1, BLACK)
    cv.vline(x1, y0 + notch, y1, BLACK)
    cv.line(x1 - notch, y0, x1, y0 + notch, BLACK)
    # Bright rim along the top and left suggests moulded plastic.
    cv.hline(x0 + 1, x1 - notch, y0 + 1, BLUE)
    cv.vline(x0 + 1, y0 + 1, y1 - 1, BLUE)

    # Metal shutter, flush with the top edge, its slot off-centre as on
    # the real thing.
    sx0, sx1 = x0 + round(w * 0.27), x0 + round(w * 0.77)
    sy1 = y0 + round(h * 0.36)
    cv.rect(sx0, y0, sx1, sy1, SILVER)
    cv.bevel(sx0, y0 + 1, sx1, sy1, WHITE, GREY)
    cv.frame(sx0 - 1, y0, sx1 + 1, sy1 + 1, BLACK)
    cv.hline(sx0, sx1, y0, BLACK)
    slot_w = max(3, round(w * 0.13))
    kx0 = sx0 + round((sx1 - sx0) * 0.58)
    ky0, ky1 = y0 + round(h * 0.08), sy1 - round(h * 0.08)
    cv.rect(kx0, ky0, kx0 + slot_w - 1, ky1, NAVY)
    cv.hline(kx0, kx0 + slot_w - 1, ky0, BLACK)
    cv.vline(kx0, ky0, ky1, BLACK)

    # Paper label on the lower half, with a few pencilled lines.
    lx0, lx1 = x0 + round(w * 0.15), x1 - round(w * 0.15)
    ly0, ly1 = y0 + round(h * 0.50), y1 - max(2, round(h * 0.06))
    cv.rect(lx0, ly0, lx1, ly1, WHITE)
    cv.hline(lx0, lx1, ly1, SILVER)
    cv.vline(lx1, ly0, ly1, SILVER)
    top = ly0 + 1
    if band is not None:
        cv.rect(lx0, ly0, lx1, ly0 + max(1, h // 20), band)
        top = ly0 + max(1, h // 20) + 1
    gap = max(3, h // 10)
    for y in range(top + gap - 1, ly1 - 1, gap):
        cv.hline(lx0 + 2, lx1 - 2, y, SILVER)

    if write_protect:
        cv.rect(x0 + 3, y1 - 6, x0 + 6, y1 - 3, BLACK)


# --------------------------------------------------------------------------
# Icon

# 16 x 16 is placed by hand: scaling the big disk turns it to mush.
SMALL_ICON = [
    "................",
    ".kkkkkkkkkkkk...",
    ".kbbkwssnnskbk..",
    ".kbnkwssnnsknnk.",
    ".kbnkwssnnsknnnk",
    ".kbnkggggggknnnk",
    ".kbnkkkkkkkknnnk",
    ".kbnnnnnnnnnnnnk",
    ".kbnwwwwwwwwsnnk",
    ".kbnwsssssswsnnk",
    ".kbnwwwwwwwwsnnk",
    ".kbnwsssssswsnnk",
    ".kbnwwwwwwwwsnnk",
    ".kbnnnnnnnnnnnnk",
    ".kkkkkkkkkkkkkkk",
    "................",
]

PIXEL_KEYS = {"k": BLACK, "n": NAVY, "b": BLUE, "s": SILVER,
              "g": GREY, "w": WHITE}


def icon_large():
    cv = Canvas(32, 32)
    draw_floppy(cv, 2, 1, 28, 30)
    return cv


def icon_small():
    cv = Canvas(16, 16)
    cv.stamp(0, 0, SMALL_ICON, PIXEL_KEYS)
    return cv


# --------------------------------------------------------------------------
# Sidebar

def sidebar():
    cv = Canvas(119, 227)

    # Sky: navy at the top warming to teal near the floor.
    for y in range(cv.height):
        t = min(1.0, y / (cv.height * 0.85))
        for x in range(cv.width):
            cv.dither(x, y, NAVY, TEAL, t)

    draw_computer(cv, 14, 102)

    # A cascade of three disks in front of the computer; each casts a
    # shadow so the overlaps read as depth rather than as a flat collage.
    disks = [(10, 112, RED), (26, 134, YELLOW), (42, 156, BLUE)]
    w, h = 56, 58
    for x, y, band in disks:
        cv.shadow(x + 3, y + 3, x + w + 2, y + h + 2, notch=floppy_notch(w))
        draw_floppy(cv, x, y, w, h, band=band, write_protect=True)
    return cv


def draw_box(cv, x0, y0, x1, y1, depth):
    """A beige box in oblique projection: front face (x0, y0)-(x1, y1), the
    lid and right side receding up and to the right by `depth` pixels."""
    for i in range(1, depth + 1):
        cv.hline(x0 + i, x1 + i, y0 - i, WHITE)   # lid, lit from above
        cv.vline(x1 + i, y0 - i, y1 - i, GREY)    # side, in shade
    cv.rect(x0, y0, x1, y1, SILVER)
    # No highlight along the top: the white lid already marks that edge.
    cv.vline(x0 + 1, y0, y1 - 1, WHITE)
    cv.vline(x1 - 1, y0, y1 - 1, GREY)
    cv.hline(x0 + 1, x1 - 1, y1 - 1, GREY)
    # Black silhouette keeps the box crisp against the dithered sky.
    corners = [(x0, y1), (x0, y0), (x0 + depth, y0 - depth),
               (x1 + depth, y0 - depth), (x1 + depth, y1 - depth), (x1, y1)]
    for (ax, ay), (bx, by) in zip(corners, corners[1:] + corners[:1]):
        cv.line(ax, ay, bx, by, BLACK)


def draw_computer(cv, x, y):
    """A beige desktop with a monitor on its lid; (x, y) is the top-left
    corner of the system unit's front face."""
    depth = 8

    # System unit first, so the monitor can stand on its lid.
    cx0, cy0, cx1, cy1 = x, y, x + 88, y + 26
    draw_box(cv, cx0, cy0, cx1, cy1, depth)
    # Drive bays sit on the right so they stay visible behind the disks.
    bx0, bx1 = cx1 - 34, cx1 - 6
    cv.bevel(bx0, cy0 + 4, bx1, cy0 + 10, GREY, WHITE)
    cv.bevel(bx0, cy0 + 13, bx1, cy0 + 19, GREY, WHITE)
    cv.hline(bx0 + 4, bx1 - 8, cy0 + 16, BLACK)        # disk slot
    cv.rect(bx1 - 5, cy0 + 15, bx1 - 3, cy0 + 17, GREY)  # eject button
    cv.hline(bx0 + 3, bx0 + 5, cy0 + 17, LIME)         # busy light

    # Monitor, set back a few pixels on the lid.
    mx0, mx1 = cx0 + 13, cx0 + 79
    my0, my1 = cy0 - 61, cy0 - 4
    cv.rect(mx0 + 16, my1 + 1, mx1 - 16, cy0 - 2, GREY)  # stand
    draw_box(cv, mx0, my0, mx1, my1, depth)
    # Screen: sunken glass showing a progress bar mid-copy.
    gx0, gy0, gx1, gy1 = mx0 + 6, my0 + 6, mx1 - 6, my1 - 10
    cv.bevel(gx0 - 1, gy0 - 1, gx1 + 1, gy1 + 1, GREY, WHITE)
    cv.rect(gx0, gy0, gx1, gy1, TEAL)
    dx0, dy0, dx1, dy1 = gx0 + 6, gy0 + 12, gx1 - 6, gy0 + 28
    cv.rect(dx0, dy0, dx1, dy1, SILVER)
    cv.bevel(dx0, dy0, dx1, dy1, WHITE, BLACK)
    cv.hline(dx0 + 1, dx1 - 1, dy0 + 1, NAVY)           # title bar
    cv.bevel(dx0 + 4, dy0 + 7, dx1 - 4, dy0 + 12, GREY, WHITE)
    cv.rect(dx0 + 5, dy0 + 8, dx0 + 24, dy0 + 11, NAVY)  # progress
    cv.rect(mx1 - 9, my1 - 5, mx1 - 7, my1 - 4, LIME)   # power light


# --------------------------------------------------------------------------
# File writers

def palette_bytes():
    # 0x00RRGGBB stored little-endian is exactly an RGBQUAD (B, G, R, 0).
    return b"".join(struct.pack("<I", rgb) for rgb in PALETTE)


def pack_4bpp(cv):
    """Bottom-up 4-bpp pixel rows, each padded to a 32-bit boundary."""
    stride = (cv.width * 4 + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(cv.height)):
        line = bytearray(stride)
        for x in range(cv.width):
            c = cv.get(x, y)
            c = BLACK if c is None else c  # the AND mask hides these
            line[x // 2] |= c << 4 if x % 2 == 0 else c
        out += line
    return bytes(out)


def pack_mask(cv):
    """Bottom-up 1-bpp AND mask: set bits are transparent."""
    stride = (cv.width + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(cv.height)):
        line = bytearray(stride)
        for x in range(cv.width):
            if cv.get(x, y) is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(width, height, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                       image_size, 0, 0, colours_used, 0)


def ico_bytes(canvases):
    images = []
    for cv in canvases:
        pixels = pack_4bpp(cv)
        mask = pack_mask(cv)
        # An icon's height covers both the colour bitmap and the mask.
        images.append(info_header(cv.width, cv.height * 2,
                                  len(pixels) + len(mask), 0)
                      + palette_bytes() + pixels + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.width, cv.height, 16, 0, 1, 4,
                           len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def bmp_bytes(cv):
    pixels = pack_4bpp(cv)
    offset = 14 + 40 + 16 * 4
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
            + info_header(cv.width, cv.height, len(pixels), 16)
            + palette_bytes() + pixels)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print(f"wrote {path} ({len(data)} bytes)")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    res = os.path.join(root, "res")
    write(os.path.join(res, "quorvane.ico"),
          ico_bytes([icon_large(), icon_small()]))
    side = sidebar()
    if any(c is None for row in side.px for c in row):
        sys.exit("sidebar has unpainted pixels")
    write(os.path.join(res, "sidebar.bmp"), bmp_bytes(side))


if __name__ == "__main__":
    main()
