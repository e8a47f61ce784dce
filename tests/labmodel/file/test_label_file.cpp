// The label file: fixtures written by the independent composer (tests/support) for every
// layout the reader knows, round trips, and streams that must fail cleanly.
#include "document/KXElementFactory.h"
#include "elements/KXParagraph.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "file/KXLabelFile.h"
#include "GuiApp.h"
#include "platform/KXMetafile.h"
#include "print/KXPrintRun.h"
#include "LabelFileComposer.h"
#include "MemoryDataset.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"
#include "TestElements.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

#include <sys/resource.h>

using namespace kx;
using zt::Bytes;
using zt::ComposedElement;
using zt::ComposedLabel;
using zt::ComposeLabel;

namespace {

// The asked text's code with a plain record, to see which kind a version-18 code creates.
using TestAsk = zt::TestKind<TKXData, TKXEle::deAskText, TKXSelType::stPoint>;

class LabelFile : public ::testing::Test {
protected:
    LabelFile() { kinds.Set<TestAsk>(TKXEle::deAskText); }
    zt::TestKinds kinds;

    static void Load(TKXCustomLab &lab, const Bytes &b, bool Preview = false)
    {
        TKXStreamReader r(b);
        lab.LoadLabStream(r, Preview);
    }
    static Bytes Save(TKXCustomLab &lab)
    {
        TKXStreamWriter w;
        lab.SaveToStream(w);
        return w.Bytes();
    }
    static ComposedElement Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const std::string &id)
    {
        ComposedElement e;
        e.Code = 4;
        e.P1x = x1, e.P1y = y1, e.P2x = x2, e.P2y = y2;
        e.ID = id;
        return e;
    }
    static ComposedElement Text(int32_t x, int32_t y, const std::string &id, uint8_t code = 2)
    {
        ComposedElement e;
        e.Code = code;
        e.P1x = x, e.P1y = y, e.P2x = -1, e.P2y = -1;
        e.ID = id;
        e.HasData = true;
        return e;
    }
    // A current-version label with something in every field.
    static ComposedLabel Rich()
    {
        ComposedLabel L;
        L.BackFile = u"";
        L.Dataset = u"Customers";
        L.Detail = u"Orders";
        L.ExtFileType = 3, L.ExtSeparator = 1, L.ExtHasHeader = 0;
        L.ExtFileName = u"/data/list.csv", L.ExtTableName = u"list", L.ExtTableDisplay = u"List Ñ";
        L.ExtSaveFields = 1;
        L.Fields = {{u"NAME", u"Name", 0, 1}, {u"BORN", u"Born", 1, 7}};
        L.LabelName = u"Shipping 100x50", L.PaperName = u"A4";
        L.Snap = 1, L.Units = 2, L.Access = 2;
        L.Width = 10000, L.Height = 5000, L.MarLeft = 450, L.MarTop = 1300, L.DiHor = 250, L.DiVer = 0;
        L.NuHor = 5, L.NuVer = 2, L.PaperWidth = 21000, L.PaperHeight = 29700, L.InnerCircle = 0;
        L.TitleFontHeight = 420, L.TitleFontColor = 0x123456, L.TitleX = 1500, L.TitleY = 800, L.TitlePrint = 1;
        L.TitleFontName = "Courier New", L.TitleText = u"Page title \u20AC";
        L.BackColor = 0xEEEEEE, L.BackToColor = 0x00FF00, L.AlignColor = 0xFF0000, L.BackStyle = 2;
        L.AlignX = 3000, L.AlignY = 1200, L.ShowAlign = 1, L.BackPrint = 1;
        L.GridColor = 0xC0C0C0, L.IncX = 125, L.IncY = 250, L.GridShow = 1, L.ShowMargins = 1, L.SelColor = 0xFF;
        L.FrameColor = 0x0000FF, L.Dist1 = 50, L.Dist2 = 120, L.Radio = 300, L.FrameStyle = 2, L.FramePen = 20;
        L.LinkData = 1;
        L.NumLabs = 12, L.MarginColor = 0xABCDEF, L.FirstLab = 1, L.LastLab = 0;
        L.PaperSize = 256, L.Orientation = 1;
        L.PrinterIndex = 2, L.PrinterName = u"PDF", L.FieldRepetition = "COPIES", L.Continous = 1;
        L.Counters = {{1, 500, 100, 5, 7, -1, "0000", "Serial"}, {-10, 10, 3, -2, -1, 99, "", "Down"}};
        ComposedElement box = Box(3500, 1800, 6500, 3200, "Rectangle1"); // centred already
        box.OP1x = 7, box.OP2y = 9, box.DesignWidth = 1234, box.TrX = 1.5f, box.PadX = 20, box.EleAlign = 9;
        ComposedElement text = Text(500, 600, "Text7");
        text.FieldName = "NAME", text.Data = 1, text.FontHeight = 350, text.Charset = 1, text.CharWidth = 90;
        L.Elements = {box, text};
        return L;
    }
};

TEST_F(LabelFile, NewDocumentWritesTheCurrentLayoutFromTheFirstByte)
{
    TKXCustomLab lab;
    const Bytes b = Save(lab);
    // 2811; fields 2 to 5 empty; field 6 empty; efNone, esComa, header row; three empty
    // texts; no field list.
    const Bytes first = {0xFB, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                         0,    0,    0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_GE(b.size(), first.size());
    EXPECT_EQ(Bytes(b.begin(), b.begin() + first.size()), first);
    // The rest as the format's table has it for a new document's settings.
    EXPECT_EQ(b, ComposeLabel(ComposedLabel{}));
    // And it reads back to the same.
    TKXCustomLab back;
    Load(back, b);
    EXPECT_EQ(TKXLabelFile::Capture(back), TKXLabelFile::Capture(lab));
}

TEST_F(LabelFile, CurrentFileLoadsAndSavesByteIdentical)
{
    const Bytes file = ComposeLabel(Rich());
    {
        TKXCustomLab lab;
        Load(lab, file);
        EXPECT_EQ(Save(lab), file);
        EXPECT_EQ(lab.ElementCount(), 2);
        EXPECT_EQ(lab.Measure()->WidthInternal(), 10000);
        EXPECT_EQ(lab.Measure()->NuHor(), 5);
        EXPECT_EQ(lab.Measure()->LabelName(), "Shipping 100x50");
        EXPECT_EQ(lab.Title()->Text(), QString::fromUtf16(u"Page title \u20AC"));
        EXPECT_EQ(lab.Units(), TKXUnits::unCM);
        EXPECT_EQ(lab.ExtTableDisplay(), QString::fromUtf16(u"List Ñ"));
        EXPECT_EQ(lab.ExtSeparator(), TKXExtSeparator::esPuntoyComa);
        EXPECT_EQ(lab.PrintInfo()->PrinterName(), "PDF");
        EXPECT_EQ(lab.CounterCount(), 2);
        EXPECT_EQ(lab.GetCounter(2)->Name, "Down");
        EXPECT_EQ(lab.GetCounter(1)->Step, 5);
        ASSERT_EQ(lab.Datasets().Count(), 1);
        EXPECT_EQ(lab.Datasets().Items(0)->Fields().Count(), 2);
        EXPECT_EQ(lab.Datasets().Items(0)->Caption, QString::fromUtf16(u"List Ñ"));
        EXPECT_EQ(lab.DatasetName(), "Customers");
        EXPECT_FALSE(lab.Modified());
        auto *text = dynamic_cast<zt::TestText *>(lab.GetElement(2));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->ID(), "Text7");
        EXPECT_EQ(text->BoundName(), "NAME");
        EXPECT_EQ(text->CharWidth(), 90);
        EXPECT_EQ(lab.GetElement(1)->DesignWidth(), 1234);
    }
    {
        // With an editor the editor block goes to the editor and comes back from it.
        TKXCustomLab lab;
        zt::FakeDesignerServices ed(lab);
        Load(lab, file);
        EXPECT_EQ(ed.Snap, TKXSnap::snGrid);
        EXPECT_EQ(ed.Grid.IncX, 125);
        EXPECT_TRUE(ed.Grid.Show);
        EXPECT_EQ(Save(lab), file);
    }
}

