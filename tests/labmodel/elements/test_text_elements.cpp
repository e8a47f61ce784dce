// Single-line text elements drawn through the recording canvas (a fixed advance per
// character, so no font is needed): anchoring at the four angles, the shown text by target
// and fill type, border, shadow and design-width clip, the setters, the published
// properties and record T.
#include "core/KXCodec1252.h"
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "MemoryDataset.h"
#include "OldRecords.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <memory>
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

// Each character advances 100 units; a 400-unit font makes "ABCDEFGHIJKL" a 1200 x 400 box.
class TextFixture : public ::testing::Test {
protected:
    TKXCustomLab lab;
    zt::RecordingCanvas canvas{100};

    template <class T>
    T *Place(TPoint P1, const QString &Text = QStringLiteral("ABCDEFGHIJKL"))
    {
        auto *t = lab.NewElement<T>();
        t->SetP1(P1.x, P1.y);
        t->SetFontHeight(4); // millimetres: 400 units
        t->SetText(Text);
        return t;
    }

    // The texts written on the target, in order.
    std::vector<std::string> Written(TKXElement &E, TKXDrawType Target, TKXFillType Fill = ftNone)
    {
        canvas.Clear();
        E.Draw(canvas, {0, 0}, Target, Fill);
        return canvas.Texts("TextOut");
    }
};

// ---------------------------------------------------------------------------------------
// Anchoring

// P1 = (5000, 3000), box 1200 x 400. Each entry: the text origin (the turned top-left of
// the box), then the frame the box covers. Angle 0 is the anchoring table itself; the other
// columns turn that box about P1 counter-clockwise, (dx, dy) -> (dy, -dx) at 90.
TEST_F(TextFixture, NineAnchoringsAtFourAngles)
{
    const struct {
        TTextAlign align;
        const char *at[4]; // angles 0, 90, 180, 270
    } cases[] = {
        {TTextAlign::taLeBo, {"5000,2600 5000,2600,6200,3000", "4600,3000 4600,1800,5000,3000", "5000,3400 3800,3000,5000,3400", "5400,3000 5000,3000,5400,4200"}},
        {TTextAlign::taCeBo, {"4400,2600 4400,2600,5600,3000", "4600,3600 4600,2400,5000,3600", "5600,3400 4400,3000,5600,3400", "5400,2400 5000,2400,5400,3600"}},
        {TTextAlign::taRiBo, {"3800,2600 3800,2600,5000,3000", "4600,4200 4600,3000,5000,4200", "6200,3400 5000,3000,6200,3400", "5400,1800 5000,1800,5400,3000"}},
        {TTextAlign::taLeTo, {"5000,3000 5000,3000,6200,3400", "5000,3000 5000,1800,5400,3000", "5000,3000 3800,2600,5000,3000", "5000,3000 4600,3000,5000,4200"}},
        {TTextAlign::taCeTo, {"4400,3000 4400,3000,5600,3400", "5000,3600 5000,2400,5400,3600", "5600,3000 4400,2600,5600,3000", "5000,2400 4600,2400,5000,3600"}},
        {TTextAlign::taRiTo, {"3800,3000 3800,3000,5000,3400", "5000,4200 5000,3000,5400,4200", "6200,3000 5000,2600,6200,3000", "5000,1800 4600,1800,5000,3000"}},
        {TTextAlign::taLeCe, {"5000,2800 5000,2800,6200,3200", "4800,3000 4800,1800,5200,3000", "5000,3200 3800,2800,5000,3200", "5200,3000 4800,3000,5200,4200"}},
        {TTextAlign::taCeCe, {"4400,2800 4400,2800,5600,3200", "4800,3600 4800,2400,5200,3600", "5600,3200 4400,2800,5600,3200", "5200,2400 4800,2400,5200,3600"}},
        {TTextAlign::taRiCe, {"3800,2800 3800,2800,5000,3200", "4800,4200 4800,3000,5200,4200", "6200,3200 5000,2800,6200,3200", "5200,1800 4800,1800,5200,3000"}},
    };
    for (const auto &c : cases) {
        for (int i = 0; i < 4; ++i) {
            const int32_t angle = 90 * i;
            auto *t = Place<TKXText>({5000, 3000});
            t->SetTextAlign(c.align);
            t->SetAngle(angle);
            t->Draw(canvas, {0, 0}, tdLab, ftNone);
            const zt::RecordedCall &out = canvas.Last("TextOut");
            const std::string got = out.Text.substr(8, out.Text.find(",\"") - 8) + " " + Rc(t->Frame);
            EXPECT_EQ(got, c.at[i]) << EnumName(c.align) << " at " << angle;
            EXPECT_EQ(out.Font.Escapement, angle * 10);
            EXPECT_EQ(t->P1(), (TPoint{5000, 3000})) << "the anchor never moves";
            lab.RemoveElement(t, false, false);
        }
    }
}

