// Runs a test body once for every kernel width this processor supports.
#pragma once

#include <gtest/gtest.h>

#include "kernels/dispatch.h"

namespace voktest {

// Under a user-mode emulator (the 32-bit build on a kernel without 32-bit
// support) everything runs some twenty times slower and long-double
// references far more: long sweeps stop at smaller sizes there.
#ifdef VOK_TESTS_EMULATED
inline constexpr bool kEmulated = true;
#else
inline constexpr bool kEmulated = false;
#endif

template <class Body>
void forEachWidth(Body body) {
    const vok::simd::Isa best = vok::simd::supported();
    for (int isa = vok::simd::kSse2; isa <= best; ++isa) {
        vok::simd::limitTo(static_cast<vok::simd::Isa>(isa));
        SCOPED_TRACE(vok::simd::isaName(static_cast<vok::simd::Isa>(isa)));
        body();
    }
    vok::simd::limitTo(vok::simd::kAvx512);
}

}  // namespace voktest
