// Lines and rectangles: the line's order and direction, what each figure draws on the
// recording canvas, hit tests of every figure (inside, on the outline band, outside), the
// lock marker, the setters, the published lists and the records of old and new files; the
// pixels of every figure through the real canvas at two resolutions.
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXShapes.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabelFileComposer.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXDrawType;
using enum kx::TKXFillType;

namespace {

std::string Rc(const TRect &r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

std::string Pt(TPoint p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

// A 60 x 35 mm label on a 600 x 350 pixel surface: 10 label units to the pixel, as the
// recording canvas maps them.
class Shapes : public ::testing::Test {
protected:
    TKXCustomLab lab;
    zt::FakeDesignerServices editor{lab};
    zt::RecordingCanvas canvas;

    TKXLine *Line(TPoint a, TPoint b)
    {
        auto *l = lab.NewElement<TKXLine>();
        l->SetP1(a.x, a.y);
        l->SetP2(b.x, b.y);
        return l;
    }
    TKXRect *Rect(TPoint a, TPoint b)
    {
        auto *r = lab.NewElement<TKXRect>();
        r->SetP1(a.x, a.y);
        r->SetP2(b.x, b.y);
        return r;
    }
    // The calls that draw, without the state brackets.
    std::vector<std::string> Drawn(TKXElement &E, TKXDrawType Target = tdPrint)
    {
        canvas.Clear();
        E.Draw(canvas, {0, 0}, Target, ftNone);
        std::vector<std::string> out;
        for (const auto &c : canvas.Calls())
            if (c.Text != "SaveState" && c.Text != "RestoreState")
                out.push_back(c.Text);
        return out;
    }
};

// ---------------------------------------------------------------------------------------
// The line

TEST_F(Shapes, LineOrderAndDirection)
{
    const struct {
        TPoint a, b;
        const char *p1, *p2;
        uint16_t direction;
    } cases[] = {
        {{3000, 500}, {1000, 2500}, "1000,2500", "3000,500", 3},  // drawn right to left, rising
        {{3000, 2500}, {1000, 500}, "1000,500", "3000,2500", 4},  // right to left, falling
        {{1000, 500}, {3000, 2500}, "1000,500", "3000,2500", 4},
        {{1000, 2500}, {3000, 500}, "1000,2500", "3000,500", 3},
        {{3000, 800}, {1000, 800}, "1000,800", "3000,800", 2},    // horizontal
        {{2000, 2500}, {2000, 500}, "2000,500", "2000,2500", 1},  // vertical, P1 below
        {{2000, 500}, {2000, 2500}, "2000,500", "2000,2500", 1},
    };
    for (const auto &c : cases) {
        TKXLine *l = Line(c.a, c.b);
        EXPECT_EQ(Pt(l->P1()), c.p1) << Pt(c.a) << " " << Pt(c.b);
        EXPECT_EQ(Pt(l->P2()), c.p2) << Pt(c.a) << " " << Pt(c.b);
        EXPECT_EQ(l->Direction(), c.direction) << Pt(c.a) << " " << Pt(c.b);
        EXPECT_EQ(l->Width(), 2000 * (c.a.x != c.b.x));
    }

    // Not placed yet: a new line has no ends and is left alone.
    auto *fresh = lab.NewElement<TKXLine>();
    EXPECT_EQ(fresh->P1().x, -1);
    fresh->SetP1(3000, 900); // P2 still unset
    fresh->Normalize();
    EXPECT_EQ(Pt(fresh->P1()), "3000,900");
    EXPECT_EQ(fresh->Direction(), 0);

    // Dragged end by end, the ends stay as they are until the line is normalized.
    TKXLine *l = Line({1000, 1000}, {3000, 1000});
    l->MoveP1(4000, 1500);
    EXPECT_EQ(Pt(l->P1()), "4000,1500");
    l->SetSelectedFlag(true);
    l->Normalize(); // selected: untouched
    EXPECT_EQ(Pt(l->P1()), "4000,1500");
    l->SetSelectedFlag(false);
    l->Normalize();
    EXPECT_EQ(Pt(l->P1()), "3000,1000");
    EXPECT_EQ(Pt(l->P2()), "4000,1500");
    EXPECT_EQ(l->Direction(), 4);

    // The coordinate setters normalize too.
    lab.SetUnits(TKXUnits::unMM);
    l->SetX1(50.0f);
    EXPECT_EQ(Pt(l->P1()), "4000,1500");
    EXPECT_EQ(Pt(l->P2()), "5000,1000");
    EXPECT_EQ(l->Direction(), 3);
}

TEST_F(Shapes, LineStrokeFrameAndSelectionSegment)
{
    TKXLine *l = Line({1000, 800}, {3000, 800});
    l->SetColor(0x123456);
    l->SetPenWidth(0.5f);
    EXPECT_EQ(Drawn(*l), (std::vector<std::string>{"MoveTo(1000,800)", "LineTo(3000,800)"}));
    const TKXPen &pen = canvas.Last("LineTo").Pen;
    EXPECT_EQ(pen.Width, 50);
    EXPECT_EQ(pen.Color, 0x123456u);
    EXPECT_EQ(pen.Cap, TKXPenCap::pcSquare);
    EXPECT_EQ(pen.Join, TKXPenJoin::pjMiter);
    EXPECT_EQ(pen.Style, TKXPenStyle::psSolid);
    // Drawn at an origin on a sheet.
    canvas.Clear();
    l->Draw(canvas, {100, 200}, tdPreview, ftNone);
    EXPECT_EQ(canvas.Texts("LineTo"), std::vector<std::string>{"LineTo(3100,1000)"});
    l->SetPrint(false);
    EXPECT_TRUE(Drawn(*l, tdPrint).empty());
    EXPECT_TRUE(Drawn(*l, tdOpenDialog).empty());
    EXPECT_FALSE(Drawn(*l, tdLab).empty());

    // Frames by direction: at least 1 mm across a straight line, half the pen when wider.
    const struct {
        TPoint a, b;
        float pen;
        const char *frame, *border;
    } cases[] = {
        {{2000, 500}, {2000, 2500}, 0.5f, "1950,500,2050,2500", "195,50,205,250"},
        {{2000, 500}, {2000, 2500}, 3.0f, "1850,500,2150,2500", "185,50,215,250"},
        {{1000, 800}, {3000, 800}, 0.1f, "1000,750,3000,850", "100,75,300,85"},
        {{1000, 2500}, {3000, 500}, 0.5f, "1000,500,3000,2500", "100,50,300,250"},
        {{1000, 500}, {3000, 2500}, 0.5f, "1000,500,3000,2500", "100,50,300,250"},
    };
    for (const auto &c : cases) {
        TKXLine *e = Line(c.a, c.b);
        e->SetPenWidth(c.pen);
        e->Draw(canvas, {0, 0}, tdLab, ftNone);
        EXPECT_EQ(Rc(e->Frame), c.frame) << c.frame;
        EXPECT_EQ(Rc(e->Border()), c.border) << c.frame;
    }

    // A selected line registers its ends with the editor, the ends beyond half the surface
    // moved one pixel back.
    lab.ClearMarkers();
    TKXLine *sel = Line({1000, 500}, {4000, 2500});
    sel->SetSelectedFlag(true);
    sel->Draw(canvas, {0, 0}, tdLab, ftNone);
    ASSERT_EQ(lab.SelectArray().size(), 1u);
    EXPECT_EQ(lab.SelectArray()[0].Tipo, 1);
    EXPECT_EQ(Pt(lab.SelectArray()[0].Pos1), "100,50");
    EXPECT_EQ(Pt(lab.SelectArray()[0].Pos2), "399,249");
    EXPECT_TRUE(lab.RefArray().empty());
}

// Surface pixels (10 label units each). Within two pixels across the line, between its ends.
TEST_F(Shapes, LineHitTest)
{
    const struct {
        TPoint a, b;
        TPoint at;
        bool hit;
    } cases[] = {
        {{1000, 1000}, {3000, 1000}, {200, 100}, true},
        {{1000, 1000}, {3000, 1000}, {200, 102}, true},
        {{1000, 1000}, {3000, 1000}, {200, 98}, true},
        {{1000, 1000}, {3000, 1000}, {200, 103}, false},
        {{1000, 1000}, {3000, 1000}, {100, 100}, true},
        {{1000, 1000}, {3000, 1000}, {99, 100}, false},
        {{1000, 1000}, {3000, 1000}, {300, 100}, true},
        {{1000, 1000}, {3000, 1000}, {301, 100}, false},
        {{2000, 500}, {2000, 2500}, {202, 150}, true},   // vertical
        {{2000, 500}, {2000, 2500}, {203, 150}, false},
        {{2000, 500}, {2000, 2500}, {200, 251}, false},
        {{1000, 500}, {3000, 2500}, {200, 150}, true},   // falling diagonal
        {{1000, 500}, {3000, 2500}, {200, 152}, true},   // two pixels off along the measured axis
        {{1000, 500}, {3000, 2500}, {200, 153}, false},
        {{1000, 2500}, {3000, 500}, {200, 150}, true},   // rising
        {{1000, 2500}, {3000, 500}, {90, 260}, false},   // beyond its lower end
        {{1000, 1000}, {1000, 1000}, {100, 100}, false}, // no length: never hit
    };
    for (const auto &c : cases) {
        TKXLine *l = Line(c.a, c.b);
        l->SetLocked(true); // the lock plays no part for a line
        EXPECT_EQ(l->PointInObject(c.at), c.hit) << Pt(c.a) << "-" << Pt(c.b) << " at " << Pt(c.at);
    }
}

// ---------------------------------------------------------------------------------------
// The rectangle's figures

TEST_F(Shapes, FiguresOnTheCanvas)
{
    TKXRect *r = Rect({1000, 500}, {3000, 1500});
    r->SetColor(0x0000FF);
    r->SetBackColor(0x00FF00);
    r->SetPenWidth(0.3f);
    EXPECT_EQ(Drawn(*r), std::vector<std::string>{"Rectangle(1000,500,3001,1501)"});
    const zt::RecordedCall &call = canvas.Last("Rectangle");
    EXPECT_EQ(call.Pen.Color, 0x0000FFu);
    EXPECT_EQ(call.Pen.Width, 30);
    EXPECT_TRUE(call.Pen.InsideFrame);
    EXPECT_EQ(call.Brush.Style, TKXBrushStyle::bsClear);

    r->SetTransparent(false);
    r->SetRadio(5.0f);
    EXPECT_EQ(Drawn(*r), std::vector<std::string>{"RoundRect(1000,500,3001,1501,500,500)"});
    EXPECT_EQ(canvas.Last("RoundRect").Brush, (TKXBrush{0x00FF00, TKXBrushStyle::bsSolid}));

    r->SetEllipse(true);
    EXPECT_EQ(Drawn(*r), std::vector<std::string>{"Ellipse(1000,500,3000,1500)"});

    // The triangle by angle; any other angle keeps the corners of the last drawing.
    r->SetFigure(TKXRect::fgTriangle);
    const struct {
        int32_t angle;
        const char *polygon;
    } triangles[] = {
        {0, "Polygon(2000,500 1000,1500 3000,1500 2000,500)"},
        {90, "Polygon(1000,1000 3000,500 3000,1500 1000,1000)"},
        {180, "Polygon(1000,500 2000,1500 3000,500 1000,500)"},
        {270, "Polygon(1000,500 1000,1500 3000,1000 1000,500)"},
        {45, "Polygon(1000,500 1000,1500 3000,1000 1000,500)"},
    };
    for (const auto &t : triangles) {
        r->SetAngle(t.angle);
        EXPECT_EQ(Drawn(*r), std::vector<std::string>{t.polygon}) << t.angle;
    }
    EXPECT_EQ(Pt(r->TriangleArray()[3]), "1000,500");

    // No pen: a clear pen, the fill only.
    r->SetAngle(0);
    r->SetFigure(TKXRect::fgRectangle);
    r->SetRadio(0);
    r->SetPenWidth(0);
    EXPECT_EQ(Drawn(*r), std::vector<std::string>{"Rectangle(1000,500,3001,1501)"});
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Style, TKXPenStyle::psClear);
    r->SetFigure(7); // no such figure
    EXPECT_TRUE(Drawn(*r).empty());
    r->SetFigure(TKXRect::fgRectangle);
    r->SetPrint(false);
    EXPECT_TRUE(Drawn(*r, tdPreview).empty());
}

TEST_F(Shapes, DesignSurfaceFrameAndReferenceRectangle)
{
    TKXRect *r = Rect({1000, 500}, {3000, 1500});
    r->Draw(canvas, {0, 0}, tdLab, ftNone);
    EXPECT_EQ(Rc(r->Frame), "1000,500,3000,1500");
    EXPECT_EQ(Rc(r->Border()), "100,50,300,150");
    EXPECT_TRUE(editor.Has("DrawSelectionFrame(0,0,stRect,0,1000 500 3000 1500,100 50 300 150,0)"))
        << editor.Log.back();

    // The editor's reference rectangle, selected: two segments across its middle instead.
    struct RefRect : TKXRect {
        using TKXRect::TKXRect;
        void MakeReference() { FSelType = TKXSelType::stRefRect; }
    };
    auto *ref = lab.NewElement<RefRect>();
    ref->SetP1(1000, 500);
    ref->SetP2(3000, 1500);
    ref->MakeReference();
    ref->SetSelectedFlag(true);
    editor.Reset();
    lab.ClearMarkers();
    ref->Draw(canvas, {0, 0}, tdLab, ftNone);
    EXPECT_EQ(editor.Count("DrawSelectionFrame"), 0);
    ASSERT_EQ(lab.RefArray().size(), 2u);
    EXPECT_EQ(lab.RefArray()[0].Tipo, 5);
    EXPECT_EQ(Pt(lab.RefArray()[0].Pos1) + " " + Pt(lab.RefArray()[0].Pos2), "100,97 300,97");
    EXPECT_EQ(Pt(lab.RefArray()[1].Pos1) + " " + Pt(lab.RefArray()[1].Pos2), "197,50 197,150");
}

TEST_F(Shapes, LockMarkerOnTheDesignSurfaceOnly)
{
    TKXRect *r = Rect({1000, 500}, {3000, 1500});
    r->SetLocked(true);
    // 8 pixels are 80 units: maroon, then yellow inset by a quarter.
    EXPECT_EQ(Drawn(*r, tdLab), (std::vector<std::string>{"Rectangle(1000,500,3001,1501)",
                                                          "FillRect(1000,500,1080,580)",
                                                          "FillRect(1020,520,1060,560)"}));
    const auto &calls = canvas.Calls();
    std::vector<TColor> fills;
    for (const auto &c : calls)
        if (c.Text.rfind("FillRect", 0) == 0)
            fills.push_back(c.Brush.Color);
    EXPECT_EQ(fills, (std::vector<TColor>{0x000080, 0x00FFFF}));
    for (TKXDrawType target : {tdPrint, tdPreview, tdOpenDialog})
        EXPECT_EQ(Drawn(*r, target), std::vector<std::string>{"Rectangle(1000,500,3001,1501)"});
}

// Box (1000,1000)-(3000,2000): Border (100,100)-(300,200) in surface pixels.
TEST_F(Shapes, RectangleHitTestsByFigure)
{
    enum Kind { rect, rounded, ellipse, triangle, triangleAfterEllipse };
    const struct {
        Kind kind;
        bool transparent;
        float pen;
        bool locked;
        TPoint at;
        bool hit;
        const char *what;
    } cases[] = {
        {rect, false, 0.3f, false, {200, 150}, true, "filled: middle"},
        {rect, false, 0.3f, false, {299, 199}, true, "filled: last pixel"},
        {rect, false, 0.3f, false, {300, 150}, false, "right of the box"},
        {rect, false, 0.3f, false, {99, 150}, false, "left of the box"},
        {rect, true, 0.3f, false, {200, 150}, false, "transparent: middle"},
        {rect, true, 0.3f, false, {103, 150}, true, "transparent: band (at least 4 pixels)"},
        {rect, true, 0.3f, false, {104, 150}, false, "transparent: inside the band"},
        {rect, true, 0.3f, false, {296, 150}, true, "transparent: right band"},
        {rect, true, 0.3f, false, {200, 196}, true, "transparent: bottom band"},
        {rect, true, 0.0f, false, {200, 150}, true, "transparent without pen: whole box"},
        {rect, true, 0.8f, false, {107, 150}, true, "8-pixel pen: band"},
        {rect, true, 0.8f, false, {108, 150}, false, "8-pixel pen: inside"},
        {rounded, true, 0.3f, false, {101, 101}, true, "rounded: corner of the band"},
        {rounded, true, 0.3f, false, {200, 150}, false, "rounded: middle"},
        {ellipse, false, 0.3f, false, {200, 150}, true, "ellipse: middle"},
        {ellipse, false, 0.3f, false, {100, 150}, true, "ellipse: its left end"},
        {ellipse, false, 0.3f, false, {105, 105}, false, "ellipse: corner of its box"},
        {ellipse, true, 0.3f, false, {101, 150}, true, "transparent ellipse: ring"},
        {ellipse, true, 0.3f, false, {150, 150}, false, "transparent ellipse: inside"},
        {ellipse, true, 0.3f, false, {105, 105}, false, "transparent ellipse: corner"},
        {triangle, false, 0.3f, false, {200, 150}, true, "triangle: middle"},
        {triangle, true, 0.3f, false, {200, 150}, false, "transparent triangle: middle"},
        {triangle, true, 0.3f, false, {102, 150}, true, "transparent triangle: band"},
        {triangleAfterEllipse, true, 0.3f, false, {101, 101}, true, "triangle once an ellipse: band corner"},
        {triangleAfterEllipse, true, 0.3f, false, {200, 150}, false, "triangle once an ellipse: middle"},
        {rect, false, 0.3f, true, {100, 100}, true, "locked: marker"},
        {rect, false, 0.3f, true, {107, 107}, true, "locked: marker's last pixel"},
        {rect, false, 0.3f, true, {108, 101}, false, "locked: right of the marker"},
        {rect, false, 0.3f, true, {200, 150}, false, "locked: middle"},
        {ellipse, true, 0.3f, true, {101, 101}, true, "locked ellipse: marker outside the ring"},
    };
    for (const auto &c : cases) {
        TKXRect *r = Rect({1000, 1000}, {3000, 2000});
        r->SetTransparent(c.transparent);
        r->SetPenWidth(c.pen);
        r->SetLocked(c.locked);
        switch (c.kind) {
        case rect: break;
        case rounded: r->SetRadio(4.0f); break;
        case ellipse: r->SetEllipse(true); break;
        case triangle: r->SetFigure(TKXRect::fgTriangle); break;
        case triangleAfterEllipse:
            r->SetEllipse(true);
            r->SetFigure(TKXRect::fgTriangle);
            EXPECT_TRUE(r->Ellipse());
            break;
        }
        r->Draw(canvas, {0, 0}, tdLab, ftNone);
        EXPECT_EQ(r->PointInObject(c.at), c.hit) << c.what;
        lab.RemoveElement(r, false, false);
    }
}

// An ellipse too thin to have a half axis, or whose pen leaves no inner ellipse, answers
// by its box and its band without dividing by a half axis of 0 or less.
TEST_F(Shapes, DegenerateEllipsesAnswerByTheBoxAndTheBand)
{
    zt::RecordingCanvas fine(0, TKXMapping::ForResolution(2540, 2540)); // one unit a pixel
    editor.ViewWidth = 6000;
    editor.ViewHeight = 3500;
    TKXRect *thin = Rect({1000, 1000}, {1001, 2000}); // half width 0
    thin->SetEllipse(true);
    thin->SetTransparent(false);
    thin->Draw(fine, {0, 0}, tdLab, ftNone);
    EXPECT_TRUE(thin->PointInObject({1000, 1500}));
    EXPECT_FALSE(thin->PointInObject({1001, 1500}));

    TKXRect *ring = Rect({1000, 1000}, {3000, 2000}); // 3 mm pen over a 10 mm high ellipse
    ring->SetEllipse(true);
    ring->SetPenWidth(3.0f);
    ring->Draw(fine, {0, 0}, tdLab, ftNone);
    EXPECT_TRUE(ring->PointInObject({2000, 1500})); // all ring: the middle too
    EXPECT_TRUE(ring->PointInObject({1200, 1500}));
    EXPECT_FALSE(ring->PointInObject({1010, 1010})); // still outside the ellipse
}

// ---------------------------------------------------------------------------------------
// Setters and published properties

struct Effect {
    int undo;
    std::string refreshed;
    bool modified;
    friend bool operator==(const Effect &, const Effect &) = default;
};

std::ostream &operator<<(std::ostream &os, const Effect &e)
{
    return os << "{undo " << e.undo << ", \"" << e.refreshed << "\", modified " << e.modified << "}";
}

TEST(ShapeSetters, UndoNotificationAndModified)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto &undo = zt::InstallUndoRecorder(lab);
    auto *r = lab.NewElement<TKXRect>();
    auto run = [&](const std::function<void()> &change) {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        change();
        Effect e{int(undo.Entries.size()), "", lab.Modified()};
        for (const std::string &call : ed.Log)
            if (call.rfind("RefreshView(0,", 0) == 0)
                e.refreshed = call.substr(14, call.size() - 15);
        return e;
    };
    const struct {
        const char *name;
        std::function<void()> change;
        Effect effect;
        int16_t figure;
        bool ellipse;
    } cases[] = {
        {"Radio", [&] { r->SetRadio(2.0f); }, {1, "Radius", true}, 0, false},
        {"Radio unchanged: no equality test", [&] { r->SetRadio(2.0f); }, {1, "Radius", true}, 0, false},
        {"Ellipse on", [&] { r->SetEllipse(true); }, {1, "Circle", true}, 1, true},
        {"Ellipse unchanged", [&] { r->SetEllipse(true); }, {0, "", false}, 1, true},
        {"Radio of an ellipse stays silent", [&] { r->SetRadio(3.0f); }, {1, "", false}, 1, true},
        {"Figure triangle", [&] { r->SetFigure(2); }, {1, "Figure", true}, 2, true},
        {"Radio of a triangle once an ellipse", [&] { r->SetRadio(4.0f); }, {1, "Radius", true}, 2, true},
        {"Figure unchanged", [&] { r->SetFigure(2); }, {0, "", false}, 2, true},
        {"Figure rectangle leaves Ellipse", [&] { r->SetFigure(0); }, {1, "Figure", true}, 0, true},
        {"Ellipse off", [&] { r->SetEllipse(false); }, {1, "Circle", true}, 0, false},
        {"Figure ellipse sets Ellipse", [&] { r->SetFigure(1); }, {1, "Figure", true}, 1, true},
        {"Locked: not modified", [&] { r->SetLocked(true); }, {1, "Locked", false}, 1, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(run(c.change), c.effect) << c.name;
        EXPECT_EQ(r->Figure(), c.figure) << c.name;
        EXPECT_EQ(r->Ellipse(), c.ellipse) << c.name;
    }
    EXPECT_EQ(r->RadioInternal(), 400);
    lab.SetUnits(TKXUnits::unCM);
    EXPECT_FLOAT_EQ(r->Radio(), 0.4f);
}

TEST(ShapePublished, PropertyListsAndDefaults)
{
    TKXCustomLab lab;
    auto *l = lab.NewElement<TKXLine>();
    auto *r = lab.NewElement<TKXRect>();
    EXPECT_EQ(l->Published().Names(), (QStringList{"X1", "Y1", "Color", "Print", "ID", "X2", "Y2", "PenWidth"}));
    EXPECT_EQ(r->Published().Names(),
              (QStringList{"X1", "Y1", "Color", "Print", "BackColor", "Transparent", "Margin", "EleAlign", "X2",
                           "Y2", "ID", "Radio", "Ellipse", "Locked", "PenWidth"}));
    EXPECT_EQ(l->ID(), "Line1");
    EXPECT_EQ(r->ID(), "Rectangle1");
    EXPECT_EQ(l->SelType(), TKXSelType::stLine);
    EXPECT_EQ(r->SelType(), TKXSelType::stRect);
    EXPECT_EQ(r->Figure(), 0);
    EXPECT_FALSE(r->Ellipse());
    EXPECT_FALSE(r->Locked());
    r->Published().Find("Ellipse")->Set(*r, true);
    EXPECT_EQ(r->Figure(), 1);
    lab.SetUnits(TKXUnits::unMM);
    r->Published().Find("Radio")->Set(*r, 1.5);
    EXPECT_EQ(r->RadioInternal(), 150);
}

// ---------------------------------------------------------------------------------------
// Records

TEST(ShapeRecord, EachKindRoundTripsThroughTheFactory)
{
    TKXCustomLab lab;
    auto *l = lab.NewElement<TKXLine>();
    l->SetP1(3000, 2500);
    l->SetP2(1000, 500);
    l->SetPenWidth(0.7f);
    auto *r = lab.NewElement<TKXRect>();
    r->SetP1(100, 200);
    r->SetP2(2100, 1200);
    r->SetRadio(1.25f);
    r->SetEllipse(true);
    r->SetFigure(TKXRect::fgTriangle);
    r->SetTransparent(false);
    for (TKXElement *e : std::initializer_list<TKXElement *>{l, r}) {
        TKXStreamWriter w;
        e->SaveToStream(w);
        TKXCustomLab other;
        TKXStreamReader rd(w.Bytes());
        TKXElement *back = TKXElementFactory::ReadElement(rd, other);
        ASSERT_TRUE(back);
        EXPECT_TRUE(rd.AtEnd());
        EXPECT_EQ(back->ElementType(), e->ElementType());
        EXPECT_EQ(Rc(back->GetRect()), Rc(e->GetRect()));
        TKXStreamWriter again;
        back->SaveToStream(again);
        EXPECT_EQ(again.Bytes(), w.Bytes()) << e->ID().toStdString();
    }
    TKXStreamWriter w;
    r->SaveToStream(w);
    EXPECT_EQ(w.Bytes()[0], 4);
    // The tail: corner size, the ellipse flag, the figure.
    const auto &b = w.Bytes();
    EXPECT_EQ((std::vector<uint8_t>(b.end() - 7, b.end())), (std::vector<uint8_t>{125, 0, 0, 0, 1, 2, 0}));
    TKXCustomLab other;
    TKXStreamReader rd(w.Bytes());
    auto *back = dynamic_cast<TKXRect *>(TKXElementFactory::ReadElement(rd, other));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Figure(), TKXRect::fgTriangle);
    EXPECT_TRUE(back->Ellipse());
    EXPECT_EQ(back->RadioInternal(), 125);
    EXPECT_FALSE(back->Transparent());

    // A loaded line is normalized.
    TKXStreamWriter lw;
    l->SaveToStream(lw);
    TKXStreamReader lr(lw.Bytes());
    auto *line = dynamic_cast<TKXLine *>(TKXElementFactory::ReadElement(lr, other));
    ASSERT_TRUE(line);
    EXPECT_EQ(Pt(line->P1()), "1000,500");
    EXPECT_EQ(line->Direction(), 4);
}

// Records of older files, composed from the format's tables.
TEST(ShapeRecord, OldVersionsCornerSizeAndFigure)
{
    const struct {
        int32_t version;
        int32_t radioStored;
        uint8_t ellipse;
        int16_t figureStored;
        int32_t radio;
        int16_t figure;
    } cases[] = {
        {19, 15, 0, 0, 150, 0},   // tenths of a millimetre
        {19, 15, 1, 0, 150, 1},
        {20, 15, 0, 0, 15, 0},
        {2799, 0, 1, 0, 0, 1},    // no figure stored: the flag says ellipse
        {2799, 0, 0, 0, 0, 0},
        {2800, 0, 1, 2, 0, 2},    // a triangle that once was an ellipse
        {2811, 40, 0, 2, 40, 2},
        {2811, 0, 1, 0, 0, 0},    // flags load as stored
    };
    for (const auto &c : cases) {
        zt::ComposedElement e;
        e.Code = 4;
        e.HasRect = true;
        e.Radio = c.radioStored;
        e.Ellipse = c.ellipse;
        e.Figure = c.figureStored;
        const zt::Bytes bytes = zt::ComposeElement(e, c.version, false);
        TKXCustomLab lab;
        lab.SetCheckBounds(false);
        lab.SetFileVersion(c.version);
        TKXStreamReader r(bytes);
        auto *rect = dynamic_cast<TKXRect *>(TKXElementFactory::ReadElement(r, lab));
        ASSERT_TRUE(rect) << c.version;
        EXPECT_TRUE(r.AtEnd()) << c.version;
        EXPECT_EQ(rect->RadioInternal(), c.radio) << c.version;
        EXPECT_EQ(rect->Figure(), c.figure) << c.version;
        EXPECT_EQ(rect->Ellipse(), c.ellipse != 0) << c.version;
    }
    // A cut record raises and leaves nothing behind.
    zt::ComposedElement e;
    e.HasRect = true;
    zt::Bytes bytes = zt::ComposeElement(e, 2811, false);
    bytes.pop_back();
    TKXCustomLab lab;
    TKXStreamReader r(bytes);
    EXPECT_THROW(TKXElementFactory::ReadElement(r, lab), EKxStreamError);
    EXPECT_EQ(lab.ElementCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Pixels through the real canvas: 254 dpi (10 units a pixel) and 508 dpi (5).

bool Dark(const QImage &img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

class ShapePixels : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { zt::RequireGuiApp(); }
    double px() const { return GetParam() / 2540.0; }
    int P(int32_t units) const { return int(units * px()); }
    QImage Render(TKXElement &E)
    {
        QImage img(P(6000), P(3500), QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(GetParam() / 0.0254));
        img.setDotsPerMeterY(qRound(GetParam() / 0.0254));
        img.fill(Qt::white);
        TKXQtCanvas canvas(&img);
        E.Draw(canvas, {0, 0}, tdPrint, ftNone);
        return img;
    }
    TKXCustomLab lab;
};

TEST_P(ShapePixels, RectanglePenInsideItsBox)
{
    auto *r = lab.NewElement<TKXRect>();
    r->SetP1(1000, 500);
    r->SetP2(3000, 1500);
    r->SetPenWidth(0.5f);
    const QImage img = Render(*r);
    const int l = P(1000), t = P(500), rr = P(3000), b = P(1500), pen = P(50), my = (t + b) / 2,
              mx = (l + rr) / 2;
    EXPECT_FALSE(Dark(img, l - 1, my));
    EXPECT_TRUE(Dark(img, l, my));
    EXPECT_TRUE(Dark(img, l + pen - 1, my));
    EXPECT_FALSE(Dark(img, l + pen + 1, my)); // transparent inside
    EXPECT_TRUE(Dark(img, rr - 1, my));
    EXPECT_TRUE(Dark(img, rr - pen + 1, my));
    EXPECT_FALSE(Dark(img, rr + 1, my));
    EXPECT_TRUE(Dark(img, mx, t));
    EXPECT_FALSE(Dark(img, mx, t - 1));
    EXPECT_TRUE(Dark(img, mx, b - 1));
    EXPECT_FALSE(Dark(img, mx, b + 1));
    EXPECT_TRUE(Dark(img, l + 1, t + 1)); // the corner is outlined too
}

TEST_P(ShapePixels, RoundedCornersLeaveTheBoxCorner)
{
    auto *r = lab.NewElement<TKXRect>();
    r->SetP1(1000, 500);
    r->SetP2(3000, 1500);
    r->SetPenWidth(0);
    r->SetRadio(6.0f);
    r->SetTransparent(false);
    r->SetBackColor(clBlack);
    const QImage img = Render(*r);
    const int l = P(1000), t = P(500), rr = P(3000), b = P(1500);
    EXPECT_FALSE(Dark(img, l + 1, t + 1));
    EXPECT_FALSE(Dark(img, rr - 2, b - 2));
    EXPECT_TRUE(Dark(img, l, (t + b) / 2));
    EXPECT_TRUE(Dark(img, (l + rr) / 2, t));
    EXPECT_TRUE(Dark(img, l + P(300), t + P(300)));
    EXPECT_FALSE(Dark(img, l - 1, (t + b) / 2));
}

TEST_P(ShapePixels, EllipseTouchesItsBoxAtTheMiddles)
{
    auto *r = lab.NewElement<TKXRect>();
    r->SetP1(1000, 500);
    r->SetP2(3000, 1500);
    r->SetPenWidth(0);
    r->SetEllipse(true);
    r->SetTransparent(false);
    r->SetBackColor(clBlack);
    const QImage img = Render(*r);
    const int l = P(1000), t = P(500), rr = P(3000), b = P(1500), my = (t + b) / 2, mx = (l + rr) / 2;
    EXPECT_TRUE(Dark(img, l + 1, my));
    EXPECT_FALSE(Dark(img, l - 1, my));
    EXPECT_TRUE(Dark(img, rr - 2, my));
    EXPECT_FALSE(Dark(img, rr + 1, my));
    EXPECT_TRUE(Dark(img, mx, t + 1));
    EXPECT_FALSE(Dark(img, mx, t - 1));
    EXPECT_TRUE(Dark(img, mx, b - 2));
    EXPECT_FALSE(Dark(img, mx, b + 1));
    EXPECT_FALSE(Dark(img, l + P(150), t + P(150))); // the box's corner
}

TEST_P(ShapePixels, TrianglePointsUpAndLeft)
{
    auto *r = lab.NewElement<TKXRect>();
    r->SetP1(1000, 500);
    r->SetP2(3000, 1500);
    r->SetPenWidth(0);
    r->SetFigure(TKXRect::fgTriangle);
    r->SetTransparent(false);
    r->SetBackColor(clBlack);
    const int l = P(1000), t = P(500), rr = P(3000), b = P(1500), my = (t + b) / 2, mx = (l + rr) / 2;
    QImage img = Render(*r);
    EXPECT_TRUE(Dark(img, mx, t + 2));           // apex at the top middle
    EXPECT_FALSE(Dark(img, mx, t - 2));
    EXPECT_FALSE(Dark(img, l + P(300), t + P(300))); // top corners stay empty
    EXPECT_FALSE(Dark(img, rr - P(300), t + P(300)));
    EXPECT_TRUE(Dark(img, l + P(50), b - 2));    // the base along the bottom
    EXPECT_TRUE(Dark(img, rr - P(50), b - 2));
    EXPECT_FALSE(Dark(img, mx, b + 2));
    r->SetAngle(90);
    img = Render(*r);
    EXPECT_TRUE(Dark(img, l + P(100), my));      // apex at the left middle
    EXPECT_FALSE(Dark(img, l + P(300), t + P(100)));
    EXPECT_TRUE(Dark(img, rr - 3, t + 3));
    EXPECT_TRUE(Dark(img, rr - 3, b - 3));
    EXPECT_FALSE(Dark(img, rr + 2, my));
}

TEST_P(ShapePixels, LineWithSquareEnds)
{
    auto *l = lab.NewElement<TKXLine>();
    l->SetP1(1000, 2000);
    l->SetP2(3000, 2000);
    l->SetPenWidth(0.6f); // 30 units either side of the line and past each end
    const QImage img = Render(*l);
    const int x1 = P(1000), x2 = P(3000), y = P(2000), half = P(30), mx = (x1 + x2) / 2;
    EXPECT_TRUE(Dark(img, mx, y));
    EXPECT_TRUE(Dark(img, mx, y - half + 1));
    EXPECT_TRUE(Dark(img, mx, y + half - 1));
    EXPECT_FALSE(Dark(img, mx, y - half - 2));
    EXPECT_FALSE(Dark(img, mx, y + half + 2));
    EXPECT_TRUE(Dark(img, x1 - half + 1, y));
    EXPECT_FALSE(Dark(img, x1 - half - 2, y));
    EXPECT_TRUE(Dark(img, x2 + half - 1, y));
    EXPECT_FALSE(Dark(img, x2 + half + 2, y));
}

INSTANTIATE_TEST_SUITE_P(Dpi, ShapePixels, ::testing::Values(254, 508));

} // namespace
