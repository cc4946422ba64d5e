#!/usr/bin/python3
"""scipy side of bench_iir: scipy.signal.sosfilt on the sections and input of
bench/iir.cpp (four damped low-pass biquads, 64 Ki samples), float32 and
float64, with the delay line carried from call to call (zi), best of several
timeit repeats, in ns per sample. Both sides count CPU time (process_time
here, Google Benchmark's CPU time there), since the machine is shared.

With the path of bench_iir as argument the bench is run in the same
invocation (--benchmark_format=json) and the table compares both, with the
ratio vokx1 / scipy; without it only the scipy figures are printed.
"""
import json
import subprocess
import sys
import time
import timeit

import numpy as np
import scipy
import scipy.signal

N = 64 * 1024
REPEATS = 7


def sections(nq=4):
    """b0, b1, b2, a0, a1, a2 per section, as bench/iir.cpp builds them."""
    rows = []
    for q in range(nq):
        r = np.float32(0.5) + np.float32(0.1) * np.float32(q % 4)
        c = np.cos(np.float32(0.3) + np.float32(0.2) * np.float32(q % 4), dtype=np.float32)
        rows.append([0.2, 0.4, 0.2, 1.0, -2 * r * c, r * r])
    return np.array(rows, dtype=np.float32)


def signal():
    i = np.arange(N, dtype=np.float32)
    return (np.sin(np.float32(0.01) * i) + np.float32(0.25) * np.sin(np.float32(1.3) * i)).astype(np.float32)


def best_ns_per_sample(fn, n=N):
    number = 1
    while timeit.timeit(fn, timer=time.process_time, number=number) < 0.2:
        number *= 2
    best = min(timeit.repeat(fn, timer=time.process_time, number=number, repeat=REPEATS))
    return best / number / n * 1e9


def scipy_figures():
    results = {}
    for dtype, prefix in ((np.float32, "s"), (np.float64, "d")):
        for nq in (1, 2, 4, 8):
            sos = sections(nq).astype(dtype)
            x = signal().astype(dtype)
            state = {"zi": np.zeros((nq, 2), dtype=dtype)}
            y, _ = scipy.signal.sosfilt(sos, x, zi=state["zi"])
            assert y.dtype == dtype

            def run():
                _, state["zi"] = scipy.signal.sosfilt(sos, x, zi=state["zi"])

            results[(prefix, nq)] = best_ns_per_sample(run)
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
        ns = 1e9 / b["items_per_second"]
        # The lower of mean and median of five runs, set against scipy's best-of.
        results[name] = min(results.get(name, ns), ns)
    return results


ROWS = [
    # (label, vokx1 benchmark, scipy key)
    ("float, 4 sections", "BM_voksbIir_biquads4", ("s", 4)),
    ("float, 4 sections, 4 Ki blocks", "BM_voksbIir_biquads4_blocks/4096", ("s", 4)),
    ("float, 4 sections, 1 Ki blocks", "BM_voksbIir_biquads4_blocks/1024", ("s", 4)),
    ("float, 4 sections, 256 blocks", "BM_voksbIir_biquads4_blocks/256", ("s", 4)),
    ("float, 1 section", "BM_voksbIir_sections/1", ("s", 1)),
    ("float, 2 sections", "BM_voksbIir_sections/2", ("s", 2)),
    ("float, 8 sections", "BM_voksbIir_sections/8", ("s", 8)),
    ("plain float loop, 4 sections", "BM_plainLoop_biquads4", ("s", 4)),
    ("double, 4 sections", "BM_vokdbIir_biquads4", ("d", 4)),
]


def main():
    sp = scipy_figures()
    vok = vok_figures(sys.argv[1]) if len(sys.argv) > 1 else {}
    print(f"scipy {scipy.__version__}, numpy {np.__version__}; {N} samples per call; ns/sample (CPU time)")
    print()
    if not vok:
        for (prefix, nq), ns in sorted(sp.items()):
            print(f"sosfilt {'float32' if prefix == 's' else 'float64'}, {nq} sections: {ns:.2f}")
        return
    print("| case | vokx1 | scipy sosfilt | vokx1 / scipy |")
    print("|---|---|---|---|")
    for label, bench, key in ROWS:
        if bench not in vok:
            continue
        v, s = vok[bench], sp[key]
        print(f"| {label} | {v:.2f} | {s:.2f} | {v / s:.2f} |")


if __name__ == "__main__":
    main()
