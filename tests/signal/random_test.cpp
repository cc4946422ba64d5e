// Random generators: exact sequences for fixed seeds against the integer core
// written out independently in tests/scripts/gen_random.py, continuation
// across single and block calls, moments and range over 10^6 samples, and
// the failure reports of every entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

struct Line {
    std::string kind;
    std::vector<std::string> words;
};

const std::vector<Line>& data() {
    static const std::vector<Line> lines = [] {
        std::vector<Line> out;
        std::ifstream in(VOK_TEST_DATA_DIR "/random_core.txt");
        std::string text;
        while (std::getline(in, text)) {
            std::istringstream ws(text);
            Line l;
            ws >> l.kind;
            for (std::string w; ws >> w;) l.words.push_back(w);
            out.push_back(l);
        }
        return out;
    }();
    return lines;
}

std::vector<const Line*> linesOf(const std::string& kind) {
    std::vector<const Line*> out;
    for (const Line& l : data())
        if (l.kind == kind) out.push_back(&l);
    return out;
}

long double expectedUniform(long double offset, long double scale, std::uint32_t u) {
    return offset + (long double)(std::int32_t)u * scale;
}

TEST(RandomSequences, UniformFollowsTheCoreForFixedSeeds) {
    const auto lines = linesOf("uni");
    ASSERT_EQ(lines.size(), 6u) << "missing tests/data/random_core.txt";
    for (const Line* l : lines) {
        const std::uint32_t seed = (std::uint32_t)std::stoul(l->words[0]);
        std::vector<std::uint32_t> u;
        for (size_t i = 1; i < l->words.size(); ++i) u.push_back((std::uint32_t)std::stoul(l->words[i]));
        // Seeds as floating values: the same low 32 bits through a 64-bit integer.
        const double dseed = seed >= 0x80000000u ? (double)(std::int32_t)seed : (double)seed;
        VokDRandUniState d;
        vokdRandUniInit(dseed, -2.0, 3.0, &d);
        EXPECT_EQ(d.offset, 0.5);
        EXPECT_EQ(d.scale, 5.0 * std::ldexp(1.0, -32));
        std::vector<double> got(30);
        vokdbRandUni(&d, got.data(), 30);
        for (int i = 0; i < 30; ++i)
            ASSERT_EQ(got[i], (double)expectedUniform(d.offset, d.scale, u[5 + i])) << "seed " << seed << " i " << i;
        VokSRandUniState s;
        voksRandUniInit((float)dseed, 10.0f, 20.0f, &s);
        if ((double)(float)dseed == dseed) {
            for (int i = 0; i < 30; ++i)
                ASSERT_EQ(voksRandUni(&s), (float)expectedUniform(s.offset, s.scale, u[5 + i])) << seed;
        }
        // Complex: consecutive draws, re first.
        VokDRandUniState z;
        vokzRandUniInit(dseed, -1.0, 1.0, &z);
        for (int i = 0; i < 15; ++i) {
            const DoubleComplex v = vokzRandUni(&z);
            ASSERT_EQ(v.re, (double)expectedUniform(z.offset, z.scale, u[5 + 2 * i]));
            ASSERT_EQ(v.im, (double)expectedUniform(z.offset, z.scale, u[6 + 2 * i]));
        }
    }
}

