#include "data/KXDataModule.h"
#include "data/KXDatasetFilter.h"

#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXSqlite.h"
#include "document/KXBaseLab.h"
#include "prompts/KXPrompts.h"
#include "settings/KXDataRoot.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QtGlobal>

#include <cmath>
#include <optional>

namespace kx {

namespace {

// How long a statement waits for another connection's write before it gives up.
constexpr int BusyTimeoutMs = 5000;

// Marks of a database file made by the program: the header's application id ("ZANT") and
// the catalogue's layout version.
constexpr int ApplicationId = 0x5A414E54;
constexpr int CatalogueVersion = 1;

// The catalogue. Keys are assigned on insert; table names are unique, field names unique
// within their table, font names unique. Names compare as SQLite compares identifiers
// (ASCII letters without case).
const char *const CatalogueSql =
    "CREATE TABLE DEF_TABLES("
    " ID_TABLE INTEGER PRIMARY KEY AUTOINCREMENT,"
    " ID_PARENT INTEGER NOT NULL DEFAULT 0,"
    " NAME VARCHAR(255) NOT NULL COLLATE NOCASE UNIQUE,"
    " USR_NAME VARCHAR(255) NOT NULL);"
    "CREATE TABLE DEF_FIELDS("
    " ID_FIELD INTEGER PRIMARY KEY AUTOINCREMENT,"
    " ID_TABLE INTEGER NOT NULL,"
    " NAME VARCHAR(255) NOT NULL COLLATE NOCASE,"
    " USR_NAME VARCHAR(255) NOT NULL,"
    " TYPE INTEGER NOT NULL,"
    " DECIM INTEGER NOT NULL DEFAULT 0,"
    " UNIQUE(ID_TABLE, NAME));"
    "CREATE TABLE DEF_FILTROS_CAB("
    " ID_FILTRO INTEGER PRIMARY KEY AUTOINCREMENT,"
    " ID_TABLE INTEGER NOT NULL,"
    " NOMBRE VARCHAR(255) NOT NULL,"
    " CREADA VARCHAR(30));"
    "CREATE TABLE DEF_FILTROS_LIN("
    " ID_LINFILTRO INTEGER PRIMARY KEY AUTOINCREMENT,"
    " ID_FILTRO INTEGER NOT NULL,"
    " ID_FIELD INTEGER NOT NULL,"
    " ORDEN INTEGER NOT NULL DEFAULT 0,"
    " TIPO INTEGER NOT NULL DEFAULT 0,"
    " OPERADOR INTEGER NOT NULL DEFAULT 0,"
    " VALOR VARCHAR(100));"
    "CREATE TABLE DEF_FONTS("
    " ID_FONT INTEGER PRIMARY KEY AUTOINCREMENT,"
    " NAME VARCHAR(255) NOT NULL COLLATE NOCASE UNIQUE);";

// The columns the program reads of each catalogue table; a file must have them all.
const struct {
    const char *Table;
    std::initializer_list<const char *> Columns;
} CatalogueColumns[] = {
    {"DEF_TABLES", {"ID_TABLE", "ID_PARENT", "NAME", "USR_NAME"}},
    {"DEF_FIELDS", {"ID_FIELD", "ID_TABLE", "NAME", "USR_NAME", "TYPE", "DECIM"}},
    {"DEF_FILTROS_CAB", {"ID_FILTRO", "ID_TABLE", "NOMBRE", "CREADA"}},
    {"DEF_FILTROS_LIN", {"ID_LINFILTRO", "ID_FILTRO", "ID_FIELD", "ORDEN", "TIPO", "OPERADOR", "VALOR"}},
    {"DEF_FONTS", {"ID_FONT", "NAME"}},
};

// The font families the set-up installs (fonts-liberation2, fonts-dejavu-core).
const char *const SeedFonts[] = {"DejaVu Sans",     "DejaVu Sans Mono", "DejaVu Serif",
                                 "Liberation Mono", "Liberation Sans",  "Liberation Serif"};

// Component names the label finds the external-file datasets by: no table may take them.
const char *const ReservedDatasetNames[] = {"CsvDataSet", "ADODataSet"};

// ---- The module's own messages ----------------------------------------------------------

QString ErrorOpenTableText()
{
    return QStringLiteral("ERROR OPENNING TABLE");
}

QString NoDataText()
{
    return QStringLiteral("Error opening database");
}

// ---- Catalogue --------------------------------------------------------------------------

void CreateCatalogue(sqlite3 *Db)
{
    TKXTransaction transaction(Db);
    ExecSql(Db, QString::fromLatin1(CatalogueSql));
    TKXStatement font(Db, QStringLiteral("INSERT INTO DEF_FONTS(NAME) VALUES (?)"));
    for (const char *name : SeedFonts)
        font.Bind(1, name).Exec();
    ExecSql(Db, QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2")
                    .arg(ApplicationId)
                    .arg(CatalogueVersion));
    transaction.Commit();
}

// What the file lacks of the catalogue ("DEF_FONTS", "DEF_FIELDS.DECIM", ...); empty when
// it is complete.
QStringList MissingCatalogue(sqlite3 *Db)
{
    QStringList missing;
    TKXStatement columns(Db, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    for (const auto &table : CatalogueColumns) {
        QStringList have;
        columns.Bind(1, table.Table);
        while (columns.Step())
            have << columns.Text(0).toUpper();
        columns.Reset();
        if (have.isEmpty()) {
            missing << QString::fromLatin1(table.Table);
            continue;
        }
        for (const char *column : table.Columns)
            if (!have.contains(QLatin1String(column)))
                missing << QString::fromLatin1(table.Table) + QLatin1Char('.') + QLatin1String(column);
    }
    return missing;
}

// ---- Filter values ----------------------------------------------------------------------

QString TextLiteral(QString Text)
{
    Text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + Text + QLatin1Char('\'');
}

QString NumberText(double Value)
{
    return QString::number(Value, 'g', 15);
}

// A stored number: a decimal point or a decimal comma, an optional sign and exponent; no
// group separators.
std::optional<double> StoredNumber(const QString &Value)
{
    QString t = Value.trimmed();
    if (t.count(QLatin1Char(',')) > 1 || (t.contains(QLatin1Char(',')) && t.contains(QLatin1Char('.'))))
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// A stored date-time: ISO 8601 ("2024-03-01", "2024-03-01 18:05[:09]", also with 'T'), or
// the short date of the format settings followed by an optional time of the settings' time
// separator ("3/1/2024 6:05 PM", "01.03.2024 18:05:09"). The day number, or none.
std::optional<double> StoredDateTime(const QString &Value)
{
    const QString t = Value.trimmed();
    static const QRegularExpression isoStart(QStringLiteral(R"(^\d{4}-\d)"));
    if (isoStart.match(t).hasMatch()) {
        double d = 0;
        if (IsoTextToDayNumber(t, d))
            return d;
        return std::nullopt;
    }
    const TKXFormatSettings &fs = DefaultFormatSettings();
    const QString dateSep = QString::fromStdString(fs.DateSeparator);
    const QString timeSep = QString::fromStdString(fs.TimeSeparator);
    if (dateSep.isEmpty() || timeSep.isEmpty())
        return std::nullopt;
    const qsizetype space = t.indexOf(QLatin1Char(' '));
    const QStringList parts = (space < 0 ? t : t.left(space)).split(dateSep);
    const QString time = space < 0 ? QString() : t.mid(space + 1).trimmed();
    int y = 0, m = 0, d = 0;
    if (!ShortDateParts(parts, y, m, d))
        return std::nullopt;
    int hh = 0, nn = 0, ss = 0;
    if (!time.isEmpty()) {
        const QString sep = QRegularExpression::escape(timeSep);
        const QRegularExpression clock(QStringLiteral(R"(^(\d{1,2})%1(\d{1,2})(?:%1(\d{1,2}))?\s*(\S+)?$)").arg(sep));
        const QRegularExpressionMatch mt = clock.match(time);
        if (!mt.hasMatch())
            return std::nullopt;
        hh = mt.captured(1).toInt();
        nn = mt.captured(2).toInt();
        ss = mt.captured(3).isEmpty() ? 0 : mt.captured(3).toInt();
        const QString half = mt.captured(4);
        if (!half.isEmpty()) {
            const bool am = half.compare(QString::fromStdString(fs.TimeAMString), Qt::CaseInsensitive) == 0;
            const bool pm = half.compare(QString::fromStdString(fs.TimePMString), Qt::CaseInsensitive) == 0;
            if ((!am && !pm) || hh < 1 || hh > 12)
                return std::nullopt;
            hh = hh % 12 + (pm ? 12 : 0);
        }
    }
    try {
        return EncodeDateTime(y, m, d, hh, nn, ss);
    } catch (const EKxError &) {
        return std::nullopt; // no such day or time
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Kinds and names

QString ColumnTypeOfKind(int Type, int Decim)
{
    switch (TKXDataKind(Type)) {
    case TKXDataKind::dkText: return QStringLiteral("VARCHAR(%1)").arg(Decim);
    case TKXDataKind::dkInteger:
    case TKXDataKind::dkYesNo: return QStringLiteral("INTEGER");
    case TKXDataKind::dkDateTime:
    case TKXDataKind::dkDecimal:
    case TKXDataKind::dkCurrency: return QStringLiteral("REAL");
    case TKXDataKind::dkNote: return QStringLiteral("TEXT");
    case TKXDataKind::dkImage: return QStringLiteral("BLOB");
    }
    return {};
}

QString LimpiaNombre(const QString &Name)
{
    QString out;
    out.reserve(Name.size());
    // toUcs4 turns an unpaired surrogate into U+FFFD, a symbol, so it is dropped too.
    for (const char32_t c : Name.toUcs4()) {
        bool keep = true;
        switch (QChar::category(c)) {
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
        case QChar::Other_Control:
        case QChar::Other_Surrogate:
        case QChar::Punctuation_Connector:
        case QChar::Punctuation_Dash:
        case QChar::Punctuation_Open:
        case QChar::Punctuation_Close:
        case QChar::Punctuation_InitialQuote:
        case QChar::Punctuation_FinalQuote:
        case QChar::Punctuation_Other:
        case QChar::Symbol_Math:
        case QChar::Symbol_Currency:
        case QChar::Symbol_Modifier:
        case QChar::Symbol_Other: keep = false; break;
        default: keep = c != 0x00AD; // the soft hyphen is a format character, but a hyphen
        }
        if (!keep)
            continue;
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
}

QString TDM::TableNameProblem(const QString &Name)
{
    if (!Name.isEmpty() && LimpiaNombre(Name) != Name)
        return QStringLiteral("the name holds characters other than letters, digits and marks");
    if (QString why = SqlNameProblem(Name); !why.isEmpty())
        return why;
    for (const char *reserved : ReservedDatasetNames)
        if (SameName(Name, QLatin1String(reserved)))
            return QStringLiteral("the name is reserved for external data files");
    return {};
}

QString TDM::FieldNameProblem(const QString &Name)
{
    if (!Name.isEmpty() && LimpiaNombre(Name) != Name)
        return QStringLiteral("the name holds characters other than letters, digits and marks");
    return SqlNameProblem(Name);
}

// ---------------------------------------------------------------------------------------
// Lifecycle and connection

TDM::TDM(const QString &DatabaseFile, QObject *Parent) : QObject(Parent), FDatabaseFile(DatabaseFile) {}

TDM::~TDM()
{
    FreeTables();
    ParaConexion();
}

void TDM::SetDatabaseFile(const QString &FileName)
{
    if (FileName == FDatabaseFile)
        return;
    ParaConexion();
    FDatabaseFile = FileName;
}

void TDM::Report(const QString &Text) const
{
    Prompts().ShowError(Text);
}

QString DefaultDatabaseFile()
{
    return DataFolder(DataData) + QStringLiteral("/zantor_data.db");
}

bool TDM::ConectaDatosSqlite()
{
    ParaConexion();
    FLastError.clear();
    const QFileInfo info(FDatabaseFile);
    const bool fresh = !FDatabaseFile.isEmpty() && !info.exists();
    sqlite3 *db = nullptr;
    try {
        if (FDatabaseFile.isEmpty())
            throw EKxError("No database file is set");
        if (fresh && !QDir().mkpath(info.absolutePath()))
            throw EKxError("Cannot make the folder " + info.absolutePath().toStdString());
        // An existing file is opened without the right to create, so nothing is written to
        // it before it has proven to be the program's database.
        const int flags = SQLITE_OPEN_READWRITE | (fresh ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(FDatabaseFile.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK)
            throw EKxError(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        // The first read: a file that is not a database fails here.
        int tables = 0;
        try {
            TKXStatement list(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"
                                                 " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
            tables = int(list.ScalarInt());
        } catch (const EKxError &) {
            throw EKxError(std::string("The file cannot be read as a database: ") + sqlite3_errmsg(db));
        }
        if (tables == 0) {
            CreateCatalogue(db);
        } else if (const QStringList missing = MissingCatalogue(db); !missing.isEmpty()) {
            throw EKxError("The file is not a label-data database (it lacks " +
                           missing.join(QStringLiteral(", ")).toStdString() + ")");
        }
    } catch (const std::exception &e) {
        FLastError = QString::fromUtf8(e.what());
        if (db)
            sqlite3_close_v2(db);
        if (fresh)
            QFile::remove(FDatabaseFile); // only what this attempt made
        return false;
    }
    FDb = db;
    return true;
}

void TDM::ParaConexion()
{
    if (!FDb)
        return;
    sqlite3_close_v2(FDb);
    FDb = nullptr;
}

sqlite3 *TDM::Handle()
{
    if (!FDb && !ConectaDatosSqlite())
        throw EKxError("Error opening database: " + FLastError.toStdString());
    return FDb;
}

// ---------------------------------------------------------------------------------------
// Table datasets

std::vector<TKXDataTable *> TDM::Tables() const
{
    std::vector<TKXDataTable *> list;
    for (QObject *child : children())
        if (auto *t = dynamic_cast<TKXDataTable *>(child))
            list.push_back(t);
    return list;
}

void TDM::FreeTables()
{
    // Details first: a master outlives the datasets that follow it.
    std::vector<TKXDataTable *> list = Tables();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        (*it)->Close();
        delete *it;
    }
}

bool TDM::OpenTable(TKXDataTable &Table)
{
    try {
        Table.Open();
        // No read stays open after loading, even before control is back in the event loop:
        // the program's own writes follow at once (the define-data form, compaction).
        Table.ReleaseRead();
        return true;
    } catch (const std::exception &) {
        Table.Close();
        return false;
    }
}

void TDM::ActivaParaDatos(bool Active)
{
    if (!FDb)
        ConectaDatosSqlite();
    QStringList failed;
    for (TKXDataTable *t : Tables()) {
        if (!Active)
            t->Close();
        else if (!t->Active() && !OpenTable(*t))
            failed << t->Caption();
    }
    if (!failed.isEmpty())
        Report(ErrorOpenTableText() + QLatin1Char(' ') + failed.join(QStringLiteral(", ")));
}

void TDM::ActivaParaTablaSqlite(const QString &TableName, bool Active)
{
    for (TKXDataTable *t : Tables())
        if (t->Name() == TableName) {
            if (!Active)
                t->Close();
            else if (!t->Active() && !OpenTable(*t))
                Report(ErrorOpenTableText() + QLatin1Char(' ') + t->Caption());
            return;
        }
}

void TDM::RemoveTableSqlite(const QString &TableName)
{
    for (TKXDataTable *t : Tables())
        if (t->Name() == TableName) {
            t->Close();
            delete t;
            return;
        }
}

TKXDataTable *TDM::GetTableById(int32_t Id) const
{
    for (TKXDataTable *t : Tables())
        if (t->Tag() == Id)
            return t;
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Lookups

int32_t TDM::GetTableID(const QString &TableName)
{
    try {
        TKXStatement q(Handle(), QStringLiteral("SELECT ID_TABLE FROM DEF_TABLES WHERE NAME = ?"));
        return int32_t(q.Bind(1, TableName).ScalarInt());
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
        return 0;
    }
}

QString TDM::GetDetailId(int32_t MasterId, int32_t &DetailId)
{
    DetailId = 0;
    try {
        TKXStatement q(Handle(), QStringLiteral("SELECT ID_TABLE, NAME FROM DEF_TABLES WHERE ID_PARENT = ?"
                                                " ORDER BY ID_TABLE"));
        q.Bind(1, MasterId);
        if (!q.Step())
            return {};
        DetailId = q.Int(0);
        return q.Text(1);
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
        DetailId = 0;
        return {};
    }
}

int32_t TDM::GetFieldID(const QString &FieldName, int32_t Id_table)
{
    try {
        TKXStatement q(Handle(), QStringLiteral("SELECT ID_FIELD FROM DEF_FIELDS WHERE NAME = ? AND ID_TABLE = ?"));
        return int32_t(q.Bind(1, FieldName).Bind(2, Id_table).ScalarInt());
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
        return 0;
    }
}

int32_t TDM::GetFilterID(const QString &FilterName, int32_t Id_table)
{
    try {
        TKXStatement q(Handle(),
                       QStringLiteral("SELECT ID_FILTRO FROM DEF_FILTROS_CAB WHERE NOMBRE = ? AND ID_TABLE = ?"));
        return int32_t(q.Bind(1, FilterName).Bind(2, Id_table).ScalarInt());
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
        return 0;
    }
}

void TDM::GetTableNames(TTableIDList &Items)
{
    Items.clear();
    try {
        sqlite3 *db = Handle();
        TKXStatement mains(db, QStringLiteral("SELECT ID_TABLE, NAME, USR_NAME FROM DEF_TABLES WHERE ID_PARENT = 0"
                                              " ORDER BY USR_NAME"));
        while (mains.Step()) {
            TTableID id;
            id.ID = mains.Int(0);
            id.Name = mains.Text(1);
            Items.emplace_back(mains.Text(2), id);
        }
        TKXStatement details(db, QStringLiteral("SELECT ID_TABLE, ID_PARENT, NAME, USR_NAME FROM DEF_TABLES"
                                                " WHERE ID_PARENT > 0 ORDER BY USR_NAME"));
        while (details.Step())
            for (auto &[text, id] : Items)
                if (id.ID == details.Int(1)) {
                    id.ID_Detail = details.Int(0);
                    id.NameDetail = details.Text(2);
                    id.UserDetail = details.Text(3);
                }
    } catch (const std::exception &e) {
        Items.clear();
        Report(QString::fromUtf8(e.what()));
    }
}

bool TDM::CompactaDatos()
{
    try {
        ExecSql(Handle(), QStringLiteral("VACUUM"));
        return true;
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Catalogue

void TDM::LimpiaDatasetSqlite(TKXCustomLab &Lab)
{
    TKXDatasets &items = Lab.Datasets();
    for (int i = items.Count() - 1; i >= 0; --i)
        if (items.Items(i)->ExtFileType == TKXExtFileType::efNone)
            items.Delete(i);
}

void TDM::CargaDatos(TKXCustomLab &Lab)
{
    const QString bound = Lab.LinkData() && Lab.DataSet() ? Lab.DataSet()->Name() : QString();
    FreeTables();
    LimpiaDatasetSqlite(Lab);

    QStringList failed; // USR_NAME of every table that did not open
    std::shared_ptr<sqlite3> reader;
    auto addField = [](TKXFields &fields, const TKXStatement &row) {
        TKXFieldItem &f = fields.Add();
        f.SetName(row.Text(1));
        f.Caption = row.Text(2);
        f.FloatAsDateTime = row.Int(3) == int(TKXDataKind::dkDateTime);
    };
    // A table dataset for a catalogue row; null (and named among the failures) when its name
    // cannot be a table's.
    auto makeTable = [&](const TKXStatement &row) -> TKXDataTable * {
        const QString name = row.Text(4), caption = row.Text(5);
        if (!TableNameProblem(name).isEmpty()) {
            failed << caption;
            return nullptr;
        }
        auto *t = new TKXDataTable(name, row.Int(0), caption, this);
        t->SetDatabaseName(FDatabaseFile);
        t->SetTableName(name);
        t->SetSharedConnection(reader);
        return t;
    };
    try {
        sqlite3 *db = Handle();
        // The tables read through one connection of their own, so the file's schema is read
        // once for all of them.
        reader = TKXSqliteDataSet::OpenReadConnection(FDatabaseFile);
        // Main tables: fields in the order they were added.
        TKXStatement mains(db, QStringLiteral(
            "SELECT DEF_FIELDS.ID_TABLE, DEF_FIELDS.NAME, DEF_FIELDS.USR_NAME, DEF_FIELDS.TYPE,"
            " DEF_TABLES.NAME, DEF_TABLES.USR_NAME FROM DEF_FIELDS"
            " INNER JOIN DEF_TABLES ON DEF_TABLES.ID_TABLE = DEF_FIELDS.ID_TABLE"
            " WHERE DEF_TABLES.ID_PARENT = 0 ORDER BY DEF_FIELDS.ID_TABLE, DEF_FIELDS.ID_FIELD"));
        TKXDatasetItem *item = nullptr;
        bool started = false;
        int64_t current = 0;
        while (mains.Step()) {
            if (!started || current != mains.Int64(0)) {
                started = true;
                current = mains.Int64(0);
                item = nullptr;
                if (TKXDataTable *t = makeTable(mains)) {
                    item = &Lab.Datasets().Add();
                    item->SetName(t->Name());
                    item->SetBaseName(t->Name());
                    item->Caption = t->Caption();
                    item->ExtFileType = TKXExtFileType::efNone;
                    if (!OpenTable(*t))
                        failed << t->Caption();
                }
            }
            if (item)
                addField(item->Fields(), mains);
        }

        // Linked tables: each follows the current record of its main table.
        TKXStatement details(db, QStringLiteral(
            "SELECT DEF_FIELDS.ID_TABLE, DEF_FIELDS.NAME, DEF_FIELDS.USR_NAME, DEF_FIELDS.TYPE,"
            " DEF_TABLES.NAME, DEF_TABLES.USR_NAME, DEF_TABLES.ID_PARENT FROM DEF_FIELDS"
            " INNER JOIN DEF_TABLES ON DEF_TABLES.ID_TABLE = DEF_FIELDS.ID_TABLE"
            " WHERE DEF_TABLES.ID_PARENT > 0 ORDER BY DEF_FIELDS.ID_TABLE, DEF_FIELDS.ID_FIELD"));
        item = nullptr;
        started = false;
        while (details.Step()) {
            if (!started || current != details.Int64(0)) {
                started = true;
                current = details.Int64(0);
                item = nullptr;
                TKXDataTable *t = makeTable(details);
                TKXDataTable *master = t ? GetTableById(details.Int(6)) : nullptr;
                if (master) {
                    for (const auto &candidate : Lab.Datasets())
                        if (candidate->ExtFileType == TKXExtFileType::efNone && candidate->Name() == master->Name()) {
                            candidate->SetDetailDataset(t->Name());
                            candidate->SetDetailBaseName(t->Name());
                            item = candidate.get();
                        }
                    t->SetMasterLink(master, {QStringLiteral("ID_TABLE")}, {QStringLiteral("ID_PARENT")});
                }
                if (t && !OpenTable(*t))
                    failed << t->Caption();
            }
            if (item)
                addField(item->DetailFields(), details);
        }
    } catch (const std::exception &e) {
        Report(QString::fromUtf8(e.what()));
    }
    if (!failed.isEmpty())
        Report(ErrorOpenTableText() + QLatin1Char(' ') + failed.join(QStringLiteral(", ")));
    if (!bound.isEmpty() && Lab.FindDataset(bound, false, false))
        Lab.AssignDetailBaseName(bound);
}

bool TDM::OpenData(TKXCustomLab &Lab)
{
    Lab.SetDataMod(this);
    if (!ConectaDatosSqlite()) {
        Report(NoDataText() + QLatin1Char('\n') + FLastError);
        return false;
    }
    CargaDatos(Lab);
    return true;
}

QString TDM::GetTxtFilter(int32_t Id_Filter)
{
    sqlite3 *db = Handle();
    QString filterName;
    {
        TKXStatement name(db, QStringLiteral("SELECT NOMBRE FROM DEF_FILTROS_CAB WHERE ID_FILTRO = ?"));
        if (name.Bind(1, Id_Filter).Step())
            filterName = name.Text(0);
    }
    auto refusal = [&](const QString &why) {
        return EKxError(QStringLiteral("The filter '%1' cannot be applied: %2").arg(filterName, why).toStdString());
    };
    static const char *const operators[] = {" = ", " > ", " < ", " >= ", " <= ", " <> "};

    TKXStatement rows(db, QStringLiteral(
        "SELECT DEF_FILTROS_LIN.TIPO, DEF_FILTROS_LIN.OPERADOR, DEF_FILTROS_LIN.VALOR, DEF_FIELDS.NAME,"
        " DEF_FIELDS.TYPE, DEF_FIELDS.USR_NAME FROM DEF_FILTROS_LIN"
        " INNER JOIN DEF_FIELDS ON DEF_FILTROS_LIN.ID_FIELD = DEF_FIELDS.ID_FIELD"
        " WHERE DEF_FILTROS_LIN.ID_FILTRO = ? ORDER BY DEF_FILTROS_LIN.ID_LINFILTRO"));
    rows.Bind(1, Id_Filter);
    QString result, connector;
    while (rows.Step()) {
        const int64_t op = rows.Int64(1);
        const QString value = rows.Text(2), field = rows.Text(3), caption = rows.Text(5);
        const int64_t type = rows.Int64(4);
        if (!FieldNameProblem(field).isEmpty())
            throw refusal(QStringLiteral("the field name %1 is not valid").arg(field));
        if (op < 0 || op > 5)
            throw refusal(QStringLiteral("unknown comparison %1 on field %2").arg(op).arg(caption));
        QString text;
        switch (type) {
        case int(TKXDataKind::dkText):
        case int(TKXDataKind::dkNote): text = TextLiteral(value); break;
        case int(TKXDataKind::dkInteger):
        case int(TKXDataKind::dkDecimal):
        case int(TKXDataKind::dkCurrency):
            if (const std::optional<double> n = StoredNumber(value))
                text = NumberText(*n);
            else
                throw refusal(QStringLiteral("'%1' is not a number (field %2)").arg(value, caption));
            break;
        case int(TKXDataKind::dkYesNo):
            if (value.trimmed() != QLatin1String("0") && value.trimmed() != QLatin1String("1"))
                throw refusal(QStringLiteral("'%1' is not 1 or 0 (field %2)").arg(value, caption));
            text = value.trimmed();
            break;
        case int(TKXDataKind::dkDateTime):
            if (const std::optional<double> d = StoredDateTime(value))
                text = NumberText(*d);
            else
                throw refusal(QStringLiteral("'%1' is not a date (field %2)").arg(value, caption));
            break;
        case int(TKXDataKind::dkImage): throw refusal(QStringLiteral("images cannot be compared (field %1)").arg(caption));
        default: throw refusal(QStringLiteral("unknown field kind %1 (field %2)").arg(type).arg(caption));
        }
        result += connector + QStringLiteral(" ([") + field + QLatin1Char(']') + QLatin1String(operators[op]) +
                  text + QStringLiteral(" )");
        const int64_t tipo = rows.Int64(0);
        if (tipo == 0)
            connector = QStringLiteral(" AND ");
        else if (tipo == 1)
            connector = QStringLiteral(" OR ");
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// Defining tables

int32_t TDM::CreateTableSqlite(const QString &TypedName, int32_t ParentId)
{
    const QString user = TypedName.trimmed().toUpper();
    const QString name = LimpiaNombre(user);
    if (const QString why = TableNameProblem(name); !why.isEmpty())
        throw EKxError(QStringLiteral("The table name '%1' cannot be used: %2").arg(user, why).toStdString());
    sqlite3 *db = Handle();
    TKXTransaction transaction(db);
    if (ParentId > 0) {
        TKXStatement parent(db, QStringLiteral("SELECT ID_PARENT FROM DEF_TABLES WHERE ID_TABLE = ?"));
        if (parent.Bind(1, ParentId).ScalarInt(-1) != 0)
            throw EKxError("The main table of '" + user.toStdString() + "' does not exist");
        TKXStatement linked(db, QStringLiteral("SELECT COUNT(*) FROM DEF_TABLES WHERE ID_PARENT = ?"));
        if (linked.Bind(1, ParentId).ScalarInt() > 0)
            throw EKxError("The main table of '" + user.toStdString() + "' has a linked table already");
    }
    TKXStatement same(db, QStringLiteral("SELECT COUNT(*) FROM DEF_TABLES WHERE NAME = ?"));
    if (same.Bind(1, name).ScalarInt() > 0)
        throw EKxError("A table named '" + name.toStdString() + "' exists already");
    ExecSql(db, QStringLiteral("CREATE TABLE ") + QuoteIdentifier(name) +
                    (ParentId > 0 ? QStringLiteral("(ID_TABLE INTEGER PRIMARY KEY AUTOINCREMENT,ID_PARENT INTEGER)")
                                  : QStringLiteral("(ID_TABLE INTEGER PRIMARY KEY AUTOINCREMENT)")));
    TKXStatement insert(db, QStringLiteral("INSERT INTO DEF_TABLES(ID_PARENT, NAME, USR_NAME) VALUES (?, ?, ?)"));
    insert.Bind(1, std::max(ParentId, 0)).Bind(2, name).Bind(3, user).Exec();
    const auto id = int32_t(sqlite3_last_insert_rowid(db));
    transaction.Commit();
    return id;
}

int32_t TDM::AddFieldSqlite(int32_t IdTable, const QString &TypedName, int Type, int Decim)
{
    const QString user = TypedName.trimmed().toUpper();
    const QString name = LimpiaNombre(user);
    if (const QString why = FieldNameProblem(name); !why.isEmpty())
        throw EKxError(QStringLiteral("The field name '%1' cannot be used: %2").arg(user, why).toStdString());
    if (ColumnTypeOfKind(Type, Decim).isEmpty())
        throw EKxError("Unknown field kind " + std::to_string(Type));
    if (Type == int(TKXDataKind::dkText) && (Decim < 1 || Decim > 255))
        throw EKxError("The length of a text field is 1 to 255");
    if (Type != int(TKXDataKind::dkText) && Type != int(TKXDataKind::dkDecimal))
        Decim = 0;
    sqlite3 *db = Handle();
    TKXTransaction transaction(db);
    QString table;
    {
        TKXStatement q(db, QStringLiteral("SELECT NAME FROM DEF_TABLES WHERE ID_TABLE = ?"));
        if (!q.Bind(1, IdTable).Step())
            throw EKxError("No table has the key " + std::to_string(IdTable));
        table = q.Text(0);
    }
    if (const QString why = TableNameProblem(table); !why.isEmpty())
        throw EKxError(QStringLiteral("The table name '%1' cannot be used: %2").arg(table, why).toStdString());
    TKXStatement same(db, QStringLiteral("SELECT COUNT(*) FROM DEF_FIELDS WHERE ID_TABLE = ? AND NAME = ?"));
    if (same.Bind(1, IdTable).Bind(2, name).ScalarInt() > 0)
        throw EKxError("A field named '" + name.toStdString() + "' exists already");
    ExecSql(db, QStringLiteral("ALTER TABLE ") + QuoteIdentifier(table) + QStringLiteral(" ADD COLUMN ") +
                    QuoteIdentifier(name) + QLatin1Char(' ') + ColumnTypeOfKind(Type, Decim));
    TKXStatement insert(db, QStringLiteral("INSERT INTO DEF_FIELDS(ID_TABLE, NAME, USR_NAME, TYPE, DECIM)"
                                           " VALUES (?, ?, ?, ?, ?)"));
    insert.Bind(1, IdTable).Bind(2, name).Bind(3, user).Bind(4, Type).Bind(5, Decim).Exec();
    const auto id = int32_t(sqlite3_last_insert_rowid(db));
    transaction.Commit();
    return id;
}

} // namespace kx
