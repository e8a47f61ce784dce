// The print preview window on the offscreen platform: navigation and the enabled buttons
// as case tables (one page, two pages, a run without pages), the zoom steps to both ends,
// the paper's rectangle in each fit mode of a window of fixed size, and a long run walked
// forward and back that never shows a blank or wrong page.
#include "EditorFixture.h"
#include "RecordingPages.h"
#include "ScriptedPrompts.h"

#include "component/KXLab.h"
#include "controls/KXAlignEdit.h"
#include "platform/KXMetafile.h"
#include "preview/KXPreviewWindow.h"
#include "print/KXPreview.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;

namespace {

class PreviewWindow : public ::testing::Test {
protected:
    PreviewWindow()
    {
        zt::RequireWidgetApp();
        lab.SetRunData(&data);
        auto probe = std::make_unique<zt::ProbeText>(&lab, data);
        probe->SetPoints({300, 300}, {300, 300});
        lab.AddElement(std::move(probe), false);
        // A dark box on every label, so that a page on screen is far from blank.
        auto *box = lab.NewElement<zt::TestBox>();
        box->SetPoints({1000, 1000}, {5000, 3000});
        box->SetTransparent(false);
        box->SetBackColor(0x404040);
        data.Bound = false;
        lab.Printer().SelectPdfFile({}); // the preview needs no printer
    }

