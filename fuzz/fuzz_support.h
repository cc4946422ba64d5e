// The driver shared by the fuzz targets: each target lists its calls and the
// driver makes one per input byte. A call's arguments are drawn from the input
// by their types; every buffer is a heap block of exactly its size (so
// AddressSanitizer sees any write past the end), and a call that reported a
// failure must leave every buffer and record it was given as it was.
// A target defines fuzz::entries() in namespace fuzz, next to its helpers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "vok.h"

namespace fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t bits32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return v;
    }
    int range(int lo, int hi) { return lo + int(bits32() % std::uint32_t(hi - lo + 1)); }  // both included
    bool chance(int inEight) { return (byte() & 7) < inEight; }
    // In [lo, hi] inEight times in eight, else in [badLo, badHi] (values to refuse).
    int mostly(int lo, int hi, int badLo, int badHi, int inEight = 6) {
        return chance(inEight) ? range(lo, hi) : range(badLo, badHi);
    }
    // Mostly small lengths, sometimes zero or negative, rarely large.
    int length(int maximum) {
        const int kind = byte() & 15;
        return kind == 0 ? -range(0, 3) : kind == 1 ? 0 : range(1, kind == 2 ? maximum : 40);
    }
    // Mostly tame values, sometimes any bit pattern (NaN, infinities, huge).
    float real() {
        const std::uint32_t b = bits32();
        float f;
        std::memcpy(&f, &b, 4);
        return (b & 0xFF) < 200 ? float(int(b >> 8) % 2001 - 1000) / 16.0f : f;
    }
    bool empty() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_, pos_ = 0;
};

inline void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Reports are counted, not shown. Reports made once the whole output is
// written (a target names their contexts) do not oblige a call to leave it alone.
inline int failures = 0;
inline std::vector<const char*> reportsAfterOutput;
inline int VOK_CALL countReport(int status, const char*, const char* context, const char*, int) {
    bool after = false;
    for (const char* c : reportsAfterOutput) after = after || (context && std::strcmp(context, c) == 0);
    failures += status < 0 && !after;
    return status;
}

// A call's arguments: 'counts' are the element counts of its pointer arguments
// in order (the last one repeats), 'ints' its int arguments in order (then small
// values that cover scale modes, norms and relations). An int pointer (a scale
// factor, an output length, a phase) points to one int, the next of 'ints'.
struct Shape {
    std::vector<long long> counts = {0};
    std::vector<int> ints;
    bool intData = false;     // int pointers are arrays (conversions), not single values
    long long voidBytes = 0;  // bytes of an untyped array
};

