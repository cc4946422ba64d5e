#!/usr/bin/env python3
"""Tabulates bench_fft (and bench_dft) JSON output: CPU time per transform and the vokx1/peer ratios.

With --benchmark_repetitions the fastest repetition of each benchmark is taken:
on a shared machine the slower ones measure the other jobs.

Usage: build/bench/bench/bench_fft --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true \\
           --benchmark_format=json | scripts/fft_ratios.py [--grid]

--grid prints the vokx1/FFTW ratios alone, a row per family and a column per order, and counts
the cells at or below FFTW (as printed, to two decimals).
"""
import argparse
import json
import sys

parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
parser.add_argument("--grid", action="store_true", help="family x order grid of vokx1/FFTW ratios")
args = parser.parse_args()

# Each family beside the FFTW plan of the same kind and placement (and KissFFT where it has one).
PEERS = {}
for vc, vr, fw in (("vokc", "voks", "fftwf"), ("vokz", "vokd", "fftw")):
    PEERS.update({vc + "Fft": (fw + "_c2c", "kiss_c2c" if fw == "fftwf" else None),
                  vc + "FftNip": (fw + "_c2c_nip", None),
                  vc + "rFft": (fw + "_split", None),
                  vc + "rFftNip": (fw + "_split_nip", None),
                  vr + "RealFftl": (fw + "_r2c", "kiss_r2c" if fw == "fftwf" else None),
                  vr + "RealFftlNip": (fw + "_r2c_nip", None),
                  vr + "RealFft": (fw + "_r2c", None),
                  vr + "RealFftNip": (fw + "_r2c_nip", None),
                  vr + "CcsFftl": (fw + "_c2r", None),
                  vr + "CcsFftlNip": (fw + "_c2r_nip", None),
                  vr + "CcsFft": (fw + "_c2r", None),
                  vr + "CcsFftNip": (fw + "_c2r_nip", None)})

# Any-length DFTs carry their length, not an order.
PEERS.update({"vokFloatDft": ("fftwFloatDft", None), "vokDoubleDft": ("fftwDoubleDft", None)})
LENGTH_NAMED = {"vokFloatDft", "vokDoubleDft"}

runs = {}
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration" or b["time_unit"] != "ns":
        continue
    name, order = b["name"].split("/")[:2]
    key = (name, int(order))
    runs[key] = min(runs.get(key, b["cpu_time"]), b["cpu_time"])

if args.grid:
    families = [v for v in PEERS if v not in LENGTH_NAMED and any(n == v for (n, _) in runs)]
    columns = sorted({o for (n, o) in runs if n in families})
    print("| family | " + " | ".join(f"2^{o}" for o in columns) + " |")
    print("|---|" + "---|" * len(columns))
    at_or_below = total = 0
    for vok in families:
        cells = []
        for order in columns:
            t, f = runs.get((vok, order)), runs.get((PEERS[vok][0], order))
            if not t or not f:
                cells.append("-")
                continue
            ratio = round(t / f, 2)
            total += 1
            at_or_below += ratio <= 1.0
            cells.append(f"{ratio:.2f}")
        print(f"| {vok} | " + " | ".join(cells) + " |")
    print(f"\nAt or below FFTW: {at_or_below} of {total} cells.")
    sys.exit(0)

cell = lambda x: f"{x:.1f} ns" if x and x < 1000 else (f"{x / 1000:.2f} µs" if x else "-")
print("| transform | N | vokx1 | FFTW | vokx1/FFTW | KissFFT | vokx1/KissFFT |")
print("|---|---|---|---|---|---|---|")
for vok, (fftw, kiss) in PEERS.items():
    for order in sorted({o for (n, o) in runs if n == vok}):
        t = runs[(vok, order)]
        f = runs.get((fftw, order))
        k = runs.get((kiss, order)) if kiss else None
        ratio = lambda x: f"{t / x:.2f}" if x else "-"
        size = order if vok in LENGTH_NAMED else f"2^{order}"
        print(f"| {vok} | {size} | {cell(t)} | {cell(f)} | {ratio(f)} | {cell(k)} | {ratio(k)} |")
