// A read-only dataset over one table (or one SELECT) of an SQLite database file, read through
// the sqlite3 C API.
//
// Records are streamed: one prepared statement is stepped forward and only the current
// record is held, so a print run over any number of records uses the same memory. No read
// stays open while the dataset is idle (ReleaseRead), and reads wait a few seconds for a
// writer instead of failing at once. Going
// back starts the statement again; RecordCount asks the database (COUNT(*)) unless a filter
// applies, which the base class evaluates in C++ record by record; nothing the user typed
// is ever pasted into the SQL.
//
// Field types come from the declared column types:
//   INTEGER INT MEDIUMINT -> ftInteger (values read as 64-bit), BIGINT INT8 -> ftLargeint,
//   SMALLINT -> ftSmallint, TINYINT -> ftShortint, INTEGER PRIMARY KEY AUTOINCREMENT -> ftAutoInc,
//   REAL FLOAT DOUBLE -> ftFloat, NUMERIC DECIMAL -> ftBCD, CURRENCY MONEY -> ftCurrency,
//   BOOLEAN BOOL BIT -> ftBoolean, DATE -> ftDate, TIME -> ftTime, DATETIME -> ftDateTime,
//   TIMESTAMP -> ftTimeStamp (all as day numbers from 1899-12-30; ISO text is read too),
//   VARCHAR(n) CHAR(n) NVARCHAR(n) -> ftWideString of size n, TEXT CLOB MEMO -> ftWideMemo
//   (the label data's multi-line notes), BLOB -> ftBlob, IMAGE GRAPHIC -> ftGraphic;
//   other declarations by SQLite's affinity rules; no declared type (an expression of a
//   SELECT) -> ftUnknown with the value as stored.
#pragma once

#include "data/KXDataset.h"

#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kx {

class TKXSqliteDataSet : public TKXDataSet {
public:
    explicit TKXSqliteDataSet(const QString &Name = {}, QObject *Parent = nullptr);
    ~TKXSqliteDataSet() override;

    // --- Source --------------------------------------------------------------------------
    // The database file, opened read-only when the dataset opens.
    const QString &DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString &FileName);
    // A table: every column, in table order.
    const QString &TableName() const { return FTableName; }
    void SetTableName(const QString &Table);
    // Or one SELECT statement of its own (used when no table name is set).
    const QString &SQL() const { return FSQL; }
    void SetSQL(const QString &Select);

    // A read-only connection several datasets of one file can share (the data module's
    // tables), so that the file's schema is read once rather than once per dataset. Opened
    // as a dataset opens its own: read-only, waiting for writers, no ATTACH. EKxError when
    // the file cannot be opened.
    static std::shared_ptr<sqlite3> OpenReadConnection(const QString &FileName);
    // Reads through Db (from OpenReadConnection, of the file DatabaseName names) instead of
    // a connection of its own; null: its own again. Only while closed.
    void SetSharedConnection(std::shared_ptr<sqlite3> Db);

    // The field type and size a declared column type gives.
    static TKXFieldType FieldTypeFromDeclared(const QString &Declared, int &Size);

    // Ends the read of the open dataset without losing its place: no lock stays on the
    // database, and the next record is fetched by reading again up to where it was. Done
    // by itself once control is back in the event loop after a fetch, so that writers
    // (the program's own data forms) are never held up by an idle dataset.
    void ReleaseRead();

protected:
    void DoOpen() override;
    void DoClose() override;
    bool DoFetchFirst(TKXRecord &Row) override;
    bool DoFetchNext(TKXRecord &Row) override;
    int64_t DoFetchAhead(int64_t Count, TKXRecord &Row) override;
    int64_t DoRecordCount() override;

private:
    void CheckClosed() const;
    void ReleaseHandles();
    [[noreturn]] void Fail(const std::string &What) const;
    // One SELECT (comments and a ';' may follow it); Statement receives its text alone.
    sqlite3_stmt *Prepare(const QString &Sql, QString *Statement = nullptr) const;
    void ReleaseWhenIdle();
    QString LinkedSql(const QString &Select) const;
    void BindLink(sqlite3_stmt *Stmt) const;
    bool Step(sqlite3_stmt *Stmt, TKXRecord &Row);
    // Steps over up to Count rows without reading them; answers how many there were.
    int64_t Skip(sqlite3_stmt *Stmt, int64_t Count);

    QString FDatabaseName, FTableName, FSQL;

    std::shared_ptr<sqlite3> FShared; // a connection shared with other datasets, or null
    std::shared_ptr<sqlite3> FOwnDb;  // its own connection while open without FShared
    sqlite3 *FDb = nullptr;           // the connection read while open
    QString FBaseSql;                 // the SELECT of every record
    sqlite3_stmt *FCursor = nullptr;  // stepped forward by the fetches
    QString FCursorSql;               // the text FCursor was prepared from
    sqlite3_stmt *FCount = nullptr;   // COUNT(*) under the current link
    QString FCountSql;
    int64_t FStepped = 0;             // records fetched from FCursor since the first
    bool FDetached = false;           // FCursor's read was ended; the next fetch reads again
    bool FReleasePending = false;     // an idle release is queued
};

} // namespace kx
