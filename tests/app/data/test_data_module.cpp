// The data module over real database files made in a temporary folder: the catalogue made
// on first start, files it refuses, name rules, lookups, the catalogue load and saved filters.
#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXDataModule.h"
#include "data/KXSqlite.h"
#include "document/KXBaseLab.h"

#include "GuiApp.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <set>

using namespace kx;

namespace {

QByteArray Bytes(const QString &File)
{
    QFile f(File);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString &File, const QByteArray &Data)
{
    QFile f(File);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Data);
}

// A second connection of the test's own, as another program would open the file.
class Peer {
public:
    explicit Peer(const QString &File) { EXPECT_EQ(sqlite3_open(File.toUtf8().constData(), &FDb), SQLITE_OK); }
    ~Peer() { sqlite3_close(FDb); }
    void Exec(const QString &Sql)
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(FDb, Sql.toUtf8().constData(), nullptr, nullptr, &err);
        EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "") << " in " << Sql.toStdString();
        sqlite3_free(err);
    }
    int64_t Int(const QString &Sql)
    {
        TKXStatement q(FDb, Sql);
        return q.ScalarInt(-1);
    }
    QStringList Column(const QString &Sql)
    {
        QStringList out;
        TKXStatement q(FDb, Sql);
        while (q.Step())
            out << q.Text(0);
        return out;
    }
    sqlite3 *Db() const { return FDb; }

private:
    sqlite3 *FDb = nullptr;
};

const QStringList CatalogueTables = {"DEF_FIELDS", "DEF_FILTROS_CAB", "DEF_FILTROS_LIN", "DEF_FONTS", "DEF_TABLES"};

QStringList TablesOf(const QString &File)
{
    Peer p(File);
    return p.Column("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY name");
}

class DataModule : public ::testing::Test {
protected:
    zt::TKXScriptedPrompts prompts; // every message the module shows
    QTemporaryDir dir;
    QString file;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath("Data/zantor_data.db");
    }
};

// ---------------------------------------------------------------------------------------
// The catalogue on first start

TEST_F(DataModule, MissingFileGetsTheCatalogue)
{
    TDM dm(file);
    ASSERT_TRUE(dm.ConectaDatosSqlite()) << dm.LastError().toStdString();
    EXPECT_EQ(TablesOf(file), CatalogueTables);

    Peer p(file);
    EXPECT_EQ(p.Int("PRAGMA application_id"), 0x5A414E54);
    EXPECT_EQ(p.Int("PRAGMA user_version"), 1);
    EXPECT_EQ(p.Column("SELECT NAME FROM DEF_FONTS ORDER BY NAME"),
              QStringList({"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif", "Liberation Mono",
                           "Liberation Sans", "Liberation Serif"}));
    // Keys are assigned on insert; names are unique (tables, fields within a table, fonts).
    p.Exec("INSERT INTO DEF_TABLES(ID_PARENT, NAME, USR_NAME) VALUES (0, 'A', 'A'), (0, 'B', 'B')");
    EXPECT_EQ(p.Column("SELECT ID_TABLE FROM DEF_TABLES ORDER BY ID_TABLE"), QStringList({"1", "2"}));
    p.Exec("INSERT INTO DEF_FIELDS(ID_TABLE, NAME, USR_NAME, TYPE, DECIM) VALUES (1, 'F', 'F', 0, 10),"
           " (2, 'F', 'F', 0, 10)");
    const struct {
        const char *sql;
    } duplicates[] = {
        {"INSERT INTO DEF_TABLES(ID_PARENT, NAME, USR_NAME) VALUES (0, 'a', 'A')"},
        {"INSERT INTO DEF_FIELDS(ID_TABLE, NAME, USR_NAME, TYPE, DECIM) VALUES (1, 'f', 'F', 1, 0)"},
        {"INSERT INTO DEF_FONTS(NAME) VALUES ('DejaVu Sans')"},
    };
    for (const auto &d : duplicates)
        EXPECT_NE(sqlite3_exec(p.Db(), d.sql, nullptr, nullptr, nullptr), SQLITE_OK) << d.sql;
}

TEST_F(DataModule, SecondStartLeavesTheFileUnchanged)
{
    zt::RequireGuiApp();
    {
        TDM dm(file);
        ASSERT_TRUE(dm.ConectaDatosSqlite());
        dm.AddFieldSqlite(dm.CreateTableSqlite("Customers"), "Name", 0, 20);
    }
    const QByteArray before = Bytes(file);
    ASSERT_FALSE(before.isEmpty());
    {
        TDM dm(file);
        ASSERT_TRUE(dm.ConectaDatosSqlite()) << dm.LastError().toStdString();
        EXPECT_EQ(dm.GetTableID("CUSTOMERS"), 1);
        TTableIDList items;
        dm.GetTableNames(items);
        EXPECT_EQ(items.size(), 1u);
        TKXCustomLab lab;
        dm.CargaDatos(lab);
        EXPECT_EQ(lab.Datasets().Count(), 1);
    }
    EXPECT_EQ(Bytes(file), before);
    EXPECT_FALSE(QFile::exists(file + "-journal"));
}

