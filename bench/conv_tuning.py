#!/usr/bin/env python3
"""Measures the cost model of the one-dimensional convolution on this machine
and writes src/convolution/conv_tuning.h.

Runs the BM_tune* benchmarks of the bench program (build/bench/bench/bench_conv
unless given): per transform order, T = loading and forward-transforming a
window, U = spectrum product, inverse transform and copy-out, for real and
complex data of both precisions; and the per-output cost of every function's
direct method at a few always-direct shorter lengths, fitted as a + b*S.
Orders above the measured ones follow n*log2(n) from the last measured order.

The threshold of a shorter length S is the smallest longer length from which
the selector's own estimate of the fast methods (the computation of
conv1d::choose, repeated below) beats the direct fit; when the direct sums
stay cheaper up to kNever, the entry is kNever.

usage: bench/conv_tuning.py [bench_conv] [output header]"""
import json, math, os, subprocess, sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
KNEVER = 1 << 24
MEASURED = range(1, 21)

# exported function: (table suffix, direct-always bound, threshold range,
#                     long transform kind, short kind, result kind, long complex)
FUNCS = {
    "voksConv":  ("SReal", 14, (15, 100), "RealFloat", "RealFloat", "RealFloat", False),
    "vokcConv":  ("CComplex", 6, (7, 50), "ComplexFloat", "ComplexFloat", "ComplexFloat", True),
    "vokcsConv": ("CsMixed", 10, (11, 88), "ComplexFloat", "ComplexFloat", "ComplexFloat", True),
    "vokscConv": ("ScMixed", 10, (11, 88), "ComplexFloat", "ComplexFloat", "ComplexFloat", False),
    "vokdConv":  ("DReal", 7, (8, 102), "RealDouble", "RealDouble", "RealDouble", False),
    "vokzConv":  ("ZComplex", 4, (5, 95), "ComplexDouble", "ComplexDouble", "ComplexDouble", True),
    "vokzdConv": ("ZdMixed", 4, (5, 106), "ComplexDouble", "ComplexDouble", "ComplexDouble", True),
    "vokdzConv": ("DzMixed", 6, (7, 108), "ComplexDouble", "ComplexDouble", "ComplexDouble", False),
}
KINDS = {"float": "RealFloat", "FloatComplex": "ComplexFloat", "double": "RealDouble",
         "DoubleComplex": "ComplexDouble"}


def run(bench):
    out = subprocess.run([bench, "--benchmark_filter=BM_tune", "--benchmark_format=json",
                          "--benchmark_min_time=0.05", "--benchmark_repetitions=3"],
                         check=True, capture_output=True, text=True).stdout
    best = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        name = b["run_name"] if "run_name" in b else b["name"]
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        t = b["cpu_time"] * scale  # microseconds
        best[name] = min(best.get(name, t), t)
    return best


def costTables(best):
    tables = {}
    for ctype, kind in KINDS.items():
        for which in "TU":
            got = {m: best[f"BM_tune{which}<{ctype}>/{m}"] for m in MEASURED}
            last = max(MEASURED)
            row = [got[1] / 2] + [got[m] for m in MEASURED]
            for m in range(last + 1, 33):
                row.append(got[last] * (2 ** (m - last)) * m / last)
            for m in range(1, 33):  # a larger transform never costs less
                row[m] = max(row[m], row[m - 1])
            tables[kind + which] = row
    return tables


def directFits(best):
    fits = {}
    for f in FUNCS:
        pts = [(int(k.rsplit("/", 1)[1]), v / (8192 + int(k.rsplit("/", 1)[1]) - 1))
               for k, v in best.items() if k.startswith("BM_tuneDirect<") and f">/" in k and f", {f}>" in k]
        n = len(pts)
        sx = sum(s for s, _ in pts); sy = sum(c for _, c in pts)
        sxx = sum(s * s for s, _ in pts); sxy = sum(s * c for s, c in pts)
        b = (n * sxy - sx * sy) / (n * sxx - sx * sx)
        fits[f] = ((sy - b * sx) / n, b)
    return fits


