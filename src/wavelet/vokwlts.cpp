// Wavelet filter banks and the multi-level periodic wavelet transform.
//
// The bank is built in double precision on the stack, then copied into the
// record's tap arrays in the record's element type. A decomposition level
// splits the current band into its even and odd samples, a reconstruction
// level copies the approximation and detail bands; either way the two rows go
// into the record's pad buffer, are repeated periodically on both sides by
// block copies, and are filtered by the row-sum kernels of kernels/wavelet.h,
// so the inner loops never wrap an index and form only the outputs kept.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/check.h"
#include "kernels/wavelet.h"
#include "vector/convert.h"
#include "vok/frame.h"
#include "vok/wavelet.h"
#include "wavelet/bank.h"
#include "wavelet/taps.h"

#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(VokWtState) == 80);
static_assert(offsetof(VokWtState, filtLen) == 28 && offsetof(VokWtState, filtOffset) == 44);
static_assert(offsetof(VokWtState, tap_filt) == 60 && offsetof(VokWtState, src_pad) == 76);
#endif

namespace vok::wavelet {

bool buildOrthogonalBank(const ArgChecks& check, const double* h, int L, Bank& bank) {
    if (L % 2 != 0) return !check(true, "Odd ortho. filter length");
    // Worked in extended precision and rounded once, so that exact banks such as
    // Haar's come out exact (taps 1/2 and 1).
    using Ext = long double;
    Ext energy = 0;
    for (int k = 0; k < L; ++k) energy += Ext(h[k]) * h[k];
    if (energy < 1e-19L) return !check(true, "Small ortho. filter taps values");
    const Ext norm = 1.0L / std::sqrt(energy);
    Ext f0[kMaxTaps], f1[kMaxTaps], f2[kMaxTaps], f3[kMaxTaps];
    for (int k = 0; k < L; ++k) f0[k] = h[k] * norm;
    for (int k = 0; k < L; ++k) f2[k] = f0[L - 1 - k];
    for (int k = 0; k < L; ++k) f1[k] = (k % 2 ? -1 : 1) * f2[k];
    for (int k = 0; k < L; ++k) f3[k] = f1[L - 1 - k];

    // Even shifts of the low-pass filter must be orthogonal to it.
    bool orthogonal = true;
    for (int m = 2; m < L; m += 2) {
        Ext dot = 0;
        for (int i = m; i < L; ++i) dot += f0[i] * f0[i - m];
        if (std::fabs(dot) > 1e-5L) orthogonal = false;
    }
    Ext s = 0;
    for (int k = 0; k < L; ++k) s += f0[k];
    if (!orthogonal || std::fabs(s) < 1e-19L) return !check(true, "Bad low-pass ortho. filter taps");

    // Decomposition low-pass sums to 1, reconstruction low-pass to 2.
    for (int k = 0; k < L; ++k) {
        f0[k] /= s;
        f1[k] /= s;
        f2[k] *= s;
        f3[k] *= s;
    }
    Ext highSum = 0, highPeak = 0;
    for (int k = 0; k < L; ++k) {
        highSum += f1[k];
        highPeak = std::max(highPeak, std::fabs(f1[k]));
    }
    if (std::fabs(highSum) > 0.001L * highPeak) return !check(true, "Bad high-pass ortho. filter taps");

    for (int k = 0; k < L; ++k) {
        bank.taps[0][k] = double(f0[k]);
        bank.taps[1][k] = double(f1[k]);
        bank.taps[2][k] = double(f2[k]);
        bank.taps[3][k] = double(f3[k]);
    }
    // The filters are centred on the prototype's largest tap (never the first).
    int peak = 1;
    for (int k = 2; k < L; ++k)
        if (std::fabs(h[k]) > std::fabs(h[peak])) peak = k;
    bank.kind = 1;
    for (int i = 0; i < 4; ++i) bank.length[i] = L;
    bank.offset[0] = bank.offset[1] = peak;
    bank.offset[2] = bank.offset[3] = L - 1 - peak;
    return true;
}

namespace {

bool buildBiorthogonalBank(const ArgChecks& check, bool exchanged, int par1, int par2, Bank& bank) {
    const DualFilter* dual = nullptr;
    for (const auto& d : kDuals)
        if (d.primal == par1 && d.dual == par2) dual = &d;
    if (!dual) return !check(true, "error in wavelet parameters");

    double primal[kMaxTaps] = {}, dualTaps[kMaxTaps] = {};
    int lp = par1 + 1, ld = dual->length;
    for (int k = 0; k < lp; ++k) primal[k] = kPrimal[par1 - 1][k];
    for (int k = 0; k < ld; ++k) dualTaps[k] = double(dual->taps[k]) / dual->divisor;  // exact: powers of two
    int a = par1 == 1 ? 1 : 2;
    int b = par1 == 3 ? par2 + 1 : par2;
    const double* p = primal;
    const double* d = dualTaps;
    if (exchanged) {
        std::swap(p, d);
        std::swap(lp, ld);
        std::swap(a, b);
    }
    const auto sign = [](int k) { return k % 2 ? -1.0 : 1.0; };
    for (int k = 0; k < lp; ++k) bank.taps[0][k] = p[k];
    for (int k = 0; k < ld; ++k) bank.taps[1][k] = (b % 2 == 0 ? sign(k) : -sign(k)) * d[k];
    for (int k = 0; k < ld; ++k) bank.taps[2][k] = 2 * d[k];
    for (int k = 0; k < lp; ++k) bank.taps[3][k] = (a % 2 == 0 ? -sign(k) : sign(k)) * 2 * p[k];
    bank.length[0] = bank.length[3] = lp;
    bank.length[1] = bank.length[2] = ld;
    bank.offset[0] = a - 1;
    bank.offset[1] = b - 1;
    bank.offset[2] = b;
    bank.offset[3] = a;
    bank.kind = 2;
    return true;
}

}  // namespace

bool buildBank(const ArgChecks& check, int wtType, int par1, int par2, Bank& bank) {
    switch (wtType) {
    case VOK_WtHaar:
        return buildOrthogonalBank(check, &kDaublet[daubletStart(1)], 2, bank);
    case VOK_WtDaublet:
        if (par1 < 1 || par1 > 10) return !check(true, "error in parameter Daublet filter");
        return buildOrthogonalBank(check, &kDaublet[daubletStart(par1)], 2 * par1, bank);
    case VOK_WtSymmlet:
        if (par1 < 1 || par1 > 7) return !check(true, "error in parameter Symmlet filter");
        return buildOrthogonalBank(check, &kSymmlet[symmletStart(par1)], 2 * (par1 + 3), bank);
    case VOK_WtCoiflet:
        if (par1 < 1 || par1 > 5) return !check(true, "error in parameter Coiflet filter");
        return buildOrthogonalBank(check, &kCoiflet[coifletStart(par1)], 6 * par1, bank);
    case VOK_WtVaidyanathan:
        return buildOrthogonalBank(check, kVaidyanathan, 24, bank);
    case VOK_WtBiorth:
    case VOK_WtBiorthDual:
        return buildBiorthogonalBank(check, wtType == VOK_WtBiorthDual, par1, par2, bank);
    case VOK_WtBiorth22:
        return buildBiorthogonalBank(check, false, 2, 2, bank);
    case VOK_WtBiorth33:
        return buildBiorthogonalBank(check, false, 3, 3, bank);
    default:
        return !check(true, "error in the type of wavelet");
    }
}

}  // namespace vok::wavelet

