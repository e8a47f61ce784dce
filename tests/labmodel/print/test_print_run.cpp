// The print run on recording pages: fill types, label and page counts, where each label
// goes, record and counter advance, repetitions, the page title, circular clipping,
// SeekLabel; and the job itself printed into a PDF file.
#include "core/KXError.h"
#include "GuiApp.h"
#include "platform/KXPrinterPort.h"
#include "RecordingPages.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kx;

namespace {

class PrintRun : public ::testing::Test {
protected:
    PrintRun()
    {
        lab.SetRunData(&data);
        auto probe = std::make_unique<zt::ProbeText>(&lab, data);
        probe->SetPoints({100, 200}, {100, 200});
        lab.AddElement(std::move(probe), false);
        data.Bound = false;
    }
    void Bind(int Count, const std::vector<int> &Rep = {})
    {
        items = zt::MakeItems(Count, Rep);
        data.Master_ = items.get();
        data.Bound = true;
        pi.SetLastLabZero();
        pi.SetNumLabs(Count);
        if (!Rep.empty())
            pi.SetFieldRepetition("REP");
    }
    // Prepares and runs the page loop onto recording pages.
    zt::RecordingPages Run(TKXDrawType DrawType = TKXDrawType::tdPrint)
    {
        zt::RecordingPages pages(DrawType);
        lab.PrepareRun(false);
        lab.PrintPages(pages);
        return pages;
    }
    // "text@x,y" of the label at column c, row r (the probe sits at 100, 200 in the label).
    static std::string At(const std::string &Text, int c, int r)
    {
        return Text + "@" + std::to_string(500 + (c - 1) * 6400 + 100) + "," +
               std::to_string(1000 + (r - 1) * 3900 + 200);
    }

