// Data binding of the label document over the in-memory dataset: finding datasets, field
// texts by field type, validation, the caption maps of the catalogue and the lists.
#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "MemoryDataset.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <QObject>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace kx;
using enum kx::TKXFieldType;

namespace {

// A data module holding the test datasets.
class Binding : public ::testing::Test {
protected:
    TKXCustomLab lab;
    QObject module;

    MemoryDataset *AddDataset(const QString &Name, QObject *Owner = nullptr)
    {
        return new MemoryDataset(Name, Owner ? Owner : &module);
    }

    void Link()
    {
        lab.SetDataMod(&module);
        lab.SetLinkData(true);
    }

    TKXText *BoundText(const QString &Caption)
    {
        auto *t = lab.NewElement<TKXText>();
        t->SetData(true);
        t->SetFieldName(Caption);
        return t;
    }
};

// ---------------------------------------------------------------------------------------
// Finding datasets

TEST_F(Binding, FindDatasetInTheDataModuleIgnoringCase)
{
    MemoryDataset *orders = AddDataset("Orders");
    AddDataset("Lines");
    std::vector<std::string> assigned;
    lab.OnAssignedDataSet = [&](TObject *Sender, const AnsiString &Name) {
        EXPECT_EQ(Sender, &lab);
        assigned.push_back(Name);
    };
    lab.SetDataMod(&module);
    EXPECT_FALSE(lab.FindDataset("", false, false));
    EXPECT_TRUE(lab.FindDataset("ORDERS", false, false));
    EXPECT_EQ(lab.DataSet(), orders);
    EXPECT_EQ(lab.DatasetName(), "Orders");
    EXPECT_EQ(assigned, std::vector<std::string>{"Orders"});
    EXPECT_TRUE(lab.FindDataset("lines", false, true));
    EXPECT_EQ(lab.Detail()->Name(), "Lines");
    EXPECT_EQ(lab.DetailName(), "Lines");
    EXPECT_EQ(assigned.size(), 1u); // binding a detail raises no event

    // With a data module set, no other module is searched.
    QObject other;
    other.setObjectName("Other");
    AddDataset("Stock", &other);
    lab.SetApplicationModules({&other});
    EXPECT_FALSE(lab.FindDataset("Stock", false, false));
    EXPECT_EQ(lab.DataSet(), orders);

    // A destroyed dataset is forgotten.
    delete orders;
    EXPECT_EQ(lab.DataSet(), nullptr);
}

TEST_F(Binding, ApplicationModulesTheLastMatchWins)
{
    QObject a, b;
    a.setObjectName("ModA");
    b.setObjectName("ModB");
    AddDataset("Orders", &a);
    MemoryDataset *inB = AddDataset("orders", &b);
    lab.SetApplicationModules({&a, &b});
    EXPECT_TRUE(lab.FindDataset("Orders", false, false));
    EXPECT_EQ(lab.DataSet(), inB);
    EXPECT_TRUE(lab.FindDataset("moda.orders", true, false));
    EXPECT_EQ(lab.DataSet()->parent(), &a);
    EXPECT_FALSE(lab.FindDataset("Orders", true, false)); // dot: the module's name is part of it
    lab.SetDataSet(nullptr);
    EXPECT_TRUE(lab.DatasetName().isEmpty());
}

// ---------------------------------------------------------------------------------------
// Field texts

TEST_F(Binding, GetFieldTextByFieldType)
{
    const struct {
        TKXFieldType type;
        QVariant value;
        const char *format;
        bool asDate;
        const char *text;
    } cases[] = {
        {ftInteger, 42, "0000", false, "0042"},
        {ftSmallint, -3, "0;(0)", false, "(3)"},
        {ftWord, 7, "", false, "7"},
        // 64-bit values keep every digit (a 32-bit or double conversion would not).
        {ftLargeint, qint64(9007199254740993LL), "#,##0", false, "9,007,199,254,740,993"},
        {ftLargeint, qint64(std::numeric_limits<int64_t>::max()), "0", false, "9223372036854775807"},
        {ftFloat, 3.14159, "0.00", false, "3.14"},
        {ftFloat, 0.1, "", false, "0.1"},
        {ftBCD, 12.5, "0.0", false, "12.5"},
        {ftCurrency, 3.5, "0.00", false, "3.50"},
        {ftDate, 45352.0, "yyyy-mm-dd", false, "2024-03-01"},
        {ftDate, 45352.0, "", false, "3/1/2024"},
        {ftTime, 0.75, "hh:nn", false, "18:00"},
        {ftDateTime, 45352.5, "dd/mm/yyyy hh:nn", false, "01/03/2024 12:00"},
        {ftFloat, 45352.25, "yyyy-mm-dd hh:nn", true, "2024-03-01 06:00"},
        {ftString, "Tea", "0000", false, "Tea"},
        {ftBoolean, true, "0", false, "True"},
        // Every integer, float and date-time type is formatted as its family (the SQLite
        // mapping gives auto-increments, bytes, singles and time stamps; their formats
        // used to be ignored).
        {ftAutoInc, 1, "00000", false, "00001"},
        {ftLongWord, qint64(4000000000LL), "#,##0", false, "4,000,000,000"},
        {ftShortint, -7, "00", false, "-07"},
        {ftByte, 200, "0000", false, "0200"},
        {ftSingle, 2.5, "0.000", false, "2.500"},
        {ftExtended, 1234.5, "#,##0.0", false, "1,234.5"},
        {ftFMTBcd, 0.125, "0.00", false, "0.13"},
        {ftTimeStamp, 45352.75, "dd/mm/yyyy", false, "01/03/2024"},
        {ftOraTimeStamp, 45352.75, "hh:nn", false, "18:00"},
        {ftGuid, "{0042}", "0000", false, "{0042}"}, // not a number: its value as text
        {ftInteger, QVariant(), "0000", false, ""},
        {ftString, QVariant(), "", false, ""},
    };
    MemoryDataset *ds = AddDataset("Data");
    QVariantList row;
    for (size_t i = 0; i < std::size(cases); ++i) {
        ds->AddColumn(QString("C%1").arg(i), cases[i].type);
        row << cases[i].value;
    }
    ds->AddRow(row);
    ds->Open();
    Link();
    ASSERT_TRUE(lab.FindDataset("Data", false, false));
    for (size_t i = 0; i < std::size(cases); ++i) {
        QString text = "stale";
        lab.GetFieldText(QString("c%1").arg(i), cases[i].format, cases[i].asDate, text);
        EXPECT_EQ(text.toStdString(), cases[i].text) << EnumName(cases[i].type) << " " << cases[i].format;
    }
    QString text;
    EXPECT_THROW(lab.GetFieldText("NOPE", "", false, text), EKxError);
}

// ---------------------------------------------------------------------------------------
// Validation

TEST_F(Binding, ValidateDataFitsThePrintRangeToTheRecords)
{
    const struct {
        int32_t lastLab, firstLab, records;
        bool fullRange;
        int32_t wantLast, wantFirst, wantNum;
    } cases[] = {
        {0, 3, 120, false, 120, 3, 118},
        {50, 3, 120, false, 50, 3, 48},
        {50, 3, 120, true, 120, 3, 118},
        {200, 1, 120, false, 120, 1, 120},
        {0, 3, 0, false, 1, 1, 1},
    };
    for (const auto &c : cases) {
        TKXCustomLab doc;
        QObject owner;
        auto *ds = new MemoryDataset("Rows", &owner);
        ds->AddColumn("N", ftInteger);
        for (int i = 0; i < c.records; ++i)
            ds->AddRow({i});
        ds->Open();
        doc.SetDataMod(&owner);
        doc.SetLinkData(true);
        doc.SetDatasetName("rows");
        TKXPrintInfo &pi = *doc.PrintInfo();
        pi.SetFirstLab(c.firstLab);
        if (c.lastLab == 0)
            pi.SetLastLabZero();
        else
            pi.SetLastLab(c.lastLab);
        EXPECT_TRUE(doc.ValidateData(true, false, c.fullRange));
        EXPECT_EQ(pi.LastLab(), c.wantLast) << c.lastLab << " " << c.records;
        EXPECT_EQ(pi.FirstLab(), c.wantFirst) << c.lastLab << " " << c.records;
        EXPECT_EQ(pi.NumLabs(), c.wantNum) << c.lastLab << " " << c.records;
    }
}

// Every missing field is reported, and no binding is switched off (a save after a failed
// validation used to drop them).
TEST_F(Binding, ValidateDataReportsEveryMissingFieldAndKeepsBindings)
{
    MemoryDataset *ds = AddDataset("Customers");
    ds->AddColumn("NAME", ftString, 20);
    ds->Open();
    Link();
    lab.SetDatasetName("Customers");
    ASSERT_TRUE(lab.FindDataset("Customers", false, false));
    TKXText *gone1 = BoundText("PHONE");
    TKXText *good = BoundText("NAME");
    TKXText *gone2 = BoundText("EMAIL");
    lab.SetModified(false);
    try {
        lab.ValidateData(false, true, false);
        ADD_FAILURE() << "missing fields accepted";
    } catch (const EKxError &e) {
        // Elements are checked from the last to the first.
        EXPECT_STREQ(e.what(), "INVALID FIELD NAME :EMAIL\nINVALID FIELD NAME :PHONE");
    }
    EXPECT_EQ(lab.ValidationProblems(), (QStringList{"INVALID FIELD NAME :EMAIL", "INVALID FIELD NAME :PHONE"}));
    for (TKXText *t : {gone1, good, gone2})
        EXPECT_TRUE(t->Data()) << t->BoundName().toStdString();
    EXPECT_FALSE(lab.Modified());
}

TEST_F(Binding, ValidateDataLinksCountersAndDropsEmptyBindings)
{
    zt::FakeDesignerServices editor(lab);
    MemoryDataset *ds = AddDataset("Customers");
    ds->AddColumn("NAME", ftString, 20);
    ds->Open();
    Link();
    lab.SetDatasetName("CUSTOMERS");
    TKXText *serial = BoundText("serial"); // stored before the counter existed: a field
    ASSERT_FALSE(serial->IsCounter());
    lab.NewCounter()->Name = "Serial";
    TKXText *empty = lab.NewElement<TKXText>();
    empty->SetData(true); // bound to nothing
    editor.Reset();
    EXPECT_TRUE(lab.ValidateData(false, true, false));
    EXPECT_TRUE(serial->IsCounter());
    EXPECT_TRUE(serial->Data());
    EXPECT_FALSE(empty->Data());
    EXPECT_GE(editor.Count("Inspect"), 1);
}

TEST_F(Binding, ValidateDataOpeningFilteringAndMissingDataset)
{
    MemoryDataset *ds = AddDataset("Customers");
    ds->AddColumn("NAME", ftString, 20);
    ds->AddRow({"Ann"});
    ds->AddRow({"Bob"});
    ds->SetFilter("NAME = 'Bob'");
    Link();
    lab.SetOpenCloseData(true);
    lab.SetDatasetName("Customers");
    EXPECT_TRUE(lab.ValidateData(true, true, false));
    EXPECT_TRUE(ds->Active());
    EXPECT_TRUE(ds->Filtered());
    EXPECT_EQ(lab.PrintInfo()->LastLab(), 1); // one record passes the filter

    ds->Close();
    ds->FailOpen = true;
    try {
        lab.ValidateData(false, false, false);
        ADD_FAILURE() << "open failure not reported";
    } catch (const EKxError &e) {
        // The message says why (the source's own text follows).
        EXPECT_STREQ(e.what(), "CAN'T OPEN DATASET : cannot open Customers");
    }
    EXPECT_EQ(lab.DataSet(), ds);

    // A stored dataset that is not there: false and listed while binding only; an error
    // when the binding is checked (before printing), never a silent unbound run.
    TKXCustomLab other;
    other.SetDataMod(&module);
    other.SetLinkData(true);
    other.SetDatasetName("Suppliers");
    EXPECT_FALSE(other.ValidateData(false, false, false));
    EXPECT_EQ(other.ValidationProblems(), QStringList{"DATASET NOT FOUND :Suppliers"});
    try {
        other.ValidateData(true, true, false);
        ADD_FAILURE() << "missing dataset accepted";
    } catch (const EKxError &e) {
        EXPECT_STREQ(e.what(), "DATASET NOT FOUND :Suppliers");
    }
    other.SetLinkData(false);
    EXPECT_FALSE(other.ValidateData(false, true, false));
    EXPECT_TRUE(other.ValidationProblems().isEmpty());
}

// Mended: a closed dataset (OpenCloseData off) was asked for its record count, so a label
// bound to it could not even be opened. What needs the records waits until it is open.
TEST_F(Binding, ValidateDataLeavesAClosedDatasetAlone)
{
    MemoryDataset *ds = AddDataset("Customers");
    ds->AddColumn("NAME", ftString, 20);
    ds->AddRow({"Ann"});
    Link();
    lab.SetDatasetName("Customers");
    BoundText("NAME");
    BoundText("GONE"); // looked at only once the dataset is open
    lab.PrintInfo()->SetLastLab(7);
    EXPECT_TRUE(lab.ValidateData(true, true, true));
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(lab.PrintInfo()->LastLab(), 7);
    ds->Open();
    EXPECT_THROW(lab.ValidateData(true, true, true), EKxError);
    EXPECT_EQ(lab.PrintInfo()->LastLab(), 1);
}

// Mended: a dataset of the application's data modules, stored by its plain name, was
// searched as "Module.Name" and never found again.
TEST_F(Binding, ValidateDataRebindsAnApplicationModulesDatasetByItsName)
{
    QObject dm;
    dm.setObjectName("DM");
    MemoryDataset *items = AddDataset("Items", &dm);
    lab.SetApplicationModules({&dm});
    lab.SetLinkData(true);
    lab.SetDatasetName("Items");
    EXPECT_TRUE(lab.ValidateData(false, true, false));
    EXPECT_EQ(lab.DataSet(), items);
    lab.SetDataSet(nullptr);
    lab.SetDatasetName("DM.Items"); // a qualified name finds it with its module
    EXPECT_TRUE(lab.ValidateData(false, true, false));
    EXPECT_EQ(lab.DataSet(), items);
}

// ---------------------------------------------------------------------------------------
// Catalogue and caption maps

TEST(Catalogue, ItemsNamesCaptionsAndCopies)
{
    const struct {
        const char *name, *base;
    } names[] = {{"DM.Customers", "Customers"}, {"Customers", "Customers"}, {"a.b.c", "c"}, {"", ""}};
    for (const auto &n : names) {
        TKXDatasetItem item;
        item.SetName(n.name);
        EXPECT_EQ(item.BaseName(), n.base) << n.name;
        item.SetDetailDataset(n.name);
        EXPECT_EQ(item.DetailBaseName(), n.base) << n.name;
    }
    TKXFieldItem f;
    f.SetName("PRICE");
    EXPECT_EQ(f.Caption, "PRICE");
    f.Caption = "Price";
    f.SetName("COST");
    EXPECT_EQ(f.Caption, "Price");

    TKXDatasets source;
    TKXDatasetItem &item = source.Add();
    item.SetName("DM.Orders");
    item.Caption = "Orders";
    item.Fields().Add().SetName("ID");
    item.SetDetailDataset("DM.Lines");
    item.DetailFields().Add().SetName("ITEM");
    item.ExtFileType = TKXExtFileType::efCsv;
    TKXCustomLab lab;
    lab.SetDatasets(source);
    item.Caption = "changed later";
    ASSERT_EQ(lab.Datasets().Count(), 1);
    const TKXDatasetItem &copy = *lab.Datasets().Items(0);
    EXPECT_EQ(copy.Caption, "Orders");
    EXPECT_EQ(copy.BaseName(), "Orders");
    EXPECT_EQ(copy.DetailBaseName(), "Lines");
    EXPECT_EQ(copy.Fields().Items(0)->Name(), "ID");
    EXPECT_EQ(copy.DetailFields().Items(0)->Name(), "ITEM");
    EXPECT_EQ(copy.ExtFileType, TKXExtFileType::efNone); // not copied

    TKXAliasItem alias;
    alias.AliasName = "DBDEMOS";
    alias.Tables().Add().SetTableName("animals.dbf");
    EXPECT_EQ(alias.Tables().Items(0)->Alias(), "DBDEMOS");
    EXPECT_EQ(alias.Tables().Items(0)->Caption, "animals.dbf");
}

TEST(Catalogue, FieldRecordAndExternalItemFirst)
{
    TKXFieldItem f;
    f.SetName(QString::fromUtf8("Año"));
    f.Caption = "Year";
    f.FloatAsDateTime = true;
    f.FieldType = -2;
    TKXStreamWriter w;
    f.SaveToStream(w);
    TKXStreamReader r(w.Bytes());
    TKXFieldItem back;
    back.LoadFromStream(r);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(back.Name(), QString::fromUtf8("Año"));
    EXPECT_EQ(back.Caption, "Year");
    EXPECT_TRUE(back.FloatAsDateTime);
    EXPECT_EQ(back.FieldType, -2);

    TKXCustomLab lab;
    for (const char *n : {"A", "B", "Ext"})
        lab.Datasets().Add().SetName(n);
    lab.PutExtDataAsFirstDataSet();
    EXPECT_EQ(lab.Datasets().Items(0)->Name(), "Ext");
    EXPECT_EQ(lab.Datasets().Items(1)->Name(), "A");
}

class Maps : public Binding {
protected:
    MemoryDataset *customers = nullptr;
    MemoryDataset *lines = nullptr;

