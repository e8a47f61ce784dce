// Undo and redo: steps of property changes, creations and deletions, steps gathering several
// elements, the 200-step lists, the completion events, and the faults mended in the history.
#include "document/KXElementFactory.h"
#include "document/KXUndo.h"
#include "FakeDesignerServices.h"
#include "file/KXLabelFile.h"
#include "LabelFileComposer.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"
#include "TestElements.h"

#include <gtest/gtest.h>

using namespace kx;
using zt::TestBox;

namespace {

struct Event {
    bool UndoEmpty, RedoEmpty;
    bool operator==(const Event &) const = default;
};

class Undo : public ::testing::Test {
protected:
    Undo()
    {
        lab.OnUndoRedoEvent = [this](TObject *, bool u, bool r) { events.push_back({u, r}); };
    }
    TKXUndo &History() { return dynamic_cast<TKXUndo &>(*lab.UndoRecorder()); }
    TestBox *NewBox(TColor c)
    {
        lab.SetUnReIni(0);
        auto *b = lab.NewElement<TestBox>();
        b->SetPoints({100, 100}, {500, 400});
        b->SetColor(c);
        lab.SetUnReIni(1);
        return b;
    }
    std::vector<QString> IDs() const
    {
        std::vector<QString> ids;
        for (int i = 1; i <= lab.ElementCount(); ++i)
            ids.push_back(lab.GetElement(i)->ID());
        return ids;
    }

    zt::TestKinds kinds;
    TKXCustomLab lab;
    std::vector<Event> events;
};

TEST_F(Undo, OnePropertyChangeIsOneStepAndReplaysBothWays)
{
    TestBox *b = NewBox(1);
    events.clear();
    b->SetColor(2);
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 1);
    EXPECT_EQ(History().UndoList().back().Kind, TKXURAction::urProp);
    EXPECT_EQ(events, (std::vector<Event>{{false, true}}));

    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(b->Color(), 1u);
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_EQ(lab.RedoCount(), 1);
    EXPECT_EQ(events.back(), (Event{true, false}));

    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(b->Color(), 2u);
    EXPECT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(lab.RedoCount(), 0);
    EXPECT_EQ(events.back(), (Event{false, true}));
    // Replay records nothing of its own and leaves recording on.
    EXPECT_EQ(lab.ElementsAfected(), 1);

    // Empty lists: nothing happens, no event.
    lab.UndoRedo(TKXURAction::urRedo);
    const size_t n = events.size();
    lab.UndoRedo(TKXURAction::urUndo);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(events.size(), n + 1);
    lab.UndoRedo(TKXURAction::urProp); // not a replay
    EXPECT_EQ(events.size(), n + 1);
}

TEST_F(Undo, AnnouncedStepGathersSeveralElements)
{
    TestBox *a = NewBox(1), *b = NewBox(2), *c = NewBox(3);
    events.clear();
    lab.SetUnReIni(3);
    a->SetColor(10);
    b->SetColor(20);
    EXPECT_TRUE(events.empty());
    c->SetColor(30);
    EXPECT_EQ(events.size(), 1u);
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 3);

    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->Color(), 1u);
    EXPECT_EQ(b->Color(), 2u);
    EXPECT_EQ(c->Color(), 3u);
    ASSERT_EQ(lab.RedoCount(), 1);
    EXPECT_EQ(History().RedoList().back().Count, 3);
    EXPECT_EQ(History().RedoList().back().Kind, TKXURAction::urProp);
    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(a->Color(), 10u);
    EXPECT_EQ(c->Color(), 30u);
}

TEST_F(Undo, ShortStepClosesAtTheNextAnnouncement)
{
    TestBox *a = NewBox(1), *b = NewBox(2);
    events.clear();
    lab.SetUnReIni(3);
    a->SetColor(10);
    b->SetColor(20);
    EXPECT_TRUE(History().StepOpen());
    lab.SetUnReIni(1);
    EXPECT_FALSE(History().StepOpen());
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Count, 2);
    // Mended: the step is complete now, and the application hears of it.
    EXPECT_EQ(events, (std::vector<Event>{{false, true}}));
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->Color(), 1u);
    EXPECT_EQ(b->Color(), 2u);
}

// Mended: a step announced for n entries that received fewer took in whatever changed next.
TEST_F(Undo, ShortStepNeverTakesInUnrelatedChanges)
{
    TestBox *a = NewBox(1), *b = NewBox(2);
    lab.SetUnReIni(3);
    a->SetColor(10);
    b->SetColor(20);
    // The next, unannounced change: a second change of an element already in the step.
    a->SetColor(11);
    EXPECT_EQ(lab.UndoCount(), 2);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(a->Color(), 10u);
    EXPECT_EQ(b->Color(), 20u);

    // An entry of another kind opens its own step too.
    TKXCustomLab other;
    other.SetUnReIni(0);
    auto *x = other.NewElement<TestBox>();
    auto *y = other.NewElement<TestBox>();
    other.SetUnReIni(3);
    x->SetColor(5);
    other.RemoveElement(y, false, true);
    EXPECT_EQ(other.UndoCount(), 2);
}

