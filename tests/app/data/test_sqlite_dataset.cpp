// The SQLite dataset over real database files made here in a temporary folder.
#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXSqliteDataset.h"

#include "GuiApp.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QCoreApplication>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace kx;
using enum kx::TKXFieldType;

namespace {

class SqliteDataset : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("zantor_data.db");
        Exec("CREATE TABLE CUSTOMERS(ID_TABLE INTEGER PRIMARY KEY AUTOINCREMENT, NAME VARCHAR(30),"
             " NOTE TEXT, QTY INTEGER, BIG BIGINT, SMALL SMALLINT, PRICE REAL, COST CURRENCY,"
             " AMOUNT DECIMAL(10,2), PAID BOOLEAN, BORN DATE, AT TIME, STAMP DATETIME, PHOTO BLOB,"
             " LOCATION POINT, MISC, \"ODD \"\"NAME\"\"\" VARCHAR(5))");
        Exec("INSERT INTO CUSTOMERS(NAME, NOTE, QTY, BIG, SMALL, PRICE, COST, AMOUNT, PAID, BORN, AT,"
             " STAMP, PHOTO, MISC) VALUES"
             " ('Ann', 'line 1\nline 2', 42, 9223372036854775807, -3, 3.5, 3.5, 12.25, 1, 45352.0,"
             "  0.75, 45352.5, x'00FF10', 'm')," // 2024-03-01
             " ('Bob', NULL, NULL, -9223372036854775808, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL,"
             "  NULL, 7),"
             " ('Cid', 'third', 3, 9007199254740993, 1, 0.1, 0.1, 0, 1, '2024-03-01', '18:05:09',"
             "  '2024-03-01 18:05:09', x'', 2.5),"
             " ('Dee''s', '', 0, 0, 0, 0, 0, 0, 'true', 0, 0, 0, NULL, NULL)");
        Exec("CREATE TABLE LINES(ID_TABLE INTEGER PRIMARY KEY AUTOINCREMENT, ID_PARENT INTEGER,"
             " ITEM VARCHAR(20))");
        Exec("INSERT INTO LINES(ID_PARENT, ITEM) VALUES (1, 'a1'), (2, 'b1'), (1, 'a2'), (3, 'c1'),"
             " (NULL, 'orphan')");
    }

    void Exec(const char *sql, const QString &db = {})
    {
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open((db.isEmpty() ? file : db).toUtf8().constData(), &h), SQLITE_OK);
        char *err = nullptr;
        const int rc = sqlite3_exec(h, sql, nullptr, nullptr, &err);
        EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "");
        sqlite3_free(err);
        sqlite3_close(h);
    }

    std::unique_ptr<TKXSqliteDataSet> Table(const char *table)
    {
        auto ds = std::make_unique<TKXSqliteDataSet>(table);
        ds->SetDatabaseName(file);
        ds->SetTableName(table);
        return ds;
    }
};

TEST_F(SqliteDataset, FieldTypesFromDeclaredTypes)
{
    auto ds = Table("CUSTOMERS");
    ds->Open();
    const struct {
        const char *field;
        TKXFieldType type;
        int size;
    } cases[] = {
        {"ID_TABLE", ftAutoInc, 0}, {"NAME", ftWideString, 30}, {"NOTE", ftWideMemo, 0},
        {"QTY", ftInteger, 0},      {"BIG", ftLargeint, 0},     {"SMALL", ftSmallint, 0},
        {"PRICE", ftFloat, 0},      {"COST", ftCurrency, 0},    {"AMOUNT", ftBCD, 0},
        {"PAID", ftBoolean, 0},     {"BORN", ftDate, 0},        {"AT", ftTime, 0},
        {"STAMP", ftDateTime, 0},   {"PHOTO", ftBlob, 0},
        {"LOCATION", ftInteger, 0}, // "POINT" holds "INT": integer affinity
        {"MISC", ftUnknown, 0},     {"ODD \"NAME\"", ftWideString, 5},
    };
    ASSERT_EQ(ds->FieldCount(), int(std::size(cases)));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        const TKXField &f = ds->FieldByName(c.field);
        EXPECT_EQ(EnumName(f.DataType()), EnumName(c.type));
        EXPECT_EQ(f.Size(), c.size);
    }
    EXPECT_EQ(&ds->FieldByName("qty"), &ds->FieldByName("QTY"));

    int size = 0;
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("  varchar ( 12 , 0 ) ", size), ftWideString);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("double precision", size), ftFloat);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("NVARCHAR TEXT", size), ftWideString);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("LONGTEXT", size), ftWideMemo);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("FLOATING", size), ftFloat);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("DECIMAL(10,2)", size), ftBCD);
    EXPECT_EQ(TKXSqliteDataSet::FieldTypeFromDeclared("IMAGE", size), ftGraphic);
}

