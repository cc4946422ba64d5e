// Argument-check tables for any entry point. The valid call is written once:
// its arguments are given, or built from the signature (pointers into one
// sentinel buffer, numbers 4, records zero). Each row names the arguments it
// spoils (a pointer becomes null, a number the row's value) and the report it
// must give, alone and with the arguments of every later row spoiled too, so
// the rows are the checks in their order and the reports prove it; rows
// spoiling nothing test the state of a record and come last. A failed call
// makes exactly one report, from the same line for every row of the call,
// leaves the status set, returns zero (its status if it returns one) and
// writes nothing. A table made with everyCheck is for calls that run every
// check: a row with the later rows spoiled reports its own and their contexts.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "voktest/reports.h"

namespace voktest {

struct Swap {
    int arg;           // the argument's index in the call
    double value = 0;  // the bad value of a number
};

// A literal type, so that a table's rows are constant data rather than code run per row.
struct BadArg {
    static constexpr std::size_t kMaxSwaps = 8;
    constexpr BadArg(int arg, const char* context, double value = 0) : context(context), count(1) {
        store[0] = {arg, value};
    }
    constexpr BadArg(const char* context, std::initializer_list<Swap> swaps) : context(context), count(swaps.size()) {
        if (swaps.size() > kMaxSwaps) throw std::length_error("a check row spoils more than kMaxSwaps arguments");
        std::copy(swaps.begin(), swaps.end(), store);
    }
    std::span<const Swap> swaps() const { return {store, count}; }
    const char* context;  // the report's text
    std::size_t count;
    Swap store[kMaxSwaps] = {};
};

// One report of a call row. A context alone is the called function's, with the
// table's status and module; a report of another function names it, and of
// another status or module says so too.
struct Said {
    Said(const char* context) : context(context) {}
    Said(const char* function, const char* context) : function(function), context(context) {}
    Said(int status, const char* function, const char* context, const char* module)
        : status(status), function(function), context(context), module(module) {}
    int status = 0;
    const char* function = nullptr;
    const char* context;
    const char* module = nullptr;
};

// A failing call the signature cannot spell (conflicting flags, several
// reports, an inner call's report first): the call as written and every report
// it adds, in order. What an int-returning call returns must be its first
// report's status (zero without one).
struct CallRow {
    std::string text;  // the called function is the name before '('
    std::function<std::optional<int>()> call;
    std::vector<Said> reports;
};

template <class F>
std::optional<int> resultOf(F f) {
    if constexpr (std::is_same_v<decltype(f()), int>) return f();
    else {
        f();
        return std::nullopt;
    }
}

class CheckTable {
public:
    explicit CheckTable(const char* module, int status = VOK_StatusBadArg, bool everyCheck = false)
        : module_(module), status_(status), everyCheck_(everyCheck) {}
    ~CheckTable() { EXPECT_TRUE(buffer_.untouched()) << module_ << ": a failed call wrote to its buffers"; }
    CheckTable(const CheckTable&) = delete;
    CheckTable& operator=(const CheckTable&) = delete;

    template <class T>
    T* buffer() { return buffer_.as<T>(); }

