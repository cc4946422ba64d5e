// Uniform and Gaussian random samples for float, double and complex elements,
// and Gaussian 16-bit samples, all from the shared integer core.
#include <cstddef>
#include <cstring>

#include "core/check.h"
#include "signal/random.h"
#include "vok/signal.h"

namespace {

using vok::ArgChecks;
using vok::rnd::Core;
constexpr const char* kModule = "vokrand";
constexpr int kUniformWarmUp = 5;

static_assert(sizeof(VokSRandUniState) == 32 && offsetof(VokSRandUniState, lcg) == 8 &&
              offsetof(VokSRandUniState, seedState) == 28);
static_assert(sizeof(VokDRandUniState) == 40 && offsetof(VokDRandUniState, lcg) == 16 &&
              offsetof(VokDRandUniState, seedState) == 36);
static_assert(sizeof(VokSRandGausState) == 40 && offsetof(VokSRandGausState, pairFlag) == 12 &&
              offsetof(VokSRandGausState, lcg) == 16 && offsetof(VokSRandGausState, seedState) == 36);
static_assert(sizeof(VokDRandGausState) == 52 && offsetof(VokDRandGausState, pairFlag) == 24 &&
              offsetof(VokDRandGausState, lcg) == 28 && offsetof(VokDRandGausState, seedState) == 48);
static_assert(sizeof(VokWRandGausState) == 36 && offsetof(VokWRandGausState, lcg) == 4 &&
              offsetof(VokWRandGausState, s3) == 20 && offsetof(VokWRandGausState, mean) == 24 &&
              offsetof(VokWRandGausState, stdDev) == 26 && offsetof(VokWRandGausState, stored) == 28 &&
              offsetof(VokWRandGausState, seedState) == 32);

constexpr const char* kNullState = "Null pointer to state structure";

bool badBlock(const ArgChecks& check, const void* state, const void* buffer, int n) {
    return check(!state, kNullState) || check(!buffer, "Null pointer to data buffer") ||
           check(n <= 0, "Null length of buffer");
}

// ---- Uniform ----

template <class Rec, class T>
void uniInit(const ArgChecks& check, T seed, T low, T high, Rec* r) {
    if (check(!r, kNullState)) return;
    Core core{};
    core.seed(vok::rnd::seedFrom(seed));
    core.l = vok::rnd::kLcgStart;
    core.c = 0;
    for (int i = 0; i < kUniformWarmUp; ++i) core.next();
    const double lo = low, hi = high;
    r->offset = static_cast<T>(lo + 0.5 * (hi - lo));
    r->scale = static_cast<T>((hi - lo) * vok::rnd::kTwoToMinus32);
    core.store(r);
}

struct Uniform {
    template <class T, class Rec>
    static void run(Rec* r, T* out, std::ptrdiff_t n) {
        Core core = Core::load(r);
        const T offset = r->offset, scale = r->scale;
        for (std::ptrdiff_t i = 0; i < n; ++i) out[i] = vok::rnd::uniformValue(offset, scale, core.next());
        core.store(r);
    }
};

// ---- Gaussian ----

template <class Rec, class Seed, class P>
void gausInit(const ArgChecks& check, Seed seed, P mean, P stdDev, Rec* r) {
    if (check(!r, kNullState)) return;
    Core core{};
    core.seed(seed);
    core.l = vok::rnd::kLcgStart;
    core.c = 1;
    r->mean = mean;
    r->stdDev = stdDev;
    r->stored = 0;
    r->pairFlag = 0;
    core.store(r);
}

// How a Gaussian value enters the caller's type: float and double round, the
// 16-bit form rounds to float and truncates.
template <class T>
struct GausOut {
    static T from(double v) { return static_cast<T>(v); }
};
template <>
struct GausOut<short> {
    static short from(double v) { return vok::wrap16(vok::truncToInt64(static_cast<float>(v))); }
};

// One sample; Core is loaded and stored by the caller around a run.
template <class T, class Rec>
T gausNext(Rec* r, Core& core) {
    if (r->pairFlag == 1) {
        r->pairFlag = 0;
        return r->stored;
    }
    r->pairFlag = 1;
    const vok::rnd::GaussPair p = vok::rnd::gaussPair(core, r->mean, r->stdDev);
    r->stored = GausOut<T>::from(p.stored);
    return GausOut<T>::from(p.returned);
}

struct Gaussian {
    template <class T, class Rec>
    static void run(Rec* r, T* out, std::ptrdiff_t n) {
        Core core = Core::load(r);
        for (std::ptrdiff_t i = 0; i < n; ++i) out[i] = gausNext<T>(r, core);
        core.store(r);
    }
};

// ---- Single draws and blocks of both distributions ----

// Complex elements are pairs of consecutive draws, re first.
template <class E> struct Draws { using Lane = E; static constexpr int perElement = 1; };
template <> struct Draws<FloatComplex> { using Lane = float; static constexpr int perElement = 2; };
template <> struct Draws<DoubleComplex> { using Lane = double; static constexpr int perElement = 2; };
template <> struct Draws<ShortComplex> { using Lane = short; static constexpr int perElement = 2; };

template <class E>
typename Draws<E>::Lane* drawLanes(E* p) {
    return reinterpret_cast<typename Draws<E>::Lane*>(p);
}

template <class Dist, class E, class Rec>
E drawOne(const ArgChecks& check, Rec* r) {
    E out{};
    if (!check(!r, kNullState)) Dist::run(r, drawLanes(&out), Draws<E>::perElement);
    return out;
}

template <class Dist, class E, class Rec>
void drawBlock(const ArgChecks& check, Rec* r, E* buffer, int n) {
    if (!badBlock(check, r, buffer, n)) Dist::run(r, drawLanes(buffer), std::ptrdiff_t(n) * Draws<E>::perElement);
}

}  // namespace