TEST(RandomSequences, FloatSeedsTruncateTowardZero) {
    VokDRandUniState a, b;
    vokdRandUniInit(-7.9, 0, 1, &a);
    vokdRandUniInit(4294967289.0, 0, 1, &b);  // 0xFFFFFFF9, the low 32 bits of -7
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    vokdRandUniInit(12345.99, 0, 1, &a);
    vokdRandUniInit(12345.0 + 4294967296.0, 0, 1, &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(RandomSequences, GaussianFollowsThePolarMethod) {
    const auto lines = linesOf("gaus");
    ASSERT_EQ(lines.size(), 4u);
    for (const Line* l : lines) {
        const std::uint32_t seed = (std::uint32_t)std::stoul(l->words[0]);
        const double mean = std::stod(l->words[1]), sd = std::stod(l->words[2]);
        std::vector<double> want;
        for (size_t i = 3; i < l->words.size(); ++i) want.push_back(std::stod(l->words[i]));
        const double dseed = seed >= 0x80000000u ? (double)(std::int32_t)seed : (double)seed;
        VokDRandGausState d;
        vokdRandGausInit(dseed, mean, sd, &d);
        EXPECT_EQ(d.pairFlag, 0);
        EXPECT_EQ(d.borrow, 1u);
        for (size_t i = 0; i < want.size(); ++i) {
            ASSERT_NEAR(vokdRandGaus(&d), want[i], 1e-15 * (1 + std::fabs(want[i]))) << seed << " " << i;
            EXPECT_EQ(d.pairFlag, (int)(i % 2 == 0));
        }
        VokSRandGausState s;
        voksRandGausInit((float)dseed, (float)mean, (float)sd, &s);
        if ((double)(float)dseed == dseed) {
            std::vector<float> got(want.size());
            voksbRandGaus(&s, got.data(), (int)got.size());
            for (size_t i = 0; i < want.size(); ++i) ASSERT_NEAR(got[i], want[i], 4e-7 * (1 + std::fabs(want[i])));
        }
        // 16-bit: float result truncated toward zero.
        VokWRandGausState w;
        vokwRandGausInit(seed, (short)mean, (short)sd, &w);
        if ((double)(short)mean == mean && (double)(short)sd == sd) {
            for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(vokwRandGaus(&w), (short)std::trunc((float)want[i]));
        }
    }
}

TEST(RandomSequences, SixteenBitUniformMatchesTheBufferedPairs) {
    const auto singles = linesOf("w16");
    const auto blocks = linesOf("w16b");
    ASSERT_EQ(singles.size(), 4u);
    ASSERT_EQ(blocks.size(), 4u);
    for (size_t k = 0; k < singles.size(); ++k) {
        const Line& l = *singles[k];
        const unsigned seed = (unsigned)std::stoul(l.words[0]);
        const short low = (short)std::stoi(l.words[1]), high = (short)std::stoi(l.words[2]);
        VokWRandUniState w;
        vokwRandUniInit(seed, low, high, &w);
        EXPECT_EQ(w.bufIndex, 32);
        for (size_t i = 3; i < l.words.size(); ++i) ASSERT_EQ(vokwRandUni(&w), std::stoi(l.words[i])) << seed << " " << i;
        // The complex form takes the same entries two at a time.
        VokWRandUniState v;
        vokvRandUniInit(seed, low, high, &v);
        for (size_t i = 3; i + 1 < l.words.size(); i += 2) {
            const ShortComplex c = vokvRandUni(&v);
            ASSERT_EQ(c.re, std::stoi(l.words[i]));
            ASSERT_EQ(c.im, std::stoi(l.words[i + 1]));
        }
        // A block of odd length starts with one single-stream sample.
        const Line& b = *blocks[k];
        const int n = std::stoi(b.words[3]);
        VokWRandUniState wb;
        vokwRandUniInit(seed, low, high, &wb);
        std::vector<short> got(n);
        vokwbRandUni(&wb, got.data(), n);
        for (int i = 0; i < n; ++i) ASSERT_EQ(got[i], std::stoi(b.words[4 + i])) << seed << " " << i;
        EXPECT_EQ(wb.bufIndex, 32);
    }
}

TEST(RandomContinuation, SingleAndBlockCallsInterleaveWithoutAGap) {
    VokSRandUniState u1, u2;
    VokDRandGausState g1, g2;
    VokWRandGausState w1, w2;
    voksRandUniInit(42.0f, -1.0f, 1.0f, &u1);
    u2 = u1;
    vokdRandGausInit(42.0, 1.0, 2.0, &g1);
    g2 = g1;
    vokwRandGausInit(42u, 100, 300, &w1);
    w2 = w1;
    std::vector<float> ua(301);
    std::vector<double> ga(301);
    std::vector<short> wa(301);
    voksbRandUni(&u1, ua.data(), 301);
    vokdbRandGaus(&g1, ga.data(), 301);
    vokwbRandGaus(&w1, wa.data(), 301);
    // Odd chunks split the Gaussian pairs across calls.
    for (int i = 0, step = 1; i < 301; i += step, step = step % 7 + 2) {
        const int n = std::min(step, 301 - i);
        if (n == 1) {
            ASSERT_EQ(voksRandUni(&u2), ua[i]);
            ASSERT_EQ(vokdRandGaus(&g2), ga[i]);
            ASSERT_EQ(vokwRandGaus(&w2), wa[i]);
        } else {
            std::vector<float> ub(n);
            std::vector<double> gb(n);
            std::vector<short> wb(n);
            voksbRandUni(&u2, ub.data(), n);
            vokdbRandGaus(&g2, gb.data(), n);
            vokwbRandGaus(&w2, wb.data(), n);
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(ub[k], ua[i + k]);
                ASSERT_EQ(gb[k], ga[i + k]);
                ASSERT_EQ(wb[k], wa[i + k]);
            }
        }
    }
    EXPECT_EQ(std::memcmp(&u1, &u2, sizeof u1), 0);
    EXPECT_EQ(std::memcmp(&g1, &g2, sizeof g1), 0);
    // Complex blocks are the real sequence two at a time.
    VokSRandGausState c1, c2;
    vokcRandGausInit(9.0f, 0.0f, 1.0f, &c1);
    voksRandGausInit(9.0f, 0.0f, 1.0f, &c2);
    std::vector<FloatComplex> cb(50);
    vokcbRandGaus(&c1, cb.data(), 50);
    for (const FloatComplex& v : cb) {
        ASSERT_EQ(v.re, voksRandGaus(&c2));
        ASSERT_EQ(v.im, voksRandGaus(&c2));
    }
}

TEST(RandomContinuation, SixteenBitBlocksLeaveTheBufferAlone) {
    VokWRandUniState a, b;
    vokwRandUniInit(5u, -100, 100, &a);
    b = a;
    std::vector<short> singles(10);
    for (short& v : singles) v = vokwRandUni(&a);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vokwRandUni(&b), singles[i]);
    std::vector<short> blk(9);
    vokwbRandUni(&b, blk.data(), 9);  // draws past the buffer, not from it
    EXPECT_EQ(b.bufIndex, 3);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(vokwRandUni(&b), singles[i]);
    // low = high is a constant; low > high still fills (high, low].
    VokWRandUniState k;
    vokwRandUniInit(77u, 9, 9, &k);
    std::vector<short> same(40);
    vokwbRandUni(&k, same.data(), 40);
    for (short v : same) EXPECT_EQ(v, 9);
    VokSRandUniState f;
    voksRandUniInit(3.0f, 2.5f, 2.5f, &f);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(voksRandUni(&f), 2.5f);
}

