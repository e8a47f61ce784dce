// The table element: column widths and how they spread, the derived geometry, setters and
// undo, the record of old and new files; the painter on the recording canvas at the four
// angles, with placeholders on the design surface and detail records on output, the footer
// aggregates over numbers, dates and empty sets.
#include "core/KXFormat.h"
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "document/KXSetup.h"
#include "elements/KXTable.h"
#include "GuiApp.h"
#include "LabelFileComposer.h"
#include "MemoryDataset.h"
#include "platform/KXQtCanvas.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <gtest/gtest.h>

#include <QImage>

#include <numeric>
#include <string>
#include <vector>

using namespace kx;

namespace {

std::vector<int32_t> Widths(const TKXTable &t)
{
    std::vector<int32_t> w;
    for (int i = 0; i < t.ColCount(); ++i)
        w.push_back(t.Columns(i).Width());
    return w;
}

int32_t Total(const TKXTable &t)
{
    const auto w = Widths(t);
    return std::accumulate(w.begin(), w.end(), 0);
}

class Table : public ::testing::Test {
protected:
    Table()
    {
        lab.SetCheckBounds(false);
        // Tables are drawn only where they lie on the label: one that holds all of them.
        lab.Measure()->SetLabelSizeMM(200, 200);
    }
    TKXCustomLab lab;

    // A table of Cols columns spanning (x1, y1)-(x2, y2).
    TKXTable *Make(int Cols, TRect R = {1000, 1000, 7000, 5000})
    {
        auto *t = lab.NewElement<TKXTable>();
        t->SetP1(R.Left, R.Top);
        t->SetP2(R.Right, R.Bottom);
        for (int i = 0; i < Cols; ++i)
            t->AddColumn();
        return t;
    }
};

// ---------------------------------------------------------------------------------------
// Columns and geometry

TEST_F(Table, NewTableDefaults)
{
    TKXTable *t = Make(0);
    EXPECT_EQ(t->ColCount(), 0);
    EXPECT_EQ(t->TitleText(), "Table Title");
    EXPECT_EQ(t->TableTitle().Height, 1000);
    EXPECT_TRUE(t->TitleVisible());
    EXPECT_EQ(t->GridStyle(), TKXGridStyle::gsBoth);
    EXPECT_EQ(t->ID(), "Table1");
    EXPECT_FALSE(t->HeaderVisible());
    EXPECT_NE(t->Published().Find("EditTable"), nullptr);
    EXPECT_FALSE(t->Published().Find("EditTable")->Set);
}

TEST_F(Table, AddingSettingAndRemovingWidthsKeepTheTotal)
{
    TKXTable *t = Make(1);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{100}));
    t->Columns(0).SetWidth(40); // the only column keeps everything
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{100}));
    t->AddColumn();
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{90, 10}));
    t->AddColumn();
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{80, 10, 10}));
    t->Columns(1).SetWidth(95); // limited to 90: first down to 5, then the third
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{5, 90, 5}));
    t->Columns(1).SetWidth(30); // no other is wider than 5: the first takes the 60 points
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{65, 30, 5}));
    t->Columns(2).SetWidth(10);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{60, 30, 10}));
    t->Columns(0).SetWidth(-20); // at least 5; the points go to the first wider than 5
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{5, 85, 10}));
    t->Columns(1).SetWidth(30);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{5, 30, 65}));
    t->Columns(0).SetWidth(60);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{60, 5, 35}));
    t->RemoveColumn(1);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{65, 35}));

    // A column with its own width takes its points from the others.
    auto c = std::make_unique<TKXColumn>(t);
    c->SetWidth(50);
    EXPECT_EQ(c->Width(), 50);
    t->AddColumn(std::move(c));
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{15, 35, 50}));

    // However many columns come, the widths add up to 100.
    for (int i = 0; i < 25; ++i) {
        t->AddColumn();
        ASSERT_EQ(Total(*t), 100) << i;
    }
    for (int32_t w : Widths(*t))
        EXPECT_GE(w, 0);
    t->Columns(3).SetWidth(100);
    EXPECT_EQ(Total(*t), 100);
    while (t->ColCount() > 0) {
        t->RemoveColumn(t->ColCount() - 1);
        EXPECT_TRUE(t->ColCount() == 0 || Total(*t) == 100);
    }
}

