#include "rulers/KXRulers.h"

#include "core/KXUtils.h"
#include "editor/KXResources.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace kx::designer {

QColor ToQColor(TColor Color)
{
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

namespace {

int32_t Trunc(double v) { return int32_t(std::trunc(v)); }

// Step k of n of the ruler gradient, per byte channel: From + MulDiv(k, To - From, n - 1).
QColor GradientColor(TColor From, TColor To, int32_t k, int32_t n)
{
    auto channel = [&](int shift) {
        const int32_t a = int32_t((From >> shift) & 0xFF), b = int32_t((To >> shift) & 0xFF);
        return std::clamp(a + MulDiv(k, b - a, std::max(1, n - 1)), 0, 255);
    };
    return QColor(channel(0), channel(8), channel(16));
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXDataRuler

TKXDataRuler::TKXDataRuler()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        FDPIX = std::max(1, int32_t(std::lround(screen->logicalDotsPerInchX())));
        FDPIY = std::max(1, int32_t(std::lround(screen->logicalDotsPerInchY())));
    }
    FImages[0] = LoadGlyph(QStringLiteral("KX_ALIGNTOP"));
    FImages[1] = LoadGlyph(QStringLiteral("KX_ALIGNLEFT"));
    RecalcConv();
}

TKXDataRuler::~TKXDataRuler()
{
    DataLeftRulerEvent = nullptr;
    DataTopRulerEvent = nullptr;
    BackSurfEvent = nullptr;
}

void TKXDataRuler::Assign(const TKXDataRuler &Source)
{
    if (&Source == this)
        return;
    FStyle = Source.FStyle;
    FColor = Source.FColor;
    FToColor = Source.FToColor;
    FTickColor = Source.FTickColor;
    FMarkColor = Source.FMarkColor;
    FSizeColor = Source.FSizeColor;
    FShowSize = Source.FShowSize;
    FShowAlign = Source.FShowAlign;
    FUnits = Source.FUnits;
    FFactor = Source.FFactor;
    FConvX = Source.FConvX;
    FConvY = Source.FConvY;
    FFont = Source.FFont;
}

// Pixels per unit: the screen resolution times the zoom, per millimetre, inch or
// centimetre.
void TKXDataRuler::RecalcConv()
{
    double per = 1;
    switch (FUnits) {
    case TKXUnits::unMM: per = 25.4; break;
    case TKXUnits::unINCH: per = 1; break;
    case TKXUnits::unCM: per = 2.54; break;
    }
    FConvX = FDPIX * FFactor / per;
    FConvY = FDPIY * FFactor / per;
}

void TKXDataRuler::NotifyRulers()
{
    if (DataLeftRulerEvent)
        DataLeftRulerEvent();
    if (DataTopRulerEvent)
        DataTopRulerEvent();
}

#define KX_RULER_SETTER(Name, Type, Field)                                                    \
    void TKXDataRuler::Set##Name(Type Value)                                                  \
    {                                                                                         \
        if (Value == Field)                                                                   \
            return;                                                                           \
        Field = Value;                                                                        \
        NotifyRulers();                                                                       \
    }

KX_RULER_SETTER(Style, TKXRulerStyle, FStyle)
KX_RULER_SETTER(ShowSize, bool, FShowSize)
KX_RULER_SETTER(SizeColor, TColor, FSizeColor)
KX_RULER_SETTER(Color, TColor, FColor)
KX_RULER_SETTER(TickColor, TColor, FTickColor)
KX_RULER_SETTER(MarkColor, TColor, FMarkColor)
KX_RULER_SETTER(ShowAlign, bool, FShowAlign)
KX_RULER_SETTER(TickSize, TKXTickSize, FTickSize)
#undef KX_RULER_SETTER

void TKXDataRuler::SetToColor(TColor Value)
{
    if (Value == FToColor)
        return;
    FToColor = Value;
    if (FStyle != TKXRulerStyle::rsStyle01)
        NotifyRulers();
}

void TKXDataRuler::SetUnits(TKXUnits Value)
{
    if (Value == FUnits)
        return;
    FUnits = Value;
    RecalcConv();
    NotifyRulers();
}

void TKXDataRuler::SetFactor(double Value)
{
    if (Value == FFactor)
        return;
    FFactor = Value;
    RecalcConv();
}

void TKXDataRuler::PutFacUnits(double Fac, TKXUnits Unts)
{
    FFactor = Fac;
    FUnits = Unts;
    RecalcConv();
}

void TKXDataRuler::SetDPI(int32_t X, int32_t Y)
{
    FDPIX = std::max(1, X);
    FDPIY = std::max(1, Y);
    RecalcConv();
}

void TKXDataRuler::SetFont(const QFont &Value)
{
    FFont = Value;
    NotifyRulers();
}

void TKXDataRuler::SetCoorSelect(float x1, float y1, float x2, float y2)
{
    if (x1 == FX1 && y1 == FY1 && x2 == FX2 && y2 == FY2)
        return;
    FX1 = x1;
    FY1 = y1;
    FX2 = x2;
    FY2 = y2;
    NotifyRulers();
}

void TKXDataRuler::SetAlignX(float Value)
{
    if (Value == FAlignX)
        return;
    FAlignX = Value;
    if (BackSurfEvent)
        BackSurfEvent();
    if (DataTopRulerEvent)
        DataTopRulerEvent();
}

void TKXDataRuler::SetAlignY(float Value)
{
    if (Value == FAlignY)
        return;
    FAlignY = Value;
    if (BackSurfEvent)
        BackSurfEvent();
    if (DataLeftRulerEvent)
        DataLeftRulerEvent();
}

void TKXDataRuler::PutAlignX(float Value, bool Notify)
{
    if (Value == FAlignX)
        return;
    FAlignX = Value;
    if (Notify && DataTopRulerEvent)
        DataTopRulerEvent();
}

void TKXDataRuler::PutAlignY(float Value, bool Notify)
{
    if (Value == FAlignY)
        return;
    FAlignY = Value;
    if (Notify && DataLeftRulerEvent)
        DataLeftRulerEvent();
}

void TKXDataRuler::DoAlignToSelection()
{
    if (AlignToSelecEvent)
        AlignToSelecEvent();
}

void TKXDataRuler::DoAlignToElement()
{
    if (AlignToElementEvent)
        AlignToElementEvent();
}

// ---------------------------------------------------------------------------------------
// The rulers

TKXRulerBase::TKXRulerBase(bool Horizontal, QWidget *Parent) : QWidget(Parent), FHorizontal(Horizontal)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

TKXRulerBase::~TKXRulerBase()
{
    if (FData) {
        if (FHorizontal)
            FData->DataTopRulerEvent = nullptr;
        else
            FData->DataLeftRulerEvent = nullptr;
    }
}

void TKXRulerBase::SetData(TKXDataRuler *Value)
{
    if (!Value)
        return;
    FData = Value;
    auto changed = [this] {
        if (FAsignedData)
            Redraw();
    };
    if (FHorizontal)
        FData->DataTopRulerEvent = changed;
    else
        FData->DataLeftRulerEvent = changed;
    FAsignedData = true;
}

void TKXRulerBase::SetFont(const QFont &Value) { FFont = Value; }

int32_t TKXRulerBase::Origin() const
{
    const int32_t border = FData ? FData->SizeBorder() : 0;
    // The surface sits 12 pixels into the scroll box. A scroll offset not yet known (-1
    // after a resize) counts as 0, so the graduation never stands a pixel off the surface.
    const int32_t first = std::max(FFirstPos, 0);
    return (FHorizontal ? height() : 0) + border - first + 12;
}

void TKXRulerBase::SetPosT(int32_t Value)
{
    if (Value == FPos)
        return;
    FPos = Value + Origin();
    update();
}

void TKXRulerBase::SetFirstPos(int32_t Value)
{
    if (Value == FFirstPos)
        return;
    FFirstPos = Value;
    Redraw();
}

void TKXRulerBase::ResetFirstPos()
{
    FFirstPos = 0;
    Redraw();
}

void TKXRulerBase::SetFirstVal(float Value)
{
    if (Value == FFirstVal)
        return;
    FFirstVal = Value;
    Redraw();
}

void TKXRulerBase::SetPosition(float Value)
{
    if (Value == FPosition)
        return;
    FPosition = Value;
    update();
}

void TKXRulerBase::Redraw()
{
    if (!FData)
        return;
    DrawGraduation();
    update();
}

void TKXRulerBase::resizeEvent(QResizeEvent *)
{
    FPos = -1;
    FFirstPos = -1;
    FFirstVal = 0;
    Redraw();
}

void TKXRulerBase::DrawBackground(QPainter &P, int32_t W, int32_t H)
{
    const TKXDataRuler &d = *FData;
    const QColor color = ToQColor(d.Color());
    switch (d.Style()) {
    case TKXRulerStyle::rsStyle01:
    case TKXRulerStyle::rsStyle04:
        P.fillRect(0, 0, width(), height(), color);
        break;
    case TKXRulerStyle::rsStyle02:
        // Top ruler: the colour of pixel (x, y) is that of min(x, y); left ruler: by column.
        for (int32_t i = 0; i < H; ++i) {
            const QColor c = GradientColor(d.Color(), d.ToColor(), i, H);
            if (FHorizontal) {
                P.fillRect(i, i, W - i, 1, c);
                P.fillRect(i, i + 1, 1, H - i - 1, c);
            } else {
                P.fillRect(i, 0, 1, W, c);
            }
        }
        break;
    case TKXRulerStyle::rsStyle03: {
        P.fillRect(0, 0, width(), height(), color);
        const int32_t q = H / 4;
        if (FHorizontal)
            P.fillRect(H, q, W - H, H - 2 * q, ToQColor(d.ToColor()));
        else
            P.fillRect(q, 0, H - 2 * q, W, ToQColor(d.ToColor()));
        break;
    }
    }
}

// Draws the graduation, the selection band and the alignment marker. Along the top ruler W
// is its width and H its height; the left ruler uses its height as the length and its
// width as the thickness, with the same rows turned into columns.
void TKXRulerBase::DrawGraduation()
{
    ++FDrawCount;
    const TKXDataRuler &d = *FData;
    const int32_t H = Across(), W = Along();
    FOffScreen = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    FOffScreen.fill(Qt::white);
    QPainter p(&FOffScreen);
    const double step = d.Units() == TKXUnits::unMM ? 1.0 : 0.1;
    const double conv = FHorizontal ? d.ConvX() : d.ConvY();
    // In the drawing below, "x" runs along the ruler and "y" across it.
    auto line = [&](int32_t x, int32_t y0, int32_t y1) { // y1 excluded, as GDI's LineTo
        if (y1 <= y0)
            return;
        if (FHorizontal)
            p.fillRect(x, y0, 1, y1 - y0, ToQColor(d.TickColor()));
        else
            p.fillRect(y0, x, y1 - y0, 1, ToQColor(d.TickColor()));
    };
    DrawBackground(p, W, H);
    const int32_t origin = Origin();

    // The selected element's extent.
    const float s1 = FHorizontal ? d.X1() : d.Y1(), s2 = FHorizontal ? d.X2() : d.Y2();
    if (d.ShowSize() && s2 > 0) {
        int32_t s = Trunc(s1 * conv) + origin;
        if (FHorizontal)
            s = std::max(s, H);
        const int32_t e = Trunc(s2 * conv) + origin;
        if (e > s) {
            if (FHorizontal)
                p.fillRect(s, H - 4, e - s, 3, ToQColor(d.SizeColor()));
            else
                p.fillRect(H - 4, s, 3, e - s, ToQColor(d.SizeColor()));
        }
    }

    // Tick rows [start, end) across the ruler for each style.
    const TKXRulerStyle style = d.Style();
    const int32_t q = H / 4;
    struct Rows {
        int32_t a, b;
    };
    Rows label{}, fifth{}, even{};
    switch (style) {
    case TKXRulerStyle::rsStyle01:
    case TKXRulerStyle::rsStyle02:
        label = {H - H / 3, H - 1};
        fifth = {H - H / 2, H - 1};
        even = {H - H / 4, H - 1};
        break;
    case TKXRulerStyle::rsStyle03:
        label = {0, H};
        fifth = {q, H - q};
        even = {q + 2, H - q - 2};
        break;
    case TKXRulerStyle::rsStyle04:
        label = {1, H - 1};
        fifth = {H - H / 2, H - 1};
        even = {H - H / 3, H - 1};
        break;
    }
    const Rows plain = even;

    QFont font = FFont;
    p.setFont(font);
    const QFontMetrics fm(font);
    const int32_t textH = fm.height();
    const bool opaqueNumbers = style != TKXRulerStyle::rsStyle02;
    const QColor numberBack = ToQColor(style == TKXRulerStyle::rsStyle03 ? d.ToColor() : d.Color());
    p.setPen(ToQColor(d.TickColor()));
    auto number = [&](int32_t x, const QString &text) {
        const int32_t tw = fm.horizontalAdvance(text);
        // Top-left of the text cell along (a) and across (b) the ruler.
        int32_t a = x - tw / 2, b = 1;
        if (style == TKXRulerStyle::rsStyle03)
            b = H / 2 - fm.height() / 2 - 1;
        else if (style == TKXRulerStyle::rsStyle04)
            a = FHorizontal ? x + 2 : x - 2 - tw;
        p.save();
        if (FHorizontal) {
            p.translate(a, b);
        } else {
            // Numbers run upwards: the text's start is at the bottom.
            p.translate(b, a + tw);
            p.rotate(-90);
        }
        const QRect cell(0, 0, tw, textH);
        if (opaqueNumbers)
            p.fillRect(cell, numberBack);
        p.drawText(cell, Qt::AlignLeft | Qt::AlignTop, text);
        p.restore();
    };

    const bool small = d.Factor() >= 1; // even and plain ticks only from 100 %
    for (int32_t n = 0;; ++n) {
        const int32_t x = Trunc(n * conv * step) + origin;
        const bool visible = FHorizontal ? x >= H : x >= 0;
        if (visible) {
            if (n % 10 == 0) {
                if (style == TKXRulerStyle::rsStyle03)
                    line(x, 0, H);
                else if (label.a > 0)
                    line(x, label.a, label.b);
                number(x, QString::number(Round((long double)(n) * step)));
            } else if (n % 5 == 0) {
                line(x, fifth.a, fifth.b);
            } else if (small) {
                if (style == TKXRulerStyle::rsStyle03 && n % 2 != 0)
                    line(x, H / 2, H / 2 + 1);
                else
                    line(x, n % 2 == 0 ? even.a : plain.a, n % 2 == 0 ? even.b : plain.b);
            }
        }
        if (x >= (FHorizontal ? W - H - 2 : W - 2) || conv <= 0 || n > 1000000)
            break;
    }

    // The alignment marker.
    FAlRect = {};
    if (d.ShowAlign()) {
        int32_t pos = Trunc((FHorizontal ? d.AlignX() : d.AlignY()) * conv) + origin;
        if (FHorizontal) {
            if (pos > H) {
                if (pos > W / 2)
                    --pos;
                p.drawImage(pos - 3, H - 7, d.Glyph(0));
                FAlRect = {pos - 3, H - 7, pos + 3, H};
            }
        } else {
            if (pos > W / 2)
                --pos;
            p.drawImage(H - 7, pos - 3, d.Glyph(1));
            FAlRect = {H - 7, pos - 3, H, pos + 3};
        }
    }
}

void TKXRulerBase::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (Across() == 0)
        return;
    QColor pen = Qt::red;
    if (!FData || FOffScreen.isNull()) {
        p.fillRect(rect(), Qt::white);
    } else {
        p.drawImage(0, 0, FOffScreen);
        pen = ToQColor(FData->MarkColor());
    }
    if (FPos >= 0) {
        p.setPen(pen);
        if (FHorizontal)
            p.drawLine(FPos, 2, FPos, height() - 3);
        else
            p.drawLine(2, FPos, width() - 3, FPos);
    }
}

