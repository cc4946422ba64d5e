#!/usr/bin/env python3
"""Low-pass filters a 16-bit WAV file with vokx1 and plots the spectra before
and after (matplotlib, optional).

    python3 filter_wav.py [input.wav] [--cutoff HZ] [--out filtered.wav] [--plot spectra.png]

Without an input file it makes one: a 440 Hz tone with a 5 kHz whistle and
noise. Run from the build tree with
VOKX1_LIBRARY=build/release/libvokx1.so PYTHONPATH=python."""
import argparse
import wave

import numpy as np

import vokx1


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise SystemExit(f"{path}: only 16-bit PCM is handled here")
        frames = np.frombuffer(w.readframes(w.getnframes()), "<i2")
        return frames.reshape(-1, w.getnchannels()), w.getframerate()


def write_wav(path, samples, rate):
    with wave.open(path, "wb") as w:
        w.setnchannels(samples.shape[1])
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(samples.astype("<i2").tobytes())


def demo_input(path, rate=16000, seconds=2.0):
    n = int(rate * seconds)
    x = vokx1.tone(n, 440, magnitude=8000, fs=rate) + vokx1.tone(n, 5000, magnitude=3000, fs=rate) \
        + vokx1.noise(n, "gauss", seed=1, std=500)
    write_wav(path, np.round(x).astype(np.int16)[:, None], rate)
    return path


def spectrum_db(x, rate, nfft=4096):
    """Averaged Hann-windowed power spectrum in dB."""
    win = vokx1.get_window("hann", nfft)
    frames = [x[i:i + nfft] * win for i in range(0, len(x) - nfft + 1, nfft // 2)] or [np.resize(x, nfft) * win]
    power = np.mean([np.abs(vokx1.rfft(f)) ** 2 for f in frames], axis=0)
    return np.fft.rfftfreq(nfft, 1 / rate), 10 * np.log10(power + 1e-12)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("input", nargs="?")
    ap.add_argument("--cutoff", type=float, default=1000.0, help="cut-off frequency in Hz (default 1000)")
    ap.add_argument("--taps", type=int, default=101)
    ap.add_argument("--out", default="filtered.wav")
    ap.add_argument("--plot", default="spectra.png")
    args = ap.parse_args()

    samples, rate = read_wav(args.input or demo_input("input.wav"))
    taps = vokx1.firwin(args.taps, args.cutoff, window="hamming", fs=rate)
    out = np.empty_like(samples)
    for ch in range(samples.shape[1]):
        with vokx1.FirFilter(taps) as fir:   # float64 filtering, blocks as they would stream in
            y = np.concatenate([fir.filter(block) for block in np.array_split(samples[:, ch], 8)])
        out[:, ch] = np.clip(np.round(y), -32768, 32767)
    write_wav(args.out, out, rate)
    print(f"{args.taps}-tap low-pass at {args.cutoff:g} Hz: {len(samples)} frames at {rate} Hz -> {args.out}")

    f, before = spectrum_db(samples[:, 0].astype(float), rate)
    _, after = spectrum_db(out[:, 0].astype(float), rate)
    stop = f > 2 * args.cutoff
    print(f"mean level above {2 * args.cutoff:g} Hz: {before[stop].mean():.1f} dB before, {after[stop].mean():.1f} dB after")
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed (Debian: python3-matplotlib): no plot written")
        return
    fig, ax = plt.subplots(figsize=(8, 4.5))
    ax.plot(f, before, label="input", lw=1)
    ax.plot(f, after, label="filtered", lw=1)
    ax.axvline(args.cutoff, color="grey", ls=":", lw=1)
    ax.set(xlabel="frequency (Hz)", ylabel="power (dB re 1 LSB²)", title="Spectrum before and after the FIR low-pass")
    ax.legend(loc="upper right")
    ax.grid(alpha=0.3)
    fig.tight_layout()
    fig.savefig(args.plot, dpi=100)
    print(f"spectra plotted to {args.plot}")


if __name__ == "__main__":
    main()
