#include "frame/context.h"

#include <cstdlib>

#include "frame/platform.h"
#include "vok/frame.h"

namespace vok {

VokThreadContext* createContext() {
    auto* ctx = static_cast<VokThreadContext*>(std::calloc(1, sizeof(VokThreadContext)));
    if (!ctx) return nullptr;
    ctx->status = VOK_StatusOk;
    ctx->errorMode = VOK_ErrorModeLeaf;
    ctx->reportHook = vokGuiBoxReport;
    ctx->tableCapacity = kDftTableCapacity;
    return ctx;
}

void releaseContext(VokThreadContext* ctx) {
    // The tables die with their thread: nobody else can reach them.
    TransformCaches& t = ctx->tables;
    for (int kind = 0; kind < kTableKinds; ++kind) {
        for (int i = 0; i < ctx->dftCount[kind]; ++i) vokFree(t.dft[kind].tables[i]);
        for (void* table : t.fftTwiddle[kind]) vokFree(table);
    }
    for (int order = 0; order < kOrderSlots; ++order) {
        vokFree(t.bitRev[order]);
        vokFree(t.swap[order]);
        for (auto& perPrecision : t.internalFft)
            for (void* table : perPrecision[order]) vokFree(table);
    }
    for (WorkSlot& slot : t.work) vokFree(slot.buffer);
    vokFree(t.chirp.block);
    for (DftPlanCache& cache : t.dftPlans)
        for (void* plan : cache.plans) vokFree(plan);
    vokFree(t.dct.twiddles);
    std::free(ctx);
}

VokThreadContext& createThreadContext() {
    VokThreadContext* ctx = createContext();
    if (!ctx) platform::fatalAppExit("VOKlib. Problem to allocate memory for TLS VOK context.");
    platform::storeContext(ctx);
    return *ctx;
}

}  // namespace vok
