// The allocation sweep: makes the 1st, 2nd, ... library allocation of a call
// fail (optionally several in a row) until the call no longer reaches the
// injected failure. Every run must either report one of the expected report
// sequences and leave the caller's buffers alone, or survive the failure
// (the paths that release their caches and retry) with the right result.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "voktest/values.h"
#include "vok.h"

namespace robust {

struct Observed {
    bool untouched;  // the outputs as they were before the call
    bool correct;    // the outputs as the call gives them when nothing fails
};

struct SweepFigures {
    int allocations = 0;  // allocations of the call when nothing fails
    int failed = 0;       // injections the call reported
    int survived = 0;     // injections the call absorbed without a report
};

using Reports = std::vector<voktest::Expected>;

// prepare() makes fresh buffers (and releases what the thread caches), call()
// makes the one library call with the failures armed, check() looks once they
// are disarmed.
struct Subject {
    std::function<void()> prepare, call;
    std::function<Observed()> check;
};

// Releases every table and work buffer the calling thread caches.
inline void releaseThreadCaches() {
    vokzDft(nullptr, nullptr, 1, VOK_Free);  // the long-length chirp (its table of 1 goes next)
    vokcFreeTwdTbls();
    vokzFreeTwdTbls();
    vokvFreeTwdTbls();
    vokFreeBitRevTbls();
    vokvFft(nullptr, 0, VOK_Free, 0, nullptr);  // every work buffer slot
}

// How a sweep runs and what its figures must be: 'want' is a list of
// "<figure><op><count>" (figure: allocations, failed, survived; op: =, >=, >;
// count: a number or "all", the allocations).
struct Options {
    int run = 1;          // failures in a row
    double tol = 0;       // for results of a fallback path
    bool release = true;  // release the thread's caches before every call
    bool kept = true;     // a failure leaves the output alone
    const char* want = "";
};

inline void expectFigures(const SweepFigures& f, const std::string& want) {
    std::istringstream words(want);
    for (std::string word; words >> word;) {
        const auto op = word.find_first_of("=>");
        const std::string name = word.substr(0, op), rel = word.substr(op, word[op + 1] == '=' ? 2 : 1);
        const std::string count = word.substr(op + rel.size());
        const int got = name == "failed" ? f.failed : name == "survived" ? f.survived : f.allocations;
        const int bound = count == "all" ? f.allocations : std::stoi(count);
        EXPECT_TRUE(rel == "=" ? got == bound : rel == ">=" ? got >= bound : got > bound)
            << word << ": " << name << " is " << got << " of " << f.allocations << " allocations";
    }
}

// 'run' failures in a row; one line of figures per sweep for the robustness notes.
inline SweepFigures sweep(const std::string& what, const Subject& subject, const std::vector<Reports>& allowed,
                          const Options& options = {}) {
    const int run = options.run;
    SweepFigures figures;
    for (int failing = 1; failing < 400; ++failing) {
        SCOPED_TRACE(testing::Message() << what << ": allocation " << failing << " (of a run of " << run << ") fails");
        subject.prepare();
        voktest::ReportRecorder rec;
        vok::testing::failAllocationsAfter(failing, run);
        subject.call();
        // How many allocations were still due before the injected failure (0
        // when the call consumed it); probing uses up the countdown.
        int due = 0;
        for (int i = 1; i <= failing && !due; ++i) {
            void* probe = vokMalloc(1);
            due = probe ? 0 : i;
            vokFree(probe);
        }
        vok::testing::failAllocationAfter(0);
        const std::vector<voktest::Report> reports = rec.reports();  // before check() calls anything
        const Observed seen = subject.check();
        if (reports.empty()) {
            EXPECT_TRUE(seen.correct);
            // Reached only when the call made fewer allocations than 'failing'
            // (with a run, one more to tell a consumed run from a pending one).
            if (due > 1 || (due == 1 && run == 1)) {
                figures.allocations = failing - due;
                std::printf("[ sweep    ] %-40s run %d: %2d allocations, %2d failures reported, %2d survived\n",
                            what.c_str(), run, figures.allocations, figures.failed, figures.survived);
                expectFigures(figures, options.want);
                return figures;
            }
            figures.survived += due == 0;
            continue;
        }
        ++figures.failed;
        EXPECT_TRUE(seen.untouched);
        bool known = false;
        for (const auto& want : allowed) known = known || voktest::sameReports(reports, want);
        EXPECT_TRUE(known) << voktest::sameReports(reports, allowed.empty() ? Reports{} : allowed[0]).message();
    }
    ADD_FAILURE() << what << ": the call never stopped reaching the injected failure";
    return figures;
}

// 'call' (whatever it returns) with the n-th library allocation from its start on failing
// ('run' of them in a row); starve(...) makes that call at once.
template <class Call>
auto starved(int n, Call call, int run = 1) {
    return [=] {
        struct Disarm {
            ~Disarm() { vok::testing::failAllocationAfter(0); }
        } disarm;
        vok::testing::failAllocationsAfter(n, run);
        return call();
    };
}
template <class Call>
auto starve(int n, Call call, int run = 1) {
    return starved(n, call, run)();
}

template <class T>
std::vector<double> widen(const std::vector<T>& v) {
    std::vector<double> out;
    for (const T& x : v) {
        if constexpr (requires { x.re; })
            out.insert(out.end(), {double(x.re), double(x.im)});
        else
            out.push_back(double(x));
    }
    return out;
}

// Equal, or within tol·(1 + |want|) where a fallback path rounds differently.
inline bool near(const std::vector<double>& got, const std::vector<double>& want, double tol) {
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!(std::abs(got[i] - want[i]) <= tol * (1 + std::abs(want[i])))) return false;
    return got.size() == want.size();
}

}  // namespace robust
