// The print run and the preview with the label's own binding: text elements bound to a
// dataset of a data module and to the label's counters.
#include "core/KXError.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "RecordingPages.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace kx;

namespace {

class PrintBinding : public ::testing::Test {
protected:
    PrintBinding()
    {
        zt::RequireGuiApp();
        lab.Printer().SelectPdfFile({}); // no printer needed for the page loop
    }
    // A data module with "Items": ID 1..Count and REP.
    MemoryDataset &Items(int Count, const std::vector<int> &Rep = {})
    {
        items = zt::MakeItems(Count, Rep).release();
        items->setParent(&module);
        lab.SetDataMod(&module);
        lab.SetLinkData(true);
        lab.SetDatasetName("Items");
        lab.SetOpenCloseData(true); // validation opens it
        lab.PrintInfo()->SetLastLabZero();
        return *items;
    }
    TKXText *Bound(const QString &Name, TPoint At)
    {
        auto *t = lab.NewElement<TKXText>();
        t->SetData(true);
        t->SetFieldName(Name);
        t->SetP1(At.x, At.y);
        return t;
    }
    TKXCounter &Serial(int64_t From, int64_t To)
    {
        TKXCounter *c = lab.NewCounter();
        c->Name = "Serial";
        c->NumFrom = From;
        c->NumTo = To;
        return *c;
    }
    // What the element at x offset X of each label shows, over every page.
    std::vector<std::string> Shown(const zt::RecordingPages &Pages, int X)
    {
        std::vector<std::string> out;
        for (size_t p = 0; p < Pages.Pages.size(); ++p)
            for (const std::string &l : Pages.Labels(p)) {
                const size_t a = l.rfind('@');
                const int x = std::stoi(l.substr(a + 1));
                if ((x - 500) % 6400 == X)
                    out.push_back(l.substr(0, a));
            }
        return out;
    }
    zt::RecordingPages Run()
    {
        zt::RecordingPages pages;
        lab.PrepareRun(false);
        lab.PrintPages(pages);
        return pages;
    }

    TKXCustomLab lab;
    QObject module;
    MemoryDataset *items = nullptr;
};

TEST_F(PrintBinding, RepetitionFieldWithinThePrintRange)
{
    Items(5, {2, 0, 1, 3, 1});
    lab.PrintInfo()->SetFieldRepetition("REP");
    lab.PrintInfo()->SetLastLab(4);
    Bound("ID", {100, 100});
    zt::RecordingPages pages = Run();
    EXPECT_EQ(lab.PrintInfo()->FillType, TKXFillType::ftField);
    EXPECT_EQ(lab.PrintInfo()->LabelsToPrint, 6);
    EXPECT_EQ(Shown(pages, 100), (std::vector<std::string>{"1", "1", "3", "4", "4", "4"}));
}

TEST_F(PrintBinding, CountersRepeatedTwice)
{
    Serial(1, 10);
    Bound("Serial", {200, 100});
    lab.PrintInfo()->SetRepetition(2);
    zt::RecordingPages pages = Run();
    EXPECT_EQ(lab.PrintInfo()->FillType, TKXFillType::ftCounter);
    EXPECT_EQ(lab.PrintInfo()->LabelsToPrint, 20);
    std::vector<std::string> want;
    for (int v = 1; v <= 10; ++v)
        want.insert(want.end(), 2, std::to_string(v));
    EXPECT_EQ(Shown(pages, 200), want);
}

TEST_F(PrintBinding, RecordsWithCountersAndTheirPreview)
{
    Items(30);
    TKXCounter &serial = Serial(100, 1000);
    Bound("ID", {100, 100});
    Bound("Serial", {200, 100});
    zt::RecordingPages pages = Run();
    EXPECT_EQ(lab.PrintInfo()->FillType, TKXFillType::ftFieldCounter);
    const std::vector<std::string> ids = Shown(pages, 100), serials = Shown(pages, 200);
    ASSERT_EQ(ids.size(), 30u);
    ASSERT_EQ(serials.size(), 30u);
    EXPECT_EQ(ids[29], "30");
    EXPECT_EQ(serials[0], "100");
    EXPECT_EQ(serials[29], "129");

    // Page 2 on its own shows labels 22 to 30; the record and the counter go back.
    items->First();
    items->MoveBy(6);
    serial.Counter = 555;
    zt::RecordingPages page2;
    lab.RenderPreviewPage(2, page2);
    EXPECT_EQ(Shown(page2, 100), std::vector<std::string>(ids.begin() + 21, ids.end()));
    EXPECT_EQ(Shown(page2, 200), std::vector<std::string>(serials.begin() + 21, serials.end()));
    EXPECT_EQ(items->RecNo(), 7);
    EXPECT_EQ(serial.Counter, 555);
}

// Mended: a label bound to a dataset of the application's data modules was not bound again
// when it was reopened, and printed its captions as a fixed run.
TEST(PrintReopened, ApplicationModulesDatasetIsBoundAgainAndAMissingOneIsAnError)
{
    zt::RequireGuiApp();
    QTemporaryDir dir;
    const QString path = dir.filePath("items.eti");
    QObject dm;
    dm.setObjectName("DM");
    MemoryDataset *items = zt::MakeItems(3).release();
    items->setParent(&dm);
    {
        TKXCustomLab lab;
        lab.SetApplicationModules({&dm});
        lab.SetLinkData(true);
        ASSERT_TRUE(lab.FindDataset("Items", false, false));
        auto *t = lab.NewElement<TKXText>();
        t->SetData(true);
        t->SetFieldName("ID");
        t->SetP1(100, 100);
        lab.SaveLabel(path);
    }
    auto run = [](TKXCustomLab &lab) {
        lab.Printer().SelectPdfFile({});
        zt::RecordingPages pages;
        lab.PrepareRun(false);
        lab.PrintPages(pages);
        return pages.AllTexts();
    };

    zt::FakeUIServices ui;
    TKXCustomLab lab;
    lab.SetUIServices(&ui);
    lab.SetApplicationModules({&dm});
    lab.SetOpenCloseData(true);
    lab.LoadLabel(path, false);
    EXPECT_TRUE(ui.Messages.empty());
    EXPECT_EQ(lab.DataSet(), items);
    EXPECT_TRUE(lab.VaDa());
    EXPECT_EQ(run(lab), (std::vector<std::string>{"1", "2", "3"}));

    // Without the module the label opens all the same, the user is told why, and printing
    // it is refused instead of printing "ID" on every label.
    TKXCustomLab orphan;
    orphan.SetUIServices(&ui);
    orphan.LoadLabel(path, false);
    EXPECT_EQ(ui.Messages, std::vector<QString>{"DATASET NOT FOUND :Items"});
    EXPECT_EQ(orphan.ElementCount(), 1);
    EXPECT_FALSE(orphan.VaDa());
    try {
        run(orphan);
        ADD_FAILURE() << "a bound label printed without its dataset";
    } catch (const EKxError &e) {
        EXPECT_STREQ(e.what(), "DATASET NOT FOUND :Items");
    }
}

} // namespace
