"""vokx1 from Python: numpy arrays in and out over libvokx1 (ctypes, no compiled extension).

High level (scipy/numpy names and conventions): fft, ifft, rfft, irfft, dct,
idct (and their 16-bit forms fft_int16, ifft_int16, rfft_int16,
dct_int16, which take scale_mode / scale_factor); FirFilter, IirFilter, LmsFilter, firwin; convolve, correlate,
convolve2d; get_window; wavedec, waverec; upsample, downsample; A-law / mu-law
encode and decode; Tone, Triangle, Noise generators.

Low level: `lib.<name>(...)` calls any exported function with its generated
prototype and raises VokError when the library reports; `raw` is the plain
ctypes library. Element pointers are passed as addresses (`array.ctypes.data`),
records by `ctypes.byref(record)`; the records, constants and prototypes are in
vokx1._api. `raw` does no report handling: a thread that has not called
through the package yet is still in the library's default error mode.

The library is loaded from $VOKX1_LIBRARY, else next to this package, else by
the system loader."""
from ._core import VokError, VokReport, lib, library_path, raw
from ._api import CONSTANTS
from .transforms import dct, dct_int16, fft, fft_int16, idct, ifft, ifft_int16, irfft, rfft, rfft_int16
from .filters import FirFilter, IirFilter, LmsFilter, firwin
from .signal import (Noise, Tone, Triangle, alaw_decode, alaw_encode, convolve, convolve2d, correlate,
                     downsample, get_window, mulaw_decode, mulaw_encode, noise, tone, triangle, upsample)
from .wavelets import WAVELETS, wavedec, waverec

globals().update(CONSTANTS)
__version__ = "3.0.13"
