#!/usr/bin/env python3
"""Draws the tool's pictures and writes them as resource files.

Deterministic: the same script always writes the same bytes, so the files are
kept in git and this script is run only when a picture changes:

    python3 scripts/draw-resources.py src/res

Writes BrivokPatch.ico (one 48 x 48 image, 256 colours: a disc with a patch
and an arrow) and the two 14 x 12, 16-colour browse-button bitmaps of the
file field. Fuchsia (255, 0, 255) is the bitmaps' transparent colour.
"""
import math
import os
import struct
import sys

# --- file writers ---------------------------------------------------------


def bitmap_info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def pack_rows(indices, width, height, bits):
    """Bottom-up rows of palette indices, each padded to 4 bytes."""
    stride = row_stride(width, bits)
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            value = indices[y][x]
            bit = x * bits
            row[bit // 8] |= value << (8 - bits - bit % 8)
        out += row
    return bytes(out)


def write_bmp(path, art, legend):
    """A 4-bit BMP file from rows of legend characters."""
    height, width = len(art), len(art[0])
    assert all(len(row) == width for row in art), path
    keys = list(legend)
    palette = [legend[k] for k in keys] + [(0, 0, 0)] * (16 - len(keys))
    indices = [[keys.index(c) for c in row] for row in art]
    bits = pack_rows(indices, width, height, 4)
    info = bitmap_info_header(width, height, 4, 16, len(bits)) + palette_bytes(palette)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + bits)


def write_ico(path, indices, opaque, palette, size):
    """An icon file with one 8-bit image and its transparency mask."""
    xor = pack_rows(indices, size, size, 8)
    mask = pack_rows([[0 if o else 1 for o in row] for row in opaque], size, size, 1)
    # The image header's height counts the colour rows and the mask rows.
    image = (bitmap_info_header(size, 2 * size, 8, 256, len(xor) + len(mask)) +
             palette_bytes(palette) + xor + mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


# --- the icon -------------------------------------------------------------

ICON_SIZE = 48
SAMPLES = 4  # per axis, for smooth edges


def icon_palette():
    """A 6 x 6 x 6 colour cube and 40 greys: fixed, so the file is stable."""
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]
    return cube + greys


def inside_rounded_square(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return left <= x <= right and top <= y <= bottom and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_arrow(x, y):
    """A right-pointing arrow inside the patch square."""
    shaft = 29.5 <= x <= 37 and 34.5 <= y <= 38.5
    head = 37 <= x <= 43 and abs(y - 36.5) <= (43 - x) * 0.95
    return shaft or head


def icon_sample(x, y):
    """Colour of one sample point, or None where the icon is transparent."""
    # The patch: an orange rounded square with a dark frame and a white arrow.
    if inside_rounded_square(x, y, 24.5, 25.5, 47, 47.5, 4.5):
        if not inside_rounded_square(x, y, 26, 27, 45.5, 46, 3.2):
            return (120, 50, 0)
        if inside_arrow(x, y):
            return (255, 255, 255)
        t = (y - 27) / 19  # top light, bottom darker
        return (255, round(170 - 60 * t), round(40 - 30 * t))
    # The disc: silver with a coloured sheen, a hub and a hole.
    cx, cy = 21.5, 21.5
    r = math.hypot(x - cx, y - cy)
    if r > 21 or r < 3.5:
        return None
    if r > 19.8 or r < 4.6:
        return (40, 50, 90)  # outline
    if r < 8:
        return (215, 220, 230) if r > 5.6 else (150, 160, 180)  # hub
    angle = math.atan2(y - cy, x - cx)
    sheen = 0.5 + 0.5 * math.cos(2 * angle - 0.8)
    base = 150 + round(70 * sheen)
    return (base - round(40 * (1 - sheen)), base, min(255, base + 30))


def draw_icon(path):
    palette = icon_palette()
    indices, opaque = [], []
    for py in range(ICON_SIZE):
        index_row, opaque_row = [], []
        for px in range(ICON_SIZE):
            colours = []
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = icon_sample(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c is not None:
                        colours.append(c)
            covered = len(colours) * 2 >= SAMPLES * SAMPLES
            opaque_row.append(covered)
            if covered:
                mean = tuple(sum(c[i] for c in colours) / len(colours) for i in range(3))
                index_row.append(min(range(len(palette)), key=lambda i: sum(
                    (palette[i][k] - mean[k]) ** 2 for k in range(3))))
            else:
                index_row.append(0)  # black under a transparent mask bit
        indices.append(index_row)
        opaque.append(opaque_row)
    write_ico(path, indices, opaque, palette, ICON_SIZE)


# --- the browse-button bitmaps --------------------------------------------

FUCHSIA = (255, 0, 255)

# Classic look: black outlines, a yellow back, an olive front flap, and a
# small dotted arc above the folder at the right.
CLASSIC = [
    "........k.k...",
    "............k.",
    ".kkkk.........",
    "kyyyyk.......k",
    "kyyyyykkkkk...",
    "kyyyyyyyyyyk..",
    "kyyykkkkkkkkkk",
    "kyykoooooooook",
    "kykoooooooook.",
    "kkoooooooook..",
    "koooooooook...",
    "kkkkkkkkkkk...",
]
CLASSIC_COLOURS = {".": FUCHSIA, "k": (0, 0, 0), "y": (255, 255, 0), "o": (128, 128, 0)}

# Themed look: olive-yellow outlines, a dark grey lower edge, pale yellow,
# peach and white inside.
THEMED = [
    "..............",
    ".OOOO.........",
    "OwwwwO........",
    "OwppppOOOOOO..",
    "OwpppppppppO..",
    "OwppOOOOOOOOOO",
    "OwpOwwwwwwwwwO",
    "OwOweeeeeeeeO.",
    "OOweeeeeeeeO..",
    "OweeeeeeeeO...",
    "ggggggggggg...",
    "..............",
]
THEMED_COLOURS = {".": FUCHSIA, "O": (190, 160, 50), "g": (90, 90, 90),
                  "p": (255, 244, 180), "e": (250, 215, 170), "w": (255, 255, 255)}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "src/res"
    draw_icon(os.path.join(out, "BrivokPatch.ico"))
    write_bmp(os.path.join(out, "JvFilenameEditGLYPH.bmp"), CLASSIC, CLASSIC_COLOURS)
    write_bmp(os.path.join(out, "JvFilenameEditXPGLYPH.bmp"), THEMED, THEMED_COLOURS)


if __name__ == "__main__":
    main()
