#!/usr/bin/env python3
"""Turns the text pixel art beside this script into Windows .ico files and an enlarged PNG sheet of them.

Each icon NAME has two drawings, NAME-32.txt (32x32) and NAME-16.txt (16x16): one character per pixel, lines
starting with ';' are comments. The characters name the colours of the standard 16-colour palette:

    .  transparent (see-through around the cat)
    K  black          W  white           g  light grey      G  dark grey
    r  dark red       n  dark green      y  dark yellow     b  dark blue
    m  dark magenta   c  dark cyan       R  red             N  green
    Y  yellow         B  blue            M  magenta         C  cyan

Usage: make_icons.py --out-dir DIR [--sheet FILE.png] NAME=STATUS_RGB ...
For example `idle=0000FF` writes three icon files; on the sheet the icon is also shown on its status colour:

    DIR/idle.ico        the two drawings at their own sizes, 32 and 16 pixels
    DIR/idle-large.ico  the 32-pixel drawing for the square on screens above 96 DPI: 40, 48, 64 and 96 pixels
    DIR/idle-tray.ico   the 16-pixel drawing for the tray above 96 DPI: 20, 24, 32 and 48 pixels

The larger images repeat the drawing's pixels (nearest neighbour), so they stay as crisp as the pixel art.
Only the standard library is used: the ICO, BMP and PNG formats are written here with struct and zlib.
"""

import argparse
import os
import struct
import sys
import zlib

# The standard 16-colour palette (the order of the VGA/Windows default palette), as RGB.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
LEGEND = {"K": 0, "r": 1, "n": 2, "y": 3, "b": 4, "m": 5, "c": 6, "g": 7,
          "G": 8, "R": 9, "N": 10, "Y": 11, "B": 12, "M": 13, "C": 14, "W": 15}
TRANSPARENT = None
SIZES = (32, 16)
# The larger images made from each drawing: the sizes of 120, 144, 192 and 288 DPI.
LARGE_SIZES = (40, 48, 64, 96)
TRAY_SIZES = (20, 24, 32, 48)


def read_art(path, size):
    """Returns rows of palette indices (None = transparent) from one drawing, checking its shape."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line or line.startswith(";"):
                continue
            if len(line) != size:
                sys.exit(f"{path}:{number}: {len(line)} pixels, expected {size}")
            row = []
            for ch in line:
                if ch == ".":
                    row.append(TRANSPARENT)
                elif ch in LEGEND:
                    row.append(LEGEND[ch])
                else:
                    sys.exit(f"{path}:{number}: unknown colour {ch!r}")
            rows.append(row)
    if len(rows) != size:
        sys.exit(f"{path}: {len(rows)} rows, expected {size}")
    return rows


def enlarged(rows, size):
    """The drawing at `size` pixels, each target pixel taking the colour of the source pixel under its corner."""
    source = len(rows)
    return [[rows[y * source // size][x * source // size] for x in range(size)] for y in range(size)]


def dib_image(rows):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour bitmap and 1-bit AND mask, both bottom-up."""
    size = len(rows)
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(rows):
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, index in enumerate(row):
            if index is TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)  # screen shows through; colour stays black (0)
                index = 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor_bits += line
        and_bits += mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def ico_file(images):
    """An .ico holding the given drawings, each a 16-colour image."""
    blobs = [dib_image(rows) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def png_file(pixels):
    """An RGB PNG of the given rows of (r, g, b) pixels."""
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


class Canvas:
    def __init__(self, width, height, colour):
        self.pixels = [[colour] * width for _ in range(height)]

    def fill(self, x0, y0, width, height, colour):
        for y in range(y0, y0 + height):
            for x in range(x0, x0 + width):
                self.pixels[y][x] = colour

    def checker(self, x0, y0, width, height, cell):
        for y in range(height):
            for x in range(width):
                light = (x // cell + y // cell) % 2 == 0
                self.pixels[y0 + y][x0 + x] = (0xEE, 0xEE, 0xEE) if light else (0xBB, 0xBB, 0xBB)

    def draw(self, rows, x0, y0, scale):
        """Draws a drawing enlarged; transparent pixels leave the background as it is."""
        for y, row in enumerate(rows):
            for x, index in enumerate(row):
                if index is TRANSPARENT:
                    continue
                colour = PALETTE[index]
                for dy in range(scale):
                    line = self.pixels[y0 + y * scale + dy]
                    for dx in range(scale):
                        line[x0 + x * scale + dx] = colour


def icon_sheet(icons):
    """One row per icon: the 32-pixel and the 16-pixel image, each enlarged on a checkerboard (to show the
    transparent parts) and on the icon's status colour, then both at their real size on that colour."""
    scale, gap = 8, 16
    cell = 32 * scale
    width = gap + 4 * (cell + gap) + 32 + gap + 16 + gap
    height = gap + len(icons) * (cell + gap)
    canvas = Canvas(width, height, (0xFF, 0xFF, 0xFF))
    for i, (images, status) in enumerate(icons):
        big, small = images
        top = gap + i * (cell + gap)
        x = gap
        for background in ("checker", status):
            for rows in (big, small):
                if background == "checker":
                    canvas.checker(x, top, cell, cell, 16)
                else:
                    canvas.fill(x, top, cell, cell, background)
                offset = (cell - len(rows) * scale) // 2
                canvas.draw(rows, x + offset, top + offset, scale)
                x += cell + gap
        canvas.fill(x, top, 32, 32, status)
        canvas.draw(big, x, top, 1)
        x += 32 + gap
        canvas.checker(x, top, 16, 16, 4)
        canvas.draw(small, x, top, 1)
    return png_file(canvas.pixels)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out-dir", required=True)
    parser.add_argument("--sheet")
    parser.add_argument("icons", nargs="+", metavar="NAME=RRGGBB")
    args = parser.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(args.out_dir, exist_ok=True)
    sheet_rows = []
    for icon in args.icons:
        name, _, rgb = icon.partition("=")
        images = [read_art(os.path.join(here, f"{name}-{size}.txt"), size) for size in SIZES]
        big, small = images
        files = {
            f"{name}.ico": images,
            f"{name}-large.ico": [enlarged(big, size) for size in LARGE_SIZES],
            f"{name}-tray.ico": [enlarged(small, size) for size in TRAY_SIZES],
        }
        for file_name, file_images in files.items():
            with open(os.path.join(args.out_dir, file_name), "wb") as f:
                f.write(ico_file(file_images))
        status = tuple(int(rgb[k:k + 2], 16) for k in (0, 2, 4)) if rgb else (0xFF, 0xFF, 0xFF)
        sheet_rows.append((images, status))
    if args.sheet:
        os.makedirs(os.path.dirname(os.path.abspath(args.sheet)), exist_ok=True)
        with open(args.sheet, "wb") as f:
            f.write(icon_sheet(sheet_rows))


if __name__ == "__main__":
    main()
