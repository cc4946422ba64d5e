#include "transform/mixedfft.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <type_traits>

#include "frame/context.h"
#include "kernels/dct.h"
#include "kernels/mixfft.h"
#include "vok/frame.h"

namespace vok {
namespace {

// Single-precision data are transformed in single precision: the passes add
// about log2(N)/2 roundings of the output scale, well inside what the
// double-precision direct sum it replaces was allowed.
using SingleWork = float;

constexpr int kMaxPasses = 32;

// One pass of a plan: its shape, its compiled body and its tables (offsets in
// reals from the start of the data, per direction: forward, inverse).
template <class T>
struct PassPlan {
    typename kernels::MixFftOps<T>::Pass run;
    int radix;
    long long m, s;
    long long twiddlesAt[2], rootsAt[2];
};

template <class T>
struct Plan {
    int length;
    int passes;
    simd::Isa isa;  // the width the passes were chosen for
    long long workAt;  // two work areas of N points
    long long sumsAt;  // the cosines and sines of a prime length that runs as sums, or -1
    PassPlan<T> pass[kMaxPasses];
};
// The data follow the head at a cache-line offset.
template <class T>
constexpr std::size_t kHeadBytes = (sizeof(Plan<T>) + 63) / 64 * 64;

template <class T>
T* planData(Plan<T>* plan) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(plan) + kHeadBytes<T>);
}

// The radices of n, few passes first (each pass reads and writes the whole
// array): 16s, then 25s, 9s and 15s, a last 2 or 4 joined with a 3 or a 5;
// 0 passes for n = 1; -1 when a prime factor is larger than the passes take.
// Short lengths of two passes run faster with the power of two first (and a
// 16 as 4 times 4 beside a lone 3 or 5, an 8 as 4 times 2, 20 as 4 and 5):
// measured at 20, 24, 40 and 60 ... 160, and at 28 and 56 (7 last); 30 and
// 50 run as 5 then 6 or 10.
int factor(int n, int* radix) {
    int passes = 0;
    if (n <= 256) {
        const int two = n & -n, odd = n / two;
        if (two >= 16 && (odd == 3 || odd == 5)) {
            radix[0] = two / 4;
            radix[1] = 4 * odd;
            return 2;
        }
        if ((two == 8 && (odd == 3 || odd == 5)) || (two == 4 && odd == 5)) {
            radix[0] = 4;
            radix[1] = two / 4 * odd;
            return 2;
        }
        if (two == 2 && (odd == 15 || odd == 25)) {
            radix[0] = 5;
            radix[1] = 2 * odd / 5;
            return 2;
        }
        if ((two == 4 || two == 8) && odd == 7) {
            radix[0] = two;
            radix[1] = 7;
            return 2;
        }
        if (two >= 4 && two <= 16 && (odd == 9 || odd == 15 || odd == 25)) {
            radix[0] = two;
            radix[1] = odd;
            return 2;
        }
    }
    while (n % 16 == 0) radix[passes++] = 16, n /= 16;
    int two = n % 8 == 0 ? 8 : n % 4 == 0 ? 4 : n % 2 == 0 ? 2 : 1;
    n /= two;
    for (int r : {25, 9, 15})
        while (n % r == 0) radix[passes++] = r, n /= r;
    for (int p = 3; p < kernels::kMaxRadix && n > 1; p += 2)
        while (n % p == 0) {
            const bool join = (p == 3 || p == 5) && (two == 2 || two == 4);
            radix[passes++] = join ? p * two : p;
            two = join ? 1 : two;
            n /= p;
        }
    if (two > 1) radix[passes++] = two;
    return n == 1 ? passes : -1;
}

// A prime length of one generic pass runs as the sums of its symmetric pairs instead:
// with t_j = x_j + x_(N-j) and u_j = x_j - x_(N-j), j = 1 ... h = (N-1)/2,
//   X_k, X_(N-k) = x_0 + Σ cos(2πjk/N)·t_j ∓ i Σ sin(2πjk/N)·u_j
// (the signs swapped for the inverse): four products of an h×h real matrix,
// vectorised over k (the DCT's kernel), where the pass held one point per
// register for its h² complex products. Sums in double whatever the data.
bool runsAsSums(int n) {
    if (n < 17 || n >= kernels::kMaxRadix || n % 2 == 0) return false;
    for (int p = 3; p * p <= n; p += 2)
        if (n % p == 0) return false;
    return true;
}

template <class T>
constexpr int precisionOf() {
    return std::is_same_v<T, double> ? kDouble : kSingle;
}

// Each pass's compiled body at the active width: the widest register its
// points fill at least once (see mixfftOps).
template <class T>
void choosePasses(Plan<T>* plan) {
    plan->isa = simd::active();
    for (int i = 0; i < plan->passes; ++i) {
        PassPlan<T>& pass = plan->pass[i];
        // The first pass stores whole registers transposed only when they hold
        // no more points than the radix has outputs.
        const long long points = pass.s == 1 && pass.m > 1 ? (pass.m < pass.radix ? pass.m : pass.radix) : pass.s;
        pass.run = kernels::mixfftOps<T>(points).choose(pass.radix, pass.m, pass.s);
    }
}

