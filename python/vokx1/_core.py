"""Loading libvokx1, its prototypes, and library reports turned into VokError.

Every Python thread that calls the library gets, on its first call, the parent
error mode and a report hook that records each report; the call's wrapper then
raises VokError. The library keeps mode, hook and status per thread, so threads
do not see each other's reports."""
import ctypes
import os
import threading

import numpy as np

from . import _api
from ._api import CONSTANTS, FUNCTIONS

_LIBNAME = "vokx1.dll" if os.name == "nt" else "libvokx1.so"
_Loader = ctypes.WinDLL if os.name == "nt" and ctypes.sizeof(ctypes.c_void_p) == 4 else ctypes.CDLL


def _load():
    tried = []
    candidates = []
    explicit = os.environ.get("VOKX1_LIBRARY")
    if explicit:
        candidates.append(("VOKX1_LIBRARY", explicit))
    candidates.append(("next to the package", os.path.join(os.path.dirname(os.path.abspath(__file__)), _LIBNAME)))
    candidates.append(("system loader", _LIBNAME))
    for how, path in candidates:
        if how != "system loader" and not os.path.exists(path):
            tried.append(f"{how}: {path} (no such file)")
            continue
        try:
            return _Loader(path), path
        except OSError as exc:
            tried.append(f"{how}: {path} ({exc})")
        if how == "VOKX1_LIBRARY":
            break  # an explicit choice that fails is not silently replaced by another library
    raise ImportError("vokx1: cannot load " + _LIBNAME + "; tried:\n  " + "\n  ".join(tried))


raw, library_path = _load()
for _name, (_res, _args) in FUNCTIONS.items():
    _fn = getattr(raw, _name)
    _fn.restype, _fn.argtypes = _res, _args
del _name, _res, _args, _fn
globals().update(CONSTANTS)  # the library's constants, also as module attributes
VOK_StatusBacktrace, VOK_ErrorModeParent = CONSTANTS["VOK_StatusBacktrace"], CONSTANTS["VOK_ErrorModeParent"]


class VokReport(tuple):
    """One report of the library: (status, function, context, module, line)."""
    __slots__ = ()
    status = property(lambda self: self[0])
    function = property(lambda self: self[1])
    context = property(lambda self: self[2])
    module = property(lambda self: self[3])
    line = property(lambda self: self[4])


class VokError(RuntimeError):
    """A failure reported by the library. status, function, context, module and
    line describe the first report of the call; backtrace holds the records of
    the library functions that re-reported it (innermost first), reports all
    reports of the call in order. The caller's output was not written."""

    def __init__(self, reports):
        self.reports = tuple(reports)
        first = next((r for r in self.reports if r.status != VOK_StatusBacktrace), self.reports[0])
        self.status, self.function, self.context, self.module, self.line = first
        self.backtrace = tuple(r for r in self.reports if r.status == VOK_StatusBacktrace)
        text = raw.vokErrorStr(self.status).decode()
        where = f"{self.function}: {text} ({self.context})" if self.context else f"{self.function}: {text}"
        trail = "".join(f"\n  called from {r.function} [{r.module}:{r.line}]" for r in self.backtrace)
        super().__init__(f"{where} [{self.module}:{self.line}]{trail}")


_local = threading.local()


def _decode(b):
    return None if b is None else b.decode("latin-1").strip()


def _on_report(status, function, context, module, line):
    reports = getattr(_local, "reports", None)
    if reports is not None:
        reports.append(VokReport((status, _decode(function), _decode(context), _decode(module), line)))
    return status


_HOOK = _api.VokReportFunc(_on_report)


def reports():
    """This thread's pending-report list, setting the thread up on first use."""
    try:
        return _local.reports
    except AttributeError:
        _local.reports = []
        raw.vokSetErrMode(VOK_ErrorModeParent)
        raw.vokRedirectError(_HOOK)
        raw.vokSetErrStatus(0)
        return _local.reports


def fail(pending):
    """Raises the VokError of the pending reports, leaving the thread clean for the next call."""
    err = VokError(pending)
    pending.clear()
    raw.vokSetErrStatus(0)  # the status is sticky; some functions refuse to run while it is negative
    raise err


