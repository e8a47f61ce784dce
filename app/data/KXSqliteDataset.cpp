#include "data/KXSqliteDataset.h"

#include "core/KXError.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <cmath>

namespace kx {

namespace {

// A name as an SQL identifier: between double quotes, inner quotes doubled.
QString QuoteIdentifier(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// How long a read waits for another connection's write to finish before it gives up.
constexpr int BusyTimeoutMs = 5000;

// A dataset only reads: attaching other database files is refused whatever the SQL says.
int DenyAttach(void *, int Action, const char *, const char *, const char *, const char *)
{
    return Action == SQLITE_ATTACH || Action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

// The SELECT as a subquery: on lines of its own, so a trailing "--" comment cannot swallow
// the closing parenthesis.
QString Subquery(const QString &Select)
{
    return QStringLiteral("(\n") + Select + QStringLiteral("\n)");
}

QVariant ReadColumn(sqlite3_stmt *stmt, int i, TKXFieldType type)
{
    const int storage = sqlite3_column_type(stmt, i);
    if (storage == SQLITE_NULL)
        return {};
    const bool textKind = IsStringFieldType(type) || IsMemoFieldType(type);
    auto text = [&] {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        return QString::fromUtf8(p, sqlite3_column_bytes(stmt, i));
    };
    auto bytes = [&] {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(stmt, i));
        return QByteArray(p, sqlite3_column_bytes(stmt, i));
    };
    if (IsBinaryFieldType(type))
        return bytes();
    if (type == TKXFieldType::ftBoolean && storage != SQLITE_TEXT && storage != SQLITE_BLOB)
        return sqlite3_column_double(stmt, i) != 0;
    switch (storage) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, i);
        if (IsFloatFieldType(type) || IsDateTimeFieldType(type))
            return double(v);
        if (textKind)
            return QString::number(v);
        return v;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(stmt, i);
        if (textKind)
            return text();
        // A whole number kept as REAL in an integer column reads as an integer.
        if (IsIntegerFieldType(type) && d == std::trunc(d) && std::fabs(d) < 9.2e18)
            return qint64(d);
        return d;
    }
    case SQLITE_TEXT: {
        const QString s = text();
        bool ok = false;
        if (IsDateTimeFieldType(type)) {
            double d = 0;
            if (IsoTextToDayNumber(s, d))
                return d;
        } else if (IsIntegerFieldType(type)) {
            const qint64 v = s.trimmed().toLongLong(&ok);
            if (ok)
                return v;
        } else if (IsFloatFieldType(type)) {
            const double d = s.trimmed().toDouble(&ok);
            if (ok)
                return d;
        } else if (type == TKXFieldType::ftBoolean) {
            const QString u = s.trimmed().toUpper();
            if (u == QLatin1String("TRUE") || u == QLatin1String("1"))
                return true;
            if (u == QLatin1String("FALSE") || u == QLatin1String("0"))
                return false;
        }
        return s; // as stored: the typed readers report what they cannot convert
    }
    default: // SQLITE_BLOB
        if (textKind)
            return text();
        return bytes();
    }
}

} // namespace

TKXSqliteDataSet::TKXSqliteDataSet(const QString &Name, QObject *Parent) : TKXDataSet(Name, Parent) {}

TKXSqliteDataSet::~TKXSqliteDataSet()
{
    ReleaseHandles();
}

void TKXSqliteDataSet::CheckClosed() const
{
    if (Active())
        throw EKxError("Cannot change the source of the open dataset '" + Name().toStdString() + "'");
}

void TKXSqliteDataSet::SetDatabaseName(const QString &FileName)
{
    CheckClosed();
    FDatabaseName = FileName;
}

void TKXSqliteDataSet::SetTableName(const QString &Table)
{
    CheckClosed();
    FTableName = Table;
}

void TKXSqliteDataSet::SetSQL(const QString &Select)
{
    CheckClosed();
    FSQL = Select;
}

