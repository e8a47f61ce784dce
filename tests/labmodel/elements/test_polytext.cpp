// The compound text through the recording canvas (100 units per character, cell height =
// font height): part positions at the nine anchorings and when turned, check characters in
// text mode, field texts and the print event, barcode mode (joined code, human-readable
// line, the '=' format, placeholder, no parts), the setters and the record of new and old
// files, undo of a part change. Barcode mode is also read back with zxing-cpp.
#include "core/KXCodec1252.h"
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXPolyText.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabelFileComposer.h"
#include "LabTestPrint.h"
#include "MemoryDataset.h"
#include "OldRecords.h"
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

class PolyFixture : public ::testing::Test {
protected:
    PolyFixture() { lab.Measure()->SetLabelSizeMM(100, 100); }
    TKXCustomLab lab;
    zt::RecordingCanvas canvas{100};

    // Three parts of different heights: "AB" 2 mm, "CDE" 4 mm, "F" 3 mm (600 x 400 in all).
    TKXPolyText *Three(TPoint P1)
    {
        auto *t = lab.NewElement<TKXPolyText>();
        t->SetP1(P1.x, P1.y);
        const std::pair<const char *, int> parts[] = {{"AB", 2}, {"CDE", 4}, {"F", 3}};
        for (const auto &[text, mm] : parts) {
            TKXDataPoly *p = t->AddDataElement(false);
            p->SetText(text);
            p->SetFontHeight(float(mm));
        }
        return t;
    }
    std::vector<std::string> Written(TKXElement &E, TKXDrawType Target = tdPrint, TKXFillType Fill = ftNone)
    {
        canvas.Clear();
        E.Draw(canvas, {0, 0}, Target, Fill);
        return canvas.Texts("TextOut");
    }
};

TEST_F(PolyFixture, NewElement)
{
    TKXPolyText *t = TKXPolyText::Insert(lab);
    EXPECT_EQ(t->ID(), "PolyText1");
    ASSERT_EQ(t->DataElementCount(), 1);
    EXPECT_EQ(t->GetElement(0)->Text(), "text1");
    EXPECT_EQ(t->TextAlign(), TTextAlign::taLeTo);
    EXPECT_EQ(t->CodeType(), TKXBar::EAN128C);
    EXPECT_FLOAT_EQ(t->Factor(), 2.0f);
    const TKXDataPoly &p = *t->GetElement(0);
    EXPECT_EQ(p.FontHeightInternal(), 400);
    EXPECT_EQ(p.FontName(), "Arial");
    EXPECT_EQ(p.Color(), clWhite);
    EXPECT_TRUE(p.Transparent());
    EXPECT_TRUE(p.AddPar());
    // The factory makes it without parts: they come from the record.
    auto *bare = static_cast<TKXPolyText *>(TKXElementFactory::Create(TKXEle::dePolyText, lab));
    EXPECT_EQ(bare->DataElementCount(), 0);
    EXPECT_EQ(t->Published().Names().join(' '),
              "X1 Y1 Color Print BackColor Transparent Margin EleAlign ID Angle EditPoly IsBarcode Factor "
              "BarWidth Distance BHeight LeftMargin TopMargin ShowNumber Checksum CodeType TextAlign");
    EXPECT_FALSE(t->Published().Find("EditPoly")->Set);
}