TEST_F(LabelFile, SaveThenLoadGivesAnEqualDocument)
{
    TKXCustomLab lab;
    lab.Measure()->SetWidth(80.0f);
    lab.Title()->SetText(QStringLiteral("Ünïcode ✓"));
    lab.BackSurf()->SetShowAlign(true);
    lab.SetShowMargins(true);
    lab.SetExtFileName(QStringLiteral("/tmp/x.xlsx"));
    auto *box = lab.NewElement<zt::TestBox>();
    box->SetPoints({100, 200}, {900, 700});
    box->SetExtraState({1, 2}, {3, 4}, 55, 66);
    auto *text = lab.NewElement<zt::TestText>();
    text->SetPoints({10, 20}, {-1, -1});
    text->SetFontName(QStringLiteral("Times"));
    const Bytes saved = Save(lab);

    TKXCustomLab back;
    Load(back, saved);
    EXPECT_EQ(TKXLabelFile::Capture(back), TKXLabelFile::Capture(lab));
    ASSERT_EQ(back.ElementCount(), 2);
    for (int i = 1; i <= 2; ++i) {
        TKXStreamWriter a, b;
        lab.GetElement(i)->SaveToStream(a);
        back.GetElement(i)->SaveToStream(b);
        EXPECT_EQ(a.Bytes(), b.Bytes()) << "element " << i;
    }
    EXPECT_TRUE(back.BackSurf()->ShowAlign());
    EXPECT_TRUE(back.ShowMargins());
}

// Mended: a label written without an editor holds zeros for the editor's settings, and
// read with an editor it gave the editor a grid step of 0 (no keyboard moves, no grid) and
// a black grid and selection. The editor keeps its own settings.
TEST_F(LabelFile, WrittenWithoutAnEditorReadWithOneKeepsTheEditorsSettings)
{
    TKXCustomLab plain;
    const Bytes b = Save(plain);
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    ed.Snap = TKXSnap::snGrid;
    ed.Grid = {0x123456, 500, 700, true};
    ed.SelColor = 0x00FF00;
    Load(lab, b);
    EXPECT_EQ(ed.Snap, TKXSnap::snGrid);
    EXPECT_EQ(ed.Grid.Color, 0x123456u);
    EXPECT_EQ(ed.Grid.IncX, 500);
    EXPECT_EQ(ed.Grid.IncY, 700);
    EXPECT_TRUE(ed.Grid.Show);
    EXPECT_EQ(ed.SelColor, 0x00FF00u);
}

// Mended: stored grid steps went to the editor unchecked. A step outside the grid's limits
// (100 units up to half the label's side, 100 winning) is brought within them; a step of 0
// or less keeps the editor's. The rest of the block is taken as stored.
TEST_F(LabelFile, StoredGridStepsAreKeptWithinTheGridsLimits)
{
    const struct {
        int32_t IncX, IncY;  // stored
        int32_t WantX, WantY; // on the 6000 x 3500 label, the editor's steps being 1000
    } cases[] = {
        {250, 400, 250, 400},
        {5, 99999, 100, 1750},
        {0, 0, 1000, 1000}, // with the colour below the block is not all zeros
        {-300, 3000, 1000, 1750},
    };
    for (const auto &c : cases) {
        ComposedLabel L;
        L.IncX = c.IncX;
        L.IncY = c.IncY;
        L.GridColor = 0x0000FF;
        TKXCustomLab lab;
        zt::FakeDesignerServices ed(lab);
        ed.Grid = {0xEEEEEE, 1000, 1000, false};
        Load(lab, ComposeLabel(L));
        EXPECT_EQ(ed.Grid.IncX, c.WantX) << c.IncX;
        EXPECT_EQ(ed.Grid.IncY, c.WantY) << c.IncY;
        EXPECT_EQ(ed.Grid.Color, 0x0000FFu);
    }
}

// Mended: ShowAlign and ShowMargins were read and dropped, so the next save lost them.
TEST_F(LabelFile, ShowAlignAndShowMarginsAreKept)
{
    ComposedLabel L;
    L.ShowAlign = 1;
    L.ShowMargins = 1;
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    EXPECT_TRUE(lab.BackSurf()->ShowAlign());
    EXPECT_TRUE(lab.ShowMargins());
    EXPECT_EQ(Save(lab), ComposeLabel(L));
}

TEST_F(LabelFile, Version19IsScaledFromTenthsWithItsExceptions)
{
    ComposedLabel L;
    L.Version = 19;
    L.Access = 1; // the dataset before version 20
    L.Width = 600, L.Height = 350, L.MarLeft = 50, L.MarTop = 100, L.DiHor = 40, L.DiVer = 30;
    L.NuHor = 7, L.NuVer = 3;
    L.PaperWidth = 2100, L.PaperHeight = 2970, L.InnerCircle = 12;
    L.TitleFontHeight = 50, L.TitleFontColor = 0x0000FF, L.TitleX = 123, L.TitleY = 456;
    L.AlignX = 20, L.AlignY = 15;
    L.IncX = 10, L.IncY = 25;
    L.Dist1 = 5, L.Dist2 = 10, L.Radio = 3, L.FramePen = 1;
    L.NumLabs = 4, L.FirstRow = 2, L.FirstCol = 3;
    ComposedElement box = Box(10, 20, 30, 40, "Rectangle1");
    box.PenWidth = 2, box.TextD = 7;
    ComposedElement text = Text(11, 12, "Text1");
    text.FontHeight = 50, text.Charset = 2;
    L.Elements = {box, text};

    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    const Bytes file = ComposeLabel(L);
    TKXStreamReader r(file);
    lab.LoadFromStream(r, false);
    EXPECT_EQ(lab.FileVersion(), 19);
    const TKXMeasure &m = *lab.Measure();
    EXPECT_EQ(m.WidthInternal(), 6000);
    EXPECT_EQ(m.HeightInternal(), 3500);
    EXPECT_EQ(m.MarLeftInternal(), 500);
    EXPECT_EQ(m.MarTopInternal(), 1000);
    EXPECT_EQ(m.DiHorInternal(), 400);
    EXPECT_EQ(m.DiVerInternal(), 300);
    EXPECT_EQ(m.PaperWidthInternal(), 21000);
    EXPECT_EQ(m.PaperHeightInternal(), 29700);
    EXPECT_EQ(m.InnerCircleInternal(), 120);
    EXPECT_EQ(m.NuHor(), 7); // counts stay
    EXPECT_EQ(m.NuVer(), 3);
    EXPECT_EQ(lab.Title()->FontHeightInternal(), 500);
    EXPECT_EQ(lab.Title()->FontColor(), 0x0000FFu);
    EXPECT_EQ(lab.Title()->PositionInternal(), (TPoint{123, 456})); // never scaled
    EXPECT_EQ(lab.BackSurf()->AlignXInternal(), 200);
    EXPECT_EQ(lab.BackSurf()->AlignYInternal(), 150);
    EXPECT_EQ(ed.Grid.IncX, 100);
    EXPECT_EQ(ed.Grid.IncY, 250);
    EXPECT_EQ(lab.Frame()->Dist1Internal(), 50);
    EXPECT_EQ(lab.Frame()->Dist2Internal(), 100);
    EXPECT_EQ(lab.Frame()->RadioInternal(), 30);
    EXPECT_EQ(lab.Frame()->PenWidthInternal(), 10);
    EXPECT_EQ(lab.PrintInfo()->NumLabs(), 4); // print settings stay
    EXPECT_EQ(lab.PrintInfo()->FirstRow(), 2);
    EXPECT_EQ(lab.PrintInfo()->FirstCol(), 3);
    EXPECT_EQ(lab.DataAccessType(), TKXDataAccessType::daDataSet);
    ASSERT_EQ(lab.ElementCount(), 2);
    const TKXElement &e = *lab.GetElement(1);
    EXPECT_EQ(e.P1(), (TPoint{100, 200}));
    EXPECT_EQ(e.P2(), (TPoint{300, 400}));
    EXPECT_FLOAT_EQ(e.PenWidth(), 0.2f);
    EXPECT_EQ(e.TextD(), 70);
    EXPECT_EQ(e.EleAlign(), TKXEleAlign::eaNone); // not stored before version 20
    auto &t = dynamic_cast<zt::TestText &>(*lab.GetElement(2));
    EXPECT_EQ(t.FontHeightInternal(), 500);
    EXPECT_EQ(t.Charset(), 2);

    // Before version 20 the access type 0 was the alias.
    L.Access = 0;
    TKXCustomLab alias;
    Load(alias, ComposeLabel(L));
    EXPECT_EQ(alias.DataAccessType(), TKXDataAccessType::daBDEAlias);
    // LoadLabStream starts printing at the first place of the sheet.
    EXPECT_EQ(alias.PrintInfo()->FirstRow(), 1);
}