namespace {

using vok::ArgChecks;
using vok::CheckAll;
using vok::wavelet::Bank;
namespace kernels = vok::kernels;
constexpr const char* kModule = "vokwlts";
constexpr int kCoreFloat = 1, kCoreDouble = 2, kCoreShort = 4;
constexpr int kKindUser = 3;

// ---- Record arrays ----

// Releases every array of the record and clears it.
void clearRecord(VokWtState* st) {
    for (void*& taps : st->tap_filt) {
        vokFree(taps);
        taps = nullptr;
    }
    vokFree(st->src_pad);
    std::memset(st, 0, sizeof *st);
}

template <class T>
T* allocate(std::int64_t count) {
    if (count <= 0 || count > 0x7FFFFFFF) return nullptr;
    if constexpr (std::is_same_v<T, float>) return voksMalloc(int(count));
    else return vokdMalloc(int(count));
}

std::int64_t padLength(int dataOrder, const int* length) {
    return (std::int64_t(1) << dataOrder) + 2 * std::int64_t(std::max(length[0], length[1]));
}

// Allocates the record's pad and four tap arrays and copies the taps in
// (converting them to T); on failure reports, releases what it got and leaves
// the record without arrays.
template <class T, class Source>
bool installBank(const ArgChecks& check, VokWtState* st, int dataOrder, const int* length, Source taps) {
    T* pad = allocate<T>(padLength(dataOrder, length));
    T* arrays[4] = {};
    bool ok = pad != nullptr;
    for (int i = 0; i < 4 && ok; ++i) ok = (arrays[i] = allocate<T>(length[i])) != nullptr;
    if (!ok) {
        check.report(VOK_StatusNoMemory, "No working wavelet memory", __LINE__);
        vokFree(pad);
        for (T* a : arrays) vokFree(a);
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < length[i]; ++k) arrays[i][k] = static_cast<T>(taps(i)[k]);
        st->tap_filt[i] = arrays[i];
        st->filtLen[i] = length[i];
    }
    st->src_pad = pad;
    return true;
}

