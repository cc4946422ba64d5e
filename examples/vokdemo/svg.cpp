#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

namespace demo {
namespace {

constexpr double kWidth = 900, kHeight = 440, kLeft = 70, kRight = 20, kTop = 62, kBottom = 50;
constexpr int kMaxTicks = 8;

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

std::string tick(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// Round tick values covering [lo, hi]: multiples of a 1-2-5 step (of 10 or 20 dB on a
// decibel axis); the axis is widened to the outer ticks.
std::vector<double> linearTicks(double lo, double hi, bool decibel) {
    double step;
    if (decibel) {
        step = 10;
        while ((hi - lo) / step > kMaxTicks) step *= 2;
    } else {
        const double raw = (hi - lo) / kMaxTicks, decade = std::pow(10.0, std::floor(std::log10(raw)));
        step = decade * (raw <= decade ? 1 : raw <= 2 * decade ? 2 : raw <= 5 * decade ? 5 : 10);
    }
    std::vector<double> ticks;
    for (double t = std::floor(lo / step) * step; t < hi + step * 0.999; t += step)
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    return ticks;
}

// Decades (as exponents) covering [lo, hi], both given as log10 values.
std::vector<double> decadeTicks(double lo, double hi) {
    std::vector<double> ticks;
    for (double e = std::floor(lo + 1e-9); e < std::ceil(hi - 1e-9) + 0.5; ++e) ticks.push_back(e);
    if (ticks.size() < 2) ticks.push_back(ticks.back() + 1);
    return ticks;
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
    const std::vector<double> xTicks = plot.logX ? decadeTicks(x0, x1) : linearTicks(x0, x1, false);
    const std::vector<double> yTicks = linearTicks(y0, y1, plot.decibelY);
    x0 = xTicks.front(), x1 = xTicks.back(), y0 = yTicks.front(), y1 = yTicks.back();
    const double w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;
    auto toX = [&](double mapped) { return kLeft + (mapped - x0) / (x1 - x0) * w; };
    auto px = [&](double x) { return toX(mapX(x)); };
    auto py = [&](double y) { return kTop + (y1 - std::clamp(y, y0, y1)) / (y1 - y0) * h; };

    std::ostringstream svg;
    svg << "<svg xmlns='http://www.w3.org/2000/svg' width='" << kWidth << "' height='" << kHeight
        << "' font-family='sans-serif' font-size='12'>\n<rect width='100%' height='100%' fill='white'/>\n"
        << "<text x='" << kWidth / 2 << "' y='22' text-anchor='middle' font-size='15'>" << escape(plot.title) << "</text>\n";
    for (double yv : yTicks)
        svg << "<line x1='" << kLeft << "' x2='" << kLeft + w << "' y1='" << py(yv) << "' y2='" << py(yv)
            << "' stroke='#e4e4e4'/>\n<text x='" << kLeft - 6 << "' y='" << py(yv) + 4 << "' text-anchor='end'>"
            << tick(yv) << "</text>\n";
    for (double xv : xTicks) {
        svg << "<line x1='" << toX(xv) << "' x2='" << toX(xv) << "' y1='" << kTop << "' y2='" << kTop + h
            << "' stroke='#e4e4e4'/>\n<text x='" << toX(xv) << "' y='" << kTop + h + 16 << "' text-anchor='middle'>"
            << tick(plot.logX ? std::pow(10, xv) : xv) << "</text>\n";
        if (plot.logX && xv < x1)  // unlabelled 2..9 lines inside each decade
            for (int m = 2; m <= 9; ++m)
                svg << "<line x1='" << toX(xv + std::log10(m)) << "' x2='" << toX(xv + std::log10(m)) << "' y1='"
                    << kTop << "' y2='" << kTop + h << "' stroke='#f3f3f3'/>\n";
    }
    svg << "<rect x='" << kLeft << "' y='" << kTop << "' width='" << w << "' height='" << h
        << "' fill='none' stroke='#888'/>\n";
    svg << "<text x='" << kLeft + w / 2 << "' y='" << kHeight - 10 << "' text-anchor='middle'>" << escape(plot.xLabel)
        << "</text>\n<text transform='translate(16," << kTop + h / 2 << ") rotate(-90)' text-anchor='middle'>"
        << escape(plot.yLabel) << "</text>\n";
    // The legend sits in a row between the title and the plot area, so it never hides a curve.
    double legendX = kLeft;
    for (const Series& s : plot.series) {
        svg << "<line x1='" << legendX << "' x2='" << legendX + 22 << "' y1='" << kTop - 14 << "' y2='" << kTop - 14
            << "' stroke='" << s.colour << "' stroke-width='2'/>\n<text x='" << legendX + 28 << "' y='" << kTop - 10
            << "'>" << escape(s.label) << "</text>\n";
        legendX += 48 + 7.0 * double(s.label.size());
    }
    for (const Series& s : plot.series) {
        svg << "<polyline fill='none' stroke='" << s.colour << "' stroke-width='1.2' points='";
        for (std::size_t i = 0; i < s.x.size(); ++i)
            if (std::isfinite(s.y[i])) svg << number(px(s.x[i])) << ',' << number(py(s.y[i])) << ' ';
        svg << "'/>\n";
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