TEST_F(LabelFile, Version18ThumbnailAndTypeRemap)
{
    for (bool thumb : {false, true}) {
        SCOPED_TRACE(thumb ? "with thumbnail" : "without thumbnail");
        ComposedLabel L;
        L.Version = 18;
        L.Thumbnail = thumb;
        L.Width = 500;
        // In version 18 code 12 was the asked text.
        L.Elements = {Text(10, 10, "Ask1", 12), Box(1, 2, 3, 4, "Rectangle1")};
        TKXCustomLab lab;
        Load(lab, ComposeLabel(L));
        EXPECT_EQ(lab.Measure()->WidthInternal(), 5000);
        ASSERT_EQ(lab.ElementCount(), 2);
        EXPECT_EQ(lab.GetElement(1)->ElementType(), TKXEle::deAskText);
        EXPECT_EQ(lab.GetElement(1)->ID(), "Ask1");
        EXPECT_EQ(lab.GetElement(2)->P2(), (TPoint{30, 40}));
    }
    // Code 10 named a kind that no longer exists.
    ComposedLabel L;
    L.Version = 18;
    L.Elements = {Text(10, 10, "Gone", 10)};
    TKXCustomLab lab;
    EXPECT_THROW(Load(lab, ComposeLabel(L)), EKxError);
    EXPECT_EQ(lab.ElementCount(), 0);
    // In any other version 10 is the asked text and 12 a grid layout.
    L.Version = 19;
    TKXCustomLab v19;
    Load(v19, ComposeLabel(L));
    EXPECT_EQ(v19.GetElement(1)->ElementType(), TKXEle::deAskText);
}

TEST_F(LabelFile, Version17AlwaysCarriesABitmap)
{
    ComposedLabel L;
    L.Version = 17;
    L.TitleText = u"Old";
    L.Elements = {Box(1, 2, 3, 4, "Rectangle1")};
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    EXPECT_EQ(lab.Title()->Text(), "Old");
    EXPECT_EQ(lab.Title()->FontColor(), 0u); // no colour before version 19
    ASSERT_EQ(lab.ElementCount(), 1);
    EXPECT_EQ(lab.GetElement(1)->P1(), (TPoint{10, 20}));

    // A thumbnail that is not a bitmap file image cannot be skipped.
    Bytes b = ComposeLabel(L);
    const Bytes bmp = zt::BitmapFile(3, 2);
    auto at = std::search(b.begin(), b.end(), bmp.begin(), bmp.end());
    ASSERT_NE(at, b.end());
    at[0] = 'X';
    TKXCustomLab bad;
    EXPECT_THROW(Load(bad, b), EKxError);
}

TEST_F(LabelFile, OldestLayoutWithWideTexts)
{
    ComposedLabel L;
    L.OldLayout = true;
    L.Version = 17;
    L.BackFile = u"";
    L.Dataset = u"Stock";
    L.LabelName = u"Shelf \u0100";
    L.PaperName = u"Letter";
    L.TitleText = u"Wide title";
    L.Width = 700;
    L.Elements = {Box(1, 2, 3, 4, "Rectangle1")};
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    EXPECT_EQ(lab.FileVersion(), 17);
    EXPECT_EQ(lab.Measure()->LabelName(), QString::fromUtf16(u"Shelf \u0100"));
    EXPECT_EQ(lab.Measure()->PaperName(), "Letter");
    EXPECT_EQ(lab.DatasetName(), "Stock");
    EXPECT_EQ(lab.Title()->Text(), "Wide title");
    EXPECT_EQ(lab.Measure()->WidthInternal(), 7000);
    EXPECT_EQ(lab.ElementCount(), 1);
    // Saved again it is a current file.
    const Bytes again = Save(lab);
    EXPECT_EQ(again[0], 0xFB);
    TKXCustomLab back;
    Load(back, again);
    EXPECT_EQ(TKXLabelFile::Capture(back), TKXLabelFile::Capture(lab));
}

TEST_F(LabelFile, OldestLayoutWithAnsiTexts)
{
    ComposedLabel L;
    L.OldLayout = true;
    L.AnsiTexts = true;
    L.Version = 17;
    L.LabelName = u"Etiqueta 1";
    L.PaperName = u"A4";
    L.TitleText = u"Ansi title";
    L.Elements = {Box(1, 2, 3, 4, "Rectangle1")};
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    EXPECT_EQ(lab.Measure()->LabelName(), "Etiqueta 1");
    EXPECT_EQ(lab.Measure()->PaperName(), "A4");
    EXPECT_EQ(lab.Title()->Text(), "Ansi title");
    EXPECT_EQ(lab.ElementCount(), 1);
}

// Versions 2700, 2800 and 2810: what each adds to the header and to record E.
TEST_F(LabelFile, Versions2700To2810)
{
    struct Case {
        int32_t Version;
        bool Detail, Printer, Ext;
    };
    for (const Case c : {Case{2700, true, false, false}, Case{2800, true, true, false}, Case{2810, true, true, true}}) {
        SCOPED_TRACE(c.Version);
        ComposedLabel L = Rich();
        L.Version = c.Version;
        TKXCustomLab lab;
        Load(lab, ComposeLabel(L));
        EXPECT_EQ(lab.DetailName(), c.Detail ? "Orders" : "");
        EXPECT_EQ(lab.PrintInfo()->PrinterName(), c.Printer ? "PDF" : "");
        EXPECT_EQ(lab.PrintInfo()->PrinterIndex(), c.Printer ? 2 : -99);
        EXPECT_EQ(lab.PrintInfo()->ContinousPaper(), c.Printer);
        EXPECT_EQ(lab.ExtFileName(), c.Ext ? "/data/list.csv" : "");
        EXPECT_EQ(lab.ExtSaveFileds(), c.Ext);
        EXPECT_EQ(lab.Datasets().Count(), c.Ext ? 1 : 0);
        EXPECT_EQ(lab.CounterCount(), 2);
        ASSERT_EQ(lab.ElementCount(), 2);
        lab.SetUnits(TKXUnits::unMM);
        auto &box = dynamic_cast<zt::TestBox &>(*lab.GetElement(1));
        EXPECT_EQ(box.OP1(), (TPoint{c.Printer ? 7 : 0, 0}));
        EXPECT_EQ(box.DesignWidth(), c.Printer ? 1234 : 0);
        EXPECT_FLOAT_EQ(box.PaddingX(), 0.2f);
        EXPECT_EQ(box.EleAlign(), TKXEleAlign::eaCenterCenter);
        EXPECT_EQ(dynamic_cast<zt::TestText &>(*lab.GetElement(2)).CharWidth(), c.Printer ? 90 : 0);
    }
}

