#!/usr/bin/env python3
"""Makes the program's sound cues (our own): wav/a.wav, the countdown "pi", the two message-box
cues and the default beep. 16-bit mono 22050 Hz, short soft sine tones with a quick attack and an exponential decay."""
import math
import os
import struct
import wave

RATE = 22050
HERE = os.path.dirname(os.path.abspath(__file__))


def tone(parts, volume=0.45):
    samples = []
    for freq, ms in parts:
        n = int(RATE * ms / 1000)
        for i in range(n):
            t = i / RATE
            attack = min(1.0, i / (RATE * 0.004))
            decay = math.exp(-4.0 * i / n)
            s = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
            samples.append(volume * attack * decay * s / 1.25)
    return samples


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))


write(os.path.join(HERE, "wav", "a.wav"), tone([(1318.5, 180)]))
write(os.path.join(HERE, "sounds", "exclamation.wav"), tone([(659.3, 110), (440.0, 220)]))
write(os.path.join(HERE, "sounds", "information.wav"), tone([(784.0, 120), (1046.5, 260)], 0.35))
# What plays for a countdown file that is missing or damaged, like a system's default beep.
write(os.path.join(HERE, "sounds", "default.wav"), tone([(880.0, 90), (880.0, 160)], 0.4))
