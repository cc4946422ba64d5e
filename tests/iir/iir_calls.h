// The IIR entry points of every type combination behind one static interface,
// so that one harness runs them all: the eight floating-point combinations and
// the 16-bit filters (scale mode bound: no scaling).
#pragma once

#include "vok.h"

namespace iirtest {

inline int scaleFactor = 0;

// I input, C coefficients, O output, Dl delay line; ct/ot the letters of the
// coefficient and delay-line set-ups; the 16-bit filters' scale arguments last.
#define COMBO(tag, I_, C_, O_, Dl_, ct, ot, ...)                                                              \
    struct tag {                                                                                             \
        using I = I_;                                                                                        \
        using C = C_;                                                                                        \
        using O = O_;                                                                                        \
        using Dl = Dl_;                                                                                      \
        static constexpr bool k16 = sizeof(I_) == 2;                                                         \
        static constexpr const char* low = k16 ? "vokiirlw" : "vokiirl";                                     \
        static constexpr const char* high = k16 ? "vokiirhw" : "vokiirh";                                    \
        static constexpr const char* orderMsg = k16 ? "order<0" : "order < 0";                               \
        static constexpr const char* quadsMsg = k16 ? "numQuads<=0" : "numQuads <= 0";                       \
        static constexpr auto init = vok##ct##IirlInit;                                                      \
        static constexpr auto initBq = vok##ct##IirlInitBq;                                                  \
        static constexpr auto initDlyl = vok##ot##IirlInitDlyl;                                              \
        static constexpr auto one = [](auto... a) { return vok##tag##Iirl(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto blk = [](auto... a) { return vok##tag##bIirl(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto hInit = vok##tag##IirInit;                                                     \
        static constexpr auto hInitBq = vok##tag##IirInitBq;                                                 \
        static constexpr auto hOne = [](auto... a) { return vok##tag##Iir(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr auto hBlk = [](auto... a) { return vok##tag##bIir(a... __VA_OPT__(, ) __VA_ARGS__); }; \
        static constexpr const char* names[9] = {                                                            \
            "vok" #ct "IirlInit", "vok" #ct "IirlInitBq", "vok" #ot "IirlInitDlyl", "vok" #tag "Iirl",       \
            "vok" #tag "bIirl",   "vok" #tag "IirInit",   "vok" #tag "IirInitBq",   "vok" #tag "Iir",        \
            "vok" #tag "bIir"};                                                                              \
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
