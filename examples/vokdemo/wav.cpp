#include "wav.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace demo {
namespace {

std::uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t le16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }
void put32(std::string& out, std::uint32_t v) { for (int i = 0; i < 4; ++i) out += char(v >> (8 * i)); }
void put16(std::string& out, std::uint16_t v) { out += char(v); out += char(v >> 8); }

}  // namespace

bool readWav(const std::string& path, Audio& audio, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = "cannot open '" + path + "'", false;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return error = "'" + path + "' is not a RIFF/WAVE file", false;

    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const unsigned char* chunk = bytes.data() + pos;
        const std::uint32_t size = le32(chunk + 4);
        const std::size_t body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || body + 16 > bytes.size()) return error = "truncated format chunk", false;
            const std::uint16_t format = le16(bytes.data() + body);
            const std::uint16_t bits = le16(bytes.data() + body + 14);
            audio.channels = le16(bytes.data() + body + 2);
            audio.sampleRate = int(le32(bytes.data() + body + 4));
            if (format != 1 && format != 0xFFFE) return error = "unsupported format: not PCM", false;
            if (bits != 16) return error = "unsupported format: " + std::to_string(bits) + "-bit samples (16 needed)", false;
            if (audio.channels < 1 || audio.sampleRate < 1) return error = "bad channel count or sample rate", false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return error = "data chunk before the format chunk", false;
            if (body + size > bytes.size()) return error = "truncated data: header promises more samples than the file holds", false;
            const std::size_t count = size / 2 / audio.channels * audio.channels;
            if (count == 0) return error = "no samples in the data chunk", false;
            audio.samples.resize(count);
            for (std::size_t i = 0; i < count; ++i) audio.samples[i] = short(le16(bytes.data() + body + 2 * i));
            return true;
        }
        pos = body + size + (size & 1);
    }
    return error = haveFormat ? "no data chunk" : "no format chunk", false;
}

bool writeWav(const std::string& path, const Audio& audio, std::string& error) {
    const std::uint32_t dataBytes = std::uint32_t(audio.samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, std::uint16_t(audio.channels));
    put32(out, std::uint32_t(audio.sampleRate));
    put32(out, std::uint32_t(audio.sampleRate * audio.channels * 2));
    put16(out, std::uint16_t(audio.channels * 2));
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (short s : audio.samples) put16(out, std::uint16_t(s));
    std::ofstream file(path, std::ios::binary);
    if (!file.write(out.data(), std::streamsize(out.size()))) return error = "cannot write '" + path + "'", false;
    return true;
}

}  // namespace demo
