// The element setter protocol: for every property, whether a change records the element's
// prior state for undo, which repaint kind and property name it notifies, and whether it
// marks the document modified. Expectations are the property table of the element base,
// with the mended rows marked "mended": every value that label files store marks the
// document modified, and an unchanged Angle records nothing.
#include "FakeDesignerServices.h"
#include "LabTestPrint.h"
#include "TestElements.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace kx;
using zt::TestText;

namespace {

// What one setter call did.
struct Effect {
    int undo;           // entries handed to the undo history
    std::string notify; // "kind:name" of the notification, "" for none
    bool modified;
    friend bool operator==(const Effect &, const Effect &) = default;
};

std::ostream &operator<<(std::ostream &os, const Effect &e)
{
    return os << "{undo " << e.undo << ", notify \"" << e.notify << "\", modified " << e.modified << "}";
}

class SetterProtocol : public ::testing::Test {
protected:
    SetterProtocol() : ed(lab), undo(zt::InstallUndoRecorder(lab)) { el = lab.NewElement<TestText>(); }

    // Runs Change on a clean state and reads back what reached the designer, the undo
    // history and the modified flag. The repaint kind is read from the layer flags the
    // notification set: 2 elements, 3 selection, 4 and 5 the same plus guide lines.
    Effect Run(const std::function<void(TestText &)> &Change)
    {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        Change(*el);
        Effect e{int(undo.Entries.size()), "", lab.Modified()};
        for (const std::string &call : ed.Log) {
            if (call.rfind("RefreshView(0,", 0) != 0)
                continue;
            const bool guides = ed.Has("BuildGuideLines");
            const int kind = ed.FPaintSel ? (guides ? 5 : 3) : (guides ? 4 : 2);
            e.notify = std::to_string(kind) + ":" + call.substr(14, call.size() - 15);
        }
        return e;
    }

