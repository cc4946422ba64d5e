// vokdemo: the library's demonstration program.
//
//   vokdemo [input.wav] [-o output-dir] [--help]
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
#include <filesystem>
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

constexpr int kWaveletPlotPoints = 1000;  // per band; more adds nothing a screen shows

struct Options {
    std::string input;
    std::string outDir = ".";
    bool help = false;
};

void usage(std::FILE* to) {
    std::fprintf(to, "usage: vokdemo [input.wav] [-o output-dir] [--help]\n");
}

void help() {
    usage(stdout);
    std::printf("\n"
                "Band-passes a signal to the telephone band, halves its sample rate and\n"
                "restores it, and writes the result with plots of what each step did.\n"
                "\n"
                "  input.wav      16-bit PCM WAV file, first channel used\n"
                "                 (default: a built-in chirp with two tones and noise)\n"
                "  -o output-dir  folder for the outputs, created if missing (default: .)\n"
                "  -h, --help     this text\n"
                "\n"
                "Outputs: vokdemo-processed.wav, vokdemo-signal.svg, vokdemo-spectrum.svg,\n"
                "vokdemo-response.svg, vokdemo-wavelet.svg (open the SVG files in a browser).\n");
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) options.outDir = argv[++i];
        else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) options.help = true;
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
        usage(stderr);
        return 2;
    }
    if (options.help) {
        help();
        return 0;
    }
    // The output folder first: a run should not fail after all the work.
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    if (made || !std::filesystem::is_directory(options.outDir)) {
        std::fprintf(stderr, "vokdemo: cannot create the output folder %s%s%s\n", options.outDir.c_str(),
                     made ? ": " : "", made ? made.message().c_str() : "");
        return 1;
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
    std::printf("wavelets:  %8.3f ms  %d levels over %d samples, in blocks of %d\n", watch.lapMs(), levels, n,
                1 << waveletOrder);

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
        // Each band over the whole input, thinned to a few hundred points (the
        // largest value of each stretch, so bursts stay visible), drawn at the
        // height of its level: the finest detail at 1, the approximation on top.
        const std::string title = "Wavelet bands of the whole input (Daubechies, 8 taps): details L1-L" +
                                  std::to_string(levels) + ", approximation L" + std::to_string(levels + 1);
        demo::Plot wavelet{title, "time (s)", "level (each band scaled to its peak)", {}, false};
        const char* colours[] = {kBlue, kRed, kGreen, "#9467bd", "#8c564b", "#e377c2", "#7f7f7f"};
        const double seconds = double(n) / rate;
        for (std::size_t b = 0; b < bands.size(); ++b) {
            const std::vector<float>& band = bands[b];
            // Bands come coarse first: the approximation, then details levels ... 1.
            const int level = b == 0 ? levels + 1 : levels + 1 - int(b);
            const double topHz = b == 0 ? rate / std::ldexp(2.0, levels) : rate / std::ldexp(1.0, level);
            const double bottomHz = b == 0 ? 0.0 : topHz / 2;
            char label[96];
            if (topHz >= 1000)
                std::snprintf(label, sizeof label, "L%d %g-%g kHz", level, bottomHz / 1000, topHz / 1000);
            else
                std::snprintf(label, sizeof label, "L%d %.0f-%.0f Hz", level, bottomHz, topHz);
            // Coefficients past the input's end (the last block's padding) are not drawn.
            const std::size_t used = std::min(band.size(), std::size_t(std::ceil(band.size() * double(n) /
                                                                                  double(bands.back().size() * 2))));
            float peak = 1e-12f;
            for (std::size_t i = 0; i < used; ++i) peak = std::max(peak, std::fabs(band[i]));
            demo::Series s{label, colours[b % 7], {}, {}};
            const std::size_t stride = std::max<std::size_t>(1, (used + kWaveletPlotPoints - 1) / kWaveletPlotPoints);
            for (std::size_t start = 0; start < used; start += stride) {
                float v = 0;
                for (std::size_t i = start; i < std::min(used, start + stride); ++i)
                    if (std::fabs(band[i]) > std::fabs(v)) v = band[i];
                s.x.push_back(seconds * double(start) / double(used));
                s.y.push_back(level + 0.45 * v / peak);
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
