#!/usr/bin/env python3
"""First outputs of the random generators' integer core for fixed seeds.

The core is written out here from its definition with Python integers masked
to 32 bits, independently of the library's C++ code:
  borrow step: d = s2 - s3 - c; borrow (d -= 18, c = 1) when d as signed is
               <= 0 (float/double generators) or < 0 (16-bit uniform)
  congruential: L = 69069*L + 1013904243, starting at 1131199209
  seeding: A = seed; s1 = seed; s2, s3 (and L2 for 16-bit uniform) from
           A = 214013*A + 2531011, output bits 16..30.
Writes tests/data/random_core.txt. Lines:
  uni  <seed> <u...>                   raw outputs of a uniform core (c = 0), warm-up included
  gaus <seed> <mean> <sd> <v...>       Gaussian samples (polar method, in double)
  w16  <seed> <low> <high> <v...>      16-bit uniform samples as a 32-sample buffer refill delivers them
  w16b <seed> <low> <high> <n> <v...>  16-bit uniform block of n samples straight after Init
"""
import math
import os

M = 0xFFFFFFFF


def signed(u):
    u &= M
    return u - (1 << 32) if u & 0x80000000 else u


class Core:
    def __init__(self, seed, c):
        self.a = seed & M
        self.s1 = seed & M
        self.s2 = self.aux()
        self.s3 = self.aux()
        self.c = c
        self.l = 1131199209

    def aux(self):
        self.a = (214013 * self.a + 2531011) & M
        return (self.a & 0x7FFF0000) >> 16

    def borrow(self, on_zero=True):
        d = (self.s2 - self.s3 - self.c) & M
        if signed(d) < 0 or (on_zero and signed(d) == 0):
            d = (d - 18) & M
            self.c = 1
        else:
            self.c = 0
        self.s3, self.s2, self.s1 = self.s2, self.s1, d
        return d

    def next(self):
        d = self.borrow()
        self.l = (69069 * self.l + 1013904243) & M
        return (self.l + d) & M


def gauss(seed, mean, sd, count):
    core = Core(seed, 1)
    out = []
    K = 4.656612873077e-10
    while len(out) < count:
        while True:
            x = signed(core.next()) * K
            y = signed(core.next()) * K
            s = x * x + y * y
            if not (s >= 1.0 or s == 0.0):
                break
        f = math.sqrt(-2.0 * math.log(s) / s)
        out.append(mean + sd * y * f)  # returned first
        out.append(mean + sd * x * f)  # then the stored half
    return out[:count]


def w16(seed, low, high, n, refills):
    """n samples from one generate() run, or 32-sample refills when refills > 0."""
    core = Core(seed, 0)
    l2 = core.aux()
    for _ in range(5):
        core.next()
    offset = low + 0.5 * (high - low)
    scale = (high - low) * 2.0 ** -32
    # the record keeps both as floats
    import struct
    offset = struct.unpack('f', struct.pack('f', offset))[0]
    scale = struct.unpack('f', struct.pack('f', scale))[0]
    from fractions import Fraction

    def value(u):
        v = Fraction(offset) + signed(u) * Fraction(scale)
        r = round(v)  # Python rounds exact halves to even
        return ((r + 32768) & 0xFFFF) - 32768

    def run(count):
        nonlocal l2
        res = []
        if count & 1:
            d = core.borrow(False)
            core.l = (69069 * core.l + 1013904243) & M
            res.append(value(d + core.l))
        while len(res) < count:
            d1 = core.borrow(False)
            d2 = core.borrow(False)
            core.l = (69069 * core.l + 1013904243) & M
            l2 = (69069 * l2 + 1013904243) & M
            res.append(value(d2 + core.l))
            res.append(value(d1 + l2))
        return res

    if refills:
        out = []
        for _ in range(refills):
            out += run(32)
        return out
    return run(n)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, '..', 'data', 'random_core.txt')
    lines = []
    for seed in (0, 1, 12345, 0xFFFFFFF9, 0x80000000, 0xFFFFFFFF):
        core = Core(seed, 0)
        lines.append('uni %d ' % seed + ' '.join(str(core.next()) for _ in range(40)))
    for seed, mean, sd in ((0, 0.0, 1.0), (12345, 3.0, 2.0), (0xFFFFFFF9, -1.5, 0.25), (777, 0.0, -1.0)):
        lines.append('gaus %d %r %r ' % (seed, mean, sd) + ' '.join(repr(v) for v in gauss(seed, mean, sd, 30)))
    for seed, low, high in ((0, -1000, 1000), (12345, -32768, 32767), (99, 5, 5), (4000000000, 300, -300)):
        lines.append('w16 %d %d %d ' % (seed, low, high) + ' '.join(map(str, w16(seed, low, high, 0, 2))))
        lines.append('w16b %d %d %d 7 ' % (seed, low, high) + ' '.join(map(str, w16(seed, low, high, 7, 0))))
    with open(path, 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
