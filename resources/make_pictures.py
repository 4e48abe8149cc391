#!/usr/bin/env python3
"""Draws the program's icon (Bravik.ico) and its logo bitmap (blogo.bmp).

The pictures are made here at build time from a few shapes and a small pixel
font, so the repository carries no binary picture. Usage:
    make_pictures.py OUTPUT_FOLDER
"""
import os
import struct
import sys

# 5 x 7 pixel glyphs of the letters the logo needs.
GLYPHS = {
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "V": ["X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "B": ["XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."],
    "r": [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    "a": [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
    "v": [".....", ".....", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    "i": ["..X..", ".....", ".XX..", "..X..", "..X..", "..X..", ".XXX."],
    "k": ["X....", "X....", "X..X.", "X.X..", "XX...", "X.X..", "X..X."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}

STEEL = (0x46, 0x6E, 0x96)     # the bar
STEEL_LIGHT = (0x8C, 0xAF, 0xCD)
CUT = (0xE8, 0x5A, 0x2A)       # the saw cuts
INK = (0x2B, 0x3A, 0x4A)
WHITE = (0xFF, 0xFF, 0xFF)


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background for _ in range(width)] for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def text(self, x, y, text, colour, scale):
        for ch in text:
            glyph = GLYPHS[ch]
            for gy, row in enumerate(glyph):
                for gx, cell in enumerate(row):
                    if cell == "X":
                        self.rect(x + gx * scale, y + gy * scale,
                                  x + (gx + 1) * scale, y + (gy + 1) * scale, colour)
            x += 6 * scale


def draw_bar(canvas, x0, y0, x1, y1, cuts):
    """A bar of stock with light top edge and the cuts across it."""
    canvas.rect(x0, y0, x1, y1, STEEL)
    canvas.rect(x0, y0, x1, y0 + max(1, (y1 - y0) // 4), STEEL_LIGHT)
    for cx in cuts:
        canvas.rect(cx, y0 - 1, cx + max(1, (x1 - x0) // 16), y1 + 1, CUT)


def icon_image(size):
    c = Canvas(size, size, None)
    unit = size / 16.0
    # Three bars of different lengths, cut into parts.
    bars = [(1, 2, 15, 5, [6, 11]), (1, 7, 12, 10, [5]), (1, 12, 14, 15, [4, 9])]
    for x0, y0, x1, y1, cuts in bars:
        draw_bar(c, int(x0 * unit), int(y0 * unit), int(x1 * unit), int(y1 * unit),
                 [int(cx * unit) for cx in cuts])
    return c


def bmp_rows_bgra(canvas):
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.width):
            p = canvas.pixels[y][x]
            if p is None:
                row += bytes((0, 0, 0, 0))
            else:
                row += bytes((p[2], p[1], p[0], 0xFF))
        rows.append(bytes(row))
    return b"".join(rows)


def and_mask(canvas):
    stride = ((canvas.width + 31) // 32) * 4
    data = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.pixels[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def write_icon(path):
    images = []
    for size in (16, 32, 48):
        c = icon_image(size)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append((size, header + bmp_rows_bgra(c) + and_mask(c)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_logo(path):
    width, height = 196, 32
    c = Canvas(width, height, WHITE)
    draw_bar(c, 4, 6, 40, 12, [16, 30])
    draw_bar(c, 4, 14, 32, 20, [13])
    draw_bar(c, 4, 22, 44, 28, [20, 33])
    c.text(52, 9, "KORVA", INK, 2)
    c.text(52 + 6 * 2 * 6, 9, "Bravik", STEEL, 2)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            p = c.pixels[y][x]
            row += bytes((p[2], p[1], p[0]))
        row += bytes(stride - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + pixels)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(folder, exist_ok=True)
    write_icon(os.path.join(folder, "Bravik.ico"))
    write_logo(os.path.join(folder, "blogo.bmp"))


if __name__ == "__main__":
    main()
