// The paragraph through the recording canvas (100 units a character, so no font is needed):
// wrapping at spaces and line breaks, the twelve formats with justification, the four
// angles, narrowing on a circular label, the shown text by target and fill, the setters,
// the published list and the record; its ink through the real canvas.
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "document/KXSetup.h"
#include "elements/KXParagraph.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabelFileComposer.h"
#include "MemoryDataset.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXDrawType;
using enum kx::TKXFillType;
using TF = kx::TKXTextFormat;

namespace {

std::string Pt(TPoint p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

// A 400-unit font; with no pen the frame is the box less 5 units on every side.
class Paragraph : public ::testing::Test {
protected:
    TKXCustomLab lab;
    zt::RecordingCanvas canvas{100};

    TKXParagraph *Place(TPoint P1, TPoint P2, const QString &Text)
    {
        auto *p = lab.NewElement<TKXParagraph>();
        p->SetP1(P1.x, P1.y);
        p->SetP2(P2.x, P2.y);
        p->SetPenWidth(0);
        p->SetFontHeight(4);
        p->SetText(Text);
        return p;
    }
    // "text@x,y" for every laid-out line.
    static std::vector<std::string> Laid(const TKXParagraph &p)
    {
        std::vector<std::string> out;
        for (const TKxParLine &l : p.Lines())
            out.push_back(l.Line.toStdString() + "@" + Pt(l.Pos));
        return out;
    }
    std::vector<std::string> Layout(TKXParagraph &p, TKXDrawType Target = tdPrint, TKXFillType Fill = ftNone)
    {
        canvas.Clear();
        p.Draw(canvas, {0, 0}, Target, Fill);
        return Laid(p);
    }
    using Lines = std::vector<std::string>;
};

// Box (1000,1000)-(2010,3010): frame 1005 .. 2005 across (ten characters), 1005 .. 3005
// down (five lines of 400).
TEST_F(Paragraph, WrappingAtSpacesAndLineBreaks)
{
    const struct {
        const char *what;
        QString text;
        Lines lines;
    } cases[] = {
        {"wrap at the space", "AAA BBB CCC", {"AAA BBB@1005,1005", "CCC@1005,1405"}},
        {"spaces and line feeds between words", "AAA   \n BBB", {"AAA BBB@1005,1005"}},
        {"a word wider than the frame comes after an empty line", "ABCDEFGHIJKL X",
         {"@1005,1005", "ABCDEFGHIJKL@1005,1405", "X@1005,1805"}},
        {"a long word after a short one gets its own line", "A ABCDEFGHIJKL", {"A@1005,1005", "ABCDEFGHIJKL@1005,1405"}},
        {"two carriage returns leave an empty line", "AA\r\rBB", {"AA@1005,1005", "@1005,1405", "BB@1005,1805"}},
        {"a CR LF pair ends the line once", "AA\r\nBB", {"AA@1005,1005", "BB@1005,1405"}},
        {"a line feed ends the line", "AA\nBB", {"AA@1005,1005", "BB@1005,1405"}},
        {"two CR LF pairs leave an empty line", "AA\r\n\r\nBB", {"AA@1005,1005", "@1005,1405", "BB@1005,1805"}},
        {"a space before the break", "AA \r\nBB", {"AA@1005,1005", "BB@1005,1405"}},
        {"a break after a wrapped word is kept", "AAAAAA BBBBBB\rCC", {"AAAAAA@1005,1005", "BBBBBB@1005,1405", "CC@1005,1805"}},
        {"lines below the frame are dropped", "AAAAAA BBBBBB CCCCCC DDDDDD EEEEEE FFFFFF",
         {"AAAAAA@1005,1005", "BBBBBB@1005,1405", "CCCCCC@1005,1805", "DDDDDD@1005,2205", "EEEEEE@1005,2605"}},
        {"empty text", "", {}},
    };
    for (const auto &c : cases) {
        TKXParagraph *p = Place({1000, 1000}, {2010, 3010}, c.text);
        EXPECT_EQ(Layout(*p), c.lines) << c.what;
        lab.RemoveElement(p, false, false);
    }
    // A 10 mm high frame with a 3 mm font and the default pen holds three lines.
    TKXParagraph *p = Place({1000, 1000}, {3000, 2000}, "AAAAAAAAAAAA BBBBBBBBBBBB CCCCCCCCCCCC DDDDDDDDDDDD");
    p->SetPenWidth(0.1f);
    p->SetFontHeight(3);
    EXPECT_EQ(Layout(*p).size(), 3u);
    EXPECT_EQ(canvas.Texts("TextOut").size(), 3u);
}

// "AAA BBB CCC" in the ten-character frame: "AAA BBB" (700 wide, ended by the wrap) and
// "CCC" (300).
TEST_F(Paragraph, TwelveFormats)
{
    const struct {
        TF format;
        Lines lines;
        int32_t stretch; // of the first line
    } cases[] = {
        {TF::tfLeftTop, {"AAA BBB@1005,1005", "CCC@1005,1405"}, 0},
        {TF::tfRightTop, {"AAA BBB@1305,1005", "CCC@1705,1405"}, 0},
        {TF::tfCenterTop, {"AAA BBB@1155,1005", "CCC@1355,1405"}, 0},
        {TF::tfJustifyTop, {"AAA BBB@1005,1005", "CCC@1005,1405"}, 300},
        {TF::tfLeftCenter, {"AAA BBB@1005,1605", "CCC@1005,2005"}, 0},
        {TF::tfRightCenter, {"AAA BBB@1305,1605", "CCC@1705,2005"}, 0},
        {TF::tfCenterCenter, {"AAA BBB@1155,1605", "CCC@1355,2005"}, 0},
        {TF::tfJustifyCenter, {"AAA BBB@1005,1605", "CCC@1005,2005"}, 300},
        {TF::tfLeftBottom, {"AAA BBB@1005,2205", "CCC@1005,2605"}, 0},
        {TF::tfRightBottom, {"AAA BBB@1305,2205", "CCC@1705,2605"}, 0},
        {TF::tfCenterBottom, {"AAA BBB@1155,2205", "CCC@1355,2605"}, 0},
        {TF::tfJustifyBottom, {"AAA BBB@1005,2205", "CCC@1005,2605"}, 300},
    };
    for (const auto &c : cases) {
        TKXParagraph *p = Place({1000, 1000}, {2010, 3010}, "AAA BBB CCC");
        p->SetAlignment(c.format);
        EXPECT_EQ(Layout(*p), c.lines) << EnumName(c.format);
        ASSERT_EQ(p->Lines().size(), 2u);
        EXPECT_EQ(p->Lines()[0].JustWidth, c.stretch) << EnumName(c.format);
        EXPECT_EQ(p->Lines()[0].Breaks, 1);
        EXPECT_EQ(p->Lines()[1].JustWidth, 0);
        // Justified lines are written with their stretch spread over their spaces.
        const auto &calls = canvas.Calls();
        std::vector<std::string> written;
        for (const auto &call : calls)
            if (call.Text.rfind("TextOut", 0) == 0)
                written.push_back(call.Text + " " + std::to_string(call.BreakExtra) + "/" +
                                  std::to_string(call.BreakCount));
        const bool justified = c.stretch != 0;
        ASSERT_EQ(written.size(), 2u);
        EXPECT_EQ(written[0].substr(written[0].rfind(' ') + 1), justified ? "300/1" : "0/0");
        EXPECT_EQ(written[1].substr(written[1].rfind(' ') + 1), "0/0");
        lab.RemoveElement(p, false, false);
    }
    // Only the lines ended by the wrap are stretched.
    TKXParagraph *p = Place({1000, 1000}, {2010, 3010}, "AAA BBB\rCCC DDD EEE");
    p->SetAlignment(TF::tfJustifyTop);
    EXPECT_EQ(Layout(*p), (Lines{"AAA BBB@1005,1005", "CCC DDD@1005,1405", "EEE@1005,1805"}));
    EXPECT_EQ(p->Lines()[0].JustWidth, 0);
    EXPECT_EQ(p->Lines()[1].JustWidth, 300);
    EXPECT_EQ(p->Lines()[2].JustWidth, 0);
    // Bottom formats put the last shown line on the bottom of the frame even when lines
    // were dropped.
    p->SetText("AAAAAA BBBBBB CCCCCC DDDDDD EEEEEE FFFFFF");
    p->SetAlignment(TF::tfLeftBottom);
    const Lines bottom = Layout(*p);
    ASSERT_EQ(bottom.size(), 5u);
    EXPECT_EQ(bottom.back(), "EEEEEE@1005,2605");
    EXPECT_EQ(bottom.front(), "AAAAAA@1005,1005");
}

// Box (1000,1000)-(3000,2000): 20 mm wide, 10 mm high.
TEST_F(Paragraph, FourAngles)
{
    const struct {
        int32_t angle;
        std::vector<std::string> written;
    } cases[] = {
        {0, {"TextOut(1005,1005,\"AAAAA BBBBB\")"}},
        // Upward from near the bottom-left corner; the frame is 10 mm long: two lines, the
        // second to the right of the first.
        {90, {"TextOut(1005,1995,\"AAAAA\")", "TextOut(1405,1995,\"BBBBB\")"}},
        {180, {"TextOut(2995,1995,\"AAAAA BBBBB\")"}},
        {270, {"TextOut(2995,1005,\"AAAAA\")", "TextOut(2595,1005,\"BBBBB\")"}},
    };
    for (const auto &c : cases) {
        TKXParagraph *p = Place({1000, 1000}, {3000, 2000}, "AAAAA BBBBB");
        p->SetAngle(c.angle);
        canvas.Clear();
        p->Draw(canvas, {0, 0}, tdPrint, ftNone);
        EXPECT_EQ(canvas.Texts("TextOut"), c.written) << c.angle;
        EXPECT_EQ(canvas.Last("TextOut").Font.Escapement, c.angle * 10);
        lab.RemoveElement(p, false, false);
    }
}

// A 60 mm circular label; the paragraph spans it.
class CircularParagraph : public Paragraph {
protected:
    void SetUp() override
    {
        lab.Measure()->SetLabelType(TZantorType::ltCircle);
        lab.Measure()->SetLabelSizeMM(60, 60);
        ASSERT_EQ(lab.Measure()->WidthInternal(), 6000);
    }
    static QString Words(int n)
    {
        QStringList w;
        for (int i = 0; i < n; ++i)
            w << "AA";
        return w.join(' ');
    }
};

TEST_F(CircularParagraph, LinesStayInsideTheCircle)
{
    TKXParagraph *p = Place({0, 0}, {6000, 6000}, Words(400));
    Layout(*p);
    const auto &lines = p->Lines();
    ASSERT_EQ(lines.size(), 14u);
    // Top line at y 5: the half chord is sqrt(3000^2 - 2995^2) = 173.1.
    EXPECT_EQ(Pt(lines[0].Pos), "2827,5");
    EXPECT_EQ(lines[0].Line, "AA");
    EXPECT_EQ(Pt(lines[1].Pos), "1495,405");
    // Near the middle: sqrt(3000^2 - 195^2) = 2993.7 from the centre.
    EXPECT_EQ(lines[7].Pos.x, 6);
    EXPECT_GT(lines[13].Pos.x, lines[7].Pos.x);
    for (const TKxParLine &l : lines) {
        const double dx = l.Pos.x - 3000.0, dy = l.Pos.y - 3000.0;
        EXPECT_LE(dx * dx + dy * dy, 3001.0 * 3001.0) << l.Pos.x << "," << l.Pos.y;
    }
    // Right-aligned lines end on the circle on the other side.
    p->SetAlignment(TF::tfRightTop);
    Layout(*p);
    EXPECT_EQ(Pt(p->Lines()[0].Pos), "2973,5"); // 3173 - 200
}

// Mended: lines wholly outside the circle got the square root of a negative number. They
// get no width now: nothing is drawn on them and the words go on the next line that has
// width.
TEST_F(CircularParagraph, LinesOutsideTheCircleGetNoWidth)
{
    lab.SetCheckBounds(false);
    TKXParagraph *above = Place({0, -2000}, {6000, 800}, "AA BB CC");
    EXPECT_EQ(Layout(*above), Lines{"AA@2827,5"});
    EXPECT_EQ(canvas.Texts("TextOut"), std::vector<std::string>{"TextOut(2827,5,\"AA\")"});

    TKXParagraph *outside = Place({0, -3000}, {6000, -1000}, "AA BB CC");
    EXPECT_TRUE(Layout(*outside).empty());
    EXPECT_TRUE(canvas.Texts("TextOut").empty());

    // Beside the circle: the chord never widens a line beyond its own frame.
    TKXParagraph *beside = Place({-3000, 2000}, {-100, 4000}, "AA BB CC");
    EXPECT_TRUE(Layout(*beside).empty());
    TKXParagraph *below = Place({0, 6100}, {6000, 9000}, "AA BB CC");
    EXPECT_TRUE(Layout(*below).empty());
}

// ---------------------------------------------------------------------------------------
// The shown text

TEST_F(Paragraph, ShownTextByTargetAndFill)
{
    QObject module;
    auto *data = new MemoryDataset("Products", &module);
    data->AddColumn("NAME", TKXFieldType::ftString, 20);
    data->AddColumn("NOTE", TKXFieldType::ftString, 20);
    data->AddRow({"Green tea", QVariant()});
    data->Open();
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    ASSERT_TRUE(lab.FindDataset("products", false, false));

    TKXParagraph *p = Place({1000, 1000}, {3000, 3000}, "Fixed");
    p->SetData(true);
    p->SetFieldName("NAME");
    const QString caption = p->Text();
    ASSERT_FALSE(caption.isEmpty());
    auto shown = [&](TKXDrawType target, TKXFillType fill) {
        canvas.Clear();
        p->Draw(canvas, {0, 0}, target, fill);
        QStringList out;
        for (const TKxParLine &l : p->Lines())
            out << l.Line;
        return out.join(' ');
    };
    EXPECT_EQ(shown(tdPrint, ftField), "Green tea");
    EXPECT_EQ(shown(tdPreview, ftFieldCounter), "Green tea");
    EXPECT_EQ(shown(tdPrint, ftNone), caption);
    EXPECT_EQ(shown(tdPrint, ftCounter), caption);
    EXPECT_EQ(shown(tdLab, ftField), caption);
    p->SetFieldName("NOTE"); // null: nothing printed
    EXPECT_EQ(shown(tdPrint, ftField), "");
    EXPECT_TRUE(canvas.Texts("TextOut").empty());
    p->SetPrint(false);
    canvas.Clear();
    p->Draw(canvas, {0, 0}, tdPrint, ftField);
    EXPECT_TRUE(canvas.Calls().empty());
}

TEST_F(Paragraph, BackgroundBorderAndDesignSurface)
{
    zt::FakeDesignerServices editor(lab);
    TKXParagraph *p = Place({1000, 1000}, {3000, 2000}, "A");
    p->SetTransparent(false);
    p->SetBackColor(0x00FF00);
    p->SetShowBorder(true);
    p->SetBorderColor(0x0000FF);
    p->SetPenWidth(0.5f);
    p->SetAngle(90);
    canvas.Clear();
    p->Draw(canvas, {0, 0}, tdLab, ftNone);
    const std::vector<std::string> figures = {canvas.Calls()[1].Text, canvas.Last("Rectangle").Text};
    EXPECT_EQ(canvas.Last("FillRect").Text, "FillRect(1000,1000,3000,2000)");
    EXPECT_EQ(canvas.Last("FillRect").Brush, (TKXBrush{0x00FF00, TKXBrushStyle::bsSolid}));
    EXPECT_EQ(canvas.Last("Rectangle").Text, "Rectangle(1000,1000,3001,2001)");
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Color, 0x0000FFu);
    EXPECT_TRUE(canvas.Last("Rectangle").Pen.InsideFrame);
    // The frame is shrunk by the pen and 5: 55 units.
    EXPECT_EQ(canvas.Texts("TextOut"), std::vector<std::string>{"TextOut(1055,1945,\"A\")"});
    EXPECT_EQ(canvas.Last("TextOut").Brush.Style, TKXBrushStyle::bsClear);
    EXPECT_EQ(Pt({p->Border().Left, p->Border().Top}), "100,100");
    EXPECT_TRUE(editor.Has("DrawSelectionFrame(0,0,stRect,90,1000 1000 3000 2000,100 100 300 200,0)"));

    // Moving the box on the design surface takes both corners, no snapping, not modified.
    editor.Snap = TKXSnap::snGrid;
    lab.SetModified(false);
    p->SetBorder({123, 45, 234, 156});
    EXPECT_EQ(Pt(p->P1()), "1230,450");
    EXPECT_EQ(Pt(p->P2()), "2340,1560");
    EXPECT_EQ(p->EleAlign(), TKXEleAlign::eaNone);
    EXPECT_FALSE(lab.Modified());
}

// ---------------------------------------------------------------------------------------
// Setters, published properties, record

TEST(ParagraphSetters, AlignmentAndPublishedList)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto &undo = zt::InstallUndoRecorder(lab);
    auto *p = lab.NewElement<TKXParagraph>();
    EXPECT_EQ(p->ID(), "Paragraph1");
    EXPECT_EQ(p->Text(), "-");
    EXPECT_EQ(p->Alignment(), TF::tfLeftTop);
    EXPECT_EQ(p->SelType(), TKXSelType::stRect);
    lab.SetModified(false);
    p->SetAlignment(TF::tfJustifyBottom);
    EXPECT_EQ(undo.Entries.size(), 1u);
    EXPECT_TRUE(ed.Has("RefreshView(0,TextAlign)"));
    EXPECT_TRUE(lab.Modified());
    lab.SetModified(false);
    p->SetAlignment(TF::tfJustifyBottom);
    EXPECT_EQ(undo.Entries.size(), 1u);
    EXPECT_FALSE(lab.Modified());