TEST_F(Table, DerivedGeometry)
{
    const struct {
        const char *name;
        int32_t angle;
        TRect rect;
        bool title, footer;
        int32_t rowHeight;
        int32_t rows;
    } cases[] = {
        {"title, header, footer", 0, {0, 0, 10000, 5000}, true, true, 1000, 2},
        {"no title", 0, {0, 0, 10000, 5000}, false, true, 1000, 3},
        {"no footer", 0, {0, 0, 10000, 5000}, true, false, 1000, 3},
        {"turned: the width holds the rows", 90, {0, 0, 10000, 5000}, true, true, 1000, 7},
        {"upside down", 180, {0, 0, 10000, 5000}, true, true, 1000, 2},
        {"rows of zero", 0, {0, 0, 10000, 5000}, true, true, 0, 0},
        {"negative rows", 0, {0, 0, 10000, 5000}, true, true, -100, 0},
        {"too low", 0, {0, 0, 10000, 1500}, true, true, 1000, -1},
    };
    for (const auto &c : cases) {
        TKXTable *t = Make(3, c.rect);
        t->Columns(2).SetWidth(34); // 80, 10, 10 becomes 56, 10, 34
        t->Columns(1).SetWidth(33); // and then 33, 33, 34
        t->Columns(2).SetShowFooter(true);
        t->Columns(2).SetShowFooter(c.footer);
        t->SetTitleVisible(c.title);
        t->SetRowHeight(float(c.rowHeight) / 100.0f);
        t->SetAngle(c.angle);
        EXPECT_EQ(t->Rows(), c.rows) << c.name;
        EXPECT_EQ(t->HeaderH(), 800) << c.name;
        EXPECT_EQ(t->FooterVisible(), c.footer) << c.name;
        const int32_t w = c.angle == 90 ? 5000 : 10000;
        EXPECT_EQ(t->ColumnExtent(), w) << c.name;
        EXPECT_EQ(t->Columns(0).ColWidth, w * 33 / 100) << c.name;
        EXPECT_EQ(t->Columns(1).PosT, w * 33 / 100) << c.name;
        EXPECT_EQ(t->Columns(2).PosT + t->Columns(2).ColWidth, w) << c.name; // the last takes the rest
    }
    // Header heights: the tallest among the columns that show a header.
    TKXTable *t = Make(2);
    t->Columns(1).SetTitleHeight(12);
    EXPECT_EQ(t->HeaderH(), 1200);
    t->Columns(1).SetShowTitle(false);
    EXPECT_EQ(t->HeaderH(), 800);
    t->Columns(0).SetShowTitle(false);
    EXPECT_FALSE(t->HeaderVisible());
    EXPECT_EQ(t->HeaderH(), 0);
    EXPECT_EQ(t->Rows(), 3);
}

// ---------------------------------------------------------------------------------------
// Setters and undo

TEST_F(Table, SettersRecordTheWholeTableForUndo)
{
    TKXTable *t = Make(2);
    t->Columns(0).SetTitle("Qty");
    const int32_t steps = lab.UndoCount();
    t->Columns(0).SetTitle("QTY"); // letter case alone is no change
    t->SetGridStyle(TKXGridStyle::gsBoth);
    EXPECT_EQ(lab.UndoCount(), steps);
    t->Columns(1).SetWidth(10); // recorded even when unchanged
    EXPECT_EQ(lab.UndoCount(), steps + 1);

    EXPECT_THROW(t->RemoveColumn(2), EKxError);
    EXPECT_THROW(t->ExchangeColumns(0, -1), EKxError);
    t->ExchangeColumns(1, 1);
    EXPECT_EQ(lab.UndoCount(), steps + 1);
    EXPECT_EQ(t->ColCount(), 2);

    t->ExchangeColumns(0, 1);
    EXPECT_EQ(t->Columns(1).Title(), "Qty");
    EXPECT_EQ(t->Columns(0).PosT, 0);
    EXPECT_EQ(t->Columns(0).ColWidth, 600);
    t->Columns(1).SetBold(true);
    t->RemoveColumn(0);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{100}));
    lab.UndoRedo(TKXURAction::urUndo);
    ASSERT_EQ(t->ColCount(), 2);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{10, 90}));
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_FALSE(t->Columns(1).Bold());
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(t->Columns(0).Title(), "Qty");
    EXPECT_EQ(t->Columns(0).ColWidth, 5400); // derived values follow the record
    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(t->Columns(1).Title(), "Qty");
}

