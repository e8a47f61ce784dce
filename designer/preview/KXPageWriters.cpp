#include "preview/KXPageWriters.h"

#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "platform/KXEmfCanvas.h"
#include "platform/KXMetafile.h"
#include "platform/KXWmfCanvas.h"
#include "print/KXPreview.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kx {

namespace {

std::string Text(const QString &S) { return S.toStdString(); }

// The page's metafile: the one in the preview's page list, else rendered now (a long run
// keeps only the pages around the one looked at). Asking the list directly does not move
// the page cache as GetPage would.
std::shared_ptr<const TKXMetafile> PageMetafile(TKXCustomLab &Lab, int32_t PageNo)
{
    if (PageNo < 1 || PageNo > Lab.TotalPages())
        throw EKxError(Text(QStringLiteral("There is no page %1 to save").arg(PageNo)));
    for (const TKXPagePreview &p : Lab.PreviewPages())
        if (p.PageNo == PageNo && p.EMF)
            return p.EMF;
    std::shared_ptr<const TKXMetafile> page = Lab.BuildPreviewPage(PageNo);
    if (!page || page->Empty())
        throw EKxError(Text(QStringLiteral("Page %1 could not be drawn").arg(PageNo)));
    return page;
}

// The page drawn again onto a vector canvas, through the preview's own renderer.
class TVectorPage final : public TKXPageTarget {
public:
    TVectorPage(TKXCanvas &Canvas, const TRect &Page) : FCanvas(Canvas), FPage(Page) {}
    TKXDrawType DrawType() const override { return TKXDrawType::tdPreview; }
    TKXCanvas &BeginPage(int32_t) override { return FCanvas; }
    void EndPage(int32_t) override {}
    TRect PageRect() const override { return FPage; }

private:
    TKXCanvas &FCanvas;
    TRect FPage;
};

QByteArray EncodeWithQt(const QImage &Image, const char *Format, int Quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        throw EKxError("Cannot open a memory buffer for the picture");
    QImageWriter writer(&buffer, Format);
    if (Quality >= 0)
        writer.setQuality(Quality);
    if (!writer.write(Image))
        throw EKxError(Text(QStringLiteral("Cannot encode the page as %1: %2")
                                .arg(QString::fromLatin1(Format), writer.errorString())));
    return bytes;
}

// ---------------------------------------------------------------------------------------
// GIF through giflib

// giflib's writer appends to the byte array through this callback.
int AppendToBytes(GifFileType *Gif, const GifByteType *Bytes, int Count)
{
    auto *out = static_cast<QByteArray *>(Gif->UserData);
    out->append(reinterpret_cast<const char *>(Bytes), Count);
    return Count;
}

std::string GifReason(const char *Step, int Error)
{
    const char *text = GifErrorString(Error);
    return std::string("Cannot write the GIF picture (") + Step + "): " + (text ? text : "unknown error");
}

// The picture's colours as a palette and one index a pixel: the exact colours when there
// are at most 256 of them (a page of flat colours stays exact), else giflib's median-cut
// quantisation to 256.
struct TGifPixels {
    std::vector<GifColorType> Palette; // 2..256 entries, a power of two
    std::vector<GifByteType> Indexes;  // width x height, rows top to bottom
};

TGifPixels QuantiseForGif(const QImage &Rgb)
{
    const int w = Rgb.width(), h = Rgb.height();
    TGifPixels out;
    out.Indexes.resize(size_t(w) * size_t(h));
    std::unordered_map<QRgb, GifByteType> exact;
    bool fits = true;
    for (int y = 0; y < h && fits; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(Rgb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = row[x] & 0xFFFFFF;
            auto it = exact.find(c);
            if (it == exact.end()) {
                if (exact.size() == 256) {
                    fits = false;
                    break;
                }
                it = exact.emplace(c, GifByteType(exact.size())).first;
                out.Palette.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
            }
            out.Indexes[size_t(y) * w + x] = it->second;
        }
    }
    if (!fits) {
        std::vector<GifByteType> r(out.Indexes.size()), g(r.size()), b(r.size());
        for (int y = 0; y < h; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(Rgb.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                r[i] = GifByteType(qRed(row[x]));
                g[i] = GifByteType(qGreen(row[x]));
                b[i] = GifByteType(qBlue(row[x]));
            }
        }
        int size = 256;
        out.Palette.assign(256, GifColorType{0, 0, 0});
        if (GifQuantizeBuffer(unsigned(w), unsigned(h), &size, r.data(), g.data(), b.data(), out.Indexes.data(),
                              out.Palette.data()) != GIF_OK)
            throw EKxError("Cannot reduce the page to the 256 colours of a GIF picture");
        out.Palette.resize(size_t(std::clamp(size, 1, 256)));
        // giflib builds its palette from colours cut to 5 bits a channel (white comes out as
        // 248, 248, 248): each entry becomes the mean of the true colours given to it.
        std::vector<std::array<uint64_t, 4>> sums(out.Palette.size(), {0, 0, 0, 0});
        for (size_t i = 0; i < out.Indexes.size(); ++i) {
            auto &s = sums[std::min<size_t>(out.Indexes[i], sums.size() - 1)];
            s[0] += r[i];
            s[1] += g[i];
            s[2] += b[i];
            ++s[3];
        }
        for (size_t k = 0; k < sums.size(); ++k)
            if (const uint64_t n = sums[k][3]; n > 0)
                out.Palette[k] = {GifByteType((sums[k][0] + n / 2) / n), GifByteType((sums[k][1] + n / 2) / n),
                                  GifByteType((sums[k][2] + n / 2) / n)};
    }
    // A colour map holds a power of two entries, at least two.
    size_t entries = 2;
    while (entries < out.Palette.size())
        entries *= 2;
    out.Palette.resize(entries, GifColorType{0, 0, 0});
    return out;
}

} // namespace