    EXPECT_EQ(p->Published().Names(),
              (QStringList{"X1", "Y1", "Color", "Print", "BackColor", "Transparent", "Margin", "EleAlign",
                           "FieldName", "Data", "FontHeight", "FontName", "Separation", "Bold", "Underline",
                           "Italic", "ID", "X2", "Y2", "Text", "Angle", "Alignment", "PenWidth", "BorderColor",
                           "ShowBorder"}));
    const TKXPropInfo *align = p->Published().Find("Alignment");
    ASSERT_TRUE(align);
    EXPECT_EQ(align->EnumNames.size(), 12);
    align->Set(*p, 6);
    EXPECT_EQ(p->Alignment(), TF::tfCenterCenter);
}

TEST(ParagraphRecord, RoundTripAndOldVersions)
{
    TKXCustomLab lab;
    auto *p = lab.NewElement<TKXParagraph>();
    p->SetP1(100, 200);
    p->SetP2(2100, 1200);
    p->SetText(QString::fromUtf8("Línea uno\r\nLínea dos"));
    p->SetAlignment(TF::tfCenterBottom);
    p->SetAngle(270);
    p->SetBold(true);
    TKXStreamWriter w;
    p->SaveToStream(w);
    EXPECT_EQ(w.Bytes().front(), 8);
    EXPECT_EQ(w.Bytes().back(), 10); // the format's ordinal
    TKXCustomLab other;
    TKXStreamReader r(w.Bytes());
    auto *back = dynamic_cast<TKXParagraph *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_TRUE(back);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(back->Text(), p->Text());
    EXPECT_EQ(back->Alignment(), TF::tfCenterBottom);
    EXPECT_EQ(back->Angle(), 270);
    EXPECT_EQ(back->P2(), (TPoint{2100, 1200}));
    TKXStreamWriter again;
    back->SaveToStream(again);
    EXPECT_EQ(again.Bytes(), w.Bytes());

    // Records of version 19 (ANSI text before it, tenths of a millimetre) and 2811; the
    // format byte follows at every version.
    for (int32_t version : {18, 19, 2811}) {
        zt::ComposedElement e;
        e.Code = 8;
        e.HasData = e.HasText = e.HasParagraph = true;
        e.Text = u"Two words";
        e.ParagraphFormat = 7;
        e.P1x = 10, e.P1y = 20, e.P2x = 210, e.P2y = 120;
        TKXCustomLab old;
        old.SetCheckBounds(false);
        old.SetFileVersion(version);
        const zt::Bytes bytes = zt::ComposeElement(e, version, false);
        TKXStreamReader rd(bytes, TKXStreamContext{.OldFormat = version < 2000}); // the oldest layout
        auto *q = dynamic_cast<TKXParagraph *>(TKXElementFactory::ReadElement(rd, old));
        ASSERT_TRUE(q) << version;
        EXPECT_TRUE(rd.AtEnd()) << version;
        EXPECT_EQ(q->Text(), "Two words");
        EXPECT_EQ(q->Alignment(), TF::tfJustifyCenter);
        EXPECT_EQ(q->P2().x, version < 20 ? 2100 : 210);
    }
}