    template <class R, class... A>
    void operator()(const std::string& name, R(VOK_CALL* fn)(A...), const std::vector<BadArg>& rows) {
        (*this)(name, fn, rows, std::tuple<A...>{good<A>()...});
    }
    template <class R, class... A>
    void operator()(const std::string& name, R(VOK_CALL* fn)(A...), const std::vector<BadArg>& rows,
                    std::tuple<A...> args) {
        // Only the spoiling and the call depend on the signature: the driver is compiled once, not per entry point.
        drive(name, rows, [&](std::size_t j, std::size_t end) {
            auto call = args;
            for (std::size_t k = end; k-- > j;)
                for (const Swap& s : rows[k].swaps()) spoil(call, s, std::index_sequence_for<A...>{});
            if constexpr (std::is_same_v<R, int>) {
                return Outcome{true, std::apply(fn, call), false};
            } else if constexpr (!std::is_void_v<R>) {
                const R result = std::apply(fn, call), zero{};
                return Outcome{false, 0, std::memcmp(&result, &zero, sizeof(R)) != 0};
            } else {
                std::apply(fn, call);
                return Outcome{};
            }
        });
    }
    // The call with every pointer in the buffer and these numbers, in order, for the other arguments.
    template <class R, class... A>
    void operator()(const std::string& name, R(VOK_CALL* fn)(A...), std::vector<long long> numbers,
                    const std::vector<BadArg>& rows) {
        std::size_t i = 0;
        const auto next = [&]<class T>(std::type_identity<T>) -> T {
            if constexpr (std::is_pointer_v<T>) return good<T>();
            else return T(numbers.at(i++));
        };
        (*this)(name, fn, rows, std::tuple<A...>{next(std::type_identity<A>{})...});
    }
    // Rows of whole calls, each from a clean status.
    void operator()(const std::vector<CallRow>& rows) {
        for (const CallRow& row : rows) {
            const std::string name = row.text.substr(0, row.text.find('('));
            std::vector<Expected> expected;
            for (const Said& s : row.reports)
                expected.push_back({s.status ? s.status : status_, s.function ? s.function : name.c_str(), s.context,
                                    s.module ? s.module : module_});
            ReportRecorder rec;
            if (const std::optional<int> result = row.call())
                EXPECT_EQ(*result, expected.empty() ? 0 : expected[0].status) << row.text;
            EXPECT_TRUE(sameReports(rec.reports(), expected)) << row.text;
        }
    }
    // A call outside the rows makes exactly these reports (none for an empty list);
    // a failure names the call by its place in the table's sequence of run()s.
    template <class Call>
    void run(Call call, const std::vector<Expected>& expected) {
        const int step = ++runs_;
        ReportRecorder rec;
        call();
        EXPECT_TRUE(sameReports(rec.reports(), expected)) << module_ << " run #" << step;
    }

private:
    struct Outcome {
        bool returnsStatus = false;
        int status = 0;
        bool nonZero = false;  // a value-returning call's result
    };
    // call(j, end) makes the table's call with rows j .. end - 1 spoiled.
    void drive(const std::string& name, const std::vector<BadArg>& rows,
               const std::function<Outcome(std::size_t, std::size_t)>& call) {
        int line = -1;
        for (std::size_t r = 0; r < 2 * rows.size(); ++r) {
            // Each row alone, then with every later row (its own value last where rows share an argument).
            const std::size_t j = r / 2, end = r % 2 ? rows.size() : j + 1;
            ReportRecorder rec;
            const Outcome out = call(j, end);
            if (out.returnsStatus) EXPECT_EQ(out.status, status_) << name << " #" << j;
            EXPECT_FALSE(out.nonZero) << name << " returned non-zero";
            std::vector<Expected> expected;
            for (std::size_t k = j; k < (everyCheck_ ? end : j + 1); ++k)
                expected.push_back({status_, name.c_str(), rows[k].context, module_});
            EXPECT_TRUE(sameReports(rec.reports(), expected)) << name << " #" << j;
            EXPECT_EQ(vokGetErrStatus(), status_) << name << " #" << j;
            if (everyCheck_) continue;  // its checks report one by one, from their own lines
            if (const int at = rec.reports().empty() ? line : rec.reports()[0].line; line < 0) line = at;
            else EXPECT_EQ(at, line) << name << " #" << j << ": checks report from different lines";
        }
    }
    template <class T>
    T good() {
        if constexpr (std::is_pointer_v<T>) return static_cast<T>(buffer_.as<void>());
        else if constexpr (std::is_arithmetic_v<T>) return T(4);
        else return T{};
    }
    template <class Tuple, std::size_t... I>
    static void spoil(Tuple& call, const Swap& bad, std::index_sequence<I...>) {
        (([&](auto& a) {
             using T = std::remove_reference_t<decltype(a)>;
             if (int(I) != bad.arg) return;
             if constexpr (std::is_pointer_v<T>) a = nullptr;
             else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) a = T(bad.value);
             else ADD_FAILURE() << "argument " << bad.arg << " cannot be spoiled";
         }(std::get<I>(call))),
         ...);
    }

    Sentinel buffer_{4096};
    const char* module_;
    int status_;
    bool everyCheck_;
    int runs_ = 0;
};

// The entry point's name comes from the call itself. Named apart from the
// library's VOK_CHECKS (core/check.h), which a test reaching internals includes.
#define VOK_CHECK_TABLE(table, fn, ...) (table)(#fn, fn, __VA_ARGS__)
// A call row: the call as written, then its reports.
#define VOK_BAD_CALL(call, ...) \
    ::voktest::CallRow { #call, [&] { return ::voktest::resultOf([&] { return call; }); }, { __VA_ARGS__ } }

// The same rows for several entry points; their names are split from the
// macro's argument text ("a, b, c").
template <class... F>
void checkEach(CheckTable& table, const std::vector<BadArg>& rows, const std::string& names, F... fns) {
    std::size_t at = 0;
    const auto next = [&](auto fn) {
        const std::size_t end = std::min(names.find(',', at), names.size());
        const std::size_t start = names.find_first_not_of(' ', at);
        table(names.substr(start, end - start), fn, rows);
        at = end + 1;
    };
    (next(fns), ...);
}

}  // namespace voktest

// Macros among the names are expanded first, so that a family's names can be spelt by one.
#define VOK_CHECK_EACH(table, rows, ...) VOK_CHECK_EACH_EXPANDED(table, rows, __VA_ARGS__)
#define VOK_CHECK_EACH_EXPANDED(table, rows, ...) ::voktest::checkEach(table, rows, #__VA_ARGS__, __VA_ARGS__)