TEST_F(Undo, EachListKeepsTheLast200Steps)
{
    TestBox *b = NewBox(0);
    for (TColor c = 1; c <= 201; ++c)
        b->SetColor(c);
    EXPECT_EQ(lab.UndoCount(), 200);
    while (lab.UndoCount() > 0)
        lab.UndoRedo(TKXURAction::urUndo);
    // The first change (0 -> 1) is gone; the oldest step kept restores 1.
    EXPECT_EQ(b->Color(), 1u);
    EXPECT_EQ(lab.RedoCount(), 200);
}

// Mended: undoing a deletion put the element at the bottom of the z-order.
TEST_F(Undo, DeletionComesBackInItsPlaceWithItsIdentity)
{
    TestBox *a = NewBox(1);
    TestBox *b = NewBox(2);
    NewBox(3);
    const uint64_t serial = b->Serial();
    lab.RemoveElement(b, false, true);
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(History().UndoList().back().Kind, TKXURAction::urDelete);
    EXPECT_EQ(IDs(), (std::vector<QString>{"Rectangle1", "Rectangle3"}));

    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(IDs(), (std::vector<QString>{"Rectangle1", "Rectangle2", "Rectangle3"}));
    TKXElement *back = lab.GetElement(2);
    EXPECT_EQ(back->Serial(), serial);
    EXPECT_EQ(back->Color(), 2u);
    EXPECT_EQ(back->P2(), (TPoint{500, 400}));
    ASSERT_EQ(lab.RedoCount(), 1);
    EXPECT_EQ(History().RedoList().back().Kind, TKXURAction::urCreate);

    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(IDs(), (std::vector<QString>{"Rectangle1", "Rectangle3"}));
    EXPECT_EQ(lab.ElementBySerial(serial), nullptr);
    EXPECT_EQ(lab.GetElement(1), a);
}

TEST_F(Undo, CreationUndoneAndRedone)
{
    NewBox(1);
    auto *b = lab.NewElement<TestBox>();
    b->SetPoints({1, 2}, {3, 4});
    lab.BeginUndoRecord(TKXURAction::urCreate, *b);
    ASSERT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(events.back(), (Event{false, true}));
    const uint64_t serial = b->Serial();

    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(lab.ElementCount(), 1);
    EXPECT_EQ(lab.ElementBySerial(serial), nullptr);
    lab.UndoRedo(TKXURAction::urRedo);
    ASSERT_EQ(lab.ElementCount(), 2);
    EXPECT_EQ(lab.GetElement(2)->Serial(), serial);
    EXPECT_EQ(lab.GetElement(2)->P2(), (TPoint{3, 4}));
}

// Older steps find an element again after a deletion and its undo: the serial comes back.
TEST_F(Undo, StepsReferToElementsBySerial)
{
    TestBox *b = NewBox(1);
    b->SetColor(2);                        // step 1: 1 -> 2
    lab.RemoveElement(b, false, true);     // step 2: deletion
    lab.UndoRedo(TKXURAction::urUndo);     // back, a new object
    lab.UndoRedo(TKXURAction::urUndo);     // step 1 finds it by serial
    ASSERT_EQ(lab.ElementCount(), 1);
    EXPECT_EQ(lab.GetElement(1)->Color(), 1u);

    // A step whose element no longer exists is passed over safely.
    TKXElement *e = lab.GetElement(1);
    e->SetColor(7);
    lab.SetUnReIni(0);
    lab.RemoveElement(e, false, false);
    lab.SetUnReIni(1);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(lab.ElementCount(), 0);
    EXPECT_EQ(lab.RedoCount(), 1);
    EXPECT_EQ(History().RedoList().back().Count, 0);
}

// Mended: after an undo a new change left the undone step on the redo list.
TEST_F(Undo, NewStepClearsTheRedoList)
{
    TestBox *b = NewBox(1);
    b->SetColor(2);
    lab.UndoRedo(TKXURAction::urUndo);
    ASSERT_EQ(lab.RedoCount(), 1);
    b->SetColor(3);
    EXPECT_EQ(lab.RedoCount(), 0);
    EXPECT_EQ(events.back(), (Event{false, true}));
    lab.UndoRedo(TKXURAction::urRedo);
    EXPECT_EQ(b->Color(), 3u);
}

