"""Stateful FIR, IIR and LMS filters, and window-method FIR design.

A filter's sample dtype is fixed when it is made (dtype=, default float64);
real or complex coefficients pick the library's mixed forms (float samples
with complex taps give complex output). int16 samples take float taps and
return (output, scale_factor) from filter(), the factor being the one the
library chose in 'auto' scale mode."""
import ctypes

import numpy as np

from ._api import FirState, IirState, LmsState
from ._core import ptr, COMPLEX_OF, as_array, checked, fail, fn, reports, scale_args

_F32, _F64, _C64, _C128, _I16 = (np.dtype(t) for t in (np.float32, np.float64, np.complex64, np.complex128, np.int16))
_TAPS_OF = {_F32: _F32, _F64: _F64, _C64: _F32, _C128: _F64, _I16: _F32}    # real taps for each sample type
_REAL_LETTERS = {_F32: "s", _F64: "d", _C64: "cs", _C128: "zd", _I16: "w"}
_COMPLEX_LETTERS = {_F32: "sc", _F64: "dz", _C64: "c", _C128: "z"}


def _kind(dtype, taps, what):
    """(letters, taps array, output dtype) of a filter of dtype samples."""
    dtype = np.dtype(dtype)
    if dtype not in _REAL_LETTERS:
        raise TypeError(f"{what}: sample dtype {dtype} not supported (float32/64, complex64/128, int16)")
    t = np.asarray(taps)
    if t.dtype.kind == "c":
        if dtype == _I16:
            raise TypeError(f"{what}: int16 samples take real coefficients")
        tdt = COMPLEX_OF[_TAPS_OF[dtype]]
        return _COMPLEX_LETTERS[dtype], tdt, tdt
    if t.dtype.kind not in "fiub":
        raise TypeError(f"{what}: coefficients of dtype {t.dtype} not supported")
    out = dtype if dtype.kind in "ci" else dtype
    return _REAL_LETTERS[dtype], _TAPS_OF[dtype], out


class _Stateful:
    """Deterministic release of the library-owned arrays: close(), or a with block."""
    _state = None

    def close(self):
        if self._state is not None:
            state, self._state = self._state, None
            checked(self._free, ctypes.byref(state))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):  # fallback only; close() is the way
        try:
            self.close()
        except Exception:
            pass

    def _live(self):
        if self._state is None:
            raise ValueError(f"{type(self).__name__} is closed")
        return self._state

    def _block(self, x):
        if type(x) is np.ndarray and x.dtype == self.dtype and x.ndim == 1 and x.flags.c_contiguous:
            return x
        a = as_array(x, "block", kinds="fci", min_len=0)
        if a.dtype != self.dtype:
            if np.can_cast(a.dtype, self.dtype, "same_kind") and self.dtype != _I16:
                a = a.astype(self.dtype)
            else:
                raise TypeError(f"block of dtype {a.dtype} given to a {self.dtype} filter")
        return a


class _Filter(_Stateful):
    """A FIR or IIR filter: its state rebuilt by _init(), blocks through _run."""

    def reset(self):
        """Clears the history (the coefficients stay)."""
        self.close()
        self._init()

    def _filter_into(self, a, out, iters):
        """One block call of the filter; 16-bit filters add their scale mode and factor."""
        if self.dtype == _I16:
            checked(self._run, self._ref, ptr(a), ptr(out), iters, self._mode, ctypes.byref(self._sf))
        else:
            checked(self._run, self._ref, ptr(a), ptr(out), iters)


class FirFilter(_Filter):
    """FIR filter with optional interpolation by up and decimation by down.

    filter(block) continues from the previous block; a multirate block holds a
    whole number of down-sample groups and gives len(block) // down * up
    outputs. reset() clears the history."""

    def __init__(self, taps, up=1, down=1, up_phase=0, down_phase=0, dtype=np.float64,
                 scale_mode="auto", scale_factor=0):
        letters, tdt, self.out_dtype = _kind(dtype, taps, "FirFilter")
        self.dtype = np.dtype(dtype)
        t = as_array(taps, "taps", kinds="fc")
        self.taps = np.ascontiguousarray(t, tdt)
        for name, v in (("up", up), ("down", down)):
            if int(v) != v or v < 1:
                raise ValueError(f"{name} must be a positive integer, got {v}")
        if not (0 <= up_phase < up and 0 <= down_phase < down):
            raise ValueError("phases must satisfy 0 <= up_phase < up and 0 <= down_phase < down")
        self.up, self.down, self.up_phase, self.down_phase = int(up), int(down), int(up_phase), int(down_phase)
        if self.dtype == _I16:
            self._mode, self._sf = scale_args(scale_mode, scale_factor)
        self._letters = letters
        self._run = fn(f"vok{letters}bFir")
        self._free = fn("vokFirFree")
        self._init()

    def _init(self):
        state = FirState()
        checked(fn(f"vok{self._letters}FirInitMr"), ptr(self.taps), self.taps.size, None, self.up, self.up_phase,
                self.down, self.down_phase, ctypes.byref(state))
        self._state, self._ref = state, ctypes.byref(state)

    def filter(self, block):
        """Filters one block; int16 filters return (output, scale_factor)."""
        self._live()
        a = self._block(block)
        if a.size % self.down:
            raise ValueError(f"block length {a.size} is not a multiple of down={self.down}")
        iters = a.size // self.down
        out = np.empty(iters * self.up, self.out_dtype)
        if iters:
            self._filter_into(a, out, iters)
        return (out, self._sf.value) if self.dtype == _I16 else out