    void SetUp() override
    {
        customers = AddDataset("Customers");
        customers->AddColumn("PRICE", ftFloat);
        customers->AddColumn("BORN", ftFloat);
        customers->AddColumn("PHOTO", ftBlob);
        customers->AddColumn("FLAG", ftBoolean);
        customers->AddColumn("NOTE", ftMemo);
        customers->Fields(0).SetDisplayLabel("Unit price");
        lines = AddDataset("Lines");
        lines->AddColumn("ITEM", ftString, 10);
        TKXDatasetItem &item = lab.Datasets().Add();
        item.SetName("DM.Customers");
        item.Caption = "Our customers";
        item.SetDetailDataset("DM.Lines");
        TKXFieldItem &price = item.Fields().Add();
        price.SetName("PRICE");
        price.Caption = "Price";
        TKXFieldItem &born = item.Fields().Add();
        born.SetName("BORN");
        born.Caption = "Born";
        born.FloatAsDateTime = true;
        TKXFieldItem &photo = item.Fields().Add();
        photo.SetName("PHOTO");
        photo.Caption = "Photo";
        TKXFieldItem &line = item.DetailFields().Add();
        line.SetName("ITEM");
        line.Caption = "Article";
        Link();
        ASSERT_TRUE(lab.FindDataset("Customers", false, false));
        ASSERT_TRUE(lab.FindDataset("Lines", false, true));
        lab.NewCounter()->Name = "Serial";
    }