TEST_F(DataModule, FileWithoutTablesGetsTheCatalogue)
{
    QDir().mkpath(dir.filePath("Data"));
    WriteBytes(file, {}); // an empty file is an empty database
    TDM dm(file);
    ASSERT_TRUE(dm.ConectaDatosSqlite()) << dm.LastError().toStdString();
    EXPECT_EQ(TablesOf(file), CatalogueTables);
}

// A file that is not the program's database is refused and left exactly as it was.
TEST_F(DataModule, ForeignFilesAreRefusedUntouched)
{
    QDir().mkpath(dir.filePath("Data"));
    const struct {
        const char *what;
        std::function<void()> make;
    } cases[] = {
        {"foreign tables",
         [&] {
             Peer p(file);
             p.Exec("CREATE TABLE INVOICES(ID INTEGER PRIMARY KEY, TOTAL REAL); INSERT INTO INVOICES VALUES (1, 2.5)");
         }},
        {"an incomplete catalogue",
         [&] {
             Peer p(file);
             p.Exec("CREATE TABLE DEF_TABLES(ID_TABLE INTEGER PRIMARY KEY, ID_PARENT INTEGER, NAME, USR_NAME);"
                    "CREATE TABLE DEF_FIELDS(ID_FIELD INTEGER PRIMARY KEY, ID_TABLE, NAME, USR_NAME, TYPE);"
                    "CREATE TABLE DEF_FILTROS_CAB(ID_FILTRO INTEGER PRIMARY KEY, ID_TABLE, NOMBRE, CREADA);"
                    "CREATE TABLE DEF_FILTROS_LIN(ID_LINFILTRO INTEGER PRIMARY KEY, ID_FILTRO, ID_FIELD, ORDEN,"
                    " TIPO, OPERADOR, VALOR);"
                    "CREATE TABLE DEF_FONTS(ID_FONT INTEGER PRIMARY KEY, NAME)"); // DEF_FIELDS lacks DECIM
         }},
        {"a text file", [&] { WriteBytes(file, "NAME;PRICE\nApples;1.20\nPears;0.95\n"); }},
        {"a short binary file", [&] { WriteBytes(file, QByteArray("SQLite format 3\0garbage", 24)); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        c.make();
        const QByteArray before = Bytes(file);
        TDM dm(file);
        EXPECT_FALSE(dm.ConectaDatosSqlite());
        EXPECT_FALSE(dm.Connected());
        EXPECT_FALSE(dm.LastError().isEmpty());
        EXPECT_EQ(Bytes(file), before);
        // Lookups of a module that cannot connect answer nothing and raise nothing.
        prompts.ClearCalls();
        EXPECT_EQ(dm.GetTableID("INVOICES"), 0);
        ASSERT_EQ(prompts.Errors().size(), 1);
        EXPECT_TRUE(prompts.Errors()[0].startsWith("Error opening database")) << prompts.Errors()[0].toStdString();
        EXPECT_THROW(dm.Handle(), EKxError);
        // At the program's start it says so once and goes on without data.
        TKXCustomLab lab;
        prompts.ClearCalls();
        EXPECT_FALSE(dm.OpenData(lab));
        ASSERT_EQ(prompts.Errors().size(), 1);
        EXPECT_TRUE(prompts.Errors()[0].startsWith("Error opening database\n"));
        EXPECT_EQ(lab.DataMod(), &dm);
        EXPECT_EQ(lab.Datasets().Count(), 0);
        EXPECT_EQ(Bytes(file), before);
    }
}

TEST_F(DataModule, DatabaseFileLivesInTheDataRoot)
{
    const QByteArray saved = qgetenv("ZANTOR_DATA");
    qputenv("ZANTOR_DATA", dir.path().toUtf8());
    {
        TDM dm;
        EXPECT_EQ(dm.DatabaseFile(), dir.filePath("Data/zantor_data.db"));
        zt::RequireGuiApp();
        TKXCustomLab lab;
        EXPECT_TRUE(dm.OpenData(lab));
        EXPECT_TRUE(QFile::exists(dir.filePath("Data/zantor_data.db")));
    }
    if (saved.isNull())
        qunsetenv("ZANTOR_DATA");
    else
        qputenv("ZANTOR_DATA", saved);
    prompts.ExpectMessages(0);
}

TEST_F(DataModule, FolderThatCannotBeMadeFailsWithoutAFile)
{
    WriteBytes(dir.filePath("Data"), "a file where the folder should be");
    TDM dm(file);
    EXPECT_FALSE(dm.ConectaDatosSqlite());
    EXPECT_FALSE(dm.LastError().isEmpty());
}

// ---------------------------------------------------------------------------------------
// Statements and transactions

TEST_F(DataModule, TransactionIsWholeOrAbsent)
{
    TDM dm(file);
    ASSERT_TRUE(dm.ConectaDatosSqlite());
    sqlite3 *db = dm.Handle();
    auto fonts = [&] {
        TKXStatement q(db, "SELECT COUNT(*) FROM DEF_FONTS");
        return q.ScalarInt();
    };
    const int64_t seeded = fonts();
    try {
        TKXTransaction t(db);
        TKXStatement(db, "INSERT INTO DEF_FONTS(NAME) VALUES (?)").Bind(1, "Noto Sans").Exec();
        // The second insert breaks the unique name: the first one goes too.
        TKXStatement(db, "INSERT INTO DEF_FONTS(NAME) VALUES (?)").Bind(1, "DejaVu Sans").Exec();
        t.Commit();
        ADD_FAILURE() << "the duplicate font was accepted";
    } catch (const EKxError &e) {
        EXPECT_NE(std::string(e.what()).find("UNIQUE"), std::string::npos) << e.what();
    }
    EXPECT_EQ(fonts(), seeded);
    {
        TKXTransaction t(db);
        TKXStatement(db, "INSERT INTO DEF_FONTS(NAME) VALUES (?)").Bind(1, "Noto Sans").Exec();
        t.Commit();
    }
    EXPECT_EQ(fonts(), seeded + 1);
}

// ---------------------------------------------------------------------------------------
// Names

TEST(DataNames, LimpiaNombreKeepsLettersDigitsAndMarks)
{
    const struct {
        QString typed, cleaned;
    } cases[] = {
        {"MI TABLA-2", "MITABLA2"},
        {"PRECIO_€", "PRECIO"},
        {"ÁREA", "ÁREA"},                                  // accented letters stay
        {"CAFE\u0301", "CAFE\u0301"},                      // a combining accent stays
        {"PRE\u00ADCIO", "PRECIO"},                        // soft hyphen
        {"A\u200DB", "A\u200DB"},                          // other format characters stay
        {"TAB\tNL\nNBSP\u00A0NEL\u0085END", "TABNLNBSPNELEND"},
        {"(A)[B]{C}\"D\" 'E' «F» “G”", "ABCDEFG"},
        {"X+Y<Z|W$^`~", "XYZW"},
        {"Ⅻ²½", "Ⅻ²½"},                                    // other numbers stay
        {"ΔΕΛΤΑ МИР 東京", "ΔΕΛΤΑМИР東京"},
        {"𝐀𝐁", "𝐀𝐁"},                                     // outside the basic plane
        {"x'); DROP TABLE DEF_TABLES;--", "xDROPTABLEDEFTABLES"},
        {" -_.,;:!?¿¡@#%&*/\\€$+=<>|~^` ", ""},            // only symbols and blanks
        {QString(QChar(0xD800)) + "A", "A"},               // an unpaired surrogate
    };
    for (const auto &c : cases)
        EXPECT_EQ(LimpiaNombre(c.typed), c.cleaned) << c.typed.toStdString();
    // Two names that differ only in removed characters meet.
    EXPECT_EQ(LimpiaNombre("A B"), LimpiaNombre("AB"));
}

TEST(DataNames, TableNamesAreCheckedIdentifiers)
{
    const struct {
        const char *name;
        bool ok;
    } cases[] = {
        {"CUSTOMERS", true}, {"ÁREA", true},     {"YEAR2024", true},   {"CAFE\u0301", true},
        {"", false},         {"2024", false},    {"ORDER", false},     {"select", false},
        {"A B", false},      {"A.B", false},     {"A\"B", false},      {"A]B", false},
        {"CSVDATASET", false}, {"adodataset", false}, {"sqlite_master", false}, {"DEF_TABLES", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TDM::TableNameProblem(QString::fromUtf8(c.name)).isEmpty(), c.ok) << c.name;
    EXPECT_TRUE(TDM::FieldNameProblem("CSVDATASET").isEmpty());
    EXPECT_FALSE(TDM::FieldNameProblem("WHERE").isEmpty());
    EXPECT_EQ(QuoteIdentifier("A\"B"), "\"A\"\"B\"");
}

TEST_F(DataModule, HostileNamesAreRefusedOrStoredAndReadBack)
{
    TDM dm(file);
    ASSERT_TRUE(dm.ConectaDatosSqlite());
    for (const char *refused : {"ORDER", "2024", "  ", "€$%", "csvdataset", "Table"})
        EXPECT_THROW(dm.CreateTableSqlite(QString::fromUtf8(refused)), EKxError) << refused;

    const QString hostile = "x'); DROP TABLE DEF_TABLES;--";
    const int32_t id = dm.CreateTableSqlite(hostile);
    ASSERT_GT(id, 0);
    EXPECT_EQ(dm.GetTableID("XDROPTABLEDEFTABLES"), id);
    const int32_t quoted = dm.CreateTableSqlite("\"Quoted\" 'name'");
    EXPECT_EQ(dm.GetTableID("QUOTEDNAME"), quoted);
    EXPECT_THROW(dm.CreateTableSqlite("QUOTED-NAME"), EKxError); // the same NAME
    const int32_t field = dm.AddFieldSqlite(id, "a\"]); DELETE FROM DEF_FIELDS;--", 0, 20);
    EXPECT_EQ(dm.GetFieldID("ADELETEFROMDEFFIELDS", id), field);
    EXPECT_THROW(dm.AddFieldSqlite(id, "select", 1, 0), EKxError);
    EXPECT_THROW(dm.AddFieldSqlite(id, "1st", 1, 0), EKxError);
    EXPECT_THROW(dm.AddFieldSqlite(id, "long", 0, 256), EKxError);
    EXPECT_THROW(dm.AddFieldSqlite(id, "kind", 8, 0), EKxError);
    EXPECT_THROW(dm.AddFieldSqlite(999, "lost", 1, 0), EKxError);
    // Values are bound: lookups with hostile texts find nothing and change nothing.
    EXPECT_EQ(dm.GetTableID(hostile), 0);
    EXPECT_EQ(dm.GetTableID("' OR 1=1 --"), 0);
    EXPECT_EQ(dm.GetFilterID("'; DROP TABLE DEF_FILTROS_CAB;--", id), 0);
    dm.ParaConexion();

    EXPECT_EQ(TablesOf(file), QStringList(CatalogueTables) << "QUOTEDNAME" << "XDROPTABLEDEFTABLES");
    Peer p(file);
    EXPECT_EQ(p.Column("SELECT USR_NAME FROM DEF_TABLES ORDER BY ID_TABLE"),
              QStringList({"X'); DROP TABLE DEF_TABLES;--", "\"QUOTED\" 'NAME'"}));
    EXPECT_EQ(p.Column("SELECT USR_NAME || '|' || TYPE || '|' || DECIM FROM DEF_FIELDS"),
              QStringList({"A\"]); DELETE FROM DEF_FIELDS;--|0|20"}));
    EXPECT_EQ(p.Column("SELECT name FROM pragma_table_info('XDROPTABLEDEFTABLES')"),
              QStringList({"ID_TABLE", "ADELETEFROMDEFFIELDS"}));
}

// ---------------------------------------------------------------------------------------
// Lookups

class DataCatalogue : public DataModule {
protected:
    std::unique_ptr<TDM> dm;
    int32_t customers = 0, lines = 0, products = 0, orphan = 0;

    void SetUp() override
    {
        DataModule::SetUp();
        zt::RequireGuiApp();
        dm = std::make_unique<TDM>(file);
        ASSERT_TRUE(dm->ConectaDatosSqlite()) << dm->LastError().toStdString();
        customers = dm->CreateTableSqlite("Customers");
        lines = dm->CreateTableSqlite("Order lines", customers);
        products = dm->CreateTableSqlite("Products");
        const int32_t gone = dm->CreateTableSqlite("Gone");
        orphan = dm->CreateTableSqlite("Orphan", gone);
        dm->AddFieldSqlite(customers, "Name", 0, 30);
        dm->AddFieldSqlite(customers, "Born", 2, 0);
        dm->AddFieldSqlite(customers, "Photo", 5, 0);
        dm->AddFieldSqlite(lines, "Item", 0, 20);
        dm->AddFieldSqlite(lines, "Qty", 1, 0);
        dm->AddFieldSqlite(products, "Code", 0, 13);
        dm->AddFieldSqlite(orphan, "Note", 3, 0);
        // The main table of ORPHAN goes, leaving its linked table behind.
        Peer p(file);
        p.Exec(QStringLiteral("DELETE FROM DEF_TABLES WHERE ID_TABLE = %1; DROP TABLE GONE").arg(gone));
        p.Exec("INSERT INTO CUSTOMERS(NAME, BORN) VALUES ('Ann', 45352.0), ('Bob', 45000.5)");
        p.Exec("INSERT INTO ORDERLINES(ID_PARENT, ITEM, QTY) VALUES (1, 'a1', 1), (2, 'b1', 2), (1, 'a2', 3)");
        p.Exec("INSERT INTO DEF_FILTROS_CAB(ID_TABLE, NOMBRE, CREADA) VALUES (1, 'Only ''Ann''', 'now')");
    }
};

TEST_F(DataCatalogue, LookupsFindKeysOrAnswerZero)
{
    EXPECT_EQ(dm->GetTableID("CUSTOMERS"), customers);
    EXPECT_EQ(dm->GetTableID("NOPE"), 0);
    int32_t detail = -1;
    EXPECT_EQ(dm->GetDetailId(customers, detail), "ORDERLINES");
    EXPECT_EQ(detail, lines);
    EXPECT_EQ(dm->GetDetailId(products, detail), "");
    EXPECT_EQ(detail, 0);
    EXPECT_GT(dm->GetFieldID("QTY", lines), 0);
    EXPECT_EQ(dm->GetFieldID("QTY", customers), 0);
    EXPECT_EQ(dm->GetFilterID("Only 'Ann'", customers), 1);
    EXPECT_EQ(dm->GetFilterID("Only 'Ann'", products), 0);

    // Main tables by shown name with their linked table; a linked table whose main table is
    // gone is listed nowhere.
    TTableIDList items;
    items.emplace_back("stale", TTableID{});
    dm->GetTableNames(items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].first, "CUSTOMERS");
    EXPECT_EQ(items[0].second.ID, customers);
    EXPECT_EQ(items[0].second.Name, "CUSTOMERS");
    EXPECT_EQ(items[0].second.ID_Detail, lines);
    EXPECT_EQ(items[0].second.NameDetail, "ORDERLINES");
    EXPECT_EQ(items[0].second.UserDetail, "ORDER LINES");
    EXPECT_EQ(items[1].first, "PRODUCTS");
    EXPECT_EQ(items[1].second.ID_Detail, 0);
}

TEST_F(DataCatalogue, LookupErrorsDoNotEscape)
{
    Peer p(file);
    p.Exec("DROP TABLE DEF_FILTROS_CAB");
    int32_t id = -1;
    EXPECT_NO_THROW(id = dm->GetFilterID("Only 'Ann'", customers));
    EXPECT_EQ(id, 0);
    p.Exec("ALTER TABLE DEF_TABLES RENAME TO OLD_TABLES");
    TTableIDList items;
    EXPECT_NO_THROW(dm->GetTableNames(items));
    EXPECT_TRUE(items.empty());
    EXPECT_NO_THROW(id = dm->GetTableID("CUSTOMERS"));
    EXPECT_EQ(id, 0);
    // Each failure is shown once, with the database's reason.
    const QStringList errors = prompts.Errors();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[0].contains("no such table: DEF_FILTROS_CAB")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("no such table: DEF_TABLES")) << errors[1].toStdString();
    EXPECT_TRUE(errors[2].contains("no such table: DEF_TABLES")) << errors[2].toStdString();
}

TEST_F(DataCatalogue, CompactaDatos)
{
    Peer p(file);
    p.Exec("CREATE TABLE FILLER(X BLOB); INSERT INTO FILLER VALUES (zeroblob(200000)); DROP TABLE FILLER");
    const qint64 before = QFileInfo(file).size();
    EXPECT_TRUE(dm->CompactaDatos());
    EXPECT_LT(QFileInfo(file).size(), before);
    EXPECT_EQ(dm->GetTableID("PRODUCTS"), products);
    prompts.ExpectMessages(0);
    // Inside a transaction of its own connection VACUUM cannot run: reported, false.
    TKXTransaction t(dm->Handle());
    EXPECT_FALSE(dm->CompactaDatos());
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].contains("VACUUM")) << prompts.Errors()[0].toStdString();
}

