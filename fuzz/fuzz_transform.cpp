// Fuzzes the transforms: complex, real and 16-bit FFTs of every precision and
// packing, DFTs of any length, DCTs, Goertzel, bit reversal. Orders are kept
// small (tables of large orders take long to build) except for values that
// must be refused; flag words are arbitrary, VOK_Init and VOK_Free included.
#include "fuzz_support.h"

namespace fuzz {

// Mostly a workable order, sometimes one that must be refused.
int order(Input& in) {
    const int kind = in.byte() & 7;
    return kind == 0   ? in.range(-40, -1)
           : kind == 1 ? in.range(32, 40)
                       : in.range(kind == 2 ? 13 : 0, kind == 2 ? 14 : 10);
}

// Mostly a valid combination, sometimes any word.
int flags(Input& in) {
    if (in.chance(2)) return int(in.bits32() & 0x17FF);
    int f = in.chance(4) ? VOK_Forw : VOK_Inv;
    f |= (in.chance(1) ? VOK_Forw | VOK_Inv : 0) | (in.chance(2) ? VOK_NoScale : 0);
    f |= (in.chance(1) ? VOK_Init : 0) | (in.chance(1) ? VOK_Free : 0);
    static const int extra[] = {
        0, VOK_OutBitRev, VOK_InBitRev, VOK_NoBitRev, VOK_OutRCPack, VOK_OutRCPerm, VOK_InRCPack, VOK_InRCPerm};
    return f | extra[in.byte() % 8];
}

// A transform of an order: its pointers hold N (+ 2 for a CCS side) values;
// the input side gets the larger of the two.
template <class F>
Entry fft(F f, int inExtra = 0, int outExtra = 0) {
    return shaped(f, [=](Input& in) {
        const int ord = order(in);
        const long long n = ord >= 0 && ord <= 14 ? 1LL << ord : 0;
        return Shape{{n ? n + std::max(inExtra, outExtra) : 0, n ? n + outExtra : 0}, {ord, flags(in)}};
    });
}

// From src to dst, or now and then in place.
template <class R, class T, class... Rest>
Entry srcDst(R(VOK_CALL* f)(const T*, T*, int, int, Rest...), int maximum) {
    return [=](Input& in) {
        const int n = in.length(maximum), fl = flags(in);
        Call c(in);
        T* src = c.buf<T>(n);
        T* dst = in.chance(2) ? src : c.buf<T>(n);
        std::tuple<Rest...> rest{c.arg<Rest>()...};
        std::apply([&](Rest... r) { f(src, dst, n, fl, r...); }, rest);
    };
}

void goertzel(Input& in) {
    VokSGoertzState st{};
    const int status = Call(in).with(&st)(vokcGoertzInit);
    if (status == VOK_StatusOk) Call(in, iterations(in, 2000)).with(&st)(vokcbGoertz);
}

void bitRevIndex(Input& in) {
    const int ord = in.range(-3, 34), a = int(in.bits32());
    Call c(in);
    const int r = vokBitRev(a, ord);
    // Reversing the low 'ord' bits twice gives them back.
    if (!failures && ord >= 0 && ord < 31 && a >= 0 && a < (1 << ord))
        require(vokBitRev(r, ord) == a, "vokBitRev is not its own inverse");
}

std::vector<Entry> entries() {
    return list(
        fft(vokcFft), fft(vokcFftNip), fft(vokzFft), fft(vokzFftNip), fft(vokcrFft), fft(vokzrFft), fft(voksRealFftl),
        fft(voksRealFftlNip), fft(voksRealFft, 2, 2), fft(voksRealFftNip, 2, 2), fft(voksCcsFftl), fft(voksCcsFftlNip),
        fft(voksCcsFft, 2), fft(voksCcsFftNip, 2), fft(vokdRealFftl), fft(vokdRealFftlNip), fft(vokdRealFft, 2, 2),
        fft(vokdRealFftNip, 2, 2), fft(vokdCcsFftl), fft(vokdCcsFftlNip), fft(vokdCcsFft, 2), fft(vokdCcsFftNip, 2),
        fft(vokvFft, 2, 2), fft(vokvFftNip, 2, 2), fft(vokvrFft, 2, 2), fft(vokwRealFftlNip, 2, 2),
        fft(vokwRealFftNip, 2, 2), fft(vokwCcsFft, 2, 2), fft(vokwbBitRev1), fft(vokwbBitRev2), fft(vokcbBitRev1),
        fft(vokcbBitRev2), fft(vokdbBitRev1), fft(vokdbBitRev2), fft(vokvbBitRev1), fft(vokvbBitRev2),
        srcDst(vokcDft, 300), srcDst(vokzDft, 300), srcDst(vokvDft, 300), srcDst(voksDct, 3000), srcDst(vokdDct, 3000),
        srcDst(vokwDct, 3000), goertzel, bitRevIndex, [](Input&) {
            vokcFreeTwdTbls();
            vokzFreeTwdTbls();
            vokFreeBitRevTbls();
        });
}

}  // namespace fuzz
