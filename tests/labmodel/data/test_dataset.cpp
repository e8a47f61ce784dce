// The dataset base: cursor, field values, filter expressions, master-detail and the
// bound-controls switch, exercised through the in-memory dataset.
#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXDataset.h"
#include "MemoryDataset.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kx;
using enum kx::TKXFieldType;

namespace {

// ID, NAME, PRICE, QTY, ACTIVE, MADE (day number), NOTE
std::unique_ptr<MemoryDataset> Products()
{
    auto ds = std::make_unique<MemoryDataset>("Products");
    ds->AddColumn("ID", ftInteger);
    ds->AddColumn("NAME", ftWideString, 40);
    ds->AddColumn("PRICE", ftFloat);
    ds->AddColumn("QTY", ftLargeint);
    ds->AddColumn("ACTIVE", ftBoolean);
    ds->AddColumn("MADE", ftDateTime);
    ds->AddColumn("NOTE", ftWideMemo);
    ds->AddRow({1, "Apple", 0.5, qint64(10), true, EncodeDateTime(2024, 3, 1), "crisp"});
    ds->AddRow({2, "Banana", 0.25, qint64(0), false, EncodeDateTime(2024, 3, 2, 18, 30), QVariant()});
    ds->AddRow({3, "Cherry", 12.0, QVariant(), true, QVariant(), "it's red"});
    ds->AddRow({4, "apple pie", 3.75, qint64(9007199254740993), true, EncodeDateTime(2023, 12, 31), ""});
    ds->AddRow({5, "Dátil", 1.5, qint64(-4), false, EncodeDateTime(2024, 1, 15), "x"});
    return ds;
}

std::vector<int> Ids(TKXDataSet &ds)
{
    std::vector<int> ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids.push_back(ds.FieldByName("id").AsInteger());
    return ids;
}

TEST(Dataset, FieldsByNameIgnoreOnlyAsciiCase)
{
    auto ds = Products();
    EXPECT_EQ(ds->FieldCount(), 7);
    EXPECT_EQ(ds->FindField("price"), &ds->Fields(2));
    EXPECT_EQ(ds->FindField("PrIcE")->DataType(), ftFloat);
    EXPECT_EQ(ds->FindField("PRICES"), nullptr);
    EXPECT_EQ(ds->Fields(1).Size(), 40);
    EXPECT_TRUE(SameName("Dátil", "DáTIL"));
    EXPECT_FALSE(SameName("DÁTIL", "dátil")); // accented letters are not folded
    try {
        ds->FieldByName("Weight");
        FAIL() << "no error for a missing field";
    } catch (const EKxError &e) {
        EXPECT_STREQ(e.what(), "Field 'Weight' not found");
    }
    EXPECT_THROW(ds->Fields(7), EKxError);
    ds->Fields(2).SetDisplayLabel("Unit price");
    EXPECT_EQ(ds->Fields(2).DisplayLabel(), "Unit price");
    EXPECT_EQ(ds->Fields(1).DisplayLabel(), "NAME");
}

TEST(Dataset, CursorStaysOnLastRecordAtEof)
{
    auto ds = Products();
    EXPECT_THROW(ds->First(), EKxError); // closed
    EXPECT_THROW(ds->FieldByName("ID").Value(), EKxError);
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(2), 2);
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "Cherry");
    EXPECT_EQ(ds->MoveBy(-1), -1);
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(ds->MoveBy(-5), -1); // stops at the first record
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->MoveBy(10), 4);  // stops at the last, with Eof
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 5);
    ds->Next();
    EXPECT_EQ(ds->RecNo(), 5);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 5);
    EXPECT_EQ(Ids(*ds), (std::vector<int>{1, 2, 3, 4, 5}));

    MemoryDataset empty("Empty");
    empty.AddColumn("A", ftInteger);
    empty.Open();
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecNo(), 0);
    EXPECT_TRUE(empty.FieldByName("A").IsNull());
    EXPECT_EQ(empty.RecordCount(), 0);
}

TEST(Dataset, OpenFailureLeavesItClosed)
{
    auto ds = Products();
    ds->FailOpen = true;
    EXPECT_THROW(ds->Open(), EKxError);
    EXPECT_FALSE(ds->Active());
    ds->FailOpen = false;
    ds->SetFilter("NAME = ");
    ds->SetFiltered(true); // closed: checked when opened
    EXPECT_THROW(ds->Open(), EKxError);
    EXPECT_FALSE(ds->Active());
}

