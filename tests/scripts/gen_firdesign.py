#!/usr/bin/python3
"""Writes tests/data/firdesign_scipy.txt: window-method FIR filters from
scipy.signal.firwin (fs = 1), the window applied by hand and the gain, when
asked for, divided out at 0, 0.5 or the band centre as firwin's scale=True
does. Only designs firwin can make: odd lengths of high-pass and band-stop.

Each line: kind, N, winType (0 none, 1 Bartlett, 2 optimal Blackman,
3 Hamming, 4 Hann), doNormal, f1, f2 (0 for one frequency), the N taps."""
import os
import numpy as np
from scipy.signal import firwin, windows


def window(win_type, n):
    alpha = -0.5 / (1 + np.cos(2 * np.pi / (n - 1)))
    return {1: lambda: windows.bartlett(n),
            2: lambda: windows.general_cosine(n, [(alpha + 1) / 2, 0.5, -alpha / 2]),
            3: lambda: windows.hamming(n), 4: lambda: windows.hann(n)}.get(win_type, lambda: np.ones(n))()


# kind: (pass_zero, reference frequency of the gain)
KINDS = {'low': (True, lambda f: 0.0), 'high': (False, lambda f: 0.5),
         'bandpass': (False, lambda f: (f[0] + f[1]) / 2), 'bandstop': (True, lambda f: 0.0)}

out = os.path.join(os.path.dirname(__file__), '..', 'data', 'firdesign_scipy.txt')
with open(out, 'w') as f:
    for win_type in range(5):
        for normal in (0, 1):
            for n in (5, 6, 7, 16, 31, 64):
                rows = [(k, (f1,)) for f1 in (0.05, 0.25, 0.37) for k in ('low', 'high')]
                rows += [(k, fs) for fs in ((0.05, 0.2), (0.1, 0.45), (0.3, 0.31)) for k in ('bandpass', 'bandstop')]
                for kind, cut in rows:
                    if kind in ('high', 'bandstop') and n % 2 == 0:
                        continue
                    pass_zero, ref = KINDS[kind]
                    h = firwin(n, cut[0] if len(cut) == 1 else list(cut), window='boxcar', scale=False,
                               pass_zero=pass_zero, fs=1.0) * window(win_type, n)
                    if normal:
                        h = h / abs(np.sum(h * np.cos(2 * np.pi * ref(cut) * (np.arange(n) - (n - 1) / 2))))
                    f2 = repr(cut[1]) if len(cut) == 2 else '0'
                    f.write(' '.join([kind, str(n), str(win_type), str(normal), repr(cut[0]), f2] +
                                     ['%.17g' % v for v in h]) + '\n')
