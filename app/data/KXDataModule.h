// The data module: the program's one place of data access to the label-data database.
//
// It holds one read-write connection to the database file and, after CargaDatos, one
// read-only table dataset per user table (TKXDataTable children, named after the table), so
// that a label whose DataMod is the module finds them by name. The five catalogue tables
// describe the user's tables, their fields, saved filters and the offered fonts:
//
//   DEF_TABLES       ID_TABLE, ID_PARENT (0: main table; else its main table), NAME, USR_NAME
//   DEF_FIELDS       ID_FIELD, ID_TABLE, NAME, USR_NAME, TYPE (field kind 0..7), DECIM
//   DEF_FILTROS_CAB  ID_FILTRO, ID_TABLE, NOMBRE, CREADA
//   DEF_FILTROS_LIN  ID_LINFILTRO, ID_FILTRO, ID_FIELD, ORDEN, TIPO (0 AND, 1 OR),
//                    OPERADOR (0 = 1 > 2 < 3 >= 4 <= 5 <>), VALOR (text)
//   DEF_FONTS        ID_FONT, NAME
//
// A missing or empty database file gets the catalogue when the module connects; a file that
// holds other tables without the complete catalogue, or that is not a database, is refused
// and left as it is. Values are always bound; the names of user tables and columns (NAME)
// are checked and written quoted.
//
// Failures the module reports itself (tables that do not open, a failed compaction, a
// lookup that fails) go to the user as one message each; nothing raised by SQLite leaves a
// lookup.
#pragma once

#include "data/KXSqliteDataset.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

struct sqlite3;

namespace kx {

class TKXCustomLab;

// ---------------------------------------------------------------------------------------
// Field kinds (DEF_FIELDS.TYPE) and names

enum class TKXDataKind : int {
    dkText = 0,     // VARCHAR(DECIM), DECIM 1..255
    dkInteger = 1,  // INTEGER
    dkDateTime = 2, // REAL: day number since 1899-12-30
    dkNote = 3,     // TEXT
    dkDecimal = 4,  // REAL
    dkImage = 5,    // BLOB: the picture file's bytes
    dkCurrency = 6, // REAL
    dkYesNo = 7,    // INTEGER 1 or 0
};

// The column type a field of kind Type gets in its user table; empty for an unknown kind.
QString ColumnTypeOfKind(int Type, int Decim);

// A typed name as an SQL name: without white space, separators, controls, punctuation,
// symbols and the soft hyphen; letters of every script, digits, combining marks and other
// format characters stay, in order. Callers pass the name already in upper case.
QString LimpiaNombre(const QString &Name);

// The database file of the program: "zantor_data.db" in the data root's "Data" folder.
// EKxError when there is no data root.
QString DefaultDatabaseFile();

// ---------------------------------------------------------------------------------------
// Items of the lists the data forms fill

// A main table and its linked table.
struct TTableID {
    int32_t ID = 0;        // ID_TABLE of the main table
    int32_t ID_Detail = 0; // ID_TABLE of its linked table; 0 when it has none
    QString Name;          // NAME of the main table
    QString NameDetail;    // NAME of the linked table
    QString UserDetail;    // USR_NAME of the linked table
};

// A saved filter; ID 0 stands for "not filtered".
struct TFiltroID {
    int32_t ID = 0;
};

// The text shown for an item (the main table's USR_NAME) with its object.
using TTableIDList = std::vector<std::pair<QString, TTableID>>;

// ---------------------------------------------------------------------------------------
// Table datasets

// The read-only dataset of one user table, owned by the data module: named after the
// table's NAME; Tag is its ID_TABLE, Caption its USR_NAME.
class TKXDataTable : public TKXSqliteDataSet {
public:
    TKXDataTable(const QString &Name, int32_t Tag, const QString &Caption, QObject *Parent)
        : TKXSqliteDataSet(Name, Parent), FTag(Tag), FCaption(Caption) {}
    int32_t Tag() const { return FTag; }
    const QString &Caption() const { return FCaption; }

private:
    int32_t FTag;
    QString FCaption;
};

// ---------------------------------------------------------------------------------------
// The data module

class TDM : public QObject {
public:
    // --- Lifecycle -------------------------------------------------------------------------
    // Made with the connection closed.
    explicit TDM(const QString &DatabaseFile = DefaultDatabaseFile(), QObject *Parent = nullptr);
    // Frees the tables and closes the connection.
    ~TDM() override;

