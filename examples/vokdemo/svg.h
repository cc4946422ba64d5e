// Line plots as standalone SVG files that any browser opens.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct Series {
    std::string label;
    std::string colour;
    std::vector<double> x, y;
};

struct Plot {
    std::string title, xLabel, yLabel;
    std::vector<Series> series;
    bool logX = false;   // frequency axes: decades
    bool decibelY = false;  // ticks every 10 or 20 dB
};

bool writeSvg(const std::string& path, const Plot& plot);

}  // namespace demo
