#!/usr/bin/python3
"""Runs bench_selector and checks the automatic method choice: at every listed
convolution pair and correlation lag count the exported function should be at
most 10 % slower than the best method forced on the same operands. CPU time,
best of the repetitions. Prints a markdown table; exits 1 when a case misses.

usage: /usr/bin/python3 bench/selector_check.py [bench_selector] [repetitions]"""
import json, os, subprocess, sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
SLACK = 1.10


def runs(bench, repetitions):
    out = subprocess.run([bench, "--benchmark_format=json", "--benchmark_min_time=0.1",
                          f"--benchmark_repetitions={repetitions}"], check=True, capture_output=True, text=True).stdout
    best, labels = {}, {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        function, first, second, forced = b.get("run_name", b["name"]).split("/")[:4]
        key = (function[3:], int(first), int(second))
        slot = best.setdefault(key, {})
        label = b.get("label", forced)
        slot[label] = min(slot.get(label, 1e30), b["cpu_time"] * scale)
    return best


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bench", "bench_selector")
    repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    missed = 0
    print("| function | long/len | short/lags | automatic choice | auto µs | best forced | best µs | auto / best |")
    print("|---|---|---|---|---|---|---|---|")
    for (function, first, second), times in sorted(runs(bench, repetitions).items()):
        auto = next(k for k in times if k.startswith("auto"))
        forced = {k: v for k, v in times.items() if not k.startswith("auto")}
        winner = min(forced, key=forced.get)
        ratio = times[auto] / forced[winner]
        flag = "" if ratio <= SLACK else " **over**"
        missed += ratio > SLACK
        print(f"| {function} | {first} | {second} | {auto[6:]} | {times[auto]:.1f} | {winner} | {forced[winner]:.1f} "
              f"| {ratio:.2f}{flag} |")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
