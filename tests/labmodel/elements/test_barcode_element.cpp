// The barcode element through the recording canvas (fixed text advance of 100 units per
// character): bar rectangles and widths, guard and short bars, EAN/UPC digit positions,
// turned bars, the placeholder of a value that cannot be encoded, the ratio clamps, the
// setters, the value by target and fill type, and the record of new and old files.
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXBarCode.h"
#include "FakeDesignerServices.h"
#include "LabelFileComposer.h"
#include "LabTestPrint.h"
#include "MemoryDataset.h"
#include "OldRecords.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

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

// The boxes filled in one colour: the bars (or the background).
std::vector<std::string> Bars(const zt::RecordingCanvas &c, TColor Color = clBlack)
{
    std::vector<std::string> out;
    for (const zt::RecordedCall &call : c.Calls())
        if (call.Text.rfind("FillRect(", 0) == 0 && call.Brush.Color == Color &&
            call.Brush.Style == TKXBrushStyle::bsSolid)
            out.push_back(call.Text.substr(9, call.Text.size() - 10));
    return out;
}

class BarcodeFixture : public ::testing::Test {
protected:
    TKXCustomLab lab;
    zt::RecordingCanvas canvas{100};

    TKXBarCode *Place(TPoint P1, TKXBar Bar, const QString &Code)
    {
        auto *b = lab.NewElement<TKXBarCode>();
        b->SetP1(P1.x, P1.y);
        b->SetCodeType(Bar);
        b->SetBarCode(Code);
        return b;
    }
    void Draw(TKXElement &E, TKXDrawType Target = tdPrint, TKXFillType Fill = ftNone)
    {
        canvas.Clear();
        E.Draw(canvas, {0, 0}, Target, Fill);
    }
};

// A new element: "88888" as Code 39 with ratio 3. Each character is 6 narrow (30) and 3
// wide (90) elements, 450 units, with a 30-unit gap between characters: *88888* is 7 x 450
// + 6 x 30 = 3330 units of bars between two 300-unit quiet zones.
TEST_F(BarcodeFixture, NewElementIsCode39WithRatioThree)
{
    auto *b = lab.NewElement<TKXBarCode>();
    EXPECT_EQ(b->ID(), "Barcode1");
    EXPECT_EQ(b->BarCode(), "88888");
    EXPECT_EQ(b->CodeType(), TKXBar::CODE39);
    EXPECT_FLOAT_EQ(b->Factor(), 3.0f);
    EXPECT_EQ(b->FontHeightInternal(), 300);
    EXPECT_EQ(b->SelType(), TKXSelType::stPoint);
    b->SetP1(1000, 2000);
    zt::FakeDesignerServices ed(lab);
    Draw(*b, tdLab);
    const auto bars = Bars(canvas);
    ASSERT_EQ(bars.size(), 35u); // five bars per character
    // '*' starts narrow bar, wide space, narrow bar: 300 + 30 + 90.
    EXPECT_EQ(bars[0], "1300,2000,1330,3000");
    EXPECT_EQ(bars[1], "1420,2000,1450,3000");
    EXPECT_EQ(bars.back(), "4600,2000,4630,3000"); // ends 300 before the right edge
    // Text centred under the bars: 1000 + 3930 / 2 - 500 / 2.
    EXPECT_EQ(canvas.Texts("TextOut"), (std::vector<std::string>{"TextOut(2715,3000,\"88888\")"}));
    // The extent: bars, both quiet zones and the text line.
    EXPECT_EQ(b->P2(), (TPoint{4930, 3300}));
    EXPECT_EQ(Rc(b->Frame), "1000,2000,4930,3300");
    EXPECT_EQ(b->CurrentCode(), "88888");
}

