// The PDF417 element: drawn through the real QPainter canvas and read back with zxing-cpp
// at the four angles (orientation asserted), plain and truncated; geometry and placeholder
// through the recording canvas; the setters' clamps, ratio coupling and protocol; the data
// fill and the return to the element's own text; the record.
#include "core/KXCodec1252.h"
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXPdf417.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabelFileComposer.h"
#include "MemoryDataset.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXDrawType;
using enum kx::TKXFillType;

namespace {

// A 160 mm square label at 254 dpi: 10 label units a pixel.
constexpr int ImagePx = 1600;
constexpr int32_t Centre = 8000;

zt::GreyImage Render(TKXCustomLab &lab, TKXDrawType DrawType = tdPrint, TKXFillType Fill = ftNone)
{
    QImage img(ImagePx, ImagePx, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000);
    img.setDotsPerMeterY(10000);
    img.fill(Qt::white);
    {
        TKXQtCanvas canvas(&img);
        lab.DrawElements(canvas, {0, 0}, DrawType, Fill);
    }
    zt::GreyImage g;
    g.width = img.width();
    g.height = img.height();
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.pixels[size_t(y) * g.width + x] = uint8_t(qGray(img.pixel(x, y)));
    return g;
}

zt::Decoded DecodePdf(const zt::GreyImage &img)
{
    zt::DecodeOptions opt;
    opt.formats = "PDF417";
    opt.pure = false;
    opt.tryRotate = true;
    return zt::Decode(img, opt);
}

std::string Rc(const TRect &r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

std::vector<std::string> Bars(const zt::RecordingCanvas &c)
{
    std::vector<std::string> out;
    for (const zt::RecordedCall &call : c.Calls())
        if (call.Text.rfind("FillRect(", 0) == 0 && call.Brush.Color == clBlack)
            out.push_back(call.Text.substr(9, call.Text.size() - 10));
    return out;
}

zt::Bytes SaveElement(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.Bytes();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Symbols read back

TEST(Pdf417Element, DecodesAtEveryAngleAndInTheTruncatedForm)
{
    zt::RequireGuiApp();
    const std::string texts[] = {"PdfCode", "Lot 4711 / best before 2027-03-31",
                                 "123456789012345678901234567890", std::string("Gr\xFC\xDF" "e \xE9t\xE9 \x80 5")};
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(160, 160);
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetP1(Centre, Centre);
    p->SetBarWidth(0.3f); // 3 pixels a module
    p->SetBHeight(0.9f);  // rows of 3 modules
    int n = 0;
    for (const std::string &text : texts) {
        p->SetCode(QString::fromStdU16String(AnsiToWide(text))); // Windows-1252, \x80 is the euro sign
        for (const bool truncated : {false, true}) {
            p->SetTruncated(truncated);
            int upright = 0; // the orientation zxing reports at angle 0
            for (const int angle : {0, 90, 180, 270}) {
                SCOPED_TRACE(text + (truncated ? " truncated " : " ") + std::to_string(angle));
                p->SetAngle(angle);
                const zt::Decoded d = DecodePdf(Render(lab));
                ASSERT_TRUE(d.ok);
                EXPECT_EQ(d.bytes, text);
                // The label's angles turn counter-clockwise; the image's y grows downwards.
                // zxing places a truncated symbol by its start side alone, so its reported
                // orientation is skewed by a fixed amount: there the turn is what counts.
                const int o = ((d.orientation % 360) + 360) % 360;
                if (angle == 0)
                    upright = truncated ? o : 0;
                EXPECT_EQ((o - upright + 360) % 360, (360 - angle) % 360);
                ++n;
            }
        }
    }
    EXPECT_EQ(n, 32);
}

// After a print run with a field-bound element, the design surface shows the symbol of the
// element's own Code again, not the last record's.
TEST(Pdf417Element, DesignSurfaceShowsItsOwnTextAfterADataFill)
{
    zt::RequireGuiApp();
    QObject module;
    auto *items = new MemoryDataset("Items", &module);
    items->AddColumn("CODE", TKXFieldType::ftString, 40);
    items->AddRow({QStringLiteral("RECORD-0001 lot 17")});
    items->Open();
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(160, 160);
    lab.SetDataSet(items);
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetP1(Centre, Centre);
    p->SetBarWidth(0.3f);
    p->SetBHeight(0.9f);
    p->SetData(true);
    p->SetFieldName("CODE");
    zt::Decoded d = DecodePdf(Render(lab, tdPrint, ftField));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "RECORD-0001 lot 17");
    d = DecodePdf(Render(lab, tdLab, ftNone));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "PdfCode");
    EXPECT_EQ(p->Code(), "PdfCode");
    // Output without a fill keeps the element's text too.
    d = DecodePdf(Render(lab, tdPreview, ftNone));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bytes, "PdfCode");
}

