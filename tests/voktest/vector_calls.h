// Argument-check tables for any entry point. The valid call is written once:
// its arguments are built from the signature (pointers into one sentinel
// buffer, numbers 4, records zero) unless the row gives them. Each check names
// an argument, its bad value (pointers become null) and the report it must
// give; a check is tried with the arguments of every later check spoiled too,
// so the report proves the order. Failed calls return zero, write nothing, and
// all checks of one function report the same line.
#pragma once

#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "voktest/reports.h"

namespace voktest {

struct BadArg {
    int arg;              // the argument's index in the call
    const char* context;  // the report's text
    double value = 0;     // the bad value of a number
};

class CheckTable {
public:
    explicit CheckTable(const char* module, int status = VOK_StatusBadArg) : module_(module), status_(status) {}
    ~CheckTable() { EXPECT_TRUE(buffer_.untouched()) << module_ << ": a failed call wrote to its buffers"; }
    CheckTable(const CheckTable&) = delete;
    CheckTable& operator=(const CheckTable&) = delete;

    template <class T>
    T* buffer() { return buffer_.as<T>(); }

    template <class R, class... A>
    void operator()(const char* name, R (*fn)(A...), const std::vector<BadArg>& checks) {
        (*this)(name, fn, checks, std::tuple<A...>{good<A>()...});
    }
    template <class R, class... A>
    void operator()(const char* name, R (*fn)(A...), const std::vector<BadArg>& checks, std::tuple<A...> args) {
        int line = -1;  // every check of one function reports one line
        for (std::size_t j = 0; j < checks.size(); ++j) {
            auto call = args;
            for (std::size_t k = checks.size(); k-- > j;)  // this row's value last, where rows share an argument
                spoil(call, checks[k], std::index_sequence_for<A...>{});
            ReportRecorder rec;
            if constexpr (std::is_void_v<R>) {
                std::apply(fn, call);
            } else {
                const R result = std::apply(fn, call), zero{};
                EXPECT_EQ(std::memcmp(&result, &zero, sizeof(R)), 0) << name << " returned non-zero";
            }
            EXPECT_TRUE(sameReports(rec.reports(), {{status_, name, checks[j].context, module_}})) << name << " #" << j;
            EXPECT_EQ(vokGetErrStatus(), status_) << name << " #" << j;
            if (const int at = rec.reports().empty() ? line : rec.reports()[0].line; line < 0) line = at;
            else EXPECT_EQ(at, line) << name << " #" << j << ": checks report from different lines";
        }
    }

private:
    template <class T>
    T good() {
        if constexpr (std::is_pointer_v<T>) return static_cast<T>(buffer_.as<void>());
        else if constexpr (std::is_arithmetic_v<T>) return T(4);
        else return T{};
    }
    template <class Tuple, std::size_t... I>
    static void spoil(Tuple& call, const BadArg& bad, std::index_sequence<I...>) {
        (([&](auto& a) {
             using T = std::remove_reference_t<decltype(a)>;
             if (int(I) != bad.arg) return;
             if constexpr (std::is_pointer_v<T>) a = nullptr;
             else if constexpr (std::is_arithmetic_v<T>) a = T(bad.value);
             else ADD_FAILURE() << "argument " << bad.arg << " cannot be spoiled";
         }(std::get<I>(call))),
         ...);
    }

    Sentinel buffer_{4096};
    const char* module_;
    int status_;
};

// The entry point's name comes from the call itself. Named apart from the
// library's VOK_CHECKS (core/check.h), which a test reaching internals includes.
#define VOK_CHECK_TABLE(table, fn, ...) (table)(#fn, fn, __VA_ARGS__)

}  // namespace voktest
