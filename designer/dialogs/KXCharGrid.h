// What the dialogs with a character map share: the white box that shows the map's image and
// reports the mouse, and the drawing of a map of one-character cells with its grid.
#pragma once

#include "core/KXTypes.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class QFont;
class QPainter;

namespace kx::designer {

// A Windows colour value ($BBGGRR) as a Qt colour.
QColor GridColor(TColor C);

// Non-negative cell index of a coordinate: a point left of or above a grid is no cell (-1).
int32_t GridCellOf(int32_t Coordinate, int32_t Size);

// A white box with a hand cursor that shows an image and reports mouse moves and left
// clicks, in its own pixels.
class TKXGridBox : public QWidget {
public:
    TKXGridBox(QSize Size, QWidget *Parent);
    std::function<const QImage *()> Image; // nothing while a hover mark is drawn
    std::function<void(QPoint)> OnMove;
    std::function<void(QPoint)> OnClick;

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *E) override;
    void mousePressEvent(QMouseEvent *E) override;
};

// Draws Code(Row, Column) of every cell centred in its cell of CellWidth x CellHeight with
// Font in black; a code below 0 leaves its cell empty.
void DrawCharCells(QPainter &P, const QFont &Font, int32_t Rows, int32_t Columns, int32_t CellWidth,
                   int32_t CellHeight, const std::function<int32_t(int32_t, int32_t)> &Code);
// Silver lines between the cells over the whole image, then a grey frame around it.
void DrawCellGrid(QPainter &P, QSize Size, int32_t Rows, int32_t Columns, int32_t CellWidth, int32_t CellHeight);

} // namespace kx::designer