bool badOrderOrLevel(const ArgChecks& check, int dataOrder, int level) {
    CheckAll all{check};
    all(dataOrder < 1, "dataOrder<1");
    all(dataOrder > 31, "dataOrder>31");
    all(level < 0, "level<0");
    all(level > dataOrder - 1, "level>(dataOrder-1)");
    return all.failed();
}

template <class T>
void init(const ArgChecks& check, int par1, int par2, int dataOrder, int level, VokWtState* st, int wtType) {
    if (check(!st, "wtState==0")) return;
    std::memset(st, 0, sizeof *st);
    if (badOrderOrLevel(check, dataOrder, level)) return;
    Bank bank;
    if (!vok::wavelet::buildBank(check, wtType, par1, par2, bank)) return;
    if (!installBank<T>(check, st, dataOrder, bank.length, [&](int i) { return bank.taps[i]; })) return;
    st->core = std::is_same_v<T, float> ? kCoreFloat : kCoreDouble;
    st->wtType = wtType;
    st->kind = bank.kind;
    st->par1 = par1;
    st->par2 = par2;
    st->dataOrder = dataOrder;
    st->level = level;
    for (int i = 0; i < 4; ++i) st->filtOffset[i] = bank.offset[i];
}

// SetState with the caller's bank; 'core' is the record's element type.
template <class T>
void setUserBank(const ArgChecks& check, VokWtState* st, int core, int par1, int par2, int dataOrder, int level,
                 T* const* taps, const int* length, const int* offset) {
    if (check(!st, "wtState==0")) return;
    if (badOrderOrLevel(check, dataOrder, level)) return;
    CheckAll all{check};
    all(!taps, "Ftaps eq. NULL");
    all(!length, "Flen eq. NULL");
    all(!offset, "Fofs eq. NULL");
    if (all.failed()) return;
    if (check(!taps[0] || !taps[1] || !taps[2] || !taps[3], "Bad pointers in Ftaps")) return;
    const bool badLength = std::any_of(length, length + 4, [](int n) { return n < 2; }) || length[0] != length[3] ||
                           length[1] != length[2];
    if (check(badLength, "Bad filter lengths")) return;
    bool badOffset = false;
    for (int i = 0; i < 4; ++i) badOffset |= offset[i] < 0 || offset[i] >= length[i];
    if (check(badOffset, "Bad filter offsets")) return;

    VokWtState fresh{};
    if (!installBank<T>(check, &fresh, dataOrder, length, [&](int i) { return taps[i]; })) return;
    fresh.core = core;
    fresh.wtType = VOK_WtUser;
    fresh.kind = kKindUser;
    fresh.par1 = par1;
    fresh.par2 = par2;
    fresh.dataOrder = dataOrder;
    fresh.level = level;
    for (int i = 0; i < 4; ++i) fresh.filtOffset[i] = offset[i];
    *st = fresh;
}

