// The label document: change notification, units, quarter turns, clearing, copying the
// settings of another document, markers and the picture filter.
#include "FakeDesignerServices.h"
#include "LabTestPrint.h"
#include "TestElements.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

// What NotifyChange marks for each kind: background, element layer, selection layer, guide
// lines rebuilt.
TEST(NotifyChange, KindsMarkTheirLayers)
{
    struct Case {
        int16_t kind;
        bool background, elements, selection, guides;
    } cases[] = {
        {0, true, true, true, false},   {1, true, false, false, false}, {2, false, true, false, false},
        {3, false, false, true, false}, {4, false, true, false, true},  {5, false, false, true, true},
        {6, false, true, true, true},   {7, false, false, false, false}, {-1, false, false, false, false},
    };
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        ed.Reset();
        lab.NotifyChange(c.kind, false, "Color");
        EXPECT_EQ(lab.BackSurf()->FNeedPaint, c.background);
        EXPECT_EQ(ed.FPaintEle, c.elements);
        EXPECT_EQ(ed.FPaintSel, c.selection);
        EXPECT_EQ(ed.Has("BuildGuideLines"), c.guides);
        // Every kind, marked or not, refreshes the view while the editor draws.
        EXPECT_TRUE(ed.Has("RefreshView(0,Color)"));
    }
}

TEST(NotifyChange, InsideAnUpdateBracketOnlyMarks)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    ed.BeginUpdate();
    ed.Reset();
    lab.NotifyChange(6, true, "");
    EXPECT_TRUE(ed.FPaintEle);
    EXPECT_TRUE(ed.FPaintSel);
    EXPECT_EQ(ed.Log, (zt::CallLog{"BuildGuideLines"}));
}

TEST(NotifyChange, SingleSelectionGoesToTheRulersInUnits)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *a = lab.NewElement<zt::TestBox>();
    a->Frame = {1000, 500, 2500, 1250};
    ed.SetSelect(a);
    ed.Reset();
    lab.NotifyChange(7, true, "");
    EXPECT_EQ(ed.Log, (zt::CallLog{"RefreshView(1,)", "SetCoorSelect(10,5,25,12.5)"}));

    // Two selected: no extent.
    auto *b = lab.NewElement<zt::TestBox>();
    ed.AddToSelection(b);
    ed.Reset();
    lab.NotifyChange(2, false, "X1");
    EXPECT_EQ(ed.Log, (zt::CallLog{"RefreshView(0,X1)"}));
}

TEST(NotifyChange, InspectorPropChangedReReadsOneProperty)
{
    TKXCustomLab lab;
    lab.InspectorPropChanged("Color"); // no editor: nothing to tell
    zt::FakeDesignerServices ed(lab);
    lab.InspectorPropChanged("Color");
    EXPECT_EQ(ed.Log, (zt::CallLog{"RefreshProperty(Color)"}));
    ed.Inspector = nullptr;
    lab.InspectorPropChanged("Color");
    EXPECT_EQ(ed.Log.size(), 1u);
}

TEST(Units, SetUnitsTellsRulersAndInspectorButIsNoChange)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    lab.BackSurf()->SetAlignX(25); // 2500
    ed.Reset();
    lab.SetModified(false);
    lab.SetUnits(TKXUnits::unCM);
    EXPECT_EQ(ed.Log, (zt::CallLog{"PutAlignX(2.5,0)", "PutAlignY(0,0)", "SetUnits(unCM)", "Invalidate"}));
    EXPECT_FALSE(lab.Modified());
    EXPECT_EQ(lab.UnitsToInternal(1.5L), 1500);
    EXPECT_DOUBLE_EQ(double(lab.InternalToUnits(2540)), 2.54);
    lab.SetUnits(TKXUnits::unINCH);
    EXPECT_EQ(lab.UnitsToInternal(1), 2540);
}

TEST(Rotation, LeftMovesATextAndTurnsIt)
{
    TKXCustomLab lab; // 6000 x 3500 on 21000 x 29700
    auto *text = lab.NewElement<zt::TestText>();
    text->SetPoints({100, 200}, {-1, -1});
    lab.SetModified(false);
    lab.RotateLeft();
    EXPECT_EQ(text->P1(), (TPoint{200, 5900}));
    EXPECT_EQ(text->Angle(), 90);
    EXPECT_EQ(lab.Measure()->WidthInternal(), 3500);
    EXPECT_EQ(lab.Measure()->HeightInternal(), 6000);
    EXPECT_EQ(lab.Measure()->PaperWidthInternal(), 29700);
    EXPECT_TRUE(lab.Modified());
    lab.RotateRight();
    EXPECT_EQ(text->P1(), (TPoint{100, 200}));
    EXPECT_EQ(text->Angle(), 0);
}

