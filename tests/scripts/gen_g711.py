#!/usr/bin/python3
"""Writes tests/data/g711_audioop.txt from Python's audioop G.711 codec (3.11).

Lines:
  ulaw2lin v0 ... v255      expansion of every mu-law octet
  alaw2lin v0 ... v255      expansion of every G.711 A-law octet (even bits inverted)
  lin2ulaw <hex>            mu-law octet of every 16-bit sample -32768 ... 32767, two hex digits each
  lin2alaw <hex>            G.711 A-law octet of every 16-bit sample, likewise"""
import os
import struct
import warnings

warnings.simplefilter('ignore', DeprecationWarning)
import audioop  # noqa: E402

codes = bytes(range(256))
samples = struct.pack('<65536h', *range(-32768, 32768))
out = os.path.join(os.path.dirname(__file__), '..', 'data', 'g711_audioop.txt')
with open(out, 'w') as f:
    for name, fn in (('ulaw2lin', audioop.ulaw2lin), ('alaw2lin', audioop.alaw2lin)):
        values = struct.unpack('<256h', fn(codes, 2))
        f.write(name + ' ' + ' '.join(str(v) for v in values) + '\n')
    for name, fn in (('lin2ulaw', audioop.lin2ulaw), ('lin2alaw', audioop.lin2alaw)):
        f.write(name + ' ' + fn(samples, 2).hex() + '\n')