// A damaged file can store any angle; drawing must not overflow turning it into tenths.
TEST_F(TextFixture, AbsurdStoredAngleDrawsWithoutOverflow)
{
    auto *t = Place<TKXText>({1000, 1000});
    t->SetAngle(INT32_MAX);
    t->Draw(canvas, {0, 0}, tdPrint, ftNone);
    EXPECT_EQ(canvas.Last("TextOut").Font.Escapement, (INT32_MAX % 360) * 10);
}

TEST_F(TextFixture, FontBrushAndSpacingOnTheCanvas)
{
    auto *t = Place<TKXText>({1000, 1000});
    t->SetFontName("Courier New");
    t->SetBold(true);
    t->SetItalic(true);
    t->SetUnderline(true);
    t->SetColor(0x0000FF);
    t->SetBackColor(0x00FF00);
    t->SetTransparent(false);
    t->SetSeparation(0.25f);
    t->Draw(canvas, {200, 300}, tdPrint, ftNone);
    const zt::RecordedCall &out = canvas.Last("TextOut");
    EXPECT_EQ(out.Text, "TextOut(1200,1300,\"ABCDEFGHIJKL\")"); // po + FP
    EXPECT_EQ(out.Font.Name, "Courier New");
    EXPECT_EQ(out.Font.Height, 400);
    EXPECT_TRUE(out.Font.Bold && out.Font.Italic && out.Font.Underline);
    EXPECT_EQ(out.Font.Color, 0x0000FFu);
    EXPECT_EQ(out.BkMode, TKXBkMode::bkOpaque);
    EXPECT_EQ(out.Brush.Color, 0x00FF00u);
    EXPECT_EQ(out.CharExtra, 25);
    // The spacing widens the measured box: 12 x (100 + 25).
    EXPECT_EQ(t->BoxSize().cx, 1500);
    // The canvas is left as it was found.
    EXPECT_EQ(canvas.Texts().back(), "RestoreState");
}

