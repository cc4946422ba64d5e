"""FFT, DFT and DCT with numpy's and scipy.fft's conventions.

dtype rules: complex64 and float32 inputs give complex64 spectra (float32 for
irfft and the DCTs), everything else complex128 / float64, as scipy.fft does.
Power-of-two lengths go through the FFT, other lengths through the DFT."""

import numpy as np

import ctypes

from ._core import ptr, COMPLEX_OF, REAL_OF, VokError, as_array, checked, fail, fn, raw, reports, scale_args
from ._api import CONSTANTS

_FORW, _INV, _NOSCALE = CONSTANTS["VOK_Forw"], CONSTANTS["VOK_Inv"], CONSTANTS["VOK_NoScale"]
_C64 = np.dtype(np.complex64)
_FFT = {np.dtype(np.complex64): fn("vokcFftNip"), np.dtype(np.complex128): fn("vokzFftNip")}
_DFT = {np.dtype(np.complex64): (fn("vokcDft"), fn("vokcFreeTwdTbls")),
        np.dtype(np.complex128): (fn("vokzDft"), fn("vokzFreeTwdTbls"))}
_RFFT = {np.dtype(np.float32): fn("voksRealFftNip"), np.dtype(np.float64): fn("vokdRealFftNip")}
_CCSFFT = {np.dtype(np.float32): fn("voksCcsFftNip"), np.dtype(np.float64): fn("vokdCcsFftNip")}
_DCT = {np.dtype(np.float32): fn("voksDct"), np.dtype(np.float64): fn("vokdDct")}


def _resize(a, n, name):
    if n is None:
        return a
    if n < 1:
        raise ValueError(f"{name}: n must be >= 1, got {n}")
    if n <= a.size:
        return np.ascontiguousarray(a[:n])
    return np.concatenate([a, np.zeros(n - a.size, a.dtype)])


def _complex_transform(a, flags):
    n = a.size
    out = np.empty(n, a.dtype)
    pending = reports()
    if n & (n - 1) == 0:
        _FFT[a.dtype](ptr(a), ptr(out), n.bit_length() - 1, flags)
        if pending:
            fail(pending)
        return out
    dft, free_tables = _DFT[a.dtype]
    dft(ptr(a), ptr(out), n, flags)
    if pending:
        if any(r.context == "Full Table" for r in pending):
            # The thread's cache keeps a bounded number of DFT lengths: make room and retry once.
            pending.clear()
            raw.vokSetErrStatus(0)
            free_tables()
            dft(ptr(a), ptr(out), n, flags)
            if pending:
                fail(pending)
        else:
            fail(pending)
    return out


def _ready(x):
    """x is already what the transforms take (checked cheaply: small calls are dominated by this)."""
    return type(x) is np.ndarray and x.dtype in _FFT and x.ndim == 1 and x.size and x.flags.c_contiguous


def fft(x, n=None):
    """Discrete Fourier transform of a 1-D array, as numpy.fft.fft (no scaling)."""
    if n is None and _ready(x):
        return _complex_transform(x, _FORW)
    a = _resize(as_array(x, "x"), n, "fft")
    return _complex_transform(np.ascontiguousarray(a, COMPLEX_OF.get(a.dtype, a.dtype)), _FORW)


def ifft(x, n=None):
    """Inverse of fft, scaled by 1/n."""
    if n is None and _ready(x):
        return _complex_transform(x, _INV)
    a = _resize(as_array(x, "x"), n, "ifft")
    return _complex_transform(np.ascontiguousarray(a, COMPLEX_OF.get(a.dtype, a.dtype)), _INV)