// ---------------------------------------------------------------------------------------
// Geometry through the recording canvas

class Pdf417Fixture : public ::testing::Test {
protected:
    TKXCustomLab lab;
    zt::RecordingCanvas canvas{100};
    void Draw(TKXElement &E, TKXDrawType Target = tdPrint, TKXFillType Fill = ftNone)
    {
        canvas.Clear();
        E.Draw(canvas, {0, 0}, Target, Fill);
    }
};

// A new element: "PdfCode" at level 2 in 3 columns by 5 rows; W = 600 + 30 x (51 + 69),
// H = 5 x 60. Truncated takes 34 modules off and ends in one stop bar.
TEST_F(Pdf417Fixture, NewElementAndItsExtent)
{
    zt::FakeDesignerServices ed(lab);
    auto *p = lab.NewElement<TKXPdf417>();
    EXPECT_EQ(p->ID(), "PDF4171");
    EXPECT_EQ(p->Code(), "PdfCode");
    EXPECT_EQ(p->CorrectionLevel(), TKXPdf417CorrectionLevel::Auto);
    EXPECT_EQ(p->SelType(), TKXSelType::stPoint);
    EXPECT_EQ(p->Symbol().ErrorLevel(), 2);
    EXPECT_EQ(p->Symbol().XCount(), 3);
    EXPECT_EQ(p->Symbol().YCount(), 5);
    EXPECT_EQ(p->SymbolWidth(), 4200);
    EXPECT_EQ(p->SymbolHeight(), 300);
    p->SetP1(1000, 2000);
    Draw(*p, tdLab);
    EXPECT_EQ(Rc(p->Frame), "1000,2000,5200,2300");
    EXPECT_EQ(p->P2(), (TPoint{5200, 2300}));
    auto bars = Bars(canvas);
    // Start pattern first: 8 modules from the quiet zone, over the full height.
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(bars[0], "1300,2000,1540,2300");
    // Stop pattern's last bar ends at the quiet zone.
    bool stopEnd = false;
    for (const auto &b : bars)
        stopEnd |= b == "4870,2000,4900,2300";
    EXPECT_TRUE(stopEnd);
    p->SetTruncated(true);
    EXPECT_EQ(p->SymbolWidth(), 4200 - 1020);
    Draw(*p, tdLab);
    bars = Bars(canvas);
    // The single stop bar: module (3 + 2) x 17 = 85, one module wide.
    stopEnd = false;
    for (const auto &b : bars)
        stopEnd |= b == "3850,2000,3880,2300";
    EXPECT_TRUE(stopEnd);
    EXPECT_EQ(Rc(p->Frame), "1000,2000,4180,2300");
    // Turned: the frame turns about the anchor.
    p->SetAngle(90);
    Draw(*p, tdLab);
    EXPECT_EQ(Rc(p->Frame), "1000,-1180,1300,2000");
}

