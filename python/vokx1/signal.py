"""Convolution, correlation, windows, resampling, companding and generators,
with numpy's and scipy.signal's conventions.

dtype rules: the result is double precision when either operand is float64 or
complex128, single otherwise, and complex when either operand is complex.
int16 operands (both) use the library's 16-bit forms with scale_mode
('none', 'saturate', 'fixed', 'auto') and scale_factor (result = exact / 2**sf)
and return (result, scale_factor), the factor being the library's choice in
'auto' mode."""
import ctypes

import numpy as np

from ._api import (VokCToneState, VokCTrnglState, VokDRandGausState, VokDRandUniState, VokDToneState,
                   VokDTrnglState, VokSRandGausState, VokSRandUniState, VokSToneState, VokSTrnglState,
                   VokWRandGausState, VokWRandUniState, VokWToneState, VokZToneState, VokZTrnglState)
from ._core import ptr, LETTER, as_array, checked, fail, fn, reports, scale_args

_I16 = np.dtype(np.int16)


def _pair(a, b, what):
    """The library's letters for operands a and b, and the result dtype."""
    if (a.dtype == _I16) != (b.dtype == _I16):
        raise TypeError(f"{what}: int16 operands must both be int16, got {a.dtype} and {b.dtype}")
    if a.dtype == _I16:
        return "w", "", _I16
    double = np.float64 in (a.dtype.type, b.dtype.type) or np.complex128 in (a.dtype.type, b.dtype.type)
    la, lb = ({"f": "d", "c": "z"} if double else {"f": "s", "c": "c"})[a.dtype.kind], \
        ({"f": "d", "c": "z"} if double else {"f": "s", "c": "c"})[b.dtype.kind]
    out = np.dtype({"s": np.float32, "c": np.complex64, "d": np.float64, "z": np.complex128}[
        la if la in "cz" else lb])
    return (la if la == lb else la + lb), (la, lb), out


def _cast(x, letter):
    return np.ascontiguousarray(x, {"s": np.float32, "c": np.complex64, "d": np.float64, "z": np.complex128,
                                    "w": np.int16}[letter])


def _mode_slice(full, n, m, mode):
    if mode == "full":
        return full
    if mode == "same":
        start = (min(n, m) - 1) // 2
        return full[start:start + max(n, m)]
    if mode == "valid":
        return full[min(n, m) - 1:max(n, m)]
    raise ValueError(f"mode must be 'full', 'same' or 'valid', got {mode!r}")


def convolve(a, v, mode="full", scale_mode="auto", scale_factor=0):
    """Linear convolution of two 1-D arrays, as numpy.convolve."""
    x, h = as_array(a, "a", "fci"), as_array(v, "v", "fci")
    letters, types, out_dtype = _pair(x, h, "convolve")
    y = np.empty(x.size + h.size - 1, out_dtype)
    pending = reports()
    if letters == "w":
        mode_, sf = scale_args(scale_mode, scale_factor)
        fn("vokwConv")(ptr(x), x.size, ptr(h), h.size, ptr(y), mode_, ctypes.byref(sf))
    else:
        x, h = _cast(x, types[0]), _cast(h, types[1])
        fn(f"vok{letters}Conv")(ptr(x), x.size, ptr(h), h.size, ptr(y))
    if pending:
        fail(pending)
    y = _mode_slice(y, x.size, h.size, mode)
    return (y, sf.value) if letters == "w" else y


