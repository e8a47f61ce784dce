#include "data/KXSqlite.h"

#include "core/KXError.h"

#include <sqlite3.h>

namespace kx {

QString QuoteIdentifier(const QString &Name)
{
    QString q = Name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString SqlNameProblem(const QString &Name)
{
    if (Name.isEmpty())
        return QStringLiteral("the name is empty");
    if (Name.size() > 255)
        return QStringLiteral("the name is longer than 255 characters");
    if (Name.front().isDigit())
        return QStringLiteral("the name begins with a digit");
    const QByteArray utf8 = Name.toUtf8();
    if (sqlite3_keyword_check(utf8.constData(), int(utf8.size())))
        return QStringLiteral("the name is an SQL keyword");
    if (Name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return QStringLiteral("the name is reserved by the database");
    return {};
}

// ---------------------------------------------------------------------------------------
// TKXStatement

TKXStatement::TKXStatement(sqlite3 *Db, const QString &Sql) : FDb(Db), FSql(Sql)
{
    if (!FDb)
        throw EKxError("The database is not open");
    const QByteArray utf8 = Sql.toUtf8();
    if (sqlite3_prepare_v2(FDb, utf8.constData(), int(utf8.size()), &FStmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        Fail("Cannot prepare");
    }
    if (!FStmt)
        throw EKxError("Empty statement");
}

TKXStatement::~TKXStatement()
{
    sqlite3_finalize(FStmt);
}

void TKXStatement::Fail(const char *What) const
{
    throw EKxError(std::string(What) + " (" + FSql.left(200).toStdString() + "): " + sqlite3_errmsg(FDb));
}

TKXStatement &TKXStatement::Bind(int Index, int64_t Value)
{
    if (sqlite3_bind_int64(FStmt, Index, Value) != SQLITE_OK)
        Fail("Cannot bind");
    return *this;
}

TKXStatement &TKXStatement::Bind(int Index, double Value)
{
    if (sqlite3_bind_double(FStmt, Index, Value) != SQLITE_OK)
        Fail("Cannot bind");
    return *this;
}

TKXStatement &TKXStatement::Bind(int Index, const QString &Value)
{
    const QByteArray utf8 = Value.toUtf8();
    if (sqlite3_bind_text64(FStmt, Index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK)
        Fail("Cannot bind");
    return *this;
}

TKXStatement &TKXStatement::BindNull(int Index)
{
    if (sqlite3_bind_null(FStmt, Index) != SQLITE_OK)
        Fail("Cannot bind");
    return *this;
}

bool TKXStatement::Step()
{
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement's own error code is kept until it is reset.
    sqlite3_reset(FStmt);
    Fail("Cannot run");
}

void TKXStatement::Exec()
{
    while (Step()) {
    }
    sqlite3_reset(FStmt);
}

void TKXStatement::Reset()
{
    sqlite3_reset(FStmt);
}

int TKXStatement::ColumnCount() const
{
    return sqlite3_column_count(FStmt);
}

bool TKXStatement::IsNull(int Column) const
{
    return sqlite3_column_type(FStmt, Column) == SQLITE_NULL;
}

int64_t TKXStatement::Int64(int Column) const
{
    return sqlite3_column_int64(FStmt, Column);
}

double TKXStatement::Double(int Column) const
{
    return sqlite3_column_double(FStmt, Column);
}

QString TKXStatement::Text(int Column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(FStmt, Column));
    return QString::fromUtf8(p, sqlite3_column_bytes(FStmt, Column));
}

int64_t TKXStatement::ScalarInt(int64_t Default)
{
    const int64_t v = Step() ? Int64(0) : Default;
    Reset();
    return v;
}

void ExecSql(sqlite3 *Db, const QString &Sql)
{
    if (!Db)
        throw EKxError("The database is not open");
    char *err = nullptr;
    if (sqlite3_exec(Db, Sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : sqlite3_errmsg(Db);
        sqlite3_free(err);
        throw EKxError(msg);
    }
}

// ---------------------------------------------------------------------------------------
// TKXTransaction

TKXTransaction::TKXTransaction(sqlite3 *Db) : FDb(Db)
{
    ExecSql(FDb, QStringLiteral("BEGIN IMMEDIATE"));
}

TKXTransaction::~TKXTransaction()
{
    if (!FDone)
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

void TKXTransaction::Commit()
{
    ExecSql(FDb, QStringLiteral("COMMIT"));
    FDone = true;
}

} // namespace kx
