// Uniform random 16-bit samples. The generator runs two congruential streams
// beside one subtract-with-borrow stream and makes samples in pairs; single
// calls are served from a buffer of 32 in the record, block calls generate
// straight into the caller's array and leave that buffer alone.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "core/check.h"
#include "core/scale16.h"
#include "signal/random.h"
#include "vok/signal.h"

namespace {

using vok::ArgChecks;
using vok::rnd::Core;
constexpr const char* kModule = "vokrandw";
constexpr int kRoom = 32;
constexpr int kWarmUp = 5;

static_assert(sizeof(VokWRandUniState) == 112 && offsetof(VokWRandUniState, reserved) == 8 &&
              offsetof(VokWRandUniState, lcg1) == 16 && offsetof(VokWRandUniState, lcg2) == 20 &&
              offsetof(VokWRandUniState, s1) == 24 && offsetof(VokWRandUniState, borrow) == 36 &&
              offsetof(VokWRandUniState, seedState) == 40 && offsetof(VokWRandUniState, bufIndex) == 44 &&
              offsetof(VokWRandUniState, buffer) == 48);

// The record's core with the first congruential stream in Core::l.
Core load(const VokWRandUniState* r) { return {r->lcg1, r->borrow, r->s1, r->s2, r->s3, r->seedState}; }
void store(const Core& core, VokWRandUniState* r) {
    r->lcg1 = core.l;
    r->borrow = core.c;
    r->s1 = core.s1;
    r->s2 = core.s2;
    r->s3 = core.s3;
    r->seedState = core.a;
}

// offset + u·scale in extended precision, rounded to the nearest integer
// (ties to even), low 16 bits kept.
short sample(float offset, float scale, std::uint32_t u) {
    const long double v = static_cast<long double>(offset) +
                          static_cast<long double>(vok::rnd::asSigned(u)) * static_cast<long double>(scale);
    const long double r = vok::roundHalfEven(v);
    if (!(std::fabs(r) < 9223372036854775808.0L)) return 0;
    return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::int64_t>(r)));
}

// n samples into put(i, value): an odd leading sample from one borrow step and
// the first stream, then pairs from two borrow steps and one step of each stream.
template <class Put>
void generate(VokWRandUniState* r, long long n, Put put) {
    Core core = load(r);
    std::uint32_t l2 = r->lcg2;
    const float offset = r->offset, scale = r->scale;
    long long i = 0;
    if (n & 1) {
        const std::uint32_t d = core.borrowStep<false>();
        core.l = vok::rnd::lcgNext(core.l);
        put(i++, sample(offset, scale, d + core.l));
    }
    for (; i < n; i += 2) {
        const std::uint32_t d1 = core.borrowStep<false>();
        const std::uint32_t d2 = core.borrowStep<false>();
        core.l = vok::rnd::lcgNext(core.l);
        l2 = vok::rnd::lcgNext(l2);
        put(i, sample(offset, scale, d2 + core.l));
        put(i + 1, sample(offset, scale, d1 + l2));
    }
    store(core, r);
    r->lcg2 = l2;
}

void init(const ArgChecks& check, unsigned int seed, short low, short high, VokWRandUniState* r) {
    if (check(!r, "statePtr==0")) return;
    Core core{};
    core.seed(seed);
    const std::uint32_t l2 = vok::rnd::aux(core.a);
    core.l = vok::rnd::kLcgStart;
    core.c = 0;
    // Warm-up draws of the scalar core on the first stream.
    for (int i = 0; i < kWarmUp; ++i) core.next();
    const double lo = low, hi = high;
    r->offset = static_cast<float>(lo + 0.5 * (hi - lo));
    r->scale = static_cast<float>((hi - lo) * vok::rnd::kTwoToMinus32);
    r->reserved[0] = r->reserved[1] = 0;
    store(core, r);
    r->lcg2 = l2;
    r->bufIndex = kRoom;
    std::memset(r->buffer, 0, sizeof r->buffer);
}

short nextBuffered(VokWRandUniState* r) {
    if (r->bufIndex < 0 || r->bufIndex >= kRoom) {
        generate(r, kRoom, [r](long long i, short v) { r->buffer[i] = v; });
        r->bufIndex = 0;
    }
    return r->buffer[r->bufIndex++];
}

bool badBlock(const ArgChecks& check, const void* state, const void* buffer, int n) {
    return check(!state, "statePtr==0") || check(n <= 0, "sampsLen<=0") || check(!buffer, "samps==0");
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwRandUniInit(unsigned int seed, short low, short high, VokWRandUniState* state) {
    init(VOK_CHECKS, seed, low, high, state);
}
VOK_API void VOK_CALL vokvRandUniInit(unsigned int seed, short low, short high, VokWRandUniState* state) {
    init(VOK_CHECKS, seed, low, high, state);
}
VOK_API short VOK_CALL vokwRandUni(VokWRandUniState* state) {
    if (VOK_CHECKS(!state, "((void*)(0))==statePtr")) return 0;
    return nextBuffered(state);
}
VOK_API ShortComplex VOK_CALL vokvRandUni(VokWRandUniState* state) {
    ShortComplex out{0, 0};
    if (VOK_CHECKS(!state, "((void*)(0))==statePtr")) return out;
    out.re = nextBuffered(state);
    out.im = nextBuffered(state);
    return out;
}
VOK_API void VOK_CALL vokwbRandUni(VokWRandUniState* state, short* buffer, int n) {
    if (badBlock(VOK_CHECKS, state, buffer, n)) return;
    generate(state, n, [buffer](long long i, short v) { buffer[i] = v; });
}
VOK_API void VOK_CALL vokvbRandUni(VokWRandUniState* state, ShortComplex* buffer, int n) {
    if (badBlock(VOK_CHECKS, state, buffer, n)) return;
    generate(state, 2LL * n, [buffer](long long i, short v) {
        if (i & 1) buffer[i >> 1].im = v;
        else buffer[i >> 1].re = v;
    });
}

}  // extern "C"
