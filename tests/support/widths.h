// Runs a test body once for every kernel width this processor supports.
#pragma once

#include <gtest/gtest.h>

#include "kernels/dispatch.h"

namespace voktest {

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
