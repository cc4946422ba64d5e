// A-law and mu-law companding against Python's audioop G.711 codec: every
// expansion value, every 16-bit compression (with this library's decision
// levels: magnitudes quantised alike for both signs, mu-law biased down by one),
// the other sample types, the transcoders and the failure reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "voktest/reports.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

struct G711Reference {
    std::vector<int> ulawToLin, alawToLin;             // by G.711 octet
    std::vector<unsigned char> linToUlaw, linToAlaw;   // by sample + 32768

    unsigned char ulaw(int x) const { return linToUlaw[unsigned(x + 32768)]; }
    unsigned char alaw(int x) const { return linToAlaw[unsigned(x + 32768)]; }
};

const G711Reference& reference() {
    static const G711Reference ref = [] {
        G711Reference r;
        std::ifstream in(VOK_TEST_DATA_DIR "/g711_audioop.txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string name;
            words >> name;
            if (name == "ulaw2lin" || name == "alaw2lin") {
                auto& table = name == "ulaw2lin" ? r.ulawToLin : r.alawToLin;
                for (int v; words >> v;) table.push_back(v);
            } else {
                std::string hex;
                words >> hex;
                auto& table = name == "lin2ulaw" ? r.linToUlaw : r.linToAlaw;
                for (size_t i = 0; i + 1 < hex.size(); i += 2)
                    table.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            }
        }
        return r;
    }();
    EXPECT_TRUE(ref.ulawToLin.size() == 256 && ref.alawToLin.size() == 256 && ref.linToUlaw.size() == 65536 &&
                ref.linToAlaw.size() == 65536)
        << "tests/data/g711_audioop.txt incomplete";
    return ref;
}

// The codes this library gives, expressed through the G.711 reference: A-law
// codes are the G.711 octets with the even bits restored, negative samples take
// the code of their magnitude with bit 7 cleared; mu-law quantises |x| - 1.
unsigned char expectedALaw(int x) {
    const int magnitude = std::min(std::abs(x), 32767);
    const unsigned char code = reference().alaw(magnitude) ^ 0x55;
    return x < 0 ? code & 0x7F : code;
}
unsigned char expectedMuLaw(int x) {
    const int magnitude = std::min(std::max(std::abs(x) - 1, 0), 32767);
    const unsigned char code = reference().ulaw(magnitude);
    return x < 0 ? code & 0x7F : code;
}

std::vector<unsigned char> allCodes() {
    std::vector<unsigned char> codes(256);
    for (int c = 0; c < 256; ++c) codes[c] = static_cast<unsigned char>(c);
    return codes;
}

// ---- Expansion, every sample type ----

// The four sample types and the scale of one 16-bit step in each.
template <class T>
struct Forms;
#define VOK_TEST_FORMS(t, T, step)                                                              \
    template <>                                                                                 \
    struct Forms<T> {                                                                           \
        static constexpr auto aToLin = vok##t##bALawToLin, muToLin = vok##t##bMuLawToLin;       \
        static constexpr auto linToA = vok##t##bLinToALaw, linToMu = vok##t##bLinToMuLaw;       \
        static double unit(int v) { return v * (step); }                                        \
    };
VOK_TEST_FORMS(w, short, 1.0)
VOK_TEST_FORMS(i, int, 65536.0)
VOK_TEST_FORMS(s, float, 1 / 32768.0)
VOK_TEST_FORMS(d, double, 1 / 32768.0)
#undef VOK_TEST_FORMS

template <class T>
class CompandingTyped : public ::testing::Test {};
using SampleTypes = ::testing::Types<short, int, float, double>;
TYPED_TEST_SUITE(CompandingTyped, SampleTypes);

// Every code expands to the G.711 value, and compressing it gives the code
// back; mu-law's two zeros (0x7F, 0xFF) both expand to 0, which compresses to 0xFF.
TYPED_TEST(CompandingTyped, ExpansionMatchesG711AndCompressionInvertsIt) {
    using F = Forms<TypeParam>;
    const auto codes = allCodes();
    std::vector<TypeParam> a(256), mu(256);
    std::vector<unsigned char> backA(256), backMu(256);
    F::aToLin(codes.data(), a.data(), 256);
    F::muToLin(codes.data(), mu.data(), 256);
    F::linToA(a.data(), backA.data(), 256);
    F::linToMu(mu.data(), backMu.data(), 256);
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(double(a[c]), F::unit(reference().alawToLin[c ^ 0x55]));
        EXPECT_EQ(double(mu[c]), F::unit(reference().ulawToLin[c]));
        EXPECT_EQ(backA[c], c);
        EXPECT_EQ(backMu[c], c == 0x7F ? 0xFF : c);
    }
}

// Every 16-bit sample, presented in the type's own scale.
template <class T>
std::vector<T> everySample(bool withFraction) {
    std::vector<T> src(65536);
    std::mt19937 gen(7);
    for (int x = -32768; x < 32768; ++x) {
        T& v = src[unsigned(x + 32768)];
        if constexpr (std::is_same_v<T, short>) {
            v = static_cast<short>(x);
        } else if constexpr (std::is_same_v<T, int>) {
            // The low half never matters: only the upper 16 bits are compressed.
            v = int(std::uint32_t(x) << 16 | (withFraction ? gen() & 0xFFFF : 0));
        } else {
            // A fraction below one step is truncated toward zero.
            const double f = withFraction ? 0.999 * std::generate_canonical<double, 32>(gen) : 0.0;
            v = T((x + (x < 0 ? -f : f)) / 32768.0);
        }
    }
    return src;
}

