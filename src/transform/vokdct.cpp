// Orthonormal DCT-II (forward) and DCT-III (inverse) of any length.
//
// Power-of-two lengths run a recursive fast algorithm on halves with secant
// tables; other lengths a folded direct sum over a cosine table. All sums are
// in double precision whatever the data type.
//
// The tables are kept per thread: each thread that transforms owns its cosine
// table and secant tables, so no thread ever frees or rebuilds a table that
// another thread is reading, and no lock is needed. A call with flags 8
// releases the calling thread's tables; thread exit releases them too, with
// the thread's context that holds them (not a thread_local with a destructor:
// MinGW's emulated TLS can free such storage before the destructor runs).
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>
#include <limits>
#include <numbers>

#include "core/check.h"
#include "frame/context.h"
#include "vok/dft.h"
#include "vok/frame.h"
#include "vok/transform.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "vokdct";

constexpr int kForward = VOK_Forw;
constexpr int kInverse = VOK_Inv;
constexpr int kRelease = VOK_Free;
constexpr int kMaxSecantLevels = 28;

constexpr double kSqrtHalf = 0.7071067811865476;

struct DctTables {
    // Direct path: cos(m·π/(2N)) for m < 4N, for the last direct length N.
    double* cosines = nullptr;
    int cosineCount = 0;
    double directC0 = 0, directC = 0;
    // Fast path: level i holds 0.5 / cos((2j+1)·π/(4·8·2^i)), j < 8·2^i.
    double* secants[kMaxSecantLevels] = {};
    int secantLevels = 0;
    double fastC0 = 0, fastC = 0;

    void releaseCosines() {
        vokFree(cosines);
        cosines = nullptr;
        cosineCount = 0;
    }
    void releaseSecants() {
        for (int i = 0; i < secantLevels; ++i) vokFree(secants[i]);
        std::memset(secants, 0, sizeof secants);
        secantLevels = 0;
    }
    void release() {
        releaseCosines();
        releaseSecants();
    }

    bool ensureCosines(int n) {
        if (cosines && cosineCount == 4 * n) return true;
        releaseCosines();
        double* table = vokdMalloc(4 * n);
        if (!table) return false;
        for (int m = 0; m < 4 * n; ++m) table[m] = std::cos(m * std::numbers::pi / (2.0 * n));
        cosines = table;
        cosineCount = 4 * n;
        directC0 = 1.0 / std::sqrt(double(n));
        directC = std::sqrt(2.0) / std::sqrt(double(n));
        return true;
    }

    bool ensureSecants(int n, int log2n) {
        const int levels = log2n - 3;
        if (secantLevels == levels) return true;
        releaseSecants();
        for (int i = 0; i < levels; ++i) {
            const int size = 8 << i;
            double* level = vokdMalloc(size);
            if (!level) {
                releaseSecants();
                return false;
            }
            for (int j = 0; j < size; ++j) level[j] = 0.5 / std::cos((2 * j + 1) * std::numbers::pi / (4.0 * size));
            secants[i] = level;
            secantLevels = i + 1;
        }
        fastC0 = 1.0 / std::sqrt(double(n));
        fastC = std::sqrt(2.0) / std::sqrt(double(n));
        return true;
    }
};

static_assert(sizeof(DctTables) <= sizeof vok::TransformCaches::dct && std::is_trivially_destructible_v<DctTables>);

// The calling thread's tables: zero-filled context bytes are empty tables.
DctTables& tables() {
    return *std::launder(reinterpret_cast<DctTables*>(vok::threadContext().tables.dct));
}

// cos(k·π/16) for k = 1 … 7, the constants of the 8-point kernels.
constexpr double kC1 = 0.9807852804032304, kC2 = 0.9238795325112867, kC3 = 0.8314696123025452,
                 kC4 = 0.7071067811865476, kC5 = 0.5555702330196022, kC6 = 0.3826834323650898,
                 kC7 = 0.1950903220161283;

// Unnormalised 8-point DCT-II: y[k] = Σ x[n]·cos(π(2n+1)k/16), in place.
void forward8(double* x) {
    const double s0 = x[0] + x[7], s1 = x[1] + x[6], s2 = x[2] + x[5], s3 = x[3] + x[4];
    const double d0 = x[0] - x[7], d1 = x[1] - x[6], d2 = x[2] - x[5], d3 = x[3] - x[4];
    const double p0 = s0 + s3, p1 = s1 + s2, m0 = s0 - s3, m1 = s1 - s2;
    x[0] = p0 + p1;
    x[4] = (p0 - p1) * kC4;
    x[2] = m0 * kC2 + m1 * kC6;
    x[6] = m0 * kC6 - m1 * kC2;
    x[1] = d0 * kC1 + d1 * kC3 + d2 * kC5 + d3 * kC7;
    x[3] = d0 * kC3 - d1 * kC7 - d2 * kC1 - d3 * kC5;
    x[5] = d0 * kC5 - d1 * kC1 + d2 * kC7 + d3 * kC3;
    x[7] = d0 * kC7 - d1 * kC5 + d2 * kC3 - d3 * kC1;
}

