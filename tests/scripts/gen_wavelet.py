#!/usr/bin/python3
"""Writes tests/data/wavelet_pywt.txt from PyWavelets 1.1: for every orthogonal
family member the library predefines (db1 ... db10, sym4 ... sym10, coif1 ...
coif5) and every biorthogonal pair bior<p>.<q>, a line "bank <name> <L>" and
then four lines: dec_lo, dec_hi, rec_lo, rec_hi."""
import os

import pywt

names = ['db%d' % i for i in range(1, 11)] + ['sym%d' % i for i in range(4, 11)] + \
        ['coif%d' % i for i in range(1, 6)]
pairs = [(1, 1), (1, 3), (1, 5), (2, 2), (2, 4), (2, 6), (2, 8), (3, 1), (3, 3), (3, 5), (3, 7), (3, 9)]

out = os.path.join(os.path.dirname(__file__), '..', 'data', 'wavelet_pywt.txt')
with open(out, 'w') as f:
    for name in names + ['bior%d.%d' % p for p in pairs]:
        w = pywt.Wavelet(name)
        f.write('bank %s %d\n' % (name, len(w.dec_lo)))
        for filt in (w.dec_lo, w.dec_hi, w.rec_lo, w.rec_hi):
            f.write(' '.join('%.17g' % v for v in filt) + '\n')
