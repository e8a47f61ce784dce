// The Data Matrix and QR Code elements: symbols drawn on a real canvas and read back by
// zxing at the four angles, geometry and quiet-zone marks through the recording canvas, the
// setters (clamps, ratio, refusal of texts that cannot be encoded, characters an encoding
// cannot carry), records, the placeholder of a stored text that cannot be encoded, and data
// fills that never change the element's own text.
#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "document/KXElementFactory.h"
#include "elements/KXMatrixCodes.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabTestPrint.h"
#include "MemoryDataset.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QObject>

#include <functional>
#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXDrawType;
using enum kx::TKXFillType;
using KXQRCode::TQRCodeEncoding;

namespace {

// Draws the label's elements on a grey image at 254 dpi (a 30-unit module is 3 pixels),
// so the only light quiet zone is the element's own background box.
zt::GreyImage Render(TKXCustomLab &Lab, int WidthMM, int HeightMM, TKXDrawType Target = tdPrint,
                     TKXFillType Fill = ftNone, QColor Ground = QColor(150, 150, 150))
{
    zt::RequireGuiApp();
    QImage img(WidthMM * 10, HeightMM * 10, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000);
    img.setDotsPerMeterY(10000);
    img.fill(Ground);
    {
        TKXQtCanvas canvas(&img);
        Lab.DrawElements(canvas, {0, 0}, Target, Fill);
    }
    zt::GreyImage g;
    g.width = img.width();
    g.height = img.height();
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.pixels[size_t(y) * size_t(g.width) + size_t(x)] = uint8_t(qGray(img.pixel(x, y)));
    return g;
}

zt::Decoded Read(const zt::GreyImage &Image, const std::string &Format, bool Pure = false)
{
    zt::DecodeOptions o;
    o.formats = Format;
    o.pure = Pure;
    return zt::Decode(Image, o);
}

// The part of Image (10 pixels to the millimetre) inside Box, in label units.
zt::GreyImage Cut(const zt::GreyImage &Image, const TRect &Box)
{
    zt::GreyImage g;
    const int l = Box.Left / 10, t = Box.Top / 10, r = Box.Right / 10, b = Box.Bottom / 10;
    g.width = r - l;
    g.height = b - t;
    for (int y = t; y < b; ++y)
        g.pixels.insert(g.pixels.end(), Image.pixels.begin() + y * Image.width + l,
                        Image.pixels.begin() + y * Image.width + r);
    return g;
}

// Image turned back clockwise by Angle: what the element turned counter-clockwise about
// its anchor stands upright again (a module at (dx, dy) of the upright symbol was drawn at
// (dy, -dx) from the anchor at 90 degrees, at (-dx, -dy) at 180, at (-dy, dx) at 270).
zt::GreyImage Upright(const zt::GreyImage &Image, int32_t Angle)
{
    const int w = Image.width, h = Image.height;
    zt::GreyImage g;
    g.width = (Angle == 90 || Angle == 270) ? h : w;
    g.height = (Angle == 90 || Angle == 270) ? w : h;
    g.pixels.resize(Image.pixels.size());
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            int sx = x, sy = y;
            switch (Angle) {
            case 90: sx = y; sy = h - 1 - x; break;
            case 180: sx = w - 1 - x; sy = h - 1 - y; break;
            case 270: sx = w - 1 - y; sy = x; break;
            default: break;
            }
            g.pixels[size_t(y) * size_t(g.width) + size_t(x)] = Image.pixels[size_t(sy) * size_t(w) + size_t(sx)];
        }
    return g;
}

// The element's symbol box with its quiet zones, turned about P1.
TRect SymbolBox(const TKXMatrixCode &E)
{
    TRect box;
    AnchorRect(box, E.Angle(), E.P1().x, E.P1().y, E.SymbolWidth(), E.SymbolHeight(), 3);
    return {std::min(box.Left, box.Right), std::min(box.Top, box.Bottom), std::max(box.Left, box.Right),
            std::max(box.Top, box.Bottom)};
}

// The element as placed for decoding: opaque white background, quiet zones of four
// modules on every side.
template <class T>
T *Opaque(TKXCustomLab &Lab, TPoint P1, int32_t Angle)
{
    auto *e = Lab.NewElement<T>();
    e->SetP1(P1.x, P1.y);
    e->SetTransparent(false);
    e->SetBackColor(clWhite);
    e->SetLeftMargin(1.2f);
    e->SetTopMargin(1.2f);
    e->SetAngle(Angle);
    return e;
}