template <class T>
void getState(const ArgChecks& check, const VokWtState* st, int* wtType, int* par1, int* par2, int* dataOrder,
              int* level, T** taps, int* length, int* offset) {
    // Every pointer is checked and reported, in this order; nothing is copied if one failed.
    bool failed = false;
    for (const auto& [bad, context] : {std::pair{!st, "wtState==0"}, std::pair{!wtType, "wtType==0"},
                                       std::pair{!par1, "par1==0"}, std::pair{!par2, "par2==0"},
                                       std::pair{!dataOrder, "dataOrder==0"}, std::pair{!level, "level==0"},
                                       std::pair{!taps, "Ftaps==0"}, std::pair{!length, "Flen==0"},
                                       std::pair{!offset, "Fofs==0"}})
        failed = check(bad, context) || failed;
    if (failed) return;
    *wtType = st->wtType;
    *par1 = st->par1;
    *par2 = st->par2;
    *dataOrder = st->dataOrder;
    *level = st->level;
    for (int i = 0; i < 4; ++i) {
        taps[i] = static_cast<T*>(st->tap_filt[i]);
        length[i] = st->filtLen[i];
        offset[i] = st->filtOffset[i];
    }
}

// ---- Transforms ----

// pad[M ... M+n-1] holds a band; repeat it periodically over the M positions on
// each side, whole copies first when M exceeds n.
template <class T>
void extendPeriodically(T* pad, std::size_t n, std::size_t M) {
    for (std::size_t end = M; end > 0;) {
        const std::size_t chunk = std::min(n, end);
        std::memcpy(pad + end - chunk, pad + end - chunk + n, chunk * sizeof(T));
        end -= chunk;
    }
    for (std::size_t start = M + n; start < 2 * M + n;) {
        const std::size_t chunk = std::min(n, 2 * M + n - start);
        std::memcpy(pad + start, pad + start - n, chunk * sizeof(T));
        start += chunk;
    }
}

// The work buffer of 2^dataOrder + 2M elements holds two periodically extended
// rows of up to 2^(dataOrder-1) samples with margins of P = M/2 on each side:
// the even and odd halves of the band being decomposed, or the approximation
// and detail bands being reconstructed. Within a row no index ever wraps. A
// filter of L <= M taps reaches at most P samples beyond either end of a row.
struct Rows {
    std::size_t margin;  // P
    std::size_t stride;  // length + 2P
};

inline Rows rowsFor(const VokWtState* st, std::size_t length) {
    const std::size_t P = std::size_t(std::max(st->filtLen[0], st->filtLen[1])) / 2;
    return {P, length + 2 * P};
}

inline std::ptrdiff_t floorHalf(std::ptrdiff_t d) { return d >= 0 ? d / 2 : -((1 - d) / 2); }

// sum_k taps[k] * band[(offset + 2i - k) mod 2h] over the halves even[j] =
// band[2j] and odd[j] = band[2j + 1]: the even taps read one half, the odd
// taps the other.
template <class T>
void decimationRuns(const T* taps, int length, int offset, const T* even, const T* odd,
                    kernels::WaveletRun<T>* runs) {
    for (int first = 0; first < 2; ++first) {
        const std::ptrdiff_t d = offset - first;  // offset - k at k = first
        const T* half = (d & 1) ? odd : even;
        runs[first] = {half + floorHalf(d), taps + first, (length - first + 1) / 2};
    }
}