def bitLength(v):
    return v.bit_length() if v > 0 else 0


def fastCost(t, f, L, S):
    """The cheaper of the sectioned and single-transform estimates of conv1d::choose."""
    _, _, _, kl, ks, ky, _ = FUNCS[f]
    Tl, Ts, U = t[kl + "T"], t[ks + "T"], t[ky + "U"]
    n = L + S - 1
    k = min(bitLength(S) + 1, 34)

    def blocks(order, length):
        if order > 32 or length < 1:
            return math.inf
        return ((n + length - 1) // length) * (Tl[order] + U[order]) + Ts[order]

    blen = lambda order: (1 << order) - S + 1
    best = blocks(k + 2, blen(k + 2)) if L > 32 * S else blocks(k, blen(k))
    best = min(best, blocks(k + 1, blen(k + 1)))
    j = min(bitLength(n), 32)
    return min(best, Tl[j] + Ts[j] + U[j])


def threshold(t, fit, f, S):
    direct = lambda L: (fit[0] + fit[1] * S) * (L + S - 1)
    grid = []
    L = S
    while L < KNEVER:
        grid.append(L)
        L = max(L + 1, int(L * 1.05))
    # the first grid point after the last one at which direct sums still win
    for i in range(len(grid) - 1, -1, -1):
        if fastCost(t, f, grid[i], S) >= direct(grid[i]):
            return grid[i + 1] if i + 1 < len(grid) else KNEVER
    return S
    return KNEVER


def write(path, tables, thresholds, fits):
    lines = ["// Cost model of the one-dimensional convolution: transform and spectrum",
             "// costs per transform order (microseconds, this machine) and the",
             "// direct-method thresholds per shorter length. Written by bench/conv_tuning.py",
             "// from the BM_tune* measurements of bench/conv.cpp.",
             "#pragma once", "", "namespace vok::conv1d::tuning {", ""]
    for kind in ["RealFloat", "ComplexFloat", "RealDouble", "ComplexDouble"]:
        for which in "TU":
            row = tables[kind + which]
            lines.append(f"inline constexpr double k{kind}{which}[33] = {{")
            for i in range(0, 33, 6):
                lines.append("    " + ", ".join(f"{v:.4e}" for v in row[i:i + 6]) + ",")
            lines.append("};")
    lines.append("")
    lines.append(f"// Longer lengths from which the fast methods are weighed; {KNEVER}: direct")
    lines.append("// sums stay the cheaper as far as measured.")
    for f, (suffix, _, (first, last), *_rest) in FUNCS.items():
        a, b = fits[f]
        row = thresholds[f]
        lines.append(f"// {f}: direct {a * 1e3:.2f} + {b * 1e3:.3f}*S ns per output")
        lines.append(f"inline constexpr int kFirst{suffix} = {first}, kLast{suffix} = {last};")
        lines.append(f"inline constexpr int kThr{suffix}[{len(row)}] = {{")
        for i in range(0, len(row), 10):
            lines.append("    " + ", ".join(str(v) for v in row[i:i + 10]) + ",")
        lines.append("};")
    lines += ["", "}  // namespace vok::conv1d::tuning", ""]
    with open(path, "w") as out:
        out.write("\n".join(lines))


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bench", "bench_conv")
    path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "src", "convolution", "conv_tuning.h")
    best = run(bench)
    tables = costTables(best)
    fits = directFits(best)
    thresholds = {f: [threshold(tables, fits[f], f, S) for S in range(r[0], r[1] + 1)]
                  for f, (_, _, r, *_x) in FUNCS.items()}
    write(path, tables, thresholds, fits)
    for f in FUNCS:
        print(f, "direct a,b =", fits[f], "thr first/last:", thresholds[f][:2], thresholds[f][-2:])


if __name__ == "__main__":
    main()
