// The sheet set-up objects: defaults, clamps, the effect of each setter on the designer and
// the modified flag, Assign, the background picture and the printer metrics.
#include "core/KXError.h"
#include "FakeDesignerServices.h"
#include "CupsPdf.h"
#include "GuiApp.h"
#include "LabTestPrint.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;

namespace {

class Setup : public ::testing::Test {
protected:
    Setup() : ed(lab) {}
    void Clean()
    {
        ed.Reset();
        lab.SetModified(false);
    }
    TKXCustomLab lab;
    zt::FakeDesignerServices ed;
    TKXMeasure &m = *lab.Measure();
    TKXBackSurf &back = *lab.BackSurf();
    TKXPrintInfo &print = *lab.PrintInfo();
};

TEST_F(Setup, MeasureDefaults)
{
    // 7 rows and 3 columns of 60 x 35 mm labels on an A4 sheet.
    EXPECT_EQ(m.NuHor(), 7);
    EXPECT_EQ(m.NuVer(), 3);
    EXPECT_EQ(m.WidthInternal(), 6000);
    EXPECT_EQ(m.HeightInternal(), 3500);
    EXPECT_EQ(m.PaperWidthInternal(), 21000);
    EXPECT_EQ(m.PaperHeightInternal(), 29700);
    EXPECT_EQ(m.MarLeftInternal(), 500);
    EXPECT_EQ(m.MarTopInternal(), 1000);
    EXPECT_EQ(m.DiHorInternal(), 400);
    EXPECT_EQ(m.DiVerInternal(), 400);
    EXPECT_EQ(m.PaperName(), "A4");
    EXPECT_EQ(m.LabelName(), "Mi etiqueta");
    EXPECT_EQ(m.LabelType(), TZantorType::ltRect);
}

TEST_F(Setup, MeasureClampsAndMarksModified)
{
    struct Case {
        const char *name;
        std::function<void()> set;
        std::function<int32_t()> get;
        int32_t expected;
    } cases[] = {
        {"Width 3 mm", [&] { m.SetWidth(3); }, [&] { return m.WidthInternal(); }, 500},
        {"Height 0", [&] { m.SetHeight(0); }, [&] { return m.HeightInternal(); }, 500},
        {"PaperHeight 0", [&] { m.SetPaperHeight(0); }, [&] { return m.PaperHeightInternal(); }, 500},
        {"PaperWidth 100 mm", [&] { m.SetPaperWidth(100); }, [&] { return m.PaperWidthInternal(); }, 10000},
        {"NuVer 0", [&] { m.SetNuVer(0); }, [&] { return m.NuVer(); }, 1},
        {"NuHor -3", [&] { m.SetNuHor(-3); }, [&] { return m.NuHor(); }, 1},
        {"MarLeft -2 mm", [&] { m.SetMarLeft(-2); }, [&] { return m.MarLeftInternal(); }, 0},
        {"MarTop 2.5 mm", [&] { m.SetMarTop(2.5f); }, [&] { return m.MarTopInternal(); }, 250},
        {"DiHor -1", [&] { m.SetDiHor(-1); }, [&] { return m.DiHorInternal(); }, 0},
        {"DiVer 1", [&] { m.SetDiVer(1); }, [&] { return m.DiVerInternal(); }, 100},
        {"InnerCircle beyond half the Width (500, set above)", [&] { m.SetInnerCircle(100); },
         [&] { return m.InnerCircleInternal(); }, 250},
        {"InnerCircle -1", [&] { m.SetInnerCircle(-1); }, [&] { return m.InnerCircleInternal(); }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Clean();
        c.set();
        EXPECT_EQ(c.get(), c.expected);
        EXPECT_TRUE(lab.Modified());
    }
    // Unchanged counts and names: not modified.
    Clean();
    m.SetNuHor(1);
    m.SetPaperName("A4");
    EXPECT_FALSE(lab.Modified());
}

TEST_F(Setup, LabelSizeRefreshesTheEditor)
{
    Clean();
    m.SetWidth(80);
    EXPECT_EQ(ed.Log, (zt::CallLog{"RecalcZoom(0)", "RefreshView(0,)"}));
    EXPECT_TRUE(back.FNeedPaint && ed.FPaintEle && ed.FPaintSel); // kind 0
    EXPECT_FALSE(ed.FZoomChanged);
    Clean();
    m.SetInnerCircle(5); // rectangular label: no repaint
    EXPECT_TRUE(ed.Log.empty());
}

TEST_F(Setup, LabelTypeKeepsTheCircleRuleAndFitsTheBackground)
{
    back.SetStyle(TKXBackStyle::biGradHor);
    Clean();
    m.SetLabelType(TZantorType::ltCircle);
    EXPECT_EQ(m.HeightInternal(), 6000);
    EXPECT_EQ(back.Style(), TKXBackStyle::biNone);
    EXPECT_TRUE(ed.Has("RecalcZoom(0)"));
    EXPECT_TRUE(lab.Modified());
    m.SetWidth(40);
    EXPECT_EQ(m.HeightInternal(), 4000);
    m.SetHeight(45);
    EXPECT_EQ(m.WidthInternal(), 4500);
    m.SetInnerCircle(10);
    back.SetStyle(TKXBackStyle::biQuarter);
    EXPECT_EQ(back.Style(), TKXBackStyle::biQuarter);

    Clean();
    m.SetLabelType(TZantorType::ltCircle); // unchanged: nothing
    EXPECT_TRUE(ed.Log.empty());
    EXPECT_FALSE(lab.Modified());

    m.SetLabelType(TZantorType::ltRect);
    EXPECT_EQ(m.InnerCircleInternal(), 0);
    EXPECT_EQ(back.Style(), TKXBackStyle::biNone);
}

// Mended: the inner circle is a radius but was clamped to the width, a diameter, and never
// again when the label got smaller.
TEST_F(Setup, InnerCircleStaysWithinHalfTheWidth)
{
    m.SetLabelType(TZantorType::ltCircle);
    m.SetWidth(50);
    m.SetInnerCircle(40);
    EXPECT_EQ(m.InnerCircleInternal(), 2500);
    const struct {
        const char *change;
        std::function<void()> set;
        int32_t inner;
    } cases[] = {
        {"Width 30 mm", [&] { m.SetWidth(30); }, 1500},
        {"Height 20 mm", [&] { m.SetHeight(20); }, 1000},
        {"size 16 mm", [&] { m.SetLabelSizeMM(16, 16); }, 800},
        {"Width 60 mm: kept", [&] { m.SetWidth(60); }, 800},
    };
    for (const auto &c : cases) {
        c.set();
        EXPECT_EQ(m.InnerCircleInternal(), c.inner) << c.change;
    }
}

// Mended: the millimetre setters skipped the clamps and the circle rule.
TEST_F(Setup, SizesInMillimetres)
{
    m.SetLabelSizeMM(50.125f, 30); // 5012.5 rounds to the even 5012
    EXPECT_EQ(m.WidthInternal(), 5012);
    EXPECT_EQ(m.HeightInternal(), 3000);
    m.SetLabelSizeMM(2, -1);
    EXPECT_EQ(m.WidthInternal(), 500);
    EXPECT_EQ(m.HeightInternal(), 500);
    m.SetLabelType(TZantorType::ltCircle);
    m.SetLabelSizeMM(40, 30);
    EXPECT_EQ(m.WidthInternal(), 4000);
    EXPECT_EQ(m.HeightInternal(), 4000);
    m.SetPaperSizeMM(0, 297);
    EXPECT_EQ(m.PaperWidthInternal(), 500);
    EXPECT_EQ(m.PaperHeightInternal(), 29700);
    Clean();
    m.SetPaperSizeMM(210, 297);
    EXPECT_TRUE(lab.Modified());
}

TEST_F(Setup, UnitsAffectTheLengthProperties)
{
    lab.SetUnits(TKXUnits::unINCH);
    m.SetWidth(2);
    EXPECT_EQ(m.WidthInternal(), 5080);
    EXPECT_FLOAT_EQ(m.PaperWidth(), 21000 / 2540.0f);
    lab.Frame()->SetDist2(0.1f);
    EXPECT_EQ(lab.Frame()->Dist2Internal(), 254);
}

// Mended: frame and title changes mark the document modified (label files store them).
TEST_F(Setup, FrameRepaintsAndTitleStores)
{
    TKXFrame &f = *lab.Frame();
    EXPECT_EQ(f.Style(), TKXFrameStyle::fsNone);
    EXPECT_EQ(f.Dist2Internal(), 100);
    EXPECT_EQ(f.PenWidthInternal(), 10);
    const std::function<void()> changes[] = {
        [&] { f.SetStyle(TKXFrameStyle::fsOneLine); }, [&] { f.SetColor(0xFF); },
        [&] { f.SetDist1(1); }, [&] { f.SetDist2(2); }, [&] { f.SetRadio(3); }, [&] { f.SetPenWidth(0.3f); },
    };
    for (const auto &change : changes) {
        Clean();
        change();
        EXPECT_TRUE(ed.FPaintEle); // kind 2
        EXPECT_FALSE(back.FNeedPaint);
        EXPECT_TRUE(lab.Modified());
    }
    Clean();
    f.SetPenWidth(0.3f); // lengths repaint without an equality test, but nothing changed
    EXPECT_TRUE(ed.FPaintEle);
    EXPECT_FALSE(lab.Modified());

    TKXTitle &t = *lab.Title();
    EXPECT_EQ(t.Text(), "Title");
    EXPECT_EQ(t.FontName(), "Arial");
    EXPECT_FALSE(t.Print());
    Clean();
    t.SetPositionX(12.5f);
    EXPECT_EQ(t.PositionInternal().x, 1250);
    EXPECT_TRUE(lab.Modified());
    EXPECT_TRUE(ed.Log.empty());

    // Assign copies the font, height, print flag and text, not the colour or position.
    TKXCustomLab other;
    TKXTitle &o = *other.Title();
    o.SetText("Batch");
    o.SetFontName("Courier");
    o.SetFontHeight(8);
    o.SetPrint(true);
    o.SetFontColor(0xFF);
    o.SetPositionY(30);
    t.Assign(o);
    EXPECT_EQ(t.Text(), "Batch");
    EXPECT_EQ(t.FontName(), "Courier");
    EXPECT_EQ(t.FontHeightInternal(), 800);
    EXPECT_TRUE(t.Print());
    EXPECT_EQ(t.FontColor(), clBlack);
    EXPECT_EQ(t.PositionInternal(), (TPoint{1250, 0}));
}

TEST_F(Setup, BackSurfaceStyleRules)
{
    struct Case {
        TZantorType label;
        TKXBackStyle asked, stored;
    } cases[] = {
        {TZantorType::ltRect, TKXBackStyle::biImage, TKXBackStyle::biNone}, // no picture file
        {TZantorType::ltRect, TKXBackStyle::biGradVer, TKXBackStyle::biGradVer},
        {TZantorType::ltRect, TKXBackStyle::biGraCircle, TKXBackStyle::biNone},
        {TZantorType::ltRect, TKXBackStyle::biHalf2, TKXBackStyle::biNone},
        {TZantorType::ltCircle, TKXBackStyle::biGradHor, TKXBackStyle::biNone},
        {TZantorType::ltCircle, TKXBackStyle::biHalf1, TKXBackStyle::biHalf1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(EnumName(c.label)) + " " + std::string(EnumName(c.asked)));
        m.SetLabelType(c.label);
        back.SetStyle(TKXBackStyle::biNone);
        Clean();
        back.SetStyle(c.asked);
        EXPECT_EQ(back.Style(), c.stored);
        if (c.stored != TKXBackStyle::biNone) {
            EXPECT_TRUE(back.FNeedPaint); // kind 1
            EXPECT_TRUE(lab.Modified());
        }
    }
    // While a label is read the stored style is taken as it stands.
    m.SetLabelType(TZantorType::ltRect);
    lab.SetLoading(true);
    back.SetStyle(TKXBackStyle::biQuarter);
    EXPECT_EQ(back.Style(), TKXBackStyle::biQuarter);
}

TEST_F(Setup, BackSurfaceColoursAndGuides)
{
    Clean();
    back.SetColor(0xFF);
    EXPECT_TRUE(back.FNeedPaint);
    EXPECT_FALSE(ed.FPaintEle);
    EXPECT_TRUE(lab.Modified());
    Clean();
    back.SetAlignColor(0xFF00); // guides hidden: no repaint
    EXPECT_FALSE(ed.FPaintEle);
    EXPECT_TRUE(lab.Modified());
    Clean();
    back.SetShowAlign(true);
    EXPECT_TRUE(ed.Has("SetShowAlign(1)"));
    EXPECT_TRUE(ed.FPaintEle);
    EXPECT_TRUE(lab.Modified());
    Clean();
    back.SetAlignColor(0xFF0000);
    EXPECT_TRUE(ed.FPaintEle);

    // Guides are clamped to the label; mended: label files store them, so a change is a
    // modification.
    Clean();
    back.SetAlignX(100);
    EXPECT_EQ(back.AlignXInternal(), 6000);
    EXPECT_TRUE(lab.Modified());
    EXPECT_EQ(ed.Log, (zt::CallLog{"PutAlignX(60,1)", "UpdateEditor(0)"}));
    EXPECT_TRUE(ed.FPaintEle);
    Clean();
    back.FChangingAlign = true;
    back.SetAlignY(-4);
    EXPECT_EQ(back.AlignYInternal(), 0);
    EXPECT_FALSE(lab.Modified()); // it was 0 already
    EXPECT_EQ(ed.Log, (zt::CallLog{"UpdateEditor(0)"}));
    EXPECT_TRUE(ed.FPaintSel);

    Clean();
    back.AlignChanged(2);
    EXPECT_TRUE(back.FDrawAlign);
    back.AlignChanged(1);
    EXPECT_FALSE(back.FDrawAlign);
    EXPECT_EQ(ed.Count("UpdateEditor(0)"), 2);
}

// Mended: showing the guides is stored with the label but marked it modified only with an
// editor linked (the guide positions always did).
TEST(SetupWithoutEditor, ShowAlignMarksTheLabelModified)
{
    TKXCustomLab lab;
    lab.SetModified(false);
    lab.BackSurf()->SetShowAlign(true);
    EXPECT_TRUE(lab.Modified());
    lab.SetModified(false);
    lab.BackSurf()->SetShowAlign(true); // unchanged
    EXPECT_FALSE(lab.Modified());
}

class Picture : public Setup {
protected:
    void SetUp() override
    {
        zt::RequireGuiApp();
        ASSERT_TRUE(dir.isValid());
        lab.SetUIServices(&ui);
    }
    QString Path(const char *name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    zt::FakeUIServices ui;
};

TEST_F(Picture, LoadsAReadableFile)
{
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(Path("back.png")));
    Clean();
    back.SetFileImage(Path("back.png"));
    EXPECT_EQ(back.Image().size(), QSize(4, 3));
    EXPECT_TRUE(back.FNeedPaint);
    EXPECT_TRUE(ed.Has("UpdateEditor(1)"));
    EXPECT_TRUE(lab.Modified());
    back.SetStyle(TKXBackStyle::biImage);
    EXPECT_EQ(back.Style(), TKXBackStyle::biImage);
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(Picture, UnreadableFileRaisesInvalidImageAndForgetsTheName)
{
    {
        QFile f(Path("broken.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    try {
        back.SetFileImage(Path("broken.png"));
        FAIL() << "no error";
    } catch (const EKxError &e) {
        EXPECT_EQ(std::string(e.what()), "INVALID IMAGE : " + Path("broken.png").toStdString());
    }
    EXPECT_EQ(back.FileImage(), "");
    EXPECT_TRUE(back.Image().isNull());
}

// Mended: a missing file used to be forgotten without a word.
TEST_F(Picture, MissingFileKeepsTheNameAndIsReported)
{
    back.SetFileImage(Path("gone.png"));
    EXPECT_EQ(back.FileImage(), Path("gone.png"));
    EXPECT_TRUE(back.ImageMissing());
    EXPECT_TRUE(back.Image().isNull());
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0], "IMAGE NOT FOUND : " + Path("gone.png"));
    EXPECT_TRUE(lab.Modified());
}

// Mended: the original shared one picture between the two back surfaces.
TEST_F(Picture, AssignCopiesThePicture)
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(Path("b.png")));
    back.SetFileImage(Path("b.png"));
    back.SetShowAlign(true);
    back.SetAlignX(12);
    {
        TKXCustomLab other;
        other.BackSurf()->Assign(back);
        EXPECT_EQ(other.BackSurf()->FileImage(), Path("b.png"));
        EXPECT_EQ(other.BackSurf()->Image().size(), QSize(2, 2));
        EXPECT_EQ(other.BackSurf()->AlignXInternal(), 1200);
        EXPECT_TRUE(other.BackSurf()->ShowAlign());
        other.BackSurf()->SetFileImage("");
        EXPECT_TRUE(other.BackSurf()->Image().isNull());
    }
    EXPECT_EQ(back.Image().pixelColor(0, 0), QColor(Qt::blue));
}

TEST_F(Setup, PrintRangeRules)
{
    EXPECT_EQ(print.LastLab(), 0);
    EXPECT_EQ(print.PrinterIndex(), -99);
    EXPECT_EQ(print.PaperSize(), 9);
    print.SetFirstLab(5);
    EXPECT_EQ(print.LastLab(), 5); // LastLab 0 is below FirstLab too
    print.SetLastLab(2);
    EXPECT_EQ(print.FirstLab(), 2);
    print.SetLastLabZero();
    EXPECT_EQ(print.LastLab(), 0);
    print.SetFirstLab(0);
    EXPECT_EQ(print.FirstLab(), 1);

    print.SetFirstRow(9); // a 7-row sheet
    EXPECT_EQ(print.FirstRow(), 7);
    print.SetFirstCol(0);
    EXPECT_EQ(print.FirstCol(), 1);
    print.SetFirstCol(3);
    EXPECT_EQ(print.FirstCol(), 3);
    print.SetNumLabs(-4);
    EXPECT_EQ(print.NumLabs(), 1);
    Clean();
    print.SetRepetition(0);
    EXPECT_EQ(print.Repetition(), 1);
    print.SetRepetition(3);
    EXPECT_TRUE(lab.Modified());
    EXPECT_TRUE(ed.Log.empty()); // no print setting notifies

    print.SetPrinterName("Office");
    print.SetFieldRepetition("QTY");
    print.SetCopies(2);
    print.PagesToPrint = 7;
    TKXCustomLab other;
    other.PrintInfo()->Assign(print);
    EXPECT_EQ(other.PrintInfo()->Repetition(), 3);
    EXPECT_EQ(other.PrintInfo()->FieldRepetition(), "QTY");
    EXPECT_EQ(other.PrintInfo()->Copies(), 2);
    EXPECT_EQ(other.PrintInfo()->FirstRow(), 7);
    EXPECT_EQ(other.PrintInfo()->PrinterName(), ""); // not the printer name
    EXPECT_EQ(other.PrintInfo()->PagesToPrint, 0);    // nor the run state
}

TEST_F(Setup, PrinterMetricsFromThePort)
{
    TKXPrinterMetrics metrics;
    metrics.DpiX = 600;
    metrics.DpiY = 300;
    metrics.OffsetXPx = 100; // 100 * 2540 / 600 = 423.3
    metrics.OffsetYPx = 59;  // 59 * 2540 / 300 = 499.53, halves up
    metrics.PageWidthPx = 4724; // 199.99 mm: 200 whole millimetres
    metrics.PageHeightPx = 3425; // 289.98 mm
    print.SetMetricsSource([&](const TKXPrintInfo &) { return metrics; });
    EXPECT_EQ(print.DpiH(), 600);
    EXPECT_EQ(print.DpiV(), 300);
    EXPECT_EQ(print.MarginLeft(), 423);
    EXPECT_EQ(print.MarginTop(), 500);
    EXPECT_EQ(print.Width(), 20000);
    EXPECT_EQ(print.Height(), 29000);
    EXPECT_EQ(print.MarginRight(), 21000 - 423 - 20000);
    EXPECT_EQ(print.MarginBottom(), 29700 - 500 - 29000);

    // No resolution (no printer): every conversion answers 0, no division by zero.
    metrics = {};
    metrics.OffsetXPx = 100;
    EXPECT_EQ(print.MarginLeft(), 0);
    EXPECT_EQ(print.Width(), 0);
}

TEST_F(Setup, PrinterMetricsOfAPrinterThatIsNotThereAreZero)
{
    zt::RequireGuiApp();
    print.SetPrinterName("No such printer anywhere");
    print.SetPrinterIndex(-99);
    EXPECT_EQ(print.DpiH(), 0);
    EXPECT_EQ(print.MarginLeft(), 0);
    EXPECT_EQ(print.Width(), 0);
}

// Metrics of a real printer: the test queue, which the *Cups suites can count on (they run
// with it in place, never while it is being added or removed).
class SetupCups : public Setup {};

TEST_F(SetupCups, PrinterMetricsOfTheTestQueue)
{
    zt::RequireGuiApp();
    const QString queue = zt::CupsQueue;
    ASSERT_TRUE(TKXPrinterPort::PrinterNames().contains(queue)) << "the test queue is not there";
    print.SetPrinterName(queue);
    EXPECT_GT(print.DpiH(), 0);
    EXPECT_GT(print.Width(), 0);
    EXPECT_GE(print.MarginLeft(), 0);
    EXPECT_LT(print.MarginLeft(), print.Width());
}

} // namespace