// ---------------------------------------------------------------------------------------
// The catalogue load

QStringList FieldNames(const TKXFields &Fields)
{
    QStringList out;
    for (const auto &f : Fields)
        out << f->Name() + "/" + f->Caption + (f->FloatAsDateTime ? "/date" : "");
    return out;
}

TEST_F(DataCatalogue, CargaDatosBuildsTablesAndDatasetItems)
{
    TKXCustomLab lab;
    lab.SetDataMod(dm.get());
    // An external file's item stays, ahead of the database's.
    TKXDatasetItem &ext = lab.Datasets().Add();
    ext.SetName("CsvDataSet");
    ext.ExtFileType = TKXExtFileType::efCsv;
    lab.Datasets().Add().SetName("STALE");

    dm->CargaDatos(lab);

    // One dataset per table with fields: main tables first, in key order.
    std::vector<std::tuple<QString, int32_t, bool>> tables;
    for (TKXDataTable *t : dm->Tables())
        tables.emplace_back(t->Name(), t->Tag(), t->Active());
    const std::vector<std::tuple<QString, int32_t, bool>> expected = {
        {"CUSTOMERS", customers, true}, {"PRODUCTS", products, true},
        {"ORDERLINES", lines, true},    {"ORPHAN", orphan, true}};
    EXPECT_EQ(tables, expected);

    ASSERT_EQ(lab.Datasets().Count(), 3);
    EXPECT_EQ(lab.Datasets().Items(0)->Name(), "CsvDataSet");
    const TKXDatasetItem &cust = *lab.Datasets().Items(1);
    EXPECT_EQ(cust.Name(), "CUSTOMERS");
    EXPECT_EQ(cust.BaseName(), "CUSTOMERS");
    EXPECT_EQ(cust.Caption, "CUSTOMERS");
    EXPECT_EQ(cust.ExtFileType, TKXExtFileType::efNone);
    EXPECT_EQ(FieldNames(cust.Fields()), QStringList({"NAME/NAME", "BORN/BORN/date", "PHOTO/PHOTO"}));
    EXPECT_EQ(cust.DetailDataset(), "ORDERLINES");
    EXPECT_EQ(cust.DetailBaseName(), "ORDERLINES");
    EXPECT_EQ(FieldNames(cust.DetailFields()), QStringList({"ITEM/ITEM", "QTY/QTY"}));
    const TKXDatasetItem &prod = *lab.Datasets().Items(2);
    EXPECT_EQ(prod.Name(), "PRODUCTS");
    EXPECT_TRUE(prod.DetailDataset().isEmpty());
    EXPECT_EQ(prod.DetailFields().Count(), 0);

    // The linked table follows its main table's current record.
    TKXDataTable *master = dm->GetTableById(customers);
    TKXDataTable *detail = dm->GetTableById(lines);
    ASSERT_TRUE(master && detail);
    EXPECT_EQ(detail->MasterSource(), master);
    EXPECT_EQ(dm->GetTableById(orphan)->MasterSource(), nullptr);
    EXPECT_EQ(detail->RecordCount(), 2);
    EXPECT_EQ(detail->FieldByName("ITEM").AsString(), "a1");
    master->Next();
    EXPECT_EQ(master->FieldByName("NAME").AsString(), "Bob");
    EXPECT_EQ(detail->RecordCount(), 1);
    EXPECT_EQ(detail->FieldByName("ITEM").AsString(), "b1");

    // Table operations by name and by key.
    dm->ActivaParaTablaSqlite("PRODUCTS", false);
    EXPECT_FALSE(dm->GetTableById(products)->Active());
    dm->ActivaParaTablaSqlite("products", true); // names compare exactly
    EXPECT_FALSE(dm->GetTableById(products)->Active());
    dm->ActivaParaDatos(true);
    EXPECT_TRUE(dm->GetTableById(products)->Active());
    dm->ActivaParaDatos(false);
    for (TKXDataTable *t : dm->Tables())
        EXPECT_FALSE(t->Active()) << t->Name().toStdString();
    dm->RemoveTableSqlite("PRODUCTS");
    EXPECT_EQ(dm->GetTableById(products), nullptr);
    EXPECT_EQ(dm->Tables().size(), 3u);
    EXPECT_EQ(dm->GetTableById(12345), nullptr);
    prompts.ExpectMessages(0);
}

