// Moving far ahead in an SQLite dataset: the rows passed over are not read, yet the record
// reached, the record number and the end of the data are those of a walk record by record,
// also when the data ends among the rows passed over, after the read was ended while idle,
// and under a filter (which reads every record).
#include "data/KXSqliteDataset.h"

#include "GuiApp.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>

using namespace kx;

namespace {

class SqliteMoveAhead : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<TKXSqliteDataSet> ds;

    void SetUp() override
    {
        zt::RequireGuiApp();
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("items.db");
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE ITEMS(N INTEGER, GRP INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 1; i <= 1000; ++i) {
            const std::string sql = "INSERT INTO ITEMS VALUES (" + std::to_string(i) + ", " + std::to_string(i % 3) + ")";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ds = std::make_unique<TKXSqliteDataSet>("Items");
        ds->SetDatabaseName(file);
        ds->SetTableName("ITEMS");
        ds->Open();
    }
    int N() { return ds->FieldByName("N").AsInteger(); }
};

TEST_F(SqliteMoveAhead, MovesLandWhereAWalkLands)
{
    struct Case {
        int From;   // record number before the move
        int By;
        int Moved;  // answered
        int RecNo;  // and the record reached (its N equals its number)
        bool Eof;
    };
    const Case cases[] = {
        {1, 1, 1, 2, false},     {1, 9, 9, 10, false},     {1, 998, 998, 999, false},
        {1, 999, 999, 1000, false}, // the last record, not yet past it
        {1, 1000, 999, 1000, true}, // the data ends on the last row passed over
        {1, 5000, 999, 1000, true}, // ... or far before the count
        {500, 250, 250, 750, false}, {1000, 1, 0, 1000, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.From) + " + " + std::to_string(c.By));
        ds->First();
        ASSERT_EQ(ds->MoveBy(c.From - 1), c.From - 1);
        EXPECT_EQ(ds->MoveBy(c.By), c.Moved);
        EXPECT_EQ(ds->RecNo(), c.RecNo);
        EXPECT_EQ(N(), c.RecNo);
        EXPECT_EQ(ds->Eof(), c.Eof);
    }
}

TEST_F(SqliteMoveAhead, AMoveAfterTheReadEndedGoesOnFromTheSameRecord)
{
    ds->First();
    ds->MoveBy(300);
    ds->ReleaseRead(); // as when control went back to the event loop
    EXPECT_EQ(ds->MoveBy(200), 200);
    EXPECT_EQ(N(), 501);
    ds->ReleaseRead();
    ds->Next();
    EXPECT_EQ(N(), 502);
    ds->ReleaseRead();
    EXPECT_EQ(ds->MoveBy(2000), 498);
    EXPECT_EQ(N(), 1000);
    EXPECT_TRUE(ds->Eof());
}

TEST_F(SqliteMoveAhead, AFilteredMoveCountsOnlyTheRecordsLetThrough)
{
    ds->SetFilter("GRP = 0");
    ds->SetFiltered(true);
    ds->First();
    EXPECT_EQ(N(), 3);
    EXPECT_EQ(ds->MoveBy(10), 10);
    EXPECT_EQ(N(), 33);
    EXPECT_EQ(ds->RecNo(), 11);
}

} // namespace
