// The written-out short DFTs' instances (transform/dftshort.h), in a unit of
// their own so that they build beside the rest of the DFT.
#include "transform/dftshort.h"

#include <array>
#include <utility>

namespace vok::shortdft {
namespace {

constexpr int kLongestShort = 30;

template <class C, class W>
using Run = void (*)(const C*, C*, const W*, double);
// Forward, forward scaled, inverse, inverse scaled: the calls of length N.
template <class C, class W, bool Vex, int N>
constexpr std::array<Run<C, W>, 4> runsOf() {
    if constexpr (!covers<C>(N)) return {};
    else if constexpr (Vex && simd::kHasVex)
        return {runVex<N, true, false, C, W>, runVex<N, true, true, C, W>, runVex<N, false, false, C, W>,
                runVex<N, false, true, C, W>};
    else
        return {runBase<N, true, false, C, W>, runBase<N, true, true, C, W>, runBase<N, false, false, C, W>,
                runBase<N, false, true, C, W>};
}
template <class C, class W, bool Vex, int... I>
constexpr std::array<std::array<Run<C, W>, 4>, sizeof...(I)> runTable(std::integer_sequence<int, I...>) {
    return {runsOf<C, W, Vex && I >= 5, I>()...};
}

template <class C, class W>
void transformOf(const C* src, C* dst, int n, const W* table, bool forward, double scale, bool vex) {
    using Seq = std::make_integer_sequence<int, kLongestShort + 1>;
    static constexpr std::array<std::array<Run<C, W>, 4>, kLongestShort + 1> kRuns[2] = {runTable<C, W, false>(Seq{}),
                                                                                         runTable<C, W, true>(Seq{})};
    kRuns[vex][n][2 * !forward + (scale != 1.0)](src, dst, table, scale);
}

}  // namespace

void transform(const FloatComplex* src, FloatComplex* dst, int n, const FloatComplex* table, bool forward,
               double scale, bool vex) {
    transformOf(src, dst, n, table, forward, scale, vex);
}
void transform(const DoubleComplex* src, DoubleComplex* dst, int n, const DoubleComplex* table, bool forward,
               double scale, bool vex) {
    transformOf(src, dst, n, table, forward, scale, vex);
}

}  // namespace vok::shortdft