TEST(MatrixCodeDecode, BothKindsReadBackAtTheFourAngles)
{
    struct Case {
        const char *format;
        QString text;
        std::string bytes; // what the symbol must carry
    };
    const std::vector<Case> cases = {
        {"DataMatrix", QStringLiteral("DataMatrixCode"), "DataMatrixCode"},
        // Windows-1252 bytes: the euro sign is 0x80.
        {"DataMatrix", QStringLiteral("Pr\u00e9 \u20ac 0123456789"), "Pr\xe9 \x80 0123456789"},
        {"QRCode", QStringLiteral("QRCode"), "QRCode"},
        {"QRCode", QStringLiteral("HTTPS://ZANTOR.EXAMPLE/12345"), "HTTPS://ZANTOR.EXAMPLE/12345"},
        {"QRCode", QStringLiteral("0123456789012345"), "0123456789012345"},
    };
    for (const Case &c : cases) {
        for (int32_t angle : {0, 90, 180, 270}) {
            SCOPED_TRACE(std::string(c.format) + " " + c.text.toStdString() + " at " + std::to_string(angle));
            TKXCustomLab lab;
            // Turned about P1, so P1 sits in the middle of the picture.
            TKXMatrixCode *e = nullptr;
            if (std::string(c.format) == "DataMatrix") {
                auto *dm = Opaque<TKXDataMatrix>(lab, {3000, 3000}, angle);
                dm->SetCode(c.text);
                e = dm;
            } else {
                auto *qr = Opaque<TKXQRCode>(lab, {3000, 3000}, angle);
                qr->SetCode(c.text);
                e = qr;
            }
            // Only the element's own box: its background makes the quiet zone. zxing finds a
            // QR Code at any quarter turn; its Data Matrix reader wants a clean upright
            // symbol, so that box is turned back by the angle the element was drawn at.
            const zt::GreyImage box = Cut(Render(lab, 60, 60), SymbolBox(*e));
            const bool qr = std::string(c.format) == "QRCode";
            const zt::Decoded d = qr ? Read(box, c.format) : Read(Upright(box, angle), c.format, true);
            ASSERT_TRUE(d.ok);
            EXPECT_EQ(d.format, c.format);
            EXPECT_EQ(d.bytes, c.bytes);
            EXPECT_FALSE(d.mirrored);
        }
    }
}

// Dark modules are painted as few rectangles (runs of a row, grown down while the rows
// below repeat them); the pixels must be exactly those of every dark module given to the
// canvas as a rectangle of its own, at every angle, for square and oblong modules, at
// resolutions where module edges fall anywhere between pixel centres. (Not on a centre:
// there the device's rounding of a rectangle's far edge depends on the rectangle's width,
// merged or not.)
TEST(MatrixCodePixels, MergedRectanglesCoverExactlyTheDarkModules)
{
    zt::RequireGuiApp();
    struct Symbol {
        bool qr;
        QString text;
        float width, height; // module sizes, mm (height for Data Matrix only)
    };
    const Symbol symbols[] = {
        {true, QStringLiteral("HTTPS://ZANTOR.EXAMPLE/12345"), 0.3f, 0},
        {true, QStringLiteral("0123456789012345"), 0.47f, 0},
        {false, QStringLiteral("DataMatrixCode 0123456789"), 0.37f, 0.53f},
    };
    for (const Symbol &s : symbols)
        for (const int dpi : {96, 300, 600})
            for (const int32_t angle : {0, 90, 180, 270}) {
                SCOPED_TRACE(s.text.toStdString() + " at " + std::to_string(dpi) + " dpi, " +
                             std::to_string(angle) + " degrees");
                TKXCustomLab lab;
                TKXMatrixCode *e = nullptr;
                if (s.qr) {
                    auto *qr = lab.NewElement<TKXQRCode>();
                    qr->SetBarWidth(s.width);
                    qr->SetCode(s.text);
                    e = qr;
                } else {
                    auto *dm = lab.NewElement<TKXDataMatrix>();
                    dm->SetRatio(0);
                    dm->SetBarWidth(s.width);
                    dm->SetBHeight(s.height);
                    dm->SetCode(s.text);
                    EXPECT_NE(dm->ModuleWidth(), dm->ModuleHeight());
                    e = dm;
                }
                e->SetP1(2513, 2497);
                e->SetTransparent(true);
                e->SetLeftMargin(0.5f);
                e->SetTopMargin(0.7f);
                e->SetAngle(angle);
                ASSERT_GT(e->Rows(), 9);

                auto image = [&] {
                    QImage img(dpi * 2, dpi * 2, QImage::Format_RGB32); // 50.8 mm square
                    img.setDotsPerMeterX(qRound(dpi / 0.0254));
                    img.setDotsPerMeterY(qRound(dpi / 0.0254));
                    img.fill(Qt::white);
                    return img;
                };
                QImage drawn = image(), modules = image();
                {
                    TKXQtCanvas canvas(&drawn);
                    e->Draw(canvas, {37, -11}, tdPrint, ftNone);
                }
                {
                    TKXQtCanvas canvas(&modules);
                    canvas.SetBrush({clBlack, TKXBrushStyle::bsSolid});
                    const TPoint a{e->P1().x + 37, e->P1().y - 11};
                    const int32_t w = e->ModuleWidth(), h = e->ModuleHeight();
                    std::vector<TRect> dark;
                    for (int r = 0; r < e->Rows(); ++r)
                        for (int c = 0; c < e->Cols(); ++c) {
                            if (!e->Module(c, r))
                                continue;
                            const int32_t x = a.x + e->LeftMarginRaw() + c * w, y = a.y + e->TopMarginRaw() + r * h;
                            TRect m{x, y, x + w, y + h};
                            RotateRect(m, a, angle);
                            NormalizeRect(m);
                            dark.push_back(m);
                        }
                    ASSERT_GT(dark.size(), 30u);
                    canvas.FillRects(dark);
                }
                int differing = 0, black = 0;
                for (int y = 0; y < drawn.height(); ++y)
                    for (int x = 0; x < drawn.width(); ++x) {
                        differing += drawn.pixel(x, y) != modules.pixel(x, y);
                        black += modules.pixel(x, y) == qRgb(0, 0, 0);
                    }
                EXPECT_GT(black, 30);
                EXPECT_EQ(differing, 0);
            }
}

