#!/usr/bin/env python3
"""Writes a 16-bit PCM WAV file of summed sine tones, for the test MP3s.

make_tone.py OUT.wav SECONDS RATE CHANNELS FREQ[,FREQ...]

Whole-number frequencies repeat after RATE / gcd(RATE, FREQS) frames: that
block is computed once and repeated, so long files are quick to write.
"""
import math
import struct
import sys
import wave

out, seconds, rate, channels, freqs = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
freqs = [float(f) for f in freqs.split(",")]
frames = int(seconds * rate)
amplitude = 0.8 * 32767 / len(freqs)


def frame(i):
    v = int(sum(amplitude * math.sin(2 * math.pi * f * i / rate) for f in freqs))
    return struct.pack("<h", v) * channels


period = frames
if all(f == int(f) for f in freqs):
    g = rate
    for f in freqs:
        g = math.gcd(g, int(f))
    period = min(frames, rate // g)
block = b"".join(frame(i) for i in range(period))
with wave.open(out, "wb") as w:
    w.setnchannels(channels)
    w.setsampwidth(2)
    w.setframerate(rate)
    whole, rest = divmod(frames, period)
    for _ in range(whole):
        w.writeframes(block)
    w.writeframes(block[: rest * 2 * channels])
