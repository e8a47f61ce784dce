// The design surface and the editor's paint layers: which change makes which layer stale
// (counted renders), painting stopped between BeginUpdate and EndUpdate, where elements,
// selection frames and handles land in pixels at 100 % and 200 %, and the guide lines.
#include "EditorFixture.h"

#include "elements/KXShapes.h"
#include "elements/KXText.h"

#include <QTest>


#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;
using zt::Rgb;

namespace {

bool Dark(const QImage &Img, int x, int y) { return qGray(Img.pixel(x, y)) < 128; }

// Columns (or rows) in [From, To) that hold a pixel of Color within the other span.
std::vector<int> ColumnsWith(const QImage &Img, unsigned Color, int y0, int y1)
{
    std::vector<int> cols;
    for (int x = 0; x < Img.width(); ++x)
        for (int y = y0; y < y1; ++y)
            if (Rgb(Img, x, y) == Color) {
                cols.push_back(x);
                break;
            }
    return cols;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Layers

TEST(DesignerSurface, EachChangeRedrawsOnlyTheLayersItMadeStale)
{
    struct Case {
        const char *Name;
        std::function<void(EditorOnLabel &, zt::TestBox &Sel, zt::TestBox &Other)> Do;
        int Back, Ele, Sel;
    } cases[] = {
        {"notify 0", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(0, false, {}); }, 1, 1, 1},
        {"notify 1", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(1, false, {}); }, 1, 0, 0},
        {"notify 2", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(2, false, {}); }, 0, 1, 0},
        {"notify 3", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(3, false, {}); }, 0, 0, 1},
        {"notify 4", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(4, false, {}); }, 0, 1, 0},
        {"notify 5", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(5, false, {}); }, 0, 0, 1},
        {"notify 6", [](auto &f, auto &, auto &) { f.Lab->NotifyChange(6, false, {}); }, 0, 1, 1},
        {"colour of the selected", [](auto &, auto &s, auto &) { s.SetColor(0x00FF00); }, 0, 0, 1},
        {"colour of another", [](auto &, auto &, auto &o) { o.SetColor(0x00FF00); }, 0, 1, 0},
        {"keyboard move", [](auto &f, auto &, auto &) { f.Ed().KeyDown(Qt::Key_Right, Qt::ControlModifier); }, 0,
         0, 1},
        {"selection colour", [](auto &f, auto &, auto &) { f.Ed().SetSelColor(0x00FF00); }, 0, 0, 1},
        {"show marks", [](auto &f, auto &, auto &) { f.Ed().SetShowMarks(false); }, 0, 1, 1},
        {"mark colour", [](auto &f, auto &, auto &) { f.Ed().SetMarkColor(0x00FF00); }, 0, 1, 1},
        {"grid shown", [](auto &f, auto &, auto &) { f.Ed().GridSettings().SetShow(true); }, 0, 1, 0},
        {"grid style", [](auto &f, auto &, auto &) { f.Ed().GridSettings().SetStyle(TKXGridDraw::gdLines); }, 0, 1,
         0},
        {"select another",
         [](auto &f, auto &, auto &o) {
             f.Ed().SetSelect(&o);
         },
         0, 1, 1},
        {"add to the selection",
         [](auto &f, auto &, auto &o) {
             f.Ed().AddToSelection(&o);
             f.Ed().UpdateEditor(false);
         },
         0, 1, 1},
        {"background colour", [](auto &f, auto &, auto &) { f.Lab->BackSurf()->SetColor(0xE0E0E0); }, 1, 0, 0},
        {"zoom", [](auto &f, auto &, auto &) { f.Ed().SetZoom(TKXZoom::zm200); }, 1, 1, 1},
        {"nothing stale", [](auto &f, auto &, auto &) { f.Ed().UpdateEditor(false); }, 0, 0, 0},
    };
    for (const Case &c : cases) {
        EditorOnLabel f;
        auto *sel = f.AddBox({1000, 1000, 2000, 2000});
        auto *other = f.AddBox({3000, 1000, 4000, 2000});
        f.Ed().SetSelect(sel);
        f.TakeRenders();
        c.Do(f, *sel, *other);
        f.Paint(); // a repaint draws nothing that is up to date
        const auto r = f.TakeRenders();
        EXPECT_EQ(r.Back, c.Back) << c.Name;
        EXPECT_EQ(r.Ele, c.Ele) << c.Name;
        EXPECT_EQ(r.Sel, c.Sel) << c.Name;
    }
}

