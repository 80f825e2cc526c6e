#!/usr/bin/env python3
"""Regenerate the media of the "General Knowledge" example module.

Run from the repository root:  python3 examples/media-src/gen_general.py
Needs: python3, ImageMagick (convert), sox, espeak-ng, lame.
Writes the gk-* files into examples/general/.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

import raster as R

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "general")


def run(*cmd):
    subprocess.run(cmd, check=True)


def convert_png(rows, target, *options, fmt=""):
    """Write rows as PNG in a temp dir, then let ImageMagick produce target.
    fmt forces an output coder, e.g. "BMP3:" for a plain 24-bit BMP."""
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "in.png")
        R.write_png(png, rows)
        run("convert", png, "-strip", *options, fmt + os.path.join(OUT, target))


# --- pictures ----------------------------------------------------------------

def flag_japan():
    """gk-flag-japan.gif: white 2:3 flag with a centred red disc."""
    w, h = 96, 64
    x0, y0 = (105 - w) / 2, (105 - h) / 2
    layers = [
        (R.rect(x0 - 1, y0 - 1, x0 + w + 1, y0 + h + 1), R.hex_rgb("555555")),  # thin frame
        (R.rect(x0, y0, x0 + w, y0 + h), (255, 255, 255)),
        (R.circle(52.5, 52.5, h * 3 / 10), R.hex_rgb("bc002d")),  # disc: 3/5 of the height
    ]
    rows = R.render(105, 105, layers, background=R.hex_rgb("dde4ec"))
    convert_png(rows, "gk-flag-japan.gif", "-alpha", "off")


def hexagon():
    """gk-shape-hexagon.bmp: a blue regular hexagon with a dark outline (24-bit BMP)."""
    layers = [
        (R.polygon(R.regular_polygon(52.5, 52.5, 46, 6, 0)), R.hex_rgb("123456")),
        (R.polygon(R.regular_polygon(52.5, 52.5, 42, 6, 0)), R.hex_rgb("3a86d4")),
    ]
    rows = R.render(105, 105, layers)
    convert_png(rows, "gk-shape-hexagon.bmp", "-alpha", "off", "-type", "TrueColor", fmt="BMP3:")


def clock():
    """gk-clock-three.ico: 64x64 clock face at 3 o'clock (short hour hand right, long minute hand up)."""
    c = 32.0
    layers = [
        (R.circle(c, c, 30.5), R.hex_rgb("1f2933")),          # rim
        (R.circle(c, c, 27.5), (255, 255, 255)),              # face
    ]
    for hour in range(12):
        a = math.radians(hour * 30 - 90)
        major = hour % 3 == 0
        r_in = 19.5 if major else 22.5
        width = 3.0 if major else 1.5
        layers.append((R.segment(c + r_in * math.cos(a), c + r_in * math.sin(a),
                                 c + 25.5 * math.cos(a), c + 25.5 * math.sin(a), width),
                       R.hex_rgb("1f2933")))
    layers += [
        (R.segment(c, c, c + 13.5, c, 4.5), (0, 0, 0)),       # hour hand -> 3
        (R.segment(c, c, c, c - 22.0, 2.2), (0, 0, 0)),       # minute hand -> 12
        (R.circle(c, c, 2.8), R.hex_rgb("c0392b")),           # hub
    ]
    rows = R.render(64, 64, layers, background=(0, 0, 0, 0))
    convert_png(rows, "gk-clock-three.ico")


# --- sounds ------------------------------------------------------------------

def tone_a440():
    """gk-tone-a440.wav: 3 s pure 440 Hz sine, 22.05 kHz 16-bit mono (-D: no random dither)."""
    run("sox", "-D", "-n", "-r", "22050", "-b", "16", "-c", "1", os.path.join(OUT, "gk-tone-a440.wav"),
        "synth", "3", "sine", "440", "fade", "0.05", "3", "0.05", "vol", "0.5")