// ---------------------------------------------------------------------------------------
// Streams that must fail

class LoadFailure : public LabelFile {
protected:
    // A document with settings and an element of its own; a failed load must leave it empty
    // with those settings.
    void ExpectCleanFailure(const Bytes &b)
    {
        TKXCustomLab lab;
        lab.Measure()->SetWidth(77.77f);
        lab.Title()->SetText(QStringLiteral("before"));
        lab.NewElement<zt::TestBox>();
        try {
            Load(lab, b);
            ADD_FAILURE() << "loaded " << b.size() << " bytes";
        } catch (const EKxError &e) {
            EXPECT_STREQ(e.what(), "ERROR READING FILE");
        }
        EXPECT_EQ(lab.ElementCount(), 0);
        EXPECT_EQ(lab.Measure()->WidthInternal(), 7777);
        EXPECT_EQ(lab.Title()->Text(), "before");
        EXPECT_EQ(lab.CounterCount(), 0);
        EXPECT_EQ(lab.FileVersion(), TKXCustomLab::CurrentVersion);
        EXPECT_EQ(lab.ElementsAfected(), 1);
        EXPECT_EQ(lab.UndoCount(), 0);
    }
};

TEST_F(LoadFailure, TruncatedAtEveryLength)
{
    ComposedLabel old = Rich();
    old.Version = 17;
    old.OldLayout = true;
    ComposedLabel ansi = old;
    ansi.AnsiTexts = true;
    ansi.LabelName = u"Etiqueta 1";
    for (const ComposedLabel &L : {Rich(), old, ansi}) {
        const Bytes full = ComposeLabel(L);
        for (size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            ExpectCleanFailure(Bytes(full.begin(), full.begin() + n));
            if (HasFailure())
                return;
        }
    }
}

TEST_F(LoadFailure, UnknownTypeCodes)
{
    for (uint8_t code : {0, 14, 17, 20, 255}) {
        SCOPED_TRACE(int(code));
        ComposedLabel L = Rich();
        ComposedElement e = Box(1, 2, 3, 4, "X");
        e.Code = code;
        L.ExtraElementBytes = zt::ComposeElement(e, L.Version, false);
        L.ExtraElementCount = 1;
        ExpectCleanFailure(ComposeLabel(L));
    }
}

TEST_F(LoadFailure, AbsurdCountsAndValues)
{
    auto patch32 = [](Bytes b, size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
        return b;
    };
    ComposedLabel L;
    L.Elements = {Box(1, 2, 3, 4, "Rectangle1")};
    const Bytes b = ComposeLabel(L);
    const size_t elements = zt::ElementCountOffset(L);
    const size_t counters = elements - 4; // no counters in L
    for (int32_t n : {-1, 2, 0x7FFFFFFF, int32_t(0x80000000)}) {
        SCOPED_TRACE(n);
        ExpectCleanFailure(patch32(b, elements, n));
        ExpectCleanFailure(patch32(b, counters, n == 2 ? 1 : n));
    }
    // The field list of the external file: count after 40 bytes of an otherwise empty header.
    ComposedLabel F;
    F.Version = 2810;
    F.ExtSaveFields = 1;
    const Bytes f = ComposeLabel(F);
    ASSERT_EQ(f[39], 1);
    ExpectCleanFailure(patch32(f, 40, 0x40000000));
    ExpectCleanFailure(patch32(f, 40, -5));

    // A version newer than this program's, and a text count above the format's limit.
    ExpectCleanFailure(patch32(b, 0, TKXCustomLab::CurrentVersion + 1));
    ExpectCleanFailure(patch32(b, 4, MaxStreamText + 1));
    // Lengths of an old file that overflow when scaled to hundredths.
    ComposedLabel T;
    T.Version = 19;
    T.Width = 0x7FFFFFFF;
    ExpectCleanFailure(ComposeLabel(T));
    T.Width = 600;
    T.Elements = {Box(0x7FFFFFF0, 0, 1, 1, "R")};
    ExpectCleanFailure(ComposeLabel(T));
    // An enumeration ordinal the type lacks (Units 3).
    ComposedLabel U;
    U.Units = 3;
    ExpectCleanFailure(ComposeLabel(U));
}

// A failed read straight into a document that already holds elements and counters puts
// back exactly those: the read's own counters and the elements it had read go, the
// document's stay.
TEST_F(LoadFailure, DirectReadPutsBackTheElementsAndCountersThere)
{
    TKXCustomLab lab;
    auto *mine = lab.NewElement<zt::TestBox>();
    mine->SetID("Mine");
    TKXCounter *serial = lab.NewCounter();
    serial->Name = "Mine";
    serial->NumTo = 50;
    const Bytes full = ComposeLabel(Rich()); // two counters and two elements
    // Cut inside the last element (the counters and the first element are read by then),
    // and inside the first.
    for (size_t cut : {full.size() - 1, full.size() - 60}) {
        SCOPED_TRACE(cut);
        const Bytes part(full.begin(), full.begin() + cut);
        TKXStreamReader r(part);
        EXPECT_THROW(lab.LoadFromStream(r, false), EKxStreamError);
        ASSERT_EQ(lab.ElementCount(), 1);
        EXPECT_EQ(lab.GetElement(1), mine);
        EXPECT_EQ(mine->ID(), "Mine");
        ASSERT_EQ(lab.CounterCount(), 1);
        EXPECT_EQ(lab.GetCounter(1), serial);
        EXPECT_EQ(serial->NumTo, 50);
    }
    // The same stream whole adds its own to them.
    TKXStreamReader r(full);
    lab.LoadFromStream(r, false);
    EXPECT_EQ(lab.ElementCount(), 3);
    EXPECT_EQ(lab.CounterCount(), 3);
}

// ---------------------------------------------------------------------------------------
// Files

