// The element list: z-order and drawing order, naming, finding, removing; the element
// factory with its serial numbers; and the common element records E and D.
#include "core/KXCodec1252.h"
#include "document/KXElementFactory.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "LabTestPrint.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"
#include "TestElements.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kx;
using zt::TestBox;
using zt::TestText;

namespace {

std::vector<QString> IDs(const TKXCustomLab &lab)
{
    std::vector<QString> ids;
    for (int i = 1; i <= lab.ElementCount(); ++i)
        ids.push_back(lab.GetElement(i)->ID());
    return ids;
}

// ---------------------------------------------------------------------------------------
// Naming

TEST(ElementNames, FirstFreeNumberPerPrefix)
{
    TKXCustomLab lab;
    EXPECT_EQ(lab.ElementCount(), 0);
    EXPECT_EQ(lab.GetElement(1), nullptr);
    EXPECT_EQ(lab.NewElement<TestText>()->ID(), "Text1");
    EXPECT_EQ(lab.NewElement<TestBox>()->ID(), "Rectangle1");
    EXPECT_EQ(lab.NewElement<TestText>()->ID(), "Text2");
    EXPECT_EQ(lab.NewElement<zt::TestLine>()->ID(), "Line1");
    EXPECT_EQ(lab.NewElement<zt::TestBar>()->ID(), "Barcode1");

    // With Text1 and Text3 a new text is Text2; with Text1..Text3 it is Text4.
    TKXCustomLab gaps;
    gaps.NewElement<TestText>();
    gaps.NewElement<TestText>()->SetID("Text3");
    EXPECT_EQ(gaps.NewElement<TestText>()->ID(), "Text2");
    EXPECT_EQ(gaps.NewElement<TestText>()->ID(), "Text4");

    QString name;
    int32_t number = 0;
    lab.GetNewElementName(TKXCustomLab::ElementPrefix(TKXEle::dePdf417), TKXEle::dePdf417, name, number);
    EXPECT_EQ(name, "PDF4171"); // the number follows the prefix without a separator
    EXPECT_EQ(number, 1);
}

// Mended: a line named Text1 and a rectangle named Text2 made the only text Text2 too.
TEST(ElementNames, NeverAnswersATakenName)
{
    TKXCustomLab lab;
    lab.NewElement<zt::TestLine>()->SetID("Text1");
    lab.NewElement<TestBox>()->SetID("tExT2"); // identifiers compare ignoring ASCII case
    EXPECT_EQ(lab.NewElement<TestText>()->ID(), "Text3");

    // Only the name QString::number writes is that number's: Text04, Text 5 and Text5x
    // leave 4 and 5 free; numbers far past the count of elements never matter.
    TKXCustomLab odd;
    for (const char *id : {"Text1", "Text2", "Text3", "Text04", "Text 5", "Text5x", "Text99999999999", "Text0"})
        odd.NewElement<TestBox>()->SetID(id);
    EXPECT_EQ(odd.NewElement<TestText>()->ID(), "Text4");
    EXPECT_EQ(odd.NewElement<TestText>()->ID(), "Text5");
}

// Elements created to read a record are not named: the record names them, and naming each
// looked at every name on the label (loading was cubic in the number of elements).
TEST(ElementNames, ElementsCreatedForReadingAreNotNamed)
{
    TKXCustomLab lab;
    lab.NewElement<TestText>();
    {
        TKXUnnamedElements unnamed(lab);
        EXPECT_EQ(lab.NewElement<TestText>()->ID(), "");
    }
    EXPECT_EQ(lab.NewElement<TestText>()->ID(), "Text2");
}

TEST(ElementNames, PrefixTable)
{
    const std::pair<TKXEle, const char *> table[] = {
        {TKXEle::deLine, "Line"},          {TKXEle::deText, "Text"},         {TKXEle::deBar, "Barcode"},
        {TKXEle::deRect, "Rectangle"},     {TKXEle::deSymbol, "Symbol"},     {TKXEle::deAddText, "AddText"},
        {TKXEle::deImage, "Image"},        {TKXEle::deParagraph, "Paragraph"}, {TKXEle::deTable, "Table"},
        {TKXEle::deAskText, "AskText"},    {TKXEle::dePolyText, "PolyText"}, {TKXEle::deLayout, "Layout"},
        {TKXEle::dePdf417, "PDF417"},      {TKXEle::deDataMatrix, "DataMatrix"}, {TKXEle::deQRCode, "QRCode"},
        {TKXEle::dePoint, ""},             {TKXEle::deColRowLay, ""},
    };
    for (const auto &[kind, prefix] : table)
        EXPECT_EQ(TKXCustomLab::ElementPrefix(kind), prefix) << EnumName(kind);
}

// ---------------------------------------------------------------------------------------
// Finding and z-order

TEST(ElementList, ElementByIDIgnoresAsciiCaseAndPrefersTheHead)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    lab.NewElement<TestText>();
    auto *second = lab.NewElement<TestText>();
    auto *twin = lab.NewElement<TestBox>();
    twin->SetID("Text2");
    EXPECT_TRUE(lab.ElementExists("text2"));
    EXPECT_TRUE(lab.ElementByID("text2"));
    EXPECT_EQ(lab.Selected(), second);
    EXPECT_TRUE(ed.Has("SetSelect(Text2)"));
    EXPECT_FALSE(lab.ElementByID("Text9"));
    EXPECT_EQ(lab.Selected(), second);
    // Only ASCII letters fold: É and é differ.
    second->SetID(QString::fromUtf8("Étiquette"));
    EXPECT_FALSE(lab.ElementExists(QString::fromUtf8("étiquette")));
}

