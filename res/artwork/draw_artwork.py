#!/usr/bin/python3
"""Draws the updater's artwork into the folder given as the only argument.

main_background.bmp    280 x 370, 24-bit: the main window's background
notify_background.bmp  280 x 136, 24-bit: the running-program dialog
updater.ico            16, 32 and 48 pixels, 32-bit with alpha

Everything is drawn from simple shapes with signed distances, so edges are
smoothed without any library. Outside the rounded outline the bitmaps are
exactly magenta, the key colour the picture control leaves out.
"""

import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)
GOLD_LIGHT = (236, 204, 132)
GOLD_DARK = (176, 128, 54)
NIGHT_TOP = (26, 34, 52)
NIGHT_BOTTOM = (9, 11, 17)
PANEL = (8, 10, 15)
PANEL_EDGE = (44, 56, 82)
FRAME = (62, 80, 112)
GLOW = (52, 92, 150)

# Strokes of the wordmark's letters on a 4 x 6 grid (x right, y down).
LETTERS = {
    "A": [((0, 6), (2, 0)), ((2, 0), (4, 6)), ((0.9, 3.9), (3.1, 3.9))],
    "R": [((0, 6), (0, 0)), ((0, 0), (3, 0)), ((3, 0), (4, 1)), ((4, 1), (4, 2)),
          ((4, 2), (3, 3)), ((3, 3), (0, 3)), ((2, 3), (4, 6))],
    "K": [((0, 0), (0, 6)), ((4, 0), (0.2, 3.4)), ((1.6, 2.2), (4, 6))],
    "E": [((0, 0), (0, 6)), ((0, 0), (4, 0)), ((0, 3), (3.2, 3)), ((0, 6), (4, 6))],
    "N": [((0, 6), (0, 0)), ((0, 0), (4, 6)), ((4, 6), (4, 0))],
    "F": [((0, 0), (0, 6)), ((0, 0), (4, 0)), ((0, 3), (3.2, 3))],
    "L": [((0, 0), (0, 6)), ((0, 6), (4, 6))],
}


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def coverage(distance):
    """Share of a pixel inside a shape, from the signed distance of its centre."""
    return min(1.0, max(0.0, 0.5 - distance))


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def rounded_rect_distance(px, py, left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def diamond_distance(px, py, cx, cy, rx, ry):
    # Distance to a rhombus, scaled to the shorter axis; good enough for edges.
    return (abs(px - cx) / rx + abs(py - cy) / ry - 1.0) * min(rx, ry) / math.sqrt(2)


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0), alpha=1.0):
        self.width = width
        self.height = height
        self.rgb = [[colour] * width for _ in range(height)]
        self.alpha = [[alpha] * width for _ in range(height)]

    def blend(self, x, y, colour, amount):
        if amount <= 0.0:
            return
        amount = min(1.0, amount)
        self.rgb[y][x] = mix(self.rgb[y][x], colour, amount)
        self.alpha[y][x] = self.alpha[y][x] + (1.0 - self.alpha[y][x]) * amount

    def paint(self, box, shade):
        """shade(x, y) returns (colour, amount) for each pixel centre in box."""
        left, top, right, bottom = box
        for y in range(max(0, int(top)), min(self.height, int(math.ceil(bottom)))):
            for x in range(max(0, int(left)), min(self.width, int(math.ceil(right)))):
                colour, amount = shade(x + 0.5, y + 0.5)
                self.blend(x, y, colour, amount)

    def vertical_gradient(self, top_colour, bottom_colour):
        for y in range(self.height):
            colour = mix(top_colour, bottom_colour, (y / (self.height - 1)) ** 0.8)
            self.rgb[y] = [colour] * self.width

    def glow(self, cx, cy, radius, colour, strength):
        def shade(x, y):
            d = math.hypot(x - cx, y - cy) / radius
            return colour, strength * max(0.0, 1.0 - d) ** 2
        self.paint((cx - radius, cy - radius, cx + radius, cy + radius), shade)

    def strokes(self, segments, width, colour_at, opacity=1.0):
        half = width / 2
        for a, b in segments:
            box = (min(a[0], b[0]) - half - 1, min(a[1], b[1]) - half - 1,
                   max(a[0], b[0]) + half + 1, max(a[1], b[1]) + half + 1)

            def shade(x, y, a=a, b=b):
                return colour_at(y), opacity * coverage(segment_distance(x, y, a, b) - half)
            self.paint(box, shade)

    def fill(self, box, distance, colour_at, opacity=1.0):
        def shade(x, y):
            return colour_at(y), opacity * coverage(distance(x, y))
        self.paint(box, shade)

    def outline(self, box, distance, width, colour, opacity=1.0):
        def shade(x, y):
            return colour, opacity * coverage(abs(distance(x, y)) - width / 2)
        self.paint(box, shade)


def gold(top, bottom):
    return lambda y: mix(GOLD_LIGHT, GOLD_DARK, min(1.0, max(0.0, (y - top) / (bottom - top))))


def wordmark_segments(text, left, top, letter_width, letter_height, gap):
    sx, sy = letter_width / 4, letter_height / 6
    segments = []
    for index, letter in enumerate(text):
        x0 = left + index * (letter_width + gap)
        for (ax, ay), (bx, by) in LETTERS[letter]:
            segments.append(((x0 + ax * sx, top + ay * sy), (x0 + bx * sx, top + by * sy)))
    return segments


def draw_wordmark(canvas, text, centre_x, top, letter_width, letter_height, gap, stroke):
    width = len(text) * letter_width + (len(text) - 1) * gap
    segments = wordmark_segments(text, centre_x - width / 2, top, letter_width, letter_height, gap)
    shadow = [((a[0] + 1, a[1] + 2), (b[0] + 1, b[1] + 2)) for a, b in segments]
    canvas.strokes(shadow, stroke, lambda y: (0, 0, 0), 0.6)
    canvas.strokes(segments, stroke, gold(top, top + letter_height))


