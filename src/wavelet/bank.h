// Double-precision filter banks of the predefined wavelets, built before the
// record's own arrays are allocated. Not part of the exported interface.
#pragma once

#include "core/check.h"

namespace vok::wavelet {

constexpr int kMaxTaps = 32;  // longest predefined filter: the 30-tap Coiflet

struct Bank {
    int kind = 0;  // 1 orthogonal, 2 biorthogonal
    int length[4] = {};
    int offset[4] = {};
    double taps[4][kMaxTaps] = {};
};

// The orthogonal bank of a low-pass prototype h of L <= kMaxTaps taps. Reports
// under check's function and returns false when h is unusable.
bool buildOrthogonalBank(const ArgChecks& check, const double* h, int L, Bank& bank);

// The bank of a predefined type 1 ... 9; reports bad types and parameters.
bool buildBank(const ArgChecks& check, int wtType, int par1, int par2, Bank& bank);

}  // namespace vok::wavelet
