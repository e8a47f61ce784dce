// Data Matrix and QR Code elements bound to columns of a real SQLite file, printed through
// the cups-pdf test queue: every page rendered with pdftoppm, every label cut out and read
// by zxing, which must give that label's record.
#include "CupsPdf.h"
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "elements/KXMatrixCodes.h"
#include "GuiApp.h"
#include "SymbolDecode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QObject>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using namespace kx;

namespace {

zt::GreyImage Crop(const QImage &Page, int X, int Y, int W, int H)
{
    const QImage part = Page.copy(X, Y, W, H).convertToFormat(QImage::Format_Grayscale8);
    zt::GreyImage g;
    g.width = part.width();
    g.height = part.height();
    for (int y = 0; y < g.height; ++y) {
        const uchar *row = part.constScanLine(y);
        g.pixels.insert(g.pixels.end(), row, row + g.width);
    }
    return g;
}

// zxing's Data Matrix reader wants the symbol alone on the image (pure); its QR Code
// reader finds the symbol anywhere.
std::string Read(const zt::GreyImage &Image, const char *Format, bool Pure)
{
    zt::DecodeOptions o;
    o.formats = Format;
    o.pure = Pure;
    const zt::Decoded d = zt::Decode(Image, o);
    return d.ok ? d.text : "<unread>";
}

TEST(MatrixPrintCups, EveryLabelOfASqliteRunReadsBackItsRecord)
{
    zt::RequireGuiApp();
    ASSERT_FALSE(QPrinterInfo::printerInfo(zt::CupsQueue).isNull()) << "the test queue is not there";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("parcels.db");
    std::vector<std::pair<std::string, std::string>> rows;
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE parcels (ref VARCHAR(20), url VARCHAR(80))", nullptr, nullptr, nullptr);
        for (int i = 1; i <= 8; ++i) {
            rows.emplace_back("PARCEL-" + std::to_string(1000 + i * 37),
                              "https://track.example/p?id=" + std::to_string(i * 7919) + "&k=\xc3\xa9");
            const std::string sql = "INSERT INTO parcels VALUES ('" + rows.back().first + "', '" +
                                    rows.back().second + "')";
            ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        }
        sqlite3_close(db);
    }

    QObject module;
    auto *parcels = new TKXSqliteDataSet("Parcels", &module);
    parcels->SetDatabaseName(file);
    parcels->SetTableName("parcels");

    TKXCustomLab lab;
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("parcels");
    TKXMeasure &m = *lab.Measure();
    m.SetLabelName("MatrixRun");
    m.SetLabelSizeMM(60, 40);
    m.SetNuVer(3); // columns
    m.SetNuHor(2); // rows
    m.SetMarLeft(10);
    m.SetMarTop(10);
    m.SetDiHor(5);
    m.SetDiVer(5);
    lab.PrintInfo()->SetPrinterName(zt::CupsQueue);
    ASSERT_TRUE(lab.FindDataset("parcels", false, false));
    auto *dm = lab.NewElement<TKXDataMatrix>();
    dm->SetP1(200, 500);
    dm->SetData(true);
    dm->SetFieldName("ref");
    auto *qr = lab.NewElement<TKXQRCode>();
    qr->SetP1(3000, 3500);
    qr->SetAngle(90); // upwards from P1: the symbol stays on the label
    qr->SetData(true);
    qr->SetFieldName("url");

    const QString folder = zt::CupsOutputFolder();
    QDir().mkpath(folder);
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    // The elements keep what was designed.
    EXPECT_EQ(dm->Code(), "DataMatrixCode");
    EXPECT_EQ(qr->Code(), "QRCode");

    const QString pdf = zt::WaitForPdf(folder, since, 90000);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF appeared in " << folder.toStdString();
    const QString prefix = dir.filePath("page");
    zt::RunTool("pdftoppm", {"-r", "254", "-gray", "-png", pdf, prefix});
    const QStringList pages = QDir(dir.path()).entryList({"page*.png"}, QDir::Files, QDir::Name);
    ASSERT_EQ(pages.size(), 2); // 6 + 2 labels

    const double px = 10.0; // pixels per millimetre at 254 dpi
    size_t record = 0;
    for (const QString &name : pages) {
        const QImage page(dir.filePath(name));
        ASSERT_FALSE(page.isNull());
        for (int row = 0; row < 2 && record < rows.size(); ++row) {
            for (int col = 0; col < 3 && record < rows.size(); ++col, ++record) {
                SCOPED_TRACE(name.toStdString() + " label " + std::to_string(record + 1));
                const int x = int((10 + col * 65) * px), y = int((10 + row * 45) * px);
                // The Data Matrix alone: the label's left half, above the QR Code.
                EXPECT_EQ(Read(Crop(page, x, y, int(28 * px), int(20 * px)), "DataMatrix", true), rows[record].first);
                EXPECT_EQ(Read(Crop(page, x, y, int(60 * px), int(40 * px)), "QRCode", false), rows[record].second);
            }
        }
    }
    EXPECT_EQ(record, rows.size());
    if (!HasFailure())
        QFile::remove(pdf);
}

} // namespace
