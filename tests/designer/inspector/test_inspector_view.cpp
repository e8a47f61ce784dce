// The inspector on screen: row geometry from the font, the scroll range and page, the
// split's limits, scrolling the active row into view, the wheel, the keys, the hints, the
// captions in each language and from a translation file, and the painted cells.
#include "EditorFixture.h"
#include "FakeDesignerServices.h"

#include "elements/KXBarCode.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"
#include "inspector/KXInspectorCaptions.h"
#include "inspector/KXInspectorComponent.h"
#include "inspector/KXInspectorGlyphs.h"
#include "platform/KXQtCanvas.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

// Failures show texts and rectangles as a person reads them.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QRect &r, std::ostream *os)
{
    *os << "(" << r.left() << ", " << r.top() << ") " << r.width() << " x " << r.height();
}

using namespace kx;
using namespace kx::designer;

namespace {

struct InspectorOnLabel {
    explicit InspectorOnLabel(int VisibleRows = 10)
    {
        zt::RequireWidgetApp();
        Ed = std::make_unique<zt::FakeDesignerServices>(Lab);
        Ed->Inspector = &Insp;
        Insp.LinkEditor(Ed.get());
        QFont f = Insp.font();
        f.setPixelSize(12); // rows of 26 pixels
        Insp.setFont(f);
        Insp.show(); // the viewport takes its size from a shown widget
        SizeViewport(240, VisibleRows * 26 + 5);
    }
    ~InspectorOnLabel()
    {
        ResetInspectorCaptions();
        Ed->Inspector = nullptr;
    }
    // Resizes the widget so that its viewport has the given size.
    void SizeViewport(int W, int H)
    {
        Insp.resize(W, H);
        const QSize vp = Insp.viewport()->size();
        Insp.resize(2 * W - vp.width(), 2 * H - vp.height());
    }
    // A text on a label linked to data: 31 rows.
    TKXText *ShowText()
    {
        Lab.SetLinkData(true);
        auto *t = Lab.NewElement<TKXText>();
        Ed->SetSelect(t);
        Insp.Inspect();
        return t;
    }
    void Wheel(int Delta)
    {
        const QPointF at(20, 20);
        QWheelEvent ev(at, Insp.viewport()->mapToGlobal(at), QPoint(), QPoint(0, Delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(Insp.viewport(), &ev);
    }
    QImage Grab()
    {
        Insp.show();
        return Insp.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The value cell of a listed row, scrolled to the top.
    QRect ValueCell(const QString &Name)
    {
        const int i = Insp.FindProp(Name);
        EXPECT_GE(i, 0) << qPrintable(Name);
        Insp.SetTopProp(i);
        return Insp.GetVisibleItemRect(0, true);
    }

    bool App = (zt::RequireWidgetApp(), true); // before any widget
    TKXCustomLab Lab;
    std::unique_ptr<zt::FakeDesignerServices> Ed;
    TKXInspector Insp;
};

} // namespace

// --- Geometry ------------------------------------------------------------------------------

TEST(DesignerInspectorView, RowHeightFollowsTheFont)
{
    InspectorOnLabel f;
    EXPECT_EQ(f.Insp.GetItemHeight(), 26);
    bool taller = false;
    for (int px : {8, 12, 20, 30, 40}) {
        QFont font = f.Insp.font();
        font.setPixelSize(px);
        f.Insp.setFont(font);
        const int h = QFontMetrics(font).height();
        EXPECT_EQ(f.Insp.GetItemHeight(), std::max(h + 3, 26)) << px << " px, text height " << h;
        taller = taller || h + 3 > 26;
    }
    EXPECT_TRUE(taller) << "no font size gave rows above the minimum";
}

TEST(DesignerInspectorView, ScrollRangeAndPage)
{
    InspectorOnLabel f(10);
    ASSERT_EQ(f.Insp.VisibleRows(), 10);
    QScrollBar *sb = f.Insp.verticalScrollBar();
    EXPECT_EQ(sb->maximum(), 0);
    f.ShowText();
    ASSERT_EQ(f.Insp.PropCount(), 31);
    // One empty row can be scrolled into view after the last.
    EXPECT_EQ(f.Insp.MaxTopRow(), 22);
    EXPECT_EQ(sb->minimum(), 0);
    EXPECT_EQ(sb->maximum(), 22);
    // A page is what the viewport shows.
    EXPECT_EQ(sb->pageStep(), 10);

    // The first row is clamped to the range, and the scroll bar moves the list.
    f.Insp.SetTopProp(40);
    EXPECT_EQ(f.Insp.TopProp(), 22);
    sb->setValue(5);
    EXPECT_EQ(f.Insp.TopProp(), 5);
    sb->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(f.Insp.TopProp(), 15);

    // Fewer rows than the viewport shows: nothing to scroll.
    f.SizeViewport(240, 40 * 26);
    EXPECT_EQ(f.Insp.MaxTopRow(), 0);
    EXPECT_EQ(f.Insp.TopProp(), 0);
    EXPECT_EQ(sb->maximum(), 0);
}

TEST(DesignerInspectorView, CellsAndSplitLimits)
{
    InspectorOnLabel f;
    f.SizeViewport(200, 265);
    EXPECT_EQ(f.Insp.SplitPos(), 100);
    EXPECT_EQ(f.Insp.GetVisibleItemRect(2, false), QRect(0, 52, 98, 26));
    EXPECT_EQ(f.Insp.GetVisibleItemRect(2, true), QRect(102, 52, 98, 25));

    struct {
        int Set, Want;
    } const cases[] = {{10, 30}, {30, 30}, {120, 120}, {170, 170}, {190, 170}};
    for (const auto &c : cases) {
        f.Insp.SetSplitPos(c.Set);
        EXPECT_EQ(f.Insp.SplitPos(), c.Want) << c.Set;
    }
    // The split follows a narrower inspector.
    f.Insp.resize(f.Insp.width() - 50, f.Insp.height());
    ASSERT_EQ(f.Insp.viewport()->width(), 150);
    EXPECT_EQ(f.Insp.SplitPos(), 120);
}

TEST(DesignerInspectorView, DraggingTheSplit)
{
    InspectorOnLabel f;
    f.ShowText();
    f.Insp.show();
    QWidget *vp = f.Insp.viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(101, 10));
    QTest::mouseMove(vp, QPoint(140, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(140, 10), vp->mapToGlobal(QPointF(140, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(140, 10));
    EXPECT_EQ(f.Insp.SplitPos(), 140);
    // A press away from the split makes the row under it active instead.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(180, 26 * 3 + 5));
    EXPECT_EQ(f.Insp.ActiveProp(), 3);
    EXPECT_EQ(f.Insp.SplitPos(), 140);
}

TEST(DesignerInspectorView, ActiveRowIsScrolledIntoView)
{
    InspectorOnLabel f(10);
    f.ShowText();
    struct {
        int Active, Top, WantTop;
    } const cases[] = {
        {15, 0, 7},  // below the view: it becomes the last row but one
        {9, 0, 1},   // the last visible row counts as beyond
        {8, 0, 0},   // inside the view
        {3, 12, 3},  // above the view: it becomes the first row
        {30, 0, 22}, // the last row
    };
    for (const auto &c : cases) {
        f.Insp.SetTopProp(c.Top);
        f.Insp.SetActiveProp(c.Active);
        f.Insp.ScrollInView();
        f.Insp.UpdateScrollBar();
        EXPECT_EQ(f.Insp.TopProp(), c.WantTop) << "active " << c.Active;
        EXPECT_EQ(f.Insp.ActiveProp(), c.Active);
    }
}

TEST(DesignerInspectorView, KeysMoveTheActiveRow)
{
    InspectorOnLabel f(10);
    f.ShowText();
    f.Insp.show();
    f.Insp.setFocus();
    struct {
        int From;
        Qt::Key Key;
        int To;
    } const cases[] = {
        {3, Qt::Key_PageUp, 0},     {20, Qt::Key_PageUp, 11}, {3, Qt::Key_PageDown, 12},
        {28, Qt::Key_PageDown, 30}, {5, Qt::Key_Up, 4},       {0, Qt::Key_Up, 0},
        {5, Qt::Key_Down, 6},       {30, Qt::Key_Down, 30},
    };
    for (const auto &c : cases) {
        f.Insp.SetActiveProp(c.From);
        QTest::keyClick(&f.Insp, c.Key);
        EXPECT_EQ(f.Insp.ActiveProp(), c.To) << "from " << c.From << " key " << c.Key;
        // The active row is in view afterwards.
        EXPECT_GE(f.Insp.ActiveProp(), f.Insp.TopProp());
        EXPECT_LT(f.Insp.ActiveProp(), f.Insp.TopProp() + f.Insp.VisibleRows());
    }
    // Tab stays in the inspector.
    QTest::keyClick(&f.Insp, Qt::Key_Tab);
    EXPECT_EQ(f.Insp.ActiveProp(), 30);
}

// Turned away from the user the wheel moves the list toward its first row; small steps
// (a touchpad's) add up until they make whole rows.
TEST(DesignerInspectorView, WheelScrollsTowardTheFirstRowWhenTurnedAway)
{
    InspectorOnLabel f(10);
    f.ShowText();
    f.Insp.SetTopProp(10);
    f.Wheel(120); // 120 pixels of 26-pixel rows: 4 rows
    EXPECT_EQ(f.Insp.TopProp(), 6);
    f.Wheel(-120);
    EXPECT_EQ(f.Insp.TopProp(), 10);
    // Ten small steps toward the user, with the 16 pixels the last notch left over: 136
    // pixels, 5 rows.
    for (int i = 0; i < 10; ++i)
        f.Wheel(-12);
    EXPECT_EQ(f.Insp.TopProp(), 15);
    EXPECT_EQ(f.Insp.verticalScrollBar()->value(), 15);
    // Partial steps the other way start afresh: 25 pixels are no row yet, 26 are one.
    f.Wheel(25);
    EXPECT_EQ(f.Insp.TopProp(), 15);
    f.Wheel(1);
    EXPECT_EQ(f.Insp.TopProp(), 14);
    // Held at the ends.
    f.Wheel(-2400);
    EXPECT_EQ(f.Insp.TopProp(), 22);
    f.Wheel(2400);
    EXPECT_EQ(f.Insp.TopProp(), 0);
}

TEST(DesignerInspectorView, HintsShowTextValues)
{
    InspectorOnLabel f;
    auto *t = f.ShowText();
    t->SetText(QStringLiteral("A long text"));
    f.Insp.Inspect();
    const auto at = [&](const char *n) {
        f.Insp.SetTopProp(0);
        return QPoint(150, f.Insp.FindProp(QLatin1String(n)) * 26 + 5);
    };
    f.Insp.SetTopProp(0);
    EXPECT_EQ(f.Insp.HintAt(at("FontName")), QStringLiteral("Arial"));
    EXPECT_EQ(f.Insp.HintAt(at("X1")), QString());
    EXPECT_EQ(f.Insp.HintAt(QPoint(150, 9 * 26 + 5)), QString()); // FieldName: empty
    f.Insp.SetTopProp(10);
    EXPECT_EQ(f.Insp.HintAt(QPoint(150, (16 - 10) * 26 + 5)), QStringLiteral("A long text")); // Text
    EXPECT_EQ(f.Insp.HintAt(QPoint(150, 2000)), QString());
}

// --- Captions ------------------------------------------------------------------------------

TEST(DesignerInspectorView, CaptionsInEachLanguage)
{
    InspectorOnLabel f;
    struct {
        TKXLanguage Language;
        const char *Name, *Caption;
    } const cases[] = {
        {TKXLanguage::kxDutch, "Color", "Kleur"},
        {TKXLanguage::kxDutch, "ShowBorder", "Toon Rand"},
        {TKXLanguage::kxSpanish, "BackColor", "Color Fondo"},
        {TKXLanguage::kxSpanish, "PenWidth", "Grosor línea"},
        {TKXLanguage::kxEnglish, "PenWidth", "Pen Width"},
        {TKXLanguage::kxEnglish, "Data", "Database"},
        {TKXLanguage::kxDutch, "Data", "Patternbase"},
        {TKXLanguage::kxEnglish, "Character", "Symbol"},
        {TKXLanguage::kxEnglish, "EleAlign", "Position"},
        {TKXLanguage::kxEnglish, "FileImage", "Image"},
        {TKXLanguage::kxEnglish, "AutoSize", "Autosize"},
        {TKXLanguage::kxSpanish, "bold", "Negrita"},
        {TKXLanguage::kxEnglish, "NoSuchProperty", "Not Found"},
        {TKXLanguage::kxSpanish, "NoSuchProperty", "Not Found"},
        {TKXLanguage::kxDutch, "NotFound", "Not Found"},
        {TKXLanguage::kxCustom, "Color", "Color"},
    };
    for (const auto &c : cases) {
        f.Insp.SetLanguage(c.Language);
        EXPECT_EQ(f.Insp.Caption(QLatin1String(c.Name)), QString::fromUtf8(c.Caption)) << c.Name;
    }
    EXPECT_EQ(InspectorCaptions().size(), size_t(InspectorCaptionCount));
    EXPECT_EQ(f.Insp.PropertyNames().size(), InspectorCaptionCount);
}

// A translation file's "inspector" section wins over the language; keys it lacks read in
// English; a later missing file brings the language back but keeps the loaded texts as the
// custom captions.
TEST(DesignerInspectorView, CaptionsFromATranslationFile)
{
    InspectorOnLabel f;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lang.ini"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("\xEF\xBB\xBF[dialogs]\r\nKXIColor=Wrong section\r\n"
                  "[Inspector]\r\n; the inspector's captions\r\nkxicolor = Farbe, rot; blau\r\n"
                  "KXIPenWidth=Strichst\xC3\xA4rke\r\nKXIFoo=Unused\r\n");
    }
    f.Insp.SetLanguage(TKXLanguage::kxDutch);
    f.Insp.SetIniTranslate(file);
    EXPECT_TRUE(f.Insp.Translated());
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Farbe, rot; blau"));
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("PenWidth")), QString::fromUtf8("Strichstärke"));
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("BackColor")), QStringLiteral("Back Color")); // not Dutch
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("NoSuchProperty")), QStringLiteral("Not Found"));
    f.Insp.SetLanguage(TKXLanguage::kxSpanish);
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Farbe, rot; blau"));

    f.Insp.SetIniTranslate(dir.filePath(QStringLiteral("missing.ini")));
    EXPECT_FALSE(f.Insp.Translated());
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Color"));
    f.Insp.SetLanguage(TKXLanguage::kxDutch);
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Kleur"));
    f.Insp.SetLanguage(TKXLanguage::kxCustom);
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Farbe, rot; blau"));
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("ShowBorder")), QStringLiteral("Show Border"));

    // The editor reads the captions again when it is given the inspector.
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[inspector]\nKXIColor=Couleur\n");
    }
    f.Insp.SetIniTranslate(file);
    zt::EditorOnLabel ed(60, 35);
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[inspector]\nKXIColor=Colore\n");
    }
    ed.Ed().SetInspector(&f.Insp);
    EXPECT_EQ(f.Insp.Caption(QStringLiteral("Color")), QStringLiteral("Colore"));
    ed.Ed().SetInspector(nullptr);
    f.Insp.LinkEditor(f.Ed.get());
}

