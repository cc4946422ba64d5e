#!/usr/bin/env python3
"""Tabulates the any-length sweeps of bench_dft and bench_dct: vokx1/FFTW ratios by class of length.

Usage: build/bench/bench/bench_dft --benchmark_filter=sweep --benchmark_repetitions=5 \\
           --benchmark_enable_random_interleaving=true --benchmark_format=json > dft.json
       (the same for bench_dct) then bench/dft_sweep.py dft.json dct.json [--worst 12] [--lengths]

The fastest repetition of each benchmark is taken (the slower ones measure the other jobs).
Classes: power of two; one prime power (3^a, 5^a, 7^a, 11^a, 13^a); mixed small (primes <= 13);
generic odd radix (a prime factor 17 ... 61); chirp (a prime factor >= 67). DCT rows split odd/even N.
"""
import argparse
import json
import statistics


def factors(n):
    f, p = [], 2
    while n > 1 and p * p <= n:
        while n % p == 0:
            f.append(p)
            n //= p
        p += 1
    if n > 1:
        f.append(n)
    return f


def kind(n):
    f = factors(n)
    if max(f) >= 67:
        return "chirp"
    if max(f) >= 17:
        return "generic odd radix"
    if set(f) == {2}:
        return "power of two"
    if len(set(f)) == 1:
        return "prime power"
    return "mixed small"


parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
parser.add_argument("files", nargs="+")
parser.add_argument("--worst", type=int, default=12)
parser.add_argument("--lengths", action="store_true", help="every length's ratios")
args = parser.parse_args()

runs = {}
for path in args.files:
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type", "iteration") != "iteration":
            continue
        name, n = b["name"].split("/")[:2]
        key = (name.removeprefix("sweep_"), int(n))
        runs[key] = min(runs.get(key, b["cpu_time"]), b["cpu_time"])

pairs = {}
for (name, n), t in runs.items():
    if not name.startswith("vok"):
        continue
    peer = runs.get(("fftw" + name[3:], n))
    if peer:
        pairs.setdefault(name, {})[n] = (t / peer, t)

for name in sorted(pairs):
    table = pairs[name]
    classes = {}
    for n, (r, _) in table.items():
        c = kind(n)
        if "dct" in name.lower():
            c += " (odd N)" if n % 2 else " (even N)"
        classes.setdefault(c, []).append((r, n))
    print(f"\n{name} / FFTW ({len(table)} lengths, median {statistics.median(r for r, _ in table.values()):.2f})")
    print("| class | lengths | median | worst (N) |")
    print("|---|---|---|---|")
    for c in sorted(classes):
        rows = classes[c]
        worst = max(rows)
        print(f"| {c} | {len(rows)} | {statistics.median(r for r, _ in rows):.2f} | {worst[0]:.2f} ({worst[1]}) |")
    ranked = sorted(((r, n) for n, (r, _) in table.items()), reverse=True)[: args.worst]
    print("worst: " + ", ".join(f"{n} {r:.2f}" for r, n in ranked))
    if args.lengths:
        print(" ".join(f"{n}:{table[n][0]:.2f}" for n in sorted(table)))