def rfft(x, n=None):
    """The n//2 + 1 non-negative-frequency terms of the transform of real x."""
    a = _resize(as_array(x, "x", kinds="f"), n, "rfft")
    size = a.size
    if size & (size - 1):
        return fft(a)[:size // 2 + 1]
    out = np.empty(size // 2 + 1, COMPLEX_OF[a.dtype])   # CCS: R0, 0, R1, I1, ..., R(N/2), 0
    pending = reports()
    _RFFT[a.dtype](ptr(a), ptr(out), size.bit_length() - 1, _FORW)
    if pending:
        fail(pending)
    return out


def irfft(x, n=None):
    """Inverse of rfft: n real samples (default 2*(len(x) - 1)) from their half spectrum."""
    a = as_array(x, "x", kinds="fc")
    bins = np.ascontiguousarray(a, COMPLEX_OF.get(a.dtype, a.dtype))
    if n is None:
        n = 2 * (bins.size - 1)
    if n < 1:
        raise ValueError(f"irfft: n must be >= 1, got {n}")
    half = n // 2 + 1
    bins = _resize(bins, half, "irfft")
    real = REAL_OF[bins.dtype]
    if n & (n - 1) or n < 2:
        full = np.concatenate([bins, np.conj(bins[1:n - half + 1][::-1])])
        return np.ascontiguousarray(_complex_transform(full, _INV).real)
    ccs = bins.copy()
    ccs[0] = ccs[0].real        # the transform reads only the real parts at 0 and n/2
    ccs[-1] = ccs[-1].real
    out = np.empty(n, real)
    checked(_CCSFFT[real], ptr(ccs), ptr(out), n.bit_length() - 1, _INV)
    return out


def _dct_scale(n, dtype):
    # ortho = plain * scale: plain DCT-II sums carry a factor 2, ortho ones sqrt(1/n) (k = 0) or sqrt(2/n).
    s = np.full(n, 1.0 / np.sqrt(2.0 * n))
    s[0] = 1.0 / (2.0 * np.sqrt(n))
    return s.astype(dtype)


def _dct(x, norm, inverse):
    a = as_array(x, "x", kinds="f")
    if norm not in (None, "backward", "ortho"):
        raise ValueError(f"norm must be None, 'backward' or 'ortho', got {norm!r}")
    plain = norm != "ortho"
    if plain and inverse:
        a = a * _dct_scale(a.size, a.dtype)
    out = np.empty_like(a)
    checked(_DCT[a.dtype], ptr(a), ptr(out), a.size, _INV if inverse else _FORW)
    if plain and not inverse:
        out /= _dct_scale(a.size, a.dtype)
    return out


def dct(x, type=2, norm=None):
    """DCT-II of real x, as scipy.fft.dct (norm None or 'ortho')."""
    if type != 2:
        raise ValueError("only the type-2 DCT (and its inverse, idct) is available")
    return _dct(x, norm, False)


def idct(x, type=2, norm=None):
    """Inverse of dct with the same norm (the type-3 DCT), as scipy.fft.idct."""
    if type != 2:
        raise ValueError("only the type-2 DCT (and its inverse, idct) is available")
    return _dct(x, norm, True)


# ---- 16-bit forms: int16 in and out, results brought back under a scale mode ----
# Complex 16-bit data are int16 arrays of shape (n, 2) holding (re, im) pairs.
# Each returns (result, scale_factor): the factor the library chose with
# scale_mode "auto", else the one given; results are the exact ones / 2**factor.

def _pairs16(x, name):
    a = np.asarray(x)
    if a.dtype != np.int16:
        raise TypeError(f"{name}: dtype {a.dtype} not supported here (expected int16 (re, im) pairs)")
    if a.ndim != 2 or a.shape[1] != 2 or a.shape[0] < 1:
        raise ValueError(f"{name}: expected shape (n, 2) with n >= 1, got {a.shape}")
    return np.ascontiguousarray(a)


def _complex16(x, flags, scale_mode, scale_factor, name):
    a = _pairs16(x, name)
    n = a.shape[0]
    mode, sf = scale_args(scale_mode, scale_factor)
    out = np.empty_like(a)
    pending = reports()
    if n & (n - 1) == 0:
        fn("vokvFftNip")(ptr(a), ptr(out), n.bit_length() - 1, flags, mode, ctypes.byref(sf))
    else:
        fn("vokvDft")(ptr(a), ptr(out), n, flags, mode, ctypes.byref(sf))
    if pending:
        fail(pending)
    return out, sf.value


def fft_int16(x, scale_mode="auto", scale_factor=0):
    """Forward transform of 16-bit complex (n, 2) pairs, any n: (spectrum pairs, scale factor)."""
    return _complex16(x, _FORW, scale_mode, scale_factor, "fft_int16")


def ifft_int16(x, scale_mode="auto", scale_factor=0):
    """Inverse of fft_int16, scaled by 1/n: (signal pairs, scale factor)."""
    return _complex16(x, _INV, scale_mode, scale_factor, "ifft_int16")


def rfft_int16(x, scale_mode="auto", scale_factor=0):
    """The n//2 + 1 non-negative-frequency terms of real int16 x (n a power of two),
    as (re, im) pairs: (half spectrum pairs, scale factor)."""
    a = as_array(x, "x", kinds="i")
    n = a.size
    if n & (n - 1):
        raise ValueError(f"rfft_int16: the length must be a power of two, got {n}")
    mode, sf = scale_args(scale_mode, scale_factor)
    out = np.empty((n // 2 + 1, 2), np.int16)   # CCS: R0, 0, R1, I1, ..., R(n/2), 0
    checked(fn("vokwRealFftNip"), ptr(a), ptr(out), n.bit_length() - 1, _FORW, mode, ctypes.byref(sf))
    return out, sf.value


def dct_int16(x, inverse=False):
    """Orthonormal DCT-II of int16 x (DCT-III with inverse=True), rounded to the
    nearest 16-bit value and saturated (no scale mode: the transform keeps energy)."""
    a = as_array(x, "x", kinds="i")
    out = np.empty_like(a)
    checked(fn("vokwDct"), ptr(a), ptr(out), a.size, _INV if inverse else _FORW)
    return out


__all__ = ["fft", "ifft", "rfft", "irfft", "dct", "idct", "fft_int16", "ifft_int16", "rfft_int16", "dct_int16",
           "VokError"]