// A grid that cannot hold the data draws the placeholder (2000 wide, one row high) on
// every target, never a cut symbol; on the design surface the element's angle goes to 0.
TEST_F(Pdf417Fixture, PlaceholderForGridsThatCannotHoldTheData)
{
    zt::FakeDesignerServices ed(lab);
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetP1(1000, 2000);
    const struct {
        const char *what;
        std::function<void(TKXPdf417 &)> set;
    } rows[] = {
        {"level 8 in 2 rows of 1 column", [](TKXPdf417 &e) {
             e.SetRowCount(2);
             e.SetColCount(1);
             e.SetCorrectionLevel(TKXPdf417CorrectionLevel::Level8);
         }},
        {"level 2 in 3 rows of 3 columns: 9 - 8 < 6", [](TKXPdf417 &e) {
             e.SetCorrectionLevel(TKXPdf417CorrectionLevel::Level2);
             e.SetRowCount(3);
             e.SetColCount(3);
         }},
        {"30 columns by 90 rows: more than 928 codewords", [](TKXPdf417 &e) {
             e.SetRowCount(90);
             e.SetColCount(30);
         }},
        {"text too long for any symbol", [](TKXPdf417 &e) {
             e.SetRowCount(0);
             e.SetColCount(0);
             e.SetCode(QString(2000, QChar('A')));
         }},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        r.set(*p);
        p->SetAngle(90);
        EXPECT_FALSE(p->HasSymbol());
        Draw(*p, tdPrint);
        EXPECT_TRUE(Bars(canvas).empty());
        EXPECT_EQ(canvas.Last("Rectangle").Text, "Rectangle(1000,2000,3000,2060)");
        EXPECT_EQ(canvas.Last("Rectangle").Pen.Color, clRed);
        EXPECT_EQ(p->Angle(), 90);
        Draw(*p, tdLab);
        EXPECT_EQ(Rc(p->Frame), "1000,2000,3000,2060");
        EXPECT_EQ(p->Angle(), 0);
    }
    // Back to a grid that holds it: the symbol again.
    p->SetCode("PdfCode");
    p->SetRowCount(0);
    p->SetColCount(0);
    EXPECT_TRUE(p->HasSymbol());
    Draw(*p, tdPrint);
    EXPECT_FALSE(Bars(canvas).empty());
}

// An empty text: the placeholder on the design surface, nothing on output.
TEST_F(Pdf417Fixture, EmptyTextPrintsNothing)
{
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetCode("");
    Draw(*p, tdPrint);
    EXPECT_TRUE(canvas.Calls().empty());
    Draw(*p, tdLab);
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Color, clRed);
}

TEST_F(Pdf417Fixture, DesignMarksAndBackground)
{
    zt::FakeDesignerServices ed(lab);
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetP1(1000, 2000);
    p->SetTransparent(false);
    p->SetBackColor(0x00FFFF);
    Draw(*p, tdLab);
    EXPECT_EQ(canvas.Texts("LineTo"), (std::vector<std::string>{"LineTo(1000,2300)", "LineTo(5200,2300)"}));
    EXPECT_EQ(canvas.Last("LineTo").Pen.Style, TKXPenStyle::psDot);
    // The background first, under the bars.
    const auto fills = canvas.Texts("FillRect");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0], "FillRect(1000,2000,5200,2300)");
    p->SetLeftMargin(0);
    Draw(*p, tdLab);
    EXPECT_EQ(canvas.Texts("LineTo"), (std::vector<std::string>{"LineTo(1050,2000)", "LineTo(1000,2050)"}));
    Draw(*p, tdPrint);
    EXPECT_TRUE(canvas.Texts("LineTo").empty());
    p->SetPrint(false);
    Draw(*p, tdPrint);
    EXPECT_TRUE(canvas.Calls().empty());
}

// ---------------------------------------------------------------------------------------
// Setters

class Pdf417Setters : public ::testing::Test {
protected:
    Pdf417Setters() : ed(lab), undo(zt::InstallUndoRecorder(lab)) { p = lab.NewElement<TKXPdf417>(); }

    // "undo entries, notified property, modified flag"
    std::string Run(const std::function<void(TKXPdf417 &)> &Change)
    {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        Change(*p);
        std::string notified = "-";
        for (const std::string &call : ed.Log)
            if (call.rfind("RefreshView(0,", 0) == 0)
                notified = call.substr(14, call.size() - 15);
        return std::to_string(undo.Entries.size()) + " " + notified + " " + (lab.Modified() ? "M" : "-");
    }

    TKXCustomLab lab;
    zt::FakeDesignerServices ed;
    zt::RecordingUndoRecorder &undo;
    TKXPdf417 *p;
};

