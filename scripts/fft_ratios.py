#!/usr/bin/env python3
"""Tabulates bench_fft JSON output: CPU time per transform and the vokx1/peer ratios.

With --benchmark_repetitions the fastest repetition of each benchmark is taken:
on a shared machine the slower ones measure the other jobs.

Usage: build/bench/bench/bench_fft --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
           --benchmark_format=json | scripts/fft_ratios.py
"""
import json
import sys

PAIRS = [("vokcFft", "fftwf_c2c", "kiss_c2c"),
         ("vokzFft", "fftw_c2c", None),
         ("voksRealFftl", "fftwf_r2c", "kiss_r2c"),
         ("voksCcsFftl", "fftwf_c2r", None),
         ("vokdCcsFftl", "fftw_c2r", None),
         ("voksRealFftlInv", "fftwf_c2r", None)]

runs = {}
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration" or b["time_unit"] != "ns":
        continue
    name, order = b["name"].split("/")[:2]
    key = (name[3:], int(order))
    runs[key] = min(runs.get(key, b["cpu_time"]), b["cpu_time"])

print("| transform | N | vokx1 | FFTW | vokx1/FFTW | KissFFT | vokx1/KissFFT |")
print("|---|---|---|---|---|---|---|")
for vok, fftw, kiss in PAIRS:
    for order in sorted({o for (n, o) in runs if n == vok}):
        t = runs[(vok, order)]
        f = runs.get((fftw, order))
        k = runs.get((kiss, order)) if kiss else None
        cell = lambda x: f"{x / 1000:.2f} µs" if x else "-"
        ratio = lambda x: f"{t / x:.2f}" if x else "-"
        print(f"| {vok} | 2^{order} | {cell(t)} | {cell(f)} | {ratio(f)} | {cell(k)} | {ratio(k)} |")
