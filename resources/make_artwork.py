#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Quillmarch's artwork into resources/images/ as PNG files (standard library only).

Side panels of the wizard pages (171 x 267), the welcome pictures (395 x 369), the summary's
tick and blank squares (16 x 15) and the program icon. Shapes are rendered at three times the
size and scaled down, which smooths their edges. The greys 128, 192 and 223 follow the desktop's
3-D colours when the program loads a bitmap, so they appear only where that is wanted (frames);
anywhere else they are nudged away.

Run: /usr/bin/python3 resources/make_artwork.py   (writes next to this script)
"""
import math
import os
import struct
import zlib

SCALE = 3
MAPPED_GREYS = {(128, 128, 128), (192, 192, 192), (223, 223, 223)}


class Canvas:
    """RGB floats at SCALE times the final size; coordinates are given in final pixels."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.w, self.h = width * SCALE, height * SCALE
        self.px = [list(colour) for _ in range(self.w * self.h)]

    def _blend(self, i, colour, alpha):
        p = self.px[i]
        for c in range(3):
            p[c] = p[c] * (1 - alpha) + colour[c] * alpha

    def _shape(self, box, inside, colour, alpha=1.0):
        x0, y0, x1, y1 = (int(max(0, math.floor(v * SCALE))) for v in box)
        x1, y1 = min(self.w, x1 + 1), min(self.h, y1 + 1)
        for y in range(y0, y1):
            fy = (y + 0.5) / SCALE
            row = y * self.w
            for x in range(x0, x1):
                if inside((x + 0.5) / SCALE, fy):
                    self._blend(row + x, colour, alpha)

    def gradient(self, top, bottom, diagonal=0.0):
        for y in range(self.h):
            for x in range(self.w):
                t = min(1.0, max(0.0, y / self.h + diagonal * (x / self.w - 0.5)))
                self.px[y * self.w + x] = [top[c] + (bottom[c] - top[c]) * t for c in range(3)]

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        self._shape((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, alpha)

    def rounded(self, x0, y0, x1, y1, r, colour, alpha=1.0):
        def inside(x, y):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x < x1 and y0 <= y < y1
        self._shape((x0, y0, x1, y1), inside, colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0, inner=0.0):
        self._shape((cx - r, cy - r, cx + r, cy + r),
                    lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                    colour, alpha)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0):
        self._shape((cx - rx, cy - ry, cx + rx, cy + ry),
                    lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1, colour, alpha)

    def line(self, x0, y0, x1, y1, width, colour, alpha=1.0):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2

        def inside(x, y):
            t = min(1, max(0, ((x - x0) * dx + (y - y0) * dy) / length2))
            return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= half * half
        box = (min(x0, x1) - half, min(y0, y1) - half, max(x0, x1) + half, max(y0, y1) + half)
        self._shape(box, inside, colour, alpha)

    def polyline(self, points, width, colour, alpha=1.0):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            self.line(ax, ay, bx, by, width, colour, alpha)

    def polygon(self, points, colour, alpha=1.0):
        def inside(x, y):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self._shape((min(xs), min(ys), max(xs), max(ys)), inside, colour, alpha)

    def wave(self, y, amplitude, period, phase, thickness, colour, alpha):
        self._shape((0, y - amplitude - thickness, self.width, y + amplitude + thickness),
                    lambda x, yy: abs(yy - (y + amplitude * math.sin(x / period + phase)))
                    <= thickness / 2, colour, alpha)

    def pixels(self):
        """Final-size rows of (r, g, b) bytes, averaged over each SCALE x SCALE block."""
        rows = []
        n = SCALE * SCALE
        for y in range(self.height):
            row = []
            for x in range(self.width):
                acc = [0.0, 0.0, 0.0]
                for sy in range(SCALE):
                    base = (y * SCALE + sy) * self.w + x * SCALE
                    for sx in range(SCALE):
                        p = self.px[base + sx]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                rgb = tuple(max(0, min(255, int(round(v / n)))) for v in acc)
                if rgb in MAPPED_GREYS:
                    rgb = (rgb[0], rgb[1], rgb[2] + 1)
                row.append(rgb)
            rows.append(row)
        return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as handle:
        handle.write(png)