// --- Painting ------------------------------------------------------------------------------

TEST(DesignerInspectorView, ValueTextsFollowTheLabelsUnits)
{
    InspectorOnLabel f;
    auto *t = f.ShowText();
    t->SetX1(1234.5f);
    t->SetAngle(90);
    struct {
        TKXUnits Units;
        const char *Name, *Text;
    } const cases[] = {
        {TKXUnits::unMM, "X1", "1,234.50 mm"},
        {TKXUnits::unMM, "FontHeight", "5.00 mm"},
        {TKXUnits::unCM, "FontHeight", "0.50 cm"},
        {TKXUnits::unINCH, "FontHeight", "0.20 inch"},
        {TKXUnits::unMM, "Angle", "90"},
        {TKXUnits::unMM, "FontName", "Arial"},
    };
    for (const auto &c : cases) {
        f.Lab.SetUnits(c.Units);
        f.Insp.Inspect();
        const int i = f.Insp.FindProp(QLatin1String(c.Name));
        ASSERT_GE(i, 0) << c.Name;
        EXPECT_EQ(f.Insp.ValueText(f.Insp.Props()[size_t(i)]), QString::fromLatin1(c.Text)) << c.Name;
    }
}

TEST(DesignerInspectorView, EnumerationsShowTheirValuesName)
{
    InspectorOnLabel f;
    auto *table = f.Lab.NewElement<TKXTable>();
    auto *bar = f.Lab.NewElement<TKXBarCode>();
    bar->SetCodeType(TKXBar::EAN8);
    f.Ed->SetSelect(table);
    f.Insp.Inspect();
    const auto text = [&](const char *n) {
        return f.Insp.ValueText(f.Insp.Props()[size_t(f.Insp.FindProp(QLatin1String(n)))]);
    };
    EXPECT_EQ(text("GridStyle"), QStringLiteral("gsBoth"));
    f.Ed->SetSelect(bar);
    f.Insp.Inspect();
    EXPECT_EQ(text("CodeType"), QStringLiteral("EAN8"));
    EXPECT_EQ(text("Factor"), QStringLiteral("2.00"));
}