TEST(Dataset, ValuesByType)
{
    auto ds = Products();
    ds->Open();
    TKXField &id = ds->FieldByName("ID"), &name = ds->FieldByName("NAME"),
             &price = ds->FieldByName("PRICE"), &qty = ds->FieldByName("QTY"),
             &active = ds->FieldByName("ACTIVE"), &made = ds->FieldByName("MADE"),
             &note = ds->FieldByName("NOTE");
    // Record 1
    EXPECT_EQ(id.AsString(), "1");
    EXPECT_EQ(price.AsString(), "0.5");
    EXPECT_EQ(active.AsString(), "True");
    EXPECT_EQ(made.AsString(), "3/1/2024"); // "c": midnight shows the date only
    EXPECT_DOUBLE_EQ(made.AsDateTime(), EncodeDateTime(2024, 3, 1));
    EXPECT_EQ(price.AsLargeInt(), 1);      // 0.5 rounds away from zero
    ds->Next();
    EXPECT_EQ(made.AsString(), "3/2/2024 6:30:00 PM");
    EXPECT_TRUE(note.IsNull());
    EXPECT_EQ(note.AsString(), "");
    EXPECT_FALSE(active.AsBoolean());
    ds->Next();
    // Nulls read as zero, false and empty, as a field of the platform does.
    EXPECT_TRUE(qty.IsNull());
    EXPECT_EQ(qty.AsLargeInt(), 0);
    EXPECT_DOUBLE_EQ(made.AsFloat(), 0);
    EXPECT_THROW(name.AsLargeInt(), EKxError); // "Cherry"
    EXPECT_THROW(name.AsFloat(), EKxError);
    EXPECT_THROW(name.AsBoolean(), EKxError);
    ds->Next();
    // 2^53 + 1 stays exact as a 64-bit value and does not fit 32 bits.
    EXPECT_EQ(qty.AsLargeInt(), 9007199254740993);
    EXPECT_EQ(qty.AsString(), "9007199254740993");
    EXPECT_THROW(qty.AsInteger(), EKxError);
    ds->Next();
    EXPECT_EQ(qty.AsInteger(), -4);
    EXPECT_EQ(name.AsString(), "Dátil");
}

TEST(Dataset, TextConversions)
{
    MemoryDataset ds("T");
    ds.AddColumn("S", ftString);
    for (const char *s : {" 42 ", "2.5", "yes", "2024-03-01 18:05:09.5", "18:05", "-7.0", "3e2"})
        ds.AddRow({QString::fromUtf8(s)});
    ds.Open();
    TKXField &f = ds.FieldByName("S");
    EXPECT_EQ(f.AsLargeInt(), 42);
    ds.Next();
    EXPECT_DOUBLE_EQ(f.AsFloat(), 2.5);
    int64_t n = 0;
    EXPECT_FALSE(f.TryAsLargeInt(n)); // 2.5 is not a whole number
    ds.Next();
    EXPECT_TRUE(f.AsBoolean());
    ds.Next();
    EXPECT_DOUBLE_EQ(f.AsDateTime(), EncodeDateTime(2024, 3, 1, 18, 5, 9, 500));
    ds.Next();
    EXPECT_DOUBLE_EQ(f.AsDateTime(), EncodeDateTime(1899, 12, 30, 18, 5));
    ds.Next();
    EXPECT_EQ(f.AsLargeInt(), -7);
    ds.Next();
    EXPECT_EQ(f.AsLargeInt(), 300);
}