TEST_F(SqliteDataset, ValuesNullsAndNavigation)
{
    auto ds = Table("CUSTOMERS");
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 4);
    TKXField &name = ds->FieldByName("NAME"), &note = ds->FieldByName("NOTE"),
             &qty = ds->FieldByName("QTY"), &big = ds->FieldByName("BIG"),
             &price = ds->FieldByName("PRICE"), &amount = ds->FieldByName("AMOUNT"),
             &paid = ds->FieldByName("PAID"), &born = ds->FieldByName("BORN"),
             &at = ds->FieldByName("AT"), &stamp = ds->FieldByName("STAMP"),
             &photo = ds->FieldByName("PHOTO"), &misc = ds->FieldByName("MISC");

    // Record 1
    EXPECT_EQ(ds->FieldByName("ID_TABLE").AsInteger(), 1);
    EXPECT_EQ(name.AsString(), "Ann");
    EXPECT_EQ(note.AsString(), "line 1\nline 2");
    EXPECT_EQ(qty.AsInteger(), 42);
    EXPECT_EQ(big.AsLargeInt(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(big.AsString(), "9223372036854775807");
    EXPECT_DOUBLE_EQ(price.AsFloat(), 3.5);
    EXPECT_DOUBLE_EQ(ds->FieldByName("COST").AsCurrency(), 3.5);
    EXPECT_DOUBLE_EQ(amount.AsFloat(), 12.25);
    EXPECT_TRUE(paid.AsBoolean());
    EXPECT_DOUBLE_EQ(born.AsDateTime(), EncodeDateTime(2024, 3, 1));
    EXPECT_EQ(born.AsString(), "3/1/2024");
    EXPECT_EQ(at.AsString(), "6:00:00 PM");
    EXPECT_EQ(stamp.AsString(), "3/1/2024 12:00:00 PM");
    EXPECT_EQ(photo.AsBytes(), QByteArray("\x00\xFF\x10", 3));
    EXPECT_EQ(misc.AsString(), "m");

    // Record 2: nulls, and the smallest 64-bit value
    ds->Next();
    EXPECT_TRUE(note.IsNull());
    EXPECT_TRUE(qty.IsNull());
    EXPECT_EQ(qty.AsString(), "");
    EXPECT_TRUE(born.IsNull());
    EXPECT_TRUE(photo.IsNull());
    EXPECT_EQ(big.AsLargeInt(), std::numeric_limits<int64_t>::min());
    EXPECT_FALSE(paid.AsBoolean());
    EXPECT_EQ(misc.AsLargeInt(), 7);

    // Record 3, reached by moving from the first: dates kept as ISO text read as day numbers
    ds->First();
    EXPECT_EQ(ds->MoveBy(2), 2);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(name.AsString(), "Cid");
    EXPECT_EQ(big.AsLargeInt(), 9007199254740993); // exact beyond 2^53
    EXPECT_DOUBLE_EQ(born.AsDateTime(), EncodeDateTime(2024, 3, 1));
    EXPECT_DOUBLE_EQ(stamp.AsDateTime(), EncodeDateTime(2024, 3, 1, 18, 5, 9));
    EXPECT_DOUBLE_EQ(at.AsDateTime(), EncodeDateTime(1899, 12, 30, 18, 5, 9));
    EXPECT_TRUE(photo.AsBytes().isEmpty());
    EXPECT_FALSE(photo.IsNull()); // an empty blob is not null
    EXPECT_DOUBLE_EQ(misc.AsFloat(), 2.5);

    // Record 4 and the end of the data: the last record stays readable
    ds->Next();
    EXPECT_EQ(name.AsString(), "Dee's");
    EXPECT_TRUE(paid.AsBoolean()); // 'true' stored as text
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(name.AsString(), "Dee's");
    EXPECT_EQ(ds->MoveBy(-3), -3);
    EXPECT_EQ(name.AsString(), "Ann");
    EXPECT_FALSE(ds->Eof());

    ds->Close();
    EXPECT_THROW(ds->First(), EKxError);
    ds->Open(); // reopens at the first record with the same fields
    EXPECT_EQ(&name, &ds->FieldByName("NAME"));
    EXPECT_EQ(name.AsString(), "Ann");
}

TEST_F(SqliteDataset, MissingFileTableAndWritingStatementsAreErrors)
{
    auto expectError = [](TKXSqliteDataSet &ds, const char *fragment) {
        try {
            ds.Open();
            ADD_FAILURE() << "opened";
        } catch (const EKxError &e) {
            EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
        }
        EXPECT_FALSE(ds.Active());
    };
    auto noTable = Table("SUPPLIERS");
    expectError(*noTable, "no such table: SUPPLIERS");

    const QString missing = dir.filePath("nothere.db");
    TKXSqliteDataSet noFile("X");
    noFile.SetDatabaseName(missing);
    noFile.SetTableName("CUSTOMERS");
    expectError(noFile, "unable to open database file");
    EXPECT_FALSE(QFile::exists(missing)); // read-only: never creates a database

    TKXSqliteDataSet notDb("X");
    const QString text = dir.filePath("text.db");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a database, only some text that is long enough to have a header");
    f.close();
    notDb.SetDatabaseName(text);
    notDb.SetTableName("CUSTOMERS");
    expectError(notDb, "not a database");

    TKXSqliteDataSet writer("W");
    writer.SetDatabaseName(file);
    writer.SetSQL("DELETE FROM CUSTOMERS");
    expectError(writer, "is not one SELECT statement");
    writer.SetSQL("SELECT * FROM CUSTOMERS; DELETE FROM CUSTOMERS");
    expectError(writer, "is not one SELECT statement");
    auto all = Table("CUSTOMERS");
    all->Open();
    EXPECT_EQ(all->RecordCount(), 4);
    EXPECT_THROW(all->SetTableName("LINES"), EKxError); // not while open
}

TEST_F(SqliteDataset, SelectSourceAndFilterNeverReachTheSql)
{
    TKXSqliteDataSet ds("Q");
    ds.SetDatabaseName(file);
    ds.SetSQL("SELECT NAME, QTY * 2 AS DOUBLED FROM CUSTOMERS ORDER BY NAME DESC;");
    ds.Open();
    EXPECT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.FieldByName("DOUBLED").DataType(), ftUnknown);
    EXPECT_EQ(ds.FieldByName("NAME").AsString(), "Dee's");
    EXPECT_EQ(ds.FieldByName("DOUBLED").AsInteger(), 0);
    EXPECT_EQ(ds.RecordCount(), 4);

    auto t = Table("CUSTOMERS");
    t->Open();
    t->SetFilter(" (NAME = 'Dee''s' )");
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->FieldByName("ID_TABLE").AsInteger(), 4);
    // Text that would change a query if it were pasted into one is only a value here.
    t->SetFilter("NAME = 'x'' OR ''1''=''1'");
    EXPECT_EQ(t->RecordCount(), 0);
    EXPECT_TRUE(t->Eof());
    t->SetFilter(" (QTY >= 3 ) AND  (PAID = 1 )");
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(t->FieldByName("NAME").AsString(), "Ann");
    t->Next();
    EXPECT_EQ(t->FieldByName("NAME").AsString(), "Cid");
    t->SetFilter("BORN >= 45352");
    EXPECT_EQ(t->RecordCount(), 2); // a REAL day number and an ISO text date
}

