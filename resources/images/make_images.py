#!/usr/bin/env python3
"""Draws the program's images and writes them as PNG files beside this script.

  icon_11300.png        32 x 32, the window icon: palette of the 16 classic colours
  banner_11228.png      988 x 90, 24-bit: the Vellora emblem and name on a sky-blue strip
  background_12262.png  980 x 90, 24-bit: the same sky with clouds at its right end
  app_icon_N.png        N x N for N = 16 ... 256, 32-bit: the emblem of the banner, for the
                        desktop's menus and task bars (installed as hicolor icons)

Only the standard library is used (zlib for the PNG stream). Shapes are drawn with
4 x 4 supersampling; the icon is then reduced to its palette without dithering.
Run: python3 make_images.py
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

SKY_TOP = (92, 164, 226)
SKY_BOTTOM = (186, 224, 248)
NAVY = (16, 48, 104)
INK = (28, 74, 134)
WHITE = (255, 255, 255)
AMBER = (246, 178, 40)

# --- PNG output ---------------------------------------------------------------------------


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, color_type, rows, chunks=()):
    """rows: the filtered image rows; chunks: (kind, data) to go between IHDR and IDAT."""
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0))
    for kind, body in chunks:
        data += png_chunk(kind, body)
    data += png_chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    data += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_rgb_png(path, width, height, pixels, alphas=None):
    """24-bit, or 32-bit when alphas (one 0..255 value per pixel) are given."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixels[y * width + x])
            if alphas is not None:
                rows.append(alphas[y * width + x])
    write_png(path, width, height, 2 if alphas is None else 6, rows)


def write_indexed_png(path, width, height, indices, palette, transparent_index):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        rows.extend(indices[y * width:(y + 1) * width])
    plte = b"".join(bytes(c) for c in palette)
    trns = bytes(255 if i != transparent_index else 0 for i in range(len(palette)))
    write_png(path, width, height, 3, rows, [(b"PLTE", plte), (b"tRNS", trns)])


# --- Canvas with coverage-based drawing ----------------------------------------------------

SS = 4  # samples per pixel and axis


class Canvas:
    def __init__(self, width, height, fill):
        self.w, self.h = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, color, alpha):
        if alpha <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        for i in range(3):
            p[i] = p[i] + (color[i] - p[i]) * alpha

    def fill_shape(self, inside, bbox, color, opacity=1.0):
        """Fills every sample for which inside(x, y) holds; bbox = (x0, y0, x1, y1)."""
        x0, y0, x1, y1 = (int(math.floor(bbox[0])), int(math.floor(bbox[1])),
                          int(math.ceil(bbox[2])), int(math.ceil(bbox[3])))
        for y in range(max(0, y0), min(self.h, y1 + 1)):
            for x in range(max(0, x0), min(self.w, x1 + 1)):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self.blend(x, y, color, opacity * hits / (SS * SS))

    def stroke(self, points, width, color):
        """A polyline with round joins and caps."""
        r = width / 2.0
        segments = list(zip(points, points[1:])) or [(points[0], points[0])]
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            for (ax, ay), (bx, by) in segments:
                if seg_dist2(x, y, ax, ay, bx, by) <= r * r:
                    return True
            return False

        self.fill_shape(inside, (min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r), color)

    def disc(self, cx, cy, r, color, opacity=1.0):
        self.fill_shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                        (cx - r, cy - r, cx + r, cy + r), color, opacity)

    def rounded_rect(self, x0, y0, x1, y1, radius, color):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

        self.fill_shape(inside, (x0, y0, x1, y1), color)