TEST_F(Table, FieldNameIsCheckedBeforeItChanges)
{
    QObject module;
    auto *lines = new MemoryDataset("Lines", &module);
    lines->AddColumn("QTY", TKXFieldType::ftInteger);
    lines->AddColumn("DAY", TKXFieldType::ftDate);
    lines->AddColumn("NOTE", TKXFieldType::ftString, 20);
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetDetail(lines);
    TKXTable *t = Make(1);
    TKXColumn &c = t->Columns(0);
    c.SetFieldName("DAY");
    EXPECT_EQ(c.BoundName(), "DAY");
    EXPECT_EQ(c.FieldKind, TKXFieldKind::fkTime);
    EXPECT_FALSE(lines->Active()); // opened for the look-up only
    c.SetFieldName("QTY");
    EXPECT_EQ(c.FieldKind, TKXFieldKind::fkNumber);
    c.SetFieldName("NOTE"); // a text keeps the kind it had
    EXPECT_EQ(c.FieldKind, TKXFieldKind::fkNumber);
    const int32_t steps = lab.UndoCount();
    EXPECT_THROW(c.SetFieldName("MISSING"), EKxError);
    EXPECT_EQ(c.BoundName(), "NOTE");
    EXPECT_EQ(lab.UndoCount(), steps);
}

// ---------------------------------------------------------------------------------------
// Records

TKXTable &Sample(TKXCustomLab &lab)
{
    auto *t = lab.NewElement<TKXTable>();
    t->SetP1(500, 600);
    t->SetP2(8500, 6600);
    t->SetTitleText(QString::fromUtf8("Übersicht"));
    t->SetGridStyle(TKXGridStyle::gsVert);
    t->SetDrawTable(TKXDrawTable::dtRows);
    t->SetRowHeight(7.5f);
    t->SetTitleTextAlignment(TAlignment::taRightJustify);
    t->FixedHeight = true;
    TKXColumn &a = t->AddColumn();
    a.SetTitle(QString::fromUtf8("Menge €"));
    a.Format = "0.00";
    a.SetFooterHeight(9);
    a.SetShowFooter(true);
    a.FooterType = TKXFooterType::ftAvg;
    a.FooterUnderline = true;
    TKXColumn &b = t->AddColumn();
    b.SetAlign(TAlignment::taCenter);
    b.SetFontHeight(3.5f);
    b.TitleFontName = "Courier";
    b.SetShowTitle(false);
    b.SetWidth(30);
    return *t;
}

