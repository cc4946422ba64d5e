// Fuzzes the FFTs: complex and real forms of every precision, the 16-bit forms
// with scale modes, the DFT of any length and the bit reversals. Orders are
// kept small (tables of large orders take long to build) except for values
// that must be refused, and flag words are arbitrary, VOK_Init and VOK_Free
// included.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;
using fuzz::scaleMode;

// Mostly a workable order, sometimes one that must be refused.
int order(Input& in) {
    switch (in.byte() & 7) {
        case 0: return in.range(-40, -1);
        case 1: return in.range(32, 40);
        case 2: return in.range(13, 14);
        default: return in.range(0, 10);
    }
}

// Mostly a valid combination, sometimes any word.
int flags(Input& in) {
    if (in.chance(2)) return int(in.bits32() & 0x17FF);
    int f = in.chance(4) ? VOK_Forw : VOK_Inv;
    if (in.chance(1)) f |= VOK_Forw | VOK_Inv;
    if (in.chance(2)) f |= VOK_NoScale;
    if (in.chance(1)) f |= VOK_Init;
    if (in.chance(1)) f |= VOK_Free;
    static const int extra[] = {0, VOK_OutBitRev, VOK_InBitRev, VOK_NoBitRev, VOK_OutRCPack, VOK_OutRCPerm,
                                VOK_InRCPack, VOK_InRCPerm};
    return f | extra[in.byte() % 8];
}

long long pointsOf(int ord) { return ord >= 0 && ord <= 14 ? 1LL << ord : 0; }

// One in-place and one out-of-place complex transform.
template <class C>
void complexFft(Input& in, void (VOK_CALL* inPlace)(C*, int, int), void (VOK_CALL* nip)(const C*, C*, int, int)) {
    const int ord = order(in), f = flags(in);
    const long long n = pointsOf(ord);
    Buffer a(in, bytesFor<C>(n)), b(in, bytesFor<C>(n));
    C* pa = maybe<C>(in, a);
    fuzz::beginCall();
    if (in.chance(4)) {
        inPlace(pa, ord, f);
        fuzz::expectUntouchedOnFailure("complex FFT", a);
    } else {
        nip(pa, maybe<C>(in, b), ord, f);
        fuzz::expectUntouchedOnFailure("complex FFT Nip", a, b);
    }
}

template <class T>
void splitFft(Input& in, void (VOK_CALL* inPlace)(T*, T*, int, int)) {
    const int ord = order(in), f = flags(in);
    const long long n = pointsOf(ord);
    Buffer re(in, bytesFor<T>(n)), im(in, bytesFor<T>(n));
    fuzz::beginCall();
    inPlace(maybe<T>(in, re), maybe<T>(in, im), ord, f);
    fuzz::expectUntouchedOnFailure("split FFT", re, im);
}

// Real forms: which function, and how many values its input and output hold.
template <class T>
struct RealForm {
    void (VOK_CALL* inPlace)(T*, int, int);
    void (VOK_CALL* nip)(const T*, T*, int, int);
    int inExtra, outExtra;  // 2 for the CCS side of a transform
};

template <class T>
void realFft(Input& in, const RealForm<T>& form) {
    const int ord = order(in), f = flags(in);
    const long long n = pointsOf(ord);
    const long long inLen = n ? n + form.inExtra : 0, outLen = n ? n + form.outExtra : 0;
    Buffer src(in, bytesFor<T>(inLen > outLen ? inLen : outLen)), dst(in, bytesFor<T>(outLen));
    fuzz::beginCall();
    if (in.chance(4)) {
        form.inPlace(maybe<T>(in, src), ord, f);
        fuzz::expectUntouchedOnFailure("real FFT", src);
    } else {
        form.nip(maybe<T>(in, src), maybe<T>(in, dst), ord, f);
        fuzz::expectUntouchedOnFailure("real FFT Nip", src, dst);
    }
}

void intFft(Input& in) {
    const int ord = order(in), f = flags(in), mode = scaleMode(in);
    const long long n = pointsOf(ord);
    int factor = in.range(-20, 20);
    int* pf = in.chance(1) ? nullptr : &factor;
    const int which = in.byte() % 6;
    // Every form gets buffers for its largest layout (N + 2 for CCS).
    const long long len = n ? n + 2 : 0;
    Buffer a(in, bytesFor<ShortComplex>(len)), b(in, bytesFor<ShortComplex>(len));
    Buffer c(in, bytesFor<short>(len)), d(in, bytesFor<short>(len));
    const int before = factor;
    fuzz::beginCall();
    switch (which) {
        case 0: vokvFft(maybe<ShortComplex>(in, a), ord, f, mode, pf); break;
        case 1: vokvFftNip(maybe<ShortComplex>(in, a), maybe<ShortComplex>(in, b), ord, f, mode, pf); break;
        case 2: vokvrFft(maybe<short>(in, c), maybe<short>(in, d), ord, f, mode, pf); break;
        case 3: vokwRealFftlNip(maybe<short>(in, c), maybe<short>(in, d), ord, f, mode, pf); break;
        case 4: vokwRealFftNip(maybe<short>(in, c), maybe<short>(in, d), ord, f, mode, pf); break;
        default: vokwCcsFft(maybe<short>(in, c), ord, f, mode, pf); break;
    }
    fuzz::expectUntouchedOnFailure("16-bit FFT", a, b, c, d);
    if (fuzz::failures && factor != before) {
        std::fprintf(stderr, "16-bit FFT reported a failure but wrote the scale factor\n");
        std::abort();
    }
}

