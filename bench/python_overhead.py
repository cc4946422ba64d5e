#!/usr/bin/python3
"""Per-call cost of the vokx1 Python package against numpy / scipy on the same
data: fft of 1024 complex points, a 64-tap FIR over a 1024-sample block, and a
4096 x 4096 convolve (double precision). Also the bare ctypes call of the same
library function with preallocated buffers, so that the package's own
overhead (validation, allocation, report check) shows. Best of several
repetitions of timeit loops; prints a markdown table.

usage: VOKX1_LIBRARY=build/bench/libvokx1.so /work/tools/heavy --bench /usr/bin/python3 bench/python_overhead.py"""
import os
import sys
import timeit

import numpy as np
import scipy
import scipy.signal

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
import vokx1 as vk  # noqa: E402


def best(stmt, number):
    return min(timeit.repeat(stmt, number=number, repeat=7)) / number * 1e6


def main():
    rng = np.random.default_rng(1)
    rows = []

    x = rng.standard_normal(1024) + 1j * rng.standard_normal(1024)
    out = np.empty_like(x)
    raw_fft = vk.raw.vokzFftNip
    xp, op = x.ctypes.data, out.ctypes.data
    rows.append(("fft, 1024 complex128", best(lambda: vk.fft(x), 2000), "numpy.fft.fft",
                 best(lambda: np.fft.fft(x), 2000), best(lambda: raw_fft(xp, op, 10, 1), 2000)))

    taps, block = rng.standard_normal(64), rng.standard_normal(1024)
    fir = vk.FirFilter(taps)
    y = np.empty_like(block)
    raw_fir, ref, bp, yp = vk.raw.vokdbFir, fir._ref, block.ctypes.data, y.ctypes.data
    zi = np.zeros(63)
    rows.append(("FIR 64 taps, 1024-sample block (state kept)", best(lambda: fir.filter(block), 1000),
                 "scipy.signal.lfilter (with zi)", best(lambda: scipy.signal.lfilter(taps, 1, block, zi=zi), 1000),
                 best(lambda: raw_fir(ref, bp, yp, 1024), 1000)))
    fir.close()

    a, b = rng.standard_normal(4096), rng.standard_normal(4096)
    c = np.empty(8191)
    raw_conv, ap, bp2, cp = vk.raw.vokdConv, a.ctypes.data, b.ctypes.data, c.ctypes.data
    rows.append(("convolve 4096 x 4096 float64", best(lambda: vk.convolve(a, b), 200),
                 "scipy.signal.fftconvolve", best(lambda: scipy.signal.fftconvolve(a, b), 200),
                 best(lambda: raw_conv(ap, 4096, bp2, 4096, cp), 200)))

    print(f"numpy {np.__version__}, scipy {scipy.__version__}, library {vk.library_path}\n")
    print("| Call | vokx1 (µs) | peer | peer (µs) | vokx1 / peer time | bare ctypes call (µs) | package overhead (µs) |")
    print("|---|---|---|---|---|---|---|")
    for name, ours, peer, theirs, bare in rows:
        print(f"| {name} | {ours:.2f} | {peer} | {theirs:.2f} | {ours / theirs:.2f} | {bare:.2f} | {ours - bare:.2f} |")


if __name__ == "__main__":
    main()
