// Label files with hostile numbers: each case saves an element through the library, patches
// one or more stored values (found by a distinctive value set through the API) to the ends
// of their range or NaN, loads the bytes and draws them on the recording canvas, as printed
// and on the design surface, and into the label metafile through the Qt canvas. Nothing may
// overflow (the sanitizer build checks every operation), every rectangle drawn stays in
// order, the limits of the reader hold, and a huge table visits only the rows on the label.
#include "document/KXBaseLab.h"
#include "document/KXSetup.h"
#include "elements/KXBarCode.h"
#include "elements/KXImage.h"
#include "elements/KXLayout.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXPdf417.h"
#include "elements/KXPolyText.h"
#include "elements/KXShapes.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"
#include "file/KXLabelFile.h"
#include "GuiApp.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace kx;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int32_t Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Min = std::numeric_limits<int32_t>::min();
const int32_t NaN = std::bit_cast<int32_t>(std::numeric_limits<float>::quiet_NaN());

Bytes Save(TKXCustomLab &Lab)
{
    TKXStreamWriter w;
    Lab.SaveToStream(w);
    return w.Bytes();
}

// Replaces the one stored occurrence of Sentinel (little-endian) by Value; every
// occurrence when All (for values the API cannot make distinctive).
::testing::AssertionResult Patch(Bytes &B, int32_t Sentinel, int32_t Value, bool All = false)
{
    uint8_t from[4], to[4];
    std::memcpy(from, &Sentinel, 4);
    std::memcpy(to, &Value, 4);
    std::vector<size_t> at;
    for (size_t i = 0; i + 4 <= B.size(); ++i)
        if (std::memcmp(B.data() + i, from, 4) == 0)
            at.push_back(i);
    if (at.empty() || (!All && at.size() != 1))
        return ::testing::AssertionFailure() << Sentinel << " stored " << at.size() << " times";
    for (size_t i : at)
        std::memcpy(B.data() + i, to, 4);
    return ::testing::AssertionSuccess();
}

// The numbers of a recorded call: "Rectangle(1,2,3,4)" -> 1 2 3 4.
std::vector<int64_t> Numbers(const std::string &Call)
{
    std::vector<int64_t> n;
    const size_t open = Call.find('(');
    std::string args = Call.substr(open + 1);
    for (char &c : args)
        if (c == ',' || c == ')' || c == ' ')
            c = ' ';
    std::istringstream in(args);
    int64_t v;
    while (in >> v)
        n.push_back(v);
    return n;
}

// Rectangles drawn by unturned elements are in order; a sum wrapped on 32 bits turns them
// inside out.
void ExpectOrderedBoxes(const zt::RecordingCanvas &Canvas)
{
    for (const char *kind : {"Rectangle", "RoundRect", "FillRect", "ClipRect", "Ellipse", "DrawImage"})
        for (const std::string &call : Canvas.Texts(kind)) {
            const std::vector<int64_t> n = Numbers(call);
            ASSERT_GE(n.size(), 4u) << call;
            EXPECT_LE(n[0], n[2]) << call;
            EXPECT_LE(n[1], n[3]) << call;
        }
}

struct HostileCase {
    const char *Name;
    // Makes the element in Lab with distinctive values where the patches go.
    std::function<void(TKXCustomLab &)> Make;
    std::vector<std::pair<int32_t, int32_t>> Patches; // sentinel -> stored value
    // Checks the loaded element after the drawings.
    std::function<void(TKXElement &)> Check;
    bool PatchAll = false;
    // Checks the calls of the printed drawing.
    std::function<void(const zt::RecordingCanvas &)> Printed = {};
};

class HostileLabels : public ::testing::Test {
protected:
    void SetUp() override { zt::RequireGuiApp(); }