TKXFieldType TKXSqliteDataSet::FieldTypeFromDeclared(const QString &Declared, int &Size)
{
    using enum TKXFieldType;
    Size = 0;
    QString d = Declared.trimmed().toUpper();
    const qsizetype paren = d.indexOf(QLatin1Char('('));
    QString args;
    if (paren >= 0) {
        args = d.mid(paren + 1);
        args.truncate(args.indexOf(QLatin1Char(')')));
        d = d.left(paren).trimmed();
    }
    // Compiled once: a catalogue load asks for every column of every table.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    d.replace(blanks, QStringLiteral(" "));
    if (d.isEmpty())
        return ftUnknown;

    static const struct {
        const char *name;
        TKXFieldType type;
    } exact[] = {
        {"INTEGER", ftInteger},   {"INT", ftInteger},          {"MEDIUMINT", ftInteger},
        {"BIGINT", ftLargeint},   {"INT8", ftLargeint},        {"INT64", ftLargeint},
        {"LARGEINT", ftLargeint}, {"UNSIGNED BIG INT", ftLargeint},
        {"SMALLINT", ftSmallint}, {"INT2", ftSmallint},        {"TINYINT", ftShortint},
        {"REAL", ftFloat},        {"FLOAT", ftFloat},          {"DOUBLE", ftFloat},
        {"DOUBLE PRECISION", ftFloat},
        {"NUMERIC", ftBCD},       {"DECIMAL", ftBCD},          {"NUMBER", ftBCD},
        {"CURRENCY", ftCurrency}, {"MONEY", ftCurrency},
        {"BOOLEAN", ftBoolean},   {"BOOL", ftBoolean},         {"BIT", ftBoolean},
        {"DATE", ftDate},         {"TIME", ftTime},            {"DATETIME", ftDateTime},
        {"TIMESTAMP", ftTimeStamp},
        {"VARCHAR", ftWideString}, {"CHAR", ftWideString},     {"CHARACTER", ftWideString},
        {"NVARCHAR", ftWideString}, {"NCHAR", ftWideString},   {"VARCHAR2", ftWideString},
        {"VARYING CHARACTER", ftWideString}, {"NATIVE CHARACTER", ftWideString},
        {"STRING", ftWideString},
        // A plain TEXT column holds the names and addresses of a typical table: a string,
        // which the data grid shows. Memos are the declared large texts.
        {"TEXT", ftWideString},   {"TINYTEXT", ftWideString},
        {"CLOB", ftWideMemo},     {"NCLOB", ftWideMemo},       {"MEMO", ftWideMemo},
        {"NTEXT", ftWideMemo},    {"MEDIUMTEXT", ftWideMemo},  {"LONGTEXT", ftWideMemo},
        {"LONG TEXT", ftWideMemo}, {"LONG VARCHAR", ftWideMemo},
        {"BLOB", ftBlob},         {"BINARY", ftBlob},          {"VARBINARY", ftBlob},
        {"IMAGE", ftGraphic},     {"GRAPHIC", ftGraphic},      {"GUID", ftGuid},
    };
    TKXFieldType type = ftUnknown;
    bool found = false;
    for (const auto &e : exact) {
        if (d == QLatin1String(e.name)) {
            type = e.type;
            found = true;
            break;
        }
    }
    if (!found) {
        // SQLite's affinity rules, in their order.
        if (d.contains(QLatin1String("INT")))
            type = ftInteger;
        else if (d.contains(QLatin1String("CHAR")))
            type = ftWideString;
        else if (d.contains(QLatin1String("CLOB")) || d.contains(QLatin1String("MEMO")) ||
                 (d.contains(QLatin1String("TEXT")) &&
                  (d.contains(QLatin1String("LONG")) || d.contains(QLatin1String("MEDIUM")))))
            type = ftWideMemo;
        else if (d.contains(QLatin1String("TEXT")))
            type = ftWideString;
        else if (d.contains(QLatin1String("BLOB")))
            type = ftBlob;
        else if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) ||
                 d.contains(QLatin1String("DOUB")))
            type = ftFloat;
        else
            type = ftBCD;
    }
    if (type == ftWideString && !args.isEmpty())
        Size = args.split(QLatin1Char(',')).first().trimmed().toInt();
    return type;
}

void TKXSqliteDataSet::Fail(const std::string &What) const
{
    const char *msg = FDb ? sqlite3_errmsg(FDb) : "out of memory";
    throw EKxError(What + ": " + msg);
}

sqlite3_stmt *TKXSqliteDataSet::Prepare(const QString &Sql, QString *Statement) const
{
    const QByteArray utf8 = Sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(FDb, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        Fail("Cannot read '" + (FTableName.isEmpty() ? FSQL : FTableName).toStdString() + "'");
    }
    // Only comments and blanks may follow the statement: what SQLite finds to prepare
    // there is a second statement.
    bool onlyOne = true;
    for (const char *rest = tail; rest && *rest && onlyOne;) {
        sqlite3_stmt *next = nullptr;
        const char *after = nullptr;
        const int rc = sqlite3_prepare_v2(FDb, rest, -1, &next, &after);
        onlyOne = rc == SQLITE_OK && !next && after != rest;
        sqlite3_finalize(next);
        rest = after;
    }
    // A SELECT answers columns and changes nothing (ATTACH and DETACH count as read-only
    // for SQLite, and answer no columns).
    if (!stmt || !onlyOne || !sqlite3_stmt_readonly(stmt) || sqlite3_column_count(stmt) == 0) {
        sqlite3_finalize(stmt);
        throw EKxError("The source of '" + Name().toStdString() + "' is not one SELECT statement");
    }
    if (Statement) {
        // The statement's own text without the ';' that ends it and what follows.
        QString text = QString::fromUtf8(utf8.constData(), tail ? qsizetype(tail - utf8.constData()) : utf8.size());
        for (;;) {
            const QString trimmed = text.trimmed();
            if (!trimmed.endsWith(QLatin1Char(';'))) {
                text = trimmed;
                break;
            }
            text = trimmed.chopped(1);
        }
        *Statement = text;
    }
    return stmt;
}

