// Fuzzes the DCT of every type and the Goertzel evaluation: arbitrary lengths,
// flag words (including the release value), frequencies and null pointers.
#include "fuzz_support.h"

namespace {

using fuzz::Buffer;
using fuzz::Input;
using fuzz::bytesFor;

template <class T>
void dct(Input& in, void (*transform)(const T*, T*, int, int)) {
    const int n = in.length(3000);
    const int flags = in.chance(6) ? in.range(1, 2) : in.range(-2, 12);
    Buffer src(in, bytesFor<T>(n)), dst(in, bytesFor<T>(n));
    const bool inPlace = in.chance(2);
    T* ps = in.chance(1) ? nullptr : src.as<T>();
    T* pd = in.chance(1) ? nullptr : inPlace ? src.as<T>() : dst.as<T>();
    fuzz::beginCall();
    transform(ps, pd, n, flags);
    fuzz::expectUntouchedOnFailure("dct", src, dst);
}

void goertzel(Input& in) {
    VokSGoertzState st{};
    const float freq = in.real();
    fuzz::beginCall();
    const int status = vokcGoertzInit(freq, in.chance(1) ? nullptr : &st);
    if (status != VOK_StatusOk) return;
    const int n = in.length(2000);
    Buffer data(in, bytesFor<FloatComplex>(n));
    const VokSGoertzState before = st;
    fuzz::beginCall();
    vokcbGoertz(in.chance(1) ? nullptr : &st, in.chance(1) ? nullptr : data.as<FloatComplex>(), n);
    if (fuzz::failures && std::memcmp(&before, &st, sizeof st) != 0) {
        std::fprintf(stderr, "vokcbGoertz reported a failure but changed the state\n");
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 4) {
            case 0: dct<float>(in, voksDct); break;
            case 1: dct<double>(in, vokdDct); break;
            case 2: dct<short>(in, vokwDct); break;
            default: goertzel(in); break;
        }
    }
    return 0;
}