// EAN-13 4006381333931 with ratio 2: every module exactly BarWidth wide; the guards reach
// 3/4 of the font height (225) below the bars; the first digit stands two modules left of
// the start guard, the groups are centred on the marks after 15 and 44 codes.
TEST_F(BarcodeFixture, Ean13GuardsAndDigitPositions)
{
    auto *b = Place({1000, 2000}, TKXBar::EAN13, "4006381333931");
    EXPECT_FLOAT_EQ(b->Factor(), 2.0f);
    Draw(*b);
    const auto bars = Bars(canvas);
    std::vector<std::string> guards;
    for (const std::string &r : bars)
        if (r.substr(r.rfind(',') + 1) == "3225")
            guards.push_back(r);
    EXPECT_EQ(guards, (std::vector<std::string>{"1300,2000,1330,3225", "1360,2000,1390,3225",
                                                "2680,2000,2710,3225", "2740,2000,2770,3225",
                                                "4060,2000,4090,3225", "4120,2000,4150,3225"}));
    // 30 bars: 6 guard bars and two per digit.
    EXPECT_EQ(bars.size(), 30u);
    // The first left-hand digit 0 (set A "2605"): a 3-module space, then a 2-module bar.
    EXPECT_EQ(bars[2], "1480,2000,1540,3000");
    // 1000 + 300 - 100 - 60; marks at 300 + 24 x 30 and 300 + 71 x 30, groups 600 wide.
    EXPECT_EQ(canvas.Texts("TextOut"),
              (std::vector<std::string>{"TextOut(1140,3000,\"4\")", "TextOut(1720,3000,\"006381\")",
                                        "TextOut(3130,3000,\"333931\")"}));
    // Without the text the guards are ordinary bars.
    b->SetShowNumber(false);
    Draw(*b);
    for (const std::string &r : Bars(canvas))
        EXPECT_EQ(r.substr(r.rfind(',') + 1), "3000");
    EXPECT_TRUE(canvas.Texts("TextOut").empty());
}

TEST_F(BarcodeFixture, UpcDigitsOutsideTheBars)
{
    // UPC-A: the last digit after the end of the bars (mark after 59 codes = 95 modules).
    auto *a = Place({0, 0}, TKXBar::UPCA, "036000291452");
    Draw(*a);
    EXPECT_EQ(canvas.Texts("TextOut"),
              (std::vector<std::string>{"TextOut(140,1000,\"0\")", "TextOut(770,1000,\"36000\")",
                                        "TextOut(2180,1000,\"29145\")", "TextOut(3210,1000,\"2\")"}));
    // UPC-E: six digits on the mark after 15 codes, the check digit after the bars (33
    // codes = 51 modules).
    auto *e = Place({0, 0}, TKXBar::UPCE0, "04252614");
    Draw(*e);
    EXPECT_EQ(canvas.Texts("TextOut"),
              (std::vector<std::string>{"TextOut(140,1000,\"0\")", "TextOut(720,1000,\"425261\")",
                                        "TextOut(1890,1000,\"4\")"}));
}

// PostNet: full bars and short bars of 2/5 of the height on the same bottom line.
TEST_F(BarcodeFixture, PostnetShortBarsStandOnTheBottomLine)
{
    auto *b = Place({0, 0}, TKXBar::POSTNET, "0");
    EXPECT_FLOAT_EQ(b->Factor(), 1.0f);
    b->SetShowNumber(false);
    Draw(*b);
    // "51" + "5151A1A1A1" + "5": bars and spaces all 30 wide.
    EXPECT_EQ(Bars(canvas), (std::vector<std::string>{"300,0,330,1000", "360,0,390,1000", "420,0,450,1000",
                                                      "480,600,510,1000", "540,600,570,1000",
                                                      "600,600,630,1000", "660,0,690,1000"}));
}

