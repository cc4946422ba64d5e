// Many threads at once: each runs a mix of vector, elementwise, conversion,
// transform (FFTs of its own orders, DFTs of its own lengths, DCTs, wavelets),
// filter (FIR, IIR, LMS) and convolution calls of its own sizes, checks every
// result against the one the main thread computed alone, and sees only its own
// status, mode and reports.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "robustness/thread_jobs.h"
#include "vok.h"

namespace {

constexpr int kThreads = 16;
constexpr int kRounds = 200;

using robust::Job;
using robust::filterJobs;
using robust::transformJobs;

std::vector<float> signal(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(0.01f, 4.0f);
    std::vector<float> x(n);
    for (auto& v : x) v = dist(gen);
    return x;
}

template <class T>
std::vector<double> widen(const std::vector<T>& v) { return {v.begin(), v.end()}; }

std::vector<Job> jobsFor(int t) {
    const int n = 100 + 37 * t;
    const auto a = signal(n, unsigned(t)), b = signal(n, unsigned(t + 50));
    std::vector<Job> jobs;
    jobs.push_back([=] {
        std::vector<float> out(n);
        voksbAdd3(a.data(), b.data(), out.data(), n);
        return widen(out);
    });
    jobs.push_back([=] {
        std::vector<float> out(n);
        voksbSqrt2(a.data(), out.data(), n);
        voksbLn2(out.data(), out.data(), n);
        return widen(out);
    });
    jobs.push_back([=] { return std::vector<double>{voksMean(a.data(), n), voksNorm(a.data(), b.data(), n, 2)}; });
    jobs.push_back([=] {
        std::vector<short> out(n);
        std::vector<float> scaled(n);
        for (int i = 0; i < n; ++i) scaled[i] = a[i] * 1000.5f;
        voksbFloatToInt(scaled.data(), out.data(), n, 16, VOK_RndNear | VOK_Clip);
        return widen(out);
    });
    for (int length : {8 << (t % 5), 5 + 3 * t}) {  // fast and direct DCT lengths differ per thread
        jobs.push_back([=] {
            std::vector<double> x(a.begin(), a.begin() + length), y(length);
            vokdDct(x.data(), y.data(), length, 1);
            vokdDct(y.data(), y.data(), length, 2);
            return y;
        });
    }
    for (const auto& job : transformJobs(t, a, b)) jobs.push_back(job);
    for (const auto& job : filterJobs(t, a, b)) jobs.push_back(job);
    jobs.push_back([=] {
        VokDGoertzState st;
        vokdGoertzInit(double(t) / n, &st);
        std::vector<double> x(a.begin(), a.end());
        const DoubleComplex v = vokdbGoertz(&st, x.data(), n);
        return std::vector<double>{v.re, v.im};
    });
    return jobs;
}

thread_local int reportsSeen = 0;
thread_local std::string lastReport;
int VOK_CALL countingHook(int status, const char* function, const char* context, const char*, int) {
    ++reportsSeen;
    lastReport = std::string(function ? function : "") + ": " + (context ? context : "");
    return status;
}

TEST(Threads, ConcurrentCallsGiveTheSingleThreadResultsAndOwnStatuses) {
    std::vector<std::vector<Job>> jobs;
    std::vector<std::vector<std::vector<double>>> expected;
    for (int t = 0; t < kThreads; ++t) {
        jobs.push_back(jobsFor(t));
        expected.emplace_back();
        for (auto& job : jobs.back()) {
            expected.back().push_back(job());
            // NaN would compare unequal to itself: every reference is finite.
            for (double v : expected.back().back())
                ASSERT_TRUE(std::isfinite(v)) << "thread " << t << " job " << expected.back().size() - 1;
        }
    }
    std::atomic<int> wrongResults{0}, wrongStatus{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            vokSetErrMode(VOK_ErrorModeParent);
            vokRedirectError(countingHook);
            while (!go) std::this_thread::yield();
            int expectedReports = 0;
            for (int round = 0; round < kRounds; ++round) {
                const int which = (round + t) % int(jobs[t].size());
                vokSetErrStatus(0);  // some jobs return the thread's status
                if (jobs[t][which]() != expected[t][which]) {
                    ++wrongResults;
                    ADD_FAILURE() << "thread " << t << " job " << which << " differs";
                }
                // A failing call on some threads: its status and report stay here.
                if ((round + t) % 3 == 0) {
                    voksbSqrt2(nullptr, nullptr, 5);
                    ++expectedReports;
                    if (vokGetErrStatus() != VOK_StatusBadArg) ++wrongStatus;
                }
                vokSetErrStatus(1000 + t);
                std::this_thread::yield();
                if (vokGetErrStatus() != 1000 + t || vokGetErrMode() != VOK_ErrorModeParent) ++wrongStatus;
            }
            if (reportsSeen != expectedReports) {
                ++wrongStatus;
                ADD_FAILURE() << "thread " << t << ": " << reportsSeen << " reports, last " << lastReport;
            }
        });
    }
    go = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrongResults.load(), 0);
    EXPECT_EQ(wrongStatus.load(), 0);
}

}  // namespace