TEST_F(Pdf417Setters, ProtocolClampsAndRatio)
{
    using L = TKXPdf417CorrectionLevel;
    const struct {
        const char *what;
        std::function<void(TKXPdf417 &)> change;
        const char *effect;
        std::function<bool(const TKXPdf417 &)> check;
    } rows[] = {
        {"level", [](auto &e) { e.SetCorrectionLevel(L::Level4); }, "1 CorrectionLevel M",
         [](auto &e) { return e.Symbol().NumErrorCWords() == 32 && e.Symbol().XCount() * e.Symbol().YCount() >= 38; }},
        {"level unchanged", [](auto &e) { e.SetCorrectionLevel(L::Level4); }, "0 - -", nullptr},
        {"rows above 90", [](auto &e) { e.SetRowCount(100); }, "1 RowCount M",
         [](auto &e) { return e.RowCount() == 90; }},
        {"rows 90 again (clamped)", [](auto &e) { e.SetRowCount(95); }, "0 - -", nullptr},
        {"columns below 0", [](auto &e) {
             e.SetColCount(5);
             e.SetColCount(-3);
         },
         "2 ColCount M", [](auto &e) { return e.ColCount() == 0; }},
        {"columns above 30", [](auto &e) { e.SetColCount(31); }, "1 ColCount M",
         [](auto &e) { return e.ColCount() == 30; }},
        {"bar width below 0.2 mm", [](auto &e) { e.SetBarWidth(0.1f); }, "1 BarWidth M",
         [](auto &e) { return e.BWidth() == 20; }},
        {"bar width 0.29 mm is 29 hundredths", [](auto &e) { e.SetBarWidth(0.29f); }, "1 BarWidth M",
         [](auto &e) { return e.BWidth() == 29; }},
        {"bar width without equality test", [](auto &e) { e.SetBarWidth(0.29f); }, "1 BarWidth M", nullptr},
        {"row height below 0.26 mm", [](auto &e) { e.SetBHeight(0.1f); }, "1 BHeight M",
         [](auto &e) { return e.BHeightInternal() == 26; }},
        {"left margin", [](auto &e) { e.SetLeftMargin(2); }, "1 LeftMargin M", nullptr},
        {"top margin", [](auto &e) { e.SetTopMargin(1); }, "1 TopMargin M", nullptr},
        {"ratio sets the row height", [](auto &e) { e.SetRatio(3); }, "1 Ratio M",
         [](auto &e) { return e.BHeightInternal() == 87; }},
        {"with a ratio the width sets the height", [](auto &e) { e.SetBarWidth(0.4f); }, "1 BarWidth M",
         [](auto &e) { return e.BHeightInternal() == 120; }},
        {"with a ratio the height sets the width", [](auto &e) { e.SetBHeight(1.5f); }, "1 BHeight M",
         [](auto &e) { return e.BWidth() == 50; }},
        {"ratio 0 frees them without a notification", [](auto &e) { e.SetRatio(-1); }, "1 - M",
         [](auto &e) { return e.Ratio() == 0.0f; }},
        {"code", [](auto &e) { e.SetCode("ABC"); }, "1 Code M",
         [](auto &e) { return e.Symbol().UsedCWords() == 3; }},
        {"code unchanged", [](auto &e) { e.SetCode("ABC"); }, "0 - -", nullptr},
        {"truncated", [](auto &e) { e.SetTruncated(true); }, "1 Truncated M", nullptr},
        {"truncated unchanged", [](auto &e) { e.SetTruncated(true); }, "0 - -", nullptr},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Run(r.change), r.effect);
        if (r.check) {
            EXPECT_TRUE(r.check(*p));
        }
    }
    // The coupled length is shown again by the inspector.
    Run([](auto &e) {
        e.SetRatio(2);
        e.SetBarWidth(0.3f);
    });
    EXPECT_TRUE(ed.Has("RefreshProperty(BHeight)"));
    EXPECT_EQ(p->BHeightInternal(), 60);
}

TEST(Pdf417Published, PropertiesInOrder)
{
    TKXCustomLab lab;
    auto *p = lab.NewElement<TKXPdf417>();
    EXPECT_EQ(p->Published().Names().join(' '),
              "X1 Y1 Color Print BackColor Transparent Margin EleAlign FieldName Data ID Angle "
              "CorrectionLevel RowCount ColCount BarWidth BHeight LeftMargin TopMargin Ratio Code Truncated");
    const TKXPropInfo *level = p->Published().Find("CorrectionLevel");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->EnumNames.join(' '), "Level0 Level1 Level2 Level3 Level4 Level5 Level6 Level7 Level8 Auto");
    lab.SetUnits(TKXUnits::unINCH);
    p->Published().Find("BarWidth")->Set(*p, QVariant(0.25f)); // millimetres whatever the units
    EXPECT_EQ(p->BWidth(), 25);
    p->Published().Find("RowCount")->Set(*p, QVariant(12));
    EXPECT_EQ(p->RowCount(), 12);
}