def frame(rows, colour):
    """A one-pixel frame in an exact colour (one of the mapped greys)."""
    h, w = len(rows), len(rows[0])
    for x in range(w):
        rows[0][x] = rows[h - 1][x] = colour
    for y in range(h):
        rows[y][0] = rows[y][w - 1] = colour
    return rows


# --- side panels -------------------------------------------------------------------------------

WHITE = (250, 250, 246)
PANEL_THEMES = {
    172: ((22, 60, 112), (30, 132, 150)),   # connection
    204: ((40, 52, 110), (70, 110, 170)),   # update type
    179: ((24, 84, 98), (40, 150, 128)),    # task choice
    177: ((58, 46, 104), (104, 92, 168)),   # retained data
    187: ((30, 70, 90), (68, 126, 140)),    # settings choice
    189: ((18, 72, 120), (44, 150, 190)),   # LAN settings
    190: ((66, 40, 70), (140, 70, 96)),     # security mode
    191: ((28, 56, 96), (96, 112, 176)),    # display settings
    176: ((20, 90, 70), (60, 160, 100)),    # summary
}


def glyph_connection(c, cx, cy):
    for x in (cx - 38, cx + 38):
        c.rounded(x - 20, cy - 16, x + 20, cy + 12, 3, WHITE, 0.9)
        c.rounded(x - 16, cy - 12, x + 16, cy + 8, 2, (40, 90, 140), 0.9)
        c.rect(x - 3, cy + 12, x + 3, cy + 18, WHITE, 0.9)
        c.rect(x - 10, cy + 18, x + 10, cy + 21, WHITE, 0.9)
    for i in range(5):
        c.circle(cx - 12 + i * 6, cy - 2, 1.8, WHITE, 0.95)


def arrow(c, x0, y0, x1, y1, width, head, colour, alpha=1.0):
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    bx, by = x1 - ux * head, y1 - uy * head
    c.line(x0, y0, bx, by, width, colour, alpha)
    c.polygon([(x1, y1), (bx - uy * head * 0.6, by + ux * head * 0.6),
               (bx + uy * head * 0.6, by - ux * head * 0.6)], colour, alpha)


def glyph_update_type(c, cx, cy):
    c.line(cx, cy + 40, cx, cy + 6, 6, WHITE, 0.9)
    for side in (-1, 1):
        arrow(c, cx, cy + 8, cx + side * 32, cy - 34, 6, 14, WHITE, 0.9)


def glyph_tasks(c, cx, cy):
    for i in range(3):
        y = cy - 30 + i * 28
        c.rounded(cx - 40, y - 9, cx - 22, y + 9, 2, WHITE, 0.9)
        c.rect(cx - 12, y - 3, cx + 40, y + 3, WHITE, 0.6)
        if i != 1:
            c.polyline([(cx - 36, y), (cx - 31, y + 5), (cx - 24, y - 6)], 3, (30, 130, 90))


def glyph_retained(c, cx, cy):
    for i in range(3):
        y = cy + 24 - i * 22
        c.rect(cx - 34, y - 10, cx + 34, y + 10, (230, 232, 245), 0.9)
        c.ellipse(cx, y + 10, 34, 9, (200, 204, 230), 0.95)
        c.ellipse(cx, y - 10, 34, 9, WHITE, 0.95)


def glyph_gear(c, cx, cy):
    teeth = []
    for i in range(16):
        angle = i * math.pi / 8
        r = 40 if i % 2 == 0 else 31
        for d in (-0.16, 0.16):
            teeth.append((cx + r * math.cos(angle + d), cy + r * math.sin(angle + d)))
    c.polygon(teeth, WHITE, 0.9)
    c.circle(cx, cy, 13, PANEL_THEMES[187][0], 1.0)