void dft(Input& in) {
    const int n = in.length(300), f = flags(in);
    const int which = in.byte() % 3;
    Buffer a(in, bytesFor<DoubleComplex>(n)), b(in, bytesFor<DoubleComplex>(n));
    const bool inPlace = in.chance(2);
    fuzz::beginCall();
    switch (which) {
        case 0: {
            FloatComplex* src = maybe<FloatComplex>(in, a);
            vokcDft(src, inPlace ? src : maybe<FloatComplex>(in, b), n, f);
            break;
        }
        case 1: {
            DoubleComplex* src = maybe<DoubleComplex>(in, a);
            vokzDft(src, inPlace ? src : maybe<DoubleComplex>(in, b), n, f);
            break;
        }
        default: {
            int factor = in.range(-20, 20);
            ShortComplex* src = maybe<ShortComplex>(in, a);
            vokvDft(src, inPlace ? src : maybe<ShortComplex>(in, b), n, f, scaleMode(in), in.chance(1) ? nullptr : &factor);
            break;
        }
    }
    fuzz::expectUntouchedOnFailure("DFT", a, b);
}

template <class T>
void bitRev(Input& in, void (VOK_CALL* one)(T*, int), void (VOK_CALL* two)(const T*, T*, int)) {
    const int ord = order(in);
    const long long n = pointsOf(ord);
    Buffer a(in, bytesFor<T>(n)), b(in, bytesFor<T>(n));
    fuzz::beginCall();
    if (in.chance(4)) {
        one(maybe<T>(in, a), ord);
        fuzz::expectUntouchedOnFailure("BitRev1", a);
    } else {
        two(maybe<T>(in, a), maybe<T>(in, b), ord);
        fuzz::expectUntouchedOnFailure("BitRev2", a, b);
    }
}

void bitRevIndex(Input& in) {
    const int ord = in.range(-3, 34), a = int(in.bits32());
    fuzz::beginCall();
    const int r = vokBitRev(a, ord);
    // Reversing the low 'ord' bits twice gives them back.
    if (!fuzz::failures && ord >= 0 && ord <= 31 && a >= 0 && ord < 31 && a < (1 << ord) && vokBitRev(r, ord) != a) {
        std::fprintf(stderr, "vokBitRev(vokBitRev(%d, %d)) != %d\n", a, ord, a);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 22) {
            case 0: complexFft<FloatComplex>(in, vokcFft, vokcFftNip); break;
            case 1: complexFft<DoubleComplex>(in, vokzFft, vokzFftNip); break;
            case 2: splitFft<float>(in, vokcrFft); break;
            case 3: splitFft<double>(in, vokzrFft); break;
            case 4: realFft<float>(in, {voksRealFftl, voksRealFftlNip, 0, 0}); break;
            case 5: realFft<float>(in, {voksRealFft, voksRealFftNip, 2, 2}); break;
            case 6: realFft<float>(in, {voksCcsFftl, voksCcsFftlNip, 0, 0}); break;
            case 7: realFft<float>(in, {voksCcsFft, voksCcsFftNip, 2, 0}); break;
            case 8: realFft<double>(in, {vokdRealFftl, vokdRealFftlNip, 0, 0}); break;
            case 9: realFft<double>(in, {vokdRealFft, vokdRealFftNip, 2, 2}); break;
            case 10: realFft<double>(in, {vokdCcsFftl, vokdCcsFftlNip, 0, 0}); break;
            case 11: realFft<double>(in, {vokdCcsFft, vokdCcsFftNip, 2, 0}); break;
            case 12: case 13: intFft(in); break;
            case 14: case 15: dft(in); break;
            case 16: bitRev<short>(in, vokwbBitRev1, vokwbBitRev2); break;
            case 17: bitRev<FloatComplex>(in, vokcbBitRev1, vokcbBitRev2); break;
            case 18: bitRev<double>(in, vokdbBitRev1, vokdbBitRev2); break;
            case 19: bitRev<ShortComplex>(in, vokvbBitRev1, vokvbBitRev2); break;
            case 20: bitRevIndex(in); break;
            default: vokcFreeTwdTbls(); vokzFreeTwdTbls(); vokFreeBitRevTbls(); break;
        }
    }
    return 0;
}