    std::string ToName(const QString &Caption, bool *AsDate = nullptr, bool *IsCounter = nullptr)
    {
        bool d = true, c = true;
        QString name = "stale";
        lab.CaptionToFieldName(Caption, d, name, c);
        if (AsDate)
            *AsDate = d;
        if (IsCounter)
            *IsCounter = c;
        return name.toStdString();
    }

    std::string ToCaption(const QString &Name, bool IsCounter = false, bool *AsDate = nullptr)
    {
        bool d = true;
        const QString caption = lab.FieldNameToCaption(Name, d, IsCounter);
        if (AsDate)
            *AsDate = d;
        return caption.toStdString();
    }
};

TEST_F(Maps, CaptionsToNamesAndBack)
{
    bool asDate = false, isCounter = false;
    EXPECT_EQ(ToName("Born", &asDate, &isCounter), "BORN");
    EXPECT_TRUE(asDate);
    EXPECT_FALSE(isCounter);
    EXPECT_EQ(ToName("Price"), "PRICE");
    EXPECT_EQ(ToName("price"), "");  // captions match exactly
    EXPECT_EQ(ToName("SERIAL", &asDate, &isCounter), "SERIAL");
    EXPECT_TRUE(isCounter);
    EXPECT_EQ(ToCaption("born", false, &asDate), "Born"); // names ignore case
    EXPECT_TRUE(asDate);
    EXPECT_EQ(ToCaption("NOTE"), "-");
    EXPECT_EQ(ToCaption("Serial", true), "Serial");
    EXPECT_TRUE(lab.IsFloatAsDateTime("Born"));
    EXPECT_FALSE(lab.IsFloatAsDateTime("PRICE"));

    bool d = false;
    QString name;
    lab.DetailCaptionToFieldName("Article", d, name);
    EXPECT_EQ(name, "ITEM");
    EXPECT_EQ(lab.DetailFieldNameToCaption("item", d), "Article");
    EXPECT_EQ(lab.DetailFieldNameToCaption("nope", d), "-");

    // A bound text shows the caption and stores the name.
    TKXText *t = BoundText("Born");
    EXPECT_EQ(t->BoundName(), "BORN");
    EXPECT_TRUE(t->FloatAsDateTime());
    EXPECT_EQ(t->Text(), "Born");
    EXPECT_EQ(t->FieldName(), "Born");

    // The catalogue item without field items: names are captions; the data set's labels.
    lab.Datasets().Items(0)->Fields().Clear();
    EXPECT_EQ(ToName("Anything"), "Anything");
    EXPECT_EQ(ToCaption("whatever"), "whatever");
    // No catalogue at all: the same.
    lab.Datasets().Clear();
    EXPECT_EQ(ToName("Price"), "Price");
    EXPECT_EQ(lab.DetailFieldNameToCaption("item", d), "ITEM");
    EXPECT_EQ(lab.DetailFieldNameToCaption("", d), "");
    // Unlinked: no captions.
    lab.SetLinkData(false);
    EXPECT_EQ(ToCaption("PRICE"), "-");
    EXPECT_FALSE(lab.IsFloatAsDateTime("Born"));
}

TEST_F(Maps, AccessTypes)
{
    zt::FakeDesignerServices editor(lab);
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    lab.SetDataAccessType(TKXDataAccessType::daBDEAlias);
    EXPECT_EQ(lab.DataAccessType(), TKXDataAccessType::daNone);
    EXPECT_EQ(ui.Messages, std::vector<QString>{"64-bit Platform don't let BDE"});
    EXPECT_EQ(ToName("Price"), "");
    EXPECT_EQ(ToCaption("PRICE"), "-");
    QStringList fields;
    lab.GetDataFields(fields, true, false, false, false);
    EXPECT_EQ(fields, QStringList{"Serial"});
    lab.SetDataAccessType(TKXDataAccessType::daDataSet);
    EXPECT_EQ(ToName("Price"), "PRICE");
}

TEST_F(Maps, FieldListsAndFilters)
{
    const struct {
        bool addCounters, onlyBlob, onlyBool, removeBlob;
        QStringList catalogue; // field items' captions
        QStringList own;       // the dataset's own fields
    } cases[] = {
        {false, false, false, false, {"Price", "Born", "Photo"}, {"Unit price", "BORN", "PHOTO", "FLAG", "NOTE"}},
        {true, false, false, false, {"Price", "Born", "Photo", "Serial"}, {"Unit price", "BORN", "PHOTO", "FLAG", "NOTE", "Serial"}},
        {false, true, false, false, {"Photo"}, {"PHOTO"}},
        {false, false, false, true, {"Price", "Born"}, {"Unit price", "BORN", "FLAG", "NOTE"}},
        {false, true, true, false, {}, {"FLAG"}}, // OnlyBool replaces OnlyBlob
    };
    for (const auto &c : cases) {
        QStringList list{"old"};
        lab.GetDataFields(list, c.addCounters, c.onlyBlob, c.onlyBool, c.removeBlob);
        EXPECT_EQ(list, c.catalogue);
    }
    lab.Datasets().Items(0)->Fields().Clear();
    for (const auto &c : cases) {
        QStringList list;
        lab.GetDataFields(list, c.addCounters, c.onlyBlob, c.onlyBool, c.removeBlob);
        EXPECT_EQ(list, c.own);
    }
    QStringList detail;
    lab.GetDetailFields(detail);
    EXPECT_EQ(detail, QStringList{"Article"});
    lab.Datasets().Items(0)->DetailFields().Clear();
    lab.GetDetailFields(detail);
    EXPECT_EQ(detail, QStringList{"ITEM"}); // the detail dataset's own labels
}

TEST_F(Maps, DatasetListsAndGrid)
{
    EXPECT_EQ(lab.GetDatasetIndex("Module.customers"), 0);
    EXPECT_EQ(lab.GetDatasetIndex("Orders"), -1);
    int idx = 7;
    EXPECT_EQ(lab.GetTableName("OUR CUSTOMERS", idx), "Customers");
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(lab.GetTableName("Nobody", idx), "");
    EXPECT_EQ(idx, -1);
    EXPECT_EQ(lab.GetActiveDatasetCaption(), "Our customers");
    QStringList list;
    EXPECT_EQ(lab.GetDatasets(list), 0);
    EXPECT_EQ(list, QStringList{"Our customers"});

    // Not bound yet: the first item binds master and detail.
    TKXCustomLab fresh;
    fresh.SetDataMod(&module);
    fresh.SetDatasets(lab.Datasets());
    QStringList names;
    EXPECT_EQ(fresh.GetDatasets(names), 0);
    EXPECT_EQ(fresh.DataSet(), customers);
    EXPECT_EQ(fresh.Detail(), lines);

    struct Grid : TKXDataGrid {
        std::vector<std::string> log;
        void BeginUpdate() override { log.push_back("begin"); }
        void EndUpdate() override { log.push_back("end"); }
        void ClearColumns() override { log.push_back("clear"); }
        void AddColumn(TKXField &F, const QString &Title, TAlignment A) override
        {
            log.push_back(F.FieldName().toStdString() + ":" + Title.toStdString() +
                          (A == TAlignment::taCenter ? " centred" : ""));
        }
    } grid;
    lab.FillDBGrid(grid, 0);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"begin", "clear", "PRICE:Price centred", "BORN:Born centred", "end"}));
    grid.log.clear();
    lab.SetGridNotDrawFields(true);
    lab.FillDBGrid(grid, 0);
    EXPECT_EQ(grid.log.size(), 6u); // the blob column too
    grid.log.clear();
    lab.FillDBGrid(grid, -1);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"begin", "clear", "end"}));
}

} // namespace
