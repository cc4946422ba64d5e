// The six generator kinds (float, double, their complex forms and the two
// 16-bit forms) behind one interface, so that each behaviour is one typed
// test, and the failure reports every generator shares as one runner.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "voktest/values.h"
#include "voktest/vector_calls.h"
#include "vok.h"

namespace voktest {

using Sample = LC;

// P: parameter type, M: magnitude type, Out: sample type, Eps: relative rounding.
template <class State_, class P_, class M_, class Out_, auto Init, auto One, auto Block, double Eps>
struct Generator {
    using State = State_;
    using P = P_;
    using M = M_;
    using Out = Out_;
    static constexpr auto initFn = Init;
    static constexpr auto oneFn = One;
    static constexpr auto blockFn = Block;
    static constexpr bool cplx = !std::is_arithmetic_v<Out>;
    static constexpr bool integer = std::is_same_v<Out, short> || std::is_same_v<Out, ShortComplex>;
    static constexpr double eps = Eps;
    State st;
    // Zeroed, padding too: records are compared whole.
    Generator() { std::memset(static_cast<void*>(&st), 0, sizeof st); }
    template <class... Args>
    void init(Args... args) { Init(args..., &st); }
    Sample one() { return asLC(One(&st)); }
    // Fills n samples; the guard elements after them must stay as they were.
    void block(std::vector<Sample>& out, int n) {
        std::vector<Out> b(n + 4);
        std::memset(static_cast<void*>(b.data()), 0x5A, sizeof(Out) * b.size());
        Block(&st, b.data(), n);
        for (int i = 0; i < n; ++i) out.push_back(asLC(b[i]));
        for (int i = n; i < n + 4; ++i)
            EXPECT_EQ(reinterpret_cast<const unsigned char*>(&b[i])[0], 0x5A) << "wrote past " << n;
    }
};

// Texts and module of the checks every generator makes: a null state for the
// set-up, single-sample (which returns zero) and block forms, then the block's
// buffer and length, and, where the record carries a marker, a record that was
// never set up.
struct GeneratorTexts {
    const char* module;
    const char* initState;
    const char* oneState;
    const char* blockState;
    const char* buffer;
    const char* length;
    const char* uninit = nullptr;
    bool lengthBeforeBuffer = false;
};

// fn is the single-sample name ("vokzTone"); the set-up is fn + "Init", the
// block form has a 'b' after the type letters. args are good set-up values.
template <class K, class... Args>
void expectGeneratorChecks(const std::string& fn, const GeneratorTexts& t, Args... args) {
    SCOPED_TRACE(fn);
    const std::string init = fn + "Init", block = fn.substr(0, 4) + "b" + fn.substr(4);
    using Out = typename K::Out;
    K k;
    k.init(args...);
    const auto before = k.st;
    Sentinel out(8 * sizeof(Out));
    CheckTable table(t.module);
    const auto step = [&](const std::string& name, const char* context, auto call) {
        table.run(call, {{VOK_StatusBadArg, name.c_str(), context, t.module}});
    };
    step(init, t.initState, [&] { K::initFn(args..., nullptr); });
    step(fn, t.oneState, [&] { EXPECT_EQ(asLC(K::oneFn(nullptr)), Sample(0)); });
    step(block, t.blockState, [&] { K::blockFn(nullptr, nullptr, 0); });
    if (t.lengthBeforeBuffer) {
        step(block, t.length, [&] { K::blockFn(&k.st, nullptr, 0); });
        step(block, t.buffer, [&] { K::blockFn(&k.st, nullptr, 4); });
    } else {
        step(block, t.buffer, [&] { K::blockFn(&k.st, nullptr, 0); });
        step(block, t.length, [&] { K::blockFn(&k.st, out.as<Out>(), 0); });
    }
    step(block, t.length, [&] { K::blockFn(&k.st, out.as<Out>(), -2); });
    if (t.uninit) {
        typename K::State blank{};
        step(fn, t.uninit, [&] { EXPECT_EQ(asLC(K::oneFn(&blank)), Sample(0)); });
        step(block, t.uninit, [&] { K::blockFn(&blank, out.as<Out>(), 3); });
    }
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(std::memcmp(&k.st, &before, sizeof before), 0);
}

// Single samples and blocks of every length up to 36, interleaved, give what
// one block gives; with sameRecord the records end equal too.
template <class K>
void expectOneSequence(int n, auto start, bool sameRecord) {
    K whole, mixed;
    start(whole);
    start(mixed);
    std::vector<Sample> a, b;
    whole.block(a, n);
    for (int take = 0; (int)b.size() < n; take = (take + 5) % 37) {
        if (take == 0) b.push_back(mixed.one());
        else mixed.block(b, std::min(take, n - (int)b.size()));
    }
    ASSERT_EQ(a, b);
    if (sameRecord) EXPECT_EQ(std::memcmp(&whole.st, &mixed.st, sizeof whole.st), 0);
}

}  // namespace voktest
