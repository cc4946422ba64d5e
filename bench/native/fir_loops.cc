// Plain FIR loops compiled for this processor: the yardstick for the block
// filters. The taps are stored reversed and the history sits before the
// block, so every output is one forward dot product, summed in the data's own
// precision as such a loop usually is.

// y[n] = sum_k rtaps[k] * line[n + k], n in [0, count); line holds len - 1
// history samples followed by the block.
void nativeFirBlock(const float* rtaps, int len, const float* line, float* y, int count) {
    for (int n = 0; n < count; ++n) {
        const float* x = line + n;
        float acc = 0;
        for (int k = 0; k < len; ++k) acc += rtaps[k] * x[k];
        y[n] = acc;
    }
}

// Decimation by `down`: y[m] = sum_k rtaps[k] * line[m * down + k].
void nativeFirDecimate(const float* rtaps, int len, const float* line, float* y, int count, int down) {
    for (int m = 0; m < count; ++m) {
        const float* x = line + m * down;
        float acc = 0;
        for (int k = 0; k < len; ++k) acc += rtaps[k] * x[k];
        y[m] = acc;
    }
}

// The same in double precision.
void nativeFirBlockDouble(const double* rtaps, int len, const double* line, double* y, int count) {
    for (int n = 0; n < count; ++n) {
        const double* x = line + n;
        double acc = 0;
        for (int k = 0; k < len; ++k) acc += rtaps[k] * x[k];
        y[n] = acc;
    }
}
