// The vector path of the filters: the block kernels on their own (tails,
// strides, stream offsets) at every width against double sums, and the
// single-rate filters across the pieces of their scratch.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "kernels/firdot.h"
#include "voktest/filter_calls.h"
#include "voktest/widths.h"

namespace {

using namespace voktest;

template <class T> std::vector<T> randoms(std::mt19937& gen, std::size_t n) {
    return randomVector<T>((long long)n, unsigned(gen()));
}

// Where tap j finds output t's input: one line at single rate, one stream
// per tap residue (streams `stride` apart) when decimating.
std::ptrdiff_t inputOf(vok::kernels::Streams s, int t, int j) { return t - (j % s.down) * s.stride - j / s.down; }
// How far before output 0 the taps of such a layout reach.
int reach(vok::kernels::Streams s, int count) {
    return count == 0 ? 0 : int((std::min(count, s.down) - 1) * s.stride + (count - 1) / s.down);
}

// Special values travel through the lanes as through a scalar sum.
TEST(FirKernel, InfinitiesAndNansStayInTheirOutputs) {
    const std::vector<float> taps = {1.0f, 0.5f, -2.0f};
    std::vector<float> line(40, 1.0f);
    line[20] = INFINITY;
    line[30] = NAN;
    voktest::forEachWidth([&] {
        std::vector<float> out(38);
        vok::kernels::firdot().floats.real(taps.data(), 1, 3, line.data() + 2, vok::kernels::kOneLine, out.data(), 1, 38);
        for (int t = 0; t < 38; ++t) {
            const int newest = t + 2;
            const float got = out[std::size_t(t)];
            if (newest >= 30 && newest <= 32) EXPECT_TRUE(std::isnan(got)) << t;
            else if (newest == 20 || newest == 21) EXPECT_EQ(INFINITY, got) << t;
            else if (newest == 22) EXPECT_EQ(-INFINITY, got) << t;
            else EXPECT_EQ(-0.5f, out[std::size_t(t)]) << t;
        }
    });
}

// The pairings of real and complex data and taps, DL and WL lanes, in both
// precisions, every lane of every register block and tail, strided and
// reversed taps, strided outputs with the gaps untouched: against complex
// double sums (products formed as (ac - bd, ad + bc)) in tap order, rounded
// once to the output's type.
struct PairingCase {
    int dataLanes, tapLanes, count, n;
    int down;  // streams of a decimating branch, 1 at single rate
    std::ptrdiff_t tapStride = 1, outStride = 1;
};

template <class T>
void pairingSumsInTapOrder(const PairingCase& k, const vok::kernels::FirDotPairings<T, T, T>& (*set)()) {
    std::mt19937 gen(7u + unsigned(k.count * 5 + k.n + k.dataLanes * 3 + k.tapLanes));
    const vok::kernels::Streams streams{k.down, k.down > 1 ? k.n + k.count + 3 : 0};
    const int span = reach(streams, k.count) + 4;
    const std::size_t tapStep = std::size_t(k.tapStride > 0 ? k.tapStride : -k.tapStride) * std::size_t(k.tapLanes);
    const auto stored = randoms<T>(gen, std::size_t(k.count) * tapStep + 1);
    const T* taps = k.tapStride > 0 ? stored.data() : stored.data() + stored.size() - 1;
    const auto line = randoms<T>(gen, std::size_t(span + k.n) * std::size_t(k.dataLanes));
    const T* data = line.data() + std::size_t(span) * std::size_t(k.dataLanes);
    auto at = [&](int t, int j, int lane) {
        const std::ptrdiff_t e = inputOf(streams, t, j);
        return k.dataLanes == 2 ? double(data[2 * e + lane]) : (lane ? 0.0 : double(data[e]));
    };
    const int outLanes = k.dataLanes == 2 || k.tapLanes == 2 ? 2 : 1;
    const std::size_t outStep = std::size_t(k.outStride) * std::size_t(outLanes);
    const T guard = T(-3);
    std::vector<T> want(std::size_t(k.n) * outStep + 2, guard);
    for (int t = 0; t < k.n; ++t) {
        double re = 0, im = 0;
        for (int j = 0; j < k.count; ++j) {
            const T* w = taps + j * k.tapStride * k.tapLanes;
            const double wr = w[0], wi = k.tapLanes == 2 ? w[1] : 0.0;
            re += wr * at(t, j, 0) - wi * at(t, j, 1);
            im += wr * at(t, j, 1) + wi * at(t, j, 0);
        }
        want[std::size_t(t) * outStep] = T(re);
        if (outLanes == 2) want[std::size_t(t) * outStep + 1] = T(im);
    }
    voktest::forEachWidth([&] {
        const auto& pairs = set();
        const auto kernel = k.dataLanes == 2 ? (k.tapLanes == 2 ? pairs.complex : pairs.complexByReal)
                                             : (k.tapLanes == 2 ? pairs.realByComplex : pairs.real);
        std::vector<T> out(want.size(), guard);
        kernel(taps, k.tapStride, k.count, data, streams, out.data(), k.outStride, k.n);
        for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(want[i], out[i]) << i;
    });
}

class FirKernelPairings : public ::testing::TestWithParam<PairingCase> {};

TEST_P(FirKernelPairings, LanesSumInTapOrderInBothPrecisions) {
    {
        SCOPED_TRACE("float");
        pairingSumsInTapOrder<float>(GetParam(), []() -> const auto& { return vok::kernels::firdot().floats; });
    }
    {
        SCOPED_TRACE("double");
        pairingSumsInTapOrder<double>(GetParam(), []() -> const auto& { return vok::kernels::firdot().doubles; });
    }
}

INSTANTIATE_TEST_SUITE_P(Fir, FirKernelPairings,
                         ::testing::Values(PairingCase{1, 1, 1, 1, 1}, PairingCase{1, 1, 21, 70, 1},
                                           PairingCase{1, 1, 16, 131, 4}, PairingCase{2, 2, 1, 1, 1},
                                           PairingCase{2, 2, 17, 37, 1}, PairingCase{2, 2, 40, 100, 3},
                                           PairingCase{2, 1, 9, 33, 1}, PairingCase{2, 1, 30, 70, 2},
                                           PairingCase{1, 2, 9, 35, 1}, PairingCase{1, 2, 25, 64, 5},
                                           PairingCase{1, 2, 3, 5, 1},
                                           // n across every register block of the three widths
                                           // (12, 24, 64 outputs; registers of 2, 4, 8 lanes).
                                           PairingCase{1, 1, 3, 7, 1}, PairingCase{1, 1, 16, 13, 1},
                                           PairingCase{1, 1, 16, 64, 1}, PairingCase{1, 1, 5, 65, 1, -1},
                                           PairingCase{1, 1, 33, 131, 1, 3}, PairingCase{1, 1, 0, 20, 1},
                                           PairingCase{1, 1, 7, 77, 1, 1, 3}, PairingCase{1, 1, 12, 200, 4, -1},
                                           PairingCase{1, 1, 9, 23, 3, 2, 4}, PairingCase{1, 1, 64, 192, 4},
                                           PairingCase{1, 1, 1, 9, 2}, PairingCase{1, 1, 3, 40, 5},
                                           PairingCase{1, 1, 17, 70, 8}));

// 16-bit samples: sums rounded to the nearest integer with ties to even and
// saturated to 32 bits, in every lane and tail.
TEST(FirKernelShort, RoundsTiesToEvenAndSaturates) {
    std::mt19937 gen(5u);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int n : {1, 5, 12, 64, 77}) {
        SCOPED_TRACE(n);
        const int count = 6;
        std::vector<short> line(std::size_t(n + count));
        for (auto& v : line) v = short(sample(gen));
        // Halves make ties; the huge taps push sums past 32 bits.
        const std::vector<float> tapSets[] = {{0.5f, -0.25f, 1.5f, 0.0f, -2.5f, 0.75f},
                                              {70000.0f, 70000.0f, 70000.0f, 0.0f, 0.0f, 0.0f},
                                              {-1e5f, 1e-3f, 3.0f, -70000.0f, 2.0f, 0.5f}};
        for (const auto& taps : tapSets) {
            const short* data = line.data() + count;
            std::vector<std::int32_t> want(static_cast<std::size_t>(n));
            for (int t = 0; t < n; ++t) {
                double acc = 0;
                for (int j = 0; j < count; ++j) acc += double(taps[std::size_t(j)]) * double(data[t - j]);
                const double r = std::nearbyint(acc);
                want[std::size_t(t)] = r < -2147483648.0 ? INT32_MIN : r > 2147483647.0 ? INT32_MAX : std::int32_t(r);
            }
            voktest::forEachWidth([&] {
                std::vector<std::int32_t> out(std::size_t(n) + 1, 12345);
                vok::kernels::firdot().shortByReal(taps.data(), 1, count, data, vok::kernels::kOneLine, out.data(), 1, n);
                for (int t = 0; t < n; ++t) EXPECT_EQ(want[std::size_t(t)], out[std::size_t(t)]) << t;
                EXPECT_EQ(12345, out.back());
            });
        }
    }
}

