#!/usr/bin/python3
"""Writes tests/data/windows_scipy.txt: symmetric windows from scipy.signal.windows
for the lengths and parameters the window tests use.

Each line: name, length n, parameter (0 when the window has none), then the n
weights with 17 significant digits. Blackman(alpha) is the cosine sum
(alpha+1)/2 - 0.5 cos(2 pi k/M) - (alpha/2) cos(4 pi k/M); Kaiser(alpha) is
scipy's kaiser with beta = alpha*(n-1)/2 (scipy evaluates I0 exactly)."""
import os
import numpy as np
from scipy.signal import windows

lengths = [3, 4, 5, 8, 33, 64, 101, 256]
out = os.path.join(os.path.dirname(__file__), '..', 'data', 'windows_scipy.txt')


def line(f, name, n, param, w):
    f.write('%s %d %.17g ' % (name, n, param) + ' '.join('%.17g' % v for v in w) + '\n')


with open(out, 'w') as f:
    for n in lengths:
        line(f, 'bartlett', n, 0, windows.bartlett(n, sym=True))
        line(f, 'hann', n, 0, windows.hann(n, sym=True))
        line(f, 'hamming', n, 0, windows.hamming(n, sym=True))
        line(f, 'blackmanstd', n, 0, windows.blackman(n, sym=True))
        m = n - 1
        if n > 3:  # n = 3 puts cos(pi/2) ~ 0 into a denominator
            opt = -0.5 / (1 + np.cos(2 * np.pi / m))
            line(f, 'blackmanopt', n, opt, windows.general_cosine(n, [(opt + 1) / 2, 0.5, -opt / 2], sym=True))
        for alpha in (-0.3, 0.25, 1.0):
            line(f, 'blackman', n, alpha, windows.general_cosine(n, [(alpha + 1) / 2, 0.5, -alpha / 2], sym=True))
        for alpha in (0.05, 0.2, 1.5):
            line(f, 'kaiser', n, alpha, windows.kaiser(n, beta=alpha * m / 2, sym=True))
