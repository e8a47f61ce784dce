// Inserting elements with the drawing tools, driven by real mouse events on the design
// surface: the kinds a press creates, grid snapping of the press, pictures through the
// picture chooser (answered and cancelled), the events of an insertion, its undo step,
// and the band drawn while a shape is dragged out.
#include "EditorFixture.h"

#include "document/KXUndo.h"
#include "elements/KXImage.h"
#include "elements/KXPolyText.h"
#include "elements/KXShapes.h"
#include "elements/KXTable.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace kx;
using namespace kx::designer;

namespace {

// A label whose element dialogs are only counted.
class DialogCountingLab : public TKXCustomLab {
public:
    int PropDialogs = 0;
    void ShowElementProp() override { ++PropDialogs; }
};

// Answers the picture chooser with File (empty: the user cancels) and remembers the folder
// it was asked to start in.
class PictureChooser : public TKXUIServices {
public:
    QString File;
    QString AskedDir;
    int Asked = 0;
    std::vector<QString> Messages;

    void ShowMessage(const QString &Text) override { Messages.push_back(Text); }
    void BeginBusy() override {}
    void EndBusy() override {}
    QString ChoosePicture(const QString &, const QString &InitialDir) override
    {
        ++Asked;
        AskedDir = InitialDir;
        return File;
    }
};

// The real editor on a 100 x 60 mm label at 100 % on a 96 dpi screen: the surface is
// 378 x 227 pixels, so a pixel is 10000 / 378 label units across and 6000 / 227 down.
struct Board {
    Board()
    {
        zt::RequireWidgetApp();
        Lab = std::make_unique<DialogCountingLab>();
        Lab->NewLabel();
        Lab->Measure()->SetLabelSizeMM(100, 60);
        Lab->SetUIServices(&UI);
        Editor = std::make_unique<TKXEditor>();
        Editor->SetScreenDpi(96, 96);
        Editor->resize(618, 418);
        Editor->show();
        Editor->SetZantor(Lab.get());
        Editor->RecalcZoom(true);
        Editor->UpdateEditor(false);
        Editor->OnBeforeInsert = [this](TObject *, TKXElement *E) { Announced.push_back({E, E->IsSelected()}); };
        Editor->OnChangeDrawTool = [this](TObject *, TKXDrawTool Old, TKXDrawTool New) {
            ToolChanges.push_back({Old, New});
        };
        Lab->SetModified(false);
    }
    ~Board() { Editor.reset(); }

    TKXBackLab &Surface() { return *Editor->BackLab(); }
    TKXUndo &Undo() { return dynamic_cast<TKXUndo &>(*Lab->UndoRecorder()); }

    // A click with Tool at Point.
    void Click(TKXDrawTool Tool, QPoint Point)
    {
        Editor->SetDrawTool(Tool);
        ToolChanges.clear();
        QTest::mousePress(&Surface(), Qt::LeftButton, {}, Point);
        QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, Point);
    }

    // Drags a shape out with Tool from From to To.
    void Draw(TKXDrawTool Tool, QPoint From, QPoint To)
    {
        Editor->SetDrawTool(Tool);
        ToolChanges.clear();
        QTest::mousePress(&Surface(), Qt::LeftButton, {}, From);
        QTest::mouseMove(&Surface(), To);
        QTest::mouseRelease(&Surface(), Qt::LeftButton, {}, To);
    }

    PictureChooser UI; // outlives the label
    std::unique_ptr<DialogCountingLab> Lab;
    std::unique_ptr<TKXEditor> Editor;
    // Each OnBeforeInsert: the element and whether it was selected already.
    std::vector<std::pair<TKXElement *, bool>> Announced;
    std::vector<std::pair<TKXDrawTool, TKXDrawTool>> ToolChanges;
};

// The press point used below, (50, 40) pixels, in label units: 50 x 10000 / 378 = 1322.8
// and 40 x 6000 / 227 = 1057.3.
const QPoint PressAt(50, 40);
const TPoint PressLabel{1323, 1057};