TEST(TableRecord, RoundTripsThroughTheFactory)
{
    TKXCustomLab lab;
    lab.SetCheckBounds(false);
    TKXTable &t = Sample(lab);
    TKXStreamWriter w;
    t.SaveToStream(w);
    EXPECT_EQ(w.Bytes()[0], 9);
    TKXCustomLab other;
    other.SetCheckBounds(false);
    TKXStreamReader r(w.Bytes());
    auto *back = dynamic_cast<TKXTable *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_TRUE(back);
    EXPECT_TRUE(r.AtEnd());
    TKXStreamWriter again;
    back->SaveToStream(again);
    EXPECT_EQ(again.Bytes(), w.Bytes());
    ASSERT_EQ(back->ColCount(), 2);
    EXPECT_EQ(Widths(*back), (std::vector<int32_t>{70, 30}));
    EXPECT_EQ(back->Columns(0).Title(), QString::fromUtf8("Menge €"));
    EXPECT_EQ(back->Columns(0).FooterType, TKXFooterType::ftAvg);
    EXPECT_TRUE(back->Columns(0).FooterUnderline);
    EXPECT_FALSE(back->Columns(0).FooterItalic);
    EXPECT_EQ(back->Columns(1).TitleFontName, "Courier");
    EXPECT_EQ(back->TitleText(), QString::fromUtf8("Übersicht"));
    // The derived geometry is recomputed after reading.
    EXPECT_EQ(back->Columns(1).PosT, 5600);
    EXPECT_EQ(back->FooterH(), 900);
    EXPECT_EQ(back->Rows(), (6000 - 1000 - 800 - 900) / 750);
}

// A version-19 record: lengths in tenths of a millimetre, widths in percent as always.
TEST(TableRecord, Version19LengthsAreTenthsAndWidthsPercent)
{
    zt::ComposedElement e;
    e.Code = 9;
    e.ID = "Table1";
    e.P1x = 0, e.P1y = 0, e.P2x = 600, e.P2y = 400; // tenths
    zt::Bytes bytes = zt::ComposeElement(e, 19, false);
    TKXStreamWriter w;
    w.WriteInt32(0xC0C0C0);
    w.WriteUInt8(3);   // gsBoth
    w.WriteUInt8(0);
    w.WriteInt32(100); // row height
    for (uint8_t b : {1, 0, 0, 0})
        w.WriteUInt8(b);
    w.WriteInt32(50);  // title font height
    w.WriteInt32(100); // title height
    w.WriteInt32(0xC0C0C0);
    w.WriteInt32(0);
    w.WriteUInt8(2);   // centred
    w.WriteUInt8(0);   // columns mode
    WriteWideStr(u"T", w);
    WriteWideStr(u"Arial", w);
    w.WriteInt32(2);
    for (int32_t width : {60, 40}) {
        w.WriteInt32(0xFFFFFF);
        w.WriteInt32(width);
        w.WriteZeros(3);
        w.WriteInt32(40); // font height
        w.WriteInt32(0);
        w.WriteInt32(0xFFFFFF);
        w.WriteInt32(0);
        w.WriteInt32(80); // title height
        w.WriteInt32(40); // title font height
        w.WriteZeros(5);
        w.WriteUInt8(1);  // ShowTitle
        w.WriteUInt8(1);  // ShowFooter
        w.WriteUInt8(0);
        w.WriteInt32(0xFFFFFF);
        w.WriteInt32(0);
        w.WriteZeros(4);
        w.WriteInt32(80); // footer height
        w.WriteInt32(40); // footer font height
        w.WriteUInt8(0);  // ftSum
        WriteWideStr(u"Col", w);
        for (int i = 0; i < 5; ++i)
            WriteAnsiStr("", w);
    }
    bytes.insert(bytes.end(), w.Bytes().begin(), w.Bytes().end());
    TKXCustomLab lab;
    lab.SetCheckBounds(false);
    lab.SetFileVersion(19);
    TKXStreamReader r(bytes);
    auto *t = dynamic_cast<TKXTable *>(TKXElementFactory::ReadElement(r, lab));
    ASSERT_TRUE(t);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(t->RowHeightInternal(), 1000);
    EXPECT_EQ(t->TableTitle().Height, 1000);
    EXPECT_EQ(t->TableTitle().FontHeight, 500);
    EXPECT_EQ(Widths(*t), (std::vector<int32_t>{60, 40}));
    EXPECT_EQ(t->Columns(1).FontHeightInternal(), 400);
    EXPECT_EQ(t->Columns(1).TitleHeightInternal(), 800);
    EXPECT_EQ(t->Columns(1).FooterHeightInternal(), 800);
    EXPECT_EQ(t->Columns(1).FooterFontHeightInternal(), 400);
    EXPECT_EQ(t->Columns(1).PosT, 3600);
    EXPECT_EQ(t->Rows(), 1);
}

