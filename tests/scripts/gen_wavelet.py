#!/usr/bin/python3
"""Writes tests/data/wavelet_pywt.txt from PyWavelets 1.1.

For every orthogonal family member the library predefines (db1 ... db10,
sym4 ... sym10, coif1 ... coif5):
  bank <name> <L>             then four lines: dec_lo, dec_hi, rec_lo, rec_hi
  dwt <name> <r> <N>          then two lines: cA and cD of
                              pywt.dwt(y, name, mode='periodization') where y is the
                              test input reversed and rotated by r: y[j] = x[(r - j) mod N]
The test input is x[n] = ((n * 7919) % 1000) / 500.0 - 1.0, reproduced by the test.
For every biorthogonal pair (p, q) of bior<p>.<q>, the same bank lines."""
import os

import numpy as np
import pywt

names = ['db%d' % i for i in range(1, 11)] + ['sym%d' % i for i in range(4, 11)] + \
        ['coif%d' % i for i in range(1, 6)]
pairs = [(1, 1), (1, 3), (1, 5), (2, 2), (2, 4), (2, 6), (2, 8), (3, 1), (3, 3), (3, 5), (3, 7), (3, 9)]
N = 32
x = np.array([((n * 7919) % 1000) / 500.0 - 1.0 for n in range(N)])


def row(values):
    return ' '.join('%.17g' % v for v in values) + '\n'


out = os.path.join(os.path.dirname(__file__), '..', 'data', 'wavelet_pywt.txt')
with open(out, 'w') as f:
    for name in names + ['bior%d.%d' % p for p in pairs]:
        w = pywt.Wavelet(name)
        f.write('bank %s %d\n' % (name, len(w.dec_lo)))
        for filt in (w.dec_lo, w.dec_hi, w.rec_lo, w.rec_hi):
            f.write(row(filt))
    for name in names:
        for r in (0, 1):
            y = np.array([x[(r - j) % N] for j in range(N)])
            cA, cD = pywt.dwt(y, name, mode='periodization')
            f.write('dwt %s %d %d\n' % (name, r, N))
            f.write(row(cA))
            f.write(row(cD))