// The part of output m = 2u + phase of sum_k taps[k] * up[(offset + m - k) mod 2a],
// up the band upsampled by zeros: only the taps with k = offset + phase (mod 2)
// meet a sample, band[u + (offset + phase - k) / 2].
template <class T>
kernels::WaveletRun<T> interpolationRun(const T* taps, int length, int offset, int phase, const T* band) {
    const int first = (offset + phase) & 1;
    return {band + (offset + phase - first) / 2, taps + first, (length - first + 1) / 2};
}

template <class T>
void decompose(const VokWtState* st, const T* src, T* dst) {
    const auto& ops = kernels::waveletOps<T>();
    T* pad = static_cast<T*>(st->src_pad);
    const T* low = static_cast<const T*>(st->tap_filt[0]);
    const T* high = static_cast<const T*>(st->tap_filt[1]);
    const T* band = src;  // the first level reads the input in place
    std::size_t n = std::size_t(1) << st->dataOrder;
    for (int lev = 0; lev < st->level; ++lev) {
        const std::size_t h = n / 2;
        const Rows rows = rowsFor(st, h);
        T* even = pad + rows.margin;
        T* odd = even + rows.stride;
        ops.deinterleave(band, even, odd, std::ptrdiff_t(h));
        extendPeriodically(pad, h, rows.margin);
        extendPeriodically(pad + rows.stride, h, rows.margin);
        kernels::WaveletRun<T> runs[2];
        decimationRuns(low, st->filtLen[0], st->filtOffset[0], even, odd, runs);
        ops.decimate(runs, dst, std::ptrdiff_t(h));
        decimationRuns(high, st->filtLen[1], st->filtOffset[1], even, odd, runs);
        ops.decimate(runs, dst + h, std::ptrdiff_t(h));
        band = dst;
        n = h;
    }
}

// Each level forms the even and the odd outputs separately (polyphase), each
// from every second tap of both reconstruction filters, in one pass.
template <class T>
void reconstruct(const VokWtState* st, const T* src, T* dst) {
    const auto& ops = kernels::waveletOps<T>();
    T* pad = static_cast<T*>(st->src_pad);
    const T* low = static_cast<const T*>(st->tap_filt[2]);
    const T* high = static_cast<const T*>(st->tap_filt[3]);
    const int coarse = st->dataOrder - st->level;
    std::size_t a = coarse < 1 ? 1 : std::size_t(1) << coarse;
    const T* approx = src;
    const T* detail = src + a;
    for (int lev = 0; lev < st->level; ++lev) {
        const Rows rows = rowsFor(st, a);
        T* approxRow = pad + rows.margin;
        T* detailRow = approxRow + rows.stride;
        std::memcpy(approxRow, approx, a * sizeof(T));
        std::memcpy(detailRow, detail, a * sizeof(T));
        extendPeriodically(pad, a, rows.margin);
        extendPeriodically(pad + rows.stride, a, rows.margin);
        kernels::WaveletRun<T> even[2], odd[2];
        even[0] = interpolationRun(low, st->filtLen[2], st->filtOffset[2], 0, static_cast<const T*>(approxRow));
        even[1] = interpolationRun(high, st->filtLen[3], st->filtOffset[3], 0, static_cast<const T*>(detailRow));
        odd[0] = interpolationRun(low, st->filtLen[2], st->filtOffset[2], 1, static_cast<const T*>(approxRow));
        odd[1] = interpolationRun(high, st->filtLen[3], st->filtOffset[3], 1, static_cast<const T*>(detailRow));
        ops.interpolate(even, odd, dst, std::ptrdiff_t(a));
        approx = dst;
        detail += a;
        a *= 2;
    }
}

