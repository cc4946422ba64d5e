#!/usr/bin/python3
"""Writes tests/data/dct_scipy.txt: scipy.fft.dct(type=2, norm='ortho') of a
fixed input, for lengths on both the direct and the fast path.

Input x[n] = ((n * 7919) % 1000) / 500.0 - 1.0, reproduced exactly by the test.
Each line: length, then the N outputs with 17 significant digits."""
import os
import numpy as np
import scipy.fft

lengths = [1, 2, 3, 4, 5, 7, 8, 12, 16, 31, 64, 100, 128, 255, 1024]
out = os.path.join(os.path.dirname(__file__), '..', 'data', 'dct_scipy.txt')
with open(out, 'w') as f:
    for n in lengths:
        x = np.array([((i * 7919) % 1000) / 500.0 - 1.0 for i in range(n)])
        y = scipy.fft.dct(x, type=2, norm='ortho')
        f.write(str(n) + ' ' + ' '.join('%.17g' % v for v in y) + '\n')