class LabelFiles : public LabelFile {
protected:
    QTemporaryDir dir;
    QString Path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(LabelFiles, SaveAndLoadLabel)
{
    TKXCustomLab lab;
    lab.Measure()->SetWidth(90.0f);
    lab.NewElement<zt::TestBox>()->SetPoints({100, 100}, {200, 200});
    lab.SetModified(true);
    const QString path = Path("one.eti");
    lab.SaveLabel(path);
    EXPECT_FALSE(lab.Modified());

    TKXCustomLab back;
    zt::FakeUIServices ui;
    back.SetUIServices(&ui);
    back.LoadLabel(path, false);
    EXPECT_EQ(back.Measure()->WidthInternal(), 9000);
    EXPECT_EQ(back.ElementCount(), 1);
    EXPECT_EQ(ui.BusyCalls, 1);
    EXPECT_EQ(ui.BusyDepth, 0);
}

// Mended: a background picture that cannot be decoded raised inside the read, and the whole
// label was lost as "ERROR READING FILE". While reading it is handled like a missing one:
// the name is kept, the picture stays empty and the user is told once; reading for a file
// preview shows no message at all.
TEST_F(LabelFiles, DamagedOrMissingBackgroundPictureNeverStopsALabel)
{
    zt::RequireGuiApp();
    {
        QFile f(Path("broken.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    const struct {
        const char *file, *message;
    } cases[] = {{"broken.png", "INVALID IMAGE : "}, {"gone.png", "IMAGE NOT FOUND : "}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        ComposedLabel L;
        L.BackFile = Path(c.file).toStdU16String();
        L.Elements = {Box(100, 100, 900, 900, "Rectangle1")};
        const Bytes b = ComposeLabel(L);

        zt::FakeUIServices ui;
        TKXCustomLab preview;
        preview.SetUIServices(&ui);
        Load(preview, b, true);
        EXPECT_EQ(preview.ElementCount(), 1);
        EXPECT_TRUE(ui.Messages.empty());

        TKXCustomLab lab;
        lab.SetUIServices(&ui);
        Load(lab, b);
        EXPECT_EQ(lab.ElementCount(), 1);
        EXPECT_EQ(lab.BackSurf()->FileImage(), Path(c.file));
        EXPECT_TRUE(lab.BackSurf()->ImageMissing());
        EXPECT_TRUE(lab.BackSurf()->Image().isNull());
        EXPECT_EQ(ui.Messages, std::vector<QString>{c.message + Path(c.file)});
        EXPECT_EQ(Save(lab), b); // the reference is kept
    }
}

// Mended: a label bound to a closed dataset (OpenCloseData off) could not be opened, and a
// dataset that failed to open made "ERROR READING FILE" of a sound file. The label opens;
// a dataset problem is told as what it is.
TEST_F(LabelFiles, ABoundLabelOpensWhateverItsDatasetsState)
{
    QObject dm;
    auto *ds = new MemoryDataset("Customers", &dm);
    ds->AddColumn("NAME", TKXFieldType::ftString, 20);
    ds->AddRow({"Ann"});
    {
        TKXCustomLab lab;
        lab.SetDataMod(&dm);
        lab.SetLinkData(true);
        ASSERT_TRUE(lab.FindDataset("Customers", false, false));
        auto *t = lab.NewElement<TKXText>();
        t->SetData(true);
        t->SetFieldName("NAME");
        lab.SaveLabel(Path("bound.eti"));
    }
    zt::FakeUIServices ui;
    TKXCustomLab lab;
    lab.SetUIServices(&ui);
    lab.SetDataMod(&dm);
    lab.LoadLabel(Path("bound.eti"), false);
    EXPECT_EQ(lab.ElementCount(), 1);
    EXPECT_EQ(lab.DataSet(), ds);
    EXPECT_FALSE(ds->Active());
    EXPECT_TRUE(ui.Messages.empty());

    lab.SetOpenCloseData(true);
    ds->FailOpen = true;
    lab.LoadLabel(Path("bound.eti"), false);
    EXPECT_EQ(lab.ElementCount(), 1);
    EXPECT_FALSE(lab.VaDa());
    EXPECT_EQ(ui.Messages, std::vector<QString>{"CAN'T OPEN DATASET : cannot open Customers"});
}

// Mended: the inner circle is a radius; a file holding one larger than half the label
// drew a disc over the neighbouring labels.
TEST_F(LabelFile, InnerCircleIsClampedToHalfTheWidthWhenRead)
{
    ComposedLabel L;
    L.LabelType = 1;
    L.Width = L.Height = 4000;
    L.InnerCircle = 3000;
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    EXPECT_EQ(lab.Measure()->InnerCircleInternal(), 2000);
    L.InnerCircle = 1500;
    Load(lab, ComposeLabel(L));
    EXPECT_EQ(lab.Measure()->InnerCircleInternal(), 1500);
}

TEST_F(LabelFiles, LoadingAMissingFileLeavesAnEmptyLabel)
{
    TKXCustomLab lab;
    lab.NewElement<zt::TestBox>();
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    try {
        lab.LoadLabel(Path("missing.eti"), false);
        FAIL();
    } catch (const EKxError &e) {
        EXPECT_STREQ(e.what(), "ERROR READING FILE");
    }
    EXPECT_EQ(lab.ElementCount(), 0);
    EXPECT_EQ(ui.BusyDepth, 0);
}

// Mended: a text too long for the format was written as an empty text; the save is refused
// now, and the file on disk is the one there was.
TEST_F(LabelFiles, TooLongTextRefusesTheSaveAndKeepsTheOldFile)
{
    TKXCustomLab lab;
    const QString path = Path("keep.eti");
    lab.SaveToFile(path);
    const QByteArray before = Read(path);
    ASSERT_FALSE(before.isEmpty());

    lab.Title()->SetText(QString(MaxStreamText + 1, QChar(u'x')));
    lab.SetModified(true);
    EXPECT_THROW(lab.SaveToFile(path), EKxTextTooLong);
    EXPECT_EQ(Read(path), before);
    EXPECT_TRUE(lab.Modified());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary file left

    // A stream save adds nothing to the stream either.
    TKXStreamWriter w;
    w.WriteUInt8(42);
    EXPECT_THROW(lab.SaveToStream(w), EKxTextTooLong);
    EXPECT_EQ(w.Size(), 1u);
}

TEST_F(LabelFiles, FileSystemErrorsReachTheCaller)
{
    TKXCustomLab lab;
    EXPECT_THROW(lab.SaveToFile(Path("no/such/folder/x.eti")), EKxError);
    EXPECT_THROW(lab.LoadFromFile(Path("none.eti"), false), EKxError);
}

// Mended: a save that failed part-way (here the file-size limit; a full disk alike) was
// reported as "Unknown error".
TEST_F(LabelFiles, ASaveFailingPartWayGivesTheFileSystemsReason)
{
    TKXCustomLab lab;
    for (int i = 0; i < 400; ++i)
        lab.NewElement<zt::TestBox>()->SetPoints({i, i}, {i + 100, i + 100});
    const QString path = Path("big.eti");
    lab.SaveToFile(path);
    const QByteArray before = Read(path);
    ASSERT_GT(before.size(), 8192);
    lab.NewElement<zt::TestBox>();

    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        lab.SaveToFile(path);
    } catch (const EKxError &e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, std::strerror(EFBIG)); // "File too large"
    EXPECT_EQ(Read(path), before);            // the old file is whole
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

// ---------------------------------------------------------------------------------------
// After loading

// Mended: the placement after loading left undo steps behind and a label marked modified.
TEST_F(LabelFiles, LoadLabelFollowUpRecordsNoUndoAndKeepsItUnmodified)
{
    ComposedLabel L;
    L.AlignX = 1500, L.AlignY = 700;
    ComposedElement centred = Box(0, 0, 1000, 500, "Rectangle1");
    centred.EleAlign = 9; // eaCenterCenter
    L.Elements = {centred, Box(10, 10, 20, 20, "Rectangle2")};
    const QString path = Path("aligned.eti");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const Bytes b = ComposeLabel(L);
        f.write(reinterpret_cast<const char *>(b.data()), qint64(b.size()));
    }
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    int events = 0;
    bool undoEmpty = false;
    lab.OnUndoRedoEvent = [&](TObject *, bool u, bool) {
        ++events;
        undoEmpty = u;
    };
    lab.LoadLabel(path, false);
    ASSERT_EQ(lab.ElementCount(), 2);
    // Centred in the 60 x 35 mm label.
    EXPECT_EQ(lab.GetElement(1)->P1(), (TPoint{2500, 1500}));
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_TRUE(undoEmpty);
    EXPECT_FALSE(lab.Modified());
    EXPECT_EQ(lab.ElementsAfected(), 1);
    EXPECT_TRUE(ed.Has("RecalcZoom(1)"));
    EXPECT_TRUE(ed.Has("PutAlignX(15,1)"));
    EXPECT_TRUE(ed.Has("PutAlignY(7,1)"));
    EXPECT_TRUE(ed.Has("SetCoorSelect(0,0,0,0)"));
    EXPECT_FALSE(ed.FZoomChanged);

    // Editing afterwards is recorded as usual.
    lab.GetElement(2)->SetColor(0x00FF00);
    EXPECT_EQ(lab.UndoCount(), 1);
}

// Mended: every load of a label linked to an external file added another copy of its
// dataset to the catalogue.
TEST_F(LabelFile, ExternalFileDatasetIsReplacedNotAddedAgain)
{
    ComposedLabel L;
    L.ExtFileType = 3;
    L.ExtTableName = u"list";
    L.ExtTableDisplay = u"My list";
    L.ExtSaveFields = 1;
    L.Fields = {{u"A", u"Col A", 0, 3}, {u"B", u"", 1, 0}};
    const Bytes b = ComposeLabel(L);
    TKXCustomLab lab;
    TKXDatasetItem &other = lab.Datasets().Add();
    other.SetName(QStringLiteral("Module.Customers"));
    int reads = 0;
    QString seen;
    lab.OnReadData = [&](TObject *) {
        ++reads;
        seen = lab.ExtTableName();
    };
    Load(lab, b);
    Load(lab, b);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(seen, "list"); // the header is there when the application reopens the file
    ASSERT_EQ(lab.Datasets().Count(), 2);
    const TKXDatasetItem &ext = *lab.Datasets().Items(0);
    EXPECT_EQ(ext.Name(), "list");
    EXPECT_EQ(ext.BaseName(), "list");
    EXPECT_EQ(ext.Caption, "My list");
    ASSERT_EQ(ext.Fields().Count(), 2);
    EXPECT_EQ(ext.Fields().Items(0)->Caption, "Col A");
    EXPECT_EQ(ext.Fields().Items(0)->FieldType, 3);
    EXPECT_TRUE(ext.Fields().Items(1)->FloatAsDateTime);
    EXPECT_EQ(lab.Datasets().Items(1)->Name(), "Module.Customers");
    // The fields are written back from the catalogue's first dataset.
    EXPECT_EQ(Save(lab), b);

    // With the flag set and nothing in the catalogue the list is written empty.
    TKXCustomLab empty;
    empty.SetExtSaveFileds(true);
    L.Fields.clear();
    EXPECT_EQ(Save(empty), ComposeLabel([&] {
        ComposedLabel E;
        E.ExtSaveFields = 1;
        return E;
    }()));
}

// Found by fuzzing: placing an aligned element of a damaged file again after loading
// overflowed on its extent.
TEST_F(LabelFile, AlignedElementAtExtremePointsLoadsWithAnEditor)
{
    ComposedLabel L;
    ComposedElement wide = Box(-201326592, 0, 1946419200, 10, "Rectangle1");
    wide.EleAlign = 9; // eaCenterCenter
    ComposedElement text = Text(-2147483647, 2147483647, "Text1");
    text.EleAlign = 10; // eaCenterBottom
    L.Elements = {wide, text};
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    Load(lab, ComposeLabel(L));
    ASSERT_EQ(lab.ElementCount(), 2);
    EXPECT_EQ(lab.GetElement(1)->Width(), std::numeric_limits<int32_t>::max());
}

// Mended: a stored width or height of 0 loaded as it stood and the label metafile then
// divided by it. The reader keeps the setters' limits.
TEST_F(LabelFile, DegenerateSizesAreBroughtWithinTheSettersLimits)
{
    struct Case {
        int32_t Width, Height, NuHor, NuVer, MarLeft, InnerCircle;
    } cases[] = {
        {0, 3500, 7, 3, 500, 0},
        {6000, 0, 7, 3, 500, 0},
        {-40, -2147483647 - 1, 7, 3, 500, 0},
        {6000, 3500, 0, -5, -300, 0},
        {6000, 3500, 2147483647, 2147483647, 500, 9999},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << " x " << c.Height << ", " << c.NuHor << " x " << c.NuVer);
        ComposedLabel L;
        L.Width = c.Width, L.Height = c.Height, L.NuHor = c.NuHor, L.NuVer = c.NuVer;
        L.MarLeft = c.MarLeft, L.InnerCircle = c.InnerCircle;
        L.Elements = {Box(100, 100, 900, 400, "Rectangle1")};
        TKXCustomLab lab;
        Load(lab, ComposeLabel(L));
        const TKXMeasure &m = *lab.Measure();
        EXPECT_EQ(m.WidthInternal(), std::max(c.Width, TKXMeasure::MinSide));
        EXPECT_EQ(m.HeightInternal(), std::max(c.Height, TKXMeasure::MinSide));
        EXPECT_EQ(m.NuHor(), std::max(c.NuHor, 1));
        EXPECT_EQ(m.NuVer(), std::max(c.NuVer, 1));
        EXPECT_EQ(m.MarLeftInternal(), std::max(c.MarLeft, 0));
        EXPECT_LE(m.InnerCircleInternal(), m.WidthInternal());
        const std::unique_ptr<TKXMetafile> mf = lab.GetMetafile();
        EXPECT_EQ(mf->DeviceSize().width(), 260);
        EXPECT_GE(mf->DeviceSize().height(), 1);
        // The sheet positions of the last label of a huge sheet stay on the 32-bit range.
        const TKXSheetGeometry g = TKXSheetGeometry::Of(m, *lab.PrintInfo());
        const TPoint last = g.LabelPos(g.Cols, g.Rows);
        EXPECT_GE(last.x, g.MarLeft);
        EXPECT_GE(last.y, g.MarTop);
    }
}

// Found by fuzzing the label metafile: a text whose font has no name crashed Qt when it
// was recorded into a picture (the open dialog's metafile, preview pages).
TEST_F(LabelFile, ATextWithoutAFontNameDrawsIntoTheLabelMetafile)
{
    zt::RequireGuiApp();
    TKXCustomLab lab;
    auto *t = lab.NewElement<TKXText>();
    t->SetText("WWWW");
    t->SetFontName("");
    t->SetFontHeight(10.0f);
    t->SetP1(500, 500);
    const std::unique_ptr<TKXMetafile> mf = lab.GetMetafile();
    const QImage image = mf->ToImage(QSize(600, 350));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20); // drawn in the default family
}

