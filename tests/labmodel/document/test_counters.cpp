// Counters of the label document: sequences, formatting, activation by bound elements,
// removal, and the counter record.
#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace kx;

namespace {

constexpr int64_t Max64 = std::numeric_limits<int64_t>::max();
constexpr int64_t Min64 = std::numeric_limits<int64_t>::min();

class Counters : public ::testing::Test {
protected:
    TKXCustomLab lab;

    TKXCounter *AddCounter(const QString &Name, int64_t From, int64_t To, int32_t Step)
    {
        TKXCounter *c = lab.NewCounter();
        c->Name = Name;
        c->NumFrom = From;
        c->NumTo = To;
        c->Step = Step;
        return c;
    }

    // A text bound to a field or counter by the name the inspector shows.
    TKXText *BoundText(const QString &Name)
    {
        auto *t = lab.NewElement<TKXText>();
        t->SetData(true);
        t->SetFieldName(Name);
        return t;
    }

    // The values a counter shows over Labels labels of a print run.
    std::vector<std::string> Run(TKXCounter &C, int Labels)
    {
        std::vector<std::string> shown;
        for (int i = 0; i < Labels; ++i) {
            if (i > 0)
                lab.StepCounters();
            shown.push_back(C.FValue.toStdString());
        }
        return shown;
    }
};

TEST_F(Counters, NewCounterDefaultsAndLookup)
{
    TKXCounter *a = lab.NewCounter();
    EXPECT_EQ(a->Counter, 1);
    EXPECT_EQ(a->NumFrom, 1);
    EXPECT_EQ(a->NumTo, 100);
    EXPECT_EQ(a->Step, 1);
    EXPECT_EQ(a->Num, 100);
    EXPECT_EQ(a->NumBefore, -1);
    EXPECT_EQ(a->NumAfter, -1);
    EXPECT_FALSE(a->FActive);
    a->Name = "Serial";
    TKXCounter *b = AddCounter("Batch", 1, 9, 1);
    EXPECT_EQ(lab.CounterCount(), 2);
    EXPECT_EQ(lab.GetCounter(1), a);
    EXPECT_EQ(lab.GetCounter(2), b);
    EXPECT_EQ(lab.GetCounter(0), nullptr);
    EXPECT_EQ(lab.GetCounter(3), nullptr);
    EXPECT_EQ(lab.FindCounter("SERIAL"), a);
    EXPECT_EQ(lab.FindCounter("batch"), b);
    EXPECT_EQ(lab.FindCounter("Seria"), nullptr);
    lab.ClearCounters();
    EXPECT_EQ(lab.CounterCount(), 0);
}

// Sequences stepped label by label. The answer of InitCounters is the number of labels the
// sequence fills.
TEST_F(Counters, SteppingStopsAtTheLastValue)
{
    const struct {
        int64_t from, to;
        int32_t step;
        int labels;
        int32_t answer;
        std::vector<std::string> shown;
    } cases[] = {
        {1, 10, 4, 4, 3, {"1", "5", "9", "9"}},
        {1, 10, 3, 5, 4, {"1", "4", "7", "10", "10"}},
        {1, 100, 1, 2, 100, {"1", "2"}},
        // A negative step runs down to NumTo (it used to keep NumFrom for every label).
        {100, 1, -1, 3, 100, {"100", "99", "98"}},
        {10, 1, -4, 4, 3, {"10", "6", "2", "2"}},
        // A positive step that starts past its end has its first value only: one label.
        {5, 1, 1, 2, 1, {"5", "5"}},
        // More values than a label count holds: the answer stays at the largest count
        // (2^32 + 1 values would wrap to 1 in 32 bits).
        {0, 4294967296LL, 1, 2, std::numeric_limits<int32_t>::max(), {"0", "1"}},
        {Min64, Max64, 1, 1, std::numeric_limits<int32_t>::max(), {"-9223372036854775808"}},
        // 64-bit values near the top neither wrap nor lose digits.
        {Max64 - 2, Max64, 2, 3, 2, {"9223372036854775805", "9223372036854775807", "9223372036854775807"}},
    };
    for (const auto &c : cases) {
        lab.ClearCounters();
        lab.Clear();
        TKXCounter *k = AddCounter("N", c.from, c.to, c.step);
        BoundText("N");
        EXPECT_EQ(lab.InitCounters(), c.answer) << c.from << ".." << c.to << " step " << c.step;
        EXPECT_EQ(Run(*k, c.labels), c.shown) << c.from << ".." << c.to << " step " << c.step;
    }
}

TEST_F(Counters, SetToLabelComputesIn64BitsAndStopsAtNumTo)
{
    const struct {
        int64_t from, to;
        int32_t step;
        int32_t label;
        int64_t value;
    } cases[] = {
        {1, 10, 1, 3, 3},
        {1, 10, 1, 12, 10},   // as StepCounters: never past NumTo
        {1, 10, 3, 4, 10},
        {1, 10, 3, 5, 10},
        {10, 1, -2, 3, 6},
        {10, 1, -2, 9, 2},
        // 1000000 x 4999 does not fit 32 bits.
        {0, Max64, 1000000, 5000, 4999000000LL},
        {7, 100, 1, 0, 7},    // before the first label: the first value
    };
    for (const auto &c : cases) {
        lab.ClearCounters();
        lab.Clear();
        TKXCounter *k = AddCounter("N", c.from, c.to, c.step);
        BoundText("N");
        lab.InitCounters();
        lab.SetCountersToLabel(c.label);
        EXPECT_EQ(k->Counter, c.value) << c.from << ".." << c.to << " step " << c.step << " label " << c.label;
        EXPECT_EQ(k->FValue, QString::number(c.value));
    }
}

TEST_F(Counters, FormatCounterJoinsNumbersAndPattern)
{
    const struct {
        int64_t value;
        const char *format;
        int32_t before, after;
        const char *shown;
    } cases[] = {
        {42, "00000", 7, 3, "7000423"},
        {42, "", -1, -1, "42"},
        {42, "", 0, -2, "042-2"},
        {1234567, "#,##0", -1, -1, "1,234,567"},
        {42, "'No. '000", -1, -1, "No. 042"},
        {-5, "0;(0)", -1, -1, "(5)"},
        // Beyond 2^53 a double would round to ...992.
        {9007199254740993LL, "0", -1, -1, "9007199254740993"},
    };
    for (const auto &c : cases) {
        TKXCounter k;
        k.Counter = c.value;
        k.Format = c.format;
        k.NumBefore = c.before;
        k.NumAfter = c.after;
        lab.FormatCounter(k);
        EXPECT_EQ(k.FValue.toStdString(), c.shown) << c.format;
    }
}

TEST_F(Counters, StepThatCannotReachItsEndIsRefused)
{
    const struct {
        int64_t from, to;
        int32_t step;
    } bad[] = {{1, 10, 0}, {5, 5, 0}, {1, 10, -1}};
    for (const auto &c : bad) {
        lab.ClearCounters();
        lab.Clear();
        TKXCounter *k = AddCounter("Serial", c.from, c.to, c.step);
        BoundText("Serial");
        EXPECT_FALSE(k->ValidStep());
        try {
            lab.InitCounters();
            ADD_FAILURE() << "step " << c.step << " accepted";
        } catch (const EKxError &e) {
            EXPECT_STREQ(e.what(), "INVALID COUNTER STEP :Serial");
        }
    }
    // A counter no element uses is not looked at.
    lab.ClearCounters();
    lab.Clear();
    AddCounter("Unused", 1, 10, 0);
    AddCounter("Used", 1, 3, 1);
    BoundText("Used");
    EXPECT_EQ(lab.InitCounters(), 3);
}

TEST_F(Counters, InitCountersActivatesOnlyUsedCountersAndAsksForTheirRange)
{
    TKXCounter *used = AddCounter("Serial", 1, 100, 1);
    TKXCounter *idle = AddCounter("Idle", 1, 100, 1);
    idle->Counter = 50;
    idle->FActive = true; // left over from an earlier run
    BoundText("serial");
    BoundText("SERIAL");
    std::vector<std::string> asked;
    lab.OnAskDataCounter = [&](TObject *Sender, const AnsiString &Name, int64_t &From, int64_t &To) {
        EXPECT_EQ(Sender, used);
        asked.push_back(Name);
        From = 20;
        To = 24;
    };
    EXPECT_EQ(lab.InitCounters(), 5);
    EXPECT_EQ(asked, (std::vector<std::string>{"Serial", "Serial"})); // once per element
    EXPECT_TRUE(used->FActive);
    EXPECT_EQ(used->NumFrom, 20);
    EXPECT_EQ(used->NumTo, 24);
    EXPECT_EQ(used->FValue, "20");
    EXPECT_FALSE(idle->FActive);
    lab.StepCounters();
    lab.SetCountersToLabel(3);
    EXPECT_EQ(used->Counter, 22);
    EXPECT_EQ(idle->Counter, 50);
}

TEST_F(Counters, NoCountersAnswerZeroWithoutAsking)
{
    BoundText("Serial");
    bool asked = false;
    lab.OnAskDataCounter = [&](TObject *, const AnsiString &, int64_t &, int64_t &) { asked = true; };
    EXPECT_EQ(lab.InitCounters(), 0);
    EXPECT_FALSE(asked);
}

// The element was linked to "Serial" by its name "serial" (ASCII case ignored); removing
// the counter must unbind it, or it would print an empty value.
TEST_F(Counters, RemoveCounterUnbindsElementsIgnoringCase)
{
    zt::FakeDesignerServices editor(lab);
    auto &undo = zt::InstallUndoRecorder(lab);
    TKXCounter *c = AddCounter("Serial", 1, 10, 1);
    TKXText *lower = BoundText("serial");
    TKXText *field = BoundText("Price");
    ASSERT_TRUE(lower->IsCounter());
    ASSERT_FALSE(field->IsCounter());
    undo.Entries.clear();

    TKXCounter other;
    EXPECT_FALSE(lab.RemoveCounter(&other));
    EXPECT_TRUE(lab.RemoveCounter(c));
    EXPECT_EQ(lab.CounterCount(), 0);
    EXPECT_FALSE(lower->Data());
    EXPECT_FALSE(lower->IsCounter());
    EXPECT_TRUE(lower->BoundName().isEmpty());
    ASSERT_EQ(undo.Entries.size(), 1u); // the Data change of the unbound element
    EXPECT_EQ(undo.Entries[0].Serial, lower->Serial());
    EXPECT_TRUE(field->Data());
    EXPECT_EQ(field->BoundName(), "Price");
}

TEST_F(Counters, RecordRoundTripsAndStartsAfresh)
{
    TKXCounter c;
    c.NumFrom = -7;
    c.NumTo = Max64;
    c.Num = 12;
    c.Step = -3;
    c.NumBefore = 4;
    c.NumAfter = -1;
    c.Format = QString::fromUtf8("000\u00e9"); // é: stored as one Windows-1252 byte
    c.Name = "Lot";
    c.Counter = 99;
    c.FValue = "99";
    TKXStreamWriter w;
    c.SaveToStream(w);
    // 8 + 8 + 4 x 4 bytes of numbers, then two ANSI string records.
    const TBytesArray bytes = w.Bytes();
    ASSERT_GT(bytes.size(), 32u);
    EXPECT_EQ(bytes[0], 0xF9); // -7, little-endian
    EXPECT_EQ(bytes[15], 0x7F); // top byte of NumTo

    TKXStreamReader r(bytes);
    TKXCounter back;
    back.Counter = 5;
    back.FActive = true;
    back.FValue = "x";
    back.LoadFromStream(r);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(back.NumFrom, -7);
    EXPECT_EQ(back.NumTo, Max64);
    EXPECT_EQ(back.Num, 12);
    EXPECT_EQ(back.Step, -3);
    EXPECT_EQ(back.NumBefore, 4);
    EXPECT_EQ(back.NumAfter, -1);
    EXPECT_EQ(back.Format, c.Format);
    EXPECT_EQ(back.Name, "Lot");
    EXPECT_EQ(back.Counter, 1);
    EXPECT_FALSE(back.FActive);
    EXPECT_TRUE(back.FValue.isEmpty());

    // A cut record is an error, not a half-read counter.
    const TBytesArray cut(bytes.begin(), bytes.begin() + 20);
    TKXStreamReader short_(cut);
    EXPECT_THROW(TKXCounter().LoadFromStream(short_), EKxStreamError);
}

// A bound text prints the counter's current value with a counter fill type and its caption
// otherwise.
TEST_F(Counters, TextShowsCounterValueOnlyForCounterFills)
{
    AddCounter("Serial", 5, 9, 2)->Format = "000";
    TKXText *t = BoundText("Serial");
    t->SetP1(1000, 1000);
    lab.InitCounters();
    lab.StepCounters();
    const struct {
        TKXFillType fill;
        const char *shown;
    } cases[] = {
        {TKXFillType::ftCounter, "007"},
        {TKXFillType::ftFieldCounter, "007"},
        {TKXFillType::ftField, "Serial"},
        {TKXFillType::ftNone, "Serial"},
    };
    for (const auto &c : cases) {
        zt::RecordingCanvas canvas(100);
        lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, c.fill);
        EXPECT_EQ(canvas.Last("TextOut").Text, "TextOut(1000,1000,\"" + std::string(c.shown) + "\")") << int(c.fill);
    }
    EXPECT_EQ(t->Text(), "Serial");
}

} // namespace