def checked(f, *args):
    """f(*args), raising VokError when the call reported."""
    pending = reports()
    result = f(*args)
    if pending:
        fail(pending)
    return result


class _CheckedLibrary:
    """Every exported function by name, raising VokError when the call reported."""

    def __getattr__(self, name):
        if name not in FUNCTIONS:
            raise AttributeError(f"libvokx1 exports no function {name!r}")
        fn = getattr(raw, name)

        def call(*args):
            return checked(fn, *args)
        call.__name__ = call.__qualname__ = name
        call.__doc__ = f"{name}{tuple(t.__name__ if t else 'None' for t in fn.argtypes)} -> {fn.restype}"
        setattr(self, name, call)
        return call

    def __dir__(self):
        return list(FUNCTIONS)


lib = _CheckedLibrary()

# ---- helpers shared by the high-level modules ----

SCALE_MODES = {name: CONSTANTS[f"VOK_{c}"] for name, c in
               (("none", "NO_SCALE"), ("saturate", "SATURATE"), ("fixed", "FIXED_SCALE"), ("auto", "AUTO_SCALE"))}
LETTER = {np.dtype(np.float32): "s", np.dtype(np.float64): "d", np.dtype(np.complex64): "c",
          np.dtype(np.complex128): "z", np.dtype(np.int16): "w"}
COMPLEX_OF = {np.dtype(np.float32): np.dtype(np.complex64), np.dtype(np.float64): np.dtype(np.complex128)}
REAL_OF = {np.dtype(np.complex64): np.dtype(np.float32), np.dtype(np.complex128): np.dtype(np.float64)}


_char_at = ctypes.c_char.from_buffer
_byref = ctypes.byref


def ptr(a):
    """Address of a contiguous array for an element-pointer argument: through the
    buffer protocol when writable (several times cheaper than a.ctypes.data)."""
    return _byref(_char_at(a)) if a.flags.writeable and a.nbytes else a.ctypes.data


def fn(name):
    return getattr(raw, name)


def as_array(x, name="x", kinds="fc", ndim=1, min_len=1):
    """x as a C-contiguous array of one of the library's types. kinds: f float,
    c complex, i int16; integer and bool inputs become float64 where f is allowed."""
    a = np.asarray(x)
    dt = a.dtype
    if dt.kind in "fc" and dt not in LETTER:
        dt = np.dtype(np.complex128 if dt.kind == "c" else np.float64)
    elif dt.kind in "iub" and not (dt == np.int16 and "i" in kinds):
        dt = np.dtype(np.float64)
    ok = {"f": dt.kind == "f", "c": dt.kind == "c", "i": dt == np.int16}
    if dt not in LETTER or not any(ok[k] for k in kinds):
        want = {"f": "float32/float64", "c": "complex64/complex128", "i": "int16"}
        raise TypeError(f"{name}: dtype {a.dtype} not supported here (expected {' or '.join(want[k] for k in kinds)})")
    if a.ndim != ndim:
        raise ValueError(f"{name}: expected a {ndim}-D array, got shape {a.shape}")
    if a.size < min_len:
        raise ValueError(f"{name}: needs at least {min_len} element(s), got {a.size}")
    if a.size > 0x7FFFFFFF:
        raise ValueError(f"{name}: longer than the library's 32-bit lengths")
    return np.ascontiguousarray(a, dtype=dt)


def scale_args(scale_mode, scale_factor):
    """(mode, c_int factor) from a mode name or number and a factor."""
    mode = SCALE_MODES.get(scale_mode, scale_mode) if isinstance(scale_mode, str) else scale_mode
    if mode not in SCALE_MODES.values():
        raise ValueError(f"scale_mode must be one of {sorted(SCALE_MODES)} or their values, got {scale_mode!r}")
    if not isinstance(scale_factor, (int, np.integer)):
        raise TypeError(f"scale_factor must be an integer, got {type(scale_factor).__name__}")
    return mode, ctypes.c_int(int(scale_factor))
