#!/usr/bin/env python3
"""Draws the program's pictures and writes them as PNG files under res/pictures/.

Run it after changing a picture:  python3 res/draw_pictures.py [output folder]
Only the standard library is used, so the same script gives the same bytes everywhere.

- app_16/32/48/128/256.png  the application icon (RGBA)
- new/open/save/saveas.png  toolbar pictures, 16 x 15, on the transparent light grey
                            RGB(192, 192, 192) (RGB, no alpha: the program masks the grey)
- getengine.png             the download badge of the requirement notice, 88 x 31 (RGB)
"""

import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------------------------
# PNG output


def write_png(path, width, height, rows, alpha):
    """rows: list of rows, each a list of (r, g, b[, a]) tuples of ints 0..255."""
    channels = 4 if alpha else 3
    raw = bytearray()
    for row in rows:
        assert len(row) == width
        raw.append(0)  # filter: none
        for px in row:
            raw.extend(px[:channels])
    assert len(rows) == height

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# --------------------------------------------------------------------------------------------
# A small anti-aliased painter: shapes are filled on a supersampled coverage grid and
# composited (source over) onto a floating point RGBA canvas.


class Canvas:
    def __init__(self, width, height, ss=4):
        self.w, self.h, self.ss = width, height, ss
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(width)] for _ in range(height)]

    def _composite(self, coverage, colour):
        r, g, b, a = colour[0] / 255, colour[1] / 255, colour[2] / 255, (colour[3] if len(colour) > 3 else 255) / 255
        n = self.ss * self.ss
        for (x, y), c in coverage.items():
            if not (0 <= x < self.w and 0 <= y < self.h):
                continue
            sa = a * c / n
            dr, dg, db, da = self.px[y][x]
            oa = sa + da * (1 - sa)
            if oa <= 0:
                continue
            self.px[y][x] = (
                (r * sa + dr * da * (1 - sa)) / oa,
                (g * sa + dg * da * (1 - sa)) / oa,
                (b * sa + db * da * (1 - sa)) / oa,
                oa,
            )

    def fill(self, inside, bbox, colour):
        """inside(x, y) -> bool for a point in pixel units; bbox = (x0, y0, x1, y1)."""
        ss = self.ss
        x0, y0, x1, y1 = bbox
        cov = {}
        for sy in range(max(0, int(y0 * ss) - 1), min(self.h * ss, int(y1 * ss) + 2)):
            py = (sy + 0.5) / ss
            for sx in range(max(0, int(x0 * ss) - 1), min(self.w * ss, int(x1 * ss) + 2)):
                if inside((sx + 0.5) / ss, py):
                    key = (sx // ss, sy // ss)
                    cov[key] = cov.get(key, 0) + 1
        self._composite(cov, colour)

    def polygon(self, pts, colour):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c

        self.fill(inside, (min(xs), min(ys), max(xs), max(ys)), colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius

        self.fill(inside, (x0, y0, x1, y1), colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1

        self.fill(inside, (cx - rx, cy - ry, cx + rx, cy + ry), colour)

    def ring(self, cx, cy, rx, ry, width, colour):
        def inside(x, y):
            outer = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
            irx, iry = rx - width, ry - width
            inner = irx > 0 and iry > 0 and ((x - cx) / irx) ** 2 + ((y - cy) / iry) ** 2 < 1
            return outer and not inner

        self.fill(inside, (cx - rx, cy - ry, cx + rx, cy + ry), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        """A stroke with round ends."""
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy
        hw = width / 2

        def inside(x, y):
            t = 0 if ll == 0 else max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / ll))
            px, py = x0 + t * dx - x, y0 + t * dy - y
            return px * px + py * py <= hw * hw

        self.fill(inside, (min(x0, x1) - hw, min(y0, y1) - hw, max(x0, x1) + hw, max(y0, y1) + hw), colour)

    def polyline(self, pts, width, colour):
        # Drawn as one shape so overlapping joints are not composited twice.
        hw = width / 2
        segs = list(zip(pts, pts[1:]))

        def inside(x, y):
            for (x0, y0), (x1, y1) in segs:
                dx, dy = x1 - x0, y1 - y0
                ll = dx * dx + dy * dy
                t = 0 if ll == 0 else max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / ll))
                px, py = x0 + t * dx - x, y0 + t * dy - y
                if px * px + py * py <= hw * hw:
                    return True
            return False

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.fill(inside, (min(xs) - hw, min(ys) - hw, max(xs) + hw, max(ys) + hw), colour)

    def rows_rgba(self):
        return [[tuple(int(round(v * 255)) for v in p) for p in row] for row in self.px]

    def rows_rgb_on(self, bg):
        out = []
        for row in self.px:
            line = []
            for r, g, b, a in row:
                line.append(tuple(int(round((c * a + bc / 255 * (1 - a)) * 255)) for c, bc in zip((r, g, b), bg)))
            out.append(line)
        return out


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