def morse_sos():
    """gk-morse-sos.wav: "SOS" twice in Morse code, 700 Hz, about 18 words per minute."""
    rate, unit, freq = 22050, 0.066, 700.0
    code = {"S": "...", "O": "---"}
    samples = []

    def beep(units):
        n = int(rate * unit * units)
        ramp = int(rate * 0.004)  # 4 ms ramps avoid clicks
        for i in range(n):
            env = min(1.0, i / ramp, (n - 1 - i) / ramp)
            samples.append(int(12000 * env * math.sin(2 * math.pi * freq * i / rate)))

    def gap(units):
        samples.extend([0] * int(rate * unit * units))

    gap(4)
    for word in range(2):
        for li, letter in enumerate("SOS"):
            for si, symbol in enumerate(code[letter]):
                beep(1 if symbol == "." else 3)
                if si < len(code[letter]) - 1:
                    gap(1)
            if li < 2:
                gap(3)
        gap(7)
    with wave.open(os.path.join(OUT, "gk-morse-sos.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def ode_to_joy():
    """gk-ode-to-joy.mid: main theme of Beethoven's Ode to Joy, piano, SMF format 0."""
    division = 480                     # ticks per quarter note
    tempo_us = 400000                  # 150 beats per minute
    E4, F4, G4, D4, C4 = 64, 65, 67, 62, 60
    C3, G2 = 48, 43
    line = [(E4, 1), (E4, 1), (F4, 1), (G4, 1), (G4, 1), (F4, 1), (E4, 1), (D4, 1),
            (C4, 1), (C4, 1), (D4, 1), (E4, 1)]
    melody = line + [(E4, 1.5), (D4, 0.5), (D4, 2)] + line + [(D4, 1.5), (C4, 0.5), (C4, 2)]
    bass = [(C3, 4), (G2, 4), (C3, 4), (G2, 4), (C3, 4), (G2, 4), (C3, 4), (G2, 2), (C3, 2)]

    events = []  # (tick, order, bytes); note-offs sort before note-ons at the same tick
    for notes, velocity in ((melody, 92), (bass, 58)):
        t = 0
        for pitch, beats in notes:
            length = int(beats * division)
            events.append((t, 1, bytes([0x90, pitch, velocity])))
            events.append((t + length - 20, 0, bytes([0x80, pitch, 0])))
            t += length
    events.sort(key=lambda e: (e[0], e[1]))

    def varlen(value):
        out = [value & 0x7F]
        value >>= 7
        while value:
            out.insert(0, (value & 0x7F) | 0x80)
            value >>= 7
        return bytes(out)

    track = bytearray()
    track += b"\x00\xff\x51\x03" + tempo_us.to_bytes(3, "big")   # tempo
    track += b"\x00\xff\x58\x04\x04\x02\x18\x08"                 # 4/4 time
    track += b"\x00\xc0\x00"                                     # program 0: acoustic grand piano
    now = 0
    for tick, _, data in events:
        track += varlen(tick - now) + data
        now = tick
    track += varlen(division) + b"\xff\x2f\x00"                  # end of track after a short tail
    with open(os.path.join(OUT, "gk-ode-to-joy.mid"), "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, division))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + bytes(track))


def speech_mp3(target, voice, text, speed):
    """Speak text with espeak-ng and encode it as a small mono MP3."""
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "speech.wav")
        run("espeak-ng", "-v", voice, "-s", str(speed), "-w", wav, text)
        run("lame", "--quiet", "-m", "m", "-b", "48", wav, os.path.join(OUT, target))


def main():
    for tool in ("convert", "sox", "espeak-ng", "lame"):
        if not shutil.which(tool):
            sys.exit("missing tool: " + tool)
    os.makedirs(OUT, exist_ok=True)
    flag_japan()
    hexagon()
    clock()
    tone_a440()
    morse_sos()
    ode_to_joy()
    speech_mp3("gk-number-sequence.mp3", "en", "Two. Four. Eight. Sixteen. Thirty-two.", 130)
    speech_mp3("gk-spoken-german.mp3", "de",
               "Guten Morgen! Wie geht es Ihnen heute? Das Wetter ist wirklich schön.", 140)
    print("general media written to", OUT)


if __name__ == "__main__":
    main()