// Unnormalised 8-point DCT-III, the transpose of forward8, in place.
void inverse8(double* y) {
    const double e0 = y[0] + y[4] * kC4, e1 = y[0] - y[4] * kC4;
    const double f0 = y[2] * kC2 + y[6] * kC6, f1 = y[2] * kC6 - y[6] * kC2;
    const double a0 = e0 + f0, a3 = e0 - f0, a1 = e1 + f1, a2 = e1 - f1;
    const double o0 = y[1] * kC1 + y[3] * kC3 + y[5] * kC5 + y[7] * kC7;
    const double o1 = y[1] * kC3 - y[3] * kC7 - y[5] * kC1 - y[7] * kC5;
    const double o2 = y[1] * kC5 - y[3] * kC1 + y[5] * kC7 + y[7] * kC3;
    const double o3 = y[1] * kC7 - y[3] * kC5 + y[5] * kC3 - y[7] * kC1;
    y[0] = a0 + o0;
    y[7] = a0 - o0;
    y[1] = a1 + o1;
    y[6] = a1 - o1;
    y[2] = a2 + o2;
    y[5] = a2 - o2;
    y[3] = a3 + o3;
    y[4] = a3 - o3;
}

// Unnormalised forward transform of x (length n ≥ 8, a power of two), in
// place; scratch holds n values.
void forwardFast(double* x, int n, int level, double* scratch) {
    if (n == 8) return forward8(x);
    const int half = n / 2;
    const double* secant = tables().secants[level];
    double* even = scratch;
    double* odd = scratch + half;
    for (int i = 0; i < half; ++i) {
        even[i] = x[i] + x[n - 1 - i];
        odd[i] = (x[i] - x[n - 1 - i]) * secant[i];
    }
    forwardFast(even, half, level - 1, x);
    forwardFast(odd, half, level - 1, x);
    for (int k = 0; k < half; ++k) {
        x[2 * k] = even[k];
        x[2 * k + 1] = odd[k] + (k + 1 < half ? odd[k + 1] : 0.0);
    }
}

// Unnormalised inverse (DCT-III with weight 1 on the first term), in place.
void inverseFast(double* y, int n, int level, double* scratch) {
    if (n == 8) return inverse8(y);
    const int half = n / 2;
    const double* secant = tables().secants[level];
    double* even = scratch;
    double* odd = scratch + half;
    for (int k = 0; k < half; ++k) {
        even[k] = y[2 * k];
        odd[k] = y[2 * k + 1] * secant[k];
    }
    inverseFast(even, half, level - 1, y);
    // The odd-part matrix cos(π(2n+1)(2k+1)/(2N)) is symmetric: the forward
    // odd routine serves here too.
    forwardFast(odd, half, level - 1, y);
    for (int k = 0; k + 1 < half; ++k) odd[k] += odd[k + 1];
    for (int i = 0; i < half; ++i) {
        y[i] = even[i] + odd[i];
        y[n - 1 - i] = even[i] - odd[i];
    }
}

// Lengths 2 and 4: the normalisation is part of the kernel; both matrices are
// orthogonal, so the inverse is the transpose.
void small2(double* x) {
    const double a = x[0], b = x[1];
    x[0] = (a + b) * kSqrtHalf;
    x[1] = (a - b) * kSqrtHalf;
}

constexpr double kQ1 = 0.6532814824381883;  // √½·cos(π/8)
constexpr double kQ3 = 0.2705980500730985;  // √½·sin(π/8)

void forward4(double* x) {
    const double p0 = x[0] + x[3], p1 = x[1] + x[2], m0 = x[0] - x[3], m1 = x[1] - x[2];
    x[0] = (p0 + p1) * 0.5;
    x[2] = (p0 - p1) * 0.5;
    x[1] = m0 * kQ1 + m1 * kQ3;
    x[3] = m0 * kQ3 - m1 * kQ1;
}

void inverse4(double* y) {
    const double e0 = (y[0] + y[2]) * 0.5, e1 = (y[0] - y[2]) * 0.5;
    const double o0 = y[1] * kQ1 + y[3] * kQ3, o1 = y[1] * kQ3 - y[3] * kQ1;
    y[0] = e0 + o0;
    y[3] = e0 - o0;
    y[1] = e1 + o1;
    y[2] = e1 - o1;
}

// Folded direct forward sum over the cosine table; x is read, out written.
void forwardDirect(const double* x, double* out, int n) {
    const double* cosines = tables().cosines;
    const int period = 4 * n;
    const int pairs = n / 2;
    const bool odd = n % 2 != 0;
    const double middle = odd ? x[pairs] : 0.0;
    double total = 0;
    for (int i = 0; i < n; ++i) total += x[i];
    out[0] = total * tables().directC0;
    for (int k = 1; k < n; ++k) {
        const int sign = (k & 1) ? -1 : 1;
        double sum = 0;
        int m = k;
        const int step = (2 * k) % period;
        for (int i = 0; i < pairs; ++i) {
            sum += (x[i] + sign * x[n - 1 - i]) * cosines[m];
            m += step;
            if (m >= period) m -= period;
        }
        if (odd && sign > 0) sum += (k / 2) % 2 ? -middle : middle;
        out[k] = sum * tables().directC;
    }
}