void TKXSqliteDataSet::DoOpen()
{
    if (FDatabaseName.isEmpty())
        throw EKxError("No database file is set for '" + Name().toStdString() + "'");
    if (FTableName.isEmpty() && FSQL.trimmed().isEmpty())
        throw EKxError("No table is set for '" + Name().toStdString() + "'");
    ReleaseHandles();
    if (FShared) {
        FDb = FShared.get();
    } else {
        FOwnDb = OpenReadConnection(FDatabaseName);
        FDb = FOwnDb.get();
    }
    try {
        if (!FTableName.isEmpty()) {
            FBaseSql = QStringLiteral("SELECT * FROM ") + QuoteIdentifier(FTableName);
            FCursor = Prepare(FBaseSql);
        } else {
            FCursor = Prepare(FSQL, &FBaseSql);
        }
        FCursorSql = FBaseSql;
        FStepped = 0;
        FDetached = false;

        std::vector<TKXFieldDef> defs;
        const int n = sqlite3_column_count(FCursor);
        const QByteArray table = FTableName.toUtf8();
        for (int i = 0; i < n; ++i) {
            TKXFieldDef def;
            def.Name = QString::fromUtf8(sqlite3_column_name(FCursor, i));
            def.DataType = FieldTypeFromDeclared(QString::fromUtf8(sqlite3_column_decltype(FCursor, i)), def.Size);
            int autoinc = 0;
            if (!FTableName.isEmpty() && def.DataType == TKXFieldType::ftInteger &&
                sqlite3_table_column_metadata(FDb, nullptr, table.constData(),
                                              sqlite3_column_name(FCursor, i), nullptr, nullptr,
                                              nullptr, nullptr, &autoinc) == SQLITE_OK &&
                autoinc)
                def.DataType = TKXFieldType::ftAutoInc;
            defs.push_back(def);
        }
        SetFieldDefs(defs);
    } catch (...) {
        ReleaseHandles();
        throw;
    }
}

void TKXSqliteDataSet::ReleaseHandles()
{
    sqlite3_finalize(FCursor);
    sqlite3_finalize(FCount);
    FCursor = FCount = nullptr;
    FCursorSql.clear();
    FCountSql.clear();
    FDb = nullptr;
    FOwnDb.reset();
}