    TKXCustomLab lab;
    TKXPrintInfo &pi = *lab.PrintInfo();
    TKXMeasure &m = *lab.Measure();
    zt::TestRunData data;
    std::unique_ptr<MemoryDataset> items;
};

TEST_F(PrintRun, LabelsAndPagesOnAThreeBySevenSheet)
{
    // 3 columns, 7 rows, from row 2, column 3: the first page holds 16 labels.
    struct Case {
        int FirstRow, FirstCol, Labels;
        std::vector<size_t> PerPage;
    } cases[] = {
        {2, 3, 16, {16}},
        {2, 3, 37, {16, 21}},
        {2, 3, 38, {16, 21, 1}},
        {1, 1, 21, {21}}, // exactly one page: no second one is started
        {1, 1, 22, {21, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Labels);
        pi.SetFirstRow(c.FirstRow);
        pi.SetFirstCol(c.FirstCol);
        pi.SetNumLabs(c.Labels);
        zt::RecordingPages pages = Run();
        EXPECT_EQ(pi.FillType, TKXFillType::ftNone);
        EXPECT_EQ(pi.LabelsToPrint, c.Labels);
        EXPECT_EQ(pi.PagesToPrint, int32_t(c.PerPage.size()));
        ASSERT_EQ(pages.Pages.size(), c.PerPage.size());
        for (size_t p = 0; p < pages.Pages.size(); ++p) {
            EXPECT_EQ(pages.Pages[p].PageNo, int32_t(p + 1));
            EXPECT_TRUE(pages.Pages[p].Ended);
            EXPECT_EQ(pages.Labels(p).size(), c.PerPage[p]);
        }
        // The first label at column FirstCol of row FirstRow, later pages from the top left.
        EXPECT_EQ(pages.Labels(0).front(), At("-", c.FirstCol, c.FirstRow));
        if (pages.Pages.size() > 1) {
            EXPECT_EQ(pages.Labels(1).front(), At("-", 1, 1));
        }
        EXPECT_EQ(lab.CurrentPage(), int32_t(c.PerPage.size()));
    }
}

TEST_F(PrintRun, RowsFillLeftToRightThenDown)
{
    pi.SetNumLabs(5);
    const std::vector<std::string> want = {At("-", 1, 1), At("-", 2, 1), At("-", 3, 1), At("-", 1, 2),
                                           At("-", 2, 2)};
    EXPECT_EQ(Run().Labels(0), want);
}

TEST_F(PrintRun, PrinterOffsetIsTakenOffEveryPosition)
{
    pi.SetNumLabs(1);
    zt::RecordingPages pages(TKXDrawType::tdPrint, {423, 300});
    lab.PrepareRun(false);
    lab.PrintPages(pages);
    EXPECT_EQ(pages.Labels(0), std::vector<std::string>{"-@" + std::to_string(600 - 423) + "," +
                                                        std::to_string(1200 - 300)});
}

TEST_F(PrintRun, FirstRowAndColumnAreClampedToAShrunkenSheet)
{
    pi.SetFirstRow(7);
    pi.SetFirstCol(3);
    m.SetNuHor(2); // the stored start now lies below the sheet
    m.SetNuVer(2);
    pi.SetNumLabs(4);
    zt::RecordingPages pages = Run();
    // Row 2, column 2 is the last position: one label on page 1, three on page 2.
    EXPECT_EQ(pi.PagesToPrint, 2);
    ASSERT_EQ(pages.Pages.size(), 2u);
    EXPECT_EQ(pages.Labels(0), std::vector<std::string>{At("-", 2, 2)});
    EXPECT_EQ(pages.Labels(1).size(), 3u);
}

TEST_F(PrintRun, FixedRepetitionRepeatsEachRecord)
{
    Bind(4);
    pi.SetRepetition(3);
    zt::RecordingPages pages = Run();
    EXPECT_EQ(pi.FillType, TKXFillType::ftField);
    EXPECT_EQ(pi.LabelsToPrint, 12);
    EXPECT_EQ(pages.AllTexts(), (std::vector<std::string>{"R1", "R1", "R1", "R2", "R2", "R2", "R3", "R3",
                                                          "R3", "R4", "R4", "R4"}));
}

TEST_F(PrintRun, RepetitionFieldCountsAndPrintsEachRecord)
{
    struct Case {
        std::vector<int> Rep;
        int LastLab;
        int Labels;
        std::vector<std::string> Texts;
    } cases[] = {
        // A record with 0 prints nothing and the run goes on with the next.
        {{2, 0, 1}, 0, 3, {"R1", "R1", "R3"}},
        // Negative values print nothing either, and take nothing off the count.
        {{1, -4, 2}, 0, 3, {"R1", "R3", "R3"}},
        // LastLab ends the range with a repetition field too.
        {{2, 0, 1, 5}, 3, 3, {"R1", "R1", "R3"}},
        // A value that cannot be read counts Repetition (1).
        {{2, 1}, 0, 4, {"R1", "R1", "R2", "R3"}},
        // Nothing to print: one empty page.
        {{0, 0}, 0, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Labels);
        Bind(int(c.Rep.size()) + (c.Labels == 4 ? 1 : 0), c.Rep);
        if (c.LastLab > 0)
            pi.SetLastLab(c.LastLab);
        zt::RecordingPages pages = Run();
        EXPECT_EQ(pi.LabelsToPrint, c.Labels);
        EXPECT_EQ(pages.AllTexts(), c.Texts);
        EXPECT_EQ(pages.Pages.size(), 1u);
    }
}

TEST_F(PrintRun, PrintRangeStartsAtFirstLab)
{
    Bind(6);
    pi.SetFirstLab(3);
    pi.SetLastLab(5);
    pi.SetRepetition(2);
    EXPECT_EQ(Run().AllTexts(), (std::vector<std::string>{"R3", "R3", "R4", "R4", "R5", "R5"}));
}

TEST_F(PrintRun, DataRunningOutEndsTheRun)
{
    // A stale range asks for more records than there are: no record is printed twice.
    Bind(2);
    pi.SetFirstLab(1);
    pi.SetLastLab(4);
    EXPECT_EQ(Run().AllTexts(), (std::vector<std::string>{"R1", "R2"}));
}

TEST_F(PrintRun, AnEmptyDatasetPrintsNoLabel)
{
    Bind(0);
    pi.SetFirstLab(1);
    pi.SetLastLab(1); // what validation leaves for an empty dataset
    zt::RecordingPages pages = Run();
    EXPECT_EQ(pi.FillType, TKXFillType::ftField);
    EXPECT_TRUE(pages.AllTexts().empty());
    EXPECT_EQ(pages.Pages.size(), 1u);
}

TEST_F(PrintRun, CountersStepAfterEachRepetition)
{
    data.Counters.push_back({1, 10, 1});
    pi.SetRepetition(2);
    zt::RecordingPages pages = Run();
    EXPECT_EQ(pi.FillType, TKXFillType::ftCounter);
    EXPECT_EQ(pi.LabelsToPrint, 20);
    std::vector<std::string> want;
    for (int v = 1; v <= 10; ++v)
        want.insert(want.end(), 2, "C" + std::to_string(v));
    EXPECT_EQ(pages.AllTexts(), want);
}

TEST_F(PrintRun, RecordsAndCountersAdvanceTogether)
{
    Bind(3);
    data.Counters.push_back({5, 50, 5});
    zt::RecordingPages pages = Run();
    EXPECT_EQ(pi.FillType, TKXFillType::ftFieldCounter);
    EXPECT_EQ(pages.AllTexts(), (std::vector<std::string>{"R1C5", "R2C10", "R3C15"}));
}

TEST_F(PrintRun, FixedRunForcesRepetitionOneWithoutMarkingModified)
{
    pi.SetRepetition(4);
    pi.SetNumLabs(7);
    lab.SetModified(false);
    zt::RequireGuiApp();
    lab.Printer().SelectPdfFile({}); // no printer: the job cannot start
    EXPECT_THROW(lab.PrintLabels(-1, TKXPrintKind::pkDriver), EKxError);
    EXPECT_EQ(pi.FillType, TKXFillType::ftNone);
    EXPECT_EQ(pi.Repetition(), 1);
    EXPECT_EQ(pi.LabelsToPrint, 7);
    EXPECT_FALSE(lab.Modified());
}

TEST_F(PrintRun, SeekLabel)
{
    // Fixed repetition 3: label 5 (0-based) is the second of record FirstLab + 1.
    Bind(5);
    pi.SetRepetition(3);
    pi.SetFirstLab(2);
    pi.SetLastLabZero();
    lab.PrepareRun(false);
    EXPECT_EQ(lab.SeekLabel(5), 1);
    EXPECT_EQ(items->RecNo(), 3);
    EXPECT_EQ(lab.SeekLabel(0), 3);
    EXPECT_EQ(items->RecNo(), 2);

    // Repetition field 2, 0, 1, 3: labels 0-1 record 1, 2 record 3, 3-5 record 4.
    struct Case {
        int Count, RecNo, Left;
    } cases[] = {{0, 1, 2}, {1, 1, 1}, {2, 3, 1}, {3, 4, 3}, {5, 4, 1}, {6, 4, 0}};
    Bind(4, {2, 0, 1, 3});
    pi.SetFirstLab(1);
    pi.SetLastLabZero();
    lab.PrepareRun(false);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Count);
        EXPECT_EQ(lab.SeekLabel(c.Count), c.Left);
        if (c.Left > 0) {
            EXPECT_EQ(items->RecNo(), c.RecNo);
        }
    }
}

