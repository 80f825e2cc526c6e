#!/usr/bin/env python3
"""Regenerate the media of the "Space and the Solar System" example module.

Run from the repository root:  python3 examples/media-src/gen_science.py
Needs: python3 and ImageMagick (convert). Writes the sc-* files into examples/science/.
"""
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

import raster as R

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "science")


def convert_png(rows, target, *options, fmt=""):
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "in.png")
        R.write_png(png, rows)
        subprocess.run(["convert", png, "-strip", *options, fmt + os.path.join(OUT, target)],
                       check=True)


def star_field(count, seed, size=105):
    rng = random.Random(seed)  # fixed seed: same picture on every run
    return [(R.circle(rng.uniform(2, size - 2), rng.uniform(2, size - 2), rng.uniform(0.35, 0.7)),
             (rng.randint(170, 255),) * 3) for _ in range(count)]


def saturn():
    """sc-saturn.gif: a banded planet with a tilted ring system on a starry sky."""
    cx = cy = 52.5
    tilt = math.radians(-18)
    k = 0.34                                  # ring flattening seen from slightly above

    def local(x, y):                          # rotate into the ring's frame
        dx, dy = x - cx, y - cy
        return (dx * math.cos(tilt) + dy * math.sin(tilt),
                -dx * math.sin(tilt) + dy * math.cos(tilt))

    def ring_radius(x, y):
        u, v = local(x, y)
        return math.hypot(u, v / k)

    def in_ring(front):
        def test(x, y):
            r = ring_radius(x, y)
            on_ring = 29.0 <= r <= 48.0 and not 40.0 <= r <= 41.5   # with a dark gap
            return on_ring and ((local(x, y)[1] > 0) == front)
        return test

    def ring_colour(x, y):
        r = ring_radius(x, y)
        return R.hex_rgb("b9a57a") if r < 34 else R.hex_rgb("e3d3a6")

    def planet_test(x, y):
        u, v = local(x, y)
        return (u / 23.0) ** 2 + (v / 21.0) ** 2 <= 1.0

    def planet_colour(x, y):
        u, v = local(x, y)
        band = math.sin(v / 21.0 * 7.0)
        shade = 1.0 - 0.25 * max(0.0, (u + v) / 30.0)        # light from the upper left
        base = (232, 205, 140) if band > 0.3 else (214, 180, 118)
        return tuple(int(c * shade) for c in base)

    layers = star_field(22, 7) + [
        (in_ring(front=False), ring_colour),
        (planet_test, planet_colour),
        (in_ring(front=True), ring_colour),
    ]
    rows = R.render(105, 105, layers, background=R.hex_rgb("05070f"))
    convert_png(rows, "sc-saturn.gif", "-alpha", "off")


# Seven stars of the pattern: name, right ascension (hours), declination (deg), magnitude.
DIPPER = [
    ("Dubhe", 11.0621, 61.751, 1.8), ("Merak", 11.0307, 56.383, 2.4),
    ("Phecda", 11.8972, 53.695, 2.4), ("Megrez", 12.2571, 57.033, 3.3),
    ("Alioth", 12.9005, 55.960, 1.8), ("Mizar", 13.3988, 54.925, 2.2),
    ("Alkaid", 13.7923, 49.313, 1.9),
]
DIPPER_LINES = ["Alkaid", "Mizar", "Alioth", "Megrez", "Phecda", "Merak", "Dubhe", "Megrez"]


def big_dipper():
    """sc-big-dipper.bmp: the seven stars, gnomonic projection, north up and east left."""
    ra0 = math.radians(sum(s[1] for s in DIPPER) / len(DIPPER) * 15)
    de0 = math.radians(sum(s[2] for s in DIPPER) / len(DIPPER))
    flat = {}
    for name, ra, de, mag in DIPPER:
        a, d = math.radians(ra * 15), math.radians(de)
        cosc = math.sin(de0) * math.sin(d) + math.cos(de0) * math.cos(d) * math.cos(a - ra0)
        xi = math.cos(d) * math.sin(a - ra0) / cosc
        eta = (math.cos(de0) * math.sin(d) - math.sin(de0) * math.cos(d) * math.cos(a - ra0)) / cosc
        flat[name] = (-xi, -eta, mag)          # east to the left, north up (screen y grows down)
    xs = [p[0] for p in flat.values()]
    ys = [p[1] for p in flat.values()]
    scale = 89.0 / max(max(xs) - min(xs), max(ys) - min(ys))
    ox = 52.5 - (max(xs) + min(xs)) / 2 * scale
    oy = 52.5 - (max(ys) + min(ys)) / 2 * scale
    pos = {n: (ox + x * scale, oy + y * scale, m) for n, (x, y, m) in flat.items()}

    layers = star_field(14, 3)
    layers = [(t, tuple(int(c * 0.45) for c in col)) for t, col in layers]   # faint background stars
    for a, b in zip(DIPPER_LINES, DIPPER_LINES[1:]):
        layers.append((R.segment(pos[a][0], pos[a][1], pos[b][0], pos[b][1], 1.2),
                       R.hex_rgb("4f6fae")))
    for x, y, mag in pos.values():
        layers.append((R.circle(x, y, 3.8 - 0.8 * (mag - 1.8)), (255, 250, 225)))
    rows = R.render(105, 105, layers, background=R.hex_rgb("0b1633"))
    convert_png(rows, "sc-big-dipper.bmp", "-alpha", "off", "-type", "TrueColor", fmt="BMP3:")


def main():
    if not shutil.which("convert"):
        sys.exit("missing tool: convert")
    os.makedirs(OUT, exist_ok=True)
    saturn()
    big_dipper()
    print("science media written to", OUT)


if __name__ == "__main__":
    main()