TEST(Rotation, TwoLeftThenTwoRightRestoreEverything)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    zt::FakeDesignerServices ed(lab);
    auto *text = lab.NewElement<zt::TestText>();
    text->SetPoints({100, 200}, {-1, -1});
    text->SetAngle(270);
    auto *box = lab.NewElement<zt::TestBox>();
    box->SetPoints({500, 700}, {2500, 1300});
    auto *line = lab.NewElement<zt::TestLine>();
    line->SetPoints({4000, 3000}, {1000, 100});
    undo.Entries.clear();
    ed.Reset();

    lab.RotateLeft();
    // The box stays normalised: P1 its left-top corner.
    EXPECT_EQ(box->P1(), (TPoint{700, 6000 - 2500}));
    EXPECT_EQ(box->P2(), (TPoint{1300, 6000 - 500}));
    lab.RotateLeft();
    lab.RotateRight();
    lab.RotateRight();
    EXPECT_EQ(text->P1(), (TPoint{100, 200}));
    EXPECT_EQ(text->Angle(), 270);
    EXPECT_EQ(box->P1(), (TPoint{500, 700}));
    EXPECT_EQ(box->P2(), (TPoint{2500, 1300}));
    EXPECT_EQ(line->P1(), (TPoint{1000, 100})); // lines are normalised too by the base
    EXPECT_EQ(line->P2(), (TPoint{4000, 3000}));
    EXPECT_EQ(lab.Measure()->WidthInternal(), 6000);
    EXPECT_EQ(lab.Measure()->PaperHeightInternal(), 29700);
    // Not recorded for undo; the editor is bracketed and re-zoomed each time.
    EXPECT_TRUE(undo.Entries.empty());
    EXPECT_EQ(ed.Count("BeginUpdate"), 4);
    EXPECT_EQ(ed.Count("RecalcZoom(0)"), 4);
    EXPECT_EQ(ed.Count("EndUpdate(1)"), 4);
    EXPECT_FALSE(ed.FZoomChanged);
    EXPECT_EQ(lab.ElementsAfected(), 1);
}

TEST(ClearAndNewLabel, ClearEmptiesTheDesignNewLabelAlsoTheSettings)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    zt::FakeDesignerServices ed(lab);
    int events = 0;
    lab.OnUndoRedoEvent = [&](TObject *, bool undoEmpty, bool redoEmpty) {
        EXPECT_TRUE(undoEmpty && redoEmpty);
        ++events;
    };
    auto *a = lab.NewElement<zt::TestBox>();
    lab.NewElement<zt::TestText>();
    ed.SetSelect(a);
    lab.PrintInfo()->SetFirstLab(5);
    lab.SetLinkData(true);
    ed.Reset();

    lab.Clear();
    EXPECT_EQ(lab.ElementCount(), 0);
    EXPECT_EQ(lab.Selected(), nullptr);
    EXPECT_EQ(undo.Clears, 1);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(ed.GetSelectedCount(), 0);
    EXPECT_TRUE(ed.FPaintEle && ed.FPaintSel);
    EXPECT_TRUE(ed.Has("UpdateEditor(0)"));
    EXPECT_EQ(lab.PrintInfo()->FirstLab(), 5); // Clear keeps the settings

    lab.NewElement<zt::TestBox>();
    lab.NewCounter()->Name = "Serial";
    lab.Clear();
    EXPECT_EQ(lab.CounterCount(), 1); // Clear keeps the counters
    lab.NewElement<zt::TestBox>();
    lab.SetModified(true);
    lab.NewLabel();
    EXPECT_EQ(lab.CounterCount(), 0); // mended: they printed with the new label
    EXPECT_EQ(lab.ElementCount(), 0);
    EXPECT_FALSE(lab.Modified());
    EXPECT_FALSE(lab.LinkData());
    EXPECT_EQ(lab.PrintInfo()->NumLabs(), 1);
    EXPECT_EQ(lab.PrintInfo()->FirstLab(), 1);
    EXPECT_EQ(lab.PrintInfo()->LastLab(), 1);
}