TEST(DesignerSurface, NothingIsDrawnBetweenBeginAndEndUpdate)
{
    EditorOnLabel f;
    auto *box = f.AddBox({1000, 1000, 2000, 2000});
    const QImage before = f.Paint().copy();
    f.TakeRenders();
    f.Ed().BeginUpdate();
    EXPECT_EQ(f.Lab->ElementsAfected(), 0); // nothing recorded either
    box->SetColor(0x0000FF);
    f.Lab->NotifyChange(0, false, {});
    f.Lab->NotifyChange(3, false, {});
    EXPECT_FALSE(f.Surface().PaintBackScreen());
    f.Surface().repaint();
    const auto none = f.TakeRenders();
    EXPECT_EQ(none.Back + none.Ele + none.Sel, 0);
    EXPECT_EQ(f.Surface().BackScreen(), before); // the screen keeps what it showed
    f.Ed().EndUpdate();
    EXPECT_EQ(f.Lab->ElementsAfected(), 1);
    f.Paint();
    f.Surface().repaint();
    const auto once = f.TakeRenders();
    EXPECT_EQ(once.Back, 1);
    EXPECT_EQ(once.Ele, 1);
    EXPECT_EQ(once.Sel, 1);
    EXPECT_NE(f.Surface().BackScreen(), before);
}

TEST(DesignerSurface, GridIsDrawnOnlyWhenShown)
{
    EditorOnLabel f;
    f.Ed().GridSettings().SetColor(0x00FF00); // green
    EXPECT_TRUE(ColumnsWith(f.Paint(), 0x00FF00, 0, 132).empty());
    f.Ed().GridSettings().SetShow(true);
    f.Ed().GridSettings().SetStyle(TKXGridDraw::gdLines);
    f.Ed().GridSettings().SetIncX(30); // half the width: one line in the middle
    const QImage &img = f.Paint();
    std::vector<int> cols;
    for (int x = 0; x < img.width(); ++x)
        if (Rgb(img, x, 100) == 0x00FF00 && Rgb(img, x, 120) == 0x00FF00)
            cols.push_back(x);
    ASSERT_EQ(cols.size(), 1u);
    EXPECT_NEAR(cols[0], f.Ed().LabelToScreenX(3000), 1); // 113.5 pixels
}

// ---------------------------------------------------------------------------------------
// Pixels

