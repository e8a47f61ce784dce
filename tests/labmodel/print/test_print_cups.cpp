// A print run through a real CUPS queue: the cups-pdf queue that the test
// set-up starts (scripts/test-printer.sh), found by name, and the PDF it writes checked with
// poppler's pdfinfo and pdftotext.
#include "CupsPdf.h"
#include "GuiApp.h"
#include "platform/KXPrinterPort.h"
#include "platform/KXQtCanvas.h"
#include "TestElements.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinterInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kx;

namespace {

using zt::RunTool;
using zt::WaitForPdf;
const QString &Queue = zt::CupsQueue;

TEST(PrintCups, ARunOfThreePagesThroughTheQueue)
{
    zt::RequireGuiApp();
    const QPrinterInfo info = QPrinterInfo::printerInfo(Queue);
    ASSERT_FALSE(info.isNull()) << "the test queue " << Queue.toStdString() << " is not there";

    TKXCustomLab lab;
    lab.Measure()->SetLabelName(QStringLiteral("CupsRun"));
    lab.PrintInfo()->SetPrinterName(Queue);
    lab.PrintInfo()->SetNumLabs(45); // 21 + 21 + 3
    auto *text = lab.NewElement<zt::TestText>();
    text->SetPoints({1000, 800}, {1000, 800});

    const QString folder = zt::CupsOutputFolder();
    QDir().mkpath(folder);
    // File times have whole-second resolution on some file systems.
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    EXPECT_EQ(lab.Printer().PrinterName(), Queue);

    const QString pdf = WaitForPdf(folder, since, 90000);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF appeared in " << folder.toStdString();
    const QString pdfInfo = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(pdfInfo.contains(QRegularExpression(QStringLiteral("\\nPages:\\s+3\\n")))) << pdfInfo.toStdString();
    // cups-pdf keeps the job's title as the PostScript string it received, parentheses and all.
    EXPECT_TRUE(pdfInfo.contains(QRegularExpression(QStringLiteral("(?m)^Title:\\s+\\(?ZANTOR VCL PRINT: CupsRun\\)?$"))))
        << pdfInfo.toStdString();

    // Page 2 begins at the top-left label: the text's cell 10 mm right and 8 mm down of its
    // corner, the label 5 mm from the sheet's left edge and 10 mm from its top. cups-pdf passes
    // the page through Ghostscript, whose Type 3 re-encoding loses the first glyph's box and
    // the font's ascent for text extraction; the text's right end and its vertical middle come
    // through unchanged, so those are compared: the cell's left edge plus the measured width,
    // and the middle of the 5 mm cell.
    const QString bbox = RunTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("2"),
                                  QStringLiteral("-l"), QStringLiteral("2"), pdf, QStringLiteral("-")});
    const QRegularExpression wordRe(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">"));
    struct Box {
        double xMin, yMin, xMax, yMax;
    };
    std::vector<Box> boxes;
    for (auto it = wordRe.globalMatch(bbox); it.hasNext();) {
        const auto w = it.next();
        boxes.push_back({w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3).toDouble(),
                         w.captured(4).toDouble()});
    }
    EXPECT_EQ(boxes.size(), 21u); // a full sheet
    ASSERT_FALSE(boxes.empty());
    const Box first = *std::min_element(boxes.begin(), boxes.end(), [](const Box &a, const Box &b) {
        return std::make_pair(std::round(a.yMin), a.xMin) < std::make_pair(std::round(b.yMin), b.xMin);
    });
    QImage scratch(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    TKXQtCanvas measure(painter, TKXMapping::ForResolution(1200, 1200));
    TKXFont font;
    font.Height = 500;
    measure.SetFont(font);
    const double width = measure.TextExtent(text->ID()).cx / 100.0; // mm
    const double mmPerPoint = 25.4 / 72;
    EXPECT_NEAR(first.xMax * mmPerPoint, 5 + 10 + width, 0.5);
    EXPECT_NEAR((first.yMin + first.yMax) / 2 * mmPerPoint, 10 + 8 + 2.5, 0.5);
    if (!HasFailure())
        QFile::remove(pdf);
}

} // namespace