// Found by fuzzing the label metafile: a damaged file's frame distances overflowed the
// outline's box when added to the label's position.
TEST_F(LabelFile, FrameDistancesNearTheLimitsClamp)
{
    ComposedLabel L;
    L.FrameStyle = 2; // two outlines
    L.Dist1 = 2000000000, L.Dist2 = 2000000000;
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L));
    zt::RecordingCanvas canvas;
    lab.PaintFrame(canvas, 1000, 1000);
    const std::vector<std::string> boxes = canvas.Texts("RoundRect");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].rfind("RoundRect(2000001000,2000001000,", 0), 0u) << boxes[0];
    EXPECT_EQ(boxes[1].rfind("RoundRect(2147483647,2147483647,", 0), 0u) << boxes[1];
}

TEST_F(LabelFile, PreviewReadsStoredContentsNotData)
{
    ComposedLabel L;
    ComposedElement t = Text(1, 1, "Text1");
    t.Data = 1;
    t.FieldName = "NAME";
    L.Elements = {t};
    TKXCustomLab lab;
    Load(lab, ComposeLabel(L), true);
    EXPECT_EQ(lab.CurDrawType(), TKXDrawType::tdOpenDialog);
    EXPECT_FALSE(dynamic_cast<zt::TestText &>(*lab.GetElement(1)).Data());
}