TEST(DesignerInspectorView, ColourValueIsAnInset)
{
    InspectorOnLabel f;
    auto *t = f.ShowText();
    t->SetColor(0x0000FF); // red
    t->SetBackColor(0xFF0000); // blue
    f.Insp.Inspect();
    const QRect cell = f.ValueCell(QStringLiteral("Color"));
    const QImage img = f.Grab();
    const int cy = cell.top() + cell.height() / 2;
    EXPECT_EQ(zt::Rgb(img, cell.left() + 1, cy), 0xFFFFFFu);        // the ground, 4 pixels wide
    EXPECT_EQ(zt::Rgb(img, cell.left() + 3, cy), 0xFFFFFFu);
    EXPECT_EQ(zt::Rgb(img, cell.left() + 4, cy), 0xFF0000u);        // the colour
    EXPECT_EQ(zt::Rgb(img, cell.left() + cell.width() / 2, cy), 0xFF0000u);
    EXPECT_EQ(zt::Rgb(img, cell.left() + cell.width() / 2, cell.top() + 3), 0xFFFFFFu);
    EXPECT_EQ(zt::Rgb(img, cell.left() + cell.width() / 2, cell.top() + 52 + cell.height() / 2), 0x0000FFu); // BackColor
}

namespace {

// The columns of dark pixels of a caption in the name cell of visible row 0.
std::pair<int, int> InkColumns(const QImage &Img, const QRect &Cell)
{
    int lo = -1, hi = -1;
    for (int x = Cell.left(); x < Cell.left() + Cell.width(); ++x)
        for (int y = Cell.top() + 2; y < Cell.top() + Cell.height() - 3; ++y)
            if (qGray(Img.pixel(x, y)) < 128) {
                if (lo < 0)
                    lo = x;
                hi = x;
                break;
            }
    return {lo, hi};
}

} // namespace

