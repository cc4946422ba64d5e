#!/usr/bin/env python3
"""Runs the demo program as a user would: on its built-in signal, on a WAV
file it wrote itself, and on malformed WAV files, which must give a message
and a non-zero exit status, never a crash."""
import pathlib
import struct
import subprocess
import sys
import tempfile


def wav(fmt_tag=1, bits=16, channels=1, rate=8000, samples=b"\x00\x01" * 100, data_size=None):
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    size = len(samples) if data_size is None else data_size
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", size) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def run(demo, *args):
    return subprocess.run([demo, *args], capture_output=True, text=True, timeout=120)


def main():
    demo = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        r = run(demo, "-o", str(tmp))
        outputs = sorted(p.name for p in tmp.iterdir())
        if r.returncode != 0 or not any(n.endswith(".wav") for n in outputs) or not any(n.endswith(".svg") for n in outputs):
            print("built-in run failed:", r.returncode, r.stdout, r.stderr, outputs)
            failures += 1
        for svg in tmp.glob("*.svg"):
            if not svg.read_text().lstrip().startswith("<svg"):
                print("not an SVG:", svg)
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
    print(f"{6 + 2 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