// The deinterleaver of the decimating filters: phase p of every factor (with
// and without a vector form) receives elements p, p + D, ... widened exactly,
// for real and complex lanes and every source type; phases before `first` and
// the slack after each stream stay untouched.
template <class S>
void deinterleavesEveryPhase(vok::kernels::DeinterleaveKernel<S> (*pick)(), S (*value)(std::mt19937&)) {
    std::mt19937 gen(31u);
    for (int down = 2; down <= 10; ++down)
        for (int lanes : {1, 2})
            for (int first : {0, down / 2, down - 1})
                for (int count : {1, 3, 8, 33, 100}) {
                    SCOPED_TRACE(::testing::Message() << "D=" << down << " lanes=" << lanes << " first=" << first
                                                      << " count=" << count);
                    std::vector<S> src(std::size_t(count * down * lanes));
                    for (auto& v : src) v = value(gen);
                    const int stride = count + 3;
                    const double guard = -12345.0;
                    voktest::forEachWidth([&] {
                        std::vector<double> dst(std::size_t((down - first) * stride * lanes), guard);
                        pick()(src.data(), lanes, down, first, count, dst.data(), stride);
                        for (int p = first; p < down; ++p)
                            for (int u = 0; u < stride; ++u)
                                for (int l = 0; l < lanes; ++l) {
                                    const double got = dst[std::size_t(((p - first) * stride + u) * lanes + l)];
                                    if (u < count)
                                        ASSERT_EQ(double(src[std::size_t((u * down + p) * lanes + l)]), got)
                                            << p << " " << u;
                                    else
                                        ASSERT_EQ(guard, got) << p << " " << u;
                                }
                    });
                }
}