TEST(MatrixCodeDecode, UtfEightOptionsCarryEveryCharacter)
{
    TKXCustomLab lab;
    auto *qr = Opaque<TKXQRCode>(lab, {500, 500}, 0);
    qr->SetEncoding(TQRCodeEncoding::UTF8BOM); // writes no mark
    qr->SetCode(QStringLiteral("\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u65e5\u672c"));
    const zt::Decoded d = Read(Render(lab, 40, 40), "QRCode");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u65e5\u672c");
}

// ---------------------------------------------------------------------------------------
// Geometry on the recording canvas

TEST(MatrixCodeGeometry, NewElementsAndTheirBoxes)
{
    TKXCustomLab lab;
    auto *dm = lab.NewElement<TKXDataMatrix>();
    auto *qr = lab.NewElement<TKXQRCode>();
    EXPECT_EQ(dm->ID(), "DataMatrix1");
    EXPECT_EQ(qr->ID(), "QRCode1");
    // 14 ASCII codewords take the 18 x 18 symbol; QR "QRCode" is version 1.
    EXPECT_EQ(dm->Rows(), 18);
    EXPECT_EQ(dm->Cols(), 18);
    EXPECT_EQ(dm->SymbolWidth(), 1140);
    EXPECT_EQ(dm->SymbolHeight(), 540);
    EXPECT_EQ(qr->Rows(), 21);
    EXPECT_EQ(qr->SymbolWidth(), 1230);
    EXPECT_EQ(qr->SymbolHeight(), 630);
    EXPECT_EQ(qr->GetRect(), (TRect{-1, -1, -1, -1}));

    zt::FakeDesignerServices ed(lab);
    zt::RecordingCanvas canvas;
    qr->SetP1(1000, 1000);
    struct Case {
        int32_t angle;
        TRect frame;
    };
    for (const Case &c : {Case{0, {1000, 1000, 2230, 1630}}, Case{90, {1000, -230, 1630, 1000}},
                          Case{180, {-230, 370, 1000, 1000}}, Case{270, {370, 1000, 1000, 2230}}}) {
        SCOPED_TRACE(c.angle);
        qr->SetAngle(c.angle);
        qr->Draw(canvas, {0, 0}, tdLab, ftField);
        EXPECT_EQ(qr->Frame, c.frame);
        EXPECT_EQ(qr->P2(), (TPoint{2230, 1630}));
    }
}