// The whole barcode turns about P1: the first bar of Code 39 (300 .. 330 right of P1, 1000
// high) at each angle; the text point turns with it.
TEST_F(BarcodeFixture, BarsAndTextTurnAboutTheAnchor)
{
    auto *b = Place({2000, 2000}, TKXBar::CODE39, "88888");
    struct Row {
        int angle;
        const char *firstBar;
        const char *text;
    } rows[] = {
        {0, "2300,2000,2330,3000", "TextOut(3715,3000,\"88888\")"},
        {90, "2000,1670,3000,1700", "TextOut(3000,285,\"88888\")"},
        {180, "1670,1000,1700,2000", "TextOut(285,1000,\"88888\")"},
        {270, "1000,2300,2000,2330", "TextOut(1000,3715,\"88888\")"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.angle);
        b->SetAngle(r.angle);
        Draw(*b);
        EXPECT_EQ(Bars(canvas).front(), r.firstBar);
        EXPECT_EQ(canvas.Texts("TextOut"), (std::vector<std::string>{r.text}));
        EXPECT_EQ(canvas.Last("TextOut").Font.Escapement, r.angle * 10);
    }
}

// An opaque element paints its whole box, quiet zones and text line, under the bars.
TEST_F(BarcodeFixture, BackgroundUnderTheBars)
{
    auto *b = Place({1000, 2000}, TKXBar::CODE39, "88888");
    b->SetTransparent(false);
    b->SetBackColor(0x00FFFF);
    Draw(*b);
    EXPECT_EQ(Bars(canvas, 0x00FFFF), (std::vector<std::string>{"1000,2000,4930,3300"}));
    EXPECT_EQ(canvas.Texts("FillRect").front(), "FillRect(1000,2000,4930,3300)"); // drawn first
}

// A value the symbology refuses: a 20 mm placeholder with a red dotted outline and its
// diagonals, drawn unturned. Drawing leaves the element as it was: its angle, no undo step,
// the document not modified.
TEST_F(BarcodeFixture, PlaceholderLeavesTheElementAlone)
{
    zt::FakeDesignerServices ed(lab);
    zt::RecordingUndoRecorder &undo = zt::InstallUndoRecorder(lab);
    auto *b = Place({1000, 2000}, TKXBar::EAN13, "40063813339X1");
    b->SetAngle(90);
    b->SetBHeight(12); // millimetres
    lab.SetModified(false);
    undo.Entries.clear();
    for (const TKXDrawType target : {tdLab, tdPrint, tdPreview}) {
        SCOPED_TRACE(int(target));
        Draw(*b, target);
        const zt::RecordedCall &box = canvas.Last("Rectangle");
        EXPECT_EQ(box.Text, "Rectangle(1000,2000,3000,3200)");
        EXPECT_EQ(box.Pen.Color, clRed);
        EXPECT_EQ(box.Pen.Width, 10);
        EXPECT_EQ(box.Pen.Style, TKXPenStyle::psDot);
        EXPECT_EQ(box.Brush.Color, clWhite);
        EXPECT_EQ(canvas.Texts("LineTo"), (std::vector<std::string>{"LineTo(3000,3200)", "LineTo(3000,2000)"}));
        EXPECT_EQ(Rc(b->Frame), "1000,2000,3000,3200");
        EXPECT_TRUE(b->CurrentCode().empty());
    }
    EXPECT_EQ(b->Angle(), 90);
    EXPECT_TRUE(undo.Entries.empty());
    EXPECT_FALSE(lab.Modified());
    // Not printed when Print is off; the design surface still shows it.
    b->SetPrint(false);
    Draw(*b, tdPrint);
    EXPECT_TRUE(canvas.Calls().empty());
    Draw(*b, tdLab);
    EXPECT_FALSE(canvas.Texts("Rectangle").empty());
}

// Lengths far beyond any label (a damaged file) are limited to a metre and every position
// stays within the canvas's range: nothing overflows.
TEST_F(BarcodeFixture, AbsurdLengthsStayWithinRange)
{
    auto *b = Place({1000, 2000}, TKXBar::CODE128B, "ABCDEFGHIJ");
    b->SetBarWidth(2.0e7f);
    b->SetLeftMargin(2.0e7f);
    b->SetBHeight(2.0e7f);
    b->SetFontHeight(2.0e7f);
    for (const int angle : {0, 90, 180, 270}) {
        b->SetAngle(angle);
        Draw(*b);
        const auto bars = Bars(canvas);
        ASSERT_FALSE(bars.empty());
        for (const zt::RecordedCall &call : canvas.Calls()) {
            int64_t v[4] = {};
            if (sscanf(call.Text.c_str(), "FillRect(%ld,%ld,%ld,%ld)", &v[0], &v[1], &v[2], &v[3]) != 4)
                continue;
            for (const int64_t c : v)
                EXPECT_LE(std::abs(c), 1000000000) << call.Text;
        }
    }
    // The first bar: a quiet zone of 1 m, then a bar of 2 m (Start B's first bar is 2 modules).
    b->SetAngle(0);
    Draw(*b);
    EXPECT_EQ(Bars(canvas).front(), "101000,2000,301000,102000");
}

