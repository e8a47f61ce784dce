// A label metafile: a recording of canvas calls that can be replayed at any size.
//
// The recording (a QPicture) is kept in label units, hundredths of a millimetre, over the
// area (0, 0) .. LabelSize; DeviceSize is the size in device units that the document gives
// the metafile (a preview page in tenths of a millimetre, a label thumbnail 260 units wide),
// which is what a canvas opened on it calls device units. Page images, thumbnails and file
// previews replay the recording into a QImage.
#pragma once

#include "platform/KXCanvas.h"

#include <QPicture>
#include <QSize>
#include <QColor>

#include <memory>

class QPainter;
class QRectF;

namespace kx {

class TKXQtCanvas;

class TKXMetafile {
public:
    TKXMetafile() = default;
    // LabelWidth x LabelHeight hundredths of a millimetre shown on DeviceWidth x DeviceHeight
    // device units; a zero or negative size on either axis gives an empty metafile.
    TKXMetafile(int32_t LabelWidth, int32_t LabelHeight, int32_t DeviceWidth, int32_t DeviceHeight);

    QSize LabelSize() const { return FLabelSize; }
    QSize DeviceSize() const { return FDeviceSize; }
    bool Empty() const { return FLabelSize.isEmpty() || FDeviceSize.isEmpty(); }
    const QPicture &Picture() const { return FPicture; }

    // A canvas recording into this metafile; its device units are the metafile's and its
    // mapping starts as label units to device units. The recording is complete when the
    // canvas is destroyed; one canvas at a time. Throws EKxError on an empty metafile.
    std::unique_ptr<TKXQtCanvas> OpenCanvas();

    // Replays the recording stretched over Target (painter coordinates).
    void Play(QPainter &Painter, const QRectF &Target) const;
    // The recording as an image of Size pixels on a Background (transparent allowed), or at
    // Dpi dots per inch of the label size. An empty metafile gives a null image.
    QImage ToImage(QSize Size, const QColor &Background = Qt::white) const;
    QImage ToImage(double Dpi, const QColor &Background = Qt::white) const;

private:
    QSize FLabelSize;   // hundredths of a millimetre
    QSize FDeviceSize;  // device units
    QPicture FPicture;
};

} // namespace kx
