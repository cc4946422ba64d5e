// Argument checks of every elementwise, statistics, norm and normalization
// entry point: the exact report (status, function, context, module), the check
// order, and no write to the caller's buffers after a failed check.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;
using voktest::Sentinel;

// One entry point seen through (len, first pointer, second pointer); the
// pointers are the form-1 vector, or src and dst, or srcA and srcB.
struct Entry {
    std::string function;
    const char* module;
    const char* firstNull;   // "vec==0", "src==0" or "srcA==0"
    const char* secondNull;  // "dst==0", or nullptr when the second pointer is not checked
    const char* lengthText;
    std::function<void(int, void*, void*)> call;
};

#define FORM1(fn, T, module, ...) \
    Entry{#fn, module, "vec==0", nullptr, "len<=0", [](int n, void* a, void*) { fn(static_cast<T*>(a), n, ##__VA_ARGS__); }}
#define FORM2(fn, T, module, ...)                                                    \
    Entry{#fn, module, "src==0", "dst==0", "len<=0", [](int n, void* a, void* b) {    \
              fn(static_cast<const T*>(a), static_cast<T*>(b), n, ##__VA_ARGS__);    \
          }}
#define FORMS(stem, T, module, ...) FORM1(stem##1, T, module, ##__VA_ARGS__), FORM2(stem##2, T, module, ##__VA_ARGS__)
#define STAT(fn, T) Entry{#fn, "vokvec", "vec==0", nullptr, "len<=0", [](int n, void* a, void*) { fn(static_cast<const T*>(a), n); }}
#define NORM(fn, T) \
    Entry{#fn, "voknorm", "srcA==0", nullptr, "n<=0", [](int n, void* a, void* b) { fn(static_cast<const T*>(a), static_cast<const T*>(b), n, VOK_L2); }}
#define NORMALIZE(fn, T, ...)                                                        \
    Entry{#fn, "voknorm", "src==0", "dst==0", "n<=0", [](int n, void* a, void* b) {  \
              fn(static_cast<const T*>(a), static_cast<T*>(b), n, __VA_ARGS__);      \
          }}

std::vector<Entry> entries() {
    return {
        FORMS(voksbSqr, float, "vokvec"), FORMS(vokdbSqr, double, "vokvec"), FORMS(vokcbSqr, FloatComplex, "vokvec"),
        FORMS(vokzbSqr, DoubleComplex, "vokvec"), FORMS(vokwbSqr, short, "vokvec", VOK_NO_SCALE, nullptr),
        FORMS(vokvbSqr, ShortComplex, "vokvec", VOK_NO_SCALE, nullptr),
        FORMS(voksbSqrt, float, "vokvec"), FORMS(vokdbSqrt, double, "vokvec"), FORMS(vokcbSqrt, FloatComplex, "vokvec"),
        FORMS(vokzbSqrt, DoubleComplex, "vokvec"), FORMS(vokwbSqrt, short, "vokvec"), FORMS(vokvbSqrt, ShortComplex, "vokvec"),
        FORMS(voksbThresh, float, "vokvec", 1.0f, VOK_LT), FORMS(vokdbThresh, double, "vokvec", 1.0, VOK_GT),
        FORMS(vokcbThresh, FloatComplex, "vokvec", 1.0f, VOK_LT), FORMS(vokzbThresh, DoubleComplex, "vokvec", 1.0, VOK_LT),
        FORMS(vokwbThresh, short, "vokvec", short(1), VOK_LT), FORMS(vokvbThresh, ShortComplex, "vokvec", short(1), VOK_GT),
        FORMS(voksbInvThresh, float, "vokvec", 1.0f), FORMS(vokdbInvThresh, double, "vokvec", 1.0),
        FORMS(vokcbInvThresh, FloatComplex, "vokvec", 1.0f), FORMS(vokzbInvThresh, DoubleComplex, "vokvec", 1.0),
        FORMS(voksbAbs, float, "vokvec"), FORMS(vokdbAbs, double, "vokvec"), FORMS(vokwbAbs, short, "vokvec"),
        FORMS(voksbLn, float, "voklnexp"), FORMS(vokdbLn, double, "voklnexp"), FORMS(vokwbLn, short, "voklnexw"),
        FORMS(voksbExp, float, "voklnexp"), FORMS(vokdbExp, double, "voklnexp"),
        FORMS(vokwbExp, short, "voklnexw", VOK_SATURATE, nullptr),
        STAT(voksMean, float), STAT(vokdMean, double), STAT(vokwMean, short), STAT(voksStdDev, float),
        STAT(vokdStdDev, double), STAT(voksMax, float), STAT(vokdMax, double), STAT(vokwMax, short),
        STAT(voksMin, float), STAT(vokdMin, double), STAT(vokwMin, short),
        NORM(voksNorm, float), NORM(vokcNorm, FloatComplex), NORM(vokdNorm, double), NORM(vokzNorm, DoubleComplex),
        NORM(vokwNorm, short), NORM(vokvNorm, ShortComplex),
        NORMALIZE(voksbNormalize, float, 0.0f, 2.0f), NORMALIZE(vokdbNormalize, double, 0.0, 2.0),
        NORMALIZE(vokcbNormalize, FloatComplex, FloatComplex{0, 0}, 2.0f),
        NORMALIZE(vokzbNormalize, DoubleComplex, DoubleComplex{0, 0}, 2.0),
        NORMALIZE(vokwbNormalize, short, short(0), 2.0f),
        NORMALIZE(vokvbNormalize, ShortComplex, ShortComplex{0, 0}, 2.0f),
    };
}

TEST(Checks, LengthThenPointersInOrderAndNothingWritten) {
    for (const Entry& e : entries()) {
        SCOPED_TRACE(e.function);
        Sentinel first(64), second(64);
        ReportRecorder rec;
        e.call(0, nullptr, nullptr);  // the length is checked before any pointer
        e.call(-3, first.as<void>(), second.as<void>());
        e.call(4, nullptr, nullptr);
        e.call(4, nullptr, second.as<void>());
        std::vector<voktest::Expected> want(2, {VOK_StatusBadArg, e.function.c_str(), e.lengthText, e.module});
        want.resize(4, {VOK_StatusBadArg, e.function.c_str(), e.firstNull, e.module});
        if (e.secondNull) {
            e.call(4, first.as<void>(), nullptr);
            want.push_back({VOK_StatusBadArg, e.function.c_str(), e.secondNull, e.module});
        }
        EXPECT_TRUE(voktest::sameReports(rec.reports(), want));
        EXPECT_EQ(vokGetErrStatus(), VOK_StatusBadArg);
        EXPECT_TRUE(first.untouched());
        EXPECT_TRUE(second.untouched());
    }
}

// The checks after the pointers: threshold signs, zero factors of either sign,
// the scale factor of VOK_AUTO_SCALE, and the work buffers of the 16-bit forms.
TEST(Checks, ValueChecksAfterThePointersAndAllocationFailures) {
    const int bad = VOK_StatusBadArg, noMem = VOK_StatusNoMemory;
    Sentinel buf(64), dst(64);
    auto* c = buf.as<FloatComplex>();
    auto* z = buf.as<DoubleComplex>();
    short* w = buf.as<short>();
    const auto withoutMemory = [](auto call) {
        return [call] {
            vok::testing::failAllocationAfter(1);
            call();
            vok::testing::failAllocationAfter(0);
        };
    };
    EXPECT_EACH_REPORTS(
        {[&] { vokcbThresh1(c, 2, -1.0f, VOK_LT); }, {bad, "vokcbThresh1", "thresh<0.0f", "vokvec"}},
        {[&] { vokzbThresh2(z, z, 2, -0.5, VOK_GT); }, {bad, "vokzbThresh2", "thresh<0.0", "vokvec"}},
        {[&] { vokvbThresh1(buf.as<ShortComplex>(), 2, short(-1), VOK_LT); }, {bad, "vokvbThresh1", "thresh<0", "vokvec"}},
        {[&] { voksbInvThresh1(buf.as<float>(), 2, -1e-30f); }, {bad, "voksbInvThresh1", "thresh<0.0f", "vokvec"}},
        {[&] { vokdbInvThresh2(buf.as<double>(), buf.as<double>(), 2, -1.0); }, {bad, "vokdbInvThresh2", "thresh<0.0", "vokvec"}},
        {[&] { vokcbInvThresh1(c, 2, -1.0f); }, {bad, "vokcbInvThresh1", "thresh<0.0f", "vokvec"}},
        {[&] { vokzbInvThresh1(z, 2, -1.0); }, {bad, "vokzbInvThresh1", "thresh<0.0", "vokvec"}},
        {[&] { vokcbThresh1(nullptr, 2, -1.0f, VOK_LT); }, {bad, "vokcbThresh1", "vec==0", "vokvec"}},
        {[&] { voksbNormalize(buf.as<float>(), dst.as<float>(), 2, 0.0f, -0.0f); }, {bad, "voksbNormalize", "factor == 0", "voknorm"}},
        {[&] { vokdbNormalize(buf.as<double>(), dst.as<double>(), 2, 1.0, 0.0); }, {bad, "vokdbNormalize", "factor == 0", "voknorm"}},
        {[&] { vokzbNormalize(z, dst.as<DoubleComplex>(), 1, DoubleComplex{0, 0}, -0.0); },
         {bad, "vokzbNormalize", "factor == 0", "voknorm"}},
        {[&] { vokwbNormalize(w, w, 4, 0, -0.0f); }, {bad, "vokwbNormalize", "factor == 0", "voknorm"}},
        {[&] { vokcbNormalize(c, nullptr, 1, FloatComplex{0, 0}, 0.0f); }, {bad, "vokcbNormalize", "dst==0", "voknorm"}},
        {[&] { vokwbSqr1(w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbSqr1", "scaleFactor==0", "vokvec"}},
        {[&] { vokwbExp2(w, w, 4, VOK_AUTO_SCALE, nullptr); }, {bad, "vokwbExp2", "scaleFactor==0", "voklnexw"}},
        {[&] { EXPECT_EQ(vokwStdDev(w, 4, VOK_AUTO_SCALE, nullptr), 0); }, {bad, "vokwStdDev", "scaleFactor==0", "vokvec"}},
        {[&] { EXPECT_EQ(voksMean(nullptr, 3), 0.0f); }, {bad, "voksMean", "vec==0", "vokvec"}},
        {[&] { EXPECT_EQ(vokdMax(nullptr, 0), 0.0); }, {bad, "vokdMax", "len<=0", "vokvec"}},
        {[&] { EXPECT_EQ(vokwMin(nullptr, 1), 0); }, {bad, "vokwMin", "vec==0", "vokvec"}},
        {[&] { EXPECT_EQ(voksNorm(buf.as<float>(), nullptr, 1, 3), 0.0f); }, {bad, "voksNorm", "flag is wrong", "voknorm"}},
        {withoutMemory([&] { vokwbSqr1(w, 4, VOK_NO_SCALE, nullptr); }), {noMem, "vokwbSqr1", "NULL Pointer", "vokvec"}},
        {withoutMemory([&] { vokwbExp1(w, 4, VOK_NO_SCALE, nullptr); }), {noMem, "vokwbExp1", "NULL Pointer", "voklnexw"}});
    EXPECT_TRUE(buf.untouched());
    EXPECT_TRUE(dst.untouched());
}

}  // namespace
