// A picture element bound to a BLOB column of a real SQLite file, printed into a PDF file:
// each label shows its record's picture, and records without a picture leave the box empty.
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "elements/KXImage.h"
#include "GuiApp.h"
#include "PictureFixtures.h"
#include "platform/KXPrinterPort.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QImage>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

using namespace kx;

namespace {

// Rows of (ID, PIC); a null QByteArray stores NULL.
void MakeTable(const QString &File, const std::vector<QByteArray> &Pics)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(File.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE PICS(ID INTEGER, PIC BLOB)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO PICS VALUES (?, ?)", -1, &st, nullptr), SQLITE_OK);
    for (size_t i = 0; i < Pics.size(); ++i) {
        sqlite3_bind_int(st, 1, int(i + 1));
        if (Pics[i].isNull())
            sqlite3_bind_null(st, 2);
        else
            sqlite3_bind_blob(st, 2, Pics[i].constData(), int(Pics[i].size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

bool Near(QRgb Pixel, QColor Want, int Tolerance = 40)
{
    const QColor c(Pixel);
    return std::abs(c.red() - Want.red()) <= Tolerance && std::abs(c.green() - Want.green()) <= Tolerance &&
           std::abs(c.blue() - Want.blue()) <= Tolerance;
}

TEST(ImageOverSqlite, EachLabelPrintsItsRecordsPicture)
{
    zt::RequireGuiApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString dbFile = dir.filePath("pictures.db");
    MakeTable(dbFile, {
                          zt::Encode(zt::TwoColourImage(40, 20, Qt::red, Qt::red), "PNG"),
                          zt::Encode(zt::TwoColourImage(40, 20, Qt::blue, Qt::blue), "JPG", 95),
                          QByteArray("no picture in these bytes, only some words of text"),
                          QByteArray(),
                          zt::TwoColourEmf(),
                      });

    QObject module;
    auto *pics = new TKXSqliteDataSet("Pics", &module);
    pics->SetDatabaseName(dbFile);
    pics->SetTableName("PICS");

    TKXCustomLab lab;
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("pics");
    lab.PrintInfo()->SetLastLabZero();
    ASSERT_TRUE(lab.FindDataset("pics", false, false));
    auto *im = lab.NewElement<TKXImage>();
    im->SetP1(500, 500);
    im->SetP2(5500, 3000); // 50 x 25 mm
    im->SetAspect(false);
    im->SetData(true);
    im->SetFieldName("PIC");

    const QString pdf = dir.filePath("run.pdf");
    lab.Printer().SelectPdfFile(pdf);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);

    QProcess p;
    p.start("pdftoppm", {"-r", "100", "-png", "-f", "1", "-l", "1", pdf, dir.filePath("page")});
    ASSERT_TRUE(p.waitForFinished(60000));
    QImage page(dir.filePath("page-1.png"));
    ASSERT_FALSE(page.isNull());
    const double px = page.width() / 21000.0; // pixels per hundredth of a millimetre (A4)

    // The labels of the first row and the first two of the second, in record order.
    const TKXMeasure &m = *lab.Measure();
    auto at = [&](int Label, int32_t X, int32_t Y) {
        const int row = Label / m.NuVer(), col = Label % m.NuVer();
        const int32_t x = m.MarLeftInternal() + col * (m.WidthInternal() + m.DiHorInternal()) + X;
        const int32_t y = m.MarTopInternal() + row * (m.HeightInternal() + m.DiVerInternal()) + Y;
        return page.pixel(int(x * px), int(y * px));
    };
    const QColor red(255, 0, 0), blue(0, 0, 255), white(255, 255, 255);
    EXPECT_TRUE(Near(at(0, 3000, 1750), red)) << QColor(at(0, 3000, 1750)).name().toStdString();
    EXPECT_TRUE(Near(at(1, 3000, 1750), blue)) << QColor(at(1, 3000, 1750)).name().toStdString();
    EXPECT_TRUE(Near(at(2, 3000, 1750), white, 0)); // bytes of no picture
    EXPECT_TRUE(Near(at(3, 3000, 1750), white, 0)); // null
    EXPECT_TRUE(Near(at(4, 1500, 1750), red));      // the metafile: red left, blue right
    EXPECT_TRUE(Near(at(4, 4500, 1750), blue));
    // Nothing outside the box.
    EXPECT_TRUE(Near(at(0, 300, 1750), white, 0));
}

} // namespace