TEST_F(SqliteDataset, DetailTableFollowsMaster)
{
    auto master = Table("CUSTOMERS");
    auto detail = Table("LINES");
    detail->SetMasterLink(master.get(), {"ID_TABLE"}, {"ID_PARENT"});
    master->Open();
    detail->Open();
    auto items = [&] {
        QStringList out;
        for (detail->First(); !detail->Eof(); detail->Next())
            out << detail->FieldByName("ITEM").AsString();
        return out.join(' ');
    };
    EXPECT_EQ(items(), "a1 a2");
    EXPECT_EQ(detail->RecordCount(), 2);
    master->Next();
    EXPECT_EQ(items(), "b1");
    master->Next();
    EXPECT_EQ(detail->FieldByName("ITEM").AsString(), "c1");
    master->Next();
    EXPECT_EQ(detail->RecordCount(), 0);
    EXPECT_TRUE(detail->Eof());
    detail->SetMasterLink(nullptr, {}, {});
    EXPECT_EQ(detail->RecordCount(), 5);
}

// A print run walks every record: the cursor streams them, so ten thousand records of 2 KB
// each are walked, counted and revisited without the heap holding them.
TEST_F(SqliteDataset, TenThousandRecordsStream)
{
    const QString big = dir.filePath("big.db");
    Exec("CREATE TABLE ITEMS(ID INTEGER, BODY TEXT);"
         "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 10000)"
         " INSERT INTO ITEMS SELECT I, printf('%.2048c', 'x') FROM N;",
         big);
    TKXSqliteDataSet ds("ITEMS");
    ds.SetDatabaseName(big);
    ds.SetTableName("ITEMS");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 10000);
    EXPECT_EQ(ds.FieldByName("BODY").AsString().size(), 2048);