def glyph_lan(c, cx, cy):
    c.rounded(cx - 14, cy - 42, cx + 14, cy - 22, 3, WHITE, 0.95)
    c.line(cx, cy - 22, cx, cy, 4, WHITE, 0.9)
    c.line(cx - 40, cy, cx + 40, cy, 4, WHITE, 0.9)
    for x in (cx - 40, cx, cx + 40):
        c.line(x, cy, x, cy + 18, 4, WHITE, 0.9)
        c.rounded(x - 12, cy + 18, x + 12, cy + 36, 3, WHITE, 0.95)


def glyph_lock(c, cx, cy):
    c.circle(cx, cy - 12, 24, WHITE, 0.9, inner=16)
    c.rect(cx - 24, cy - 12, cx - 16, cy + 4, WHITE, 0.9)
    c.rect(cx + 16, cy - 12, cx + 24, cy + 4, WHITE, 0.9)
    c.rounded(cx - 34, cy + 2, cx + 34, cy + 48, 6, WHITE, 0.95)
    c.circle(cx, cy + 20, 6, PANEL_THEMES[190][0])
    c.rect(cx - 2.5, cy + 22, cx + 2.5, cy + 36, PANEL_THEMES[190][0])


def glyph_display(c, cx, cy):
    c.rounded(cx - 46, cy - 30, cx + 46, cy + 24, 4, WHITE, 0.95)
    c.rect(cx - 40, cy - 24, cx + 40, cy + 18, (60, 90, 160), 1.0)
    c.line(cx - 40, cy + 18, cx + 40, cy - 24, 1.5, (150, 180, 230), 0.6)
    c.rect(cx - 5, cy + 24, cx + 5, cy + 36, WHITE, 0.9)
    c.rounded(cx - 22, cy + 36, cx + 22, cy + 41, 2, WHITE, 0.9)


def glyph_summary(c, cx, cy):
    c.circle(cx, cy, 40, WHITE, 0.9)
    c.polyline([(cx - 20, cy + 2), (cx - 6, cy + 17), (cx + 22, cy - 16)], 9, (40, 150, 90))


GLYPHS = {172: glyph_connection, 204: glyph_update_type, 179: glyph_tasks, 177: glyph_retained,
          187: glyph_gear, 189: glyph_lan, 190: glyph_lock, 191: glyph_display,
          176: glyph_summary}


def side_panel(resource_id):
    top, bottom = PANEL_THEMES[resource_id]
    c = Canvas(171, 267)
    c.gradient(top, bottom, diagonal=0.25)
    c.circle(150, 20, 70, WHITE, 0.06)
    c.circle(20, 250, 90, WHITE, 0.05)
    for i in range(4):
        c.wave(196 + i * 13, 6 + i, 22 + i * 3, i * 0.9, 2.2, WHITE, 0.10 + 0.05 * i)
    c.circle(85, 96, 56, WHITE, 0.10)
    GLYPHS[resource_id](c, 85, 96)
    rows = c.pixels()
    for y in range(len(rows)):  # the edge toward the page follows the 3-D shadow colour
        rows[y][170] = (128, 128, 128)
    return rows


# --- welcome pictures --------------------------------------------------------------------------

def conference_system(c, cx, cy, accent):
    c.ellipse(cx, cy + 150, 150, 16, (0, 0, 0), 0.18)
    c.rounded(cx - 130, cy - 70, cx + 130, cy + 85, 8, (36, 40, 52))
    c.rect(cx - 120, cy - 60, cx + 120, cy + 75, (70, 120, 190))
    for i in range(6):  # far end: two people in a call
        c.rect(cx - 120, cy - 60 + i * 22.5, cx + 120, cy - 60 + (i + 1) * 22.5,
               (90 + 8 * i, 140 + 6 * i, 200), 0.35)
    for px, tone in ((cx - 50, (235, 200, 170)), (cx + 50, (205, 160, 130))):
        c.circle(px, cy - 5, 22, tone)
        c.rounded(px - 38, cy + 22, px + 38, cy + 75, 18, accent)
    c.rounded(cx - 36, cy - 96, cx + 36, cy - 70, 6, (50, 54, 66))
    c.circle(cx, cy - 83, 9, (20, 20, 26))
    c.circle(cx, cy - 83, 4, (90, 130, 210))
    c.rect(cx - 12, cy + 85, cx + 12, cy + 130, (60, 64, 76))
    c.rounded(cx - 70, cy + 128, cx + 70, cy + 142, 5, (60, 64, 76))