TEST_F(DataCatalogue, CargaDatosKeepsTheBindingWhileItsTableExists)
{
    TKXCustomLab lab;
    lab.SetDataMod(dm.get());
    dm->CargaDatos(lab);
    lab.SetLinkData(true);
    ASSERT_TRUE(lab.FindDataset("CUSTOMERS", false, false));

    dm->CargaDatos(lab); // the datasets are made anew
    ASSERT_NE(lab.DataSet(), nullptr);
    EXPECT_EQ(lab.DataSet(), dm->GetTableById(customers));
    EXPECT_EQ(lab.Detail(), dm->GetTableById(lines));

    Peer p(file);
    p.Exec("DELETE FROM DEF_FIELDS WHERE ID_TABLE = 1"); // a table without fields is not offered
    dm->CargaDatos(lab);
    EXPECT_EQ(lab.DataSet(), nullptr);
    EXPECT_EQ(dm->GetTableById(customers), nullptr);
    // Its linked table is still made, linked to nothing, its fields offered nowhere.
    ASSERT_NE(dm->GetTableById(lines), nullptr);
    EXPECT_EQ(dm->GetTableById(lines)->MasterSource(), nullptr);
    ASSERT_EQ(lab.Datasets().Count(), 1);
    EXPECT_EQ(lab.Datasets().Items(0)->Name(), "PRODUCTS");
}

