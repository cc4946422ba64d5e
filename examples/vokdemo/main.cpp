// vokdemo: the library's demonstration program.
//
//   vokdemo [input.wav] [-o output-dir]
//
// Without an input it processes a built-in signal (a chirp, two tones and
// noise); with one it takes the first channel of a 16-bit PCM WAV file. It
// writes the processed audio as WAV and SVG plots that a browser opens, and
// prints a short summary with timings.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "svg.h"
#include "vok.h"
#include "wav.h"

namespace {

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
    std::vector<float> signal(n);
    for (int i = 0; i < n; ++i) signal[i] = float(audio.samples[std::size_t(i) * audio.channels]) / 32768.0f;

    Stopwatch watch;
    std::vector<float> processed(n);
    voksbCopy(signal.data(), processed.data(), n);
    voksbMpy1(0.5f, processed.data(), n);  // 6 dB quieter
    std::printf("gain:      %8.3f ms\n", watch.lapMs());

    demo::Audio out;
    out.sampleRate = audio.sampleRate;
    out.channels = 1;
    out.samples.resize(n);
    for (int i = 0; i < n; ++i) out.samples[i] = short(std::lround(std::fmax(-32768.0, std::fmin(32767.0, processed[i] * 32768.0))));
    const std::string wavPath = options.outDir + "/vokdemo-processed.wav";
    if (!demo::writeWav(wavPath, out, error)) {
        std::fprintf(stderr, "vokdemo: %s\n", error.c_str());
        return 1;
    }

    demo::Plot wave{"Signal (first 20 ms)", "time (ms)", "amplitude", {}, false};
    demo::Series before{"input", "#1f77b4", {}, {}}, after{"processed", "#d62728", {}, {}};
    for (int i = 0; i < n && i < audio.sampleRate / 50; ++i) {
        const double ms = 1000.0 * i / audio.sampleRate;
        before.x.push_back(ms);
        before.y.push_back(signal[i]);
        after.x.push_back(ms);
        after.y.push_back(processed[i]);
    }
    wave.series = {before, after};
    const std::string svgPath = options.outDir + "/vokdemo-signal.svg";
    if (!demo::writeSvg(svgPath, wave)) {
        std::fprintf(stderr, "vokdemo: cannot write %s\n", svgPath.c_str());
        return 1;
    }
    std::printf("wrote %s and %s\n", wavPath.c_str(), svgPath.c_str());
    return vokGetErrStatus() < 0 ? 1 : 0;
}
