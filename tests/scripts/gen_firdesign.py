#!/usr/bin/python3
"""Writes tests/data/firdesign_scipy.txt: window-method FIR filters from
scipy.signal.firwin (fs = 1, so cutoffs are in cycles per sample).

firwin's ideal response is the same truncated sinc sum; the window is applied
by hand (scipy.signal.windows, symmetric) and the gain normalisation, when
asked for, divides by the amplitude at 0, at 0.5 or at the band centre, as
firwin's scale=True does. Only the designs firwin can make are written:
every low-pass and band-pass length, odd lengths of high-pass and band-stop.

Each line: kind, N, winType, doNormal, f1, f2 (0 for one-frequency designs),
then the N taps with 17 significant digits. winType: 0 none, 1 Bartlett,
2 optimal Blackman, 3 Hamming, 4 Hann."""
import os
import numpy as np
from scipy.signal import firwin, windows

out = os.path.join(os.path.dirname(__file__), '..', 'data', 'firdesign_scipy.txt')


def window(win_type, n):
    m = n - 1
    if win_type == 1:
        return windows.bartlett(n, sym=True)
    if win_type == 2:
        alpha = -0.5 / (1 + np.cos(2 * np.pi / m))
        return windows.general_cosine(n, [(alpha + 1) / 2, 0.5, -alpha / 2], sym=True)
    if win_type == 3:
        return windows.hamming(n, sym=True)
    if win_type == 4:
        return windows.hann(n, sym=True)
    return np.ones(n)


def design(kind, n, f1, f2, win_type, normal):
    if kind == 'low':
        h = firwin(n, f1, window='boxcar', scale=False, fs=1.0)
        ref = 0.0
    elif kind == 'high':
        h = firwin(n, f1, window='boxcar', scale=False, pass_zero=False, fs=1.0)
        ref = 0.5
    elif kind == 'bandpass':
        h = firwin(n, [f1, f2], window='boxcar', scale=False, pass_zero=False, fs=1.0)
        ref = (f1 + f2) / 2
    else:
        h = firwin(n, [f1, f2], window='boxcar', scale=False, pass_zero=True, fs=1.0)
        ref = 0.0
    h = h * window(win_type, n)
    if normal:
        m = np.arange(n) - (n - 1) / 2
        h = h / abs(np.sum(h * np.cos(2 * np.pi * ref * m)))
    return h


with open(out, 'w') as f:
    for win_type in range(5):
        for normal in (0, 1):
            for n in (5, 6, 7, 16, 31, 64):
                for f1 in (0.05, 0.25, 0.37):
                    f.write(' '.join(['low', str(n), str(win_type), str(normal), repr(f1), '0'] +
                                     ['%.17g' % v for v in design('low', n, f1, 0, win_type, normal)]) + '\n')
                    if n % 2:
                        f.write(' '.join(['high', str(n), str(win_type), str(normal), repr(f1), '0'] +
                                         ['%.17g' % v for v in design('high', n, f1, 0, win_type, normal)]) + '\n')
                for f1, f2 in ((0.05, 0.2), (0.1, 0.45), (0.3, 0.31)):
                    f.write(' '.join(['bandpass', str(n), str(win_type), str(normal), repr(f1), repr(f2)] +
                                     ['%.17g' % v for v in design('bandpass', n, f1, f2, win_type, normal)]) + '\n')
                    if n % 2:
                        f.write(' '.join(['bandstop', str(n), str(win_type), str(normal), repr(f1), repr(f2)] +
                                         ['%.17g' % v for v in design('bandstop', n, f1, f2, win_type, normal)]) + '\n')