// The nine anchorings with P1 at (5000, 5000): x from P1.x, P1.x - W/2 or P1.x - W; tops on
// the base line (bottom), at P1.y (top), centred per part (left and centre) and, for
// right-centre, all at P1.y - H/2.
TEST_F(PolyFixture, PartPositionsAtTheNineAnchorings)
{
    zt::FakeDesignerServices ed(lab);
    TKXPolyText *t = Three({5000, 5000});
    struct Row {
        TTextAlign align;
        const char *ab, *cde, *f;
        const char *frame;
    } rows[] = {
        {TTextAlign::taLeBo, "5000,4800", "5200,4600", "5500,4700", "5000 4600 5600 5000"},
        {TTextAlign::taCeBo, "4700,4800", "4900,4600", "5200,4700", "4700 4600 5300 5000"},
        {TTextAlign::taRiBo, "4400,4800", "4600,4600", "4900,4700", "4400 4600 5000 5000"},
        {TTextAlign::taLeTo, "5000,5000", "5200,5000", "5500,5000", "5000 5000 5600 5400"},
        {TTextAlign::taCeTo, "4700,5000", "4900,5000", "5200,5000", "4700 5000 5300 5400"},
        {TTextAlign::taRiTo, "4400,5000", "4600,5000", "4900,5000", "4400 5000 5000 5400"},
        {TTextAlign::taLeCe, "5000,4900", "5200,4800", "5500,4850", "5000 4800 5600 5200"},
        {TTextAlign::taCeCe, "4700,4900", "4900,4800", "5200,4850", "4700 4800 5300 5200"},
        {TTextAlign::taRiCe, "4400,4800", "4600,4800", "4900,4800", "4400 4800 5000 5200"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(EnumName(r.align));
        t->SetTextAlign(r.align);
        ed.Reset();
        EXPECT_EQ(Written(*t, tdLab),
                  (std::vector<std::string>{std::string("TextOut(") + r.ab + ",\"AB\")",
                                            std::string("TextOut(") + r.cde + ",\"CDE\")",
                                            std::string("TextOut(") + r.f + ",\"F\")"}));
        EXPECT_EQ(ed.Count(std::string("DrawSelectionFrame(0,0,stPoint,0,") + r.frame + ","), 1);
    }
    // Each part in its own font height.
    Written(*t);
    EXPECT_EQ(canvas.Last("TextOut").Font.Height, 300);
}

TEST_F(PolyFixture, PartsTurnAboutTheAnchor)
{
    TKXPolyText *t = Three({5000, 5000});
    struct Row {
        int angle;
        std::vector<std::string> out;
    } rows[] = {
        {90, {"TextOut(5000,5000,\"AB\")", "TextOut(5000,4800,\"CDE\")", "TextOut(5000,4500,\"F\")"}},
        {180, {"TextOut(5000,5000,\"AB\")", "TextOut(4800,5000,\"CDE\")", "TextOut(4500,5000,\"F\")"}},
        {270, {"TextOut(5000,5000,\"AB\")", "TextOut(5000,5200,\"CDE\")", "TextOut(5000,5500,\"F\")"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.angle);
        t->SetAngle(r.angle);
        EXPECT_EQ(Written(*t), r.out);
        EXPECT_EQ(canvas.Last("TextOut").Font.Escapement, r.angle * 10);
    }
    zt::FakeDesignerServices ed(lab);
    t->SetAngle(90);
    Written(*t, tdLab);
    // The frame 600 x 400 from P1 turned: (5000, 4400) to (5400, 5000).
    EXPECT_EQ(ed.Count("DrawSelectionFrame(0,0,stPoint,90,5000 4400 5400 5000,"), 1);
}

// Check characters in text mode: after the last part, only when the joined text is valid.
TEST_F(PolyFixture, CheckCharactersAfterTheLastPart)
{
    auto *t = lab.NewElement<TKXPolyText>();
    t->AddDataElement(false, {}, {}, "400638");
    t->AddDataElement(false, {}, {}, "133393");
    t->SetCodeType(TKXBar::EAN13);
    EXPECT_EQ(Written(*t), (std::vector<std::string>{"TextOut(-1,-1,\"400638\")", "TextOut(599,-1,\"133393\")"}));
    t->SetChecksum(true);
    EXPECT_EQ(Written(*t), (std::vector<std::string>{"TextOut(-1,-1,\"400638\")", "TextOut(599,-1,\"1333931\")"}));
    t->GetElement(1)->SetText("13339X");
    EXPECT_EQ(Written(*t)[1], "TextOut(599,-1,\"13339X\")");
}

TEST_F(PolyFixture, FieldTextsAndThePrintEvent)
{
    QObject module;
    auto *items = new MemoryDataset("Items", &module);
    items->AddColumn("NAME", TKXFieldType::ftString, 20);
    items->AddColumn("PRICE", TKXFieldType::ftFloat);
    items->AddRow({QStringLiteral("Tea"), 12.5});
    items->Open();
    lab.SetDataSet(items);
    auto *t = lab.NewElement<TKXPolyText>();
    t->SetP1(0, 0);
    TKXDataPoly *name = t->AddDataElement(false, "NAME", {}, "name");
    name->SetDatabase(true);
    t->AddDataElement(false, {}, {}, " ");
    TKXDataPoly *price = t->AddDataElement(false, "PRICE", {}, "price");
    price->SetDatabase(true);
    price->SetFormat("0.00");
    const auto shown = [&](TKXDrawType target, TKXFillType fill) {
        std::string s;
        for (const std::string &w : Written(*t, target, fill))
            s += w.substr(w.find('"'), w.size() - w.find('"') - 1);
        return s;
    };
    EXPECT_EQ(shown(tdLab, ftField), "\"name\"\" \"\"price\"");
    EXPECT_EQ(shown(tdPrint, ftField), "\"Tea\"\" \"\"12.50\"");
    EXPECT_EQ(shown(tdPreview, ftFieldCounter), "\"Tea\"\" \"\"12.50\"");
    EXPECT_EQ(shown(tdPrint, ftNone), "\"name\"\" \"\"price\"");

    // The print event sees each part with the element's ID, on output only.
    std::vector<std::string> seen;
    lab.OnPrintDataPoly = [&](TObject *Sender, const AnsiString &ID, WideString &Text) {
        seen.push_back(ID + ":" + (Sender == price ? "price:" : "") + Utf16ToUtf8(Text));
        Text = u"<" + Text + u">";
    };
    EXPECT_EQ(shown(tdPrint, ftField), "\"<Tea>\"\"< >\"\"<12.50>\"");
    EXPECT_EQ(seen, (std::vector<std::string>{"PolyText1:Tea", "PolyText1: ", "PolyText1:price:12.50"}));
    seen.clear();
    shown(tdLab, ftField);
    EXPECT_TRUE(seen.empty());
    // Not in barcode mode.
    t->SetIsBarcode(true);
    t->SetCodeType(TKXBar::CODE128B);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, tdPrint, ftField);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(t->Code(), "Tea 12.50");
}

// The standard's example: identifiers 01 and 17 joined with their texts after FNC1; the
// human-readable line shows each identifier in parentheses.
TEST_F(PolyFixture, BarcodeModeJoinsIdentifiersAndTexts)
{
    auto *t = lab.NewElement<TKXPolyText>();
    t->SetP1(1000, 1000);
    t->AddDataElement(false, {}, "01", "09501101530003");
    t->AddDataElement(false, {}, "17", "251231");
    t->SetIsBarcode(true);
    const auto texts = Written(*t);
    EXPECT_EQ(t->Code(), "010950110153000317251231");
    EXPECT_EQ(t->DText(), "(01)09501101530003(17)251231");
    ASSERT_EQ(texts.size(), 1u);
    // Start C, FNC1, 12 pairs, check and stop: 11 x 15 + 13 = 178 modules of 30 between two
    // 300 quiet zones; the 28 characters centred: 1000 + 2970 - 1400.
    EXPECT_EQ(texts[0], "TextOut(2570,2000,\"(01)09501101530003(17)251231\")");
    // Drawn twice, the second drawing encodes the same code (it starts empty each time).
    Written(*t);
    EXPECT_EQ(t->Code(), "010950110153000317251231");
    // With Checksum the check digit joins the line.
    t->SetCodeType(TKXBar::CODE128C);
    t->SetChecksum(true);
    Written(*t);
    EXPECT_EQ(t->DText(), "(01)09501101530003(17)2512313");
    EXPECT_EQ(t->Code(), "00109501101530003172512313");
}

// Read back with zxing at the four angles: GS1-128 with the joined digits.
TEST(PolyTextDecode, BarcodeModeReadsAtEveryAngle)
{
    zt::RequireGuiApp();
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(160, 160);
    auto *t = lab.NewElement<TKXPolyText>();
    t->SetP1(8000, 8000);
    t->AddDataElement(false, {}, "01", "09501101530003");
    t->AddDataElement(false, {}, "17", "251231");
    t->SetIsBarcode(true);
    zt::DecodeOptions opt;
    opt.formats = "Code128";
    opt.pure = false;
    opt.tryRotate = true;
    for (const int angle : {0, 90, 180, 270}) {
        SCOPED_TRACE(angle);
        t->SetAngle(angle);
        QImage img(1600, 1600, QImage::Format_Grayscale8);
        img.setDotsPerMeterX(10000);
        img.setDotsPerMeterY(10000);
        img.fill(Qt::white);
        {
            TKXQtCanvas canvas(&img);
            lab.DrawElements(canvas, {0, 0}, tdPrint, ftNone);
        }
        zt::GreyImage g;
        g.width = img.width();
        g.height = img.height();
        for (int y = 0; y < g.height; ++y)
            g.pixels.insert(g.pixels.end(), img.constScanLine(y), img.constScanLine(y) + g.width);
        const zt::Decoded d = zt::Decode(g, opt);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.text, "010950110153000317251231");
        EXPECT_EQ(d.symbologyId, "]C1");
        EXPECT_EQ((d.orientation % 360 + 360) % 360, (360 - angle) % 360);
    }
}

