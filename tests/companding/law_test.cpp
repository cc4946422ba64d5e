// A-law and mu-law companding against Python's audioop G.711 codec: every
// expansion value, every 16-bit compression (with this library's decision
// levels: magnitudes quantised alike for both signs, mu-law biased down by one),
// in every sample type, the transcoders and the failure reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "voktest/vector_calls.h"
#include "vok.h"

namespace {

// ulaw2lin and alaw2lin by G.711 octet; lin2ulaw and lin2alaw (hex octets) by sample + 32768.
const std::vector<int>& g711(const char* name) {
    static const auto tables = [] {
        std::map<std::string, std::vector<int>> t;
        std::ifstream in(VOK_TEST_DATA_DIR "/g711_audioop.txt");
        for (std::string line, name, word; std::getline(in, line);) {
            std::istringstream words(line);
            for (words >> name; words >> word;)  // the lin2 lines are strings of hex octets
                for (std::size_t i = 0, hex = name[0] == 'l', step = hex ? 2 : word.size(); i < word.size(); i += step)
                    t[name].push_back(std::stoi(word.substr(i, step), nullptr, hex ? 16 : 10));
        }
        for (const char* n : {"ulaw2lin", "alaw2lin", "lin2ulaw", "lin2alaw"})
            EXPECT_EQ(t[n].size(), n[0] == 'l' ? 65536u : 256u) << "tests/data/g711_audioop.txt: " << n;
        return t;
    }();
    return tables.at(name);
}

// The code this library gives for sample x, through the G.711 reference: A-law
// codes are the G.711 octets with the even bits restored, mu-law quantises
// |x| - 1; negative samples take the code of their magnitude with bit 7 cleared.
int expectedCode(bool mu, int x) {
    const int magnitude = std::min(std::max(std::abs(x) - (mu ? 1 : 0), 0), 32767);
    const int code = mu ? g711("lin2ulaw")[magnitude + 32768] : g711("lin2alaw")[magnitude + 32768] ^ 0x55;
    return x < 0 ? code & 0x7F : code;
}

// The four sample types, each law's pair ([0] A-law, [1] mu-law) and one 16-bit step.
template <class T>
struct Forms;
#define VOK_TEST_FORMS(t, T, step)                                                                                    \
    template <>                                                                                                       \
    struct Forms<T> {                                                                                                 \
        static constexpr decltype(&vok##t##bALawToLin) toLin[2] = {vok##t##bALawToLin, vok##t##bMuLawToLin};          \
        static constexpr decltype(&vok##t##bLinToALaw) fromLin[2] = {vok##t##bLinToALaw, vok##t##bLinToMuLaw};        \
        static constexpr double unit = step;                                                                          \
    };
VOK_TEST_FORMS(w, short, 1.0)
VOK_TEST_FORMS(i, int, 65536.0)
VOK_TEST_FORMS(s, float, 1 / 32768.0)
VOK_TEST_FORMS(d, double, 1 / 32768.0)
#undef VOK_TEST_FORMS

// Every 16-bit sample in the type's own scale, the part below one step random
// (the low half of an int is ignored, a float fraction truncates toward zero);
// floats add samples beyond the range, which saturate. `want` gets each one's sample.
template <class T>
std::vector<T> everySample(bool withFraction, std::vector<int>& want) {
    std::vector<T> src;
    std::mt19937 gen(7);
    for (int x = -32768; x < 32768; ++x) {
        want.push_back(x);
        if constexpr (std::is_same_v<T, short>) {
            src.push_back(T(x));
        } else if constexpr (std::is_same_v<T, int>) {
            src.push_back(int(std::uint32_t(x) << 16 | (withFraction ? gen() & 0xFFFF : 0)));
        } else {
            const double f = withFraction ? 0.999 * std::generate_canonical<double, 32>(gen) : 0.0;
            src.push_back(T((x + (x < 0 ? -f : f)) / 32768.0));
        }
    }
    if constexpr (std::is_floating_point_v<T>) {
        for (T big : {T(0.96875), T(1), T(1.5), T(1e30), std::numeric_limits<T>::infinity()}) {
            src.insert(src.end(), {big, -big});
            want.insert(want.end(), {32767, big < 1 ? -31744 : -32768});
        }
    }
    return src;
}

template <class T>
class CompandingTyped : public ::testing::Test {};
using SampleTypes = ::testing::Types<short, int, float, double>;
TYPED_TEST_SUITE(CompandingTyped, SampleTypes);

// Every code expands to the G.711 value and compresses back to itself (mu-law's
// two zeros, 0x7F and 0xFF, to 0xFF); every sample compresses at the G.711 decision
// levels; nothing is written past the end.
TYPED_TEST(CompandingTyped, EveryCodeAndEverySampleAgainstG711) {
    using F = Forms<TypeParam>;
    const TypeParam guard = TypeParam(7);  // no expansion gives 7 in any type
    for (int mu : {0, 1}) {
        SCOPED_TRACE(mu ? "mu-law" : "A-law");
        std::vector<unsigned char> codes(257), back(257, 0xAA);
        for (int c = 0; c < 257; ++c) codes[c] = static_cast<unsigned char>(c);
        std::vector<TypeParam> lin(257, guard);
        F::toLin[mu](codes.data(), lin.data(), 256);
        F::fromLin[mu](lin.data(), back.data(), 256);
        for (int c = 0; c < 256; ++c) {
            EXPECT_EQ(double(lin[c]), F::unit * (mu ? g711("ulaw2lin")[c] : g711("alaw2lin")[c ^ 0x55])) << c;
            EXPECT_EQ(back[c], mu && c == 0x7F ? 0xFF : c) << c;
        }
        EXPECT_TRUE(lin[256] == guard && back[256] == 0xAA) << "wrote past the end";
        for (bool withFraction : {false, true}) {
            std::vector<int> want;
            const auto src = everySample<TypeParam>(withFraction, want);
            std::vector<unsigned char> got(src.size());
            F::fromLin[mu](src.data(), got.data(), int(src.size()));
            int wrong = 0;
            for (std::size_t i = 0; i < src.size(); ++i)
                if (got[i] != expectedCode(mu, want[i]) && ++wrong < 5)
                    ADD_FAILURE() << "sample " << want[i] << " (" << double(src[i]) << "): " << int(got[i]);
            EXPECT_EQ(wrong, 0) << "with fraction " << withFraction;
        }
    }
}

// Transcoding keeps the sign, maps 0x80 + c to its image of c plus 0x80, keeps
// the order of values and lands within the wider law's step at that level (1/16
// of the segment, at least 16); the named corner codes exactly.
TEST(Companding, TranscodingBothWays) {
    for (bool fromMu : {true, false}) {
        SCOPED_TRACE(fromMu ? "mu-law to A-law" : "A-law to mu-law");
        const auto transcode = fromMu ? vokMuLawToALaw : vokALawToMuLaw;
        std::vector<unsigned char> codes(256), out(257, 0xAA);
        for (int c = 0; c < 256; ++c) codes[c] = static_cast<unsigned char>(c);
        transcode(codes.data(), out.data(), 256);
        EXPECT_EQ(out[256], 0xAA) << "wrote past the end";
        std::vector<short> sources(256), results(256);
        Forms<short>::toLin[fromMu](codes.data(), sources.data(), 256);
        Forms<short>::toLin[!fromMu](out.data(), results.data(), 256);
        std::vector<std::pair<int, int>> byValue;
        for (int c = 0; c < 256; ++c) {
            EXPECT_EQ(out[c] & 0x80, c & 0x80) << c;
            if (c >= 0x80) EXPECT_EQ(out[c], out[c - 0x80] + 0x80) << c;
            const int source = sources[c], result = results[c];
            EXPECT_LE(std::abs(result - source), std::max(16, std::abs(source) / 16)) << source << " -> " << result;
            byValue.push_back({source, result});
        }
        std::sort(byValue.begin(), byValue.end());
        for (size_t i = 1; i < byValue.size(); ++i) EXPECT_LE(byValue[i - 1].second, byValue[i].second) << i;
        const unsigned char in[] = {0xFF, 0x7F, 0x00, 0x80};
        const std::vector<int> want = fromMu ? std::vector<int>{0x80, 0x00, 0x7F, 0xFF}
                                             : std::vector<int>{0x80, 0x00, 0x7E, 0xFE};
        transcode(in, out.data(), 4);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 4), want);
    }
}

#define VOK_LAWS(l) vok##l##bLinToALaw, vok##l##bALawToLin, vok##l##bLinToMuLaw, vok##l##bMuLawToLin

TEST(Companding, FailuresReportInOrderAndWriteNothing) {
    voktest::CheckTable t("voklaw");
    VOK_CHECK_EACH(t, (std::vector<voktest::BadArg>{{2, "len<=0"}, {0, "src==0"}, {1, "dst==0"}}), VOK_LAWS(w),
                   VOK_LAWS(i), VOK_LAWS(s), VOK_LAWS(d), vokMuLawToALaw, vokALawToMuLaw);
}

}  // namespace