TEST(ElementList, FrontAndBackMoveInTheList)
{
    TKXCustomLab lab;
    auto *a = lab.NewElement<TestBox>();
    auto *b = lab.NewElement<TestBox>();
    auto *c = lab.NewElement<TestBox>();
    lab.SetModified(false);
    c->BringToFront();
    EXPECT_EQ(IDs(lab), (std::vector<QString>{"Rectangle3", "Rectangle1", "Rectangle2"}));
    c->SendToBack();
    a->SendToBack();
    EXPECT_EQ(IDs(lab), (std::vector<QString>{"Rectangle2", "Rectangle3", "Rectangle1"}));
    b->BringToFront(); // already there
    EXPECT_EQ(lab.GetElement(1), b);
    EXPECT_FALSE(lab.Modified());

    // An element of another document is not moved into this list.
    TKXCustomLab other;
    auto *stranger = other.NewElement<TestBox>();
    stranger->BringToFront();
    EXPECT_EQ(lab.ElementCount(), 3);
}

// ---------------------------------------------------------------------------------------
// Drawing order

TEST(Drawing, LastToFirstSkippingLayoutMembersAndOnTheDesignSurfaceTheSelection)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *top = lab.NewElement<TestBox>();
    top->SetPoints({0, 0}, {100, 100});
    auto *member = lab.NewElement<TestBox>();
    member->SetPoints({200, 200}, {300, 300});
    member->IDLayout = 7;
    auto *bottom = lab.NewElement<TestBox>();
    bottom->SetPoints({400, 400}, {500, 500});
    auto *text = lab.NewElement<TestText>();
    text->SetPoints({1000, 1000}, {-1, -1});
    text->BringToFront();
    ed.SetSelect(text);

    zt::RecordingCanvas design;
    lab.DrawElements(design, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(design.Texts(), (std::vector<std::string>{"Rectangle(400,400,500,500)", "Rectangle(0,0,100,100)"}));
    zt::RecordingCanvas selection;
    lab.DrawSelected(selection, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(selection.Texts("TextOut"), (std::vector<std::string>{"TextOut(1000,1000,\"Text1\")"}));

    // Printing draws the selected ones too, never the layout member, at the origin given.
    zt::RecordingCanvas page;
    lab.DrawElements(page, {1000, 2000}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    EXPECT_EQ(page.Texts("Rect"),
              (std::vector<std::string>{"Rectangle(1400,2400,1500,2500)", "Rectangle(1000,2000,1100,2100)"}));
    EXPECT_EQ(page.Texts("TextOut"), (std::vector<std::string>{"TextOut(2000,3000,\"Text1\")"}));
}

TEST(Drawing, DesignDrawSetsFrameAndBorderAndAsksForTheSelectionFrame)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *box = lab.NewElement<TestBox>();
    box->SetPoints({1000, 500}, {3000, 1500});
    zt::RecordingCanvas canvas; // 10 logical units to the pixel
    lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(box->Frame, (TRect{1000, 500, 3000, 1500}));
    EXPECT_EQ(box->Border(), (TRect{100, 50, 300, 150}));
    EXPECT_TRUE(ed.Has("DrawSelectionFrame(0,0,stRect,0,1000 500 3000 1500,100 50 300 150,0)"));
}

TEST(Drawing, SelectedLayoutItemDrawsItsLayoutAndNothingWithoutEditor)
{
    TKXCustomLab lab;
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->SetPoints({0, 0}, {600, 300});
    zt::TestItem item(&lab, *layout);
    zt::RecordingCanvas none;
    lab.DrawSelected(none, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_TRUE(none.Calls().empty());

    zt::FakeDesignerServices ed(lab);
    ed.AddToSelection(&item);
    zt::RecordingCanvas canvas;
    lab.DrawSelected(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(canvas.Texts("Rect"), (std::vector<std::string>{"Rectangle(0,0,600,300)"}));
}

// ---------------------------------------------------------------------------------------
// Removing

TEST(RemoveElement, UpdatesSelectionLayersAndUndo)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    zt::FakeDesignerServices ed(lab);
    auto *a = lab.NewElement<TestBox>();
    auto *b = lab.NewElement<TestBox>();
    ed.SetSelect(a);
    ed.AddToSelection(b);
    ed.Reset();

    const uint64_t serialA = a->Serial();
    EXPECT_TRUE(lab.RemoveElement(a, true, true));
    EXPECT_EQ(lab.ElementCount(), 1);
    EXPECT_EQ(ed.GetSelectedCount(), 1);
    EXPECT_EQ(lab.Selected(), b); // the one left selected
    EXPECT_TRUE(ed.FPaintSel);
    EXPECT_FALSE(ed.FPaintEle);
    EXPECT_TRUE(ed.Has("UpdateEditor(0)"));
    ASSERT_EQ(undo.Entries.size(), 1u);
    EXPECT_EQ(undo.Entries[0].Kind, TKXURAction::urDelete);
    EXPECT_EQ(undo.Entries[0].Serial, serialA);
    EXPECT_EQ(undo.StepSizes.back(), 1);

    // An unselected element repaints the element layer; without Update no view update.
    auto *c = lab.NewElement<TestBox>();
    ed.Reset();
    EXPECT_TRUE(lab.RemoveElement(c, false, false));
    EXPECT_TRUE(ed.FPaintEle);
    EXPECT_FALSE(ed.Has("UpdateEditor(0)"));
    EXPECT_EQ(undo.Entries.size(), 1u);
}

TEST(RemoveElement, ForeignElementAnswersFalseButClearsSelected)
{
    TKXCustomLab lab, other;
    auto *stranger = other.NewElement<TestBox>();
    lab.SetSelected(stranger);
    EXPECT_FALSE(lab.RemoveElement(stranger, true, false));
    EXPECT_EQ(lab.Selected(), nullptr);
    EXPECT_EQ(other.ElementCount(), 1);
}

TEST(RemoveElement, LayoutReleasesMembersAndMemberLeavesItsLayout)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *layout = lab.NewElement<zt::TestLayout>();
    auto *x = lab.NewElement<TestBox>();
    auto *y = lab.NewElement<TestBox>();
    layout->Adopt(*x, 1, 0);
    layout->Adopt(*y, 0, 1);
    EXPECT_TRUE(lab.RemoveElement(x, false, false));
    EXPECT_EQ(layout->Members, (std::vector<TKXElement *>{y}));
    EXPECT_TRUE(lab.RemoveElement(layout, false, false));
    EXPECT_EQ(y->IDLayout, 0);
    EXPECT_EQ(y->RowLayout, 0);
}

TEST(RemoveElement, PurgeFreesMarkedElements)
{
    TKXCustomLab lab;
    lab.NewElement<TestBox>()->FMarkDelete = true;
    lab.NewElement<TestBox>();
    auto *c = lab.NewElement<TestBox>();
    c->FMarkDelete = true;
    lab.SetSelected(c);
    lab.PurgeDeletedElements();
    EXPECT_EQ(IDs(lab), (std::vector<QString>{"Rectangle2"}));
    EXPECT_EQ(lab.Selected(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Factory and serials

TEST(Factory, CreatesByKindAndKeepsSerialsStable)
{
    zt::TestKinds kinds;
    TKXCustomLab lab;
    TKXElement *text = TKXElementFactory::Create(TKXEle::deText, lab);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->ElementType(), TKXEle::deText);
    EXPECT_EQ(text->ID(), "Text1");
    EXPECT_EQ(lab.GetElement(1), text);
    EXPECT_EQ(TKXElementFactory::Create(TKXEle::dePoint, lab), nullptr);
    EXPECT_EQ(TKXElementFactory::Create(TKXEle::deColRowLay, lab), nullptr);

    // Every element has its own serial; one handed back (undo re-creating a deleted
    // element) is taken again, unless an element of the document already holds it.
    const uint64_t serial = text->Serial();
    auto *box = lab.NewElement<TestBox>();
    EXPECT_NE(box->Serial(), serial);
    EXPECT_EQ(lab.ElementBySerial(serial), text);
    lab.RemoveElement(text, false, false);
    EXPECT_EQ(lab.ElementBySerial(serial), nullptr);
    TKXElement *again = TKXElementFactory::Create(TKXEle::deText, lab, serial);
    EXPECT_EQ(again->Serial(), serial);
    EXPECT_EQ(lab.ElementBySerial(serial), again);
    TKXElement *clash = TKXElementFactory::Create(TKXEle::deText, lab, serial);
    EXPECT_NE(clash->Serial(), serial);
    EXPECT_GT(lab.NewElement<TestBox>()->Serial(), clash->Serial());
}

// ---------------------------------------------------------------------------------------
// Records E and D

TestText *MakeRichText(TKXCustomLab &lab)
{
    auto *t = lab.NewElement<TestText>();
    t->SetColor(0x010203);
    t->SetBackColor(0x0A0B0C);
    t->SetBorderColor(0x00FF00);
    t->SetShowBorder(true);
    t->SetTransparent(false);
    t->SetPrint(false);
    t->SetPenWidth(0.25f);
    t->SetAngle(180);
    t->SetMargin(1);
    t->SetEleAlign(TKXEleAlign::eaCenterTop);
    t->SetPaddingX(0.5f);
    t->SetPaddingY(0.75f);
    t->SetBorderRadio(2);
    t->SetID(QString::fromUtf8("Preis €"));
    t->SetScale(1.5f, 0.5f);
    t->SetFontName("Courier New");
    t->SetFieldName("PRICE");
    t->SetFontHeight(4);
    t->SetData(true);
    t->SetCharWidth(12);
    // Placement and binding moved the points and reset the design width: set them last.
    t->SetPoints({1000, 2000}, {3000, 2600});
    t->SetExtraState({11, 12}, {13, 14}, 1500, 30);
    return t;
}

TEST(Records, RecordELayoutAndRecordDRoundTrip)
{
    zt::TestKinds kinds;
    TKXCustomLab lab;
    TestText *t = MakeRichText(lab);
    TKXStreamWriter w;
    t->SaveToStream(w);
    const TBytesArray &bytes = w.Bytes();

    auto i32 = [&](size_t at) {
        int32_t v;
        std::memcpy(&v, bytes.data() + 1 + at, 4);
        return v;
    };
    EXPECT_EQ(bytes[0], Ord(TKXEle::deText));
    EXPECT_EQ(i32(0), 0x010203);
    EXPECT_EQ(i32(8), 0x00FF00);
    EXPECT_EQ(bytes[1 + 13], 1); // ShowBorder
    EXPECT_EQ(bytes[1 + 15], 0); // Print
    EXPECT_EQ(i32(16), 25);
    EXPECT_EQ(i32(20), 1000);
    EXPECT_EQ(i32(36), 11); // OP1.X
    EXPECT_EQ(i32(52), 180);
    EXPECT_EQ(i32(56), 30);
    EXPECT_EQ(i32(60), 100);
    EXPECT_EQ(bytes[1 + 64], Ord(TKXEleAlign::eaCenterTop));
    EXPECT_EQ(i32(65), 50);
    EXPECT_EQ(i32(73), 200);
    EXPECT_EQ(i32(77), 7); // the ID's ANSI length: "Preis " and the euro sign's one byte
    EXPECT_EQ(bytes[1 + 81 + 6], 0x80);
    EXPECT_EQ(i32(77 + 11), 1500);
    // Record E holds 93 bytes plus the ID's characters; record D's tail follows.
    const size_t tail = 1 + 93 + 7;
    EXPECT_EQ(bytes.size(), tail + (4 + 11) + (4 + 5) + 4 + 1 + 1 + 4);

    TKXCustomLab other;
    TKXStreamReader r(bytes);
    auto *copy = dynamic_cast<TestText *>(TKXElementFactory::ReadElement(r, other));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(r.AtEnd());
    TKXStreamWriter again;
    copy->SaveToStream(again);
    EXPECT_EQ(again.Bytes(), bytes);
    EXPECT_EQ(copy->ID(), QString::fromUtf8("Preis €"));
    EXPECT_EQ(copy->OP2(), (TPoint{13, 14}));
    EXPECT_EQ(copy->Width(), 2000);
    EXPECT_EQ(copy->Height(), 600);
    EXPECT_FLOAT_EQ(copy->TrX(), 1.5f);
    EXPECT_EQ(copy->BoundName(), "PRICE");
    EXPECT_TRUE(copy->Data());
    EXPECT_EQ(copy->CharWidth(), 12);
}

// A record of version 19: no margin, alignment, padding, frame radius, OP1, OP2, design
// width or scale; lengths in tenths of a millimetre.
TEST(Records, Version19IsScaledAndKeepsDefaultsForAbsentFields)
{
    zt::TestKinds kinds;
    TKXStreamWriter w;
    w.WriteUInt8(Ord(TKXEle::deText));
    for (int32_t v : {0x0000FF, 0xFFFFFF, 0x00FF00})
        w.WriteInt32(v);
    for (uint8_t v : {0, 0, 1, 1})
        w.WriteUInt8(v);
    w.WriteInt32(3);                        // pen width
    for (int32_t v : {100, 200, 300, 260}) // P1, P2
        w.WriteInt32(v);
    w.WriteInt32(90); // angle
    w.WriteInt32(2);  // TextD
    WriteAnsiStr("Old", w);
    WriteAnsiStr("Arial", w);
    WriteAnsiStr("NAME", w);
    w.WriteInt32(40); // font height
    w.WriteUInt8(1);  // Data
    w.WriteUInt8(0);  // charset

    TKXCustomLab lab;
    lab.SetFileVersion(19);
    TKXStreamReader r(w.Bytes());
    auto *t = dynamic_cast<TestText *>(TKXElementFactory::ReadElement(r, lab));
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(t->P1(), (TPoint{1000, 2000}));
    EXPECT_EQ(t->P2(), (TPoint{3000, 2600}));
    EXPECT_FLOAT_EQ(t->PenWidth(), 0.3f);
    EXPECT_EQ(t->TextD(), 20);
    EXPECT_FLOAT_EQ(t->FontHeight(), 4.0f);
    EXPECT_EQ(t->Angle(), 90);
    EXPECT_EQ(t->EleAlign(), TKXEleAlign::eaNone);
    EXPECT_EQ(t->Margin(), 0.0f);
    EXPECT_EQ(t->TrX(), 1.0f);
    EXPECT_EQ(t->ID(), "Old");
    EXPECT_EQ(t->Width(), 2000);
}

TEST(Records, FilePreviewTurnsDataOffAndShortRecordsFail)
{
    zt::TestKinds kinds;
    TKXCustomLab lab;
    TestText *t = MakeRichText(lab);
    TKXStreamWriter w;
    t->SaveToStream(w);

    TKXCustomLab preview;
    preview.SetCurDrawType(TKXDrawType::tdOpenDialog);
    TKXStreamReader r(w.Bytes());
    auto *shown = dynamic_cast<TKXData *>(TKXElementFactory::ReadElement(r, preview));
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->Data());

    // A record cut short fails, and the half-read element does not stay in the label.
    TBytesArray cut(w.Bytes().begin(), w.Bytes().end() - 3);
    TKXCustomLab target;
    TKXStreamReader short_(cut);
    EXPECT_THROW(TKXElementFactory::ReadElement(short_, target), EKxStreamError);
    EXPECT_EQ(target.ElementCount(), 0);

    const TBytesArray unknown{14};
    TKXStreamReader bad(unknown);
    EXPECT_THROW(TKXElementFactory::ReadElement(bad, target), EKxStreamError);
}

// Mended: without an editor a removed element stayed a member of its layout cell.
TEST(RemoveElement, LeavesItsLayoutCellWithOrWithoutEditor)
{
    for (bool editor : {false, true}) {
        SCOPED_TRACE(editor);
        TKXCustomLab lab;
        std::unique_ptr<zt::FakeDesignerServices> ed;
        if (editor)
            ed = std::make_unique<zt::FakeDesignerServices>(lab);
        auto *layout = lab.NewElement<zt::TestLayout>();
        auto *box = lab.NewElement<TestBox>();
        layout->Adopt(*box, 0, 0);
        ASSERT_TRUE(lab.RemoveElement(box, false, false));
        EXPECT_TRUE(layout->Members.empty());
    }
}

// Mended: purged elements stayed in the editor's selection (and their layout cell).
TEST(PurgeDeletedElements, TakesPurgedElementsOutOfTheSelection)
{
    TKXCustomLab lab;
    zt::FakeDesignerServices ed(lab);
    auto *layout = lab.NewElement<zt::TestLayout>();
    auto *a = lab.NewElement<TestBox>();
    auto *b = lab.NewElement<TestBox>();
    layout->Adopt(*a, 0, 0);
    ed.SetSelect(a);
    ed.AddToSelection(b);
    a->FMarkDelete = true;
    lab.PurgeDeletedElements();
    EXPECT_EQ(lab.ElementCount(), 2);
    EXPECT_EQ(ed.GetSelectedCount(), 1);
    EXPECT_EQ(ed.GetSelected(1), b);
    EXPECT_TRUE(layout->Members.empty());
}

// Overriding a kind is scoped: the factory is as before once the override ends, and a
// kind registers only once.
TEST(Factory, AnOverrideEndsWithItsScope)
{
    TKXCustomLab lab;
    const bool rectBefore = TKXElementFactory::IsRegistered(TKXEle::deRect);
    {
        zt::TestKinds kinds;
        EXPECT_NE(dynamic_cast<TestText *>(TKXElementFactory::Create(TKXEle::deText, lab)), nullptr);
        EXPECT_TRUE(TKXElementFactory::IsRegistered(TKXEle::deRect));
        TKXFactoryOverride inner(TKXEle::deText, TKXElementFactory::CreatorOf<TestBox>());
        EXPECT_NE(dynamic_cast<TestBox *>(TKXElementFactory::Create(TKXEle::deText, lab)), nullptr);
    }
    EXPECT_NE(dynamic_cast<TKXText *>(TKXElementFactory::Create(TKXEle::deText, lab)), nullptr);
    EXPECT_EQ(TKXElementFactory::IsRegistered(TKXEle::deRect), rectBefore);
    EXPECT_THROW(TKXElementFactory::RegisterKind(TKXEle::deText, TKXElementFactory::CreatorOf<TestText>()), EKxError);
}

} // namespace
