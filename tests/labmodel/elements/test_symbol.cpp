// The symbol element: setters, extent and frame, the print condition, the record, and the
// built-in pictograms' coordinates, turns and colours (recording canvas and real pixels).
#include "GuiApp.h"
#include "LabTestPrint.h"
#include "MemoryDataset.h"
#include "OldRecords.h"
#include "RecordingCanvas.h"

#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "document/KXSetup.h"
#include "elements/KXSymbol.h"
#include "platform/KXQtCanvas.h"
#include "stream/KXStream.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace kx;

namespace {

using D = TKXDrawType;
using Fl = TKXFillType;

struct SymbolFixture : ::testing::Test {
    TKXCustomLab lab;
    TKXSymbol *sym = nullptr;
    void SetUp() override
    {
        lab.SetCheckBounds(false);
        lab.SetUnits(TKXUnits::unMM);
        sym = lab.NewElement<TKXSymbol>();
        sym->SetP1(2000, 3000);
        lab.ClearUndoRedo();
        lab.SetModified(false);
    }
    std::vector<std::string> Drawn(D Target = D::tdPrint, Fl Fill = Fl::ftNone, int32_t Advance = 0)
    {
        zt::RecordingCanvas c(Advance);
        sym->Draw(c, {0, 0}, Target, Fill);
        return c.Texts();
    }
};

// ---------------------------------------------------------------------------------------
// Setters

TEST_F(SymbolFixture, NumberIsClampedAndTestedOnTheValueGiven)
{
    const struct {
        int32_t before, value, stored;
        bool undo;
    } cases[] = {
        {0, 0, 0, false},    // the value already held: nothing happens
        {5, 0, 1, true},     // below 1 gives 1
        {5, -7, 1, true},
        {5, 65, 64, true},   // above 64 gives 64
        {64, 64, 64, false},
        {64, 70, 64, true},  // unequal before the clamp: an undo step, 64 stored again
        {3, 12, 12, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        sym->SetNumber(c.before == 0 ? 1 : c.before);
        if (c.before == 0)
            sym->SetCharacter(u'$'); // back to glyph mode: Number 0
        lab.ClearUndoRedo();
        lab.SetModified(false);
        sym->SetNumber(c.value);
        EXPECT_EQ(sym->Number(), c.stored);
        EXPECT_EQ(lab.UndoCount(), c.undo ? 1 : 0);
        EXPECT_EQ(lab.Modified(), c.undo);
    }
}

TEST_F(SymbolFixture, CharacterAlwaysRecordsAndReturnsToGlyphMode)
{
    sym->SetNumber(17);
    lab.ClearUndoRedo();
    sym->SetCharacter(u'$'); // the character it already holds
    EXPECT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(sym->Number(), 0);
    EXPECT_TRUE(lab.Modified());
    sym->SetCharacter(char16_t(500));
    EXPECT_EQ(sym->StartChar(), 2u);
    EXPECT_EQ(lab.UndoCount(), 2);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(sym->Character(), u'$');
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(sym->Number(), 17);

    // Bold and FillColor do nothing for the value they hold.
    lab.ClearUndoRedo();
    sym->SetBold(false);
    sym->SetFillColor(clBlack);
    EXPECT_EQ(lab.UndoCount(), 0);
    sym->SetFillColor(0x123456);
    EXPECT_EQ(lab.UndoCount(), 1);
}

TEST_F(SymbolFixture, PublishedPropertiesInOrder)
{
    const QStringList tail = sym->Published().Names().mid(10);
    EXPECT_EQ(tail, (QStringList{"ID", "FontHeight", "FontName", "Character", "Bold", "Angle", "ShowBorder",
                                 "BorderColor", "BorderRadio", "PenWidth", "PaddingX", "PaddingY", "FillColor"}));
    const TKXPropInfo *ch = sym->Published().Find("Character");
    ASSERT_TRUE(ch);
    ch->Set(*sym, QString("Ω"));
    EXPECT_EQ(ch->Get(*sym).toString(), QString("Ω"));
}

// ---------------------------------------------------------------------------------------
// Extent, frame and content origin

TEST_F(SymbolFixture, GlyphFramedWithPadding)
{
    // A glyph measured 300 x 400 (one character of advance 300 in a 4 mm font).
    sym->SetFontHeight(4.0f);
    sym->SetShowBorder(true);
    sym->SetPenWidth(0.1f);
    sym->SetPaddingX(1.0f);
    sym->SetPaddingY(0.5f);
    sym->SetTransparent(false);
    zt::RecordingCanvas first(300);
    sym->Draw(first, {0, 0}, D::tdPrint, Fl::ftNone);
    const auto calls = first.Texts();
    EXPECT_EQ(sym->P2(), (TPoint{2520, 3520}));
    EXPECT_EQ(sym->Frame, (TRect{2000, 3000, 2520, 3520}));
    // The frame includes its far corner; the glyph is written inside padding and pen.
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Rectangle(2000,3000,2521,3521)"), calls.end());
    EXPECT_EQ(first.Last("TextOut").Text, "TextOut(2110,3060,\"$\")");

    // Turned a quarter: P2 and the text origin turn about P1, the font turns with them.
    sym->SetAngle(90);
    zt::RecordingCanvas c(300);
    sym->Draw(c, {0, 0}, D::tdPrint, Fl::ftNone);
    EXPECT_EQ(c.Last("TextOut").Text, "TextOut(2060,2890,\"$\")");
    EXPECT_EQ(c.Last("TextOut").Font.Escapement, 900);
    EXPECT_EQ(c.Last("TextOut").BkMode, TKXBkMode::bkOpaque);
    EXPECT_EQ(sym->Frame, (TRect{2000, 2480, 2520, 3000}));
}

// A symbol whose stored scale factors are not 1 (only a file brings them).
struct ScaledSymbol : TKXSymbol {
    using TKXSymbol::TKXSymbol;
    void Scale(float x, float y)
    {
        FTrX = x;
        FTrY = y;
    }
};

TEST_F(SymbolFixture, ScaleFactorsWidenOnlyTheFrame)
{
    auto *s = lab.NewElement<ScaledSymbol>();
    s->SetP1(2000, 3000);
    s->SetNumber(17);
    s->SetFontHeight(10.0f);
    s->Scale(1.5f, 0.25f);
    zt::RecordingCanvas c;
    s->Draw(c, {0, 0}, D::tdPrint, Fl::ftNone);
    EXPECT_EQ(s->Frame, (TRect{2000, 3000, 3500, 3250}));
    // The pictogram keeps its FontHeight square at the content origin.
    EXPECT_EQ(c.Texts("Rectangle").front(), "Rectangle(2000,3000,3000,4000)");
}

TEST_F(SymbolFixture, PictogramAtAQuarterTurnOccupiesTheSquareAboveP1)
{
    sym->SetNumber(17);
    sym->SetFontHeight(10.0f);
    sym->SetAngle(90);
    zt::RecordingCanvas c;
    sym->Draw(c, {0, 0}, D::tdPrint, Fl::ftNone);
    EXPECT_EQ(sym->Frame, (TRect{2000, 2000, 3000, 3000}));
    EXPECT_EQ(c.Texts("Rectangle").front(), "Rectangle(2000,2000,3000,3000)");
}

TEST_F(SymbolFixture, WhereItDraws)
{
    sym->SetPrint(false);
    EXPECT_TRUE(Drawn(D::tdPrint).empty());
    EXPECT_TRUE(Drawn(D::tdOpenDialog).empty());
    EXPECT_FALSE(Drawn(D::tdLab).empty()); // the design surface shows it whatever Print says
}

// ---------------------------------------------------------------------------------------
// The print condition

class SymbolCondition : public SymbolFixture {
protected:
    QObject module;
    MemoryDataset *data = nullptr;
    void SetUp() override
    {
        SymbolFixture::SetUp();
        data = new MemoryDataset("Items", &module);
        data->AddColumn("QTY", TKXFieldType::ftInteger);
        data->AddColumn("BIG", TKXFieldType::ftLargeint);
        data->AddColumn("OK", TKXFieldType::ftBoolean);
        data->AddColumn("RATE", TKXFieldType::ftFloat);
        data->AddColumn("NOTE", TKXFieldType::ftString, 10);
        data->AddColumn("WHEN", TKXFieldType::ftDateTime);
        data->AddRow({1, 1, true, 1.0, "yes", 45000.0});
        data->AddRow({0, 2, false, 0.5, "maybe", QVariant()});
        data->AddRow({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
        data->Open();
        lab.SetDataMod(&module);
        ASSERT_TRUE(lab.FindDataset("items", false, false));
    }
    bool Shows(Fl Fill, D Target = D::tdPrint) { return !Drawn(Target, Fill).empty(); }
};

TEST_F(SymbolCondition, ByFieldTypeRecordAndFill)
{
    const struct {
        const char *field;
        bool rows[3];
    } cases[] = {
        {"QTY", {true, false, false}},  // integers: drawn for 1
        {"BIG", {true, false, false}},
        {"OK", {true, false, false}},   // Booleans: drawn when true
        {"RATE", {true, false, false}}, // floats: drawn for 1
        {"NOTE", {true, false, false}}, // texts: drawn for a yes ("yes", "True", "1" ...)
        {"WHEN", {true, true, true}},   // dates hold no yes or no: always drawn
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        sym->SetData(true);
        sym->SetFieldName(c.field);
        data->First();
        for (bool expected : c.rows) {
            EXPECT_EQ(Shows(Fl::ftField), expected);
            EXPECT_EQ(Shows(Fl::ftFieldCounter, D::tdPreview), expected);
            // Without field data, in a file preview, or on the design surface: always drawn.
            EXPECT_TRUE(Shows(Fl::ftNone));
            EXPECT_TRUE(Shows(Fl::ftCounter));
            EXPECT_TRUE(Shows(Fl::ftField, D::tdOpenDialog));
            EXPECT_TRUE(Shows(Fl::ftField, D::tdLab));
            data->Next();
        }
    }
    // Unbound (Data off) it is always drawn.
    sym->SetFieldName("QTY");
    sym->SetData(false);
    data->First();
    data->Next(); // QTY 0
    EXPECT_TRUE(Shows(Fl::ftField));
}

// ---------------------------------------------------------------------------------------
// The record

TEST_F(SymbolFixture, RecordRoundTripsWithItsNineteenByteTail)
{
    sym->SetFontName("Symbol");
    sym->SetCharacter(u'\u263A');
    sym->SetBold(true);
    sym->SetNumber(41);
    sym->SetFillColor(0x00A0B0);
    TKXStreamWriter base;
    static_cast<const TKXData *>(sym)->TKXData::SaveToStream(base);
    TKXStreamWriter w;
    sym->SaveToStream(w);
    EXPECT_EQ(w.Bytes()[0], Ord(TKXEle::deSymbol));
    EXPECT_EQ(w.Bytes().size(), 1 + base.Bytes().size() + 19);

    TKXCustomLab other;
    other.SetCheckBounds(false);
    TKXStreamReader r(w.Bytes());
    auto *back = dynamic_cast<TKXSymbol *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_TRUE(back);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(back->Character(), u'\u263A');
    EXPECT_TRUE(back->Bold());
    EXPECT_EQ(back->Number(), 41);
    EXPECT_EQ(back->FillColor(), 0x00A0B0u);
    EXPECT_EQ(back->StartChar(), 0x263Au / 240);
    EXPECT_EQ(back->FontName(), "Symbol");
}

TEST(SymbolRecord, OldVersionsTakeTheOldCharacter)
{
    const struct {
        int32_t version;
        char16_t character;
        int32_t number;
        TColor fill;
    } cases[] = {
        {18, u'\u00E9', 0, clBlack},  // only the byte (0xE9 read as a code unit)
        {19, u'\u00E9', 0, clBlack},  // the byte wins over the 16-bit character
        {20, u'\u00E9', 70, clBlack}, // the number as stored, not clamped
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.version);
        TKXStreamWriter w;
        zt::WriteOldBase(w, TKXEle::deSymbol, c.version);
        if (c.version <= 20)
            w.WriteUInt8(0xE9);
        if (c.version >= 19)
            w.WriteUInt16(0x263A);
        w.WriteBool(true);
        if (c.version >= 19) {
            w.WriteUInt32(3);
            w.WriteUInt32(4);
        }
        if (c.version >= 20)
            w.WriteInt32(c.number);
        if (c.version >= 2811)
            w.WriteInt32(0x0000FF);
        TKXCustomLab lab;
        lab.SetCheckBounds(false);
        lab.SetFileVersion(c.version);
        TKXStreamReader r(w.Bytes());
        auto *s = dynamic_cast<TKXSymbol *>(TKXElementFactory::ReadElement(r, lab));
        ASSERT_TRUE(s);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(s->Character(), c.character);
        EXPECT_EQ(s->Number(), c.number);
        EXPECT_EQ(s->FillColor(), c.fill);
        EXPECT_TRUE(s->Bold());
        EXPECT_EQ(s->EndChar(), c.version >= 19 ? 4u : 0u);
    }
    // Before version 2811 the record ends before the fill colour.
    TKXCustomLab lab;
    lab.SetCheckBounds(false);
    auto *sym = lab.NewElement<TKXSymbol>();
    sym->SetNumber(7);
    sym->SetFillColor(0x0000FF);
    TKXStreamWriter w;
    sym->SaveToStream(w);
    TBytesArray bytes = w.TakeBytes();
    bytes.resize(bytes.size() - 4);
    TKXCustomLab old;
    old.SetCheckBounds(false);
    old.SetFileVersion(2810);
    TKXStreamReader r(bytes);
    auto *s = dynamic_cast<TKXSymbol *>(TKXElementFactory::ReadElement(r, old));
    ASSERT_TRUE(s);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(s->Number(), 7);
    EXPECT_EQ(s->FillColor(), clBlack);
}

TEST_F(SymbolFixture, ANumberOutsideTheSetDrawsTheFrameOnly)
{
    TKXStreamWriter w;
    sym->SaveToStream(w);
    TBytesArray bytes = w.TakeBytes();
    // The number field sits 8 bytes from the end: 99 there.
    bytes[bytes.size() - 8] = 99;
    TKXCustomLab other;
    other.SetCheckBounds(false);
    TKXStreamReader r(bytes);
    auto *back = dynamic_cast<TKXSymbol *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Number(), 99);
    back->SetShowBorder(true);
    other.SetUnits(TKXUnits::unMM);
    back->SetPaddingX(1.0f);
    back->SetPenWidth(0.1f);
    zt::RecordingCanvas c;
    back->Draw(c, {0, 0}, D::tdPrint, Fl::ftNone);
    EXPECT_EQ(c.Texts("Rectangle").size(), 1u); // the frame
    EXPECT_EQ(c.Texts("TextOut").size(), 0u);
    EXPECT_EQ(back->Frame.Right - back->Frame.Left, 500 + 200 + 20); // FontHeight, padding, pen
    EXPECT_EQ(back->Frame.Bottom - back->Frame.Top, 500 + 20);
}

// ---------------------------------------------------------------------------------------
// Pictograms on the recording canvas

std::vector<std::string> Pictogram(TKXSymbol &s, int Num, int32_t X, int32_t Y, int32_t W, bool TakeAngle = true,
                                   bool IsLab = true)
{
    zt::RecordingCanvas c;
    s.DrawSymbolNumber(c, X, Y, W, Num, clBlack, clWhite, 0x3A3A3A, TakeAngle, IsLab);
    return c.Texts();
}

bool Has(const std::vector<std::string> &calls, const std::string &call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST_F(SymbolFixture, DesignCoordinatesLandWhereTheyScale)
{
    // At W = 10000 every design coordinate d lands at 100 d: the bar of "this way up".
    EXPECT_TRUE(Has(Pictogram(*sym, 17, 0, 0, 10000), "Polygon(8000,7800 8000,8400 2000,8400 2000,7800)"));
    // At W = 80 (the dialog's cells) offsets are Round(d x 0.8), halves to even.
    const auto small = Pictogram(*sym, 17, 0, 0, 80);
    EXPECT_TRUE(Has(small, "Polygon(64,62 64,67 16,67 16,62)"));
    EXPECT_TRUE(Has(Pictogram(*sym, 50, 0, 0, 80), "Ellipse(34,50,46,62)"));            // 42 -> 34, 62 -> 50
    EXPECT_TRUE(Has(Pictogram(*sym, 33, 0, 0, 80), "Polyline(8,14 18,50 62,50 72,14)")); // 10 -> 8, 22 -> 18
}

TEST_F(SymbolFixture, TheSquareTurnsAboutItsCorner)
{
    const int32_t X = 5000, Y = 5000, W = 2000;
    // Framed square at 0, 90, 180, 270.
    const struct {
        int angle;
        const char *square;
    } frames[] = {
        {0, "Rectangle(5000,5000,7000,7000)"},
        {90, "Rectangle(5000,3000,7000,5000)"},
        {180, "Rectangle(3000,3000,5000,5000)"},
        {270, "Rectangle(3000,5000,5000,7000)"},
    };
    for (const auto &f : frames) {
        sym->SetAngle(f.angle);
        EXPECT_TRUE(Has(Pictogram(*sym, 17, X, Y, W), f.square)) << f.angle;
        // With TakeAngle off the angle is ignored.
        EXPECT_TRUE(Has(Pictogram(*sym, 17, X, Y, W, false), "Rectangle(5000,5000,7000,7000)")) << f.angle;
    }
    // At 180 the hazard diamond passes through the turned edge midpoints.
    sym->SetAngle(180);
    EXPECT_TRUE(Has(Pictogram(*sym, 50, X, Y, W), "Polygon(4000,5000 3000,4000 4000,3000 5000,4000 4000,5000)"));
    // The text of "wash at 30" starts at its turned point with the font turned.
    sym->SetAngle(90);
    zt::RecordingCanvas c;
    sym->DrawSymbolNumber(c, X, Y, W, 41, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_EQ(c.Last("TextOut").Text, "TextOut(5680,4200,\"30\")");
    EXPECT_EQ(c.Last("TextOut").Font.Escapement, 900);
}

TEST_F(SymbolFixture, WashAtThirtyWritesItsTextInBoldArial)
{
    zt::RecordingCanvas c;
    sym->DrawSymbolNumber(c, 1000, 2000, 2000, 41, 0x111111, clWhite, 0x3A3A3A, true, true);
    const auto &t = c.Last("TextOut");
    EXPECT_EQ(t.Text, "TextOut(1800,2680,\"30\")"); // X + 0.4 W, Y + 0.34 W
    EXPECT_EQ(t.Font.Name, "Arial");
    EXPECT_EQ(t.Font.Height, 500);
    EXPECT_TRUE(t.Font.Bold);
    EXPECT_EQ(t.Font.Color, 0x111111u);
    EXPECT_EQ(t.Font.Escapement, 0);
    // The tub in the third colour.
    EXPECT_EQ(c.Last("Polyline").Pen.Color, 0x3A3A3Au);
}

TEST_F(SymbolFixture, TransparencyDropsGroundsButKeepsInnerAreas)
{
    sym->SetTransparent(true);
    zt::RecordingCanvas c;
    sym->DrawSymbolNumber(c, 0, 0, 1000, 21, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_TRUE(c.Texts("Rectangle").empty()); // the plain square is left out
    c.Clear();
    sym->DrawSymbolNumber(c, 0, 0, 1000, 49, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_EQ(c.Calls().front().Brush.Style, TKXBrushStyle::bsClear); // the diamond's fill
    c.Clear();
    sym->DrawSymbolNumber(c, 0, 0, 1000, 10, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_EQ(c.Calls().front().Brush.Style, TKXBrushStyle::bsClear); // the triangle of 10 ...
    EXPECT_EQ(c.Calls().back().Brush.Style, TKXBrushStyle::bsSolid);  // ... but its inner flame stays
    EXPECT_EQ(c.Calls().back().Brush.Color, clWhite);
    c.Clear();
    sym->DrawSymbolNumber(c, 0, 0, 1000, 12, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_EQ(c.Calls().front().Brush.Style, TKXBrushStyle::bsSolid); // the trefoil's triangle always

    sym->SetTransparent(false);
    c.Clear();
    sym->DrawSymbolNumber(c, 0, 0, 1000, 21, clBlack, clWhite, 0x3A3A3A, true, true);
    EXPECT_EQ(c.Texts("Rectangle"), std::vector<std::string>{"Rectangle(0,0,1000,1000)"});
    EXPECT_EQ(c.Last("Rectangle").Pen.Width, 0);
}

TEST_F(SymbolFixture, CutOutsTakeTheLabelBackgroundOnALabel)
{
    lab.BackSurf()->SetColor(0x00FFEE);
    zt::RecordingCanvas onLabel, inDialog;
    sym->DrawSymbolNumber(onLabel, 0, 0, 8000, 3, clBlack, clWhite, 0x3A3A3A, false, true);
    sym->DrawSymbolNumber(inDialog, 0, 0, 8000, 3, clBlack, clWhite, 0x3A3A3A, false, false);
    EXPECT_EQ(onLabel.Last("Rectangle").Brush.Color, 0x00FFEEu);
    EXPECT_EQ(inDialog.Last("Rectangle").Brush.Color, clWhite);
}

TEST_F(SymbolFixture, NumbersOutsideTheSetDrawNothing)
{
    for (int n : {0, -1, 65, 1000})
        EXPECT_TRUE(Pictogram(*sym, n, 0, 0, 1000).empty()) << n;
    // Every pictogram of the set draws something.
    for (int n = 1; n <= 64; ++n)
        EXPECT_FALSE(Pictogram(*sym, n, 0, 0, 1000).empty()) << n;
}

// ---------------------------------------------------------------------------------------
// Pixels through the real canvas

bool Dark(const QImage &img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

TEST(SymbolPixels, PictogramsLandWhereTheMillimetresSay)
{
    zt::RequireGuiApp();
    for (int dpi : {254, 508}) {
        SCOPED_TRACE(dpi);
        const double px = dpi / 2540.0;
        for (int angle : {0, 90}) {
            SCOPED_TRACE(angle);
            TKXCustomLab lab;
            lab.SetCheckBounds(false);
            auto *s = lab.NewElement<TKXSymbol>();
            s->SetP1(1000, angle == 90 ? 5000 : 1000); // a 40 mm square
            lab.SetUnits(TKXUnits::unMM);
            s->SetFontHeight(40.0f);
            s->SetNumber(17);
            s->SetColor(clBlack);
            s->SetBackColor(clWhite);
            s->SetTransparent(false);
            QImage img(int(6000 * px), int(6000 * px), QImage::Format_RGB32);
            img.fill(Qt::white);
            {
                TKXQtCanvas canvas(&img);
                canvas.SetMapping(TKXMapping::ForResolution(dpi, dpi));
                if (angle)
                    s->SetAngle(angle);
                lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
            }
            // "This way up": the bar spans (20, 78)-(80, 84) of the square; the arrows' shafts
            // run from y 33 to 74 at x 60-70 and 30-40.
            auto at = [&](double dx, double dy) {
                // design point -> label units, turned about P1 like the square
                double x = 1000 + dx * 40, y = (angle == 90 ? 5000 : 1000) + dy * 40;
                if (angle == 90) {
                    const double ox = x - 1000, oy = y - 5000;
                    x = 1000 + oy;
                    y = 5000 - ox;
                }
                return std::pair<int, int>{int(x * px), int(y * px)};
            };
            for (auto [dx, dy, dark] : {std::tuple{50.0, 81.0, true}, std::tuple{22.0, 81.0, true},
                                        std::tuple{78.0, 81.0, true}, std::tuple{50.0, 76.0, false},
                                        std::tuple{50.0, 86.0, false}, std::tuple{65.0, 50.0, true},
                                        std::tuple{35.0, 50.0, true}, std::tuple{50.0, 50.0, false},
                                        std::tuple{65.0, 22.0, true}, std::tuple{10.0, 10.0, false}}) {
                auto [x, y] = at(dx, dy);
                EXPECT_EQ(Dark(img, x, y), dark) << dx << "," << dy;
            }
            // The frame: W div 20 wide along the edge of the square.
            auto [ex, ey] = at(0.5, 50);
            EXPECT_TRUE(Dark(img, ex, ey));
        }
    }
}

TEST(SymbolPixels, DotsOfTheIronMarkSitInTheirBoxes)
{
    zt::RequireGuiApp();
    for (int dpi : {254, 508}) {
        SCOPED_TRACE(dpi);
        const double px = dpi / 2540.0;
        TKXCustomLab lab;
        auto *s = lab.NewElement<TKXSymbol>();
        QImage img(int(3000 * px), int(3000 * px), QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            TKXQtCanvas canvas(&img);
            canvas.SetMapping(TKXMapping::ForResolution(dpi, dpi));
            // Pictogram 31 (three dots) in a 25 mm square at 2 mm, 2 mm.
            s->DrawSymbolNumber(canvas, 200, 200, 2500, 31, clBlack, clWhite, 0x3A3A3A, false, true);
        }
        // Dots centred at design (50, 58), (32, 58), (68, 58), 6 units in radius.
        for (double cx : {50.0, 32.0, 68.0}) {
            const int x = int((200 + cx * 25) * px), y = int((200 + 58 * 25) * px);
            EXPECT_TRUE(Dark(img, x, y)) << cx;
        }
        // Between the dots: light.
        EXPECT_FALSE(Dark(img, int((200 + 41 * 25) * px), int((200 + 58 * 25) * px)));
    }
}

} // namespace