TEST_F(DataCatalogue, CargaDatosGoesOnPastTablesThatDoNotOpen)
{
    Peer p(file);
    p.Exec("DROP TABLE PRODUCTS");
    // A catalogue row edited by hand into a name that is no table's.
    p.Exec("INSERT INTO DEF_TABLES(ID_PARENT, NAME, USR_NAME) VALUES (0, 'X\"; DROP TABLE CUSTOMERS;--', 'EVIL')");
    p.Exec("INSERT INTO DEF_FIELDS(ID_TABLE, NAME, USR_NAME, TYPE, DECIM) SELECT ID_TABLE, 'F', 'F', 1, 0"
           " FROM DEF_TABLES WHERE USR_NAME = 'EVIL'");
    TKXCustomLab lab;
    lab.SetDataMod(dm.get());
    dm->CargaDatos(lab);

    TKXDataTable *missing = dm->GetTableById(products);
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Active());
    EXPECT_TRUE(dm->GetTableById(customers)->Active());
    QStringList names;
    for (const auto &item : lab.Datasets())
        names << item->Name();
    EXPECT_EQ(names, QStringList({"CUSTOMERS", "PRODUCTS"})); // the missing table keeps its item
    EXPECT_EQ(dm->Tables().size(), 4u);                        // no dataset for the refused name
    EXPECT_EQ(p.Int("SELECT COUNT(*) FROM CUSTOMERS"), 2);
    // Both are named in one message.
    EXPECT_EQ(prompts.Errors(), QStringList({"ERROR OPENNING TABLE PRODUCTS, EVIL"}));
    prompts.ClearCalls();
    dm->ActivaParaDatos(true);
    EXPECT_EQ(prompts.Errors(), QStringList({"ERROR OPENNING TABLE PRODUCTS"}));
}

