#include "dialogs/KXCharGrid.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace kx::designer {

namespace {
constexpr TColor GridLineColor = 0xC0C0C0; // silver
constexpr TColor FrameColor = 0x808080;    // grey
} // namespace

QColor GridColor(TColor C) { return QColor(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF)); }

int32_t GridCellOf(int32_t Coordinate, int32_t Size) { return Coordinate < 0 || Size <= 0 ? -1 : Coordinate / Size; }

TKXGridBox::TKXGridBox(QSize Size, QWidget *Parent) : QWidget(Parent)
{
    setFixedSize(Size);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TKXGridBox::paintEvent(QPaintEvent *)
{
    const QImage *image = Image ? Image() : nullptr;
    if (image && !image->isNull()) {
        QPainter p(this);
        p.drawImage(0, 0, *image);
    }
}

void TKXGridBox::mouseMoveEvent(QMouseEvent *E)
{
    if (OnMove)
        OnMove(E->position().toPoint());
}

void TKXGridBox::mousePressEvent(QMouseEvent *E)
{
    if (E->button() == Qt::LeftButton && OnClick)
        OnClick(E->position().toPoint());
}

void DrawCharCells(QPainter &P, const QFont &Font, int32_t Rows, int32_t Columns, int32_t CellWidth,
                   int32_t CellHeight, const std::function<int32_t(int32_t, int32_t)> &Code)
{
    P.save();
    P.setFont(Font);
    P.setPen(Qt::black);
    P.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(Font);
    for (int32_t r = 0; r < Rows; ++r)
        for (int32_t c = 0; c < Columns; ++c) {
            const int32_t code = Code(r, c);
            if (code < 0)
                continue;
            const QString text{QChar(char16_t(code))};
            const int32_t w = metrics.horizontalAdvance(text);
            const int32_t x = c * CellWidth + CellWidth / 2 - w / 2;
            const int32_t y = r * CellHeight + CellHeight / 2 - metrics.height() / 2;
            P.drawText(x, y + metrics.ascent(), text);
        }
    P.restore();
}

void DrawCellGrid(QPainter &P, QSize Size, int32_t Rows, int32_t Columns, int32_t CellWidth, int32_t CellHeight)
{
    P.save();
    P.setPen(GridColor(GridLineColor));
    for (int32_t i = 1; i < Rows; ++i)
        P.drawLine(0, CellHeight * i, Size.width() - 1, CellHeight * i);
    for (int32_t j = 1; j < Columns; ++j)
        P.drawLine(CellWidth * j, 0, CellWidth * j, Size.height() - 1);
    P.setPen(GridColor(FrameColor));
    P.setBrush(Qt::NoBrush);
    P.drawRect(0, 0, Size.width() - 1, Size.height() - 1);
    P.restore();
}

} // namespace kx::designer
