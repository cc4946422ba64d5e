// Fuzzes the vector functions: arithmetic, element-wise functions (16-bit ones
// under every scale mode), statistics and norms, conversions to and from
// integers and fix-point of any width, fraction bits and rounding flags,
// polar and cartesian forms, magnitudes, A-law and mu-law.
#include "fuzz_support.h"

namespace fuzz {

// Integer sides of 8, 16 or 32 bits; a width the library refuses gets one
// byte per element, so that any write on a refused call shows up.
Shape integerSide(Input& in) {
    const int n = in.length(2000), bits = in.chance(6) ? 8 << in.range(0, 2) : in.range(-4, 40);
    return {{n}, {n, bits, in.range(-4, 40), in.chance(6) ? in.range(0, 15) : int(in.bits32())}, false,
            (long long)std::max(n, 0) * (bits == 16 ? 2 : bits == 32 ? 4 : 1)};
}

// Conversions whose int pointers are arrays of values.
Shape intArrays(Input& in) {
    const int n = in.length(2000);
    return {{n}, {n}, true};
}

std::vector<Entry> entries() {
    // Square roots of negative elements, reciprocals of zeros and values that
    // did not fit an integer are reported once the whole output is written.
    reportsAfterOutput = {"Element of input vector is negative", "zero element and zero thresh",
                          "A float exceeds an integer"};
    return list(
        voksbZero, voksbSet, voksbCopy, voksbAdd1, voksbAdd2, voksbAdd3, voksbSub1, voksbSub2, voksbSub3, voksbMpy1,
        voksbMpy2, voksbMpy3, vokcbZero, vokcbSet, vokcbCopy, vokcbAdd1, vokcbAdd2, vokcbAdd3, vokcbSub2, vokcbSub3,
        vokcbMpy1, vokcbMpy2, vokcbMpy3, vokcbConj1, vokcbConj2, vokcbConjFlip2, vec(vokcbConjExtend1, 2),
        vec(vokcbConjExtend2, 2), vokcDiv, voksbSqrt1, vokcbSqrt1, vokvbSqrt1, voksbThresh1, vokcbThresh1, vokwbThresh1,
        vokdbInvThresh1, vokwbSqr1, vokvbSqr1, vokwbAbs1, vokdbLn1, vokwbLn1, vokwbExp1, voksbExp1, voksMean, vokwMean,
        voksStdDev, vokwMax, vokdMin, voksNorm, vokdNorm, vokwNorm, voksbNormalize, vokwbNormalize, vokcbCartToPolar,
        vokcbPolarToCart, voksbrPhase, vokvbMag, vokvbPowerSpectr, vokvbPhase, voksbFloatToS7Fix, voksbFloatToS15Fix,
        vokdbS7FixToFloat, vokdbS15FixToFloat, shaped(vokdbFloatToS31Fix, intArrays),
        shaped(vokdbFloatToS1516Fix, intArrays), shaped(voksbS31FixToFloat, intArrays),
        shaped(voksbS1516FixToFloat, intArrays), shaped(voksbFloatToInt, integerSide),
        shaped(voksbIntToFloat, integerSide), shaped(voksbFloatToFix, integerSide),
        shaped(voksbFixToFloat, integerSide), shaped(vokdbFloatToInt, integerSide),
        shaped(vokdbIntToFloat, integerSide), shaped(vokdbFloatToFix, integerSide),
        shaped(vokdbFixToFloat, integerSide), voksbLinToALaw, vokdbLinToMuLaw, shaped(vokibLinToALaw, intArrays),
        vokwbLinToMuLaw, voksbMuLawToLin, shaped(vokibALawToLin, intArrays), vokMuLawToALaw, vokALawToMuLaw);
}

}  // namespace fuzz