def seg_dist2(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return qx * qx + qy * qy


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def sky(width, height):
    canvas = Canvas(width, height, SKY_TOP)
    for y in range(height):
        row = mix(SKY_TOP, SKY_BOTTOM, y / (height - 1))
        for x in range(width):
            canvas.px[y * width + x] = list(row)
    return canvas


# --- A small stroke alphabet (capitals), in a box 1 high; y grows downwards ------------------


def arc(cx, cy, rx, ry, a0, a1, steps=18):
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


def glyph(c):
    """Returns (advance, [polylines]) for one capital letter."""
    if c == "V":
        return 0.78, [[(0, 0), (0.39, 1), (0.78, 0)]]
    if c == "E":
        return 0.56, [[(0.56, 0), (0, 0), (0, 1), (0.56, 1)], [(0, 0.5), (0.46, 0.5)]]
    if c == "L":
        return 0.52, [[(0, 0), (0, 1), (0.52, 1)]]
    if c == "O":
        return 0.86, [arc(0.43, 0.5, 0.43, 0.5, 0, 360, 40)]
    if c == "R":
        bowl = [(0, 0), (0.36, 0)] + arc(0.36, 0.26, 0.26, 0.26, -90, 90, 14) + [(0, 0.52)]
        return 0.66, [[(0, 1), (0, 0)], bowl, [(0.34, 0.52), (0.66, 1)]]
    if c == "A":
        return 0.8, [[(0, 1), (0.4, 0), (0.8, 1)], [(0.16, 0.64), (0.64, 0.64)]]
    if c == "G":
        return 0.84, [arc(0.43, 0.5, 0.43, 0.5, -40, -360, 36) + [(0.84, 0.56), (0.5, 0.56)]]
    if c == "T":
        return 0.66, [[(0, 0), (0.66, 0)], [(0.33, 0), (0.33, 1)]]
    if c == "W":
        return 1.04, [[(0, 0), (0.24, 1), (0.52, 0.28), (0.8, 1), (1.04, 0)]]
    if c == "Y":
        return 0.72, [[(0, 0), (0.36, 0.5), (0.72, 0)], [(0.36, 0.5), (0.36, 1)]]
    if c == "S":
        top = arc(0.3, 0.25, 0.28, 0.25, -20, -270, 16)
        bottom = arc(0.3, 0.75, 0.28, 0.25, -90, 160, 16)
        return 0.6, [top + bottom]
    return 0.4, []  # blank


def draw_text(canvas, text, x, baseline, height, width, color, spacing):
    for c in text:
        advance, lines = glyph(c)
        for line in lines:
            canvas.stroke([(x + px * height, baseline - height + py * height) for px, py in line],
                          width, color)
        x += advance * height + spacing
    return x


# --- The emblem: a V of three linked nodes on a rounded tile --------------------------------


def emblem(canvas, x, y, size, line_width, node_radius):
    canvas.rounded_rect(x, y, x + size, y + size, size * 0.2, NAVY)
    left = (x + size * 0.24, y + size * 0.28)
    right = (x + size * 0.76, y + size * 0.28)
    bottom = (x + size * 0.5, y + size * 0.76)
    canvas.stroke([left, bottom, right], line_width, WHITE)
    canvas.stroke([left, right], line_width * 0.45, (150, 196, 236))
    canvas.disc(left[0], left[1], node_radius, WHITE)
    canvas.disc(right[0], right[1], node_radius, WHITE)
    canvas.disc(bottom[0], bottom[1], node_radius * 1.25, AMBER)


def cloud(canvas, cx, cy, scale):
    puffs = [(-1.6, 0.35, 0.8), (-0.7, -0.15, 1.05), (0.4, -0.35, 1.2), (1.4, 0.1, 0.95),
             (2.2, 0.45, 0.7), (0.3, 0.45, 1.0), (-0.9, 0.55, 0.8)]
    # A soft shadow first, then the body.
    for dx, dy, r in puffs:
        canvas.disc(cx + dx * scale, cy + dy * scale + scale * 0.18, r * scale, (200, 218, 236), 0.6)
    for dx, dy, r in puffs:
        canvas.disc(cx + dx * scale, cy + dy * scale, r * scale, WHITE, 0.95)


def make_banner():
    canvas = sky(988, 90)
    emblem(canvas, 14, 12, 66, 6.0, 5.0)
    end = draw_text(canvas, "VELLORA", 96, 52, 32, 5.2, NAVY, 7)
    draw_text(canvas, "GATEWAY TOOLS", 98, 74, 11, 1.7, INK, 4.2)
    # A thin rule under the name, ending in a node like those of the emblem.
    canvas.stroke([(96, 60), (end - 12, 60)], 1.4, INK)
    canvas.disc(end - 9, 60, 2.6, AMBER)
    cloud(canvas, 405, 34, 9)
    cloud(canvas, 760, 40, 12)
    cloud(canvas, 905, 30, 10)
    return canvas


def make_background():
    canvas = sky(980, 90)
    cloud(canvas, 700, 44, 11)
    cloud(canvas, 820, 30, 13)
    cloud(canvas, 935, 52, 10)
    return canvas


# The 16 classic colours; index 16 is transparent.
PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
             (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
             (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def make_icon():
    """Drawn in full colour on the tile's navy, then every pixel is set to its nearest palette
    colour; pixels less than half covered by the tile become transparent."""
    navy = (0, 0, 128)
    mask = Canvas(32, 32, (0, 0, 0))
    mask.rounded_rect(1, 1, 31, 31, 6, WHITE)
    canvas = Canvas(32, 32, navy)
    left, right, bottom = (8.5, 9.5), (23.5, 9.5), (16, 23.5)
    canvas.stroke([left, right], 1.4, (0, 128, 255))
    canvas.stroke([left, bottom, right], 2.6, WHITE)
    canvas.disc(left[0], left[1], 2.6, WHITE)
    canvas.disc(right[0], right[1], 2.6, WHITE)
    canvas.disc(bottom[0], bottom[1], 3.0, (255, 255, 0))
    indices = []
    for p, m in zip(canvas.px, mask.px):
        if m[0] < 128:
            indices.append(16)
            continue
        best = min(range(16), key=lambda i: sum((p[k] - PALETTE16[i][k]) ** 2 for k in range(3)))
        indices.append(best)
    return indices


APP_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def make_app_icon(size):
    """The banner's emblem filling the icon but for a small margin; outside the rounded tile
    the icon is transparent, its edge partly so."""
    margin = size / 32.0
    tile = size - 2 * margin
    canvas = Canvas(size, size, NAVY)
    emblem(canvas, margin, margin, tile, max(1.2, tile * 0.09), max(1.0, tile * 0.076))
    mask = Canvas(size, size, (0, 0, 0))
    mask.rounded_rect(margin, margin, size - margin, size - margin, tile * 0.2, WHITE)
    alphas = [max(0, min(255, int(round(m[0])))) for m in mask.px]
    return canvas, alphas


def to_bytes(canvas):
    return [bytes(max(0, min(255, int(round(v)))) for v in p) for p in canvas.px]


def main():
    banner = make_banner()
    write_rgb_png(os.path.join(HERE, "banner_11228.png"), banner.w, banner.h, to_bytes(banner))
    background = make_background()
    write_rgb_png(os.path.join(HERE, "background_12262.png"), background.w, background.h,
                  to_bytes(background))
    write_indexed_png(os.path.join(HERE, "icon_11300.png"), 32, 32, make_icon(),
                      PALETTE16 + [(0, 0, 0)], 16)
    for size in APP_ICON_SIZES:
        icon, alphas = make_app_icon(size)
        write_rgb_png(os.path.join(HERE, "app_icon_%d.png" % size), size, size, to_bytes(icon),
                      alphas)


if __name__ == "__main__":
    main()