TEST(ClearAndNewLabel, ClearWithoutEditorForgetsTheSelection)
{
    TKXCustomLab lab;
    lab.SetSelected(lab.NewElement<zt::TestBox>());
    lab.Clear();
    EXPECT_EQ(lab.Selected(), nullptr);
}

// Mended: the original shared the set-up objects between the two documents.
TEST(Assign, CopiesSettingsAndSharesNothing)
{
    TKXCustomLab a, b;
    zt::FakeDesignerServices edB(b);
    a.Measure()->SetWidth(80);
    a.Frame()->SetStyle(TKXFrameStyle::fsTwoLine);
    a.Title()->SetText("Stock");
    a.PrintInfo()->SetCopies(3);
    a.BackSurf()->SetColor(0x00FF00);
    a.SetUnits(TKXUnits::unCM);
    a.SetOnlyBitmap(true);
    a.SetCheckBounds(false);

    b.Assign(a);
    EXPECT_NE(a.Measure(), b.Measure());
    EXPECT_EQ(b.Measure()->WidthInternal(), 8000);
    EXPECT_EQ(b.Frame()->Style(), TKXFrameStyle::fsTwoLine);
    EXPECT_EQ(b.Title()->Text(), "Stock");
    EXPECT_EQ(b.PrintInfo()->Copies(), 3);
    EXPECT_EQ(b.BackSurf()->Color(), 0x00FF00u);
    EXPECT_EQ(b.Units(), TKXUnits::unCM);
    EXPECT_TRUE(b.OnlyBitmap());
    EXPECT_EQ(b.PictureFilter(), "Bitmaps (*.bmp)|*.bmp");
    EXPECT_FALSE(b.CheckBounds());
    EXPECT_EQ(b.Editor(), &edB); // the editor link is not taken over

    // Changing one afterwards leaves the other alone, and b's objects report to b.
    edB.Reset();
    a.Measure()->SetWidth(90);
    EXPECT_EQ(b.Measure()->WidthInternal(), 8000);
    b.Frame()->SetStyle(TKXFrameStyle::fsNone);
    EXPECT_EQ(a.Frame()->Style(), TKXFrameStyle::fsTwoLine);
    EXPECT_TRUE(edB.FPaintEle);
}

TEST(SetupObjects, SettingNullChangesNothingAnObjectCopies)
{
    TKXCustomLab a, b;
    b.Frame()->SetPenWidth(2);
    a.SetFrame(nullptr);
    EXPECT_EQ(a.Frame()->PenWidthInternal(), 10);
    a.SetFrame(b.Frame());
    EXPECT_EQ(a.Frame()->PenWidthInternal(), 200);
    EXPECT_NE(a.Frame(), b.Frame());
}

TEST(Markers, AppendToTheirArrays)
{
    TKXCustomLab lab;
    lab.AddSelectSegment(1, {1, 2}, {3, 4});
    lab.AddRefSegment(2, {5, 6}, {7, 8});
    lab.AddRefSegment(3, {0, 0}, {1, 1});
    lab.AddSymbolPoint(1, {9, 9}, false);
    lab.AddSymbolPoint(4, {8, 8}, true);
    ASSERT_EQ(lab.SelectArray().size(), 1u);
    EXPECT_EQ(lab.SelectArray()[0].Pos2, (TPoint{3, 4}));
    EXPECT_EQ(lab.RefArray().size(), 2u);
    ASSERT_EQ(lab.SymbolArray().size(), 1u);
    EXPECT_EQ(lab.SymbolArray()[0].Tipo, 1);
    ASSERT_EQ(lab.SymbolSelArray().size(), 1u);
    EXPECT_EQ(lab.SymbolSelArray()[0].Pos, (TPoint{8, 8}));
    lab.ClearRefArray();
    EXPECT_TRUE(lab.RefArray().empty());
    EXPECT_EQ(lab.SelectArray().size(), 1u);
    lab.ClearMarkers();
    EXPECT_TRUE(lab.SelectArray().empty() && lab.SymbolArray().empty() && lab.SymbolSelArray().empty());
}

TEST(Pictures, FilterFollowsOnlyBitmapAndTheChooserIsTheUIServices)
{
    TKXCustomLab lab;
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    ui.PictureToChoose = "/tmp/logo.png";
    EXPECT_EQ(lab.ChoosePicture(), "/tmp/logo.png");
    EXPECT_TRUE(ui.LastFilter.startsWith("All (*.jpg;*.jpeg;*.bmp;*.gif;*.png;*.wmf;*.emf)|"));
    EXPECT_TRUE(ui.LastFilter.contains("PNG image (*.png)|*.png |WMF")); // the blank after *.png
    lab.SetOnlyBitmap(true);
    lab.ChoosePicture();
    EXPECT_EQ(ui.LastFilter, "Bitmaps (*.bmp)|*.bmp");
}

