#!/usr/bin/env python3
"""Draws the program's icon (16, 32 and 48 pixels), the warning and conflict
images (16, 20, 24 and 32 pixels, for screens of 96 to 192 pixels per inch),
the task dialog's bitmaps (arrow, expand and collapse buttons, shield) and the
directory edit's folder glyph, and writes Korvandel.ico and the .bmp files
beside this script.

Shapes are described in a 0..1 square and sampled 4 x 4 times per pixel, so
the same drawing serves every size."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4


def inside_polygon(x, y, pts):
    result = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def poly(pts):
    return lambda x, y: inside_polygon(x, y, pts)


def arc_band(cx, cy, r0, r1, a0, a1):
    """A ring segment between angles a0 and a1 (degrees, counter-clockwise)."""
    def test(x, y):
        dx, dy = x - cx, cy - y
        d = math.hypot(dx, dy)
        if not r0 <= d <= r1:
            return False
        a = math.degrees(math.atan2(dy, dx)) % 360
        return (a - a0) % 360 <= (a1 - a0) % 360
    return test


def render(size, layers):
    """layers: list of (test, colour or colour function(y)) drawn in order."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for test, fill in layers:
                        if test(x, y):
                            colour = fill(y) if callable(fill) else fill
                    if colour:
                        for k in range(3):
                            acc[k] += colour[k]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            if acc[3]:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]),
                            round(acc[2] / acc[3]), round(255 * acc[3] / n)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def lerp(c0, c1, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def warning_layers():
    outer = [(0.5, 0.02), (0.98, 0.92), (0.02, 0.92)]
    inner = [(0.5, 0.14), (0.87, 0.85), (0.13, 0.85)]
    body = lambda y: lerp((255, 236, 90), (246, 158, 24), (y - 0.14) / 0.71)
    return [
        (poly(outer), (176, 98, 22)),
        (poly(inner), body),
        (rect(0.44, 0.32, 0.56, 0.64), (96, 96, 96)),
        (rect(0.44, 0.70, 0.56, 0.80), (96, 96, 96)),
    ]


def conflict_layers():
    """Two versions of one page, one over the other, with an orange flash across."""
    back = [(0.06, 0.04), (0.58, 0.04), (0.70, 0.16), (0.70, 0.70), (0.06, 0.70)]
    back_in = [(0.13, 0.11), (0.55, 0.11), (0.63, 0.19), (0.63, 0.63), (0.13, 0.63)]
    front = [(0.30, 0.28), (0.82, 0.28), (0.94, 0.40), (0.94, 0.96), (0.30, 0.96)]
    front_in = [(0.37, 0.35), (0.79, 0.35), (0.87, 0.43), (0.87, 0.89), (0.37, 0.89)]
    flash = [(0.62, 0.30), (0.40, 0.62), (0.56, 0.62), (0.44, 0.94), (0.80, 0.54),
             (0.63, 0.54), (0.76, 0.30)]
    return [
        (poly(back), (40, 70, 140)),
        (poly(back_in), (186, 210, 246)),
        (poly(front), (90, 90, 100)),
        (poly(front_in), (255, 255, 255)),
        (poly(flash), (242, 120, 10)),
    ]


def icon_layers():
    grey = lambda y: lerp((190, 190, 196), (120, 120, 128), y)
    orange = (242, 140, 20)
    return [
        # Computer tower at the back, with its drive slots.
        (rect(0.08, 0.06, 0.52, 0.90), (70, 70, 78)),
        (rect(0.11, 0.09, 0.49, 0.87), grey),
        (rect(0.16, 0.18, 0.44, 0.23), (80, 80, 90)),
        (rect(0.16, 0.29, 0.44, 0.34), (80, 80, 90)),
        # White sheet in front, with a folded corner and lines of text.
        (poly([(0.42, 0.22), (0.80, 0.22), (0.94, 0.36), (0.94, 0.96), (0.42, 0.96)]),
         (110, 110, 120)),
        (poly([(0.45, 0.25), (0.78, 0.25), (0.91, 0.38), (0.91, 0.93), (0.45, 0.93)]),
         (255, 255, 255)),
        (rect(0.51, 0.47, 0.85, 0.51), (150, 170, 200)),
        (rect(0.51, 0.57, 0.85, 0.61), (150, 170, 200)),
        (rect(0.51, 0.67, 0.80, 0.71), (150, 170, 200)),
        # Two orange arrows circling between them.
        (arc_band(0.5, 0.52, 0.30, 0.40, 30, 150), orange),
        (poly([(0.12, 0.52), (0.30, 0.52), (0.21, 0.64)]), orange),
        (arc_band(0.5, 0.52, 0.30, 0.40, 210, 330), orange),
        (poly([(0.70, 0.52), (0.88, 0.52), (0.79, 0.40)]), orange),
    ]


FUCHSIA = (255, 0, 255)


def arrow_layers(hot):
    """A green arrow pointing right; brighter when hot."""
    top, bottom = ((120, 230, 110), (40, 170, 40)) if hot else ((80, 190, 70), (20, 120, 20))
    fill = lambda y: lerp(top, bottom, (y - 0.15) / 0.7)
    outline = (20, 100, 20) if hot else (10, 80, 10)
    shape = [(0.08, 0.38), (0.50, 0.38), (0.50, 0.12), (0.94, 0.50), (0.50, 0.88),
             (0.50, 0.62), (0.08, 0.62)]
    inner = [(0.14, 0.44), (0.56, 0.44), (0.56, 0.26), (0.85, 0.50), (0.56, 0.74),
             (0.56, 0.56), (0.14, 0.56)]
    return [(poly(shape), outline), (poly(inner), fill)]


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def chevron(up):
    """Two strokes meeting in the middle, pointing down (or up)."""
    def test(x, y):
        if up:
            y = 1.0 - y
        for dy in (0.0, 0.14):
            # Band around the two lines from (0.30, 0.38 + dy) to (0.5, 0.56 + dy) to (0.70, 0.38 + dy).
            if 0.30 <= x <= 0.70:
                centre = 0.38 + dy + 0.9 * (0.20 - abs(x - 0.5))
                if abs(y - centre) <= 0.055:
                    return True
        return False
    return test


def expand_layers(up, look):
    ring = {"normal": (160, 160, 160), "hot": (120, 200, 240), "down": (40, 110, 190)}[look]
    face = {"normal": (250, 250, 250), "hot": (235, 246, 253), "down": (210, 230, 245)}[look]
    return [
        (disc(0.5, 0.5, 0.47), ring),
        (disc(0.5, 0.5, 0.40), lambda y: lerp((255, 255, 255), face, y)),
        (chevron(up), (60, 60, 70)),
    ]


def shield_layers():
    outline = [(0.5, 0.04), (0.92, 0.16), (0.88, 0.58), (0.5, 0.97), (0.12, 0.58), (0.08, 0.16)]
    inner = [(0.5, 0.09), (0.86, 0.20), (0.83, 0.56), (0.5, 0.91), (0.17, 0.56), (0.14, 0.20)]
    inside = poly(inner)
    def quarter(left, top):
        return lambda x, y: inside(x, y) and (x < 0.5) == left and (y < 0.5) == top
    return [
        (poly(outline), (60, 60, 70)),
        (quarter(True, True), (40, 100, 210)),
        (quarter(False, True), (250, 200, 30)),
        (quarter(True, False), (250, 200, 30)),
        (quarter(False, False), (40, 100, 210)),
    ]


def write_bmp24(path, pixels):
    size_x, size_y = len(pixels[0]), len(pixels)
    stride = (size_x * 3 + 3) // 4 * 4
    data = b""
    for row in reversed(pixels):  # bottom-up
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        data += line + bytes(stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, size_x, size_y, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54))
        f.write(header + data)


