"""Writers for the picture files that the resource scripts draw at build
time: 24-bit BMP files and 32-bit icons. Rows are given top-down, pixels as
(r, g, b) for bitmaps and (r, g, b, a) for icons."""
import os
import struct


def bmp24(rows, dpm=2835):
    """A BMP file (file header, BITMAPINFOHEADER, bottom-up 24-bit rows
    padded to 4 bytes)."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), dpm, dpm, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def ico_image(rows):
    """One square icon image: BITMAPINFOHEADER (height doubled), BGRA rows
    bottom-up, AND mask rows bottom-up (bit set = transparent), each padded
    to 4 bytes."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def ico_file(images):
    """An .ico file of the given square images (each a list of RGBA rows)."""
    datas = [ico_image(rows) for rows in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(datas)))
    offset = 6 + 16 * len(datas)
    for rows, data in zip(images, datas):
        s = len(rows)
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in datas:
        out += data
    return bytes(out)


def write_file(path, data):
    """Writes the file through a temporary one, so a build never sees half."""
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)
