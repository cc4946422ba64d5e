#include "processing.h"

#include <algorithm>
#include <cmath>

#include "vok.h"

namespace demo {

namespace {

constexpr int kHammingWindow = 3;

std::vector<float> toFloat(const std::vector<double>& taps, double gain) {
    std::vector<float> out(taps.size());
    for (std::size_t k = 0; k < taps.size(); ++k) out[k] = float(gain * taps[k]);
    return out;
}

}  // namespace

std::vector<float> designBandPass(int taps, double lowHz, double highHz, double sampleRate) {
    // Hamming-windowed band-pass with unit gain at the band centre; its stop
    // band lies below about -50 dB.
    std::vector<double> h(std::size_t(taps), 0.0);
    vokdFirBandpass(lowHz / sampleRate, highHz / sampleRate, h.data(), taps, kHammingWindow, 1);
    return toFloat(h, 1.0);
}

std::vector<float> designLowPass(int taps, double cutoffHz, double sampleRate, double gain) {
    std::vector<double> h(std::size_t(taps), 0.0);
    vokdFirLowpass(cutoffHz / sampleRate, h.data(), taps, kHammingWindow, 1);
    return toFloat(h, gain);
}

std::vector<float> filterAligned(const std::vector<float>& signal, const std::vector<float>& taps) {
    // A linear-phase filter delays by half its length: feed that many zeros
    // after the signal and drop the first outputs.
    const int n = int(signal.size()), m = int(taps.size()), delay = m / 2;
    std::vector<float> input(signal), output(std::size_t(n + delay));
    input.resize(std::size_t(n + delay), 0.0f);
    FirState fir;
    voksFirInit(taps.data(), m, nullptr, &fir);
    voksbFir(&fir, input.data(), output.data(), n + delay);
    vokFirFree(&fir);
    return {output.begin() + delay, output.end()};
}

std::vector<float> decimateBy2(const std::vector<float>& signal) {
    std::vector<float> out((signal.size() + 1) / 2);
    int length = 0, phase = 0;
    voksDownSample(signal.data(), int(signal.size()), out.data(), &length, 2, &phase);
    out.resize(std::size_t(length));
    return out;
}

std::vector<float> interpolateBy2(const std::vector<float>& signal, double sampleRate) {
    std::vector<float> stuffed(2 * signal.size());
    int length = 0, phase = 0;
    voksUpSample(signal.data(), int(signal.size()), stuffed.data(), &length, 2, &phase);
    // Every second sample is zero, so the image filter needs a gain of 2.
    return filterAligned(stuffed, designLowPass(127, 0.23 * sampleRate, sampleRate, 2.0));
}

std::vector<double> powerSpectrumDb(const std::vector<float>& signal, int order) {
    const std::size_t n = std::size_t(1) << order, bins = n / 2 + 1;
    std::vector<float> window(n, 1.0f), frame(n + 2), power(bins);
    voksWinHann(window.data(), int(n));
    std::vector<double> sum(bins, 0.0);
    int frames = 0;
    for (std::size_t start = 0; start + n <= signal.size(); start += n / 2, ++frames) {
        voksbMpy3(signal.data() + start, window.data(), frame.data(), int(n));
        voksRealFft(frame.data(), order, VOK_Forw);  // CCS: n/2 + 1 complex bins
        vokcbPowerSpectr(reinterpret_cast<const FloatComplex*>(frame.data()), power.data(), int(bins));
        for (std::size_t k = 0; k < bins; ++k) sum[k] += power[k];
    }
    // A full-scale sine gives a Hann-windowed peak of n/4.
    const double fullScale = double(n) * double(n) / 16.0;
    std::vector<double> db(bins);
    for (std::size_t k = 0; k < bins; ++k)
        db[k] = 10 * std::log10(std::max(sum[k] / std::max(frames, 1) / fullScale, 1e-14));
    return db;
}

std::vector<double> responseDb(const std::vector<float>& taps, int order) {
    const std::size_t n = std::size_t(1) << order, bins = n / 2 + 1;
    std::vector<float> padded(n + 2, 0.0f), magnitude(bins);
    std::copy(taps.begin(), taps.end(), padded.begin());
    voksRealFft(padded.data(), order, VOK_Forw);
    vokcbMag(reinterpret_cast<const FloatComplex*>(padded.data()), magnitude.data(), int(bins));
    std::vector<double> db(bins);
    for (std::size_t k = 0; k < bins; ++k) db[k] = 20 * std::log10(std::max(double(magnitude[k]), 1e-7));
    return db;
}

std::vector<std::vector<float>> waveletBands(const std::vector<float>& signal, int order, int levels) {
    VokWtState state{};
    voksWtInit(4, 0, order, levels, &state, VOK_WtDaublet);
    const std::size_t n = std::size_t(1) << order;
    std::vector<std::vector<float>> bands(std::size_t(levels) + 1);
    std::vector<float> block(n), coefficients(n);
    for (std::size_t from = 0; from < signal.size(); from += n) {
        // The last block is padded with silence.
        const std::size_t count = std::min(n, signal.size() - from);
        std::copy_n(signal.begin() + std::ptrdiff_t(from), count, block.begin());
        std::fill(block.begin() + std::ptrdiff_t(count), block.end(), 0.0f);
        voksWtDecompose(&state, block.data(), coefficients.data());
        // Layout: the approximation, then the details of levels ... 1, each twice the last.
        std::size_t start = 0, length = n >> levels;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            bands[b].insert(bands[b].end(), coefficients.begin() + std::ptrdiff_t(start),
                            coefficients.begin() + std::ptrdiff_t(start + length));
            start += length;
            if (b > 0) length *= 2;
        }
    }
    vokWtFree(&state);
    return bands;
}

double snrDb(const std::vector<float>& reference, const std::vector<float>& test, std::size_t from, std::size_t to) {
    double signalPower = 0, errorPower = 0;
    for (std::size_t i = from; i < to && i < reference.size() && i < test.size(); ++i) {
        signalPower += double(reference[i]) * reference[i];
        errorPower += (double(reference[i]) - test[i]) * (double(reference[i]) - test[i]);
    }
    return 10 * std::log10(std::max(signalPower, 1e-30) / std::max(errorPower, 1e-30));
}

}  // namespace demo
