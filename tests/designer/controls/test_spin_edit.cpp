// The number field: typing rules as sequences of keys in an English and a German locale,
// reading (accounting notation, separators, text that does not parse), limits, steps, the
// whole-number mode, pastes that do not parse, leaving an emptied field, and Enter on a
// dialog with and without a default button.
#include "EditorFixture.h"

#include "controls/KXSpinEditFloat.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx::designer;

namespace {

// Counts the warning beeps instead of sounding them.
class SpinEdit : public TKxSpinEditFloat {
public:
    using TKxSpinEditFloat::TKxSpinEditFloat;
    int Beeps = 0;

protected:
    void Beep() override { ++Beeps; }
};

// Sets the default locale for the test's lifetime.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale &L) : FOld(QLocale()) { QLocale::setDefault(L); }
    ~LocaleScope() { QLocale::setDefault(FOld); }

private:
    QLocale FOld;
};

const QLocale English(QLocale::English, QLocale::UnitedStates);
const QLocale German(QLocale::German, QLocale::Germany);

// Keys: characters are typed, '<' is Left, '>' is Right, 'H' Home, 'E' End, 'B' Backspace,
// 'D' Delete, 'A' select all.
void Type(QWidget &W, const char *Keys)
{
    for (const char *k = Keys; *k; ++k) {
        switch (*k) {
        case '<': QTest::keyClick(&W, Qt::Key_Left); break;
        case '>': QTest::keyClick(&W, Qt::Key_Right); break;
        case 'H': QTest::keyClick(&W, Qt::Key_Home); break;
        case 'E': QTest::keyClick(&W, Qt::Key_End); break;
        case 'B': QTest::keyClick(&W, Qt::Key_Backspace); break;
        case 'D': QTest::keyClick(&W, Qt::Key_Delete); break;
        case 'A': QTest::keyClick(&W, Qt::Key_A, Qt::ControlModifier); break;
        default: QTest::keyClick(&W, *k); break;
        }
    }
}

struct TypingCase {
    const char *Name;
    const QLocale *Locale;
    const char *Start;  // text set first (empty: the new field's own)
    int Digits;
    const char *Keys;
    const char *Text;   // text afterwards
    int Beeps;
};

// Caret after setText is at the end; 'H' moves it to the start.
const TypingCase TypingCases[] = {
    {"new field, 5 replaces the leading zero", &English, "", 2, "H5", "5.00", 0},
    {"German new field", &German, "", 2, "H5", "5,00", 0},
    {"third decimal at the end beeps", &English, "1.25", 2, "E7", "1.25", 1},
    {"full stop jumps past the separator", &English, "12.50", 2, "H>.9", "12.90", 0},
    {"full stop is the German comma", &German, "12,50", 2, "H>.9", "12,90", 0},
    {"a decimal overwrites the next one", &English, "1.25", 2, "H>>3", "1.35", 0},
    {"digits before the separator insert", &English, "12.50", 2, "H>>7", "127.50", 0},
    {"Delete passes over the separator", &English, "1.25", 2, "H>D", "1.25", 0},
    {"Backspace passes over the separator", &English, "1.25", 2, "H>>B9", "19.25", 0},
    {"all selected: typing starts from zero", &English, "123.45", 2, "A7", "7.00", 0},
    {"letters are refused", &English, "1.00", 2, "Hx", "1.00", 1},
    {"whole numbers type freely", &English, "12", 0, "E34", "1234", 0},
    {"whole number leading zero replaced", &English, "0", 0, "H8", "8", 0},
};

} // namespace

class SpinEditTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(SpinEditTyping, KeysGiveTheText)
{
    zt::RequireWidgetApp();
    const TypingCase &c = GetParam();
    LocaleScope locale(*c.Locale);
    SpinEdit e;
    e.SetAutoSelect(false);
    e.SetDigits(c.Digits);
    if (*c.Start)
        e.setText(QString::fromUtf8(c.Start));
    e.show();
    e.setFocus();
    e.setCursorPosition(e.text().size());
    Type(e, c.Keys);
    EXPECT_EQ(e.text(), QString::fromUtf8(c.Text)) << c.Name;
    EXPECT_EQ(e.Beeps, c.Beeps) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Cases, SpinEditTyping, ::testing::ValuesIn(TypingCases));