// The '=' format drops the decimal separator from the formatted field value.
TEST_F(PolyFixture, EqualsFormatDropsTheDecimalSeparator)
{
    QObject module;
    auto *items = new MemoryDataset("Items", &module);
    items->AddColumn("WEIGHT", TKXFieldType::ftFloat);
    items->AddRow({12.5});
    items->Open();
    lab.SetDataSet(items);
    auto *t = lab.NewElement<TKXPolyText>();
    TKXDataPoly *w = t->AddDataElement(false, "WEIGHT", "3102", "000000");
    w->SetDatabase(true);
    w->SetFormat("=0000.00");
    t->SetIsBarcode(true);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, tdPrint, ftField);
    EXPECT_EQ(t->Code(), "3102001250");
    EXPECT_EQ(t->DText(), "(3102)001250");
    w->SetFormat("0000.00");
    t->Draw(canvas, {0, 0}, tdPrint, ftField);
    EXPECT_EQ(t->DText(), "(3102)0012.50"); // not digits: the placeholder
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Color, clRed);
}

// A joined code the symbology refuses: the unturned placeholder, the element untouched.
// Without parts nothing is drawn at all.
TEST_F(PolyFixture, PlaceholderAndNoParts)
{
    zt::FakeDesignerServices ed(lab);
    zt::RecordingUndoRecorder &undo = zt::InstallUndoRecorder(lab);
    auto *t = lab.NewElement<TKXPolyText>();
    t->SetP1(1000, 2000);
    t->AddDataElement(false, {}, "10", "LOT7");
    t->SetIsBarcode(true);
    t->SetAngle(270);
    lab.SetModified(false);
    undo.Entries.clear();
    for (const TKXDrawType target : {tdLab, tdPrint}) {
        Written(*t, target);
        const zt::RecordedCall &box = canvas.Last("Rectangle");
        EXPECT_EQ(box.Text, "Rectangle(1000,2000,3000,3000)");
        EXPECT_EQ(box.Pen.Color, clRed);
        EXPECT_EQ(box.Pen.Width, 0);
        EXPECT_EQ(box.Pen.Style, TKXPenStyle::psDot);
    }
    // The selection frame once, then the cross on P1.
    EXPECT_EQ(ed.Count("DrawSelectionFrame(0,0,stPoint,0,1000 2000 3000 3000,"), 1);
    EXPECT_EQ(t->Angle(), 270);
    EXPECT_TRUE(undo.Entries.empty());
    EXPECT_FALSE(lab.Modified());

    t->ClearElements();
    Written(*t, tdPrint);
    EXPECT_TRUE(canvas.Calls().empty());
    EXPECT_TRUE(t->Code().empty());
    Written(*t, tdLab);
    EXPECT_TRUE(canvas.Texts("Rectangle").empty());
    EXPECT_TRUE(canvas.Texts("TextOut").empty());
    // Text mode without parts draws no text either.
    t->SetIsBarcode(false);
    EXPECT_TRUE(Written(*t, tdPrint).empty());
}

