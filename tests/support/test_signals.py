"""Deterministic test audio: a decaying chord with a few noise bursts and
clicks, loud enough in places to trip the plugin's amplitude modulation."""

import math
import random


def music(frames, rate, seed=1):
    rng = random.Random(seed)
    freqs = [rng.uniform(110.0, 880.0) for _ in range(3)]
    out = []
    for i in range(frames):
        t = i / rate
        env = 0.6 * math.exp(-2.0 * (t % 0.5))
        v = env * sum(math.sin(2 * math.pi * f * t) for f in freqs) / 3.0
        if (i // 4096) % 5 == 3:
            v += rng.uniform(-0.35, 0.35)
        if i % 7919 == 0:
            v = 0.95 if (i // 7919) % 2 else -0.95
        out.append(max(-0.99, min(0.99, v)))
    return out