TEST(Dataset, FilterExpressions)
{
    const struct {
        const char *filter;
        std::vector<int> ids;
    } cases[] = {
        {"ID = 3", {3}},
        {" (NAME = 'Banana' )", {2}},                               // as saved filters are written
        {" (PRICE > 1 ) OR  (ACTIVE = 0 )", {2, 3, 4, 5}},
        {" (PRICE > 1 ) AND  (ACTIVE = 1 ) OR  (ID = 1 )", {1, 3, 4}}, // AND binds first
        {"PRICE > 1 AND (ACTIVE = 1 OR ID = 1)", {3, 4}},
        {"NOT ACTIVE", {2, 5}},
        {"active", {1, 3, 4}},
        {"name = 'apple'", {}},                                      // texts compare exactly
        {"NAME = 'Apple*'", {1}},                                    // prefix
        {"NAME <> 'Apple*'", {2, 3, 4, 5}},
        {"NAME >= 'C'", {3, 4, 5}},
        {"NOTE = 'it''s red'", {3}},
        {"QTY IS NULL", {3}},
        {"QTY IS NOT NULL AND QTY <= 0", {2, 5}},
        {"QTY = -4", {5}},
        {"QTY <> 10", {2, 4, 5}},                                    // null never compares
        {"QTY = 9007199254740993", {4}},
        {"MADE >= 45352", {1, 2}},                                   // day numbers
        {"[price] != 0.25", {1, 3, 4, 5}},
        {"ACTIVE = TRUE and price < 1e1", {1, 4}},
        {"ID = '3'", {3}},                                           // a text holding a number
        {"ID = 'three'", {}},
        // Mended: a date field against a quoted date matched nothing.
        {"MADE = '2024-03-01'", {1}},
        {"MADE >= '2024-03-01'", {1, 2}},
        {"'2024-01-15' = MADE", {5}},
        {"MADE = '2024-03-02 18:30'", {2}},
        {"MADE < '1/15/2024'", {4}},                                 // the short date, m/d/yyyy
        {"MADE = '2024-02-30'", {}},                                 // no such day
        {"MADE = 'soon'", {}},
    };
    auto ds = Products();
    ds->Open();
    ds->SetFiltered(true);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter);
        ds->SetFilter(c.filter);
        EXPECT_EQ(Ids(*ds), c.ids);
        EXPECT_EQ(ds->RecordCount(), int(c.ids.size()));
    }
}

TEST(Dataset, FilterSwitchAndErrors)
{
    auto ds = Products();
    ds->Open();
    ds->SetFilter("ACTIVE");
    EXPECT_EQ(Ids(*ds).size(), 5u); // text set, switch off
    ds->SetFiltered(true);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 1);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 3);
    // Counting leaves the cursor where it was.
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 3);
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(ds->FilterLog, (std::vector<bool>{false, true, false}));

    for (const char *bad : {"ID =", "(ID = 1", "ID = 'x", "WEIGHT > 1", "ID = 1 2", "ID == 1", "[ID"}) {
        SCOPED_TRACE(bad);
        ds->SetFiltered(false);
        ds->SetFilter("ID = 2");
        ds->SetFiltered(true);
        EXPECT_THROW(ds->SetFilter(bad), EKxError);
        EXPECT_EQ(ds->Filter(), "ID = 2"); // an open dataset keeps its last good filter
        EXPECT_EQ(Ids(*ds), std::vector<int>{2});
        ds->SetFiltered(false);
        ds->SetFilter(bad);                // accepted while the switch is off...
        EXPECT_THROW(ds->SetFiltered(true), EKxError);
        EXPECT_FALSE(ds->Filtered());      // ...and refused when switched on
    }
    // Typed text nested without end is refused, not a stack overflow.
    ds->SetFilter(QString(100000, QLatin1Char('(')) + "ID = 1" + QString(100000, QLatin1Char(')')));
    EXPECT_THROW(ds->SetFiltered(true), EKxError);
    ds->SetFilter(QString(200, QLatin1Char('(')) + "ID = 1" + QString(200, QLatin1Char(')')));
    ds->SetFiltered(true);
    EXPECT_EQ(Ids(*ds), std::vector<int>{1});
}

// Mended: a saved filter of a long AND/OR chain overflowed the stack when evaluated and when
// its tree was freed. Chains have no length limit.
TEST(Dataset, LongFilterChainsEvaluateWithoutDeepRecursion)
{
    auto ds = Products();
    ds->Open();
    ds->SetFiltered(true);
    constexpr int Terms = 300000;
    QString ors = QStringLiteral("(ID = 0)");
    ors.reserve(Terms * 14);
    for (int i = 1; i < Terms; ++i)
        ors += QStringLiteral(" OR (ID = 0)");
    ds->SetFilter(ors + " OR (ID = 4)");
    EXPECT_EQ(Ids(*ds), std::vector<int>{4});
    QString ands = QStringLiteral("ID > 0");
    for (int i = 1; i < Terms; ++i)
        ands += QStringLiteral(" AND ID > 0");
    ds->SetFilter(ands + " AND NOT ACTIVE");
    EXPECT_EQ(Ids(*ds), (std::vector<int>{2, 5}));
    ds->SetFilter("ID = 1"); // the long trees are freed here
    EXPECT_EQ(Ids(*ds), std::vector<int>{1});
}

