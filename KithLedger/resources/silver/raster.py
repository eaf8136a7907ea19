"""A small anti-aliased rasteriser for flat theme art, with PNG and BMP writers.

Shapes are signed distance functions in pixel units (negative inside); a fill
covers a pixel by how far its centre lies inside the edge, which gives one
pixel of smooth edge at any size. Only the standard library is used.
"""

import math
import struct
import zlib


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


class Shape:
    """A signed distance function with the box outside which it is positive."""

    def __init__(self, sd, box):
        self.sd = sd
        self.box = box  # x0, y0, x1, y1

    def __or__(self, other):
        return union(self, other)

    def __sub__(self, other):
        return subtract(self, other)

    def __and__(self, other):
        return intersect(self, other)


def _grow(box, by):
    return (box[0] - by, box[1] - by, box[2] + by, box[3] + by)


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    # Close enough to a true distance for the gentle ellipses drawn here.
    k = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sd(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(sd, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, r):
    """A stroke of half-width r with round caps."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def sd(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r

    return Shape(sd, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def bar(ax, ay, bx, by, half_width, r):
    """A rounded rectangle lying along the segment from a to b."""
    length = math.hypot(bx - ax, by - ay) or 1e-9
    ux, uy = (bx - ax) / length, (by - ay) / length
    cx, cy = (ax + bx) / 2.0, (ay + by) / 2.0
    hx, hy = length / 2.0 - r, half_width - r

    def sd(x, y):
        along = abs((x - cx) * ux + (y - cy) * uy) - hx
        across = abs(-(x - cx) * uy + (y - cy) * ux) - hy
        return math.hypot(max(along, 0.0), max(across, 0.0)) + min(max(along, across), 0.0) - r

    reach = length / 2.0 + half_width
    return Shape(sd, (cx - reach, cy - reach, cx + reach, cy + reach))


def polyline(points, r):
    return union(*[segment(a[0], a[1], b[0], b[1], r) for a, b in zip(points, points[1:])])


def polygon(points):
    n = len(points)

    def sd(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = clamp((wx * ex + wy * ey) / ((ex * ex + ey * ey) or 1e-9))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (bx - ax) * (y - ay) / (by - ay):
                inside = not inside
        return -best if inside else best

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sd, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, radius, r, start, end):
    """A stroke of half-width r along a circle, from angle start to end (degrees,
    y down, clockwise), with round caps."""
    a0, a1 = math.radians(start), math.radians(end)
    ends = [(cx + radius * math.cos(a), cy + radius * math.sin(a)) for a in (a0, a1)]
    span = (a1 - a0) % (2 * math.pi)

    def sd(x, y):
        angle = (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi)
        if angle <= span:
            return abs(math.hypot(x - cx, y - cy) - radius) - r
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - r

    return Shape(sd, _grow((cx - radius, cy - radius, cx + radius, cy + radius), r))


def union(*shapes):
    boxes = [s.box for s in shapes]
    fns = [s.sd for s in shapes]
    return Shape(lambda x, y: min(f(x, y) for f in fns),
                 (min(b[0] for b in boxes), min(b[1] for b in boxes),
                  max(b[2] for b in boxes), max(b[3] for b in boxes)))


def intersect(a, b):
    return Shape(lambda x, y: max(a.sd(x, y), b.sd(x, y)),
                 (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
                  min(a.box[2], b.box[2]), min(a.box[3], b.box[3])))


def subtract(a, b):
    return Shape(lambda x, y: max(a.sd(x, y), -b.sd(x, y)), a.box)


def outline(shape, r):
    """The shape's edge as a stroke of half-width r."""
    return Shape(lambda x, y: abs(shape.sd(x, y)) - r, _grow(shape.box, r))


def shifted(shape, dx, dy):
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.sd(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def rotate_points(points, angle, cx, cy):
    a = math.radians(angle)
    c, s = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c) for x, y in points]


def vertical(top, bottom, y0, y1):
    """A paint that runs from one colour at y0 to another at y1."""
    span = float(y1 - y0) or 1.0

    def paint(x, y):
        t = clamp((y - y0) / span)
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(len(top)))

    return paint


class Image:
    """Premultiplied RGBA in floats 0..1, rows top first."""

    def __init__(self, width, height, background=None, scale=1.0):
        # Drawing is in design units; the image holds width x height of them,
        # scale pixels each, so one drawing serves every screen size.
        self.scale = scale
        self.width = max(1, int(round(width * scale)))
        self.height = max(1, int(round(height * scale)))
        fill = (0.0, 0.0, 0.0, 0.0)
        if background:
            fill = tuple(c / 255.0 for c in background[:3]) + (1.0,)
        self.pixels = [list(fill) for _ in range(width * height)]

    def fill(self, shape, paint, opacity=1.0):
        """Paints the shape with a colour (r, g, b[, a]) in 0..255 or a paint function."""
        k = self.scale
        x0, y0, x1, y1 = (v * k for v in shape.box)
        left, top = max(int(math.floor(x0)) - 1, 0), max(int(math.floor(y0)) - 1, 0)
        right, bottom = min(int(math.ceil(x1)) + 1, self.width), min(int(math.ceil(y1)) + 1, self.height)
        sd = shape.sd
        flat = None if callable(paint) else paint
        for y in range(top, bottom):
            row = y * self.width
            uy = (y + 0.5) / k
            for x in range(left, right):
                ux = (x + 0.5) / k
                coverage = clamp(0.5 - sd(ux, uy) * k)
                if coverage <= 0.0:
                    continue
                colour = flat or paint(ux, uy)
                alpha = coverage * opacity * (colour[3] / 255.0 if len(colour) > 3 else 1.0)
                pixel = self.pixels[row + x]
                keep = 1.0 - alpha
                pixel[0] = colour[0] / 255.0 * alpha + pixel[0] * keep
                pixel[1] = colour[1] / 255.0 * alpha + pixel[1] * keep
                pixel[2] = colour[2] / 255.0 * alpha + pixel[2] * keep
                pixel[3] = alpha + pixel[3] * keep

    def rgba_rows(self):
        rows = []
        for y in range(self.height):
            row = bytearray()
            for pixel in self.pixels[y * self.width:(y + 1) * self.width]:
                a = pixel[3]
                if a <= 0.0:
                    row += b"\0\0\0\0"
                    continue
                row += bytes(int(round(clamp(c / a) * 255)) for c in pixel[:3])
                row.append(int(round(clamp(a) * 255)))
            rows.append(bytes(row))
        return rows

    def save_png(self, path):
        raw = b"".join(b"\0" + row for row in self.rgba_rows())

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                      + chunk(b"IEND", b""))

    def save_bmp(self, path, background):
        """24 bits, bottom row first, flattened onto the background colour."""
        stride = (self.width * 3 + 3) & ~3
        body = bytearray()
        for y in reversed(range(self.height)):
            row = bytearray()
            for pixel in self.pixels[y * self.width:(y + 1) * self.width]:
                keep = 1.0 - pixel[3]
                r, g, b = (int(round(clamp(pixel[i] + background[i] / 255.0 * keep) * 255)) for i in range(3))
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            body += row
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
        header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
        with open(path, "wb") as out:
            out.write(header + info + body)
