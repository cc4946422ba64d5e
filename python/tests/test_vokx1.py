"""vokx1 package against numpy, scipy and PyWavelets. Run with VOKX1_LIBRARY
pointing at the library under test (scripts/test.sh does)."""
import os
import pathlib
import subprocess
import sys
import threading

import numpy as np
import pytest
import pywt
from scipy import fft as sfft
from scipy import signal as ss

import vokx1 as vk

ROOT = pathlib.Path(__file__).resolve().parents[2]
rng = np.random.default_rng(7)


def rand(n, dtype):
    x = rng.standard_normal(n) + (1j * rng.standard_normal(n) if np.dtype(dtype).kind == "c" else 0)
    return x.astype(dtype)


def close(got, want, dtype, scale=1.0):
    assert got.dtype == np.result_type(dtype, got.dtype) and got.shape == np.shape(want)
    tol = 2e-4 if np.dtype(dtype) in (np.float32, np.complex64) else 1e-10
    np.testing.assert_allclose(got, want, rtol=tol, atol=tol * scale * max(1.0, np.abs(want).max()))


def test_bindings_match_headers():
    import gen_bindings
    assert (ROOT / "python/vokx1/_api.py").read_text() == gen_bindings.generate(ROOT / "include")


def test_loader_names_what_it_tried():
    env = dict(os.environ, VOKX1_LIBRARY="/nonexistent/libvokx1.so")
    r = subprocess.run([sys.executable, "-c", "import vokx1"], env=env, cwd=ROOT / "python", capture_output=True, text=True)
    assert r.returncode != 0 and "/nonexistent/libvokx1.so" in r.stderr and "VOKX1_LIBRARY" in r.stderr


@pytest.mark.parametrize("n", [1, 2, 8, 1024, 12, 100])
@pytest.mark.parametrize("dtype, out", [(np.complex64, np.complex64), (np.complex128, np.complex128),
                                        (np.float32, np.complex64), (np.float64, np.complex128)])
def test_fft_family(n, dtype, out):
    x = rand(n, dtype)
    y = vk.fft(x)
    assert y.dtype == out
    close(y, np.fft.fft(x), dtype, np.sqrt(n))
    close(vk.ifft(y), x.astype(out), dtype)
    if np.dtype(dtype).kind == "f":
        r = vk.rfft(x)
        close(r, np.fft.rfft(x), dtype, np.sqrt(n))
        close(vk.irfft(r, n), x, dtype)
        if n > 1:
            for norm in (None, "ortho"):
                close(vk.dct(x, norm=norm), sfft.dct(x, norm=norm), dtype, np.sqrt(n))
                close(vk.idct(vk.dct(x, norm=norm), norm=norm), x, dtype)


def test_many_dft_lengths_in_one_thread():
    for n in range(3, 3 + 40):   # more lengths than the thread's table cache holds
        close(vk.fft(np.arange(n, dtype=np.complex128)), np.fft.fft(np.arange(n)), np.float64, n)


FIR_CASES = [  # sample dtype, taps dtype
    (np.float32, np.float32), (np.float64, np.float64), (np.complex64, np.float32),
    (np.complex128, np.complex128), (np.float64, np.complex128), (np.float32, np.complex64)]


@pytest.mark.parametrize("dtype, tdtype", FIR_CASES)
def test_fir_iir_blocks_continue(dtype, tdtype):
    x, taps = rand(300, dtype), rand(21, tdtype)
    with vk.FirFilter(taps, dtype=dtype) as f:
        y = np.concatenate([f.filter(x[:7]), f.filter(x[7:])])
        close(y, ss.lfilter(taps, 1, x), dtype, 5)
        f.reset()
        close(f.filter(x[:50]), ss.lfilter(taps, 1, x[:50]), dtype, 5)
    b, a = ss.butter(4, 0.2)
    sos = ss.butter(6, [0.1, 0.3], "bandpass", output="sos")
    for flt, want in ((vk.IirFilter(b.astype(tdtype), a, dtype=dtype), ss.lfilter(b, a, x)),
                      (vk.IirFilter(sos=sos.astype(tdtype), dtype=dtype), ss.sosfilt(sos, x))):
        with flt:
            close(np.concatenate([flt.filter(x[:100]), flt.filter(x[100:])]), want, dtype, 5)


