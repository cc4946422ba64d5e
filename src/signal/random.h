// Integer core of the random generators: a 32-bit congruential generator plus
// a 32-bit subtract-with-borrow generator, seeded through a 15-bit auxiliary
// congruential generator. Shared by the float/double and the 16-bit modules.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/scale16.h"

namespace vok::rnd {

constexpr std::uint32_t kLcgStart = 1131199209u;  // 0x436CBAE9
constexpr std::uint32_t kLcgMul = 69069u;
constexpr std::uint32_t kLcgAdd = 1013904243u;
constexpr std::uint32_t kBorrowLoss = 18u;

inline std::uint32_t lcgNext(std::uint32_t l) { return kLcgMul * l + kLcgAdd; }

// The seeding generator: 214013·A + 2531011, bits 16..30 out.
inline std::uint32_t aux(std::uint32_t& a) {
    a = 214013u * a + 2531011u;
    return (a & 0x7FFF0000u) >> 16;
}

// The core state in registers; load/store copy it from and to a record.
struct Core {
    std::uint32_t l, c, s1, s2, s3, a;

    // One subtract-with-borrow value. The float/double generators borrow on
    // d <= 0, the 16-bit uniform one only on d < 0.
    template <bool BorrowOnZero>
    std::uint32_t borrowStep() {
        std::uint32_t d = s2 - s3 - c;
        const auto sd = static_cast<std::int32_t>(d);
        if (BorrowOnZero ? sd <= 0 : sd < 0) {
            d -= kBorrowLoss;
            c = 1;
        } else {
            c = 0;
        }
        s3 = s2;
        s2 = s1;
        s1 = d;
        return d;
    }

    // One 32-bit output.
    std::uint32_t next() {
        const std::uint32_t d = borrowStep<true>();
        l = lcgNext(l);
        return l + d;
    }

    void seed(std::uint32_t seed) {
        a = seed;
        s1 = seed;
        s2 = aux(a);
        s3 = aux(a);
    }

    template <class Rec>
    static Core load(const Rec* r) {
        return {r->lcg, r->borrow, r->s1, r->s2, r->s3, r->seedState};
    }
    template <class Rec>
    void store(Rec* r) const {
        r->lcg = l;
        r->borrow = c;
        r->s1 = s1;
        r->s2 = s2;
        r->s3 = s3;
        r->seedState = a;
    }
};

inline std::int32_t asSigned(std::uint32_t u) { return static_cast<std::int32_t>(u); }

// Floating seeds become integers by truncation through 64 bits, low 32 kept.
inline std::uint32_t seedFrom(double seed) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(vok::truncToInt64(seed)));
}

// 2^-32, the width of one integer step of a uniform sample.
constexpr double kTwoToMinus32 = 2.3283064365386963e-10;
// Just below 2^-31: maps a signed 32-bit output into (-1, 1).
constexpr double kGaussUnit = 4.656612873077e-10;

// offset + u·scale in extended precision, one rounding to the result type.
template <class T>
T uniformValue(T offset, T scale, std::uint32_t u) {
    return static_cast<T>(static_cast<long double>(offset) +
                          static_cast<long double>(asSigned(u)) * static_cast<long double>(scale));
}

// The polar method: a new pair, the first half for the record and the second returned.
struct GaussPair {
    double stored, returned;
};

inline GaussPair gaussPair(Core& core, double mean, double stdDev) {
    double x, y, s;
    do {
        x = asSigned(core.next()) * kGaussUnit;
        y = asSigned(core.next()) * kGaussUnit;
        s = x * x + y * y;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    return {mean + stdDev * x * f, mean + stdDev * y * f};
}

}  // namespace vok::rnd