// ---------------------------------------------------------------------------------------
// Painting

// A 60 x 40 mm table at (10, 10) mm: 10 mm title, two columns of 50 % with 8 mm headers and
// footers, rows of 10 mm. Text is measured at 100 units a character.
class TablePaint : public Table {
protected:
    zt::RecordingCanvas canvas{100};

    TKXTable *Two()
    {
        TKXTable *t = Make(2);
        t->Columns(1).SetWidth(50);
        for (int i = 0; i < 2; ++i) {
            t->Columns(i).SetShowFooter(true);
            t->Columns(i).SetTitle(QStringLiteral("H%1").arg(i));
        }
        return t;
    }
    bool Has(const std::string &Call) const
    {
        for (const auto &c : canvas.Calls())
            if (c.Text == Call)
                return true;
        return false;
    }
    const zt::RecordedCall *Find(const std::string &Call) const
    {
        for (const auto &c : canvas.Calls())
            if (c.Text == Call)
                return &c;
        return nullptr;
    }
};

TEST_F(TablePaint, DesignSurfaceAtTheFourAngles)
{
    const struct {
        int32_t angle;
        const char *titleBand, *header0, *title, *placeholder0;
    } cases[] = {
        {0, "FillRect(1000,1000,7000,2000)", "FillRect(1000,2000,4000,2800)", "TextOut(3450,1250,\"Table Title\")",
         "TextOut(1020,3100,\"Col-0\")"},
        {90, "FillRect(1000,1000,2000,5000)", "FillRect(2000,3000,2800,5000)", "TextOut(1250,3550,\"Table Title\")",
         "TextOut(3100,4980,\"Col-0\")"},
        {180, "FillRect(1000,4000,7000,5000)", "FillRect(4000,3200,7000,4000)", "TextOut(4550,4750,\"Table Title\")",
         "TextOut(6980,2900,\"Col-0\")"},
        {270, "FillRect(6000,1000,7000,5000)", "FillRect(5200,1000,6000,3000)", "TextOut(6750,2450,\"Table Title\")",
         "TextOut(4900,1020,\"Col-0\")"},
    };
    for (const auto &c : cases) {
        TKXCustomLab fresh;
        fresh.SetCheckBounds(false);
        TKXTable *t = fresh.NewElement<TKXTable>();
        t->SetP1(1000, 1000);
        t->SetP2(7000, 5000);
        t->AddColumn();
        t->AddColumn();
        t->Columns(1).SetWidth(50);
        t->SetAngle(c.angle);
        canvas.Clear();
        t->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
        EXPECT_TRUE(Has(c.titleBand)) << c.angle;
        EXPECT_TRUE(Has(c.header0)) << c.angle;
        const zt::RecordedCall *title = Find(c.title);
        ASSERT_TRUE(title) << c.angle;
        EXPECT_EQ(title->Font.Escapement, c.angle * 10);
        EXPECT_EQ(title->Font.Height, 500);
        const zt::RecordedCall *ph = Find(c.placeholder0);
        ASSERT_TRUE(ph) << c.angle;
        EXPECT_EQ(ph->Font.Escapement, c.angle * 10);
    }
}