TEST(DesignerSurface, ElementsLandWhereTheMillimetresSay)
{
    for (TKXZoom zoom : {TKXZoom::zm100, TKXZoom::zm200}) {
        EditorOnLabel f(60, 35);
        f.Ed().SetZoom(zoom);
        const double ppm = 96.0 / 25.4 * (zoom == TKXZoom::zm100 ? 1 : 2); // pixels per mm
        // A 0.5 mm black outline from (10, 5) to (30, 20) mm.
        auto *box = f.AddBox({1000, 500, 3000, 2000});
        box->SetPenWidth(0.5f);
        // A text whose cell starts at (35, 10) mm.
        auto *text = f.Lab->NewElement<TKXText>();
        text->SetTextAlign(TTextAlign::taLeTo);
        text->SetFontHeight(5);
        text->SetText(QStringLiteral("HHH"));
        text->SetX1(35);
        text->SetY1(10);
        // A rectangle element from (40, 20) to (55, 30) mm whose 0.5 mm pen stays inside.
        auto *rect = f.Lab->NewElement<TKXRect>();
        rect->SetP1(4000, 2000);
        rect->SetP2(5500, 3000);
        rect->SetPenWidth(0.5f);
        f.Ed().UpdateEditor(false);
        const QImage &img = f.Paint();

        // The outline's pen is centred on the box's edges; the right and bottom edges are
        // exclusive, so their line is centred one pixel inside.
        auto runs = [&](bool Across, int At, int From, int To) {
            std::vector<std::pair<int, int>> r; // first and last dark pixel of each run
            for (int i = From; i < To; ++i) {
                const bool d = Across ? Dark(img, i, At) : Dark(img, At, i);
                if (!d)
                    continue;
                if (!r.empty() && r.back().second == i - 1)
                    r.back().second = i;
                else
                    r.push_back({i, i});
            }
            return r;
        };
        auto centre = [](std::pair<int, int> r) { return (r.first + r.second) / 2.0; };
        const auto cols = runs(true, int(12.5 * ppm), 0, int(33 * ppm)); // at mid-height
        ASSERT_EQ(cols.size(), 2u);
        EXPECT_NEAR(centre(cols[0]), 10 * ppm, 1);
        EXPECT_NEAR(centre(cols[1]), 30 * ppm - 1, 1);
        EXPECT_LE(cols[0].second - cols[0].first + 1, int(0.5 * ppm) + 2); // the pen's width
        const auto rows = runs(false, int(20 * ppm), 0, img.height());
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_NEAR(centre(rows[0]), 5 * ppm, 1);
        EXPECT_NEAR(centre(rows[1]), 20 * ppm - 1, 1);

        const auto rectCols = runs(true, int(25 * ppm), int(38 * ppm), img.width());
        ASSERT_EQ(rectCols.size(), 2u);
        EXPECT_NEAR(rectCols[0].first, 40 * ppm, 1);
        EXPECT_NEAR(rectCols[1].second + 1, 55 * ppm, 1);
        const auto rectRows = runs(false, int(47 * ppm), int(17 * ppm), img.height());
        ASSERT_EQ(rectRows.size(), 2u);
        EXPECT_NEAR(rectRows[0].first, 20 * ppm, 1);
        EXPECT_NEAR(rectRows[1].second + 1, 30 * ppm, 1);

        // The text's ink lies right of and below its cell's corner, inside its frame.
        int left = img.width(), textTop = img.height();
        for (int y = 0; y < int(17 * ppm); ++y)
            for (int x = int(33 * ppm); x < img.width(); ++x)
                if (Dark(img, x, y)) {
                    left = std::min(left, x);
                    textTop = std::min(textTop, y);
                }
        EXPECT_GE(left, int(35 * ppm) - 1);
        EXPECT_LE(left, int(35 * ppm) + int(1 * ppm)); // an H starts close to its cell
        EXPECT_GE(textTop, int(10 * ppm) - 1);
        EXPECT_LE(textTop, int(10 * ppm) + int(1.5 * ppm));
        EXPECT_NEAR(text->Border().Left, 35 * ppm, 1);
        EXPECT_NEAR(text->Border().Top, 10 * ppm, 1);
    }
}

TEST(DesignerSurface, SelectionFrameAndHandlesOfOneElement)
{
    for (TKXZoom zoom : {TKXZoom::zm100, TKXZoom::zm200}) {
        EditorOnLabel f(60, 35);
        f.Ed().SetZoom(zoom);
        auto *box = f.AddBox({1000, 500, 3000, 2000});
        f.Ed().SetSelect(box);
        const QImage &img = f.Paint();
        const TRect b = box->Border();
        EXPECT_EQ(b.Left, f.Ed().LabelToScreenX(1000));
        EXPECT_EQ(b.Top, f.Ed().LabelToScreenY(500));
        const int midX = b.Left + (b.Right - b.Left) / 2, midY = b.Top + (b.Bottom - b.Top) / 2;
        const TPoint at[8] = {{b.Left, midY},  {b.Right, midY},  {midX, b.Top},     {midX, b.Bottom},
                              {b.Left, b.Top}, {b.Right, b.Top}, {b.Left, b.Bottom}, {b.Right, b.Bottom}};
        for (int i = 0; i < 8; ++i) {
            const TRect h = f.Surface().R[size_t(i)];
            EXPECT_EQ(h, (TRect{at[i].x - 3, at[i].y - 3, at[i].x + 4, at[i].y + 4})) << i;
            // The handle glyph's black border is drawn with its corner on the square's.
            EXPECT_EQ(Rgb(img, h.Left, h.Top), 0x000000u) << i;
            EXPECT_EQ(Rgb(img, h.Left + 6, h.Top + 6), 0x000000u) << i;
        }
        EXPECT_EQ(f.Lab->SelectArray().size(), 4u);
        EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgSizes);
        EXPECT_EQ(f.Surface().DragRect, b);
        // The frame in the selection colour (red) between the handles.
        const int x = b.Left + (midX - b.Left) / 2;
        bool red = false;
        for (int y = b.Top - 1; y <= b.Top + 1; ++y)
            red = red || Rgb(img, x, y) == 0xFF0000;
        EXPECT_TRUE(red);
        // The rulers show the selection's extent in mm.
        EXPECT_FLOAT_EQ(f.Ed().RulerSettings().Data()->X1(), 10);
        EXPECT_FLOAT_EQ(f.Ed().RulerSettings().Data()->Y2(), 20);
    }
}