    // A run of Pages full pages of the 3 x 7 A4 sheet, each label numbered by a counter so
    // that no two pages look alike; 0 gives a run without pages (never prepared).
    void Open(int Pages)
    {
        if (Pages > 0) {
            data.Counters = {{1, 21 * Pages, 1}};
            lab.BuildOnDemandPreview();
            ASSERT_EQ(lab.TotalPages(), Pages);
        }
        window = std::make_unique<TKxPrw>();
        window->resize(410, 466);
        window->Ini(lab);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void Click(QToolButton *Button) { QTest::mouseClick(Button, Qt::LeftButton); }

    // The navigation buttons as "FPNL": First, Prior, Next, Last; '-' where disabled.
    std::string Navigation() const
    {
        std::string s;
        s += window->TbPageFirst->isEnabled() ? 'F' : '-';
        s += window->TbPagePrior->isEnabled() ? 'P' : '-';
        s += window->TbPageNext->isEnabled() ? 'N' : '-';
        s += window->TbPageLast->isEnabled() ? 'L' : '-';
        return s;
    }

    TKXLab lab;
    zt::TestRunData data;
    std::unique_ptr<TKxPrw> window;
};

// Steps of a walk through the buttons: the button pressed, then the page shown, the page
// counter, the navigation buttons and whether a second page is shown beside it.
struct Step {
    const char *Press;
    int32_t Page;
    const char *Counter;
    const char *Buttons;
    bool Second;
};

// v x z %, rounded half up.
int32_t Percent(int32_t v, int32_t z) { return (v * z + 50) / 100; }

QToolButton *ButtonOf(TKxPrw &W, const std::string &Name)
{
    if (Name == "first") return W.TbPageFirst;
    if (Name == "prior") return W.TbPagePrior;
    if (Name == "next") return W.TbPageNext;
    if (Name == "last") return W.TbPageLast;
    if (Name == "two") return W.TbShowTwo;
    if (Name == "one") return W.TbShowAll;
    if (Name == "width") return W.TbShowWidth;
    return nullptr;
}

void Walk(PreviewWindow &, TKxPrw &W, const std::vector<Step> &Steps, const char *Name)
{
    for (const Step &s : Steps) {
        QToolButton *b = ButtonOf(W, s.Press);
        ASSERT_NE(b, nullptr) << s.Press;
        QTest::mouseClick(b, Qt::LeftButton);
        std::string buttons;
        buttons += W.TbPageFirst->isEnabled() ? 'F' : '-';
        buttons += W.TbPagePrior->isEnabled() ? 'P' : '-';
        buttons += W.TbPageNext->isEnabled() ? 'N' : '-';
        buttons += W.TbPageLast->isEnabled() ? 'L' : '-';
        SCOPED_TRACE(std::string(Name) + ", after " + s.Press);
        EXPECT_EQ(W.PageIdx(), s.Page);
        EXPECT_EQ(W.AlignEdPages->text().toStdString(), s.Counter);
        EXPECT_EQ(buttons, s.Buttons);
        EXPECT_EQ(W.ShownPage(1) != nullptr, s.Second);
        EXPECT_NE(W.ShownPage(0), nullptr);
    }
}

TEST_F(PreviewWindow, NavigatesFivePagesInTwoPageMode)
{
    Open(5);
    EXPECT_EQ(window->PageIdx(), 1);
    EXPECT_EQ(window->VisualState(), TKXVisualState::vsOnePage);
    EXPECT_EQ(Navigation(), "--NL");
    // Pressing a disabled button does nothing; the counter reads "page - total".
    Walk(*this, *window,
         {
             {"two", 1, "1 - 5", "--NL", true},
             {"next", 3, "3 - 5", "FPNL", true},
             {"next", 5, "5 - 5", "FP--", false}, // page 5 alone, the right sheet empty
             {"next", 5, "5 - 5", "FP--", false},
             {"prior", 3, "3 - 5", "FPNL", true},
             {"last", 4, "4 - 5", "FP--", true}, // pages 4 and 5
             {"prior", 2, "2 - 5", "FPNL", true},
             {"prior", 1, "1 - 5", "--NL", true}, // from page 2 one page back
             {"last", 4, "4 - 5", "FP--", true},
             {"first", 1, "1 - 5", "--NL", true},
         },
         "five pages");
}

TEST_F(PreviewWindow, NavigatesOnePageAtATimeOutsideTwoPageMode)
{
    Open(5);
    Walk(*this, *window,
         {
             {"next", 2, "2 - 5", "FPNL", false},
             {"width", 2, "2 - 5", "FPNL", false},
             {"last", 5, "5 - 5", "FP--", false},
             {"prior", 4, "4 - 5", "FPNL", false},
             {"two", 4, "4 - 5", "FP--", true},
             {"one", 4, "4 - 5", "FPNL", false},
             {"first", 1, "1 - 5", "--NL", false},
         },
         "five pages, one at a time");
}

TEST_F(PreviewWindow, FourPagesInTwoPageModeEndOnPagesThreeAndFour)
{
    Open(4);
    Walk(*this, *window,
         {
             {"two", 1, "1 - 4", "--NL", true},
             {"next", 3, "3 - 4", "FP--", true},
             {"prior", 1, "1 - 4", "--NL", true},
             {"last", 3, "3 - 4", "FP--", true},
         },
         "four pages");
}

TEST_F(PreviewWindow, ASinglePageRunHasNothingToNavigate)
{
    Open(1);
    EXPECT_EQ(Navigation(), "----");
    EXPECT_EQ(window->AlignEdPages->text(), "1 - 1");
    Click(window->TbShowTwo);
    EXPECT_EQ(window->ShownPage(1), nullptr);
    EXPECT_EQ(Navigation(), "----");
}

TEST_F(PreviewWindow, ARunWithoutPagesLeavesOnlyExit)
{
    Open(0);
    EXPECT_EQ(window->PageIdx(), 0);
    EXPECT_EQ(window->VisualState(), TKXVisualState::vsNone);
    EXPECT_EQ(window->ShownPage(0), nullptr);
    for (QToolButton *b : {window->TbPageFirst, window->TbPagePrior, window->TbPageNext, window->TbPageLast,
                           window->TbShowAll, window->TbShowWidth, window->TbShowTwo, window->TbZoomMinus,
                           window->TbZoomPlus, window->TbPrint, window->TbSave})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(window->TbExit->isEnabled());
    EXPECT_EQ(window->AlignEdPages->text(), "");
    // A white area inset by 24 pixels.
    const QSize s = window->ScrollSize();
    EXPECT_EQ(window->PaperRect(), QRect(24, 24, s.width() - 48, s.height() - 48));
    const QImage paper = window->pnPaper->grab().toImage();
    EXPECT_EQ(paper.pixelColor(paper.width() / 2, paper.height() / 2), QColor(Qt::white));
    // The handlers do nothing either when called directly.
    window->TbPageNextClick();
    window->TbPageLastClick();
    window->TbZoomPlusClick();
    EXPECT_EQ(window->PageIdx(), 0);
    EXPECT_EQ(window->Zoom(), 100);
    EXPECT_EQ(window->VisualState(), TKXVisualState::vsNone);
}

TEST_F(PreviewWindow, ZoomStepsByTwentyBetweenTwentyAndFiveHundredTwenty)
{
    Open(3);
    struct Case {
        const char *Name;
        QToolButton *TKxPrw::*Button;
        std::vector<int32_t> Zooms; // after each press, until the button is disabled
    };
    const Case cases[] = {
        {"minus", &TKxPrw::TbZoomMinus, {80, 60, 40, 20}},
        {"plus", &TKxPrw::TbZoomPlus, {120, 140, 160, 180, 200, 220, 240, 260, 280, 300, 320, 340, 360, 380, 400,
                                       420, 440, 460, 480, 500, 520}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Click(window->TbShowAll); // back to the fit, zoom 100
        Click(window->TbShowWidth);
        Click(window->TbShowAll);
        ASSERT_EQ(window->Zoom(), 100);
        for (int32_t z : c.Zooms) {
            ASSERT_TRUE((window.get()->*c.Button)->isEnabled()) << "before " << z;
            Click(window.get()->*c.Button);
            EXPECT_EQ(window->Zoom(), z);
            EXPECT_EQ(window->VisualState(), TKXVisualState::vsZoom);
            EXPECT_EQ(window->PaperRect().size(),
                      QSize(Percent(window->PageW(), z), Percent(window->PageH(), z)));
        }
        EXPECT_FALSE((window.get()->*c.Button)->isEnabled());
    }
    // Both are disabled in two-page mode.
    Click(window->TbShowTwo);
    EXPECT_FALSE(window->TbZoomMinus->isEnabled());
    EXPECT_FALSE(window->TbZoomPlus->isEnabled());
    EXPECT_EQ(window->Zoom(), 100);
}

// The window is 410 x 466 with a 30-pixel tool bar: the scroll box is SW x SH = 410 x 436. An
// A4 page is 2100 x 2970 device units. Rectangles worked out by hand from the fit rules.
TEST_F(PreviewWindow, FitModesLayThePaperOutInAFixedWindow)
{
    Open(3);
    ASSERT_EQ(window->ScrollSize(), QSize(410, 436));
    const int bar = window->BackScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Fit width: 410 wide would be 580 high, over 434, so the width leaves room for the bar.
    const int widthW = 410 - bar - 2;
    const QRect fitWidth(0, 0, widthW, (widthW * 2970 + 1050) / 2100);
    struct Case {
        const char *Press;
        QRect Paper;
    };
    const Case cases[] = {
        // 410 / 436 is wider than 2100 / 2970: the height fills (436 - 2), width 434 x 2100 /
        // 2970 = 306.9, centred in 408.
        {"one", QRect(50, 0, 307, 434)},
        {"width", fitWidth},
        // Two pages are 2 x 2100 + 24 wide: the width fills (408), height 408 x 2970 / 4224 =
        // 286.9, centred in 434.
        {"two", QRect(0, 73, 408, 287)},
        {"one", QRect(50, 0, 307, 434)},
    };
    for (const Case &c : cases) {
        Click(ButtonOf(*window, c.Press));
        EXPECT_EQ(window->PaperRect(), c.Paper) << c.Press;
        EXPECT_EQ(window->pnPaper->geometry(), c.Paper) << c.Press;
        EXPECT_EQ(window->Zoom(), 100);
        EXPECT_EQ(QSize(window->PageW(), window->PageH()), c.Paper.size());
    }
    // Zoom 120 % of the one-page fit: 368 x 521, centred across (narrower than 408), kept at
    // the top (taller than 434); the scroll box scrolls down.
    Click(window->TbZoomPlus);
    EXPECT_EQ(window->PaperRect(), QRect(20, 0, 368, 521));
    QApplication::processEvents();
    EXPECT_TRUE(window->BackScroll->verticalScrollBar()->isVisible());
    // Growing the window fits the page again only in a fit mode; a zoom stays a zoom.
    Click(window->TbShowAll);
    window->resize(610, 466);
    QApplication::processEvents();
    EXPECT_EQ(window->ScrollSize(), QSize(610, 436));
    EXPECT_EQ(window->PaperRect(), QRect(150, 0, 307, 434));
}

TEST_F(PreviewWindow, NoLayoutWhileTheScrollBoxIsEmpty)
{
    Open(2);
    const QRect before = window->PaperRect();
    window->BackScroll->setMaximumHeight(0); // the tool bar only
    QApplication::processEvents();
    ASSERT_EQ(window->ScrollSize().height(), 0);
    EXPECT_EQ(window->PaperRect(), before);
    Click(window->TbShowWidth);
    Click(window->TbShowTwo);
    Click(window->TbShowAll);
    EXPECT_EQ(window->PaperRect(), before);
    window->BackScroll->setMaximumHeight(QWIDGETSIZE_MAX);
    QApplication::processEvents();
    EXPECT_EQ(window->PaperRect(), QRect(50, 0, 307, 434));
}

// A run longer than ten pages keeps only some pages in the label's cache; every page walked to
// shows the page itself, painted, with its right neighbour in two-page mode.
TEST_F(PreviewWindow, ALongRunWalkedForwardAndBackNeverShowsABlankPage)
{
    Open(25);
    auto expectPage = [&](int32_t Page) {
        SCOPED_TRACE("page " + std::to_string(Page));
        ASSERT_EQ(window->PageIdx(), Page);
        const TKXMetafile *shown = window->ShownPage(0);
        ASSERT_NE(shown, nullptr);
        const QImage expected = lab.BuildPreviewPage(Page)->ToImage(QSize(105, 148));
        EXPECT_EQ(shown->ToImage(QSize(105, 148)), expected);
        // Each sheet on screen has the labels' boxes on it: a good part of it is dark.
        const QImage paper = window->pnPaper->grab().toImage();
        const bool two = window->VisualState() == TKXVisualState::vsTwoPage;
        const int half = paper.width() / 2;
        const QRect sheet = two ? QRect(6, 6, half - 18, paper.height() - 18)
                                : QRect(6, 6, paper.width() - 18, paper.height() - 18);
        int dark = 0;
        for (int y = sheet.top(); y <= sheet.bottom(); ++y)
            for (int x = sheet.left(); x <= sheet.right(); ++x)
                dark += qGray(paper.pixel(x, y)) < 128;
        EXPECT_GT(dark, sheet.width() * sheet.height() / 5); // a blank sheet has none
    };
    auto cached = [&](int32_t Page) {
        const auto &pages = lab.PreviewPages();
        return std::any_of(pages.begin(), pages.end(), [&](const TKXPagePreview &p) { return p.PageNo == Page; });
    };
    // A jump to a page the label's cache does not hold.
    ASSERT_FALSE(cached(13));
    window->GoToPage(13);
    expectPage(13);
    EXPECT_EQ(window->PagesRendered(), 1);
    window->GoToPage(1);
    for (int32_t page = 1; page < 25; ++page) {
        expectPage(page);
        Click(window->TbPageNext);
    }
    expectPage(25);
    for (int32_t page = 25; page > 1; --page) {
        expectPage(page);
        Click(window->TbPagePrior);
    }
    expectPage(1);
    // Jumps into the middle of the run in two-page mode.
    Click(window->TbShowTwo);
    Click(window->TbPageLast);
    expectPage(24);
    ASSERT_NE(window->ShownPage(1), nullptr);
    EXPECT_EQ(window->ShownPage(1)->ToImage(QSize(105, 148)), lab.BuildPreviewPage(25)->ToImage(QSize(105, 148)));
    for (int32_t page = 22; page >= 12; page -= 2) {
        Click(window->TbPagePrior);
        expectPage(page);
    }
}

// The file written follows the extension typed when it is one of the formats', whatever the
// entry chosen; any other name gets the chosen entry's extension.
TEST(PreviewSaveTarget, TheTypedExtensionWinsElseTheEntrysIsAppended)
{
    struct Case {
        const char *Typed;
        int Entry;
        const char *Written;
        TKXPageFormat Format;
    };
    const Case cases[] = {
        {"/t/page.png", 2, "/t/page.png", TKXPageFormat::Png}, // not BMP bytes under .png
        {"/t/page.PNG", 3, "/t/page.PNG", TKXPageFormat::Png},
        {"/t/page.wmf", 1, "/t/page.wmf", TKXPageFormat::Wmf},
        {"/t/page.Wmf", 2, "/t/page.Wmf", TKXPageFormat::Wmf},
        {"/t/page.emf", 1, "/t/page.emf", TKXPageFormat::Emf},
        {"/t/page.jpeg", 5, "/t/page.jpeg", TKXPageFormat::Jpeg},
        {"/t/page.gif", 2, "/t/page.gif", TKXPageFormat::Gif},
        {"/t/page.bmp", 5, "/t/page.bmp", TKXPageFormat::Bmp},
        {"/t/page", 1, "/t/page.emf", TKXPageFormat::Emf},
        {"/t/page", 2, "/t/page.bmp", TKXPageFormat::Bmp},
        {"/t/page", 3, "/t/page.jpg", TKXPageFormat::Jpeg},
        {"/t/page.txt", 4, "/t/page.txt.gif", TKXPageFormat::Gif},
        {"/t/page.", 5, "/t/page.png", TKXPageFormat::Png},
        {"/t/v1.2/page", 2, "/t/v1.2/page.bmp", TKXPageFormat::Bmp},
    };
    for (const Case &c : cases) {
        TKXPageFormat format = TKXPageFormat::Wmf;
        EXPECT_EQ(TKxPrw::SaveTarget(c.Typed, c.Entry, format).toStdString(), c.Written) << c.Typed;
        EXPECT_EQ(format, c.Format) << c.Typed;
    }
}

TEST_F(PreviewWindow, SavesTheCurrentPageInTheFormatOfItsName)
{
    Open(3);
    window->GoToPage(2);
    QTemporaryDir dir;
    zt::TKXScriptedPrompts prompts;
    // A .png name under the bitmap entry (the one offered first) writes a PNG.
    prompts.AnswerSave(dir.filePath("page.png"));
    Click(window->TbSave);
    ASSERT_EQ(prompts.Count(zt::TPromptKind::SaveFile), 1);
    EXPECT_EQ(prompts.Calls()[0].Filters.size(), 5u);
    QImageReader png(dir.filePath("page.png"));
    EXPECT_EQ(png.format(), "png");
    const QImage saved = png.read();
    const QImage page = PageImage(lab, 2);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), page.size());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), page.convertToFormat(QImage::Format_RGB32));

    // JPEG asks the quality; a cancelled quality writes nothing.
    prompts.AnswerSave(dir.filePath("page"), 3);
    prompts.AnswerInteger(std::nullopt);
    Click(window->TbSave);
    EXPECT_FALSE(QFile::exists(dir.filePath("page.jpg")));
    const zt::TPromptCall &quality = prompts.Calls().back();
    EXPECT_EQ(quality.Kind, zt::TPromptKind::InputInteger);
    EXPECT_EQ(quality.Caption, "Compression");
    EXPECT_EQ(quality.Text, "Compression Quality (1..100)");
    EXPECT_EQ(quality.Min, 1);
    EXPECT_EQ(quality.Max, 100);
    prompts.AnswerSave(dir.filePath("page"), 3);
    prompts.AnswerInteger(60);
    Click(window->TbSave);
    EXPECT_EQ(QImageReader(dir.filePath("page.jpg")).format(), "jpeg");
    prompts.ExpectMessages(0);

    // A folder that cannot be written (a file stands where it should be, which holds even
    // for the superuser): one message, no file, the window goes on.
    const QString notAFolder = dir.filePath("plain.txt");
    {
        QFile f(notAFolder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    prompts.AnswerSave(notAFolder + "/page.bmp");
    Click(window->TbSave);
    EXPECT_EQ(prompts.Errors().size(), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 3); // png, jpg, plain.txt
    EXPECT_TRUE(window->isVisible());
}

} // namespace
