// Minimal 16-bit PCM WAV reading and writing for the demo.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct Audio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<short> samples;  // interleaved
};

// Reads a RIFF/WAVE file with 16-bit PCM data. On failure returns false and
// says why in 'error' (missing file, wrong header, unsupported format, truncated data).
bool readWav(const std::string& path, Audio& audio, std::string& error);

bool writeWav(const std::string& path, const Audio& audio, std::string& error);

}  // namespace demo