    TKXCustomLab lab;
    zt::FakeDesignerServices ed;
    zt::RecordingUndoRecorder &undo;
    TestText *el;
};

struct SetterCase {
    const char *name;
    std::function<void(TestText &)> change;
    Effect unselected;
};

// A change of each property on an unselected element (selected ones notify 3 and 5 in
// place of 2 and 4, checked below).
const SetterCase kChanges[] = {
    {"X1", [](TestText &e) { e.SetX1(10); }, {1, "4:X1", true}},
    {"Y1", [](TestText &e) { e.SetY1(10); }, {1, "4:Y1", true}},
    {"X2", [](TestText &e) { e.SetX2(10); }, {1, "4:X2", true}},
    {"Y2", [](TestText &e) { e.SetY2(10); }, {1, "4:Y2", true}},
    {"Color", [](TestText &e) { e.SetColor(0x123456); }, {1, "2:Color", true}},
    {"BackColor", [](TestText &e) { e.SetBackColor(0x123456); }, {1, "2:BackColor", true}},
    {"Transparent", [](TestText &e) { e.SetTransparent(false); }, {1, "2:Transparent", true}},
    {"Print", [](TestText &e) { e.SetPrint(false); }, {1, "", true}},
    {"ShowBorder", [](TestText &e) { e.SetShowBorder(true); }, {1, "2:ShowBorder", true}},
    {"BorderColor", [](TestText &e) { e.SetBorderColor(0); }, {1, "2:BorderColor", true}},
    {"BorderRadio without border", [](TestText &e) { e.SetBorderRadio(2); }, {0, "", true}},
    {"BorderRadio with border",
     [](TestText &e) {
         e.SetShowBorder(true);
         e.Owner()->Editor()->FPaintEle = false;
         static_cast<zt::FakeDesignerServices *>(e.Owner()->Editor())->Log.clear();
         e.SetBorderRadio(2);
     },
     {1, "2:BorderRadio", true}}, // the one undo entry is ShowBorder's
    {"PaddingX without border", [](TestText &e) { e.SetPaddingX(1); }, {1, "", true}},
    {"PaddingY without border", [](TestText &e) { e.SetPaddingY(1); }, {1, "", true}},
    {"PenWidth (mended: modified)", [](TestText &e) { e.SetPenWidth(0.5f); }, {1, "2:PenWidth", true}},
    {"Margin outside a layout (mended: modified)", [](TestText &e) { e.SetMargin(2); }, {0, "", true}},
    {"Angle", [](TestText &e) { e.SetAngle(90); }, {1, "2:Angle", true}},
    {"EleAlign (mended: modified)", [](TestText &e) { e.SetEleAlign(TKXEleAlign::eaLeftTop); },
     {1, "2:Alignment", true}},
    {"Locked (kept in memory only)", [](TestText &e) { e.SetLocked(true); }, {1, "2:Locked", false}},
    {"ID (mended: modified)", [](TestText &e) { e.SetID("Price"); }, {0, "", true}},
    {"FontHeight", [](TestText &e) { e.SetFontHeight(3); }, {1, "2:FontHeight", true}},
    {"FontName", [](TestText &e) { e.SetFontName("Courier"); }, {1, "2:FontName", true}},
    {"CharWidth", [](TestText &e) { e.SetCharWidth(20); }, {1, "2:", true}},
    {"Data (mended: modified)", [](TestText &e) { e.SetData(true); }, {1, "", true}},
    {"FieldName (mended: modified)", [](TestText &e) { e.SetFieldName("Price"); }, {1, "", true}},
};

TEST_F(SetterProtocol, EveryPropertyChange)
{
    for (const SetterCase &c : kChanges) {
        SCOPED_TRACE(c.name);
        // Each case on a fresh element, so that one change does not hide the next.
        el = lab.NewElement<TestText>();
        EXPECT_EQ(Run(c.change), c.unselected);
    }
}

TEST_F(SetterProtocol, SelectedElementsNotifyTheSelectionLayer)
{
    for (const SetterCase &c : kChanges) {
        if (c.unselected.notify.empty())
            continue;
        SCOPED_TRACE(c.name);
        el = lab.NewElement<TestText>();
        ed.SetSelect(el);
        Effect expected = c.unselected;
        expected.notify[0] = expected.notify[0] == '4' ? '5' : '3';
        EXPECT_EQ(Run(c.change), expected);
    }
}

// The current value again: no undo, no notification, not modified; except the setters
// without an equality test.
TEST_F(SetterProtocol, UnchangedValues)
{
    el->SetPoints({1000, 500}, {2000, 900});
    const SetterCase cases[] = {
        // 10.004 mm converts to the stored 1000.
        {"X1", [](TestText &e) { e.SetX1(10.004f); }, {0, "", false}},
        {"Y2", [](TestText &e) { e.SetY2(9); }, {0, "", false}},
        {"Color", [](TestText &e) { e.SetColor(clBlack); }, {0, "", false}},
        {"Print", [](TestText &e) { e.SetPrint(true); }, {0, "", false}},
        {"Angle (mended: no undo entry)", [](TestText &e) { e.SetAngle(0); }, {0, "", false}},
        {"EleAlign", [](TestText &e) { e.SetEleAlign(TKXEleAlign::eaNone); }, {0, "", false}},
        {"ID", [](TestText &e) { e.SetID(e.ID()); }, {0, "", false}},
        {"FontName", [](TestText &e) { e.SetFontName("Arial"); }, {0, "", false}},
        {"Data", [](TestText &e) { e.SetData(false); }, {0, "", false}},
        // No equality test: recorded and notified, but the stored value did not change.
        {"PenWidth", [](TestText &e) { e.SetPenWidth(0.1f); }, {1, "2:PenWidth", false}},
        {"BorderRadio", [](TestText &e) { e.SetBorderRadio(0); }, {0, "", true}},
        {"PaddingX", [](TestText &e) { e.SetPaddingX(0); }, {1, "", true}},
        {"FieldName empty keeps the binding", [](TestText &e) { e.SetFieldName(""); }, {0, "", false}},
    };
    for (const SetterCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(c.change), c.unselected);
    }
}

TEST_F(SetterProtocol, NothingIsRecordedWhileRecordingIsOff)
{
    lab.SetUnReIni(0);
    EXPECT_EQ(Run([](TestText &e) { e.SetColor(0xFF); }), (Effect{0, "2:Color", true}));
    lab.SetUnReIni(1);
    EXPECT_EQ(Run([](TestText &e) { e.SetColor(0xFE); }).undo, 1);
}