TEST_F(Undo, StepSizeZeroRecordsNothing)
{
    TestBox *b = NewBox(1);
    events.clear();
    lab.SetUnReIni(0);
    b->SetColor(2);
    lab.RemoveElement(NewBox(4), false, false);
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(Undo, ClearAndLoadEmptyTheHistory)
{
    TestBox *b = NewBox(1);
    b->SetColor(2);
    b->SetColor(3);
    lab.UndoRedo(TKXURAction::urUndo);
    lab.Clear();
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_EQ(lab.RedoCount(), 0);
    EXPECT_EQ(events.back(), (Event{true, true}));
}

// Undo records are read at the current version whatever file was loaded last.
TEST_F(Undo, AfterAVersion19FileUndoRestoresHundredths)
{
    zt::ComposedLabel L;
    L.Version = 19;
    L.Access = 1;
    zt::ComposedElement e;
    e.P1x = 10, e.P1y = 20, e.P2x = 30, e.P2y = 40;
    L.Elements = {e};
    const zt::Bytes file = zt::ComposeLabel(L);
    TKXStreamReader r(file);
    lab.LoadLabStream(r, false);
    ASSERT_EQ(lab.FileVersion(), 19);
    TKXElement *b = lab.GetElement(1);
    ASSERT_EQ(b->P1(), (TPoint{100, 200}));
    b->SetX1(50.0f); // mm
    EXPECT_EQ(b->P1().x, 5000);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(b->P1(), (TPoint{100, 200}));
    EXPECT_EQ(b->P2(), (TPoint{300, 400}));
    EXPECT_EQ(lab.FileVersion(), 19);
}

// The copy stream's records are this program's too: a paste after opening a version-19 file
// reads them in the current layout, not scaled by ten.
TEST_F(Undo, PastedRecordsReadAtTheCurrentVersionAfterAnOldFile)
{
    zt::ComposedLabel L;
    L.Version = 19;
    L.Access = 1;
    zt::ComposedElement e;
    e.P1x = 10, e.P1y = 20, e.P2x = 30, e.P2y = 40;
    L.Elements = {e};
    const zt::Bytes file = zt::ComposeLabel(L);
    TKXStreamReader r(file);
    lab.LoadLabStream(r, false);
    TKXElement *copied = lab.GetElement(1);
    TKXStreamWriter clip;
    copied->SaveToStream(clip);
    TKXElement *pasted = nullptr;
    {
        TKXCurrentVersionRecords current(lab);
        EXPECT_EQ(lab.FileVersion(), TKXCustomLab::CurrentVersion);
        TKXStreamReader in(clip.Bytes());
        pasted = TKXElementFactory::ReadElement(in, lab);
    }
    EXPECT_EQ(lab.FileVersion(), 19);
    EXPECT_EQ(pasted->P1(), (TPoint{100, 200}));
    EXPECT_EQ(pasted->P2(), (TPoint{300, 400}));
}

TEST_F(Undo, ReplayNotifiesTheEditor)
{
    zt::FakeDesignerServices ed(lab);
    TestBox *b = NewBox(1);
    b->SetColor(2);
    ed.Reset();
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_TRUE(ed.FPaintEle && ed.FPaintSel);
    EXPECT_TRUE(ed.Has("BuildGuideLines"));
    lab.RemoveElement(b, false, true);
    ed.Reset();
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_TRUE(ed.FPaintEle);
    EXPECT_FALSE(ed.FPaintSel);
}

// A box whose record can be made to fail when read back.
class FragileBox : public TestBox {
public:
    using TestBox::TestBox;
    static inline bool Fail = false;
    void LoadFromStream(TKXStreamReader &S) override
    {
        if (Fail)
            throw EKxError("ERROR READING FILE");
        TestBox::LoadFromStream(S);
    }
};

// Mended: the step left its list before the replay, so a failing entry lost it and left
// the label half restored.
TEST_F(Undo, AFailingReplayKeepsTheStepAndPutsTheLabelBack)
{
    TestBox *a = NewBox(1);
    lab.SetUnReIni(0);
    auto *f = lab.NewElement<FragileBox>();
    f->SetColor(2);
    lab.SetUnReIni(2);
    a->SetColor(10);
    f->SetColor(20);
    ASSERT_EQ(lab.UndoCount(), 1);
    ASSERT_EQ(History().UndoList().back().Count, 2);
    events.clear();

    FragileBox::Fail = true;
    EXPECT_THROW(lab.UndoRedo(TKXURAction::urUndo), EKxError);
    FragileBox::Fail = false;
    EXPECT_EQ(a->Color(), 10u); // the first entry was applied, then taken back
    EXPECT_EQ(f->Color(), 20u);
    EXPECT_EQ(lab.UndoCount(), 1);
    EXPECT_EQ(lab.RedoCount(), 0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(lab.ElementsAfected(), 1); // recording is on again

    lab.UndoRedo(TKXURAction::urUndo); // the step is whole and still replays
    EXPECT_EQ(a->Color(), 1u);
    EXPECT_EQ(f->Color(), 2u);
    EXPECT_EQ(lab.RedoCount(), 1);
}

// Mended: a change whose text is too long for a record silently got no step.
TEST_F(Undo, AChangeThatCannotBeRecordedIsReported)
{
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    TestBox *b = NewBox(1);
    lab.SetUnReIni(0);
    b->SetID(QString(MaxStreamText + 1, QChar(u'x')));
    lab.SetUnReIni(1);
    b->SetColor(2);
    EXPECT_EQ(lab.UndoCount(), 0);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_TRUE(ui.Messages[0].startsWith("THIS CHANGE CANNOT BE UNDONE : TEXT TOO LONG TO SAVE")) << ui.Messages[0].toStdString();
    lab.SetUIServices(nullptr);
}

} // namespace