// Design marks in the editor: the quiet zones' outer edges, or a cross without margins.
TEST_F(BarcodeFixture, DesignMarks)
{
    zt::FakeDesignerServices ed(lab);
    auto *b = Place({1000, 2000}, TKXBar::CODE39, "88888");
    Draw(*b, tdLab);
    EXPECT_EQ(canvas.Texts("LineTo"), (std::vector<std::string>{"LineTo(1000,3300)", "LineTo(4930,3300)"}));
    EXPECT_EQ(canvas.Last("LineTo").Pen.Style, TKXPenStyle::psDot);
    EXPECT_TRUE(ed.Has("DrawSelectionFrame(0,0,stPoint,0,1000 2000 4930 3300,100 200 493 330,0)"));
    b->SetLeftMargin(0);
    Draw(*b, tdLab);
    EXPECT_EQ(canvas.Texts("LineTo"), (std::vector<std::string>{"LineTo(1050,2000)", "LineTo(1000,2050)"}));
    // Only the design surface draws them.
    Draw(*b, tdPrint);
    EXPECT_TRUE(canvas.Texts("LineTo").empty());
}

TEST_F(BarcodeFixture, FactorClampsBySymbology)
{
    auto *b = lab.NewElement<TKXBarCode>();
    struct Row {
        TKXBar bar;
        float entered;
        float reads;
        int32_t stored; // after reading
    } rows[] = {
        {TKXBar::EAN13, 1.5f, 2.0f, 200},    {TKXBar::EAN13, 3.5f, 3.0f, 300},
        {TKXBar::CODE93, 7.0f, 6.0f, 600},   {TKXBar::CODE93, 0.5f, 1.0f, 100},
        {TKXBar::MATRIX_25, 2.0f, 2.25f, 225}, {TKXBar::INTER_25, 2.5f, 2.5f, 250},
        {TKXBar::CODE128B, 1.25f, 1.25f, 125}, {TKXBar::CODE39EX, 3.1f, 3.0f, 300},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(EnumName(r.bar));
        b->SetCodeType(r.bar);
        b->SetFactor(r.entered);
        EXPECT_FLOAT_EQ(b->Factor(), r.reads);
        EXPECT_EQ(b->FactorInternal(), r.stored);
    }
    // A new symbology sets its ratio; the two-width ones keep the one they find.
    b->SetCodeType(TKXBar::CODE39);
    b->SetFactor(2.5f);
    b->SetCodeType(TKXBar::CODABAR);
    EXPECT_FLOAT_EQ(b->Factor(), 2.5f);
    b->SetCodeType(TKXBar::EAN8);
    EXPECT_FLOAT_EQ(b->Factor(), 2.0f);
    b->SetCodeType(TKXBar::POSTNET);
    EXPECT_FLOAT_EQ(b->Factor(), 1.0f);
}

// What a setter did: undo entries, the property notified, the modified flag.
class BarcodeSetters : public ::testing::Test {
protected:
    BarcodeSetters() : ed(lab), undo(zt::InstallUndoRecorder(lab)) { b = lab.NewElement<TKXBarCode>(); }

    std::string Run(const std::function<void(TKXBarCode &)> &Change)
    {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        Change(*b);
        std::string notified = "-";
        for (const std::string &call : ed.Log)
            if (call.rfind("RefreshView(0,", 0) == 0)
                notified = call.substr(14, call.size() - 15);
        return std::to_string(undo.Entries.size()) + " " + notified + " " + (lab.Modified() ? "M" : "-");
    }

