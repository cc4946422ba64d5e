#!/usr/bin/env python3
"""Runs the demo program as a user would: on its built-in signal, on a WAV
file it wrote itself, and on malformed WAV files, which must give a message
and a non-zero exit status, never a crash."""
import pathlib
import re
import struct
import subprocess
import sys
import tempfile


def wav(fmt_tag=1, bits=16, channels=1, rate=8000, samples=b"\x00\x01" * 100, data_size=None):
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    size = len(samples) if data_size is None else data_size
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", size) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def series(svg):
    """The plotted data, which the demo writes into each SVG's metadata."""
    out = {}
    for label, points in re.findall(r"^series (.*?): (.*)$", svg.read_text(), re.M):
        out[label] = [tuple(map(float, p.split(","))) for p in points.split()]
    return out


def check_plots(tmp):
    """The built-in signal is sampled at 16 kHz and the band-pass keeps 300-3200 Hz."""
    problems = []
    names = ["signal", "spectrum", "response", "wavelet"]
    missing = [n for n in names if not (tmp / f"vokdemo-{n}.svg").exists()]
    if missing:
        return [f"missing plots: {missing}"]
    response = series(tmp / "vokdemo-response.svg").get("band-pass", [])
    passband = [db for f, db in response if 600 <= f <= 2900]
    stopband = [db for f, db in response if f <= 100 or f >= 4000]
    if not passband or max(abs(db) for db in passband) > 0.5:
        problems.append(f"pass band not flat within 0.5 dB: {passband[:4]}...")
    if not stopband or max(stopband) > -40:
        problems.append(f"stop band above -40 dB: max {max(stopband, default=None)}")
    spectra = series(tmp / "vokdemo-spectrum.svg")
    before = [db for f, db in spectra.get("input", []) if f >= 5000]
    after = [db for f, db in spectra.get("processed", []) if f >= 5000]
    if not before or not after or sum(before) / len(before) - sum(after) / len(after) < 30:
        problems.append("processed spectrum is not at least 30 dB down above 5 kHz")
    bands = series(tmp / "vokdemo-wavelet.svg")
    # Six bands, each over the whole 2 s input, drawn at the height of its level.
    levels = {int(re.match(r"L(\d+) ", label).group(1)): pts for label, pts in bands.items()}
    if sorted(levels) != [1, 2, 3, 4, 5, 6] or any(
            pts[-1][0] < 1.95 or any(abs(y - level) > 0.5 for _, y in pts) for level, pts in levels.items()):
        problems.append(f"wavelet plot has bands {sorted(bands)}")
    return problems


def run(demo, *args):
    return subprocess.run([*demo, *args], capture_output=True, text=True, timeout=120)


def main():
    demo = sys.argv[1:]  # the program, after the emulator that runs it if any
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        r = run(demo, "--help")
        if r.returncode != 0 or "-o output-dir" not in r.stdout:
            print("--help:", r.returncode, r.stdout)
            failures += 1
        r = run(demo, "-o", str(tmp / "made" / "here"))  # the folder is created
        if r.returncode != 0 or not (tmp / "made" / "here" / "vokdemo-wavelet.svg").exists():
            print("-o with a new folder failed:", r.returncode, r.stderr)
            failures += 1
        r = run(demo, "-o", str(tmp))
        outputs = sorted(p.name for p in tmp.iterdir())
        if r.returncode != 0 or not any(n.endswith(".wav") for n in outputs) or not any(n.endswith(".svg") for n in outputs):
            print("built-in run failed:", r.returncode, r.stdout, r.stderr, outputs)
            failures += 1
        for svg in tmp.glob("*.svg"):
            if not svg.read_text().lstrip().startswith("<svg"):
                print("not an SVG:", svg)
                failures += 1
        for problem in check_plots(tmp):
            print("plot:", problem)
            failures += 1
        processed = next(tmp.glob("*.wav"), None)
        if processed:
            again = tmp / "again"
            again.mkdir()
            r = run(demo, str(processed), "-o", str(again))
            if r.returncode != 0:
                print("demo rejects its own output:", r.stderr)
                failures += 1

        bad = {
            "missing.wav": None,
            "garbage.wav": b"this is not audio at all",
            "eight-bit.wav": wav(bits=8, samples=b"\x80" * 100),
            "float.wav": wav(fmt_tag=3, bits=32, samples=b"\x00" * 400),
            "truncated.wav": wav(data_size=100000),
            "empty-data.wav": wav(samples=b""),
        }
        for name, content in bad.items():
            path = tmp / name
            if content is not None:
                path.write_bytes(content)
            r = run(demo, str(path))
            if r.returncode <= 0 or "vokdemo:" not in r.stderr:
                print(f"{name}: expected a message and exit status > 0, got {r.returncode}: {r.stderr!r}")
                failures += 1
    print(f"{8 + 6 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