// Moments over 10^6 samples: mean within 5 standard errors, variance within 1%.
template <class T>
void expectMoments(const std::vector<T>& v, double mean, double var, const char* what) {
    long double s = 0, s2 = 0;
    for (T x : v) s += x;
    const long double m = s / v.size();
    for (T x : v) s2 += ((long double)x - m) * ((long double)x - m);
    const double sampleVar = (double)(s2 / (v.size() - 1));
    EXPECT_NEAR((double)m, mean, 5 * std::sqrt(var / v.size()) + 1e-12) << what;
    EXPECT_NEAR(sampleVar, var, 0.01 * var) << what;
}

TEST(RandomStatistics, UniformRangeAndMoments) {
    const int n = 1000000;
    VokDRandUniState d;
    vokdRandUniInit(2024.0, -3.0, 5.0, &d);
    std::vector<double> dv(n);
    vokdbRandUni(&d, dv.data(), n);
    for (double x : dv) ASSERT_TRUE(x >= -3.0 && x < 5.0) << x;
    expectMoments(dv, 1.0, 64.0 / 12, "double uniform");
    VokSRandUniState s;
    voksRandUniInit(7.0f, 0.0f, 1.0f, &s);
    std::vector<float> sv(n);
    voksbRandUni(&s, sv.data(), n);
    for (float x : sv) ASSERT_TRUE(x >= 0.0f && x <= 1.0f) << x;
    expectMoments(sv, 0.5, 1.0 / 12, "float uniform");
    VokWRandUniState w;
    vokwRandUniInit(11u, -1000, 1000, &w);
    std::vector<short> wv(n);
    vokwbRandUni(&w, wv.data(), n);
    for (short x : wv) ASSERT_TRUE(x >= -1000 && x <= 1000) << x;
    expectMoments(wv, 0.0, 2000.0 * 2000.0 / 12, "16-bit uniform");
}

TEST(RandomStatistics, GaussianMoments) {
    const int n = 1000000;
    VokDRandGausState d;
    vokdRandGausInit(31.0, 2.0, 3.0, &d);
    std::vector<double> dv(n);
    vokdbRandGaus(&d, dv.data(), n);
    expectMoments(dv, 2.0, 9.0, "double gaussian");
    long double k4 = 0;
    for (double x : dv) k4 += std::pow((x - 2.0) / 3.0, 4);
    EXPECT_NEAR((double)(k4 / n), 3.0, 0.05);  // normal kurtosis
    VokSRandGausState c;
    vokcRandGausInit(8.0f, -1.0f, 0.5f, &c);
    std::vector<FloatComplex> cv(n / 2);
    vokcbRandGaus(&c, cv.data(), n / 2);
    std::vector<float> re, im;
    for (auto v : cv) { re.push_back(v.re); im.push_back(v.im); }
    expectMoments(re, -1.0, 0.25, "complex gaussian re");
    expectMoments(im, -1.0, 0.25, "complex gaussian im");
    VokWRandGausState w;
    vokwRandGausInit(12u, 0, 1000, &w);
    std::vector<short> wv(n);
    vokwbRandGaus(&w, wv.data(), n);
    expectMoments(wv, 0.0, 1000.0 * 1000.0, "16-bit gaussian");
}