    TKXCustomLab lab;
    zt::FakeDesignerServices ed;
    zt::RecordingUndoRecorder &undo;
    TKXBarCode *b;
};

TEST_F(BarcodeSetters, Protocol)
{
    struct Row {
        const char *what;
        std::function<void(TKXBarCode &)> change;
        const char *effect;
    } rows[] = {
        {"BHeight without equality test", [](auto &e) { e.SetBHeight(10); }, "1 BHeight M"},
        {"LeftMargin", [](auto &e) { e.SetLeftMargin(5); }, "1 LeftMargin M"},
        {"TopMargin", [](auto &e) { e.SetTopMargin(1); }, "1 TopMargin M"},
        {"BarWidth in mm", [](auto &e) { e.SetBarWidth(0.3f); }, "1 BarWidth M"},
        {"Distance with the text shown", [](auto &e) { e.SetDistance(0.1f); }, "1 Distance M"},
        {"Distance without the text: no repaint",
         [](auto &e) {
             e.SetShowNumber(false);
             e.SetDistance(0.2f);
         },
         "2 ShowNumber M"},
        {"Factor changed", [](auto &e) { e.SetFactor(2.5f); }, "1 Factor M"},
        {"Factor unchanged", [](auto &e) { e.SetFactor(2.5f); }, "0 - -"},
        {"CodeType", [](auto &e) { e.SetCodeType(TKXBar::EAN13); }, "1 CodeType M"},
        {"CodeType unchanged", [](auto &e) { e.SetCodeType(TKXBar::EAN13); }, "0 - -"},
        {"BarCode", [](auto &e) { e.SetBarCode("123"); }, "1 BarCode M"},
        {"BarCode unchanged", [](auto &e) { e.SetBarCode("123"); }, "0 - -"},
        {"Checksum", [](auto &e) { e.SetChecksum(true); }, "1 Checksum M"},
        {"ShowNumber unchanged", [](auto &e) { e.SetShowNumber(false); }, "0 - -"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Run(r.change), r.effect);
    }
    EXPECT_EQ(b->DistanceInternal(), 20);
    EXPECT_EQ(b->BHeightInternal(), 1000);
    // A new symbology asks the inspector to show the ratio it set.
    Run([](auto &e) { e.SetCodeType(TKXBar::CODE93); });
    EXPECT_TRUE(ed.Has("RefreshProperty(Factor)"));
}

TEST(BarcodePublished, PropertiesInOrder)
{
    TKXCustomLab lab;
    auto *b = lab.NewElement<TKXBarCode>();
    EXPECT_EQ(b->Published().Names().join(' '),
              "X1 Y1 Color Print BackColor Transparent Margin EleAlign FieldName Data ID Angle BarWidth "
              "Factor Distance BHeight LeftMargin TopMargin ShowNumber Checksum FontHeight FontName "
              "BarCode CodeType");
    lab.SetUnits(TKXUnits::unINCH);
    b->Published().Find("BHeight")->Set(*b, QVariant(1.0f));
    EXPECT_EQ(b->BHeightInternal(), 2540);
    b->Published().Find("BarWidth")->Set(*b, QVariant(0.25f)); // millimetres whatever the units
    EXPECT_EQ(b->BarWidthInternal(), 25);
}

