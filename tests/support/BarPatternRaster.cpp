#include "BarPatternRaster.h"

#include <cmath>

namespace zt {

namespace {

bool IsBar(char c) { return (c >= '5' && c <= '9') || (c >= 'A' && c <= 'D'); }
bool IsSpace(char c) { return c >= '0' && c <= '4'; }
bool IsShort(char c) { return c >= 'A' && c <= 'D'; }

} // namespace

kx::TBarWidths PatternWidths(int narrowPx, double ratio)
{
    const int32_t w = kx::WideWidth(narrowPx, ratio);
    return {narrowPx, w, int32_t(std::nearbyint(w * 3 / 2.0)), 2 * w};
}

std::vector<int> PatternRuns(std::string_view pattern, const kx::TBarWidths &widths)
{
    std::vector<int> runs;
    bool lastBar = false;
    for (char c : pattern) {
        const bool bar = IsBar(c);
        if (runs.empty() && !bar)
            continue; // nothing before the first bar
        if (!runs.empty() && bar == lastBar)
            runs.back() += widths.Of(c);
        else
            runs.push_back(widths.Of(c));
        lastBar = bar;
    }
    if (!runs.empty() && runs.size() % 2 == 0)
        runs.pop_back(); // a trailing space belongs to the quiet zone
    return runs;
}

bool PatternAlternates(std::string_view pattern)
{
    while (!pattern.empty() && IsSpace(pattern.back()))
        pattern.remove_suffix(1);
    if (pattern.empty() || !IsBar(pattern.front()))
        return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (!IsBar(pattern[i]) && !IsSpace(pattern[i]))
            return false;
        if (i > 0 && IsBar(pattern[i]) == IsBar(pattern[i - 1]))
            return false;
    }
    return true;
}

GreyImage RasterPattern(std::string_view pattern, const kx::TBarWidths &widths, int heightPx,
                        int quietPx)
{
    if (quietPx < 0)
        quietPx = 12 * widths.N;
    GreyImage img;
    img.width = 2 * quietPx + kx::PatternWidth(pattern, widths);
    img.height = heightPx;
    img.pixels.assign(size_t(img.width) * size_t(img.height), 255);
    int x = quietPx;
    const int shortTop = heightPx - (2 * heightPx) / 5;
    for (char c : pattern) {
        const int w = widths.Of(c);
        if (IsBar(c))
            for (int y = IsShort(c) ? shortTop : 0; y < heightPx; ++y)
                for (int i = 0; i < w; ++i)
                    img.pixels[size_t(y) * size_t(img.width) + size_t(x + i)] = 0;
        x += w;
    }
    return img;
}

} // namespace zt