# --------------------------------------------------------------------------------------------
# Application icon: a blue tile with three stacked modules (the configuration being put
# together) and an orange check mark (the selection).

TILE_TOP = (52, 120, 214)
TILE_BOTTOM = (22, 62, 148)
TILE_EDGE = (14, 40, 100)
MODULE = (250, 251, 255)
MODULE_SHADE = (196, 210, 236)
CHECK = (255, 150, 20)
CHECK_EDGE = (150, 70, 0)


def draw_icon(size):
    c = Canvas(size, size, ss=8 if size <= 48 else 4)
    s = size / 48.0  # the design is made on a 48 grid
    # Tile with a vertical gradient: drawn as bands, each a rounded rectangle clipped by y.
    m = 1.0 * s
    r = 8 * s
    c.round_rect(m, m, size - m, size - m, r, TILE_EDGE)
    inset = max(1.0, 1.5 * s)
    bands = 24
    x0, y0, x1, y1 = m + inset, m + inset, size - m - inset, size - m - inset
    rr = max(0.5, r - inset)
    for i in range(bands):
        ya = y0 + (y1 - y0) * i / bands
        yb = y0 + (y1 - y0) * (i + 1) / bands
        col = mix(TILE_TOP, TILE_BOTTOM, i / (bands - 1))

        def inside(x, y, ya=ya, yb=yb):
            if not (ya <= y < yb and x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + rr), x1 - rr)
            cy = min(max(y, y0 + rr), y1 - rr)
            return (x - cx) ** 2 + (y - cy) ** 2 <= rr * rr

        c.fill(inside, (x0, ya, x1, yb), col)

    # Three modules, like units in a rack; each with a status light and a slot.
    for i, top in enumerate((9, 20, 31)):
        t = top * s
        h = 8 * s
        c.round_rect(9 * s, t, 33 * s, t + h, 1.5 * s, MODULE)
        c.round_rect(9 * s, t + h * 0.62, 33 * s, t + h, 1.5 * s, MODULE_SHADE)
        c.round_rect(9 * s, t, 33 * s, t + h * 0.66, 1.5 * s, MODULE)
        lamp = (60, 200, 90) if i != 1 else (255, 190, 40)
        c.ellipse(13.5 * s, t + h / 2, 1.9 * s, 1.9 * s, lamp)
        c.round_rect(18 * s, t + h / 2 - 1.0 * s, 29 * s, t + h / 2 + 1.0 * s, 1.0 * s, (120, 140, 180))

    # The check mark, with a dark edge so it stands out on the modules.
    pts = [(26 * s, 33 * s), (32.5 * s, 40 * s), (43.5 * s, 23.5 * s)]
    c.polyline(pts, 8.5 * s, CHECK_EDGE)
    c.polyline(pts, 5.5 * s, CHECK)
    return c


ICON_16 = """
.EEEEEEEEEEEEEE.
ETTTTTTTTTTTTTTE
ETTTTTTTTTTTTTTE
ETWWWWWWWWTTTTTE
ETWgWWWWWWTTTTTE
ETSSSSSSSSTTTTTE
ETTTTTTTTTTTTTTE
ETWWWWWWWWTTTTTE
ETWaWWWWWWTTTTTE
ETSSSSSSSSTTTTTE
ETTTTTTTTTTTTTTE
ETWWWWWWWWTTTTTE
ETWgWWWWWWTTTTTE
ETSSSSSSSSTTTTTE
ETTTTTTTTTTTTTTE
.EEEEEEEEEEEEEE.
"""

