#!/usr/bin/env python3
"""Draws the pictures of GmbxRes.dll into a folder.

    make_images.py OUTPUT_DIR

writes
  GmbxRes.ico  - the program icon: a camera seen from the front, 32 x 32 and
                 16 x 16, 32 bits per pixel with an AND mask;
  toolbar.bmp  - the tool bar strip: one 16 x 15 cell per button in the order
                 of res/toolbar.h, 24 bits per pixel, background light grey
                 (192, 192, 192) so that the tool bar can map it to the
                 button face colour.

Standard library only; the output is the same byte for byte on every run.
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'scripts'))
import imagefiles  # noqa: E402

# ---------------------------------------------------------------------------
# Icon: shapes rendered with 8 x 8 supersampling, painted back to front.


def _rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def _disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def _ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in < (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def _rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def _render(size, layers, samples=8):
    """layers: list of (inside(x, y), colour(x, y) -> (r, g, b), opacity).
    Coordinates are in pixels of a 32 x 32 design, scaled to `size`.
    Returns rows top-down of (r, g, b, a) with a in 0..255."""
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # Premultiplied accumulation over the subsamples.
            acc_r = acc_g = acc_b = acc_a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    r = g = b = a = 0.0
                    for inside, colour, opacity in layers:
                        if inside(x, y):
                            cr, cg, cb = colour(x, y)
                            r = cr * opacity + r * (1 - opacity)
                            g = cg * opacity + g * (1 - opacity)
                            b = cb * opacity + b * (1 - opacity)
                            a = opacity + a * (1 - opacity)
                    acc_r += r
                    acc_g += g
                    acc_b += b
                    acc_a += a
            n = samples * samples
            a = acc_a / n
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append((int(round(acc_r / n / a)), int(round(acc_g / n / a)),
                            int(round(acc_b / n / a)), int(round(a * 255))))
        rows.append(row)
    return rows


def _solid(r, g, b):
    return lambda x, y: (r, g, b)


def _vertical(top, bottom, y0, y1):
    def colour(x, y):
        t = min(max((y - y0) / float(y1 - y0), 0.0), 1.0)
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return colour


def camera_layers(small):
    """A compact camera: body, viewfinder hump, shutter button, flash and a
    big lens with a glint. The 16-pixel version drops the finest parts."""
    body_top, body_bottom = (96, 100, 112), (40, 42, 50)
    layers = [
        # Viewfinder hump on top of the body.
        (_rounded_rect(10, 4, 22, 11, 1.5), _vertical((110, 114, 126), (60, 62, 72), 4, 11), 1.0),
        # Shutter button.
        (_rounded_rect(4, 6, 9, 10, 1.0), _solid(210, 48, 40), 1.0),
        # Body.
        (_rounded_rect(1, 9, 31, 28, 3.0), _vertical(body_top, body_bottom, 9, 28), 1.0),
        # Dark outline of the lens barrel.
        (_disc(16, 18.5, 8.5), _solid(20, 20, 24), 1.0),
        # Silver barrel ring.
        (_ring(16, 18.5, 7.5, 5.5), _vertical((220, 222, 228), (120, 122, 130), 11, 26), 1.0),
        # Glass.
        (_disc(16, 18.5, 5.5), _vertical((70, 140, 220), (10, 30, 90), 13, 24), 1.0),
        # Glint.
        (_disc(13.8, 16.2, 1.8), _solid(255, 255, 255), 0.85),
    ]
    if not small:
        layers += [
            # Viewfinder window in the hump.
            (_rounded_rect(13, 6, 19, 8.5, 0.8), _solid(150, 200, 240), 1.0),
            # Flash window.
            (_rounded_rect(24, 11.5, 29, 14.5, 0.8), _solid(250, 246, 210), 1.0),
            # Inner glass ring.
            (_ring(16, 18.5, 3.4, 2.6), _solid(30, 60, 130), 0.8),
            # Light edge along the top of the body.
            (_rect(3, 9.6, 29, 10.3), _solid(160, 164, 176), 0.7),
        ]
    return layers


def make_ico(sizes=(32, 16)):
    return imagefiles.ico_file([_render(s, camera_layers(s < 24)) for s in sizes])


# ---------------------------------------------------------------------------
# Tool bar: 16 x 15 cells drawn as character maps.

BACKGROUND = (192, 192, 192)
COLOURS = {
    '.': BACKGROUND,
    'k': (0, 0, 0),
    'g': (128, 128, 128),
    'w': (255, 255, 255),
    'y': (255, 255, 0),
    'Y': (128, 128, 0),
    'b': (0, 0, 255),
    'B': (0, 0, 128),
    'c': (0, 255, 255),
    'C': (0, 128, 128),
    'r': (255, 0, 0),
    'R': (128, 0, 0),
    'G': (0, 128, 0),
    'L': (0, 255, 0),
}

CELL_W, CELL_H = 16, 15

OPEN = [
    "................",
    "................",
    ".kkkk...........",
    "kyyyyk..........",
    "kyyyyykkkkkkkk..",
    "kyyyyyyyyyyyyk..",
    "kyyyyyyyyyyyyk..",
    "kyykkkkkkkkkkkkk",
    "kyykYYYYYYYYYYYk",
    "kykYYYYYYYYYYYk.",
    "kykYYYYYYYYYYYk.",
    "kkYYYYYYYYYYYk..",
    "kkYYYYYYYYYYYk..",
    "kkkkkkkkkkkkkk..",
    "................",
]

SAVE_AS = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kBkwwwwwwwwkBk.",
    ".kBkwwwwwwwwkBk.",
    ".kBkwggggggwkBk.",
    ".kBkwwwwwwwwkBk.",
    ".kBBkkkkkkkkBBk.",
    ".kBBBBBBBBBBBBk.",
    ".kBBggggggggBBk.",
    ".kBBgggkkgggBBk.",
    ".kBBgggkkgggBBk.",
    ".kBBgggkkgggBBk.",
    "..kBggggggggBBk.",
    "...kkkkkkkkkkkk.",
    "................",
]

COPY = [
    "................",
    ".kkkkkkk........",
    ".kwwwwwk........",
    ".kwgggwk........",
    ".kwwwwwk........",
    ".kwgggkkkkkkkkk.",
    ".kwwwwkwwwwwwwk.",
    ".kwgggkwgggggwk.",
    ".kwwwwkwwwwwwwk.",
    ".kkkkkkwgggggwk.",
    "......kwwwwwwwk.",
    "......kwgggggwk.",
    "......kwwwwwwwk.",
    "......kkkkkkkkk.",
    "................",
]

PRINT = [
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwggggwk....",
    "....kwwwwwwk....",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwwk.",
    ".kwwwwwwwwwwLwk.",
    ".kggggggggggggk.",
    ".kggkkkkkkkkggk.",
    ".kggkwwwwwwkggk.",
    ".kkkkwggggwkkkk.",
    "....kwwwwwwk....",
    "....kkkkkkkk....",
    "................",
]

DESKTOP = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kggggggggggggk.",
    ".kgbbbbbbbbbbgk.",
    ".kgbwwbbbbbbbgk.",
    ".kgbbbbbbbbbbgk.",
    ".kgbwwbbbbbbbgk.",
    ".kgbbbbbbbbbbgk.",
    ".kgbbbbbbbbbbgk.",
    ".kgCCCCCCCCCCgk.",
    ".kggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    "......kggk......",
    "....kkkkkkkk....",
    "................",
]

WINDOW = [
    "kkkkkkkkkkkk....",
    "kBBBBBBBBBBk....",
    "kkkkkkkkkkkk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwkwwk....",
    "kwwwwwwwkkwk....",
    "kwwwwwwwkwkk....",
    "kkkkkkkkkwwk....",
    "........kwwwk...",
    "........kwwwwk..",
    "........kwkkkkk.",
    "........kk......",
]

REGION = [
    "................",
    "................",
    ".kk.kk.kk.kk.k..",
    ".k...........k..",
    "................",
    ".k...........k..",
    ".k...........k..",
    "................",
    ".k...........k..",
    ".k...........k..",
    ".............r..",
    ".k...........r..",
    ".kk.kk.kk.rrrrrr",
    ".............r..",
    ".............r..",
]

ACTIVE_WINDOW = [
    "....kkkkkkkkkkkk",
    "....kggggggggggk",
    "....kkkkkkkkkkkk",
    "....kwwwwwwwwwwk",
    "kkkkkkkkkkkkwwwk",
    "kBBBBBBBBBBkwwwk",
    "kkkkkkkkkkkkwwwk",
    "kwwwwwwwwwwkwwwk",
    "kwwwwwwwwwwkwwwk",
    "kwwwwwwwwwwkkkkk",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kwwwwwwwwwwk....",
    "kkkkkkkkkkkk....",
]

CLIENT_AREA = [
    "kkkkkkkkkkkkkkk.",
    "kBBBBBBBBBBBBBk.",
    "kkkkkkkkkkkkkkk.",
    "kgggggggggggggk.",
    "kgkkkkkkkkkkkgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkccccccccckgk.",
    "kgkkkkkkkkkkkgk.",
    "kgggggggggggggk.",
    "kkkkkkkkkkkkkkk.",
]

INCLUDE_CURSOR = [
    "...k............",
    "...kk...........",
    "...kwk..........",
    "...kwwk.........",
    "...kwwwk........",
    "...kwwwwk.......",
    "...kwwwwwk......",
    "...kwwwwwwk.....",
    "...kwwwwwwwk....",
    "...kwwwwkkkkk...",
    "...kwwkwwk......",
    "...kwk.kwwk.....",
    "...kk...kwwk....",
    "...k.....kwwk...",
    "..........kk....",
]

RESIZE = [
    "kkkkkkk.k.k.k.k.",
    "kwwwwwk.........",
    "kwwwwwk.......k.",
    "kwwwwwk.........",
    "kwwwwwk.......k.",
    "kwwwwwk.........",
    "kkkkkkkB......k.",
    "........B..B....",
    "k........B.B..k.",
    "..........BB....",
    "k.......BBBB..k.",
    "................",
    "k.............k.",
    "................",
    "k.k.k.k.k.k.k.k.",
]

TWAIN = [
    "................",
    "....kkkkkkk.....",
    "....kwwwwwk.....",
    "....kwgggwk.....",
    "..kkkkkkkkkkkk..",
    ".kggggggggggggk.",
    "kkkkkkkkkkkkkkkk",
    "kyyyyyyyyyyyyyyk",
    "kggggggggggggggk",
    "kggggggggggLLggk",
    "kggggggggggggggk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
]


def _blank():
    return [list('.' * CELL_W) for _ in range(CELL_H)]


def repeat_cell():
    """A green circular arrow, going clockwise with its head at the right."""
    cell = _blank()
    cx, cy = 7.5, 7.0
    for y in range(CELL_H):
        for x in range(CELL_W):
            d = math.hypot(x - cx, y - cy)
            angle = math.degrees(math.atan2(y - cy, x - cx))  # 0 = right, 90 = down
            if 4.2 <= d <= 6.2 and not (-10.0 < angle < 50.0):
                cell[y][x] = 'G'
    # Arrow head pointing down at the right end of the arc.
    for dy, (x0, x1) in enumerate(((10, 15), (11, 14), (12, 13))):
        for x in range(x0, x1 + 1):
            cell[6 + dy][x] = 'G'
    return [''.join(r) for r in cell]


def about_cell():
    """A white question mark on a blue disc."""
    cell = _blank()
    cx, cy, r = 7.5, 7.0, 7.0
    for y in range(CELL_H):
        for x in range(CELL_W):
            d = math.hypot(x - cx, y - cy)
            if d <= r - 1.0:
                cell[y][x] = 'b'
            elif d <= r:
                cell[y][x] = 'B'
    glyph = [
        ".wwww.",
        "ww..ww",
        "....ww",
        "...ww.",
        "..ww..",
        "..ww..",
        "......",
        "..ww..",
        "..ww..",
    ]
    for gy, line in enumerate(glyph):
        for gx, ch in enumerate(line):
            if ch == 'w':
                cell[3 + gy][5 + gx] = 'w'
    return [''.join(r) for r in cell]


def toolbar_cells():
    # Same order as kToolbarImageCommands in res/toolbar.h.
    return [
        OPEN, SAVE_AS, COPY, PRINT,
        DESKTOP, WINDOW, REGION, ACTIVE_WINDOW,
        CLIENT_AREA, repeat_cell(), INCLUDE_CURSOR, RESIZE,
        TWAIN, about_cell(),
    ]


def make_toolbar_bmp():
    cells = toolbar_cells()
    for i, cell in enumerate(cells):
        if len(cell) != CELL_H or any(len(line) != CELL_W for line in cell):
            raise ValueError('tool bar cell %d is not %dx%d' % (i, CELL_W, CELL_H))
        for line in cell:
            for ch in line:
                if ch not in COLOURS:
                    raise ValueError('tool bar cell %d uses unknown colour %r' % (i, ch))
    rows = [[COLOURS[ch] for cell in cells for ch in cell[y]] for y in range(CELL_H)]
    return imagefiles.bmp24(rows, dpm=3780)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_images.py OUTPUT_DIR\n')
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    imagefiles.write_file(os.path.join(out, 'GmbxRes.ico'), make_ico())
    imagefiles.write_file(os.path.join(out, 'toolbar.bmp'), make_toolbar_bmp())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
