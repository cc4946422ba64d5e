// The demo's processing steps, each a few library calls.
#pragma once

#include <vector>

namespace demo {

// Linear-phase band-pass FIR of odd length passing [lowHz, highHz].
std::vector<float> designBandPass(int taps, double lowHz, double highHz, double sampleRate);
// Linear-phase low-pass FIR passing [0, cutoffHz] with the given pass-band gain.
std::vector<float> designLowPass(int taps, double cutoffHz, double sampleRate, double gain);

// Filters with a linear-phase FIR and removes its delay, so the output lines
// up with the input sample for sample.
std::vector<float> filterAligned(const std::vector<float>& signal, const std::vector<float>& taps);

// Keeps every second sample.
std::vector<float> decimateBy2(const std::vector<float>& signal);
// Inserts zeros and smooths them with an anti-imaging low-pass; length 2n.
std::vector<float> interpolateBy2(const std::vector<float>& signal, double sampleRate);

// Averaged power spectrum (Hann windows of 2^order points, half overlapping),
// in dB relative to a full-scale sine; entry k is frequency k*rate/2^order.
std::vector<double> powerSpectrumDb(const std::vector<float>& signal, int order);
// Magnitude response of FIR taps at 2^(order-1)+1 frequencies from 0 to Nyquist, in dB.
std::vector<double> responseDb(const std::vector<float>& taps, int order);

// Wavelet decomposition (Daubechies, 4 vanishing moments) of the whole signal,
// in blocks of 2^order samples (the last padded with silence), into 'levels'
// detail bands and one approximation, each band the blocks' coefficients in
// turn. Bands are returned coarse first: the approximation, then details level ... 1.
std::vector<std::vector<float>> waveletBands(const std::vector<float>& signal, int order, int levels);

// Ratio of signal power to error power, in dB.
double snrDb(const std::vector<float>& reference, const std::vector<float>& test, std::size_t from, std::size_t to);

}  // namespace demo