template <class T>
Plan<T>* buildPlan(int n) {
    Plan<T> head{};
    head.length = n;
    int radix[kMaxPasses];
    head.passes = factor(n, radix);
    if (head.passes < 0) return nullptr;
    // Every table starts on a cache line: a table across lines puts every
    // register it loads across two.
    constexpr long long kLine = 64 / sizeof(T);
    const auto area = [](long long& reals, long long size) {
        const long long at = reals;
        reals += (size + kLine - 1) / kLine * kLine;
        return at;
    };
    long long reals = 0;
    long long span = n;  // the sub-transform length of each pass
    for (int i = 0; i < head.passes; ++i) {
        PassPlan<T>& pass = head.pass[i];
        const int r = radix[i];
        pass.radix = r;
        pass.m = span / r;
        pass.s = n / span;
        const long long twiddles = pass.m > 1 ? (i == 0 && kernels::firstTwiddlesSpread(r, pass.m) ? 4 : 2) *
                                                    pass.m * (r - 1)
                                              : 0;
        for (int d = 0; d < 2; ++d) {
            pass.twiddlesAt[d] = area(reals, twiddles);
            pass.rootsAt[d] = area(reals, 2LL * r);
        }
        span /= r;
    }
    head.workAt = area(reals, 2LL * n);
    area(reals, 2LL * n);
    const long long h = (n - 1) / 2, width = kernels::symmetricSumsWidth(n);
    head.sumsAt = runsAsSums(n) ? area(reals, 2 * h * width * (long long)(sizeof(double) / sizeof(T))) : -1;
    const long long bytes = (long long)kHeadBytes<T> + reals * (long long)sizeof(T);
    if (bytes > 0x7fffffffLL) return nullptr;
    auto* plan = static_cast<Plan<T>*>(vokMalloc(int(bytes)));
    if (!plan) return nullptr;
    *plan = head;
    T* data = planData<T>(plan);
    constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;
    for (int i = 0; i < head.passes; ++i) {
        const PassPlan<T>& pass = head.pass[i];
        const int r = pass.radix;
        const long long m = pass.m, span = m * r;
        const bool spread = i == 0 && kernels::firstTwiddlesSpread(r, m);
        for (int d = 0; d < 2; ++d) {
            // The direction's sines: negative forward, positive inverse.
            const long double sign = d == 0 ? -1 : 1;
            if (m > 1) {
                T* w = data + pass.twiddlesAt[d];
                for (long long p = 0; p < m; ++p)
                    for (int k = 1; k < r; ++k) {
                        const long double a = kTwoPi * (long double)((p * k) % span) / (long double)span;
                        const T re = T(std::cos(a)), im = T(sign * std::sin(a));
                        if (spread) {
                            T* at = w + 4 * (k - 1) * m + 2 * p;
                            at[0] = at[1] = re;
                            at[2 * m] = -im;
                            at[2 * m + 1] = im;
                        } else {
                            const long long at = i == 0 ? (k - 1) * m + p : p * (r - 1) + k - 1;
                            w[2 * at] = re;
                            w[2 * at + 1] = im;
                        }
                    }
            }
            T* roots = data + pass.rootsAt[d];
            for (int k = 0; k < r; ++k) {
                const long double a = kTwoPi * k / r;
                roots[2 * k] = T(std::cos(a));
                roots[2 * k + 1] = T(sign * std::sin(a));
            }
        }
    }
    if (head.sumsAt >= 0) kernels::symmetricSumsTables(reinterpret_cast<double*>(data + head.sumsAt), n);
    choosePasses(plan);
    return plan;
}