# The check mark at 16 pixels: a stroke two pixels high, then a dark edge around it.
CHECK_16 = [(10, 8), (11, 9), (12, 10), (11, 11), (10, 12), (9, 13), (8, 14)]


def draw_icon_16():
    rows = [list(r) for r in ICON_16.strip("\n").split("\n")]
    orange = set()
    for r, c in CHECK_16:
        orange.add((r, c))
        orange.add((r + 1, c))
    for r, c in list(orange):
        for dr in (-1, 0, 1):
            for dc in (-1, 0, 1):
                rr, cc = r + dr, c + dc
                if (rr, cc) not in orange and 0 < rr < 15 and 0 < cc < 15:
                    rows[rr][cc] = "K"
    for r, c in orange:
        rows[r][c] = "C"
    out = []
    for y, line in enumerate(rows):
        tile = mix(TILE_TOP, TILE_BOTTOM, y / 15)
        colours = {".": (0, 0, 0, 0), "E": TILE_EDGE + (255,), "T": tile + (255,), "W": MODULE + (255,),
                   "S": MODULE_SHADE + (255,), "g": (60, 200, 90, 255), "a": (255, 190, 40, 255),
                   "C": CHECK + (255,), "K": CHECK_EDGE + (255,)}
        out.append([colours[ch] for ch in line])
    return out


# --------------------------------------------------------------------------------------------
# Toolbar pictures, 16 x 15, drawn pixel by pixel: at this size every pixel is chosen.

GREY = (192, 192, 192)  # the transparent colour
PALETTE = {
    ".": GREY,
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "f": (224, 224, 224),  # the folded corner, a shade off white
    "g": (128, 128, 128),
    "O": (200, 150, 0),  # folder, back part
    "y": (255, 224, 64),  # folder, front flap; pencil body
    "h": (255, 248, 176),  # highlight on the folder
    "B": (24, 40, 156),  # diskette body
    "l": (216, 220, 228),  # diskette shutter (silver, not the transparent grey)
    "d": (64, 64, 72),  # shutter window
    "p": (232, 120, 150),  # eraser
    "m": (150, 150, 160),  # ferrule
    "n": (236, 196, 140),  # bare wood at the point
    "Y": (214, 160, 0),  # pencil body, shaded side
}

NEW = """
................
...kkkkkkkk.....
...kwwwwwwkk....
...kwwwwwwkfk...
...kwwwwwwkffk..
...kwwwwwwkkkkk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kwwwwwwwwwwk.
...kkkkkkkkkkkk.
................
"""

OPEN = """
................
................
..kkkk..........
.khhhhk.........
.khOOOOkkkkkkk..
.kOOOOOOOOOOOOk.
.kOOOOOOOOOOOOk.
.kOOOkkkkkkkkkkk
.kOOkyyyyyyyyyk.
.kOkyyyyyyyyyk..
.kkyyyyyyyyyk...
.kyyyyyyyyyk....
.kkkkkkkkkk.....
................
................
"""

SAVE = """
................
.kkkkkkkkkkkkkk.
.kBkwwwwwwwwkBk.
.kBkwggggggwkBk.
.kBkwwwwwwwwkBk.
.kBkwggggggwkBk.
.kBkwwwwwwwwkBk.
.kBBkkkkkkkkBBk.
.kBBBBBBBBBBBBk.
.kBBllllllllBBk.
.kBBllddllllBBk.
.kBBllddllllBBk.
.kBBllllllllBBk.
.kkkkkkkkkkkkkk.
................
"""


def parse_grid(text):
    rows = [r for r in text.strip("\n").split("\n")]
    assert len(rows) == 15 and all(len(r) == 16 for r in rows), rows
    return [list(r) for r in rows]


PENCIL = """
             kk
            kppk
           kppk
          kmmk
         kyYk
        kyYk
       kyYk
      kyYk
     kyYk
    kyYk
   knnk
  kdk
  k
"""


