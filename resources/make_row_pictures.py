#!/usr/bin/env python3
"""Draws the pictures of the row editors, the import and export dialogs and
the source data page: 24 x 24 button bitmaps and the two dialog icons.

The pictures are drawn here at build time from a few shapes, so the
repository carries no binary picture. A bitmap's top-left pixel is its
transparent colour (magenta), as the buttons read it. Usage:
    make_row_pictures.py OUTPUT_FOLDER
"""
import os
import struct
import sys

CLEAR = (0xFF, 0x00, 0xFF)
GREEN = (0x2E, 0x8B, 0x3C)
RED = (0xC8, 0x32, 0x28)
BLUE = (0x2F, 0x62, 0xA8)
LIGHT = (0xA9, 0xC6, 0xE8)
INK = (0x2B, 0x3A, 0x4A)
PAPER = (0xFA, 0xFA, 0xF4)
FOLDER = (0xE8, 0xB4, 0x3C)
FOLDER_DARK = (0xB8, 0x84, 0x1C)
STEEL = (0x46, 0x6E, 0x96)
CUT = (0xE8, 0x5A, 0x2A)
GREY = (0x80, 0x80, 0x80)


class Canvas:
    def __init__(self, size, background=CLEAR):
        self.size = size
        self.pixels = [[background] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            self.rect(x, y, x + width, y + width, colour)

    def arrow_right(self, x0, tip, y, colour):
        """A horizontal arrow from x0 to its tip, centred on y."""
        self.rect(x0, y - 1, tip - 4, y + 2, colour)
        for i in range(6):
            self.rect(tip - 1 - i, y - i, tip - i, y + i + 1, colour)

    def arrow(self, x, top, bottom, colour, up):
        """A vertical arrow centred on x from top to bottom."""
        self.rect(x - 2, top, x + 2, bottom, colour)
        tip, base = (top, top + 6) if up else (bottom - 1, bottom - 7)
        for i in range(7):
            y = tip + i if up else tip - i
            self.rect(x - i, y, x + i, y + 1, colour)


def page(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, PAPER)
    c.frame(x0, y0, x1, y1, INK)
    for y in range(y0 + 4, y1 - 2, 3):
        c.rect(x0 + 3, y, x1 - 3, y + 1, LIGHT)


def rows(c, x0, y0, x1, count):
    """A small list: rows of a table."""
    for i in range(count):
        y = y0 + i * 4
        c.rect(x0, y, x1, y + 3, LIGHT)
        c.rect(x0, y, x0 + 3, y + 3, STEEL)


def draw_add(c):
    c.rect(10, 3, 14, 21, GREEN)
    c.rect(3, 10, 21, 14, GREEN)


def draw_update(c):
    rows(c, 2, 3, 15, 4)
    for i in range(6):
        c.rect(6 + i, 14 + i, 9 + i, 17 + i, GREEN)
    for i in range(11):
        c.rect(11 + i, 19 - i - 1, 14 + i, 22 - i - 1, GREEN)


def draw_delete(c):
    c.line(4, 4, 18, 18, RED, 3)
    c.line(18, 4, 4, 18, RED, 3)


def draw_move(c, up):
    c.arrow(12, 3, 21, BLUE, up)


def draw_insert(c):
    rows(c, 11, 2, 22, 5)
    c.rect(11, 10, 22, 13, GREEN)
    c.arrow_right(1, 11, 11, GREEN)


def draw_save(c):
    c.rect(3, 3, 21, 21, BLUE)
    c.rect(7, 3, 17, 10, PAPER)
    c.rect(13, 4, 16, 9, BLUE)
    c.rect(6, 13, 18, 21, LIGHT)
    c.frame(3, 3, 21, 21, INK)


def draw_paste(c):
    c.rect(4, 4, 18, 21, FOLDER)
    c.frame(4, 4, 18, 21, FOLDER_DARK)
    c.rect(8, 2, 14, 6, GREY)
    page(c, 10, 9, 21, 22)


def draw_open(c):
    c.rect(2, 6, 10, 9, FOLDER_DARK)
    c.rect(2, 8, 20, 20, FOLDER_DARK)
    for i in range(9):
        c.rect(4 + i // 2, 11 + i, 22 - i // 3, 12 + i, FOLDER)


def draw_edit(c):
    page(c, 3, 3, 16, 21)
    c.line(20, 6, 10, 16, CUT, 3)
    c.rect(9, 17, 11, 19, INK)


def draw_import(c):
    rows(c, 12, 3, 23, 5)
    c.arrow_right(1, 11, 11, GREEN)


def draw_export(c):
    rows(c, 1, 3, 12, 5)
    c.arrow_right(13, 23, 11, BLUE)


def draw_rename(c):
    c.rect(2, 8, 22, 16, PAPER)
    c.frame(2, 8, 22, 16, INK)
    c.rect(5, 11, 12, 13, INK)
    c.rect(15, 9, 16, 15, INK)


def draw_messages(c):
    c.rect(3, 4, 21, 16, PAPER)
    c.frame(3, 4, 21, 16, INK)
    for i in range(4):
        c.rect(7 - i // 2, 16 + i, 10, 17 + i, INK)
    c.rect(11, 6, 13, 11, RED)
    c.rect(11, 12, 13, 14, RED)


def write_bitmap(path, canvas):
    size = canvas.size
    stride = (size * 3 + 3) & ~3
    data = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            r, g, b = canvas.pixels[y][x]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


def write_icon(path, draw):
    """An icon of 16, 32 and 48 pixels drawn at 24 and scaled; magenta is clear."""
    images = []
    base = Canvas(24)
    draw(base)
    for size in (16, 32, 48):
        pixels = bytearray()
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            mrow = bytearray(mask_stride)
            for x in range(size):
                p = base.pixels[y * 24 // size][x * 24 // size]
                if p == CLEAR:
                    pixels += bytes((0, 0, 0, 0))
                    mrow[x // 8] |= 0x80 >> (x % 8)
                else:
                    pixels += bytes((p[2], p[1], p[0], 0xFF))
            mask += mrow
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append((size, header + bytes(pixels) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


BITMAPS = {
    "BADD24": draw_add,
    "BUPD24": draw_update,
    "BDEL24": draw_delete,
    "BMOVEUP24": lambda c: draw_move(c, True),
    "BMOVEDN24": lambda c: draw_move(c, False),
    "BINS24": draw_insert,
    "BSAVE24": draw_save,
    "BPASTE24": draw_paste,
    "BOPEN24": draw_open,
    "BROWEDIT24": draw_edit,
    "BROWIMP24": draw_import,
    "BROWEXP24": draw_export,
    "BRENAME24": draw_rename,
    "BMSGS24": draw_messages,
}

ICONS = {
    "import.ico": draw_import,
    "export.ico": draw_export,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(folder, exist_ok=True)
    for name, draw in BITMAPS.items():
        c = Canvas(24)
        draw(c)
        write_bitmap(os.path.join(folder, name + ".bmp"), c)
    for name, draw in ICONS.items():
        write_icon(os.path.join(folder, name), draw)


if __name__ == "__main__":
    main()