// ---------------------------------------------------------------------------------------
// The single-line texts and their record T

class TextRecords : public LabelFile {
protected:
    // The library's own kinds, in place of the test stand-ins.
    TextRecords()
    {
        library.Set<TKXText>(TKXEle::deText);
        library.Set<TKXAddText>(TKXEle::deAddText);
        library.Set<TKXAskText>(TKXEle::deAskText);
    }
    TKXFactoryOverride library;
    static ComposedElement T(uint8_t code, const std::string &id, const std::u16string &text)
    {
        ComposedElement e = Text(700, 800, id, code);
        e.HasText = true;
        e.Text = text;
        e.HasTails = code != 2;
        return e;
    }
    static ComposedLabel Texts(int32_t version)
    {
        ComposedLabel L;
        L.Version = version;
        if (version < 20)
            L.Access = 1;
        ComposedElement a = T(2, "Text1", u"Price");
        a.Bold = 1, a.TextAlign = 7, a.GapX = 15, a.DisplayFormat = "0.00";
        ComposedElement b = T(6, "AddText1", u"value");
        b.Tail1 = u"EUR ", b.Tail2 = u" net";
        ComposedElement c = T(version == 18 ? 12 : 10, "AskText1", u"");
        c.Tail1 = u"Lot?", c.Tail2 = u"L-17";
        L.Elements = {a, b, c, Box(1, 2, 3, 4, "Rectangle1")};
        return L;
    }
};

TEST_F(TextRecords, CurrentFileRoundTripsWithTheTextKinds)
{
    ComposedLabel L = Texts(2811);
    L.Elements[0].Text = u"Pre\u00e7o \u20AC";
    const Bytes file = ComposeLabel(L);
    TKXCustomLab lab;
    Load(lab, file);
    ASSERT_EQ(lab.ElementCount(), 4);
    auto &a = dynamic_cast<TKXText &>(*lab.GetElement(1));
    EXPECT_EQ(a.Text(), QString::fromUtf16(u"Pre\u00e7o \u20AC"));
    EXPECT_TRUE(a.Bold());
    EXPECT_EQ(a.TextAlign(), TTextAlign::taCeCe);
    EXPECT_EQ(a.DisplayFormat(), "0.00");
    auto &b = dynamic_cast<TKXAddText &>(*lab.GetElement(2));
    EXPECT_EQ(b.Before(), "EUR ");
    EXPECT_EQ(b.After(), " net");
    auto &c = dynamic_cast<TKXAskText &>(*lab.GetElement(3));
    EXPECT_EQ(c.Question(), "Lot?");
    EXPECT_EQ(c.Answer(), "L-17");
    EXPECT_EQ(Save(lab), file);
}

TEST_F(TextRecords, OldFilesWithTheTextKinds)
{
    struct Case {
        int32_t Version;
        TTextAlign Align; // stored 7: beyond the six anchorings before version 20
        int32_t GapX;     // stored 15
    };
    for (const Case c : {Case{17, TTextAlign::taLeTo, 150}, Case{18, TTextAlign::taLeTo, 150},
                         Case{19, TTextAlign::taLeTo, 150}, Case{2300, TTextAlign::taCeCe, 15}}) {
        SCOPED_TRACE(c.Version);
        TKXCustomLab lab;
        Load(lab, ComposeLabel(Texts(c.Version)));
        ASSERT_EQ(lab.ElementCount(), 4);
        auto &a = dynamic_cast<TKXText &>(*lab.GetElement(1));
        EXPECT_EQ(a.Text(), "Price");
        EXPECT_EQ(a.TextAlign(), c.Align);
        lab.SetUnits(TKXUnits::unMM);
        EXPECT_FLOAT_EQ(a.GapX(), c.GapX / 100.0f);
        EXPECT_EQ(dynamic_cast<TKXAddText &>(*lab.GetElement(2)).After(), " net");
        // Version 18's code 12 is the asked text.
        EXPECT_EQ(dynamic_cast<TKXAskText &>(*lab.GetElement(3)).Answer(), "L-17");
        EXPECT_EQ(lab.GetElement(4)->ElementType(), TKXEle::deRect);
    }
}

// Found by fuzzing: a shadow gap of an old file overflowed when scaled to hundredths.
TEST_F(TextRecords, OldShadowGapOutOfRangeIsMalformed)
{
    ComposedLabel L = Texts(19);
    L.Elements[0].GapY = 1677721600;
    TKXCustomLab lab;
    EXPECT_THROW(Load(lab, ComposeLabel(L)), EKxError);
    EXPECT_EQ(lab.ElementCount(), 0);
}

TEST_F(TextRecords, TruncatedTextFilesFailCleanly)
{
    for (int32_t v : {2811, 19}) {
        const Bytes full = ComposeLabel(Texts(v));
        for (size_t n = 0; n < full.size(); ++n) {
            TKXCustomLab lab;
            try {
                Load(lab, Bytes(full.begin(), full.begin() + n));
                ADD_FAILURE() << "loaded " << n << " bytes of version " << v;
            } catch (const EKxError &e) {
                EXPECT_STREQ(e.what(), "ERROR READING FILE");
            }
            EXPECT_EQ(lab.ElementCount(), 0);
            if (HasFailure())
                return;
        }
    }
}

// An undo step of a text restores its record T whole.
TEST_F(TextRecords, UndoRestoresAText)
{
    TKXCustomLab lab;
    Load(lab, ComposeLabel(Texts(2811)));
    auto &b = dynamic_cast<TKXAddText &>(*lab.GetElement(2));
    b.SetBefore(QStringLiteral("USD "));
    ASSERT_EQ(lab.UndoCount(), 1);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(b.Before(), "EUR ");
    lab.RemoveElement(&b, false, true);
    lab.UndoRedo(TKXURAction::urUndo);
    auto &back = dynamic_cast<TKXAddText &>(*lab.GetElement(2));
    EXPECT_EQ(back.After(), " net");
    EXPECT_EQ(back.ID(), "AddText1");
}

// ---------------------------------------------------------------------------------------
// Lines and rectangles

class ShapeRecords : public LabelFile {
protected:
    // The library's lines and rectangles, in place of the test stand-ins.
    ShapeRecords()
    {
        library.Set<TKXLine>(TKXEle::deLine);
        library.Set<TKXRect>(TKXEle::deRect);
    }
    TKXFactoryOverride library;
    static ComposedElement Shape(uint8_t code, const std::string &id, int32_t radio, uint8_t ellipse,
                                 int16_t figure)
    {
        ComposedElement e = Box(100, 200, 2100, 1200, id);
        e.Code = code;
        e.HasRect = code == 4;
        e.Radio = radio, e.Ellipse = ellipse, e.Figure = figure;
        return e;
    }
    static ComposedLabel Shapes(int32_t version)
    {
        ComposedLabel L;
        L.Version = version;
        if (version < 20)
            L.Access = 1;
        ComposedElement line = Shape(1, "Line1", 0, 0, 0);
        line.P1y = 1200, line.P2y = 200; // rising
        line.PenWidth = 35;
        L.Elements = {line, Shape(4, "Rectangle1", 15, 0, 0), Shape(4, "Rectangle2", 0, 1, 0),
                      Shape(4, "Rectangle3", 0, 1, 2)};
        return L;
    }
};