@pytest.mark.parametrize("up, down, up_phase, down_phase", [(3, 1, 0, 0), (1, 4, 0, 0), (3, 2, 0, 0),
                                                            (2, 3, 1, 2)])
def test_fir_multirate_against_upfirdn(up, down, up_phase, down_phase):
    x, taps = rand(96, np.float64), rand(17, np.float64)
    with vk.FirFilter(taps, up=up, down=down, up_phase=up_phase, down_phase=down_phase) as f:
        y = np.concatenate([f.filter(x[:6 * down]), f.filter(x[6 * down:])])
    u = np.zeros(x.size * up)
    u[up_phase::up] = x
    want = np.convolve(u, taps)[down_phase::down][:y.size]
    close(y, want, np.float64, 5)


def test_int16_forms_return_the_scale_factor():
    x = (rng.standard_normal(256) * 8000).astype(np.int16)
    h = np.array([3000, -2000, 1000], np.int16)
    y, sf = vk.convolve(x, h, scale_mode="auto")
    exact = np.convolve(x.astype(np.int64), h.astype(np.int64))
    assert sf > 0 and np.all(np.abs(y - exact / 2.0 ** sf) <= 1)
    y, sf2 = vk.convolve(x, h, scale_mode="fixed", scale_factor=sf + 1)
    assert sf2 == sf + 1 and np.all(np.abs(y - exact / 2.0 ** sf2) <= 1)
    f = vk.FirFilter(np.array([0.5, 0.25]), dtype=np.int16, scale_mode="none")
    y, sf = f.filter(np.array([100, 200, -300], np.int16))
    assert sf == 0 and y.tolist() == [50, 125, -100]
    f.close()


@pytest.mark.parametrize("n", [16, 12])   # the FFT and the DFT
def test_int16_transforms_follow_the_scale_mode(n):
    def off(pairs, want):  # the larger error of the two parts
        return max(np.abs(pairs[:, 0] - want.real).max(), np.abs(pairs[:, 1] - want.imag).max())
    pairs = (rng.standard_normal((n, 2)) * 3000).astype(np.int16)
    signal = pairs[:, 0] + 1j * pairs[:, 1].astype(np.float64)
    got, sf = vk.fft_int16(pairs)
    assert sf > 0 and off(got, np.fft.fft(signal) / 2.0 ** sf) <= 1
    back, sf0 = vk.ifft_int16(pairs, scale_mode="none")
    assert sf0 == 0 and off(back, np.fft.ifft(signal)) <= 1
    real = pairs[:, 0].copy()
    if n & (n - 1) == 0:
        half, sf = vk.rfft_int16(real, scale_mode="fixed", scale_factor=3)
        assert sf == 3 and off(half, np.fft.rfft(real) / 8) <= 1
    assert np.all(np.abs(vk.dct_int16(real) - sfft.dct(real.astype(np.float64), norm="ortho")) <= 1)


def test_lms_identifies_a_system():
    x = rand(4000, np.float64)
    d = ss.lfilter([0.5, -0.3, 0.2], 1, x)
    with vk.LmsFilter(3, step=0.01) as f:
        y = f.filter(x, d)
        np.testing.assert_allclose(f.taps, [0.5, -0.3, 0.2], atol=1e-3)
    assert np.abs(d[-100:] - y[-100:]).max() < 1e-3


@pytest.mark.parametrize("cutoff, pass_zero, window", [(0.3, True, "hamming"), (0.3, False, "hann"),
                                                       ([0.2, 0.5], False, "hamming"), ([0.2, 0.5], True, "boxcar"),
                                                       (0.4, True, "bartlett")])