TEST(MatrixCodeGeometry, ModulesBackgroundAndRotation)
{
    TKXCustomLab lab;
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetP1(1000, 2000);
    qr->SetTransparent(false);
    zt::RecordingCanvas canvas;
    qr->Draw(canvas, {100, 0}, tdPrint, ftNone);
    const auto fills = canvas.Texts("FillRect");
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0], "FillRect(1100,2000,2330,2630)"); // the background box first
    // The top-left finder's first row: one run of seven modules after the 3 mm margin.
    EXPECT_EQ(fills[1], "FillRect(1400,2000,1610,2030)");

    // At 90 degrees the same run lies along the left edge, going up from P1.
    canvas.Clear();
    qr->SetAngle(90);
    qr->Draw(canvas, {0, 0}, tdPrint, ftNone);
    EXPECT_EQ(canvas.Texts("FillRect")[1], "FillRect(1000,1490,1030,1700)");

    // Print off: nothing on the outputs, still on the design surface.
    canvas.Clear();
    qr->SetPrint(false);
    for (TKXDrawType t : {tdPrint, tdPreview, tdOpenDialog})
        qr->Draw(canvas, {0, 0}, t, ftNone);
    EXPECT_TRUE(canvas.Calls().empty());
    qr->Draw(canvas, {0, 0}, tdLab, ftNone);
    EXPECT_FALSE(canvas.Calls().empty());
}

TEST(MatrixCodeGeometry, QuietZoneMarksFollowTheAngle)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *dm = lab.NewElement<TKXDataMatrix>();
    dm->SetP1(1000, 1000); // 1140 x 540, left margin only
    zt::RecordingCanvas canvas;
    auto marks = [&] {
        canvas.Clear();
        dm->Draw(canvas, {0, 0}, tdLab, ftField);
        std::vector<std::string> lines;
        const auto &calls = canvas.Calls();
        for (size_t i = 0; i + 1 < calls.size(); ++i)
            if (calls[i].Text.rfind("MoveTo", 0) == 0 && calls[i + 1].Text.rfind("LineTo", 0) == 0)
                lines.push_back(calls[i].Text + calls[i + 1].Text +
                                (calls[i + 1].Pen.Style == TKXPenStyle::psDot ? " dotted" : " solid"));
        return lines;
    };
    EXPECT_EQ(marks(), (std::vector<std::string>{"MoveTo(1000,1000)LineTo(1000,1540) dotted",
                                                 "MoveTo(2140,1000)LineTo(2140,1540) dotted"}));
    dm->SetAngle(90);
    EXPECT_EQ(marks(), (std::vector<std::string>{"MoveTo(1000,1000)LineTo(1540,1000) dotted",
                                                 "MoveTo(1000,-140)LineTo(1540,-140) dotted"}));
    dm->SetAngle(0);
    dm->SetLeftMargin(0);
    EXPECT_EQ(marks(), (std::vector<std::string>{"MoveTo(950,1000)LineTo(1050,1000) solid",
                                                 "MoveTo(1000,950)LineTo(1000,1050) solid"}));
    ed.ShowMarks = false;
    EXPECT_TRUE(marks().empty());
}

// ---------------------------------------------------------------------------------------
// Setters

class MatrixSetters : public ::testing::Test {
protected:
    MatrixSetters() : undo(zt::InstallUndoRecorder(lab)) { lab.SetUIServices(&ui); }
    // Undo entries and the modified flag of one change.
    std::pair<int, bool> Run(const std::function<void()> &Change)
    {
        lab.SetModified(false);
        undo.Entries.clear();
        Change();
        return {int(undo.Entries.size()), lab.Modified()};
    }
    TKXCustomLab lab;
    zt::FakeUIServices ui;
    zt::RecordingUndoRecorder &undo;
};

TEST_F(MatrixSetters, ModuleSizesClampAndFollowTheRatio)
{
    auto *dm = lab.NewElement<TKXDataMatrix>();
    dm->SetBarWidth(0.1f);
    EXPECT_EQ(dm->ModuleWidth(), 20);
    dm->SetBarWidth(0.29f); // not truncated to 28
    EXPECT_EQ(dm->ModuleWidth(), 29);
    dm->SetBHeight(0.1f);
    EXPECT_EQ(dm->ModuleHeight(), 26);
    dm->SetRatio(2);
    EXPECT_EQ(dm->ModuleHeight(), 58);
    dm->SetBarWidth(0.5f);
    EXPECT_EQ(dm->ModuleHeight(), 100);
    dm->SetBHeight(0.6f);
    EXPECT_EQ(dm->ModuleWidth(), 30);
    dm->SetRatio(0); // both stay
    EXPECT_EQ(dm->Ratio(), 0.0f);
    dm->SetBarWidth(0.4f);
    EXPECT_EQ(dm->ModuleWidth(), 40);
    EXPECT_EQ(dm->ModuleHeight(), 60);

    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetBarWidth(0.1f);
    EXPECT_EQ(qr->ModuleWidth(), 20);
    qr->SetBarWidth(0.5f);
    EXPECT_EQ(qr->ModuleWidth(), 50);
    EXPECT_EQ(qr->ModuleHeight(), 50);
    lab.SetUnits(TKXUnits::unCM);
    qr->SetLeftMargin(0.5f);
    EXPECT_EQ(qr->LeftMarginRaw(), 500);
    EXPECT_FLOAT_EQ(qr->BarWidth(), 0.5f); // millimetres whatever the units
}