// The value by target and fill type: field-bound elements print the field for ftField and
// ftFieldCounter and show the fixed code on the design surface.
TEST_F(BarcodeFixture, FieldValueOnOutputOnly)
{
    QObject module;
    auto *items = new MemoryDataset("Items", &module);
    items->AddColumn("CODE", TKXFieldType::ftString, 20);
    items->AddRow({QStringLiteral("4006381333931")});
    items->Open();
    lab.SetDataSet(items);
    auto *b = Place({0, 0}, TKXBar::EAN13, "0000000000000");
    b->SetData(true);
    b->SetFieldName("CODE");
    struct Row {
        TKXDrawType target;
        TKXFillType fill;
        const char *code;
    } rows[] = {
        {tdPrint, ftField, "4006381333931"},   {tdPrint, ftFieldCounter, "4006381333931"},
        {tdPreview, ftField, "4006381333931"}, {tdPrint, ftNone, "0000000000000"},
        {tdPrint, ftCounter, "0000000000000"}, {tdLab, ftField, "0000000000000"},
    };
    for (const Row &r : rows) {
        Draw(*b, r.target, r.fill);
        EXPECT_EQ(b->CurrentCode(), r.code) << int(r.target) << " " << int(r.fill);
    }
    // Bound to a counter: its current value for ftCounter and ftFieldCounter, the fixed code
    // for a field fill and on the design surface.
    TKXCounter *c = lab.NewCounter();
    c->Name = "Serial";
    c->FValue = "5012345678900";
    b->SetFieldName("Serial");
    b->SetIsCounterFlag(true);
    const Row counted[] = {
        {tdPrint, ftCounter, "5012345678900"}, {tdPrint, ftFieldCounter, "5012345678900"},
        {tdPreview, ftFieldCounter, "5012345678900"}, {tdPrint, ftField, "0000000000000"},
        {tdPrint, ftNone, "0000000000000"}, {tdLab, ftFieldCounter, "0000000000000"},
    };
    for (const Row &r : counted) {
        Draw(*b, r.target, r.fill);
        EXPECT_EQ(b->CurrentCode(), r.code) << "counter " << int(r.target) << " " << int(r.fill);
    }
    // A counter name that names no counter: the empty code, refused by EAN-13.
    b->SetFieldName("NoSuchCounter");
    b->SetIsCounterFlag(true);
    Draw(*b, tdPrint, ftCounter);
    EXPECT_TRUE(b->CurrentCode().empty());
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Color, clRed);
}

// ---------------------------------------------------------------------------------------
// Record

zt::Bytes SaveElement(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.Bytes();
}

TEST(BarcodeRecord, RoundTripKeepsEveryField)
{
    TKXCustomLab lab;
    auto *b = lab.NewElement<TKXBarCode>();
    b->SetP1(1200, 3400);
    b->SetBarCode("ABC-12");
    b->SetCodeType(TKXBar::CODE93);
    b->SetBarWidth(0.25f);
    b->SetBHeight(8);
    b->SetDistance(0.5f);
    b->SetLeftMargin(2);
    b->SetTopMargin(1);
    b->SetShowNumber(false);
    b->SetChecksum(true);
    b->SetFactor(2.5f);
    b->SetFontName("Courier");
    const zt::Bytes bytes = SaveElement(*b);
    EXPECT_EQ(bytes[0], 3); // type code

    TKXCustomLab other;
    TKXStreamReader r(bytes);
    TKXElement *e = TKXElementFactory::ReadElement(r, other);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(r.AtEnd());
    auto *c = dynamic_cast<TKXBarCode *>(e);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(SaveElement(*c), bytes);
    EXPECT_EQ(c->BarCode(), "ABC-12");
    EXPECT_EQ(c->CodeType(), TKXBar::CODE93);
    EXPECT_EQ(c->FactorInternal(), 250);
    EXPECT_EQ(c->TopMarginInternal(), 100);
    EXPECT_TRUE(c->Checksum());
}

// The barcode's part of a record as an old file stores it (lengths in tenths of a
// millimetre), after records E and D.
zt::Bytes OldBarcode(int32_t Version, uint8_t CodeType)
{
    zt::ComposedElement e;
    e.Code = 3;
    e.ID = "Barcode1";
    e.P1x = 100, e.P1y = 200, e.P2x = 0, e.P2y = 0;
    e.HasData = true;
    e.FontHeight = 30;
    zt::LeBytes b;
    b.Raw(zt::ComposeElement(e, Version, Version < 2000));
    b.Ansi("12345").U8(CodeType).I32(3);
    if (Version >= 18)
        b.I32(120); // 12 mm
    b.I32(1).I32(25).U8(1).I32(40).I32(5);
    return b.B;
}

