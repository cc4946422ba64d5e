#!/usr/bin/python3
"""Writes tests/data/rfft_numpy.txt: real signals and their numpy.fft.rfft spectra.

Each block: a line "order m", a line of the N samples, a line of the N/2 + 1
complex bins as re im pairs (17 significant digits).
"""
import os
import numpy as np

out = os.path.join(os.path.dirname(__file__), "..", "data", "rfft_numpy.txt")
rng = np.random.default_rng(20261206)
with open(out, "w") as f:
    for order in range(1, 13):
        n = 1 << order
        x = rng.uniform(-1.0, 1.0, n)
        spectrum = np.fft.rfft(x)
        f.write(f"order {order}\n")
        f.write(" ".join(f"{v:.17g}" for v in x) + "\n")
        f.write(" ".join(f"{v.real:.17g} {v.imag:.17g}" for v in spectrum) + "\n")