QByteArray GifBytes(const QImage &Image)
{
    const QImage rgb = Image.convertToFormat(QImage::Format_RGB32);
    const TGifPixels pixels = QuantiseForGif(rgb);
    QByteArray bytes;
    int error = 0;
    GifFileType *gif = EGifOpen(&bytes, AppendToBytes, &error);
    if (!gif)
        throw EKxError(GifReason("open", error));
    // Closes the writer on every way out; a failing close is reported where it matters.
    struct TCloser {
        GifFileType *Gif;
        ~TCloser()
        {
            if (Gif)
                EGifCloseFile(Gif, nullptr);
        }
    } closer{gif};
    ColorMapObject *map = GifMakeMapObject(int(pixels.Palette.size()), pixels.Palette.data());
    if (!map)
        throw EKxError("Cannot write the GIF picture: no memory for its colour map");
    struct TMapFree {
        ColorMapObject *Map;
        ~TMapFree() { GifFreeMapObject(Map); }
    } mapFree{map};
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, rgb.width(), rgb.height(), 8, 0, map) != GIF_OK)
        throw EKxError(GifReason("screen", gif->Error));
    if (EGifPutImageDesc(gif, 0, 0, rgb.width(), rgb.height(), false, nullptr) != GIF_OK)
        throw EKxError(GifReason("image", gif->Error));
    for (int y = 0; y < rgb.height(); ++y) {
        auto *row = const_cast<GifByteType *>(pixels.Indexes.data() + size_t(y) * rgb.width());
        if (EGifPutLine(gif, row, rgb.width()) != GIF_OK)
            throw EKxError(GifReason("pixels", gif->Error));
    }
    closer.Gif = nullptr;
    if (EGifCloseFile(gif, &error) != GIF_OK)
        throw EKxError(GifReason("close", error));
    return bytes;
}

