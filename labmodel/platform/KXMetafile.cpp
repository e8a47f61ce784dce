#include "platform/KXMetafile.h"

#include "core/KXError.h"
#include "platform/KXQtCanvas.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace kx {

TKXMetafile::TKXMetafile(int32_t LabelWidth, int32_t LabelHeight, int32_t DeviceWidth, int32_t DeviceHeight)
{
    if (LabelWidth <= 0 || LabelHeight <= 0 || DeviceWidth <= 0 || DeviceHeight <= 0)
        return;
    FLabelSize = QSize(LabelWidth, LabelHeight);
    FDeviceSize = QSize(DeviceWidth, DeviceHeight);
}

std::unique_ptr<TKXQtCanvas> TKXMetafile::OpenCanvas()
{
    if (Empty())
        throw EKxError("EMPTY METAFILE");
    FPicture = QPicture();
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&FPicture))
        throw EKxError("CANNOT DRAW ON DEVICE");
    // Device units of the metafile back to the label units the picture is recorded in.
    const double toLabelX = double(FLabelSize.width()) / FDeviceSize.width();
    const double toLabelY = double(FLabelSize.height()) / FDeviceSize.height();
    const TKXMapping mapping = TKXMapping::FromExtents(FLabelSize.width(), FLabelSize.height(),
                                                       FDeviceSize.width(), FDeviceSize.height());
    return std::make_unique<TKXQtCanvas>(std::move(painter), mapping,
                                         QTransform::fromScale(toLabelX, toLabelY));
}

void TKXMetafile::Play(QPainter &Painter, const QRectF &Target) const
{
    if (Empty() || Target.isEmpty())
        return;
    Painter.save();
    QTransform t = QTransform::fromScale(Target.width() / FLabelSize.width(),
                                         Target.height() / FLabelSize.height());
    t *= QTransform::fromTranslate(Target.left(), Target.top());
    // QPicture scales its replay by the target's resolution over its own (screen) one;
    // the recording is in label units, so that scaling is taken out again.
    if (const QPaintDevice *dev = Painter.device(); dev && dev->logicalDpiX() > 0 && dev->logicalDpiY() > 0)
        t = QTransform::fromScale(double(FPicture.logicalDpiX()) / dev->logicalDpiX(),
                                  double(FPicture.logicalDpiY()) / dev->logicalDpiY()) * t;
    Painter.setWorldTransform(t, true);
    Painter.drawPicture(QPointF(0, 0), FPicture);
    Painter.restore();
}

QImage TKXMetafile::ToImage(QSize Size, const QColor &Background) const
{
    if (Empty() || Size.isEmpty())
        return {};
    QImage image(Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Background);
    QPainter p(&image);
    Play(p, QRectF(0, 0, Size.width(), Size.height()));
    return image;
}

// The image keeps the label's proportions: LabelSize hundredths of a millimetre at Dpi.
QImage TKXMetafile::ToImage(double Dpi, const QColor &Background) const
{
    if (Empty() || Dpi <= 0)
        return {};
    const QSize size(static_cast<int>(std::nearbyint(FLabelSize.width() * Dpi / 2540.0)),
                     static_cast<int>(std::nearbyint(FLabelSize.height() * Dpi / 2540.0)));
    QImage image = ToImage(size, Background);
    if (!image.isNull()) {
        const int dpm = static_cast<int>(std::nearbyint(Dpi / 0.0254));
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
    }
    return image;
}

} // namespace kx
