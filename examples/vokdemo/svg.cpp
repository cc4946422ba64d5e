#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

namespace demo {
namespace {

constexpr double kWidth = 900, kHeight = 420, kLeft = 70, kRight = 20, kTop = 40, kBottom = 50;

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

}  // namespace

bool writeSvg(const std::string& path, const Plot& plot) {
    double x0 = std::numeric_limits<double>::max(), x1 = -x0, y0 = x0, y1 = -x0;
    auto mapX = [&](double x) { return plot.logX ? std::log10(std::max(x, 1e-12)) : x; };
    for (const Series& s : plot.series)
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            if (!std::isfinite(s.y[i])) continue;
            x0 = std::min(x0, mapX(s.x[i]));
            x1 = std::max(x1, mapX(s.x[i]));
            y0 = std::min(y0, s.y[i]);
            y1 = std::max(y1, s.y[i]);
        }
    if (x1 <= x0) x1 = x0 + 1;
    if (y1 <= y0) y1 = y0 + 1;
    const double w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;
    auto px = [&](double x) { return kLeft + (mapX(x) - x0) / (x1 - x0) * w; };
    auto py = [&](double y) { return kTop + (y1 - std::clamp(y, y0, y1)) / (y1 - y0) * h; };

    std::ostringstream svg;
    svg << "<svg xmlns='http://www.w3.org/2000/svg' width='" << kWidth << "' height='" << kHeight
        << "' font-family='sans-serif' font-size='12'>\n<rect width='100%' height='100%' fill='white'/>\n"
        << "<text x='" << kWidth / 2 << "' y='22' text-anchor='middle' font-size='15'>" << escape(plot.title) << "</text>\n"
        << "<rect x='" << kLeft << "' y='" << kTop << "' width='" << w << "' height='" << h
        << "' fill='none' stroke='#888'/>\n";
    for (int t = 0; t <= 5; ++t) {
        const double yv = y0 + (y1 - y0) * t / 5, xv = x0 + (x1 - x0) * t / 5;
        svg << "<text x='" << kLeft - 6 << "' y='" << py(yv) + 4 << "' text-anchor='end'>" << number(yv) << "</text>\n"
            << "<text x='" << kLeft + w * t / 5 << "' y='" << kTop + h + 16 << "' text-anchor='middle'>"
            << number(plot.logX ? std::pow(10, xv) : xv) << "</text>\n";
    }
    svg << "<text x='" << kLeft + w / 2 << "' y='" << kHeight - 10 << "' text-anchor='middle'>" << escape(plot.xLabel)
        << "</text>\n<text transform='translate(16," << kTop + h / 2 << ") rotate(-90)' text-anchor='middle'>"
        << escape(plot.yLabel) << "</text>\n";
    int legend = 0;
    for (const Series& s : plot.series) {
        svg << "<polyline fill='none' stroke='" << s.colour << "' stroke-width='1.2' points='";
        for (std::size_t i = 0; i < s.x.size(); ++i)
            if (std::isfinite(s.y[i])) svg << number(px(s.x[i])) << ',' << number(py(s.y[i])) << ' ';
        svg << "'/>\n<text x='" << kLeft + w - 8 << "' y='" << kTop + 16 + 16 * legend++ << "' text-anchor='end' fill='"
            << s.colour << "'>" << escape(s.label) << "</text>\n";
    }
    // The plotted numbers themselves, for scripts that check a plot.
    svg << "<metadata>\n";
    for (const Series& s : plot.series) {
        svg << "series " << escape(s.label) << ":";
        for (std::size_t i = 0; i < s.x.size(); ++i)
            if (std::isfinite(s.y[i])) svg << ' ' << number(s.x[i]) << ',' << number(s.y[i]);
        svg << '\n';
    }
    svg << "</metadata>\n</svg>\n";
    std::ofstream out(path);
    return bool(out << svg.str());
}

}  // namespace demo