// The record checks of the transforms; returns the thread's status.
int validate(const ArgChecks& check, const VokWtState* st, const void* src, const void* dst, int core) {
    if (check(!st, "wtState==0") || check(!src, "src==0") || check(!dst, "dst==0")) return vokGetErrStatus();
    CheckAll all{check};
    all(st->core != core, "error in the (float, double or short) core");
    all(st->dataOrder < 1, "wtState->dataOrder<1");
    all(st->dataOrder > 31, "wtState->dataOrder>31");
    all(st->level < 0, "wtState->level<0");
    all(st->level > st->dataOrder - 1, "wtState->level>(wtState->dataOrder-1)");
    all(st->kind < 1 || st->kind > 3, "error in the type of wavelet");
    all(!st->tap_filt[0], "wtState->tap_filt[ 0 ]==0");
    all(!st->tap_filt[1], "wtState->tap_filt[ 1 ]==0");
    all(!st->tap_filt[2], "wtState->tap_filt[ 2 ]==0");
    all(!st->tap_filt[3], "wtState->tap_filt[ 3 ]==0");
    all(!st->src_pad, "wtState->src_pad==0");
    const int* len = st->filtLen;
    all(std::any_of(len, len + 4, [](int n) { return n < 2; }) || len[0] != len[3] || len[1] != len[2],
        "error in the filter lengths");
    all(st->kind == 1 && (len[0] != len[1] || len[0] % 2 != 0), "error in the filter lengths ortho. wavelet");
    bool badOffset = false;
    for (int i = 0; i < 4; ++i) badOffset |= st->filtOffset[i] < 0 || st->filtOffset[i] >= len[i];
    all(badOffset, "error in the filter offsets");
    return all.failed() ? vokGetErrStatus() : VOK_StatusOk;
}

template <class T>
int transform(const ArgChecks& check, bool forward, const VokWtState* st, const T* src, T* dst) {
    const int status = validate(check, st, src, dst, std::is_same_v<T, float> ? kCoreFloat : kCoreDouble);
    if (status < 0) return status;
    if (st->level == 0) {
        std::memcpy(dst, src, (std::size_t(1) << st->dataOrder) * sizeof(T));
        return VOK_StatusOk;
    }
    if (forward) decompose(st, src, dst);
    else reconstruct(st, src, dst);
    return VOK_StatusOk;
}

// The 16-bit forms run the float transform on exact float copies and round the
// result to nearest with saturation.
int transform16(const ArgChecks& check, bool forward, const VokWtState* st, const short* src, short* dst) {
    const int status = validate(check, st, src, dst, kCoreShort);
    if (status < 0) return status;
    const std::int64_t N = std::int64_t(1) << st->dataOrder;
    if (st->level == 0) {
        std::memcpy(dst, src, std::size_t(N) * sizeof(short));
        return VOK_StatusOk;
    }
    float* in = allocate<float>(N);
    float* out = in ? allocate<float>(N) : nullptr;
    if (!out) {
        vokFree(in);
        return check.report(VOK_StatusNoMemory, "No memory for working arrays", __LINE__);
    }
    vok::convert::fixToFloat(src, in, int(N), 16, 0, false);
    if (forward) decompose(st, static_cast<const float*>(in), out);
    else reconstruct(st, static_cast<const float*>(in), out);
    vok::convert::FixFormat format;
    format.bits = 16;
    format.rounding = vok::convert::Rounding::near;
    format.clip = true;
    vok::convert::floatToFix(out, dst, int(N), format);
    vokFree(in);
    vokFree(out);
    return VOK_StatusOk;
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL voksWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType) {
    init<float>(VOK_CHECKS, par1, par2, dataOrder, level, wtState, wtType);
}

VOK_API void VOK_CALL vokdWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType) {
    init<double>(VOK_CHECKS, par1, par2, dataOrder, level, wtState, wtType);
}

VOK_API void VOK_CALL vokwWtInit(int par1, int par2, int dataOrder, int level, VokWtState* wtState, int wtType) {
    const ArgChecks check = VOK_CHECKS;
    voksWtInit(par1, par2, dataOrder, level, wtState, wtType);
    if (vokGetErrStatus() < 0) {
        check.report(VOK_StatusBacktrace, "out voksWtInit", __LINE__);
        return;
    }
    wtState->core = kCoreShort;
}