// The format byte: the twelve ordinals are the formats; any other byte, 12 the first of
// them, reads as left-top.
TEST(ParagraphRecord, FormatBytesBeyondTheTwelveReadAsLeftTop)
{
    const struct {
        uint8_t byte;
        TF format;
    } cases[] = {{0, TF::tfLeftTop},        {1, TF::tfRightTop},      {11, TF::tfJustifyBottom},
                 {12, TF::tfLeftTop},       {13, TF::tfLeftTop},      {255, TF::tfLeftTop}};
    for (const auto &c : cases) {
        zt::ComposedElement e;
        e.Code = 8;
        e.HasData = e.HasText = e.HasParagraph = true;
        e.Text = u"Two words";
        e.ParagraphFormat = c.byte;
        e.P1x = 10, e.P1y = 20, e.P2x = 210, e.P2y = 120;
        TKXCustomLab lab;
        lab.SetCheckBounds(false);
        const zt::Bytes bytes = zt::ComposeElement(e, 2811, false);
        TKXStreamReader rd(bytes);
        auto *q = dynamic_cast<TKXParagraph *>(TKXElementFactory::ReadElement(rd, lab));
        ASSERT_TRUE(q) << int(c.byte);
        EXPECT_TRUE(rd.AtEnd());
        EXPECT_EQ(q->Alignment(), c.format) << int(c.byte);
    }
}