namespace {
bool Inside(const TRect &R, const QPoint &P)
{
    return P.x() >= R.Left && P.x() < R.Right && P.y() >= R.Top && P.y() < R.Bottom;
}
} // namespace

void TKXRulerBase::mousePressEvent(QMouseEvent *Event)
{
    if (FData && FData->AdjustAligns() && Inside(FAlRect, Event->position().toPoint())) {
        FData->DoAlignToSelection();
        FDraging = true;
    }
}

void TKXRulerBase::mouseMoveEvent(QMouseEvent *Event)
{
    if (!FData || !FData->ShowAlign())
        return;
    const QPoint pt = Event->position().toPoint();
    if (FData->AdjustAligns() && Inside(FAlRect, pt))
        setCursor(ScreenCursor(FHorizontal ? 20 : 21));
    else
        unsetCursor();
    if (!FDraging)
        return;
    if (FHorizontal) {
        if (pt.x() > height() && FData->ConvX() > 0)
            FData->SetAlignX(float(std::max(0.0, (pt.x() - Origin()) / FData->ConvX())));
    } else {
        if (pt.y() > 0 && FData->ConvY() > 0)
            FData->SetAlignY(float(std::max(0.0, (pt.y() - Origin()) / FData->ConvY())));
    }
}

void TKXRulerBase::mouseReleaseEvent(QMouseEvent *)
{
    if (!FDraging)
        return;
    if (FData)
        FData->DoAlignToElement();
    FDraging = false;
}

// ---------------------------------------------------------------------------------------
// TKXMargin

TKXMargin::TKXMargin(QWidget *Parent) : QWidget(Parent), FFillColor(0xF0F0F0)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TKXMargin::SetFillColor(TColor Value)
{
    if (Value == FFillColor)
        return;
    FFillColor = Value;
    update();
}

void TKXMargin::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(FFillColor));
}

} // namespace kx::designer