TEST_F(TablePaint, BandsGridAndFooterPlaceholders)
{
    TKXTable *t = Two();
    t->SetTransparent(false);
    t->Columns(1).SetAlign(TAlignment::taRightJustify);
    t->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
    EXPECT_EQ(t->Rows(), 1);
    // Column stripes, header cells, placeholders and footers.
    EXPECT_TRUE(Has("FillRect(1000,1000,4000,5000)"));
    EXPECT_TRUE(Has("FillRect(4000,2000,7000,2800)"));
    EXPECT_TRUE(Has("TextOut(1020,2200,\"H0\")"));
    EXPECT_TRUE(Has("TextOut(6480,3100,\"Col-1\")")); // right: 7000 - 20 - 500
    EXPECT_TRUE(Has("FillRect(1000,4200,4000,5000)"));
    EXPECT_TRUE(Has("TextOut(4020,4400,\"Foot-1\")"));
    // Grid: column lines below the title, no line at the top or under the header.
    const auto lines = canvas.Texts("LineTo");
    EXPECT_EQ(lines, (std::vector<std::string>{"LineTo(1000,5000)", "LineTo(4000,5000)", "LineTo(7000,5000)",
                                               "LineTo(7000,3800)", "LineTo(7000,5000)"}));
    EXPECT_TRUE(Has("MoveTo(1000,2000)"));
    EXPECT_FALSE(Has("MoveTo(1000,1000)"));

    // Without a title the top line comes; a transparent table has no frame.
    t->SetTitleVisible(false);
    t->SetTransparent(true);
    t->SetGridStyle(TKXGridStyle::gsHorz);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
    EXPECT_TRUE(Has("MoveTo(1000,1000)"));
    EXPECT_FALSE(Has("Rectangle(1000,1000,7000,5000)"));
    EXPECT_TRUE(Has("FillRect(1000,4200,4000,5000)"));
}

TEST_F(TablePaint, RowsModeStaysInsideTheTable)
{
    TKXTable *t = Make(1);
    t->SetTransparent(false);
    t->SetDrawTable(TKXDrawTable::dtRows);
    t->SetRowColor(0x111111);
    t->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
    // Title 10 mm and header 8 mm: bands from 18 mm, the last one cut at the bottom.
    EXPECT_EQ(canvas.Texts("FillRect(1000,"),
              (std::vector<std::string>{"FillRect(1000,2800,7000,3800)", "FillRect(1000,3800,7000,4800)",
                                        "FillRect(1000,4800,7000,5000)", "FillRect(1000,1000,7000,2000)",
                                        "FillRect(1000,2000,7000,2800)"}));
    EXPECT_EQ(Find("FillRect(1000,3800,7000,4800)")->Brush.Color, 0xFFFFFFu);
    EXPECT_EQ(Find("FillRect(1000,4800,7000,5000)")->Brush.Color, 0x111111u);
    // A row height of 0 draws no band and ends.
    t->SetRowHeight(0);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    EXPECT_EQ(canvas.Texts("FillRect(1000,2800").size(), 0u);
}

class TableData : public TablePaint {
protected:
    QObject module;
    MemoryDataset *lines = nullptr;

    TableData()
    {
        lines = new MemoryDataset("Lines", &module);
        lab.SetDataMod(&module);
        lab.SetLinkData(true);
    }
    void Bind()
    {
        lab.SetDetail(lines);
        lines->Open();
    }
    std::vector<std::string> TextsAt(int32_t Y)
    {
        std::vector<std::string> out;
        for (const auto &c : canvas.Calls())
            if (c.Text.rfind("TextOut(", 0) == 0 && c.Text.find("," + std::to_string(Y) + ",") != std::string::npos)
                out.push_back(c.Text.substr(c.Text.find('"')));
        return out;
    }
};

