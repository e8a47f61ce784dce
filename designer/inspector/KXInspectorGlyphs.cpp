#include "inspector/KXInspectorGlyphs.h"

#include <QPainter>

#include <array>
#include <functional>

namespace kx::designer {

namespace {

const QColor Frame(128, 128, 128);
const QColor Ink(0, 0, 0);
const QColor Faint(160, 160, 160);

QPixmap Draw(const std::function<void(QPainter &)> &Body)
{
    QPixmap pm(InspectorGlyphSize, InspectorGlyphSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    Body(p);
    return pm;
}

// The square every place picture sits in: 1 .. 11 on both axes, white inside.
void Square(QPainter &p)
{
    p.fillRect(1, 1, 11, 11, Qt::white);
    p.setPen(Frame);
    p.drawRect(1, 1, 10, 10);
}

QPixmap MakeCheck(TKXCheckGlyph State)
{
    return Draw([State](QPainter &p) {
        p.fillRect(1, 1, 11, 11, Qt::white);
        p.setPen(State == TKXCheckGlyph::cgDisabled ? Faint : Ink);
        p.drawRect(1, 1, 10, 10);
        if (State == TKXCheckGlyph::cgOff)
            return;
        // A tick three pixels thick from (3, 6) down to (5, 8) and up to (9, 4).
        const QColor c = State == TKXCheckGlyph::cgOn ? Ink : Faint;
        for (int d = 0; d < 3; ++d) {
            p.fillRect(3, 5 + d, 1, 1, c);
            p.fillRect(4, 6 + d, 1, 1, c);
            p.fillRect(5, 7 + d, 1, 1, c);
            p.fillRect(6, 6 + d, 1, 1, c);
            p.fillRect(7, 5 + d, 1, 1, c);
            p.fillRect(8, 4 + d, 1, 1, c);
            p.fillRect(9, 3 + d, 1, 1, c);
        }
    });
}

// A text of two short lines at (Col, Row) of a 3 x 3 grid inside the square.
QPixmap MakeTextPlace(int Col, int Row)
{
    return Draw([Col, Row](QPainter &p) {
        Square(p);
        const int x = 3 + Col * 3, y = 3 + Row * 3;
        p.fillRect(x, y, 3, 1, Ink);
        p.fillRect(x, y + 2, 3, 1, Ink);
    });
}

// Three lines left, right, centred or justified (Horz 0..3) at the top, centre or bottom.
QPixmap MakeFormat(int Horz, int Vert)
{
    return Draw([Horz, Vert](QPainter &p) {
        Square(p);
        const int top = 3 + Vert * 2;
        const int lengths[3] = {7, 4, 6};
        for (int i = 0; i < 3; ++i) {
            const int len = Horz == 3 ? 7 : lengths[i];
            int x = 3;
            if (Horz == 1)
                x = 10 - len;
            else if (Horz == 2)
                x = 3 + (7 - len) / 2;
            p.fillRect(x, top + i * 2, len, 1, Ink);
        }
    });
}

// A block (x, y, w, h) inside the square; none (w = 0) draws a diagonal cross.
QPixmap MakePlace(int X, int Y, int W, int H)
{
    return Draw([=](QPainter &p) {
        Square(p);
        if (W == 0) {
            p.setPen(Ink);
            p.drawLine(3, 3, 9, 9);
            p.drawLine(9, 3, 3, 9);
            return;
        }
        p.fillRect(X, Y, W, H, Ink);
    });
}

} // namespace

const QPixmap &CheckGlyph(TKXCheckGlyph State)
{
    static const std::array<QPixmap, 3> g = {MakeCheck(TKXCheckGlyph::cgOn), MakeCheck(TKXCheckGlyph::cgOff),
                                             MakeCheck(TKXCheckGlyph::cgDisabled)};
    return g[size_t(State)];
}

const QPixmap &TextAlignGlyph(TTextAlign Align)
{
    // In TTextAlign order: bottom row, top row, centre row, each left to right.
    static const std::array<QPixmap, 9> g = {
        MakeTextPlace(0, 2), MakeTextPlace(1, 2), MakeTextPlace(2, 2), MakeTextPlace(0, 0), MakeTextPlace(1, 0),
        MakeTextPlace(2, 0), MakeTextPlace(0, 1), MakeTextPlace(1, 1), MakeTextPlace(2, 1),
    };
    return g[size_t(Align)];
}

const QPixmap &TextFormatGlyph(TKXTextFormat Format)
{
    // In TKXTextFormat order: left, right, centre, justified at the top, centre, bottom.
    static const std::array<QPixmap, 12> g = [] {
        std::array<QPixmap, 12> a;
        for (int i = 0; i < 12; ++i)
            a[size_t(i)] = MakeFormat(i % 4, i / 4);
        return a;
    }();
    return g[size_t(Format)];
}

const QPixmap &EleAlignGlyph(TKXEleAlign Align)
{
    // eaLeft, eaTop, eaRight, eaBottom, eaCenter: a bar on that edge or a centre cross;
    // then the nine places left-top .. right-bottom (column by column); eaNone a cross.
    static const std::array<QPixmap, 15> g = [] {
        std::array<QPixmap, 15> a;
        a[0] = MakePlace(3, 3, 2, 7);
        a[1] = MakePlace(3, 3, 7, 2);
        a[2] = MakePlace(8, 3, 2, 7);
        a[3] = MakePlace(3, 8, 7, 2);
        a[4] = MakePlace(5, 5, 3, 3);
        for (int i = 0; i < 9; ++i)
            a[size_t(5 + i)] = MakePlace(3 + (i / 3) * 2 + (i / 3), 3 + (i % 3) * 3, 2, 2);
        a[14] = MakePlace(0, 0, 0, 0);
        return a;
    }();
    return g[size_t(Align)];
}

const QPixmap &TableGlyph()
{
    static const QPixmap g = Draw([](QPainter &p) {
        Square(p);
        p.fillRect(2, 2, 9, 2, QColor(0, 0, 128));
        p.setPen(Frame);
        p.drawLine(2, 7, 10, 7);
        p.drawLine(5, 4, 5, 10);
        p.drawLine(8, 4, 8, 10);
    });
    return g;
}

} // namespace kx::designer