TEST_F(MatrixSetters, EqualTextsDoNothingSizesAlwaysRecord)
{
    auto *qr = lab.NewElement<TKXQRCode>();
    auto *dm = lab.NewElement<TKXDataMatrix>();
    EXPECT_EQ(Run([&] { qr->SetCode("QRCode"); }), std::make_pair(0, false));
    EXPECT_EQ(Run([&] { dm->SetCode("DataMatrixCode"); }), std::make_pair(0, false));
    EXPECT_EQ(Run([&] { qr->SetEncoding(TQRCodeEncoding::Automatic); }), std::make_pair(0, false));
    EXPECT_EQ(Run([&] { qr->SetBarWidth(0.3f); }), std::make_pair(1, true));
    EXPECT_EQ(Run([&] { dm->SetBarWidth(0.3f); }), std::make_pair(1, true));
    EXPECT_EQ(Run([&] { qr->SetCode("ABC"); }), std::make_pair(1, true));
    EXPECT_EQ(qr->Rows(), 21);
    EXPECT_EQ(Run([&] { dm->SetCode(QString(200, 'x')); }), std::make_pair(1, true));
    EXPECT_EQ(dm->Rows(), 52); // 200 codewords: 52 x 52 holds 204
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(MatrixSetters, TextsThatCannotBeEncodedAreRefusedWithAMessage)
{
    auto *qr = lab.NewElement<TKXQRCode>();
    auto *dm = lab.NewElement<TKXDataMatrix>();
    const auto qrCells = qr->Rows();
    EXPECT_EQ(Run([&] { qr->SetCode(QString(3000, 'a')); }), std::make_pair(0, false));
    EXPECT_EQ(qr->Code(), "QRCode");
    EXPECT_EQ(qr->Rows(), qrCells);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0], "QR Code \"QRCode1\": the text (3000 characters) does not fit in any QR Code symbol.");

    EXPECT_EQ(Run([&] { dm->SetCode(QString(1600, 'x')); }), std::make_pair(0, false));
    EXPECT_EQ(dm->Code(), "DataMatrixCode");
    ASSERT_EQ(ui.Messages.size(), 2u);
    EXPECT_EQ(ui.Messages[1], "Data Matrix \"DataMatrix1\": the text (1600 bytes) does not fit in any Data Matrix "
                              "symbol (MakeCodeword Error).");

    // 2,900 bytes fit in byte mode, but not once each "\u00e9" takes two UTF-8 bytes.
    ASSERT_NO_FATAL_FAILURE(qr->SetCode(QString(1500, QChar(0xe9))));
    EXPECT_EQ(qr->Code().size(), 1500);
    EXPECT_EQ(Run([&] { qr->SetEncoding(TQRCodeEncoding::UTF8NoBOM); }), std::make_pair(0, false));
    EXPECT_EQ(qr->Encoding(), TQRCodeEncoding::Automatic);
    EXPECT_EQ(ui.Messages.size(), 3u);
}

TEST_F(MatrixSetters, CharactersAnEncodingCannotCarryAreReported)
{
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetTransparent(false);
    qr->SetLeftMargin(1.2f);
    qr->SetTopMargin(1.2f);
    qr->SetP1(500, 500);
    qr->SetEncoding(TQRCodeEncoding::Numeric); // "QRCode" has no digit: an empty symbol
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0],
              "QR Code \"QRCode1\": the characters \"QRCode\" cannot be carried by the Numeric encoding and are "
              "left out of the symbol.");
    EXPECT_EQ(Run([&] { qr->SetCode("12-34 56"); }), std::make_pair(1, true));
    EXPECT_EQ(qr->Code(), "12-34 56"); // the text is kept as typed
    ASSERT_EQ(ui.Messages.size(), 2u);
    EXPECT_NE(ui.Messages[1].indexOf("\"- \""), -1) << ui.Messages[1].toStdString();
    const zt::Decoded d = Read(Render(lab, 20, 20), "QRCode");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "123456");

    auto *dm = lab.NewElement<TKXDataMatrix>();
    dm->SetCode(QStringLiteral("A\u0416B"));
    ASSERT_EQ(ui.Messages.size(), 3u);
    EXPECT_EQ(ui.Messages[2], "Data Matrix \"DataMatrix1\": the characters \"\u0416\" are not in the Windows-1252 "
                              "character set and are encoded as \"?\".");
}