TEST_F(DataCatalogue, EmptyCatalogueUnbindsTheLabel)
{
    TKXCustomLab lab;
    lab.SetDataMod(dm.get());
    dm->CargaDatos(lab);
    lab.SetLinkData(true);
    ASSERT_TRUE(lab.FindDataset("CUSTOMERS", false, false));
    Peer p(file);
    p.Exec("DELETE FROM DEF_FIELDS; DELETE FROM DEF_TABLES");
    dm->CargaDatos(lab);
    EXPECT_TRUE(dm->Tables().empty());
    EXPECT_EQ(lab.Datasets().Count(), 0);
    EXPECT_EQ(lab.DataSet(), nullptr);
}

// Datasets reading through one shared connection keep cursors of their own.
TEST_F(DataCatalogue, TablesShareOneReadConnection)
{
    auto reader = TKXSqliteDataSet::OpenReadConnection(file);
    TKXSqliteDataSet a("A"), b("B");
    for (TKXSqliteDataSet *ds : {&a, &b}) {
        ds->SetDatabaseName(file);
        ds->SetTableName("ORDERLINES");
        ds->SetSharedConnection(reader);
        ds->Open();
    }
    EXPECT_THROW(a.SetSharedConnection(nullptr), EKxError);
    a.Next();
    EXPECT_EQ(a.FieldByName("ITEM").AsString(), "b1");
    EXPECT_EQ(b.FieldByName("ITEM").AsString(), "a1");
    a.Close();
    b.Next();
    b.Next();
    EXPECT_EQ(b.FieldByName("ITEM").AsString(), "a2");
    reader.reset(); // the open dataset keeps the connection
    b.First();
    EXPECT_EQ(b.RecordCount(), 3);
    // Read-only: nothing can be written through it.
    b.Close();
    b.SetSQL("INSERT INTO ORDERLINES(ITEM) VALUES ('x') RETURNING ITEM");
    b.SetTableName("");
    EXPECT_THROW(b.Open(), EKxError);
    EXPECT_THROW(TKXSqliteDataSet::OpenReadConnection(dir.filePath("missing.db")), EKxError);
}

