"""Multi-level wavelet decomposition with PyWavelets' conventions
(wavedec / waverec, coefficient list [cA_n, cD_n, ..., cD1]). Signals have a
power-of-two length and are extended periodically, so every band is half the
one above it (PyWavelets' 'periodization' mode). float32, float64 and int16
signals keep their dtype."""
import ctypes
import re

import numpy as np

from ._api import VokWtState
from ._core import ptr, LETTER, as_array, checked, fn

_FAMILIES = [  # name pattern, library type, parameters from the match
    (r"haar", 1, lambda m: (0, 0)),
    (r"db(\d+)", 2, lambda m: (int(m[1]), 0)),
    (r"sym(\d+)", 3, lambda m: (int(m[1]) - 3, 0)),
    (r"coif(\d+)", 4, lambda m: (int(m[1]), 0)),
    (r"vaidyanathan", 5, lambda m: (0, 0)),
    (r"bior(\d)\.(\d)", 6, lambda m: (int(m[1]), int(m[2]))),
    (r"rbio(\d)\.(\d)", 7, lambda m: (int(m[1]), int(m[2]))),
]

WAVELETS = ["haar"] + [f"db{n}" for n in range(1, 11)] + [f"sym{n}" for n in range(4, 11)] + \
    [f"coif{n}" for n in range(1, 6)] + ["vaidyanathan"] + \
    [f"{p}{a}.{b}" for p in ("bior", "rbio") for a, bs in ((1, (1, 3, 5)), (2, (2, 4, 6, 8)), (3, (1, 3, 5, 7, 9)))
     for b in bs]


def _family(wavelet):
    if wavelet in WAVELETS:
        for pattern, kind, params in _FAMILIES:
            m = re.fullmatch(pattern, wavelet)
            if m:
                return kind, params(m)
    raise ValueError(f"unknown wavelet {wavelet!r}; available: {', '.join(WAVELETS)}")


class _Bank:
    """A filter bank for one signal order and level, released on exit."""

    def __init__(self, wavelet, dtype, order, level):
        self.kind, (self.par1, self.par2) = _family(wavelet)
        self.letter, self.state = LETTER[dtype], VokWtState()
        checked(fn(f"vok{self.letter}WtInit"), self.par1, self.par2, order, level, ctypes.byref(self.state), self.kind)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        fn("vokWtFree")(ctypes.byref(self.state))


def _order(n, what):
    if n < 2 or n & (n - 1):
        raise ValueError(f"{what}: signal length must be a power of two >= 2, got {n}")
    return n.bit_length() - 1


def wavedec(data, wavelet, level=None):
    """[cA_level, cD_level, ..., cD1] of data (power-of-two length). level
    defaults to the deepest at which the filters still fit the approximation,
    at most log2(len(data)) - 1."""
    a = as_array(data, "data", "fi")
    order = _order(a.size, "wavedec")
    if level is None:
        with _Bank(wavelet, a.dtype, order, 1) as bank:
            taps = max(bank.state.filtLen[0], bank.state.filtLen[1])
        level = max(1, min(order - 1, int(np.log2(a.size / max(taps - 1, 1)))))
    if int(level) != level or not 0 <= level <= order - 1:
        raise ValueError(f"level must be 0 .. {order - 1} for {a.size} samples, got {level}")
    out = np.empty_like(a)
    with _Bank(wavelet, a.dtype, order, int(level)) as bank:
        checked(fn(f"vok{bank.letter}WtDecompose"), ctypes.byref(bank.state), ptr(a), ptr(out))
    edges = [a.size >> level] + [a.size >> k for k in range(level, 0, -1)]
    return np.split(out, np.cumsum(edges)[:-1])


def waverec(coeffs, wavelet):
    """Inverse of wavedec: the signal from [cA_n, cD_n, ..., cD1]."""
    if len(coeffs) < 1:
        raise ValueError("waverec needs at least the approximation")
    parts = [as_array(c, f"coeffs[{i}]", "fi") for i, c in enumerate(coeffs)]
    dtypes = {p.dtype for p in parts}
    if len(dtypes) != 1:
        raise TypeError(f"coefficients of mixed dtypes {sorted(map(str, dtypes))}")
    level = len(parts) - 1
    n = parts[0].size << level
    want = [n >> level] + [n >> k for k in range(level, 0, -1)]
    if [p.size for p in parts] != want:
        raise ValueError(f"band lengths {[p.size for p in parts]} do not form a decomposition (expected {want})")
    src = np.concatenate(parts)
    out = np.empty_like(src)
    with _Bank(wavelet, src.dtype, _order(n, "waverec"), level) as bank:
        checked(fn(f"vok{bank.letter}WtReconstruct"), ctypes.byref(bank.state), ptr(src), ptr(out))
    return out


__all__ = ["wavedec", "waverec", "WAVELETS"]