VOK_API void VOK_CALL voksWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     float** Ftaps, const int* Flen, const int* Fofs) {
    const ArgChecks check = VOK_CHECKS;
    if (wtType == VOK_WtUser)
        return setUserBank<float>(check, wtState, kCoreFloat, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
    voksWtInit(par1, par2, dataOrder, level, wtState, wtType);
    if (vokGetErrStatus() < 0) check.report(VOK_StatusBacktrace, "out voksWtInit", __LINE__);
}

VOK_API void VOK_CALL vokdWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     double** Ftaps, const int* Flen, const int* Fofs) {
    const ArgChecks check = VOK_CHECKS;
    if (wtType == VOK_WtUser)
        return setUserBank<double>(check, wtState, kCoreDouble, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
    vokdWtInit(par1, par2, dataOrder, level, wtState, wtType);
    if (vokGetErrStatus() < 0) check.report(VOK_StatusBacktrace, "out vokdWtInit", __LINE__);
}

VOK_API void VOK_CALL vokwWtSetState(VokWtState* wtState, int wtType, int par1, int par2, int dataOrder, int level,
                                     float** Ftaps, const int* Flen, const int* Fofs) {
    const ArgChecks check = VOK_CHECKS;
    if (wtType == VOK_WtUser)
        return setUserBank<float>(check, wtState, kCoreShort, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
    // The float bank, then the 16-bit core: one backtrace names the builder that failed.
    voksWtInit(par1, par2, dataOrder, level, wtState, wtType);
    if (vokGetErrStatus() < 0) {
        check.report(VOK_StatusBacktrace, "out voksWtInit", __LINE__);
        return;
    }
    wtState->core = kCoreShort;
}

VOK_API void VOK_CALL voksWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, float** Ftaps, int* Flen, int* Fofs) {
    getState(VOK_CHECKS, wtState, wtType, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
}

VOK_API void VOK_CALL vokdWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, double** Ftaps, int* Flen, int* Fofs) {
    getState(VOK_CHECKS, wtState, wtType, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
}

VOK_API void VOK_CALL vokwWtGetState(const VokWtState* wtState, int* wtType, int* par1, int* par2, int* dataOrder,
                                     int* level, float** Ftaps, int* Flen, int* Fofs) {
    getState(VOK_CHECKS, wtState, wtType, par1, par2, dataOrder, level, Ftaps, Flen, Fofs);
}

VOK_API void VOK_CALL vokWtFree(VokWtState* wtState) {
    const ArgChecks check = VOK_CHECKS;
    if (check(!wtState, "wtState==0")) return;
    clearRecord(wtState);
}

VOK_API int VOK_CALL voksWtDecompose(const VokWtState* wtState, const float* src, float* dst) {
    return transform(VOK_CHECKS, true, wtState, src, dst);
}
VOK_API int VOK_CALL vokdWtDecompose(const VokWtState* wtState, const double* src, double* dst) {
    return transform(VOK_CHECKS, true, wtState, src, dst);
}
VOK_API int VOK_CALL vokwWtDecompose(const VokWtState* wtState, const short* src, short* dst) {
    return transform16(VOK_CHECKS, true, wtState, src, dst);
}
VOK_API int VOK_CALL voksWtReconstruct(const VokWtState* wtState, const float* src, float* dst) {
    return transform(VOK_CHECKS, false, wtState, src, dst);
}
VOK_API int VOK_CALL vokdWtReconstruct(const VokWtState* wtState, const double* src, double* dst) {
    return transform(VOK_CHECKS, false, wtState, src, dst);
}
VOK_API int VOK_CALL vokwWtReconstruct(const VokWtState* wtState, const short* src, short* dst) {
    return transform16(VOK_CHECKS, false, wtState, src, dst);
}

}  // extern "C"
