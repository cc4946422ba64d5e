// Jobs for the thread test: each builds its own inputs, runs a few library
// calls and returns everything it computed, so the same job run on another
// thread (or while others run) must return exactly the same values.
#pragma once

#include <functional>
#include <vector>

namespace robust {

using Job = std::function<std::vector<double>()>;

// FFTs (complex, real, 16-bit) of orders that differ per thread, DFTs of
// lengths that differ per thread, and wavelet decompositions.
std::vector<Job> transformJobs(int t, const std::vector<float>& a, const std::vector<float>& b);

// FIR (both layers, single and multirate), IIR (order and biquad, 16-bit),
// LMS, one-dimensional and two-dimensional convolutions.
std::vector<Job> filterJobs(int t, const std::vector<float>& a, const std::vector<float>& b);

}  // namespace robust