// One library call with the buffers and records made for it, checked when it ends.
class Call {
public:
    explicit Call(Input& in, Shape shape = {}) : in(in), shape_(std::move(shape)) {
        vokSetErrMode(VOK_ErrorModeParent);
        vokRedirectError(countReport);
        vokSetErrStatus(0);
        failures = 0;
    }
    ~Call() {
        const int failed = failed_ >= 0 ? failed_ : failures;  // the reports of its own call, if it made one
        for (auto& [p, was] : kept_)
            require(!failed || !checked || std::memcmp(p, was.data(), was.size()) == 0,
                    "a call reported a failure but changed a buffer or record");
    }
    // A buffer of n elements from the input (the first one 'first' if given),
    // or now and then a null pointer in its place.
    template <class T>
    T* buf(long long n, const T* first = nullptr) {
        auto& block = blocks_.emplace_back(n > 0 ? std::size_t(n) * sizeof(T) : 1);
        for (auto& b : block) b = in.byte();
        if (first) std::memcpy(block.data(), first, sizeof(T));
        keep(block.data(), block.size());
        return in.chance(1) ? nullptr : reinterpret_cast<T*>(block.data());
    }
    // A caller's record that a failing call must not change either.
    template <class T>
    T* keep(T* record, std::size_t bytes = sizeof(T)) {
        auto* b = reinterpret_cast<unsigned char*>(record);
        if (record) kept_.push_back({b, std::vector<unsigned char>(b, b + bytes)});
        return record;
    }
    // The record that the call's pointers to a T (a state, not an element) point to;
    // unless 'kept' is false, a failing call must leave it alone.
    template <class T>
    Call& with(T* record, bool kept = true) {
        records_.push_back({&typeid(T), kept ? keep(record) : record});
        return *this;
    }
    int nextInt() { return next_ < shape_.ints.size() ? shape_.ints[next_++] : in.range(-3, 9); }
    template <class A>
    A arg() {
        using T = std::remove_const_t<std::remove_pointer_t<A>>;
        const long long count = shape_.counts[std::min(pointer_, shape_.counts.size() - 1)];
        if constexpr (std::is_same_v<A, int>)
            return nextInt();
        else if constexpr (std::is_same_v<A, short>)
            return short(in.range(-40000, 40000));
        else if constexpr (std::is_same_v<A, unsigned>)
            return in.bits32();
        else if constexpr (std::is_floating_point_v<A>)
            return A(in.real());
        else if constexpr (std::is_void_v<T>)
            return buf<unsigned char>(shape_.voidBytes);
        else if constexpr (std::is_same_v<T, int>) {
            if (shape_.intData) return ++pointer_, buf<int>(count);
            const int value = nextInt();
            return buf<int>(1, &value);
        } else if constexpr (std::is_class_v<T> && !requires(T t) { t.re; }) {
            for (auto [type, p] : records_)
                if (*type == typeid(T)) return in.chance(1) ? nullptr : static_cast<A>(p);
            return nullptr;
        } else if constexpr (std::is_pointer_v<A>)
            return ++pointer_, buf<T>(count);
        else
            return A{decltype(A::re)(in.real()), decltype(A::im)(in.real())};
    }
    // Calls f with arguments made in order; returns its result.
    template <class R, class... A>
    R operator()(R(VOK_CALL* f)(A...)) {
        std::tuple<A...> args{arg<A>()...};  // braces: made left to right
        if constexpr (std::is_void_v<R>) {
            std::apply(f, args);
            failed_ = failures;
        } else {
            const R result = std::apply(f, args);
            failed_ = failures;
            return result;
        }
    }

    Input& in;
    bool checked = true;  // off for a call that may fail after writing

private:
    Shape shape_;
    std::size_t next_ = 0, pointer_ = 0;
    int failed_ = -1;
    std::deque<std::vector<unsigned char>> blocks_;
    std::vector<std::pair<unsigned char*, std::vector<unsigned char>>> kept_;
    std::vector<std::pair<const std::type_info*, void*>> records_;
};

// A call returning a status must return a negative one exactly when it reported.
inline void requireStatus(int status) {
    require((status < 0) == (failures > 0), "the returned status and the reports disagree");
}

using Entry = std::function<void(Input&)>;

// A call of f with the arguments' shape that shape(in, extra...) draws from the
// input; with 'status', a status that f returns is checked by requireStatus.
template <bool status = false, class F, class Draw, class... Extra>
Entry shaped(F f, Draw shape, Extra... extra) {
    return [=](Input& in) {
        Call c(in, shape(in, extra...));
        if constexpr (status && std::is_same_v<decltype(c(f)), int>)
            requireStatus(c(f));
        else
            c(f);
    };
}

// n iterations (n up to 'maximum'), the first int: the pointers have inRoom·n elements, then outRoom·n.
inline Shape iterations(Input& in, int maximum, long long inRoom = 1, long long outRoom = 1) {
    const int n = in.length(maximum);
    return {{inRoom * n, outRoom * n}, {n}};
}

// A function of a vector: its pointers have room·n elements, n is its first int.
template <class F>
Entry vec(F f, int room = 1, int maximum = 3000) {
    return shaped(f, iterations, maximum, room, room);
}

// A target's calls: a function of a vector by its name, any other by the entry made for it.
template <class... E>
std::vector<Entry> list(E... e) {
    return {[&] {
        if constexpr (std::is_invocable_v<E, Input&>)
            return Entry(e);
        else
            return vec(e);
    }()...};
}

std::vector<Entry> entries();  // each target's list, made once

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto all = fuzz::entries();
    fuzz::Input in(data, size);
    while (!in.empty()) all[in.byte() % all.size()](in);
    return 0;
}