TEST(DesignerInspectorView, CaptionsAreAlignedInTheNameColumn)
{
    InspectorOnLabel f;
    f.ShowText();
    f.Insp.SetSplitPos(160);
    const int row = f.Insp.FindProp(QStringLiteral("Color"));
    f.Insp.SetTopProp(row);
    const QRect cell = f.Insp.GetVisibleItemRect(0, false);

    f.Insp.SetNamesAlign(TAlignment::taCenter);
    auto [lo, hi] = InkColumns(f.Grab(), cell);
    ASSERT_GE(lo, 0);
    const int centre = cell.left() + cell.width() / 2;
    EXPECT_NEAR((lo + hi) / 2.0, centre, 2.0) << lo << ".." << hi;
    EXPECT_GT(lo, cell.left() + 20);

    f.Insp.SetNamesAlign(TAlignment::taLeftJustify);
    std::tie(lo, hi) = InkColumns(f.Grab(), cell);
    EXPECT_LE(lo, cell.left() + 4);

    f.Insp.SetNamesAlign(TAlignment::taRightJustify);
    std::tie(lo, hi) = InkColumns(f.Grab(), cell);
    EXPECT_GE(hi, cell.left() + cell.width() - 5);
}

TEST(DesignerInspectorView, BooleanGlyphs)
{
    InspectorOnLabel f;
    auto *t = f.ShowText();
    t->SetBold(true);
    t->SetItalic(false);
    f.Insp.Inspect();
    for (const auto &[name, on] : {std::pair{"Bold", true}, std::pair{"Italic", false}}) {
        const QRect cell = f.ValueCell(QLatin1String(name));
        const QImage img = f.Grab();
        const int ox = cell.left() + cell.width() / 2 - 7, oy = cell.top() + cell.height() / 2 - 7;
        EXPECT_EQ(zt::Rgb(img, ox + 1, oy + 6), 0x000000u) << name; // the box
        EXPECT_EQ(zt::Rgb(img, ox + 11, oy + 6), 0x000000u) << name;
        EXPECT_EQ(zt::Rgb(img, ox + 5, oy + 8), on ? 0x000000u : 0xFFFFFFu) << name; // the tick
        EXPECT_EQ(zt::Rgb(img, ox + 9, oy + 4), on ? 0x000000u : 0xFFFFFFu) << name;
        EXPECT_EQ(zt::Rgb(img, ox - 2, oy + 6), 0xFFFFFFu) << name; // nothing beside it
    }
}

