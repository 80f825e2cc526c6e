"""Tiny anti-aliased rasteriser used to draw the example pictures.

A picture is a list of layers (test, colour); for each pixel the colour of the
topmost layer whose test accepts the point is used, averaged over an ss x ss
grid of sub-samples. The result is written as an RGBA PNG (stdlib only) and
then converted to gif/bmp/ico with ImageMagick by the module scripts.
"""
import math
import struct
import zlib


# --- shape tests: each returns a function (x, y) -> bool -------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def annulus(cx, cy, r_in, r_out):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    """Even-odd point-in-polygon test."""
    def test(x, y):
        inside = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    inside = not inside
        return inside
    return test


def segment(x0, y0, x1, y1, width):
    """Thick line with round caps."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def test(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2 if length2 else 0.0
        t = max(0.0, min(1.0, t))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= half * half
    return test


def regular_polygon(cx, cy, radius, sides, start_deg=-90.0):
    return [(cx + radius * math.cos(math.radians(start_deg + 360.0 * i / sides)),
             cy + radius * math.sin(math.radians(start_deg + 360.0 * i / sides)))
            for i in range(sides)]


# --- rendering ---------------------------------------------------------------

def render(width, height, layers, background=(255, 255, 255, 255), ss=4):
    """Return rows of RGBA tuples. A layer colour may be a tuple or f(x, y)."""
    rows = []
    top_first = list(reversed(layers))
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    x = px + (sx + 0.5) / ss
                    y = py + (sy + 0.5) / ss
                    colour = background
                    for test, col in top_first:
                        if test(x, y):
                            colour = col(x, y) if callable(col) else col
                            break
                    if len(colour) == 3:
                        colour = tuple(colour) + (255,)
                    a = colour[3]
                    # premultiplied accumulation keeps transparent edges clean
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = ss * ss
            if acc[3]:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]),
                            round(acc[2] / acc[3]), round(acc[3] / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))
