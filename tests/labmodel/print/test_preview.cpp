// Preview pages: short runs rendered at once, long runs with the page cache filled around
// the page asked for, pages rendered on demand matching the run's own pages, and the label
// metafile of the open dialog.
#include "GuiApp.h"
#include "print/KXPreview.h"
#include "RecordingPages.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace kx;

namespace {

class Preview : public ::testing::Test {
protected:
    Preview()
    {
        zt::RequireGuiApp();
        lab.SetRunData(&data);
        auto probe = std::make_unique<zt::ProbeText>(&lab, data);
        probe->SetPoints({100, 200}, {100, 200});
        lab.AddElement(std::move(probe), false);
        data.Bound = false;
        lab.Printer().SelectPdfFile({}); // the preview needs no printer
    }
    std::vector<int32_t> Cached() const
    {
        std::vector<int32_t> out;
        for (const TKXPagePreview &p : lab.PreviewPages())
            out.push_back(p.PageNo);
        return out;
    }
    // Labels for Pages full pages of the 3 x 7 sheet.
    void Pages(int n) { pi.SetNumLabs(21 * n); }

    TKXCustomLab lab;
    TKXPrintInfo &pi = *lab.PrintInfo();
    TKXMeasure &m = *lab.Measure();
    zt::TestRunData data;
    std::unique_ptr<MemoryDataset> items;
};

TEST_F(Preview, ShortRunsAreRenderedAtOnce)
{
    Pages(10);
    lab.BuildOnDemandPreview();
    EXPECT_EQ(lab.TotalPages(), 10);
    EXPECT_EQ(Cached(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(lab.GetPage(0), nullptr);
    EXPECT_EQ(lab.GetPage(11), nullptr);
    ASSERT_NE(lab.GetPage(10), nullptr);
    EXPECT_EQ(lab.GetPage(10), lab.PreviewPages().back().EMF);
    // A4 portrait: 2100 x 2970 device units over the sheet in hundredths of a millimetre.
    EXPECT_EQ(lab.GetPage(1)->DeviceSize(), QSize(2100, 2970));
    EXPECT_EQ(lab.GetPage(1)->LabelSize(), QSize(21000, 29700));
}

TEST_F(Preview, LongRunsCacheAroundTheRequestedPage)
{
    Pages(25);
    lab.BuildOnDemandPreview();
    EXPECT_EQ(lab.TotalPages(), 25);
    EXPECT_EQ(Cached(), (std::vector<int32_t>{1, 2, 3, 4, 22, 23, 24, 25}));

    // Page 10 is not there yet: none, and its neighbours are rendered.
    EXPECT_EQ(lab.GetPage(10), nullptr);
    EXPECT_EQ(pi.RequestPage, 10);
    EXPECT_EQ(Cached(), (std::vector<int32_t>{1, 2, 3, 4, 22, 23, 24, 25, 9, 8, 7, 11, 12, 13}));
    // Page 11 is; only the missing neighbours 10 and 14 follow.
    EXPECT_NE(lab.GetPage(11), nullptr);
    EXPECT_EQ(Cached(), (std::vector<int32_t>{1, 2, 3, 4, 22, 23, 24, 25, 9, 8, 7, 11, 12, 13, 10, 14}));

    // Near the ends the cache is not filled.
    const size_t before = lab.PreviewPages().size();
    EXPECT_NE(lab.GetPage(2), nullptr);
    EXPECT_NE(lab.GetPage(23), nullptr);
    EXPECT_EQ(lab.PreviewPages().size(), before);
}

TEST_F(Preview, TheCacheDropsOnePagePerFillBeyondThirty)
{
    Pages(60);
    lab.BuildOnDemandPreview();
    size_t most = 0;
    for (int32_t page = 5; page <= 55; ++page) {
        lab.GetPage(page);
        most = std::max(most, lab.PreviewPages().size());
    }
    // Moving on by one page adds at most two, and one leaves once more than 30 are kept.
    EXPECT_LE(most, 32u);
    // The first eleven entries stay: pages 1 to 4, the last four, and the first three
    // filled in (around page 5).
    const std::vector<int32_t> cached = Cached();
    EXPECT_EQ(std::vector<int32_t>(cached.begin(), cached.begin() + 11),
              (std::vector<int32_t>{1, 2, 3, 4, 57, 58, 59, 60, 6, 7, 8}));
    // The pages around the last one asked for are there.
    for (int32_t page : {52, 53, 54, 56, 57, 58})
        EXPECT_NE(std::find(cached.begin(), cached.end(), page), cached.end()) << page;
}

TEST_F(Preview, ThePageAskedForIsNeverDroppedAndItsHandleStaysValid)
{
    Pages(60);
    lab.BuildOnDemandPreview();
    for (int32_t page = 5; lab.PreviewPages().size() <= 30; ++page)
        lab.GetPage(page);
    // Ask for the page that is the cache's 12th entry, the one the next fill lets go.
    const TKXPagePreview &twelfth = lab.PreviewPages()[11];
    const int32_t asked = twelfth.PageNo;
    const TKXMetafile *expected = twelfth.EMF.get();
    ASSERT_GT(asked, 2);
    ASSERT_LT(asked, 58);
    const std::shared_ptr<const TKXMetafile> page = lab.GetPage(asked);
    ASSERT_EQ(page.get(), expected);
    const std::vector<int32_t> cached = Cached();
    EXPECT_NE(std::find(cached.begin(), cached.end(), asked), cached.end());
    EXPECT_LE(cached.size(), 32u); // another page left instead
    // A page the cache lets go later stays whole in the caller's hands.
    const std::shared_ptr<const TKXMetafile> held = lab.GetPage(1);
    lab.ClearPages();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->DeviceSize(), QSize(2100, 2970));
}

TEST_F(Preview, LandscapePagesAreTurned)
{
    pi.SetOrientation(TPrinterOrientation::poLandscape);
    pi.SetNumLabs(1);
    lab.BuildOnDemandPreview();
    ASSERT_NE(lab.GetPage(1), nullptr);
    EXPECT_EQ(lab.GetPage(1)->DeviceSize(), QSize(2970, 2100));
}

TEST_F(Preview, ARunWithoutLabelsHasOneEmptyPage)
{
    items = zt::MakeItems(2, {0, 0});
    data.Master_ = items.get();
    data.Bound = true;
    pi.SetFieldRepetition("REP");
    lab.BuildOnDemandPreview();
    EXPECT_EQ(pi.LabelsToPrint, 0);
    EXPECT_EQ(Cached(), std::vector<int32_t>{1});
}

// Every page rendered on its own shows what the run's page loop puts on it.
TEST_F(Preview, PagesOnDemandMatchTheRun)
{
    lab.Title()->SetPrint(true);
    lab.OnPrintTitle = [](TObject *, int32_t Page, WideString &Title) {
        Title = u"T" + QString::number(Page).toStdU16String();
    };
    struct Case {
        const char *Name;
        int Records;
        std::vector<int> Rep;
        int Repetition;
        bool Counter;
        int FirstRow, FirstCol;
    } cases[] = {
        {"records x2 from row 2 col 3", 60, {}, 2, false, 2, 3},
        {"counters x3", 0, {}, 3, true, 1, 2},
        {"records and counters", 50, {}, 1, true, 3, 1},
        {"repetition field", 40, {3, 0, 2, 1, 5, 0, 0, 4, 2, 2, 1, 3, 3, 3, 0, 1, 2, 2, 2, 2, 4, 4, 1, 1, 0, 2,
                                  3, 1, 1, 1, 2, 2, 2, 5, 1, 1, 1, 1, 2, 2}, 1, false, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        data.Counters.clear();
        if (c.Counter)
            data.Counters.push_back({1, 40, 1});
        data.Bound = c.Records > 0;
        if (data.Bound) {
            items = zt::MakeItems(c.Records, c.Rep);
            data.Master_ = items.get();
            pi.SetLastLabZero();
            pi.SetNumLabs(c.Records);
        }
        pi.SetFieldRepetition(c.Rep.empty() ? QString() : QStringLiteral("REP"));
        pi.SetRepetition(c.Repetition);
        pi.SetFirstRow(c.FirstRow);
        pi.SetFirstCol(c.FirstCol);

        zt::RecordingPages run(TKXDrawType::tdPreview);
        lab.PrepareRun(false);
        lab.PrintPages(run);
        ASSERT_GE(run.Pages.size(), 3u);
        EXPECT_EQ(int32_t(run.Pages.size()), pi.PagesToPrint);
        // Backwards, so that no page can lean on where the one before left the data.
        for (int32_t page = pi.PagesToPrint; page >= 1; --page) {
            SCOPED_TRACE(page);
            zt::RecordingPages one(TKXDrawType::tdPreview);
            lab.RenderPreviewPage(page, one);
            ASSERT_EQ(one.Pages.size(), 1u);
            EXPECT_EQ(one.Labels(0), run.Labels(size_t(page - 1)));
        }
    }
}

TEST_F(Preview, ThePreviewPutsTheRecordAndCountersBack)
{
    items = zt::MakeItems(200);
    data.Master_ = items.get();
    data.Bound = true;
    data.Counters.push_back({1, 500, 1});
    pi.SetLastLabZero();
    pi.SetNumLabs(200);
    pi.SetRepetition(2);
    items->Open();
    items->MoveBy(4);
    data.Counters[0].Value = 77;
    lab.Title()->SetPrint(true);
    lab.Title()->SetText("Orders");
    lab.OnPrintTitle = [](TObject *, int32_t Page, WideString &Title) { Title += u" p" + QString::number(Page).toStdU16String(); };
    lab.SetModified(false);
    lab.BuildOnDemandPreview(); // 20 pages: on demand
    EXPECT_EQ(lab.TotalPages(), 20);
    EXPECT_EQ(items->RecNo(), 5);
    EXPECT_EQ(data.Counters[0].Value, 77);
    lab.GetPage(9);
    EXPECT_EQ(items->RecNo(), 5);
    EXPECT_EQ(data.Counters[0].Value, 77);
    EXPECT_FALSE(items->ControlsDisabled());
    // Mended: browsing stored each page's title in the label and marked it modified.
    EXPECT_FALSE(lab.Modified());
    EXPECT_EQ(lab.Title()->Text(), "Orders");
}

TEST_F(Preview, CircularLabelsAreClippedOnPagesRenderedOnDemand)
{
    m.SetLabelType(TZantorType::ltCircle);
    Pages(12);
    lab.BuildOnDemandPreview();
    zt::RecordingPages one(TKXDrawType::tdPreview);
    lab.RenderPreviewPage(7, one);
    const auto texts = one.Pages.at(0).Canvas->Texts();
    // Each label is drawn inside its own circle: a clip to it comes right before it.
    size_t labels = 0;
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].rfind("TextOut", 0) == 0) {
            ++labels;
            ASSERT_GE(i, 1u);
            EXPECT_EQ(texts[i - 1].rfind("ClipEllipse(", 0), 0u) << texts[i];
        }
    EXPECT_EQ(labels, size_t(m.NuHor() * m.NuVer()));
}

TEST_F(Preview, PageMetafilesShowTheBackgroundWhereTheLabelsAre)
{
    lab.BackSurf()->SetPrint(true);
    lab.BackSurf()->SetColor(0x0000FF); // red
    pi.SetNumLabs(1);
    lab.BuildOnDemandPreview();
    const QImage page = lab.GetPage(1)->ToImage(QSize(210, 297)); // a pixel per millimetre
    EXPECT_EQ(page.pixelColor(30, 25), QColor(255, 0, 0));  // inside label 1 (5..65, 10..45)
    EXPECT_EQ(page.pixelColor(100, 25), QColor(255, 255, 255)); // no second label
}

TEST_F(Preview, LabelMetafileForTheOpenDialog)
{
    lab.BackSurf()->SetColor(0x00FF00);
    std::unique_ptr<TKXMetafile> mf = lab.GetMetafile(); // 60 x 35 mm
    ASSERT_NE(mf, nullptr);
    EXPECT_EQ(mf->DeviceSize(), QSize(260, 151));
    EXPECT_EQ(mf->LabelSize(), QSize(6000, 3500));
    const QImage img = mf->ToImage(QSize(260, 151));
    // The background is drawn even though it does not print.
    EXPECT_EQ(img.pixelColor(130, 75), QColor(0, 255, 0));
}

} // namespace
