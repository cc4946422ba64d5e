#!/usr/bin/python3
"""PyWavelets side of bench_wavelet: five-level db4 decomposition (wavedec),
reconstruction (waverec) and decomposition + reconstruction (wavedec + waverec) of 2^20 samples with
mode='periodization', best of several timeit repeats, in ns per input sample.
Both sides count CPU time (process_time here, Google Benchmark's CPU time
there), since the machine is shared with other work.

With the path of bench_wavelet as argument the bench is run as well
(--benchmark_format=json) and both columns are printed with the ratio
vokx1 / pywt; without it only the pywt figures are printed.
"""
import json
import subprocess
import sys
import time
import timeit

import numpy as np
import pywt

ORDER = 20
LEVELS = 5
N = 1 << ORDER
WAVELET = "db4"
MODE = "periodization"
REPEATS = 7


def best_ns_per_sample(fn):
    number = 1
    # Calibrate so one repeat lasts at least about 0.2 s.
    while timeit.timeit(fn, timer=time.process_time, number=number) < 0.2:
        number *= 2
    best = min(timeit.repeat(fn, timer=time.process_time, number=number, repeat=REPEATS))
    return best / number / N * 1e9


def pywt_figures():
    rng = np.random.default_rng(11)
    results = {}
    for dtype, prefix in ((np.float32, "s"), (np.float64, "d")):
        x = rng.uniform(-1, 1, N).astype(dtype)
        coeffs = pywt.wavedec(x, WAVELET, mode=MODE, level=LEVELS)
        assert coeffs[0].dtype == dtype and len(coeffs[0]) == N >> LEVELS
        y = pywt.waverec(coeffs, WAVELET, mode=MODE)
        assert np.max(np.abs(y - x)) < (1e-4 if dtype == np.float32 else 1e-10)

        def dec():
            pywt.wavedec(x, WAVELET, mode=MODE, level=LEVELS)

        def rec():
            pywt.waverec(coeffs, WAVELET, mode=MODE)

        def both():
            pywt.waverec(pywt.wavedec(x, WAVELET, mode=MODE, level=LEVELS), WAVELET, mode=MODE)

        results[prefix + "dec"] = best_ns_per_sample(dec)
        results[prefix + "rec"] = best_ns_per_sample(rec)
        results[prefix + "both"] = best_ns_per_sample(both)
    return results


def vok_figures(binary):
    out = subprocess.run([binary, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"],
                         check=True, capture_output=True, text=True).stdout
    results = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") not in ("mean", "median"):
            continue
        name = b["run_name"]
        prefix = "s" if name.startswith("voks") else "d"
        op = name.split("/")[0][4:]  # WtDecompose, WtReconstruct, WtDecompose+Reconstruct
        key = prefix + {"WtDecompose": "dec", "WtReconstruct": "rec"}.get(op, "both")
        ns = 1e9 / b["items_per_second"]
        # The lower of mean and median of five runs, set against pywt's best-of.
        results[key] = min(results.get(key, ns), ns)
    return results


def main():
    py = pywt_figures()
    vok = vok_figures(sys.argv[1]) if len(sys.argv) > 1 else {}
    print(f"pywt {pywt.__version__}, numpy {np.__version__}; 2^{ORDER} samples, {WAVELET}, "
          f"level {LEVELS}, mode {MODE}; ns/sample")
    print(f"| operation | type | vokx1 | pywt | vokx1 / pywt |")
    print(f"|---|---|---|---|---|")
    for key, op in (("dec", "decompose"), ("rec", "reconstruct"), ("both", "decompose + reconstruct")):
        for prefix, t in (("s", "float32"), ("d", "float64")):
            p = py[prefix + key]
            v = vok.get(prefix + key)
            vs = f"{v:.2f}" if v is not None else "-"
            rs = f"{v / p:.2f}" if v is not None else "-"
            print(f"| {op} | {t} | {vs} | {p:.2f} | {rs} |")


if __name__ == "__main__":
    main()