TEST(DesignerSurface, TwoSelectedGetGreyFramesAndNoHandles)
{
    EditorOnLabel f;
    f.Ed().SetSelMultiColor(0x808080);
    auto *a = f.AddBox({1000, 500, 3000, 2000});
    auto *b = f.AddBox({3500, 500, 5000, 2000});
    f.Ed().SetSelect(a);
    f.Ed().AddToSelection(b);
    f.Ed().UpdateEditor(false);
    const QImage &img = f.Paint();
    EXPECT_TRUE(f.Lab->SelectArray().empty());
    for (const TRect &h : f.Surface().R)
        EXPECT_EQ(h, TRect{});
    EXPECT_EQ(f.Surface().DragMod, TKXDrag::drgMulti);
    EXPECT_TRUE(ColumnsWith(img, 0xFF0000, 0, img.height()).empty());
    for (const TRect &r : {a->Border(), b->Border()}) {
        const int x = (r.Left + r.Right) / 2;
        bool grey = false;
        for (int y = r.Top - 1; y <= r.Top + 1; ++y)
            grey = grey || Rgb(img, x, y) == 0x808080;
        EXPECT_TRUE(grey);
    }
}

TEST(DesignerSurface, BoundTurnedTextGetsItsMarkAndWidthHandle)
{
    EditorOnLabel f;
    // A bound text: its selection type is the text kind's, with a design width.
    auto *text = f.Lab->NewElement<TKXText>();
    text->SetText(QStringLiteral("ABC"));
    text->SetX1(20);
    text->SetY1(20);
    text->SetFieldName(QStringLiteral("NAME"));
    text->SetData(true);
    text->SetAngle(90);
    f.Ed().SetSelect(text);
    f.Paint();
    const TRect b = text->Border();
    if (text->SelType() == TKXSelType::stRectText) {
        ASSERT_EQ(f.Lab->SelectArray().size(), 1u);
        const TKXSel s = f.Lab->SelectArray()[0];
        EXPECT_EQ(s.Tipo, 4);
        const int midX = b.Left + (b.Right - b.Left) / 2;
        EXPECT_EQ(s.Pos1, (TPoint{midX - 3, b.Top - 3})); // turned 90: the top middle
        EXPECT_EQ(f.Surface().R[2], (TRect{midX - 3, b.Top - 3, midX + 4, b.Top + 4}));
    }
    // The data mark sits at the corner where the turned text starts.
    ASSERT_EQ(f.Lab->SymbolSelArray().size(), 1u);
    EXPECT_EQ(f.Lab->SymbolSelArray()[0].Pos, (TPoint{b.Left + 1, b.Bottom - 8}));
    f.Ed().SetShowMarks(false);
    f.Paint();
    EXPECT_TRUE(f.Lab->SymbolSelArray().empty());
}

// ---------------------------------------------------------------------------------------
// Guide lines

