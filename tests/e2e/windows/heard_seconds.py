#!/usr/bin/env python3
"""Which seconds of a step-tone song (second k sounds at 300 + 100 k Hz) a file holds, told by
decoding it with ffmpeg: the pitch says which second each moment is from, and where the pitch
steps says the time within it. Prints "<song start> <song end> <file length>" in seconds.

    heard_seconds.py <file>
"""
import math
import subprocess
import sys

RATE = 8000
WINDOW = 256  # 32 ms: pitches 100 Hz apart stay apart
HOP = 40      # 5 ms
PITCHES = [300 + 100 * k for k in range(12)]


def decode(path):
    raw = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1",
                          "-ar", str(RATE), "-"], check=True, capture_output=True).stdout
    return [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw) - 1, 2)]


def tables():
    result = []
    for pitch in PITCHES:
        w = [0.5 - 0.5 * math.cos(2 * math.pi * n / (WINDOW - 1)) for n in range(WINDOW)]
        result.append(([w[n] * math.cos(2 * math.pi * pitch * n / RATE) for n in range(WINDOW)],
                       [w[n] * math.sin(2 * math.pi * pitch * n / RATE) for n in range(WINDOW)]))
    return result


def main():
    samples = decode(sys.argv[1])
    length = len(samples) / RATE
    meters = tables()
    seconds = []  # (time of the window's middle, second it sounds)
    for start in range(0, len(samples) - WINDOW, HOP):
        chunk = samples[start:start + WINDOW]
        powers = [sum(c * s for c, s in zip(cos, chunk)) ** 2 + sum(c * s for c, s in zip(sin, chunk)) ** 2
                  for cos, sin in meters]
        best = max(range(len(powers)), key=powers.__getitem__)
        seconds.append(((start + WINDOW / 2) / RATE, best, powers[best]))
    # Silence (a cut's first frame, which lacks the bits an MP3 frame borrows from the one
    # before) has no pitch: only windows that sound count.
    loudest = max(p for _, _, p in seconds)
    seconds = [(t, k) for t, k, p in seconds if p >= loudest * 0.05]
    # Each step from second k to k + 1 at file time t puts the file's start at song time
    # k + 1 - t; a step between two windows lies between their middles.
    offsets = sorted(b[1] - b[0] + HOP / RATE / 2 for a, b in zip(seconds, seconds[1:])
                     if b[1] == a[1] + 1 and b[0] - a[0] < 1.5 * HOP / RATE)
    if not offsets:
        sys.exit("no pitch step heard in %s" % sys.argv[1])
    song_start = offsets[len(offsets) // 2]
    print("%.3f %.3f %.3f" % (song_start, song_start + length, length))


main()