TEST_F(SetterProtocol, UndoEntriesNameTheElementBySerial)
{
    el->SetColor(0xFF);
    ASSERT_EQ(undo.Entries.size(), 1u);
    EXPECT_EQ(undo.Entries[0].Kind, TKXURAction::urProp);
    EXPECT_EQ(undo.Entries[0].Serial, el->Serial());
    EXPECT_NE(el->Serial(), 0u);
}

TEST_F(SetterProtocol, ValueEffects)
{
    el->SetPoints({100, 100}, {300, 400});
    el->SetX1(5);
    EXPECT_EQ(el->P1().x, 500);
    EXPECT_EQ(el->Width(), 200); // abs(P2.X - P1.X)
    el->SetY2(0.5f);
    EXPECT_EQ(el->Height(), 50);

    el->SetPaddingX(-1);
    EXPECT_EQ(el->PaddingX(), 0.0f);
    el->SetPaddingY(1.5f);
    EXPECT_FLOAT_EQ(el->PaddingY(), 1.5f);

    // Lengths follow the document's units on the way in and out.
    lab.SetUnits(TKXUnits::unINCH);
    el->SetPenWidth(1);
    EXPECT_EQ(lab.UnitsToInternal(el->PenWidth()), 2540);
    lab.SetUnits(TKXUnits::unCM);
    EXPECT_FLOAT_EQ(el->X1(), 0.5f);
}

TEST_F(SetterProtocol, DataOffForgetsTheDesignWidth)
{
    el->SetExtraState({}, {}, 1234, 0);
    el->SetData(true);
    EXPECT_EQ(el->DesignWidth(), 1234);
    el->SetData(false);
    EXPECT_EQ(el->DesignWidth(), 0);
}

TEST_F(SetterProtocol, MarginInsideALayoutPlacesAgainAndNotifiesAsCoordinate)
{
    auto *layout = lab.NewElement<zt::TestLayout>();
    layout->SetPoints({0, 0}, {6000, 3500});
    el->SetPoints({100, 100}, {1100, 600});
    el->SetTextAlign(TTextAlign::taLeTo);
    el->SetEleAlign(TKXEleAlign::eaLeftTop);
    layout->Adopt(*el, 0, 0);
    EXPECT_EQ(Run([](TestText &e) { e.SetMargin(2); }), (Effect{0, "4:Margin", true}));
    EXPECT_EQ(el->P1(), (TPoint{200, 200}));
}

// A document derived as the data binding will be: captions differ from the field names.
class CaptionLab : public TKXCustomLab {
public:
    void CaptionToFieldName(const QString &Caption, bool &FloatAsDateTime, QString &FieldName,
                            bool &IsCounter) const override
    {
        IsCounter = Caption == "Counter A";
        FloatAsDateTime = Caption == "Date of sale";
        FieldName = Caption == "Date of sale" ? "SALEDATE" : Caption == "Counter A" ? "CNT_A" : "";
    }
    QString FieldNameToCaption(const QString &FieldName, bool &FloatAsDateTime, bool IsCounter) const override
    {
        FloatAsDateTime = false;
        return IsCounter ? FieldName : FieldName == "SALEDATE" ? QString("Date of sale") : QString("-");
    }
};

TEST(FieldBinding, ThroughCaptions)
{
    CaptionLab lab;
    auto *el = lab.NewElement<TestText>();
    el->SetFieldName("Date of sale");
    EXPECT_EQ(el->BoundName(), "SALEDATE");
    EXPECT_TRUE(el->FloatAsDateTime());
    EXPECT_FALSE(el->IsCounter());
    // Read as empty while Data is off, even with a bound name.
    EXPECT_EQ(el->FieldName(), "");
    el->SetData(true);
    EXPECT_EQ(el->FieldName(), "Date of sale");

    el->SetFieldName("Counter A");
    EXPECT_EQ(el->BoundName(), "CNT_A");
    EXPECT_TRUE(el->IsCounter());
    EXPECT_FALSE(el->FloatAsDateTime());
    EXPECT_EQ(el->FieldName(), "CNT_A");
}

TEST(Notification, WithoutEditorNothingHappensButValuesChange)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    auto *el = lab.NewElement<TestText>();
    el->SetColor(0xFF);
    EXPECT_EQ(el->Color(), 0xFFu);
    EXPECT_TRUE(lab.Modified());
    EXPECT_EQ(undo.Entries.size(), 1u);
}

} // namespace
