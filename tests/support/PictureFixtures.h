// Picture files made by the tests themselves: raster pictures encoded by Qt, an enhanced
// metafile written through libEMF and a placeable metafile composed byte by byte. Each
// metafile paints its left half red and its right half blue.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace zt {

// An image of w x h pixels: the left half Left, the right half Right.
QImage TwoColourImage(int w, int h, QColor Left = Qt::red, QColor Right = Qt::blue);
// The image encoded as Format ("PNG", "JPG", "BMP", "GIF", "TIFF"...).
QByteArray Encode(const QImage &Image, const char *Format, int Quality = -1);

// An enhanced metafile with a frame of 20 x 10 mm (76 x 38 pixels at 96 dots per inch).
QByteArray TwoColourEmf();
// A placeable metafile of 2 x 1 inch (192 x 96 pixels at 96 dots per inch).
QByteArray TwoColourWmf();

// TwoColourWmf with one more record (size, function and parameters, little-endian) before
// its end-of-file record; the metafile header's size follows.
QByteArray TwoColourWmfWith(const QByteArray &Record);

// Writes Bytes to File; false when it cannot.
bool WriteFile(const QString &File, const QByteArray &Bytes);

} // namespace zt