    // Saves what Make built, patches it, loads it again and draws it everywhere.
    void Run(const HostileCase &C)
    {
        SCOPED_TRACE(C.Name);
        Bytes b;
        {
            TKXCustomLab lab;
            lab.SetCheckBounds(false);
            C.Make(lab);
            b = Save(lab);
        }
        for (const auto &[sentinel, value] : C.Patches)
            ASSERT_TRUE(Patch(b, sentinel, value, C.PatchAll));
        TKXCustomLab lab;
        TKXStreamReader r(b);
        lab.LoadLabStream(r, false);
        ASSERT_EQ(lab.ElementCount(), 1);
        for (TKXDrawType type : {TKXDrawType::tdPrint, TKXDrawType::tdLab}) {
            zt::RecordingCanvas canvas;
            lab.DrawElements(canvas, {1000, 2000}, type, TKXFillType::ftNone);
            ExpectOrderedBoxes(canvas);
            EXPECT_LT(canvas.Calls().size(), 1000u) << "calls drawing one element";
            if (type == TKXDrawType::tdPrint && C.Printed)
                C.Printed(canvas);
        }
        // The Qt canvas measures real fonts.
        const std::unique_ptr<TKXMetafile> mf = lab.GetMetafile();
        EXPECT_EQ(mf->DeviceSize().width(), 260);
        if (C.Check)
            C.Check(*lab.GetElement(1));
        // What the reader limited stays limited: saved, read and saved again, the same bytes.
        const Bytes first = Save(lab);
        TKXCustomLab again;
        TKXStreamReader back(first);
        again.LoadLabStream(back, false);
        EXPECT_EQ(Save(again), first);
    }
};

TKXText &NewText(TKXCustomLab &Lab, const QString &Text = QStringLiteral("Hostile"))
{
    auto *t = Lab.NewElement<TKXText>();
    t->SetText(Text);
    t->SetFontHeight(5.0f);
    t->SetP1(2000, 1000);
    return *t;
}

// The border box, its padding and pen, the shadow gap and the text's second point.
TEST_F(HostileLabels, TextLayoutBoxes)
{
    const HostileCase cases[] = {
        {"pen width at the end of the range",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab);
             t.SetShowBorder(true);
             t.SetPenWidth(7777.77f);
         },
         {{777777, Max}},
         [](TKXElement &e) { EXPECT_EQ(e.PenWidth(), float(MaxFileLength) / 100); }},
        {"padding and pen at the bottom of the range",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab);
             t.SetShowBorder(true);
             t.SetPaddingX(6666.61f);
             t.SetPaddingY(6666.62f);
             t.SetPenWidth(7777.77f);
         },
         {{666661, Min}, {666662, Max}, {777777, Min}},
         [](TKXElement &e) {
             EXPECT_EQ(e.PaddingX(), 0.0f); // never negative
             EXPECT_EQ(e.PaddingY(), float(MaxFileLength) / 100);
             EXPECT_EQ(e.PenWidth(), -float(MaxFileLength) / 100);
         }},
        {"shadow gap at both ends",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab);
             t.SetShadow(true);
             t.SetGapX(5555.51f);
             t.SetGapY(5555.52f);
         },
         {{555551, Max}, {555552, Min}},
         [](TKXElement &e) {
             auto &t = dynamic_cast<TKXText &>(e);
             EXPECT_EQ(t.GapX(), float(MaxFileLength) / 100);
             EXPECT_EQ(t.GapY(), -float(MaxFileLength) / 100);
         },
         false,
         [](const zt::RecordingCanvas &canvas) {
             // The shadow first, MaxFileLength right of the text and above it.
             const std::vector<std::string> texts = canvas.Texts("TextOut");
             ASSERT_EQ(texts.size(), 2u);
             const std::vector<int64_t> shadow = Numbers(texts[0]), text = Numbers(texts[1]);
             EXPECT_EQ(shadow[0] - text[0], MaxFileLength);
             EXPECT_EQ(shadow[1] - text[1], -MaxFileLength);
         }},
        {"point at the end of the range, right-bottom anchored with a border",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab);
             t.SetShowBorder(true);
             t.SetTextAlign(TTextAlign::taRiBo);
             t.SetP1(1234567, 2345678);
         },
         {{1234567, Min}, {2345678, Max}},
         [](TKXElement &e) {
             auto &t = dynamic_cast<TKXText &>(e);
             EXPECT_LE(t.P2().x, Min + t.BoxSize().cx); // left of the point, clamped
             EXPECT_GE(t.BoxSize().cx, 0);
         }},
        {"second point beyond the range from a left-top text at the end",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab);
             t.SetShowBorder(true);
             t.SetShadow(true);
             t.SetP1(1234567, 2345678);
         },
         {{1234567, Max}, {2345678, Max}},
         [](TKXElement &e) {
             EXPECT_EQ(e.P2().x, Max);
             EXPECT_EQ(e.P2().y, Max);
         }},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// Lines, rectangles and layouts whose corners lie at the end of the range, drawn at a sheet