using vok::rnd::seedFrom;

extern "C" {

VOK_API void VOK_CALL voksRandUniInit(float seed, float low, float high, VokSRandUniState* state) {
    uniInit(VOK_CHECKS, seed, low, high, state);
}
VOK_API void VOK_CALL vokcRandUniInit(float seed, float low, float high, VokSRandUniState* state) {
    uniInit(VOK_CHECKS, seed, low, high, state);
}
VOK_API void VOK_CALL vokdRandUniInit(double seed, double low, double high, VokDRandUniState* state) {
    uniInit(VOK_CHECKS, seed, low, high, state);
}
VOK_API void VOK_CALL vokzRandUniInit(double seed, double low, double high, VokDRandUniState* state) {
    uniInit(VOK_CHECKS, seed, low, high, state);
}
VOK_API float VOK_CALL voksRandUni(VokSRandUniState* state) { return drawOne<Uniform, float>(VOK_CHECKS, state); }
VOK_API double VOK_CALL vokdRandUni(VokDRandUniState* state) { return drawOne<Uniform, double>(VOK_CHECKS, state); }
VOK_API FloatComplex VOK_CALL vokcRandUni(VokSRandUniState* state) {
    return drawOne<Uniform, FloatComplex>(VOK_CHECKS, state);
}
VOK_API DoubleComplex VOK_CALL vokzRandUni(VokDRandUniState* state) {
    return drawOne<Uniform, DoubleComplex>(VOK_CHECKS, state);
}
VOK_API void VOK_CALL voksbRandUni(VokSRandUniState* state, float* buffer, int n) {
    drawBlock<Uniform>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokdbRandUni(VokDRandUniState* state, double* buffer, int n) {
    drawBlock<Uniform>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokcbRandUni(VokSRandUniState* state, FloatComplex* buffer, int n) {
    drawBlock<Uniform>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokzbRandUni(VokDRandUniState* state, DoubleComplex* buffer, int n) {
    drawBlock<Uniform>(VOK_CHECKS, state, buffer, n);
}

VOK_API void VOK_CALL voksRandGausInit(float seed, float mean, float stdDev, VokSRandGausState* state) {
    gausInit(VOK_CHECKS, seedFrom(seed), mean, stdDev, state);
}
VOK_API void VOK_CALL vokcRandGausInit(float seed, float mean, float stdDev, VokSRandGausState* state) {
    gausInit(VOK_CHECKS, seedFrom(seed), mean, stdDev, state);
}
VOK_API void VOK_CALL vokdRandGausInit(double seed, double mean, double stdDev, VokDRandGausState* state) {
    gausInit(VOK_CHECKS, seedFrom(seed), mean, stdDev, state);
}
VOK_API void VOK_CALL vokzRandGausInit(double seed, double mean, double stdDev, VokDRandGausState* state) {
    gausInit(VOK_CHECKS, seedFrom(seed), mean, stdDev, state);
}
VOK_API void VOK_CALL vokwRandGausInit(unsigned int seed, short mean, short stdDev, VokWRandGausState* state) {
    gausInit(VOK_CHECKS, seed, mean, stdDev, state);
}
VOK_API void VOK_CALL vokvRandGausInit(unsigned int seed, short mean, short stdDev, VokWRandGausState* state) {
    gausInit(VOK_CHECKS, seed, mean, stdDev, state);
}
VOK_API float VOK_CALL voksRandGaus(VokSRandGausState* state) { return drawOne<Gaussian, float>(VOK_CHECKS, state); }
VOK_API double VOK_CALL vokdRandGaus(VokDRandGausState* state) { return drawOne<Gaussian, double>(VOK_CHECKS, state); }
VOK_API FloatComplex VOK_CALL vokcRandGaus(VokSRandGausState* state) {
    return drawOne<Gaussian, FloatComplex>(VOK_CHECKS, state);
}
VOK_API DoubleComplex VOK_CALL vokzRandGaus(VokDRandGausState* state) {
    return drawOne<Gaussian, DoubleComplex>(VOK_CHECKS, state);
}
VOK_API short VOK_CALL vokwRandGaus(VokWRandGausState* state) { return drawOne<Gaussian, short>(VOK_CHECKS, state); }
VOK_API ShortComplex VOK_CALL vokvRandGaus(VokWRandGausState* state) {
    return drawOne<Gaussian, ShortComplex>(VOK_CHECKS, state);
}
VOK_API void VOK_CALL voksbRandGaus(VokSRandGausState* state, float* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokdbRandGaus(VokDRandGausState* state, double* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokcbRandGaus(VokSRandGausState* state, FloatComplex* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokzbRandGaus(VokDRandGausState* state, DoubleComplex* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokwbRandGaus(VokWRandGausState* state, short* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokvbRandGaus(VokWRandGausState* state, ShortComplex* buffer, int n) {
    drawBlock<Gaussian>(VOK_CHECKS, state, buffer, n);
}

}  // extern "C"
