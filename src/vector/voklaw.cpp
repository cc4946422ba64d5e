// A-law and mu-law companding: compression of linear samples into 8-bit code
// words, expansion back, and direct transcoding between the two laws.
//
// Expansion is one lookup in a 256-entry table of 16-bit values built at
// compile time from the segment rules; compression finds the segment from the
// bit width of the scaled magnitude, so no loop runs per sample.
#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

#include "core/check.h"
#include "core/scale16.h"
#include "vok/companding.h"

namespace {

using vok::ArgChecks;
constexpr const char* kModule = "voklaw";

// ---- Expansion tables ----

constexpr int aLawValue(unsigned code) {
    const int segment = (code >> 4) & 7, mantissa = code & 15;
    int t = mantissa * 16 + (segment == 0 ? 8 : 264);
    if (segment >= 2) t <<= segment - 1;
    return (code & 0x80) ? t : -t;
}

constexpr int muLawValue(unsigned code) {
    const unsigned u = ~code & 0xFF;
    const int t = (int(u & 15) * 8 + 132) << ((u >> 4) & 7);
    return (u & 0x80) ? 132 - t : t - 132;
}

template <int (*Rule)(unsigned)>
constexpr std::array<short, 256> expansionTable() {
    std::array<short, 256> table{};
    for (unsigned c = 0; c < 256; ++c) table[c] = static_cast<short>(Rule(c));
    return table;
}

constexpr auto kALawLinear = expansionTable<aLawValue>();
constexpr auto kMuLawLinear = expansionTable<muLawValue>();

// ---- Compression of one 16-bit sample ----

inline unsigned char aLawCode(int x) {
    if (x == -32768) return 0x7F;
    const unsigned magnitude = unsigned(x < 0 ? -x : x);
    const unsigned p = magnitude >> 3;  // 0 ... 4095
    // The segment is the smallest s with p < 32 * 2^s.
    const int width = std::bit_width(p);
    const int segment = width > 5 ? width - 5 : 0;
    const unsigned mantissa = (segment < 2 ? p >> 1 : p >> segment) & 15;
    const unsigned code = unsigned(segment) * 16 + mantissa;
    return static_cast<unsigned char>(x >= 0 ? code | 0x80 : code);
}

inline unsigned char muLawCode(int x) {
    const int magnitude = x < 0 ? -x : x;
    const unsigned a = magnitude > 0 ? unsigned(magnitude - 1) : 0u;
    const unsigned p = ((a >> 2) < 8159u ? (a >> 2) : 8159u) + 33;  // 33 ... 8192
    unsigned q;
    if (p >= 8192) {
        q = 0x7F;
    } else {
        // The segment is the smallest s with p < 2^(s + 6).
        const int width = std::bit_width(p);
        const int segment = width > 6 ? width - 6 : 0;
        q = unsigned(segment) * 16 + ((p >> (segment + 1)) & 15);
    }
    const unsigned code = ~q & 0xFF;
    return static_cast<unsigned char>(x < 0 ? code & 0x7F : code);
}

// ---- Sample types ----

// The 16-bit value a sample stands for.
inline int toLinear16(short x) { return x; }
inline int toLinear16(int x) { return x >> 16; }
inline int toLinear16(double x) {
    return vok::saturate16Truncated(x * 32768.0);  // exact: a power of two
}
inline int toLinear16(float x) { return toLinear16(double(x)); }

// A 16-bit expanded value in the caller's sample type.
template <class T>
T fromLinear16(short v) {
    if constexpr (std::is_same_v<T, short>) return v;
    else if constexpr (std::is_same_v<T, int>) return int(v) * 65536;
    else return T(v) / T(32768);
}

bool badArguments(ArgChecks check, const void* src, const void* dst, int len) {
    return check(len <= 0, "len<=0") || check(!src, "src==0") || check(!dst, "dst==0");
}

template <class T, unsigned char (*Code)(int)>
void compress(ArgChecks check, const T* src, unsigned char* dst, int len) {
    if (badArguments(check, src, dst, len)) return;
    for (int i = 0; i < len; ++i) dst[i] = Code(toLinear16(src[i]));
}

template <class T>
void expand(ArgChecks check, const std::array<short, 256>& table, const unsigned char* src, T* dst, int len) {
    if (badArguments(check, src, dst, len)) return;
    for (int i = 0; i < len; ++i) dst[i] = fromLinear16<T>(table[src[i]]);
}

// ---- Transcoding ----

// Results for the codes 0x00 ... 0x7F; a code c >= 0x80 gives table[c - 0x80] + 0x80.
constexpr unsigned char kMuToA[128] = {
    0x7F, 0x7E, 0x7D, 0x7C, 0x7B, 0x7A, 0x79, 0x78, 0x77, 0x76, 0x75, 0x74, 0x73, 0x72, 0x71, 0x70,
    0x6F, 0x6E, 0x6D, 0x6C, 0x6B, 0x6A, 0x69, 0x68, 0x67, 0x66, 0x65, 0x64, 0x63, 0x62, 0x61, 0x60,
    0x5F, 0x5E, 0x5D, 0x5C, 0x5B, 0x5A, 0x59, 0x58, 0x57, 0x56, 0x55, 0x54, 0x53, 0x52, 0x51, 0x50,
    0x4E, 0x4D, 0x4C, 0x4B, 0x4A, 0x49, 0x48, 0x47, 0x46, 0x45, 0x44, 0x43, 0x42, 0x41, 0x40, 0x3F,
    0x3D, 0x3C, 0x3B, 0x3A, 0x39, 0x38, 0x37, 0x36, 0x35, 0x34, 0x33, 0x32, 0x31, 0x30, 0x2F, 0x2D,
    0x2B, 0x2A, 0x29, 0x28, 0x27, 0x26, 0x25, 0x24, 0x23, 0x22, 0x21, 0x20, 0x1E, 0x1C, 0x1A, 0x18,
    0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x10, 0x0F, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A, 0x09, 0x08,
    0x07, 0x07, 0x06, 0x06, 0x05, 0x05, 0x04, 0x04, 0x03, 0x03, 0x02, 0x02, 0x01, 0x01, 0x00, 0x00,
};

constexpr unsigned char kAToMu[128] = {
    0x7E, 0x7C, 0x7A, 0x78, 0x76, 0x74, 0x72, 0x70, 0x6F, 0x6E, 0x6D, 0x6C, 0x6B, 0x6A, 0x69, 0x68,
    0x67, 0x66, 0x65, 0x64, 0x63, 0x62, 0x61, 0x60, 0x5F, 0x5F, 0x5E, 0x5E, 0x5D, 0x5D, 0x5C, 0x5C,
    0x5B, 0x5A, 0x59, 0x58, 0x57, 0x56, 0x55, 0x54, 0x53, 0x52, 0x51, 0x50, 0x4F, 0x4F, 0x4E, 0x4E,
    0x4D, 0x4C, 0x4B, 0x4A, 0x49, 0x48, 0x47, 0x46, 0x45, 0x44, 0x43, 0x42, 0x41, 0x40, 0x3F, 0x3F,
    0x3E, 0x3D, 0x3C, 0x3B, 0x3A, 0x39, 0x38, 0x37, 0x36, 0x35, 0x34, 0x33, 0x32, 0x31, 0x30, 0x30,
    0x2F, 0x2E, 0x2D, 0x2C, 0x2B, 0x2A, 0x29, 0x28, 0x27, 0x26, 0x25, 0x24, 0x23, 0x22, 0x21, 0x20,
    0x1F, 0x1E, 0x1D, 0x1C, 0x1B, 0x1A, 0x19, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x10,
    0x0F, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A, 0x09, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00,
};

void transcode(ArgChecks check, const unsigned char (&half)[128], const unsigned char* src, unsigned char* dst,
               int len) {
    if (badArguments(check, src, dst, len)) return;
    for (int i = 0; i < len; ++i) {
        const unsigned c = src[i];
        dst[i] = static_cast<unsigned char>(half[c & 0x7F] | (c & 0x80));
    }
}

}  // namespace

