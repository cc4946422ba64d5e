// Pieces shared by the fuzz targets: reading choices from the fuzzer's bytes,
// exact-size buffers (so AddressSanitizer sees any write past the end), and
// the rule that a call which reported a failure changed none of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <vector>

#include "vok.h"

namespace fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t bits32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A value in lo..hi, both included.
    int range(int lo, int hi) { return lo + int(bits32() % std::uint32_t(hi - lo + 1)); }
    bool chance(int inEight) { return (byte() & 7) < inEight; }
    // Mostly small lengths, sometimes zero or negative, rarely large.
    int length(int maximum) {
        switch (byte() & 15) {
            case 0: return -range(0, 3);
            case 1: return 0;
            case 2: return range(1, maximum);
            default: return range(1, 40);
        }
    }
    float real() {
        std::uint32_t b = bits32();
        float f;
        if ((b & 0xFF) < 200) return float(int(b >> 8) % 2001 - 1000) / 16.0f;  // tame values
        std::memcpy(&f, &b, 4);                                                   // any bit pattern
        return f;
    }
    bool empty() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A heap block of exactly 'bytes' bytes (one byte when 0) filled from the input.
class Buffer {
public:
    Buffer(Input& in, std::size_t bytes) : bytes_(bytes ? bytes : 1) {
        block_ = static_cast<unsigned char*>(std::malloc(bytes_));
        for (std::size_t i = 0; i < bytes_; ++i) block_[i] = in.byte();
        snapshot_.assign(block_, block_ + bytes_);
    }
    ~Buffer() { std::free(block_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    template <class T>
    T* as() { return reinterpret_cast<T*>(block_); }
    bool unchanged() const { return std::memcmp(block_, snapshot_.data(), bytes_) == 0; }

private:
    std::size_t bytes_;
    unsigned char* block_;
    std::vector<unsigned char> snapshot_;
};

// Reports are counted, not shown; the mode lets every failing call return.
inline int failures = 0;
// Reports their functions make after writing the whole output (a target
// names them); they do not count as failures that must leave buffers alone.
inline std::vector<const char*> reportsAfterOutput;
inline bool madeAfterOutput(const char* context) {
    for (const char* c : reportsAfterOutput)
        if (std::strcmp(context, c) == 0) return true;
    return false;
}
inline int VOK_CALL countReport(int status, const char*, const char* context, const char*, int) {
    if (status < 0 && !madeAfterOutput(context)) ++failures;
    return status;
}

inline void beginCall() {
    vokSetErrMode(VOK_ErrorModeParent);
    vokRedirectError(countReport);
    vokSetErrStatus(0);
    failures = 0;
}

// After a call: a reported failure must leave every buffer as it was.
template <class... Buffers>
void expectUntouchedOnFailure(const char* what, const Buffers&... buffers) {
    if (failures == 0) return;
    if (!(buffers.unchanged() && ...)) {
        std::fprintf(stderr, "%s reported a failure but changed a buffer\n", what);
        std::abort();
    }
}

// Bytes of n elements (none for a zero or negative length).
template <class T>
std::size_t bytesFor(long long n) { return n > 0 ? std::size_t(n) * sizeof(T) : 0; }

// The buffer, or now and then a null pointer in its place.
template <class T>
T* maybe(Input& in, Buffer& b) { return in.chance(1) ? nullptr : b.as<T>(); }

// Mostly a valid scale mode, sometimes one outside the range.
inline int scaleMode(Input& in) { return in.chance(6) ? in.range(0, 4) : in.range(-3, 9); }

}  // namespace fuzz
