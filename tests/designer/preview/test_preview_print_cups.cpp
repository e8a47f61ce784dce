// Printing from the preview window through the cups-pdf test queue: the PDF has the run's
// pages, its first page looks like the preview's first page, the answer typed to the
// prompted text is printed on every label, and the window shows the run that was printed.
#include "CupsPdf.h"
#include "EditorFixture.h"
#include "ScriptedPrompts.h"

#include "component/KXLab.h"
#include "controls/KXAlignEdit.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "platform/KXMetafile.h"
#include "platform/KXPrinterPort.h"
#include "preview/KXPreviewWindow.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;

namespace {

// Mean absolute difference of the grey levels over the area both images cover.
double MeanDifference(const QImage &A, const QImage &B)
{
    const int w = std::min(A.width(), B.width()), h = std::min(A.height(), B.height());
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sum += std::abs(qGray(A.pixel(x, y)) - qGray(B.pixel(x, y)));
    return w > 0 && h > 0 ? sum / (double(w) * h) : 255;
}

TEST(PreviewPrintCups, PrintsTheRunShownWithTheAnswerGiven)
{
    zt::RequireWidgetApp();
    ASSERT_FALSE(TKXPrinterPort::FindPrinter(zt::CupsQueue).isEmpty()) << "no test queue";

    TKXLab lab;
    lab.NewLabel();
    lab.Measure()->SetLabelName(QStringLiteral("PreviewPrint"));
    lab.PrintInfo()->SetNumLabs(30); // 21 on page 1, 9 on page 2
    auto *box = lab.NewElement<TKXRect>();
    box->SetP1(300, 300);
    box->SetP2(3000, 2500);
    box->SetTransparent(false);
    box->SetBackColor(0x606060);
    auto *ask = lab.NewElement<TKXAskText>();
    ask->SetQuestion(QStringLiteral("Batch?"));
    ask->SetAnswer(QStringLiteral("Unasked"));
    ask->SetP1(3300, 800);
    ask->SetFontHeight(4);

    lab.BuildOnDemandPreview();
    ASSERT_EQ(lab.TotalPages(), 2);
    TKxPrw window;
    window.resize(410, 466);
    window.Ini(lab);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.GoToPage(2);

    zt::TKXScriptedPrompts prompts;
    prompts.AnswerPrinter(zt::CupsQueue);
    prompts.AnswerText(QStringLiteral("Batch4711"));
    const QString folder = zt::CupsOutputFolder();
    QDir().mkpath(folder);
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    QTest::mouseClick(window.TbPrint, Qt::LeftButton);
    prompts.ExpectMessages(0);
    EXPECT_EQ(prompts.Count(zt::TPromptKind::ChoosePrinter), 1);
    EXPECT_EQ(lab.Printer().PrinterName(), zt::CupsQueue);

    const QString pdf = zt::WaitForPdf(folder, since, 90000);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF appeared in " << folder.toStdString();
    const QString info = zt::RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("\\nPages:\\s+%1\\n").arg(lab.TotalPages()))))
        << info.toStdString();
    // The queue's PostScript path re-encodes the fonts: pdftotext gives one stand-in
    // character per glyph (the first glyph of a run may be lost). Every label's line has the
    // shape of "Batch4711": distinct glyphs ending in the same glyph twice; the old answer
    // "Unasked" has no repeated glyph.
    const QString text = zt::RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QStringList lines;
    for (const QString &l : text.split('\n'))
        if (!l.trimmed().isEmpty())
            lines << l.trimmed();
    EXPECT_EQ(lines.size(), 30) << text.toStdString();
    for (const QString &l : lines) {
        const QList<uint> glyphs = l.toUcs4();
        ASSERT_TRUE(glyphs.size() == 8 || glyphs.size() == 9) << l.toStdString();
        EXPECT_EQ(glyphs[glyphs.size() - 1], glyphs[glyphs.size() - 2]) << l.toStdString();
        const QList<uint> rest = glyphs.mid(0, glyphs.size() - 1);
        EXPECT_EQ(QSet<uint>(rest.begin(), rest.end()).size(), rest.size()) << l.toStdString();
    }

    // The window shows the run as printed: the same pages, the new answer, on the same page.
    EXPECT_EQ(window.PageIdx(), 2);
    EXPECT_EQ(window.AlignEdPages->text(), "2 - 2");
    ASSERT_NE(window.ShownPage(0), nullptr);

    // Page 1 of the PDF against the preview's page 1, both at 50 dots per inch.
    QTemporaryDir dir;
    const QString prefix = dir.filePath("page");
    zt::RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-f"),
                                             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                             QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    const QImage printed(prefix + ".png");
    ASSERT_FALSE(printed.isNull());
    const QImage shown = lab.GetPage(1)->ToImage(50.0);
    EXPECT_LE(std::abs(printed.width() - shown.width()), 1);
    EXPECT_LE(std::abs(printed.height() - shown.height()), 1);
    const double difference = MeanDifference(printed, shown);
    EXPECT_LT(difference, 4.0);
    // A blank page would be far off: the boxes alone cover a good part of the sheet.
    QImage white(shown.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_GT(MeanDifference(white, shown), 5 * std::max(difference, 1.0));
    if (!HasFailure())
        QFile::remove(pdf);
}

// Preview(n) puts printer n of the system's list in place before the preview is built.
TEST(PreviewPrintCups, PreviewOnAPrinterSelectsItFirst)
{
    zt::RequireWidgetApp();
    const int32_t index = int32_t(TKXPrinterPort::PrinterNames().indexOf(zt::CupsQueue));
    ASSERT_GE(index, 0) << "no test queue";
    TKXLab lab;
    lab.NewLabel();
    lab.Printer().SelectPdfFile(QDir::temp().filePath("unused.pdf"));
    int shown = 0;
    lab.OnShowPreview = [&](TKxPrw &W) {
        ++shown;
        EXPECT_EQ(W.PageIdx(), 1);
        EXPECT_EQ(lab.Printer().PrinterName(), zt::CupsQueue);
    };
    zt::TKXScriptedPrompts prompts;
    lab.Preview(index);
    EXPECT_EQ(shown, 1);
    // Without an index the selection stays as it is.
    lab.Printer().SelectPdfFile(QDir::temp().filePath("unused.pdf"));
    lab.OnShowPreview = [&](TKxPrw &) { ++shown; };
    lab.Preview(-1);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(lab.Printer().PrinterName().isEmpty());
}

} // namespace