// ---------------------------------------------------------------------------------------
// Setters

class PolySetters : public ::testing::Test {
protected:
    PolySetters() : ed(lab), undo(zt::InstallUndoRecorder(lab))
    {
        t = TKXPolyText::Insert(lab);
        part = t->GetElement(0);
    }
    std::string Run(const std::function<void()> &Change)
    {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        Change();
        std::string notified = "-";
        for (const std::string &call : ed.Log)
            if (call.rfind("RefreshView(0,", 0) == 0)
                notified = call.substr(14, call.size() - 15);
        return std::to_string(undo.Entries.size()) + " " + notified + " " + (lab.Modified() ? "M" : "-");
    }
    TKXCustomLab lab;
    zt::FakeDesignerServices ed;
    zt::RecordingUndoRecorder &undo;
    TKXPolyText *t;
    TKXDataPoly *part;
};

TEST_F(PolySetters, PartsRecordTheirElement)
{
    struct Row {
        const char *what;
        std::function<void()> change;
        const char *effect;
    } rows[] = {
        {"Text", [&] { part->SetText("x"); }, "1  M"},
        {"Text unchanged", [&] { part->SetText("x"); }, "0 - -"},
        {"FontName", [&] { part->SetFontName("Courier"); }, "1  M"},
        {"Bold", [&] { part->SetBold(true); }, "1  M"},
        {"FontColor", [&] { part->SetFontColor(0xFF); }, "1  M"},
        {"FontHeight without equality test", [&] { part->SetFontHeight(4); }, "1  M"},
        {"IA in text mode", [&] { part->SetIA("01"); }, "1 - M"},
        {"Database", [&] { part->SetDatabase(true); }, "1 - M"},
        {"AddPar", [&] { part->SetAddPar(false); }, "1 - M"},
        {"FieldName", [&] { part->SetFieldName("CODE"); }, "1 - M"},
        {"BHeight in text mode", [&] { t->SetBHeight(12); }, "1 - M"},
        {"Factor in text mode", [&] { t->SetFactor(2.5f); }, "1 - M"},
        {"IsBarcode", [&] { t->SetIsBarcode(true); }, "1 IsBarcode M"},
        {"IA in barcode mode", [&] { part->SetIA("17"); }, "1  M"},
        {"BHeight in barcode mode", [&] { t->SetBHeight(10); }, "1 BHeight M"},
        {"BarWidth", [&] { t->SetBarWidth(0.4f); }, "1 BarWidth M"},
        {"CodeType", [&] { t->SetCodeType(TKXBar::EAN13); }, "1 CodeType M"},
        {"Remove a part", [&] { t->RemoveDataElement(1); }, "1  M"},
        {"Remove outside the list", [&] { t->RemoveDataElement(1); }, "0 - -"},
        {"TextAlign", [&] { t->SetTextAlign(TTextAlign::taCeCe); }, "1 TextAlign M"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Run(r.change), r.effect);
    }
    // A new symbology asks the inspector to show the ratio it set.
    Run([&] { t->SetCodeType(TKXBar::CODE93); });
    EXPECT_TRUE(ed.Has("RefreshProperty(Factor)"));
}