TEST_F(TextFixture, BorderPaddingAndShadowEnlargeTheBox)
{
    lab.SetUnits(TKXUnits::unMM);
    auto *t = Place<TKXText>({2000, 2000});
    t->SetShowBorder(true);
    t->SetPaddingX(1);    // 100
    t->SetPaddingY(0.5f); // 50
    t->SetPenWidth(0.2f); // 20
    t->SetBorderRadio(1.5f);
    t->SetBorderColor(0x112233);
    t->SetShadow(true);
    t->SetGapX(0.3f);
    t->SetGapY(0.4f);
    t->SetShadowColor(0x445566);
    t->SetTextAlign(TTextAlign::taRiBo);
    t->Draw(canvas, {0, 0}, tdPreview, ftNone);
    // 1200 + 30 + 2 x 100 + 2 x 20 wide, 400 + 40 + 2 x 50 + 2 x 20 high.
    EXPECT_EQ(t->BoxSize().cx, 1470);
    EXPECT_EQ(t->BoxSize().cy, 580);
    const zt::RecordedCall &box = canvas.Last("RoundRect");
    EXPECT_EQ(box.Text, "RoundRect(530,1420,2001,2001,150,150)");
    EXPECT_EQ(box.Pen.Color, 0x112233u);
    EXPECT_EQ(box.Pen.Width, 20);
    EXPECT_TRUE(box.Pen.InsideFrame);
    EXPECT_EQ(box.Brush.Style, TKXBrushStyle::bsClear);
    // The shadow first, in its colour, at the text origin plus the gap.
    const auto texts = canvas.Texts("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "TextOut(680,1530,\"ABCDEFGHIJKL\")");
    EXPECT_EQ(texts[1], "TextOut(650,1490,\"ABCDEFGHIJKL\")");
    for (const zt::RecordedCall &call : canvas.Calls())
        if (call.Text.rfind("TextOut", 0) == 0) {
            EXPECT_EQ(call.Font.Color, 0x445566u);
            break;
        }
    EXPECT_EQ(canvas.Last("TextOut").Font.Color, clBlack);
    // A zero-width pen draws no outline and a radius of 0 a plain rectangle.
    t->SetPenWidth(0);
    t->SetBorderRadio(0);
    t->Draw(canvas, {0, 0}, tdPreview, ftNone);
    EXPECT_EQ(canvas.Last("Rectangle").Pen.Style, TKXPenStyle::psClear);
}

TEST_F(TextFixture, TextSizeInUnitsMeasuresTheDesignText)
{
    auto *t = Place<TKXText>({0, 0});
    lab.SetUnits(TKXUnits::unCM);
    t->SetSeparation(1); // not part of the text size
    zt::RecordingCanvas measurer(100);
    TKXPoint2D size = t->GetTextSize(measurer);
    EXPECT_FLOAT_EQ(size.x, 1.2f); // 1200 units
    EXPECT_FLOAT_EQ(size.y, 0.4f);
    t->SetShadow(true);
    t->SetGapX(0.1f);
    t->SetGapY(0.2f);
    t->SetShowBorder(true);
    t->SetPaddingX(0.1f);
    t->SetPenWidth(0.05f);
    size = t->GetTextSize(measurer);
    EXPECT_FLOAT_EQ(size.x, 1.2f + 0.1f + 0.2f + 0.1f);
    EXPECT_FLOAT_EQ(size.y, 0.4f + 0.2f + 0.1f);
}

// With a real font on an image: the ink of a turned text lies inside the box the layout
// computed, so the editor's frame and the drawn text agree.
TEST(TextPixels, InkStaysInsideTheTurnedBox)
{
    zt::RequireGuiApp();
    for (int32_t angle : {0, 90, 180, 270}) {
        TKXCustomLab lab;
        auto *t = lab.NewElement<TKXText>();
        t->SetP1(3000, 1750);
        t->SetFontName("DejaVu Sans");
        t->SetFontHeight(6);
        t->SetText("HHHHHH");
        t->SetTextAlign(TTextAlign::taCeCe);
        t->SetAngle(angle);
        QImage img(600, 350, QImage::Format_RGB32); // 10 units a pixel
        img.setDotsPerMeterX(10000);
        img.setDotsPerMeterY(10000);
        img.fill(Qt::white);
        {
            TKXQtCanvas canvas(&img);
            t->Draw(canvas, {0, 0}, TKXDrawType::tdPreview, TKXFillType::ftNone);
        }
        // Ink's bounding box in pixels.
        int l = img.width(), tp = img.height(), r = -1, b = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    tp = std::min(tp, y);
                    b = std::max(b, y);
                }
        ASSERT_GE(r, 0) << angle;
        const TRect box{std::min(t->BoxTopLeft().x, t->P2().x) / 10, std::min(t->BoxTopLeft().y, t->P2().y) / 10,
                        std::max(t->BoxTopLeft().x, t->P2().x) / 10, std::max(t->BoxTopLeft().y, t->P2().y) / 10};
        EXPECT_GE(l, box.Left - 1) << angle;
        EXPECT_GE(tp, box.Top - 1) << angle;
        EXPECT_LE(r, box.Right + 1) << angle;
        EXPECT_LE(b, box.Bottom + 1) << angle;
        // The ink fills most of the box along the text (six H's, little side bearing).
        const int along = (angle % 180 == 0) ? r - l : b - tp;
        const int boxAlong = (angle % 180 == 0) ? box.Right - box.Left : box.Bottom - box.Top;
        EXPECT_GT(along, boxAlong * 8 / 10) << angle;
    }
}

// ---------------------------------------------------------------------------------------
// The shown text

class ShownText : public TextFixture {
protected:
    MemoryDataset *data = nullptr;
    QObject module;

    void SetUp() override
    {
        data = new MemoryDataset("Products", &module);
        data->AddColumn("PRICE", TKXFieldType::ftFloat);
        data->AddColumn("NAME", TKXFieldType::ftString, 20);
        data->AddRow({3.5, "Tea"});
        data->Open();
        lab.SetDataMod(&module);
        lab.SetLinkData(true);
        ASSERT_TRUE(lab.FindDataset("products", false, false));
    }
};

