// A small layer over the sqlite3 C API for the program's own read-write connection: a
// statement with bound parameters, a write transaction scope, and the rules for the names
// the program turns into SQL identifiers.
//
// Values never enter SQL text: every value is a bound parameter. Identifiers (the names of
// the user's tables and columns) cannot be bound, so they are checked (CheckSqlName) and
// always written between double quotes (QuoteIdentifier).
#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace kx {

// ---------------------------------------------------------------------------------------
// Names

// A name as an SQL identifier: between double quotes, inner quotes doubled.
QString QuoteIdentifier(const QString &Name);

// Why Name cannot name a user table or column; empty when it can. Refused: the empty name,
// a name beginning with a digit, an SQL keyword (in any case), a name SQLite keeps for itself
// ("sqlite_..."), and a name longer than 255 characters.
QString SqlNameProblem(const QString &Name);

// ---------------------------------------------------------------------------------------
// Statements

// One prepared statement of a connection, finalised with the object. Parameters are
// numbered from 1; columns from 0. Errors raise EKxError with SQLite's message.
class TKXStatement {
public:
    TKXStatement(sqlite3 *Db, const QString &Sql);
    ~TKXStatement();
    TKXStatement(const TKXStatement &) = delete;
    TKXStatement &operator=(const TKXStatement &) = delete;

    // --- Parameters (answer the statement, so binds chain) --------------------------------
    TKXStatement &Bind(int Index, int64_t Value);
    TKXStatement &Bind(int Index, int Value) { return Bind(Index, int64_t(Value)); }
    TKXStatement &Bind(int Index, double Value);
    TKXStatement &Bind(int Index, const QString &Value);
    TKXStatement &Bind(int Index, const char *Value) { return Bind(Index, QString::fromUtf8(Value)); }
    TKXStatement &BindNull(int Index);

    // --- Running ---------------------------------------------------------------------------
    // Steps to the next row; false when there are no more.
    bool Step();
    // Runs a statement that answers no rows (or ignores them) to its end, then resets it.
    void Exec();
    // Back to before the first row, keeping the bound values.
    void Reset();

    // --- Columns of the current row ----------------------------------------------------------
    int ColumnCount() const;
    bool IsNull(int Column) const;
    int64_t Int64(int Column) const;
    int32_t Int(int Column) const { return int32_t(Int64(Column)); }
    double Double(int Column) const;
    QString Text(int Column) const;

    // The first column of the first row, or Default when there is no row.
    int64_t ScalarInt(int64_t Default = 0);

private:
    [[noreturn]] void Fail(const char *What) const;
    sqlite3 *FDb;
    sqlite3_stmt *FStmt = nullptr;
    QString FSql;
};

// Runs statements that take no parameters (DDL), one after another.
void ExecSql(sqlite3 *Db, const QString &Sql);

// ---------------------------------------------------------------------------------------
// Transactions

// A write transaction for a change made of several statements: BEGIN IMMEDIATE when made
// (waiting for other writers within the busy timeout), COMMIT by Commit, ROLLBACK when the
// scope ends without Commit (an exception on the way), so a change is whole or absent.
class TKXTransaction {
public:
    explicit TKXTransaction(sqlite3 *Db);
    ~TKXTransaction();
    TKXTransaction(const TKXTransaction &) = delete;
    TKXTransaction &operator=(const TKXTransaction &) = delete;
    void Commit();

private:
    sqlite3 *FDb;
    bool FDone = false;
};

} // namespace kx