def test_firwin(cutoff, pass_zero, window):
    got = vk.firwin(31, cutoff, window=window, pass_zero=pass_zero)
    close(got, ss.firwin(31, cutoff, window=window, pass_zero=pass_zero), np.float64)


CONV_TYPES = [(np.float32, np.float32), (np.float64, np.complex64), (np.complex64, np.float32),
              (np.complex128, np.complex128)]


@pytest.mark.parametrize("ta, tb", CONV_TYPES)
@pytest.mark.parametrize("n, m", [(50, 7), (7, 50), (600, 300)])
def test_convolve_correlate(ta, tb, n, m):
    a, v = rand(n, ta), rand(m, tb)
    dtype = np.result_type(ta, tb)
    for mode in ("full", "same", "valid"):
        close(vk.convolve(a, v, mode), np.convolve(a, v, mode), dtype, np.sqrt(m))
        close(vk.correlate(a, v, mode), np.correlate(a, v, mode), dtype, np.sqrt(m))
    full = np.correlate(a, v, "full")
    close(vk.correlate(a, v, lags=(-3, 5)), full[m - 1 - 3:m + 5], dtype, np.sqrt(m))


@pytest.mark.parametrize("s1, s2", [((9, 13), (3, 4)), ((40, 33), (20, 9))])
@pytest.mark.parametrize("mode", ["full", "same", "valid"])
def test_convolve2d(s1, s2, mode):
    a, b = rng.standard_normal(s1), rng.standard_normal(s2)
    close(vk.convolve2d(a, b, mode), ss.convolve2d(a, b, mode), np.float64, 10)


@pytest.mark.parametrize("window", ["hann", "hamming", "bartlett", "blackman", ("kaiser", 6.0), "boxcar"])
@pytest.mark.parametrize("fftbins", [True, False])
def test_get_window(window, fftbins):
    got, want = vk.get_window(window, 33, fftbins), ss.get_window(window, 33, fftbins)
    np.testing.assert_allclose(got, want, rtol=0, atol=1e-7 if window[0] == "kaiser" else 1e-14)


@pytest.mark.parametrize("wavelet", ["haar", "db2", "db6", "sym5", "coif2", "bior2.4", "rbio3.5", "vaidyanathan"])
def test_wavelets(wavelet):
    x = rand(256, np.float64)
    coeffs = vk.wavedec(x, wavelet, level=3)
    assert [c.size for c in coeffs] == [32, 32, 64, 128]
    close(vk.waverec(coeffs, wavelet), x, np.float64)
    if wavelet == "haar":   # the library's low-pass sums to 1, PyWavelets' to sqrt(2)
        want = pywt.wavedec(x, "haar", mode="periodization", level=3)
        scales = [2 ** -1.5, -2 ** -1.5, -2 ** -1, -2 ** -0.5]
        for got, w, s in zip(coeffs, want, scales):
            close(got, w * s, np.float64)


def test_resampling_companding_generators():
    x = np.arange(1, 8, dtype=np.float32)
    assert vk.upsample(x, 3, 1).tolist() == np.kron(x, [0, 1, 0]).tolist()
    y, phase = vk.downsample(x, 3, 1)
    assert y.tolist() == [2, 5] and phase == 0
    lin = np.array([0, 1000, -1000, 32767, -32768], np.int16)
    assert vk.alaw_encode(lin)[0] ^ 0x55 == 0xD5 and vk.mulaw_encode(lin)[0] == 0xFF
    for enc, dec in ((vk.alaw_encode, vk.alaw_decode), (vk.mulaw_encode, vk.mulaw_decode)):
        back = dec(enc(lin)).astype(int)
        assert np.all(np.abs(back - lin) <= np.abs(lin.astype(int)) / 16 + 16)
    n = np.arange(64)
    close(vk.tone(64, 0.1, 0.5, 2.0), 2.0 * np.cos(2 * np.pi * 0.1 * n + 0.5), np.float64)
    close(vk.tone(64, 100, fs=1000, dtype=np.complex128), np.exp(2j * np.pi * 0.1 * n), np.float64)
    tri = vk.triangle(64, 0.125, magnitude=3.0)
    assert tri[0] == 3.0 and tri.min() == -3.0
    u = vk.noise(1000, seed=5, low=-2, high=2)
    assert np.array_equal(u, vk.noise(1000, seed=5, low=-2, high=2)) and -2 <= u.min() and u.max() < 2
    g = vk.Noise("gauss", seed=1, mean=1, std=2)
    assert abs(np.mean(g.generate(20000)) - 1) < 0.1