    // The database file; changing it closes the connection.
    const QString &DatabaseFile() const { return FDatabaseFile; }
    void SetDatabaseFile(const QString &FileName);

    // --- Connection ------------------------------------------------------------------------
    // Opens the connection (closing it first when open). A missing file, or one that holds
    // no table, gets the catalogue in one transaction; a file that is not a database, or has
    // other tables and no complete catalogue, is refused untouched. True when connected; on
    // false the connection is closed and LastError tells why.
    bool ConectaDatosSqlite();
    const QString &LastError() const { return FLastError; }
    bool Connected() const { return FDb != nullptr; }
    // Closes the connection when it is open.
    void ParaConexion();
    // The open connection, connecting first when it is closed; EKxError when it cannot.
    // For the forms that change the catalogue and the user's tables.
    sqlite3 *Handle();

    // --- Table datasets --------------------------------------------------------------------
    std::vector<TKXDataTable *> Tables() const;
    // Connects when closed, then opens or closes every table; tables that fail to open are
    // named in one message.
    void ActivaParaDatos(bool Active);
    // Opens or closes the first table whose name equals TableName exactly; none: nothing.
    void ActivaParaTablaSqlite(const QString &TableName, bool Active);
    // Closes and frees the first table whose name equals TableName exactly.
    void RemoveTableSqlite(const QString &TableName);
    // The first table whose Tag is Id; null when none.
    TKXDataTable *GetTableById(int32_t Id) const;

    // --- Lookups (0 or empty when there is no row, or after reporting an error) -------------
    int32_t GetTableID(const QString &TableName);
    // NAME of the first linked table of MasterId, with its ID_TABLE in DetailId (0: none).
    QString GetDetailId(int32_t MasterId, int32_t &DetailId);
    int32_t GetFieldID(const QString &FieldName, int32_t Id_table);
    int32_t GetFilterID(const QString &FilterName, int32_t Id_table);
    // The main tables ordered by USR_NAME, each with its linked table.
    void GetTableNames(TTableIDList &Items);
    // Runs VACUUM; false after showing the reason.
    bool CompactaDatos();

    // --- Catalogue -------------------------------------------------------------------------
    // Rebuilds the table datasets and the label's database dataset items from the catalogue
    // (a linked table becomes the detail of its main table) and binds the label again to
    // the dataset it was bound to, when it still exists.
    void CargaDatos(TKXCustomLab &Lab);
    // The program's start: connects and loads the catalogue into Lab (whose DataMod becomes
    // this module). When the database cannot be opened it says "Error opening database" and
    // the program goes on without data; false then.
    bool OpenData(TKXCustomLab &Lab);
    // Filter Id_Filter as a filter expression of the datasets; empty when it has no
    // condition. EKxError naming the filter for a condition that cannot be written (an image
    // field, an unknown operator or a value that does not read as its kind).
    QString GetTxtFilter(int32_t Id_Filter);

    // --- Defining tables -------------------------------------------------------------------
    // Creates a user table and its catalogue row in one transaction; answers its ID_TABLE.
    // NAME is LimpiaNombre of the upper-cased typed name, USR_NAME the upper-cased typed
    // name. A linked table (ParentId > 0) needs a main table without a linked table.
    // EKxError with the reason when the name is refused or the table cannot be made.
    int32_t CreateTableSqlite(const QString &TypedName, int32_t ParentId = 0);
    // Adds a column of kind Type to table IdTable and its catalogue row in one transaction;
    // answers its ID_FIELD. Decim: the length of a text field (1..255), kept for a decimal
    // field, 0 for the others.
    int32_t AddFieldSqlite(int32_t IdTable, const QString &TypedName, int Type, int Decim);

    // Why Name cannot be the NAME of a user table; empty when it can. Beyond SqlNameProblem,
    // the names of the catalogue tables and of the external-file datasets are refused.
    static QString TableNameProblem(const QString &Name);
    // Why Name cannot be the NAME of a field; empty when it can (ID_TABLE and ID_PARENT are
    // the tables' own columns).
    static QString FieldNameProblem(const QString &Name);

    // Removes the label's dataset items of database tables, keeping those of external files.
    static void LimpiaDatasetSqlite(TKXCustomLab &Lab);

private:
    void Report(const QString &Text) const;
    bool OpenTable(TKXDataTable &Table);
    void FreeTables();

    QString FDatabaseFile;
    sqlite3 *FDb = nullptr;
    QString FLastError;
};

} // namespace kx