// ---------------------------------------------------------------------------------------
// Pixels: the ink of a wrapped paragraph lies inside its box, at two resolutions.

TEST(ParagraphPixels, InkInsideTheBoxOnSeveralLines)
{
    zt::RequireGuiApp();
    for (int dpi : {254, 508}) {
        SCOPED_TRACE(dpi);
        TKXCustomLab lab;
        auto *p = lab.NewElement<TKXParagraph>();
        p->SetP1(1000, 500);
        p->SetP2(3000, 3000);
        p->SetFontName("DejaVu Sans");
        p->SetFontHeight(4);
        p->SetText("HHH HHH HHH HHH HHH HHH");
        const double px = dpi / 2540.0;
        QImage img(int(6000 * px), int(3500 * px), QImage::Format_RGB32);
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        img.fill(Qt::white);
        {
            TKXQtCanvas canvas(&img);
            p->Draw(canvas, {0, 0}, tdPrint, ftNone);
        }
        ASSERT_GE(p->Lines().size(), 2u);
        int l = img.width(), t = img.height(), r = -1, b = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    t = std::min(t, y);
                    b = std::max(b, y);
                }
        ASSERT_GE(r, 0);
        EXPECT_GE(l, int(1005 * px));
        EXPECT_LE(r, int(2995 * px));
        EXPECT_GE(t, int(505 * px));
        // The last line's cell bottom.
        const int32_t lastBottom = p->Lines().back().Pos.y + 400;
        EXPECT_LE(b, int(lastBottom * px) + 1);
        EXPECT_GT(b, int((lastBottom - 400) * px)); // ink on the last line
    }
}

} // namespace
