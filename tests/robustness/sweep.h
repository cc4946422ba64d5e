// The allocation sweep: makes the 1st, 2nd, ... library allocation of a call
// fail (optionally several in a row) until the call no longer reaches the
// injected failure. Every run must either report one of the expected report
// sequences and leave the caller's buffers alone, or survive the failure
// (the paths that release their caches and retry) with the right result.
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "support/reports.h"

namespace robust {

// What one call left behind: its outputs untouched, its results right.
struct Observed {
    bool untouched;
    bool correct;
};

struct SweepFigures {
    int allocations = 0;  // allocations of the call when nothing fails
    int failed = 0;       // injections the call reported
    int survived = 0;     // injections the call absorbed without a report
};

using Reports = std::vector<voktest::Expected>;

// The call under test in three steps: prepare() makes fresh buffers and
// releases whatever the thread caches, call() makes the one library call with
// the failures armed, check() compares once they are disarmed.
struct Subject {
    std::function<void()> prepare;
    std::function<void()> call;
    std::function<Observed()> check;
};

// 'run' failures are injected in a row.
SweepFigures sweepAllocations(const Subject& subject, const std::vector<Reports>& allowed, int run = 1);

// Releases every table and work buffer the calling thread caches.
void releaseThreadCaches();

// n uniform values in [-scale, scale) from a fixed seed; complex records get
// both parts.
template <class T>
std::vector<T> randomValues(int n, double scale, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-scale, scale);
    std::vector<T> v(n);
    for (auto& x : v) {
        if constexpr (std::is_arithmetic_v<T>) {
            x = T(dist(gen));
        } else {
            x.re = decltype(x.re)(dist(gen));
            x.im = decltype(x.im)(dist(gen));
        }
    }
    return v;
}

// Element-wise comparison with a relative tolerance (transform paths may change
// between a fast and a direct method when work memory is short).
template <class T>
bool near(const T* got, const std::vector<T>& want, double tol) {
    for (std::size_t i = 0; i < want.size(); ++i) {
        const double w = double(want[i]), g = double(got[i]);
        const double d = g - w;
        if (!(d <= tol * (1.0 + (w < 0 ? -w : w)) && -d <= tol * (1.0 + (w < 0 ? -w : w)))) return false;
    }
    return true;
}

// A caller's buffer of exactly its size and a copy to tell whether a call
// wrote into it.
template <class T>
struct Guarded {
    std::vector<T> data, before;
    void fill(const std::vector<T>& v) { data = before = v; }
    T* get() { return data.data(); }
    bool untouched() const { return std::memcmp(data.data(), before.data(), data.size() * sizeof(T)) == 0; }
};

// One line per sweep for the robustness figures.
inline void printFigures(const std::string& what, const SweepFigures& f, int run = 1) {
    std::printf("[ sweep    ] %-40s run %d: %2d allocations, %2d failures reported, %2d survived\n", what.c_str(), run,
                f.allocations, f.failed, f.survived);
}

}  // namespace robust