class IirFilter(_Filter):
    """IIR filter from b and a (one section of any order) or from second-order
    sections sos (rows b0, b1, b2, a0, a1, a2, as scipy.signal). filter(block)
    continues from the previous block; reset() clears the history."""

    def __init__(self, b=None, a=1.0, sos=None, dtype=np.float64, scale_mode="auto", scale_factor=0):
        if (b is None) == (sos is None):
            raise ValueError("give either b (and a) or sos")
        if sos is not None:
            coeffs = np.asarray(sos)
            if coeffs.ndim != 2 or coeffs.shape[1] != 6 or coeffs.shape[0] < 1:
                raise ValueError(f"sos must have shape (n_sections, 6), got {coeffs.shape}")
            self._count, init = coeffs.shape[0], "InitBq"
            flat = coeffs.ravel()
        else:
            bb, aa = np.atleast_1d(np.asarray(b)), np.atleast_1d(np.asarray(a))
            if bb.ndim != 1 or aa.ndim != 1 or not bb.size or not aa.size:
                raise ValueError("b and a must be non-empty 1-D sequences")
            order = max(bb.size, aa.size) - 1
            flat = np.zeros(2 * order + 2, np.result_type(bb, aa, np.float64))
            flat[:bb.size], flat[order + 1:order + 1 + aa.size] = bb, aa
            self._count, init = order, "Init"
        letters, tdt, self.out_dtype = _kind(dtype, flat, "IirFilter")
        self.dtype = np.dtype(dtype)
        self.coefficients = np.ascontiguousarray(flat, tdt)
        if self.dtype == _I16:
            self._mode, self._sf = scale_args(scale_mode, scale_factor)
        self._init_fn = fn(f"vok{letters}Iir{init}")
        self._run = fn(f"vok{letters}bIir")
        self._free = fn("vokIirFree")
        self._init()

    def _init(self):
        state = IirState()
        checked(self._init_fn, 0, ptr(self.coefficients), self._count, ctypes.byref(state))
        self._state, self._ref = state, ctypes.byref(state)

    def filter(self, block):
        """Filters one block; int16 filters return (output, scale_factor)."""
        self._live()
        a = self._block(block)
        out = np.empty(a.size, self.out_dtype)
        if a.size:
            self._filter_into(a, out, a.size)
        return (out, self._sf.value) if self.dtype == _I16 else out


