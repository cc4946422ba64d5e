#!/usr/bin/python3
"""Writes tests/data/conv_numpy.txt: numpy.convolve and scipy.signal.convolve2d
results for fixed inputs, on both sides of the direct/fast switches.

Input element n of a sequence with seed s: ((n * 7919 + s * 104729) % 1000) / 500 - 1,
reproduced exactly by the tests; a complex sequence takes its imaginary parts
from seed s + 1. Lines:
  conv1 xLen hLen complexX complexH  y (re im pairs when complex), 17 digits
  conv2 xRows xCols hRows hCols       y row by row (x seed 1, h seed 2)
  filt2 rows cols tapRows tapCols     dst row by row (src seed 3, taps seed 4)"""
import math
import os
import numpy as np
import scipy.signal

def seq(n, s):
    return np.array([((i * 7919 + s * 104729) % 1000) / 500.0 - 1.0 for i in range(n)])

def cseq(n, s, cx):
    return seq(n, s) + 1j * seq(n, s + 1) if cx else seq(n, s)

def fmt(v):
    v = np.asarray(v).ravel()
    if np.iscomplexobj(v):
        return ' '.join('%.17g %.17g' % (z.real, z.imag) for z in v)
    return ' '.join('%.17g' % z for z in v)

out = os.path.join(os.path.dirname(__file__), '..', 'data', 'conv_numpy.txt')
with open(out, 'w') as f:
    for xl, hl in [(1, 1), (5, 3), (3, 8), (16, 15), (300, 20), (700, 7), (70, 800), (900, 150)]:
        for cx, ch in [(0, 0), (1, 1), (1, 0), (0, 1)]:
            y = np.convolve(cseq(xl, 1, cx), cseq(hl, 3, ch))
            f.write('conv1 %d %d %d %d %s\n' % (xl, hl, cx, ch, fmt(y)))
    for xr, xc, hr, hc in [(3, 4, 2, 2), (1, 40, 1, 9), (30, 1, 12, 1), (20, 20, 9, 9), (9, 9, 40, 33),
                           (40, 30, 10, 12), (12, 60, 12, 9), (20, 17, 20, 17)]:
        y = scipy.signal.convolve2d(seq(xr * xc, 1).reshape(xr, xc), seq(hr * hc, 2).reshape(hr, hc))
        f.write('conv2 %d %d %d %d %s\n' % (xr, xc, hr, hc, fmt(y)))
    for r, c, tr, tc in [(5, 6, 1, 1), (8, 7, 3, 3), (10, 12, 4, 2), (40, 30, 7, 8), (40, 40, 15, 15), (3, 2, 5, 4)]:
        full = scipy.signal.convolve2d(seq(r * c, 3).reshape(r, c), seq(tr * tc, 4).reshape(tr, tc))
        r0, c0 = math.ceil((tr - 1) / 2), math.ceil((tc - 1) / 2)
        f.write('filt2 %d %d %d %d %s\n' % (r, c, tr, tc, fmt(full[r0:r0 + r, c0:c0 + c])))
