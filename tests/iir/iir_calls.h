// The IIR entry points of every type combination behind one static interface,
// so that one harness runs them all: the eight floating-point combinations and
// the 16-bit filters (scale mode bound: no scaling).
#pragma once

#include "vok.h"

namespace iirtest {

inline int scaleFactor = 0;

// I input, C coefficients, O output, Dl delay line; ct/ot the letters of the
// coefficient and delay-line set-ups; the 16-bit filters' scale arguments last.
#define COMBO(tag, I_, C_, O_, Dl_, ct, ot, ...)                                                               \
    struct tag {                                                                                              \
        using I = I_;                                                                                         \
        using C = C_;                                                                                         \
        using O = O_;                                                                                         \
        using Dl = Dl_;                                                                                       \
        static constexpr bool k16 = sizeof(I_) == 2;                                                          \
        static constexpr const char* low = k16 ? "vokiirlw" : "vokiirl";                                     \
        static constexpr const char* high = k16 ? "vokiirhw" : "vokiirh";                                    \
        static constexpr const char* orderMsg = k16 ? "order<0" : "order < 0";                                \
        static constexpr const char* quadsMsg = k16 ? "numQuads<=0" : "numQuads <= 0";                        \
        static void init(int t, C* taps, int order, IirTapState* s) { vok##ct##IirlInit(t, taps, order, s); } \
        static void initBq(int t, C* taps, int nq, IirTapState* s) { vok##ct##IirlInitBq(t, taps, nq, s); }   \
        static void initDlyl(const IirTapState* s, Dl* d, IirDlyState* ds) { vok##ot##IirlInitDlyl(s, d, ds); }\
        static O one(const IirTapState* s, IirDlyState* d, I x) {                                            \
            return vok##tag##Iirl(s, d, x __VA_OPT__(, ) __VA_ARGS__);                                        \
        }                                                                                                     \
        static void blk(const IirTapState* s, IirDlyState* d, const I* x, O* y, int n) {                     \
            vok##tag##bIirl(s, d, x, y, n __VA_OPT__(, ) __VA_ARGS__);                                        \
        }                                                                                                     \
        static void hInit(int t, const C* taps, int n, IirState* s) { vok##tag##IirInit(t, taps, n, s); }     \
        static void hInitBq(int t, const C* taps, int n, IirState* s) { vok##tag##IirInitBq(t, taps, n, s); } \
        static O hOne(IirState* s, I x) { return vok##tag##Iir(s, x __VA_OPT__(, ) __VA_ARGS__); }            \
        static int hBlk(IirState* s, const I* x, O* y, int n) {                                              \
            return vok##tag##bIir(s, x, y, n __VA_OPT__(, ) __VA_ARGS__);                                     \
        }                                                                                                     \
        static constexpr const char* names[9] = {                                                             \
            "vok" #ct "IirlInit", "vok" #ct "IirlInitBq", "vok" #ot "IirlInitDlyl", "vok" #tag "Iirl",        \
            "vok" #tag "bIirl",   "vok" #tag "IirInit",   "vok" #tag "IirInitBq",   "vok" #tag "Iir",         \
            "vok" #tag "bIir"};                                                                               \
    };
COMBO(s, float, float, float, float, s, s)
COMBO(d, double, double, double, double, d, d)
COMBO(c, FloatComplex, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(z, DoubleComplex, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(sc, float, FloatComplex, FloatComplex, FloatComplex, c, c)
COMBO(cs, FloatComplex, float, FloatComplex, FloatComplex, s, c)
COMBO(dz, double, DoubleComplex, DoubleComplex, DoubleComplex, z, z)
COMBO(zd, DoubleComplex, double, DoubleComplex, DoubleComplex, d, z)
COMBO(w, short, float, short, int, w, w, VOK_NO_SCALE, &scaleFactor)
#undef COMBO

}  // namespace iirtest