TEST_F(ShownText, ByKindTargetAndFillType)
{
    auto *text = Place<TKXText>({0, 0});
    text->SetDisplayFormat("0.00");
    text->SetData(true);
    text->SetFieldName("PRICE");
    auto *add = Place<TKXAddText>({0, 0});
    add->SetData(true);
    add->SetFieldName("NAME");
    auto *plain = Place<TKXText>({0, 0}, "fixed");
    auto *ask = Place<TKXAskText>({0, 0});
    const struct {
        TKXElement *e;
        TKXDrawType target;
        TKXFillType fill;
        const char *shown;
    } cases[] = {
        {text, tdLab, ftField, "PRICE"},          // the caption on the design surface
        {text, tdPrint, ftNone, "PRICE"},         // a fill type without fields keeps it
        {text, tdPrint, ftCounter, "PRICE"},
        {text, tdPrint, ftField, "3.50"},
        {text, tdPreview, ftFieldCounter, "3.50"},
        {text, tdOpenDialog, ftField, "3.50"},
        {add, tdLab, ftField, "PreNAMEPost"},
        {add, tdPrint, ftField, "PreTeaPost"},
        {add, tdPrint, ftNone, "PreNAMEPost"},
        {plain, tdPrint, ftField, "fixed"},
        {ask, tdLab, ftNone, "Answer"},
        {ask, tdPrint, ftField, "Answer"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Written(*c.e, c.target, c.fill), std::vector<std::string>{"TextOut(0,0,\"" + std::string(c.shown) + "\")"})
            << c.e->ID().toStdString() << " on " << EnumName(c.target) << " with " << EnumName(c.fill);
}

TEST_F(ShownText, EmptyTextsAndThePrintFlag)
{
    auto *text = Place<TKXText>({0, 0}, "");
    auto *add = Place<TKXAddText>({0, 0}, "");
    add->SetBefore("");
    add->SetAfter("");
    auto *ask = Place<TKXAskText>({0, 0});
    ask->SetAnswer("");
    // The design surface shows "-" for an empty text, and the text stays empty.
    EXPECT_EQ(Written(*text, tdLab), std::vector<std::string>{"TextOut(0,0,\"-\")"});
    EXPECT_EQ(text->Text(), "");
    EXPECT_EQ(Written(*text, tdPrint), std::vector<std::string>{"TextOut(0,0,\"\")"});
    EXPECT_EQ(Written(*add, tdLab), std::vector<std::string>{"TextOut(0,0,\"\")"});
    EXPECT_EQ(Written(*ask, tdLab), std::vector<std::string>{"TextOut(0,0,\".\")"});
    EXPECT_EQ(Written(*ask, tdPrint), std::vector<std::string>{"TextOut(0,0,\".\")"});
    for (TKXElement *e : std::initializer_list<TKXElement *>{text, add, ask}) {
        e->SetPrint(false);
        for (TKXDrawType target : {tdPrint, tdPreview, tdOpenDialog})
            EXPECT_TRUE(Written(*e, target).empty()) << EnumName(target);
        EXPECT_EQ(Written(*e, tdLab).size(), 1u);
    }
}

TEST_F(ShownText, OnPrintTextChangesOutputOnly)
{
    auto *text = Place<TKXText>({0, 0}, "a");
    text->SetID("Code");
    auto *add = Place<TKXAddText>({0, 0}, "b");
    auto *ask = Place<TKXAskText>({0, 0});
    std::vector<std::string> seen;
    lab.OnPrintText = [&](TObject *Sender, const AnsiString &ID, WideString &Text) {
        seen.push_back(ID + "=" + WideToAnsi(Text));
        EXPECT_TRUE(dynamic_cast<TKXDataText *>(Sender));
        Text += u"!";
    };
    EXPECT_EQ(Written(*text, tdLab), std::vector<std::string>{"TextOut(0,0,\"a\")"});
    EXPECT_EQ(Written(*text, tdPrint), std::vector<std::string>{"TextOut(0,0,\"a!\")"});
    EXPECT_EQ(Written(*add, tdPreview), std::vector<std::string>{"TextOut(0,0,\"PrebPost!\")"});
    EXPECT_EQ(Written(*ask, tdPrint), std::vector<std::string>{"TextOut(0,0,\"Answer\")"});
    EXPECT_EQ(seen, (std::vector<std::string>{"Code=a", "AddText1=PrebPost"}));
    EXPECT_EQ(text->Text(), "a");
}

TEST_F(ShownText, BindingSwitchesCaptionAndGeometryKind)
{
    zt::FakeDesignerServices editor(lab);
    auto *t = Place<TKXText>({0, 0});
    EXPECT_EQ(t->SelType(), TKXSelType::stPoint);
    t->SetData(true); // no field yet
    EXPECT_EQ(t->SelType(), TKXSelType::stPoint);
    editor.Reset();
    t->SetFieldName("name");
    EXPECT_EQ(t->SelType(), TKXSelType::stRectText);
    EXPECT_EQ(t->BoundName(), "name");
    EXPECT_EQ(t->Text(), "name"); // without a catalogue the caption is the name
    EXPECT_TRUE(editor.Has("RefreshProperty(Text)"));
    t->SetData(false);
    EXPECT_EQ(t->SelType(), TKXSelType::stPoint);
    EXPECT_EQ(t->DesignWidth(), 0);
}

// ---------------------------------------------------------------------------------------
// The design width of a bound text

TEST_F(ShownText, DesignWidthClipsOnTheDesignSurfaceOnly)
{
    // 600 x 350 pixels show the 6000 x 3500 label: 10 units a pixel.
    zt::FakeDesignerServices editor(lab);
    auto *t = Place<TKXText>({1000, 1000});
    t->SetData(true);
    t->SetFieldName("NAME");
    t->SetText("ABCDEFGHIJKL");
    t->Draw(canvas, {0, 0}, tdLab, ftNone); // measures the widest design width: 1200
    // The editor sizes the box to 50 pixels: 500 units.
    t->SetBorder({100, 100, 150, 140});
    EXPECT_EQ(t->DesignWidth(), 500);
    EXPECT_EQ(t->P1(), (TPoint{1000, 1000}));
    EXPECT_EQ(t->EleAlign(), TKXEleAlign::eaNone);
    // Wider than the text: held at the text's width.
    t->SetBorder({100, 100, 300, 140});
    EXPECT_EQ(t->DesignWidth(), 1200);
    t->SetBorder({100, 100, 150, 140});

    const struct {
        int32_t angle;
        TKXDrawType target;
        const char *clip; // "" when none
    } cases[] = {
        {0, tdLab, "ClipRect(1000,1000,1500,1400)"},
        {0, tdOpenDialog, "ClipRect(1000,1000,1500,1400)"},
        {0, tdPrint, ""},
        {0, tdPreview, ""},
        {90, tdLab, "ClipRect(1000,500,1400,1000)"},
        {180, tdLab, "ClipRect(500,600,1000,1000)"},
        {270, tdLab, "ClipRect(600,1000,1000,1500)"},
    };
    for (const auto &c : cases) {
        t->SetAngle(c.angle);
        canvas.Clear();
        t->Draw(canvas, {0, 0}, c.target, ftNone);
        const auto clips = canvas.Texts("ClipRect");
        EXPECT_EQ(clips.empty() ? "" : clips[0], c.clip) << c.angle << " " << EnumName(c.target);
        if (c.target == tdLab)
            EXPECT_EQ(t->BoxSize().cx, 500);
        else
            EXPECT_EQ(t->BoxSize().cx, 1200); // output measures the real text
    }
}

TEST_F(ShownText, MovingAnAnchoredTextTakesTheAnchorOfTheBox)
{
    zt::FakeDesignerServices editor(lab);
    const struct {
        TTextAlign align;
        int32_t angle;
        TPoint p1;
    } cases[] = {
        {TTextAlign::taLeTo, 0, {1000, 2000}},
        {TTextAlign::taLeCe, 0, {1000, 2200}},
        {TTextAlign::taCeCe, 0, {1600, 2200}},
        {TTextAlign::taRiCe, 0, {2200, 2200}},
        {TTextAlign::taRiBo, 0, {2200, 2400}},
        {TTextAlign::taLeTo, 90, {1000, 2400}},
        {TTextAlign::taRiCe, 90, {1600, 2000}},
    };
    for (const auto &c : cases) {
        auto *t = Place<TKXText>({0, 0});
        t->SetTextAlign(c.align);
        t->SetAngle(c.angle);
        lab.SetModified(false);
        t->SetBorder({100, 200, 220, 240});
        EXPECT_EQ(t->P1(), c.p1) << EnumName(c.align) << " at " << c.angle;
        EXPECT_TRUE(lab.Modified());
        EXPECT_EQ(t->DesignWidth(), 0); // only bound texts have one
    }
}

TEST_F(ShownText, DesignSurfaceReportsFrameAndMarks)
{
    zt::FakeDesignerServices editor(lab);
    auto *t = Place<TKXText>({1000, 1000});
    lab.SetSelected(t);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, tdLab, ftNone);
    EXPECT_EQ(Rc(t->Frame), "1000,1000,2200,1400");
    EXPECT_EQ(Rc(t->Border()), "100,100,220,140"); // 254 dpi: 10 units a pixel
    EXPECT_EQ(editor.Count("DrawSelectionFrame"), 1);
    const auto lines = canvas.Texts("LineTo");
    EXPECT_EQ(lines, (std::vector<std::string>{"LineTo(1050,1000)", "LineTo(1000,1050)"}));
    EXPECT_EQ(canvas.Last("LineTo").Pen.Color, editor.MarkColor);
    editor.ShowMarks = false;
    canvas.Clear();
    t->Draw(canvas, {0, 0}, tdLab, ftNone);
    EXPECT_TRUE(canvas.Texts("LineTo").empty());
}