TEST(Defaults, NewDocument)
{
    TKXCustomLab lab;
    EXPECT_EQ(lab.Units(), TKXUnits::unMM);
    EXPECT_EQ(lab.Version(), 2811);
    EXPECT_EQ(lab.FileVersion(), 2811);
    EXPECT_FALSE(lab.Modified());
    EXPECT_TRUE(lab.CheckBounds());
    EXPECT_TRUE(lab.MarkEmptyImage());
    EXPECT_TRUE(lab.UseUnicodeEditor());
    EXPECT_TRUE(lab.MakeAdjustPrint());
    EXPECT_TRUE(lab.ExtHasHeader());
    EXPECT_EQ(lab.DataAccessType(), TKXDataAccessType::daDataSet);
    EXPECT_EQ(lab.ElementsAfected(), 1);
    EXPECT_FALSE(lab.EditorLinked());
    EXPECT_EQ(lab.GetElement(1), nullptr);
}

TEST(Layouts, LookupsAndIdentifiers)
{
    TKXCustomLab lab;
    auto *text = lab.NewElement<zt::TestText>();
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->SetPoints({0, 0}, {6000, 3500});
    EXPECT_EQ(lab.GetCountLayouts(), 1);
    EXPECT_EQ(lab.FindLayout(layout->LayoutID()), layout);
    EXPECT_EQ(lab.FindLayout(99), nullptr);
    EXPECT_EQ(lab.NewLayoutID(), 2);
    // Nothing was painted: no screen rectangle meets another, so no cell is found.
    EXPECT_FALSE(lab.FindLayoutCell(*text));
    EXPECT_EQ(text->IDLayout, 0);
}

// An editor that leaves its links to the document alone, as a designer's editor might.
class BareEditor : public TKXCustomEditor {
public:
    void BeginUpdate() override {}
    void EndUpdate(bool) override {}
    void UpdateEditor(bool) override {}
    void RefreshView(bool, const QString &) override {}
    void RecalcZoom(bool) override {}
    int32_t GetViewWidth() const override { return 600; }
    int32_t GetViewHeight() const override { return 350; }
    double ZoomFactor() const override { return 1.0; }
    int32_t GetSelectedCount() const override { return 0; }
    TKXElement *GetSelect() const override { return nullptr; }
    TKXElement *GetSelected(int32_t) const override { return nullptr; }
    void SetSelect(TKXElement *) override {}
    void ClearSelection() override {}
    bool DeleteFromSelection(TKXElement *) override { return false; }
    void DrawSelectionFrame(bool, bool, TKXSelType, uint16_t, const TRect &, const TRect &, bool) override {}
    TKXCanvas *LabCanvas() override { return nullptr; }
    void BuildGuideLines() override {}
};

// Mended: the document kept pointing at an editor that had gone, and the editor at a
// document that had gone.
TEST(EditorLink, ClearedOnBothSidesWhenEitherGoes)
{
    auto lab = std::make_unique<TKXCustomLab>();
    {
        BareEditor ed;
        lab->SetEditor(&ed);
        EXPECT_EQ(ed.Label(), lab.get());
        EXPECT_EQ(ed.LabelToScreenX(lab->Measure()->WidthInternal()), 600);
    }
    EXPECT_EQ(lab->Editor(), nullptr);
    lab->NewElement<zt::TestBox>(); // would reach the editor that is gone
    lab->Clear();

    BareEditor ed;
    lab->SetEditor(&ed);
    lab.reset();
    EXPECT_EQ(ed.Label(), nullptr);
    EXPECT_EQ(ed.LabelToScreenX(100), 0);

    // An editor given another document leaves the first one.
    TKXCustomLab a, b;
    a.SetEditor(&ed);
    b.SetEditor(&ed);
    EXPECT_EQ(a.Editor(), nullptr);
    EXPECT_EQ(b.Editor(), &ed);
    EXPECT_EQ(ed.Label(), &b);
    b.SetEditor(nullptr);
    EXPECT_EQ(ed.Label(), nullptr);
}

} // namespace
