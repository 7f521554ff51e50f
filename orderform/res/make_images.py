#!/usr/bin/env python3
"""Draws the pictures of tendra.exe into a folder.

    make_images.py OUTPUT_DIR

writes
  tendra.ico - the program icon: an order sheet with a green tick, 32 x 32
               and 16 x 16, 32 bits per pixel with an AND mask;
  ok.bmp     - "OK", the tick of the OK and accept buttons, 16 x 16;
  pomoc.bmp  - "POMOC", the question mark of the help button, 16 x 16.
The button pictures are 24 bits per pixel on light grey (192, 192, 192),
which the program maps to the button face colour.

Standard library only; the output is the same byte for byte on every run.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
import imagefiles  # noqa: E402

GREY = (192, 192, 192)
COLOURS = {
    '.': GREY,
    'k': (0, 0, 0),
    'G': (0, 128, 0),
    'L': (40, 190, 40),
    'B': (0, 0, 160),
    'b': (60, 110, 230),
    'w': (255, 255, 255),
}

OK = [
    "................",
    "................",
    "..............G.",
    ".............GL.",
    "............GLG.",
    "...........GLG..",
    "..........GLG...",
    ".G.......GLG....",
    ".GLG....GLG.....",
    "..GLG..GLG......",
    "...GLGGLG.......",
    "....GLLG........",
    ".....GG.........",
    "................",
    "................",
    "................",
]

POMOC = [
    "................",
    ".....BBBBBB.....",
    "...BBbbbbbbBB...",
    "..Bbbbwwwwbbbb..",
    "..Bbbwwbbwwbbb..",
    ".Bbbbwwbbwwbbbb.",
    ".Bbbbbbbbwwbbbb.",
    ".Bbbbbbbwwbbbbb.",
    ".Bbbbbbwwbbbbbb.",
    ".Bbbbbbwwbbbbbb.",
    "..Bbbbbbbbbbbb..",
    "..Bbbbbwwbbbbb..",
    "...BBbbwwbbbB...",
    ".....BBBBBBB....",
    "................",
    "................",
]


def bmp24(rows):
    return imagefiles.bmp24([[COLOURS[ch] for ch in row] for row in rows])


# Icon: shapes in a 32 x 32 design, 4 x 4 supersampled, painted in order.

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def thick_line(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= (width / 2.0) ** 2
    return inside


def icon_layers(small):
    layers = [
        (rect(5, 2, 25, 30), (60, 60, 70)),          # sheet outline
        (rect(6, 3, 24, 29), (250, 250, 245)),       # sheet
    ]
    lines = [8, 12, 16, 20] if not small else [9, 15]
    for y in lines:
        layers.append((rect(9, y, 21, y + (1 if not small else 1.5)), (90, 110, 170)))
    layers += [
        (thick_line(13, 21, 18, 27, 5.0), (0, 110, 0)),
        (thick_line(18, 27, 29, 12, 5.0), (0, 110, 0)),
        (thick_line(13, 21, 18, 27, 3.0), (50, 200, 50)),
        (thick_line(18, 27, 29, 12, 3.0), (50, 200, 50)),
    ]
    return layers


def render(size):
    samples = 4
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for inside, c in icon_layers(size < 24):
                        if inside(x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                n = acc[3]
                row.append((int(round(acc[0] / n)), int(round(acc[1] / n)), int(round(acc[2] / n)),
                            int(round(255 * n / (samples * samples)))))
        rows.append(row)
    return rows


def make_ico(sizes=(32, 16)):
    return imagefiles.ico_file([render(s) for s in sizes])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (('tendra.ico', make_ico()), ('ok.bmp', bmp24(OK)), ('pomoc.bmp', bmp24(POMOC))):
        imagefiles.write_file(os.path.join(out, name), data)


if __name__ == '__main__':
    main()