// ---------------------------------------------------------------------------------------
// Record

TEST(Pdf417Record, RoundTripKeepsEveryFieldAndEncodes)
{
    TKXCustomLab lab;
    auto *p = lab.NewElement<TKXPdf417>();
    p->SetP1(1200, 3400);
    p->SetCode("Serial 0049321");
    p->SetCorrectionLevel(TKXPdf417CorrectionLevel::Level5);
    p->SetColCount(6);
    p->SetRowCount(20);
    p->SetBarWidth(0.25f);
    p->SetBHeight(0.8f);
    p->SetLeftMargin(2);
    p->SetTopMargin(1);
    p->SetRatio(3.2f);
    p->SetTruncated(true);
    const zt::Bytes bytes = SaveElement(*p);
    EXPECT_EQ(bytes[0], 13); // type code

    TKXCustomLab other;
    TKXStreamReader r(bytes);
    auto *q = dynamic_cast<TKXPdf417 *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_NE(q, nullptr);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(SaveElement(*q), bytes);
    EXPECT_EQ(q->Code(), "Serial 0049321");
    EXPECT_EQ(q->CorrectionLevel(), TKXPdf417CorrectionLevel::Level5);
    EXPECT_EQ(q->ColCount(), 6);
    EXPECT_EQ(q->RowCount(), 20);
    EXPECT_TRUE(q->Truncated());
    EXPECT_FLOAT_EQ(q->Ratio(), 3.2f);
    // Encoded on loading: the same codewords as the original.
    EXPECT_TRUE(q->HasSymbol());
    EXPECT_EQ(q->Symbol().CodeWords(), p->Symbol().CodeWords());
    EXPECT_EQ(q->Symbol().XCount(), 6);
    EXPECT_EQ(q->Symbol().YCount(), 20);
}

TEST(Pdf417Record, DamagedRecordsFail)
{
    TKXCustomLab lab;
    auto *p = lab.NewElement<TKXPdf417>();
    const zt::Bytes bytes = SaveElement(*p);
    for (size_t n = 1; n < bytes.size(); ++n) {
        TKXCustomLab other;
        TKXStreamReader r(std::span<const uint8_t>(bytes.data(), n));
        EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError) << n;
        EXPECT_EQ(other.ElementCount(), 0);
    }
    // A level beyond Auto: the level byte follows the code "PdfCode" (4-byte length + 7).
    zt::Bytes bad = bytes;
    const size_t levelAt = bytes.size() - (1 + 4 * 5 + 2 + 2 + 1);
    ASSERT_EQ(bad[levelAt], 9);
    bad[levelAt] = 10;
    TKXCustomLab other;
    TKXStreamReader r(bad);
    EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError);
}

// Undo replays the element's record: the text, the grid request and the symbol come back.
TEST(Pdf417Undo, UndoRestoresTextGridAndSymbol)
{
    TKXCustomLab lab;
    lab.SetUnReIni(0);
    auto *p = lab.NewElement<TKXPdf417>();
    lab.SetUnReIni(1);
    const auto before = p->Symbol().CodeWords();
    p->SetCode("Another text 12345");
    p->SetColCount(5);
    lab.UndoRedo(TKXURAction::urUndo);
    lab.UndoRedo(TKXURAction::urUndo);
    auto *q = dynamic_cast<TKXPdf417 *>(lab.GetElement(1));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Code(), "PdfCode");
    EXPECT_EQ(q->ColCount(), 0);
    EXPECT_EQ(q->Symbol().CodeWords(), before);
    lab.UndoRedo(TKXURAction::urRedo);
    q = dynamic_cast<TKXPdf417 *>(lab.GetElement(1));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Code(), "Another text 12345");
    EXPECT_TRUE(q->HasSymbol());
}