TEST(BarcodeRecord, OldVersionsScaleTheLengthsAndTakeTheSymbologysRatio)
{
    struct Row {
        int32_t version;
        uint8_t code;
        TKXBar bar;
        int32_t factor;
        int32_t height;
    } rows[] = {
        {19, 3, TKXBar::CODE39, 300, 1200},   {19, 4, TKXBar::EAN128A, 200, 1200},
        {19, 6, TKXBar::EAN128C, 200, 1200},  {19, 20, TKXBar::POSTNET, 100, 1200},
        {19, 17, TKXBar::MATRIX_25, 300, 1200}, {17, 5, TKXBar::EAN128B, 200, 1000},
        {18, 5, TKXBar::EAN128B, 200, 1200}, // the bar height is stored from version 18 on
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.version) + " " + std::to_string(r.code));
        TKXCustomLab lab;
        lab.SetFileVersion(r.version);
        const zt::Bytes bytes = OldBarcode(r.version, r.code);
        TKXStreamReader rd(bytes, {true, false}); // the layout of files before version 2000
        auto *b = dynamic_cast<TKXBarCode *>(TKXElementFactory::ReadElement(rd, lab));
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(rd.AtEnd());
        EXPECT_EQ(b->CodeType(), r.bar);
        EXPECT_EQ(b->FactorInternal(), r.factor);
        EXPECT_EQ(b->BarWidthInternal(), 30);
        EXPECT_EQ(b->BHeightInternal(), r.height);
        EXPECT_EQ(b->DistanceInternal(), 10);
        EXPECT_EQ(b->FontHeightInternal(), 250);
        EXPECT_EQ(b->LeftMarginInternal(), 400);
        EXPECT_EQ(b->TopMarginInternal(), 50);
        EXPECT_EQ(b->P1(), (TPoint{1000, 2000}));
        EXPECT_FALSE(b->Checksum());
        EXPECT_EQ(b->CheckType(), TKXCheckType::csmMod10);
    }
}

// Through a whole label file of version 19: the header's version reaches the record, and the
// loaded label saves and loads again to the same bytes.
TEST(BarcodeRecord, OldLabelFileLoadsAndSavesAgain)
{
    zt::ComposedLabel L;
    L.Version = 19;
    L.Width = 600, L.Height = 350; // tenths of a millimetre
    L.ExtraElementBytes = OldBarcode(19, 6);
    L.ExtraElementCount = 1;
    const zt::Bytes file = zt::ComposeLabel(L);
    TKXCustomLab lab;
    TKXStreamReader r(file);
    lab.LoadLabStream(r, false);
    ASSERT_EQ(lab.ElementCount(), 1);
    auto *b = dynamic_cast<TKXBarCode *>(lab.GetElement(1));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->CodeType(), TKXBar::EAN128C);
    EXPECT_EQ(b->BHeightInternal(), 1200);
    EXPECT_EQ(b->BarCode(), "12345");

    zt::ExpectResavedTheSame(lab);
}

TEST(BarcodeRecord, DamagedRecordsFail)
{
    TKXCustomLab lab;
    auto *b = lab.NewElement<TKXBarCode>();
    zt::Bytes bytes = SaveElement(*b);
    // Every truncation fails cleanly, and an unknown symbology is refused.
    for (size_t n = 1; n < bytes.size(); ++n) {
        TKXCustomLab other;
        TKXStreamReader r(std::span<const uint8_t>(bytes.data(), n));
        EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError) << n;
        EXPECT_EQ(other.ElementCount(), 0);
    }
    TKXStreamWriter w;
    b->SaveToStream(w);
    zt::Bytes bad = w.Bytes();
    // The symbology byte follows the code "88888" at the end of record D.
    const size_t at = bad.size() - (4 * 7 + 3 + 1);
    ASSERT_EQ(bad[at], uint8_t(TKXBar::CODE39));
    bad[at] = 21;
    TKXCustomLab other;
    TKXStreamReader r(bad);
    EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError);
}

} // namespace
