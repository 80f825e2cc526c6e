#!/usr/bin/python3
"""Regenerates the Vexlor Player SVG artwork (buttons, titles, logo, vxm-icon.svg).

Labels are turned into outlines from DejaVu Sans Bold, so the SVGs need no
font at run time.  Needs python3-fonttools and fonts-dejavu-core (Debian);
the game build does not run this.  Usage: make-art.py [output-dir]
Run make-icon.py afterwards to rebuild VXM.ico."""
import os, sys
from fontTools.ttLib import TTFont
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
FONT = TTFont('/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf')
GS = FONT.getGlyphSet()
CMAP = FONT.getBestCmap()
KERN = FONT['kern'].kernTables[0].kernTable
UPEM = FONT['head'].unitsPerEm
CAP = FONT['glyf']['H'].yMax / UPEM   # cap height as a fraction of the size


def num(v):
    s = f'{v:.2f}'.rstrip('0').rstrip('.')
    return '0' if s in ('-0', '') else s


def text_width(s, size, track=0.0):
    names = [CMAP[ord(c)] for c in s]
    w = 0
    for i, n in enumerate(names):
        w += GS[n].width
        if i + 1 < len(names):
            w += KERN.get((n, names[i + 1]), 0)
    return w * size / UPEM + track * (len(s) - 1)


def text_d(s, size, x, baseline, track=0.0):
    """Outline path data of s, left edge at x, on the given baseline."""
    names = [CMAP[ord(c)] for c in s]
    k = size / UPEM
    pen = SVGPathPen(GS, ntos=num)
    pos = 0.0
    for i, n in enumerate(names):
        GS[n].draw(TransformPen(pen, (k, 0, 0, -k, x + pos, baseline)))
        pos += GS[n].width * k + track
        if i + 1 < len(names):
            pos += KERN.get((n, names[i + 1]), 0) * k
    return pen.getCommands()


def text_centred(s, size, cx, cy, track=0.0):
    """Path data of s centred on (cx, cy); caps are centred vertically."""
    w = text_width(s, size, track)
    return text_d(s, size, cx - w / 2, cy + CAP * size / 2, track)


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'version="1.2" baseProfile="tiny" width="{w}" height="{h}" viewBox="0 0 {w} {h}">\n'
            + body.strip() + '\n</svg>\n')


def vgrad(gid, stops):
    s = ''.join(f'<stop offset="{o}" stop-color="{c}"/>' if a is None else
                f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>'
                for o, c, a in stops)
    return f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">{s}</linearGradient>'