extern "C" {

// One entry point per row: the exported name, the linear type and the code.
#define VOK_COMPRESS(name, T, code)                                         \
    VOK_API void VOK_CALL name(const T* src, unsigned char* dst, int len) { \
        compress<T, code>(VOK_CHECKS, src, dst, len);                       \
    }
#define VOK_EXPAND(name, T, table)                                          \
    VOK_API void VOK_CALL name(const unsigned char* src, T* dst, int len) { \
        expand(VOK_CHECKS, table, src, dst, len);                           \
    }

VOK_COMPRESS(vokwbLinToALaw, short, aLawCode)
VOK_COMPRESS(vokibLinToALaw, int, aLawCode)
VOK_COMPRESS(voksbLinToALaw, float, aLawCode)
VOK_COMPRESS(vokdbLinToALaw, double, aLawCode)
VOK_COMPRESS(vokwbLinToMuLaw, short, muLawCode)
VOK_COMPRESS(vokibLinToMuLaw, int, muLawCode)
VOK_COMPRESS(voksbLinToMuLaw, float, muLawCode)
VOK_COMPRESS(vokdbLinToMuLaw, double, muLawCode)
VOK_EXPAND(vokwbALawToLin, short, kALawLinear)
VOK_EXPAND(vokibALawToLin, int, kALawLinear)
VOK_EXPAND(voksbALawToLin, float, kALawLinear)
VOK_EXPAND(vokdbALawToLin, double, kALawLinear)
VOK_EXPAND(vokwbMuLawToLin, short, kMuLawLinear)
VOK_EXPAND(vokibMuLawToLin, int, kMuLawLinear)
VOK_EXPAND(voksbMuLawToLin, float, kMuLawLinear)
VOK_EXPAND(vokdbMuLawToLin, double, kMuLawLinear)

VOK_API void VOK_CALL vokMuLawToALaw(const unsigned char* src, unsigned char* dst, int len) {
    transcode(VOK_CHECKS, kMuToA, src, dst, len);
}

VOK_API void VOK_CALL vokALawToMuLaw(const unsigned char* src, unsigned char* dst, int len) {
    transcode(VOK_CHECKS, kAToMu, src, dst, len);
}

}  // extern "C"