std::shared_ptr<sqlite3> TKXSqliteDataSet::OpenReadConnection(const QString &FileName)
{
    sqlite3 *db = nullptr;
    // Read-only: a dataset never writes, and a missing file is an error, not a new database.
    const int rc = sqlite3_open_v2(FileName.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    // close_v2: statements still prepared on it keep it alive until they are finalised.
    std::shared_ptr<sqlite3> shared(db, [](sqlite3 *h) { sqlite3_close_v2(h); });
    if (rc != SQLITE_OK)
        throw EKxError("Cannot open database '" + FileName.toStdString() + "': " +
                       (db ? sqlite3_errmsg(db) : "out of memory"));
    // The program's own forms write to the same database: a read waits for their write
    // instead of failing at once with "database is locked".
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    sqlite3_set_authorizer(db, DenyAttach, nullptr);
    return shared;
}

void TKXSqliteDataSet::SetSharedConnection(std::shared_ptr<sqlite3> Db)
{
    CheckClosed();
    FShared = std::move(Db);
}

void TKXSqliteDataSet::DoClose()
{
    ReleaseHandles();
}

// The SELECT restricted to the master's current record: one parameter per link column.
QString TKXSqliteDataSet::LinkedSql(const QString &Select) const
{
    if (LinkConditions().empty())
        return Select;
    QString sql = QStringLiteral("SELECT * FROM ") + Subquery(Select) + QStringLiteral(" WHERE ");
    for (size_t k = 0; k < LinkConditions().size(); ++k) {
        if (k)
            sql += QStringLiteral(" AND ");
        sql += QuoteIdentifier(Fields(LinkConditions()[k].FieldIndex).FieldName()) +
               QStringLiteral(" = ?");
    }
    return sql;
}

void TKXSqliteDataSet::BindLink(sqlite3_stmt *Stmt) const
{
    sqlite3_reset(Stmt);
    sqlite3_clear_bindings(Stmt);
    int p = 1;
    for (const TKXLinkCondition &c : LinkConditions()) {
        const QVariant &v = c.Value;
        switch (v.typeId()) {
        case QMetaType::UnknownType: // null: binds NULL, which equals nothing
            break;
        case QMetaType::Bool:
            sqlite3_bind_int(Stmt, p, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(Stmt, p, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob64(Stmt, p, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            sqlite3_bind_int64(Stmt, p, v.toLongLong());
            break;
        default: {
            const QByteArray t = v.toString().toUtf8();
            sqlite3_bind_text64(Stmt, p, t.constData(), sqlite3_uint64(t.size()), SQLITE_TRANSIENT,
                                SQLITE_UTF8);
        }
        }
        ++p;
    }
}

bool TKXSqliteDataSet::Step(sqlite3_stmt *Stmt, TKXRecord &Row)
{
    const int rc = sqlite3_step(Stmt);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        Fail("Cannot read '" + Name().toStdString() + "'");
    const int n = FieldCount();
    Row.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        Row[size_t(i)] = ReadColumn(Stmt, i, Fields(i).DataType());
    return true;
}

bool TKXSqliteDataSet::DoFetchFirst(TKXRecord &Row)
{
    const QString sql = LinkedSql(FBaseSql);
    if (!FCursor || sql != FCursorSql) {
        sqlite3_finalize(FCursor);
        FCursor = nullptr;
        FCursor = Prepare(sql);
        FCursorSql = sql;
    }
    BindLink(FCursor);
    FDetached = false;
    FStepped = 0;
    const bool found = Step(FCursor, Row);
    FStepped = found ? 1 : 0;
    ReleaseWhenIdle();
    return found;
}

bool TKXSqliteDataSet::DoFetchNext(TKXRecord &Row)
{
    if (!FCursor)
        return false;
    if (FDetached) {
        // The read was ended while idle: start it again and pass over the records already
        // fetched (the current one is held by the dataset).
        BindLink(FCursor);
        FDetached = false;
        if (Skip(FCursor, FStepped) < FStepped)
            return false;
    }
    const bool found = Step(FCursor, Row);
    if (found)
        ++FStepped;
    ReleaseWhenIdle();
    return found;
}

int64_t TKXSqliteDataSet::Skip(sqlite3_stmt *Stmt, int64_t Count)
{
    int64_t skipped = 0;
    while (skipped < Count) {
        const int rc = sqlite3_step(Stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            Fail("Cannot read '" + Name().toStdString() + "'");
        ++skipped;
    }
    return skipped;
}

int64_t TKXSqliteDataSet::DoFetchAhead(int64_t Count, TKXRecord &Row)
{
    if (!FCursor || Count <= 0)
        return 0;
    if (FDetached) {
        BindLink(FCursor);
        FDetached = false;
        if (Skip(FCursor, FStepped) < FStepped)
            return 0;
    }
    // All but the last row are passed over unread; the last is read.
    int64_t fetched = Skip(FCursor, Count - 1);
    if (fetched == Count - 1 && Step(FCursor, Row)) {
        ++fetched;
    } else if (fetched > 0) {
        // The data ended among the rows passed over: read the last of them again.
        sqlite3_reset(FCursor);
        BindLink(FCursor);
        Skip(FCursor, FStepped + fetched - 1);
        if (!Step(FCursor, Row))
            Fail("Cannot read '" + Name().toStdString() + "'");
    }
    FStepped += fetched;
    ReleaseWhenIdle();
    return fetched;
}

void TKXSqliteDataSet::ReleaseRead()
{
    if (FCursor && !FDetached) {
        sqlite3_reset(FCursor);
        FDetached = true;
    }
}

void TKXSqliteDataSet::ReleaseWhenIdle()
{
    // Once control is back in the event loop nobody is walking the records: the read
    // ends, so no lock is held between runs.
    if (FReleasePending || !QCoreApplication::instance())
        return;
    FReleasePending = true;
    QTimer::singleShot(0, this, [this] {
        FReleasePending = false;
        ReleaseRead();
    });
}

int64_t TKXSqliteDataSet::DoRecordCount()
{
    const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + Subquery(LinkedSql(FBaseSql));
    if (!FCount || sql != FCountSql) {
        sqlite3_finalize(FCount);
        FCount = nullptr;
        FCount = Prepare(sql);
        FCountSql = sql;
    }
    BindLink(FCount);
    if (sqlite3_step(FCount) != SQLITE_ROW)
        Fail("Cannot count the records of '" + Name().toStdString() + "'");
    const int64_t n = sqlite3_column_int64(FCount, 0);
    sqlite3_reset(FCount); // ends the read so writers are not held up
    return n;
}

} // namespace kx