// The undo step of an insertion: one entry recording the element's creation.
void ExpectInsertStep(Board &B, int StepsBefore, const char *Name)
{
    ASSERT_EQ(B.Undo().UndoCount(), StepsBefore + 1) << Name;
    EXPECT_EQ(B.Undo().UndoList().back().Kind, TKXURAction::urCreate) << Name;
    EXPECT_EQ(B.Undo().UndoList().back().Count, 1) << Name;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Kinds created by a press

TEST(DesignerInsert, EachPressToolCreatesItsKindAtThePressPoint)
{
    const struct {
        TKXDrawTool Tool;
        TKXEle Kind;
    } cases[] = {
        {TKXDrawTool::dwText, TKXEle::deText},           {TKXDrawTool::dwAddText, TKXEle::deAddText},
        {TKXDrawTool::dwAskText, TKXEle::deAskText},     {TKXDrawTool::dwSymbol, TKXEle::deSymbol},
        {TKXDrawTool::dwBarCode, TKXEle::deBar},         {TKXDrawTool::dwPolyText, TKXEle::dePolyText},
        {TKXDrawTool::dwPdf417, TKXEle::dePdf417},       {TKXDrawTool::dwDataMatrix, TKXEle::deDataMatrix},
        {TKXDrawTool::dwQRCode, TKXEle::deQRCode},
    };
    for (const auto &c : cases) {
        Board b;
        const std::string name = std::to_string(int(c.Tool));
        const int steps = b.Undo().UndoCount();
        b.Click(c.Tool, PressAt);
        ASSERT_EQ(b.Lab->ElementCount(), 1) << name;
        TKXElement *e = b.Lab->GetElement(1);
        EXPECT_EQ(e->ElementType(), c.Kind) << name;
        EXPECT_EQ(e->P1(), PressLabel) << name;
        // Selected alone, announced once before it was selected, the label modified, its
        // dialog asked for, and the tool kept.
        EXPECT_EQ(b.Editor->GetSelectedCount(), 1) << name;
        EXPECT_EQ(b.Editor->GetSelect(), e) << name;
        ASSERT_EQ(b.Announced.size(), 1u) << name;
        EXPECT_EQ(b.Announced[0].first, e) << name;
        EXPECT_FALSE(b.Announced[0].second) << name;
        EXPECT_TRUE(b.Lab->Modified()) << name;
        EXPECT_EQ(b.Lab->PropDialogs, 1) << name;
        EXPECT_EQ(b.Editor->DrawTool(), c.Tool) << name;
        EXPECT_TRUE(b.ToolChanges.empty()) << name;
        EXPECT_TRUE(b.Surface().Added) << name;
        EXPECT_FALSE(b.Surface().Drawing) << name;
        if (c.Tool == TKXDrawTool::dwPolyText) {
            // A compound text starts with its one part.
            auto *poly = dynamic_cast<TKXPolyText *>(e);
            ASSERT_NE(poly, nullptr);
            ASSERT_EQ(poly->DataElementCount(), 1);
            EXPECT_EQ(poly->GetElement(0)->Text(), "text1");
        }
        // One undo step, whose undo takes the element away again.
        ExpectInsertStep(b, steps, name.c_str());
        b.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(b.Lab->ElementCount(), 0) << name;
        EXPECT_EQ(b.Editor->GetSelectedCount(), 0) << name;
    }
}

TEST(DesignerInsert, PressSnapsPointOneOntoTheNearestGridPoint)
{
    const struct {
        QPoint At;
        TPoint Expected;
    } cases[] = {
        {{50, 40}, {1000, 1000}},  // 1322.8, 1057.3
        {{60, 65}, {2000, 2000}},  // 1587.3, 1718.1
        {{170, 10}, {4000, 0}},    // 4497.4, 264.3
        {{189, 151}, {5000, 4000}}, // 5000, 3991.2: halves go up
    };
    for (const auto &c : cases) {
        Board b;
        b.Editor->Snap = TKXSnap::snGrid;
        b.Editor->Grid.IncX = 1000;
        b.Editor->Grid.IncY = 1000;
        b.Click(TKXDrawTool::dwText, c.At);
        ASSERT_EQ(b.Lab->ElementCount(), 1);
        // Exactly on the grid point, not on the label value of the pixel nearest to it.
        EXPECT_EQ(b.Lab->GetElement(1)->P1(), c.Expected) << c.At.x() << "," << c.At.y();
    }
}

TEST(DesignerInsert, SelectionAfterInsertHandsBackTheSelectionTool)
{
    for (TKXDrawTool tool : {TKXDrawTool::dwText, TKXDrawTool::dwRect, TKXDrawTool::dwParagraph}) {
        Board b;
        b.Editor->SelectionAfterInsert = true;
        b.Draw(tool, QPoint(50, 40), QPoint(120, 90));
        ASSERT_EQ(b.ToolChanges.size(), 1u) << int(tool);
        EXPECT_EQ(b.ToolChanges[0], std::make_pair(tool, TKXDrawTool::dwSelection));
        EXPECT_EQ(b.Editor->DrawTool(), TKXDrawTool::dwSelection);
        EXPECT_EQ(b.Surface().CursorSlot(), 0);
        // The new element stays selected.
        ASSERT_EQ(b.Lab->ElementCount(), 1) << int(tool);
        EXPECT_EQ(b.Editor->GetSelect(), b.Lab->GetElement(1));
    }
}

TEST(DesignerInsert, ToolsWithoutAnElementCreateNothing)
{
    for (TKXDrawTool tool : {TKXDrawTool::dwDateTime, TKXDrawTool::dwExtendLine}) {
        Board b;
        const int steps = b.Undo().UndoCount();
        b.Click(tool, PressAt);
        EXPECT_EQ(b.Lab->ElementCount(), 0) << int(tool);
        EXPECT_EQ(b.Undo().UndoCount(), steps) << int(tool);
        EXPECT_TRUE(b.Announced.empty()) << int(tool);
        EXPECT_FALSE(b.Lab->Modified()) << int(tool);
        EXPECT_FALSE(b.Surface().Drawing) << int(tool);
        EXPECT_EQ(b.Lab->PropDialogs, 0) << int(tool);
    }
}

namespace {

// A small picture file in a temporary folder.
struct PictureFile {
    PictureFile()
    {
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(Qt::blue);
        Path = Dir.filePath("blue.png");
        img.save(Path, "PNG");
    }
    QTemporaryDir Dir;
    QString Path;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Kinds drawn with the mouse

namespace {

// The band used below, (40, 30) to (140, 110) pixels, in label units.
const QPoint BandFrom(40, 30), BandTo(140, 110);
const TRect BandLabel{1058, 793, 3704, 2907}; // 1058.2, 793.0, 3703.7, 2907.5

TRect PointsOf(const TKXElement &E) { return {E.P1().x, E.P1().y, E.P2().x, E.P2().y}; }

} // namespace

TEST(DesignerInsert, EachDrawingToolBuildsItsKindInTheBand)
{
    PictureFile pic;
    const struct {
        TKXDrawTool Tool;
        TKXEle Kind;
        int16_t Figure; // rectangles only
        int Dialogs;    // element dialogs opened after the insertion
    } cases[] = {
        {TKXDrawTool::dwLine, TKXEle::deLine, 0, 1},
        {TKXDrawTool::dwRect, TKXEle::deRect, TKXRect::fgRectangle, 1},
        {TKXDrawTool::dwCircle, TKXEle::deRect, TKXRect::fgEllipse, 1},
        {TKXDrawTool::dwTriangle, TKXEle::deRect, TKXRect::fgTriangle, 1},
        {TKXDrawTool::dwTable, TKXEle::deTable, 0, 1},
        {TKXDrawTool::dwLayout, TKXEle::deLayout, 0, 1},
        {TKXDrawTool::dwParagraph, TKXEle::deParagraph, 0, 1},
        {TKXDrawTool::dwImage, TKXEle::deImage, 0, 0},
    };
    for (const auto &c : cases) {
        Board b;
        b.UI.File = pic.Path;
        const std::string name = std::to_string(int(c.Tool));
        const int steps = b.Undo().UndoCount();
        b.Draw(c.Tool, BandFrom, BandTo);
        ASSERT_EQ(b.Lab->ElementCount(), 1) << name;
        TKXElement *e = b.Lab->GetElement(1);
        EXPECT_EQ(e->ElementType(), c.Kind) << name;
        EXPECT_EQ(PointsOf(*e), BandLabel) << name;
        if (auto *r = dynamic_cast<TKXRect *>(e)) {
            EXPECT_EQ(r->Figure(), c.Figure) << name;
            EXPECT_EQ(r->Ellipse(), c.Tool == TKXDrawTool::dwCircle) << name;
        }
        if (auto *img = dynamic_cast<TKXImage *>(e)) {
            EXPECT_EQ(img->FileImage(), pic.Path);
        }
        if (auto *table = dynamic_cast<TKXTable *>(e)) {
            EXPECT_GT(table->Rows(), 0); // rows counted for the drawn height
        }
        EXPECT_FALSE(b.Surface().Drawing) << name;
        EXPECT_EQ(b.Editor->GetSelectedCount(), 1) << name;
        EXPECT_EQ(b.Editor->GetSelect(), e) << name;
        // Announced once (a picture too), before it was selected.
        ASSERT_EQ(b.Announced.size(), 1u) << name;
        EXPECT_EQ(b.Announced[0].first, e) << name;
        EXPECT_FALSE(b.Announced[0].second) << name;
        EXPECT_TRUE(b.Lab->Modified()) << name;
        EXPECT_EQ(b.Lab->PropDialogs, c.Dialogs) << name;
        EXPECT_EQ(b.Editor->DrawTool(), c.Tool) << name;
        // Building it recorded nothing but its creation; undo takes it away.
        ExpectInsertStep(b, steps, name.c_str());
        b.Lab->UndoRedo(TKXURAction::urUndo);
        EXPECT_EQ(b.Lab->ElementCount(), 0) << name;
        EXPECT_EQ(b.Editor->GetSelectedCount(), 0) << name;
    }
}

TEST(DesignerInsert, RectangleDrawnInAnyDirectionIsTheSame)
{
    const std::pair<QPoint, QPoint> bands[] = {
        {BandFrom, BandTo},
        {BandTo, BandFrom},
        {{BandTo.x(), BandFrom.y()}, {BandFrom.x(), BandTo.y()}},
        {{BandFrom.x(), BandTo.y()}, {BandTo.x(), BandFrom.y()}},
    };
    for (const auto &[from, to] : bands) {
        Board b;
        b.Draw(TKXDrawTool::dwRect, from, to);
        ASSERT_EQ(b.Lab->ElementCount(), 1);
        EXPECT_EQ(PointsOf(*b.Lab->GetElement(1)), BandLabel) << from.x() << "," << from.y();
    }
}

TEST(DesignerInsert, TablesAndLayoutsAreAtLeastOnePointFiveMillimetres)
{
    // Drawn 3 x 2 pixels: 80 x 53 label units; on a 10 mm grid both corners snap onto
    // (1000, 1000). A side drawn long enough keeps its length while the other is widened
    // (40 pixels are 1058 units across and 1057 down on the 378 x 227 pixel surface),
    // whichever of the two is the short one.
    const struct {
        TKXDrawTool Tool;
        bool Grid;
        QPoint Drag;
        TPoint P1;
        int32_t W, H;
    } cases[] = {
        {TKXDrawTool::dwTable, false, {3, 2}, {1058, 793}, 150, 150},
        {TKXDrawTool::dwLayout, false, {3, 2}, {1058, 793}, 150, 150},
        {TKXDrawTool::dwRect, false, {3, 2}, {1058, 793}, 80, 53}, // no minimum
        {TKXDrawTool::dwTable, true, {3, 2}, {1000, 1000}, 150, 150},
        {TKXDrawTool::dwLayout, true, {3, 2}, {1000, 1000}, 150, 150},
        {TKXDrawTool::dwTable, false, {3, 40}, {1058, 793}, 150, 1057},
        {TKXDrawTool::dwTable, false, {40, 2}, {1058, 793}, 1058, 150},
        {TKXDrawTool::dwLayout, false, {3, 40}, {1058, 793}, 150, 1057},
        {TKXDrawTool::dwLayout, false, {40, 2}, {1058, 793}, 1058, 150},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.Tool) << " drawn " << c.Drag.x() << " x " << c.Drag.y());
        Board b;
        if (c.Grid) {
            b.Editor->Snap = TKXSnap::snGrid;
            b.Editor->Grid.IncX = 1000;
            b.Editor->Grid.IncY = 1000;
        }
        b.Draw(c.Tool, BandFrom, BandFrom + c.Drag);
        ASSERT_EQ(b.Lab->ElementCount(), 1);
        const TKXElement &e = *b.Lab->GetElement(1);
        EXPECT_EQ(e.P1(), c.P1);
        EXPECT_EQ(e.P2().x - e.P1().x, c.W);
        EXPECT_EQ(e.P2().y - e.P1().y, c.H);
    }
}

TEST(DesignerInsert, UprightLinesRunAlongTheLongerExtent)
{
    const struct {
        QPoint To;
        TRect Points;
    } cases[] = {
        {{140, 60}, {1058, 793, 3704, 793}},  // wider than high: horizontal
        {{70, 110}, {1058, 793, 1058, 2907}}, // higher than wide: vertical
        {{90, 80}, {1058, 793, 1058, 2115}},  // as wide as high: vertical (2114.5)
        {{10, 40}, {265, 793, 1058, 793}},    // leftwards: the left end comes first
    };
    for (const auto &c : cases) {
        Board b;
        b.Editor->SetLineMove(TKXLineMove::lmOrto);
        b.Draw(TKXDrawTool::dwLine, BandFrom, c.To);
        ASSERT_EQ(b.Lab->ElementCount(), 1);
        EXPECT_EQ(PointsOf(*b.Lab->GetElement(1)), c.Points) << c.To.x() << "," << c.To.y();
    }
}

// ---------------------------------------------------------------------------------------
// Pictures


// Regression: a picture was announced twice, once by the picture insertion and once more
// by the insertion steps of the press or release that asked for it.
TEST(DesignerInsert, FixedSizePictureIsInsertedAtThePressAndAnnouncedOnce)
{
    PictureFile pic;
    Board b;
    b.UI.File = pic.Path;
    b.Lab->SetImagesDir(pic.Dir.path());
    b.Editor->InsertImage().SetFixedSize(true);
    const int steps = b.Undo().UndoCount();
    b.Click(TKXDrawTool::dwImage, PressAt);
    EXPECT_EQ(b.UI.Asked, 1);
    EXPECT_EQ(b.UI.AskedDir, pic.Dir.path());
    ASSERT_EQ(b.Lab->ElementCount(), 1);
    auto *img = dynamic_cast<TKXImage *>(b.Lab->GetElement(1));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->P1(), PressLabel);
    // The editor's picture size, 50 x 50 mm.
    EXPECT_EQ(img->P2(), (TPoint{PressLabel.x + 5000, PressLabel.y + 5000}));
    EXPECT_EQ(img->FileImage(), pic.Path);
    EXPECT_TRUE(img->Valid());
    ASSERT_EQ(b.Announced.size(), 1u);
    EXPECT_EQ(b.Announced[0].first, img);
    EXPECT_FALSE(b.Announced[0].second);
    EXPECT_EQ(b.Editor->GetSelect(), img);
    EXPECT_TRUE(b.Lab->Modified());
    // The chooser was the picture's dialog: no element dialog follows.
    EXPECT_EQ(b.Lab->PropDialogs, 0);
    ExpectInsertStep(b, steps, "picture");
    b.Lab->UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(b.Lab->ElementCount(), 0);
}