TEST(Dataset, DetailFollowsMasterRecord)
{
    MemoryDataset master("Orders"), detail("Lines");
    master.AddColumn("ID_TABLE", ftAutoInc);
    master.AddColumn("CUSTOMER", ftString);
    master.AddRow({1, "Ann"});
    master.AddRow({2, "Bob"});
    master.AddRow({3, "Cid"});
    master.AddRow({QVariant(), "Nobody"});
    detail.AddColumn("ID_PARENT", ftInteger);
    detail.AddColumn("ITEM", ftString);
    detail.AddRow({1, "a1"});
    detail.AddRow({2, "b1"});
    detail.AddRow({1, "a2"});
    detail.AddRow({2, "b2"});
    detail.AddRow({2, "b3"});
    detail.AddRow({QVariant(), "orphan"});
    detail.SetMasterLink(&master, {"ID_TABLE"}, {"ID_PARENT"});
    master.Open();
    detail.Open();

    auto items = [&] {
        QStringList out;
        for (detail.First(); !detail.Eof(); detail.Next())
            out << detail.FieldByName("ITEM").AsString();
        return out.join(' ');
    };
    EXPECT_EQ(items(), "a1 a2");
    master.Next();
    EXPECT_EQ(detail.FieldByName("ITEM").AsString(), "b1"); // back at its first record
    EXPECT_EQ(detail.RecordCount(), 3);
    EXPECT_EQ(items(), "b1 b2 b3");
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 0);
    EXPECT_TRUE(detail.Eof());
    master.Next(); // a null key matches nothing, not the orphan line
    EXPECT_EQ(items(), "");
    master.First();
    detail.SetFilter("ITEM = 'a2'");
    detail.SetFiltered(true);
    EXPECT_EQ(items(), "a2");
    detail.SetFiltered(false);

    // A detail of a destroyed master shows every record again.
    {
        MemoryDataset shortLived("Tmp");
        shortLived.AddColumn("K", ftInteger);
        shortLived.AddRow({2});
        shortLived.Open();
        detail.SetMasterLink(&shortLived, {"K"}, {"ID_PARENT"});
        EXPECT_EQ(items(), "b1 b2 b3");
    }
    EXPECT_EQ(detail.MasterSource(), nullptr);
    EXPECT_EQ(detail.RecordCount(), 6);

    EXPECT_THROW(detail.SetMasterLink(&detail, {"ID_PARENT"}, {"ID_PARENT"}), EKxError);
    master.SetMasterLink(&detail, {"ID_PARENT"}, {"ID_TABLE"});
    EXPECT_THROW(detail.SetMasterLink(&master, {"ID_TABLE"}, {"ID_PARENT"}), EKxError);
    master.SetMasterLink(nullptr, {}, {});
    detail.SetMasterLink(&master, {"NO_SUCH"}, {"ID_PARENT"});
    EXPECT_THROW(detail.First(), EKxError);
}

TEST(Dataset, DataModuleChildrenAndDestruction)
{
    QObject module;
    module.setObjectName("DM");
    auto *a = new MemoryDataset("Customers", &module);
    new QObject(&module); // not a dataset
    auto *b = new MemoryDataset("Orders", &module);
    EXPECT_EQ(DataSetsOf(module), (std::vector<TKXDataSet *>{a, b}));
    QPointer<TKXDataSet> held(b);
    delete b;
    EXPECT_TRUE(held.isNull()); // a holder learns that the component is gone
    EXPECT_EQ(DataSetsOf(module), std::vector<TKXDataSet *>{a});
}

TEST(Dataset, BoundControlsSwitchNests)
{
    auto ds = Products();
    int changes = 0;
    ds->OnDataChange = [&](TKXDataSet &) { ++changes; };
    ds->Open();
    EXPECT_EQ(changes, 1);
    ds->DisableControls();
    ds->DisableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->Next();
    ds->Next();
    ds->EnableControls();
    EXPECT_TRUE(ds->ControlsDisabled());
    EXPECT_EQ(changes, 1);
    ds->EnableControls();
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_EQ(changes, 2); // one refresh when they come back on
    ds->EnableControls();  // unbalanced: ignored
    EXPECT_FALSE(ds->ControlsDisabled());
    ds->Next();
    EXPECT_EQ(changes, 3);
}

} // namespace
