#!/usr/bin/python3
"""One run of the correlation cases: bench_corr (voksCrossCorr, vokcCrossCorr,
vokdCrossCorr, voksAutoCorr over 64 Ki samples and 16, 128, 1 Ki lags) against
numpy.correlate and scipy.signal.correlate (method 'auto', which picks direct
sums or FFTs itself) on the equivalent slices: lags 0 ... nLags-1 of a against
b are the 'valid' correlation of b, nLags - 1 samples longer than a, with a.
CPU time, best of a few repetitions; prints a markdown table (microseconds).

usage: /usr/bin/python3 bench/corr_numpy.py [bench_corr]"""
import json, os, subprocess, sys, time
import numpy as np
import scipy, scipy.signal

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
LEN = 1 << 16
LAGS = [16, 128, 1 << 10]


def library(bench):
    out = subprocess.run([bench, "--benchmark_filter=BM_vok(s|c|d)(Cross|Auto)Corr", "--benchmark_format=json",
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


def signals(rng, dtype, lags):
    a = rng.standard_normal(LEN)
    b = rng.standard_normal(LEN + lags - 1)
    if np.issubdtype(dtype, np.complexfloating):
        a = a + 1j * rng.standard_normal(LEN)
        b = b + 1j * rng.standard_normal(LEN + lags - 1)
    return a.astype(dtype), b.astype(dtype)


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bench", "bench_corr")
    lib = library(bench)
    rng = np.random.default_rng(1)
    print(f"numpy {np.__version__}, scipy {scipy.__version__}; {LEN} samples; CPU microseconds, best of runs\n")
    print("| function | lags | vokx1 | numpy.correlate | scipy.signal.correlate | vokx1 / numpy | vokx1 / scipy |")
    print("|---|---|---|---|---|---|---|")
    for name, dtype, auto in (("voksCrossCorr", np.float32, False), ("vokcCrossCorr", np.complex64, False),
                              ("vokdCrossCorr", np.float64, False), ("voksAutoCorr", np.float32, True)):
        for lags in LAGS:
            a, b = signals(rng, dtype, lags)
            if auto:
                # Lags 0 ... nLags-1 of a signal with itself: a padded with zeros is the longer slice.
                b = np.concatenate([a, np.zeros(lags - 1, dtype)])
            assert np.allclose(np.correlate(b, a, "valid"), scipy.signal.correlate(b, a, "valid"), rtol=1e-3, atol=1e-1)
            npy = cpuTime(np.correlate, b, a, "valid")
            sci = cpuTime(scipy.signal.correlate, b, a, "valid")
            v = lib[f"BM_{name}/{LEN}/{lags}"]
            print(f"| {name} | {lags} | {v:.1f} | {npy:.1f} | {sci:.1f} | {v / npy:.2f} | {v / sci:.2f} |")


if __name__ == "__main__":
    main()