namespace {

// Pictogram Num as the symbol draws it into a 13 x 13 square on the inspector's ground.
QImage Pictogram(const TKXSymbol &Symbol, int Num)
{
    QImage img(13, 13, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    {
        TKXQtCanvas canvas(p, TKXMapping::FromExtents(1300, 1300, 13, 13));
        canvas.SetAntialiasing(true);
        Symbol.DrawSymbolNumber(canvas, 0, 0, 1300, Num, Symbol.Color(), clWhite, Symbol.FillColor(), false, false);
    }
    p.end();
    return img;
}

} // namespace

// Pictograms above 48 show themselves, not pictogram 5.
TEST(DesignerInspectorView, PictogramsShowTheSymbolsOwnPicture)
{
    InspectorOnLabel f;
    auto *s = f.Lab.NewElement<TKXSymbol>();
    f.Ed->SetSelect(s);
    for (int num : {60, 49, 64, 7}) {
        s->SetNumber(num);
        f.Insp.Inspect();
        const QRect cell = f.ValueCell(QStringLiteral("Character"));
        const QImage shown =
            f.Grab().copy(cell.left() + cell.width() / 2 - 7, cell.top() + cell.height() / 2 - 7, 13, 13);
        const QImage own = Pictogram(*s, num);
        EXPECT_EQ(shown, own) << num;
        EXPECT_NE(shown, Pictogram(*s, 5)) << num;
        int ink = 0;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                ink += zt::Rgb(shown, x, y) != 0xFFFFFFu;
        EXPECT_GT(ink, 10) << num;
    }
}