def feather(c, base, tip, breadth, colour):
    """A quill: a vane that swells and tapers along its shaft."""
    dx, dy = tip[0] - base[0], tip[1] - base[1]
    length = math.hypot(dx, dy)
    nx, ny = -dy / length, dx / length
    left, right = [], []
    for i in range(41):
        t = 0.18 + 0.82 * i / 40
        w = breadth * max(0.0, math.sin(math.pi * (t - 0.18) / 0.82)) ** 0.7
        px, py = base[0] + dx * t, base[1] + dy * t
        left.append((px + nx * w * 0.8, py + ny * w * 0.8))
        right.append((px - nx * w * 0.55, py - ny * w * 0.55))
    c.polygon(left + right[::-1], colour, 0.8)
    c.line(base[0], base[1], tip[0] - dx * 0.05, tip[1] - dy * 0.05, 3, (40, 50, 70), 0.9)
    for i in range(1, 9):  # barbs
        t = 0.25 + i * 0.08
        px, py = base[0] + dx * t, base[1] + dy * t
        c.line(px, py, px + nx * 22 + dx * 0.04, py + ny * 22 + dy * 0.04, 1.2,
               (255, 255, 255), 0.35)


def welcome(resource_id):
    themes = {131: ((236, 240, 246), (176, 196, 222), (60, 100, 150)),
              163: ((220, 234, 248), (90, 140, 200), (40, 80, 150)),
              183: ((246, 236, 222), (214, 150, 90), (150, 70, 40))}
    top, bottom, accent = themes[resource_id]
    c = Canvas(395, 369)
    c.gradient(top, bottom, diagonal=0.3)
    for i in range(5):
        c.wave(300 + i * 12, 8 + i * 2, 40 + i * 6, i * 1.1, 3, (255, 255, 255), 0.12 + 0.04 * i)
    if resource_id == 131:
        c.circle(197, 170, 110, (255, 255, 255), 0.25)
        feather(c, (140, 270), (275, 70), 34, accent)
    else:
        conference_system(c, 197, 160, accent)
        for r in (40, 60, 80):  # the network link
            c.circle(340, 50, r, (255, 255, 255), 0.25, inner=r - 4)
    return c.pixels()


# --- small pieces ------------------------------------------------------------------------------

def tick_square(ticked):
    c = Canvas(16, 15, (255, 255, 255))
    if ticked:
        c.polyline([(3.5, 7.5), (6.5, 10.5), (12.5, 3.5)], 2.4, (20, 150, 40))
    return frame(c.pixels(), (128, 128, 128))


def icon():
    c = Canvas(64, 64, (0, 0, 0))
    c.gradient((20, 60, 120), (40, 150, 160), diagonal=0.5)
    c.circle(32, 32, 22, (255, 255, 255), 0.95)
    c.polygon([(32, 16), (46, 32), (37, 32), (37, 46), (27, 46), (27, 32), (18, 32)],
              (30, 110, 150))
    return c.pixels()


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    os.makedirs(out, exist_ok=True)
    for resource_id in PANEL_THEMES:
        write_png(os.path.join(out, f"bitmap-{resource_id}.png"), side_panel(resource_id))
    for resource_id in (131, 163, 183):
        write_png(os.path.join(out, f"bitmap-{resource_id}.png"), welcome(resource_id))
    write_png(os.path.join(out, "bitmap-193.png"), tick_square(True))
    write_png(os.path.join(out, "bitmap-194.png"), tick_square(False))
    write_png(os.path.join(out, "icon-128.png"), icon())


if __name__ == "__main__":
    main()