namespace {
TRefPoints Line(EditorOnLabel &f, TPoint A, TPoint B)
{
    return {{f.Ed().LabelToScreenX(A.x), f.Ed().LabelToScreenY(A.y)},
            {f.Ed().LabelToScreenX(B.x), f.Ed().LabelToScreenY(B.y)}};
}
bool operator==(const TRefPoints &a, const TRefPoints &b) { return a.P1 == b.P1 && a.P2 == b.P2; }
} // namespace

TEST(DesignerSurface, GuideLinesOfTheRestingSelection)
{
    EditorOnLabel f;
    f.Ed().SetShowLines(true);
    auto *sel = f.AddBox({1000, 1000, 2000, 2000});
    auto *below = f.AddBox({1000, 2500, 3000, 3000});  // same left
    auto *beside = f.AddBox({3000, 1000, 4000, 2000}); // same top and bottom
    auto *text = f.AddText({2000, 500}, QStringLiteral("T1")); // its left on sel's right
    f.Ed().SetSelect(sel);
    auto &lines = f.Surface().RefLinesArray;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0] == Line(f, {1000, 1000}, {1000, 2500}));  // a: left-top to left-top
    EXPECT_TRUE(lines[1] == Line(f, {1000, 1000}, {3000, 1000}));  // c: top
    EXPECT_TRUE(lines[2] == Line(f, {2000, 2000}, {4000, 2000}));  // d: bottom to its right-bottom
    EXPECT_TRUE(lines[3] == Line(f, {2000, 2000}, {2000, 500}));   // b: right onto the text's left
    // A text only compares its left and top edges.
    f.Ed().SetSelect(text);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0] == Line(f, {2000, 500}, {2000, 2000})); // its left on sel's right
    (void)below;
    (void)beside;
    // Two selected, or lines switched off: none.
    f.Ed().AddToSelection(sel);
    EXPECT_FALSE(f.Surface().BuildGuideLines());
    EXPECT_TRUE(lines.empty());
    f.Ed().SetShowLines(false);
    f.Ed().SetSelect(sel);
    EXPECT_TRUE(lines.empty());
    // A layout's column or row item has none.
    f.Ed().SetShowLines(true);
    auto *layout = f.Lab->NewElement<zt::TestLayout>();
    zt::TestItem item(f.Lab.get(), *layout);
    f.Ed().SetSelect(&item);
    EXPECT_TRUE(lines.empty());
    f.Ed().ClearSelection();
}

TEST(DesignerSurface, GuideLinesAreDrawnDottedInTheMarkColour)
{
    EditorOnLabel f;
    f.Ed().SetShowLines(true);
    f.Ed().SetMarkColor(0x00FF00);
    auto *sel = f.AddBox({1000, 1000, 2000, 2000});
    f.AddBox({1000, 2500, 3000, 3000});
    f.Ed().SetSelect(sel);
    const QImage shot = f.Surface().grab().toImage();
    const int x = f.Ed().LabelToScreenX(1000);
    int green = 0;
    for (int y = f.Ed().LabelToScreenY(2000) + 2; y < f.Ed().LabelToScreenY(2500) - 1; ++y)
        green += Rgb(shot, x, y) == 0x00FF00;
    EXPECT_GT(green, 3);
    // The guide lines are not part of the composed layers.
    EXPECT_TRUE(ColumnsWith(f.Paint(), 0x00FF00, 0, f.Paint().height()).empty());
}

TEST(DesignerSurface, MoveGuidesFindTheFrontMostEdgeToSnapTo)
{
    EditorOnLabel f; // 100 %: one pixel is about 26 label units
    f.Ed().SetShowLines(true);
    auto *front = f.AddBox({500, 3000, 2000, 3300});  // right edge 2000
    auto *back = f.AddBox({2010, 2500, 3200, 2900});   // left edge 2010: the same pixel
    auto *sel = f.AddBox({4000, 1000, 5000, 2000});
    f.Ed().SetSelect(sel);
    // Dragged so that its left edge is on pixel of x = 2000.
    const int px = f.Ed().LabelToScreenX(2000);
    ASSERT_EQ(px, f.Ed().LabelToScreenX(2010));
    const TRect border = sel->Border();
    const TRect dragged{px, border.Top, px + (border.Right - border.Left), border.Bottom};
    EXPECT_TRUE(f.Surface().BuildMoveGuides(dragged));
    EXPECT_EQ(f.Surface().ChkPts.Left, 2000); // the front element's right edge
    EXPECT_EQ(f.Surface().ChkPts.Top, -1);
    EXPECT_EQ(f.Surface().RefLinesMove.size(), 2u);
    EXPECT_EQ(f.Surface().ChkRefPts, back->GetRect()); // the last that matched
    (void)front;
    f.Surface().ClearMarks();
    EXPECT_EQ(f.Surface().ChkPts, (TRect{-1, -1, -1, -1}));
    EXPECT_TRUE(f.Surface().RefLinesMove.empty());
    EXPECT_EQ(f.Surface().DragRect, TRect{});
}

