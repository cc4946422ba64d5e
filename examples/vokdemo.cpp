// vokdemo: the library's demonstration program. It grows with the library;
// for now it shows the error reporting and the vector arithmetic.
#include <cmath>
#include <cstdio>
#include <vector>

#include "vok.h"

int main() {
    const VokLibVersion* version = vokGetLibVersion();
    std::printf("%s %s %s\n", version->name, version->version, version->internalVersion);

    // Report failures on standard error and carry on, instead of the default question.
    vokSetErrMode(VOK_ErrorModeParent);
    vokRedirectError(vokStdErrReport);

    const int n = 1000;
    std::vector<float> a(n), b(n), sum(n);
    for (int i = 0; i < n; ++i) {
        a[i] = std::sin(0.01f * float(i));
        b[i] = std::cos(0.01f * float(i));
    }
    voksbMpy3(a.data(), a.data(), sum.data(), n);   // sin^2
    voksbMpy2(b.data(), b.data(), n);               // cos^2
    voksbAdd2(b.data(), sum.data(), n);             // sin^2 + cos^2
    double worst = 0;
    for (float x : sum) worst = std::fmax(worst, std::fabs(x - 1.0));
    std::printf("sin^2 + cos^2 over %d samples: largest deviation from 1 is %.3g\n", n, worst);

    std::printf("A deliberate bad call (length 0) reports:\n");
    voksbZero(sum.data(), 0);
    std::printf("status after it: %d (%s)\n", vokGetErrStatus(), vokErrorStr(vokGetErrStatus()));
    return 0;
}
