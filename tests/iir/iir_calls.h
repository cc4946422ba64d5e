// The IIR entry points of every type combination behind one static interface,
// so that one harness runs them all: the eight floating-point combinations and
// the 16-bit filters (scale mode bound: no scaling).
#pragma once

#include <gtest/gtest.h>

#include "vok.h"

namespace iirtest {

// I input, C coefficients, O output and delay line (Dl), ct/ot the letters of
// the coefficient and delay-line initialisations.
#define COMBO(tag, I_, C_, O_, ct, ot)                                                                        \
    struct tag {                                                                                              \
        using I = I_;                                                                                         \
        using C = C_;                                                                                         \
        using O = O_;                                                                                         \
        using Dl = O_;                                                                                        \
        static constexpr const char *low = "vokiirl", *high = "vokiirh", *orderMsg = "order < 0";             \
        static constexpr const char* quadsMsg = "numQuads <= 0";                                              \
        static void init(int t, C* taps, int order, IirTapState* s) { vok##ct##IirlInit(t, taps, order, s); } \
        static void initBq(int t, C* taps, int nq, IirTapState* s) { vok##ct##IirlInitBq(t, taps, nq, s); }   \
        static void initDlyl(const IirTapState* s, O* d, IirDlyState* ds) { vok##ot##IirlInitDlyl(s, d, ds); } \
        static O one(const IirTapState* s, IirDlyState* d, I x) { return vok##tag##Iirl(s, d, x); }           \
        static void blk(const IirTapState* s, IirDlyState* d, const I* x, O* y, int n) {                     \
            vok##tag##bIirl(s, d, x, y, n);                                                                  \
        }                                                                                                     \
        static void hInit(int t, const C* taps, int n, IirState* s) { vok##tag##IirInit(t, taps, n, s); }     \
        static void hInitBq(int t, const C* taps, int n, IirState* s) { vok##tag##IirInitBq(t, taps, n, s); } \
        static O hOne(IirState* s, I x) { return vok##tag##Iir(s, x); }                                       \
        static int hBlk(IirState* s, const I* x, O* y, int n) { return vok##tag##bIir(s, x, y, n); }          \
        static constexpr const char* names[9] = {                                                             \
            "vok" #ct "IirlInit", "vok" #ct "IirlInitBq", "vok" #ot "IirlInitDlyl", "vok" #tag "Iirl",        \
            "vok" #tag "bIirl",   "vok" #tag "IirInit",   "vok" #tag "IirInitBq",   "vok" #tag "Iir",         \
            "vok" #tag "bIir"};                                                                               \
    };
COMBO(s, float, float, float, s, s)
COMBO(d, double, double, double, d, d)
COMBO(c, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(z, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(sc, float, FloatComplex, FloatComplex, c, c)
COMBO(cs, FloatComplex, float, FloatComplex, s, c)
COMBO(dz, double, DoubleComplex, DoubleComplex, z, z)
COMBO(zd, DoubleComplex, double, DoubleComplex, d, z)
#undef COMBO

inline int scaleFactor = 0;
struct w {
    using I = short;
    using C = float;
    using O = short;
    using Dl = int;
    static constexpr const char *low = "vokiirlw", *high = "vokiirhw", *orderMsg = "order<0";
    static constexpr const char* quadsMsg = "numQuads<=0";
    static void init(int t, float* taps, int order, IirTapState* s) { vokwIirlInit(t, taps, order, s); }
    static void initBq(int t, float* taps, int nq, IirTapState* s) { vokwIirlInitBq(t, taps, nq, s); }
    static void initDlyl(const IirTapState* s, int* d, IirDlyState* ds) { vokwIirlInitDlyl(s, d, ds); }
    static short one(const IirTapState* s, IirDlyState* d, short x) {
        return vokwIirl(s, d, x, VOK_NO_SCALE, &scaleFactor);
    }
    static void blk(const IirTapState* s, IirDlyState* d, const short* x, short* y, int n) {
        vokwbIirl(s, d, x, y, n, VOK_NO_SCALE, &scaleFactor);
    }
    static void hInit(int t, const float* taps, int n, IirState* s) { vokwIirInit(t, taps, n, s); }
    static void hInitBq(int t, const float* taps, int n, IirState* s) { vokwIirInitBq(t, taps, n, s); }
    static short hOne(IirState* s, short x) { return vokwIir(s, x, VOK_NO_SCALE, &scaleFactor); }
    static int hBlk(IirState* s, const short* x, short* y, int n) {
        return vokwbIir(s, x, y, n, VOK_NO_SCALE, &scaleFactor);
    }
    static constexpr const char* names[9] = {"vokwIirlInit", "vokwIirlInitBq", "vokwIirlInitDlyl",
                                             "vokwIirl",     "vokwbIirl",      "vokwIirInit",
                                             "vokwIirInitBq", "vokwIir",       "vokwbIir"};
};

}  // namespace iirtest
