#include "logic/colour/ColourImages.h"

#include <algorithm>
#include <cmath>

namespace color {

Dib::Dib(int w, int h) : width(w), height(h), stride((w * 3 + 3) / 4 * 4), bits(static_cast<std::size_t>(stride) * h)
{
}

std::uint8_t* Dib::rowAtTop(int row)
{
    return bits.data() + static_cast<std::size_t>(height - 1 - row) * stride;
}

const std::uint8_t* Dib::rowAtTop(int row) const
{
    return bits.data() + static_cast<std::size_t>(height - 1 - row) * stride;
}

Components Dib::pixel(int x, int row) const
{
    const std::uint8_t* p = rowAtTop(row) + 3 * x;
    return {p[2], p[1], p[0]};
}

void Dib::setPixel(int x, int row, int r, int g, int b)
{
    std::uint8_t* p = rowAtTop(row) + 3 * x;
    p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
    p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
    p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
}

Dib DrawSatBrightField(int r, int g, int b)
{
    Dib dib(fieldSize, fieldSize);
    const int hue[3] = {r, g, b};
    for (int row = 0; row < fieldSize; ++row) {
        const double v = 255 - row;
        double base[3];
        for (int c = 0; c < 3; ++c)
            base[c] = hue[c] - row * (hue[c] / 255.0);
        for (int x = 0; x < fieldSize; ++x) {
            int out[3];
            for (int c = 0; c < 3; ++c)
                out[c] = roundToInt((255 - x) * (v - base[c]) / 255 + base[c]);
            dib.setPixel(x, row, out[0], out[1], out[2]);
        }
    }
    return dib;
}

namespace {

// The six hue runs across the field: which run a column is in and its ramp.
struct Run {
    int index;  // 0..5
    int ramp;
};

Run hueRun(int w)
{
    const int a = roundToInt(segment);
    const int b = roundToInt(2 * segment);
    const int c = roundToInt(3 * segment);
    const int d = roundToInt(4 * segment);
    const int e = roundToInt(5 * segment);
    if (w <= a)
        return {0, 6 * w};
    if (w <= b)
        return {1, 6 * a + 255 - 6 * w};
    if (w <= c)
        return {2, 6 * (w - b - 1)};
    if (w <= d)
        return {3, 6 * c + 255 - 6 * w};
    if (w <= e)
        return {4, 6 * (w - d - 1)};
    return {5, 6 * e + 255 - 6 * w};
}

// The pixel of run `index` with the full component `full`, the varying
// component `vary` and the third one `other`, in the order of the run.
Components arrange(int index, int full, int vary, int other)
{
    switch (index) {
    case 0: return {full, other, vary};
    case 1: return {vary, other, full};
    case 2: return {other, vary, full};
    case 3: return {other, full, vary};
    case 4: return {vary, full, other};
    default: return {full, vary, other};
    }
}

}  // namespace

Dib DrawHueSatField()
{
    Dib dib(fieldSize, fieldSize);
    for (int n = 0; n < fieldSize; ++n) {
        const double v = 1 - n / 255.0;
        for (int w = 0; w < fieldSize; ++w) {
            const Run run = hueRun(w);
            const int m = std::max(0, roundToInt(n + v * run.ramp));
            const Components p = arrange(run.index, 255, m, n);
            dib.setPixel(w, n, p.r, p.g, p.b);
        }
    }
    return dib;
}

Dib DrawHueBrightField()
{
    Dib dib(fieldSize, fieldSize);
    for (int n = 0; n < fieldSize; ++n) {
        const int bright = 255 - n;
        const double u = 1 - n / 255.0;
        for (int w = 0; w < fieldSize; ++w) {
            const Run run = hueRun(w);
            const int o = std::max(0, roundToInt(u * run.ramp));
            const Components p = arrange(run.index, bright, o, 0);
            dib.setPixel(w, n, p.r, p.g, p.b);
        }
    }
    return dib;
}

Dib DrawHueBar()
{
    Dib dib(barWidth, fieldSize);
    const auto bound = [](int k) { return static_cast<int>(std::floor(k * segment)); };
    for (int y = 0; y < fieldSize; ++y) {
        Components p;
        if (y <= bound(1))
            p = {255, 0, 6 * y};
        else if (y <= bound(2))
            p = {roundToInt(255 - 6 * (y - 42.5)), 0, 255};
        else if (y <= bound(3))
            p = {0, roundToInt(6.0 * (y - 85)), 255};
        else if (y <= bound(4))
            p = {0, 255, roundToInt(255 - 6 * (y - 127.5))};
        else if (y <= bound(5))
            p = {roundToInt(6.0 * (y - 170)), 255, 0};
        else
            p = {255, roundToInt(255 - 6 * (y - 212.5)), 0};
        // Sixteen pixels a row: the last one lands in the row's padding.
        std::uint8_t* row = dib.rowAtTop(y);
        for (int x = 0; x < 16; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(p.b);
            row[3 * x + 1] = static_cast<std::uint8_t>(p.g);
            row[3 * x + 2] = static_cast<std::uint8_t>(p.r);
        }
    }
    return dib;
}

namespace {
template <typename Shade>
Dib bar(Shade shade)
{
    Dib dib(barWidth, fieldSize);
    for (int i = 0; i < fieldSize; ++i) {
        const Components p = shade(i);
        for (int x = 0; x < barWidth; ++x)
            dib.setPixel(x, i, p.r, p.g, p.b);
    }
    return dib;
}
}  // namespace

Dib DrawBrightBar(int r, int g, int b)
{
    return bar([=](int i) {
        const auto dim = [i](int c) { return roundToInt(c - i * static_cast<double>(c) / 255); };
        return Components{dim(r), dim(g), dim(b)};
    });
}

Dib DrawSatBar(int r, int g, int b)
{
    return bar([=](int i) {
        const auto pale = [i](int c) { return roundToInt(i + c * (1 - i / 255.0)); };
        return Components{pale(r), pale(g), pale(b)};
    });
}

}  // namespace color