TEST(RandomErrors, InitialisersRefuseANullState) {
    ReportRecorder rec;
    voksRandUniInit(1, 0, 1, nullptr);
    vokcRandUniInit(1, 0, 1, nullptr);
    vokdRandUniInit(1, 0, 1, nullptr);
    vokzRandUniInit(1, 0, 1, nullptr);
    vokwRandUniInit(1, 0, 1, nullptr);
    vokvRandUniInit(1, 0, 1, nullptr);
    voksRandGausInit(1, 0, 1, nullptr);
    vokcRandGausInit(1, 0, 1, nullptr);
    vokdRandGausInit(1, 0, 1, nullptr);
    vokzRandGausInit(1, 0, 1, nullptr);
    vokwRandGausInit(1, 0, 1, nullptr);
    vokvRandGausInit(1, 0, 1, nullptr);
    const char* ns = "Null pointer to state structure";
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksRandUniInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokcRandUniInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokdRandUniInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokzRandUniInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokwRandUniInit", "statePtr==0", "vokrandw"},
                   {VOK_StatusBadArg, "vokvRandUniInit", "statePtr==0", "vokrandw"},
                   {VOK_StatusBadArg, "voksRandGausInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokcRandGausInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokdRandGausInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokzRandGausInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokwRandGausInit", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokvRandGausInit", ns, "vokrand"});
}

TEST(RandomErrors, SingleSampleCallsReturnZero) {
    ReportRecorder rec;
    EXPECT_EQ(voksRandUni(nullptr), 0.0f);
    EXPECT_EQ(vokdRandUni(nullptr), 0.0);
    const FloatComplex c = vokcRandUni(nullptr);
    const DoubleComplex z = vokzRandUni(nullptr);
    EXPECT_EQ(vokwRandUni(nullptr), 0);
    const ShortComplex v = vokvRandUni(nullptr);
    EXPECT_EQ(voksRandGaus(nullptr), 0.0f);
    EXPECT_EQ(vokdRandGaus(nullptr), 0.0);
    const FloatComplex cg = vokcRandGaus(nullptr);
    const DoubleComplex zg = vokzRandGaus(nullptr);
    EXPECT_EQ(vokwRandGaus(nullptr), 0);
    const ShortComplex vg = vokvRandGaus(nullptr);
    EXPECT_TRUE(c.re == 0 && c.im == 0 && z.re == 0 && z.im == 0 && v.re == 0 && v.im == 0);
    EXPECT_TRUE(cg.re == 0 && cg.im == 0 && zg.re == 0 && zg.im == 0 && vg.re == 0 && vg.im == 0);
    const char* ns = "Null pointer to state structure";
    const char* nw = "((void*)(0))==statePtr";
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksRandUni", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokdRandUni", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokcRandUni", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokzRandUni", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokwRandUni", nw, "vokrandw"},
                   {VOK_StatusBadArg, "vokvRandUni", nw, "vokrandw"},
                   {VOK_StatusBadArg, "voksRandGaus", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokdRandGaus", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokcRandGaus", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokzRandGaus", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokwRandGaus", ns, "vokrand"},
                   {VOK_StatusBadArg, "vokvRandGaus", ns, "vokrand"});
}