// The DFT of a prime length by its sums (see runsAsSums), src into dst, times
// scale. Everything is read before dst is written, so src may be dst.
template <class C>
void symmetricDft(const double* cosines, const C* src, C* dst, int n, bool forward, double scale) {
    using Elem = decltype(C::re);
    constexpr int kMaxHalf = kernels::kMaxRadix / 2;
    const int h = (n - 1) / 2;
    const long long width = kernels::symmetricSumsWidth(n);
    alignas(64) double tRe[kMaxHalf], tIm[kMaxHalf], uRe[kMaxHalf], uIm[kMaxHalf];
    alignas(64) double cRe[kMaxHalf], cIm[kMaxHalf], sRe[kMaxHalf], sIm[kMaxHalf];
    const double x0Re = double(src[0].re), x0Im = double(src[0].im);
    double sumRe = x0Re, sumIm = x0Im;
    for (int j = 1; j <= h; ++j) {
        const double aRe = double(src[j].re), aIm = double(src[j].im);
        const double bRe = double(src[n - j].re), bIm = double(src[n - j].im);
        tRe[j - 1] = aRe + bRe;
        tIm[j - 1] = aIm + bIm;
        uRe[j - 1] = aRe - bRe;
        uIm[j - 1] = aIm - bIm;
        sumRe += tRe[j - 1];
        sumIm += tIm[j - 1];
    }
    const auto& sums = kernels::dct().symmetricSums;
    const double* sines = cosines + h * width;
    sums(tRe, uRe, cRe, sRe, h, width, cosines, sines);
    sums(tIm, uIm, cIm, sIm, h, width, cosines, sines);
    const double sign = forward ? 1.0 : -1.0;
    dst[0] = {Elem(sumRe * scale), Elem(sumIm * scale)};
    for (int k = 1; k <= h; ++k) {
        const double re = x0Re + cRe[k - 1], im = x0Im + cIm[k - 1];
        const double turnRe = sign * sIm[k - 1], turnIm = sign * sRe[k - 1];
        dst[k] = {Elem((re + turnRe) * scale), Elem((im - turnIm) * scale)};
        dst[n - k] = {Elem((re - turnRe) * scale), Elem((im + turnIm) * scale)};
    }
}

template <class T>
Plan<T>* planFor(int n) {
    DftPlanCache& cache = threadContext().tables.dftPlans[precisionOf<T>()];
    for (void* found : cache.plans)
        if (found && static_cast<Plan<T>*>(found)->length == n) {
            auto* plan = static_cast<Plan<T>*>(found);
            if (plan->isa != simd::active()) choosePasses(plan);
            return plan;
        }
    Plan<T>* plan = buildPlan<T>(n);
    if (!plan) return nullptr;
    void*& slot = cache.plans[cache.next];
    vokFree(slot);
    slot = plan;
    cache.next = (cache.next + 1) % kDftPlans;
    return plan;
}

// Runs the passes from `from` to `last`, alternating with `other` so that the
// final pass writes `last`; `from` must differ from both.
template <class T>
void runPasses(Plan<T>* plan, const T* from, T* last, T* other, bool forward) {
    const T* data = planData<T>(plan);
    const int d = forward ? 0 : 1;
    for (int i = 0; i < plan->passes; ++i) {
        const PassPlan<T>& pass = plan->pass[i];
        T* to = ((plan->passes - 1 - i) & 1) ? other : last;
        pass.run(from, to, pass.radix, pass.m, pass.s, data + pass.twiddlesAt[d], data + pass.rootsAt[d], !forward);
        from = to;
    }
}

template <class T, class C>
bool transform(const C* src, C* dst, int n, bool forward, double scale) {
    Plan<T>* plan = planFor<T>(n);
    if (!plan) return false;
    if (plan->sumsAt >= 0) {
        symmetricDft(reinterpret_cast<const double*>(planData<T>(plan) + plan->sumsAt), src, dst, n, forward, scale);
        return true;
    }
    T* work = planData<T>(plan) + plan->workAt;
    T* spare = work + 2LL * n;
    using Elem = decltype(C::re);
    if constexpr (std::is_same_v<Elem, T>) {
        const T* in = reinterpret_cast<const T*>(src);
        T* out = reinterpret_cast<T*>(dst);
        if (plan->passes == 0 || src == dst) {
            std::memmove(spare, in, sizeof(C) * std::size_t(n));
            in = spare;
        }
        if (plan->passes == 0) std::memcpy(out, in, sizeof(C) * std::size_t(n));
        runPasses<T>(plan, in, out, work, forward);
        if (scale != 1.0)
            for (long long i = 0; i < 2LL * n; ++i) out[i] = T(out[i] * scale);
    } else {
        // The passes end in work; the input waits in spare, which the first pass reads.
        T* last = (plan->passes & 1) ? work : spare;
        T* other = (plan->passes & 1) ? spare : work;
        for (int i = 0; i < n; ++i) spare[2 * i] = T(src[i].re), spare[2 * i + 1] = T(src[i].im);
        runPasses<T>(plan, spare, last, other, forward);
        for (int i = 0; i < n; ++i) dst[i] = {Elem(last[2 * i] * scale), Elem(last[2 * i + 1] * scale)};
    }
    return true;
}

}  // namespace

bool mixedRadixDft(const FloatComplex* src, FloatComplex* dst, int n, bool forward, double scale) {
    return transform<SingleWork>(src, dst, n, forward, scale);
}
bool mixedRadixDft(const DoubleComplex* src, DoubleComplex* dst, int n, bool forward, double scale) {
    return transform<double>(src, dst, n, forward, scale);
}

void releaseMixedRadixPlans(int precision) {
    DftPlanCache& cache = threadContext().tables.dftPlans[precision];
    for (void*& plan : cache.plans) {
        vokFree(plan);
        plan = nullptr;
    }
    cache.next = 0;
}

}  // namespace vok