def correlate(a, v, mode="full", lags=None, scale_mode="auto", scale_factor=0):
    """Cross-correlation as numpy.correlate / scipy.signal.correlate:
    c[k] = sum_n a[n + k] * conj(v[n]). lags=(lo, hi) gives exactly the lags
    lo..hi (negative allowed; terms outside either array are zero) instead of
    the mode's; the full mode holds lags -(len(v) - 1) .. len(a) - 1."""
    x, h = as_array(a, "a", "fci"), as_array(v, "v", "fci")
    letters, types, out_dtype = _pair(h, x, "correlate")
    if lags is None:
        lo, hi = -(h.size - 1), x.size - 1
    else:
        lo, hi = (int(k) for k in lags)
        if lo > hi:
            raise ValueError(f"lags: lo {lo} > hi {hi}")
    r = np.empty(hi - lo + 1, out_dtype)
    pending = reports()
    if letters == "w":
        mode_, sf = scale_args(scale_mode, scale_factor)
        fn("vokwCrossCorr")(ptr(h), h.size, ptr(x), x.size, ptr(r), lo, hi, mode_,
                            ctypes.byref(sf))
    else:
        h, x = _cast(h, types[0]), _cast(x, types[1])
        fn(f"vok{letters}CrossCorr")(ptr(h), h.size, ptr(x), x.size, ptr(r), lo, hi)
    if pending:
        fail(pending)
    if lags is None:
        r = _mode_slice(r, x.size, h.size, mode)
    return (r, sf.value) if letters == "w" else r


def convolve2d(in1, in2, mode="full", scale_mode="auto", scale_factor=0):
    """Two-dimensional linear convolution of real arrays, as scipy.signal.convolve2d."""
    x, h = as_array(in1, "in1", "fi", ndim=2), as_array(in2, "in2", "fi", ndim=2)
    letters, types, out_dtype = _pair(x, h, "convolve2d")
    shape = (x.shape[0] + h.shape[0] - 1, x.shape[1] + h.shape[1] - 1)
    y = np.empty(shape, out_dtype)
    pending = reports()
    if letters == "w":
        mode_, sf = scale_args(scale_mode, scale_factor)
        fn("vokwConv2D")(ptr(x), x.shape[1], x.shape[0], ptr(h), h.shape[1], h.shape[0],
                         ptr(y), mode_, ctypes.byref(sf))
    else:
        letter = "d" if "d" in letters else "s"
        x, h = _cast(x, letter), _cast(h, letter)
        fn(f"vok{letter}Conv2D")(ptr(x), x.shape[1], x.shape[0], ptr(h), h.shape[1], h.shape[0],
                                 ptr(y))
    if pending:
        fail(pending)
    if mode == "same":
        r0, c0 = (h.shape[0] - 1) // 2, (h.shape[1] - 1) // 2
        y = y[r0:r0 + x.shape[0], c0:c0 + x.shape[1]]
    elif mode == "valid":
        if not (all(p >= q for p, q in zip(x.shape, h.shape)) or all(p <= q for p, q in zip(x.shape, h.shape))):
            raise ValueError("valid mode needs one input at least as large as the other in every dimension")
        small = np.minimum(x.shape, h.shape)
        y = y[small[0] - 1:shape[0] - small[0] + 1, small[1] - 1:shape[1] - small[1] + 1]
    elif mode != "full":
        raise ValueError(f"mode must be 'full', 'same' or 'valid', got {mode!r}")
    y = np.ascontiguousarray(y)
    return (y, sf.value) if letters == "w" else y


_WINDOW_FNS = {"bartlett": "WinBartlett", "triang": "WinBartlett", "hann": "WinHann", "hanning": "WinHann",
               "hamming": "WinHamming", "blackman": "WinBlackmanStd", "blackmanopt": "WinBlackmanOpt"}


def get_window(window, Nx, fftbins=True, dtype=np.float64):
    """A window of Nx points as scipy.signal.get_window: 'bartlett', 'hann',
    'hamming', 'blackman', 'blackmanopt' (the optimal Blackman), 'boxcar',
    ('blackman', alpha) or ('kaiser', beta). fftbins=True gives the periodic
    window (for spectral analysis), False the symmetric one (for filter design)."""
    name, param = (window[0], float(window[1])) if isinstance(window, tuple) else (window, None)
    if int(Nx) != Nx or Nx < 1:
        raise ValueError(f"Nx must be a positive integer, got {Nx}")
    dt = np.dtype(dtype)
    if dt.kind != "f" or dt not in LETTER:
        raise TypeError(f"dtype must be float32 or float64, got {dt}")
    size = int(Nx) + 1 if fftbins else int(Nx)
    if name == "boxcar":
        return np.ones(int(Nx), dt)
    if size < 3:
        raise ValueError(f"the library's windows have 3 or more points; got {size}")
    w = np.ones(size, dt)
    letter = LETTER[dt]
    pending = reports()
    if name == "kaiser" and param is not None:
        fn(f"vok{letter}WinKaiser")(ptr(w), size, 2.0 * param / (size - 1))
    elif name == "blackman" and param is not None:
        fn(f"vok{letter}WinBlackman")(ptr(w), size, param)
    elif name in _WINDOW_FNS and param is None:
        fn(f"vok{letter}{_WINDOW_FNS[name]}")(ptr(w), size)
    else:
        raise ValueError(f"unknown window {window!r}")
    if pending:
        fail(pending)
    return w[:int(Nx)].copy() if fftbins else w


