// A label text bound to a column of a real SQLite file: what is drawn for the third record.
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "elements/KXText.h"
#include "RecordingCanvas.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QObject>
#include <QTemporaryDir>

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

TEST(TextOverSqlite, DrawsTheColumnOfRecordThree)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("products.db");
    Exec(file, "CREATE TABLE PRODUCTS(ID INTEGER, NAME VARCHAR(30), PRICE REAL, MADE DATE);"
               "INSERT INTO PRODUCTS VALUES (1, 'Tea', 3.5, 45292), (2, 'Coffee', 7.25, 45323),"
               " (3, 'Cocoa', 12.125, 45352), (4, 'Milk', 0.99, 45383);");

    QObject module;
    auto *products = new TKXSqliteDataSet("Products", &module);
    products->SetDatabaseName(file);
    products->SetTableName("PRODUCTS");

    TKXCustomLab lab;
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("products");
    // Bound first, so the texts show the dataset's captions on the design surface.
    ASSERT_TRUE(lab.FindDataset("products", false, false));
    auto *price = lab.NewElement<TKXText>();
    price->SetP1(500, 800);
    price->SetDisplayFormat("#,##0.00");
    price->SetData(true);
    price->SetFieldName("PRICE");
    auto *name = lab.NewElement<TKXAddText>();
    name->SetP1(500, 1500);
    name->SetBefore("[");
    name->SetAfter("]");
    name->SetData(true);
    name->SetFieldName("name");
    auto *made = lab.NewElement<TKXText>();
    made->SetP1(500, 2200);
    made->SetDisplayFormat("dd/mm/yyyy");
    made->SetData(true);
    made->SetFieldName("MADE");

    ASSERT_TRUE(lab.ValidateData(true, true, false)); // opens the file, finds every column
    EXPECT_EQ(lab.PrintInfo()->LastLab(), 4);
    products->First();
    EXPECT_EQ(products->MoveBy(2), 2);
    ASSERT_EQ(products->RecNo(), 3);

    zt::RecordingCanvas canvas(100);
    lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftField);
    const auto texts = canvas.Texts("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    // Drawn from the last element of the list to the first.
    EXPECT_EQ(texts[0], "TextOut(500,2200,\"01/03/2024\")");
    EXPECT_EQ(texts[1], "TextOut(500,1500,\"[Cocoa]\")");
    EXPECT_EQ(texts[2], "TextOut(500,800,\"12.13\")");

    // The design surface keeps showing the captions.
    canvas.Clear();
    lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(canvas.Texts("TextOut")[2], "TextOut(500,800,\"PRICE\")");
}

} // namespace
