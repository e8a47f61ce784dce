#include "platform/KXPicture.h"

#include "platform/KXBoundedRun.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

namespace kx {

namespace {

// A picture's sides are kept within this many pixels when it is drawn onto an image.
constexpr int MaxRenderSide = 12000;

uint16_t LeU16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
int16_t LeI16(const uint8_t *p) { return int16_t(LeU16(p)); }
uint32_t LeU32(const uint8_t *p) { return uint32_t(LeU16(p)) | (uint32_t(LeU16(p + 2)) << 16); }
int32_t LeI32(const uint8_t *p) { return int32_t(LeU32(p)); }

const uint8_t *Data(const QByteArray &b) { return reinterpret_cast<const uint8_t *>(b.constData()); }

bool IsPlaceable(const QByteArray &b)
{
    return b.size() >= 4 && LeU32(Data(b)) == 0x9AC6CDD7u;
}

// Pixels at 96 dots per inch of a length given in units per inch; 0 when it makes no sense.
int ToPixels(int64_t Length, int64_t UnitsPerInch)
{
    if (Length <= 0 || UnitsPerInch <= 0)
        return 0;
    const int64_t px = (Length * 96 + UnitsPerInch / 2) / UnitsPerInch;
    return int(std::clamp<int64_t>(px, 1, MaxRenderSide));
}

// The frame of a metafile in pixels at 96 dots per inch: an enhanced metafile's frame is in
// hundredths of a millimetre, a placeable metafile's box in its own units per inch.
QSize MetafilePixelSize(const QByteArray &b)
{
    const uint8_t *p = Data(b);
    if (IsPlaceable(b) && b.size() >= 22) {
        const int inch = LeU16(p + 14);
        return {ToPixels(int64_t(LeI16(p + 10)) - LeI16(p + 6), inch),
                ToPixels(int64_t(LeI16(p + 12)) - LeI16(p + 8), inch)};
    }
    if (b.size() >= 40)
        return {ToPixels(int64_t(LeI32(p + 32)) - LeI32(p + 24), 2540),
                ToPixels(int64_t(LeI32(p + 36)) - LeI32(p + 28), 2540)};
    return {};
}

QImage::Format RenderFormat() { return QImage::Format_ARGB32_Premultiplied; }

// ---------------------------------------------------------------------------------------
// The records of a placeable metafile, walked before a library sees them.

// Whether a device-independent bitmap of Avail bytes at p is whole: a header of one of the
// defined sizes (core 12, info 40, the info versions 52 and 56, OS/2 64, V4 108, V5 124),
// sensible dimensions, depth and compression, and a colour table and pixels that lie within
// the Avail bytes. PaletteIndices: the colour table holds 16-bit palette indices.
bool DibFits(const uint8_t *p, size_t Avail, bool PaletteIndices)
{
    if (Avail < 4)
        return false;
    const uint32_t header = LeU32(p);
    static const uint32_t sizes[] = {12, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(sizes), std::end(sizes), header) == std::end(sizes) || Avail < header)
        return false;
    int64_t width, height;
    uint32_t bits, compression = 0, sizeImage = 0, used = 0;
    int64_t entry;
    if (header == 12) {
        width = LeU16(p + 4);
        height = LeU16(p + 6);
        bits = LeU16(p + 10);
        entry = 3;
    } else {
        width = LeI32(p + 4);
        height = std::abs(int64_t(LeI32(p + 8)));
        bits = LeU16(p + 14);
        compression = LeU32(p + 16);
        sizeImage = LeU32(p + 20);
        used = LeU32(p + 32);
        entry = 4;
    }
    if (PaletteIndices)
        entry = 2;
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    // 0 plain, 1 and 2 run-length (8 and 4 bits), 3 bit fields (16 and 32 bits).
    if (compression > 3 || (compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
        (compression == 3 && bits != 16 && bits != 32))
        return false;
    if (bits <= 8 && used > (1u << bits))
        return false;
    if (bits > 8 && used > 256)
        return false;
    const int64_t colours = used != 0 ? used : (bits <= 8 ? (int64_t(1) << bits) : 0);
    const int64_t masks = (header == 40 && compression == 3) ? 12 : 0;
    int64_t pixels;
    if (compression == 1 || compression == 2) {
        if (sizeImage == 0)
            return false;
        pixels = sizeImage;
    } else {
        pixels = (width * bits + 31) / 32 * 4 * height;
    }
    return int64_t(header) + masks + colours * entry + pixels <= int64_t(Avail);
}

// Where the bitmap of a bitmap record starts among its parameters, by the record's function
// (its low byte names it); -1 for a record that carries none. The colour-usage parameter's
// offset goes to Usage (-1: none).
int BitmapOffset(uint16_t Function, uint32_t Words, int &Usage)
{
    Usage = -1;
    switch (Function & 0xFF) {
    case 0x40: // DIBBITBLT: 12 words without a bitmap
        return Words == 12 ? -1 : 16;
    case 0x41: // DIBSTRETCHBLT: 14 words without a bitmap
        return Words == 14 ? -1 : 20;
    case 0x43: // STRETCHDIB
        Usage = 4;
        return 22;
    case 0x33: // SETDIBTODEV
        Usage = 0;
        return 18;
    case 0x42: // DIBCREATEPATTERNBRUSH
        Usage = 2;
        return 4;
    default:
        return -1;
    }
}

} // namespace

bool PlaceableMetafileIsSound(const QByteArray &Wmf)
{
    // Placeable header (22 bytes), then the metafile header of 9 words.
    if (!IsPlaceable(Wmf) || Wmf.size() < 22 + 18)
        return false;
    const uint8_t *b = Data(Wmf);
    const size_t total = size_t(Wmf.size());
    const uint16_t type = LeU16(b + 22);
    if ((type != 1 && type != 2) || LeU16(b + 24) != 9)
        return false;
    size_t at = 22 + 18;
    while (at < total) {
        // A record: its size in words (at least the 3 of size and function), the function,
        // the parameters; it lies whole within the bytes.
        if (total - at < 6)
            return false;
        const uint32_t words = LeU32(b + at);
        const uint16_t function = LeU16(b + at + 4);
        if (words < 3 || uint64_t(words) * 2 > total - at)
            return false;
        if (function == 0)
            return true; // the end-of-file record
        int usage = -1;
        const int offset = BitmapOffset(function, words, usage);
        if (offset >= 0) {
            const size_t params = size_t(words) * 2 - 6;
            const uint8_t *p = b + at + 6;
            if (size_t(offset) > params)
                return false;
            const bool indices = usage >= 0 && size_t(usage) + 2 <= params && LeU16(p + usage) == 1;
            if (!DibFits(p + offset, params - size_t(offset), indices))
                return false;
        }
        at += size_t(words) * 2;
    }
    return true; // the bytes end without an end-of-file record: the player stops there
}

namespace {

QByteArray ConvertEnhancedMetafile(const QByteArray &Emf);
QByteArray ConvertPlaceableMetafile(const QByteArray &Wmf);

} // namespace

// ---------------------------------------------------------------------------------------
// Recognition

TKXGraphicClass FindGraphicClass(const uint8_t *b, size_t Count)
{
    if (!b || Count < 44)
        return TKXGraphicClass::gcNone;
    if (b[0] == 'I' && b[1] == 'I')
        return TKXGraphicClass::gcNone;
    if (b[0] == 'B' && b[1] == 'M')
        return TKXGraphicClass::gcBitmap;
    if (b[0] == 'M' && b[1] == 'M')
        return TKXGraphicClass::gcNone;
    if (b[0] == 255 && b[1] == 216)
        return TKXGraphicClass::gcJPEG;
    static const uint8_t png[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    if (std::memcmp(b, png, 8) == 0)
        return TKXGraphicClass::gcPNG;
    if (LeU32(b) == 0x9AC6CDD7u || (LeU32(b) == 1 && std::memcmp(b + 40, " EMF", 4) == 0))
        return TKXGraphicClass::gcMetafile;
    if (std::memcmp(b, "GIF", 3) == 0)
        return TKXGraphicClass::gcGIF;
    if (LeU16(b + 2) == 1)
        return TKXGraphicClass::gcIcon;
    return TKXGraphicClass::gcNone;
}

TKXGraphicClass FindGraphicClass(const QByteArray &Bytes)
{
    return FindGraphicClass(Data(Bytes), size_t(Bytes.size()));
}

TKXGraphicClass GraphicClassOfExtension(const QString &FileName)
{
    const QString ext = QFileInfo(FileName).suffix().toLower();
    if (ext == QLatin1String("bmp"))
        return TKXGraphicClass::gcBitmap;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TKXGraphicClass::gcJPEG;
    if (ext == QLatin1String("png"))
        return TKXGraphicClass::gcPNG;
    if (ext == QLatin1String("gif"))
        return TKXGraphicClass::gcGIF;
    if (ext == QLatin1String("emf") || ext == QLatin1String("wmf"))
        return TKXGraphicClass::gcMetafile;
    if (ext == QLatin1String("ico"))
        return TKXGraphicClass::gcIcon;
    return TKXGraphicClass::gcNone;
}

// ---------------------------------------------------------------------------------------
// Metafiles to SVG

// The libraries get the bytes in a child process with a deadline and a memory budget: what
// they do with hostile bytes stays there.
QByteArray EnhancedMetafileToSvg(const QByteArray &Emf)
{
    if (Emf.size() < 88)
        return {};
    return RunBounded([&Emf] { return ConvertEnhancedMetafile(Emf); }).value_or(QByteArray());
}

QByteArray PlaceableMetafileToSvg(const QByteArray &Wmf)
{
    if (!PlaceableMetafileIsSound(Wmf))
        return {};
    return PlayPlaceableMetafile(Wmf, {});
}

QByteArray PlayPlaceableMetafile(const QByteArray &Wmf, const TKXRunLimits &Limits)
{
    if (!IsPlaceable(Wmf) || Wmf.size() < 22 + 18)
        return {};
    return RunBounded([&Wmf] { return ConvertPlaceableMetafile(Wmf); }, Limits).value_or(QByteArray());
}

namespace {

QByteArray ConvertEnhancedMetafile(const QByteArray &Emf)
{
    std::vector<char> contents(Emf.begin(), Emf.end());
    generatorOptions options{};
    char empty[] = "";
    options.nameSpace = empty;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    char *out = nullptr;
    size_t length = 0;
    emf2svg(contents.data(), contents.size(), &out, &length, &options);
    QByteArray svg;
    if (out && length > 0)
        svg = QByteArray(out, qsizetype(length));
    std::free(out);
    return svg;
}

QByteArray ConvertPlaceableMetafile(const QByteArray &Wmf)
{
    wmfAPI *api = nullptr;
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return {};
    }
    // The player reads from its own copy of the bytes.
    std::vector<unsigned char> contents(Wmf.begin(), Wmf.end());
    QByteArray svg;
    wmfD_Rect bbox{};
    if (wmf_mem_open(api, contents.data(), long(contents.size())) == wmf_E_None &&
        wmf_scan(api, 0, &bbox) == wmf_E_None) {
        wmf_svg_t *device = WMF_SVG_GetData(api);
        device->out = wmf_stream_create(api, nullptr);
        char description[] = "picture";
        device->Description = description;
        device->bbox = bbox;
        unsigned int w = 0, h = 0;
        wmf_display_size(api, &w, &h, 96, 96);
        device->width = std::max(1u, w);
        device->height = std::max(1u, h);
        device->flags |= WMF_SVG_INLINE_IMAGES;
        const bool played = device->out && wmf_play(api, 0, &bbox) == wmf_E_None;
        char *mem = nullptr;
        unsigned long length = 0;
        if (device->out)
            wmf_stream_destroy(api, device->out, &mem, &length);
        if (played && mem && length > 0)
            svg = QByteArray(mem, qsizetype(length));
        if (mem)
            wmf_free(api, mem);
    }
    wmf_api_destroy(api);
    return svg;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXGraphic

TKXGraphic::TKXGraphic() = default;
TKXGraphic::~TKXGraphic() = default;

void TKXGraphic::Clear()
{
    FClass = TKXGraphicClass::gcNone;
    FBytes.clear();
    FSize = {};
    FImage = {};
    FTransparentImage = {};
    FSvg.reset();
}

bool TKXGraphic::Load(TKXGraphicClass Class, const QByteArray &Bytes)
{
    Clear();
    if (Class == TKXGraphicClass::gcNone)
        return false;
    if (Class == TKXGraphicClass::gcMetafile) {
        const QByteArray svg =
            IsPlaceable(Bytes) ? PlaceableMetafileToSvg(Bytes) : EnhancedMetafileToSvg(Bytes);
        if (svg.isEmpty())
            return false;
        auto renderer = std::make_unique<QSvgRenderer>(svg);
        if (!renderer->isValid())
            return false;
        QSize size = MetafilePixelSize(Bytes);
        if (size.isEmpty())
            size = renderer->defaultSize().boundedTo({MaxRenderSide, MaxRenderSide});
        if (size.isEmpty())
            return false;
        FSvg = std::move(renderer);
        FSize = size;
    } else {
        static const char *const formats[] = {"", "bmp", "jpeg", "png", "", "gif", "ico"};
        QBuffer buffer;
        buffer.setData(Bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, formats[int(Class)]);
        reader.setDecideFormatFromContent(false);
        QImage image;
        if (!reader.read(&image) || image.isNull())
            return false;
        FImage = std::move(image);
        FSize = FImage.size();
    }
    FClass = Class;
    FBytes = Bytes;
    return true;
}

bool TKXGraphic::LoadFromFile(const QString &FileName)
{
    Clear();
    const TKXGraphicClass cls = GraphicClassOfExtension(FileName);
    QFile file(FileName);
    if (cls == TKXGraphicClass::gcNone || !file.open(QIODevice::ReadOnly))
        return false;
    return Load(cls, file.readAll());
}

QImage TKXGraphic::RasterFor(bool Transparent) const
{
    if (FImage.isNull() || !Transparent || FClass != TKXGraphicClass::gcBitmap)
        return FImage;
    if (!FTransparentImage.isNull())
        return FTransparentImage;
    // A transparent bitmap leaves out the colour of its bottom-left pixel.
    QImage image = FImage.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1) | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    FTransparentImage = image;
    return image;
}

QImage TKXGraphic::Render(QSize Size, int32_t Angle, bool Transparent) const
{
    Size = Size.boundedTo({MaxRenderSide, MaxRenderSide});
    if (Empty() || Size.isEmpty())
        return {};
    if (!IsVector()) {
        QImage turned = TurnImage(RasterFor(Transparent).convertToFormat(QImage::Format_ARGB32), Angle);
        if (turned.size() != Size)
            turned = turned.scaled(Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return turned;
    }
    QImage image(Size, RenderFormat());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool quarter = Angle == 90 || Angle == 270;
    const double w = quarter ? Size.height() : Size.width();
    const double h = quarter ? Size.width() : Size.height();
    painter.translate(Size.width() / 2.0, Size.height() / 2.0);
    painter.rotate(-Angle); // counter-clockwise on the y-down image
    FSvg->render(&painter, QRectF(-w / 2, -h / 2, w, h));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------------------
// Pixel operations

QImage TurnImage(const QImage &Source, int32_t Angle)
{
    if (Angle != 90 && Angle != 180 && Angle != 270)
        return Source;
    const QImage src = Source.convertToFormat(QImage::Format_ARGB32);
    const int W = src.width(), H = src.height();
    QImage dst(Angle == 180 ? QSize(W, H) : QSize(H, W), QImage::Format_ARGB32);
    for (int y = 0; y < H; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < W; ++x) {
            int dx, dy;
            switch (Angle) {
            case 90: dx = y; dy = W - 1 - x; break;
            case 180: dx = W - 1 - x; dy = H - 1 - y; break;
            default: dx = H - 1 - y; dy = x; break;
            }
            reinterpret_cast<QRgb *>(dst.scanLine(dy))[dx] = line[x];
        }
    }
    return dst;
}

uint8_t GreyOf(uint8_t Red, uint8_t Green, uint8_t Blue)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double v = std::nearbyint(0.114 * Blue + 0.587 * Green + 0.299 * Red);
    return uint8_t(std::clamp(v, 0.0, 255.0));
}

void MakeGrey(QImage &Image)
{
    if (Image.format() != QImage::Format_ARGB32 && Image.format() != QImage::Format_RGB32)
        Image = Image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < Image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(Image.scanLine(y));
        for (int x = 0; x < Image.width(); ++x) {
            const QRgb p = line[x];
            const uint8_t g = GreyOf(uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p)));
            line[x] = qRgba(g, g, g, qAlpha(p));
        }
    }
}

} // namespace kx
