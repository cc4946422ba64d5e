// The single-state FIR record (FirState) as its two implementations use it:
// vokfirh.cpp (float, double, complex and mixed taps and data) and
// vokfirhw.cpp (float taps, 16-bit data). Fields whose meaning differs:
//
//   field            float, double, complex, mixed          16-bit data
//   tapsLen          the caller's tapsLen                   multirate: upFactor * dlyLen (zero padded)
//   origTapsLen      the caller's tapsLen                   the caller's tapsLen
//   tapsLenUnrolled  tapsLen rounded down to the unroll     0
//   tapsBuf          taps in filter order (packTaps)        float taps in filter order
//   dlyLen           tapsLen - 1; multirate ceil(tapsLen / upFactor), both forms
//   bufRoom          new samples between two moves of the delay line (multirate: a multiple of downFactor)
//   window, bufWrap  the window in sampleBuf, the move point  null
//   windowPos        0                                      the window's offset in sampleBuf
//   tapsScale        0                                      the taps' scale factor
//   phaseTable       multirate: one PhaseEntry per output of an iteration, both forms
//
// Below, the polyphase table, shared by both forms.
#pragma once

#include <cstdint>

#include "filter/fir.h"
#include "vok/fir.h"
#include "vok/frame.h"

namespace vok::fir {

// Frees what a record holds and marks it uninitialised (both element types).
inline void releaseState(FirState* st) {
    vokFree(st->tapsBuf);
    vokFree(st->sampleBuf);
    vokFree(st->phaseTable);
    st->tapsBuf = nullptr;
    st->sampleBuf = nullptr;
    st->phaseTable = nullptr;
    st->window = nullptr;
    st->bufWrap = nullptr;
    st->selfRef = nullptr;
}

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