// ---------------------------------------------------------------------------------------
// Saved filters

class SavedFilters : public DataModule {
protected:
    std::unique_ptr<TDM> dm;
    std::map<QString, int32_t> fields;
    int32_t table = 0;

    void SetUp() override
    {
        DataModule::SetUp();
        dm = std::make_unique<TDM>(file);
        ASSERT_TRUE(dm->ConectaDatosSqlite());
        table = dm->CreateTableSqlite("Stock");
        const std::pair<const char *, int> kinds[] = {
            {"Name", 0}, {"Qty", 1}, {"Arrived", 2}, {"Note", 3}, {"Price", 4},
            {"Photo", 5}, {"Cost", 6}, {"Sold", 7}, {"Año2024", 1}, {"Cafe\u0301", 0}};
        for (const auto &[name, kind] : kinds)
            fields[LimpiaNombre(QString::fromUtf8(name).toUpper())] =
                dm->AddFieldSqlite(table, QString::fromUtf8(name), kind, kind == 0 ? 30 : 2);
        Peer p(file);
        // 45352 is 2024-03-01; 45352.75 is 18:00 that day.
        p.Exec(QString::fromUtf8("INSERT INTO STOCK(NAME, QTY, ARRIVED, NOTE, PRICE, COST, SOLD, AÑO2024, CAFE\u0301) VALUES"
               " ('Ann',    1, 45351.5,  'line 1\nline 2', 3.5,  1.25, 1, 10, 'x'),"
               " ('Dee''s', 5, 45352.0,  'plain',          10,   2.5,  0, 20, 'y'),"
               " ('Bob',    9, 45352.75, NULL,             0.5,  0,    1, 30, 'x'),"
               " ('Cid',    0, 45400.0,  'plain',          -2.5, 99.99, 0, 40, 'z')"));
    }

    int32_t Filter(const QString &Name, const std::vector<std::tuple<const char *, int, int, QString>> &Lines)
    {
        Peer p(file);
        TKXStatement head(p.Db(), "INSERT INTO DEF_FILTROS_CAB(ID_TABLE, NOMBRE, CREADA) VALUES (?, ?, 'now')");
        head.Bind(1, table).Bind(2, Name).Exec();
        const auto id = int32_t(sqlite3_last_insert_rowid(p.Db()));
        TKXStatement line(p.Db(), "INSERT INTO DEF_FILTROS_LIN(ID_FILTRO, ID_FIELD, ORDEN, TIPO, OPERADOR, VALOR)"
                                  " VALUES (?, ?, 0, ?, ?, ?)");
        for (const auto &[field, tipo, op, value] : Lines) {
            const QString key = QString::fromUtf8(field);
            EXPECT_TRUE(fields.count(key)) << field;
            line.Bind(1, id).Bind(2, fields[key]).Bind(3, tipo).Bind(4, op).Bind(5, value).Exec();
        }
        return id;
    }

    // The records of STOCK that the expression lets through, by NAME.
    QStringList Apply(const QString &Expression)
    {
        TKXSqliteDataSet ds("STOCK");
        ds.SetDatabaseName(file);
        ds.SetTableName("STOCK");
        ds.Open();
        ds.SetFilter(Expression);
        ds.SetFiltered(true);
        QStringList names;
        for (ds.First(); !ds.Eof(); ds.Next())
            names << ds.FieldByName("NAME").AsString();
        return names;
    }
};