TEST(DesignerInsert, CancelledPictureChooserCreatesNothing)
{
    for (bool fixed : {true, false}) {
        Board b;
        b.UI.File.clear();
        b.Editor->InsertImage().SetFixedSize(fixed);
        const int steps = b.Undo().UndoCount();
        b.Draw(TKXDrawTool::dwImage, BandFrom, BandTo);
        EXPECT_EQ(b.UI.Asked, 1) << fixed;
        EXPECT_EQ(b.Lab->ElementCount(), 0) << fixed;
        EXPECT_EQ(b.Undo().UndoCount(), steps) << fixed;
        EXPECT_TRUE(b.Announced.empty()) << fixed;
        EXPECT_FALSE(b.Lab->Modified()) << fixed;
        EXPECT_FALSE(b.Surface().Added) << fixed;
        EXPECT_FALSE(b.Surface().Drawing) << fixed;
        EXPECT_EQ(b.Lab->PropDialogs, 0) << fixed;
    }
}

// ---------------------------------------------------------------------------------------
// The band

TEST(DesignerInsert, BandTakesTheShapeOfTheTool)
{
    // Band from (20, 20) to (120, 80); the points each shape must cover and must leave.
    const QPoint a(20, 20), z(120, 80);
    const struct {
        TKXDrawTool Tool;
        std::vector<QPoint> On, Off;
    } cases[] = {
        {TKXDrawTool::dwLine, {{70, 50}, {20, 20}, {120, 80}}, {{120, 20}, {20, 80}}},
        {TKXDrawTool::dwRect, {{70, 20}, {120, 50}, {70, 80}, {20, 50}}, {{70, 50}}},
        {TKXDrawTool::dwTable, {{70, 20}, {120, 50}}, {{70, 50}}},
        {TKXDrawTool::dwCircle, {{70, 20}, {20, 50}, {120, 50}, {70, 80}}, {{20, 20}, {120, 80}, {70, 50}}},
        // Apex over the middle, base along the bottom, nothing in the top corners.
        {TKXDrawTool::dwTriangle, {{70, 20}, {70, 80}, {20, 80}, {119, 80}, {45, 50}}, {{20, 20}, {120, 20}, {70, 50}}},
        {TKXDrawTool::dwText, {}, {{70, 20}, {20, 20}, {70, 50}}},
    };
    for (const auto &c : cases) {
        Board b;
        b.Editor->SetDrawTool(c.Tool);
        b.Surface().Drawing = true;
        b.Surface().Org = {a.x(), a.y()};
        b.Surface().MvPt = {z.x(), z.y()};
        const QImage img = b.Surface().grab().toImage();
        for (const QPoint &p : c.On)
            EXPECT_EQ(zt::Rgb(img, p.x(), p.y()), 0xFF0000u) << int(c.Tool) << " at " << p.x() << "," << p.y();
        for (const QPoint &p : c.Off)
            EXPECT_NE(zt::Rgb(img, p.x(), p.y()), 0xFF0000u) << int(c.Tool) << " at " << p.x() << "," << p.y();
    }
}

TEST(DesignerInsert, SelectionBandIsDottedAndOtherBandsSolid)
{
    // Red pixels along the band's top edge, 101 pixels long.
    auto topEdgeRed = [](TKXDrawTool Tool) {
        Board b;
        b.Editor->SetDrawTool(Tool);
        b.Surface().Drawing = true;
        b.Surface().Org = {20, 20};
        b.Surface().MvPt = {120, 80};
        const QImage img = b.Surface().grab().toImage();
        int n = 0;
        for (int x = 20; x <= 120; ++x)
            n += zt::Rgb(img, x, 20) == 0xFF0000u;
        return n;
    };
    EXPECT_EQ(topEdgeRed(TKXDrawTool::dwRect), 101);
    const int dotted = topEdgeRed(TKXDrawTool::dwSelection);
    EXPECT_GT(dotted, 20);
    EXPECT_LT(dotted, 80);
}
