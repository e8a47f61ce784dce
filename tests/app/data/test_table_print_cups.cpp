// A table element bound to the detail table of a real SQLite file (orders and their lines),
// printed through the cups-pdf test queue: one label per order, whose table lists that
// order's lines and sums them; the text of the PDF is read back with pdftotext.
#include "CupsPdf.h"
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "elements/KXTable.h"
#include "GuiApp.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace kx;

namespace {

TEST(TablePrintCups, DetailLinesOfEachOrderWithTheirSums)
{
    zt::RequireGuiApp();
    ASSERT_FALSE(QPrinterInfo::printerInfo(zt::CupsQueue).isNull()) << "the test queue is not there";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("orders.db");
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
        const char *sql =
            "CREATE TABLE orders (id INTEGER, customer VARCHAR(20));"
            "CREATE TABLE lines (order_id INTEGER, item VARCHAR(20), qty INTEGER, price REAL);"
            "INSERT INTO orders VALUES (1, 'Alpha'), (2, 'Beta');"
            "INSERT INTO lines VALUES (1, 'Bolts', 3, 0.5), (1, 'Nuts', 4, 0.25),"
            " (2, 'Washers', 5, 1.125), (2, 'Screws', 6, 2), (2, 'Hinges', 9, 7.5);";
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    QObject module;
    auto *orders = new TKXSqliteDataSet("Orders", &module);
    orders->SetDatabaseName(file);
    orders->SetTableName("orders");
    auto *lines = new TKXSqliteDataSet("Lines", &module);
    lines->SetDatabaseName(file);
    lines->SetTableName("lines");
    lines->SetMasterLink(orders, {"id"}, {"order_id"});

    TKXCustomLab lab;
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("orders");
    TKXMeasure &m = *lab.Measure();
    m.SetLabelName("TableRun");
    m.SetLabelSizeMM(90, 60);
    m.SetNuVer(1);
    m.SetNuHor(2);
    m.SetMarLeft(10);
    m.SetMarTop(10);
    m.SetDiVer(5);
    ASSERT_TRUE(lab.FindDataset("orders", false, false));
    ASSERT_TRUE(lab.FindDataset("lines", false, true));
    orders->Open();
    lines->Open(); // the table reads an open detail dataset

    auto *t = lab.NewElement<TKXTable>();
    t->SetP1(500, 500);
    t->SetP2(8500, 5500);
    t->SetTitleText("Order lines");
    t->SetRowHeight(6);
    TKXColumn &item = t->AddColumn();
    TKXColumn &qty = t->AddColumn();
    TKXColumn &price = t->AddColumn();
    item.SetFieldName("item");
    item.SetTitle("Item");
    qty.SetFieldName("qty");
    qty.SetTitle("Qty");
    qty.SetShowFooter(true);
    qty.FooterType = TKXFooterType::ftSum;
    price.SetFieldName("price");
    price.SetTitle("Price");
    price.Format = "0.00";
    price.SetShowFooter(true);
    price.FooterType = TKXFooterType::ftMax;
    ASSERT_EQ(qty.FieldKind, TKXFieldKind::fkNumber);
    ASSERT_EQ(price.FieldKind, TKXFieldKind::fkFloat);
    ASSERT_GE(t->Rows(), 3);

    // First into a PDF file of the printer port, whose text comes back as it was drawn.
    const QString direct = dir.filePath("direct.pdf");
    lab.Printer().SelectPdfFile(direct);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    const QString text = zt::RunTool("pdftotext", {"-layout", direct, "-"});
    const qsizetype second = text.indexOf("Washers");
    ASSERT_GE(second, 0) << text.toStdString();
    const QString first = text.left(second), rest = text.mid(second);
    // The first label: order 1 only, 3 + 4 and the dearest at 0.50.
    for (const char *s : {"Order lines", "Item", "Qty", "Bolts", "Nuts", "0.50", "0.25", "7"})
        EXPECT_TRUE(first.contains(s)) << s << "\n" << text.toStdString();
    EXPECT_FALSE(first.contains("Hinges"));
    // The second: order 2, 5 + 6 + 9 = 20 and 7.50.
    for (const char *s : {"Screws", "Hinges", "1.13", "2.00", "7.50", "20"})
        EXPECT_TRUE(rest.contains(s)) << s << "\n" << text.toStdString();
    EXPECT_FALSE(rest.contains("Bolts"));

    // Then through the queue. Its PostScript path re-encodes the fonts, so that pdftotext
    // gives one stand-in character per glyph: the lines are compared by their shape and the
    // footers with the cells they repeat.
    lab.PrintInfo()->SetPrinterName(zt::CupsQueue);
    const QString folder = zt::CupsOutputFolder();
    QDir().mkpath(folder);
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    lab.PrintLabels(-1, TKXPrintKind::pkDriver);
    const QString pdf = zt::WaitForPdf(folder, since, 90000);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF appeared in " << folder.toStdString();
    const QString queued = zt::RunTool("pdftotext", {"-layout", pdf, "-"});
    QStringList rows;
    for (const QString &l : queued.split('\n'))
        if (!l.trimmed().isEmpty())
            rows << l.simplified();
    // Per label: title, header, the order's lines, the footer.
    ASSERT_EQ(rows.size(), 5 + 6) << queued.toStdString();
    EXPECT_EQ(rows[0], rows[5]); // the titles
    EXPECT_EQ(rows[1], rows[6]); // the headers
    EXPECT_EQ(rows[1].count(' '), 2);
    const auto cell = [&](int Row, int Col) { return rows[Row].section(' ', Col, Col); };
    // Order 1's dearest price is its first line's (0.50), order 2's its last line's (7.50).
    EXPECT_EQ(cell(4, 1), cell(2, 2)) << queued.toStdString();
    EXPECT_EQ(cell(10, 1), cell(9, 2)) << queued.toStdString();
    // Order 1's sum is the 7 of 7.50, order 2's the 2 and 0 of 2.00.
    EXPECT_EQ(cell(4, 0), cell(10, 1).left(1));
    EXPECT_EQ(cell(10, 0), cell(8, 2).left(1) + cell(8, 2).right(1));
    if (!HasFailure())
        QFile::remove(pdf);
}

} // namespace
