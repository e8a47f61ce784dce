#include "SymbolDecode.h"

#include <ZXing/ReadBarcode.h>

#include <fstream>

namespace zt {

GreyImage RasterBars(const std::vector<int> &elements, int modulePx, int heightPx, int quietModules)
{
    int modules = 2 * quietModules;
    for (int e : elements)
        modules += e;
    GreyImage img;
    img.width = modules * modulePx;
    img.height = heightPx;
    img.pixels.assign(size_t(img.width) * size_t(img.height), 255);
    int x = quietModules * modulePx;
    bool bar = true;
    for (int e : elements) {
        const int w = e * modulePx;
        if (bar)
            for (int y = 0; y < img.height; ++y)
                for (int i = 0; i < w; ++i)
                    img.pixels[size_t(y) * img.width + x + i] = 0;
        x += w;
        bar = !bar;
    }
    return img;
}

GreyImage RasterGrid(const std::vector<std::vector<bool>> &grid, int modulePx, int quietModules)
{
    const int rows = int(grid.size());
    const int cols = rows ? int(grid[0].size()) : 0;
    GreyImage img;
    img.width = (cols + 2 * quietModules) * modulePx;
    img.height = (rows + 2 * quietModules) * modulePx;
    img.pixels.assign(size_t(img.width) * size_t(img.height), 255);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            if (grid[r][c])
                for (int dy = 0; dy < modulePx; ++dy)
                    for (int dx = 0; dx < modulePx; ++dx)
                        img.pixels[size_t((r + quietModules) * modulePx + dy) * img.width
                                   + (c + quietModules) * modulePx + dx] = 0;
    return img;
}

Decoded Decode(const GreyImage &image, const DecodeOptions &options)
{
    ZXing::DecodeHints hints;
    if (!options.formats.empty())
        hints.setFormats(ZXing::BarcodeFormatsFromString(options.formats));
    hints.setTryCode39ExtendedMode(options.code39Extended);
    hints.setValidateCode39CheckSum(options.validateCode39Check);
    hints.setValidateITFCheckSum(options.validateITFCheck);
    hints.setReturnCodabarStartEnd(options.codabarStartStop);
    hints.setIsPure(options.pure);
    hints.setTryRotate(options.tryRotate);
    hints.setTryDownscale(false);
    ZXing::ImageView view(image.pixels.data(), image.width, image.height, ZXing::ImageFormat::Lum);
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    Decoded d;
    d.ok = r.isValid();
    if (!d.ok)
        return d;
    d.text = r.text();
    d.bytes.assign(r.bytes().begin(), r.bytes().end());
    d.format = ZXing::ToString(r.format());
    d.symbologyId = r.symbologyIdentifier();
    d.mirrored = r.isMirrored();
    d.orientation = r.orientation();
    return d;
}

void SavePgm(const GreyImage &image, const std::string &path)
{
    std::ofstream f(path, std::ios::binary);
    f << "P5\n" << image.width << ' ' << image.height << "\n255\n";
    f.write(reinterpret_cast<const char *>(image.pixels.data()), std::streamsize(image.pixels.size()));
}

} // namespace zt