TEST_F(SavedFilters, ExpressionsSelectTheRecords)
{
    TKXFormatSettings us; // m/d/yyyy, h:mm AMPM
    SetDefaultFormatSettings(us);
    const struct {
        const char *what;
        std::vector<std::tuple<const char *, int, int, QString>> lines;
        QStringList names;
    } cases[] = {
        {"text with a quote", {{"NAME", 0, 0, "Dee's"}}, {"Dee's"}},
        {"text ordering", {{"NAME", 0, 1, "Bob"}}, {"Dee's", "Cid"}},
        {"integer", {{"QTY", 0, 3, "5"}}, {"Dee's", "Bob"}},
        {"decimal with a comma", {{"PRICE", 0, 2, "3,5"}}, {"Bob", "Cid"}},
        {"negative decimal", {{"PRICE", 0, 4, " -2.5 "}}, {"Cid"}},
        {"currency", {{"COST", 0, 5, "0"}}, {"Ann", "Dee's", "Cid"}},
        {"yes/no", {{"SOLD", 0, 0, "1"}}, {"Ann", "Bob"}},
        {"note as text", {{"NOTE", 0, 0, "plain"}}, {"Dee's", "Cid"}},
        {"short date", {{"ARRIVED", 0, 3, "3/1/2024"}}, {"Dee's", "Bob", "Cid"}},
        {"short date and time", {{"ARRIVED", 0, 0, "3/1/2024 6:00 PM"}}, {"Bob"}},
        {"ISO date and time", {{"ARRIVED", 0, 1, "2024-03-01T12:00"}}, {"Bob", "Cid"}},
        {"name that reads as a number", {{"AÑO2024", 0, 4, "20"}}, {"Ann", "Dee's"}},
        {"name with a combining mark", {{"CAFE\u0301", 0, 0, "x"}}, {"Ann", "Bob"}},
        {"OR then AND: the last connector is dropped",
         {{"NAME", 1, 0, "Ann"}, {"NAME", 0, 0, "Bob"}, {"SOLD", 1, 0, "1"}},
         {"Ann", "Bob"}},
        {"AND then OR", {{"QTY", 0, 1, "0"}, {"SOLD", 1, 0, "0"}, {"NAME", 0, 0, "Cid"}}, {"Dee's", "Cid"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = dm->GetTxtFilter(Filter(c.what, c.lines));
        EXPECT_EQ(Apply(text), c.names) << text.toStdString();
    }
}

TEST_F(SavedFilters, ExpressionText)
{
    EXPECT_EQ(dm->GetTxtFilter(Filter("empty", {})), "");
    EXPECT_EQ(dm->GetTxtFilter(Filter("one", {{"NAME", 0, 0, "Dee's"}})), " ([NAME] = 'Dee''s' )");
    EXPECT_EQ(dm->GetTxtFilter(Filter("three", {{"NAME", 1, 5, "A"}, {"QTY", 0, 3, "2,50"}, {"SOLD", 1, 0, "0"}})),
              " ([NAME] <> 'A' ) OR  ([QTY] >= 2.5 ) AND  ([SOLD] = 0 )");
    // A connector other than 0 and 1 keeps the one before.
    EXPECT_EQ(dm->GetTxtFilter(Filter("odd", {{"QTY", 1, 0, "1"}, {"QTY", 7, 0, "2"}, {"QTY", 0, 0, "3"}})),
              " ([QTY] = 1 ) OR  ([QTY] = 2 ) OR  ([QTY] = 3 )");
    // Dates are written with a point whatever the decimal separator of the settings.
    TKXFormatSettings eu;
    eu.DecimalSeparator = ",";
    eu.DateSeparator = ".";
    eu.ShortDateFormat = "dd.mm.yyyy";
    SetDefaultFormatSettings(eu);
    EXPECT_EQ(dm->GetTxtFilter(Filter("date", {{"ARRIVED", 0, 0, "01.03.2024 18:00"}})), " ([ARRIVED] = 45352.75 )");
    SetDefaultFormatSettings(TKXFormatSettings());
}

TEST_F(SavedFilters, ConditionsThatCannotBeWrittenAreRefusedByName)
{
    const struct {
        const char *what;
        std::tuple<const char *, int, int, QString> line;
    } cases[] = {
        {"image", {"PHOTO", 0, 0, "x"}},
        {"operator", {"QTY", 0, 6, "1"}},
        {"empty number", {"QTY", 0, 0, ""}},
        {"not a number", {"PRICE", 0, 0, "1.234,5"}},
        {"yes/no", {"SOLD", 0, 0, "yes"}},
        {"date", {"ARRIVED", 0, 0, "13/45/2024"}},
        {"time", {"ARRIVED", 0, 0, "3/1/2024 25:00"}},
    };
    for (const auto &c : cases) {
        const QString name = QStringLiteral("bad %1").arg(c.what);
        try {
            const QString text = dm->GetTxtFilter(Filter(name, {c.line}));
            ADD_FAILURE() << c.what << " gave " << text.toStdString();
        } catch (const EKxError &e) {
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf("'" + name + "'"), -1) << e.what();
        }
    }
    // A field name edited by hand into one that would end the bracketed name early.
    {
        Peer p(file);
        p.Exec(QStringLiteral("INSERT INTO DEF_FIELDS(ID_TABLE, NAME, USR_NAME, TYPE, DECIM)"
                              " VALUES (%1, 'QTY] = 1 OR [NAME', 'ODD', 1, 0)").arg(table));
        fields["ODD"] = int32_t(p.Int("SELECT MAX(ID_FIELD) FROM DEF_FIELDS"));
    }
    EXPECT_THROW(dm->GetTxtFilter(Filter("odd name", {{"ODD", 0, 0, "1"}})), EKxError);
    // A condition whose field was deleted drops out.
    const int32_t id = Filter("deleted field", {{"QTY", 0, 0, "1"}, {"NAME", 0, 0, "Ann"}});
    Peer p(file);
    p.Exec(QStringLiteral("DELETE FROM DEF_FIELDS WHERE ID_FIELD = %1").arg(fields["QTY"]));
    EXPECT_EQ(dm->GetTxtFilter(id), " ([NAME] = 'Ann' )");
}

} // namespace
