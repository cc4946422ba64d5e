// vokdemo: the library's demonstration program.
//
//   vokdemo [input.wav] [-o output-dir]
//
// Without an input it processes a built-in signal (a chirp, two tones and
// noise); with one it takes the first channel of a 16-bit PCM WAV file. It
// writes the processed audio as WAV and SVG plots that a browser opens, and
// prints a short summary with timings.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "processing.h"
#include "svg.h"
#include "vok.h"
#include "wav.h"

namespace {

constexpr int kBandPassTaps = 129;
constexpr int kSpectrumOrder = 12;  // 4096-point spectra
constexpr int kWaveletOrder = 12;
constexpr int kWaveletLevels = 5;
constexpr const char* kBlue = "#1f77b4";
constexpr const char* kRed = "#d62728";
constexpr const char* kGreen = "#2ca02c";

struct Options {
    std::string input;
    std::string outDir = ".";
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) options.outDir = argv[++i];
        else if (argv[i][0] == '-') return false;
        else if (options.input.empty()) options.input = argv[i];
        else return false;
    }
    return true;
}

// Chirp 100 Hz -> 5 kHz, tones at 440 Hz and 3 kHz, a little noise; 2 s at 16 kHz.
demo::Audio builtInSignal() {
    demo::Audio audio;
    audio.sampleRate = 16000;
    audio.channels = 1;
    const int n = 2 * audio.sampleRate;
    audio.samples.resize(n);
    unsigned noise = 12345;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / audio.sampleRate;
        const double chirp = std::sin(2 * M_PI * (100 * t + 0.5 * (4900 / 2.0) * t * t));
        const double tones = 0.5 * std::sin(2 * M_PI * 440 * t) + 0.3 * std::sin(2 * M_PI * 3000 * t);
        noise = noise * 1103515245u + 12345u;
        const double hiss = 0.05 * (double((noise >> 8) & 0xFFFF) / 32768.0 - 1.0);
        audio.samples[i] = short(std::lround(9000 * (chirp + tones + hiss)));
    }
    return audio;
}

class Stopwatch {
public:
    double lapMs() {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: vokdemo [input.wav] [-o output-dir]\n");
        return 2;
    }
    const VokLibVersion* version = vokGetLibVersion();
    std::printf("%s %s %s\n", version->name, version->version, version->internalVersion);

    // The demo handles statuses itself: reports go to standard error and the call returns.
    vokSetErrMode(VOK_ErrorModeParent);
    vokRedirectError(vokStdErrReport);

    demo::Audio audio;
    std::string error;
    if (options.input.empty()) {
        audio = builtInSignal();
        std::printf("input: built-in chirp + tones + noise, %zu samples at %d Hz\n", audio.samples.size(),
                    audio.sampleRate);
    } else if (!demo::readWav(options.input, audio, error)) {
        std::fprintf(stderr, "vokdemo: %s\n", error.c_str());
        return 1;
    } else {
        std::printf("input: %s, %d channel(s), %zu frames at %d Hz\n", options.input.c_str(), audio.channels,
                    audio.samples.size() / audio.channels, audio.sampleRate);
    }

    // First channel as float samples in [-1, 1).
    const int n = int(audio.samples.size() / audio.channels);
    const double rate = audio.sampleRate;
    std::vector<float> signal(n);
    for (int i = 0; i < n; ++i) signal[i] = float(audio.samples[std::size_t(i) * audio.channels]) / 32768.0f;

    // Telephone band, kept below a quarter of the rate so that halving the rate aliases nothing.
    const double lowHz = std::min(300.0, 0.02 * rate), highHz = std::min(3400.0, 0.2 * rate);
    Stopwatch watch;
    const std::vector<float> bandPass = demo::designBandPass(kBandPassTaps, lowHz, highHz, rate);
    std::printf("design:    %8.3f ms  %d-tap band-pass %.0f-%.0f Hz\n", watch.lapMs(), kBandPassTaps, lowHz, highHz);
    const std::vector<float> filtered = demo::filterAligned(signal, bandPass);
    std::printf("filter:    %8.3f ms\n", watch.lapMs());
    const std::vector<float> half = demo::decimateBy2(filtered);
    std::printf("decimate:  %8.3f ms  %zu samples at %.0f Hz\n", watch.lapMs(), half.size(), rate / 2);
    std::vector<float> processed = demo::interpolateBy2(half, rate);
    processed.resize(std::size_t(n));
    std::printf("interpolate:%7.3f ms  back to %.0f Hz\n", watch.lapMs(), rate);

