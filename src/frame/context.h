// Per-thread context: error status, mode, report hook and the transform table
// caches. Created on demand (or at thread attach on Windows) and released at
// thread exit.
#pragma once

#include "frame/platform.h"
#include "vok/types.h"

namespace vok {

constexpr int kMaxOrder = 31;
constexpr int kOrderSlots = kMaxOrder + 1;
constexpr int kDftTableCapacity = 32;
constexpr int kWorkSlots = 4;

// Element kinds of the twiddle caches.
enum TableKind : int { kKindC = 0, kKindZ = 1, kKindV = 2, kTableKinds = 3 };
// Precisions of the internal FFT tables.
enum Precision : int { kSingle = 0, kDouble = 1, kPrecisions = 2 };
// Internal FFT tables per precision and order (radix-4 twiddles, pair twiddles,
// large twiddles, real recombination); the FFT kernels decide their contents.
constexpr int kInternalFftTables = 4;

struct DftTableList {
    int lengths[kDftTableCapacity];
    void* tables[kDftTableCapacity];
    // The entry of the latest look-up (length 0: none), which the DFT checks
    // inline before it calls the look-up: most calls repeat a length.
    int recentLength;
    void* recentTable;
};

struct WorkSlot {
    int capacity;
    FloatComplex* buffer;
};

// The chirp filter of the most recent long DFT length and precision (chirp,
// filter spectrum and a work area in one block; see transform/vokdft.cpp).
struct ChirpCache {
    int length;
    int precision;  // kSingle or kDouble
    void* block;
};

// Mixed-radix FFT plans of the most recent DFT lengths, per precision
// (factors, twiddles and work areas in one block each; see
// transform/mixedfft.cpp), replaced in turn once all are taken.
constexpr int kDftPlans = 4;
struct DftPlanCache {
    void* plans[kDftPlans];
    int next;
};

// The DCT's twiddles for the thread's most recent length (see transform/vokdct.cpp).
struct DctCache {
    double* twiddles;
    int length;
};

struct TransformCaches {
    DftTableList dft[kTableKinds];                     // counts live in the context record
    void* fftTwiddle[kTableKinds][kOrderSlots];
    int* bitRev[kOrderSlots];
    int* swap[kOrderSlots];
    void* internalFft[kPrecisions][kOrderSlots][kInternalFftTables];
    WorkSlot work[kWorkSlots];
    ChirpCache chirp;
    DftPlanCache dftPlans[kPrecisions];
    DctCache dct;
};

}  // namespace vok

struct VokThreadContext {
    int status;
    int errorMode;
    VokReportFunc reportHook;
    int tableCapacity;
    int dftCount[vok::kTableKinds];  // complex float, complex double, complex 16-bit
    vok::TransformCaches tables;
};

namespace vok {

// The calling thread's first call: creates and stores its context. Creation
// failure ends the process with the library's fatal-exit text.
VokThreadContext& createThreadContext();

// The calling thread's context, created on first use.
inline VokThreadContext& threadContext() {
    if (VokThreadContext* ctx = platform::loadContext()) [[likely]]
        return *ctx;
    return createThreadContext();
}

// Zero-filled and initialised context, or null when memory is short.
VokThreadContext* createContext();
// Releases the record and every table block it still refers to.
void releaseContext(VokThreadContext* ctx);

}  // namespace vok
