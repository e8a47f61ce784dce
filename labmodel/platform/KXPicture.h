// Pictures in the formats label files carry: bitmaps, JPEG, PNG, GIF and icons through Qt's
// image readers, and Windows metafiles (enhanced metafiles and placeable 16-bit metafiles),
// which are turned into SVG once when they load and drawn as vectors at the target's own
// resolution.
//
// A TKXGraphic keeps the bytes it was loaded from, byte for byte, so a picture embedded in a
// label file is written back exactly as it was read.
#pragma once

#include "platform/KXBoundedRun.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class QSvgRenderer;

namespace kx {

// The picture class a buffer's first bytes name.
enum class TKXGraphicClass : uint8_t { gcNone, gcBitmap, gcJPEG, gcPNG, gcMetafile, gcGIF, gcIcon };

// Recognises the picture class from the first bytes of a buffer: fewer than 44 bytes,
// TIFF ("II" or "MM") and anything unknown give gcNone.
TKXGraphicClass FindGraphicClass(const uint8_t *Bytes, size_t Count);
TKXGraphicClass FindGraphicClass(const QByteArray &Bytes);
// The class a picture file's extension names (bmp, jpg, jpeg, png, gif, emf, wmf, ico);
// gcNone for any other.
TKXGraphicClass GraphicClassOfExtension(const QString &FileName);

// Windows metafiles to SVG documents. Empty when the bytes do not convert, when the
// converter does not finish in time or within its memory budget, and for a placeable
// metafile that PlaceableMetafileIsSound refuses.
QByteArray EnhancedMetafileToSvg(const QByteArray &Emf);
QByteArray PlaceableMetafileToSvg(const QByteArray &Wmf);
// Walks a placeable metafile's records: false when a header or a record does not lie whole
// within the bytes, or when a bitmap record's bitmap has a header size that is none of the
// defined ones or does not fit its record.
bool PlaceableMetafileIsSound(const QByteArray &Wmf);
// The library's conversion alone, in its bounded child process, without the record walk.
QByteArray PlayPlaceableMetafile(const QByteArray &Wmf, const TKXRunLimits &Limits);

class TKXGraphic {
public:
    TKXGraphic();
    ~TKXGraphic();
    TKXGraphic(const TKXGraphic &) = delete;
    TKXGraphic &operator=(const TKXGraphic &) = delete;

    // Loads Bytes as a picture of class Class; false, leaving the graphic empty, when they
    // do not hold one.
    bool Load(TKXGraphicClass Class, const QByteArray &Bytes);
    // Loads a file as the class its extension names; false (empty) when it does not load.
    bool LoadFromFile(const QString &FileName);
    void Clear();

    bool Empty() const { return FClass == TKXGraphicClass::gcNone; }
    TKXGraphicClass Class() const { return FClass; }
    // The bytes the picture was loaded from, in the picture's own file format.
    const QByteArray &Bytes() const { return FBytes; }
    // Size in pixels: the image's, or a metafile's frame at 96 dots per inch.
    QSize PixelSize() const { return FSize; }
    bool IsVector() const { return FClass == TKXGraphicClass::gcMetafile; }
    // The raster picture (null for a metafile).
    const QImage &Image() const { return FImage; }
    // The metafile as SVG (null for a raster picture).
    QSvgRenderer *Svg() const { return FSvg.get(); }

    // The picture drawn on a Size image, transparent where it does not paint, turned
    // counter-clockwise by Angle (0, 90, 180, 270; Size is the turned size). A bitmap with
    // Transparent leaves its bottom-left pixel's colour out.
    QImage Render(QSize Size, int32_t Angle, bool Transparent) const;
    // The raster picture ready to draw: a bitmap with Transparent has its bottom-left
    // pixel's colour made transparent.
    QImage RasterFor(bool Transparent) const;

private:
    TKXGraphicClass FClass = TKXGraphicClass::gcNone;
    QByteArray FBytes;
    QSize FSize;
    QImage FImage;
    mutable QImage FTransparentImage; // RasterFor(true) of a bitmap, made once
    std::unique_ptr<QSvgRenderer> FSvg;
};

// The pixel operations of the prepared picture.
// Turns Source counter-clockwise by Angle: at 90 the source pixel (x, y) goes to
// (y, W - 1 - x), at 180 to (W - 1 - x, H - 1 - y), at 270 to (H - 1 - y, x).
QImage TurnImage(const QImage &Source, int32_t Angle);
// The grey value of one pixel: Round(0.114 x blue + 0.587 x green + 0.299 x red), halves to
// even.
uint8_t GreyOf(uint8_t Red, uint8_t Green, uint8_t Blue);
// Every pixel replaced by its grey value in the three channels; alpha is kept.
void MakeGrey(QImage &Image);

} // namespace kx