TEST_F(PolySetters, ElementSettersCarryOverToTheParts)
{
    t->AddDataElement(false, {}, {}, "two");
    t->SetColor(0x0000FF);
    t->SetBackColor(0x00FF00);
    t->SetTransparent(false);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(t->GetElement(i)->FontColor(), 0x0000FFu);
        EXPECT_EQ(t->GetElement(i)->Color(), 0x00FF00u);
        EXPECT_FALSE(t->GetElement(i)->Transparent());
    }
    EXPECT_EQ(Run([&] { t->SetColor(0x0000FF); }), "0 - -");
    EXPECT_EQ(Run([&] { t->SetTransparent(false); }), "0 - -");
    // A part that differs brings the element's setting back to every part.
    t->GetElement(1)->SetTransparent(true);
    EXPECT_EQ(Run([&] { t->SetTransparent(false); }), "1 Transparent M");
    EXPECT_FALSE(t->GetElement(1)->Transparent());
    EXPECT_EQ(Run([&] { t->ExchangeDataElement(1, 2); }), "1  M");
    EXPECT_EQ(t->GetElement(0)->Text(), "two");
}

// Undo of a part change puts the parts back as they were, not appended to the current ones.
TEST(PolyUndo, PartChangeUndoesInPlace)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    TKXPolyText *t = TKXPolyText::Insert(lab);
    t->AddDataElement(false, {}, "10", "B");
    lab.SetUnReIni(1);
    t->GetElement(1)->SetText("changed");
    lab.SetUnReIni(1);
    t->RemoveDataElement(1);
    ASSERT_EQ(lab.UndoCount(), 2);
    lab.UndoRedo(TKXURAction::urUndo);
    auto *back = static_cast<TKXPolyText *>(lab.GetElement(1));
    ASSERT_EQ(back->DataElementCount(), 2);
    EXPECT_EQ(back->GetElement(0)->Text(), "text1");
    lab.UndoRedo(TKXURAction::urUndo);
    back = static_cast<TKXPolyText *>(lab.GetElement(1));
    ASSERT_EQ(back->DataElementCount(), 2);
    EXPECT_EQ(back->GetElement(1)->Text(), "B");
    EXPECT_EQ(back->GetElement(1)->IA(), "10");
}

