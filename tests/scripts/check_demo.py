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

problems = []


def check(ok, *message):
    if not ok:
        problems.append(" ".join(map(str, message)))


def wav(fmt_tag=1, bits=16, channels=1, rate=8000, samples=b"\x00\x01" * 100, data_size=None):
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    size = len(samples) if data_size is None else data_size
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", size) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def series(svg):
    """The plotted data, which the demo writes into each SVG's metadata."""
    return {label: [tuple(map(float, p.split(","))) for p in points.split()]
            for label, points in re.findall(r"^series (.*?): (.*)$", svg.read_text(), re.M)}


def check_plots(tmp):
    """The built-in signal is sampled at 16 kHz and the band-pass keeps 300-3200 Hz."""
    missing = [n for n in ["signal", "spectrum", "response", "wavelet"] if not (tmp / f"vokdemo-{n}.svg").exists()]
    check(not missing, "missing plots:", missing)
    if missing:
        return
    response = series(tmp / "vokdemo-response.svg").get("band-pass", [])
    passband = [db for f, db in response if 600 <= f <= 2900]
    stopband = [db for f, db in response if f <= 100 or f >= 4000]
    check(passband and max(abs(db) for db in passband) <= 0.5, "pass band not flat within 0.5 dB:", passband[:4])
    check(stopband and max(stopband) <= -40, "stop band above -40 dB: max", max(stopband, default=None))
    spectra = series(tmp / "vokdemo-spectrum.svg")
    before = [db for f, db in spectra.get("input", []) if f >= 5000]
    after = [db for f, db in spectra.get("processed", []) if f >= 5000]
    check(before and after and sum(before) / len(before) - sum(after) / len(after) >= 30,
          "processed spectrum is not at least 30 dB down above 5 kHz")
    bands = series(tmp / "vokdemo-wavelet.svg")
    # Six bands, each over the whole 2 s input, drawn at the height of its level.
    levels = {int(re.match(r"L(\d+) ", label).group(1)): pts for label, pts in bands.items()}
    check(sorted(levels) == [1, 2, 3, 4, 5, 6] and all(
        pts[-1][0] >= 1.95 and all(abs(y - level) <= 0.5 for _, y in pts) for level, pts in levels.items()),
          "wavelet plot has bands", sorted(bands))


def main():
    demo = sys.argv[1:]  # the program, after the emulator that runs it if any
    run = lambda *args: subprocess.run([*demo, *args], capture_output=True, text=True, timeout=120)
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        r = run("--help")
        check(r.returncode == 0 and "-o output-dir" in r.stdout, "--help:", r.returncode, r.stdout)
        r = run("-o", str(tmp / "made" / "here"))  # the folder is created
        check(r.returncode == 0 and (tmp / "made" / "here" / "vokdemo-wavelet.svg").exists(),
              "-o with a new folder failed:", r.returncode, r.stderr)
        r = run("-o", str(tmp))
        outputs = sorted(p.name for p in tmp.iterdir())
        made = {pathlib.Path(n).suffix for n in outputs}
        check(r.returncode == 0 and {".wav", ".svg"} <= made, "built-in run failed:", r.returncode, r.stderr, outputs)
        for svg in tmp.glob("*.svg"):
            check(svg.read_text().lstrip().startswith("<svg"), "not an SVG:", svg)
        check_plots(tmp)
        processed = next(tmp.glob("*.wav"), None)
        if processed:
            (tmp / "again").mkdir()
            r = run(str(processed), "-o", str(tmp / "again"))
            check(r.returncode == 0, "demo rejects its own output:", r.stderr)
        bad = {"missing.wav": None, "garbage.wav": b"this is not audio at all",
               "eight-bit.wav": wav(bits=8, samples=b"\x80" * 100),
               "float.wav": wav(fmt_tag=3, bits=32, samples=b"\x00" * 400),
               "truncated.wav": wav(data_size=100000), "empty-data.wav": wav(samples=b"")}
        for name, content in bad.items():
            if content is not None:
                (tmp / name).write_bytes(content)
            r = run(str(tmp / name))
            check(r.returncode > 0 and "vokdemo:" in r.stderr,
                  f"{name}: expected a message and exit status > 0, got {r.returncode}: {r.stderr!r}")
    print("\n".join(problems + [f"{len(problems)} problems"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