TEST(RandomErrors, BlocksCheckInOrderAndWriteNothing) {
    ReportRecorder rec;
    voktest::Sentinel out(16 * sizeof(DoubleComplex));
    VokSRandUniState su;
    VokDRandUniState du;
    VokSRandGausState sg;
    VokDRandGausState dg;
    VokWRandUniState wu;
    VokWRandGausState wg;
    voksRandUniInit(1, 0, 1, &su);
    vokdRandUniInit(1, 0, 1, &du);
    voksRandGausInit(1, 0, 1, &sg);
    vokdRandGausInit(1, 0, 1, &dg);
    vokwRandUniInit(1, 0, 1, &wu);
    vokwRandGausInit(1, 0, 1, &wg);
    const VokSRandUniState su0 = su;
    const VokDRandUniState du0 = du;
    const VokSRandGausState sg0 = sg;
    const VokDRandGausState dg0 = dg;
    const VokWRandUniState wu0 = wu;
    const VokWRandGausState wg0 = wg;
    // Float/double/Gaussian order: state, buffer, length.
    voksbRandUni(nullptr, nullptr, 0);
    voksbRandUni(&su, nullptr, 0);
    voksbRandUni(&su, out.as<float>(), 0);
    vokdbRandUni(&du, out.as<double>(), -1);
    vokcbRandUni(&su, nullptr, 3);
    vokzbRandUni(nullptr, out.as<DoubleComplex>(), 3);
    voksbRandGaus(&sg, out.as<float>(), 0);
    vokdbRandGaus(&dg, nullptr, 0);
    vokcbRandGaus(nullptr, nullptr, 0);
    vokzbRandGaus(&dg, out.as<DoubleComplex>(), -5);
    vokwbRandGaus(&wg, nullptr, 2);
    vokvbRandGaus(&wg, out.as<ShortComplex>(), 0);
    // 16-bit uniform order: state, length, buffer.
    vokwbRandUni(nullptr, nullptr, 0);
    vokwbRandUni(&wu, nullptr, 0);
    vokwbRandUni(&wu, nullptr, 4);
    vokvbRandUni(&wu, out.as<ShortComplex>(), -2);
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(std::memcmp(&su, &su0, sizeof su), 0);
    EXPECT_EQ(std::memcmp(&du, &du0, sizeof du), 0);
    EXPECT_EQ(std::memcmp(&sg, &sg0, sizeof sg), 0);
    EXPECT_EQ(std::memcmp(&dg, &dg0, sizeof dg), 0);
    EXPECT_EQ(std::memcmp(&wu, &wu0, sizeof wu), 0);
    EXPECT_EQ(std::memcmp(&wg, &wg0, sizeof wg), 0);
    const char* ns = "Null pointer to state structure";
    const char* nb = "Null pointer to data buffer";
    const char* nl = "Null length of buffer";
    const char* m = "vokrand";
    const char* mw = "vokrandw";
    EXPECT_REPORTS(rec, {VOK_StatusBadArg, "voksbRandUni", ns, m}, {VOK_StatusBadArg, "voksbRandUni", nb, m},
                   {VOK_StatusBadArg, "voksbRandUni", nl, m}, {VOK_StatusBadArg, "vokdbRandUni", nl, m},
                   {VOK_StatusBadArg, "vokcbRandUni", nb, m}, {VOK_StatusBadArg, "vokzbRandUni", ns, m},
                   {VOK_StatusBadArg, "voksbRandGaus", nl, m}, {VOK_StatusBadArg, "vokdbRandGaus", nb, m},
                   {VOK_StatusBadArg, "vokcbRandGaus", ns, m}, {VOK_StatusBadArg, "vokzbRandGaus", nl, m},
                   {VOK_StatusBadArg, "vokwbRandGaus", nb, m}, {VOK_StatusBadArg, "vokvbRandGaus", nl, m},
                   {VOK_StatusBadArg, "vokwbRandUni", "statePtr==0", mw},
                   {VOK_StatusBadArg, "vokwbRandUni", "sampsLen<=0", mw},
                   {VOK_StatusBadArg, "vokwbRandUni", "samps==0", mw},
                   {VOK_StatusBadArg, "vokvbRandUni", "sampsLen<=0", mw});
}

TEST(RandomRecords, InitialValues) {
    VokWRandUniState w;
    vokwRandUniInit(0u, -10, 30, &w);
    EXPECT_EQ(w.offset, 10.0f);
    EXPECT_EQ(w.scale, (float)(40 * std::ldexp(1.0, -32)));
    EXPECT_EQ(w.reserved[0] | w.reserved[1], 0u);
    EXPECT_EQ(w.bufIndex, 32);
    EXPECT_EQ(w.borrow, w.borrow & 1u);
    // Seed 0: A runs 2531011, then 214013·A + 2531011; the third aux value seeds L2.
    std::uint32_t a = 0, outs[3];
    for (auto& o : outs) { a = 214013u * a + 2531011u; o = (a & 0x7FFF0000u) >> 16; }
    EXPECT_EQ(w.lcg2, outs[2]);
    VokSRandGausState g;
    voksRandGausInit(0.0f, 1.0f, 2.0f, &g);
    EXPECT_EQ(g.lcg, 1131199209u);
    EXPECT_EQ(g.s1, 0u);
    EXPECT_EQ(g.s2, outs[0]);
    EXPECT_EQ(g.s3, outs[1]);
    EXPECT_EQ(g.seedState, 214013u * 2531011u + 2531011u);  // two aux steps from 0
    EXPECT_EQ(g.borrow, 1u);
    EXPECT_EQ(g.pairFlag, 0);
    EXPECT_EQ(g.mean, 1.0f);
    EXPECT_EQ(g.stdDev, 2.0f);
}

}  // namespace
