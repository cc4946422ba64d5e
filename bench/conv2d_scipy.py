#!/usr/bin/python3
"""Times scipy.signal.fftconvolve and convolve2d on the shapes bench_conv2d
measures and prints both side by side with the ratio vokx1 / best scipy time.

usage: conv2d_scipy.py [path/to/bench_conv2d | bench.json] [--repeats N]

With a bench program it is run here (--benchmark_format=json) so both sets of
figures come from one session; a saved JSON file is read as it is.
"""
import json
import subprocess
import sys
import time
import timeit

import numpy as np
import scipy
import scipy.signal as ss

# (benchmark name, mode, image side, kernel side)
CASES = [
    ("Conv2D", "full", 512, 15),
    ("Conv2D", "full", 512, 64),
    ("Filter2D", "same", 1024, 5),
]
TYPES = [("s", np.float32), ("d", np.float64)]


def image(cols, rows, seed, dtype):
    # The operands bench/conv2d.cpp builds.
    r, c = np.meshgrid(np.arange(rows), np.arange(cols), indexing="ij")
    return (np.sin(0.37 * c + 0.11 * r + seed) * 0.5).astype(dtype)


def best_ms(fn, repeats):
    # CPU time of this process, like the cpu_time column of the bench (the
    # machine is shared, so wall time mostly measures the neighbours).
    fn()  # warm-up (plans, caches)
    t = timeit.Timer(fn, timer=time.process_time)
    loops, _ = t.autorange()
    return min(t.repeat(repeat=repeats, number=loops)) / loops * 1e3


def bench_figures(arg):
    if arg.endswith(".json"):
        with open(arg) as f:
            doc = json.load(f)
    else:
        out = subprocess.run([arg, "--benchmark_format=json",
                              "--benchmark_min_time=0.5"],
                             check=True, capture_output=True, text=True).stdout
        doc = json.loads(out)
    ms = {}
    for b in doc["benchmarks"]:
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        ms[b["name"]] = (b["real_time"] * scale, b["cpu_time"] * scale)
    return ms


def main():
    args = sys.argv[1:]
    repeats = 7
    if "--repeats" in args:
        i = args.index("--repeats")
        repeats = int(args[i + 1])
        del args[i:i + 2]
    vok = bench_figures(args[0]) if args else {}

    print(f"scipy {scipy.__version__}, numpy {np.__version__}; best of {repeats} runs, CPU ms")
    print("| operation | type | x × h | vokx1 (cpu) | fftconvolve | convolve2d "
          "| vokx1 / scipy best |")
    print("|---|---|---|---|---|---|---|")
    for op, mode, n, k in CASES:
        for letter, dtype in TYPES:
            x, h = image(n, n, 1.0, dtype), image(k, k, 2.0, dtype)
            fft = best_ms(lambda: ss.fftconvolve(x, h, mode=mode), repeats)
            # The direct sum is minutes for the large kernel; once is enough.
            direct_repeats = 1 if k * k > 1000 else repeats
            direct = best_ms(lambda: ss.convolve2d(x, h, mode=mode), direct_repeats)
            name = f"BM_vok{letter}{op}/{n}/{k}"
            best = min(fft, direct)
            if name in vok:
                real, cpu = vok[name]
                v, ratio = f"{cpu:.3f}", f"{cpu / best:.2f}"
            else:
                v, ratio = "—", "—"
            print(f"| vok{letter}{op} ({mode}) | {dtype.__name__} | {n}² × {k}² "
                  f"| {v} | {fft:.3f} | {direct:.3f} | {ratio} |", flush=True)


if __name__ == "__main__":
    main()
