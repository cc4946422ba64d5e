// The DCT passes around its half-length DFT, written once for every width. An
// iteration takes L values of k upwards (two registers of complex lanes) and
// their partners M - k downwards; the scalar tail uses the same formulas.
#include "kernels/dct.h"
#include "kernels/simd.h"

VOK_SIMD_BEGIN
namespace {

using D = Vec<double>;
constexpr int L = kLanes<double>;
constexpr int C = L / 2;

inline __attribute__((always_inline)) D reverseComplex(D v) {
    return permute<double>(v, [](int i) { return L - 2 - (i & ~1) + (i & 1); });
}
inline __attribute__((always_inline)) D reverseReal(D v) {
    return permute<double>(v, [](int i) { return L - 1 - i; });
}
// (1, -1, 1, -1, ...): conjugates interleaved lanes exactly.
inline __attribute__((always_inline)) D conjugator() { return -reNegator<double>(); }
inline __attribute__((always_inline)) D cmul(D a, D b) { return complexMul<double>(a, b); }

// U_k = F_k Z_k + G_k conj Z_(M-k) and U_(M-k) = F_(M-k) Z_(M-k) + G_(M-k) conj Z_k.
void forwardPost(const double* z, double* x, long long m, const double* f, const double* g) {
    const long long n = 2 * m;
    const D conj = conjugator();
    long long k = 1;
    for (; 2 * (k + L - 1) < m; k += L) {
        const long long lo = m - k - L + 1, hi = m - k - C + 1;  // partner blocks, upwards in memory
        const D pa = load(z + 2 * k), pb = load(z + 2 * (k + C));
        const D qa = reverseComplex(load(z + 2 * hi)), qb = reverseComplex(load(z + 2 * lo));
        const D fa = load(f + 2 * k), fb = load(f + 2 * (k + C));
        const D ga = load(g + 2 * k), gb = load(g + 2 * (k + C));
        const D fqa = reverseComplex(load(f + 2 * hi)), fqb = reverseComplex(load(f + 2 * lo));
        const D gqa = reverseComplex(load(g + 2 * hi)), gqb = reverseComplex(load(g + 2 * lo));
        const D ua = cmul(fa, pa) + cmul(ga, qa * conj), ub = cmul(fb, pb) + cmul(gb, qb * conj);
        const D va = cmul(fqa, qa) + cmul(gqa, pa * conj), vb = cmul(fqb, qb) + cmul(gqb, pb * conj);
        const D ure = permute2<double>(ua, ub, [](int i) { return 2 * i; });
        const D uim = permute2<double>(ua, ub, [](int i) { return 2 * i + 1; });
        const D vre = permute2<double>(va, vb, [](int i) { return 2 * i; });
        const D vim = permute2<double>(va, vb, [](int i) { return 2 * i + 1; });
        store(x + k, ure);
        store(x + n - k - L + 1, reverseReal(-uim));
        store(x + lo, reverseReal(vre));
        store(x + m + k, -vim);
    }
    for (; 2 * k < m; ++k) {
        const long long q = m - k;
        const double pr = z[2 * k], pi = z[2 * k + 1], qr = z[2 * q], qi = -z[2 * q + 1];
        const double* fk = f + 2 * k;
        const double* gk = g + 2 * k;
        const double* fq = f + 2 * q;
        const double* gq = g + 2 * q;
        const double ur = (fk[0] * pr - fk[1] * pi) + (gk[0] * qr - gk[1] * qi);
        const double ui = (fk[0] * pi + fk[1] * pr) + (gk[0] * qi + gk[1] * qr);
        // The partner: F_(M-k) Z_(M-k) + G_(M-k) conj Z_k, with qi the conjugate's.
        const double vr = (fq[0] * qr - fq[1] * -qi) + (gq[0] * pr - gq[1] * -pi);
        const double vi = (fq[0] * -qi + fq[1] * qr) + (gq[0] * -pi + gq[1] * pr);
        x[k] = ur;
        x[n - k] = -ui;
        x[q] = vr;
        x[m + k] = -vi;
    }
}

// Z_k = conj F_k P_k + G_(M-k) conj P_(M-k) and Z_(M-k) = conj F_(M-k) P_(M-k) + G_k conj P_k.
void inversePre(const double* y, double* z, long long m, const double* f, const double* g) {
    const long long n = 2 * m;
    const D conj = conjugator();
    long long k = 1;
    for (; 2 * (k + L - 1) < m; k += L) {
        const long long lo = m - k - L + 1, hi = m - k - C + 1;
        // P_(k+j) = (Y_(k+j), -Y_(N-k-j)), Q_j = P_(M-k-j) = (Y_(M-k-j), -Y_(M+k+j)).
        const D yk = load(y + k), yn = reverseReal(load(y + n - k - L + 1));
        const D ym = reverseReal(load(y + lo)), yp = load(y + m + k);
        const D pa = permute2<double>(yk, yn, [](int i) { return (i & 1) ? L + i / 2 : i / 2; }) * conj;
        const D pb = permute2<double>(yk, yn, [](int i) { return (i & 1) ? L + C + i / 2 : C + i / 2; }) * conj;
        const D qa = permute2<double>(ym, yp, [](int i) { return (i & 1) ? L + i / 2 : i / 2; }) * conj;
        const D qb = permute2<double>(ym, yp, [](int i) { return (i & 1) ? L + C + i / 2 : C + i / 2; }) * conj;
        const D fa = load(f + 2 * k) * conj, fb = load(f + 2 * (k + C)) * conj;
        const D ga = load(g + 2 * k), gb = load(g + 2 * (k + C));
        const D fqa = reverseComplex(load(f + 2 * hi)) * conj, fqb = reverseComplex(load(f + 2 * lo)) * conj;
        const D gqa = reverseComplex(load(g + 2 * hi)), gqb = reverseComplex(load(g + 2 * lo));
        store(z + 2 * k, cmul(fa, pa) + cmul(gqa, qa * conj));
        store(z + 2 * (k + C), cmul(fb, pb) + cmul(gqb, qb * conj));
        store(z + 2 * hi, reverseComplex(cmul(fqa, qa) + cmul(ga, pa * conj)));
        store(z + 2 * lo, reverseComplex(cmul(fqb, qb) + cmul(gb, pb * conj)));
    }
    for (; 2 * k < m; ++k) {
        const long long q = m - k;
        const double pr = y[k], pi = -y[n - k], qr = y[q], qi = -y[m + k];
        const double* fk = f + 2 * k;
        const double* gk = g + 2 * k;
        const double* fq = f + 2 * q;
        const double* gq = g + 2 * q;
        // conj F (a, -b) times (c, d): (a c + b d, a d - b c), rounded as the
        // registers round (a·c − (−b)·d).
        const double fkr = fk[0], fki = -fk[1], fqr = fq[0], fqi = -fq[1];
        z[2 * k] = (fkr * pr - fki * pi) + (gq[0] * qr - gq[1] * -qi);
        z[2 * k + 1] = (fkr * pi + fki * pr) + (gq[0] * -qi + gq[1] * qr);
        z[2 * q] = (fqr * qr - fqi * qi) + (gk[0] * pr - gk[1] * -pi);
        z[2 * q + 1] = (fqr * qi + fqi * qr) + (gk[0] * -pi + gk[1] * pr);
    }
}

// R registers of k at a time: 2R independent sums hide the adds' latency.
template <int R>
inline __attribute__((always_inline)) void sumBlock(const double* a, const double* b, double* re, double* im,
                                                    long long h, long long width, const double* c, const double* s) {
    D u[R], v[R];
    const D a0 = splat(a[0]), b0 = splat(b[0]);
    for (int r = 0; r < R; ++r) {
        u[r] = a0 * load(c + r * L);
        v[r] = b0 * load(s + r * L);
    }
    for (long long j = 1; j < h; ++j) {
        const D aj = splat(a[j]), bj = splat(b[j]);
        const double* cj = c + j * width;
        const double* sj = s + j * width;
        for (int r = 0; r < R; ++r) {
            u[r] = u[r] + aj * load(cj + r * L);
            v[r] = v[r] + bj * load(sj + r * L);
        }
    }
    for (int r = 0; r < R; ++r) {
        store(re + r * L, u[r]);
        store(im + r * L, v[r]);
    }
}

void symmetricSums(const double* a, const double* b, double* re, double* im, long long h, long long width,
                   const double* cosines, const double* sines) {
    constexpr int R = 4;
    long long k = 0;
    for (; k + R * L <= width; k += R * L)
        sumBlock<R>(a, b, re + k, im + k, h, width, cosines + k, sines + k);
    for (; k < width; k += L) sumBlock<1>(a, b, re + k, im + k, h, width, cosines + k, sines + k);
}

}  // namespace
VOK_SIMD_END

namespace vok::kernels {
const DctOps VOK_KERNEL_TABLE(dct) = {simd::VOK_ISA::forwardPost, simd::VOK_ISA::inversePre,
                                          simd::VOK_ISA::symmetricSums};
}
