#!/usr/bin/python3
"""Fits the polynomial cores of the float logarithm and exponential kernels
(src/kernels/elementwise.simd.cpp) by Lawson-weighted least squares, a close
approach to minimax, and prints the coefficients as float literals.

ln(1+f) = f - f^2/2 + f^3 Q(f),  f in [sqrt(1/2)-1, sqrt(2)-1]
e^r     = 1 + r + r^2/2 + r^3 P(r),  r in [-ln2/2, ln2/2]
"""
import numpy as np

def lawson(x, target, weight, degree, rounds=60):
    # minimise max |weight * (poly(x) - target)| over the sample
    v = np.vander(x, degree + 1, increasing=True)
    w = np.ones_like(x) / len(x)
    for _ in range(rounds):
        sw = np.sqrt(w)
        c, *_ = np.linalg.lstsq(v * (sw * weight)[:, None], sw * weight * target, rcond=None)
        err = np.abs(weight * (v @ c - target))
        w = w * err
        w /= w.sum()
    return c, err.max()

def main():
    f = np.linspace(np.sqrt(0.5) - 1, np.sqrt(2) - 1, 20001)
    f = f[np.abs(f) > 1e-4]
    lf = np.log1p(f)
    q_target = (lf - f + f * f / 2) / f**3
    # the error of f^3 Q relative to ln(1+f)
    q, qe = lawson(f, q_target, np.abs(f**3 / lf), 7)
    print("ln Q:", ", ".join("%.9ef" % np.float32(c) for c in q), "max rel", qe)
    r = np.linspace(-np.log(2) / 2, np.log(2) / 2, 20001)
    r = r[np.abs(r) > 1e-4]
    p_target = (np.expm1(r) - r - r * r / 2) / r**3
    p, pe = lawson(r, p_target, np.abs(r**3 / np.exp(r)), 3)
    print("exp P:", ", ".join("%.9ef" % np.float32(c) for c in p), "max rel", pe)

if __name__ == "__main__":
    main()