// ---------------------------------------------------------------------------------------
// Setters and published properties

struct Effect {
    int undo;
    std::string refreshed; // the property name the editor was told of, "" for none
    bool modified;
    friend bool operator==(const Effect &, const Effect &) = default;
};

std::ostream &operator<<(std::ostream &os, const Effect &e)
{
    return os << "{undo " << e.undo << ", \"" << e.refreshed << "\", modified " << e.modified << "}";
}

TEST(TextSetters, UndoNotificationAndModified)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto &undo = zt::InstallUndoRecorder(lab);
    auto *t = lab.NewElement<TKXAddText>();
    auto *ask = lab.NewElement<TKXAskText>();
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
    } cases[] = {
        {"Bold", [&] { t->SetBold(true); }, {1, "Bold", true}},
        {"Bold unchanged", [&] { t->SetBold(true); }, {0, "", false}},
        {"Italic", [&] { t->SetItalic(true); }, {1, "Italic", true}},
        {"Underline", [&] { t->SetUnderline(true); }, {1, "Underline", true}},
        {"Text", [&] { t->SetText("x"); }, {1, "Text", true}},
        {"Text differs in case only", [&] { t->SetText("X"); }, {1, "Text", true}},
        {"DisplayFormat", [&] { t->SetDisplayFormat("0.0"); }, {1, "DisplayFormat", true}},
        {"TextAlign", [&] { t->SetTextAlign(TTextAlign::taCeCe); }, {1, "TextAlign", true}},
        {"ShadowColor", [&] { t->SetShadowColor(1); }, {1, "ShadowColor", true}},
        {"GapX without shadow", [&] { t->SetGapX(1); }, {1, "", false}},
        {"Shadow", [&] { t->SetShadow(true); }, {1, "Shadow", true}},
        {"GapX with shadow", [&] { t->SetGapX(1); }, {1, "GapX", true}},
        {"GapY with shadow", [&] { t->SetGapY(2); }, {1, "GapY", true}},
        {"Separation", [&] { t->SetSeparation(0.25f); }, {1, "Distance", true}},
        {"Before", [&] { t->SetBefore("<"); }, {1, "Before", true}},
        {"After", [&] { t->SetAfter(">"); }, {1, "After", true}},
        {"Question", [&] { ask->SetQuestion("Lot?"); }, {1, "Question", true}},
        {"Answer: no undo", [&] { ask->SetAnswer("L7"); }, {0, "", true}},
        {"Answer unchanged", [&] { ask->SetAnswer("L7"); }, {0, "", false}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(run(c.change), c.effect) << c.name;
    lab.SetUnits(TKXUnits::unINCH);
    EXPECT_FLOAT_EQ(t->Separation(), 0.25f); // millimetres whatever the units
    EXPECT_EQ(t->TextD(), 25);
    EXPECT_FLOAT_EQ(t->GapX(), 100.0f / 2540.0f);
}

TEST(TextPublished, PropertyListsInPublishOrder)
{
    TKXCustomLab lab;
    const QStringList shared = {"X1", "Y1", "Color", "Print", "BackColor", "Transparent", "Margin",
                                "EleAlign", "FieldName", "Data", "FontHeight", "FontName",
                                "Separation", "Bold", "Underline", "Italic", "Text", "DisplayFormat",
                                "TextAlign", "Angle", "GapX", "GapY", "Shadow", "ShadowColor", "ID"};
    const QStringList border = {"ShowBorder", "BorderColor", "BorderRadio", "PenWidth", "PaddingX", "PaddingY"};
    auto *text = lab.NewElement<TKXText>();
    auto *add = lab.NewElement<TKXAddText>();
    auto *ask = lab.NewElement<TKXAskText>();
    EXPECT_EQ(text->Published().Names(), shared + border);
    EXPECT_EQ(add->Published().Names(), (shared + QStringList{"Before", "After"} + border));
    EXPECT_EQ(ask->Published().Names(), (shared + QStringList{"Question", "Answer"} + border));
    EXPECT_EQ(text->Published().Count(), 31);
    EXPECT_EQ(add->Published().Count(), 33);

    const TKXPropInfo *align = text->Published().Find("TextAlign");
    ASSERT_TRUE(align);
    EXPECT_EQ(align->TypeName, "TTextAlign");
    EXPECT_EQ(align->EnumNames.size(), 9);
    align->Set(*text, 7);
    EXPECT_EQ(text->TextAlign(), TTextAlign::taCeCe);
    text->Published().Find("Text")->Set(*text, QStringLiteral("via inspector"));
    EXPECT_EQ(text->Text(), "via inspector");
    add->Published().Find("Before")->Set(*add, QStringLiteral("#"));
    EXPECT_EQ(add->Before(), "#");
    EXPECT_EQ(ask->Published().Find("Question")->Get(*ask).toString(), "Question");
}

TEST(TextKinds, ConstructionDefaults)
{
    TKXCustomLab lab;
    auto *text = lab.NewElement<TKXText>();
    auto *add = lab.NewElement<TKXAddText>();
    auto *ask = lab.NewElement<TKXAskText>();
    EXPECT_EQ(text->ID(), "Text1");
    EXPECT_EQ(add->ID(), "AddText1");
    EXPECT_EQ(ask->ID(), "AskText1");
    EXPECT_EQ(text->Text(), "-");
    EXPECT_EQ(text->TextAlign(), TTextAlign::taLeTo);
    EXPECT_EQ(text->ShadowColor(), 0x808080u);
    EXPECT_EQ(add->Before(), "Pre");
    EXPECT_EQ(add->After(), "Post");
    EXPECT_EQ(ask->Question(), "Question");
    EXPECT_EQ(ask->Answer(), "Answer");
    text->SetP1(700, 800);
    EXPECT_EQ(Rc(text->GetRect()), "700,800,-1,-1");
}

// ---------------------------------------------------------------------------------------
// Record T

TEST(TextRecord, EachKindRoundTripsThroughTheFactory)
{
    TKXCustomLab lab;
    lab.SetCheckBounds(false);
    auto *add = lab.NewElement<TKXAddText>();
    add->SetP1(1234, 567);
    add->SetData(true);
    add->SetFieldName("WEIGHT"); // no dataset bound: the caption is "-" until set below
    add->SetText(QString::fromUtf8("Ωmega"));
    add->SetDisplayFormat("#,##0.00");
    add->SetTextAlign(TTextAlign::taRiCe);
    add->SetBold(true);
    add->SetUnderline(true);
    add->SetShadow(true);
    add->SetShadowColor(0x010203);
    add->SetGapX(0.7f);
    add->SetGapY(0.9f);
    add->SetBefore(QString::fromUtf8("→"));
    add->SetAfter("kg");
    auto *ask = lab.NewElement<TKXAskText>();
    ask->SetQuestion("Batch?");
    ask->SetAnswer("");
    auto *text = lab.NewElement<TKXText>();
    text->SetItalic(true);

    for (TKXElement *e : std::initializer_list<TKXElement *>{add, ask, text}) {
        TKXStreamWriter w;
        e->SaveToStream(w);
        const TBytesArray bytes = w.Bytes();
        EXPECT_EQ(bytes[0], Ord(e->ElementType()));
        TKXCustomLab other;
        other.SetCheckBounds(false);
        TKXStreamReader r(bytes);
        TKXElement *back = TKXElementFactory::ReadElement(r, other);
        ASSERT_TRUE(back);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(back->ElementType(), e->ElementType());
        // Written again it gives the same bytes.
        TKXStreamWriter again;
        back->SaveToStream(again);
        EXPECT_EQ(again.Bytes(), bytes) << e->ID().toStdString();
    }
    TKXStreamWriter w;
    add->SaveToStream(w);
    TKXCustomLab other;
    TKXStreamReader r(w.Bytes());
    auto *back = dynamic_cast<TKXAddText *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Text(), QString::fromUtf8("Ωmega"));
    EXPECT_EQ(back->Before(), QString::fromUtf8("→"));
    EXPECT_EQ(back->TextAlign(), TTextAlign::taRiCe);
    EXPECT_EQ(back->GapY(), 0.9f);
    EXPECT_EQ(back->SelType(), TKXSelType::stRectText); // from the binding
}

