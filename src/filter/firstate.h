// The polyphase table of the single-state FIR record, shared by its float and
// 16-bit forms: one entry per output of an iteration.
#pragma once

#include <cstdint>

#include "filter/fir.h"
#include "vok/fir.h"

namespace vok::fir {

struct PhaseEntry {
    std::int32_t branch, count, offset, start;
};

inline void fillPhaseTable(FirState* st) {
    auto* table = static_cast<PhaseEntry*>(st->phaseTable);
    const int len = st->tapsLen, up = st->upFactor, down = st->downFactor;
    const int rest = len % up;
    int r = ((st->downPhase - st->upPhase) % up + up) % up;
    for (int e = 0; e < up; ++e) {
        const std::int64_t j = st->downPhase + std::int64_t(e) * down;
        const std::int64_t inserted = j >= st->upPhase ? (j - st->upPhase) / up + 1 : 0;
        table[e] = {r, branchCount(len, up, r), std::int32_t(inserted + (rest != 0 && r >= rest ? 1 : 0)),
                    branchStart(len, up, r)};
        r = int((r + std::int64_t(down)) % up);
    }
}

}  // namespace vok::fir