TEST_F(TableData, ShowsTheFirstRowsAndAggregatesAll)
{
    lines->AddColumn("QTY", TKXFieldType::ftInteger);
    lines->AddColumn("PRICE", TKXFieldType::ftFloat);
    for (int i = 1; i <= 25; ++i)
        lines->AddRow({i, i * 0.5});
    TKXTable *t = Two();
    t->SetP2(7000, 14000); // room for 10 rows
    lab.SetDetail(lines);
    t->Columns(0).SetFieldName("QTY");
    t->Columns(0).FooterType = TKXFooterType::ftSum;
    t->Columns(1).SetFieldName("PRICE");
    t->Columns(1).Format = "0.00";
    t->Columns(1).FooterType = TKXFooterType::ftMax;
    lines->Open();
    ASSERT_EQ(t->Rows(), 10);
    t->Draw(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    EXPECT_EQ(TextsAt(3100), (std::vector<std::string>{"\"1\")", "\"0.50\")"}));
    EXPECT_EQ(TextsAt(3100 + 9 * 1000), (std::vector<std::string>{"\"10\")", "\"5.00\")"}));
    EXPECT_EQ(canvas.Texts("TextOut").size(), 1u + 2 + 20 + 2);
    EXPECT_EQ(TextsAt(13400), (std::vector<std::string>{"\"325\")", "\"12.50\")"}));
    EXPECT_TRUE(lines->Eof());

    // The design surface shows placeholders whatever is bound, and leaves the sums alone.
    canvas.Clear();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
    EXPECT_EQ(TextsAt(13400), (std::vector<std::string>{"\"Foot-0\")", "\"Foot-1\")"}));
    EXPECT_EQ(t->Columns(0).FooterInt, 325);
    // Not printed: nothing drawn.
    t->SetPrint(false);
    canvas.Clear();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdPreview, TKXFillType::ftNone);
    EXPECT_TRUE(canvas.Calls().empty());
}

TEST_F(TableData, MissingFieldsShowADashAndTheRestIsDrawn)
{
    lines->AddColumn("QTY", TKXFieldType::ftInteger);
    lines->AddRow({7});
    TKXTable *t = Two();
    t->Columns(0).SetFieldName("GONE"); // no detail yet: taken as it is
    t->Columns(1).SetFieldName("QTY");
    t->Columns(1).FooterType = TKXFooterType::ftSum;
    Bind();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    EXPECT_EQ(TextsAt(3100), (std::vector<std::string>{"\"-\")", "\"7\")"}));
    EXPECT_EQ(TextsAt(4400), (std::vector<std::string>{"\"-\")", "\"7\")"}));
    EXPECT_EQ(canvas.Texts("LineTo").size(), 5u);
}