TEST_F(MatrixSetters, PublishedProperties)
{
    auto *qr = lab.NewElement<TKXQRCode>();
    auto *dm = lab.NewElement<TKXDataMatrix>();
    const QStringList base = {"X1", "Y1", "Color", "Print", "BackColor", "Transparent", "Margin",
                              "EleAlign", "FieldName", "Data", "Angle", "ID"};
    EXPECT_EQ(dm->Published().Names(),
              (base + QStringList{"BarWidth", "BHeight", "LeftMargin", "TopMargin", "Ratio", "Code"}));
    EXPECT_EQ(qr->Published().Names(), (base + QStringList{"BarWidth", "LeftMargin", "TopMargin", "Encoding", "Code"}));
    const TKXPropInfo *enc = qr->Published().Find("Encoding");
    ASSERT_NE(enc, nullptr);
    EXPECT_EQ(enc->TypeName, "TQRCodeEncoding");
    EXPECT_EQ(enc->EnumNames.size(), 6);
    enc->Set(*qr, 2);
    EXPECT_EQ(qr->Encoding(), TQRCodeEncoding::Alphanumeric);
    EXPECT_EQ(qr->Code(), "QRCode"); // lower case left out, reported
    EXPECT_EQ(ui.Messages.size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Records

TKXStreamReader ReaderOf(const std::vector<uint8_t> &Bytes)
{
    return TKXStreamReader(std::span<const uint8_t>(Bytes));
}

TEST(MatrixRecords, RoundTripThroughTheFactory)
{
    TKXCustomLab lab;
    auto *dm = lab.NewElement<TKXDataMatrix>();
    dm->SetP1(1200, 700);
    dm->SetCode(QStringLiteral("Caf\u00e9 123"));
    dm->SetBarWidth(0.4f);
    dm->SetRatio(1.5f);
    dm->SetTopMargin(0.5f);
    dm->SetAngle(270);
    dm->SetData(true);
    dm->SetFieldName("CODE");
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetP1(300, 400);
    qr->SetEncoding(TQRCodeEncoding::UTF8NoBOM);
    qr->SetCode(QStringLiteral("\u65e5\u672c 42"));
    qr->SetBarWidth(0.25f);
    qr->SetLeftMargin(1);
    qr->SetColor(0x123456);

    for (TKXMatrixCode *e : std::vector<TKXMatrixCode *>{dm, qr}) {
        TKXStreamWriter w;
        e->SaveToStream(w);
        TKXCustomLab other;
        TKXStreamReader r = ReaderOf(w.Bytes());
        auto *copy = dynamic_cast<TKXMatrixCode *>(TKXElementFactory::ReadElement(r, other));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(r.Remaining(), 0u);
        EXPECT_EQ(copy->ElementType(), e->ElementType());
        TKXStreamWriter again;
        copy->SaveToStream(again);
        EXPECT_EQ(again.Bytes(), w.Bytes());
        EXPECT_TRUE(copy->Encoded());
        ASSERT_EQ(copy->Rows(), e->Rows());
        for (int y = 0; y < e->Rows(); ++y)
            for (int x = 0; x < e->Cols(); ++x)
                ASSERT_EQ(copy->Module(x, y), e->Module(x, y));
    }
    // The Data Matrix text travels as Windows-1252 bytes.
    TKXStreamWriter w;
    dm->SaveToStream(w);
    const std::string bytes(w.Bytes().begin(), w.Bytes().end());
    EXPECT_NE(bytes.find(std::string("\x08\x00\x00\x00" "Caf\xe9 123", 12)), std::string::npos);
}

// The record of E with its text replaced by Text (written as the kind stores it).
std::vector<uint8_t> WithText(const TKXMatrixCode &E, const QString &Own, const QString &Text)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    std::vector<uint8_t> all = w.Bytes();
    TKXStreamWriter own, text;
    if (E.ElementType() == TKXEle::deQRCode) {
        WriteWideStr(Own.toStdU16String(), own);
        WriteWideStr(Text.toStdU16String(), text);
    } else {
        WriteAnsiStr(WideToAnsi(Own.toStdU16String()), own);
        WriteAnsiStr(WideToAnsi(Text.toStdU16String()), text);
    }
    const size_t tail = E.ElementType() == TKXEle::deQRCode ? 21 : 22;
    const size_t at = all.size() - tail - own.Bytes().size();
    std::vector<uint8_t> out(all.begin(), all.begin() + std::ptrdiff_t(at));
    out.insert(out.end(), text.Bytes().begin(), text.Bytes().end());
    out.insert(out.end(), all.end() - std::ptrdiff_t(tail), all.end());
    return out;
}

TEST(MatrixRecords, AStoredTextThatCannotBeEncodedLoadsAndShowsThePlaceholder)
{
    TKXCustomLab lab;
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    auto *qr = lab.NewElement<TKXQRCode>();
    auto *dm = lab.NewElement<TKXDataMatrix>();
    qr->SetP1(1000, 1000);
    dm->SetP1(1000, 1000);
    qr->SetAngle(90);
    const std::vector<std::pair<TKXMatrixCode *, std::vector<uint8_t>>> records = {
        {qr, WithText(*qr, "QRCode", QString(3000, 'a'))},
        {dm, WithText(*dm, "DataMatrixCode", QString(1600, 'x'))},
    };
    for (const auto &[e, record] : records) {
        SCOPED_TRACE(int(e->ElementType()));
        TKXCustomLab other;
        zt::FakeUIServices otherUi;
        other.SetUIServices(&otherUi);
        zt::FakeDesignerServices ed(other);
        TKXStreamReader r = ReaderOf(record);
        TKXMatrixCode *copy = nullptr;
        ASSERT_NO_THROW(copy = dynamic_cast<TKXMatrixCode *>(TKXElementFactory::ReadElement(r, other)));
        ASSERT_NE(copy, nullptr);
        EXPECT_FALSE(copy->Encoded());
        EXPECT_EQ(copy->Rows(), 0);
        // The text is kept: saved again, the record is the same.
        TKXStreamWriter again;
        copy->SaveToStream(again);
        EXPECT_EQ(again.Bytes(), record);

        zt::RecordingCanvas canvas;
        copy->Draw(canvas, {0, 0}, tdLab, ftField);
        const auto &poly = canvas.Last("Polyline");
        EXPECT_EQ(poly.Pen.Color, clRed);
        EXPECT_EQ(poly.Pen.Style, TKXPenStyle::psDot);
        EXPECT_EQ(canvas.Texts("Polyline").size(), 3u);
        const int32_t s = TKXMatrixCode::PlaceholderSize;
        const TRect frame = copy->Angle() == 90 ? TRect{1000, 1000 - s, 1000 + s, 1000}
                                                : TRect{1000, 1000, 1000 + s, 1000 + s};
        EXPECT_EQ(copy->Frame, frame);

        // A new text that fits brings the symbol back.
        if (auto *q = dynamic_cast<TKXQRCode *>(copy))
            q->SetCode("OK");
        else
            dynamic_cast<TKXDataMatrix *>(copy)->SetCode("OK");
        EXPECT_TRUE(copy->Encoded());
        EXPECT_GT(copy->Rows(), 0);
        EXPECT_TRUE(otherUi.Messages.empty());
    }
}

TEST(MatrixRecords, ALabelFileWithAnUnencodableTextLoads)
{
    zt::RequireGuiApp();
    TKXCustomLab lab;
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetCode("Z");
    TKXStreamWriter label;
    lab.SaveToStream(label);
    // The label stream with the QR Code's text replaced.
    TKXStreamWriter own, big;
    WriteWideStr(u"Z", own);
    WriteWideStr(std::u16string(3000, u'a'), big);
    std::vector<uint8_t> bytes = label.Bytes();
    const auto at = std::search(bytes.begin(), bytes.end(), own.Bytes().begin(), own.Bytes().end());
    ASSERT_NE(at, bytes.end());
    const auto pos = at - bytes.begin();
    bytes.erase(bytes.begin() + pos, bytes.begin() + pos + std::ptrdiff_t(own.Bytes().size()));
    bytes.insert(bytes.begin() + pos, big.Bytes().begin(), big.Bytes().end());

    TKXCustomLab loaded;
    TKXStreamReader r = ReaderOf(bytes);
    ASSERT_NO_THROW(loaded.LoadLabStream(r, false));
    ASSERT_EQ(loaded.ElementCount(), 1);
    auto *copy = dynamic_cast<TKXQRCode *>(loaded.GetElement(1));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Code().size(), 3000);
    EXPECT_FALSE(copy->Encoded());
}