def test_library_reports_become_vokerror_and_leave_buffers():
    src, dst = np.ones(8, np.complex64), np.full(8, 7, np.complex64)
    with pytest.raises(vk.VokError) as e:
        vk.lib.vokcFftNip(src.ctypes.data, dst.ctypes.data, 3, vk.VOK_Forw | vk.VOK_Inv)
    assert (e.value.status, e.value.function, e.value.module) == (vk.VOK_StatusBadArg, "vokcFftNip", "vokffts")
    assert e.value.context == "(flags & 1) && (flags & 2)" and np.all(dst == 7)
    with pytest.raises(vk.VokError, match="vokdIirInit") as e:
        vk.IirFilter([1.0], [0.0])
    assert e.value.status == vk.VOK_StatusBadArg
    vk.lib.vokdFirLowpass(0.25, np.zeros(8).ctypes.data, 8, 3, 1)  # the thread works again afterwards
    with pytest.raises(vk.VokError) as e:
        vk.lib.vokError(vk.VOK_StatusBacktrace, b"outer", None, b"mod", 9)
    assert e.value.backtrace[0].function == "outer" and "called from outer [mod:9]" in str(e.value)


@pytest.mark.parametrize("call, exc", [
    (lambda: vk.fft(np.array(["a"])), TypeError), (lambda: vk.rfft(np.ones(4, complex)), TypeError),
    (lambda: vk.fft(np.ones((2, 2))), ValueError), (lambda: vk.fft([]), ValueError),
    (lambda: vk.wavedec(np.ones(6), "db2"), ValueError), (lambda: vk.wavedec(np.ones(8), "db99"), ValueError),
    (lambda: vk.FirFilter([1.0], down=2).filter(np.ones(3)), ValueError),
    (lambda: vk.FirFilter([1.0]).filter(np.ones(3, complex)), TypeError),
    (lambda: vk.convolve(np.ones(3, np.int16), np.ones(3)), TypeError),
    (lambda: vk.fft_int16(np.ones((4, 2))), TypeError), (lambda: vk.fft_int16(np.ones(4, np.int16)), ValueError),
    (lambda: vk.rfft_int16(np.ones(12, np.int16)), ValueError),
    (lambda: vk.firwin(31, 1.5), ValueError), (lambda: vk.convolve(np.ones(3), np.ones(3), "bad"), ValueError),
    (lambda: vk.convolve(np.ones(3, np.int16), np.ones(3, np.int16), scale_mode="x"), ValueError)])
def test_bad_input_rejected_in_python(call, exc):
    with pytest.raises(exc):
        call()


def test_threads_keep_their_own_reports():
    errors, results = [], []

    def work(k):
        try:
            for _ in range(50):
                if k % 2:
                    with pytest.raises(vk.VokError):
                        vk.lib.vokcFftNip(None, None, 3, vk.VOK_Forw)
                else:
                    results.append(np.allclose(vk.fft(np.arange(64.0)), np.fft.fft(np.arange(64.0))))
        except BaseException as exc:
            errors.append(exc)
    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not errors and len(results) == 100 and all(results)