TEST_F(ShapeRecords, CurrentFileRoundTripsWithTheShapes)
{
    const Bytes file = ComposeLabel(Shapes(2811));
    TKXCustomLab lab;
    Load(lab, file);
    ASSERT_EQ(lab.ElementCount(), 4);
    auto &line = dynamic_cast<TKXLine &>(*lab.GetElement(1));
    EXPECT_EQ(line.Direction(), 3);
    EXPECT_EQ(line.P1(), (TPoint{100, 1200}));
    auto &rounded = dynamic_cast<TKXRect &>(*lab.GetElement(2));
    EXPECT_EQ(rounded.RadioInternal(), 15);
    EXPECT_EQ(rounded.Figure(), TKXRect::fgRectangle);
    auto &flags = dynamic_cast<TKXRect &>(*lab.GetElement(3));
    EXPECT_TRUE(flags.Ellipse()); // as stored, with figure 0
    EXPECT_EQ(flags.Figure(), TKXRect::fgRectangle);
    auto &triangle = dynamic_cast<TKXRect &>(*lab.GetElement(4));
    EXPECT_EQ(triangle.Figure(), TKXRect::fgTriangle);
    EXPECT_TRUE(triangle.Ellipse());
    EXPECT_EQ(Save(lab), file);
}

TEST_F(ShapeRecords, OldFilesCornerSizeAndEllipseFlag)
{
    struct Case {
        int32_t Version;
        int32_t Radio;    // stored 15
        int16_t Figure2;  // the second rectangle: ellipse flag set, figure stored 0 from 2800
        int16_t Figure3;  // the third: ellipse flag, figure stored 2 from 2800
    };
    for (const Case c : {Case{19, 150, 1, 1}, Case{20, 15, 1, 1}, Case{2799, 15, 1, 1}, Case{2800, 15, 0, 2}}) {
        SCOPED_TRACE(c.Version);
        TKXCustomLab lab;
        Load(lab, ComposeLabel(Shapes(c.Version)));
        ASSERT_EQ(lab.ElementCount(), 4);
        EXPECT_EQ(lab.GetElement(1)->P2(), (TPoint{c.Version < 20 ? 21000 : 2100, c.Version < 20 ? 2000 : 200}));
        EXPECT_EQ(dynamic_cast<TKXRect &>(*lab.GetElement(2)).RadioInternal(), c.Radio);
        EXPECT_EQ(dynamic_cast<TKXRect &>(*lab.GetElement(3)).Figure(), c.Figure2);
        EXPECT_EQ(dynamic_cast<TKXRect &>(*lab.GetElement(4)).Figure(), c.Figure3);
        // Saved at the current version and read again, nothing changes.
        TKXCustomLab again;
        Load(again, Save(lab));
        for (int i = 2; i <= 4; ++i) {
            auto &a = dynamic_cast<TKXRect &>(*lab.GetElement(i));
            auto &b = dynamic_cast<TKXRect &>(*again.GetElement(i));
            EXPECT_EQ(a.Figure(), b.Figure());
            EXPECT_EQ(a.Ellipse(), b.Ellipse());
            EXPECT_EQ(a.RadioInternal(), b.RadioInternal());
        }
    }
}

TEST_F(ShapeRecords, TruncatedShapeFilesFailCleanly)
{
    for (int32_t v : {2811, 2799, 19}) {
        const Bytes full = ComposeLabel(Shapes(v));
        for (size_t n = 0; n < full.size(); ++n) {
            TKXCustomLab lab;
            EXPECT_THROW(Load(lab, Bytes(full.begin(), full.begin() + n)), EKxError) << v << " " << n;
            EXPECT_EQ(lab.ElementCount(), 0);
            if (HasFailure())
                return;
        }
    }
}

// Undoing the deletion of a shape gives back its whole record, in its place.
TEST_F(ShapeRecords, UndoOfADeletionRestoresTheShape)
{
    TKXCustomLab lab;
    Load(lab, ComposeLabel(Shapes(2811)));
    auto *triangle = dynamic_cast<TKXRect *>(lab.GetElement(4));
    ASSERT_TRUE(triangle);
    triangle->SetRadio(2.5f);
    triangle->SetAngle(270);
    const uint64_t serial = triangle->Serial();
    lab.RemoveElement(triangle, false, true);
    auto *line = lab.GetElement(1);
    lab.RemoveElement(line, false, true);
    ASSERT_EQ(lab.ElementCount(), 2);
    lab.UndoRedo(TKXURAction::urUndo);
    auto &l = dynamic_cast<TKXLine &>(*lab.GetElement(1));
    EXPECT_EQ(l.Direction(), 3);
    EXPECT_EQ(l.PenWidth(), 0.35f);
    lab.UndoRedo(TKXURAction::urUndo);
    auto &back = dynamic_cast<TKXRect &>(*lab.GetElement(4));
    EXPECT_EQ(back.Serial(), serial);
    EXPECT_EQ(back.Figure(), TKXRect::fgTriangle);
    EXPECT_TRUE(back.Ellipse());
    EXPECT_EQ(back.RadioInternal(), 250);
    EXPECT_EQ(back.Angle(), 270);
    EXPECT_EQ(back.ID(), "Rectangle3");
}

// The paragraph: record T and its format byte at every version, through the file and
// through undo of a deletion.
TEST_F(ShapeRecords, ParagraphThroughTheFileAndUndo)
{
    library.Set<TKXParagraph>(TKXEle::deParagraph); // registered already; kept explicit
    for (int32_t version : {19, 2300, 2811}) {
        SCOPED_TRACE(version);
        ComposedLabel L;
        L.Version = version;
        if (version < 20)
            L.Access = 1;
        ComposedElement e = Box(100, 200, 2100, 1200, "Paragraph1");
        e.Code = 8;
        e.HasData = e.HasText = e.HasParagraph = true;
        e.Text = u"First line\r\nsecond";
        e.ParagraphFormat = 9;
        e.Angle = 90;
        L.Elements = {e, Shape(4, "Rectangle1", 0, 0, 2)};
        const Bytes file = ComposeLabel(L);
        TKXCustomLab lab;
        Load(lab, file);
        ASSERT_EQ(lab.ElementCount(), 2);
        auto &p = dynamic_cast<TKXParagraph &>(*lab.GetElement(1));
        EXPECT_EQ(p.Text(), "First line\r\nsecond");
        EXPECT_EQ(p.Alignment(), TKXTextFormat::tfRightBottom);
        EXPECT_EQ(p.Angle(), 90);
        EXPECT_EQ(p.P2().x, version < 20 ? 21000 : 2100);
        if (version == 2811) {
            EXPECT_EQ(Save(lab), file);
        }

        lab.RemoveElement(&p, false, true);
        ASSERT_EQ(lab.ElementCount(), 1);
        lab.UndoRedo(TKXURAction::urUndo);
        auto &back = dynamic_cast<TKXParagraph &>(*lab.GetElement(1));
        EXPECT_EQ(back.Text(), "First line\r\nsecond");
        EXPECT_EQ(back.Alignment(), TKXTextFormat::tfRightBottom);
        EXPECT_EQ(back.ID(), "Paragraph1");
    }
}

} // namespace
