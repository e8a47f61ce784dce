// The printer port: Windows paper codes, printer look-up, metrics, and a PDF job checked
// with pdfinfo. Jobs on a real CUPS queue are tested with the print run.
#include "CupsPdf.h"
#include "GuiApp.h"

#include "core/KXError.h"
#include "platform/KXPrinterPort.h"

#include <QDir>
#include <QFile>
#include <QSizeF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

using namespace kx;

namespace {

// Sheet sizes of the Windows paper codes, as the Windows device-mode documentation lists
// them (inches converted at 25.4 mm).
struct PaperCase {
    int32_t code;
    double widthMM, heightMM;
    const char *name;
} const kPapers[] = {
    {1, 215.9, 279.4, "Letter"},
    {3, 279.4, 431.8, "Tabloid"},
    {4, 431.8, 279.4, "Ledger"},
    {5, 215.9, 355.6, "Legal"},
    {6, 139.7, 215.9, "Statement"},
    {7, 184.2, 266.7, "Executive"},
    {8, 297, 420, "A3"},
    {9, 210, 297, "A4"},
    {11, 148, 210, "A5"},
    {13, 182, 257, "B5 (JIS)"},
    {14, 215.9, 330.2, "Folio"},
    {20, 104.8, 241.3, "Envelope #10"},
    {27, 110, 220, "Envelope DL"},
    {28, 162, 229, "Envelope C5"},
    {42, 250, 353, "B4 (ISO)"},
    {66, 420, 594, "A2"},
    {70, 105, 148, "A6"},
};

std::string Run(const std::string &cmd)
{
    std::string out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

std::string PdfInfo(const QString &File) { return Run("pdfinfo '" + File.toStdString() + "' 2>&1"); }

std::string PdfPageText(const QString &File, int Page)
{
    const std::string p = std::to_string(Page);
    return Run("pdftotext -f " + p + " -l " + p + " '" + File.toStdString() + "' - 2>&1");
}

} // namespace

TEST(PrinterPort, WindowsPaperCodesMapToTheirSheets)
{
    for (const PaperCase &k : kPapers) {
        SCOPED_TRACE(k.name);
        const auto size = TKXPrinterPort::PaperOfCode(k.code);
        ASSERT_TRUE(size.has_value());
        const QSizeF mm = size->size(QPageSize::Millimeter);
        EXPECT_NEAR(mm.width(), k.widthMM, 0.6);
        EXPECT_NEAR(mm.height(), k.heightMM, 0.6);
        if (k.code != 14) { // Folio comes back as the same sheet's fan-fold code
            EXPECT_EQ(TKXPrinterPort::CodeOfPaper(*size), k.code);
        }
    }
    for (int32_t code : {0, -1, 256, 9999})
        EXPECT_FALSE(TKXPrinterPort::PaperOfCode(code).has_value()) << code;
    const QPageSize labelStock(QSizeF(100, 50), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    EXPECT_EQ(TKXPrinterPort::CodeOfPaper(labelStock), TKXPrinterPort::UserPaperCode);
}

TEST(PrinterPort, MetricsRoundOffsetsHalfUp)
{
    // 600 dpi and a left offset of 100 pixels: 423.33 hundredths of a millimetre.
    TKXPrinterMetrics m;
    m.DpiX = m.DpiY = 600;
    m.OffsetXPx = 100;
    m.OffsetYPx = 3; // 12.7 -> 13
    m.PageWidthPx = 4800;
    EXPECT_EQ(m.OffsetX(), 423);
    EXPECT_EQ(m.OffsetY(), 13);
    EXPECT_EQ(m.PageWidth(), 20320);
    EXPECT_EQ(m.PageWidthMM(), 203);
    EXPECT_EQ(TKXPrinterMetrics::ToHundredths(15, 1200), 32); // 31.75 rounds up
    EXPECT_EQ(TKXPrinterMetrics::ToHundredths(100, 0), 0);
}

TEST(PrinterPort, UnknownPrinterIsNotSelected)
{
    zt::RequireGuiApp();
    TKXPrinterPort port;
    const QString before = port.PrinterName();
    EXPECT_FALSE(port.SelectPrinter(QStringLiteral("no-such-queue-zantor")));
    EXPECT_EQ(port.PrinterName(), before);
    EXPECT_EQ(TKXPrinterPort::FindPrinter(QStringLiteral("no-such-queue-zantor"), 100000), QString());
}

// With the test queue in place (the *Cups suites run with it, never while it is added or
// removed): a name wins over the index, ignoring case; the index is the fallback.
TEST(PrinterPortCups, FindPrinterByNameThenByIndex)
{
    zt::RequireGuiApp();
    const QStringList names = TKXPrinterPort::PrinterNames();
    ASSERT_TRUE(names.contains(zt::CupsQueue)) << "the test queue is not there";
    EXPECT_EQ(TKXPrinterPort::FindPrinter(zt::CupsQueue.toLower(), 0), zt::CupsQueue);
    EXPECT_EQ(TKXPrinterPort::FindPrinter(names.back().toUpper(), 0), names.back());
    EXPECT_EQ(TKXPrinterPort::FindPrinter(QStringLiteral("gone"), 0), names.front());
}

// Two A4 landscape pages into a PDF: the file has two pages of 297 x 210 mm.
TEST(PrinterPort, PrintsPagesIntoPdf)
{
    zt::RequireGuiApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("job.pdf"));
    TKXPrinterPort port;
    port.SelectPdfFile(file);
    ASSERT_TRUE(port.SetPaperCode(9));
    port.SetOrientation(QPageLayout::Landscape);
    port.SetCopies(0);
    EXPECT_EQ(port.Copies(), 1);

    const TKXPrinterMetrics m = port.Metrics();
    EXPECT_GT(m.DpiX, 0);
    // Qt keeps PDF sheets in whole points (0.35 mm): A4 is 842 x 595 pt.
    EXPECT_NEAR(m.PaperWidth(), 29700, 20);
    EXPECT_NEAR(m.PaperHeight(), 21000, 20);
    EXPECT_LE(m.OffsetXPx + m.PageWidthPx, m.PaperWidthPx);
    EXPECT_LE(m.OffsetYPx + m.PageHeightPx, m.PaperHeightPx);

    TKXCanvas &c = port.BeginJob(QStringLiteral("ZANTOR VCL PRINT: test"));
    EXPECT_TRUE(port.Printing());
    EXPECT_THROW(port.BeginJob(QStringLiteral("again")), EKxError);
    c.SetBrush({clBlack});
    c.Rectangle({1000, 1000, 5000, 3000});
    EXPECT_TRUE(port.NewPage());
    c.SetFont({QStringLiteral("Liberation Sans"), 500});
    c.TextOut(1000, 1000, QStringLiteral("Page 2"));
    EXPECT_TRUE(port.EndJob());
    EXPECT_FALSE(port.Printing());
    EXPECT_EQ(port.PagesPrinted(), 2);

    const std::string info = PdfInfo(file);
    EXPECT_NE(info.find("Pages:"), std::string::npos) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages:\\s+2\\b"))) << info;
    // 297 x 210 mm = 841.89 x 595.28 points (Qt writes whole points)
    EXPECT_EQ(PdfPageText(file, 1).find("Page 2"), std::string::npos);
    EXPECT_NE(PdfPageText(file, 2).find("Page 2"), std::string::npos);
    EXPECT_TRUE(std::regex_search(info, std::regex("Page size:\\s+(841\\.8\\d*|842) x 595(\\.2\\d*)? pts"))) << info;
}

TEST(PrinterPort, JobThatCannotStartIsReportedAndAbortLeavesNoFile)
{
    zt::RequireGuiApp();
    TKXPrinterPort port;
    port.SelectPdfFile(QStringLiteral("/nonexistent-dir-zantor/job.pdf"));
    EXPECT_THROW(port.BeginJob(QStringLiteral("x")), EKxError);
    EXPECT_FALSE(port.Printing());
    EXPECT_FALSE(port.EndJob());
    EXPECT_FALSE(port.NewPage());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("aborted.pdf"));
    port.SelectPdfFile(file);
    port.BeginJob(QStringLiteral("x")).Rectangle({0, 0, 1000, 1000});
    port.AbortJob();
    EXPECT_FALSE(port.Printing());
    EXPECT_FALSE(QFile::exists(file));
}
