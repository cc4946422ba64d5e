#!/usr/bin/python3
"""Writes tests/data/iir_scipy.txt: IIR filter outputs from scipy.signal.lfilter
(one section of arbitrary order, given as b and a) and scipy.signal.sosfilt
(a cascade of second-order sections).

Designs are scipy's Butterworth, Chebyshev and elliptic filters. The
arbitrary-order coefficients are multiplied by a factor so that a0 is not 1
(the library divides by a0 itself). Complex filters are real designs shifted
in frequency (coefficient k times e^(j w k)), so their poles stay inside the
unit circle.

Each line: form ("ba" or "sos"), coefficient kind and input kind ("r" real,
"c" complex), N (the order for "ba", the number of sections for "sos"), the
input length L, then the coefficients (2N + 2 for "ba": b0..bN, a0..aN;
6 per section for "sos": b0 b1 b2 a0 a1 a2), the L inputs and the L outputs.
Complex values are written as two numbers, real then imaginary; the outputs
are complex when either the coefficients or the input are. 17 significant
digits throughout."""
import os
import numpy as np
from scipy import signal

out = os.path.join(os.path.dirname(__file__), '..', 'data', 'iir_scipy.txt')
rng = np.random.default_rng(20261207)
L = 96


def fmt(values, cplx):
    vals = []
    for v in values:
        vals += [np.real(v), np.imag(v)] if cplx else [np.real(v)]
    return ' '.join('%.17g' % float(s) for s in vals)


def shifted(coef, w):
    return coef * np.exp(1j * w * np.arange(len(coef)))


def signal_of(kind):
    x = rng.uniform(-1, 1, L)
    if kind == 'c':
        x = x + 1j * rng.uniform(-1, 1, L)
    return x


lines = []


def add_ba(b, a, ck, xk, scale):
    b = np.asarray(b) * scale
    a = np.asarray(a) * scale
    x = signal_of(xk)
    y = signal.lfilter(b, a, x)
    n = len(a) - 1
    yc = ck == 'c' or xk == 'c'
    lines.append(' '.join(['ba', ck, xk, str(n), str(L), fmt(b, ck == 'c'), fmt(a, ck == 'c'),
                           fmt(x, xk == 'c'), fmt(y, yc)]))


def add_sos(sos, ck, xk):
    x = signal_of(xk)
    y = signal.sosfilt(sos / sos[:, 3:4], x)  # sosfilt wants a0 = 1
    yc = ck == 'c' or xk == 'c'
    lines.append(' '.join(['sos', ck, xk, str(len(sos)), str(L), fmt(np.ravel(sos), ck == 'c'),
                           fmt(x, xk == 'c'), fmt(y, yc)]))


designs = [
    signal.butter(1, 0.2),
    signal.butter(2, 0.3),
    signal.butter(4, 0.15, btype='high'),
    signal.butter(3, [0.2, 0.4], btype='band'),
    signal.cheby1(5, 1.0, 0.35),
    signal.ellip(4, 0.5, 40, 0.25),
    (np.array([0.5, 0.25, -0.125]), np.array([1.0])),  # plain FIR: a has no feedback
]
for i, (b, a) in enumerate(designs):
    n = max(len(b), len(a)) - 1
    b = np.pad(b, (0, n + 1 - len(b)))
    a = np.pad(a, (0, n + 1 - len(a)))
    scale = [1.0, 2.5, -0.75, 3.0, 0.4, 1.25, 2.0][i]
    for ck, xk in (('r', 'r'), ('r', 'c')):
        add_ba(b, a, ck, xk, scale)
    w = 0.3 + 0.2 * i
    for xk in ('r', 'c'):
        add_ba(shifted(b, w), shifted(a, w), 'c', xk, scale * np.exp(0.5j))

sos_designs = [
    signal.butter(2, 0.25, output='sos'),
    signal.butter(8, 0.1, output='sos'),
    signal.cheby1(6, 0.5, [0.1, 0.3], btype='band', output='sos'),
    signal.ellip(6, 0.3, 50, 0.4, btype='high', output='sos'),
]
for i, sos in enumerate(sos_designs):
    # Sections with a0 other than 1: the library divides by it itself.
    sos = sos * np.linspace(1.0, 2.0, len(sos))[:, None]
    for ck, xk in (('r', 'r'), ('r', 'c')):
        add_sos(sos, ck, xk)
    w = 0.5 + 0.3 * i
    csos = np.array([np.concatenate([shifted(s[:3], w), shifted(s[3:], w)]) for s in sos])
    for xk in ('r', 'c'):
        add_sos(csos, 'c', xk)

with open(out, 'w') as f:
    f.write('\n'.join(lines) + '\n')