QImage PageImage(TKXCustomLab &Lab, int32_t PageNo)
{
    const std::shared_ptr<const TKXMetafile> page = PageMetafile(Lab, PageNo);
    QImage image = page->ToImage(page->DeviceSize(), Qt::white);
    if (image.isNull())
        throw EKxError(Text(QStringLiteral("Not enough memory for an image of page %1").arg(PageNo)));
    // One pixel a tenth of a millimetre: 254 dots per inch.
    image.setDotsPerMeterX(10000);
    image.setDotsPerMeterY(10000);
    return image;
}

namespace {

// The page drawn again onto a metafile canvas of the size of the page metafile the preview
// shows.
template <class TCanvas>
QByteArray VectorPageBytes(TKXCustomLab &Lab, int32_t PageNo)
{
    const std::shared_ptr<const TKXMetafile> page = PageMetafile(Lab, PageNo);
    const QSize size = page->LabelSize(), device = page->DeviceSize();
    TCanvas canvas(size.width(), size.height(), device.width(), device.height());
    TVectorPage target(canvas, {0, 0, device.width(), device.height()});
    Lab.RenderPreviewPage(PageNo, target);
    return canvas.Finish();
}

} // namespace

QByteArray EmfBytes(TKXCustomLab &Lab, int32_t PageNo) { return VectorPageBytes<TKXEmfCanvas>(Lab, PageNo); }
QByteArray WmfBytes(TKXCustomLab &Lab, int32_t PageNo) { return VectorPageBytes<TKXWmfCanvas>(Lab, PageNo); }

QByteArray PagePictureBytes(TKXCustomLab &Lab, int32_t PageNo, TKXPageFormat Format, int JpegQuality)
{
    switch (Format) {
    case TKXPageFormat::Png:
        return EncodeWithQt(PageImage(Lab, PageNo).convertToFormat(QImage::Format_RGB32), "PNG", -1);
    case TKXPageFormat::Bmp:
        // Qt writes an image without an alpha channel as a bitmap of 24 bits a pixel.
        return EncodeWithQt(PageImage(Lab, PageNo).convertToFormat(QImage::Format_RGB888), "BMP", -1);
    case TKXPageFormat::Jpeg:
        return EncodeWithQt(PageImage(Lab, PageNo).convertToFormat(QImage::Format_RGB888), "JPEG",
                            std::clamp(JpegQuality, 1, 100));
    case TKXPageFormat::Gif:
        return GifBytes(PageImage(Lab, PageNo));
    case TKXPageFormat::Emf:
        return EmfBytes(Lab, PageNo);
    case TKXPageFormat::Wmf:
        return WmfBytes(Lab, PageNo);
    }
    throw EKxError("This picture format cannot be written");
}

void WriteFileAtomically(const QString &FileName, const QByteArray &Bytes)
{
    if (FileName.isEmpty())
        throw EKxError("No file name to save the picture under");
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EKxError(Text(QStringLiteral("Cannot write %1: %2").arg(FileName, file.errorString())));
    // A short write is not an error to QSaveFile, which would commit the cut file: the
    // reason is taken where the write or the flush falls short and the temporary file dropped.
    errno = 0;
    bool written = file.write(Bytes) == Bytes.size();
    if (written)
        written = file.flush();
    if (!written) {
        const int error = errno;
        const QString reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                               : file.error() != QFileDevice::NoError ? file.errorString()
                                                                       : QStringLiteral("the file was not written whole");
        file.cancelWriting();
        throw EKxError(Text(QStringLiteral("Cannot write %1: %2").arg(FileName, reason)));
    }
    if (!file.commit())
        throw EKxError(Text(QStringLiteral("Cannot write %1: %2").arg(FileName, file.errorString())));
}

void SavePagePicture(TKXCustomLab &Lab, int32_t PageNo, TKXPageFormat Format, const QString &FileName,
                     int JpegQuality)
{
    // The whole file is made before anything is written.
    const QByteArray bytes = PagePictureBytes(Lab, PageNo, Format, JpegQuality);
    WriteFileAtomically(FileName, bytes);
}

} // namespace kx
