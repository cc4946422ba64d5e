// A job: library calls on buffers it makes, the same ones every time it runs.
// Every buffer holds the thread's positive signal (square roots and logarithms
// stay finite) cut or repeated to its length, scaled, as its type (complex
// records take the other signal, shifted, as their imaginary part); all of
// them, and the values the job keeps, are its results.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "voktest/sweep.h"

namespace robust {

class Job {
public:
    explicit Job(int thread = 0) : t(thread), n(100 + 37 * t), a_(signal(t)), b_(signal(t + 50u)) {}
    template <class T>
    T* buf(int length, bool swap = false, double scale = 1) {
        auto v = std::make_shared<std::vector<T>>(length);
        const auto &x = swap ? b_ : a_, &y = swap ? a_ : b_;
        for (int i = 0; i < length; ++i) {
            if constexpr (requires { T::re; })
                (*v)[i] = {decltype(T::re)(x[i % n] * scale), decltype(T::im)(y[(i + 3) % n] * scale)};
            else
                (*v)[i] = T(x[i % n] * scale);
        }
        const auto w = widen(*v);
        made_.insert(made_.end(), w.begin(), w.end());
        buffers_.push_back([v] { return widen(*v); });
        return v->data();
    }
    template <class T>
    void keep(const std::vector<T>& v) {
        const auto w = widen(v);
        values_.insert(values_.end(), w.begin(), w.end());
    }
    template <class T>
    void keep(const T* p, int length) { keep(std::vector<T>(p, p + length)); }
    template <class T>
    void keep(const T& v) { keep(&v, 1); }
    std::vector<double> results() const {
        auto all = values_;
        for (auto& buffer : buffers_) {
            const auto w = buffer();
            all.insert(all.end(), w.begin(), w.end());
        }
        return all;
    }
    const std::vector<double>& made() const { return made_; }  // the buffers as they were made
    const int t, n;

private:
    std::vector<float> signal(unsigned seed) const {
        auto x = voktest::randomVector<float>(n, seed, 1.995);
        for (auto& v : x) v += 2.005f;
        return x;
    }
    std::vector<float> a_, b_;
    std::vector<std::function<std::vector<double>()>> buffers_;
    std::vector<double> values_, made_;
};

}  // namespace robust