TEST(FirDeinterleave, EveryPhaseReceivesEveryDthElement) {
    deinterleavesEveryPhase<float>([] { return vok::kernels::firdot().deinterleaveFloat; },
                                   [](std::mt19937& g) { return std::uniform_real_distribution<float>(-1, 1)(g); });
    deinterleavesEveryPhase<double>([] { return vok::kernels::firdot().deinterleaveDouble; },
                                    [](std::mt19937& g) { return std::uniform_real_distribution<double>(-1, 1)(g); });
    deinterleavesEveryPhase<short>([] { return vok::kernels::firdot().deinterleaveShort; },
                                   [](std::mt19937& g) { return short(std::uniform_int_distribution<int>(-32768, 32767)(g)); });
}

// Widening a piece: every lane exactly, from any alignment, through every
// register-block tail, and nothing written past the count.
template <class S, class Pick, class Make>
void widensEveryLane(Pick kernelOf, Make make) {
    std::mt19937 gen(31u);
    std::vector<S> src(90);
    for (auto& v : src) v = make(gen);
    voktest::forEachWidth([&] {
        for (int from = 0; from < 4; ++from)
            for (int count = 0; count <= 80; ++count) {
                const double guard = -123.25;
                std::vector<double> dst(std::size_t(count) + 3, guard);
                kernelOf()(src.data() + from, count, dst.data() + 1);
                ASSERT_EQ(guard, dst[0]) << from << " " << count;
                for (int i = 0; i < count; ++i)
                    ASSERT_EQ(double(src[std::size_t(from + i)]), dst[std::size_t(i) + 1]) << from << " " << count;
                ASSERT_EQ(guard, dst[std::size_t(count) + 1]) << from << " " << count;
            }
    });
}

