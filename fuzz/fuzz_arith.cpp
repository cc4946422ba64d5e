// Fuzzes the floating-point vector arithmetic and the single complex numbers.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;
using fuzz::maybe;

template <class T>
void oneCall(Input& in, int op, T val) {
    const int n = in.length(4096);
    // ConjExtend writes 2n-2 elements.
    const int room = n > 0 ? 2 * n : 0;
    Buffer a(in, bytesFor<T>(room)), b(in, bytesFor<T>(room)), d(in, bytesFor<T>(room));
    T* pa = maybe<T>(in, a);
    T* pb = maybe<T>(in, b);
    T* pd = maybe<T>(in, d);
    fuzz::beginCall();
    if constexpr (std::is_same_v<T, float>) {
        switch (op % 12) {
            case 0: voksbZero(pd, n); break;
            case 1: voksbSet(val, pd, n); break;
            case 2: voksbCopy(pa, pd, n); break;
            case 3: voksbAdd1(val, pd, n); break;
            case 4: voksbAdd2(pa, pd, n); break;
            case 5: voksbAdd3(pa, pb, pd, n); break;
            case 6: voksbSub1(val, pd, n); break;
            case 7: voksbSub2(pa, pd, n); break;
            case 8: voksbSub3(pa, pb, pd, n); break;
            case 9: voksbMpy1(val, pd, n); break;
            case 10: voksbMpy2(pa, pd, n); break;
            default: voksbMpy3(pa, pb, pd, n); break;
        }
    } else {
        switch (op % 17) {
            case 0: vokcbZero(pd, n); break;
            case 1: vokcbSet(val, pd, n); break;
            case 2: vokcbCopy(pa, pd, n); break;
            case 3: vokcbAdd1(val, pd, n); break;
            case 4: vokcbAdd2(pa, pd, n); break;
            case 5: vokcbAdd3(pa, pb, pd, n); break;
            case 6: vokcbSub2(pa, pd, n); break;
            case 7: vokcbSub3(pa, pb, pd, n); break;
            case 8: vokcbMpy1(val, pd, n); break;
            case 9: vokcbMpy2(pa, pd, n); break;
            case 10: vokcbMpy3(pa, pb, pd, n); break;
            case 11: vokcbConj1(pd, n); break;
            case 12: vokcbConj2(pa, pd, n); break;
            case 13: vokcbConjFlip2(pa, pd, n); break;
            case 14: vokcbConjExtend1(pd, n); break;
            case 15: vokcbConjExtend2(pa, pd, n); break;
            default: vokcDiv(val, FloatComplex{in.real(), in.real()}); break;
        }
    }
    fuzz::expectUntouchedOnFailure("arith", a, b, d);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        const int op = in.byte();
        if (op & 128) oneCall<FloatComplex>(in, op, FloatComplex{in.real(), in.real()});
        else oneCall<float>(in, op, in.real());
    }
    return 0;
}