def save_as_grid():
    """The diskette with a pencil laid across it, point at the lower left."""
    g = parse_grid(SAVE)
    # Rows from the second one down; blanks leave the diskette showing.
    for r, line in enumerate(PENCIL.strip("\n").split("\n"), start=1):
        for c, ch in enumerate(line):
            if ch != " ":
                g[r][c] = ch
    return g


def grid_rows(grid):
    return [[PALETTE[ch] for ch in row] for row in grid]


# --------------------------------------------------------------------------------------------
# The download badge, 88 x 31: a dark badge with a globe and a download arrow, and the words
# "Get" and "WebKitGTK" in a pixel font of the project's own.

FONT = {
    # 5 x 7 glyphs ('#' set), narrower where the letter is narrow.
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "b": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "i": ["#", ".", "#", "#", "#", "#", "#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
}


def draw_text(rows, text, x, y, colour):
    for ch in text:
        glyph = FONT[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "#":
                    rows[y + gy][x + gx] = colour
        x += len(glyph[0]) + 1
    return x


BADGE_BG = (24, 28, 36)


def draw_badge():
    w, h = 88, 31
    c = Canvas(w, h, ss=6)
    c.round_rect(0, 0, w, h, 4, (92, 100, 116))
    c.round_rect(1, 1, w - 1, h - 1, 3, BADGE_BG)
    # Globe: blue disc, lighter meridians and parallels.
    cx, cy, rad = 15.5, 15.5, 11.5
    c.ellipse(cx, cy, rad, rad, (40, 110, 200))
    c.ellipse(cx - 3, cy - 3, rad * 0.55, rad * 0.55, (70, 140, 225))
    grid = (170, 210, 250)
    c.ring(cx, cy, rad, rad, 1.1, grid)
    c.ring(cx, cy, rad * 0.45, rad, 1.0, grid)
    c.line(cx, cy - rad, cx, cy + rad, 1.0, grid)
    c.line(cx - rad, cy, cx + rad, cy, 1.0, grid)
    for dy in (-6.0, 6.0):
        half = (rad * rad - dy * dy) ** 0.5
        c.line(cx - half, cy + dy, cx + half, cy + dy, 1.0, grid)
    # Download arrow over the globe's lower right.
    ax, ay = 24.0, 17.0
    arrow_edge = (10, 60, 20)
    shaft = [(ax - 2.6, ay - 9), (ax + 2.6, ay - 9), (ax + 2.6, ay + 1), (ax + 6.2, ay + 1), (ax, ay + 8.5),
             (ax - 6.2, ay + 1), (ax - 2.6, ay + 1)]
    c.polygon(shaft, arrow_edge)
    inner = [(ax - 1.6, ay - 8), (ax + 1.6, ay - 8), (ax + 1.6, ay + 2), (ax + 4.0, ay + 2), (ax, ay + 6.8),
             (ax - 4.0, ay + 2), (ax - 1.6, ay + 2)]
    c.polygon(inner, (70, 210, 90))
    rows = c.rows_rgb_on(BADGE_BG)
    # Words, pixel exact, right of the globe.
    draw_text(rows, "Get", 35, 5, (200, 206, 216))
    draw_text(rows, "WebKitGTK", 35, 17, (255, 255, 255))
    return rows


# --------------------------------------------------------------------------------------------


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "app_16.png"), 16, 16, draw_icon_16(), alpha=True)
    for size in (32, 48, 128, 256):
        c = draw_icon(size)
        write_png(os.path.join(out, "app_%d.png" % size), size, size, c.rows_rgba(), alpha=True)
    for name, grid in (("new", parse_grid(NEW)), ("open", parse_grid(OPEN)), ("save", parse_grid(SAVE)),
                       ("saveas", save_as_grid())):
        write_png(os.path.join(out, name + ".png"), 16, 15, grid_rows(grid), alpha=False)
    write_png(os.path.join(out, "getengine.png"), 88, 31, draw_badge(), alpha=False)


if __name__ == "__main__":
    main()