TEST(FirWiden, EveryLaneIsConvertedExactly) {
    widensEveryLane<float>([] { return vok::kernels::firdot().widenFloat; }, [](std::mt19937& g) {
        // Subnormal, huge and tiny magnitudes all survive the widening.
        const float picks[] = {1e-40f, -3.4e38f, 1e-30f, -0.0f};
        const int k = std::uniform_int_distribution<int>(0, 7)(g);
        return k < 4 ? picks[k] : std::uniform_real_distribution<float>(-1, 1)(g);
    });
    widensEveryLane<short>([] { return vok::kernels::firdot().widenShort; },
                           [](std::mt19937& g) { return short(std::uniform_int_distribution<int>(-32768, 32767)(g)); });
}

// ---- whole filters ----

// A single-rate output as the kernels form it: products and sum in double,
// tap 0 (the newest input) first, complex terms as (ac - bd, ad + bc) and
// rounded once. Real operands are complex with zero imaginary parts, which
// changes no nonzero sum.
template <class O, class W, class D>
O tapOrderSum(const std::vector<W>& h, const std::vector<D>& line, std::size_t newest) {
    double re = 0, im = 0;
    for (std::size_t k = 0; k < h.size(); ++k) {
        const LC w = asLC(h[k]), x = asLC(line[newest - k]);
        const double wr = double(w.real()), wi = double(w.imag()), xr = double(x.real()), xi = double(x.imag());
        re += wr * xr - wi * xi;
        im += wr * xi + wi * xr;
    }
    return fromLC<O>(LC(re, im));
}

// The single-rate block filters of every type combination across the
// pieces of their scratch: tap counts that fill it with sixteen outputs, that
// just miss it (the filter then reads its input in place), and calls whose
// windows reach into the history, all bit for bit the tap-order double sum
// at every width.
TEST(FirSingleRatePieces, OutputsAreTapOrderDoubleSumsAtEveryWidth) {
    forEachFilter([](const auto& api) {
        using A = std::decay_t<decltype(api)>;
        for (int tapsLen : {1, 17, 2033, 2034, 4081}) {
            SCOPED_TRACE(tapsLen);
            std::mt19937 gen(2024u + unsigned(tapsLen));
            const auto h = randoms<typename A::W>(gen, std::size_t(tapsLen));
            const std::size_t hist = std::size_t(tapsLen - 1);
            const auto line = randoms<typename A::D>(gen, hist + 4500);  // history, then the inputs
            const int calls[] = {4300, 200};
            std::vector<typename A::O> want(4500);
            for (std::size_t t = 0; t < want.size(); ++t)
                want[t] = tapOrderSum<typename A::O>(h, line, hist + t);
            voktest::forEachWidth([&] {
                FirState st{};
                api.hInit(h.data(), tapsLen, line.data(), &st);
                std::vector<typename A::O> got(want.size());
                std::size_t at = 0;
                for (int n : calls) {
                    api.bfir(&st, line.data() + hist + at, got.data() + at, n);
                    at += std::size_t(n);
                }
                vokFirFree(&st);
                for (std::size_t t = 0; t < want.size(); ++t) ASSERT_EQ(asLC(want[t]), asLC(got[t])) << t;
            });
        }
    });
}

}  // namespace
