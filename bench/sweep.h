// The lengths of the any-length sweeps (bench_dft, bench_dct), registered only
// when the filter asks for them ("--benchmark_filter=sweep..."), so that the
// default runs stay short.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace sweep {

// Every length up to 64, then lengths users meet: products of small primes,
// powers of two and one more, primes, a prime factor for the generic odd
// radix (17 ... 61) and one just past it (67, 71, the chirp).
inline std::vector<int> lengths() {
    std::vector<int> n;
    for (int i = 2; i <= 64; ++i) n.push_back(i);
    for (int i : {72, 96, 99, 121, 125, 129, 160, 169, 189, 200, 243, 258, 343, 360, 441, 500, 513, 625, 720, 768,
                  960, 1001, 1331, 1536, 1920, 2000, 2187, 2401, 3000, 3600, 4097, 5000, 6000, 7919, 8000, 9600,
                  11025, 16000, 16385, 22050, 32000, 44100, 65537, 88200, 96000, 100000, 131071, 192000,
                  67, 71, 118, 1088, 7808, 134, 4544})
        n.push_back(i);
    return n;
}

inline bool requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_filter=", 19) == 0 && std::strstr(argv[i], "sweep")) return true;
    return false;
}

// A benchmark program's main: registerAll(true) adds the sweep's lengths.
inline int run(int argc, char** argv, void (*registerAll)(bool everyLength)) {
    registerAll(requested(argc, argv));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace sweep