// ---------------------------------------------------------------------------------------
// Record

zt::Bytes SaveElement(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.Bytes();
}

TEST(PolyRecord, RoundTripKeepsEveryPart)
{
    TKXCustomLab lab;
    TKXPolyText *t = TKXPolyText::Insert(lab);
    TKXDataPoly *p = t->AddDataElement(false, "PRICE", "3102", u"Gr\u00FC\u00DFe \u20AC"_qs);
    p->SetDatabase(true);
    p->SetFormat("=0.00");
    p->SetBold(true);
    p->SetFontHeight(3.5f);
    t->SetIsBarcode(true);
    t->SetTextAlign(TTextAlign::taRiCe);
    t->SetCodeType(TKXBar::CODE128B);
    t->SetChecksum(true);
    t->SetBHeight(15);
    const zt::Bytes bytes = SaveElement(*t);
    EXPECT_EQ(bytes[0], 11);
    TKXCustomLab other;
    TKXStreamReader r(bytes);
    auto *c = dynamic_cast<TKXPolyText *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(SaveElement(*c), bytes);
    ASSERT_EQ(c->DataElementCount(), 2);
    EXPECT_EQ(c->GetElement(1)->Text(), u"Gr\u00FC\u00DFe \u20AC"_qs);
    EXPECT_EQ(c->GetElement(1)->Format(), "=0.00");
    EXPECT_EQ(c->GetElement(1)->IA(), "3102");
    EXPECT_EQ(c->GetElement(1)->FontHeightInternal(), 350);
    EXPECT_EQ(c->TextAlign(), TTextAlign::taRiCe);
    EXPECT_TRUE(c->IsBarcode());
}

// A compound text as an old file stores it: before version 20 lengths in tenths and no
// checksum, ratio or check type; before version 19 the part texts are ANSI.
zt::Bytes OldPoly(int32_t Version, uint8_t Align, uint8_t CodeType)
{
    zt::ComposedElement e;
    e.Code = 11;
    e.ID = "PolyText1";
    zt::LeBytes b;
    b.Raw(zt::ComposeElement(e, Version, Version < 2000));
    b.U8(Align).U8(1).U8(CodeType).I32(3).I32(120).I32(1).U8(1).I32(40).I32(5);
    if (Version >= 20)
        b.U8(1).I32(250).U8(0); // checksum, ratio, check type
    b.I32(2);
    for (const char *text : {"Caf\xE9", "17"}) {
        b.I32(0xFFFFFF).U8(1).U8(0).U8(0).U8(1).U8(1).U8(0).I32(25).I32(0xFF);
        if (Version >= 19)
            b.Wide(AnsiToWide(text), true); // files before version 2000 have no byte lengths
        else
            b.Ansi(text);
        b.Ansi("Arial").Ansi("").Ansi("").Ansi("10");
    }
    return b.B;
}