def keyed(pixels):
    """Pixels at least half covered keep their colour; the rest become fuchsia,
    the colour the dialog draws as transparent."""
    return [[(r, g, b) if a >= 128 else FUCHSIA for r, g, b, a in row] for row in pixels]


def on_white(pixels):
    return [[tuple(round(c * a / 255 + 255 * (1 - a / 255)) for c in (r, g, b))
             for r, g, b, a in row] for row in pixels]


def write_task_dialog_bitmaps():
    for suffix, hot in (("", False), ("HOT", True), ("DOWN", True)):
        write_bmp24(os.path.join(HERE, "TD_ARW%s.bmp" % suffix), keyed(render(16, arrow_layers(hot))))
    for name, up in (("TD_EXP", False), ("TD_COLP", True)):
        for suffix, look in (("", "normal"), ("HOT", "hot"), ("DOWN", "down")):
            write_bmp24(os.path.join(HERE, name + suffix + ".bmp"),
                        keyed(render(19, expand_layers(up, look))))
    write_bmp24(os.path.join(HERE, "TD_SHIELD.bmp"), on_white(render(32, shield_layers())))


def bgra_rows(pixels):
    out = b""
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            out += bytes((b, g, r, a))
    return out


# The list images for screens of 120, 144 and 192 pixels per inch; 96 takes
# the 16-pixel ones.
LARGER_IMAGE_SIZES = (20, 24, 32)