TEST(MatrixRecords, UndoOfACodeChangeRestoresTextAndSymbol)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *qr = lab.NewElement<TKXQRCode>();
    lab.SetUnReIni(1);
    qr->SetCode(QString(100, 'Q'));
    EXPECT_GT(qr->Rows(), 21);
    lab.UndoRedo(TKXURAction::urUndo);
    auto *back = dynamic_cast<TKXQRCode *>(lab.GetElement(1));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Code(), "QRCode");
    EXPECT_EQ(back->Rows(), 21);
    EXPECT_TRUE(back->Encoded());
}

// ---------------------------------------------------------------------------------------
// Data fills

class MatrixFill : public ::testing::Test {
protected:
    MatrixFill()
    {
        items = new MemoryDataset("Items", &module);
        items->AddColumn("CODE", TKXFieldType::ftString, 40);
        items->AddRow({"first value"});
        items->AddRow({"SECOND-42"});
        lab.SetDataMod(&module);
        lab.SetLinkData(true);
        lab.SetOpenCloseData(true);
        lab.SetDatasetName("Items");
    }
    QObject module;
    MemoryDataset *items = nullptr;
    TKXCustomLab lab;
};

TEST_F(MatrixFill, ARecordValueIsDrawnButNeverStoredInTheElement)
{
    auto *qr = Opaque<TKXQRCode>(lab, {500, 500}, 0);
    auto *dm = Opaque<TKXDataMatrix>(lab, {500, 2500}, 0);
    for (TKXData *e : std::vector<TKXData *>{qr, dm}) {
        e->SetData(true);
        e->SetFieldName("CODE");
    }
    ASSERT_TRUE(lab.ValidateData(true, true, false));
    TKXStreamWriter before;
    lab.SaveToStream(before);
    lab.SetModified(false);

    items->First();
    items->MoveBy(1);
    const zt::GreyImage img = Render(lab, 40, 50, tdPrint, ftFieldCounter, Qt::white);
    const zt::Decoded q = Read(img, "QRCode"), d = Read(Cut(img, SymbolBox(*dm)), "DataMatrix", true);
    EXPECT_EQ(q.text, "SECOND-42");
    EXPECT_EQ(d.text, "SECOND-42");
    // ftNone keeps the design text.
    EXPECT_EQ(Read(Render(lab, 40, 50, tdPrint, ftNone), "QRCode").text, "QRCode");

    EXPECT_EQ(qr->Code(), "QRCode");
    EXPECT_EQ(dm->Code(), "DataMatrixCode");
    EXPECT_EQ(qr->Rows(), 21);
    EXPECT_FALSE(lab.Modified());
    TKXStreamWriter after;
    lab.SaveToStream(after);
    EXPECT_EQ(after.Bytes(), before.Bytes());
    // The design surface shows the element's own text.
    EXPECT_EQ(Read(Render(lab, 40, 50, tdLab, ftField), "QRCode").text, "QRCode");
}