#if defined(__GLIBC__)
    const size_t before = mallinfo2().uordblks;
#endif
    int64_t sum = 0;
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        sum += ds.FieldByName("ID").AsLargeInt();
        ++n;
    }
#if defined(__GLIBC__)
    const size_t after = mallinfo2().uordblks;
    // All the bodies would take 20 MB; a streamed walk holds one record.
    EXPECT_LT(after > before ? after - before : 0, size_t(4) << 20);
#endif
    EXPECT_EQ(n, 10000);
    EXPECT_EQ(sum, int64_t(10000) * 10001 / 2);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 10000);

    ds.First();
    EXPECT_EQ(ds.MoveBy(8999), 8999);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 9000);
    EXPECT_EQ(ds.MoveBy(-8000), -8000);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1000);

    ds.SetFilter("ID > 9990 OR ID = 5");
    ds.SetFiltered(true);
    EXPECT_EQ(ds.RecordCount(), 11);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 5);
    ds.Next();
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 9991);
}

// Mended: a SELECT ending in a "--" comment broke the record count (the comment swallowed
// the closing parenthesis of the count), a ';' followed by a comment was refused, and
// ATTACH passed as one read-only statement.
TEST_F(SqliteDataset, CommentsAfterTheSelectAndAttachIsRefused)
{
    for (const char *sql : {"SELECT NAME FROM CUSTOMERS -- every customer",
                            "SELECT NAME FROM CUSTOMERS; -- every customer",
                            "SELECT NAME FROM CUSTOMERS /* all */ ;; ",
                            "SELECT NAME FROM CUSTOMERS -- no ; here\n;\n-- done"}) {
        SCOPED_TRACE(sql);
        TKXSqliteDataSet ds("Q");
        ds.SetDatabaseName(file);
        ds.SetSQL(sql);
        ds.Open();
        EXPECT_EQ(ds.RecordCount(), 4);
        EXPECT_EQ(ds.FieldByName("NAME").AsString(), "Ann");
    }
    const QString other = dir.filePath("other.db");
    for (const QString &sql : {QStringLiteral("ATTACH DATABASE '%1' AS other").arg(other),
                               QStringLiteral("SELECT 1; ATTACH DATABASE '%1' AS other").arg(other),
                               QStringLiteral("SELECT NAME FROM CUSTOMERS; SELECT 1 -- two"),
                               QStringLiteral("DETACH DATABASE main"), QStringLiteral("BEGIN")}) {
        SCOPED_TRACE(sql.toStdString());
        TKXSqliteDataSet ds("A");
        ds.SetDatabaseName(file);
        ds.SetSQL(sql);
        EXPECT_THROW(ds.Open(), EKxError);
        EXPECT_FALSE(ds.Active());
    }
    EXPECT_FALSE(QFile::exists(other));
}

// Mended: an open dataset kept its read going, so another connection's write failed at
// once with "database is locked".
TEST_F(SqliteDataset, AnIdleDatasetHoldsNoLockAndKeepsItsPlace)
{
    zt::RequireGuiApp();
    auto t = Table("LINES");
    t->Open();
    t->First();
    t->Next();
    ASSERT_EQ(t->FieldByName("ITEM").AsString(), "b1");
    QCoreApplication::processEvents(); // back in the event loop: the dataset is idle
    Exec("INSERT INTO LINES(ID_PARENT, ITEM) VALUES (9, 'new')"); // no busy timeout here
    t->Next();
    EXPECT_EQ(t->FieldByName("ITEM").AsString(), "a2");
    std::vector<QString> rest;
    for (t->Next(); !t->Eof(); t->Next())
        rest.push_back(t->FieldByName("ITEM").AsString());
    EXPECT_EQ(rest, (std::vector<QString>{"c1", "orphan", "new"}));

    // Without an event loop the owner ends the read itself.
    t->First();
    t->ReleaseRead();
    Exec("UPDATE LINES SET ITEM = 'A1' WHERE ITEM = 'a1'");
    t->Next();
    EXPECT_EQ(t->FieldByName("ITEM").AsString(), "b1");
}

// Mended: a read while another connection was writing failed at once; it now waits for the
// write to finish.
TEST_F(SqliteDataset, AReadWaitsForAWriterToFinish)
{
    sqlite3 *w = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &w), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(w, "BEGIN EXCLUSIVE; INSERT INTO LINES(ITEM) VALUES ('late')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread commit([w] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(w, "COMMIT", nullptr, nullptr, nullptr);
    });
    auto t = Table("LINES");
    EXPECT_NO_THROW({
        t->Open();
        EXPECT_EQ(t->RecordCount(), 6);
    });
    commit.join();
    sqlite3_close(w);
}

} // namespace
