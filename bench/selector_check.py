#!/usr/bin/python3
"""Runs bench_selector and checks the automatic method choice: at every listed
convolution pair and correlation lag count the method the exported function
picks should be at most 10 % slower than the best method forced on the same
operands. The runs are interleaved at random and repeated; CPU time, best of
the repetitions. The time of the exported function itself is shown beside it
(it runs the same code as its forced method, so the two differ only by the
noise of the machine). Prints a markdown table; exits 1 when a case misses.

usage: /usr/bin/python3 bench/selector_check.py [bench_selector] [repetitions]"""
import json, os, subprocess, sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
SLACK = 1.10


def runs(bench, repetitions):
    out = subprocess.run([bench, "--benchmark_format=json", "--benchmark_min_time=0.1",
                          f"--benchmark_repetitions={repetitions}", "--benchmark_enable_random_interleaving=true"], check=True, capture_output=True, text=True).stdout
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


# The forced run that does what the automatic choice named in a label does.
def forcedOf(choice):
    if choice.startswith("sectioned mode"):
        return "sectioned 2x" if choice.endswith("1") else "sectioned 4x"
    return choice


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bench", "bench", "bench_selector")
    repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    missed = 0
    print("| function | long/len | short/lags | automatic choice | its forced µs | best forced | best µs "
          "| chosen / best | exported µs | next other method |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for (function, first, second), times in sorted(runs(bench, repetitions).items()):
        auto = next(k for k in times if k.startswith("auto"))
        forced = {k: v for k, v in times.items() if not k.startswith("auto")}
        chosen = forcedOf(auto[6:])
        winner = min(forced, key=forced.get)
        ratio = forced[chosen] / forced[winner]
        flag = "" if ratio <= SLACK else " **over**"
        missed += ratio > SLACK
        others = {k: v for k, v in forced.items() if k != chosen}
        runnerUp = min(others, key=others.get)
        print(f"| {function} | {first} | {second} | {auto[6:]} | {forced[chosen]:.1f} | {winner} | {forced[winner]:.1f} "
              f"| {ratio:.2f}{flag} | {times[auto]:.1f} | {runnerUp} {others[runnerUp] / forced[chosen]:.2f}x |")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