def write(rel, content):
    path = os.path.join(OUT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w') as f:
        f.write(content)


# ---------------------------------------------------------------- palettes
GRAPHITE = dict(rim=[(0, '#9A9A9A', None), (1, '#141414', None)],
                body=[(0, '#5A5A5A', None), (0.5, '#383838', None),
                      (0.52, '#262626', None), (1, '#404040', None)],
                ink='#FFFFFF', shade='#000000')
ORANGE = dict(rim=[(0, '#FFE0C0', None), (1, '#8A3A00', None)],
              body=[(0, '#FFB060', None), (0.5, '#FF8A10', None),
                    (0.52, '#F07000', None), (1, '#FF9830', None)],
              ink='#FFFFFF', shade='#7A3000')
GREEN = dict(rim=[(0, '#C0FFC0', None), (1, '#004A00', None)],
             body=[(0, '#50E050', None), (0.5, '#10B810', None),
                   (0.52, '#009A00', None), (1, '#20C820', None)],
             ink='#FFFFFF', shade='#004000')


def button(w, h, pal, label, size=15, glyph=None, drop=True):
    r = min(9, h / 2 - 1)
    lx0 = 32 if glyph else 4          # label area starts after the badge
    parts = ['<defs>', vgrad('rim', pal['rim']), vgrad('body', pal['body']),
             vgrad('gloss', [(0, '#FFFFFF', 0.55), (1, '#FFFFFF', 0.06)])]
    if glyph:
        parts.append('<radialGradient id="badge" cx="0.5" cy="0.3" r="0.7">'
                     '<stop offset="0" stop-color="#FFD8A8"/><stop offset="0.55" stop-color="#FF8000"/>'
                     '<stop offset="1" stop-color="#B04800"/></radialGradient>')
    parts.append(f'<path id="t" d="{text_centred(label, size, (lx0 + w - 4) / 2, h / 2)}"/>')
    parts.append('</defs>')
    if drop:
        parts.append(f'<rect x="1" y="2" width="{w - 2}" height="{h - 2}" rx="{r}" fill="#000000" fill-opacity="0.28"/>')
    bh = h - 1 if drop else h
    parts.append(f'<rect x="0.5" y="0.5" width="{w - 1}" height="{bh - 1}" rx="{r}" fill="url(#rim)"/>')
    parts.append(f'<rect x="2" y="2" width="{w - 4}" height="{bh - 4}" rx="{r - 1.5}" fill="url(#body)"/>')
    gh = (bh - 4) * 0.48
    parts.append(f'<path d="M{num(2 + r - 1.5)} 3H{num(w - 3.5 - r)}a{num(r - 2.5)} {num(r - 2.5)} 0 0 1 '
                 f'{num(r - 2.5)} {num(r - 2.5)}V{num(3 + gh)}H3V{num(r + 0.5)}a{num(r - 2.5)} {num(r - 2.5)} 0 0 1 '
                 f'{num(r - 2.5)} {num(-(r - 2.5))}z" fill="url(#gloss)"/>')
    if glyph:
        cy = bh / 2
        parts.append(f'<circle cx="18" cy="{num(cy)}" r="12" fill="#000000" fill-opacity="0.35"/>')
        parts.append(f'<circle cx="18" cy="{num(cy)}" r="11" fill="url(#badge)"/>')
        parts.append(f'<g transform="translate(18 {num(cy)})">{GLYPHS[glyph]}</g>')
    dy = -0.5 if drop else 0
    parts.append(f'<use xlink:href="#t" transform="translate(0 {num(dy + 1)})" fill="{pal["shade"]}" fill-opacity="0.7"/>')
    parts.append(f'<use xlink:href="#t" transform="translate(0 {num(dy)})" fill="{pal["ink"]}"/>')
    return svg(w, h, '\n'.join(parts))


# Badge glyphs, drawn around (0, 0) inside a circle of radius 11.
INK = '#3A1A00'
GLYPHS = {
    'open': f'<path d="M-6.5 -5h4.5l1.5 1.5h6v2h-9.5l-2.5 7.5z" fill="{INK}"/>'
            f'<path d="M-4.5 -0.5h11.5l-2.5 6.5h-11.5z" fill="{INK}"/>',
    'start': f'<path d="M-3.5 -6.5L6.5 0L-3.5 6.5z" fill="{INK}"/>',
    'next': f'<path d="M-6.5 -2h5v-4.5l7.5 6.5l-7.5 6.5v-4.5h-5z" fill="{INK}"/>',
    'replay': f'<path d="M5.2 1.6A5.4 5.4 0 1 1 2.6 -4.7" fill="none" stroke="{INK}" stroke-width="2.4" stroke-linecap="round"/>'
              f'<path d="M-0.2 -8.2L6.6 -6.4L1.6 -1.4z" fill="{INK}"/>',
    'about': f'<circle cx="0" cy="-5.2" r="2" fill="{INK}"/>'
             f'<path d="M-3 -1.6h4.6v5.6h1.6v2.4h-6.2v-2.4h1.5v-3.2h-1.5z" fill="{INK}"/>',
    'exit': f'<path d="M3.9 -4.4A5.9 5.9 0 1 1 -3.9 -4.4" fill="none" stroke="{INK}" stroke-width="2.4" stroke-linecap="round"/>'
            f'<path d="M0 -7.2V0.2" stroke="{INK}" stroke-width="2.4" stroke-linecap="round"/>',
}

for name, label in [('open', 'Open'), ('start', 'Start'), ('next', 'Next'),
                    ('replay', 'Replay'), ('about', 'About'), ('exit', 'Exit')]:
    write(f'buttons/{name}.svg', button(105, 37, GRAPHITE, label, glyph=name))
write('buttons/fifty.svg', button(73, 37, ORANGE, '50/50', size=15))
write('buttons/pause.svg', button(73, 37, ORANGE, 'Pause', size=15))
write('buttons/ok.svg', button(93, 29, GREEN, 'OK', size=15, drop=False))


# ---------------------------------------------------------------- titles
def title(w, h, label, light, accent, glyph):
    parts = ['<defs>', vgrad('pill', [(0, '#5E5E5E', None), (0.5, '#3A3A3A', None), (1, '#202020', None)]),
             vgrad('ink', [(0, light, None), (1, accent, None)]),
             '</defs>',
             f'<rect x="0" y="0" width="{w}" height="{h}" rx="{h / 2}" fill="#FFFFFF" fill-opacity="0.55"/>',
             f'<rect x="0.5" y="0" width="{w - 1}" height="{h - 0.5}" rx="{(h - 0.5) / 2}" fill="#202020"/>',
             f'<rect x="1.5" y="1" width="{w - 3}" height="{h - 2.5}" rx="{(h - 2.5) / 2}" fill="url(#pill)"/>',
             f'<g transform="translate(9.5 {num((h - 0.5) / 2)})">{glyph}</g>',
             f'<path id="t" d="{text_centred(label, 10.5, (18 + w - 4) / 2, (h - 0.5) / 2, track=0.6)}" fill="url(#ink)"/>']
    return svg(w, h, '\n'.join(parts))


STAR = ('<path d="M0 -5.6L1.5 -2L5.3 -1.7L2.4 0.8L3.3 4.5L0 2.5L-3.3 4.5L-2.4 0.8L-5.3 -1.7L-1.5 -2z" '
        'fill="url(#ink)"/>')
CLOCK = ('<circle cx="0" cy="0" r="4.9" fill="none" stroke="url(#ink)" stroke-width="1.6"/>'
         '<path d="M0 -2.9V0H2.4" fill="none" stroke="#FFC080" stroke-width="1.4" stroke-linecap="round" stroke-linejoin="round"/>')
write('titles/score.svg', title(64, 18, 'SCORE', '#A0FFA0', '#00C000', STAR))
write('titles/clock.svg', title(56, 18, 'TIME', '#FFD0A0', '#FF8000', CLOCK))


# ---------------------------------------------------------------- logo
def contours(s, size, cx, cy):
    """Each closed contour of a centred string as separate path data."""
    from fontTools.pens.recordingPen import RecordingPen
    rec = RecordingPen()
    k = size / UPEM
    w = text_width(s, size)
    GS[CMAP[ord(s)]].draw(TransformPen(rec, (k, 0, 0, -k, cx - w / 2, cy + CAP * size / 2)))
    out, cur = [], []
    for op, args in rec.value:
        cur.append((op, args))
        if op in ('closePath', 'endPath'):
            pen = SVGPathPen(GS, ntos=num)
            for o, a in cur:
                getattr(pen, o)(*a)
            out.append(pen.getCommands())
            cur = []
    return out


def logo():
    W, H, cx, cy = 276, 236, 138, 84
    bar = f'M10 {cy}L27 {cy - 17}H249L266 {cy}L249 {cy + 17}H27z'
    q = contours('?', 92, cx + 1, cy + 1)
    q.sort(key=len)                      # the dot is the shorter outline
    dot, hook = q[0], ''.join(q[1:])
    lights = ''.join(f'<circle cx="{x}" cy="{cy}" r="3.2" fill="url(#bulb)"/>'
                     for x in (30, 46, 62, 214, 230, 246))
    s1, s2 = 'Vexlor', 'Player'
    size = 36
    gap = size * 0.28
    w1, w2 = text_width(s1, size), text_width(s2, size)
    x0 = (W - (w1 + gap + w2)) / 2
    base = 200
    parts = [
        '<defs>',
        vgrad('barfill', [(0, '#505050', None), (0.5, '#2A2A2A', None), (1, '#151515', None)]),
        '<radialGradient id="ring" cx="0.5" cy="0.3" r="0.75"><stop offset="0" stop-color="#FFD8A8"/>'
        '<stop offset="0.5" stop-color="#FF8000"/><stop offset="1" stop-color="#A04000"/></radialGradient>',
        '<radialGradient id="disc" cx="0.5" cy="0.35" r="0.7"><stop offset="0" stop-color="#4A4A4A"/>'
        '<stop offset="1" stop-color="#0C0C0C"/></radialGradient>',
        '<radialGradient id="bulb" cx="0.4" cy="0.35" r="0.7"><stop offset="0" stop-color="#FFFFFF"/>'
        '<stop offset="0.4" stop-color="#FFC080"/><stop offset="1" stop-color="#FF8000"/></radialGradient>',
        vgrad('qfill', [(0, '#FFE4C4', None), (0.5, '#FFC080', None), (1, '#FF8000', None)]),
        vgrad('dotfill', [(0, '#A0FFA0', None), (1, '#00C000', None)]),
        vgrad('gloss', [(0, '#FFFFFF', 0.4), (1, '#FFFFFF', 0)]),
        vgrad('word1', [(0, '#FFFFFF', None), (1, '#B0B0B0', None)]),
        vgrad('word2', [(0, '#FFC080', None), (1, '#FF8000', None)]),
        '<linearGradient id="rule" x1="0" y1="0" x2="1" y2="0"><stop offset="0" stop-color="#FF8000" stop-opacity="0"/>'
        '<stop offset="0.5" stop-color="#FF8000"/><stop offset="1" stop-color="#FF8000" stop-opacity="0"/></linearGradient>',
        '</defs>',
        f'<path d="{bar}" fill="url(#barfill)" stroke="#FF8000" stroke-width="2"/>',
        lights,
        f'<circle cx="{cx}" cy="{cy}" r="68" fill="#000000"/>',
        f'<circle cx="{cx}" cy="{cy}" r="65" fill="url(#ring)"/>',
        f'<circle cx="{cx}" cy="{cy}" r="55" fill="url(#disc)"/>',
        f'<path d="{hook}" fill="url(#qfill)"/>',
        f'<path d="{dot}" fill="url(#dotfill)"/>',
        f'<path d="M{cx - 50} {cy - 8}A55 55 0 0 1 {cx + 50} {cy - 8}A60 42 0 0 0 {cx - 50} {cy - 8}z" fill="url(#gloss)"/>',
        f'<path d="{text_d(s1, size, x0, base)}" fill="url(#word1)"/>',
        f'<path d="{text_d(s2, size, x0 + w1 + gap, base)}" fill="url(#word2)"/>',
        f'<rect x="28" y="{base + 12}" width="220" height="2" fill="url(#rule)"/>',
    ]
    return svg(W, H, '\n'.join(parts))


write('logo.svg', logo())


# ---------------------------------------------------------------- module-file icon
def module_icon():
    q = text_centred('?', 19, 24, 21.5)
    parts = [
        '<defs>',
        '<linearGradient id="page" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#FFFFFF"/>'
        '<stop offset="1" stop-color="#C8C8C8"/></linearGradient>',
        '<radialGradient id="badge" cx="0.5" cy="0.3" r="0.7"><stop offset="0" stop-color="#FFD8A8"/>'
        '<stop offset="0.55" stop-color="#FF8000"/><stop offset="1" stop-color="#B04800"/></radialGradient>',
        '</defs>',
        '<path d="M8.5 2.5H30L40.5 13V44.5a1 1 0 0 1-1 1H8.5a1 1 0 0 1-1-1V3.5a1 1 0 0 1 1-1z" '
        'fill="url(#page)" stroke="#404040" stroke-width="1.5" stroke-linejoin="round"/>',
        '<path d="M30 2.5V12a1 1 0 0 0 1 1H40.5z" fill="#FFC080" stroke="#404040" stroke-width="1.5" stroke-linejoin="round"/>',
        '<circle cx="24" cy="21" r="10" fill="url(#badge)" stroke="#7A3000" stroke-width="1"/>',
        f'<path d="{q}" fill="#FFFFFF"/>',
        '<rect x="10" y="34" width="28" height="9" rx="1.5" fill="#404040"/>',
        f'<path d="{text_centred("VXM", 7.5, 24, 38.5, track=0.3)}" fill="#FF8000"/>',
    ]
    return svg(48, 48, '\n'.join(parts))


write('vxm-icon.svg', module_icon())