class LmsFilter(_Stateful):
    """Adaptive FIR filter by the least-mean-squares rule (with leakage, an
    error delay and optional decimation by down). filter(x, desired) runs one
    output per down inputs, adapting on desired - output, and continues across
    calls; taps gives the current taps."""

    def __init__(self, taps, step, leak=0.0, err_delay=0, down=1, down_phase=0, dtype=np.float64):
        t = np.asarray(taps)
        if t.ndim == 0:
            if int(t) != t or t < 1:
                raise ValueError(f"taps must be a tap count >= 1 or initial taps, got {taps}")
            t = np.zeros(int(t))
        self.dtype = np.dtype(dtype)
        if self.dtype not in (_F32, _F64, _C64, _C128):
            raise TypeError(f"LmsFilter: sample dtype {self.dtype} not supported (float32/64, complex64/128)")
        letters, tdt, self.out_dtype = _kind(dtype, t, "LmsFilter")
        letters = {"cs": "c", "zd": "z"}.get(letters, letters)   # complex samples adapt complex taps
        tdt = COMPLEX_OF.get(tdt, tdt) if self.dtype.kind == "c" else tdt
        self.out_dtype = COMPLEX_OF.get(self.out_dtype, self.out_dtype) if self.dtype.kind == "c" else self.out_dtype
        t = as_array(t, "taps", kinds="fc")
        if err_delay < 0 or int(err_delay) != err_delay:
            raise ValueError(f"err_delay must be an integer >= 0, got {err_delay}")
        if int(down) != down or down < 1 or not 0 <= down_phase < down:
            raise ValueError("need down >= 1 and 0 <= down_phase < down")
        self.down, self._letters = int(down), letters
        self._taps_dtype = tdt
        self._free = fn("vokLmsFree")
        state = LmsState()
        start = np.ascontiguousarray(t, tdt)
        checked(fn(f"vok{letters}LmsInitMr"), 0, ptr(start), start.size, None, float(step), float(leak),
                int(err_delay), self.down, int(down_phase), ctypes.byref(state))
        self._state, self._ref, self.numtaps = state, ctypes.byref(state), start.size
        self._run = fn(f"vok{letters}bLmsDes")

    @property
    def taps(self):
        self._live()
        letter = {"sc": "c", "dz": "z"}.get(self._letters, self._letters)
        out = np.empty(self.numtaps, self._taps_dtype)
        pending = reports()
        fn(f"vok{letter}LmsGetTaps")(self._ref, ptr(out))
        fn(f"vok{letter}LmsSetTaps")(ptr(out), self._ref)  # a get leaves the record until the next set
        if pending:
            fail(pending)
        return out

    def filter(self, x, desired):
        """Outputs for len(x) // down iterations, adapting towards desired (one value per output)."""
        self._live()
        a = self._block(x)
        d = np.ascontiguousarray(np.asarray(desired), self.out_dtype)
        if a.size % self.down:
            raise ValueError(f"x length {a.size} is not a multiple of down={self.down}")
        iters = a.size // self.down
        if d.ndim != 1 or d.size != iters:
            raise ValueError(f"desired needs {iters} values (one per output), got shape {d.shape}")
        out = np.empty(iters, self.out_dtype)
        if iters:
            checked(self._run, self._ref, ptr(a), ptr(d), ptr(out), iters)
        return out


_WINDOWS = {"bartlett": 1, "triang": 1, "blackmanopt": 2, "hamming": 3, "hann": 4, "hanning": 4,
            "boxcar": 0, "rectangular": 0, None: 0}
_DESIGN = {"lowpass": "vokdFirLowpass", "highpass": "vokdFirHighpass",
           "bandpass": "vokdFirBandpass", "bandstop": "vokdFirBandstop"}


def firwin(numtaps, cutoff, window="hamming", pass_zero=True, scale=True, fs=2.0):
    """Window-method FIR design as scipy.signal.firwin: cutoff in the units of fs
    (default: Nyquist = 1), one value for low/high-pass, two for band-pass/-stop;
    pass_zero True/False or 'lowpass', 'highpass', 'bandpass', 'bandstop'.
    Windows: 'hamming', 'hann', 'bartlett', 'blackmanopt' (the optimal
    Blackman) or 'boxcar'. numtaps >= 5."""
    if window not in _WINDOWS:
        raise ValueError(f"window must be one of {sorted(k for k in _WINDOWS if k)}, got {window!r}")
    if int(numtaps) != numtaps or numtaps < 5:
        raise ValueError(f"numtaps must be an integer >= 5, got {numtaps}")
    edges = np.atleast_1d(np.asarray(cutoff, dtype=np.float64)) / float(fs)
    if edges.ndim != 1 or edges.size not in (1, 2):
        raise ValueError("cutoff must be one frequency or a pair")
    if isinstance(pass_zero, str):
        kind = pass_zero
    elif edges.size == 1:
        kind = "lowpass" if pass_zero else "highpass"
    else:
        kind = "bandstop" if pass_zero else "bandpass"
    if kind not in _DESIGN or (edges.size == 1) != (kind in ("lowpass", "highpass")):
        raise ValueError(f"pass_zero {pass_zero!r} does not fit {edges.size} cutoff frequencies")
    if np.any(edges <= 0) or np.any(edges >= 0.5):
        raise ValueError("cutoff frequencies must lie strictly between 0 and fs/2")
    taps = np.empty(int(numtaps))
    pending = reports()
    fn(_DESIGN[kind])(*edges.tolist(), ptr(taps), taps.size, _WINDOWS[window], int(bool(scale)))
    if pending:
        fail(pending)
    return taps


__all__ = ["FirFilter", "IirFilter", "LmsFilter", "firwin"]
