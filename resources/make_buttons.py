#!/usr/bin/env python3
"""Draws the pictures of the panels' and dialogs' buttons (24 x 24 bitmaps,
32 x 32 for names ending in 32, whose top-left pixel is the colour left out
when drawn) and the dialogs'
icons (resources 214, 225 and 226).

The pictures are made from a few shapes at build time, so the repository
carries no binary picture. Usage:
    make_buttons.py OUTPUT_FOLDER     writes every picture
    make_buttons.py --list            names the files it writes, one a line
"""
import math
import os
import struct
import sys

KEY = (0xFF, 0x00, 0xFF)        # left out when the button draws the picture
INK = (0x2B, 0x3A, 0x4A)
STEEL = (0x46, 0x6E, 0x96)
STEEL_LIGHT = (0x8C, 0xAF, 0xCD)
PAPER = (0xFA, 0xFA, 0xF5)
GREEN = (0x2E, 0x8B, 0x3E)
RED = (0xC4, 0x2B, 0x1C)
AMBER = (0xE8, 0x9A, 0x1A)
CUT = (0xE8, 0x5A, 0x2A)


class Canvas:
    def __init__(self, size, background=KEY):
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
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dx in range(width):
                for dy in range(width):
                    self.put(int(round(x)) + dx, int(round(y)) + dy, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def ring(self, cx, cy, r, colour, width=2):
        for y in range(self.size):
            for x in range(self.size):
                d = math.hypot(x - cx, y - cy)
                if r - width < d <= r:
                    self.put(x, y, colour)

    def page(self, x0, y0, x1, y1):
        self.rect(x0, y0, x1, y1, PAPER)
        self.frame(x0, y0, x1, y1, INK)


def plus(c, cx, cy, arm, colour):
    c.rect(cx - arm, cy - 1, cx + arm + 1, cy + 2, colour)
    c.rect(cx - 1, cy - arm, cx + 2, cy + arm + 1, colour)


def arrow_right(c, x0, x1, y, colour):
    c.line(x0, y, x1, y, colour, 2)
    c.line(x1 - 4, y - 4, x1, y, colour, 2)
    c.line(x1 - 4, y + 4, x1, y, colour, 2)


def draw_open(c):
    c.rect(2, 7, 21, 20, AMBER)
    c.rect(2, 5, 9, 7, AMBER)
    c.frame(2, 7, 21, 20, INK)
    c.rect(5, 11, 23, 20, (0xF5, 0xC2, 0x5A))
    c.frame(5, 11, 23, 20, INK)


def draw_new(c):
    c.page(4, 2, 18, 22)
    for y in (7, 10, 13):
        c.rect(7, y, 15, y + 1, STEEL_LIGHT)
    plus(c, 17, 17, 5, GREEN)


def draw_save(c):
    c.rect(3, 3, 21, 21, STEEL)
    c.rect(7, 3, 17, 10, PAPER)
    c.rect(13, 4, 16, 9, STEEL)
    c.rect(6, 13, 18, 21, PAPER)
    c.frame(3, 3, 21, 21, INK)


def draw_recent(c):
    c.disc(12, 12, 9, PAPER)
    c.ring(12, 12, 10, INK, 2)
    c.line(12, 12, 12, 6, INK, 2)
    c.line(12, 12, 16, 14, CUT, 2)


def draw_exit(c):
    c.rect(4, 3, 14, 21, STEEL_LIGHT)
    c.frame(4, 3, 14, 21, INK)
    c.put(11, 12, INK)
    arrow_right(c, 10, 21, 12, RED)


def draw_edit(c):
    c.line(5, 19, 18, 6, AMBER, 3)
    c.line(16, 4, 20, 8, RED, 3)
    c.line(4, 20, 6, 18, INK, 2)


def draw_add(c):
    c.rect(2, 9, 22, 15, STEEL_LIGHT)
    c.frame(2, 9, 22, 15, INK)
    plus(c, 17, 17, 5, GREEN)


def draw_delete(c):
    c.rect(2, 9, 22, 15, STEEL_LIGHT)
    c.frame(2, 9, 22, 15, INK)
    c.line(12, 12, 21, 21, RED, 2)
    c.line(21, 12, 12, 21, RED, 2)


def draw_calc(c):
    c.rect(2, 8, 22, 16, STEEL)
    c.frame(2, 8, 22, 16, INK)
    for x in (8, 15):
        c.rect(x, 4, x + 1, 20, CUT)


def draw_report(c):
    c.page(4, 2, 20, 22)
    for y, w in ((6, 12), (9, 12), (12, 8)):
        c.rect(7, y, 7 + w - 4, y + 1, INK)
    c.rect(7, 15, 17, 18, STEEL)
    c.rect(11, 15, 12, 18, CUT)


def draw_export(c):
    c.page(2, 3, 14, 21)
    arrow_right(c, 8, 22, 12, GREEN)


def draw_import(c):
    c.page(10, 3, 22, 21)
    arrow_right(c, 1, 15, 12, STEEL)


def draw_messages(c):
    c.rect(2, 4, 22, 16, PAPER)
    c.frame(2, 4, 22, 16, INK)
    c.line(6, 16, 5, 21, INK, 2)
    c.rect(11, 6, 13, 11, RED)
    c.rect(11, 12, 13, 14, RED)


def rows(c, x0, y0, x1, count):
    """A small table: one bar per row, its number cell darker."""
    for i in range(count):
        y = y0 + i * 4
        c.rect(x0, y, x1, y + 3, STEEL_LIGHT)
        c.rect(x0, y, x0 + 3, y + 3, STEEL)


def arrow_vertical(c, x, top, bottom, colour, up):
    c.rect(x - 2, top + (6 if up else 0), x + 2, bottom - (0 if up else 6), colour)
    for i in range(7):
        y = top + i if up else bottom - 1 - i
        c.rect(x - i, y, x + i, y + 1, colour)


def draw_update(c):
    rows(c, 2, 3, 16, 4)
    c.line(8, 16, 12, 20, GREEN, 3)
    c.line(12, 20, 21, 9, GREEN, 3)


def draw_move_up(c):
    arrow_vertical(c, 12, 3, 21, STEEL, True)


def draw_move_down(c):
    arrow_vertical(c, 12, 3, 21, STEEL, False)


def draw_insert(c):
    rows(c, 11, 2, 22, 5)
    c.rect(11, 10, 22, 13, GREEN)
    arrow_right(c, 1, 9, 11, GREEN)


def draw_paste(c):
    c.rect(3, 4, 17, 21, AMBER)
    c.frame(3, 4, 17, 21, INK)
    c.rect(7, 2, 13, 6, STEEL)
    c.page(10, 9, 21, 22)
    for y in (12, 15, 18):
        c.rect(12, y, 19, y + 1, STEEL_LIGHT)


def draw_rename(c):
    c.rect(1, 8, 23, 16, PAPER)
    c.frame(1, 8, 23, 16, INK)
    c.rect(4, 11, 12, 13, INK)
    c.rect(15, 9, 16, 15, INK)


# The results page's Clear and the layout editor's + and -.
def draw_clear(c):
    c.page(4, 2, 18, 22)
    for y in (7, 10, 13):
        c.rect(7, y, 15, y + 1, STEEL_LIGHT)
    c.line(12, 12, 21, 21, RED, 2)
    c.line(21, 12, 12, 21, RED, 2)


def draw_plus(c):
    plus(c, 12, 12, 7, GREEN)


def draw_minus(c):
    c.rect(5, 11, 20, 14, RED)


# The report window's toolbar: Print, and the 32-pixel view buttons.
def draw_print(c):
    c.page(6, 2, 18, 10)
    c.rect(2, 9, 22, 18, STEEL)
    c.frame(2, 9, 22, 18, INK)
    c.rect(17, 11, 20, 13, GREEN)
    c.page(6, 15, 18, 22)
    for y in (17, 19):
        c.rect(8, y, 16, y + 1, STEEL_LIGHT)


def small_page(c, x0, y0, x1, y1):
    c.page(x0, y0, x1, y1)
    for y in range(y0 + 4, y1 - 3, 3):
        c.rect(x0 + 3, y, x1 - 3, y + 1, STEEL_LIGHT)


def draw_fit_window(c):
    c.frame(2, 2, 30, 30, STEEL)
    small_page(c, 10, 6, 23, 26)
    for x, y, dx, dy in ((4, 4, 1, 1), (27, 4, -1, 1), (4, 27, 1, -1), (27, 27, -1, -1)):
        c.line(x, y, x + 4 * dx, y + 4 * dy, CUT, 2)


def draw_fit_width(c):
    small_page(c, 6, 6, 26, 30)
    c.line(2, 3, 29, 3, CUT, 2)
    c.line(2, 3, 6, 0, CUT, 2)
    c.line(2, 3, 6, 6, CUT, 1)
    c.line(29, 3, 25, 0, CUT, 2)
    c.line(29, 3, 25, 6, CUT, 1)


def page_arrow(c, forward):
    small_page(c, 4, 3, 22, 29)
    tip, back = (29, 15) if forward else (1, 17)
    for i in range(9):
        x = tip - i if forward else tip + i
        c.rect(x, 16 - i, x + 1, 17 + i, GREEN)
    if forward:
        c.rect(13, 13, 21, 20, GREEN)
    else:
        c.rect(10, 13, 18, 20, GREEN)


def draw_page_previous(c):
    page_arrow(c, False)


def draw_page_next(c):
    page_arrow(c, True)


BITMAPS = {
    "BOPEN24.bmp": draw_open,
    "BNEW24.bmp": draw_new,
    "BSAVE24.bmp": draw_save,
    "BRECENT24.bmp": draw_recent,
    "BEXIT24.bmp": draw_exit,
    "BEDIT24.bmp": draw_edit,
    "BADD24.bmp": draw_add,
    "BDEL24.bmp": draw_delete,
    "BCALC24.bmp": draw_calc,
    "BREPORT24.bmp": draw_report,
    "BEXPORT24.bmp": draw_export,
    "BIMPORT24.bmp": draw_import,
    "BMSG24.bmp": draw_messages,
    "BUPD24.bmp": draw_update,
    "BMOVEUP24.bmp": draw_move_up,
    "BMOVEDN24.bmp": draw_move_down,
    "BINS24.bmp": draw_insert,
    "BPASTE24.bmp": draw_paste,
    "BRENAME24.bmp": draw_rename,
    "BCLEAR24.bmp": draw_clear,
    "BPLUS24.bmp": draw_plus,
    "BMINUS24.bmp": draw_minus,
    "BPRINT24.bmp": draw_print,
    "BFITW32.bmp": draw_fit_window,
    "BFITH32.bmp": draw_fit_width,
    "BPAGEP32.bmp": draw_page_previous,
    "BPAGEN32.bmp": draw_page_next,
}
ICON = "ICON214.ico"


def import_icon():
    """The import dialog's icon: rows coming into a table."""
    c = Canvas(24, PAPER)
    c.rect(0, 0, 24, 24, (0xE4, 0xEC, 0xF4))
    draw_import(c)
    return c


def export_icon():
    """The export dialog's icon: rows going out of a table."""
    c = Canvas(24, PAPER)
    c.rect(0, 0, 24, 24, (0xE4, 0xEC, 0xF4))
    draw_export(c)
    return c


# Icons drawn at 24 pixels and scaled to each size.
SCALED_ICONS = {
    "ICON225.ico": import_icon,
    "ICON226.ico": export_icon,
}


def scaled(canvas, size):
    c = Canvas(size, PAPER)
    for y in range(size):
        for x in range(size):
            c.pixels[y][x] = canvas.pixels[y * canvas.size // size][x * canvas.size // size]
    return c


def bmp_bytes(canvas):
    size = canvas.size
    row = (size * 3 + 3) & ~3
    data = bytearray()
    for y in range(size - 1, -1, -1):
        line = bytearray()
        for (r, g, b) in canvas.pixels[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header, data


def write_bmp(path, canvas):
    header, data = bmp_bytes(canvas)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        f.write(header)
        f.write(data)


def icon_image(size):
    """The material icon: a bar with saw cuts on a light tile."""
    c = Canvas(size, PAPER)
    s = size / 32.0
    c.rect(0, 0, size, size, (0xE4, 0xEC, 0xF4))
    c.rect(int(2 * s), int(11 * s), int(30 * s), int(21 * s), STEEL)
    c.rect(int(2 * s), int(11 * s), int(30 * s), int(13 * s), STEEL_LIGHT)
    for x in (11, 21):
        c.rect(int(x * s), int(8 * s), int(x * s) + max(1, int(2 * s)), int(24 * s), CUT)
    return c


def ico_entry(canvas):
    size = canvas.size
    header, data = bmp_bytes(canvas)
    # An icon's bitmap header counts the colour and the mask rows together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)
    return header + data + mask


def write_ico(path, draw=None):
    if draw:
        images = [ico_entry(scaled(draw(), 32)), ico_entry(scaled(draw(), 16))]
    else:
        images = [ico_entry(icon_image(32)), ico_entry(icon_image(16))]
    sizes = [32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        for name in list(BITMAPS) + [ICON] + list(SCALED_ICONS):
            print(name)
        return 0
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, draw in BITMAPS.items():
        canvas = Canvas(32 if name.endswith("32.bmp") else 24)
        draw(canvas)
        write_bmp(os.path.join(folder, name), canvas)
    write_ico(os.path.join(folder, ICON))
    for name, draw in SCALED_ICONS.items():
        write_ico(os.path.join(folder, name), draw)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