TEST_F(PrintRun, PageTitleAsksForEachPage)
{
    pi.SetNumLabs(25);
    lab.Title()->SetPrint(true);
    lab.Title()->SetPositionX(10);
    lab.Title()->SetPositionY(5);
    std::vector<int32_t> asked;
    lab.Title()->SetText("Stock list");
    lab.SetModified(false);
    std::vector<std::u16string> given;
    lab.OnPrintTitle = [&](TObject *Sender, int32_t Page, WideString &Title) {
        EXPECT_EQ(Sender, &lab);
        asked.push_back(Page);
        given.push_back(Title);
        Title += u" " + std::u16string(1, char16_t(u'0' + Page));
    };
    zt::RecordingPages pages = Run();
    EXPECT_EQ(asked, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(pages.Labels(0).front(), "Stock list 1@1000,500");
    EXPECT_EQ(pages.Labels(1).front(), "Stock list 2@1000,500");
    // Mended: the drawn text became the label's title, so page 2 was asked with page 1's
    // answer and the designed label changed. Every page gets the designed title.
    EXPECT_EQ(given, (std::vector<std::u16string>{u"Stock list", u"Stock list"}));
    EXPECT_EQ(lab.Title()->Text(), "Stock list");
    EXPECT_FALSE(lab.Modified());

    // An empty title is not drawn; with Print off none is asked for.
    lab.OnPrintTitle = [&](TObject *, int32_t, WideString &Title) { Title.clear(); };
    EXPECT_EQ(Run().Labels(0).size(), 21u);
    lab.Title()->SetPrint(false);
    asked.clear();
    lab.OnPrintTitle = [&](TObject *, int32_t Page, WideString &) { asked.push_back(Page); };
    Run();
    EXPECT_TRUE(asked.empty());
}

TEST_F(PrintRun, CircularLabelsClipToEveryCircleOfEachPrintedPage)
{
    m.SetLabelType(TZantorType::ltCircle); // 6000 x 6000
    m.SetNuHor(2);
    m.SetNuVer(2);
    m.SetDiHor(0);
    m.SetDiVer(0);
    pi.SetNumLabs(6);
    zt::RecordingPages pages = Run();
    ASSERT_EQ(pages.Pages.size(), 2u);
    const std::string clip = "ClipEllipses(500,1000,6500,7000 6500,1000,12500,7000 500,7000,6500,13000 "
                             "6500,7000,12500,13000)";
    for (auto &page : pages.Pages) {
        const auto texts = page.Canvas->Texts();
        // Clipped before the first label is drawn.
        const auto at = std::find(texts.begin(), texts.end(), clip);
        ASSERT_NE(at, texts.end());
        EXPECT_LT(at - texts.begin(), std::find_if(texts.begin(), texts.end(), [](const std::string &t) {
                                          return t.rfind("TextOut", 0) == 0;
                                      }) - texts.begin());
    }
}

TEST_F(PrintRun, CircularLabelsOnPreviewPagesClipToTheLabelDrawn)
{
    m.SetLabelType(TZantorType::ltCircle);
    pi.SetNumLabs(2);
    zt::RecordingPages pages = Run(TKXDrawType::tdPreview);
    const auto texts = pages.Pages.at(0).Canvas->Texts("Clip");
    EXPECT_EQ(texts, (std::vector<std::string>{"ClipEllipse(500,1000,6500,7000)", "ClipEllipse(6900,1000,12900,7000)"}));
}

TEST_F(PrintRun, BackgroundAndFrameOfEveryLabel)
{
    lab.BackSurf()->SetPrint(true);
    lab.Frame()->SetStyle(TKXFrameStyle::fsOneLine);
    pi.SetNumLabs(2);
    const auto texts = Run().Pages.at(0).Canvas->Texts();
    const std::vector<std::string> labelCalls = {"FillRect(500,1000,6500,4500)", "TextOut(600,1200,\"-\")",
                                                 "RoundRect(500,1000,6501,4501,0,0)"};
    auto from = std::find(texts.begin(), texts.end(), labelCalls[0]);
    ASSERT_NE(from, texts.end());
    std::vector<std::string> seen;
    for (auto it = from; it != texts.end(); ++it)
        if (*it == labelCalls[0] || *it == labelCalls[1] || *it == labelCalls[2])
            seen.push_back(*it);
    EXPECT_EQ(seen, labelCalls); // background, elements, frame, in that order
    EXPECT_NE(std::find(texts.begin(), texts.end(), "FillRect(6900,1000,12900,4500)"), texts.end());
}

// ---------------------------------------------------------------------------------------
// The job, into a PDF file

class PrintJob : public PrintRun {
protected:
    PrintJob() { zt::RequireGuiApp(); }
    static int PdfPages(const QString &File)
    {
        QProcess p;
        p.start("pdfinfo", {File});
        p.waitForFinished(30000);
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
            if (line.startsWith("Pages:"))
                return line.mid(6).trimmed().toInt();
        return -1;
    }
    QTemporaryDir dir;
};

TEST_F(PrintJob, PrintsThePagesIntoAPdfFile)
{
    const QString file = dir.filePath("run.pdf");
    lab.Printer().SelectPdfFile(file);
    pi.SetFirstRow(2);
    pi.SetFirstCol(3);
    pi.SetNumLabs(38);
    pi.SetCopies(1);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    EXPECT_EQ(PdfPages(file), 3);
    EXPECT_GT(lab.DPIHPrinter(), 0);
    EXPECT_DOUBLE_EQ(double(lab.FactorDotMM()), lab.DPIHPrinter() / 2540.0);
    // The sheet of the measure, portrait.
    EXPECT_EQ(lab.Printer().PaperSize().size(QPageSize::Millimeter).toSize(), QSize(210, 297));
}

TEST_F(PrintJob, PrinterSetUpFromTheSettings)
{
    struct Case {
        bool Adjust;
        TPrinterOrientation Orientation;
        int Copies;
        QSize Paper; // millimetres, portrait
    } cases[] = {
        // The sheet goes to the printer as a user-defined size in tenths of a millimetre.
        {true, TPrinterOrientation::poLandscape, 2, QSize(100, 150)},
        {true, TPrinterOrientation::poPortrait, 1, QSize(210, 297)},
        // Without adjusting, only copies and orientation are set; the paper stays.
        {false, TPrinterOrientation::poLandscape, 3, QSize(210, 297)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Copies);
        lab.Printer().SelectPdfFile(dir.filePath("setup.pdf"));
        lab.Printer().SetPaperCode(9);
        lab.SetMakeAdjustPrint(c.Adjust);
        m.SetPaperSizeMM(100.004f, 150);
        if (c.Paper.width() == 210)
            m.SetPaperSizeMM(210, 297);
        pi.SetOrientation(c.Orientation);
        pi.SetCopies(c.Copies);
        pi.SetNumLabs(1);
        lab.PrintLabels(-1, TKXPrintKind::pkDriver);
        EXPECT_EQ(lab.Printer().Copies(), c.Copies);
        EXPECT_EQ(lab.Printer().Orientation(), c.Orientation == TPrinterOrientation::poLandscape
                                                   ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
        EXPECT_EQ(lab.Printer().PaperSize().size(QPageSize::Millimeter).toSize(), c.Paper);
    }
}

TEST_F(PrintJob, AJobThatCannotStartIsAnErrorAndLeavesControlsOn)
{
    Bind(3);
    lab.Printer().SelectPdfFile(dir.filePath("no/such/folder/run.pdf"));
    EXPECT_THROW(lab.PrintLabels(-1, TKXPrintKind::pkDriver), EKxError);
    EXPECT_FALSE(items->ControlsDisabled());
}

// An element whose drawing fails on the given label.
class FailingText : public zt::TestText {
public:
    FailingText(TKXCustomLab *Lab, int FailAt) : zt::TestText(Lab), FFailAt(FailAt) {}
    void Draw(TKXCanvas &, TPoint, TKXDrawType, TKXFillType) override
    {
        if (++FDrawn == FFailAt)
            throw EKxError("DRAWING FAILED");
    }

private:
    int FFailAt;
    int FDrawn = 0;
};

TEST_F(PrintJob, AnErrorHalfwayAbortsTheJobAndSwitchesControlsOn)
{
    Bind(30);
    lab.AddElement(std::make_unique<FailingText>(&lab, 25), false);
    const QString file = dir.filePath("failed.pdf");
    lab.Printer().SelectPdfFile(file);
    lab.SetModified(false);
    EXPECT_THROW(lab.PrintLabels(-1, TKXPrintKind::pkDriver), EKxError);
    EXPECT_FALSE(items->ControlsDisabled());
    EXPECT_FALSE(lab.Printer().Printing());
    EXPECT_FALSE(QFile::exists(file)); // an aborted job leaves no half-printed file
    EXPECT_FALSE(lab.Modified());
}

TEST_F(PrintJob, ControlsAreOffWhileTheRunWalksTheRecords)
{
    Bind(3);
    std::vector<bool> off;
    items->Open();
    items->OnDataChange = [&](TKXDataSet &) { off.push_back(false); };
    lab.Printer().SelectPdfFile(dir.filePath("locked.pdf"));
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    // Walking three records raised no data change; switching the controls on raised one.
    EXPECT_EQ(off.size(), 1u);
    EXPECT_FALSE(items->ControlsDisabled());
}

TEST_F(PrintJob, MissingPrinterForTheDeviceModeIsReported)
{
    lab.Printer().SelectPdfFile({}); // no file and no queue: nothing to print on
    EXPECT_THROW(
        {
            try {
                lab.SetPrinterDevMode();
            } catch (const EKxError &e) {
                EXPECT_STREQ(e.what(), "CANT INITIALIZE DEVMODE STRUCT");
                throw;
            }
        },
        EKxError);
}

} // namespace
