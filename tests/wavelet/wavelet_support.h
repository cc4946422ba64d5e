// Shared by the wavelet tests: the entry points of each core, a record that
// frees itself, the predefined families, and PyWavelets' reference data.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "vok.h"

namespace wavtest {

// The entry points and report names of one core (1 float, 2 double, 4 16-bit).
// The 16-bit Init builds its bank through the float one, which reports.
template <class T>
struct Forms;
#define VOK_WAVELET_FORMS(t, T, TapType, coreNumber, builder)                    \
    template <>                                                                 \
    struct Forms<T> {                                                           \
        using Tap = TapType;                                                    \
        static constexpr int core = coreNumber;                                 \
        static constexpr auto init = vok##t##WtInit;                            \
        static constexpr auto setState = vok##t##WtSetState;                    \
        static constexpr auto getState = vok##t##WtGetState;                    \
        static constexpr auto decompose = vok##t##WtDecompose;                  \
        static constexpr auto reconstruct = vok##t##WtReconstruct;              \
        static constexpr const char* initBuilderName = builder;                 \
        static constexpr const char* setStateName = "vok" #t "WtSetState";      \
        static constexpr const char* setStateBacktrace = "out " builder;        \
        static constexpr const char* getStateName = "vok" #t "WtGetState";      \
        static constexpr const char* decomposeName = "vok" #t "WtDecompose";    \
        static constexpr const char* reconstructName = "vok" #t "WtReconstruct"; \
    };
VOK_WAVELET_FORMS(s, float, float, 1, "voksWtInit")
VOK_WAVELET_FORMS(d, double, double, 2, "vokdWtInit")
VOK_WAVELET_FORMS(w, short, float, 4, "voksWtInit")
#undef VOK_WAVELET_FORMS

// A record initialised for one core, released when it goes.
template <class T>
struct Record {
    VokWtState st{};
    Record(int type, int par1, int par2, int order, int level) { Forms<T>::init(par1, par2, order, level, &st, type); }
    ~Record() {
        if (st.src_pad) vokWtFree(&st);
    }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    bool ok() const { return st.src_pad != nullptr; }
    const typename Forms<T>::Tap* tap(int i) const { return static_cast<const typename Forms<T>::Tap*>(st.tap_filt[i]); }
};

struct Family {
    int type, par1, par2;
    int prototypeLength;  // orthogonal types
    std::string pywtName;  // orthogonal types that PyWavelets also has
    std::string label() const {
        return std::to_string(type) + "(" + std::to_string(par1) + "," + std::to_string(par2) + ")";
    }
};

inline std::vector<Family> orthogonalFamilies() {
    std::vector<Family> f = {{VOK_WtHaar, 0, 0, 2, "db1"}};
    for (int p = 1; p <= 10; ++p) f.push_back({VOK_WtDaublet, p, 0, 2 * p, "db" + std::to_string(p)});
    for (int p = 1; p <= 7; ++p) f.push_back({VOK_WtSymmlet, p, 0, 2 * (p + 3), "sym" + std::to_string(p + 3)});
    for (int p = 1; p <= 5; ++p) f.push_back({VOK_WtCoiflet, p, 0, 6 * p, "coif" + std::to_string(p)});
    return f;
}

inline std::vector<Family> allFamilies() {
    auto f = orthogonalFamilies();
    f.push_back({VOK_WtVaidyanathan, 0, 0, 24, ""});
    const int pairs[][2] = {{1, 1}, {1, 3}, {1, 5}, {2, 2}, {2, 4}, {2, 6}, {2, 8}, {3, 1}, {3, 3}, {3, 5}, {3, 7}, {3, 9}};
    for (int type : {VOK_WtBiorth, VOK_WtBiorthDual})
        for (const auto& p : pairs) f.push_back({type, p[0], p[1], 0, ""});
    f.push_back({VOK_WtBiorth22, 0, 0, 0, ""});
    f.push_back({VOK_WtBiorth33, 0, 0, 0, ""});
    return f;
}

struct PywtBank {
    std::vector<double> decLo, decHi, recLo, recHi;
};
struct PywtDwt {
    std::vector<double> cA, cD;
};
struct PywtData {
    std::map<std::string, PywtBank> banks;
    std::map<std::string, PywtDwt> dwt;  // key: name + "/" + rotation
};

inline std::vector<double> readRow(std::istream& in) {
    std::string line;
    std::getline(in, line);
    std::istringstream words(line);
    std::vector<double> v;
    for (double x; words >> x;) v.push_back(x);
    return v;
}

inline const PywtData& pywtData() {
    static const PywtData data = [] {
        PywtData d;
        std::ifstream in(VOK_TEST_DATA_DIR "/wavelet_pywt.txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string kind, name;
            words >> kind >> name;
            if (kind == "bank") {
                PywtBank& b = d.banks[name];
                b.decLo = readRow(in);
                b.decHi = readRow(in);
                b.recLo = readRow(in);
                b.recHi = readRow(in);
            } else if (kind == "dwt") {
                int r = 0;
                words >> r;
                PywtDwt& w = d.dwt[name + "/" + std::to_string(r)];
                w.cA = readRow(in);
                w.cD = readRow(in);
            }
        }
        return d;
    }();
    return data;
}

inline const PywtBank& pywtBank(const std::string& name) {
    static const PywtBank empty;
    const auto& banks = pywtData().banks;
    const auto it = banks.find(name);
    EXPECT_NE(it, banks.end()) << name;
    return it == banks.end() ? empty : it->second;
}

// The PyWavelets test input, x[n] = ((n * 7919) % 1000) / 500 - 1.
inline std::vector<double> pywtInput(int n) {
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) x[size_t(i)] = ((i * 7919) % 1000) / 500.0 - 1.0;
    return x;
}

}  // namespace wavtest