// Direct inverse: out[i] = X[0]·c0 + Σ X[k]·c·cos(π(2i+1)k/(2N)).
void inverseDirect(const double* y, double* out, int n) {
    const double* cosines = tables().cosines;
    const int period = 4 * n;
    for (int i = 0; i < n; ++i) {
        const int step = (2 * i + 1) % period;
        double sum = 0;
        int m = step;
        for (int k = 1; k < n; ++k) {
            sum += y[k] * cosines[m];
            m += step;
            if (m >= period) m -= period;
        }
        out[i] = y[0] * tables().directC0 + sum * tables().directC;
    }
}

int log2IfPowerOfTwo(int n) {
    if (n <= 0 || (n & (n - 1)) != 0) return -1;
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    return bits;
}

// The transform of work[0 … n) in place; work has room for 2n values.
// Returns false when a table could not be built.
bool transform(double* work, int n, bool forward) {
    const int log2n = log2IfPowerOfTwo(n);
    if (n == 2) {
        small2(work);
        return true;
    }
    if (n == 4) {
        forward ? forward4(work) : inverse4(work);
        return true;
    }
    if (log2n >= 3) {
        if (!tables().ensureSecants(n, log2n)) return false;
        const double c0 = n == 8 ? 1.0 / std::sqrt(8.0) : tables().fastC0;
        const double c = n == 8 ? 0.5 : tables().fastC;
        if (forward) {
            forwardFast(work, n, log2n - 4, work + n);
            work[0] *= c0;
            for (int i = 1; i < n; ++i) work[i] *= c;
        } else {
            work[0] *= c0;
            for (int i = 1; i < n; ++i) work[i] *= c;
            inverseFast(work, n, log2n - 4, work + n);
        }
        return true;
    }
    if (!tables().ensureCosines(n)) return false;
    forward ? forwardDirect(work, work + n, n) : inverseDirect(work, work + n, n);
    std::memcpy(work, work + n, sizeof(double) * unsigned(n));
    return true;
}

bool checkArguments(ArgChecks check, const void* src, const void* dst, int length, int flags) {
    const int direction = flags & (kForward | kInverse);
    return !(check(!src || !dst, "\nNull pointer to data buffer\n") ||
             check(length < 1, "\nBad value of data buffer size\n") ||
             check(direction != kForward && direction != kInverse, "\nBad value of the transform flag\n"));
}

// Runs the transform of src into dst through a double work copy of 2N values.
template <class T>
void dct(ArgChecks check, const T* src, T* dst, int length, int flags, T (*store)(double)) {
    double* work = vokdMalloc(2 * length);
    if (!work) {
        check.report(VOK_StatusNoMemory, "\nMemory allocation problem\n", __LINE__);
        return;
    }
    for (int i = 0; i < length; ++i) work[i] = double(src[i]);
    if (transform(work, length, (flags & kForward) != 0)) {
        for (int i = 0; i < length; ++i) dst[i] = store(work[i]);
    } else {
        check.report(VOK_StatusNoMemory, "\nMemory allocation problem\n", __LINE__);
    }
    vokFree(work);
}

float toFloat(double v) { return float(v); }
double toDouble(double v) { return v; }

// Nearest 16-bit value, ties to even, saturated; exact whatever the caller's
// rounding mode, since no rounding of the floating-point unit is involved.
short toShort(double v) {
    if (!(v > -32768.5)) return v != v ? 0 : -32768;
    if (v >= 32767.5) return 32767;
    double whole = std::trunc(v);
    const double rest = v - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    else if (rest < -0.5 || (rest == -0.5 && std::fmod(whole, 2.0) != 0)) whole -= 1;
    return short(whole);
}

}  // namespace

VOK_API void VOK_CALL voksDct(const float* src, float* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return tables().release();
    if (checkArguments(check, src, dst, length, flags)) dct(check, src, dst, length, flags, toFloat);
}

VOK_API void VOK_CALL vokdDct(const double* src, double* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return tables().release();
    if (checkArguments(check, src, dst, length, flags)) dct(check, src, dst, length, flags, toDouble);
}

VOK_API void VOK_CALL vokwDct(const short* src, short* dst, int length, int flags) {
    ArgChecks check{__func__, kModule, __LINE__};
    if (flags == kRelease) return tables().release();
    // The 16-bit input is exact in float; the float transform's result is
    // rounded to the nearest 16-bit value and saturated.
    if (checkArguments(check, src, dst, length, flags))
        dct<short>(check, src, dst, length, flags, [](double v) { return toShort(double(float(v))); });
}

void vok::releaseDctTables(unsigned char* dct) { std::launder(reinterpret_cast<DctTables*>(dct))->release(); }