def write_bmp8(path, pixels):
    """An 8-bit bitmap with a palette of just the colours used: the larger
    warning images take a third of their 32-bit size in the program."""
    palette = []
    for row in pixels:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    assert len(palette) <= 256, path
    size_x, size_y = len(pixels[0]), len(pixels)
    stride = (size_x + 3) // 4 * 4
    data = b"".join(bytes(palette.index(c) for c in row) + bytes(stride - size_x)
                    for row in reversed(pixels))  # bottom-up
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, size_x, size_y, 1, 8, 0, len(data), 2835, 2835,
                         len(palette), 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(pal) + len(data), 0, 0, 14 + 40 + len(pal)))
        f.write(header + pal + data)


def write_warning_bmp(path):
    write_keyed_bmp32(path, render(16, warning_layers()))


def write_keyed_bmp32(path, pixels):
    # The image list takes the bottom-left colour (magenta) as transparent for
    # its mask; a 32-bit image list draws by the alpha channel instead when an
    # image has one, so the transparent pixels carry alpha 0 as well.
    solid = [[(r, g, b, 255) if a >= 128 else (255, 0, 255, 0) for r, g, b, a in row]
             for row in pixels]
    data = bgra_rows(solid)
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54))
        f.write(header + data)


def write_conflict_bmp(path):
    """Stored as the warning image is, so that the list's image list takes both alike."""
    write_keyed_bmp32(path, render(16, conflict_layers()))


# The open folder on the directory edit's button, pixel by pixel: K black,
# Y yellow, S silver, "." white (drawn transparent, as the bottom-left pixel).
FOLDER_GLYPH = [
    "...KKK......",
    "..KYYYKKKKK.",
    "..KYYYYYYYK.",
    ".KKKYYYYYYK.",
    "KYYYKKKKKYK.",
    "KYYYYYYYKYK.",
    "KYYYKKKKKKKK",
    "KYYKSSSSSSSK",
    "KYKSSSSSSSK.",
    "KKSSSSSSSK..",
    ".KKKKKKKK...",
]
# The sixteen colours of the classic palette; the glyph uses four of them.
PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
             (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
             (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def write_bmp4(path, rows, colours):
    """A 16-colour bitmap; `colours` maps each character of `rows` to a palette entry."""
    size_x, size_y = len(rows[0]), len(rows)
    stride = (size_x * 4 + 31) // 32 * 4
    data = b""
    for row in reversed(rows):  # bottom-up
        indices = [PALETTE16.index(colours[c]) for c in row] + [0]
        line = bytes((indices[i] << 4) | indices[i + 1] if i + 1 < size_x else indices[i] << 4
                     for i in range(0, size_x, 2))
        data += line + bytes(stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, size_x, size_y, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(palette) + len(data), 0, 0,
                                    14 + 40 + len(palette)))
        f.write(header + palette + data)


def and_mask(pixels):
    size = len(pixels)
    stride = ((size + 31) // 32) * 4
    out = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def icon_image_32(size):
    pixels = render(size, icon_layers())
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + bgra_rows(pixels) + and_mask(pixels)


def icon_image_8(size):
    pixels = render(size, icon_layers())
    palette = []
    index_rows = []
    for row in pixels:
        line = []
        for r, g, b, a in row:
            # Quantise to a 6 x 6 x 6 cube plus the colours actually used.
            colour = (r, g, b) if a >= 128 else (0, 0, 0)
            colour = tuple(round(c / 51) * 51 for c in colour)
            if colour not in palette:
                palette.append(colour)
            line.append(palette.index(colour))
        index_rows.append(line)
    palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = (size + 3) // 4 * 4
    data = b"".join(bytes(line) + bytes(stride - size) for line in reversed(index_rows))
    return header + pal + data + and_mask(pixels)


def write_icon(path):
    images = [(16, 0, icon_image_8(16)), (32, 32, icon_image_32(32)), (48, 32, icon_image_32(48))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        # A colour count of 0 means 256 colours or more.
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bpp or 8, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_warning_bmp(os.path.join(HERE, "Warning.bmp"))
    write_conflict_bmp(os.path.join(HERE, "Conflict.bmp"))
    # Fuchsia, the bottom-left pixel, is what the image list leaves transparent.
    for size in LARGER_IMAGE_SIZES:
        write_bmp8(os.path.join(HERE, "Warning%d.bmp" % size), keyed(render(size, warning_layers())))
        write_bmp8(os.path.join(HERE, "Conflict%d.bmp" % size), keyed(render(size, conflict_layers())))
    write_icon(os.path.join(HERE, "Korvandel.ico"))
    write_task_dialog_bitmaps()
    write_bmp4(os.path.join(HERE, "AdvDirectoryEdit.bmp"), FOLDER_GLYPH,
               {"K": (0, 0, 0), "Y": (255, 255, 0), "S": (192, 192, 192), ".": (255, 255, 255)})
