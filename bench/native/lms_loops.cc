// A plain single-precision LMS step (update, push, output) compiled for this
// processor: the yardstick for voksLmsl.
#include <cstring>

float nativeLmsStep(float* w, float* x, int len, float step, float err, float samp) {
    const float se = step * err;
    for (int i = 0; i < len; ++i) w[i] += se * x[i];
    std::memmove(x + 1, x, sizeof(float) * unsigned(len - 1));
    x[0] = samp;
    float y = 0;
    for (int i = 0; i < len; ++i) y += w[i] * x[i];
    return y;
}
