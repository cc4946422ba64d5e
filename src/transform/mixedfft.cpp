#include "transform/mixedfft.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <type_traits>

#include "frame/context.h"
#include "kernels/mixfft.h"
#include "vok/frame.h"

namespace vok {
namespace {

// Single-precision data are transformed in single precision: the passes add
// about log2(N)/2 roundings of the output scale, well inside what the
// double-precision direct sum it replaces was allowed.
using SingleWork = float;

constexpr int kMaxPasses = 32;

struct PlanHead {
    int length;
    int passes;
    int radix[kMaxPasses];
    long long twiddlesAt[kMaxPasses];  // reals from the start of the data
    long long rootsAt[kMaxPasses];
    long long workAt;                  // two work areas of N points
};
// The data follow the head at a register-friendly offset.
constexpr std::size_t kHeadBytes = (sizeof(PlanHead) + 63) / 64 * 64;

template <class T>
T* planData(PlanHead* head) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(head) + kHeadBytes);
}

// The radices of n, few passes first (each pass reads and writes the whole
// array): 16s, then 25s, 9s and 15s, a last 2 or 4 joined with a 3 or a 5;
// 0 passes for n = 1; -1 when a prime factor is larger than the passes take.
// Short lengths of two passes run faster with the power of two first (and a
// 16 as 4 times 4 beside a lone 3 or 5): measured at 60 ... 160.
int factor(int n, int* radix) {
    int passes = 0;
    if (n <= 256) {
        const int two = n & -n, odd = n / two;
        if (two >= 16 && (odd == 3 || odd == 5)) {
            radix[0] = two / 4;
            radix[1] = 4 * odd;
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

template <class T>
constexpr int precisionOf() {
    return std::is_same_v<T, double> ? kDouble : kSingle;
}

template <class T>
PlanHead* buildPlan(int n) {
    PlanHead head{};
    head.length = n;
    head.passes = factor(n, head.radix);
    if (head.passes < 0) return nullptr;
    long long reals = 0;
    long long span = n;  // the sub-transform length n_i of each pass
    for (int i = 0; i < head.passes; ++i) {
        const int r = head.radix[i];
        head.twiddlesAt[i] = reals;
        reals += span > r ? 2LL * (span / r) * (r - 1) : 0;
        head.rootsAt[i] = reals;
        reals += 2LL * r;
        span /= r;
    }
    head.workAt = reals;
    reals += 4LL * n;
    const long long bytes = (long long)kHeadBytes + reals * (long long)sizeof(T);
    if (bytes > 0x7fffffffLL) return nullptr;
    auto* plan = static_cast<PlanHead*>(vokMalloc(int(bytes)));
    if (!plan) return nullptr;
    *plan = head;
    T* data = planData<T>(plan);
    constexpr long double kTwoPi = 2 * std::numbers::pi_v<long double>;
    span = n;
    for (int i = 0; i < head.passes; ++i) {
        const int r = head.radix[i];
        const long long m = span / r;
        if (m > 1) {
            T* w = data + head.twiddlesAt[i];
            for (long long p = 0; p < m; ++p)
                for (int k = 1; k < r; ++k) {
                    const long double a = kTwoPi * (long double)((p * k) % span) / (long double)span;
                    const long long at = i == 0 ? (k - 1) * m + p : p * (r - 1) + k - 1;
                    w[2 * at] = T(std::cos(a));
                    w[2 * at + 1] = T(-std::sin(a));
                }
        }
        {
            T* roots = data + head.rootsAt[i];
            for (int k = 0; k < r; ++k) {
                const long double a = kTwoPi * k / r;
                roots[2 * k] = T(std::cos(a));
                roots[2 * k + 1] = T(std::sin(a));
            }
        }
        span = m;
    }
    return plan;
}

template <class T>
PlanHead* planFor(int n) {
    DftPlanCache& cache = threadContext().tables.dftPlans[precisionOf<T>()];
    for (void* plan : cache.plans)
        if (plan && static_cast<PlanHead*>(plan)->length == n) return static_cast<PlanHead*>(plan);
    PlanHead* plan = buildPlan<T>(n);
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
void runPasses(const PlanHead* plan, const T* from, T* last, T* other, bool forward) {
    const T* data = planData<T>(const_cast<PlanHead*>(plan));
    long long s = 1, span = plan->length;
    for (int i = 0; i < plan->passes; ++i) {
        const int r = plan->radix[i];
        const long long m = span / r;
        T* to = ((plan->passes - 1 - i) & 1) ? other : last;
        // The first pass stores whole registers transposed only when they hold
        // no more points than the radix has outputs.
        const long long points = s == 1 && m > 1 ? (m < r ? m : r) : s;
        const kernels::MixFftOps<T>& ops = kernels::mixfftOps<T>(points);
        ops.pass(from, to, r, m, s, data + plan->twiddlesAt[i], data + plan->rootsAt[i], !forward);
        from = to;
        s *= r;
        span /= r;
    }
}

template <class T, class C>
bool transform(const C* src, C* dst, int n, bool forward, double scale) {
    PlanHead* plan = planFor<T>(n);
    if (!plan) return false;
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