TEST(SpinEdit, ReadsAccountingSeparatorsAndBadText)
{
    zt::RequireWidgetApp();
    struct Case {
        const QLocale *Locale;
        const char *Text;
        bool Parses;
        double Value;
    } cases[] = {
        {&English, "(1,234.50)", true, -1234.5},
        {&English, "12 345", true, 12345},
        {&English, "$7.25", true, 7.25},
        {&German, "1.234,5", true, 1234.5},
        {&German, "(2,5)", true, -2.5},
        {&English, "abc", false, 0},
        {&English, "", false, 0},
        {&English, "-", false, 0},
        {&English, "12a", false, 0},
    };
    for (const Case &c : cases) {
        LocaleScope locale(*c.Locale);
        SpinEdit e;
        e.SetMinValue(-99999);
        e.setText(QString::fromUtf8(c.Text));
        long double v = 0;
        EXPECT_EQ(e.TryValue(v), c.Parses) << c.Text;
        if (c.Parses)
            EXPECT_DOUBLE_EQ(static_cast<double>(v), c.Value) << c.Text;
        else
            EXPECT_DOUBLE_EQ(static_cast<double>(e.Value()), -99999) << "unparsable text reads as the minimum: " << c.Text;
    }
}

TEST(SpinEdit, LimitsStepsAndModes)
{
    zt::RequireWidgetApp();
    LocaleScope locale(English);
    SpinEdit e;
    e.SetValue(-3); // limits 0 and 0: the lower one holds
    EXPECT_EQ(e.text(), QStringLiteral("0.00"));
    e.SetMinValue(-10);
    e.SetMaxValue(-10);
    e.SetValue(5); // equal limits: no upper limit
    EXPECT_EQ(e.text(), QStringLiteral("5.00"));
    e.SetMinValue(0);
    e.SetMaxValue(100);
    e.SetValue(1234.5);
    EXPECT_EQ(e.text(), QStringLiteral("100.00"));
    e.SetValue(12.5);
    EXPECT_EQ(e.AsInteger(), 13) << "AsInteger reads a decimal text too";
    e.UpClick();
    EXPECT_EQ(e.text(), QStringLiteral("13.00"));
    QTest::keyClick(&e, Qt::Key_Down);
    EXPECT_EQ(e.text(), QStringLiteral("12.50"));

    e.SetDigits(20);
    EXPECT_EQ(e.Digits(), 12);
    e.SetDigits(0);
    EXPECT_EQ(static_cast<double>(e.Increment()), 1.0) << "whole-number mode raises a step below 1";
    EXPECT_EQ(e.text(), QStringLiteral("13"));
    EXPECT_DOUBLE_EQ(static_cast<double>(e.Value()), 13) << "Value reads a whole-number text too";
    e.SetIncrement(1.9);
    QTest::keyClick(&e, Qt::Key_Up);
    EXPECT_EQ(e.text(), QStringLiteral("14")) << "the step is truncated to 1";

    e.setReadOnly(true);
    e.UpClick();
    EXPECT_EQ(e.text(), QStringLiteral("14"));
    EXPECT_EQ(e.Beeps, 1);
}

TEST(SpinEdit, PrecisionAndThousandsSeparators)
{
    zt::RequireWidgetApp();
    LocaleScope locale(English);
    SpinEdit e;
    e.SetValue(1234567.891);
    EXPECT_EQ(e.text(), QStringLiteral("1,234,567.89"));
    e.SetPrecision(4);
    EXPECT_EQ(e.text(), QStringLiteral("1,235,000.00"));
}

// A paste that would not read as a number changes nothing; one that does replaces the
// selection. Leaving an emptied field or a lone "-" puts the last number back.
TEST(SpinEdit, BadPastesAndEmptiedTextsNeverBecomeNumbers)
{
    zt::RequireWidgetApp();
    LocaleScope locale(English);
    QWidget host;
    auto *e = new SpinEdit(&host);
    auto *other = new QLineEdit(&host);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    e->SetValue(42);
    int changes = 0;
    e->OnChange = [&] { ++changes; };

    e->setFocus();
    e->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("letters"));
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), QStringLiteral("42.00"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(e->Beeps, 1);

    QApplication::clipboard()->setText(QStringLiteral(" 7.5 "));
    e->selectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), QStringLiteral("7.5"));

    e->SetEditorEnabled(false);
    QApplication::clipboard()->setText(QStringLiteral("9"));
    e->selectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->text(), QStringLiteral("7.5")) << "no paste with the editor disabled";
    e->SetEditorEnabled(true);

    for (const char *typed : {"", "-"}) {
        e->setFocus();
        e->setText(QString::fromUtf8(typed));
        other->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(e->text(), QStringLiteral("7.50")) << "left with \"" << typed << "\"";
    }
}

TEST(SpinEdit, EnterClicksTheDialogsDefaultButtonOrBeeps)
{
    zt::RequireWidgetApp();
    LocaleScope locale(English);
    QDialog dialog;
    auto *e = new SpinEdit(&dialog);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    int clicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    e->setFocus();
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e->Beeps, 0);
    EXPECT_TRUE(e->hasFocus()) << "the field takes the focus back";

    ok->setDefault(false);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e->Beeps, 1);
}
