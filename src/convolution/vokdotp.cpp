// Dot products Σ a[i]·b[i] (no conjugation) for every floating type pair.
#include "convolution/products.h"
#include "core/check.h"
#include "vok/convolution.h"

namespace {

using vok::ArgChecks;
namespace p = vok::products;
constexpr const char* kModule = "vokdotp";

template <class A, class B>
p::ResultOf<A, B> dotProduct(ArgChecks check, const A* a, const B* b, int len) {
    if (check(!a, "Null buffer pointer") || check(!b, "Null buffer pointer") || check(len < 0, "Invalid value"))
        return {};
    return p::narrow<p::ResultOf<A, B>>(p::sum<false>(a, b, len));
}

}  // namespace

extern "C" {

#define VOK_DOT(name, R, A, B) \
    VOK_API R VOK_CALL name(const A* a, const B* b, int len) { return dotProduct(VOK_CHECKS, a, b, len); }

VOK_DOT(voksDotProd, float, float, float)
VOK_DOT(vokdDotProd, double, double, double)
VOK_DOT(vokcDotProd, FloatComplex, FloatComplex, FloatComplex)
VOK_DOT(vokzDotProd, DoubleComplex, DoubleComplex, DoubleComplex)
VOK_DOT(vokscDotProd, FloatComplex, float, FloatComplex)
VOK_DOT(vokcsDotProd, FloatComplex, FloatComplex, float)
VOK_DOT(vokdzDotProd, DoubleComplex, double, DoubleComplex)
VOK_DOT(vokzdDotProd, DoubleComplex, DoubleComplex, double)

}  // extern "C"
