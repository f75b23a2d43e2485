#!/usr/bin/env python3
"""Synthesises the two alert sounds into resources/sounds/: a short two-tone chime for a reach and a longer rising
arpeggio for a bingo. Mono, 16-bit, 22050 Hz; plain sines with a soft attack and an exponential decay, so they stay
small and never click. Run from the project root: python3 tools/make-sounds.py"""
import math, struct, wave
from pathlib import Path

RATE = 22050


def tone(freq, seconds, volume=0.45, decay=6.0):
    n = int(RATE * seconds)
    attack = int(RATE * 0.005)
    out = []
    for i in range(n):
        t = i / RATE
        envelope = min(1.0, i / attack) * math.exp(-decay * t)
        # A quiet octave above gives the sine a bell-like edge.
        sample = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        out.append(volume * envelope * sample / 1.25)
    return out


def mix(*parts):
    """parts: (start seconds, samples); overlapping notes add up."""
    length = max(int(start * RATE) + len(s) for start, s in parts)
    out = [0.0] * length
    for start, samples in parts:
        offset = int(start * RATE)
        for i, v in enumerate(samples):
            out[offset + i] += v
    return out


def write(name, samples):
    path = Path(__file__).resolve().parent.parent / "resources" / "sounds" / name
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, v)) * 32767)) for v in samples))


# Reach: E6 then B5, a quarter second in all.
write("reach.wav", mix((0.0, tone(1318.5, 0.18, decay=14)), (0.09, tone(987.8, 0.2, decay=12))))
# Bingo: C5 E5 G5 C6 rising, the last note ringing on, about a second.
notes = [523.3, 659.3, 784.0, 1046.5]
write("bingo.wav", mix(*[(0.11 * i, tone(f, 0.9 if i == 3 else 0.3, decay=3.5 if i == 3 else 8)) for i, f in enumerate(notes)]))
