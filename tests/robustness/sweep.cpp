#include "robustness/sweep.h"

#include "frame/test_seams.h"
#include "vok.h"

namespace robust {
namespace {

bool sameAs(const std::vector<voktest::Report>& got, const Reports& want) {
    if (got.size() != want.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const auto& g = got[i];
        const auto& w = want[i];
        const std::string context = w.context ? w.context : "<null>";
        if (g.status != w.status || g.function != w.function || g.context != context || g.module != w.module)
            return false;
    }
    return true;
}

// After the call: how many allocations were still due before the injected
// failure (0 when the call consumed it). Probing uses up the countdown.
int stillDue(int failing) {
    for (int i = 1; i <= failing; ++i) {
        void* probe = vokMalloc(1);
        if (!probe) return i;
        vokFree(probe);
    }
    return 0;
}

}  // namespace

void releaseThreadCaches() {
    vokzDft(nullptr, nullptr, 1, VOK_Free);  // the long-length chirp (its table of 1 goes next)
    vokcFreeTwdTbls();
    vokzFreeTwdTbls();
    vokvFreeTwdTbls();
    vokFreeBitRevTbls();
    vokvFft(nullptr, 0, VOK_Free, 0, nullptr);  // every work buffer slot
}

SweepFigures sweepAllocations(const Subject& subject, const std::vector<Reports>& allowed, int run) {
    SweepFigures figures;
    for (int failing = 1; failing < 400; ++failing) {
        SCOPED_TRACE(testing::Message() << "allocation " << failing << " (of a run of " << run << ") fails");
        subject.prepare();
        voktest::ReportRecorder rec;
        vok::testing::failAllocationsAfter(failing, run);
        subject.call();
        const int due = stillDue(failing);
        vok::testing::failAllocationAfter(0);
        const std::vector<voktest::Report> reports = rec.reports();  // before check() calls anything
        const Observed seen = subject.check();
        if (reports.empty()) {
            EXPECT_TRUE(seen.correct);
            // Reached only when the call made fewer allocations than 'failing'
            // (with a run, one more to tell a consumed run from a pending one).
            if (due > 1 || (due == 1 && run == 1)) {
                figures.allocations = failing - due;
                return figures;
            }
            if (due == 0) ++figures.survived;
            continue;
        }
        ++figures.failed;
        EXPECT_TRUE(seen.untouched);
        bool known = false;
        for (const auto& want : allowed) known = known || sameAs(reports, want);
        if (!known) {
            std::string got;
            for (const auto& r : reports)
                got += "\n  " + std::to_string(r.status) + " " + r.function + " \"" + r.context + "\" " + r.module;
            ADD_FAILURE() << "unexpected reports:" << got;
        }
    }
    ADD_FAILURE() << "the call never stopped reaching the injected failure";
    return figures;
}

}  // namespace robust
