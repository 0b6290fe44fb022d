#!/usr/bin/env python3
"""Write the updater's application icon: a white "up" arrow on a blue rounded square.

Usage: make_icon.py OUT.ico

The icon holds four images, in this order: 256 x 256 at 24 bits, 48 x 48 at 24 bits,
32 x 32 at 24 bits and 16 x 16 at 32 bits. Every image is an uncompressed bitmap
(BITMAPINFOHEADER, BI_RGB, height doubled for the AND mask); none is PNG-compressed, not even
the 256 x 256 one, so that every Windows version reads all of them.

The artwork is drawn from signed distance functions, one evaluation per pixel, with only
integer rounding and IEEE arithmetic (+ - * / and sqrt), so the output is the same bytes on
every run and every machine. Standard library only.
"""

import math
import struct
import sys

# (size, bits per pixel), in the order they are stored.
IMAGES = ((256, 24), (48, 24), (32, 24), (16, 32))

TILE_TOP = (0x2E, 0xB6, 0xE0)     # light azure
TILE_BOTTOM = (0x1A, 0x5C, 0xB8)  # deep blue
TILE_EDGE = (0x12, 0x44, 0x8C)    # darker rim, so the tile holds on light backgrounds
ARROW = (0xFF, 0xFF, 0xFF)
SHADOW = (0x0A, 0x2A, 0x5C)

# The arrow in unit coordinates (0..1 across the image, y pointing down). The straight edges
# sit on multiples of 1/16, so they fall on pixel boundaries at 16, 32, 48 and 256 pixels.
ARROW_OUTLINE = (
    (0.5, 0.1875),      # tip
    (0.8125, 0.5),      # right end of the head
    (0.625, 0.5),
    (0.625, 0.8125),    # shaft, bottom right
    (0.375, 0.8125),    # shaft, bottom left
    (0.375, 0.5),
    (0.1875, 0.5),      # left end of the head
)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    """Colour a blended towards colour b by t (0..1)."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def rounded_square_distance(px, py, lo, hi, radius):
    """Signed distance from (px, py) to the square [lo, hi]^2 with rounded corners."""
    centre = (lo + hi) / 2.0
    half = (hi - lo) / 2.0 - radius
    qx = abs(px - centre) - half
    qy = abs(py - centre) - half
    outside = math.sqrt(max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2)
    return outside + min(max(qx, qy), 0.0) - radius


def polygon_distance(px, py, points):
    """Signed distance from (px, py) to a simple polygon: negative inside."""
    best = (px - points[0][0]) ** 2 + (py - points[0][1]) ** 2
    sign = 1.0
    j = len(points) - 1
    for i in range(len(points)):
        (xi, yi), (xj, yj) = points[i], points[j]
        ex, ey = xj - xi, yj - yi
        wx, wy = px - xi, py - yi
        t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey))
        bx, by = wx - ex * t, wy - ey * t
        best = min(best, bx * bx + by * by)
        above = py >= yi
        below = py < yj
        left = ex * wy > ey * wx
        if (above and below and left) or not (above or below or left):
            sign = -sign
        j = i
    return sign * math.sqrt(best)


def inset_polygon(points, amount):
    """The polygon with every edge moved inwards by amount (points run clockwise on screen)."""
    count = len(points)
    lines = []
    for i in range(count):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % count]
        length = math.sqrt((x1 - x0) ** 2 + (y1 - y0) ** 2)
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length  # inward normal for clockwise order
        lines.append(((x0 + nx * amount, y0 + ny * amount), (x1 - x0, y1 - y0)))
    result = []
    for i in range(count):
        (ax, ay), (adx, ady) = lines[i - 1]
        (bx, by), (bdx, bdy) = lines[i]
        t = ((bx - ax) * bdy - (by - ay) * bdx) / (adx * bdy - ady * bdx)
        result.append((ax + adx * t, ay + ady * t))
    return result


def style_for(size):
    """Sizes differ in detail: small images keep the shapes on whole pixels and drop the shadow."""
    pixel = 1.0 / size
    margin = float(round(size / 32.0 - 0.25)) * pixel  # 8 px at 256, 1 px at 48 and 32, 0 at 16
    return {
        "pixel": pixel,
        "tile_lo": margin,
        "tile_hi": 1.0 - margin,
        "tile_radius": (1.0 - 2.0 * margin) * 0.22,
        "rim": max(pixel, 1.0 / 64.0),
        "arrow_round": 0.025 if size >= 32 else 0.0,
        "shadow": size >= 32,
    }


def shade_pixel(px, py, style, arrow):
    """Colour (0..255 floats) and coverage (0..1) of the tile at unit point (px, py)."""
    pixel = style["pixel"]
    tile = rounded_square_distance(px, py, style["tile_lo"], style["tile_hi"], style["tile_radius"])
    coverage = clamp01(0.5 - tile / pixel)
    if coverage == 0.0:
        return (0.0, 0.0, 0.0), 0.0
    span = style["tile_hi"] - style["tile_lo"]
    colour = mix(TILE_TOP, TILE_BOTTOM, clamp01((py - style["tile_lo"]) / span))
    colour = mix(colour, TILE_EDGE, clamp01(0.5 + (tile + style["rim"]) / pixel))
    if style["shadow"]:
        drop = polygon_distance(px, py - 0.025, arrow) - style["arrow_round"]
        colour = mix(colour, SHADOW, 0.35 * clamp01(0.5 - drop / 0.05))
    body = polygon_distance(px, py, arrow) - style["arrow_round"]
    colour = mix(colour, ARROW, clamp01(0.5 - body / pixel))
    return colour, coverage


def render(size):
    """Rows of (r, g, b, alpha) bytes, top row first."""
    style = style_for(size)
    arrow = inset_polygon(ARROW_OUTLINE, style["arrow_round"])
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            colour, coverage = shade_pixel((x + 0.5) / size, (y + 0.5) / size, style, arrow)
            alpha = int(coverage * 255.0 + 0.5)
            rgb = tuple(int(c + 0.5) for c in colour) if alpha else (0, 0, 0)
            row.append(rgb + (alpha,))
        rows.append(row)
    return rows


def bitmap_bytes(rows, bits):
    """An icon image: BITMAPINFOHEADER, then colour (XOR) and AND mask rows bottom-up."""
    size = len(rows)
    colour = bytearray()
    mask = bytearray()
    mask_stride = (size + 31) // 32 * 4
    for row in reversed(rows):
        mask_row = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            # 24-bit images have only the mask for transparency: a pixel shows when at least
            # half covered. 32-bit images carry the coverage as alpha; their mask marks the
            # fully transparent pixels for the old drawing paths.
            if bits == 24:
                shown = a >= 128
                colour += bytes((b, g, r)) if shown else b"\0\0\0"
            else:
                shown = a > 0
                colour += bytes((b, g, r, a))
            if not shown:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        colour += bytes(-(size * bits // 8) % 4)  # rows end on 4-byte boundaries
        mask += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def icon_bytes():
    images = [(size, bits, bitmap_bytes(render(size), bits)) for size, bits in IMAGES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        side = size if size < 256 else 0  # 0 stands for 256 in the directory
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUT.ico\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