// position: the corners plus the drawing origin stay on the range.
TEST_F(HostileLabels, ShapesAtTheEndOfTheRange)
{
    auto corners = [](TKXElement &e) {
        e.SetP1(1234567, 2345678);
        e.SetP2(1234999, 2345999);
    };
    const std::vector<std::pair<int32_t, int32_t>> atTheEnd = {
        {1234567, Max - 500}, {2345678, Max - 500}, {1234999, Max}, {2345999, Max}};
    // Everything lies at the positive end: a wrapped sum comes out negative.
    auto nothingNegative = [](const zt::RecordingCanvas &canvas) {
        for (const auto &call : canvas.Calls())
            for (int64_t n : Numbers(call.Text))
                EXPECT_GE(n, 0) << call.Text;
    };
    const HostileCase cases[] = {
        {"line", [&](TKXCustomLab &lab) { corners(*lab.NewElement<TKXLine>()); }, atTheEnd,
         [](TKXElement &e) { EXPECT_EQ(e.P2().x, Max); }, false, nothingNegative},
        {"rectangle with a border radius",
         [&](TKXCustomLab &lab) {
             auto *r = lab.NewElement<TKXRect>();
             corners(*r);
             r->SetRadio(2.0f);
             r->SetTransparent(false);
         },
         atTheEnd, nullptr, false, nothingNegative},
        {"layout with a divider",
         [&](TKXCustomLab &lab) {
             auto *l = lab.NewElement<TKXLayout>();
             corners(*l);
             l->SetColCount(2);
             l->SetTransparent(false);
         },
         atTheEnd, nullptr, false, nothingNegative},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// A measured width beyond the 32-bit range: a long text in a font as high as a file may
// make it is clamped, not wrapped to a negative width.
TEST_F(HostileLabels, MeasuredTextWiderThanTheIntegerRange)
{
    Run({"font height at the end of the range",
         [](TKXCustomLab &lab) {
             TKXText &t = NewText(lab, QString(4000, QChar('W')));
             t.SetFontHeight(8888.81f);
         },
         {{888881, Max}},
         [](TKXElement &e) {
             auto &t = dynamic_cast<TKXText &>(e);
             EXPECT_EQ(t.FontHeight(), float(MaxFileLength) / 100);
             EXPECT_EQ(t.TextSize().cx, Max);
             EXPECT_EQ(t.P2().x, Max);
         }});
    // The canvas on its own, with a font no file can give any more.
    TKXMetafile metafile(10000, 10000, 10000, 10000);
    auto canvas = metafile.OpenCanvas();
    TKXFont font;
    font.Name = QStringLiteral("DejaVu Sans");
    for (int32_t height : {Max, Min}) {
        font.Height = height;
        canvas->SetFont(font);
        const TSize e = canvas->TextExtent(QStringLiteral("WWWW"));
        EXPECT_EQ(e.cx, Max) << height;
        EXPECT_GT(e.cy, 0) << height;
    }
}

// Compound-text parts: a part's font height is limited when read, so the summed widths of
// the parts and the text size stay on the range.
TEST_F(HostileLabels, CompoundTextPartFontHeight)
{
    Run({"part font height at both ends",
         [](TKXCustomLab &lab) {
             auto *p = lab.NewElement<TKXPolyText>();
             p->SetP1(1000, 1000);
             TKXDataPoly *a = p->AddDataElement(false), *b = p->AddDataElement(false);
             a->SetFontHeight(8888.81f);
             a->SetText(QString(3000, QChar('W')));
             b->SetFontHeight(8888.82f);
             b->SetText(QString(3000, QChar('M')));
         },
         {{888881, Max}, {888882, Min}},
         [](TKXElement &e) {
             auto &p = dynamic_cast<TKXPolyText &>(e);
             const int n = p.DataElementCount();
             EXPECT_EQ(p.GetElement(n - 2)->FontHeight(), float(MaxFileLength) / 100);
             EXPECT_EQ(p.GetElement(n - 1)->FontHeight(), -float(MaxFileLength) / 100);
             const TKXPoint2D size = p.GetTextSize();
             EXPECT_GT(size.x, 0);
             EXPECT_GT(size.y, 0);
         }});
}

// The picture's pen inset and its empty mark.
TEST_F(HostileLabels, PicturePenInset)
{
    const HostileCase cases[] = {
        {"pen wider than the box, box at the end of the range",
         [](TKXCustomLab &lab) {
             auto *i = lab.NewElement<TKXImage>();
             i->SetP1(1234567, 2345678);
             i->SetP2(1234999, 2345999);
             i->SetShowBorder(true);
             i->SetPenWidth(7777.77f);
         },
         {{1234567, Max - 10}, {2345678, Min}, {1234999, Max}, {2345999, Max}, {777777, Min}},
         [](TKXElement &e) { EXPECT_EQ(e.PenWidth(), -float(MaxFileLength) / 100); }},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// The matrix codes' size: modules times a module size of a damaged file.
TEST_F(HostileLabels, MatrixCodeSizes)
{
    const HostileCase cases[] = {
        {"QR Code module and margins at the ends",
         [](TKXCustomLab &lab) {
             auto *q = lab.NewElement<TKXQRCode>();
             q->SetCode(QStringLiteral("HOSTILE"));
             q->SetP1(1234567, 2345678);
             q->SetBarWidth(77.77f);
             q->SetLeftMargin(66.61f);
             q->SetTopMargin(66.62f);
         },
         {{1234567, Max}, {2345678, Max}, {7777, Max}, {6661, Min}, {6662, Max}},
         [](TKXElement &e) { EXPECT_GE(e.P2().x, e.P1().x); },
         true}, // the module's width and height
        {"Data Matrix module at the bottom of the range",
         [](TKXCustomLab &lab) {
             auto *d = lab.NewElement<TKXDataMatrix>();
             d->SetCode(QStringLiteral("HOSTILE"));
             d->SetP1(1234567, 2345678);
             d->SetBarWidth(77.77f);
         },
         {{1234567, Min}, {2345678, Min}, {7777, Min}},
         [](TKXElement &e) { EXPECT_EQ(dynamic_cast<TKXDataMatrix &>(e).ModuleWidth(), 20); }, // the setter's least
         true},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// The PDF417 painter: rows x row height, bar positions and widths.
TEST_F(HostileLabels, Pdf417Bars)
{
    const HostileCase cases[] = {
        {"bar width and row height at the end of the range",
         [](TKXCustomLab &lab) {
             auto *p = lab.NewElement<TKXPdf417>();
             p->SetCode(QStringLiteral("HOSTILE LABEL"));
             p->SetP1(1234567, 2345678);
             p->SetRatio(0); // width and height free of each other
             p->SetBarWidth(77.75f);
             p->SetBHeight(88.81f);
         },
         {{1234567, Max}, {2345678, Max}, {7775, Max}, {8881, Max}},
         [](TKXElement &e) { EXPECT_GE(e.P2().y, e.P1().y); }},
        {"bar width, row height and margins at the bottom",
         [](TKXCustomLab &lab) {
             auto *p = lab.NewElement<TKXPdf417>();
             p->SetCode(QStringLiteral("HOSTILE LABEL"));
             p->SetP1(1234567, 2345678);
             p->SetRatio(0); // width and height free of each other
             p->SetBarWidth(77.75f);
             p->SetBHeight(88.81f);
             p->SetLeftMargin(66.61f);
             p->SetTopMargin(66.62f);
         },
         {{1234567, Min}, {2345678, Min}, {7775, Min}, {8881, Min}, {6661, Min}, {6662, Max}},
         nullptr},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// A barcode reads its font height a second time in its own fields, and its bar lengths
// there: limited as well, so a label saved, read and saved again keeps its bytes.
TEST_F(HostileLabels, BarcodeLengths)
{
    Run({"font height, bar width and height, distance and margins at the ends",
         [](TKXCustomLab &lab) {
             auto *b = lab.NewElement<TKXBarCode>();
             b->SetBarCode(QStringLiteral("12345678"));
             b->SetP1(2000, 1000);
             b->SetFontHeight(8888.81f);
             b->SetBHeight(66.61f);
             b->SetLeftMargin(66.62f);
             b->SetTopMargin(66.63f);
         },
         {{888881, Max}, {6661, Max}, {6662, Min}, {6663, Max}},
         [](TKXElement &e) {
             auto &b = dynamic_cast<TKXBarCode &>(e);
             EXPECT_EQ(b.FontHeightInternal(), MaxFileLength);
             EXPECT_EQ(b.BHeight(), float(MaxFileLength) / 100);
         },
         true}); // the font height stands in record D and in the barcode's own fields
}

// A NaN frame factor passes every comparison of a clamp: it reads as 1.
TEST_F(HostileLabels, SymbolFrameFactorNaN)
{
    Run({"both frame factors NaN",
         [](TKXCustomLab &lab) {
             auto *s = lab.NewElement<TKXSymbol>();
             s->SetCharacter(u'A');
             s->SetP1(2000, 1000);
         },
         {{std::bit_cast<int32_t>(1.0f), NaN}},
         [](TKXElement &e) {
             EXPECT_EQ(e.TrX(), 1.0f);
             EXPECT_GE(e.P2().x, e.P1().x);
         },
         true});
}

// ---------------------------------------------------------------------------------------
// Tables: the point mapping, escapement and column widths of a damaged file, and a table
// millions of rows high drawing only the rows on the label.

TKXTable &NewTable(TKXCustomLab &Lab, int Cols)
{
    auto *t = Lab.NewElement<TKXTable>();
    t->SetP1(1234, 1357);
    t->SetP2(5678, 3579);
    t->SetTransparent(false); // backgrounds and bands too
    for (int i = 0; i < Cols; ++i)
        t->AddColumn().SetShowTitle(true);
    return *t;
}

TEST_F(HostileLabels, TableGeometry)
{
    const HostileCase cases[] = {
        {"column widths at the ends of the range",
         [](TKXCustomLab &lab) {
             TKXTable &t = NewTable(lab, 3);
             t.Columns(0).SetWidth(61);
             t.Columns(1).SetWidth(29);
         },
         {{61, Max}, {29, Min}},
         [](TKXElement &e) {
             auto &t = dynamic_cast<TKXTable &>(e);
             EXPECT_EQ(t.Columns(0).Width(), MaxFileLength);
             EXPECT_EQ(t.Columns(1).Width(), -MaxFileLength);
         }},
        {"corners at both ends of the range",
         [](TKXCustomLab &lab) { NewTable(lab, 2); },
         {{1234, Min}, {1357, Min}, {5678, Max}, {3579, Max}},
         [](TKXElement &e) {
             auto &t = dynamic_cast<TKXTable &>(e);
             EXPECT_EQ(t.ColumnExtent(), Max);
             EXPECT_LE(t.Rows(), TKXTable::MaxRows);
         }},
        {"absurd angle: the escapement of whole turns",
         [](TKXCustomLab &lab) { NewTable(lab, 1).SetAngle(1710); },
         {{1710, Max}},
         nullptr,
         false,
         [](const zt::RecordingCanvas &canvas) {
             EXPECT_EQ(canvas.Last("TextOut").Font.Escapement, (Max % 360) * 10);
         }},
    };
    for (const HostileCase &c : cases)
        Run(c);
}

// The 645-byte label of the report: a table 1.8 million rows high draws its rows line by
// line, for seconds; and a huge negative title height moves the first row far above the
// table. Only what lies on the label may be drawn, and the count of rows is limited.
TEST_F(HostileLabels, HugeTablesDrawOnlyTheRowsOnTheLabel)
{
    struct Case {
        const char *Name;
        std::vector<std::pair<int32_t, int32_t>> Patches;
        TKXDrawTable Mode;
    } cases[] = {
        {"1.8 million rows of 10 mm", {{3579, 1800000000}}, TKXDrawTable::dtRows},
        {"1.8 million rows of 10 mm, columns", {{3579, 1800000000}}, TKXDrawTable::dtColumns},
        {"row height 0.01 mm in a table across the range", {{1357, Min}, {3579, Max}, {1111, 1}},
         TKXDrawTable::dtRows},
        {"title height at the bottom, row height 0.01 mm", {{1111, 1}, {2222, Min}}, TKXDrawTable::dtRows},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes b;
        {
            TKXCustomLab lab;
            lab.SetCheckBounds(false);
            TKXTable &t = NewTable(lab, 2);
            t.SetRowHeight(11.11f);
            t.SetTitleHeight(22.22f);
            t.SetDrawTable(c.Mode);
            b = Save(lab);
        }
        for (const auto &[sentinel, value] : c.Patches)
            ASSERT_TRUE(Patch(b, sentinel, value));
        TKXCustomLab lab;
        TKXStreamReader r(b);
        lab.LoadLabStream(r, false);
        ASSERT_EQ(lab.ElementCount(), 1);
        auto &t = dynamic_cast<TKXTable &>(*lab.GetElement(1));
        EXPECT_GT(t.Rows(), 0);
        EXPECT_LE(t.Rows(), TKXTable::MaxRows);
        // The default label is 60 x 35 mm: a few hundred rows of 0.01 mm at most lie on it
        // below the table's top, each drawn with a band and a line.
        const int64_t onLabel = lab.Measure()->HeightInternal();
        for (TKXDrawType type : {TKXDrawType::tdPrint, TKXDrawType::tdLab}) {
            zt::RecordingCanvas canvas;
            lab.DrawElements(canvas, {0, 0}, type, TKXFillType::ftNone);
            EXPECT_LE(int64_t(canvas.Texts("LineTo").size()), onLabel + 10);
            EXPECT_LE(int64_t(canvas.Texts("FillRect").size()), onLabel + 20);
            EXPECT_GT(canvas.Texts("LineTo").size(), 2u); // the visible grid is still drawn
        }
    }
}

// Rows mode at an ordinary size draws every band of the table (the limit leaves the rows on
// the label alone), including the last band reaching past the table's end.
TEST_F(HostileLabels, RowsOnTheLabelAreAllDrawn)
{
    TKXCustomLab lab;
    lab.SetCheckBounds(false);
    auto *t = lab.NewElement<TKXTable>();
    t->SetP1(0, 0);
    t->SetP2(4000, 3200);
    t->SetTransparent(false);
    t->AddColumn().SetShowTitle(false);
    t->SetTitleVisible(false);
    t->SetRowHeight(10.0f);
    t->SetDrawTable(TKXDrawTable::dtRows);
    t->SetGridStyle(TKXGridStyle::gsHorz);
    zt::RecordingCanvas canvas;
    lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    // Bands start at 0, 10, 20 and 30 mm; row lines at 0, 10, 20, 30 and the end.
    EXPECT_EQ(canvas.Texts("FillRect").size(), 4u);
    EXPECT_EQ(canvas.Last("FillRect").Text, "FillRect(0,3000,4000,3200)");
    EXPECT_EQ(canvas.Texts("LineTo").size(), 5u);
}

} // namespace
