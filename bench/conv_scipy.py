#!/usr/bin/python3
"""One run of the 1-D convolution pairs: bench_conv (voksConv, vokcConv and the
FFTW overlap-save) and scipy.signal.fftconvolve / oaconvolve on the same
lengths, float32 and complex64, CPU time, best of a few repetitions. Prints a
markdown table (microseconds).

usage: /usr/bin/python3 bench/conv_scipy.py [bench_conv]"""
import json, os, subprocess, sys, time
import numpy as np
import scipy, scipy.signal

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
PAIRS = [(1 << 10, 16), (1 << 16, 64), (1 << 16, 1 << 10), (1 << 20, 1 << 12), (1 << 12, 1 << 12)]


def library(bench):
    out = subprocess.run([bench, "--benchmark_filter=BM_(voks|vokc|fftw)Conv", "--benchmark_format=json",
                          "--benchmark_min_time=0.2", "--benchmark_repetitions=3"],
                         check=True, capture_output=True, text=True).stdout
    best = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        name = b.get("run_name", b["name"])
        best[name] = min(best.get(name, 1e30), b["cpu_time"] * scale)
    return best


def cpuTime(f, *args):
    best = 1e30
    for _ in range(5):
        reps, start = 0, time.process_time()
        while True:
            f(*args)
            reps += 1
            spent = time.process_time() - start
            if spent > 0.1:
                break
        best = min(best, spent / reps * 1e6)
    return best


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bench", "bench_conv")
    lib = library(bench)
    rng = np.random.default_rng(1)
    print(f"scipy {scipy.__version__}, numpy {np.__version__}; CPU microseconds, best of runs\n")
    print("| long × short | type | vokx1 | FFTW overlap-save | scipy fftconvolve | scipy oaconvolve | vokx1 / best scipy |")
    print("|---|---|---|---|---|---|---|")
    for l, s in PAIRS:
        for kind, dtype, ours, peer in (("float", np.float32, "BM_voksConv", "BM_fftwConvReal"),
                                        ("complex", np.complex64, "BM_vokcConv", "BM_fftwConvComplex")):
            x = rng.standard_normal(l).astype(dtype)
            h = rng.standard_normal(s).astype(dtype)
            if kind == "complex":
                x = (x + 1j * rng.standard_normal(l)).astype(dtype)
                h = (h + 1j * rng.standard_normal(s)).astype(dtype)
            fft = cpuTime(scipy.signal.fftconvolve, x, h)
            oa = cpuTime(scipy.signal.oaconvolve, x, h)
            v, w = lib[f"{ours}/{l}/{s}"], lib[f"{peer}/{l}/{s}"]
            print(f"| {l} × {s} | {kind} | {v:.1f} | {w:.1f} | {fft:.1f} | {oa:.1f} | {v / min(fft, oa):.2f} |")


if __name__ == "__main__":
    main()