// A date column keeps its date format after a reload: the kind follows the field's type.
TEST_F(TableData, KindOfValuesFollowsTheFieldAfterAReload)
{
    lines->AddColumn("DAY", TKXFieldType::ftDate);
    lines->AddRow({EncodeDateTime(2024, 3, 1)});
    TKXTable *t = Make(1);
    lab.SetDetail(lines);
    t->Columns(0).SetFieldName("DAY");
    t->Columns(0).Format = "yyyy-mm-dd";
    TKXStreamWriter w;
    t->SaveToStream(w);
    TKXStreamReader r(w.Bytes());
    r.ReadUInt8();
    t->LoadFromStream(r);
    EXPECT_EQ(t->Columns(0).FieldKind, TKXFieldKind::fkFloat); // not stored
    lines->Open();
    t->Draw(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    EXPECT_EQ(TextsAt(3100), (std::vector<std::string>{"\"2024-03-01\")"}));
}

TEST_F(TableData, FooterAggregates)
{
    const QVariant null;
    const double d1 = EncodeDateTime(2024, 3, 1), d2 = EncodeDateTime(2023, 12, 24);
    const struct {
        const char *name;
        TKXFieldType type;
        QVariantList values;
        TKXFooterType footer;
        const char *format;
        const char *shown;
    } cases[] = {
        {"whole average", TKXFieldType::ftInteger, {10, 15}, TKXFooterType::ftAvg, "", "\"12\")"},
        {"float average", TKXFieldType::ftFloat, {10.0, 15.0}, TKXFooterType::ftAvg, "0.00", "\"12.50\")"},
        {"maximum of negatives", TKXFieldType::ftInteger, {-5, -3}, TKXFooterType::ftMax, "", "\"-3\")"},
        {"minimum", TKXFieldType::ftInteger, {4, 9}, TKXFooterType::ftMin, "", "\"4\")"},
        {"float minimum", TKXFieldType::ftFloat, {4.5, -9.25}, TKXFooterType::ftMin, "", "\"-9.25\")"},
        {"float sum, general format", TKXFieldType::ftFloat, {1.5, 2.25}, TKXFooterType::ftSum, "", "\"3.75\")"},
        {"count", TKXFieldType::ftInteger, {1, 2, 3}, TKXFooterType::ftCount, "", "\"3\")"},
        {"nulls are counted but not averaged", TKXFieldType::ftInteger, {1, null, 3}, TKXFooterType::ftAvg, "", "\"2\")"},
        {"count with nulls", TKXFieldType::ftInteger, {1, null, 3}, TKXFooterType::ftCount, "", "\"3\")"},
        {"empty average", TKXFieldType::ftInteger, {}, TKXFooterType::ftAvg, "", "\"\")"},
        {"empty float average", TKXFieldType::ftFloat, {}, TKXFooterType::ftAvg, "0.00", "\"\")"},
        {"empty maximum", TKXFieldType::ftInteger, {}, TKXFooterType::ftMax, "", "\"\")"},
        {"empty sum", TKXFieldType::ftInteger, {}, TKXFooterType::ftSum, "", "\"0\")"},
        {"empty count", TKXFieldType::ftFloat, {}, TKXFooterType::ftCount, "", "\"0\")"},
        {"latest date", TKXFieldType::ftDate, {d1, d2}, TKXFooterType::ftMax, "yyyy-mm-dd", "\"2024-03-01\")"},
        {"earliest date", TKXFieldType::ftDate, {d1, d2}, TKXFooterType::ftMin, "yyyy-mm-dd", "\"2023-12-24\")"},
        {"no sum of dates", TKXFieldType::ftDate, {d1, d2}, TKXFooterType::ftSum, "yyyy-mm-dd", "\"\")"},
    };
    for (const auto &c : cases) {
        TKXCustomLab doc;
        doc.SetCheckBounds(false);
        QObject dm;
        auto *ds = new MemoryDataset("Lines", &dm);
        ds->AddColumn("V", c.type);
        for (const QVariant &v : c.values)
            ds->AddRow({v});
        doc.SetDataMod(&dm);
        doc.SetLinkData(true);
        doc.SetDetail(ds);
        auto *t = doc.NewElement<TKXTable>();
        t->SetP1(1000, 1000);
        t->SetP2(7000, 5000);
        TKXColumn &col = t->AddColumn();
        col.SetFieldName("V");
        col.SetShowFooter(true);
        col.FooterType = c.footer;
        col.Format = c.format;
        ds->Open();
        canvas.Clear();
        t->Draw(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
        EXPECT_EQ(TextsAt(4400), (std::vector<std::string>{c.shown})) << c.name;
    }
}

// Pixels through the real canvas at 254 dpi (10 units a pixel): fills, grid and title text.
TEST_F(TablePaint, PrintedPixels)
{
    zt::RequireGuiApp();
    TKXTable *t = Two();
    t->SetTransparent(false);
    t->SetPenWidth(0.5f);
    t->SetGridColor(0);
    t->SetTitleFontHeight(6);
    QImage img(800, 600, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000);
    img.setDotsPerMeterY(10000);
    img.fill(Qt::white);
    {
        TKXQtCanvas qc(&img);
        t->Draw(qc, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    }
    auto grey = [&](int x, int y) { return qGray(img.pixel(x, y)); };
    EXPECT_EQ(grey(50, 50), 255);          // outside
    EXPECT_NEAR(grey(150, 150), 192, 2);   // title band
    EXPECT_EQ(grey(200, 330), 255);        // data row of a white column
    EXPECT_LT(grey(400, 330), 64);         // line between the columns
    EXPECT_LT(grey(200, 380), 64);         // line under the one data row
    EXPECT_LT(grey(200, 498), 64);         // bottom line
    EXPECT_GT(grey(400, 150), 128);        // no column line through the title
    int dark = 0;
    for (int y = 110; y < 190; ++y)
        for (int x = 300; x < 500; ++x)
            dark += grey(x, y) < 96;
    EXPECT_GT(dark, 100); // the title's text
}

} // namespace