def upsample(x, factor, phase=0):
    """factor * len(x) samples: x[k] at index k * factor + phase, zeros elsewhere."""
    a = as_array(x, "x", "fci")
    if int(factor) != factor or factor < 1 or not 0 <= phase < factor:
        raise ValueError("need factor >= 1 and 0 <= phase < factor")
    out = np.empty(a.size * int(factor), a.dtype)
    n, ph = ctypes.c_int(0), ctypes.c_int(int(phase))
    checked(fn(f"vok{LETTER[a.dtype]}UpSample"), ptr(a), a.size, ptr(out), ctypes.byref(n), int(factor),
                                        ctypes.byref(ph))
    return out


def downsample(x, factor, phase=0):
    """(x[phase::factor], next_phase): next_phase continues the pattern in the next block."""
    a = as_array(x, "x", "fci")
    if int(factor) != factor or factor < 1 or not 0 <= phase < factor:
        raise ValueError("need factor >= 1 and 0 <= phase < factor")
    out = np.empty(a.size // int(factor) + 1, a.dtype)
    n, ph = ctypes.c_int(0), ctypes.c_int(int(phase))
    checked(fn(f"vok{LETTER[a.dtype]}DownSample"), ptr(a), a.size, ptr(out), ctypes.byref(n), int(factor),
                                          ctypes.byref(ph))
    return out[:n.value].copy(), ph.value


_LAW_LETTER = {np.dtype(np.int16): "w", np.dtype(np.int32): "i", np.dtype(np.float32): "s",
               np.dtype(np.float64): "d"}


def _law_encode(x, law):
    a = np.asarray(x)
    if a.dtype not in _LAW_LETTER or a.ndim != 1 or not a.size:
        raise TypeError(f"{law} encoding takes a non-empty 1-D int16, int32, float32 or float64 array")
    a = np.ascontiguousarray(a)
    out = np.empty(a.size, np.uint8)
    checked(fn(f"vok{_LAW_LETTER[a.dtype]}bLinTo{law}"), ptr(a), ptr(out), a.size)
    return out


def _law_decode(codes, law, dtype):
    c = np.asarray(codes)
    dt = np.dtype(dtype)
    if c.dtype != np.uint8 or c.ndim != 1 or not c.size:
        raise TypeError(f"{law} decoding takes a non-empty 1-D uint8 array")
    if dt not in _LAW_LETTER:
        raise TypeError(f"dtype must be int16, int32, float32 or float64, got {dt}")
    c = np.ascontiguousarray(c)
    out = np.empty(c.size, dt)
    checked(fn(f"vok{_LAW_LETTER[dt]}b{law}ToLin"), ptr(c), ptr(out), c.size)
    return out


def alaw_encode(x):
    """A-law codes (uint8) of linear samples; floats have 1.0 at the 16-bit value 32768."""
    return _law_encode(x, "ALaw")


def alaw_decode(codes, dtype=np.int16):
    return _law_decode(codes, "ALaw", dtype)


def mulaw_encode(x):
    """mu-law codes (G.711 octets, uint8) of linear samples."""
    return _law_encode(x, "MuLaw")


def mulaw_decode(codes, dtype=np.int16):
    return _law_decode(codes, "MuLaw", dtype)


class _Generator:
    _states = {}

    def __init__(self, dtype, init_args, init_types):
        self.dtype = np.dtype(dtype)
        if self.dtype not in self._states:
            raise TypeError(f"{type(self).__name__}: dtype {self.dtype} not supported "
                            f"(one of {', '.join(str(d) for d in self._states)})")
        self._letter = LETTER[self.dtype]
        self._state = self._states[self.dtype]()
        checked(fn(f"vok{self._letter}{self._name}Init"), *[t(v) for t, v in zip(init_types, init_args)],
                                                  ctypes.byref(self._state))
        self._run = fn(f"vok{self._letter}b{self._name}")

    def generate(self, n):
        """The next n samples; the sequence continues across calls."""
        if int(n) != n or n < 0:
            raise ValueError(f"n must be a non-negative integer, got {n}")
        out = np.empty(int(n), self.dtype)
        if n:
            checked(self._run, ctypes.byref(self._state), ptr(out), int(n))
        return out


_F, _D, _C, _Z = (np.dtype(t) for t in (np.float32, np.float64, np.complex64, np.complex128))


def _real_param(dtype):
    return float if np.dtype(dtype) in (_F, _D, _C, _Z) else int


class Tone(_Generator):
    """magnitude * cos(2 pi freq/fs n + phase) (complex: exp(j ...)); 0 <= freq < fs/2, 0 <= phase < 2 pi."""
    _name = "Tone"
    _states = {_F: VokSToneState, _D: VokDToneState, _C: VokCToneState, _Z: VokZToneState, _I16: VokWToneState}

    def __init__(self, freq, phase=0.0, magnitude=1.0, fs=1.0, dtype=np.float64):
        super().__init__(dtype, (freq / fs, phase, magnitude), (float, float, _real_param(dtype)))


class Triangle(_Generator):
    """Triangle wave of frequency freq (period fs/freq samples), +magnitude at
    phase 0; asym in (-pi, pi) shifts the falling/rising split."""
    _name = "Trngl"
    _states = {_F: VokSTrnglState, _D: VokDTrnglState, _C: VokCTrnglState, _Z: VokZTrnglState,
               _I16: VokSTrnglState}

    def __init__(self, freq, phase=0.0, magnitude=1.0, asym=0.0, fs=1.0, dtype=np.float64):
        super().__init__(dtype, (freq / fs, phase, magnitude, asym), (float, float, _real_param(dtype), float))


class Noise(_Generator):
    """Seeded pseudo-random samples: kind 'uniform' in [low, high) or 'gauss'
    with mean and std; the same seed gives the same sequence."""
    _states = {"uniform": {_F: VokSRandUniState, _D: VokDRandUniState, _C: VokSRandUniState,
                           _Z: VokDRandUniState, _I16: VokWRandUniState},
               "gauss": {_F: VokSRandGausState, _D: VokDRandGausState, _C: VokSRandGausState,
                         _Z: VokDRandGausState, _I16: VokWRandGausState}}

    def __init__(self, kind="uniform", seed=0, low=0.0, high=1.0, mean=0.0, std=1.0, dtype=np.float64):
        if kind not in self._states:
            raise ValueError(f"kind must be 'uniform' or 'gauss', got {kind!r}")
        self._name = "RandUni" if kind == "uniform" else "RandGaus"
        self._states = self._states[kind]
        value = _real_param(dtype)
        seed_type = float if value is float else int
        args = (seed, low, high) if kind == "uniform" else (seed, mean, std)
        super().__init__(dtype, args, (seed_type, value, value))


def tone(n, freq, phase=0.0, magnitude=1.0, fs=1.0, dtype=np.float64):
    return Tone(freq, phase, magnitude, fs, dtype).generate(n)


def triangle(n, freq, phase=0.0, magnitude=1.0, asym=0.0, fs=1.0, dtype=np.float64):
    return Triangle(freq, phase, magnitude, asym, fs, dtype).generate(n)


def noise(n, kind="uniform", seed=0, low=0.0, high=1.0, mean=0.0, std=1.0, dtype=np.float64):
    return Noise(kind, seed, low, high, mean, std, dtype).generate(n)


__all__ = ["convolve", "correlate", "convolve2d", "get_window", "upsample", "downsample", "alaw_encode",
           "alaw_decode", "mulaw_encode", "mulaw_decode", "Tone", "Triangle", "Noise", "tone", "triangle", "noise"]