TEST_F(MatrixFill, CounterValuesOnlyWithACounterFill)
{
    TKXCounter *c = lab.NewCounter();
    c->Name = "Serial";
    c->NumFrom = 7;
    c->SetToValue(0);
    auto *qr = Opaque<TKXQRCode>(lab, {500, 500}, 0);
    qr->SetData(true);
    qr->SetFieldName("Serial");
    ASSERT_TRUE(lab.ValidateData(true, true, false));
    ASSERT_TRUE(qr->IsCounter());
    EXPECT_EQ(Read(Render(lab, 30, 30, tdPrint, ftCounter), "QRCode").text, "7");
    EXPECT_EQ(Read(Render(lab, 30, 30, tdPrint, ftField), "QRCode").text, "QRCode");
}

TEST_F(MatrixFill, ARecordValueThatCannotBeEncodedStopsTheRun)
{
    items->AddRow({QString(30, 'x')});
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetEncoding(TQRCodeEncoding::Numeric);
    qr->SetCode("123");
    qr->SetData(true);
    qr->SetFieldName("CODE");
    ASSERT_TRUE(lab.ValidateData(true, true, false));
    items->First();
    zt::RecordingCanvas canvas;
    try {
        qr->Draw(canvas, {0, 0}, tdPrint, ftField);
        FAIL() << "a value the encoding cannot carry was printed";
    } catch (const EKxError &e) {
        EXPECT_EQ(std::string(e.what()), "QR Code \"QRCode1\": the characters \"first value\" cannot be carried by "
                                         "the Numeric encoding and are left out of the symbol.");
    }
    EXPECT_EQ(qr->Code(), "123");
}

} // namespace