def draw_emblem(canvas, cx, cy, size):
    """A gold-framed crest: a diamond holding a twin-peak mark."""
    rx, ry = size * 0.78, size
    box = (cx - rx - 3, cy - ry - 3, cx + rx + 3, cy + ry + 3)
    canvas.fill(box, lambda x, y: diamond_distance(x, y, cx, cy, rx, ry),
                lambda y: mix((30, 46, 74), (12, 16, 26), (y - cy + ry) / (2 * ry)))
    frame = max(1.2, size * 0.07)
    canvas.outline(box, lambda x, y: diamond_distance(x, y, cx, cy, rx, ry), frame,
                   GOLD_LIGHT)
    inner = 0.62
    canvas.outline(box, lambda x, y: diamond_distance(x, y, cx, cy, rx * inner, ry * inner),
                   max(0.8, frame * 0.45), GOLD_DARK, 0.8)
    peak = [((cx - rx * 0.42, cy + ry * 0.24), (cx - rx * 0.1, cy - ry * 0.3)),
            ((cx - rx * 0.1, cy - ry * 0.3), (cx + rx * 0.08, cy - ry * 0.02)),
            ((cx + rx * 0.08, cy - ry * 0.02), (cx + rx * 0.2, cy - ry * 0.2)),
            ((cx + rx * 0.2, cy - ry * 0.2), (cx + rx * 0.42, cy + ry * 0.24))]
    canvas.strokes(peak, max(1.3, size * 0.09), gold(cy - ry * 0.3, cy + ry * 0.24))


def divider(canvas, y, left, right):
    centre, half = (left + right) / 2, (right - left) / 2

    def shade(x, py):
        fade = max(0.0, 1.0 - abs(x - centre) / half) ** 0.7
        return GOLD_DARK, fade * coverage(abs(py - y) - 0.5)
    canvas.paint((left, y - 2, right, y + 2), shade)


def frame_and_key(canvas, radius):
    """Thin frame along the rounded outline; magenta wherever the outline leaves off."""
    w, h = canvas.width, canvas.height

    def distance(x, y):
        return rounded_rect_distance(x, y, 0, 0, w, h, radius)
    canvas.outline((0, 0, w, h), lambda x, y: distance(x, y) + 1.5, 1.2, FRAME)
    for y in range(h):
        for x in range(w):
            if distance(x + 0.5, y + 0.5) > -0.5:
                canvas.rgb[y][x] = MAGENTA


def draw_main_background():
    canvas = Canvas(280, 370)
    canvas.vertical_gradient(NIGHT_TOP, NIGHT_BOTTOM)
    canvas.glow(140, 56, 120, GLOW, 0.45)
    draw_emblem(canvas, 140, 52, 36)
    draw_wordmark(canvas, "ARKENFEL", 140, 101, 17, 24, 8, 3.2)
    divider(canvas, 138, 40, 240)
    # A calm, dark panel where the white labels and the bars sit: 96 to 198
    # dialog units down, which is 156..322 pixels at 1.625 pixels per unit and
    # 168..347 at 1.75. The window may end at 345 pixels.
    panel = (8, 148, 272, 342)
    canvas.fill(panel, lambda x, y: rounded_rect_distance(x, y, *panel, 7), lambda y: PANEL, 0.85)
    canvas.outline(panel, lambda x, y: rounded_rect_distance(x, y, *panel, 7), 1.0, PANEL_EDGE)
    frame_and_key(canvas, 12)
    return canvas


def draw_notify_background():
    canvas = Canvas(280, 136)
    canvas.vertical_gradient(NIGHT_TOP, NIGHT_BOTTOM)
    canvas.glow(40, 20, 90, GLOW, 0.35)
    draw_emblem(canvas, 22, 20, 12)
    draw_wordmark(canvas, "ARKENFEL", 90, 12, 8, 13, 4, 1.9)
    divider(canvas, 34, 10, 270)
    frame_and_key(canvas, 8)
    return canvas


def draw_icon(size):
    canvas = Canvas(size, size, (0, 0, 0), 0.0)
    edge = size / 16
    tile = (edge * 0.5, edge * 0.5, size - edge * 0.5, size - edge * 0.5)
    canvas.fill(tile, lambda x, y: rounded_rect_distance(x, y, *tile, size * 0.18),
                lambda y: mix(NIGHT_TOP, NIGHT_BOTTOM, y / size))
    draw_emblem(canvas, size / 2, size / 2, size * 0.42)
    return canvas


def bmp_bytes(canvas):
    row_size = (canvas.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray()
        for r, g, b in canvas.rgb[y]:
            row += bytes((round(b), round(g), round(r)))
        pixels += row + bytes(row_size - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def icon_image_bytes(canvas):
    """One icon image: a 32-bit DIB of double height, then the 1-bit AND mask."""
    size = canvas.width
    colour = bytearray()
    mask = bytearray()
    mask_row = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            r, g, b = canvas.rgb[y][x]
            a = canvas.alpha[y][x]
            colour += bytes((round(b), round(g), round(r), round(a * 255)))
            if a < 0.5:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(colour) + len(mask), 0, 0, 0, 0)
    return info + colour + mask


def ico_bytes(canvases):
    images = [icon_image_bytes(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_artwork.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write(folder, "main_background.bmp", bmp_bytes(draw_main_background()))
    write(folder, "notify_background.bmp", bmp_bytes(draw_notify_background()))
    write(folder, "updater.ico", ico_bytes([draw_icon(s) for s in (16, 32, 48)]))


if __name__ == "__main__":
    main()
