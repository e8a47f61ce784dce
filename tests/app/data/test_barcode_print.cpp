// Barcode elements printed by a real print run into a PDF file: the file is rendered with
// pdftoppm, each label is cropped from the page and read with zxing-cpp. One element is
// bound to a column of a real SQLite file (three records, three labels), one is fed by a
// counter.
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "elements/KXBarCode.h"
#include "GuiApp.h"
#include "platform/KXPrinterPort.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

using namespace kx;

namespace {

void Exec(const QString &File, const char *Sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(File.toUtf8().constData(), &db), SQLITE_OK);
    char *err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, Sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

// Page 1 of the PDF in grey at 254 dpi (10 label units to the pixel), without smoothing.
zt::GreyImage RenderPage(const QString &Pdf, const QString &Prefix)
{
    const int rc = QProcess::execute("pdftoppm", {"-r", "254", "-gray", "-aa", "no", "-aaVector", "no", "-f", "1",
                                                  "-l", "1", "-singlefile", Pdf, Prefix});
    EXPECT_EQ(rc, 0);
    std::ifstream f((Prefix + ".pgm").toStdString(), std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    f >> magic >> w >> h >> max;
    f.get();
    zt::GreyImage img;
    if (magic != "P5" || max != 255)
        return img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    f.read(reinterpret_cast<char *>(img.pixels.data()), std::streamsize(img.pixels.size()));
    return img;
}

zt::GreyImage Crop(const zt::GreyImage &Page, int X, int Y, int W, int H)
{
    zt::GreyImage out;
    out.width = W;
    out.height = H;
    out.pixels.assign(size_t(W) * size_t(H), 255);
    for (int y = 0; y < H && Y + y < Page.height; ++y)
        for (int x = 0; x < W && X + x < Page.width; ++x)
            out.pixels[size_t(y) * W + x] = Page.pixels[size_t(Y + y) * Page.width + X + x];
    return out;
}

class BarcodePrint : public ::testing::Test {
protected:
    BarcodePrint()
    {
        zt::RequireGuiApp();
        // One column of 80 x 40 mm labels from the page's top-left corner.
        TKXMeasure &m = *lab.Measure();
        m.SetLabelSizeMM(80, 40);
        m.SetNuVer(1);
        m.SetNuHor(5);
        m.SetMarLeft(0);
        m.SetMarTop(0);
        m.SetDiHor(0);
        m.SetDiVer(0);
        bar = lab.NewElement<TKXBarCode>();
        bar->SetP1(1000, 1000);
        bar->SetBarWidth(0.3f); // 3 pixels
        bar->SetData(true);
    }

    // Prints into a PDF and reads each of the first Labels labels of page 1.
    std::vector<std::string> PrintAndRead(int Labels, const char *Format)
    {
        EXPECT_TRUE(dir.isValid());
        const QString pdf = dir.filePath("labels.pdf");
        lab.Printer().SelectPdfFile(pdf);
        lab.PrintLabels(-1, TKXPrintKind::pkDriver);
        const zt::GreyImage page = RenderPage(pdf, dir.filePath("page"));
        EXPECT_GT(page.height, 0);
        std::vector<std::string> read;
        zt::DecodeOptions opt;
        opt.formats = Format;
        opt.pure = false;
        for (int i = 0; i < Labels; ++i) {
            const zt::Decoded d = zt::Decode(Crop(page, 0, i * 400, 800, 400), opt);
            read.push_back(d.ok ? d.text : "(nothing)");
        }
        // The fourth position holds no label.
        EXPECT_FALSE(zt::Decode(Crop(page, 0, Labels * 400, 800, 400), opt).ok);
        return read;
    }

    QTemporaryDir dir;
    TKXCustomLab lab;
    TKXBarCode *bar = nullptr;
};

TEST_F(BarcodePrint, ColumnOfAnSqliteFileAcrossThreeRecords)
{
    const QString file = dir.filePath("articles.db");
    Exec(file, "CREATE TABLE ARTICLES(ID INTEGER, EAN VARCHAR(13), NAME VARCHAR(30));"
               "INSERT INTO ARTICLES VALUES (1, '400638133393', 'Tea'), (2, '978014300723', 'Book'),"
               " (3, '501234567890', 'Cup');");
    QObject module;
    auto *articles = new TKXSqliteDataSet("Articles", &module);
    articles->SetDatabaseName(file);
    articles->SetTableName("ARTICLES");
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("articles");
    ASSERT_TRUE(lab.FindDataset("articles", false, false));
    bar->SetCodeType(TKXBar::EAN13);
    bar->SetChecksum(true); // twelve digits stored, the check digit computed
    bar->SetFieldName("EAN");

    // Each record's value with its check digit: 4006381333931 (the standard's example),
    // 978014300723 -> 4 (weighted sum 86), 501234567890 -> 0 (sum 90).
    EXPECT_EQ(PrintAndRead(3, "EAN-13"),
              (std::vector<std::string>{"4006381333931", "9780143007234", "5012345678900"}));
}

TEST_F(BarcodePrint, FedByACounter)
{
    TKXCounter *c = lab.NewCounter();
    c->Name = "Box";
    c->NumFrom = 1998;
    c->NumTo = 2000;
    c->Format = "000000";
    bar->SetCodeType(TKXBar::CODE128B);
    bar->SetFieldName("Box");
    ASSERT_TRUE(bar->IsCounter());
    EXPECT_EQ(PrintAndRead(3, "Code128"), (std::vector<std::string>{"001998", "001999", "002000"}));
}

} // namespace
