// Tone generator for 16-bit and complex 16-bit samples. Single-sample calls
// are served from a buffer of 32 (16 complex) samples in the record; block
// calls drain that buffer first and then generate straight into the caller's
// array, so any mix of the two yields one continuous sequence.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/scale16.h"
#include "signal/tone.h"

namespace {

using vok::ArgChecks;
using vok::wrap16Rounded;
namespace tone = vok::tone;
constexpr const char* kModule = "voktonew";
constexpr int kRealRoom = 32;
constexpr int kComplexRoom = 16;

static_assert(sizeof(VokWToneState) == 124 && offsetof(VokWToneState, bufIndex) == 40 &&
              offsetof(VokWToneState, buffer) == 44 && offsetof(VokWToneState, magnitude) == 108 &&
              offsetof(VokWToneState, freq) == 112 && offsetof(VokWToneState, phase) == 116 &&
              offsetof(VokWToneState, marker) == 120);

void init(const ArgChecks& check, float freq, float phase, short magnitude, VokWToneState* state, int room) {
    if (tone::badParameters(check, freq, phase, magnitude, state)) return;
    const tone::Start s = tone::start(freq, phase, magnitude);
    state->coef = s.coef;
    state->curRe = s.curRe;
    state->curIm = s.curIm;
    state->prevRe = s.prevRe;
    state->prevIm = s.prevIm;
    state->bufIndex = room;
    std::memset(&state->buffer, 0, sizeof state->buffer);
    state->magnitude = magnitude;
    state->freq = freq;
    state->phase = phase;
    std::memcpy(state->marker, tone::kMarker, 4);
}

void runReal(VokWToneState* state, short* out, int n) {
    tone::Recurrence r{state->coef, state->curRe, state->prevRe};
    for (int i = 0; i < n; ++i) out[i] = wrap16Rounded(r.next());
    state->curRe = r.cur;
    state->prevRe = r.prev;
}

void runComplex(VokWToneState* state, ShortComplex* out, int n) {
    tone::Recurrence re{state->coef, state->curRe, state->prevRe};
    tone::Recurrence im{state->coef, state->curIm, state->prevIm};
    for (int i = 0; i < n; ++i) {
        out[i].re = wrap16Rounded(re.next());
        out[i].im = wrap16Rounded(im.next());
    }
    state->curRe = re.cur;
    state->prevRe = re.prev;
    state->curIm = im.cur;
    state->prevIm = im.prev;
}

// The buffered samples of one element type: where they live and how many.
template <class T>
T* bufferOf(VokWToneState* state);
template <>
short* bufferOf<short>(VokWToneState* state) { return state->buffer.real; }
template <>
ShortComplex* bufferOf<ShortComplex>(VokWToneState* state) { return state->buffer.cplx; }

void run(VokWToneState* state, short* out, int n) { runReal(state, out, n); }
void run(VokWToneState* state, ShortComplex* out, int n) { runComplex(state, out, n); }

template <class T, int Room>
T one(const ArgChecks& check, VokWToneState* state) {
    if (tone::badState(check, state)) return T{};
    T* buffered = bufferOf<T>(state);
    int index = state->bufIndex;
    if (index < 0 || index >= Room) {
        run(state, buffered, Room);
        index = 0;
    }
    state->bufIndex = index + 1;
    return buffered[index];
}

template <class T, int Room>
void block(const ArgChecks& check, VokWToneState* state, T* out, int n) {
    if (tone::badBlock(check, state, out, n)) return;
    const int index = std::clamp(state->bufIndex, 0, Room);
    const int fromBuffer = std::min(Room - index, n);
    std::copy_n(bufferOf<T>(state) + index, fromBuffer, out);
    state->bufIndex = index + fromBuffer;
    if (n > fromBuffer) run(state, out + fromBuffer, n - fromBuffer);
}

}  // namespace

extern "C" {

VOK_API void VOK_CALL vokwToneInit(float freq, float phase, short magnitude, VokWToneState* state) {
    init(VOK_CHECKS, freq, phase, magnitude, state, kRealRoom);
}
VOK_API void VOK_CALL vokvToneInit(float freq, float phase, short magnitude, VokWToneState* state) {
    init(VOK_CHECKS, freq, phase, magnitude, state, kComplexRoom);
}
VOK_API short VOK_CALL vokwTone(VokWToneState* state) { return one<short, kRealRoom>(VOK_CHECKS, state); }
VOK_API ShortComplex VOK_CALL vokvTone(VokWToneState* state) {
    return one<ShortComplex, kComplexRoom>(VOK_CHECKS, state);
}
VOK_API void VOK_CALL vokwbTone(VokWToneState* state, short* buffer, int n) {
    block<short, kRealRoom>(VOK_CHECKS, state, buffer, n);
}
VOK_API void VOK_CALL vokvbTone(VokWToneState* state, ShortComplex* buffer, int n) {
    block<ShortComplex, kComplexRoom>(VOK_CHECKS, state, buffer, n);
}

}  // extern "C"
