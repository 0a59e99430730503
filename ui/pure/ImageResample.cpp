#include "ui/pure/ImageResample.h"

#include <algorithm>
#include <cmath>

namespace {

// The bicubic kernel with a = -0.5 (the usual "high-quality bicubic").
double Cubic(double x) {
    constexpr double a = -0.5;
    x = std::fabs(x);
    if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
    if (x < 2.0) return (((x - 5.0) * x + 8.0) * x - 4.0) * a;
    return 0.0;
}

// For each output position along one axis, the input positions it takes and their weights.
struct Taps {
    std::vector<int> first;       // first input index of each output
    std::vector<int> count;       // how many inputs
    std::vector<double> weights;  // `maxTaps` per output
    int maxTaps = 0;
};

Taps MakeTaps(int in, int out) {
    Taps t;
    const double scale = static_cast<double>(in) / out;
    const double filterScale = std::max(scale, 1.0);  // shrinking widens the kernel
    const double support = 2.0 * filterScale;
    t.maxTaps = static_cast<int>(std::ceil(support)) * 2 + 1;
    t.first.resize(static_cast<size_t>(out));
    t.count.resize(static_cast<size_t>(out));
    t.weights.assign(static_cast<size_t>(out) * static_cast<size_t>(t.maxTaps), 0.0);
    for (int i = 0; i < out; ++i) {
        const double centre = (i + 0.5) * scale;
        const int lo = static_cast<int>(std::floor(centre - support + 0.5));
        const int hi = static_cast<int>(std::floor(centre + support + 0.5));
        const int n = std::min(hi - lo, t.maxTaps);
        double* w = &t.weights[static_cast<size_t>(i) * static_cast<size_t>(t.maxTaps)];
        double sum = 0.0;
        for (int k = 0; k < n; ++k) {
            w[k] = Cubic((lo + k + 0.5 - centre) / filterScale);
            sum += w[k];
        }
        if (sum != 0.0)
            for (int k = 0; k < n; ++k) w[k] /= sum;
        t.first[static_cast<size_t>(i)] = lo;
        t.count[static_cast<size_t>(i)] = n;
    }
    return t;
}

// Sums the weighted pixels `pick(k)` (k an input index, clamped by the caller) into one
// premultiplied pixel, kept valid: alpha in 0..255 and no colour above it.
template <class Pick>
uint32_t Filter(const Taps& t, int i, int inSize, Pick pick) {
    const double* w = &t.weights[static_cast<size_t>(i) * static_cast<size_t>(t.maxTaps)];
    double acc[4] = {0, 0, 0, 0};
    const int first = t.first[static_cast<size_t>(i)];
    for (int k = 0; k < t.count[static_cast<size_t>(i)]; ++k) {
        const uint32_t p = pick(std::clamp(first + k, 0, inSize - 1));
        for (int c = 0; c < 4; ++c) acc[c] += w[k] * ((p >> (8 * c)) & 0xFF);
    }
    const auto channel = [](double v, double limit) {
        return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, static_cast<long>(limit)));
    };
    const uint32_t a = channel(acc[3], 255);
    return (a << 24) | (channel(acc[2], a) << 16) | (channel(acc[1], a) << 8) | channel(acc[0], a);
}

}  // namespace

std::vector<uint32_t> ResamplePixels(const uint32_t* pixels, int stride, const UIRect& from, UISize size) {
    const int inW = from.width(), inH = from.height();
    if (pixels == nullptr || inW <= 0 || inH <= 0 || size.cx <= 0 || size.cy <= 0) return {};
    const auto at = [&](int x, int y) {
        return pixels[static_cast<size_t>(from.top + y) * static_cast<size_t>(stride) + static_cast<size_t>(from.left + x)];
    };
    // Across first (every input row), then down.
    const Taps across = MakeTaps(inW, size.cx), down = MakeTaps(inH, size.cy);
    std::vector<uint32_t> wide(static_cast<size_t>(size.cx) * static_cast<size_t>(inH));
    for (int y = 0; y < inH; ++y)
        for (int x = 0; x < size.cx; ++x)
            wide[static_cast<size_t>(y) * size.cx + x] = Filter(across, x, inW, [&](int k) { return at(k, y); });
    std::vector<uint32_t> out(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            out[static_cast<size_t>(y) * size.cx + x] =
                Filter(down, y, inH, [&](int k) { return wide[static_cast<size_t>(k) * size.cx + x]; });
    return out;
}