// Mended: every frame of a drag allocated a selection layer and copied the composed image
// at the size of the whole surface (at 500 % a 200 x 150 mm label is 3780 x 2835 pixels).
// The frame's images cover the part the scroll box shows, are reused from frame to frame,
// and follow the scroll box: what is shown lies where it lies on the surface.
TEST(DesignerSurface, FramesCoverTheVisiblePartAndAreReused)
{
    EditorOnLabel f(200, 150, 600, 400);
    f.Ed().SetZoom(TKXZoom::zm500);
    ASSERT_EQ(f.Ed().GetViewWidth(), 3780);
    auto *sel = f.AddBox({1000, 1000, 2000, 2000});
    auto *far = f.AddBox({15000, 11000, 16000, 12000}); // out of view until scrolled to
    sel->SetBackColor(0x00FF00);
    sel->SetTransparent(false);
    far->SetBackColor(0x0000FF);
    far->SetTransparent(false);
    f.Ed().SetSelect(sel);

    const QSize port = f.Ed().Scroll()->viewport()->size();
    const QImage &first = f.Paint();
    EXPECT_EQ(first.size(), QSize(port.width() - 12, port.height() - 12)); // surface inset 12
    EXPECT_EQ(f.Surface().BackScreenOrigin(), QPoint(0, 0));
    EXPECT_EQ(f.Ed().SelLayer().size(), first.size());
    const QPoint mid((sel->Border().Left + sel->Border().Right) / 2, (sel->Border().Top + sel->Border().Bottom) / 2);
    EXPECT_EQ(Rgb(first, mid.x(), mid.y()), 0x00FF00u);

    // Frames of a drag: the selection moves, the images stay the same ones.
    const uchar *frameBits = first.constBits();
    const uchar *selBits = f.Ed().SelLayer().constBits();
    f.TakeRenders();
    QWidget *s = &f.Surface();
    QTest::mousePress(s, Qt::LeftButton, {}, mid);
    for (int i = 1; i <= 3; ++i) {
        QTest::mouseMove(s, mid + QPoint(10 * i, 5 * i));
        EXPECT_EQ(f.Paint().constBits(), frameBits);
        EXPECT_EQ(f.Ed().SelLayer().constBits(), selBits);
    }
    const auto renders = f.TakeRenders();
    EXPECT_EQ(renders.Ele, 0);
    EXPECT_EQ(renders.Sel, 3);
    QTest::mouseRelease(s, Qt::LeftButton, {}, mid + QPoint(30, 15));

    // Scrolled to the far box: the frame is that part of the surface.
    const QPoint farMid((far->Border().Left + far->Border().Right) / 2,
                        (far->Border().Top + far->Border().Bottom) / 2);
    f.Ed().Scroll()->ensureVisible(farMid.x() + 12, farMid.y() + 12);
    const QRect shown = f.Ed().VisibleRect();
    ASSERT_TRUE(shown.contains(farMid));
    const QImage &scrolled = f.Paint();
    EXPECT_EQ(f.Surface().BackScreenOrigin(), shown.topLeft());
    EXPECT_EQ(scrolled.size(), shown.size());
    EXPECT_EQ(Rgb(scrolled, farMid.x() - shown.left(), farMid.y() - shown.top()), 0xFF0000u); // $0000FF red
}