    const int spectrumOrder = std::max(4, std::min(kSpectrumOrder, int(std::log2(std::max(n, 2)))));
    const std::vector<double> spectrumIn = demo::powerSpectrumDb(signal, spectrumOrder);
    const std::vector<double> spectrumOut = demo::powerSpectrumDb(processed, spectrumOrder);
    const std::vector<double> response = demo::responseDb(bandPass, kSpectrumOrder);
    std::printf("spectra:   %8.3f ms  %d-point FFTs\n", watch.lapMs(), 1 << spectrumOrder);
    const int waveletOrder = std::min(kWaveletOrder, int(std::log2(std::max(n, 2))));
    const int levels = std::min(kWaveletLevels, waveletOrder - 1);
    std::vector<std::vector<float>> bands;
    if (levels >= 1) bands = demo::waveletBands(processed, waveletOrder, levels);
    std::printf("wavelets:  %8.3f ms  %d levels over %d samples\n", watch.lapMs(), levels, 1 << waveletOrder);

    // The band-passed signal should survive the rate change except at the ends.
    const std::size_t margin = std::size_t(std::min(n / 4, 256));
    std::printf("rate change round trip: %.1f dB signal to error\n",
                demo::snrDb(filtered, processed, margin, std::size_t(n) - margin));

    demo::Audio out;
    out.sampleRate = audio.sampleRate;
    out.channels = 1;
    out.samples.resize(n);
    for (int i = 0; i < n; ++i)
        out.samples[i] = short(std::lround(std::fmax(-32768.0, std::fmin(32767.0, processed[i] * 32768.0))));
    const std::string wavPath = options.outDir + "/vokdemo-processed.wav";
    if (!demo::writeWav(wavPath, out, error)) {
        std::fprintf(stderr, "vokdemo: %s\n", error.c_str());
        return 1;
    }

    std::vector<demo::Plot> plots;
    {
        demo::Plot wave{"Signal (first 20 ms)", "time (ms)", "amplitude (1 = 16-bit full scale)", {}, false};
        demo::Series before{"input", kBlue, {}, {}}, after{"processed", kRed, {}, {}};
        for (int i = 0; i < n && i < audio.sampleRate / 50; ++i) {
            const double ms = 1000.0 * i / rate;
            before.x.push_back(ms);
            before.y.push_back(signal[i]);
            after.x.push_back(ms);
            after.y.push_back(processed[i]);
        }
        wave.series = {before, after};
        plots.push_back(wave);
    }
    {
        demo::Plot spectrum{"Power spectrum before and after", "frequency (Hz)", "power (dB full scale)", {}, true, true};
        demo::Series before{"input", kBlue, {}, {}}, after{"processed", kRed, {}, {}};
        const double binHz = rate / double(1 << spectrumOrder);
        for (std::size_t k = 1; k < spectrumIn.size(); ++k) {
            before.x.push_back(k * binHz);
            before.y.push_back(spectrumIn[k]);
            after.x.push_back(k * binHz);
            after.y.push_back(spectrumOut[k]);
        }
        spectrum.series = {before, after};
        plots.push_back(spectrum);
    }
    {
        demo::Plot filter{"Band-pass filter response", "frequency (Hz)", "gain (dB)", {}, true, true};
        demo::Series gain{"band-pass", kGreen, {}, {}};
        const double binHz = rate / double(1 << kSpectrumOrder);
        for (std::size_t k = 1; k < response.size(); ++k) {
            gain.x.push_back(k * binHz);
            gain.y.push_back(std::max(response[k], -100.0));
        }
        filter.series = {gain};
        plots.push_back(filter);
    }
    if (!bands.empty()) {
        // Each band drawn over the same time span, one above the other.
        demo::Plot wavelet{"Wavelet bands (Daubechies 8 taps), coarse at the top", "time (ms)", "band (each scaled to its peak)", {}, false};
        const char* colours[] = {kBlue, kRed, kGreen, "#9467bd", "#8c564b", "#e377c2", "#7f7f7f"};
        const double spanMs = 1000.0 * double(1 << waveletOrder) / rate;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            const std::vector<float>& band = bands[b];
            float peak = 1e-12f;
            for (float v : band) peak = std::max(peak, std::fabs(v));
            const std::string label = b == 0 ? "approximation" : "detail " + std::to_string(levels + 1 - int(b));
            demo::Series s{label, colours[b % 7], {}, {}};
            for (std::size_t i = 0; i < band.size(); ++i) {
                s.x.push_back(spanMs * double(i) / double(band.size()));
                s.y.push_back(double(bands.size() - b) - 0.45 * band[i] / peak);
            }
            wavelet.series.push_back(s);
        }
        plots.push_back(wavelet);
    }
    const char* names[] = {"signal", "spectrum", "response", "wavelet"};
    std::printf("wrote %s", wavPath.c_str());
    for (std::size_t i = 0; i < plots.size(); ++i) {
        const std::string path = options.outDir + "/vokdemo-" + names[i] + ".svg";
        if (!demo::writeSvg(path, plots[i])) {
            std::fprintf(stderr, "\nvokdemo: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf(", %s", path.c_str());
    }
    std::printf("\n");
    return vokGetErrStatus() < 0 ? 1 : 0;
}