TEST(PolyRecord, OldVersions)
{
    struct Row {
        int32_t version;
        uint8_t align;
        uint8_t code;
        TTextAlign wantAlign;
        TKXBar wantBar;
        int32_t factor;
    } rows[] = {
        {19, 7, 6, TTextAlign::taLeTo, TKXBar::EAN128C, 200}, {19, 5, 3, TTextAlign::taRiTo, TKXBar::CODE39, 300},
        {18, 8, 20, TTextAlign::taLeTo, TKXBar::POSTNET, 100}, {19, 2, 4, TTextAlign::taRiBo, TKXBar::EAN128A, 200},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.version);
        TKXCustomLab lab;
        lab.SetFileVersion(r.version);
        const zt::Bytes bytes = OldPoly(r.version, r.align, r.code);
        TKXStreamReader rd(bytes, {true, false}); // the layout of files before version 2000
        auto *t = dynamic_cast<TKXPolyText *>(TKXElementFactory::ReadElement(rd, lab));
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(rd.AtEnd());
        EXPECT_EQ(t->TextAlign(), r.wantAlign);
        EXPECT_EQ(t->CodeType(), r.wantBar);
        EXPECT_EQ(t->FactorInternal(), r.factor);
        EXPECT_EQ(t->BarWidthInternal(), 30);
        EXPECT_EQ(t->BHeightInternal(), 1200);
        EXPECT_EQ(t->DistanceInternal(), 10);
        EXPECT_EQ(t->LeftMarginInternal(), 400);
        EXPECT_EQ(t->TopMarginInternal(), 50);
        ASSERT_EQ(t->DataElementCount(), 2);
        EXPECT_EQ(t->GetElement(0)->Text(), u"Caf\u00E9"_qs);
        EXPECT_EQ(t->GetElement(0)->FontHeightInternal(), 250);
        EXPECT_EQ(t->GetElement(1)->IA(), "10");
    }
    // Version 20 keeps the nine anchorings, stores hundredths and its own ratio.
    TKXCustomLab lab;
    lab.SetFileVersion(20);
    const zt::Bytes bytes = OldPoly(20, 7, 11); // no remapping of the symbology any more
    TKXStreamReader rd(bytes, {true, false});
    auto *t = dynamic_cast<TKXPolyText *>(TKXElementFactory::ReadElement(rd, lab));
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(rd.AtEnd());
    EXPECT_EQ(t->TextAlign(), TTextAlign::taCeCe);
    EXPECT_EQ(t->CodeType(), TKXBar::EAN128C);
    EXPECT_EQ(t->FactorInternal(), 250);
    EXPECT_TRUE(t->Checksum());
    EXPECT_EQ(t->BHeightInternal(), 120);
    EXPECT_EQ(t->GetElement(0)->FontHeightInternal(), 25);
}

// Through a whole label file of version 19, saved and loaded again to the same bytes.
TEST(PolyRecord, OldLabelFileLoadsAndSavesAgain)
{
    zt::ComposedLabel L;
    L.Version = 19;
    L.Width = 600, L.Height = 350; // tenths of a millimetre
    L.ExtraElementBytes = OldPoly(19, 1, 6);
    L.ExtraElementCount = 1;
    const zt::Bytes file = zt::ComposeLabel(L);
    TKXCustomLab lab;
    TKXStreamReader r(file);
    lab.LoadLabStream(r, false);
    ASSERT_EQ(lab.ElementCount(), 1);
    auto *t = dynamic_cast<TKXPolyText *>(lab.GetElement(1));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->TextAlign(), TTextAlign::taCeBo);
    ASSERT_EQ(t->DataElementCount(), 2);
    EXPECT_EQ(t->GetElement(1)->Text(), "17");

    zt::ExpectResavedTheSame(lab);
}

TEST(PolyRecord, DamagedRecordsFail)
{
    TKXCustomLab lab;
    TKXPolyText *t = TKXPolyText::Insert(lab);
    t->AddDataElement(false, {}, "01", "2");
    const zt::Bytes bytes = SaveElement(*t);
    for (size_t n = 1; n < bytes.size(); ++n) {
        TKXCustomLab other;
        TKXStreamReader r(std::span<const uint8_t>(bytes.data(), n));
        EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError) << n;
        EXPECT_EQ(other.ElementCount(), 0);
    }
    // An absurd part count is refused before any part is made.
    zt::Bytes bad = SaveElement(*lab.NewElement<TKXPolyText>());
    const size_t countAt = bad.size() - 4;
    ASSERT_EQ(bad[countAt], 0); // no parts
    bad[countAt + 3] = 0x7F;
    TKXCustomLab other;
    TKXStreamReader r(bad);
    EXPECT_THROW(TKXElementFactory::ReadElement(r, other), EKxStreamError);
}

} // namespace
