#!/usr/bin/env python3
"""Writes a 16-bit PCM WAV file of summed sine tones, for the test MP3s.

make_tone.py OUT.wav SECONDS RATE CHANNELS FREQ[,FREQ...]
"""
import math
import struct
import sys
import wave

out, seconds, rate, channels, freqs = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
freqs = [float(f) for f in freqs.split(",")]
frames = int(seconds * rate)
amplitude = 0.8 * 32767 / len(freqs)
with wave.open(out, "wb") as w:
    w.setnchannels(channels)
    w.setsampwidth(2)
    w.setframerate(rate)
    chunk = []
    for i in range(frames):
        v = int(sum(amplitude * math.sin(2 * math.pi * f * i / rate) for f in freqs))
        chunk.append(struct.pack("<h", v) * channels)
        if len(chunk) == 4096:
            w.writeframes(b"".join(chunk))
            chunk = []
    w.writeframes(b"".join(chunk))
