#!/usr/bin/env python3
"""Rebuild VXM.ico (the module-file icon) from vxm-icon.svg.

Renders the SVG to 48, 32 and 16 pixel PNGs with rsvg-convert (Debian package
librsvg2-bin) and wraps them in a Windows ICO container.  The
48x48 image must stay the first entry.  Only needed when the artwork changes;
the game build uses the committed VXM.ico.
"""
import os
import shutil
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, 'vxm-icon.svg')
TARGET = os.path.join(HERE, 'VXM.ico')
SIZES = (48, 32, 16)


def render_png(size, tmpdir):
    out = os.path.join(tmpdir, f'{size}.png')
    if not shutil.which('rsvg-convert'):
        raise SystemExit('rsvg-convert not found: apt-get install librsvg2-bin')
    subprocess.run(['rsvg-convert', '-w', str(size), '-h', str(size), SOURCE, '-o', out], check=True)
    with open(out, 'rb') as f:
        data = f.read()
    assert data.startswith(b'\x89PNG\r\n\x1a\n'), 'renderer did not produce a PNG'
    return data


def build_ico(images):
    """images: list of (size, png bytes). Returns the ICO file bytes."""
    header = struct.pack('<HHH', 0, 1, len(images))      # reserved, type 1 = icon, count
    offset = len(header) + 16 * len(images)               # image data follows the directory
    entries, blobs = b'', b''
    for size, png in images:
        # width, height (0 means 256), palette size, reserved, planes, bits per pixel,
        # byte count, offset of the PNG data from the start of the file
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32,
                               len(png), offset + len(blobs))
        blobs += png
    return header + entries + blobs


def main():
    with tempfile.TemporaryDirectory() as tmpdir:
        images = [(s, render_png(s, tmpdir)) for s in SIZES]
    with open(TARGET, 'wb') as f:
        f.write(build_ico(images))
    print(f'wrote {TARGET}')


if __name__ == '__main__':
    main()
