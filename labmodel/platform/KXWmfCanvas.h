// The canvas that writes a placeable 16-bit Windows metafile (WMF): the page drawn as
// vectors through our own record writer (no Debian library writes the format), with the
// vector canvas's clipping. Curves are flattened to polygons; a text whose characters are
// not all Windows-1252 is written as glyph outlines, the format's texts being 8-bit.
//
// The file: the placeable header (key 9AC6CDD7h, the bounding box in the file's units, the
// units per inch and the XOR checksum of the header's first ten words), the metafile header,
// then the records: window origin and extent, and for each primitive a saved device
// context, the pen, brush or font created and selected, the polygon, polyline, text or
// stretched bitmap, the context restored and the objects deleted; the end-of-file record.
#pragma once

#include "platform/KXVectorCanvas.h"

#include <QByteArray>

namespace kx {

class TKXWmfCanvas final : public TKXVectorCanvas {
public:
    // A page of Width x Height hundredths of a millimetre shown on DeviceWidth x DeviceHeight
    // device units (as TKXEmfCanvas). The file's unit is a hundredth of a millimetre, or a
    // multiple of it that keeps the page within the format's 16-bit coordinates.
    TKXWmfCanvas(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight);
    ~TKXWmfCanvas() override;

    // The file's bytes; the canvas can go on drawing afterwards (each call answers the
    // records so far, ended).
    QByteArray Finish();
};

// The placeable header's checksum: the XOR of its first ten 16-bit words.
uint16_t PlaceableChecksum(const uint8_t *Header);

} // namespace kx