TYPED_TEST(CompandingTyped, CompressionMatchesG711DecisionLevelsForEverySample) {
    using F = Forms<TypeParam>;
    for (bool withFraction : {false, true}) {
        SCOPED_TRACE(withFraction);
        const auto src = everySample<TypeParam>(withFraction);
        std::vector<unsigned char> a(65536), mu(65536);
        F::linToA(src.data(), a.data(), 65536);
        F::linToMu(src.data(), mu.data(), 65536);
        int wrongA = 0, wrongMu = 0;
        for (int x = -32768; x < 32768; ++x) {
            const unsigned i = unsigned(x + 32768);
            if (a[i] != expectedALaw(x) && ++wrongA < 5) ADD_FAILURE() << "A-law of " << x << ": " << int(a[i]);
            if (mu[i] != expectedMuLaw(x) && ++wrongMu < 5) ADD_FAILURE() << "mu-law of " << x << ": " << int(mu[i]);
        }
        EXPECT_EQ(wrongA, 0);
        EXPECT_EQ(wrongMu, 0);
    }
}

TEST(Companding, FloatSamplesOutsideTheSixteenBitRangeSaturate) {
    const double big[] = {0.96875, 1.0, 1.5, 1e30, std::numeric_limits<double>::infinity(),
                          -0.96875, -1.0, -1.5, -1e30, -std::numeric_limits<double>::infinity()};
    unsigned char a[10], mu[10];
    vokdbLinToALaw(big, a, 10);
    vokdbLinToMuLaw(big, mu, 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(a[i], i < 5 ? 0xFF : 0x7F) << big[i];
        EXPECT_EQ(mu[i], i < 5 ? 0x80 : 0x00) << big[i];
    }
    const float justBelow[] = {0.96875f - 1.0f / 32768, -(0.96875f - 1.0f / 32768)};
    unsigned char fa[2];
    voksbLinToALaw(justBelow, fa, 2);
    EXPECT_EQ(fa[0], 0xFE);
    EXPECT_EQ(fa[1], 0x7E);
}

// ---- Transcoding ----

short aLawValue(unsigned char c) {
    short v;
    vokwbALawToLin(&c, &v, 1);
    return v;
}
short muLawValue(unsigned char c) {
    short v;
    vokwbMuLawToLin(&c, &v, 1);
    return v;
}

// Transcoding keeps the sign, keeps the order of values, and lands near the
// source value: within the wider of the two laws' step sizes at that level.
void checkTranscoder(void (*transcode)(const unsigned char*, unsigned char*, int), short (*from)(unsigned char),
                     short (*to)(unsigned char)) {
    const auto codes = allCodes();
    std::vector<unsigned char> out(256);
    transcode(codes.data(), out.data(), 256);
    std::vector<std::pair<int, int>> byValue;
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(out[c] & 0x80, c & 0x80);  // bit 7 marks non-negative values in both laws
        if (c >= 0x80) EXPECT_EQ(out[c], out[c - 0x80] + 0x80);
        const int source = from(codes[c]), result = to(out[c]);
        // Step of either law around this magnitude: 1/16 of its segment width, at least 16.
        const int magnitude = std::abs(source);
        const int step = std::max(16, magnitude / 16);
        EXPECT_LE(std::abs(result - source), step) << source << " -> " << result;
        byValue.push_back({source, result});
    }
    std::sort(byValue.begin(), byValue.end());
    for (size_t i = 1; i < byValue.size(); ++i) EXPECT_LE(byValue[i - 1].second, byValue[i].second) << i;
}

TEST(Companding, TranscodingBothWays) {
    checkTranscoder(vokMuLawToALaw, muLawValue, aLawValue);
    checkTranscoder(vokALawToMuLaw, aLawValue, muLawValue);
    const unsigned char in[] = {0xFF, 0x7F, 0x00, 0x80};
    unsigned char a[4], mu[4];
    vokMuLawToALaw(in, a, 4);
    vokALawToMuLaw(in + 2, mu, 2);
    vokALawToMuLaw(in, mu + 2, 2);
    EXPECT_EQ(std::vector<int>(a, a + 4), (std::vector<int>{0x80, 0x00, 0x7F, 0xFF}));
    EXPECT_EQ(std::vector<int>(mu, mu + 4), (std::vector<int>{0x7E, 0xFE, 0x80, 0x00}));
}

#define VOK_LAW_CHECKS(l)                                                                 \
    VOK_CHECK_TABLE(t, vok##l##bLinToALaw, checks), VOK_CHECK_TABLE(t, vok##l##bALawToLin, checks); \
    VOK_CHECK_TABLE(t, vok##l##bLinToMuLaw, checks), VOK_CHECK_TABLE(t, vok##l##bMuLawToLin, checks)

TEST(Companding, FailuresReportInOrderAndWriteNothing) {
    const std::vector<voktest::BadArg> checks = {{2, "len<=0"}, {0, "src==0"}, {1, "dst==0"}};
    voktest::CheckTable t("voklaw");
    VOK_LAW_CHECKS(w), VOK_LAW_CHECKS(i), VOK_LAW_CHECKS(s), VOK_LAW_CHECKS(d);
    VOK_CHECK_TABLE(t, vokMuLawToALaw, checks), VOK_CHECK_TABLE(t, vokALawToMuLaw, checks);
}

}  // namespace