// Records of older files: record E and D in the layout of version 19 or 20, then record T.
TBytesArray OldTextRecord(int32_t Version, uint8_t Align, int32_t Gap, const QString &Text)
{
    TKXStreamWriter w;
    zt::WriteOldBase(w, TKXEle::deAddText, Version);
    // record T
    if (Version >= 19)
        WriteWideStr(Text.toStdU16String(), w);
    else
        WriteAnsiStr(WideToAnsi(Text.toStdU16String()), w);
    WriteAnsiStr("", w);
    w.WriteUInt8(Align);
    for (int i = 0; i < 4; ++i)
        w.WriteBool(false);
    w.WriteInt32(0x808080);
    w.WriteInt32(Gap);
    w.WriteInt32(Gap);
    // tail
    for (const char *s : {"pre", "post"}) {
        if (Version >= 19)
            WriteWideStr(AnsiToWide(s), w);
        else
            WriteAnsiStr(s, w);
    }
    return w.TakeBytes();
}

TEST(TextRecord, OldVersionsAnchoringAndUnits)
{
    const struct {
        int32_t version;
        uint8_t align;
        TTextAlign loaded;
        int32_t gapStored, gap;
    } cases[] = {
        {19, 7, TTextAlign::taLeTo, 5, 50},    // nine anchorings only from version 20
        {19, 5, TTextAlign::taRiTo, 5, 50},
        {18, 2, TTextAlign::taRiBo, 5, 50},
        {20, 7, TTextAlign::taCeCe, 50, 50},
        {20, 9, TTextAlign::taLeTo, 50, 50},   // no such anchoring
    };
    for (const auto &c : cases) {
        TKXCustomLab lab;
        lab.SetCheckBounds(false);
        lab.SetFileVersion(c.version);
        const TBytesArray bytes = OldTextRecord(c.version, c.align, c.gapStored, QString::fromUtf8("Caf\u00e9"));
        TKXStreamReader r(bytes);
        auto *t = dynamic_cast<TKXAddText *>(TKXElementFactory::ReadElement(r, lab));
        ASSERT_TRUE(t) << c.version;
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(t->TextAlign(), c.loaded) << c.version << " " << int(c.align);
        lab.SetUnits(TKXUnits::unMM);
        EXPECT_FLOAT_EQ(t->GapX(), c.gap / 100.0f);
        EXPECT_EQ(t->Text(), QString::fromUtf8("Caf\u00e9"));
        EXPECT_EQ(t->Before(), "pre");
        EXPECT_EQ(t->After(), "post");
        EXPECT_FLOAT_EQ(t->FontHeight(), c.version < 20 ? 5.0f : 0.5f);
    }
    // A cut record raises and leaves no element behind.
    TKXCustomLab lab;
    TBytesArray bytes = OldTextRecord(20, 0, 0, "x");
    bytes.resize(bytes.size() - 6);
    TKXStreamReader r(bytes);
    lab.SetFileVersion(20);
    EXPECT_THROW(TKXElementFactory::ReadElement(r, lab), EKxStreamError);
    EXPECT_EQ(lab.ElementCount(), 0);
}

} // namespace
